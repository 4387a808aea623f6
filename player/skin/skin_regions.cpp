#include "player/skin/skin_regions.h"

std::vector<TSkinRegion> MainRegions;
std::vector<TSkinRegion> PlaylistRegions;
std::vector<TSkinRegion> EqualizerRegions;
std::vector<TSkinRegion> VideoRegions;
std::vector<TSkinRegion> BrowserRegions;

QString PressedRegion;
bool PressedRight = false;

std::vector<TSkinRegion> ResolveRegions(std::span<const TRegionLayout> layouts, int w, int h) {
    std::vector<TSkinRegion> table;
    table.reserve(layouts.size());
    for (const TRegionLayout& layout : layouts) {
        const TBox& b = layout.Box;
        table.push_back({QString::fromLatin1(layout.Name.data(), qsizetype(layout.Name.size())), b.Left.At(w, h),
                         b.Top.At(w, h), b.Right.At(w, h), b.Bottom.At(w, h)});
    }
    return table;
}
