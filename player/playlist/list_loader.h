// One load of a playlist file: its entries in file order, with the lists it names read in their
// place. Each list file is read once per load, however often it is named; the nesting depth, the
// entries and the work of one load are bounded, so hostile lists cannot freeze or crash the player.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>

namespace playlist {

struct ListLoadLimits {
    int maxDepth = 16;               // lists inside lists below the loaded one
    qsizetype maxEntries = 500000;   // entries one load gives
    qsizetype maxWork = 4000000;     // lines looked at plus entries copied, over all lists
    int maxReads = 1000;             // list files read
};

// True for the extensions of playlist files (.kpl, .m3u, .pls, any case).
bool IsListExtension(QStringView extension);

// Whether a name is there and is no folder, as Windows tells a file exists: a FIFO or device
// counts, so a list of that name is handed to the reader, which refuses it and says why.
bool IsPresentFile(const QString& path);

// The user's note on entries refused for control characters or length.
QString RefusedEntriesNote(int refused);

class ListLoader {
public:
    explicit ListLoader(QStringList masks, ListLoadLimits limits = {});

    // The entries of `path` as playlist entry texts: a .kpl gives the lines an append adds, any
    // other list its filtered lines. A list named inside that exists is replaced by its own
    // entries; one already being read (a loop) is skipped. Entries holding control characters
    // or beyond the length bound are refused. False, with the reason in *error, when `path` itself cannot be read.
    bool Load(const QString& path, QStringList* entries, QString* error = nullptr);

    int Reads() const { return reads_; }
    // List files read only up to their size bound.
    const QStringList& CutLists() const { return cutLists_; }
    // Lists skipped for lying too deep, and whether a bound cut the load short.
    int SkippedDeep() const { return skippedDeep_; }
    int Refused() const { return refused_; }
    bool Truncated() const { return truncated_; }
    // Why nested lists could not be read.
    const QStringList& Errors() const { return errors_; }
    // All of the above in one text for the user; empty when the load was whole.
    QString Notice() const;

private:
    bool Expand(const QString& path, int depth, QStringList* entries, QString* error);
    void Take(QStringView text, int depth, QStringList* entries);
    bool Spend(qsizetype work);

    QStringList masks_;
    ListLoadLimits limits_;
    QHash<QString, QStringList> done_;  // lists read in this load, by canonical name
    QSet<QString> open_;                // lists being read right now
    qsizetype work_ = 0;
    int reads_ = 0;
    int skippedDeep_ = 0;
    int refused_ = 0;
    bool truncated_ = false;
    bool exhausted_ = false;
    QStringList errors_;
    QStringList cutLists_;  // list files read only in part
};

}  // namespace playlist
