#include "player/skin/canvas.h"

#include <QPainter>
#include <algorithm>

namespace {

// An unscaled copy onto a 32-bit picture from one of the forms the skins are kept in (32-bit, or
// indices into opaque colours) is a plain copy of rows; false for any other copy. The paint
// engine would give the same pixels, at the cost of an engine per copy and, for a piece of some
// hundred rows, of a pool of helper threads started to fill it.
bool CopyRows(QImage& target, const QRect& dst, const QImage& source, const QRect& src) {
    if (dst.size() != src.size() || target.format() != QImage::Format_RGB32 || &target == &source) return false;
    const bool indexed = source.format() == QImage::Format_Indexed8;
    if (!indexed && source.format() != QImage::Format_RGB32) return false;
    const QList<QRgb> colours = indexed ? source.colorTable() : QList<QRgb>();
    if (std::any_of(colours.begin(), colours.end(), [](QRgb c) { return qAlpha(c) != 255; })) return false;
    // The part of the source rectangle inside the source, where it lands, clipped to the target.
    const QPoint shift = dst.topLeft() - src.topLeft();
    const QRect landing = (src & source.rect()).translated(shift) & target.rect();
    if (landing.isEmpty()) return true;
    const QPoint from = landing.topLeft() - shift;
    for (int y = 0; y < landing.height(); ++y) {
        QRgb* out = reinterpret_cast<QRgb*>(target.scanLine(landing.top() + y)) + landing.left();
        if (indexed) {
            const uchar* in = source.constScanLine(from.y() + y) + from.x();
            for (int x = 0; x < landing.width(); ++x) out[x] = in[x] < colours.size() ? colours[in[x]] : qRgb(0, 0, 0);
        } else {
            const QRgb* in = reinterpret_cast<const QRgb*>(source.constScanLine(from.y() + y)) + from.x();
            for (int x = 0; x < landing.width(); ++x) out[x] = in[x] | 0xFF000000u;
        }
    }
    return true;
}

}  // namespace

void CopyRect(QImage& target, const QRect& dst, const QImage& source, const QRect& src) {
    if (target.isNull() || source.isNull() || dst.width() <= 0 || dst.height() <= 0 || src.width() <= 0 ||
        src.height() <= 0)
        return;
    if (CopyRows(target, dst, source, src)) return;
    // Pixels of the source rectangle that lie outside the source image are left undrawn, as a
    // blit from outside a bitmap draws nothing there.
    QPainter painter(&target);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const QRect inside = src & source.rect();
    if (inside.isEmpty()) return;
    const double sx = double(dst.width()) / src.width();
    const double sy = double(dst.height()) / src.height();
    const QRectF target_part(dst.left() + (inside.left() - src.left()) * sx, dst.top() + (inside.top() - src.top()) * sy,
                             inside.width() * sx, inside.height() * sy);
    painter.drawImage(target_part, source, inside);
}
