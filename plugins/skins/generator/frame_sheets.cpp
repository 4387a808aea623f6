// "avs" and "mb": the frames of the video window and of the station browser. Their side and
// middle pieces are stretched or squeezed by the player, so they keep one profile along that
// direction.
#include "icons.h"
#include "paint.h"
#include "pixel_fonts.h"
#include "sheets.h"

namespace sheets {

using namespace paint;
using icons::BarState;
using icons::Transport;
using icons::WindowButton;
using skin_layout::Sheet;

namespace {

constexpr QRgb kFrame = 0xff2d343e;
constexpr QRgb kInner = 0xff0f1216;
constexpr QRgb kLight = 0xff4c5664;

// Horizontal profiles of the side pieces, given from left to right.
void leftSide(QImage& img, int x, int y0, int y1, int width) {
    vline(img, x, y0, y1, pal::kOutline);
    vline(img, x + 1, y0, y1, kLight);
    for (int c = 2; c < width - 1; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + width - 1, y0, y1, kInner);
}

void rightSide(QImage& img, int x, int y0, int y1, int width) {
    vline(img, x, y0, y1, kInner);
    for (int c = 1; c < width - 2; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + width - 2, y0, y1, 0xff20252c);
    vline(img, x + width - 1, y0, y1, pal::kOutline);
}

// A title band of `rows` rows: a bar of 14 rows, frame below it, dark edge on the last row.
void band(QImage& img, int x, int y, int w, int rows, bool active) {
    vgradient(img, {x, y + 1, x + w, y + 13}, active ? pal::kTitleTop : pal::kTitleIdleTop,
              active ? pal::kTitleBottom : pal::kTitleIdleBottom);
    hline(img, x, x + w, y, pal::kOutline);
    hline(img, x, x + w, y + 1, active ? 0xff627082 : 0xff3c424b);
    hline(img, x, x + w, y + 13, pal::kShadow);
    fill(img, {x, y + 14, x + w, y + rows - 1}, kFrame);
    hline(img, x, x + w, y + rows - 1, kInner);
}

void bandGrooves(QImage& img, int x0, int x1, int y, bool active) {
    icons::grooves(img, x0, x1, y + 4, active ? 0xff4f8f86 : 0xff3d434c, active ? 0xff252b33 : 0xff202328);
}

void bottomBand(QImage& img, int x, int y, int w, int rows) {
    vgradient(img, {x, y + 1, x + w, y + rows - 1}, 0xff333a45, 0xff272d35);
    hline(img, x, x + w, y, kInner);
    if (rows > 6) hline(img, x, x + w, y + rows - 2, pal::kShadow);
    hline(img, x, x + w, y + rows - 1, pal::kOutline);
}

void browserTitle(QImage& img, int y, bool active) {
    band(img, 0, y, 25, 20, active);
    leftSide(img, 0, y + 14, y + 20, 11);
    vline(img, 0, y, y + 14, pal::kOutline);
    bandGrooves(img, 4, 25, y, active);
    band(img, 26, y, 100, 20, active);
    const char* title = "STATIONS";
    const int w = fonts::textWidth(title), tx = 26 + (100 - w) / 2;
    bandGrooves(img, 26, tx - 5, y, active);
    bandGrooves(img, tx + w + 5, 126, y, active);
    fonts::drawText(img, tx, y + 4, title, active ? pal::kGlyph : pal::kGlyphDim);
    band(img, 127, y, 25, 20, active);
    bandGrooves(img, 127, 152, y, active);
    band(img, 153, y, 25, 20, active);
    bandGrooves(img, 153, 166, y, active);
    rightSide(img, 170, y + 14, y + 20, 8);
    vline(img, 177, y, y + 14, pal::kOutline);
    icons::windowButton(img, 167, y + 3, WindowButton::Close, active ? BarState::Active : BarState::Inactive);
}

void browserButton(QImage& img, int x, int y, int index, bool pressed) {
    buttonFace(img, {x, y, x + 15, y + 17}, pressed);
    const QRgb c = pressed ? pal::kTealBright : pal::kGlyph;
    const int cx = x + 7 + (pressed ? 1 : 0), cy = y + 8 + (pressed ? 1 : 0);
    switch (index) {
    case 0: triangleLeft(img, cx - 2, cy - 3, 7, c); break;
    case 1: triangleRight(img, cx - 1, cy - 3, 7, c); break;
    case 2:
        triangleUp(img, cx - 3, cy - 3, 7, c);
        fill(img, {cx - 1, cy + 1, cx + 2, cy + 4}, c);
        break;
    case 3:
        pattern(img, cx - 3, cy - 3,
                {"..###.#", ".#...##", "#...###", "#......", "#.....#", ".#...#.", "..###.."}, c);
        break;
    default: pattern(img, cx - 3, cy - 2, {"#######", ".......", "#######", ".......", "#######"}, c); break;
    }
}

// The search field's recess, as rows of the bottom bar from x0 to x1.
void fieldRows(QImage& img, int x0, int x1, int y) {
    hline(img, x0, x1, y + 11, pal::kOutline);
    fill(img, {x0, y + 12, x1, y + 30}, pal::kLcd);
    hline(img, x0, x1, y + 30, kLight);
}

void browserBottom(QImage& img) {
    // left: the five buttons and the start of the search field
    bottomBand(img, 0, 42, 125, 38);
    leftSide(img, 0, 42, 43, 11);
    vline(img, 0, 42, 80, pal::kOutline);
    vline(img, 1, 43, 78, kLight);
    for (int i = 0; i < 5; ++i) browserButton(img, 9 + 15 * i, 51, i, false);
    fieldRows(img, 94, 125, 42);
    vline(img, 93, 53, 72, pal::kOutline);
    // filler
    bottomBand(img, 127, 81, 25, 38);
    fieldRows(img, 127, 152, 81);
    // right: the end of the field and the resize grip
    bottomBand(img, 0, 81, 125, 38);
    fieldRows(img, 0, 100, 81);
    vline(img, 100, 93, 112, kLight);
    rightSide(img, 117, 81, 82, 8);
    vline(img, 123, 82, 117, 0xff20252c);
    vline(img, 124, 81, 119, pal::kOutline);
    icons::resizeGrip(img, 122, 116, 0xff5d6877, pal::kOutline);
}

}  // namespace

QImage videoFrame() {
    QImage img = blank(Sheet::Avs);
    // top: left piece with the caption, stretched middle, right piece with the close button
    band(img, 15, 0, 50, 15, true);
    leftSide(img, 15, 14, 15, 7);
    vline(img, 15, 0, 14, pal::kOutline);
    fonts::drawText(img, 22, 4, "VIDEO", pal::kGlyph);
    bandGrooves(img, 50, 65, 0, true);
    band(img, 66, 0, 14, 15, true);
    bandGrooves(img, 66, 80, 0, true);
    band(img, 81, 0, 16, 15, true);
    bandGrooves(img, 81, 85, 0, true);
    rightSide(img, 91, 14, 15, 6);
    vline(img, 96, 0, 14, pal::kOutline);
    icons::windowButton(img, 86, 3, WindowButton::Close, BarState::Active);
    // sides, stretched down the window
    leftSide(img, 0, 16, 188, 7);
    rightSide(img, 8, 17, 188, 6);
    // bottom pieces, 5 rows
    bottomBand(img, 15, 16, 50, 5);
    leftSide(img, 15, 16, 17, 7);
    vline(img, 15, 16, 21, pal::kOutline);
    vline(img, 16, 17, 20, kLight);
    bottomBand(img, 66, 16, 14, 5);
    bottomBand(img, 81, 16, 16, 5);
    rightSide(img, 91, 16, 17, 6);
    vline(img, 96, 16, 21, pal::kOutline);
    vline(img, 95, 17, 20, 0xff20252c);
    return img;
}

QImage browserFrame() {
    QImage img = blank(Sheet::Mb);
    browserTitle(img, 0, true);
    browserTitle(img, 21, false);
    leftSide(img, 127, 42, 71, 11);
    rightSide(img, 138, 42, 71, 9);
    vline(img, 139, 42, 71, kInner);  // an odd-width window shows column 138 under its tree
    browserBottom(img);
    for (int i = 0; i < 5; ++i) browserButton(img, 158 + 15 * i, 42, i, true);
    return img;
}

}  // namespace sheets
