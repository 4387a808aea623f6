#include "player/skin_regions.h"

std::vector<TSkinRegion> MainRegions;
std::vector<TSkinRegion> PlaylistRegions;
std::vector<TSkinRegion> EqualizerRegions;
std::vector<TSkinRegion> VideoRegions;
std::vector<TSkinRegion> BrowserRegions;

QString PressedRegion;
bool PressedRight = false;

std::vector<TSkinRegion> ResolveRegions(std::span<const TRegionSpec> specs, int w, int h) {
    std::vector<TSkinRegion> table;
    table.reserve(specs.size());
    for (const TRegionSpec& spec : specs) {
        const TBox& b = spec.Box;
        table.push_back({QString::fromLatin1(spec.Name.data(), qsizetype(spec.Name.size())), b.Left.At(w, h),
                         b.Top.At(w, h), b.Right.At(w, h), b.Bottom.At(w, h)});
    }
    return table;
}
