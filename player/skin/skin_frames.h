// Pieces of the window frames that both the builders and the title-bar drawing lay down, and the
// text of the playlist's time totals.
#pragma once

#include <QColor>
#include <QImage>
#include <QString>
#include <QStringView>

class QWidget;
class TSkinWindow;

// The playlist's title row from "pledit" row `row` (active 0, inactive 21), for a window w wide.
void DrawPlaylistTitle(QImage& target, const QImage& pledit, int w, int row);
// The playlist's shade-mode bar (14 high).
void DrawPlaylistShadeBar(QImage& target, const QImage& pledit, int w, bool active);
// The station browser's title row from "mb".
void DrawBrowserTitle(QImage& target, const QImage& mb, int w, int row);

// The selected entry's part of the time totals: its length as "m:ss/", or "0:00/" when no entry
// is selected or it has no length that reads as minutes and seconds.
QString SelectedLengthText(QStringView entry, bool selected);
// The whole list's length: "mm:ss", with hours first ("h:mm:ss") from an hour on.
QString TotalLengthText(qint64 seconds);

// The skin surface of a window, or null for a window that has none.
TSkinWindow* SkinSurface(QWidget* window);
// A new back buffer of the given size, filled with the window's colour.
QImage NewBackBuffer(int w, int h, const QColor& fill);
