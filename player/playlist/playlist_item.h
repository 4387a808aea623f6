// The playlist entry grammar: one text holding up to three marked fields, and the values derived
// from it (display title, time, extension, sort keys). Pure functions, no widget involved.
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

namespace playlist {

// The three fields of an entry. Each is found by the first opening marker and the first closing
// marker anywhere in the entry, in any order; the result is empty when either marker is missing
// or the closing marker does not stand after the opening one. Views point into `entry`.
QStringView PathField(QStringView entry);   // "<?" ... "?>"
QStringView TitleField(QStringView entry);  // "<*" ... "*>"
QStringView TimeField(QStringView entry);   // "<#" ... "#>"

// An entry "has a title" when it holds the opening title marker, even if the field is empty.
bool HasTitle(QStringView entry);

// A plain path or URL becomes a path field; text that already holds "<?" is an entry as it is.
QString MakeEntry(QStringView text);

// Entries are saved one per line, so text holding a line end or any other control character
// (C0, DEL, C1, the Unicode line and paragraph separators) is refused as an entry.
bool HasControlCharacter(QStringView text);

// The longest text the box takes as an entry: far beyond any real path or URL, and short enough
// that every paint of its row may look through it.
constexpr qsizetype kMaxEntryChars = 32768;
// Whether a text may become an entry: no control character and at most kMaxEntryChars long.
bool IsStorableEntry(QStringView text);

// A time is valid only as exactly five characters, ":" third and ASCII digits elsewhere, so a
// length of 100 minutes or more is shown but never counted.
bool IsValidTime(QStringView time);
// Minutes x 60 + seconds of a valid time; 0 for anything else.
int ValidTimeSeconds(QStringView time);
// The time text of a length: minutes ":" seconds, each at least two digits ("03:25", "123:04").
// A negative length counts as 0.
QString FormatTime(qint64 milliseconds);

// The file-name part of a path: after the last "/" for a local absolute path ("/music/a:b.mp3"
// keeps "a:b.mp3"); otherwise after the last "\", ":" or "/", which covers drive paths, station
// codes ("<:code") and URLs (their last segment).
QStringView FileNamePart(QStringView path);
// From the last "." of the file-name part, dot included, case kept; empty when it has none.
QStringView PathExtension(QStringView path);
// The same, lower-cased.
QString LowerExtension(QStringView path);

// A display title holds at most this many characters: more than any row or title bar shows, and
// few enough that measuring one costs nothing.
constexpr qsizetype kMaxTitleChars = 1024;

// At most `limit` characters of `text`, never cutting a surrogate pair in half.
QStringView Capped(QStringView text, qsizetype limit);

// The display title: the title field when the entry has one, else the file-name part of the path
// field without its extension. A URL's title is its last path segment without its extension
// ("live" for "http://host:8000/live.mp3", "" for "http://host/dir/", the host when there is no
// path at all). Capped at kMaxTitleChars.
QString GetTitle(QStringView entry);

// The valid time of an entry in seconds; 0 when it has none or it is not valid.
int EntrySeconds(QStringView entry);
// Total seconds := the sum of the valid times of all entries.
qint64 RefreshAllTime(const QStringList& entries);
// The total after adding (or, with `subtract`, removing) entry n's valid time; n outside the list
// changes nothing.
qint64 ChangeTime(qint64 total, const QStringList& entries, qsizetype n, bool subtract);

// The four key orders of the playlist box's sort.
enum class SortKeyMode { Title = 1, Extension = 2, Path = 3, Time = 4 };

// The key of an entry for a key sort, as a view into `entry`:
//   Title     - the title field when present; else the path field, and for a path without "//"
//               its file name without extension;
//   Extension - the path's extension without the dot (case kept: keys compare case-insensitively);
//   Path      - the path field;
//   Time      - the time field, empty when there is none (such entries sort first).
QStringView SortKey(QStringView entry, SortKeyMode mode);

}  // namespace playlist
