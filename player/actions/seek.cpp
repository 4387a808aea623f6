#include "player/actions/seek.h"

#include "player/actions/slider_math.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/playback/engines.h"
#include "player/playback/run.h"
#include "player/playback/winamp_host.h"
#include "player/skin/canvas.h"
#include "player/video/dspack.h"
#include "platform/media_faces.h"

namespace {

constexpr QRect kTrackSource = Rect(0, 0, 248, 10);
constexpr QRect kTrackDest = Rect(16, 72, 264, 82);
constexpr QRect kHeldThumb = Rect(278, 0, 307, 10);

void DrawHeld(int thumb) {
    if (!Form1) return;
    TDisplay& d = *Ctrl->Display;
    Form1->DrawOnWindow(kTrackDest, d.PosbarBmp, kTrackSource);
    Form1->DrawOnWindow(Rect(thumb, 72, thumb + 29, 82), d.PosbarBmp, kHeldThumb);
}

void ShowTime(long long ms, int length) {
    const bool elapsed = Ctrl->Run->TimeOrder;
    const long long shown = elapsed ? ms : length - ms;
    const long long minutes = shown / 60000;
    const long long seconds = (shown / 1000) % 60;
    Ctrl->Display->DrawTime(!elapsed, int(minutes / 10 % 10), int(seconds % 10), int(seconds / 10),
                            int(minutes % 10));
}

void SeekEngine(TRun& run, long long target) {
    switch (run.EngineCode) {
    case Engine::MediaPlayer:
        if (run.Media) run.Media->Control().SetProperty(platform::mp::CurrentPosition, double(target) / 1000.0);
        break;
    case Engine::Winamp:
        if (run.Winamp && run.Winamp->Bound()) run.Winamp->In()->SetOutputTime(int(target));
        break;
    case Engine::Real:
        run.RealSeek = int(target);
        if (run.Real && run.Real->Control()) run.Real->Control()->SetPosition(int(target));
        break;
    case Engine::Flash:
        if (run.Flash && run.Flash->MsPerFrame > 0) {
            run.Flash->Control().SetProperty(flash::FrameNum, int(target / run.Flash->MsPerFrame));
            if (!run.Paused) run.Flash->Control().Play();
        }
        break;
    case Engine::FrameGrabbing:
        if (TDspack* engine = RunDspack(&run, false)) engine->SetPosition(int(target), run.Length);
        break;
    case Engine::DirectShow:
        if (run.Direct && run.Direct->MediaSeeking) {
            // 100-ns units in 64 bits: three hours are 1.08e11.
            qint64 position = qint64(target) * 10000;
            run.Direct->MediaSeeking->SetPositions(&position, platform::AM_SEEKING_AbsolutePositioning, &position,
                                                   platform::AM_SEEKING_NoPositioning);
        }
        break;
    default: break;
    }
}

}  // namespace

void SeekPress(int x) {
    TRun& run = *Ctrl->Run;
    if (run.EngineCode == Engine::None || run.Length < 1) return;
    Ctrl->SeekDragging = 1;
    if (run.ProgressTimerObj) run.ProgressTimerObj->stop();
    Ctrl->DragX = slider_math::SeekGrabOffset(run.BarPixel, x);
    Ctrl->DragY = slider_math::SeekThumb(x, Ctrl->DragX);
    DrawHeld(Ctrl->DragY);
}

void SeekDragStep(int x) {
    TRun& run = *Ctrl->Run;
    if (run.EngineCode == Engine::None) return;
    Ctrl->DragY = slider_math::SeekThumb(x, Ctrl->DragX);
    DrawHeld(Ctrl->DragY);
    if (run.Length >= 1) ShowTime(slider_math::SeekTarget(Ctrl->DragY, run.Length), run.Length);
}

void SeekToThumb(int thumb) {
    TRun& run = *Ctrl->Run;
    if (run.EngineCode == Engine::None || run.Length < 1) return;
    // A seek back from the very end plays on.
    if (run.Media) run.Media->Ended = false;
    if (run.Real) run.Real->Ended = false;
    if (run.Direct) run.Direct->Ended = false;
    const long long target = slider_math::SeekTarget(thumb, run.Length);
    SeekEngine(run, target);
    if (run.ProgressTimerObj) run.ProgressTimerObj->start();
    if (run.LrcCtrl) {
        run.LrcCtrl->ResetLines();
        // The lines of the new place show at once rather than at the next step of the timer,
        // which a stopped timer (lyrics still loading) would not take.
        if (run.LyricsTimer && run.LyricsTimer->isActive()) {
            run.Position = int(target);
            run.LyricsTimerTick();
        }
    }
}
