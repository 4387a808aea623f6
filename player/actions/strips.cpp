#include "player/actions/strips.h"

#include <QMouseEvent>
#include <QPainter>

#include "player/core/ctrl.h"
#include "player/display/display.h"

namespace {

QPointer<TPlaylistStrip>& Current() {
    static QPointer<TPlaylistStrip> strip;
    return strip;
}

}  // namespace

TPlaylistStrip::TPlaylistStrip(const TStripLayout& layout, QWidget* playlistWindow)
    : QWidget(playlistWindow), layout_(layout) {
    setGeometry(StripGeometry(layout, playlistWindow->width(), playlistWindow->height()));
    setMouseTracking(true);
    image_ = QImage(size(), QImage::Format_RGB32);
    image_.fill(Qt::black);
    CopyRect(image_, Rect(0, 0, kBarWidth, height()), Ctrl->Display->PleditBmp, layout.Bar);
    Highlight(-1);
}

void TPlaylistStrip::Highlight(int y) {
    const int lit = y < 0 ? -1 : StripCellAt(layout_.Cells, y);
    for (int cell = 0; cell < layout_.Cells; ++cell) {
        const QRect place = Rect(kBarWidth, cell * kCellHeight, kStripWidth, (cell + 1) * kCellHeight);
        CopyRect(image_, place, Ctrl->Display->PleditBmp, StripCellSource(layout_, cell, cell == lit));
    }
    update();
}

void TPlaylistStrip::paintEvent(QPaintEvent*) { QPainter(this).drawImage(0, 0, image_); }

void TPlaylistStrip::mouseMoveEvent(QMouseEvent* event) { Highlight(int(event->position().y())); }

void TPlaylistStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // A press dragged off the strip acts on nothing: the release must land on a cell.
    if (!rect().contains(event->position().toPoint())) return;
    const TStrip strip = layout_.Strip;
    const int cell = StripCellAt(layout_.Cells, int(event->position().y()));
    // A cell that pops a menu up leaves its strip open under the menu, which closes it.
    const bool popup = (strip == TStrip::Rem && cell == 0) || (strip == TStrip::Misc && cell != 1);
    if (!popup) ClosePlaylistMenu();
    RunStripCell(strip, cell);
}

TPlaylistStrip* OpenStrip() { return Current(); }

void OpenPlaylistMenu(const QString& region) {
    ClosePlaylistMenu();
    const TStripLayout* layout = StripForRegion(region.toStdString());
    QWidget* window = PlaylistWindow;
    if (!layout || !window) return;
    Current() = new TPlaylistStrip(*layout, window);
    Current()->show();
    Current()->raise();
}

void ClosePlaylistMenu() {
    TPlaylistStrip* strip = Current();
    if (!strip) return;
    Current() = nullptr;
    // The strip may be closing from inside its own handler.
    strip->hide();
    strip->deleteLater();
}

bool InsideOpenStrip(int x, int y) {
    const TPlaylistStrip* strip = Current();
    if (!strip) return false;
    const QRect g = strip->geometry();
    return g.left() < x && x < g.left() + g.width() && g.top() < y && y < g.top() + g.height();
}
