#include "player/actions/screen_saver.h"

#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/run.h"

namespace {

// A flag string shorter than the place asked for counts as "0" there.
bool Flag(const QString& flags, int position) {
    return flags.size() >= position && flags.at(position - 1) == QLatin1Char('1');
}

// How often the state is looked at; the screen saver's shortest delay is a minute.
constexpr int kPollMs = 5000;

}  // namespace

bool KeepScreenAwake(const TScreenState& s) {
    const bool videoShowing = s.VideoOpen && s.VideoWindowVisible && s.Position > 0;
    if (videoShowing && !s.Lyrics && Flag(s.VideoControl, 7)) return true;
    if (videoShowing && s.Lyrics && Flag(s.LyricsControl, 5)) return true;
    return Flag(s.LyricsControl, 5) && s.Lyrics && s.VideoWindowVisible;
}

TScreenState CurrentScreenState() {
    TScreenState s;
    if (!Ctrl || !Ctrl->Run) return s;
    const TRun& run = *Ctrl->Run;
    s.VideoOpen = run.VideoOpen;
    s.VideoWindowVisible = Form4 && Form4->isVisible();
    s.Position = run.Position;
    s.Lyrics = run.LrcCtrl != nullptr;
    s.VideoControl = run.VideoControl;
    s.LyricsControl = run.LrcFileControl;
    return s;
}

TScreenSaverGuard::TScreenSaverGuard(QObject* parent) : QObject(parent) {
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &TScreenSaverGuard::Update);
    timer_.start();
}

TScreenSaverGuard::~TScreenSaverGuard() = default;

void TScreenSaverGuard::Update() {
    const bool wanted = KeepScreenAwake(CurrentScreenState());
    if (wanted == Inhibiting()) return;
    if (wanted) inhibit_.Hold(QStringLiteral("Velmora Player"), QStringLiteral("视频播放中"));
    else inhibit_.Release();
}
