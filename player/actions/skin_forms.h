// The five skinned windows as the mouse dispatch knows them: by caption ("dispForm1" main to
// "dispForm5" station browser), by window number and by the first letter of a region name. The
// program's own list of its windows decides, never the window manager's titles.
#pragma once

#include <QPoint>
#include <QString>
#include <vector>

#include "player/skin/skin_regions.h"

class QWidget;
class TSkinWindow;

// The window whose caption is exactly "dispForm1" .. "dispForm5" (null for any other text, or
// when that window does not exist now).
QWidget* FormByCaption(const QString& caption);
// The caption of a skinned window, or the empty text for any other widget.
QString CaptionOf(const QWidget* window);
// The caption of the top-level window under the global point (at most 254 characters).
QString WindowCaptionUnderCursor(const QPoint& global);
QString WindowCaptionUnderCursor();

// 1 main .. 5 browser; anything else gives null.
QWidget* FormByNumber(int number);
std::vector<TSkinRegion>* RegionsByNumber(int number);
// The window and table a region name belongs to by its first letter ("m", "l", "e", "a", "b").
TSkinWindow* SurfaceOfRegion(const QString& name);
std::vector<TSkinRegion>* RegionsOfLetter(QChar letter);

inline constexpr int kShadedHeight = 14;
inline constexpr int kFullHeight = 116;
// The main window is shaded when it is 14 pixels high.
bool MainShaded();
