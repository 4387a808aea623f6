// Keeping the screen saver and the monitor's power saving away while a video or lyrics show.
// The decision is a pure function of the player's state; the guard holds the desktop's inhibit
// (org.freedesktop.ScreenSaver on the session bus) while it says so, and does nothing without a
// bus.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

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
    bool Inhibiting() const { return cookie_ != 0; }

private:
    QTimer timer_;
    quint32 cookie_ = 0;
};

// The player's state as the decision reads it.
TScreenState CurrentScreenState();
