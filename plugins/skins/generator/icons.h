// Symbols shared by several sheets: transport symbols, the small window buttons of the title
// bars, status lamps, the resize grip.
#pragma once

#include <QImage>

namespace icons {

enum class Transport { Previous, Play, Pause, Stop, Next, Open };
enum class WindowButton { Menu, Minimise, Shade, Unshade, Close };
enum class BarState { Active, Inactive, Pressed };

// A transport symbol centred on (cx, cy): the large one of the main buttons (about 10 x 9)
// or the small one of the shade bars and the playlist's bottom bar (about 7 x 5).
void transport(QImage& img, int cx, int cy, Transport which, QRgb colour);
void transportSmall(QImage& img, int cx, int cy, Transport which, QRgb colour);

// A 9 x 9 title-bar button with its top-left corner at (x, y).
void windowButton(QImage& img, int x, int y, WindowButton which, BarState state);

// A 3 x 3 lamp at (x, y), lit or dark.
void lamp(QImage& img, int x, int y, bool lit);

// Diagonal grip dots filling the square whose bottom-right pixel is (right, bottom).
void resizeGrip(QImage& img, int right, int bottom, QRgb light, QRgb dark);

// Two engraved lines along a title bar from x0 to x1 (exclusive), upper line at y.
void grooves(QImage& img, int x0, int x1, int y, QRgb line, QRgb under);

}  // namespace icons
