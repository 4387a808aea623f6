// Text files in the system code page: GB18030 on disk, UTF-8 accepted on reading, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// UTF-8 when the bytes start with a UTF-8 mark (which is dropped) or are valid UTF-8 as a whole;
// otherwise GB18030. Undecodable bytes become U+FFFD, one per byte, so nothing vanishes silently.
QString DecodeText(const QByteArray& bytes);

// GB18030 holds every Unicode character, so this never loses text.
QByteArray EncodeGb18030(const QString& text);

// Lines ended by CR LF or LF; a lone CR stays in its line. A last line without an end counts,
// and a text ending in a line end gives no extra empty line (as a Windows string list loads).
QStringList SplitLines(const QString& text);

// False (with the reason in *error) when the file cannot be read; *lines is left empty then.
bool ReadTextLines(const QString& path, QStringList* lines, QString* error = nullptr);

// Writes `bytes` atomically: a new file in the same folder, synced to disk, then renamed over the
// target (the file a link names, when the target is a link). Any failed write, sync, close or
// rename (a full disk, a file-size limit) leaves the old file untouched, removes the new one and
// puts "Cannot write <path>: <system's reason>" in *error.
bool WriteTextFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// GB18030, every line followed by CR LF, written atomically as WriteTextFile does.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr);

}  // namespace platform
