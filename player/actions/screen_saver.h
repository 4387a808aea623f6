// Keeping the screen saver and the monitor's power saving away while a video or lyrics show.
// The decision is a pure function of the player's state; the guard holds the desktop's inhibit
// while it says so (the session bus's service, else the X server's own screen saver).
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/screen_inhibit.h"

struct TScreenState {
    bool VideoOpen = false;
    bool VideoWindowVisible = false;
    int Position = 0;
    bool Lyrics = false;
    QString VideoControl;  // character 7 "1": video keeps the screen on
    QString LyricsControl;  // character 5 "1": lyrics keep the screen on
};

bool KeepScreenAwake(const TScreenState& state);

class TScreenSaverGuard : public QObject {
    Q_OBJECT
public:
    explicit TScreenSaverGuard(QObject* parent);
    ~TScreenSaverGuard() override;
    // Takes or gives back the inhibit to match the player's state now.
    void Update();
    bool Inhibiting() const { return inhibit_.Held() != platform::ScreenInhibit::Way::Off; }

private:
    QTimer timer_;
    platform::ScreenInhibit inhibit_;
};

// The player's state as the decision reads it.
TScreenState CurrentScreenState();
