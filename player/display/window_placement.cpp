#include "player/display/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

#include "player/skin/skin_window.h"

int ClampPosition(qint64 value) {
    return int(std::clamp<qint64>(value, -kMaxStoredPosition, kMaxStoredPosition));
}

int ClampSide(qint64 value, int least, int most) {
    return int(std::clamp<qint64>(value, least, std::max(least, most)));
}

int DesktopSideLimit(Qt::Orientation axis, int floor) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen ? screen->virtualGeometry() : QRect();
    const int extent = axis == Qt::Horizontal ? desktop.width() : desktop.height();
    return std::clamp(extent, std::min(floor, kMaxSkinWindowSide), kMaxSkinWindowSide);
}

QRect BringOnScreen(const QRect& place, const QList<QRect>& screens, const QRect& workArea) {
    if (workArea.isEmpty()) return place;
    for (const QRect& screen : screens)
        if (screen.intersects(place)) return place;
    // Computed wide: the place may come straight from a hand-edited setting.
    const qint64 right = qint64(workArea.x()) + workArea.width();
    const qint64 bottom = qint64(workArea.y()) + workArea.height();
    const qint64 x = std::clamp<qint64>(place.x(), workArea.x(), std::max<qint64>(workArea.x(), right - place.width()));
    const qint64 y = std::clamp<qint64>(place.y(), workArea.y(), std::max<qint64>(workArea.y(), bottom - place.height()));
    return QRect(int(x), int(y), place.width(), place.height());
}

QRect BringOnScreen(const QRect& place) {
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) screens.append(screen->geometry());
    const QScreen* primary = QGuiApplication::primaryScreen();
    return BringOnScreen(place, screens, primary ? primary->availableGeometry() : QRect());
}
