// The playlist's button strips: a small column of skin-drawn buttons that a bottom-bar button
// opens above itself, with a highlight under the pointer and an action on release.
#pragma once

#include <functional>
#include <vector>

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "player/actions/strips_layout.h"

class TPlaylistStrip : public QWidget {
    Q_OBJECT
public:
    TPlaylistStrip(const TStripLayout& layout, QWidget* playlistWindow);

    const TStripLayout& Layout() const { return layout_; }
    const QImage& Image() const { return image_; }
    // Redraws every cell, the one under y highlighted (y < 0: none).
    void Highlight(int y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    const TStripLayout& layout_;
    QImage image_;
};

// The open strip, if any; at most one is open.
TPlaylistStrip* OpenStrip();
// Closes any open strip and opens the one of a bottom-bar region ("lMenu1".."lMenu5").
void OpenPlaylistMenu(const QString& region);
void ClosePlaylistMenu();
// Whether a point of the playlist window lies strictly inside the open strip.
bool InsideOpenStrip(int x, int y);
// The action of a strip's cell. The strip is closed by then, except under a cell's pop-up menu:
// that strip stays open while the menu is up and closes as the menu does.
void RunStripCell(TStrip strip, int cell);

// The strips' file dialogs and overwrite question; tests put their own answers in.
struct TStripDialogs {
    // The chosen name (empty: cancelled) and, through *filterIndex, the filter chosen (1 based).
    std::function<QString(const QStringList& filters, int* filterIndex)> SaveName;
    std::function<QString(const QStringList& filters)> OpenName;
    std::function<bool(const QString& text, const QString& caption)> Confirm;
};
void SetStripDialogs(TStripDialogs dialogs);  // empty members: the real dialogs

// The name a save writes: unchanged when it ends in .kpl or .m3u (any case), else with the
// chosen filter's suffix appended (.m3u for the second filter, .kpl otherwise).
QString StripSaveName(const QString& chosen, int filterIndex);

// Clearing and removing, on the playlist box and the playing index.
void ClearPlaylist();
// Removes the selected entries (keepSelected false) or every entry that is not selected (crop).
void RemoveEntries(bool keepSelected);
// The playing index after removing the marked entries one by one from the first.
int PlayingAfterRemoval(const std::vector<bool>& removed, int playing);
