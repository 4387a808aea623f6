#include "player/video/video_taskbar.h"

#include <QCoreApplication>
#include <QPointer>
#include <QWidget>
#include <QWindow>

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

// Window managers give a window in the full-screen state the monitor's rectangle, which would
// put the skin frame on the screen and cut the picture; the screen modes place the window
// themselves (the frame may lie off the screen). Kept above the other windows instead, the
// panels included, it keeps the place it was given. The state goes on the native window only:
// a widget's new flags would hide and show it again.
void KeepAbove(QWidget* window, bool on) {
    QWindow* native = window->windowHandle();
    if (!native) return;
    native->setFlag(Qt::WindowStaysOnTopHint, on || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    if (on) window->raise();
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
    KeepAbove(window, true);
}

QWidget* Holder() { return holder; }

void RestoreTaskbar() {
    QWidget* window = holder;
    holder = nullptr;
    if (window) KeepAbove(window, false);
}

}  // namespace video_taskbar
