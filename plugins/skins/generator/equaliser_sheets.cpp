// "eqmain" and "eq_ex": the equaliser window, its 28-step slider backgrounds, knobs, buttons
// and title bars, and its shade bar.
#include "icons.h"
#include "paint.h"
#include "pixel_fonts.h"
#include "sheets.h"

#include <algorithm>

namespace sheets {

using namespace paint;
using icons::BarState;
using icons::WindowButton;
using skin_layout::Sheet;

namespace {

// The sliders' top row in the window, and the slider x positions.
constexpr int kSliderTop = 38;
constexpr int kSliderX[11] = {21, 78, 96, 114, 132, 150, 168, 186, 204, 222, 240};
constexpr const char* kBandLabels[10] = {"60", "170", "310", "600", "1K", "3K", "6K", "12K", "14K", "16K"};
constexpr QRgb kCut = 0xff5c7896;

// Knob centre row inside a slider background for a value 0..63 (the player puts the knob at
// row (63 - value) / 63 * 50 + 1 of the background, 11 rows high).
int knobCentre(int value) { return (63 - value) * 50 / 63 + 6; }

// One slider background: a groove lit from the middle (row 31) to the knob of `value`.
void sliderBackground(QImage& img, int x, int y, int value) {
    for (int r = 0; r < 63; ++r) hline(img, x, x + 14, y + r, bodyAt(kSliderTop + r));
    vline(img, x + 5, y + 2, y + 61, pal::kOutline);
    for (int r = 2; r < 61; ++r) hline(img, x + 6, x + 8, y + r, pal::kLcd);
    vline(img, x + 8, y + 2, y + 61, 0xff4a5462);
    hline(img, x + 5, x + 9, y + 1, pal::kOutline);
    hline(img, x + 5, x + 9, y + 61, 0xff4a5462);
    const int knob = knobCentre(value);
    const int from = std::min(knob, 31), to = std::max(knob, 31);
    for (int r = from; r <= to; ++r) {
        const QRgb c = knob < 31 ? mix(pal::kTeal, pal::kTealBright, (31 - r) / 31.0) : kCut;
        hline(img, x + 6, x + 8, y + r, c);
    }
    for (const int tx : {1, 11}) hline(img, x + tx, x + tx + 2, y + 31, 0xff5a6574);
}

void knob(QImage& img, int x, int y, bool pressed) {
    fill(img, {x, y, x + 11, y + 11}, bodyAt(kSliderTop + 31));
    vgradient(img, {x + 1, y + 1, x + 10, y + 10}, pressed ? pal::kTeal : 0xff6b7686,
              pressed ? pal::kTealDeep : 0xff404855);
    hline(img, x + 1, x + 10, y, pal::kOutline);
    hline(img, x + 1, x + 10, y + 10, pal::kOutline);
    vline(img, x, y + 1, y + 10, pal::kOutline);
    vline(img, x + 10, y + 1, y + 10, pal::kOutline);
    hline(img, x + 2, x + 9, y + 1, pressed ? pal::kTealBright : 0xff8994a3);
    hline(img, x + 2, x + 9, y + 5, pressed ? pal::kTealBright : 0xff262c35);
    hline(img, x + 2, x + 9, y + 6, pressed ? pal::kTeal : 0xff7d8898);
}

void eqTitleBar(QImage& img, int y, bool active) {
    const BarState state = active ? BarState::Active : BarState::Inactive;
    vgradient(img, {0, y + 1, 275, y + 12}, active ? pal::kTitleTop : pal::kTitleIdleTop,
              active ? pal::kTitleBottom : pal::kTitleIdleBottom);
    hline(img, 0, 275, y, pal::kOutline);
    hline(img, 1, 274, y + 1, active ? 0xff627082 : 0xff3c424b);
    hline(img, 0, 275, y + 12, pal::kShadow);
    vline(img, 0, y, y + 13, pal::kOutline);
    vline(img, 274, y, y + 13, pal::kOutline);
    const char* title = "EQUALIZER";
    const int w = fonts::textWidth(title), tx = (250 - w) / 2;
    const QRgb line = active ? 0xff4f8f86 : 0xff3d434c, under = active ? 0xff252b33 : 0xff202328;
    icons::grooves(img, 6, tx - 5, y + 4, line, under);
    icons::grooves(img, tx + w + 5, 250, y + 4, line, under);
    fonts::drawText(img, tx, y + 4, title, active ? pal::kGlyph : pal::kGlyphDim);
    icons::windowButton(img, 254, y + 3, WindowButton::Shade, state);
    icons::windowButton(img, 264, y + 3, WindowButton::Close, state);
}

void graphPanel(QImage& img, int x, int y) {
    lcdField(img, {x, y, x + 113, y + 19});
    for (int gx = x + 12; gx < x + 112; gx += 11) vline(img, gx, y + 2, y + 17, pal::kLcdGhost);
    for (int gx = x + 2; gx < x + 112; gx += 2) set(img, gx, y + 9, pal::kLcdDim);
}

void background(QImage& img) {
    for (int y = 0; y < 116; ++y) hline(img, 0, 275, y, bodyAt(y));
    outline(img, {0, 0, 275, 116}, pal::kOutline);
    vline(img, 1, 1, 115, mix(pal::kBodyTop, pal::kEdgeLight, 0.45));
    vline(img, 273, 1, 115, pal::kShadow);
    hline(img, 1, 274, 114, pal::kShadow);
    eqTitleBar(img, 0, false);
    // Scale between the preamp and the bands, with the flat line running behind the bands.
    fonts::drawLabel(img, 46, 39, "+12", pal::kGlyphDim);
    fonts::drawLabel(img, 54, 67, "0", pal::kGlyphDim);
    fonts::drawLabel(img, 46, 95, "-12", pal::kGlyphDim);
    fonts::drawLabel(img, 62, 67, "DB", 0xff5f6977);
    for (int x = 74; x < 258; x += 2) set(img, x, kSliderTop + 31, 0xff4a5462);
    fonts::drawLabelCentred(img, 14, 42, 105, "PREAMP", pal::kGlyphDim);
    for (int k = 0; k < 10; ++k) fonts::drawLabelCentred(img, kSliderX[k + 1] - 3, kSliderX[k + 1] + 17, 105, kBandLabels[k], pal::kGlyphDim);
    for (const int x : kSliderX) sliderBackground(img, x, kSliderTop, 31);
    for (const int x : kSliderX) knob(img, x + 1, kSliderTop + knobCentre(32) - 5, false);
    graphPanel(img, 86, 17);
    toggleButton(img, 14, 18, 25, 12, "ON", false, false);
    toggleButton(img, 39, 18, 33, 12, "AUTO", false, false);
    buttonFace(img, {217, 18, 261, 30}, false);
    fonts::drawLabelCentred(img, 217, 261, 22, "PRESETS", pal::kGlyph);
}

}  // namespace

QImage equaliser() {
    QImage img = blank(Sheet::EqMain);
    background(img);
    toggleButton(img, 10, 119, 25, 12, "ON", false, false);
    toggleButton(img, 35, 119, 33, 12, "AUTO", false, false);
    toggleButton(img, 69, 119, 25, 12, "ON", true, false);
    toggleButton(img, 94, 119, 33, 12, "AUTO", true, false);
    toggleButton(img, 128, 119, 25, 12, "ON", false, true);
    toggleButton(img, 153, 119, 33, 12, "AUTO", false, true);
    eqTitleBar(img, 134, true);
    eqTitleBar(img, 149, false);
    knob(img, 0, 164, false);
    knob(img, 0, 176, true);
    // 28 backgrounds: values 0..31 on the lower row (y 164), 32..63 on the upper (y 229), each
    // drawn for the largest value that selects it.
    for (int k = 0; k < 14; ++k) {
        sliderBackground(img, 13 + 15 * k, 164, (9 * k + 8) / 4);
        sliderBackground(img, 13 + 15 * k, 229, 32 + (9 * k + 8) / 4);
    }
    for (const bool pressed : {false, true}) {
        const int y = pressed ? 176 : 164, d = pressed ? 1 : 0;
        buttonFace(img, {224, y, 268, y + 12}, pressed);
        fonts::drawLabelCentred(img, 224 + d, 268 + d, y + 4 + d, "PRESETS", pressed ? pal::kTealBright : pal::kGlyph);
    }
    graphPanel(img, 0, 294);
    return img;
}

QImage equaliserShade() {
    QImage img = blank(Sheet::EqEx);
    vgradient(img, {0, 1, 275, 13}, pal::kTitleTop, pal::kTitleBottom);
    hline(img, 0, 275, 0, pal::kOutline);
    hline(img, 1, 274, 1, 0xff627082);
    hline(img, 0, 275, 13, pal::kOutline);
    vline(img, 0, 0, 14, pal::kOutline);
    vline(img, 274, 0, 14, pal::kOutline);
    fonts::drawText(img, 8, 5, "EQUALIZER", pal::kGlyph);
    icons::grooves(img, 57, 250, 4, 0xff4f8f86, 0xff252b33);
    icons::windowButton(img, 254, 3, WindowButton::Unshade, BarState::Active);
    icons::windowButton(img, 264, 3, WindowButton::Close, BarState::Active);
    // Loose buttons on the plain bar they are drawn over: the equaliser's own title bar for the
    // top pair, the shade bar for the others.
    QImage title = blank(Sheet::EqMain);
    eqTitleBar(title, 0, true);
    columnFill(img, 1, 38, 19, 9, title, 252, 3);
    columnFill(img, 1, 47, 19, 9, img, 252, 3);
    icons::windowButton(img, 1, 38, WindowButton::Shade, BarState::Pressed);
    icons::windowButton(img, 11, 38, WindowButton::Close, BarState::Active);
    icons::windowButton(img, 1, 47, WindowButton::Unshade, BarState::Pressed);
    icons::windowButton(img, 11, 47, WindowButton::Close, BarState::Pressed);
    return img;
}

}  // namespace sheets
