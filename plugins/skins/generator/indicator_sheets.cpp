// Indicator and slider sheets: digits, text font, play state, channel marks, seek bar, volume
// and balance.
#include "icons.h"
#include "paint.h"
#include "pixel_fonts.h"
#include "sheets.h"

#include <algorithm>
#include <cmath>

namespace sheets {

using namespace paint;
using skin_layout::Sheet;

namespace {

// The player puts the slider rows at window row 58 and the seek bar at row 72.
constexpr int kSliderRow = 58;
constexpr int kSeekRow = 72;

// A rounded slider thumb of w x h with a centre grip; the corners show the window body.
void thumb(QImage& img, int x, int y, int w, int h, int windowY, bool held) {
    for (int r = 0; r < h; ++r) hline(img, x, x + w, y + r, bodyAt(windowY + r));
    const QRgb top = held ? pal::kTeal : 0xff6b7686;
    const QRgb bottom = held ? pal::kTealDeep : 0xff404855;
    vgradient(img, {x + 1, y + 1, x + w - 1, y + h - 1}, top, bottom);
    hline(img, x + 1, x + w - 1, y, pal::kOutline);
    hline(img, x + 1, x + w - 1, y + h - 1, pal::kOutline);
    vline(img, x, y + 1, y + h - 1, pal::kOutline);
    vline(img, x + w - 1, y + 1, y + h - 1, pal::kOutline);
    hline(img, x + 2, x + w - 2, y + 1, held ? pal::kTealBright : 0xff8994a3);
    const QRgb grip = held ? pal::kTealBright : 0xff262c35;
    const QRgb gripLight = held ? pal::kTeal : 0xff7d8898;
    const int cx = x + w / 2;
    for (const int gx : {cx - 2, cx, cx + 2}) {
        if (w < 12 && gx != cx) continue;
        vline(img, gx - 1, y + 3, y + h - 3, grip);
        vline(img, gx, y + 3, y + h - 3, gripLight);
    }
}

// A recessed groove of 4 rows with its fill from x0 to fillEnd (exclusive).
void groove(QImage& img, int x0, int x1, int y, int fillEnd, QRgb fillFrom, QRgb fillTo) {
    hline(img, x0 + 1, x1 - 1, y, pal::kOutline);
    vline(img, x0, y + 1, y + 3, pal::kOutline);
    for (int r = 1; r <= 2; ++r) hline(img, x0 + 1, x1 - 1, y + r, pal::kLcd);
    hline(img, x0 + 1, x1 - 1, y + 3, 0xff4a5462);
    vline(img, x1 - 1, y + 1, y + 3, 0xff4a5462);
    for (int x = x0 + 1; x < std::min(fillEnd, x1 - 1); ++x) {
        const QRgb c = mix(fillFrom, fillTo, (x - x0) / double(x1 - x0));
        set(img, x, y + 1, lighter(c, 28));
        set(img, x, y + 2, c);
    }
}

}  // namespace

QImage blank(Sheet sheet) {
    const skin_layout::SheetInfo& s = skin_layout::sheetInfo(sheet);
    QImage img(s.width, s.height, QImage::Format_RGB32);
    img.fill(pal::kUnused);
    return img;
}

void seekTrack(QImage& img, int x, int y) {
    for (int r = 0; r < 10; ++r) hline(img, x, x + 248, y + r, bodyAt(kSeekRow + r));
    groove(img, x + 1, x + 247, y + 3, 0, 0, 0);
    for (int t = 1; t < 8; ++t) set(img, x + 1 + t * 245 / 8, y + 8, 0xff46505d);
}

QImage digits() {
    QImage img = blank(Sheet::Numbers);
    img.fill(pal::kLcd);
    for (int d = 0; d < 10; ++d) fonts::drawTimeDigit(img, 9 * d, 0, fonts::digitSegments(d));
    fonts::drawTimeDigit(img, 90, 0, 0);  // reached only by 100 minutes or more: shows a blank
    return img;
}

QImage textFont() {
    QImage img = blank(Sheet::Text);
    img.fill(pal::kLcd);
    using namespace skin_layout::text_font;
    for (char c = 'A'; c <= 'Z'; ++c)
        fonts::drawTextGlyph(img, kLetterA.left + kStep * (c - 'A'), kLetterA.top, c, pal::kLcdText);
    for (char c = '0'; c <= '9'; ++c)
        fonts::drawTextGlyph(img, kDigitZero.left + kStep * (c - '0'), kDigitZero.top, c, pal::kLcdText);
    // Comma and full stop share one cell: it shows the full stop.
    for (const Punctuation& p : kPunctuation)
        if (p.c != U',') fonts::drawTextGlyph(img, p.x, p.y, static_cast<char>(p.c), pal::kLcdText);
    return img;
}

QImage playState() {
    QImage img = blank(Sheet::PlayPaus);
    img.fill(pal::kLcd);
    triangleRight(img, 3, 1, 7, pal::kTealBright);
    fill(img, {11, 1, 13, 8}, pal::kLcdText);
    fill(img, {14, 1, 16, 8}, pal::kLcdText);
    fill(img, {20, 2, 25, 7}, pal::kLcdText);
    fill(img, {37, 2, 39, 7}, pal::kTeal);
    fill(img, {40, 2, 42, 7}, pal::kAmber);
    return img;
}

QImage monoStereo() {
    QImage img = blank(Sheet::MonoSter);
    img.fill(pal::kLcd);
    for (int row = 0; row < 2; ++row) {
        const QRgb c = row == 0 ? pal::kLcdText : pal::kLcdGhost;
        fonts::drawLabelCentred(img, 0, 29, 12 * row + 4, "STEREO", c);
        fonts::drawLabelCentred(img, 29, 58, 12 * row + 4, "MONO", c);
    }
    return img;
}

QImage positionBar() {
    QImage img = blank(Sheet::PosBar);
    seekTrack(img, 0, 0);
    thumb(img, 248, 0, 29, 10, kSeekRow, false);
    for (int r = 0; r < 10; ++r) set(img, 277, r, bodyAt(kSeekRow + r));
    thumb(img, 278, 0, 29, 10, kSeekRow, true);
    return img;
}

QImage volume() {
    QImage img = blank(Sheet::Volume);
    for (int k = 0; k < 28; ++k) {
        const int y = 15 * k + 1;
        for (int r = 0; r < 12; ++r) hline(img, 0, 68, y + r, bodyAt(kSliderRow + r));
        // The thumb for the volumes of this row sits near x = 1.82k; fill up to its middle.
        const int fillEnd = 8 + static_cast<int>(std::lround(k * 51.0 / 28.0));
        groove(img, 1, 66, y + 4, fillEnd + 1, pal::kTealDeep, pal::kTealBright);
    }
    thumb(img, 15, 422, 14, 11, kSliderRow, false);
    thumb(img, 0, 422, 14, 11, kSliderRow, true);
    return img;
}

QImage balance() {
    QImage img = blank(Sheet::Balance);
    for (int k = 0; k < 28; ++k) {
        const int y = 15 * k + 1;
        for (int r = 0; r < 12; ++r) hline(img, 0, 68, y + r, bodyAt(kSliderRow + r));
        // The row only knows how far from the centre the balance is: the groove warms with it.
        // The sheet's 38 columns are squeezed into 37, so the centre mark is two columns wide.
        const QRgb tint = mix(pal::kLcd, pal::kTeal, 0.15 + 0.75 * k / 27.0);
        groove(img, 10, 45, y + 4, 45, tint, tint);
        fill(img, {27, y + 4, 29, y + 8}, k == 0 ? pal::kTealBright : 0xff8994a3);
    }
    thumb(img, 15, 422, 14, 11, kSliderRow, false);
    thumb(img, 0, 422, 14, 11, kSliderRow, true);
    return img;
}

QImage draw(Sheet sheet) {
    switch (sheet) {
    case Sheet::Avs: return videoFrame();
    case Sheet::Balance: return balance();
    case Sheet::CButtons: return controlButtons();
    case Sheet::EqMain: return equaliser();
    case Sheet::EqEx: return equaliserShade();
    case Sheet::Main: return mainWindow();
    case Sheet::Mb: return browserFrame();
    case Sheet::MonoSter: return monoStereo();
    case Sheet::Numbers: return digits();
    case Sheet::PlayPaus: return playState();
    case Sheet::PlEdit: return playlist();
    case Sheet::PosBar: return positionBar();
    case Sheet::ShufRep: return toggles();
    case Sheet::Text: return textFont();
    case Sheet::TitleBar: return titleBar();
    case Sheet::Volume: return volume();
    }
    return {};
}

}  // namespace sheets
