// The resize grips of the playlist, browser and video windows.
#include <QTimer>
#include <QWidget>

#include "player/actions/drags.h"
#include "player/actions/slider_math.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/lyrics/lrc_ctrl.h"
#include "player/lyrics/run_lyrics.h"
#include "player/playback/engines.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/dspack.h"

namespace {

// The lyrics timer's step acts only while the timer runs: a resize while the lyrics load (the
// window taking its stored size) must not choose the lines before the song's position is known.
void LyricsStepIfRunning(TRun& run) {
    if (run.LyricsTimer && run.LyricsTimer->isActive()) run.LyricsTimerTick();
}

// The engines' pictures and the lyrics take the inner area (7, 15, W - 14, H - 20) of the video
// window as it is now.
void FitVideoContents(TForm4& window) {
    TRun& run = *Ctrl->Run;
    const int w = window.width() - 14, h = window.height() - 20;
    if (run.Direct && run.Direct->VideoWindow) run.Direct->VideoWindow->SetWindowPosition(7, 15, w, h);
    if (run.Media) run.Media->Control().SetBounds(7, 15, w, h);
    // Both of its paths draw into the area; the streaming thread reads it as one atomic pair.
    if (TDspack* engine = RunDspack(&run, false)) engine->SetDrawArea(QSize(w, h));
    if (run.Real && run.Real->Control()) run.Real->Control()->SetBounds(7, 15, w, h);
    // No Flash control can be made here, so there is none to fit.
    if (TLrcCtrl* lyrics = run.LrcCtrl) {
        // Lines chosen but not wiped while the window moves; the release wipes them again.
        if (lyrics->State < 3) lyrics->State += 3;
        lyrics->ApplySettings(ReadLrcSettings(*Ctrl), false);
        LyricsStepIfRunning(run);
        lyrics->DrawLines();
    }
}

// The grips never make a list window smaller than the skin's frame.
QSize GripSize(int x, int y) {
    const int w = x + Ctrl->DragX;
    const int h = y + Ctrl->DragY;
    return {w > 274 ? w : 275, h > 115 ? h : 116};
}

}  // namespace

void StartResize(const QString& name, int x, int y) {
    QWidget* window = name.startsWith(QLatin1Char('l'))   ? PlaylistWindow.data()
                      : name.startsWith(QLatin1Char('b')) ? static_cast<QWidget*>(Form5.data())
                                                          : static_cast<QWidget*>(Form4.data());
    if (!window) return;
    Ctrl->DragX = window->width() - x;
    Ctrl->DragY = window->height() - y;
    if (name.startsWith(QLatin1Char('a'))) Ctrl->WriteInteger(QStringLiteral("ScreenMode"), 0);
}

void PlaylistResizeStep(int x, int y) {
    QWidget* window = PlaylistWindow;
    if (Ctrl->DragX < 0 || !window) return;
    const QSize size = GripSize(x, y);
    if (size == window->size()) return;
    window->resize(size);
    Ctrl->Display->BuildPlaylistWindow(false);
    Ctrl->Display->DrawPlaylistScrollbar();
    if (ListBox1) ListBox1->update();
}

void BrowserResizeStep(int x, int y) {
    TForm5* window = Form5;
    if (Ctrl->DragX < 0 || !window) return;
    window->resize(GripSize(x, y));
    Ctrl->Display->BuildBrowserWindow(false);
    Ctrl->Display->PaintBrowser();
}

void VideoResizeStep(int x, int y) {
    TForm4* window = Form4;
    if (Ctrl->DragX < 0 || !window) return;
    int w = x + Ctrl->DragX;
    int h = y + Ctrl->DragY;
    // With lyrics the aspect is free and the window keeps room for two lines.
    const TLrcCtrl* lyrics = Ctrl->Run->LrcCtrl;
    if (Ctrl->Display->VideoProportion && !lyrics)
        slider_math::KeepVideoAspect(w, h, Ctrl->Run->VideoWidth, Ctrl->Run->VideoHeight,
                                     Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1));
    slider_math::VideoResizeSize(w, h, lyrics != nullptr, lyrics ? lyrics->LineHeight() : 0);
    window->resize(std::min(w, kMaxSkinWindowSide), std::min(h, kMaxSkinWindowSide));
    Ctrl->Display->BuildVideoWindow(false);
    if (Form4) FitVideoContents(*Form4);
}

void EndVideoResize() {
    // The frame engine's streaming thread reads the picture area; it is one atomic pair.
    if (Form4 && Ctrl->Run) {
        if (TDspack* engine = RunDspack(Ctrl->Run.get(), false))
            engine->SetDrawArea(QSize(Form4->width() - 14, Form4->height() - 20));
    }
    if (Form4) Ctrl->Display->PaintVideo();
    TLrcCtrl* lyrics = Ctrl->Run ? Ctrl->Run->LrcCtrl.data() : nullptr;
    if (!lyrics || !Form4) return;
    // The lines are drawn afresh for the new width, then wiped again as far as the singing was.
    lyrics->ApplySettings(ReadLrcSettings(*Ctrl), false);
    LyricsStepIfRunning(*Ctrl->Run);
    const int reached = lyrics->WipeColumn;
    lyrics->DrawLines();
    if (lyrics->State > 2) lyrics->State -= 3;
    if (lyrics->State == 0) {
        lyrics->WipeColumn = 0;
        lyrics->WipeColumns(lyrics->UpperImage, reached);
    } else {
        lyrics->WipeColumn = Form4->width() - lyrics->LowerWidth - lyrics->LeftMargin - 16;
        lyrics->WipeColumns(lyrics->LowerImage, reached - lyrics->WipeColumn);
    }
    lyrics->ShowChanges();
}
