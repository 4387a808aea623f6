// Playlist files: the own .kpl format (read and written), .m3u (read and written) and .pls and
// other text lists (read through one line filter).
#pragma once

#include <QString>
#include <QStringList>

namespace playlist {

// The extension masks of folder scans and list reading: the pieces between ";" of the decoder
// lists in this order, trimmed and lower-cased, then "*.kpl", "*.m3u", "*.pls". Pieces of 2
// characters or fewer and "*.exe" are left out, and so is a mask already listed (a folder scan
// would add its files twice).
QStringList BuildMaskList(const QString& decode0, const QString& decode1, const QString& decode5,
                          const QString& decode3, const QString& decode4);

// The entries of an .m3u, .pls or other text list, in file order, as texts for the playlist box's
// addFile. A line is taken when it holds one of the masks (without its leading "*", any case) and
// names a drive path (":\"), a URL ("://") or a local absolute path ("/..."); relative paths,
// comments and .pls Title/Length lines are skipped. The line is trimmed of spaces and control
// characters, and a leading .pls key ("File1=") is removed; any other "=" stays, so
// "http://host/play?id=3.mp3" is kept whole.
QStringList FilterListLines(const QStringList& lines, const QStringList& masks);

// The lines of a .kpl that an append adds, in file order: those holding "." but not ".kpl" in any
// case (empty lines and nested .kpl files are skipped).
QStringList KplAppendLines(const QStringList& lines);

// Every line of a .kpl is an entry, unchanged (UTF-8 or GB18030 on disk). False, with the reason in
// *error, when the file cannot be read.
bool ReadKpl(const QString& path, QStringList* entries, QString* error = nullptr);

// The lines of an .m3u, .pls or other list that FilterListLines takes.
bool ReadListFile(const QString& path, const QStringList& masks, QStringList* paths,
                  QString* error = nullptr);

// Every entry, one per line, GB18030, CR LF, written atomically.
bool WriteKpl(const QString& path, const QStringList& entries, QString* error = nullptr);

// The path field of every entry, one per line, no header, no titles or times; GB18030, CR LF,
// written atomically.
bool WriteM3u(const QString& path, const QStringList& entries, QString* error = nullptr);

}  // namespace playlist
