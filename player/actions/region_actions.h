// What a press, a drag step and a release over a named region do. The mouse hook finds the
// region; these run its action.
#pragma once

#include <QString>

#include "player/skin/skin_regions.h"

class QWidget;

// Press: the pressed picture, the drag anchors, the press-time actions.
void RegionMouseDown(const TSkinRegion& region, bool right, int x, int y);
// Release over the region that was pressed: the region's action.
void RegionClick(const TSkinRegion& region, bool right, int x, int y);
// One drag step while `name` is held, at window coordinates of `window`.
void RegionMouseDrag(const QString& name, QWidget* window, int x, int y);
// Presses and releases a region by name with the left button at (0, 0), then repaints its window
// (the commands that stand for a button).
void ClickRegion(const QString& name);

// The window toggles and shade toggles (window_toggles.cpp).
void ToggleEqualizerWindow(const TSkinRegion& region);
void TogglePlaylistWindow(const TSkinRegion& region);
void ToggleMainShade();
void TogglePlaylistShade();
void ToggleEqualizerShade();
// Frees the station browser: it hides at once, every reference to it is cleared, and it is
// deleted once the event that asked for it has been handled.
void CloseBrowser();
// The station browser's buttons.
void BrowserClick(const QString& name);
