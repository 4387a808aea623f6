// The volume, balance and equaliser sliders and the playlist's scroll bar, and the routing of a
// drag step to the region held.
#include <QWidget>

#include "player/actions/drags.h"
#include "player/actions/region_actions.h"
#include "player/actions/seek.h"
#include "player/actions/slider_math.h"
#include "player/actions/skin_forms.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/canvas.h"
#include "player/skin/skin_frames.h"
#include "player/skin/skin_sprites.h"

namespace {

using namespace slider_math;

// Held, the slider shows the held thumb on screen; the back buffer keeps the normal one.
void DrawVolume(bool onWindow, bool intoBuffer) {
    TDisplay& d = *Ctrl->Display;
    if (intoBuffer) d.DrawVolumeSlider(d.MainBuffer, Ctrl->Volume, false);
    if (onWindow && Form1) {
        d.DrawVolumeSlider(Form1->ScreenImage(), Ctrl->Volume, true);
        Form1->update(sliders::kVolumeBackDest);
    }
}

void DrawBalance(bool onWindow, bool intoBuffer) {
    TDisplay& d = *Ctrl->Display;
    if (intoBuffer) d.DrawBalanceSlider(d.MainBuffer, Ctrl->Balance, false);
    if (onWindow && Form1) {
        d.DrawBalanceSlider(Form1->ScreenImage(), Ctrl->Balance, true);
        Form1->update(sliders::kBalanceBackDest);
    }
}

void SetVolumeFrom(int x) {
    Ctrl->DragY = VolumePosition(x, Ctrl->DragX);
    Ctrl->Volume = VolumeAt(Ctrl->DragY);
    Ctrl->ApplyVolume();
}

void SetBalanceFrom(int x) {
    Ctrl->DragY = BalancePosition(x, Ctrl->DragX);
    Ctrl->Balance = BalanceAt(Ctrl->DragY);
    Ctrl->ApplyVolume();
}

void PressScroll(int y) {
    Ctrl->DragX = ScrollGrabOffset(Ctrl->Run->ListScrollThumb, y);
    ScrollDragStep(y);
}

}  // namespace

void VolumeDragStep(int x, bool release) {
    SetVolumeFrom(x);
    DrawVolume(!release, true);
    if (release) Ctrl->Display->SliderDragging = false;
}

void BalanceDragStep(int x, bool release) {
    SetBalanceFrom(x);
    DrawBalance(!release, true);
    if (release) Ctrl->Display->SliderDragging = false;
}

void EndVolumeDrag(int x) { VolumeDragStep(x, true); }
void EndBalanceDrag(int x) { BalanceDragStep(x, true); }

void EqualizerDragStep(const QString& name, int y) {
    Ctrl->DragY = EqualizerValueAt(y);
    Ctrl->Run->SetEq(name, Ctrl->DragY);
}

void ScrollDragStep(int y) {
    TSkinWindow* window = SkinSurface(PlaylistWindow);
    if (!window) return;
    TDisplay& d = *Ctrl->Display;
    const int w = window->width();
    const int h = window->height();
    for (int i = 0; i <= (h - 38) / 28; ++i) {
        const int b = std::min(28 * i + 48, h - 38);
        const QRect place = Rect(w - 25, b - 28, w, b);
        CopyRect(d.PlaylistBuffer, place, d.PleditBmp, playlist_frame::kRightEdge);
        window->DrawOnWindow(place, d.PleditBmp, playlist_frame::kRightEdge);
    }
    const int c = ScrollThumbCentre(y, Ctrl->DragX, h);
    Ctrl->Run->ListScrollThumb = c;
    const QRect thumb = Rect(w - 15, c - 9, w - 7, c + 9);
    CopyRect(d.PlaylistBuffer, thumb, d.PleditBmp, playlist_frame::kScrollThumb);
    window->DrawOnWindow(thumb, d.PleditBmp, Rect(61, 53, 69, 71));
    if (ListBox1)
        ListBox1->SetTopIndex(ScrollTopRow(ListBox1->Count(), ListBox1->height() / TListBox1::kRowHeight, c, h));
}

bool StartDrag(const TSkinRegion& region, int x, int y) {
    const QString& name = region.Name;
    if (name == QLatin1String("m_Volume")) {
        Ctrl->Display->SliderDragging = true;
        Ctrl->DragX = VolumeGrabOffset(Ctrl->Volume, x);
        SetVolumeFrom(x);
        DrawVolume(true, false);
    } else if (name == QLatin1String("m_Balance")) {
        Ctrl->Display->SliderDragging = true;
        Ctrl->DragX = BalanceGrabOffset(Ctrl->Balance, x);
        SetBalanceFrom(x);
        DrawBalance(true, false);
    } else if (name == QLatin1String("m_Position")) {
        SeekPress(x);
    } else if (name.startsWith(QLatin1String("e_EQ"))) {
        EqualizerDragStep(name, y);
    } else if (name == QLatin1String("l_Scroll")) {
        PressScroll(y);
    } else if (name == QLatin1String("l_Resize") || name == QLatin1String("b_Resize") ||
               name.startsWith(QLatin1String("a_Resize"))) {
        StartResize(name, x, y);
    } else {
        return false;
    }
    return true;
}

void RegionMouseDrag(const QString& name, QWidget* window, int x, int y) {
    if (name.contains(QLatin1String("_Title"))) WindowDragStep(name, window, x, y);
    else if (name == QLatin1String("m_Volume")) VolumeDragStep(x, false);
    else if (name == QLatin1String("m_Balance")) BalanceDragStep(x, false);
    else if (name == QLatin1String("m_Position")) SeekDragStep(x);
    else if (name.startsWith(QLatin1String("e_EQ"))) EqualizerDragStep(name, y);
    else if (name == QLatin1String("l_Scroll")) ScrollDragStep(y);
    else if (name == QLatin1String("l_Resize")) PlaylistResizeStep(x, y);
    else if (name == QLatin1String("b_Resize")) BrowserResizeStep(x, y);
    else if (name.startsWith(QLatin1String("a_Resize"))) VideoResizeStep(x, y);
}
