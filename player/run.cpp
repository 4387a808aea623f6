#include "player/run.h"

TRun::TRun() = default;
TRun::~TRun() = default;

void TRun::CreateTimers() {
    auto make = [this](int interval, void (TRun::*slot)()) {
        auto* timer = new QTimer(this);
        timer->setInterval(interval);
        connect(timer, &QTimer::timeout, this, slot);
        return timer;
    };
    ProgressTimerObj = make(500, &TRun::ProgressTimer);
    OpenWaitTimerObj = make(100, &TRun::OpenWaitTimer);
    TitleTimerObj = make(250, &TRun::TitleScrollTimer);
}

// Playing arrives with the engines; until then an entry is only remembered as current.
void TRun::PlayIndex(int index) { Index = index; }

// Nothing plays yet, so stopping only resets the state.
void TRun::Stop() {
    if (ProgressTimerObj) ProgressTimerObj->stop();
    if (OpenWaitTimerObj) OpenWaitTimerObj->stop();
    Length = 0;
    Position = 0;
    Paused = false;
}

// The progress display, the open wait and the title scroll come with playback and skin drawing.
void TRun::ProgressTimer() {}
void TRun::OpenWaitTimer() {}
void TRun::TitleScrollTimer() {}
