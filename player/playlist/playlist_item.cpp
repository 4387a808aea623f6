// The playlist entry grammar.
#include "player/playlist/playlist_item.h"

namespace playlist {

namespace {

QStringView Field(QStringView entry, QStringView opening, QStringView closing) {
    const qsizetype open = entry.indexOf(opening);
    const qsizetype close = entry.indexOf(closing);
    if (open < 0 || close < 0) return {};
    const qsizetype start = open + opening.size();
    // "<?>" holds both markers overlapping: the closing one does not stand after the opening one.
    if (close < start) return {};
    return entry.sliced(start, close - start);
}

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

QString TwoDigits(qint64 value) {
    QString text = QString::number(value);
    if (text.size() < 2) text.prepend(u'0');
    return text;
}

QStringView WithoutExtension(QStringView name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.first(dot);
}

}  // namespace

QStringView PathField(QStringView entry) { return Field(entry, u"<?", u"?>"); }
QStringView TitleField(QStringView entry) { return Field(entry, u"<*", u"*>"); }
QStringView TimeField(QStringView entry) { return Field(entry, u"<#", u"#>"); }

bool HasTitle(QStringView entry) { return entry.contains(u"<*"); }

QString MakeEntry(QStringView text) {
    if (text.contains(u"<?")) return text.toString();
    QString entry;
    entry.reserve(text.size() + 4);
    entry.append(u"<?").append(text).append(u"?>");
    return entry;
}

bool HasControlCharacter(QStringView text) {
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x2028 || u == 0x2029) return true;
    }
    return false;
}

bool IsStorableEntry(QStringView text) { return text.size() <= kMaxEntryChars && !HasControlCharacter(text); }

bool IsValidTime(QStringView time) {
    return time.size() == 5 && time[2] == u':' && IsAsciiDigit(time[0]) && IsAsciiDigit(time[1]) &&
           IsAsciiDigit(time[3]) && IsAsciiDigit(time[4]);
}

int ValidTimeSeconds(QStringView time) {
    if (!IsValidTime(time)) return 0;
    const auto digit = [&](int i) { return time[i].unicode() - u'0'; };
    return (digit(0) * 10 + digit(1)) * 60 + digit(3) * 10 + digit(4);
}

QString FormatTime(qint64 milliseconds) {
    if (milliseconds < 0) milliseconds = 0;
    return TwoDigits(milliseconds / 60000) + u':' + TwoDigits((milliseconds / 1000) % 60);
}

QStringView FileNamePart(QStringView path) {
    qsizetype cut = -1;
    if (path.startsWith(u'/')) {
        // A Linux file name may hold ":" and "\"; only "/" separates its folders.
        cut = path.lastIndexOf(u'/');
    } else {
        for (qsizetype i = path.size() - 1; i >= 0 && cut < 0; --i) {
            const QChar c = path[i];
            if (c == u'\\' || c == u':') cut = i;
        }
    }
    return path.sliced(cut + 1);
}

QStringView PathExtension(QStringView path) {
    const QStringView name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? QStringView() : name.sliced(dot);
}

QString LowerExtension(QStringView path) { return PathExtension(path).toString().toLower(); }

QStringView Capped(QStringView text, qsizetype limit) {
    if (text.size() <= limit) return text;
    if (limit > 0 && text[limit - 1].isHighSurrogate()) --limit;
    return text.first(limit);
}

QString GetTitle(QStringView entry) {
    if (HasTitle(entry)) return Capped(TitleField(entry), kMaxTitleChars).toString();
    const QStringView path = PathField(entry);
    const qsizetype scheme = path.indexOf(u"://");
    if (scheme < 0) return Capped(WithoutExtension(FileNamePart(path)), kMaxTitleChars).toString();
    // Neither the port's ":" nor a dot in the host name may cut a URL's title: only its last
    // "/" does. A bare host is a name, not a file: it keeps its dots.
    const QStringView rest = path.sliced(scheme + 3);
    const qsizetype slash = rest.lastIndexOf(u'/');
    const QStringView title = slash < 0 ? rest : WithoutExtension(rest.sliced(slash + 1));
    return Capped(title, kMaxTitleChars).toString();
}

int EntrySeconds(QStringView entry) { return ValidTimeSeconds(TimeField(entry)); }

qint64 RefreshAllTime(const QStringList& entries) {
    qint64 total = 0;
    for (const QString& entry : entries) total += EntrySeconds(entry);
    return total;
}

qint64 ChangeTime(qint64 total, const QStringList& entries, qsizetype n, bool subtract) {
    if (n < 0 || n >= entries.size()) return total;
    const int seconds = EntrySeconds(entries.at(n));
    return subtract ? total - seconds : total + seconds;
}

QStringView SortKey(QStringView entry, SortKeyMode mode) {
    switch (mode) {
    case SortKeyMode::Title: {
        if (HasTitle(entry)) return TitleField(entry);
        const QStringView path = PathField(entry);
        return path.contains(u"//") ? path : WithoutExtension(FileNamePart(path));
    }
    case SortKeyMode::Extension: {
        const QStringView extension = PathExtension(PathField(entry));
        return extension.isEmpty() ? extension : extension.sliced(1);
    }
    case SortKeyMode::Path:
        return PathField(entry);
    case SortKeyMode::Time:
        return TimeField(entry);
    }
    return {};
}

}  // namespace playlist
