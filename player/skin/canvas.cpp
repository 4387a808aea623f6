#include "player/skin/canvas.h"

#include <QPainter>

void CopyRect(QImage& target, const QRect& dst, const QImage& source, const QRect& src) {
    if (target.isNull() || source.isNull() || dst.width() <= 0 || dst.height() <= 0 || src.width() <= 0 ||
        src.height() <= 0)
        return;
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
