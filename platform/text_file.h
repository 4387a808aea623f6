// Text files in the system code page: GB18030 on disk, UTF-8 accepted on reading, CR LF line ends.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/stat.h>

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

// The bound of a whole-file read unless the caller gives its own: far above any settings, menu,
// preset or station file, far below what would strain the memory.
inline constexpr qint64 kMaxTextFileBytes = qint64(16) << 20;

struct ReadOptions {
    qint64 maxBytes = kMaxTextFileBytes;
    QString tooLarge;        // the reason given for a larger file; empty for a general one
    bool keepHead = false;   // a larger file gives its bytes up to the last line end within the bound
    bool keepOpen = false;   // the descriptor stays open in ReadInfo::descriptor (the caller closes it)
};

// What a read found besides the bytes.
struct ReadInfo {
    bool missing = false;    // no file of that name (a failed read)
    bool cut = false;        // keepHead gave only the head of a larger file
    struct stat status {};   // the file read, as fstat saw it on the opened descriptor
    int descriptor = -1;     // with keepOpen
};

// The whole file's bytes. Only a regular file (or a link to one) is opened, and never in a way
// that could wait: a FIFO, device, socket or folder is refused at once. False, with "Cannot read
// <path>: <reason>" in error, for those, for a file that cannot be read, and for one larger than
// options.maxBytes (options.tooLarge as the reason) unless options.keepHead is set.
bool ReadFileBytes(const QString& path, QByteArray* bytes, QString* error = nullptr, const ReadOptions& options = {},
                   ReadInfo* info = nullptr);

// Whether `path` is there but is neither a regular file nor a folder (links followed): a FIFO,
// device or socket, which nothing should open.
bool IsSpecialFile(const QString& path);

// A whole text file decoded, read as ReadFileBytes reads it. False, with "Cannot read <path>:
// <reason>" in *error, when it cannot be read; *text is left empty then. *found tells how the file
// was read.
bool ReadText(const QString& path, QString* text, QString* error = nullptr, TextEncoding* found = nullptr,
              const ReadOptions& options = {}, ReadInfo* info = nullptr);

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
