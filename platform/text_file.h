// Text files in the system code page: GB18030 on disk, UTF-8 accepted on reading, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace platform {

// How a file's bytes hold its text. Pure ASCII counts as GB18030, the system code page.
enum class TextEncoding { Gb18030, Utf8, Utf8WithMark };

// UTF-8 when the bytes start with a UTF-8 mark (which is dropped) or are valid UTF-8 as a whole;
// otherwise GB18030. Undecodable bytes become U+FFFD, one per byte, so nothing vanishes silently.
// *found tells which reading was taken.
QString DecodeText(const QByteArray& bytes, TextEncoding* found = nullptr);

// GB18030 holds every Unicode character, so this never loses text.
QByteArray EncodeGb18030(const QString& text);

// The bytes of `text` in `preferred` when DecodeText reads them back as `text`. Some short GB18030
// texts are also valid UTF-8 and would read back as other characters; those, and only those, are
// written as UTF-8 with a mark, so whatever the player saves reads back unchanged.
QByteArray EncodeText(const QString& text, TextEncoding preferred = TextEncoding::Gb18030);

// Every line followed by CR LF, encoded as EncodeText does.
QByteArray EncodeTextLines(const QStringList& lines, TextEncoding preferred = TextEncoding::Gb18030);

// Lines ended by CR LF or LF; a lone CR stays in its line. A last line without an end counts,
// and a text ending in a line end gives no extra empty line (as a Windows string list loads).
QStringList SplitLines(const QString& text);

// The whole file's bytes; false, with "Cannot read <path>: <reason>" in error, for a folder, a
// file that cannot be read, or one larger than maxBytes (when given) with tooLarge as the reason.
bool ReadFileBytes(const QString& path, QByteArray* bytes, QString* error = nullptr, qint64 maxBytes = -1,
                   const QString& tooLarge = {});

// A whole text file decoded. False, with "Cannot read <path>: <reason>" in *error, when it cannot
// be read; *text is left empty then. *found tells how the file was read.
bool ReadText(const QString& path, QString* text, QString* error = nullptr, TextEncoding* found = nullptr);

// False (with the reason in *error) when the file cannot be read; *lines is left empty then.
// *found tells how the file was read, so a rewrite can keep its encoding.
bool ReadTextLines(const QString& path, QStringList* lines, QString* error = nullptr,
                   TextEncoding* found = nullptr);

// Writes `bytes` atomically: a new file in the same folder, synced to disk, then renamed over the
// target (the file a link names, when the target is a link). Any failed write, sync, close or
// rename (a full disk, a file-size limit) leaves the old file untouched, removes the new one and
// puts "Cannot write <path>: <system's reason>" in *error.
bool WriteTextFile(const QString& path, const QByteArray& bytes, QString* error = nullptr);

// EncodeTextLines's bytes (GB18030 unless they would read back as other text), written
// atomically as WriteTextFile does.
bool WriteTextLines(const QString& path, const QStringList& lines, QString* error = nullptr,
                    TextEncoding preferred = TextEncoding::Gb18030);

}  // namespace platform
