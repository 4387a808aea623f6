// "Hiding the taskbar" for a window that fills the screen. Linux desktops have no one taskbar
// window to hide; the window is kept above the panels instead. The state
// is given back on release, when the window goes, and at quit, so the desktop is never left
// changed.
#pragma once

class QWidget;

namespace video_taskbar {

// Keeps `window` above the desktop's panels (hide) or gives the panels back (release). Its
// geometry stays as the caller set it either way.
void HideTaskbar(QWidget* window, bool hide);
// The window that keeps the panels below it now, or null.
QWidget* Holder();
// Gives the panels back, whoever holds them.
void RestoreTaskbar();

}  // namespace video_taskbar
