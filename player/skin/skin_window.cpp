#include "player/skin/skin_window.h"

#include <QPainter>
#include <QPaintEvent>
#include <QTimer>

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
    painter.drawImage(event->rect(), screen_, event->rect());
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
