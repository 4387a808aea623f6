#include "platform/text_file.h"

#include <QFile>
#include <algorithm>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <cerrno>
#include <iconv.h>

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
// Text the player saved itself must read back unchanged, so a text with no three- or four-byte
// UTF-8 sequence whose UTF-8 reading holds unlikely characters is read as GB18030 when that
// reading is clean.
bool PreferGb18030(const QByteArray& bytes, const QString& utf8) {
    for (const char b : bytes) {
        if (static_cast<unsigned char>(b) >= 0xE0) return false;
    }
    const bool unlikely = std::any_of(utf8.begin(), utf8.end(),
                                      [](QChar c) { return !IsPlausibleTwoByteLetter(c.unicode()); });
    return unlikely && !DecodeGb18030(bytes).contains(QChar(0xFFFD));
}

}  // namespace

QString DecodeText(const QByteArray& bytes) {
    if (bytes.startsWith(kUtf8Mark)) return QString::fromUtf8(bytes.mid(kUtf8Mark.size()));
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString utf8 = decoder.decode(bytes);
    if (!decoder.hasError() && !PreferGb18030(bytes, utf8)) return utf8;
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

bool ReadTextLines(const QString& path, QStringList* lines, QString* error) {
    lines->clear();
    QFile file(path);
    QString reason;
    if (QFileInfo(path).isDir()) {
        reason = QStringLiteral("it is a folder");
    } else if (!file.open(QIODevice::ReadOnly)) {
        reason = file.errorString();
    } else {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            *lines = SplitLines(DecodeText(bytes));
            return true;
        }
        reason = file.errorString();
    }
    if (error) *error = QStringLiteral("Cannot read %1: %2").arg(path, reason);
    return false;
}

bool WriteTextFile(const QString& path, const QByteArray& bytes, QString* error) {
    // QSaveFile writes a temporary file beside the target, syncs it and renames it over the target;
    // the direct-write fallback stays off, so an unwritable folder fails instead of truncating.
    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    bool ok = file.open(QIODevice::WriteOnly);
    if (ok) ok = file.write(bytes) == bytes.size();
    QString reason = file.errorString();
    if (ok) {
        ok = file.commit();
        reason = file.errorString();
    } else {
        file.cancelWriting();
    }
    if (!ok && error) *error = QStringLiteral("Cannot write %1: %2").arg(path, reason);
    return ok;
}

bool WriteTextLines(const QString& path, const QStringList& lines, QString* error) {
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QLatin1String("\r\n");
    }
    return WriteTextFile(path, EncodeGb18030(text), error);
}

}  // namespace platform
