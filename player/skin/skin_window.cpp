#include "player/skin/skin_window.h"

#include <QPainter>
#include <QPaintEvent>
#include <QTimer>
#include <algorithm>

#include "player/skin/canvas.h"

TSkinWindow::TSkinWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

QImage& TSkinWindow::ScreenImage() {
    const QSize wanted = size().expandedTo(QSize(1, 1));
    if (screen_.size() != wanted) {
        QImage grown(wanted, QImage::Format_RGB32);
        grown.fill(palette().color(backgroundRole()));
        if (!screen_.isNull()) CopyRect(grown, screen_.rect(), screen_, screen_.rect());
        screen_ = std::move(grown);
    }
    return screen_;
}

void TSkinWindow::DrawOnWindow(const QRect& dst, const QImage& source, const QRect& src) {
    CopyRect(ScreenImage(), dst, source, src);
    update(dst);
}

void TSkinWindow::ShowBuffer(const QImage& buffer) {
    // A buffer of the window's size is shared, not copied: the window holds a picture of its own
    // only once either side is drawn on again (a window whose frame stays as built never does).
    if (buffer.size() == size() && buffer.format() == QImage::Format_RGB32) screen_ = buffer;
    else CopyRect(ScreenImage(), buffer.rect(), buffer, buffer.rect());
    update();
}

void TSkinWindow::paintEvent(QPaintEvent* event) {
    if (screen_.isNull()) return;
    QPainter painter(this);
    // In bands: the paint engine hands a fill of a hundred row pieces or more (a row beside a
    // child control is two) to a pool of helper threads, which then stay for half a minute; a
    // copy of a window this small gains nothing by them.
    constexpr int kBandRows = 16;
    const QRect area = event->rect();
    for (int top = area.top(); top <= area.bottom(); top += kBandRows) {
        const QRect band(area.left(), top, area.width(), std::min(kBandRows, area.bottom() + 1 - top));
        painter.drawImage(band, screen_, band);
    }
}

void TSkinWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RequestRepaint();
}

void TSkinWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isVisible()) RequestRepaint();
}

// Posted, not called: a builder resizes and shows its window before its back buffer is ready.
void TSkinWindow::RequestRepaint() {
    if (repaintPending_ || !PaintHandler) return;
    repaintPending_ = true;
    QTimer::singleShot(0, this, [this] {
        repaintPending_ = false;
        if (PaintHandler && isVisible()) PaintHandler();
    });
}

TSkinImage::TSkinImage(QWidget* parent) : QWidget(parent) {}

void TSkinImage::paintEvent(QPaintEvent* event) {
    if (Picture.isNull()) return;
    QPainter painter(this);
    painter.drawImage(event->rect(), Picture, event->rect());
}
