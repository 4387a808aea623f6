// The player's own list file (velmora.kpl) kept in step with the playlist box: written shortly
// after the rows change, once per burst of changes, so a crash or a killed session loses at most
// the last moments; and once more at close. A file that was there but could not be read is never
// written over: the user's list in it outlives a run that could not show it.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class TPlaylistModel;

class TSavedList : public QObject {
    Q_OBJECT
public:
    // Long enough that a load, a scan or a run of deletions is one write; short enough that what
    // a second start hands over is on disk within moments.
    static constexpr int kSaveDelayMs = 2000;

    // Watches the model's rows from now on; refused: the file exists but could not be read.
    TSavedList(const TPlaylistModel* model, QString path, bool refused, QObject* parent);

    const QString& Path() const { return path_; }
    bool Refused() const { return refused_; }
    // Writes the rows now and ends the pending write. A refused file is left alone: true.
    bool SaveNow(QString* error);
    // After the close's save the file is the run's last word: later changes stay in memory.
    void Stop();
    bool SavePending() const { return timer_.isActive(); }
    // How many times the file was written (a load of many rows must be one write).
    int Writes() const { return writes_; }

private:
    void Changed();

    const TPlaylistModel* model_;
    QString path_;
    bool refused_;
    bool stopped_ = false;
    int writes_ = 0;
    QTimer timer_;
};
