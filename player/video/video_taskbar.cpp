#include "player/video/video_taskbar.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>

namespace video_taskbar {
namespace {

QPointer<QWidget> holder;

// A quit (also the orderly end on a signal) passes here; a crash takes the window, and with it
// the state, away on its own.
void RestoreAtQuit() {
    static bool connected = false;
    if (connected || !QCoreApplication::instance()) return;
    connected = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, [] { RestoreTaskbar(); });
}

void SetFullScreen(QWidget* window, bool on) {
    const QRect place = window->geometry();
    const Qt::WindowStates state = window->windowState();
    window->setWindowState(on ? state | Qt::WindowFullScreen : state & ~Qt::WindowFullScreen);
    // The screen modes place the window themselves (the skin frame may lie off the screen).
    window->setGeometry(place);
}

}  // namespace

void HideTaskbar(QWidget* window, bool hide) {
    if (!window) return;
    if (!hide) {
        if (holder == window) RestoreTaskbar();
        return;
    }
    if (holder == window) return;
    RestoreTaskbar();
    RestoreAtQuit();
    holder = window;
    SetFullScreen(window, true);
}

QWidget* Holder() { return holder; }

void RestoreTaskbar() {
    QWidget* window = holder;
    holder = nullptr;
    if (window) SetFullScreen(window, false);
}

}  // namespace video_taskbar
