#include "player/skin/sheet_fit.h"

#include <QHash>
#include <QPainter>
#include <algorithm>

#include "player/skin/canvas.h"

namespace {

QRect ToQRect(const skin_layout::Rect& r) { return Rect(r.left, r.top, r.right, r.bottom); }

}  // namespace

bool SheetForName(const QString& name, skin_layout::Sheet* sheet) {
    const QString lower = name.toLower();
    const QString key = lower == QLatin1String("nums_ex") ? QStringLiteral("numbers") : lower;
    for (const skin_layout::SheetInfo& info : skin_layout::kSheets) {
        if (key == QLatin1String(info.name)) {
            *sheet = info.sheet;
            return true;
        }
    }
    return false;
}

std::vector<skin_layout::Rect> RectanglesOf(skin_layout::Sheet sheet) {
    std::vector<skin_layout::Rect> rects;
    for (const skin_layout::Piece& piece : skin_layout::kPieces) {
        if (piece.sheet != sheet) continue;
        for (int k = 0; k < piece.count; ++k) rects.push_back(piece.at(k));
    }
    for (const skin_layout::PressedPair& pair : skin_layout::kPressedPairs) {
        if (pair.normalSheet == sheet) rects.push_back(pair.normal);
        if (pair.pressedSheet == sheet) rects.push_back(pair.pressed);
    }
    return rects;
}

bool CoversLayout(const QImage& image, skin_layout::Sheet sheet) {
    const std::vector<skin_layout::Rect> rects = RectanglesOf(sheet);
    return std::all_of(rects.begin(), rects.end(),
                       [&](const skin_layout::Rect& r) { return image.rect().contains(ToQRect(r)); });
}

QImage FillFromBuiltIn(const QImage& image, skin_layout::Sheet sheet, const QImage& builtIn) {
    if (builtIn.isNull()) return image;
    if (image.isNull()) return builtIn;
    QImage filled(std::max(image.width(), builtIn.width()), std::max(image.height(), builtIn.height()),
                  QImage::Format_RGB32);
    filled.fill(Qt::black);
    CopyRect(filled, builtIn.rect(), builtIn, builtIn.rect());
    CopyRect(filled, image.rect(), image, image.rect());
    for (const skin_layout::Rect& r : RectanglesOf(sheet)) {
        const QRect place = ToQRect(r);
        if (!image.rect().contains(place)) CopyRect(filled, place, builtIn, place);
    }
    return filled;
}

QImage CompactSheet(QImage image) {
    if (image.format() != QImage::Format_RGB32) return image;
    QImage compact(image.size(), QImage::Format_Indexed8);
    if (compact.isNull()) return image;
    QList<QRgb> table;
    QHash<QRgb, uchar> index;
    QRgb last = 0;
    uchar lastIndex = 0;
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uchar* dst = compact.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = src[x];
            if (table.isEmpty() || pixel != last) {
                auto found = index.constFind(pixel);
                if (found == index.constEnd()) {
                    if (table.size() == 256) return image;
                    found = index.insert(pixel, uchar(table.size()));
                    table.append(pixel);
                }
                last = pixel;
                lastIndex = *found;
            }
            dst[x] = lastIndex;
        }
    }
    compact.setColorTable(table);
    return compact;
}
