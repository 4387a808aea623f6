#include "player/actions/placement.h"

#include <QScopedValueRollback>
#include <QWidget>

#include "platform/tray_icon.h"

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

// Set while the player minimises or restores its own windows, so their state changes are not
// taken for the window manager's.
bool ownStateChange = false;

void MinimiseIfShown(QWidget* window) {
    if (window && window->isVisible() && !window->isMinimized()) window->showMinimized();
}

void ShowRestored(QWidget* window) {
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
}

// With no tray there is no icon to come back by: the windows minimise instead, so the taskbar or
// the window manager's window list still brings them back.
void MinimiseInstead(QWidget* window, bool isMain) {
    const QScopedValueRollback<bool> own(ownStateChange, true);
    MinimiseIfShown(window);
    if (!isMain) return;
    MinimiseIfShown(PlaylistWindow);
    MinimiseIfShown(EqualizerWindow);
    MinimiseIfShown(Form5);
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
    if (hide && !platform::TrayAvailable()) {
        MinimiseInstead(window, isMain);
        return;
    }
    const QScopedValueRollback<bool> own(ownStateChange, true);
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
    ShowRestored(window);
    if (isMain) {
        if (PlaylistWindow && Ctrl->ReadBool(QStringLiteral("PL_Open"), true)) ShowRestored(PlaylistWindow);
        if (EqualizerWindow && Ctrl->ReadBool(QStringLiteral("EQ_Open"), true)) ShowRestored(EqualizerWindow);
        if (Form5) ShowRestored(Form5);
    }
    if (window == Form4.data() && Ctrl->ReadBool(QStringLiteral("VideoOnTop"), false)) {
        window->setWindowFlag(Qt::WindowStaysOnTopHint, true);
        window->show();
    }
    if (Form1 && Form1->AppOnTop) SetWindowsOnTop(true);
}

bool OwnStateChange() { return ownStateChange; }

void SetVideoBounds(int left, int top, int width, int height) {
    TForm4* video = Form4;
    if (!video) return;
    Ctrl->DragX = 0;
    Ctrl->DragY = 0;
    RegionMouseDrag(QStringLiteral("a_Resize"), video, width, height);
    if (Form4) {
        const int right = Form4->width() - 1, bottom = Form4->height() - 1;
        RegionClick(TSkinRegion{QStringLiteral("a_Resize"), right, bottom, right, bottom}, false, right, bottom);
    }
    Ctrl->DragX = -1;
    Ctrl->DragY = -1;
    // Placed after the resize: a window manager pushes a window that grows past the screen's
    // right or bottom edge back inside it, but lets a move put it partly off the screen.
    if (Form4) Form4->move(left, top);
}

void PlaylistActivate() {
    QWidget* playlist = PlaylistWindow;
    if (!playlist) return;
    if (QWidget* focused = playlist->focusWidget()) focused->clearFocus();
}
