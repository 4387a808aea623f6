// The playlist's button strips: which bottom-bar button opens which strip, where it stands and
// where its pictures are in "pledit".
#pragma once

#include <array>
#include <string_view>

#include <QRect>

#include "player/skin/canvas.h"

enum class TStrip { Add, Rem, Sel, Misc, List };

struct TStripLayout {
    std::string_view Region;
    TStrip Strip;
    int Cells;
    int Left;          // from the playlist window's left; negative: from its right edge
    int FromBottom;    // the strip's top is the window's height less this
    QRect Bar;         // the left bar, 3 pixels wide, the strip's full height
    int NormalX, HighlightX;
    std::array<int, 4> CellY;  // each cell's top in "pledit"; cells are 22 x 18
};

inline constexpr int kStripWidth = 25, kCellHeight = 18, kCellWidth = 22, kBarWidth = 3;

inline constexpr std::array<TStripLayout, 5> kStrips{{
    {"lMenu1", TStrip::Add, 3, 11, 66, Rect(48, 111, 51, 165), 0, 23, {111, 130, 149, 0}},
    {"lMenu2", TStrip::Rem, 4, 40, 84, Rect(100, 111, 103, 183), 54, 77, {168, 111, 130, 149}},
    {"lMenu3", TStrip::Sel, 3, 69, 66, Rect(150, 111, 153, 165), 104, 127, {111, 130, 149, 0}},
    {"lMenu4", TStrip::Misc, 3, 98, 66, Rect(200, 111, 203, 165), 154, 177, {111, 130, 149, 0}},
    {"lMenu5", TStrip::List, 3, -47, 66, Rect(250, 111, 253, 165), 204, 227, {111, 130, 149, 0}},
}};

// Each strip is as high as its cells, and its bar as high as the strip.
static_assert([] {
    for (const TStripLayout& s : kStrips)
        if (s.Bar.height() != s.Cells * kCellHeight || s.Bar.width() != kBarWidth || s.Cells > 4) return false;
    return true;
}());

// The layout of a bottom-bar region, or none.
inline const TStripLayout* StripForRegion(std::string_view region) {
    for (const TStripLayout& s : kStrips)
        if (s.Region == region) return &s;
    return nullptr;
}

// The cell under y: below the first cell's bottom is the first, past the last cell's top the last.
constexpr int StripCellAt(int cells, int y) {
    if (y < kCellHeight) return 0;
    const int cell = y / kCellHeight;
    return cell < cells ? cell : cells - 1;
}

// Where a strip stands in a playlist window of the given size.
inline QRect StripGeometry(const TStripLayout& s, int width, int height) {
    const int left = s.Left < 0 ? width + s.Left : s.Left;
    return {left, height - s.FromBottom, kStripWidth, s.Cells * kCellHeight};
}

// A cell's picture in "pledit", normal or highlighted.
constexpr QRect StripCellSource(const TStripLayout& s, int cell, bool highlighted) {
    const int x = highlighted ? s.HighlightX : s.NormalX;
    const int y = s.CellY[std::size_t(cell)];
    return Rect(x, y, x + kCellWidth, y + kCellHeight);
}
