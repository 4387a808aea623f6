// Device-independent bitmaps as the grabber's frames are laid out: the header a video media type
// carries, and the copy of a frame's bytes into a picture.
#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>

#include "directshow/ds_util.h"

namespace directshow {

constexpr int kBitmapInfoHeaderSize = 40;
constexpr int kVideoInfoHeaderSize = 88;   // the bitmap header at byte 48
constexpr int kVideoInfoHeader2Size = 112;  // the bitmap header at byte 72

struct BitmapInfoHeader {
    std::int32_t biWidth = 0;
    std::int32_t biHeight = 0;  // positive: bottom-up rows; negative: top-down
    std::uint16_t biPlanes = 1;
    std::uint16_t biBitCount = 0;
    std::uint32_t biCompression = 0;  // 0 = uncompressed RGB
    std::uint32_t biSizeImage = 0;
};

BitmapInfoHeader ReadBitmapInfoHeader(const std::uint8_t* bytes);  // 40 bytes
void WriteBitmapInfoHeader(const BitmapInfoHeader& header, std::uint8_t* bytes);

// The bitmap header of a video format block, found by the format type. False for another format
// type or a block too short to hold the header.
bool BitmapHeaderOf(const AM_MEDIA_TYPE& type, BitmapInfoHeader* header);
// Bytes of one row: the pixels rounded up to whole 32-bit words.
std::int64_t DibStride(const BitmapInfoHeader& header);
// Copies the rows of an uncompressed 24- or 32-bit frame into picture (top row first), at most
// stride x height bytes whatever the length; rows the bytes do not reach are black. False, with
// picture unchanged, for a header it cannot hold.
bool DibToImage(const BitmapInfoHeader& header, const std::uint8_t* bits, std::size_t length, QImage* picture);

}  // namespace directshow
