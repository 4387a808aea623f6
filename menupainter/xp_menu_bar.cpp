// The larger shapes: the shadowed selection of a menu-bar item or menu button, the gradient
// behind pop-up items, and the flat border of a pop-up menu.
#include <QPainter>
#include <algorithm>

#include "menupainter/xp_menu_paint.h"

namespace menupainter {

namespace {

void Fill(QPainter& canvas, const Edges& r, const QColor& colour) {
    if (r.Width() > 0 && r.Height() > 0) canvas.fillRect(r.ToRect(), colour);
}

}  // namespace

void DrawBarSelection(QPainter& canvas, const Edges& r, bool rtl, bool menuItem, const WorkingColours& c) {
    const int L = r.L, T = r.T, R = r.R, B = r.B;
    Fill(canvas, r, c.IconColumn);
    if (rtl || !c.Deep || !menuItem) {
        PolyLine(canvas, {{L, B - 1}, {L, T}, {R - 3, T}, {R - 3, B}}, c.Outline);
        Fill(canvas, Edges{R - 2, T + 2, R, B}, c.Shadow);
        return;
    }
    PolyLine(canvas, {{L, B - 1}, {L, T}, {R - 8, T}, {R - 8, B}}, c.Outline);
    // A soft shadow down the right: strips growing darker inward, then the notch at the top.
    const QColor bar = c.MenuBar;
    Fill(canvas, Edges{R - 7, T, R, B}, DarkenColor(bar, 10));
    Fill(canvas, Edges{R - 7, T + 3, R - 2, B}, DarkenColor(bar, 30));
    Fill(canvas, Edges{R - 7, T + 5, R - 3, B}, DarkenColor(bar, 60));
    Fill(canvas, Edges{R - 7, T + 6, R - 5, B}, DarkenColor(bar, 100));
    PolyLine(canvas, {{R - 5, T + 1}, {R - 1, T + 1}, {R - 1, T + 6}}, bar);
    PolyLine(canvas, {{R - 3, T + 2}, {R - 2, T + 2}, {R - 2, T + 3}, {R - 3, T + 3}}, bar);
    PolyLine(canvas, {{R - 6, T + 3}, {R - 3, T + 3}, {R - 3, T + 6}, {R - 4, T + 6}, {R - 4, T + 3}},
             DarkenColor(bar, 10));
    PolyLine(canvas, {{R - 5, T + 5}, {R - 4, T + 5}, {R - 4, T + 9}}, DarkenColor(bar, 30));
    LineTo(canvas, R - 6, T + 5, R - 6, T + 7, DarkenColor(bar, 40));
}

void DrawGradient(QPainter& canvas, const Edges& r, bool rtl, int iconWidth, const QColor& iconColumn) {
    int k = 0;
    for (int i = 0; i < r.Width(); ++i) {
        const int x = rtl ? r.R - 1 - i : r.L + i;
        const bool iconZone = rtl ? x > r.R - iconWidth + 5 && x < r.R : x > r.L && x < r.L + iconWidth + 5;
        k = std::min(k + (iconZone ? 3 : 1), 96);
        canvas.fillRect(x, r.T, 1, r.Height(), LightenColor(iconColumn, k));
    }
}

void DrawMenuBorder(QPainter& canvas, const Edges& w, bool rtl, bool gradient, int iconWidth, const WorkingColours& c) {
    const int WL = w.L, WT = w.T, WR = w.R, WB = w.B;
    Frame(canvas, Edges{WL, WT, WR - 2, WB - 2}, c.Outline);
    if (rtl) {
        Frame(canvas, Edges{WL + 1, WT + 1, WR - 4, WT + 3}, c.Background);
        LineTo(canvas, WL + 2, WT + 2, WL + 2, WB - 4, c.Background);
        LineTo(canvas, WR - 4, WT + 2, WR - 4, WB - 4, c.IconColumn);
        LineTo(canvas, WR - 4, WT + 2, WR - 3 - iconWidth, WT + 2, c.IconColumn);
    } else {
        if (!gradient) {
            Frame(canvas, Edges{WL + 1, WT + 1, WR - 4, WT + 3}, c.Background);
            LineTo(canvas, WL + 1, WT + 2, WL + 2 + iconWidth, WT + 2, c.IconColumn);
        }
        LineTo(canvas, WL + 1, WT + 1, WL + 1, WB - 4, c.IconColumn);
    }
    Frame(canvas, Edges{WL + 2, WB - 2, WR, WB}, c.Shadow);
    Frame(canvas, Edges{WR - 2, WT + 2, WR, WB}, c.Shadow);
    Frame(canvas, Edges{WL, WB - 2, WL + 2, WB}, c.IconColumn);
    Frame(canvas, Edges{WR - 2, WT, WR, WT + 2}, c.IconColumn);
}

}  // namespace menupainter
