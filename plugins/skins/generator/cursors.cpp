// Cursor shapes: filled polygons with a one-pixel dark rim, so they read on light and dark
// windows alike. The hot spots are in skin_layout.h.
#include "cursors.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace cursors {
namespace {

constexpr QRgb kFill = 0xffeef3f5;
constexpr QRgb kRim = 0xff101418;
constexpr QRgb kAccent = 0xff4aa597;

struct Point { double x, y; };
using Polygon = std::vector<Point>;

// Even-odd test at pixel centres.
bool inside(const Polygon& poly, double x, double y) {
    bool in = false;
    for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        const Point& a = poly[i];
        const Point& b = poly[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
    }
    return in;
}

void fillPolygon(QImage& img, const Polygon& poly, QRgb colour) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (inside(poly, x + 0.5, y + 0.5)) img.setPixel(x, y, colour);
}

// Every transparent pixel touching the shape becomes the rim.
void addRim(QImage& img) {
    const QImage shape = img.copy();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            if (qAlpha(shape.pixel(x, y)) != 0) continue;
            bool touches = false;
            for (int dy = -1; dy <= 1 && !touches; ++dy)
                for (int dx = -1; dx <= 1 && !touches; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    touches = nx >= 0 && ny >= 0 && nx < img.width() && ny < img.height() &&
                              qAlpha(shape.pixel(nx, ny)) != 0;
                }
            if (touches) img.setPixel(x, y, kRim);
        }
}

Polygon rotated(const Polygon& poly, double degrees, Point centre) {
    const double a = degrees * M_PI / 180.0, c = std::cos(a), s = std::sin(a);
    Polygon out;
    for (const Point& p : poly) {
        const double dx = p.x - centre.x, dy = p.y - centre.y;
        out.push_back({centre.x + dx * c - dy * s, centre.y + dx * s + dy * c});
    }
    return out;
}

// A double-headed arrow along x, centred on (16, 16), `half` long each way.
Polygon doubleArrow(double half) {
    const double c = 16;
    return {{c - half, c}, {c - half + 6, c - 6}, {c - half + 6, c - 2}, {c + half - 6, c - 2},
            {c + half - 6, c - 6}, {c + half, c}, {c + half - 6, c + 6}, {c + half - 6, c + 2},
            {c - half + 6, c + 2}, {c - half + 6, c + 6}};
}

const Polygon kArrow{{1, 1}, {1, 19}, {5.5, 15}, {8.5, 22}, {11.5, 20.7}, {8.6, 14}, {14.5, 14}};

QImage blankCursor() {
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(0);
    return img;
}

}  // namespace

QImage draw(const char* name) {
    QImage img = blankCursor();
    if (std::strcmp(name, "NORMAL") == 0 || std::strcmp(name, "WSCLOSE") == 0) {
        fillPolygon(img, kArrow, kFill);
        addRim(img);
        if (std::strcmp(name, "WSCLOSE") == 0) {
            // A small close badge beside the arrow.
            for (int y = 17; y < 28; ++y)
                for (int x = 15; x < 26; ++x) img.setPixel(x, y, (x == 15 || x == 25 || y == 17 || y == 27) ? kRim : kAccent);
            for (int i = 0; i < 7; ++i) {
                img.setPixel(17 + i, 19 + i, kFill);
                img.setPixel(23 - i, 19 + i, kFill);
            }
        } else {
            for (int y = 5; y < 14; ++y) img.setPixel(3, y, kAccent);
        }
    } else if (std::strcmp(name, "VOLBAL") == 0) {
        fillPolygon(img, doubleArrow(11), kFill);
        addRim(img);
    } else if (std::strcmp(name, "PVSCROLL") == 0) {
        fillPolygon(img, rotated(doubleArrow(11), 90, {16, 16}), kFill);
        addRim(img);
    } else if (std::strcmp(name, "PSIZE") == 0) {
        fillPolygon(img, rotated(doubleArrow(12), 45, {16, 16}), kFill);
        addRim(img);
    } else if (std::strcmp(name, "TITLEBAR") == 0) {
        fillPolygon(img, doubleArrow(12), kFill);
        fillPolygon(img, rotated(doubleArrow(12), 90, {16, 16}), kFill);
        addRim(img);
        img.setPixel(16, 16, kAccent);
        img.setPixel(15, 16, kAccent);
        img.setPixel(16, 15, kAccent);
        img.setPixel(15, 15, kAccent);
    } else {
        return {};
    }
    return img;
}

}  // namespace cursors
