#include "platform/text_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

// One conversion descriptor per call: iconv_t must not be shared between threads.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (valid()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of `in`; each byte iconv rejects (or an incomplete tail) is replaced by
    // `replacement` and skipped, so a lead byte with a bad trail byte does not swallow the trail.
    QByteArray run(const QByteArray& in, const QByteArray& replacement) {
        QByteArray out;
        out.reserve(in.size() * 2 + 16);
        char* src = const_cast<char*>(in.constData());
        size_t srcLeft = static_cast<size_t>(in.size());
        char buffer[16384];
        while (srcLeft > 0) {
            char* dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            const int err = errno;
            out.append(buffer, dst - buffer);
            if (rc != static_cast<size_t>(-1) || err == E2BIG) continue;
            if (err == EINVAL) {  // incomplete sequence at the end: every remaining byte is bad
                for (; srcLeft > 0; --srcLeft) out.append(replacement);
                break;
            }
            out.append(replacement);  // EILSEQ, or anything unexpected: skip one byte
            ++src;
            --srcLeft;
        }
        return out;
    }

private:
    iconv_t cd_;
};

const QByteArray kUtf8Mark("\xEF\xBB\xBF");
const QByteArray kUtf8Replacement("\xEF\xBF\xBD");  // U+FFFD

QString DecodeGb18030(const QByteArray& bytes) {
    Converter converter("UTF-8", "GB18030");
    if (!converter.valid()) return QString::fromUtf8(bytes);  // no converter: still never crash
    return QString::fromUtf8(converter.run(bytes, kUtf8Replacement));
}

// Letters a real UTF-8 text made only of two-byte sequences holds: Latin-1 and Latin
// Extended, Greek, basic Cyrillic.
bool IsPlausibleTwoByteLetter(char16_t c) {
    return c < 0x80 || (c >= 0xA0 && c <= 0x24F) || (c >= 0x370 && c <= 0x45F);
}

// Short GB18030 texts are often valid UTF-8 too ("一" is D2 BB, which UTF-8 reads as U+04BB).
// A text with no three- or four-byte UTF-8 sequence whose UTF-8 reading holds unlikely
// characters is read as GB18030 when that reading is clean. Only files from elsewhere rely on
// this guess: EncodeText makes sure the player's own files never need it.
bool PreferGb18030(const QByteArray& bytes, const QString& utf8) {
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0xE0) return false;
    }
    const bool unlikely = std::any_of(utf8.begin(), utf8.end(),
                                      [](QChar c) { return !IsPlausibleTwoByteLetter(c.unicode()); });
    return unlikely && !DecodeGb18030(bytes).contains(QChar(0xFFFD));
}

// ---- atomic replacement ---------------------------------------------------------------------

QString Reason(int err) { return qt_error_string(err); }

// A new file beside the target, created with the umask's permissions (those of the old file when
// there is one), so an interrupted save never leaves the target half written.
class TempBeside {
public:
    explicit TempBeside(const QString& target) {
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            name_ = QFile::encodeName(target) + ".saving-" +
                    QByteArray::number(QRandomGenerator::global()->generate(), 36);
            fd_ = ::open(name_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0) error_ = errno;
    }
    ~TempBeside() {
        if (fd_ >= 0) ::close(fd_);
        if (!kept_) ::unlink(name_.constData());
    }
    TempBeside(const TempBeside&) = delete;
    TempBeside& operator=(const TempBeside&) = delete;

    int error() const { return error_; }

    // Every byte reaches the disk, or the errno that stopped it: a short write, a failed sync or a
    // failed close (where network file systems report a full disk) all count.
    int writeAll(const QByteArray& bytes) {
        const char* data = bytes.constData();
        qsizetype left = bytes.size();
        while (left > 0) {
            const ssize_t n = ::write(fd_, data, static_cast<size_t>(left));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return n < 0 ? errno : ENOSPC;
            data += n;
            left -= n;
        }
        if (::fsync(fd_) != 0 && errno != EINVAL) return errno;
        const int fd = std::exchange(fd_, -1);
        return ::close(fd) != 0 && errno != EINTR ? errno : 0;
    }

    void copyModeFrom(const QByteArray& target) {
        struct stat old;
        if (::stat(target.constData(), &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd_, old.st_mode & 07777);
    }

    int renameOver(const QByteArray& target) {
        if (::rename(name_.constData(), target.constData()) != 0) return errno;
        kept_ = true;
        return 0;
    }

private:
    QByteArray name_;
    int fd_ = -1;
    int error_ = 0;
    bool kept_ = false;
};

// The rename is only durable once the folder's entry is on disk; a failure here loses nothing.
void SyncFolder(const QString& folder) {
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// Empty on success, else the reason. A link is followed, so the file it names is replaced.
QString ReplaceFileContents(const QString& path, const QByteArray& bytes) {
    const QFileInfo info(path);
    if (info.isDir()) return QStringLiteral("it is a folder");
    QString target = path;
    if (info.isSymLink()) target = info.exists() ? info.canonicalFilePath() : info.symLinkTarget();
    const QByteArray targetName = QFile::encodeName(target);
    TempBeside temp(target);
    if (temp.error()) return Reason(temp.error());
    temp.copyModeFrom(targetName);
    int err = temp.writeAll(bytes);
    if (!err) err = temp.renameOver(targetName);
    if (err) return Reason(err);
    SyncFolder(QFileInfo(target).absolutePath());
    return {};
}

// ---- reading -------------------------------------------------------------------------------

QString KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return QStringLiteral("it is a folder");
    if (S_ISFIFO(mode)) return QStringLiteral("it is a pipe, not a regular file");
    if (S_ISSOCK(mode)) return QStringLiteral("it is a socket, not a regular file");
    if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("it is a device, not a regular file");
    return S_ISREG(mode) ? QString() : QStringLiteral("it is not a regular file");
}

// Reads until the end or one byte past the bound. The size fstat gives only sizes the first
// buffer: a file that grows while it is read, or reports no size, still stops at the bound.
int ReadBounded(int fd, qint64 sizeHint, qint64 maxBytes, QByteArray* bytes) {
    const qint64 limit = maxBytes + 1;
    bytes->resize(qsizetype(std::clamp<qint64>(sizeHint + 1, 4096, limit)));
    qint64 done = 0;
    for (;;) {
        if (done == bytes->size()) {
            if (done >= limit) break;
            bytes->resize(qsizetype(std::min(limit, done * 2)));
        }
        const ssize_t n = ::read(fd, bytes->data() + done, size_t(bytes->size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) break;
        done += n;
    }
    bytes->truncate(qsizetype(done));
    return 0;
}

// Empty on success, else the reason. The name is looked at before it is opened, so no FIFO or
// device is ever opened (opening some devices does something); the opened descriptor is checked
// again, so a name swapped in between is caught too, and O_NONBLOCK keeps even that open from
// waiting for a FIFO's writer.
QString ReadRegular(const QByteArray& name, QByteArray* bytes, const ReadOptions& options, ReadInfo* info) {
    struct stat st;
    if (::stat(name.constData(), &st) != 0) {
        info->missing = errno == ENOENT;
        return Reason(errno);
    }
    if (QString kind = KindOf(st.st_mode); !kind.isEmpty()) return kind;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        info->missing = errno == ENOENT;
        return Reason(errno);
    }
    QString reason;
    if (::fstat(fd, &info->status) != 0) reason = Reason(errno);
    else reason = KindOf(info->status.st_mode);
    const qint64 maxBytes = std::max<qint64>(0, options.maxBytes);
    if (reason.isEmpty()) {
        if (const int err = ReadBounded(fd, info->status.st_size, maxBytes, bytes)) reason = Reason(err);
    }
    if (reason.isEmpty() && bytes->size() > maxBytes) {
        if (options.keepHead) {
            // Only whole lines: a cut line would be a wrong path, or a cut character.
            bytes->truncate(maxBytes > 0 ? bytes->lastIndexOf('\n', qsizetype(maxBytes - 1)) + 1 : 0);
            info->cut = true;
        } else {
            reason = options.tooLarge.isEmpty() ? QStringLiteral("it is larger than %1 bytes").arg(maxBytes)
                                                : options.tooLarge;
        }
    }
    if (reason.isEmpty() && options.keepOpen) info->descriptor = fd;
    else ::close(fd);
    return reason;
}

}  // namespace

QString DecodeText(const QByteArray& bytes, TextEncoding* found) {
    TextEncoding scratch;
    TextEncoding& encoding = found ? *found : scratch;
    encoding = TextEncoding::Utf8WithMark;
    if (bytes.startsWith(kUtf8Mark)) return QString::fromUtf8(bytes.mid(kUtf8Mark.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = decoder.decode(bytes);
    const bool ascii = utf8.size() == bytes.size();  // every byte became one character
    encoding = ascii ? TextEncoding::Gb18030 : TextEncoding::Utf8;
    if (!decoder.hasError() && (ascii || !PreferGb18030(bytes, utf8))) return utf8;
    encoding = TextEncoding::Gb18030;
    return DecodeGb18030(bytes);
}

QByteArray EncodeGb18030(const QString& text) {
    // ASCII is the same in both; most playlists and settings are mostly ASCII.
    if (QtPrivate::isAscii(QStringView(text))) return text.toLatin1();
    const QByteArray utf8 = text.toUtf8();
    Converter converter("GB18030", "UTF-8");
    if (!converter.valid()) return utf8;
    return converter.run(utf8, QByteArray("?"));
}

QByteArray EncodeText(const QString& text, TextEncoding preferred) {
    QByteArray bytes = kUtf8Mark + text.toUtf8();
    if (preferred == TextEncoding::Utf8WithMark) return bytes;
    QByteArray plain = preferred == TextEncoding::Utf8 ? bytes.mid(kUtf8Mark.size()) : EncodeGb18030(text);
    return DecodeText(plain) == text ? plain : bytes;
}

QByteArray EncodeTextLines(const QStringList& lines, TextEncoding preferred) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return EncodeText(text, preferred);
}

QStringList SplitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), start);
        if (end < 0) end = text.size();
        qsizetype lineEnd = end;
        if (end < text.size() && lineEnd > start && text.at(lineEnd - 1) == QLatin1Char('\r')) --lineEnd;
        lines.append(text.mid(start, lineEnd - start));
        start = end + 1;
    }
    return lines;
}

bool ReadFileBytes(const QString& path, QByteArray* bytes, QString* error, const ReadOptions& options, ReadInfo* info) {
    bytes->clear();
    ReadInfo scratch;
    ReadInfo& found = info ? *info : scratch;
    found = ReadInfo{};
    const QString reason = ReadRegular(QFile::encodeName(path), bytes, options, &found);
    if (reason.isEmpty()) return true;
    bytes->clear();
    if (error) *error = QStringLiteral("Cannot read %1: %2").arg(path, reason);
    return false;
}

bool IsSpecialFile(const QString& path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

bool ReadText(const QString& path, QString* text, QString* error, TextEncoding* found, const ReadOptions& options,
              ReadInfo* info) {
    text->clear();
    QByteArray bytes;
    if (!ReadFileBytes(path, &bytes, error, options, info)) return false;
    *text = DecodeText(bytes, found);
    return true;
}

bool ReadTextLines(const QString& path, QStringList* lines, QString* error, TextEncoding* found) {
    lines->clear();
    QString text;
    if (!ReadText(path, &text, error, found)) return false;
    *lines = SplitLines(text);
    return true;
}

bool WriteTextFile(const QString& path, const QByteArray& bytes, QString* error) {
    const QString reason = ReplaceFileContents(path, bytes);
    if (!reason.isEmpty() && error) *error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
    return reason.isEmpty();
}

bool WriteTextLines(const QString& path, const QStringList& lines, QString* error, TextEncoding preferred) {
    return WriteTextFile(path, EncodeTextLines(lines, preferred), error);
}

}  // namespace platform
