// The 128-byte tag at the end of an MPEG audio file: parsed, built and written without ever
// touching the audio bytes before it.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace dialogs {

struct Id3v1Tag {
    QString title;
    QString artist;
    QString album;
    QString year;
    QString comment;
    int genre = 255;
    int track = 0;  // 1..255 when the comment's last two bytes hold a track number; 0 for none
};

constexpr int kId3v1Size = 128;

// The tag in a 128-byte block, or nothing when the block does not begin with "TAG". Text fields
// are trimmed of blanks and control characters (NUL padding goes).
std::optional<Id3v1Tag> ParseId3v1(const QByteArray& block);
// The block for `tag`: each text in GB18030, padded with blanks and cut to its field on a
// character boundary; a track number keeps its two bytes and shortens the comment to 28.
QByteArray BuildId3v1(const Id3v1Tag& tag);
// `text` in GB18030, at most `bytes` long without cutting a character, padded with blanks.
QByteArray FitField(const QString& text, int bytes);
// The genre byte for what the user typed: empty, non-digits or beyond 255 give 255.
int GenreFromText(const QString& text);

enum class TagRead { Found, NoTag, Error };
// Reads the file's last 128 bytes. A file shorter than that has no tag. Error (with the reason in
// *error) only when the file cannot be read.
TagRead ReadId3v1File(const QString& path, Id3v1Tag* tag, QString* error = nullptr);
// Replaces the file's tag when it has one, else appends one when `appendWhenMissing`, else fails.
// A read-only file is made writable for the write and gets its permissions back whatever
// happens; a failed append is cut back so the file ends as it was.
bool WriteId3v1File(const QString& path, const Id3v1Tag& tag, bool appendWhenMissing,
                    QString* error = nullptr);

}  // namespace dialogs
