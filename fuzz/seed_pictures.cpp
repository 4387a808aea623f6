// Seed pictures: one small bitmap per pixel layout the skin decoder knows, and cursors.
#include "seed_pictures.h"

#include <QBuffer>
#include <QImage>

namespace seeds {

namespace {

void Put16(QByteArray& out, quint32 v) { out.append(char(v & 0xFF)).append(char(v >> 8 & 0xFF)); }
void Put32(QByteArray& out, quint32 v) { Put16(out, v & 0xFFFF), Put16(out, v >> 16); }

struct Dib {
    int width = 4;
    int height = 3;  // negative: rows top-down
    int bpp = 24;
    quint32 compression = 0;
    int colors = 0;
    QByteArray pixels;  // already padded rows or run-length data
    bool coreHeader = false;
};

QByteArray DibHeader(const Dib& d, int height) {
    QByteArray out;
    if (d.coreHeader) {
        Put32(out, 12), Put16(out, d.width), Put16(out, height), Put16(out, 1), Put16(out, d.bpp);
    } else {
        Put32(out, 40), Put32(out, d.width), Put32(out, quint32(height)), Put16(out, 1), Put16(out, d.bpp);
        Put32(out, d.compression), Put32(out, d.pixels.size()), Put32(out, 2835), Put32(out, 2835);
        Put32(out, d.colors), Put32(out, 0);
    }
    if (d.compression == 3) Put32(out, 0xF800), Put32(out, 0x07E0), Put32(out, 0x001F);
    for (int i = 0; i < d.colors; ++i) {
        out.append(char(i * 40)).append(char(255 - i * 30)).append(char(i * 16));
        if (!d.coreHeader) out.append('\0');
    }
    return out;
}

QByteArray Bmp(const Dib& d) {
    const QByteArray header = DibHeader(d, d.height);
    QByteArray out("BM");
    Put32(out, 14 + header.size() + d.pixels.size()), Put32(out, 0), Put32(out, 14 + header.size());
    return out + header + d.pixels;
}

// Rows of `rowBytes` bytes, padded to four, filled with a pattern.
QByteArray Rows(int rowBytes, int rows) {
    QByteArray out;
    const int stride = (rowBytes + 3) / 4 * 4;
    for (int i = 0; i < stride * rows; ++i) out.append(char(i * 37 + 11));
    return out;
}

QByteArray Rle(bool four) {
    QByteArray out;
    for (int row = 0; row < 3; ++row) out.append(char(4)).append(char(four ? 0x12 : 1 + row)).append('\0').append('\0');
    out.append('\0').append(char(2)).append(char(1)).append('\0');  // a jump
    return out.append('\0').append(char(1));
}

QByteArray Cursor(const Dib& picture, QByteArray mask, int hotX, int hotY) {
    const QByteArray dib = DibHeader(picture, picture.height * 2) + picture.pixels + mask;
    QByteArray out;
    Put16(out, 0), Put16(out, 2), Put16(out, 1);
    out.append(char(picture.width)).append(char(picture.height)).append(char(picture.colors)).append('\0');
    Put16(out, hotX), Put16(out, hotY), Put32(out, dib.size()), Put32(out, 22);
    return out + dib;
}

QByteArray PngCursor() {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(qRgba(200, 10, 10, 128));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    QByteArray out;
    Put16(out, 0), Put16(out, 2), Put16(out, 1);
    out.append(char(16)).append(char(16)).append('\0').append('\0');
    Put16(out, 3), Put16(out, 4), Put32(out, png.size()), Put32(out, 22);
    return out + png;
}

}  // namespace

QList<QByteArray> Bitmaps() {
    return {
        Bmp({4, 3, 24, 0, 0, Rows(12, 3)}),
        Bmp({4, -3, 24, 0, 0, Rows(12, 3)}),
        Bmp({5, 2, 32, 0, 0, Rows(20, 2)}),
        Bmp({5, 2, 16, 0, 0, Rows(10, 2)}),
        Bmp({5, 2, 16, 3, 0, Rows(10, 2)}),
        Bmp({9, 2, 8, 0, 6, Rows(9, 2)}),
        Bmp({9, 2, 4, 0, 16, Rows(5, 2)}),
        Bmp({17, 2, 1, 0, 2, Rows(3, 2)}),
        Bmp({4, 3, 8, 1, 4, Rle(false)}),
        Bmp({4, 3, 4, 2, 16, Rle(true)}),
        Bmp({3, 2, 8, 0, 3, Rows(3, 2), true}),
    };
}

QList<QByteArray> Cursors() {
    return {
        Cursor({32, 32, 1, 0, 2, Rows(4, 32)}, Rows(4, 32), 5, 7),
        Cursor({16, 16, 4, 0, 16, Rows(8, 16)}, Rows(2, 16), 0, 0),
        Cursor({8, 8, 32, 0, 0, Rows(32, 8)}, Rows(1, 8), 7, 7),
        PngCursor(),
    };
}

}  // namespace seeds
