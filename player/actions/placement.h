// Hiding skinned windows to the tray and bringing them back, and keeping them top-most.
#pragma once

class QWidget;

// hide true: the window goes to the tray (the main window takes the playlist, equaliser and
// browser with it); where the desktop has no tray they minimise instead. false: it comes back
// with the windows that were open.
void AnimateToTray(bool hide, QWidget* window);
// True while AnimateToTray changes the windows' state itself.
bool OwnStateChange();
// The main, playlist, equaliser and browser windows that are visible stay above other windows
// (topMost) or stop doing so; the video window keeps its own setting.
void SetWindowsOnTop(bool topMost);

// Moves and sizes the video window to (left, top, width, height) under the rules of a resize by
// its grip (aspect, least size, even sides).
void SetVideoBounds(int left, int top, int width, int height);
// The playlist window on activation: no child keeps the keyboard focus, so the skin's keys reach
// the window.
void PlaylistActivate();
