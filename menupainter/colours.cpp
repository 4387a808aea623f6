#include "menupainter/colours.h"

#include <QApplication>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <optional>

namespace menupainter {

namespace {

int Channel(int value) { return std::clamp(value, 0, 255); }

// The palette role each desktop colour stands for.
QColor SystemColor(SystemColour system, const QPalette& palette) {
    switch (system) {
    case SystemColour::BtnFace: return palette.color(QPalette::Active, QPalette::Button);
    case SystemColour::BtnShadow: return palette.color(QPalette::Active, QPalette::Dark);
    case SystemColour::Highlight: return palette.color(QPalette::Active, QPalette::Highlight);
    case SystemColour::MenuText: return palette.color(QPalette::Active, QPalette::WindowText);
    case SystemColour::InactiveCaption: return palette.color(QPalette::Disabled, QPalette::WindowText);
    case SystemColour::Menu: return palette.color(QPalette::Active, QPalette::Window);
    }
    return {};
}

// Runs every pixel through recolour, top row first, left to right; a run of equal pixels is
// computed once, as icons are mostly runs of one colour.
template <typename Recolour>
void RecolourBitmap(QImage& bitmap, Recolour recolour) {
    if (bitmap.isNull()) return;
    if (bitmap.format() != QImage::Format_ARGB32 && bitmap.format() != QImage::Format_RGB32)
        bitmap = bitmap.convertToFormat(QImage::Format_ARGB32);
    std::optional<QRgb> last;
    QRgb lastResult = 0;
    for (int y = 0; y < bitmap.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(bitmap.scanLine(y));
        for (int x = 0; x < bitmap.width(); ++x) {
            if (!last || row[x] != *last) {
                last = row[x];
                const QColor result = recolour(QColor::fromRgb(row[x]));
                lastResult = qRgba(result.red(), result.green(), result.blue(), qAlpha(row[x]));
            }
            row[x] = lastResult;
        }
    }
}

}  // namespace

QColor ColorToRGB(const ColourRef& colour, const QPalette& palette) {
    const QColor rgb = colour.isSystem_ ? SystemColor(colour.system_, palette) : colour.fixed_;
    return QColor(rgb.red(), rgb.green(), rgb.blue());
}

QColor DarkenColor(const QColor& colour, int amount) {
    return QColor(Channel(colour.red() - amount), Channel(colour.green() - amount + 2),
                  Channel(colour.blue() - amount));
}

QColor LightenColor(const QColor& colour, int percent) {
    const int p = std::min(percent, 100);
    // (255 - c) * p / 100 is exact when it ends in .5, so nearbyint sees the true half. A negative
    // percent moves a channel away from 255, so a small one darkens; the channels are clamped.
    const auto lighten = [p](int c) { return Channel(c + int(std::nearbyint((255 - c) * p / 100.0))); };
    return QColor(lighten(colour.red()), lighten(colour.green()), lighten(colour.blue()));
}

QColor GrayColor(const QColor& colour, int brightening) {
    const int n = std::min(brightening, 100);
    const int v = Channel(std::min(n + (colour.red() + colour.green() + colour.blue()) / 3, 240));
    return QColor(v, v, v);
}

void GrayBitmap(QImage& bitmap, int brightening) {
    RecolourBitmap(bitmap, [brightening](const QColor& c) { return GrayColor(c, brightening); });
}

void LightenBitmap(QImage& bitmap, int percent) {
    const int p = std::min(percent, 100);
    RecolourBitmap(bitmap, [p](const QColor& c) { return LightenColor(c, p); });
}

void DrawBitmapTransparent(const QImage& bitmap, QPainter& canvas, int x, int y, const QColor& colour) {
    if (bitmap.width() <= 0 || bitmap.height() <= 0) return;
    const QImage source = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = source.pixel(0, source.height() - 1);
    const QRgb ink = qRgba(colour.red(), colour.green(), colour.blue(), 255);
    QImage silhouette(source.size(), QImage::Format_ARGB32);
    for (int j = 0; j < source.height(); ++j) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(j));
        auto* out = reinterpret_cast<QRgb*>(silhouette.scanLine(j));
        for (int i = 0; i < source.width(); ++i) out[i] = in[i] == key ? 0 : ink;
    }
    canvas.drawImage(x, y, silhouette);
}

QFont SystemMenuFont() { return QApplication::font("QMenu"); }

QColor SystemMenuTextColour(const QPalette& palette) {
    return ColorToRGB(SystemColour::MenuText, palette);
}

}  // namespace menupainter
