#include "player/lyrics/lrc_file.h"

#include <QFileInfo>
#include <algorithm>
#include <cmath>

#include "platform/text_file.h"

namespace lyrics {

namespace {

// Blanks are spaces and control characters; the full-width blank is text and stays.
QStringView TrimBlanks(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20) ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20) --end;
    return text.sliced(begin, end - begin);
}

double DecimalValue(QStringView text) {
    // Up to 15 digits the digits and the power of ten are exact doubles, so one division gives
    // the nearest double, as a full conversion would, at a fraction of its cost.
    if (text.size() <= 16) {
        qint64 digits = 0;
        qint64 scale = 1;
        bool point = false;
        for (const QChar c : text) {
            if (c == u'.') {
                point = true;
                continue;
            }
            digits = digits * 10 + (c.unicode() - u'0');
            if (point) scale *= 10;
        }
        if (text.size() - (point ? 1 : 0) <= 15) return double(digits) / double(scale);
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    // Only digits and one inner "." reach here, so a failure is a number too long to hold.
    return ok && std::isfinite(value) ? value : double(kMaxLyricsMs);
}

}  // namespace

bool IsTimeNumber(QStringView text) {
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot >= 0 && (dot == 0 || dot == text.size() - 1 || text.indexOf(QLatin1Char('.'), dot + 1) >= 0)) return false;
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c == QLatin1Char('.') || (c >= u'0' && c <= u'9'); });
}

std::optional<int> TimeTagMs(QStringView tag) {
    const qsizetype colon = tag.indexOf(QLatin1Char(':'));
    if (colon <= 0 || colon == tag.size() - 1) return std::nullopt;
    const QStringView minutes = tag.first(colon);
    const QStringView seconds = tag.sliced(colon + 1);
    // Minutes and seconds written together must be one number: one "." at most, not at either end.
    auto digitsOrPoints = [](QStringView part) {
        return std::all_of(part.begin(), part.end(), [](QChar c) { return c == u'.' || (c >= u'0' && c <= u'9'); });
    };
    if (!digitsOrPoints(minutes) || !digitsOrPoints(seconds) || minutes.front() == u'.' || seconds.back() == u'.' ||
        minutes.count(u'.') + seconds.count(u'.') > 1) {
        return std::nullopt;
    }
    const double ms = DecimalValue(seconds) * 1000.0 + DecimalValue(minutes) * 60000.0;
    return int(std::nearbyint(std::clamp(ms, 0.0, double(kMaxLyricsMs))));
}

namespace {

template <typename Visit>
qsizetype ForEachLeadingTag(QStringView line, Visit visit) {
    qsizetype pos = 0;
    while (true) {
        while (pos < line.size() && line[pos].unicode() <= 0x20) ++pos;
        if (pos >= line.size() || line[pos] != QLatin1Char('[')) break;
        const qsizetype close = line.indexOf(QLatin1Char(']'), pos);
        if (close < 0) break;
        visit(line.sliced(pos + 1, close - pos - 1));
        pos = close + 1;
    }
    return pos;
}

}  // namespace

QStringList LeadingTags(QStringView line, qsizetype* textStart) {
    QStringList tags;
    const qsizetype start = ForEachLeadingTag(line, [&tags](QStringView tag) { tags.append(tag.toString()); });
    if (textStart) *textStart = start;
    return tags;
}

TLrcData ParseLrcLines(const QStringList& lines) {
    TLrcData data;
    data.Lines.reserve(lines.size());
    for (const QString& raw : lines) {
        const QString line = TrimBlanks(raw).toString();
        const int index = int(data.Lines.size());
        ForEachLeadingTag(line, [&data, index](QStringView tag) {
            if (const std::optional<int> ms = TimeTagMs(tag)) data.Times.push_back({*ms, index});
        });
        data.Lines.append(line);
    }
    return data;
}

TLrcData ParseLrc(const QByteArray& bytes) { return ParseLrcLines(platform::SplitLines(platform::DecodeText(bytes))); }

QString EndLine(int lengthMs) {
    const int length = std::max(lengthMs, 0);
    return QStringLiteral("[%1:%2]").arg(length / 60000).arg(length / 1000 % 60);
}

TParsedLine ParseWords(const QString& line, const std::function<int(const QString&)>& width) {
    TParsedLine parsed;
    parsed.Marks.push_back({0, 0});
    QString text;
    int textWidth = 0;
    // Real lyric lines are measured whole; a huge hostile one piece by piece, so a line of many tags
    // costs no more than its length.
    auto grow = [&](const QString& piece) {
        text += piece;
        if (piece.isEmpty()) return;
        textWidth = text.size() <= 2048 ? width(text) : textWidth + width(piece);
    };
    qsizetype pos = 0;
    while (true) {
        const qsizetype open = line.indexOf(QLatin1Char('['), pos);
        const qsizetype close = line.indexOf(QLatin1Char(']'), pos);
        if (open < 0 || close < open) break;
        grow(line.mid(pos, open - pos));
        const std::optional<int> ms = TimeTagMs(QStringView(line).sliced(open + 1, close - open - 1));
        if (ms && !text.isEmpty()) parsed.Marks.push_back({*ms, textWidth});
        pos = close + 1;
    }
    grow(line.mid(pos));
    parsed.Marks.push_back({0, textWidth});
    parsed.Text = TrimBlanks(text).toString();
    return parsed;
}

QString FindLyricsFile(const QString& songPath, const TLrcSearch& search,
                       const std::function<bool(const QString&)>& exists) {
    const qsizetype slash = songPath.lastIndexOf(QLatin1Char('/'));
    const QString folder = songPath.left(slash + 1);
    QString name = songPath.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot >= 0) name.truncate(dot);
    const QString fileName = name + QStringLiteral(".lrc");
    if (search.Flags.size() > 1 && search.Flags[1] == QLatin1Char('1') && exists(folder + fileName)) {
        return folder + fileName;
    }
    if (search.Flags.size() > 3 && search.Flags[3] == QLatin1Char('1') && exists(search.LrcFilePath + fileName)) {
        return search.LrcFilePath + fileName;
    }
    return {};
}

bool LoadLrcFile(const QString& path, TLrcData* data, QString* error) {
    platform::ReadOptions options;
    options.maxBytes = kMaxLrcFileBytes;
    options.tooLarge = QStringLiteral("the file is too large for lyrics");
    QByteArray bytes;
    if (!platform::ReadFileBytes(path, &bytes, error, options)) return false;
    *data = ParseLrc(bytes);
    return true;
}

bool LoadSongLyrics(const QString& songPath, const TLrcSearch& search, int lengthMs, TLrcData* data) {
    const QString path = FindLyricsFile(songPath, search, [](const QString& file) { return QFileInfo(file).isFile(); });
    if (path.isEmpty()) return false;
    TLrcData loaded;
    if (!LoadLrcFile(path, &loaded)) return false;
    loaded.Lines.append(EndLine(lengthMs));
    for (const QString& tag : LeadingTags(loaded.Lines.back())) {
        if (const std::optional<int> ms = TimeTagMs(tag)) loaded.Times.push_back({*ms, int(loaded.Lines.size() - 1)});
    }
    *data = std::move(loaded);
    return true;
}

}  // namespace lyrics
