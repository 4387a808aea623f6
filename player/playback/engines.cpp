#include "player/playback/engines.h"

#include <QFileInfo>
#include <QThread>
#include <cmath>

#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"

namespace {

// Times from the control arrive as seconds; ms are taken to the nearest, halves to even, and
// clamped so a wild value never overflows.
int SecondsToMs(double seconds) {
    const double ms = std::nearbyint(seconds * 1000.0);
    if (!(ms > 0)) return 0;
    return ms >= 2147483647.0 ? 2147483647 : static_cast<int>(ms);
}

}  // namespace

TMedia::TMedia() : control_(std::make_unique<platform::MediaPlayerControl>()) {
    connect(control_.get(), &platform::MediaPlayerControl::PlayStateChange, this,
            [this](int, int newState) { PlayStateChange(newState); });
    connect(&control_->Engine(), &platform::MediaEngine::EndOfStream, this, [this] { Ended = true; });
    connect(&control_->Engine(), &platform::MediaEngine::ErrorOccurred, this, [this](const QString& detail) {
        const QString reason = platform::FailureReason(control_->Engine().LastFailure());
        if (Ctrl->Run->Media == this) Ctrl->Run->EngineFailed(Engine::MediaPlayer, reason, detail);
    });
}

TMedia::~TMedia() = default;

int TMedia::LengthMs() const { return SecondsToMs(control_->GetProperty(platform::mp::Duration).toDouble()); }

int TMedia::PositionMs() const {
    return SecondsToMs(control_->GetProperty(platform::mp::CurrentPosition).toDouble());
}

// Only the start of playing matters, and only while the controller still waits for it. The
// open wait goes on until the start really happens: a file whose length is not known yet when it
// begins to play starts at a later tick, or times out, instead of hanging unstarted.
void TMedia::PlayStateChange(int newState) {
    TRun& run = *Ctrl->Run;
    if (newState != 2 || !run.OpenWaitTimerObj->isActive()) return;
    Ctrl->Display->SetPlayState(0);
    run.Length = LengthMs();
    run.EngineReportedPlaying();
}

TReal::TReal() {
    try {
        control_ = std::make_unique<platform::RealAudioControl>();
    } catch (const std::exception&) {
        Ctrl->Run->EngineCode = Engine::RealUnusable;
        return;
    }
    connect(control_.get(), &platform::RealAudioControl::StateChange, this,
            [this](int, int newState) { StateChange(newState); });
    connect(control_.get(), &platform::RealAudioControl::Error, this, [this](int, int, const QString&) { ErrorEvent(); });
    connect(&control_->Engine(), &platform::MediaEngine::EndOfStream, this, [this] { Ended = true; });
    try {
        control_->SetWantErrors(true);
    } catch (const std::exception&) {
        Ctrl->Run->EngineCode = Engine::RealUnusable;
    }
}

TReal::~TReal() = default;

void TReal::StateChange(int newState) {
    TRun& run = *Ctrl->Run;
    if (newState == 3 && run.OpenWaitTimerObj->isActive()) {
        Ctrl->ApplyVolume();
        Ctrl->Display->SetPlayState(0);
        run.Length = control_->GetLength();
        run.EngineReportedPlaying();
    }
    if (newState > 0 && control_) {
        Ctrl->Display->DrawBitrate(control_->GetBandwidthAverage() / 1000, 0);
        Ctrl->Display->PaintMain();
    }
}

void TReal::ErrorEvent() {
    const QString source = control_ ? control_->GetSource() : QString();
    Ctrl->Run->Stop();
    if (source.toLower().contains(QLatin1String("file://")) || !source.contains(QLatin1String("://"))) {
        platform::ShowMessage(QStringLiteral("文件格式错误、不能播放！　　"), QStringLiteral("不能播放"));
    } else {
        platform::ShowMessage(QStringLiteral("服务器没有响应！　　"), QStringLiteral("连接失败"));
    }
}

// One registration attempt of the control's library, then the second failure goes to the caller.
// Without the library there is nothing to register, so no wait for a registration either.
TFlash::TFlash() {
    try {
        control_ = std::make_unique<platform::FlashControl>();
    } catch (const platform::OleError&) {
        if (!QFileInfo::exists(Ctrl->InstallFolder + QStringLiteral("Plugins/SWFLASH.OCX"))) throw;
        platform::WinExec(QStringLiteral("regsvr32 /s \"%1Plugins/SWFLASH.OCX\"").arg(Ctrl->InstallFolder),
                          platform::SW_HIDE);
        QThread::msleep(500);
        control_ = std::make_unique<platform::FlashControl>();
    }
}

TDirect::TDirect() {
    if (!platform::Succeeded(platform::CoInitialize(nullptr))) return;
    std::shared_ptr<platform::FilterGraph> graph;
    if (!platform::Succeeded(platform::CreateFilterGraph(&graph)) || !graph) return;
    connect(&graph->Engine(), &platform::MediaEngine::EndOfStream, this, [this] { Ended = true; });
    platform::MediaEngine* engine = &graph->Engine();
    connect(engine, &platform::MediaEngine::ErrorOccurred, this, [this, engine](const QString& detail) {
        const QString reason = platform::FailureReason(engine->LastFailure());
        if (Ctrl->Run->Direct == this) Ctrl->Run->EngineFailed(Engine::DirectShow, reason, detail);
    });
    // One graph answers every interface query.
    GraphBuilder = graph;
    MediaControl = graph;
    MediaSeeking = graph;
    BasicAudio = graph;
    VideoWindow = graph;
}

TDirect::~TDirect() { Release(); }

void TDirect::Release() {
    BasicAudio.reset();
    MediaSeeking.reset();
    MediaControl.reset();
    VideoWindow.reset();
    GraphBuilder.reset();
}
