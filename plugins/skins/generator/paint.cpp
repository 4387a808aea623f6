// Pixel helpers of the skin generator.
#include "paint.h"

#include <algorithm>
#include <cmath>

namespace paint {

QRgb mix(QRgb a, QRgb b, double t) {
    const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)), channel(qBlue(a), qBlue(b)));
}

QRgb lighter(QRgb c, int amount) {
    const auto channel = [amount](int x) { return std::clamp(x + amount, 0, 255); };
    return qRgb(channel(qRed(c)), channel(qGreen(c)), channel(qBlue(c)));
}

QRgb bodyAt(int windowY, int windowHeight) {
    return mix(pal::kBodyTop, pal::kBodyBottom, std::clamp(windowY, 0, windowHeight) / double(windowHeight));
}

void set(QImage& img, int x, int y, QRgb c) {
    if (x >= 0 && y >= 0 && x < img.width() && y < img.height()) img.setPixel(x, y, c);
}

void fill(QImage& img, Rect r, QRgb c) {
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x) set(img, x, y, c);
}

void hline(QImage& img, int x0, int x1, int y, QRgb c) {
    for (int x = x0; x < x1; ++x) set(img, x, y, c);
}

void vline(QImage& img, int x, int y0, int y1, QRgb c) {
    for (int y = y0; y < y1; ++y) set(img, x, y, c);
}

void vgradient(QImage& img, Rect r, QRgb top, QRgb bottom) {
    const int rows = std::max(1, r.height() - 1);
    for (int y = r.top; y < r.bottom; ++y) hline(img, r.left, r.right, y, mix(top, bottom, (y - r.top) / double(rows)));
}

void outline(QImage& img, Rect r, QRgb c) {
    hline(img, r.left, r.right, r.top, c);
    hline(img, r.left, r.right, r.bottom - 1, c);
    vline(img, r.left, r.top, r.bottom, c);
    vline(img, r.right - 1, r.top, r.bottom, c);
}

void bevel(QImage& img, Rect r, QRgb light, QRgb dark) {
    hline(img, r.left, r.right - 1, r.top, light);
    vline(img, r.left, r.top, r.bottom - 1, light);
    hline(img, r.left + 1, r.right, r.bottom - 1, dark);
    vline(img, r.right - 1, r.top + 1, r.bottom, dark);
}

void pattern(QImage& img, int x, int y, std::initializer_list<const char*> rows, QRgb c, QRgb second) {
    int row = 0;
    for (const char* line : rows) {
        for (int col = 0; line[col] != '\0'; ++col) {
            if (line[col] == '#') set(img, x + col, y + row, c);
            else if (line[col] == '+') set(img, x + col, y + row, second);
        }
        ++row;
    }
}

void copy(QImage& dst, int x, int y, const QImage& src, Rect from) {
    const QImage part = src.copy(from.left, from.top, from.width(), from.height());
    for (int row = 0; row < part.height(); ++row)
        for (int col = 0; col < part.width(); ++col) set(dst, x + col, y + row, part.pixel(col, row));
}

void columnFill(QImage& img, int x, int y, int w, int h, const QImage& from, int fromX, int fromY) {
    for (int r = 0; r < h; ++r) hline(img, x, x + w, y + r, from.pixel(fromX, fromY + r));
}

void lcdField(QImage& img, Rect r) {
    fill(img, r, pal::kLcd);
    hline(img, r.left, r.right, r.top, pal::kOutline);
    vline(img, r.left, r.top, r.bottom, pal::kOutline);
    hline(img, r.left + 1, r.right, r.bottom - 1, lighter(pal::kEdgeLight, -18));
    vline(img, r.right - 1, r.top + 1, r.bottom, lighter(pal::kEdgeLight, -18));
}

void buttonFace(QImage& img, Rect r, bool pressed) {
    const Rect inner{r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
    if (pressed) {
        vgradient(img, inner, pal::kPressedTop, pal::kPressedBottom);
        hline(img, inner.left, inner.right, inner.top, 0xff111418);
        vline(img, inner.left, inner.top, inner.bottom, 0xff14171b);
    } else {
        vgradient(img, inner, pal::kButtonTop, pal::kButtonBottom);
        bevel(img, inner, 0xff6a7584, 0xff2a3039);
    }
    outline(img, r, pal::kOutline);
}

void triangleRight(QImage& img, int x, int y, int h, QRgb c) {
    for (int row = 0; row < h; ++row) hline(img, x, x + std::min(row, h - 1 - row) + 1, y + row, c);
}

void triangleLeft(QImage& img, int x, int y, int h, QRgb c) {
    const int w = h / 2 + 1;
    for (int row = 0; row < h; ++row) {
        const int len = std::min(row, h - 1 - row) + 1;
        hline(img, x + w - len, x + w, y + row, c);
    }
}

void triangleUp(QImage& img, int x, int y, int w, QRgb c) {
    for (int row = 0; row <= w / 2; ++row) hline(img, x + w / 2 - row, x + w / 2 + row + 1, y + row, c);
}

void triangleDown(QImage& img, int x, int y, int w, QRgb c) {
    for (int row = 0; row <= w / 2; ++row) hline(img, x + row, x + w - row, y + row, c);
}

}  // namespace paint
