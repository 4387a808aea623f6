// Global atoms: a table of (id, references, name) shared by every process of the session.
// Readers take the file as it stands (writes are atomic renames); writers hold an exclusive
// lock for the whole read-change-write, so two starts at the same moment cannot lose a count.
#include "platform/session.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>
#include <QSet>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

struct AtomEntry {
    Atom id = 0;
    quint32 refs = 0;
    QString name;
};
struct AtomTable {
    QList<AtomEntry> entries;
    // Ids are handed out in turn rather than lowest first, so an atom deleted by a sender that
    // gave up waiting is not at once reissued under another name to a late reader.
    int next = kFirstStringAtom;
};

// 16384 names of 255 characters fit well below this; anything larger is not our table.
constexpr qint64 kMaxTableBytes = 16 * 1024 * 1024;
// The lock is held for one small read and write; a holder that keeps it this long is stopped
// or hung, and waiting on it must not keep the player from starting.
constexpr int kLockWaitMs = 5000;

QString TablePath(const QString& dir) { return dir + "/atoms"; }

// Names are limited in characters, so a character outside the BMP counts once.
qsizetype CharacterCount(const QString& s) {
    qsizetype count = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ++i;
        ++count;
    }
    return count;
}

QString LeftCharacters(const QString& s, int maxChars) {
    qsizetype i = 0;
    for (int taken = 0; taken < maxChars && i < s.size(); ++taken) {
        if (s.at(i).isHighSurrogate() && i + 1 < s.size() && s.at(i + 1).isLowSurrogate()) ++i;
        ++i;
    }
    return s.left(i);
}

bool ValidName(const QString& name) {
    return !name.isEmpty() && CharacterCount(name) <= kMaxAtomNameChars;
}

QString NameKey(const QString& name) { return name.toCaseFolded(); }

// Entries that break the table's invariants are dropped one by one; *clean tells the writer
// that the file needs rewriting.
AtomTable ParseTable(const QByteArray& bytes, bool* clean) {
    *clean = true;
    if (bytes.isEmpty()) return {};
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject()) {
        *clean = false;
        return {};
    }
    AtomTable table;
    const qint64 next = doc.object().value("next").toInteger(kFirstStringAtom);
    if (next >= kFirstStringAtom && next <= 0xFFFF) table.next = int(next);
    QSet<int> ids;
    QSet<QString> names;
    for (const QJsonValue& value : doc.object().value("atoms").toArray()) {
        const QJsonObject o = value.toObject();
        const qint64 id = o.value("id").toInteger(-1);
        const qint64 refs = o.value("refs").toInteger(0);
        const QString name = o.value("name").toString();
        const bool valid = id >= kFirstStringAtom && id <= 0xFFFF && refs >= 1 &&
                           refs <= std::numeric_limits<quint32>::max() && ValidName(name) &&
                           !ids.contains(int(id)) && !names.contains(NameKey(name));
        if (!valid) {
            *clean = false;
            continue;
        }
        ids.insert(int(id));
        names.insert(NameKey(name));
        table.entries.append({Atom(id), quint32(refs), name});
    }
    return table;
}

QByteArray SerializeTable(const AtomTable& table) {
    QJsonArray atoms;
    for (const AtomEntry& e : table.entries)
        atoms.append(QJsonObject{{"id", int(e.id)}, {"refs", qint64(e.refs)}, {"name", e.name}});
    const QJsonObject root{{"next", table.next}, {"atoms", atoms}};
    return QJsonDocument(root).toJson(QJsonDocument::Compact) + "\n";
}

AtomTable ReadTable(const QString& dir, bool* clean) {
    QByteArray bytes;
    if (!session_detail::ReadSmallFile(TablePath(dir), kMaxTableBytes, &bytes)) {
        // Missing is a fresh session; anything else unreadable is rewritten.
        struct stat st {};
        *clean = ::lstat(QFile::encodeName(TablePath(dir)).constData(), &st) != 0 && errno == ENOENT;
        return {};
    }
    return ParseTable(bytes, clean);
}

// An exclusive flock on a file of its own: the table itself is replaced by rename, which would
// leave a lock on it behind on the old file.
class TableLock {
public:
    explicit TableLock(const QString& dir) {
        const QByteArray path = QFile::encodeName(dir + "/atoms.lock");
        for (int attempt = 0; attempt < 2 && fd_ < 0; ++attempt) {
            fd_ = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
            struct stat st {};
            if (fd_ >= 0 && ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode)) break;
            if (fd_ >= 0) ::close(fd_);
            fd_ = -1;
            if (::unlink(path.constData()) != 0) ::rmdir(path.constData());
        }
        if (fd_ >= 0) held_ = Acquire();
    }
    ~TableLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
    bool held() const { return held_; }

private:
    bool Acquire() {
        const QDeadlineTimer deadline(kLockWaitMs);
        while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || deadline.hasExpired()) return false;
            const struct timespec pause = {0, 2 * 1000 * 1000};
            ::nanosleep(&pause, nullptr);
        }
        return true;
    }

    int fd_ = -1;
    bool held_ = false;
};

// Runs change on the table under the lock and writes the result when it changed (or when the
// file was damaged). False when the session, the lock or a needed write failed.
template <typename Change>
bool ModifyTable(Change change) {
    const QString dir = SessionDirectory();
    if (dir.isEmpty()) return false;
    TableLock lock(dir);
    if (!lock.held()) return false;
    bool clean = true;
    AtomTable table = ReadTable(dir, &clean);
    const bool changed = change(table);
    if (!changed && clean) return true;
    const bool written = session_detail::WriteFileAtomically(TablePath(dir), SerializeTable(table));
    return written || !changed;
}

qsizetype IndexOfName(const AtomTable& table, const QString& name) {
    const QString key = NameKey(name);
    for (qsizetype i = 0; i < table.entries.size(); ++i)
        if (NameKey(table.entries.at(i).name) == key) return i;
    return -1;
}

qsizetype IndexOfAtom(const AtomTable& table, Atom atom) {
    for (qsizetype i = 0; i < table.entries.size(); ++i)
        if (table.entries.at(i).id == atom) return i;
    return -1;
}

// The first free id from table.next on, wrapping round; 0 when all are taken.
Atom TakeFreeId(AtomTable& table) {
    constexpr int kRange = 0x10000 - kFirstStringAtom;
    QSet<int> used;
    for (const AtomEntry& e : table.entries) used.insert(e.id);
    for (int step = 0; step < kRange; ++step) {
        const int id = kFirstStringAtom + (table.next - kFirstStringAtom + step) % kRange;
        if (used.contains(id)) continue;
        table.next = kFirstStringAtom + (id + 1 - kFirstStringAtom) % kRange;
        return Atom(id);
    }
    return 0;
}

}  // namespace

Atom GlobalAddAtom(const QString& name) {
    if (!ValidName(name)) return 0;
    Atom result = 0;
    const bool ok = ModifyTable([&](AtomTable& table) {
        const qsizetype i = IndexOfName(table, name);
        if (i >= 0) {
            AtomEntry& e = table.entries[i];
            if (e.refs < std::numeric_limits<quint32>::max()) ++e.refs;
            result = e.id;
            return true;
        }
        result = TakeFreeId(table);
        if (result == 0) return false;  // the table is full
        table.entries.append({result, 1, name});
        return true;
    });
    return ok ? result : 0;
}

Atom GlobalFindAtom(const QString& name) {
    if (!ValidName(name)) return 0;
    const QString dir = SessionDirectory();
    if (dir.isEmpty()) return 0;
    bool clean = true;
    const AtomTable table = ReadTable(dir, &clean);
    const qsizetype i = IndexOfName(table, name);
    return i >= 0 ? table.entries.at(i).id : 0;
}

Atom GlobalDeleteAtom(Atom atom) {
    if (atom < kFirstStringAtom) return atom;
    bool found = false;
    const bool ok = ModifyTable([&](AtomTable& table) {
        const qsizetype i = IndexOfAtom(table, atom);
        if (i < 0) return false;
        found = true;
        if (--table.entries[i].refs == 0) table.entries.removeAt(i);
        return true;
    });
    return ok && found ? 0 : atom;
}

QString GlobalGetAtomName(Atom atom, int maxChars) {
    if (atom < kFirstStringAtom || maxChars <= 0) return {};
    const QString dir = SessionDirectory();
    if (dir.isEmpty()) return {};
    bool clean = true;
    const AtomTable table = ReadTable(dir, &clean);
    const qsizetype i = IndexOfAtom(table, atom);
    return i >= 0 ? LeftCharacters(table.entries.at(i).name, maxChars) : QString();
}

}  // namespace platform
