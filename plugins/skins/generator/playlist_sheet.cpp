// "pledit": the playlist window's frame, shade bar, scroll thumb and button strips. The frame
// pieces are tiled across and down the window, so each keeps one profile along its tiling
// direction.
#include "icons.h"
#include "paint.h"
#include "pixel_fonts.h"
#include "sheets.h"

namespace sheets {

using namespace paint;
using icons::BarState;
using icons::WindowButton;
using skin_layout::Sheet;

namespace {

constexpr QRgb kFrame = 0xff2d343e;
constexpr QRgb kInner = 0xff0f1216;  // the dark line around the list
constexpr QRgb kTrackLight = 0xff4a5462;

// Column profiles of the side pieces, outermost first for the left side.
void leftEdgeColumn(QImage& img, int x, int y0, int y1) {
    vline(img, x, y0, y1, pal::kOutline);
    vline(img, x + 1, y0, y1, 0xff4c5664);
    for (int c = 2; c < 10; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + 10, y0, y1, 0xff262c35);
    vline(img, x + 11, y0, y1, kInner);
}

void rightEdgeColumn(QImage& img, int x, int y0, int y1) {
    for (int c = 0; c < 5; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + 5, y0, y1, kInner);
    for (int c = 6; c < 10; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + 10, y0, y1, pal::kOutline);
    for (int c = 11; c < 17; ++c) vline(img, x + c, y0, y1, pal::kLcd);
    vline(img, x + 13, y0, y1, 0xff14211f);
    vline(img, x + 17, y0, y1, kTrackLight);
    for (int c = 18; c < 23; ++c) vline(img, x + c, y0, y1, kFrame);
    vline(img, x + 23, y0, y1, 0xff20252c);
    vline(img, x + 24, y0, y1, pal::kOutline);
}

// Rows 0..19 of a title piece: a 14-row bar, the frame below it, the list's top edge.
void titleBand(QImage& img, int x, int y, int w, bool active) {
    vgradient(img, {x, y + 1, x + w, y + 13}, active ? pal::kTitleTop : pal::kTitleIdleTop,
              active ? pal::kTitleBottom : pal::kTitleIdleBottom);
    hline(img, x, x + w, y, pal::kOutline);
    hline(img, x, x + w, y + 1, active ? 0xff627082 : 0xff3c424b);
    hline(img, x, x + w, y + 13, pal::kShadow);
    fill(img, {x, y + 14, x + w, y + 19}, kFrame);
    hline(img, x, x + w, y + 19, kInner);
}

void titleGrooves(QImage& img, int x0, int x1, int y, bool active) {
    icons::grooves(img, x0, x1, y + 4, active ? 0xff4f8f86 : 0xff3d434c, active ? 0xff252b33 : 0xff202328);
}

void titleRow(QImage& img, int y, bool active) {
    const BarState state = active ? BarState::Active : BarState::Inactive;
    // left corner
    titleBand(img, 0, y, 25, active);
    leftEdgeColumn(img, 0, y + 14, y + 20);
    vline(img, 0, y, y + 14, pal::kOutline);
    titleGrooves(img, 4, 25, y, active);
    // title piece
    titleBand(img, 26, y, 100, active);
    const char* title = "PLAYLIST";
    const int tx = 26 + (100 - fonts::textWidth(title)) / 2;
    titleGrooves(img, 26, tx - 5, y, active);
    titleGrooves(img, tx + fonts::textWidth(title) + 5, 126, y, active);
    fonts::drawText(img, tx, y + 4, title, active ? pal::kGlyph : pal::kGlyphDim);
    // filler
    titleBand(img, 127, y, 25, active);
    titleGrooves(img, 127, 152, y, active);
    // right corner with the shade and close buttons
    titleBand(img, 153, y, 25, active);
    titleGrooves(img, 153, 157, y, active);
    rightEdgeColumn(img, 153, y + 14, y + 20);
    hline(img, 153, 158, y + 19, kInner);
    hline(img, 163, 171, y + 19, pal::kOutline);
    vline(img, 177, y, y + 14, pal::kOutline);
    icons::windowButton(img, 158, y + 3, WindowButton::Shade, state);
    icons::windowButton(img, 167, y + 3, WindowButton::Close, state);
}

// Rows of a bottom-bar piece: the list's bottom edge, the bar, the outline.
void bottomBand(QImage& img, int x, int y, int w) {
    vgradient(img, {x, y + 1, x + w, y + 36}, 0xff333a45, 0xff272d35);
    hline(img, x, x + w, y, kInner);
    hline(img, x, x + w, y + 1, 0xff434c59);
    hline(img, x, x + w, y + 36, pal::kShadow);
    hline(img, x, x + w, y + 37, pal::kOutline);
}

void barButton(QImage& img, int x, int y, int w, const char* label) {
    buttonFace(img, {x, y, x + w, y + 21}, false);
    fonts::drawLabelCentred(img, x + 1, x + w, y + 8, label, pal::kGlyph);
}

void bottomPieces(QImage& img) {
    // bottom left, with the ADD, REM, SEL and MISC buttons
    bottomBand(img, 0, 72, 125);
    vline(img, 0, 72, 110, pal::kOutline);
    vline(img, 1, 73, 108, 0xff4c5664);
    leftEdgeColumn(img, 0, 72, 73);
    const char* labels[4] = {"ADD", "REM", "SEL", "MISC"};
    for (int i = 0; i < 4; ++i) barButton(img, 11 + 29 * i, 79, 22, labels[i]);
    // filler
    bottomBand(img, 179, 0, 24);
    // bottom right: list times, small transport, clock, LIST button, resize grip
    const int x = 126, y = 72;
    bottomBand(img, x, y, 150);
    hline(img, x + 131, x + 150, y, kFrame);
    hline(img, x + 135, x + 143, y, kTrackLight);
    vline(img, x + 148, y + 1, y + 36, 0xff20252c);
    vline(img, x + 149, y, y + 38, pal::kOutline);
    lcdField(img, {x + 4, y + 8, x + 100, y + 19});
    lcdField(img, {x + 66, y + 21, x + 100, y + 31});
    constexpr int kSlots[6] = {3, 12, 21, 31, 40, 49};
    constexpr icons::Transport kKinds[6] = {icons::Transport::Previous, icons::Transport::Play,
                                            icons::Transport::Pause, icons::Transport::Stop,
                                            icons::Transport::Next, icons::Transport::Open};
    for (int i = 0; i < 6; ++i) icons::transportSmall(img, x + kSlots[i] + 4, y + 25, kKinds[i], pal::kGlyph);
    // The small clock's colon: the player draws the digits in text cells from the window's right
    // and bottom edges, which this piece lies against.
    using namespace skin_layout::indicators;
    const int windowRight = x + skin_layout::playlist::kBottomRight.width();
    const int windowBottom = y + skin_layout::playlist::kBottomRight.height();
    fonts::drawTextGlyph(img, windowRight + ColonX(kClockX), windowBottom + kClockTop, ':', pal::kLcdText);
    barButton(img, x + 109, y + 7, 20, "LIST");
    icons::resizeGrip(img, x + 147, y + 35, 0xff5d6877, pal::kOutline);
}

void shadeBar(QImage& img, int x, int y, int w, bool active = false) {
    vgradient(img, {x, y + 1, x + w, y + 13}, active ? pal::kTitleTop : pal::kTitleIdleTop,
              active ? pal::kTitleBottom : pal::kTitleIdleBottom);
    hline(img, x, x + w, y, pal::kOutline);
    hline(img, x, x + w, y + 1, active ? 0xff627082 : 0xff3c424b);
    hline(img, x, x + w, y + 13, pal::kOutline);
}

void shadePieces(QImage& img) {
    shadeBar(img, 72, 42, 25);
    vline(img, 72, 42, 56, pal::kOutline);
    fonts::drawLabel(img, 76, 47, "PL", pal::kGlyphDim);
    titleGrooves(img, 85, 97, 41, false);
    shadeBar(img, 72, 57, 25);
    titleGrooves(img, 72, 97, 56, false);
    for (const bool active : {true, false}) {
        const int y = active ? 42 : 57;
        const BarState state = active ? BarState::Active : BarState::Inactive;
        // Only this end piece changes with the focus, so it carries the active colours alone,
        // fading in from the neutral filler beside it.
        shadeBar(img, 99, y, 50, active);
        titleGrooves(img, 99, 121, y - 1, active);
        if (active) {
            QImage idle = img.copy(72, 57, 25, 14);
            for (int c = 0; c < 20; ++c)
                for (int r = 0; r < 14; ++r)
                    set(img, 99 + c, y + r, mix(idle.pixel(c, r), img.pixel(99 + c, y + r), c / 20.0));
        }
        icons::lamp(img, 123, y + 5, active);
        icons::windowButton(img, 129, y + 3, WindowButton::Unshade, state);
        icons::windowButton(img, 138, y + 3, WindowButton::Close, state);
        vline(img, 148, y, y + 14, pal::kOutline);
    }
}

void scrollThumb(QImage& img, int x, int y, bool held) {
    fill(img, {x, y, x + 8, y + 18}, pal::kLcd);
    vgradient(img, {x + 1, y + 1, x + 7, y + 17}, held ? pal::kTeal : 0xff6b7686, held ? pal::kTealDeep : 0xff404855);
    hline(img, x + 1, x + 7, y, pal::kOutline);
    hline(img, x + 1, x + 7, y + 17, pal::kOutline);
    vline(img, x, y + 1, y + 17, pal::kOutline);
    vline(img, x + 7, y + 1, y + 17, pal::kOutline);
    vline(img, x + 1, y + 1, y + 17, held ? pal::kTealBright : 0xff8994a3);
    for (const int gy : {6, 8, 10}) hline(img, x + 2, x + 6, y + gy, held ? pal::kTealBright : 0xff262c35);
}

void stripCell(QImage& img, int x, int y, const char* label, bool lit) {
    if (lit) vgradient(img, {x, y, x + 22, y + 18}, 0xff3f8c80, pal::kTealDeep);
    else vgradient(img, {x, y, x + 22, y + 18}, pal::kButtonTop, pal::kButtonBottom);
    hline(img, x, x + 22, y, lit ? 0xff7fd0c2 : 0xff64707f);
    hline(img, x, x + 22, y + 17, pal::kOutline);
    vline(img, x + 21, y, y + 18, pal::kOutline);
    fonts::drawLabelCentred(img, x, x + 21, y + 7, label, lit ? 0xffeefaf7 : pal::kGlyph);
}

void stripBar(QImage& img, int x, int y0, int y1) {
    vline(img, x, y0, y1, pal::kOutline);
    vline(img, x + 1, y0, y1, pal::kTeal);
    vline(img, x + 2, y0, y1, pal::kTealDeep);
}

void strips(QImage& img) {
    struct Strip { int x, bar; const char* labels[3]; };
    constexpr Strip kStrips[4] = {
        {0, 48, {"URL", "DIR", "FILE"}}, {104, 150, {"INV", "NONE", "ALL"}},
        {154, 200, {"TOOL", "INFO", "OPTS"}}, {204, 250, {"CLR", "SAVE", "LOAD"}},
    };
    for (const Strip& s : kStrips) {
        for (int k = 0; k < 3; ++k)
            for (const bool lit : {false, true}) stripCell(img, s.x + (lit ? 23 : 0), 111 + 19 * k, s.labels[k], lit);
        stripBar(img, s.bar, 111, 165);
    }
    // REM: its first cell sits below the others.
    const char* rem[4] = {"MORE", "ALL", "CROP", "SEL"};
    for (const bool lit : {false, true}) {
        stripCell(img, 54 + (lit ? 23 : 0), 168, rem[0], lit);
        for (int k = 1; k <= 3; ++k) stripCell(img, 54 + (lit ? 23 : 0), 92 + 19 * k, rem[k], lit);
    }
    stripBar(img, 100, 111, 183);
}

}  // namespace

QImage playlist() {
    QImage img = blank(Sheet::PlEdit);
    titleRow(img, 0, true);
    titleRow(img, 21, false);
    leftEdgeColumn(img, 0, 42, 70);
    rightEdgeColumn(img, 26, 42, 70);
    bottomPieces(img);
    shadePieces(img);
    // Pressed buttons, each on the plain bar it is drawn over (column 176 of the title's right
    // corner, column 147 of the shade bar's right end).
    columnFill(img, 52, 42, 19, 9, img, 176, 3);
    columnFill(img, 150, 42, 9, 9, img, 147, 45);
    icons::windowButton(img, 52, 42, WindowButton::Close, BarState::Pressed);
    icons::windowButton(img, 62, 42, WindowButton::Shade, BarState::Pressed);
    icons::windowButton(img, 150, 42, WindowButton::Unshade, BarState::Pressed);
    scrollThumb(img, 52, 53, false);
    scrollThumb(img, 61, 53, true);
    strips(img);
    return img;
}

}  // namespace sheets
