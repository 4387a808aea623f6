// Main window sheets: background, title bars, transport buttons, toggles.
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

constexpr const char* kTitle = "VELMORA PLAYER";

// Window body with its outer outline and a soft lit inner edge.
void windowBody(QImage& img, Rect r) {
    for (int y = r.top; y < r.bottom; ++y) hline(img, r.left, r.right, y, bodyAt(y - r.top, r.height()));
    outline(img, r, pal::kOutline);
    vline(img, r.left + 1, r.top + 1, r.bottom - 1, mix(pal::kBodyTop, pal::kEdgeLight, 0.45));
    vline(img, r.right - 2, r.top + 1, r.bottom - 1, pal::kShadow);
    hline(img, r.left + 1, r.right - 1, r.bottom - 2, pal::kShadow);
}

// One 14-row window bar; (ox, oy) is where the window's (0, 0) lies in the sheet.
void mainBar(QImage& img, int ox, int oy, bool active, bool shade) {
    const QRgb top = active ? pal::kTitleTop : pal::kTitleIdleTop;
    const QRgb bottom = active ? pal::kTitleBottom : pal::kTitleIdleBottom;
    vgradient(img, {ox, oy + 1, ox + 302, oy + 13}, top, bottom);
    hline(img, ox, ox + 302, oy, pal::kOutline);
    hline(img, ox + 1, ox + 274, oy + 1, active ? 0xff627082 : 0xff3c424b);
    hline(img, ox, ox + 302, oy + 13, shade ? pal::kOutline : pal::kShadow);
    vline(img, ox, oy, oy + 14, pal::kOutline);
    vline(img, ox + 274, oy, oy + 14, pal::kOutline);
    const BarState state = active ? BarState::Active : BarState::Inactive;
    const QRgb text = active ? pal::kGlyph : pal::kGlyphDim;
    const QRgb line = active ? 0xff4f8f86 : 0xff3d434c;
    const QRgb under = active ? 0xff252b33 : 0xff202328;
    icons::windowButton(img, ox + 6, oy + 3, WindowButton::Menu, state);
    if (shade) {
        fonts::drawText(img, ox + 20, oy + 5, "VELMORA", text);
        icons::grooves(img, ox + 58, ox + 122, oy + 4, line, under);
        lcdField(img, {ox + 126, oy + 2, ox + 161, oy + 12});
        // The player draws the shaded time's digits here in text cells; the colon between them
        // is the bar's own.
        using namespace skin_layout::indicators;
        fonts::drawTextGlyph(img, ox + ColonX(kShadeTimeX), oy + kShadeTimeTop, ':', pal::kLcdText);
        constexpr int kSlots[6] = {165, 174, 183, 193, 202, 211};
        constexpr Transport kKinds[6] = {Transport::Previous, Transport::Play, Transport::Pause,
                                         Transport::Stop, Transport::Next, Transport::Open};
        for (int i = 0; i < 6; ++i) icons::transportSmall(img, ox + kSlots[i] + 4, oy + 6, kKinds[i], text);
        icons::grooves(img, ox + 223, ox + 241, oy + 4, line, under);
    } else {
        const int w = fonts::textWidth(kTitle);
        const int x = 16 + (224 - w) / 2;
        fonts::drawText(img, ox + x, oy + 5, kTitle, text);
        icons::grooves(img, ox + 19, ox + x - 5, oy + 4, line, under);
        icons::grooves(img, ox + x + w + 5, ox + 240, oy + 4, line, under);
    }
    icons::windowButton(img, ox + 244, oy + 3, WindowButton::Minimise, state);
    icons::windowButton(img, ox + 254, oy + 3, shade ? WindowButton::Unshade : WindowButton::Shade, state);
    icons::windowButton(img, ox + 264, oy + 3, WindowButton::Close, state);
}

// The narrow strip left of the main display: a slim panel with four studs.
void optionStrip(QImage& img, int x, int y) {
    vgradient(img, {x, y, x + 8, y + 43}, 0xff3a4250, 0xff2a3039);
    outline(img, {x, y, x + 8, y + 43}, pal::kOutline);
    vline(img, x + 1, y + 1, y + 42, 0xff4f5a68);
    for (int i = 0; i < 4; ++i) {
        const int sy = y + 6 + 10 * i;
        fill(img, {x + 3, sy, x + 5, sy + 2}, i == 0 ? pal::kTeal : pal::kLcdDim);
        set(img, x + 3, sy + 2, 0xff4f5a68);
        set(img, x + 4, sy + 2, 0xff4f5a68);
    }
}

void repeatIcon(QImage& img, int x, int y, QRgb c) {
    pattern(img, x, y,
            {"..#........", ".#########.", "#.#.......#", "#.........#", "#.......#.#", ".#########.",
             "........#.."},
            c);
}

}  // namespace

void toggleButton(QImage& img, int x, int y, int w, int h, const char* label, bool on, bool pressed) {
    buttonFace(img, {x, y, x + w, y + h}, pressed);
    const int d = pressed ? 1 : 0;
    const int ly = y + (h - 3) / 2 + d;
    if (pressed) fill(img, {x + 4 + d, ly, x + 7 + d, ly + 3}, pal::kTealDeep);
    else icons::lamp(img, x + 4, ly, on);
    const QRgb colour = pressed ? pal::kTealBright : on ? pal::kGlyph : pal::kGlyphDim;
    if (label == nullptr) repeatIcon(img, x + 11 + d, y + (h - 7) / 2 + d, colour);
    else fonts::drawLabelCentred(img, x + 9 + d, x + w - 1 + d, y + (h - 5) / 2 + d, label, colour);
}

QImage mainWindow() {
    QImage img = blank(Sheet::Main);
    windowBody(img, {0, 0, 275, 116});
    const QImage bars = titleBar();
    copy(img, 0, 0, bars, {27, 0, 302, 14});
    copy(img, 10, 22, bars, skin_layout::titlebar::kOptionStrip);

    // Left display: play state, time digits with their colon, and a quiet name plate.
    lcdField(img, {20, 21, 104, 68});
    using namespace skin_layout::indicators;
    for (const int x : kTimeX) fonts::drawTimeDigit(img, x, kTimeTop, 0);
    hline(img, kTimeMinusDest.left, kTimeMinusDest.right, kTimeMinusDest.top, pal::kLcdGhost);
    for (const int y : {29, 34}) fill(img, {72, y, 74, y + 2}, pal::kTeal);
    hline(img, 24, 100, 45, pal::kLcdGhost);
    fonts::drawLabelCentred(img, 21, 103, 52, "VELMORA", pal::kLcdDim);

    // Right display: scrolling title above, bit rate, sample rate and channel marks below.
    lcdField(img, {107, 22, 270, 56});
    hline(img, 110, 267, 37, pal::kLcdGhost);
    fonts::drawLabel(img, 129, 43, "KBPS", pal::kLcdDim);
    fonts::drawLabel(img, 168, 43, "KHZ", pal::kLcdDim);
    const QImage marks = monoStereo();
    copy(img, 212, 41, marks, {29, 12, 58, 24});
    copy(img, 239, 41, marks, {0, 12, 29, 24});

    seekTrack(img, 16, 72);
    const QImage buttons = controlButtons();
    copy(img, 16, 88, buttons, {0, 0, 114, 18});
    copy(img, 136, 89, buttons, {114, 0, 136, 16});
    const QImage toggle = toggles();
    copy(img, 164, 89, toggle, {28, 0, 75, 15});
    copy(img, 210, 89, toggle, {0, 30, 28, 45});

    // About badge.
    buttonFace(img, {250, 90, 265, 106}, false);
    pattern(img, 253, 93,
            {"#.......#", "#.......#", ".#.....#.", ".#.....#.", "..#...#..", "..#...#..", "...#.#...",
             "...#.#...", "....#...."},
            pal::kTealBright);
    return img;
}

QImage titleBar() {
    QImage img = blank(Sheet::TitleBar);
    mainBar(img, 27, 0, true, false);
    mainBar(img, 27, 15, false, false);
    mainBar(img, 27, 29, true, true);
    mainBar(img, 27, 42, false, true);
    optionStrip(img, 304, 0);
    // Loose button pictures: the player draws the menu button at rest from (0, 0) and every
    // pressed button from this block; the remaining cells hold the matching rest pictures.
    // Each sits on the plain bar (window column 242) it is drawn over.
    const QImage bars = img.copy();
    const auto cell = [&](int x, int y, WindowButton kind, BarState state, int barTop) {
        columnFill(img, x, y, 9, 9, bars, 27 + 242, barTop + 3);
        icons::windowButton(img, x, y, kind, state);
    };
    cell(0, 0, WindowButton::Menu, BarState::Active, 0);
    cell(0, 9, WindowButton::Menu, BarState::Pressed, 0);
    cell(9, 0, WindowButton::Minimise, BarState::Active, 0);
    cell(9, 9, WindowButton::Minimise, BarState::Pressed, 0);
    cell(18, 0, WindowButton::Close, BarState::Active, 0);
    cell(18, 9, WindowButton::Close, BarState::Pressed, 0);
    cell(0, 18, WindowButton::Shade, BarState::Active, 0);
    cell(9, 18, WindowButton::Shade, BarState::Pressed, 0);
    cell(18, 18, WindowButton::Shade, BarState::Inactive, 15);
    cell(0, 27, WindowButton::Unshade, BarState::Active, 29);
    cell(9, 27, WindowButton::Unshade, BarState::Pressed, 29);
    cell(18, 27, WindowButton::Unshade, BarState::Inactive, 42);
    return img;
}

QImage controlButtons() {
    QImage img = blank(Sheet::CButtons);
    // The gaps between the five buttons are copied with them: give them the window's body.
    for (int y = 0; y < 36; ++y) hline(img, 0, 114, y, bodyAt(88 + y % 18));
    constexpr Transport kKinds[5] = {Transport::Previous, Transport::Play, Transport::Pause, Transport::Stop,
                                     Transport::Next};
    for (int i = 0; i < 5; ++i) {
        for (const bool pressed : {false, true}) {
            const int x = 23 * i, y = pressed ? 18 : 0, d = pressed ? 1 : 0;
            buttonFace(img, {x, y, x + 22, y + 18}, pressed);
            icons::transport(img, x + 11 + d, y + 9 + d, kKinds[i], pressed ? pal::kTealBright : pal::kGlyph);
        }
    }
    for (const bool pressed : {false, true}) {
        const int y = pressed ? 16 : 0, d = pressed ? 1 : 0;
        buttonFace(img, {114, y, 136, y + 16}, pressed);
        icons::transport(img, 125 + d, y + 8 + d, Transport::Open, pressed ? pal::kTealBright : pal::kGlyph);
    }
    return img;
}

QImage toggles() {
    QImage img = blank(Sheet::ShufRep);
    for (int row = 0; row < 3; ++row) {
        const bool pressed = row == 1, on = row == 2;
        toggleButton(img, 0, 15 * row, 28, 15, nullptr, on, pressed);
        toggleButton(img, 28, 15 * row, 47, 15, "SHUFFLE", on, pressed);
    }
    for (int row = 0; row < 2; ++row) {
        const bool on = row == 1;
        const int y = 61 + 12 * row;
        toggleButton(img, 0, y, 23, 12, "EQ", on, false);
        toggleButton(img, 23, y, 23, 12, "PL", on, false);
        toggleButton(img, 46, y, 23, 12, "EQ", on, true);
        toggleButton(img, 69, y, 23, 12, "PL", on, true);
    }
    return img;
}

}  // namespace sheets
