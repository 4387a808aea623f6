#include "platform/ini_file.h"

#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

bool IsBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\v') || c == QLatin1Char('\f');
}

// Only ASCII blanks: an ideographic space is part of a Chinese value, not padding.
QStringView TrimBlanks(QStringView s) {
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlank(s.at(begin))) ++begin;
    while (end > begin && IsBlank(s.at(end - 1))) --end;
    return s.sliced(begin, end - begin);
}

QString TrimBlanks(const QString& s) {
    const QStringView trimmed = TrimBlanks(QStringView(s));
    return trimmed.size() == s.size() ? s : trimmed.toString();
}

bool SameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

bool IsQuote(QChar c) { return c == QLatin1Char('"') || c == QLatin1Char('\''); }

bool IsQuoted(const QString& s) { return s.size() >= 2 && IsQuote(s.front()) && s.back() == s.front(); }

QString Unquote(const QString& s) { return IsQuoted(s) ? s.mid(1, s.size() - 2) : s; }

// Values that reading would change (outer blanks trimmed, outer quotes dropped) are written in
// double quotes, so what is written is what is read back.
QString QuoteIfNeeded(const QString& value) {
    const bool padded = !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()));
    return padded || IsQuoted(value) ? QLatin1Char('"') + value + QLatin1Char('"') : value;
}

enum class Kind { Other, Section, Key };

struct Entry {
    Kind kind = Kind::Other;
    QString name;   // section or key name, trimmed
    QString value;  // trimmed, quotes still on
};

// "[" without "]" is no section header; like any line without "=" it is skipped by lookups.
Entry Classify(const QString& line) {
    Entry entry;
    const QStringView text = TrimBlanks(QStringView(line));
    if (text.startsWith(QLatin1Char(';'))) return entry;
    const qsizetype close = text.startsWith(QLatin1Char('[')) ? text.indexOf(QLatin1Char(']')) : -1;
    if (close > 0) {
        entry.kind = Kind::Section;
        entry.name = TrimBlanks(text.sliced(1, close - 1)).toString();
        return entry;
    }
    const qsizetype eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0) return entry;
    const QStringView name = TrimBlanks(text.first(eq));
    if (name.isEmpty()) return entry;
    entry.kind = Kind::Key;
    entry.name = name.toString();
    entry.value = TrimBlanks(text.sliced(eq + 1)).toString();
    return entry;
}

// Each line classified once, however many lookups follow.
using Entries = QList<Entry>;

Entries Parse(const QStringList& lines) {
    Entries entries;
    entries.reserve(lines.size());
    for (const QString& line : lines) entries.append(Classify(line));
    return entries;
}

// The first section of that name: its header line and the end of its body (the next header or
// the end of the file). header < 0 when there is none.
struct Range {
    qsizetype header = -1;
    qsizetype end = -1;
};

Range FindSection(const Entries& entries, const QString& section) {
    Range range;
    const QString wanted = TrimBlanks(section);
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& entry = entries.at(i);
        if (entry.kind != Kind::Section) continue;
        if (range.header >= 0) {
            range.end = i;
            return range;
        }
        if (SameName(entry.name, wanted)) range.header = i;
    }
    if (range.header >= 0) range.end = entries.size();
    return range;
}

qsizetype FindKey(const Entries& entries, const Range& range, const QString& key) {
    const QString wanted = TrimBlanks(key);
    for (qsizetype i = range.header + 1; i < range.end; ++i) {
        const Entry& entry = entries.at(i);
        if (entry.kind == Kind::Key && SameName(entry.name, wanted)) return i;
    }
    return -1;
}

// The first entry of each key of the first matching section, in file order.
Entries SectionEntries(const Entries& all, const QString& section) {
    Entries entries;
    const Range range = FindSection(all, section);
    QSet<QString> seen;
    for (qsizetype i = range.header + 1; range.header >= 0 && i < range.end; ++i) {
        const Entry& entry = all.at(i);
        if (entry.kind != Kind::Key) continue;
        const QString folded = entry.name.toCaseFolded();
        if (seen.contains(folded)) continue;
        seen.insert(folded);
        entries.append(entry);
    }
    return entries;
}

int HexDigit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'a' && u <= u'f') return u - u'a' + 10;
    if (u >= u'A' && u <= u'F') return u - u'A' + 10;
    return -1;
}

// A signed decimal, or "0x"/"$" and up to 32 bits of hex taken as a signed 32-bit word.
bool ParseInteger(const QString& s, int* out) {
    qsizetype i = 0;
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative || s.startsWith(QLatin1Char('+'))) ++i;
    int base = 10;
    if (s.mid(i, 2).compare(QLatin1String("0x"), Qt::CaseInsensitive) == 0) {
        base = 16;
        i += 2;
    } else if (s.mid(i, 1) == QLatin1String("$")) {
        base = 16;
        i += 1;
    }
    if (i >= s.size()) return false;
    const quint64 limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    quint64 magnitude = 0;
    for (; i < s.size(); ++i) {
        const int digit = HexDigit(s.at(i));
        if (digit < 0 || digit >= base) return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    qint64 value = base == 16 ? qint64(qint32(quint32(magnitude))) : qint64(magnitude);
    if (negative) value = -value;
    if (value < INT_MIN || value > INT_MAX) return false;
    *out = int(value);
    return true;
}

bool HasLineBreak(const QString& s) {
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// Names that would not read back as the same section or key are refused instead of written.
QString CheckNames(const QString& section, const QString& key) {
    if (section.isEmpty() || HasLineBreak(section) || section.contains(QLatin1Char(']')))
        return QStringLiteral("invalid section name \"%1\"").arg(section);
    if (key.isEmpty() || HasLineBreak(key) || key.contains(QLatin1Char('=')) ||
        key.startsWith(QLatin1Char(';')) || key.startsWith(QLatin1Char('[')))
        return QStringLiteral("invalid key name \"%1\"").arg(key);
    return {};
}

// What tells one version of a file from another: a rename puts a new inode in place (and the
// snapshot holds the old one open, so its number cannot come back), an edit in place changes the
// size or the times.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static FileStamp Of(const struct stat& st) {
        return FileStamp{true, st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
    }
    bool operator==(const FileStamp& o) const {
        const auto same = [](timespec a, timespec b) {
            return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
        };
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size && same(mtime, o.mtime) &&
               same(ctime, o.ctime);
    }
};

}  // namespace

struct TIniFile::Snapshot {
    Entries entries;
    FileStamp stamp;
    bool reusable = false;  // false after a failed read: try again next time
    int fd = -1;

    Snapshot() = default;
    Snapshot(const Snapshot&) = delete;
    Snapshot& operator=(const Snapshot&) = delete;
    ~Snapshot() {
        if (fd >= 0) ::close(fd);
    }
};

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName) {}

// A missing or unreadable file reads as empty. The file is read again only when it changed.
std::shared_ptr<const TIniFile::Snapshot> TIniFile::load() const {
    const QByteArray name = QFile::encodeName(fileName_);
    struct stat st;
    const FileStamp now = ::stat(name.constData(), &st) == 0 ? FileStamp::Of(st) : FileStamp{};
    if (cache_ && cache_->reusable && cache_->stamp == now) return cache_;
    auto snapshot = std::make_shared<Snapshot>();
    cache_ = snapshot;
    QByteArray bytes;
    ReadInfo read;
    ReadOptions options;
    options.keepOpen = true;
    if (!ReadFileBytes(fileName_, &bytes, nullptr, options, &read)) {
        snapshot->reusable = read.missing;
        return cache_;
    }
    snapshot->fd = read.descriptor;
    snapshot->entries = Parse(SplitLines(DecodeText(bytes)));
    snapshot->stamp = FileStamp::Of(read.status);
    snapshot->reusable = true;
    return cache_;
}

// Unlike reading, a write must not treat an unreadable file as empty: that would replace the
// user's file with a single key.
bool TIniFile::loadForWrite(QStringList* lines) {
    lines->clear();
    encoding_ = TextEncoding::Gb18030;
    if (!QFileInfo::exists(fileName_)) return true;
    QString error;
    if (ReadTextLines(fileName_, lines, &error, &encoding_)) return true;
    lastError_ = error;
    return false;
}

bool TIniFile::save(const QStringList& lines) {
    cache_.reset();
    if (!WriteTextLines(fileName_, lines, &lastError_, encoding_)) return false;
    lastError_.clear();
    return true;
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const {
    const auto file = load();
    const Range range = FindSection(file->entries, section);
    if (range.header < 0) return def;
    const qsizetype at = FindKey(file->entries, range, key);
    return at < 0 ? def : Unquote(file->entries.at(at).value);
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const {
    int value = def;
    return ParseInteger(ReadString(section, key, QString()), &value) ? value : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const {
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

bool TIniFile::WriteString(const QString& section, const QString& key, const QString& value) {
    const QString name = TrimBlanks(section);
    const QString ident = TrimBlanks(key);
    lastError_ = CheckNames(name, ident);
    if (lastError_.isEmpty() && HasLineBreak(value)) lastError_ = QStringLiteral("line break in value");
    QStringList lines;
    if (!lastError_.isEmpty() || !loadForWrite(&lines)) return false;
    const QString stored = QuoteIfNeeded(value);
    const Entries entries = Parse(lines);
    const Range range = FindSection(entries, name);
    const qsizetype at = range.header < 0 ? -1 : FindKey(entries, range, ident);
    if (at >= 0) {
        lines[at] = entries.at(at).name + QLatin1Char('=') + stored;
    } else if (range.header >= 0) {
        qsizetype insertAt = range.header + 1;
        for (qsizetype i = insertAt; i < range.end; ++i)
            if (!TrimBlanks(lines.at(i)).isEmpty()) insertAt = i + 1;
        lines.insert(insertAt, ident + QLatin1Char('=') + stored);
    } else {
        if (!lines.isEmpty() && !TrimBlanks(lines.last()).isEmpty()) lines.append(QString());
        lines.append(QLatin1Char('[') + name + QLatin1Char(']'));
        lines.append(ident + QLatin1Char('=') + stored);
    }
    return save(lines);
}

bool TIniFile::WriteInteger(const QString& section, const QString& key, int value) {
    return WriteString(section, key, QString::number(value));
}

bool TIniFile::WriteBool(const QString& section, const QString& key, bool value) {
    return WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList TIniFile::ReadSection(const QString& section) const {
    QStringList keys;
    for (const Entry& entry : SectionEntries(load()->entries, section)) keys.append(entry.name);
    return keys;
}

QStringList TIniFile::ReadSections() const {
    QStringList sections;
    QSet<QString> seen;
    for (const Entry& entry : load()->entries) {
        if (entry.kind != Kind::Section || seen.contains(entry.name.toCaseFolded())) continue;
        seen.insert(entry.name.toCaseFolded());
        sections.append(entry.name);
    }
    return sections;
}

QStringList TIniFile::ReadSectionValues(const QString& section) const {
    QStringList values;
    for (const Entry& entry : SectionEntries(load()->entries, section))
        values.append(entry.name + QLatin1Char('=') + Unquote(entry.value));
    return values;
}

bool TIniFile::EraseSection(const QString& section) {
    QStringList lines;
    if (!loadForWrite(&lines)) return false;
    const QString wanted = TrimBlanks(section);
    QStringList kept;
    bool inside = false;
    for (const QString& line : lines) {
        const Entry entry = Classify(line);
        if (entry.kind == Kind::Section) inside = SameName(entry.name, wanted);
        if (!inside) kept.append(line);
    }
    lastError_.clear();
    return kept.size() == lines.size() || save(kept);
}

bool TIniFile::DeleteKey(const QString& section, const QString& key) {
    QStringList lines;
    if (!loadForWrite(&lines)) return false;
    const Entries entries = Parse(lines);
    const Range range = FindSection(entries, section);
    const QString wanted = TrimBlanks(key);
    bool removed = false;
    for (qsizetype i = range.end - 1; range.header >= 0 && i > range.header; --i) {
        const Entry& entry = entries.at(i);
        if (entry.kind != Kind::Key || !SameName(entry.name, wanted)) continue;
        lines.removeAt(i);
        removed = true;
    }
    lastError_.clear();
    return !removed || save(lines);
}

bool TIniFile::SectionExists(const QString& section) const {
    return FindSection(load()->entries, section).header >= 0;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const {
    const auto file = load();
    const Range range = FindSection(file->entries, section);
    return range.header >= 0 && FindKey(file->entries, range, key) >= 0;
}

}  // namespace platform
