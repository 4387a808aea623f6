#include "dialogs/id3v1_tag.h"

#include <QFile>
#include <algorithm>

#include "platform/text_file.h"

namespace dialogs {
namespace {

constexpr int kTitle = 3, kArtist = 33, kAlbum = 63, kYear = 93, kComment = 97, kGenre = 127;
constexpr int kTextField = 30, kYearField = 4, kCommentWithTrack = 28;

bool IsPadding(QChar c) { return c.unicode() <= 0x20; }

QString FieldText(const QByteArray& block, int at, int length) {
    QString text = platform::DecodeText(block.mid(at, length));
    qsizetype start = 0, end = text.size();
    while (start < end && IsPadding(text[start])) ++start;
    while (end > start && IsPadding(text[end - 1])) --end;
    return text.mid(start, end - start);
}

QString Reason(const QFile& file) { return file.fileName() + QStringLiteral(": ") + file.errorString(); }

// The mode bits only: Qt's "user" flags say what this process may do (root may write anything),
// and setting them back would set the owner's bits.
constexpr QFile::Permissions kModeBits = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                         QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                         QFile::ExeOther;

// Owner write added for the write, the original permissions back when it goes out of scope.
class WritableForScope {
public:
    explicit WritableForScope(const QString& path) : path_(path), saved_(QFile::permissions(path) & kModeBits) {
        if (!(saved_ & QFile::WriteOwner)) changed_ = QFile::setPermissions(path_, saved_ | QFile::WriteOwner);
    }
    ~WritableForScope() {
        if (changed_) QFile::setPermissions(path_, saved_);
    }
    WritableForScope(const WritableForScope&) = delete;
    WritableForScope& operator=(const WritableForScope&) = delete;

private:
    QString path_;
    QFile::Permissions saved_;
    bool changed_ = false;
};

bool Fail(QString* error, const QString& reason) {
    if (error) *error = reason;
    return false;
}

}  // namespace

std::optional<Id3v1Tag> ParseId3v1(const QByteArray& block) {
    if (block.size() != kId3v1Size || !block.startsWith("TAG")) return std::nullopt;
    Id3v1Tag tag;
    tag.title = FieldText(block, kTitle, kTextField);
    tag.artist = FieldText(block, kArtist, kTextField);
    tag.album = FieldText(block, kAlbum, kTextField);
    tag.year = FieldText(block, kYear, kYearField);
    const bool hasTrack = block[kComment + kCommentWithTrack] == '\0' && block[kComment + kCommentWithTrack + 1] != '\0';
    tag.comment = FieldText(block, kComment, hasTrack ? kCommentWithTrack : kTextField);
    if (hasTrack) tag.track = static_cast<unsigned char>(block[kComment + kCommentWithTrack + 1]);
    tag.genre = static_cast<unsigned char>(block[kGenre]);
    return tag;
}

QByteArray FitField(const QString& text, int bytes) {
    QByteArray out;
    for (const char32_t code : text.toUcs4()) {
        const QByteArray one = platform::EncodeGb18030(QString::fromUcs4(&code, 1));
        if (out.size() + one.size() > bytes) break;
        out += one;
    }
    return out.leftJustified(bytes, ' ');
}

int GenreFromText(const QString& text) {
    if (text.isEmpty() || text.size() > 3) return 255;
    for (const QChar c : text)
        if (c < u'0' || c > u'9') return 255;
    return std::min(text.toInt(), 255);
}

QByteArray BuildId3v1(const Id3v1Tag& tag) {
    QByteArray block("TAG");
    block += FitField(tag.title, kTextField);
    block += FitField(tag.artist, kTextField);
    block += FitField(tag.album, kTextField);
    block += FitField(tag.year, kYearField);
    if (tag.track >= 1 && tag.track <= 255) {
        block += FitField(tag.comment, kCommentWithTrack);
        block += '\0';
        block += static_cast<char>(tag.track);
    } else {
        block += FitField(tag.comment, kTextField);
    }
    block += static_cast<char>(std::clamp(tag.genre, 0, 255));
    return block;
}

TagRead ReadId3v1File(const QString& path, Id3v1Tag* tag, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(error, Reason(file));
        return TagRead::Error;
    }
    if (file.size() < kId3v1Size) return TagRead::NoTag;
    if (!file.seek(file.size() - kId3v1Size)) {
        Fail(error, Reason(file));
        return TagRead::Error;
    }
    const QByteArray block = file.read(kId3v1Size);
    if (block.size() != kId3v1Size) {
        Fail(error, Reason(file));
        return TagRead::Error;
    }
    const std::optional<Id3v1Tag> found = ParseId3v1(block);
    if (!found) return TagRead::NoTag;
    if (tag) *tag = *found;
    return TagRead::Found;
}

bool WriteId3v1File(const QString& path, const Id3v1Tag& tag, bool appendWhenMissing, QString* error) {
    if (!QFile::exists(path)) return Fail(error, path + QStringLiteral(": no such file"));
    const WritableForScope writable(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite)) return Fail(error, Reason(file));
    const qint64 size = file.size();
    bool hasTag = false;
    if (size >= kId3v1Size && file.seek(size - kId3v1Size)) hasTag = file.read(3) == "TAG";
    if (!hasTag && !appendWhenMissing) return Fail(error, path + QStringLiteral(": the file has no tag"));
    const qint64 at = hasTag ? size - kId3v1Size : size;
    const QByteArray block = BuildId3v1(tag);
    const bool written = file.seek(at) && file.write(block) == block.size() && file.flush();
    if (!written) {
        const QString reason = Reason(file);
        // An append that failed half-way must not leave a stray piece of tag behind the audio.
        if (!hasTag) file.resize(size);
        return Fail(error, reason);
    }
    return true;
}

}  // namespace dialogs
