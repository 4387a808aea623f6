// Symbols shared by several sheets.
#include "icons.h"

#include "paint.h"

namespace icons {

using namespace paint;

void transport(QImage& img, int cx, int cy, Transport which, QRgb c) {
    switch (which) {
    case Transport::Previous:
        fill(img, {cx - 5, cy - 4, cx - 3, cy + 5}, c);
        triangleLeft(img, cx - 3, cy - 4, 9, c);
        triangleLeft(img, cx + 1, cy - 4, 9, c);
        break;
    case Transport::Play:
        triangleRight(img, cx - 2, cy - 4, 9, c);
        break;
    case Transport::Pause:
        fill(img, {cx - 4, cy - 4, cx - 1, cy + 5}, c);
        fill(img, {cx + 1, cy - 4, cx + 4, cy + 5}, c);
        break;
    case Transport::Stop:
        fill(img, {cx - 4, cy - 4, cx + 4, cy + 4}, c);
        break;
    case Transport::Next:
        triangleRight(img, cx - 5, cy - 4, 9, c);
        triangleRight(img, cx - 1, cy - 4, 9, c);
        fill(img, {cx + 3, cy - 4, cx + 5, cy + 5}, c);
        break;
    case Transport::Open:
        triangleUp(img, cx - 4, cy - 4, 9, c);
        fill(img, {cx - 4, cy + 2, cx + 5, cy + 4}, c);
        break;
    }
}

void transportSmall(QImage& img, int cx, int cy, Transport which, QRgb c) {
    switch (which) {
    case Transport::Previous:
        vline(img, cx - 3, cy - 2, cy + 3, c);
        triangleLeft(img, cx - 2, cy - 2, 5, c);
        triangleLeft(img, cx + 1, cy - 2, 5, c);
        break;
    case Transport::Play:
        triangleRight(img, cx - 1, cy - 3, 7, c);
        break;
    case Transport::Pause:
        fill(img, {cx - 2, cy - 2, cx, cy + 3}, c);
        fill(img, {cx + 1, cy - 2, cx + 3, cy + 3}, c);
        break;
    case Transport::Stop:
        fill(img, {cx - 2, cy - 2, cx + 3, cy + 3}, c);
        break;
    case Transport::Next:
        triangleRight(img, cx - 3, cy - 2, 5, c);
        triangleRight(img, cx, cy - 2, 5, c);
        vline(img, cx + 3, cy - 2, cy + 3, c);
        break;
    case Transport::Open:
        triangleUp(img, cx - 2, cy - 3, 5, c);
        hline(img, cx - 2, cx + 3, cy + 2, c);
        break;
    }
}

void windowButton(QImage& img, int x, int y, WindowButton which, BarState state) {
    const bool pressed = state == BarState::Pressed;
    const bool idle = state == BarState::Inactive;
    const QRgb top = pressed ? pal::kPressedTop : idle ? 0xff363b43 : 0xff56606e;
    const QRgb bottom = pressed ? pal::kTealDeep : idle ? 0xff2b2f36 : 0xff3b4350;
    vgradient(img, {x + 1, y + 1, x + 8, y + 8}, top, bottom);
    const QRgb edge = idle ? 0xff16191d : pal::kOutline;
    hline(img, x + 1, x + 8, y, edge);
    hline(img, x + 1, x + 8, y + 8, edge);
    vline(img, x, y + 1, y + 8, edge);
    vline(img, x + 8, y + 1, y + 8, edge);
    if (!pressed && !idle) hline(img, x + 1, x + 8, y + 1, 0xff6d7887);
    const QRgb g = pressed ? pal::kTealBright : idle ? 0xff6c7480 : pal::kGlyph;
    const int gx = x + 2, gy = y + 2;
    switch (which) {
    case WindowButton::Menu:
        pattern(img, gx, gy, {".....", "#####", ".....", "#####", "....."}, g);
        break;
    case WindowButton::Minimise:
        pattern(img, gx, gy, {".....", ".....", ".....", "#####", "#####"}, g);
        break;
    case WindowButton::Shade:
        pattern(img, gx, gy, {"#####", "#####", ".....", ".....", "....."}, g);
        break;
    case WindowButton::Unshade:
        pattern(img, gx, gy, {"#####", "#...#", "#...#", "#...#", "#####"}, g);
        break;
    case WindowButton::Close:
        pattern(img, gx, gy, {"#...#", ".#.#.", "..#..", ".#.#.", "#...#"}, g);
        break;
    }
}

void lamp(QImage& img, int x, int y, bool lit) {
    if (lit) {
        fill(img, {x, y, x + 3, y + 3}, pal::kTeal);
        set(img, x + 1, y + 1, pal::kTealBright);
        set(img, x, y, pal::kTealBright);
    } else {
        fill(img, {x, y, x + 3, y + 3}, 0xff1d2527);
        set(img, x + 1, y + 1, 0xff27363a);
    }
}

void resizeGrip(QImage& img, int right, int bottom, QRgb light, QRgb dark) {
    for (int d = 0; d < 3; ++d)
        for (int k = 0; k <= d; ++k) {
            const int x = right - 1 - 3 * (d - k), y = bottom - 1 - 3 * k;
            set(img, x - 1, y - 1, light);
            set(img, x, y, dark);
        }
}

void grooves(QImage& img, int x0, int x1, int y, QRgb line, QRgb under) {
    hline(img, x0, x1, y, line);
    hline(img, x0, x1, y + 1, under);
    hline(img, x0, x1, y + 3, line);
    hline(img, x0, x1, y + 4, under);
}

}  // namespace icons
