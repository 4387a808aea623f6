// The class library's rectangle copy, kept exactly: rectangles are (left, top, right, bottom) with
// right and bottom exclusive; different sizes stretch by nearest neighbour with no smoothing; the
// copy is clipped to both images; an empty or inverted rectangle draws nothing.
#pragma once

#include <QImage>
#include <QRect>

// (left, top, right, bottom), right and bottom exclusive, as the skin tables write them.
constexpr QRect Rect(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

// Copies source rectangle src of source onto rectangle dst of target.
void CopyRect(QImage& target, const QRect& dst, const QImage& source, const QRect& src);
