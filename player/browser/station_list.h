// The lines of the station file: a category per line without a leading tab, a station per line
// with one ("\t" + name + "<?" + URL + "?>" or "\t" + name + "<:" + code). Line i is node i of the
// tree in top-to-bottom order, so every change here keeps one line per node.
#pragma once

#include <QString>
#include <QStringList>

namespace stations {

// Number of leading tabs; the tree holds two levels, so anything deeper counts as a station.
int Depth(const QString& line);

// The name shown in the tree: the text after the tabs, cut before "<:" or else "<?" when the
// marker is not the first character.
QString DisplayName(const QString& line);

// The file's lines without blank ones (they would be nodes of nothing), stations nested deeper
// than one tab lifted to one, and stations above every category made categories. A missing or unreadable
// file gives an empty list; *error says why when it existed but could not be read.
QStringList LoadLines(const QString& path, QString* error = nullptr);

// Index of the category above `index` (itself for a category); -1 when there is none.
int CategoryIndex(const QStringList& lines, int index);

// How many lines after `index` belong below it (a category's stations).
int DescendantCount(const QStringList& lines, int index);

// The names of the categories in file order.
QStringList CategoryNames(const QStringList& lines);

// The first category whose name equals `name` ignoring case; -1 when none does.
int FindCategory(const QStringList& lines, const QString& name);

// The first line, in file order, whose upper-cased shown name contains `upperText`; -1 if none.
int Find(const QStringList& lines, const QString& upperText);

// What a station line hands to the playlist: "<*" + name + "*>" followed by "<?" + URL + "?>"
// or "<?" + "<:" + code + "?>"; empty for a line that is no playable station.
QString PlaylistItem(const QString& line);

// The station's code with its marker ("<:" to the end of the line), or empty.
QString CodeOf(const QString& line);
// The text between "<?" and "?>" (to the end of the line when "?>" is missing), or empty.
QString UrlOf(const QString& line);

// Removes the line at `index` with every line below it.
QStringList Removed(QStringList lines, int index);

// The station line for `name` and `target` (a code with its marker, or a URL to be wrapped).
QString StationLine(const QString& name, const QString& target);

// Adds `stationLine` as the last station of the category at `categoryIndex`; *at receives the
// station's index.
QStringList AddedToCategory(QStringList lines, int categoryIndex, const QString& stationLine, int* at = nullptr);

}  // namespace stations
