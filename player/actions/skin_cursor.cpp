#include "player/actions/skin_cursor.h"

#include <QWidget>

#include "player/actions/hit_test.h"
#include "player/actions/skin_forms.h"
#include "player/core/ctrl.h"
#include "player/playback/run.h"
#include "player/skin/skin_files.h"

namespace {

bool In(int x, int y, int l, int t, int r, int b) { return l <= x && x <= r && t <= y && y <= b; }

int MainSlot(const TCursorPlace& p) {
    const int x = p.X, y = p.Y;
    int slot = 1;
    if (y < 15 && x >= 16 && (x < 165 || (x < 245 && !p.MainShaded) || (220 < x && x < 245 && p.MainShaded))) slot = 3;
    if (In(x, y, 112, 58, 169, 69)) slot = 2;
    if (In(x, y, 177, 58, 209, 69)) slot = 2;
    if (p.Playing && In(x, y, 16, 72, 264, 82)) slot = 2;
    if (In(x, y, 266, 3, 273, 12)) slot = 6;
    return slot;
}

int EqualizerSlot(const TCursorPlace& p) {
    int slot = p.Y < 15 && p.X < p.W - 20 ? 3 : 1;
    const std::vector<TSkinRegion> bands = ResolveRegions(std::span(kEqualizerRegions).first(11), p.W, p.H);
    for (const TSkinRegion& r : bands)
        if (PtInRectIncl(p.X, p.Y, r)) slot = 5;
    return slot;
}

}  // namespace

int CursorSlot(const TCursorPlace& p) {
    const int x = p.X, y = p.Y, w = p.W, h = p.H;
    int slot = 1;
    switch (p.Window) {
    case 1: return MainSlot(p);
    case 2:
        if (y < 15 && x < w - 20) slot = 3;
        if (20 <= y && y < h - 38 && w - 15 < x && x < w - 7) slot = 5;
        if (y > h - 19 && x > w - 19) slot = 4;
        return slot;
    case 3: return EqualizerSlot(p);
    case 4:
        if (y < 15 && x < w - 11) slot = 3;
        if ((x > w - 8 && y > 15) || y > h - 6) slot = 4;
        return slot;
    case 5:
        if (y < 20 && x < w - 11) slot = 3;
        if (y > h - 19 && x > w - 19) slot = 4;
        return slot;
    default: return slot;
    }
}

void SkinMouseMove(QWidget* window, int number, int x, int y) {
    if (!window || !Ctrl || !Ctrl->SkinCursors) return;
    const TCursorPlace place{number, x, y, window->width(), window->height(), MainShaded(),
                             Ctrl->Run && Ctrl->Run->Position > 0};
    const int slot = CursorSlot(place);
    if (!HasSkinCursor(slot)) return;
    const QCursor cursor = SkinCursor(slot);
    if (window->cursor().shape() != cursor.shape() || cursor.shape() == Qt::BitmapCursor) window->setCursor(cursor);
}
