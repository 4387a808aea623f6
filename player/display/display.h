// TDisplay: the skin display. It owns the skin bitmaps and the windows' back buffers, builds the
// five skinned windows from the skin (frames, controls, region tables), draws the indicators and
// title bars, and repaints each window from its back buffer.
#pragma once

#include <array>

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "player/video/form4.h"
#include "player/browser/form5.h"
#include "player/skin/skin_window.h"

class TDisplay {
public:
    void LoadMainSkin();
    // Skin loading (skin_loading.cpp): one bitmap by name, the six cursor slots, the playlist
    // colours from Pledit.txt, and the whole reload after another skin was installed.
    void LoadSkinBitmap(QImage& bitmap, const QString& name);
    void LoadSkinCursors();
    void LoadPlaylistColors();
    void ReloadSkin();
    void BuildMainWindow(int volume, int balance, bool first);
    void BuildPlaylistWindow(bool first);
    void BuildEqualizerWindow(bool first);
    void BuildBrowserWindow(bool first);
    void ShowSkinWindow(QWidget* window);
    void DrawPlaylistScrollbar();
    void DrawPlaylistTimes();

    // The video window (caption "dispForm4"), placed from AV_L, AV_T, AV_W, AV_H.
    void BuildVideoWindow(bool first);

    // Indicators and repaints the playback controller calls.
    void SetPlayState(int state);  // 0 playing, 1 stopped, 2 paused, 3 waiting for the engine
    void DrawTime(bool minus, int minuteTens, int secondUnits, int secondTens, int minuteUnits);
    void DrawBitrate(int kbps, int khz);
    void BuildScrollTitle();
    void PaintMain();
    void PaintPlaylist();

    // Back buffer of the main window (275 x 116).
    QImage MainBuffer;

    // ---- Skinned windows and their drawing (display_build.cpp, display_windows.cpp,
    // display_draw.cpp, title_bars.cpp) ----
    // Repaints of the other windows: each copies its back buffer whole onto the window.
    void PaintEqualizer();
    void PaintVideo();  // the video frame, straight from "avs"
    void PaintBrowser();
    // Active and inactive title bars after the focus moved to `window` (null: none).
    void DrawTitleBars(QWidget* window);
    // One equaliser slider at its value: track and normal knob into the back buffer, track and
    // held knob onto the window.
    void DrawEqSlider(const QString& name, int value);
    void DrawEqGraph(const std::array<int, 10>& bands);
    // The play-state cells alone, into the main back buffer: no tray icon, no repaint.
    void DrawPlayStateCells(int state);
    // The seek bar straight on the main window: its track, and the thumb at pixel 0..219.
    void DrawSeekBar(int pixel);
    // Moves the scrolling title left by `step` pixels; it starts over once its end has passed.
    void ScrollTitle(int step);
    // The slider pictures for a volume (0..100) and a balance (-100..100), normal or held.
    void DrawVolumeSlider(QImage& target, int volume, bool held);
    void DrawBalanceSlider(QImage& target, int balance, bool held);

    // Back buffers of the playlist, equaliser and browser windows, each the window's size.
    QImage PlaylistBuffer, EqualizerBuffer, BrowserBuffer;
    // The scrolling title on the main window's title panel; rebuilt for every title.
    QPointer<TSkinImage> TitleImage;
    // Set while that window is glued to the main window during a main-window drag.
    bool PlaylistGlued = false, EqualizerGlued = false, VideoGlued = false, BrowserGlued = false;
    // Keep the video's aspect while the video window is resized.
    bool VideoProportion = false;
    // Set while the volume or balance slider is held.
    bool SliderDragging = false;
    // Caption of the window repainted whole last, or name of the region drawn pressed last.
    QString LastDrawn;
    // Caption of the window whose title bar is drawn active; empty for none.
    QString FocusedCaption;

    // The sixteen skin bitmaps.
    QImage AvsBmp, BalanceBmp, CbuttonsBmp, EqmainBmp, EqExBmp, MainBmp, MbBmp, MonosterBmp, NumbersBmp,
        PlaypausBmp, PleditBmp, PosbarBmp, ShufrepBmp, TextBmp, TitlebarBmp, VolumeBmp;

    // The six playlist colours; the skin's Pledit.txt replaces these defaults once skins load.
    QColor Normal{0x2F, 0x2B, 0x66};
    QColor NormalBG{0xA1, 0xB3, 0xE3};
    QColor Current{0x00, 0x35, 0x00};
    QColor SelectedBG{0x62, 0x7E, 0xB5};
    QColor MBBG{0xA1, 0xB3, 0xE3};
    QColor MBFG{0x2F, 0x2B, 0x66};

private:
    // A first build over a window that exists: the controls hosted in it and the lyrics go.
    void ReleaseVideoContents();

    QSize videoPainted_;  // the video window's size at its last repaint
};

// The skinned windows other than the main one; each is null until it is built.
extern QPointer<QWidget> PlaylistWindow;
extern QPointer<QWidget> EqualizerWindow;
extern QPointer<TForm4> Form4;
extern QPointer<TForm5> Form5;


// The first command-line argument, or the empty text.
QString FirstArgument();
