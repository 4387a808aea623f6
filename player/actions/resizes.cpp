// The resize grips of the playlist, browser and video windows.
#include <QWidget>

#include "player/actions/drags.h"
#include "player/actions/slider_math.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/dspack.h"

namespace {

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
    // LATER(lyrics): with lyrics showing the aspect is free and the least height is two lines.
    if (Ctrl->Display->VideoProportion)
        slider_math::KeepVideoAspect(w, h, Ctrl->Run->VideoWidth, Ctrl->Run->VideoHeight,
                                     Ctrl->ReadInteger(QStringLiteral("ScreenMode"), 1));
    slider_math::VideoResizeSize(w, h, false, 0);
    window->resize(std::min(w, kMaxSkinWindowSide), std::min(h, kMaxSkinWindowSide));
    Ctrl->Display->BuildVideoWindow(false);
    // LATER(video): the engines' pictures fit the inner area (7, 15, W - 14, H - 20).
}

void EndVideoResize() {
    // The frame engine's streaming thread reads the picture area; it is one atomic pair.
    if (Form4 && Ctrl->Run) {
        if (TDspack* engine = RunDspack(Ctrl->Run.get(), false))
            engine->SetDrawArea(QSize(Form4->width() - 14, Form4->height() - 20));
    }
    if (Form4) Ctrl->Display->PaintVideo();
}
