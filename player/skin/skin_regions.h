// The hit regions of the five skinned windows. A skinned window has no controls of its own: the
// mouse dispatch walks the window's region table in order, and the first named rectangle that
// holds the point decides what a press does. The first letter of a name says the window ("m"
// main, "l" playlist, "e" equaliser, "a" video, "b" browser); "_" as the second letter marks a
// drag area (title bar, slider, grip, scroll bar), any other name is a button.
#pragma once

#include <QString>
#include <QtGlobal>
#include <array>
#include <span>
#include <string_view>
#include <vector>

// One side of a rectangle: a fixed pixel, or a distance from the window's width or height.
struct TEdge {
    enum Base : quint8 { Fixed, Width, Height };
    Base base = Fixed;
    int offset = 0;
    constexpr int At(int w, int h) const { return base == Width ? w + offset : base == Height ? h + offset : offset; }
};
constexpr TEdge Px(int value) { return {TEdge::Fixed, value}; }
constexpr TEdge FromW(int offset) { return {TEdge::Width, offset}; }
constexpr TEdge FromH(int offset) { return {TEdge::Height, offset}; }

// (left, top, right, bottom), each side fixed or following the window's size.
struct TBox {
    TEdge Left, Top, Right, Bottom;
};
constexpr TBox Fixed(int l, int t, int r, int b) { return {Px(l), Px(t), Px(r), Px(b)}; }

struct TRegionLayout {
    std::string_view Name;
    TBox Box;
};

// One entry of a window's region table, in window coordinates. The hit test counts all four
// edges as inside.
struct TSkinRegion {
    QString Name;
    qint32 Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline constexpr std::array<TRegionLayout, 26> kMainRegions{{
    {"mMenu", Fixed(6, 3, 15, 12)},
    {"mMinimize", Fixed(244, 3, 253, 12)},
    {"mSmall", Fixed(254, 3, 263, 12)},
    {"mClose", Fixed(264, 3, 273, 12)},
    // Reaches past the window's right edge as the title bar picture does; in shade mode the
    // dispatch passes over it between x 166 and 219, where the small buttons lie.
    {"m_Title", Fixed(0, 0, 302, 14)},
    {"m_Position", Fixed(16, 72, 264, 82)},
    {"mBut1", Fixed(16, 88, 38, 106)},
    {"mBut2", Fixed(39, 88, 61, 106)},
    {"mBut3", Fixed(62, 88, 84, 106)},
    {"mBut4", Fixed(85, 88, 107, 106)},
    {"mBut5", Fixed(108, 88, 130, 106)},
    {"mBut6", Fixed(136, 89, 158, 105)},
    {"mButEQ", Fixed(219, 58, 242, 70)},
    {"mButPL", Fixed(243, 58, 266, 70)},
    // Shuffle and repeat share x 210..211; shuffle, found first, takes those columns.
    {"mButShuffle", Fixed(164, 89, 211, 104)},
    {"mButRepeat", Fixed(210, 89, 238, 104)},
    {"m_Volume", Fixed(107, 58, 174, 69)},
    {"m_Balance", Fixed(177, 58, 214, 69)},
    {"mTime", Fixed(48, 26, 98, 39)},
    // The shade-mode buttons sit in the top strip; the first four reach down to y 40, so they
    // also answer at full height.
    {"mSmBut1", Fixed(165, 2, 174, 40)},
    {"mSmBut2", Fixed(174, 2, 183, 40)},
    {"mSmBut3", Fixed(183, 2, 192, 40)},
    {"mSmBut4", Fixed(193, 2, 202, 40)},
    {"mSmBut5", Fixed(202, 2, 211, 11)},
    {"mSmBut6", Fixed(211, 2, 220, 11)},
    {"mAbout", Fixed(250, 90, 265, 106)},
}};

inline constexpr std::array<TRegionLayout, 16> kPlaylistRegions{{
    {"lSmall", {FromW(-20), Px(3), FromW(-11), Px(12)}},
    {"lClose", {FromW(-11), Px(3), FromW(-2), Px(12)}},
    {"l_Title", {Px(0), Px(0), FromW(0), Px(14)}},
    {"l_Resize", {FromW(-19), FromH(-19), FromW(0), FromH(0)}},
    {"l_Scroll", {FromW(-15), Px(20), FromW(-7), FromH(-38)}},
    {"lMenu1", {Px(11), FromH(-31), Px(33), FromH(-10)}},
    {"lMenu2", {Px(40), FromH(-31), Px(62), FromH(-10)}},
    {"lMenu3", {Px(69), FromH(-31), Px(91), FromH(-10)}},
    {"lMenu4", {Px(98), FromH(-31), Px(120), FromH(-10)}},
    {"lMenu5", {FromW(-41), FromH(-31), FromW(-21), FromH(-10)}},
    {"lSmBut1", {FromW(-147), FromH(-17), FromW(-138), FromH(-8)}},
    {"lSmBut2", {FromW(-138), FromH(-17), FromW(-129), FromH(-8)}},
    {"lSmBut3", {FromW(-129), FromH(-17), FromW(-120), FromH(-8)}},
    {"lSmBut4", {FromW(-119), FromH(-17), FromW(-110), FromH(-8)}},
    {"lSmBut5", {FromW(-110), FromH(-17), FromW(-101), FromH(-8)}},
    {"lSmBut6", {FromW(-101), FromH(-17), FromW(-92), FromH(-8)}},
}};

inline constexpr std::array<TRegionLayout, 17> kEqualizerRegions{{
    {"e_EQ00", Fixed(21, 38, 34, 101)},
    {"e_EQ01", Fixed(78, 38, 91, 101)},
    {"e_EQ02", Fixed(96, 38, 109, 101)},
    {"e_EQ03", Fixed(114, 38, 127, 101)},
    {"e_EQ04", Fixed(132, 38, 145, 101)},
    {"e_EQ05", Fixed(150, 38, 163, 101)},
    {"e_EQ06", Fixed(168, 38, 181, 101)},
    {"e_EQ07", Fixed(186, 38, 199, 101)},
    {"e_EQ08", Fixed(204, 38, 217, 101)},
    {"e_EQ09", Fixed(222, 38, 235, 101)},
    {"e_EQ10", Fixed(240, 38, 253, 101)},
    {"eSmall", Fixed(254, 3, 263, 12)},
    {"eClose", Fixed(264, 3, 273, 12)},
    {"e_Title", Fixed(0, 0, 302, 14)},
    {"eEQON", Fixed(14, 18, 39, 30)},
    {"eEQAuto", Fixed(39, 18, 72, 30)},
    {"eEQLoad", Fixed(217, 18, 261, 30)},
}};

inline constexpr std::array<TRegionLayout, 4> kVideoRegions{{
    {"aClose", {FromW(-11), Px(3), FromW(-2), Px(12)}},
    {"a_Title", {Px(0), Px(0), FromW(0), Px(14)}},
    {"a_Resize", {FromW(-7), Px(0), FromW(0), FromH(0)}},
    {"a_Resizes", {Px(0), FromH(-5), FromW(0), FromH(0)}},
}};

inline constexpr std::array<TRegionLayout, 8> kBrowserRegions{{
    {"bClose", {FromW(-11), Px(3), FromW(-2), Px(12)}},
    {"b_Title", {Px(0), Px(0), FromW(0), Px(20)}},
    {"b_Resize", {FromW(-19), FromH(-19), FromW(0), FromH(0)}},
    {"bBack", {Px(9), FromH(-29), Px(24), FromH(-12)}},
    {"bForward", {Px(24), FromH(-29), Px(39), FromH(-12)}},
    {"bStop", {Px(39), FromH(-29), Px(54), FromH(-12)}},
    {"bRefresh", {Px(54), FromH(-29), Px(69), FromH(-12)}},
    {"bEnter", {Px(69), FromH(-29), Px(84), FromH(-12)}},
}};

namespace skin_regions_detail {
constexpr bool AllStartWith(std::span<const TRegionLayout> table, char letter) {
    for (const TRegionLayout& r : table)
        if (r.Name.empty() || r.Name.front() != letter) return false;
    return true;
}
// The ten band sliders stand 18 pixels apart, each 13 wide, behind the preamp.
constexpr bool BandsEvenlySpaced() {
    for (int k = 1; k <= 10; ++k) {
        const TBox& b = kEqualizerRegions[std::size_t(k)].Box;
        if (b.Left.offset != 78 + 18 * (k - 1) || b.Right.offset != 91 + 18 * (k - 1) || b.Top.offset != 38 ||
            b.Bottom.offset != 101)
            return false;
    }
    return true;
}
}  // namespace skin_regions_detail
static_assert(skin_regions_detail::AllStartWith(kMainRegions, 'm'));
static_assert(skin_regions_detail::AllStartWith(kPlaylistRegions, 'l'));
static_assert(skin_regions_detail::AllStartWith(kEqualizerRegions, 'e'));
static_assert(skin_regions_detail::AllStartWith(kVideoRegions, 'a'));
static_assert(skin_regions_detail::AllStartWith(kBrowserRegions, 'b'));
static_assert(skin_regions_detail::BandsEvenlySpaced());

// The region tables, filled by each window's build from its current size.
extern std::vector<TSkinRegion> MainRegions;
extern std::vector<TSkinRegion> PlaylistRegions;
extern std::vector<TSkinRegion> EqualizerRegions;
extern std::vector<TSkinRegion> VideoRegions;
extern std::vector<TSkinRegion> BrowserRegions;

// The press state of the mouse dispatch: the region held down (empty when none) and whether the
// right button made the press. A window's first build clears the held region.
extern QString PressedRegion;
extern bool PressedRight;

// The table for a window of the given size.
std::vector<TSkinRegion> ResolveRegions(std::span<const TRegionLayout> layouts, int w, int h);
