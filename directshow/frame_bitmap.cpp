#include "directshow/frame_bitmap.h"

#include <QtEndian>
#include <cstring>
#include <limits>

namespace directshow {

namespace {
constexpr std::int32_t kLargestSide = 32768;
}

BitmapInfoHeader ReadBitmapInfoHeader(const std::uint8_t* b) {
    BitmapInfoHeader h;
    h.biWidth = qFromLittleEndian<qint32>(b + 4);
    h.biHeight = qFromLittleEndian<qint32>(b + 8);
    h.biPlanes = qFromLittleEndian<quint16>(b + 12);
    h.biBitCount = qFromLittleEndian<quint16>(b + 14);
    h.biCompression = qFromLittleEndian<quint32>(b + 16);
    h.biSizeImage = qFromLittleEndian<quint32>(b + 20);
    return h;
}

void WriteBitmapInfoHeader(const BitmapInfoHeader& h, std::uint8_t* b) {
    std::memset(b, 0, kBitmapInfoHeaderSize);
    qToLittleEndian<quint32>(kBitmapInfoHeaderSize, b);
    qToLittleEndian<qint32>(h.biWidth, b + 4);
    qToLittleEndian<qint32>(h.biHeight, b + 8);
    qToLittleEndian<quint16>(h.biPlanes, b + 12);
    qToLittleEndian<quint16>(h.biBitCount, b + 14);
    qToLittleEndian<quint32>(h.biCompression, b + 16);
    qToLittleEndian<quint32>(h.biSizeImage, b + 20);
}

bool BitmapHeaderOf(const AM_MEDIA_TYPE& type, BitmapInfoHeader* header) {
    std::uint32_t offset = 0;
    if (type.formattype == FORMAT_VideoInfo2)
        offset = 72;
    else if (type.formattype == FORMAT_VideoInfo)
        offset = 48;
    else
        return false;
    if (!type.pbFormat || type.cbFormat < offset + kBitmapInfoHeaderSize) return false;
    *header = ReadBitmapInfoHeader(type.pbFormat + offset);
    return true;
}

std::int64_t DibStride(const BitmapInfoHeader& header) {
    return ((std::int64_t(header.biWidth) * header.biBitCount + 31) / 32) * 4;
}

bool DibToImage(const BitmapInfoHeader& header, const std::uint8_t* bits, std::size_t length, QImage* picture) {
    if (!bits || !picture || header.biCompression != 0) return false;
    if (header.biBitCount != 24 && header.biBitCount != 32) return false;
    const std::int32_t width = header.biWidth;
    const std::int64_t height = header.biHeight < 0 ? -std::int64_t(header.biHeight) : header.biHeight;
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide) return false;
    const QImage::Format format = header.biBitCount == 24 ? QImage::Format_BGR888 : QImage::Format_RGB32;
    // A picture of the right shape is written in place; otherwise a new one replaces it only once
    // it exists, so a failure leaves the previous picture.
    if (picture->width() != width || picture->height() != height || picture->format() != format) {
        QImage fresh(width, int(height), format);
        if (fresh.isNull()) return false;
        *picture = std::move(fresh);
    }
    const std::int64_t stride = DibStride(header);
    const std::size_t rowBytes = std::size_t(width) * (header.biBitCount / 8);
    const bool bottomUp = header.biHeight > 0;
    for (std::int64_t row = 0; row < height; ++row) {
        uchar* line = picture->scanLine(int(bottomUp ? height - 1 - row : row));
        const std::uint64_t start = std::uint64_t(row * stride);
        const std::size_t have = start < length ? std::min<std::size_t>(rowBytes, length - start) : 0;
        if (have) std::memcpy(line, bits + start, have);
        if (have < rowBytes) std::memset(line + have, 0, rowBytes - have);
    }
    return true;
}

}  // namespace directshow
