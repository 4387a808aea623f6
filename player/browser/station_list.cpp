#include "player/browser/station_list.h"

#include <QFileInfo>

#include "platform/text_file.h"

namespace stations {

namespace {

const QString kCode = QStringLiteral("<:");
const QString kUrlOpen = QStringLiteral("<?");
const QString kUrlClose = QStringLiteral("?>");

}  // namespace

int Depth(const QString& line) {
    int depth = 0;
    while (depth < line.size() && line.at(depth) == u'\t') ++depth;
    return depth;
}

QString DisplayName(const QString& line) {
    const QString text = line.mid(Depth(line));
    const qsizetype code = text.indexOf(kCode);
    if (code > 0) return text.left(code);
    const qsizetype url = text.indexOf(kUrlOpen);
    if (url > 0) return text.left(url);
    return text;
}

QStringList LoadLines(const QString& path, QString* error) {
    QStringList lines;
    if (!QFileInfo::exists(path)) return lines;
    if (!platform::ReadTextLines(path, &lines, error)) return {};
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    // Two levels only: deeper lines become stations, and a station above every category becomes a
    // category, so the raw list and the tree agree line for line.
    bool inCategory = false;
    for (QString& line : lines) {
        const int depth = Depth(line);
        if (depth > 0 && !inCategory) line.remove(0, depth);
        else if (depth > 1) line.remove(0, depth - 1);
        inCategory = inCategory || Depth(line) == 0;
    }
    return lines;
}

int CategoryIndex(const QStringList& lines, int index) {
    for (int i = std::min<int>(index, lines.size() - 1); i >= 0; --i)
        if (Depth(lines.at(i)) == 0) return i;
    return -1;
}

int DescendantCount(const QStringList& lines, int index) {
    if (index < 0 || index >= lines.size()) return 0;
    const int depth = Depth(lines.at(index));
    int end = index + 1;
    while (end < lines.size() && Depth(lines.at(end)) > depth) ++end;
    return end - index - 1;
}

QStringList CategoryNames(const QStringList& lines) {
    QStringList names;
    for (const QString& line : lines)
        if (Depth(line) == 0) names << DisplayName(line);
    return names;
}

int FindCategory(const QStringList& lines, const QString& name) {
    const QString wanted = name.toLower();
    for (int i = 0; i < lines.size(); ++i)
        if (Depth(lines.at(i)) == 0 && DisplayName(lines.at(i)).toLower() == wanted) return i;
    return -1;
}

int Find(const QStringList& lines, const QString& upperText) {
    if (upperText.isEmpty()) return -1;
    for (int i = 0; i < lines.size(); ++i)
        if (DisplayName(lines.at(i)).toUpper().contains(upperText)) return i;
    return -1;
}

QString CodeOf(const QString& line) {
    const qsizetype at = line.indexOf(kCode);
    return at < 0 ? QString() : line.mid(at);
}

QString UrlOf(const QString& line) {
    const qsizetype open = line.indexOf(kUrlOpen);
    if (open < 0) return {};
    const qsizetype from = open + kUrlOpen.size();
    const qsizetype close = line.indexOf(kUrlClose, from);
    return close < 0 ? line.mid(from) : line.mid(from, close - from);
}

QString PlaylistItem(const QString& line) {
    QString item;
    const QString code = CodeOf(line);
    if (!code.isEmpty()) {
        item = kUrlOpen + code + kUrlClose;
    } else {
        const qsizetype url = line.indexOf(kUrlOpen);
        if (url < 0) return {};
        item = line.mid(url);
    }
    return QStringLiteral("<*") + DisplayName(line) + QStringLiteral("*>") + item;
}

QStringList Removed(QStringList lines, int index) {
    if (index < 0 || index >= lines.size()) return lines;
    lines.remove(index, DescendantCount(lines, index) + 1);
    return lines;
}

QString StationLine(const QString& name, const QString& target) {
    const QString stored = target.startsWith(kCode) ? target : kUrlOpen + target + kUrlClose;
    return QStringLiteral("\t") + name + stored;
}

QStringList AddedToCategory(QStringList lines, int categoryIndex, const QString& stationLine, int* at) {
    // After the category's last station, where the new last child sits in the tree.
    const int index = categoryIndex + DescendantCount(lines, categoryIndex) + 1;
    lines.insert(index, stationLine);
    if (at) *at = index;
    return lines;
}

}  // namespace stations
