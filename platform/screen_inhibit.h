// Keeping the screen saver and the monitor's power saving away. The desktop's
// org.freedesktop.ScreenSaver service on the session bus is asked first; a session without one
// (a plain X server with its own blanking and DPMS) gets the X server's screen saver suspended
// through its screen-saver extension, which holds DPMS off too. That hold lives on an X
// connection of its own, so it ends with the process however the process ends.
#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

class ScreenInhibit {
public:
    enum class Way { Off, SessionBus, XServer };

    ScreenInhibit() = default;
    ~ScreenInhibit();
    ScreenInhibit(const ScreenInhibit&) = delete;
    ScreenInhibit& operator=(const ScreenInhibit&) = delete;

    // Takes the hold (once; a second call keeps the first) and tells how it holds: Off when
    // neither the bus service nor an X server with the extension answers.
    Way Hold(const QString& application, const QString& reason);
    void Release();
    Way Held() const { return way_; }

    // Tests: false leaves the session bus out, as on a desktop that has no such service.
    static void UseSessionBus(bool use);

private:
    bool HoldOnBus(const QString& application, const QString& reason);
    bool HoldOnX();

    Way way_ = Way::Off;
    quint32 cookie_ = 0;
    void* display_ = nullptr;  // the X connection that holds the suspension
};

}  // namespace platform
