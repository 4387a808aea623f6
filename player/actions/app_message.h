// The application message hook: one application-wide event filter that sees every mouse event
// for the five skinned windows before they do, and turns presses, moves and releases into region
// presses, drags and clicks. It acts where an event is first delivered, at the native window, so
// each mouse event counts once, whichever child widget gets it afterwards.
#pragma once

#include <QObject>
#include <QPoint>
#include <vector>

#include "player/skin/skin_regions.h"

class QWidget;

class TAppMessage : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// Installs the hook once for the life of the process; later calls do nothing.
void InstallAppMessage();

enum class MouseMessage { Down, Up, Move };
// One mouse message for the window of `caption` at a global point; true when it is handled (the
// window must not get it).
bool RouteMouse(const QString& caption, MouseMessage message, bool right, const QPoint& global);

// Press and release over a window's region table at window coordinates.
void DispatchMouseDown(const std::vector<TSkinRegion>& table, int x, int y, bool right);
void DispatchMouseUp(const std::vector<TSkinRegion>& table, int x, int y, bool right);
// Repaints a window (1 .. 5) from its back buffer when it is the window being used and was not
// the one repainted last.
void RepaintIfCurrent(int number);
