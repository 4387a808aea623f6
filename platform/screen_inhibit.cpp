#include "platform/screen_inhibit.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

#include <X11/Xlib.h>
#include <X11/extensions/scrnsaver.h>

namespace platform {
namespace {

bool useSessionBus = true;

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/org/freedesktop/ScreenSaver");

QDBusInterface* ScreenSaverService() {
    if (!useSessionBus) return nullptr;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return nullptr;
    static QDBusInterface* face = nullptr;
    if (!face) face = new QDBusInterface(kService, kPath, kService, bus);
    return face->isValid() ? face : nullptr;
}

}  // namespace

void ScreenInhibit::UseSessionBus(bool use) { useSessionBus = use; }

ScreenInhibit::~ScreenInhibit() { Release(); }

ScreenInhibit::Way ScreenInhibit::Hold(const QString& application, const QString& reason) {
    if (way_ != Way::Off) return way_;
    if (HoldOnBus(application, reason)) way_ = Way::SessionBus;
    else if (HoldOnX()) way_ = Way::XServer;
    return way_;
}

bool ScreenInhibit::HoldOnBus(const QString& application, const QString& reason) {
    QDBusInterface* face = ScreenSaverService();
    if (!face) return false;
    const QDBusReply<quint32> reply = face->call(QStringLiteral("Inhibit"), application, reason);
    if (!reply.isValid()) return false;
    cookie_ = reply.value();
    return true;
}

bool ScreenInhibit::HoldOnX() {
    // No display named (a shell outside the desktop, the offscreen platform): nothing to hold.
    if (qEnvironmentVariableIsEmpty("DISPLAY")) return false;
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    int event = 0, error = 0, major = 0, minor = 0;
    // Suspending came with version 1.1 of the extension.
    if (!XScreenSaverQueryExtension(display, &event, &error) || !XScreenSaverQueryVersion(display, &major, &minor) ||
        (major == 1 && minor < 1)) {
        XCloseDisplay(display);
        return false;
    }
    XScreenSaverSuspend(display, True);
    // A saver already running goes off, as a key press would make it.
    XResetScreenSaver(display);
    XFlush(display);
    display_ = display;
    return true;
}

void ScreenInhibit::Release() {
    if (way_ == Way::SessionBus) {
        if (QDBusInterface* face = ScreenSaverService()) face->call(QStringLiteral("UnInhibit"), cookie_);
        cookie_ = 0;
    } else if (way_ == Way::XServer && display_) {
        // Closing the connection gives the suspension back.
        XCloseDisplay(static_cast<Display*>(display_));
        display_ = nullptr;
    }
    way_ = Way::Off;
}

}  // namespace platform
