// TRun: the running track — progress, the end-of-track rule, the title scroll, pause and seek.
#include <QRandomGenerator>
#include <QTime>
#include <cmath>
#include <utility>

#include "platform/media_engine.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/playback/run_progress.h"
#include "player/video/dspack_run.h"
#include "player/playback/winamp_host.h"

int SeekBarPixel(int position, int length) {
    if (length <= 0) return 0;
    const double pixel = std::nearbyint(double(position) / double(length) * 219.0);
    return int(std::clamp(pixel, 0.0, 219.0));
}

TimeDigits TimeToDigits(qint64 t) {
    // An engine may report a position past the length: the remaining time never goes below 0,
    // so no digit is taken from outside the digit picture.
    if (t < 0) t = 0;
    TimeDigits d;
    d.minuteTens = int(std::min<qint64>(t / 600000, 2147483647));
    d.minuteUnits = int((t / 60000) % 10);
    d.secondTens = int(((t / 1000) % 60) / 10);
    d.secondUnits = int((t / 1000) % 10);
    return d;
}

int HundredNsToMs(qint64 value) {
    if (value <= 0) return 0;
    qint64 ms = value / 10000;
    const qint64 rest = value % 10000;
    if (rest > 5000 || (rest == 5000 && (ms & 1))) ++ms;
    return int(std::min<qint64>(ms, 2147483647));
}

qint64 ClampPosition(double target, int length) {
    if (!(target > 0)) return 0;
    if (target > length) return length;
    return qint64(std::nearbyint(target));
}

int TRun::EnginePosition() {
    switch (EngineCode) {
    case Engine::MediaPlayer: return Media ? (Media->Ended ? Length : Media->PositionMs()) : Position;
    case Engine::Flash:
        return Flash ? Flash->Control().GetProperty(flash::FrameNum).toInt() * Flash->MsPerFrame : Position;
    case Engine::Winamp: {
        if (!Winamp || !Winamp->Bound()) return Position;
        const int now = Winamp->In()->GetOutputTime();
        return WinampIdle(now) ? Length : now;
    }
    case Engine::Real: {
        if (RealSeek != -1) return std::exchange(RealSeek, -1);
        if (Real && Real->Ended) return Length;
        return Real && Real->Control() ? Real->Control()->GetPosition() : Position;
    }
    case Engine::DirectShow: {
        qint64 current = 0;
        if (Direct && Direct->Ended) return Length;
        if (!Direct || !Direct->MediaSeeking || !platform::Succeeded(Direct->MediaSeeking->GetCurrentPosition(&current)))
            return Position;
        return HundredNsToMs(current);
    }
    case Engine::FrameGrabbing: return FrameEnginePosition(*this);
    default: return Position;
    }
}

bool TRun::WinampIdle(int now) {
    const qint64 t = Clock();
    if (Winamp->Out()->IsPlaying() != 0 || Paused || now != Position) {
        aliveAt_ = t;
        return false;
    }
    if (!IsStream()) return true;
    // A stream waiting for the network looks the same as one that has ended; only silence that
    // outlasts the connection timeout is taken for the end.
    if (aliveAt_ < 0) aliveAt_ = t;
    return t - aliveAt_ > Timeout;
}

bool TRun::StreamEnded() {
    switch (EngineCode) {
    case Engine::MediaPlayer: return Media && Media->Ended;
    case Engine::Real: return Real && Real->Ended;
    case Engine::DirectShow: return Direct && Direct->Ended;
    case Engine::FrameGrabbing: return FrameEngineEnded(*this);
    case Engine::Winamp: {
        if (!Winamp || !Winamp->Bound()) return false;
        const int now = Winamp->In()->GetOutputTime();
        const bool idle = WinampIdle(now);
        Position = now;
        return idle;
    }
    default: return false;
    }
}

// A movie's frames count from 0, so its last frame begins one frame before its length.
bool TRun::AtEnd() const {
    if (EngineCode == Engine::Flash && Flash) return Position >= Length - Flash->MsPerFrame;
    return Position >= Length;
}

void TRun::ProgressTimer() {
    if (Length <= 0) {
        // A stream without a length shows no progress; a length may still come, and the end of
        // the stream ends it.
        if (EngineCode == Engine::None || !ProgressTimerObj->isActive()) return;
        Length = EngineLength();
        if (Length <= 0) {
            Length = 0;
            if (StreamEnded()) EndOfTrack();
            return;
        }
    }
    Position = EnginePosition();
    BarPixel = SeekBarPixel(Position, Length);
    TDisplay& display = *Ctrl->Display;
    display.DrawSeekBar(BarPixel);
    const bool minus = !TimeOrder;
    const TimeDigits d = TimeToDigits(TimeOrder ? qint64(Position) : qint64(Length) - Position);
    display.DrawTime(minus, d.minuteTens, d.secondUnits, d.secondTens, d.minuteUnits);
    // The bar's last pixel stands for the last few thousandths of the track, which still play.
    if (AtEnd()) EndOfTrack();
}

void TRun::EndOfTrack() {
    Stop();
    // An element that failed its own checks on a file while it played or stopped (a picture
    // cut off in its middle) means the file is broken: it ends with the failure message instead
    // of being played on, or again and again.
    if (!IsStream() && platform::MediaCriticals() != criticalsAtOpen_) {
        FailEntry(platform::NothingToPlay(), QStringLiteral("the media libraries rejected the file while it played"));
        return;
    }
    Ctrl->Display->PaintMain();
    const int count = ListBox1 ? ListBox1->Count() : 0;
    if (Ctrl->ReadBool(QStringLiteral("Shuffle"), false) && count > 1) {
        QRandomGenerator random(quint32(QTime::currentTime().msecsSinceStartOfDay()));
        PlayIndex(int(random.bounded(count)));
    } else if (Index < count - 1) {
        PlayIndex(Index + 1);
    } else if (Ctrl->ReadBool(QStringLiteral("Repeat"), true)) {
        PlayIndex(0);
    }
}

void TRun::TitleScrollTimer() { Ctrl->Display->ScrollTitle(6); }

void TRun::PauseResume() {
    if (Length <= 0 || EngineCode == Engine::None) {
        Paused = false;
        return;
    }
    const bool resume = Paused;
    switch (EngineCode) {
    case Engine::Winamp:
        if (Winamp && Winamp->Bound()) resume ? Winamp->In()->UnPause() : Winamp->In()->Pause();
        break;
    case Engine::MediaPlayer:
        if (Media) resume ? Media->Control().Play() : Media->Control().Pause();
        break;
    case Engine::Real:
        if (Real && Real->Control()) resume ? Real->Control()->DoPlay() : Real->Control()->DoPause();
        break;
    case Engine::DirectShow:
        if (Direct && Direct->MediaControl) resume ? Direct->MediaControl->Run() : Direct->MediaControl->Pause();
        break;
    case Engine::FrameGrabbing: FrameEnginePause(*this, resume); break;
    case Engine::Flash:
        if (Flash) Flash->Control().SetProperty(flash::Playing, resume);
        break;
    default: break;
    }
    Paused = !resume;
    Ctrl->Display->SetPlayState(resume ? 0 : 2);
}

void TRun::SeekBy(int delta) {
    // A seek back from the very end plays on.
    if (Media) Media->Ended = false;
    if (Real) Real->Ended = false;
    if (Direct) Direct->Ended = false;
    switch (EngineCode) {
    case Engine::MediaPlayer:
        if (Media) {
            const double now = Media->Control().GetProperty(platform::mp::CurrentPosition).toDouble() * 1000.0;
            const qint64 target = ClampPosition(now + delta, Length);
            Media->Control().SetProperty(platform::mp::CurrentPosition, double(target) / 1000.0);
        }
        break;
    case Engine::Winamp:
        if (Winamp && Winamp->Bound()) {
            const qint64 target = ClampPosition(double(Winamp->In()->GetOutputTime()) + delta, Length);
            Winamp->In()->SetOutputTime(int(target));
        }
        break;
    case Engine::Real:
        if (Real && Real->Control()) {
            const qint64 target = ClampPosition(double(Real->Control()->GetPosition()) + delta, Length);
            Real->Control()->SetPosition(int(target));
        }
        break;
    case Engine::Flash:
        if (Flash && Flash->MsPerFrame > 0) {
            const double now = double(Flash->Control().GetProperty(flash::FrameNum).toInt()) * Flash->MsPerFrame;
            const qint64 target = ClampPosition(now + delta, Length);
            Flash->Control().SetProperty(flash::FrameNum, int(target / Flash->MsPerFrame));
            if (!Paused) Flash->Control().Play();
        }
        break;
    case Engine::DirectShow:
        if (Direct && Direct->MediaSeeking) {
            qint64 current = 0;
            // A position not known yet is no place to seek from.
            if (!platform::Succeeded(Direct->MediaSeeking->GetCurrentPosition(&current))) break;
            // 100-ns units in 64 bits: three hours are 1.08e11.
            current += qint64(delta) * 10000;
            current = std::clamp<qint64>(current, 0, qint64(Length) * 10000);
            Direct->MediaSeeking->SetPositions(&current, platform::AM_SEEKING_AbsolutePositioning, &current,
                                               platform::AM_SEEKING_NoPositioning);
        }
        break;
    case Engine::FrameGrabbing: FrameEngineSeekBy(*this, delta); break;
    default: break;
    }
    if (LrcCtrl) LrcCtrl->ResetLines();
}
