// Shades derived from a colour, pixel-by-pixel recolouring of small bitmaps, and the desktop's
// colours and menu font, as the flat menu painter uses them.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPalette>

class QPainter;

namespace menupainter {

// The desktop colours a colour property may name instead of a fixed colour; they are looked up in
// the application palette at each paint, so a palette change shows at the next paint.
enum class SystemColour { BtnFace, BtnShadow, Highlight, MenuText, InactiveCaption, Menu };

// A colour property's value: a fixed colour or a reference to a desktop colour.
class ColourRef {
public:
    ColourRef(const QColor& colour) : fixed_(colour) {}  // NOLINT: converts like the colour itself
    ColourRef(SystemColour system) : system_(system), isSystem_(true) {}  // NOLINT
    bool IsSystem() const { return isSystem_; }

private:
    friend QColor ColorToRGB(const ColourRef& colour, const QPalette& palette);
    QColor fixed_;
    SystemColour system_ = SystemColour::BtnFace;
    bool isSystem_ = false;
};

// The plain RGB of a colour property, desktop colours resolved against palette.
QColor ColorToRGB(const ColourRef& colour, const QPalette& palette);

// Each channel less amount, green less two fewer; clamped to 0..255. A negative amount brightens.
QColor DarkenColor(const QColor& colour, int amount);
// Each channel moved percent of the way to 255 (nearest, halves to even); percent at most 100.
// A negative percent moves the channels away from 255 (darkens), clamped at 0.
QColor LightenColor(const QColor& colour, int percent);
// A grey of the channel mean plus brightening (at most 100), capped at 240.
QColor GrayColor(const QColor& colour, int brightening);

// Every pixel through GrayColor / LightenColor (percent at most 100); alpha is kept.
void GrayBitmap(QImage& bitmap, int brightening);
void LightenBitmap(QImage& bitmap, int percent);
// The bitmap's silhouette in one colour at (x, y): every pixel that differs from the bottom-left
// one. An empty bitmap draws nothing.
void DrawBitmapTransparent(const QImage& bitmap, QPainter& canvas, int x, int y, const QColor& colour);

// The desktop's menu font and its text colour.
QFont SystemMenuFont();
QColor SystemMenuTextColour(const QPalette& palette);

}  // namespace menupainter
