// One load of a playlist file, nested lists read in place, each once.
#include "player/playlist/list_loader.h"

#include <QFileInfo>
#include <algorithm>

#include "player/playlist/playlist_files.h"
#include "player/playlist/playlist_item.h"

namespace playlist {

namespace {

// One name for a list however it is reached (relative, through links).
QString ListKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

}  // namespace

bool IsPresentFile(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

bool IsListExtension(QStringView extension) {
    return extension.compare(u".kpl", Qt::CaseInsensitive) == 0 || extension.compare(u".m3u", Qt::CaseInsensitive) == 0 ||
           extension.compare(u".pls", Qt::CaseInsensitive) == 0;
}

QString RefusedEntriesNote(int refused) {
    return QStringLiteral("已跳过 %1 个含控制字符或过长的条目。").arg(refused);
}

ListLoader::ListLoader(QStringList masks, ListLoadLimits limits) : masks_(std::move(masks)), limits_(limits) {}

bool ListLoader::Load(const QString& path, QStringList* entries, QString* error) {
    entries->clear();
    return Expand(path, 0, entries, error);
}

bool ListLoader::Expand(const QString& path, int depth, QStringList* entries, QString* error) {
    QString text;
    ++reads_;
    bool cut = false;
    if (!ReadListText(path, masks_, &text, error, &cut)) return false;
    if (cut) cutLists_.append(path);
    const QString key = ListKey(path);
    open_.insert(key);
    if (LowerExtension(path) == QLatin1String(".kpl")) {
        ForEachLine(text, [&](QStringView line) {
            if (IsKplAppendLine(line)) Take(line, depth, entries);
        });
    } else {
        ForEachListPath(text, masks_, [&](QStringView line) { Take(line, depth, entries); });
    }
    open_.remove(key);
    return true;
}

void ListLoader::Take(QStringView text, int depth, QStringList* entries) {
    if (!Spend(1)) return;
    if (!IsStorableEntry(text)) {
        ++refused_;
        return;
    }
    // A list that is not there stays an entry, as any missing file does; one that is there but is
    // no regular file (a FIFO) is refused by the reader, and the user told.
    if (!IsListExtension(PathExtension(text)) || !IsPresentFile(text.toString())) {
        if (entries->size() >= limits_.maxEntries) truncated_ = true;
        else entries->append(MakeEntry(text));
        return;
    }
    const QString path = text.toString();
    const QString key = ListKey(path);
    if (open_.contains(key)) return;  // a loop: the list is being read already
    auto found = done_.constFind(key);
    if (found == done_.cend()) {
        if (depth >= limits_.maxDepth) {
            ++skippedDeep_;
            return;
        }
        if (reads_ >= limits_.maxReads) {
            truncated_ = true;
            return;
        }
        QStringList own;
        QString error;
        if (!Expand(path, depth + 1, &own, &error)) errors_.append(error);
        found = done_.insert(key, own);
    }
    const qsizetype room = std::max<qsizetype>(0, limits_.maxEntries - entries->size());
    const qsizetype copied = std::min(room, found->size());
    if (Spend(copied)) entries->append(found->first(copied));
    if (copied < found->size()) truncated_ = true;
}

QString ListLoader::Notice() const {
    QStringList notes;
    if (refused_ > 0) notes << RefusedEntriesNote(refused_);
    if (skippedDeep_ > 0) notes << QStringLiteral("播放列表嵌套层数过多，已跳过 %1 个列表文件。").arg(skippedDeep_);
    for (const QString& path : cutLists_.mid(0, 5)) notes << ListFileCutNote(path);
    if (truncated_) notes << QStringLiteral("播放列表过大，只加入了其中的一部分。");
    notes << errors_.mid(0, 5);  // the first few say enough
    return notes.join(u'\n');
}

// Once the work is spent, the whole load stops; a full list only refuses further entries.
bool ListLoader::Spend(qsizetype work) {
    if (exhausted_) return false;
    work_ += work;
    if (work_ > limits_.maxWork) exhausted_ = truncated_ = true;
    return !exhausted_;
}

}  // namespace playlist
