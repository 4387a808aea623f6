// The file formats the generator writes: Windows bitmaps and cursors as skin folders hold
// them, and the C source that embeds them into skins.dll.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <vector>

namespace formats {

// A 24-bit uncompressed bitmap, rows stored bottom-up and padded to four bytes.
QByteArray bmp24(const QImage& image);
// A one-image 32 x 32 cursor: 32-bit colour with alpha plus the 1-bit transparency mask.
QByteArray cursor(const QImage& image, int hotX, int hotY);

struct Resource {
    const char* type;  // "BITMAP" or "CURSOR"
    QByteArray name;
    QByteArray bytes;
};
// C source defining kSkinResources / kSkinResourceCount (skin_resources.h) over the bytes.
QByteArray cSource(const std::vector<Resource>& resources);

bool writeFile(const QString& path, const QByteArray& bytes);

}  // namespace formats
