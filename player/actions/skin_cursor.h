// The skin's cursor over each skinned window: 1 normal, 2 volume/balance/seek, 3 title bar,
// 4 resize, 5 scroll bar and equaliser sliders, 6 close.
#pragma once

class QWidget;

struct TCursorPlace {
    int Window = 0;  // 1 main .. 5 browser
    int X = 0, Y = 0, W = 0, H = 0;
    bool MainShaded = false;
    bool Playing = false;  // the play position is above 0
};

int CursorSlot(const TCursorPlace& place);
// Sets the window's cursor to its slot's skin cursor when that differs from the one it has.
void SkinMouseMove(QWidget* window, int number, int x, int y);
