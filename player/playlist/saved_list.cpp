#include "player/playlist/saved_list.h"

#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_files.h"

TSavedList::TSavedList(const TPlaylistModel* model, QString path, bool refused, QObject* parent)
    : QObject(parent), model_(model), path_(std::move(path)), refused_(refused) {
    timer_.setSingleShot(true);
    timer_.setInterval(kSaveDelayMs);
    connect(&timer_, &QTimer::timeout, this, [this] {
        // A failure here is not shown: the save at close tries again and reports it.
        QString error;
        SaveNow(&error);
    });
    if (refused_) return;
    // Every way the rows change: additions, removals, a whole new list, a renamed or timed entry,
    // a dragged row.
    connect(model, &QAbstractItemModel::rowsInserted, this, &TSavedList::Changed);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &TSavedList::Changed);
    connect(model, &QAbstractItemModel::rowsMoved, this, &TSavedList::Changed);
    connect(model, &QAbstractItemModel::modelReset, this, &TSavedList::Changed);
    connect(model, &QAbstractItemModel::dataChanged, this, &TSavedList::Changed);
    connect(model, &QAbstractItemModel::layoutChanged, this, &TSavedList::Changed);
}

// Each change starts the wait again: the write comes once the rows have been still a moment.
void TSavedList::Changed() {
    if (!stopped_) timer_.start();
}

bool TSavedList::SaveNow(QString* error) {
    timer_.stop();
    if (refused_) return true;
    ++writes_;
    return playlist::WriteKpl(path_, model_->Items(), error);
}

void TSavedList::Stop() {
    stopped_ = true;
    timer_.stop();
}
