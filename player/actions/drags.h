// The continuous mouse actions: window drags with the glued windows, the sliders, the scroll bar
// and the resize grips. A press starts one, each mouse move while it is held is a step.
#pragma once

#include <QString>

#include "player/actions/docking.h"
#include "player/skin/skin_regions.h"

class QWidget;

// A left press on a title bar: the anchor, and for the main window which windows follow it.
void StartWindowDrag(const QString& name, int x, int y);
// A left press on a slider, the seek bar, the scroll bar or a resize grip; false for any other
// region.
bool StartDrag(const TSkinRegion& region, int x, int y);
// The end of a slider or a video resize on release.
void EndVolumeDrag(int x);
void EndBalanceDrag(int x);
void EndVideoResize();
void StartResize(const QString& name, int x, int y);

void WindowDragStep(const QString& name, QWidget* window, int x, int y);
void VolumeDragStep(int x, bool release);
void BalanceDragStep(int x, bool release);
void EqualizerDragStep(const QString& name, int y);
void ScrollDragStep(int y);
void PlaylistResizeStep(int x, int y);
void BrowserResizeStep(int x, int y);
void VideoResizeStep(int x, int y);

TBounds BoundsOf(const QWidget* window);
// The desktop area not covered by panels, on the screen of the window.
TBounds WorkAreaOf(const QWidget* window);
