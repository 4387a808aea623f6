// TFlashMovie: the projector trailer and the movie header.
#include <QFile>
#include <QSaveFile>

#include "player/playback/flash_movie.h"

namespace {

constexpr quint32 kProjectorMagic = 0xFA123456u;

quint32 LittleEndian32(const char* bytes) {
    return quint32(quint8(bytes[0])) | quint32(quint8(bytes[1])) << 8 | quint32(quint8(bytes[2])) << 16 |
           quint32(quint8(bytes[3])) << 24;
}

}  // namespace

// The trailer is the magic and the movie length, the movie standing just before it.
bool TFlashMovie::ExtractFromExe(const QString& exePath, const QString& targetPath) {
    QFile exe(exePath);
    if (!exe.open(QIODevice::ReadOnly) || exe.size() < 8) return false;
    const qint64 size = exe.size();
    if (!exe.seek(size - 8)) return false;
    const QByteArray trailer = exe.read(8);
    if (trailer.size() != 8 || LittleEndian32(trailer.constData()) != kProjectorMagic) return false;
    const qint64 length = LittleEndian32(trailer.constData() + 4);
    // A length reaching before the file's start is a damaged trailer, not a movie.
    if (length > size - 8 || !exe.seek(size - 8 - length)) return false;
    QSaveFile target(targetPath);
    if (!target.open(QIODevice::WriteOnly)) return false;
    for (qint64 left = length; left > 0;) {
        const QByteArray chunk = exe.read(std::min<qint64>(left, 1 << 20));
        if (chunk.isEmpty() || target.write(chunk) != chunk.size()) {
            target.cancelWriting();
            return false;
        }
        left -= chunk.size();
    }
    return target.commit();
}

void TFlashMovie::ReadFrameTime(const QString& movie) {
    MsPerFrame = 0;
    QFile file(movie);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(17)) return;
    const QByteArray bytes = file.read(2);
    if (bytes.isEmpty()) return;
    int rate = quint8(bytes[0]);
    if (rate == 0) rate = bytes.size() > 1 ? quint8(bytes[1]) : 0;
    if (rate > 0) MsPerFrame = 1500 / rate;
}

void TFlashMovie::ReadStageSize(const QString& movie, int& width, int& height) {
    width = 0;
    height = 0;
    QFile file(movie);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(8)) return;
    Stream = &file;
    BitsLeft = 0;
    const int nbits = int(ReadBits(5));
    const qint64 xmin = ReadSignedBits(nbits);
    const qint64 xmax = ReadSignedBits(nbits);
    const qint64 ymin = ReadSignedBits(nbits);
    const qint64 ymax = ReadSignedBits(nbits);
    Stream = nullptr;
    // Twips to pixels, truncated toward zero.
    width = int((xmax - xmin) / 20);
    height = int((ymax - ymin) / 20);
}

// Past the end of the file the reader sees zero bytes, so a short header gives a 0 x 0 stage.
void TFlashMovie::NextByte() {
    char byte = 0;
    if (!Stream || !Stream->getChar(&byte)) byte = 0;
    BitBuffer = quint8(byte);
    BitsLeft = 8;
}

quint32 TFlashMovie::ReadBits(int n) {
    quint32 value = 0;
    for (int i = 0; i < n; ++i) {
        if (BitsLeft == 0) NextByte();
        --BitsLeft;
        value = (value << 1) | ((BitBuffer >> BitsLeft) & 1u);
    }
    return value;
}

qint32 TFlashMovie::ReadSignedBits(int n) {
    const quint32 value = ReadBits(n);
    if (n <= 0 || n >= 32) return qint32(value);
    const quint32 sign = 1u << (n - 1);
    return qint32((value ^ sign) - sign);
}
