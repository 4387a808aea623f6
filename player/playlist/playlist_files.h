// Playlist files: the own .kpl format (read and written), .m3u (read and written) and .pls and
// other text lists (read through one line filter).
#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>

namespace playlist {

// The extension masks of folder scans and list reading: the pieces between ";" of the decoder
// lists in this order, trimmed and lower-cased, then "*.kpl", "*.m3u", "*.pls". The Media Player
// list (`decode2`) comes after the other decoders: the player plays those types too. Pieces of 2
// characters or fewer and "*.exe" are left out, and so is a mask already listed (a folder scan
// would add its files twice).
QStringList BuildMaskList(const QString& decode0, const QString& decode1, const QString& decode5,
                          const QString& decode3, const QString& decode4, const QString& decode2);

// Calls `take` with each line of `text` as a view (lines end in LF or CR LF; a last line without
// an end counts), so a large file is never copied line by line.
void ForEachLine(QStringView text, const std::function<void(QStringView)>& take);

// The paths of an .m3u, .pls or other text list, in file order. A line is taken when it holds one
// of the masks (without its leading "*", any case) and names a drive path (":\"), a URL ("://")
// or a local absolute path ("/..."); relative paths, comments and .pls Title/Length lines are
// skipped. The line is trimmed of spaces and control characters, and a leading .pls key
// ("File1=") is removed; any other "=" stays, so "http://host/play?id=3.mp3" is kept whole.
void ForEachListPath(QStringView text, const QStringList& masks, const std::function<void(QStringView)>& take);
QStringList FilterListText(QStringView text, const QStringList& masks);

// Whether a .kpl line is one an append adds: it holds "." but not ".kpl" in any case (empty
// lines and nested .kpl files are skipped).
bool IsKplAppendLine(QStringView line);

// What one list file may hold: its first 64 MiB (whole lines) and, for a .kpl, its first 500,000
// lines: as many entries as one load gives, at well over 100 bytes each. A larger file would cost
// several times its size in memory.
inline constexpr qint64 kMaxListFileBytes = qint64(64) << 20;
inline constexpr qsizetype kMaxListFileLines = 500000;

// The user's note on a list file read only in part.
QString ListFileCutNote(const QString& path);

// The text of a list file's bytes. The bytes are read as the system's text files are (UTF-8 when
// valid, else GB18030), except where they are valid UTF-8 and are taken for GB18030 (short
// Cyrillic or Latin names are also valid GB18030): then the reading under which more of the
// files the list names exist wins, so a UTF-8 list of such names finds its files. The paths are
// those of a .kpl (`kpl`) or those `masks` take from other lists.
QString DecodeListBytes(const QByteArray& bytes, bool kpl, const QStringList& masks);

// A list file decoded by DecodeListBytes, at most kMaxListFileBytes of it (*cut set when the file
// is larger). False, with "Cannot read <path>: <reason>" in *error, when it cannot be read: also
// when it is a FIFO, device or socket, which is never opened.
bool ReadListText(const QString& path, const QStringList& masks, QString* text, QString* error = nullptr,
                  bool* cut = nullptr);

// Every line of a .kpl is an entry, unchanged, up to the bounds above (*cut set when the file goes
// beyond them). False, with the reason in *error, when the file cannot be read.
bool ReadKpl(const QString& path, QStringList* entries, QString* error = nullptr, bool* cut = nullptr);

// The paths of an .m3u, .pls or other list that FilterListText takes.
bool ReadListFile(const QString& path, const QStringList& masks, QStringList* paths,
                  QString* error = nullptr);

// Every entry, one per line, GB18030, CR LF, written atomically.
bool WriteKpl(const QString& path, const QStringList& entries, QString* error = nullptr);

// The path field of every entry, one per line, no header, no titles or times; GB18030, CR LF,
// written atomically.
bool WriteM3u(const QString& path, const QStringList& entries, QString* error = nullptr);

}  // namespace playlist
