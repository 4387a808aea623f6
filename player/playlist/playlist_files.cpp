// Playlist files: .kpl, .m3u, .pls and other text lists.
#include "player/playlist/playlist_files.h"

#include "platform/text_file.h"
#include "player/playlist/playlist_item.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringView>

namespace playlist {

namespace {

bool IsAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

// Spaces and control characters, as a Windows string trim removes them.
QStringView TrimControls(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ') ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ') --end;
    return text.sliced(begin, end - begin);
}

// Removes a leading "File1=" (letters, digits, "="): the key of a .pls line. Anything else is
// part of the path or URL, which may itself hold "=" (a query string).
QStringView StripPlsKey(QStringView line) {
    qsizetype letters = 0;
    while (letters < line.size() && IsAsciiLetter(line[letters])) ++letters;
    qsizetype end = letters;
    while (end < line.size() && IsAsciiDigit(line[end])) ++end;
    if (letters == 0 || end == letters || end >= line.size() || line[end] != u'=') return line;
    return line.sliced(end + 1);
}

// Equal when `text` starts with `lower` (already lower-case) in any case; ASCII is compared
// directly, anything else by case folding.
bool StartsWithLower(QStringView text, QStringView lower) {
    if (text.size() < lower.size()) return false;
    for (qsizetype i = 0; i < lower.size(); ++i) {
        const char16_t a = text[i].unicode();
        const char16_t b = lower[i].unicode();
        if (a == b) continue;
        if (a < 0x80) {
            if (a < u'A' || a > u'Z' || a + (u'a' - u'A') != b) return false;
        } else if (QChar::toCaseFolded(a) != QChar::toCaseFolded(b)) {
            return false;
        }
    }
    return true;
}

bool HoldsKpl(QStringView line) {
    for (qsizetype dot = line.indexOf(u'.'); dot >= 0; dot = line.indexOf(u'.', dot + 1))
        if (StartsWithLower(line.sliced(dot), u".kpl")) return true;
    return false;
}

// Finds whether any mask text (the mask without its leading "*") occurs in a line, in any case,
// without lower-casing the line: only positions holding a possible first character are tried.
class MaskMatcher {
public:
    explicit MaskMatcher(const QStringList& masks) {
        for (const QString& mask : masks) {
            const QString needle = (mask.startsWith(u'*') ? mask.sliced(1) : mask).toLower();
            if (needle.isEmpty()) continue;
            needles_.append(needle);
            for (const QChar c : {needle[0], needle[0].toUpper()}) {
                if (c.unicode() < 0x80) asciiFirsts_[c.unicode()] = true;
                else if (!otherFirsts_.contains(c)) otherFirsts_.append(c);
            }
        }
    }

    bool matches(QStringView line) const {
        for (qsizetype i = 0; i < line.size(); ++i) {
            const char16_t c = line[i].unicode();
            if (c < 0x80 ? !asciiFirsts_[c] : !otherFirsts_.contains(QChar(c))) continue;
            const QStringView rest = line.sliced(i);
            for (const QString& needle : needles_)
                if (StartsWithLower(rest, needle)) return true;
        }
        return false;
    }

private:
    QStringList needles_;
    bool asciiFirsts_[0x80] = {};
    QString otherFirsts_;
};

// How many of the (at most 256) non-ASCII paths a list text names exist: pure ASCII names read
// the same under every decoding and tell nothing.
int CountExisting(const QString& text, bool kpl, const QStringList& masks) {
    int tried = 0;
    int found = 0;
    const auto check = [&](QStringView path) {
        if (tried >= 256 || QtPrivate::isAscii(path)) return;
        ++tried;
        if (QFileInfo::exists(path.toString())) ++found;
    };
    if (kpl) ForEachLine(text, [&](QStringView line) { check(PathField(line)); });
    else ForEachListPath(text, masks, check);
    return found;
}

}  // namespace

QStringList BuildMaskList(const QString& decode0, const QString& decode1, const QString& decode5,
                          const QString& decode3, const QString& decode4, const QString& decode2) {
    const QString all = QStringList{decode0, decode1, decode5, decode3, decode4, decode2,
                                    QStringLiteral("*.kpl;*.m3u;*.pls;")}
                            .join(u';')
                            .toLower();
    QStringList masks;
    for (QStringView piece : QStringView(all).split(u';')) {
        piece = piece.trimmed();  // hand-edited lists may read "*.mp3; *.wma"
        if (piece.size() <= 2 || piece == u"*.exe") continue;
        const QString mask = piece.toString();
        if (!masks.contains(mask)) masks.append(mask);
    }
    return masks;
}

void ForEachLine(QStringView text, const std::function<void(QStringView)>& take) {
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0) end = text.size();
        qsizetype lineEnd = end;
        if (end < text.size() && lineEnd > start && text[lineEnd - 1] == u'\r') --lineEnd;
        take(text.sliced(start, lineEnd - start));
        start = end + 1;
    }
}

void ForEachListPath(QStringView text, const QStringList& masks, const std::function<void(QStringView)>& take) {
    const MaskMatcher matcher(masks);
    ForEachLine(text, [&](QStringView line) {
        const QStringView path = TrimControls(StripPlsKey(TrimControls(line)));
        const bool located = line.contains(u":\\") || line.contains(u"://") || path.startsWith(u'/');
        if (located && !path.isEmpty() && matcher.matches(line)) take(path);
    });
}

QStringList FilterListText(QStringView text, const QStringList& masks) {
    QStringList paths;
    ForEachListPath(text, masks, [&](QStringView path) { paths.append(path.toString()); });
    return paths;
}

bool IsKplAppendLine(QStringView line) { return line.contains(u'.') && !HoldsKpl(line); }

QString ListFileCutNote(const QString& path) {
    return QStringLiteral("播放列表文件过大，只读取了其中的一部分（至多 %1 MB、%2 行）：%3")
        .arg(kMaxListFileBytes >> 20)
        .arg(kMaxListFileLines)
        .arg(path);
}

QString DecodeListBytes(const QByteArray& bytes, bool kpl, const QStringList& masks) {
    platform::TextEncoding found;
    const QString text = platform::DecodeText(bytes, &found);
    if (found != platform::TextEncoding::Gb18030) return text;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = decoder.decode(bytes);
    if (decoder.hasError() || utf8 == text) return text;
    return CountExisting(utf8, kpl, masks) > CountExisting(text, kpl, masks) ? utf8 : text;
}

bool ReadListText(const QString& path, const QStringList& masks, QString* text, QString* error, bool* cut) {
    text->clear();
    platform::ReadOptions options;
    options.maxBytes = kMaxListFileBytes;
    options.keepHead = true;
    platform::ReadInfo info;
    QByteArray bytes;
    if (cut) *cut = false;
    if (!platform::ReadFileBytes(path, &bytes, error, options, &info)) return false;
    if (cut) *cut = info.cut;
    *text = DecodeListBytes(bytes, LowerExtension(path) == QLatin1String(".kpl"), masks);
    return true;
}

bool ReadKpl(const QString& path, QStringList* entries, QString* error, bool* cut) {
    entries->clear();
    QString text;
    bool head = false;
    if (!ReadListText(path, {}, &text, error, &head)) return false;
    ForEachLine(text, [&](QStringView line) {
        if (entries->size() < kMaxListFileLines) entries->append(line.toString());
        else head = true;
    });
    if (cut) *cut = head;
    return true;
}

bool ReadListFile(const QString& path, const QStringList& masks, QStringList* paths, QString* error) {
    QString text;
    const bool ok = ReadListText(path, masks, &text, error);
    *paths = FilterListText(text, masks);
    return ok;
}

bool WriteKpl(const QString& path, const QStringList& entries, QString* error) {
    return platform::WriteTextLines(path, entries, error);
}

bool WriteM3u(const QString& path, const QStringList& entries, QString* error) {
    QStringList lines;
    lines.reserve(entries.size());
    for (const QString& entry : entries) lines.append(PathField(entry).toString());
    return platform::WriteTextLines(path, lines, error);
}

}  // namespace playlist
