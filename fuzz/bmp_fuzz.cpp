// The skin bitmap decoder on arbitrary bytes.
#include "fuzz_support.h"

#include "player/skin/skin_files.h"

#include <QByteArray>
#include <QImage>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    const QImage image = DecodeBmp(bytes);
    if (image.isNull()) return 0;
    FUZZ_CHECK(image.format() == QImage::Format_RGB32);
    FUZZ_CHECK(image.width() > 0 && image.height() > 0);
    FUZZ_CHECK(image.width() <= kMaxBitmapSide && image.height() <= kMaxBitmapSide);
    return 0;
}
