// Small pixel-exact drawing helpers and the palette of the built-in skin. Everything is drawn
// pixel by pixel (no fonts, no smoothing), so the generated sheets are the same on every machine.
#pragma once

#include "plugins/skins/skin_layout.h"

#include <QImage>
#include <initializer_list>

namespace paint {

using skin_layout::Rect;

// Slate and graphite with a muted teal accent.
namespace pal {
inline constexpr QRgb kOutline = 0xff0f1216;
inline constexpr QRgb kShadow = 0xff191d23;
inline constexpr QRgb kBodyTop = 0xff343c48;
inline constexpr QRgb kBodyBottom = 0xff262c35;
inline constexpr QRgb kEdgeLight = 0xff5a6574;
inline constexpr QRgb kEdgeDark = 0xff1c2026;
inline constexpr QRgb kLcd = 0xff0b1416;
inline constexpr QRgb kLcdGhost = 0xff111d22;
inline constexpr QRgb kLcdText = 0xff86dccb;
inline constexpr QRgb kLcdDim = 0xff2f5a54;
inline constexpr QRgb kTeal = 0xff4aa597;
inline constexpr QRgb kTealBright = 0xff92e8d7;
inline constexpr QRgb kTealDeep = 0xff2a6a61;
inline constexpr QRgb kAmber = 0xffd9a54c;
inline constexpr QRgb kGlyph = 0xffd5dce4;
inline constexpr QRgb kGlyphDim = 0xff7f8995;
inline constexpr QRgb kButtonTop = 0xff4e5867;
inline constexpr QRgb kButtonBottom = 0xff363d49;
inline constexpr QRgb kPressedTop = 0xff1b1f25;
inline constexpr QRgb kPressedBottom = 0xff2a3039;
inline constexpr QRgb kTitleTop = 0xff45505f;
inline constexpr QRgb kTitleBottom = 0xff2c333d;
inline constexpr QRgb kTitleIdleTop = 0xff30353d;
inline constexpr QRgb kTitleIdleBottom = 0xff262a30;
inline constexpr QRgb kUnused = 0xff1a1d22;  // sheet areas no window reads
}  // namespace pal

QRgb mix(QRgb a, QRgb b, double t);  // t = 0 gives a, 1 gives b
QRgb lighter(QRgb c, int amount);    // adds amount to each channel, clamped

// The main and equaliser windows' body colour at a window row, so pieces drawn in other sheets
// (slider rows, the seek track, button gaps) sit on exactly the background around them.
QRgb bodyAt(int windowY, int windowHeight = 116);

void set(QImage& img, int x, int y, QRgb c);  // clipped
void fill(QImage& img, Rect r, QRgb c);
void hline(QImage& img, int x0, int x1, int y, QRgb c);  // x1 exclusive
void vline(QImage& img, int x, int y0, int y1, QRgb c);  // y1 exclusive
void vgradient(QImage& img, Rect r, QRgb top, QRgb bottom);
void outline(QImage& img, Rect r, QRgb c);
// One-pixel raised (light top/left, dark bottom/right) or sunken (the reverse) edge.
void bevel(QImage& img, Rect r, QRgb light, QRgb dark);
// Rows of '#' (and '+', drawn in the second colour) placed at (x, y).
void pattern(QImage& img, int x, int y, std::initializer_list<const char*> rows, QRgb c,
             QRgb second = 0);
// Copies a rectangle of one image to (x, y) of another (or the same) image.
void copy(QImage& dst, int x, int y, const QImage& src, Rect from);

// Fills a w x h block at (x, y) with copies of one column of `from` starting at (fromX, fromY):
// the plain bar behind a loose button picture, so its corners match the bar it is drawn on.
void columnFill(QImage& img, int x, int y, int w, int h, const QImage& from, int fromX, int fromY);

// A recessed display field: dark face, shadowed top/left, lit bottom/right edge.
void lcdField(QImage& img, Rect r);
// A raised button face with its dark outline; `pressed` sinks it.
void buttonFace(QImage& img, Rect r, bool pressed);

// Arrow heads of odd height h, tip at (x, y + h/2): pointing right or left.
void triangleRight(QImage& img, int x, int y, int h, QRgb c);
void triangleLeft(QImage& img, int x, int y, int h, QRgb c);
// Pointing up, width w odd, tip at (x + w/2, y).
void triangleUp(QImage& img, int x, int y, int w, QRgb c);
void triangleDown(QImage& img, int x, int y, int w, QRgb c);

}  // namespace paint
