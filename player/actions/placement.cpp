#include "player/actions/placement.h"

#include <QWidget>

#include "player/actions/region_actions.h"
#include "player/actions/skin_forms.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"

namespace {

void SetOnTop(QWidget* window, bool on) {
    if (!window || !window->isVisible() || window->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == on) return;
    window->setWindowFlag(Qt::WindowStaysOnTopHint, on);
    // Changing a window's flags hides it; it comes back where it was.
    window->show();
}

void HideIfVisible(QWidget* window) {
    if (window && window->isVisible()) window->hide();
}

}  // namespace

void SetWindowsOnTop(bool topMost) {
    SetOnTop(Form1, topMost);
    SetOnTop(PlaylistWindow, topMost);
    SetOnTop(EqualizerWindow, topMost);
    SetOnTop(Form5, topMost);
}

// No animation: the desktop's own effects, where it has any, show the window going and coming.
void AnimateToTray(bool hide, QWidget* window) {
    if (!window) return;
    const bool isMain = window == Form1.data();
    if (hide) {
        // The video window keeps its tray icon while it is away.
        if (window == Form4.data() && window->isVisible()) Form4->RemoveIconOnHide = false;
        HideIfVisible(window);
        if (isMain) {
            HideIfVisible(PlaylistWindow);
            HideIfVisible(EqualizerWindow);
            HideIfVisible(Form5);
        }
        return;
    }
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    if (isMain) {
        if (PlaylistWindow && Ctrl->ReadBool(QStringLiteral("PL_Open"), true)) PlaylistWindow->show();
        if (EqualizerWindow && Ctrl->ReadBool(QStringLiteral("EQ_Open"), true)) EqualizerWindow->show();
        if (Form5) Form5->show();
    }
    if (window == Form4.data() && Ctrl->ReadBool(QStringLiteral("VideoOnTop"), false)) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        window->show();
    }
    if (Form1 && Form1->AppOnTop) SetWindowsOnTop(true);
}

void SetVideoBounds(int left, int top, int width, int height) {
    TForm4* video = Form4;
    if (!video) return;
    video->move(left, top);
    Ctrl->DragX = 0;
    Ctrl->DragY = 0;
    RegionMouseDrag(QStringLiteral("a_Resize"), video, width, height);
    if (Form4) {
        const int right = Form4->width() - 1, bottom = Form4->height() - 1;
        RegionClick(TSkinRegion{QStringLiteral("a_Resize"), right, bottom, right, bottom}, false, right, bottom);
    }
    Ctrl->DragX = -1;
    Ctrl->DragY = -1;
}

void PlaylistActivate() {
    QWidget* playlist = PlaylistWindow;
    if (!playlist) return;
    if (QWidget* focused = playlist->focusWidget()) focused->clearFocus();
}
