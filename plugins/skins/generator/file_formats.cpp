// Bitmap, cursor and C source writers of the skin generator.
#include "file_formats.h"

#include <QFile>
#include <QSaveFile>

namespace formats {
namespace {

void put16(QByteArray& out, int value) {
    out.append(char(value & 0xFF));
    out.append(char((value >> 8) & 0xFF));
}

void put32(QByteArray& out, qint64 value) {
    for (int shift = 0; shift < 32; shift += 8) out.append(char((value >> shift) & 0xFF));
}

void putInfoHeader(QByteArray& out, int width, int height, int bits, int imageSize) {
    put32(out, 40);
    put32(out, width);
    put32(out, height);
    put16(out, 1);
    put16(out, bits);
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dpi
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
}

}  // namespace

QByteArray bmp24(const QImage& image) {
    const int stride = (image.width() * 3 + 3) & ~3;
    const int imageSize = stride * image.height();
    QByteArray out;
    out.reserve(54 + imageSize);
    out.append("BM");
    put32(out, 54 + imageSize);
    put32(out, 0);
    put32(out, 54);
    putInfoHeader(out, image.width(), image.height(), 24, imageSize);
    for (int y = image.height() - 1; y >= 0; --y) {
        const int start = out.size();
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(char(qBlue(p)));
            out.append(char(qGreen(p)));
            out.append(char(qRed(p)));
        }
        while (out.size() - start < stride) out.append('\0');
    }
    return out;
}

QByteArray cursor(const QImage& image, int hotX, int hotY) {
    constexpr int kSize = 32;
    constexpr int kImageBytes = kSize * kSize * 4 + kSize * 4;
    QByteArray out;
    put16(out, 0);
    put16(out, 2);  // a cursor file
    put16(out, 1);
    out.append(char(kSize));
    out.append(char(kSize));
    out.append('\0');
    out.append('\0');
    put16(out, hotX);
    put16(out, hotY);
    put32(out, 40 + kImageBytes);
    put32(out, 22);
    putInfoHeader(out, kSize, 2 * kSize, 32, kImageBytes);  // colour and mask stacked
    for (int y = kSize - 1; y >= 0; --y)
        for (int x = 0; x < kSize; ++x) {
            const QRgb p = image.pixel(x, y);
            out.append(char(qBlue(p)));
            out.append(char(qGreen(p)));
            out.append(char(qRed(p)));
            out.append(char(qAlpha(p)));
        }
    for (int y = kSize - 1; y >= 0; --y)
        for (int byte = 0; byte < kSize / 8; ++byte) {
            int bits = 0;
            for (int bit = 0; bit < 8; ++bit)
                if (qAlpha(image.pixel(byte * 8 + bit, y)) == 0) bits |= 0x80 >> bit;
            out.append(char(bits));
        }
    return out;
}

QByteArray cSource(const std::vector<Resource>& resources) {
    QByteArray out =
        "/* Written by velmora_skin_generator from the skin's drawing code: the built-in skin's\n"
        "   bitmaps and cursors, byte for byte as skin folders hold them. Not to be edited. */\n"
        "#include \"skin_resources.h\"\n\n";
    for (std::size_t i = 0; i < resources.size(); ++i) {
        const QByteArray& bytes = resources[i].bytes;
        // A character array exactly as long as the literal's characters drops the final NUL.
        out += "static const unsigned char kData" + QByteArray::number(qulonglong(i)) + "[" +
               QByteArray::number(bytes.size()) + "] =\n\"";
        for (int k = 0; k < bytes.size(); ++k) {
            const unsigned char c = static_cast<unsigned char>(bytes[k]);
            if (k > 0 && k % 64 == 0) out += "\"\n\"";
            if (c >= 0x20 && c < 0x7F && c != '\\' && c != '"' && c != '?') {
                out += char(c);
            } else {
                // Always three octal digits, so a digit that follows cannot join the escape.
                const char escape[5] = {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7)), 0};
                out += escape;
            }
        }
        out += "\";\n";
    }
    out += "\nconst struct SkinResource kSkinResources[] = {\n";
    for (std::size_t i = 0; i < resources.size(); ++i)
        out += "    {\"" + QByteArray(resources[i].type) + "\", \"" + resources[i].name + "\", kData" +
               QByteArray::number(qulonglong(i)) + ", " + QByteArray::number(resources[i].bytes.size()) + "u},\n";
    out += "};\nconst unsigned int kSkinResourceCount = " + QByteArray::number(qulonglong(resources.size())) + "u;\n";
    return out;
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    // An unchanged file keeps its time stamp, so a generator rebuild that draws the same
    // pictures does not recompile the library.
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) return true;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(bytes);
    return file.commit();
}

}  // namespace formats
