// Skin files written by the tests: Windows bitmaps of every depth and compression and cursor
// files, byte by byte, so each decoder path (and each way of lying) can be produced exactly.
#pragma once

#include <QByteArray>
#include <QRgb>
#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace skin_fixtures {

inline void Put16(QByteArray& b, quint32 v) {
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
}
inline void Put32(QByteArray& b, quint32 v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// Stored rows of a picture (bottom row first unless topDown), each padded to four bytes.
// value(x, y) is a palette index for 1, 4 and 8 bits, the raw pixel word otherwise (0xRRGGBB
// for 24 bits).
inline QByteArray Rows(int w, int h, int bpp, const std::function<quint32(int, int)>& value, bool topDown = false) {
    QByteArray out;
    const int stride = (w * bpp + 31) / 32 * 4;
    for (int r = 0; r < h; ++r) {
        const int y = topDown ? r : h - 1 - r;
        QByteArray row(stride, '\0');
        for (int x = 0; x < w; ++x) {
            const quint32 v = value(x, y);
            if (bpp < 8) {
                const int bit = x * bpp;
                row[bit / 8] = char(uchar(row[bit / 8]) | (v << (8 - bpp - bit % 8)));
            } else {
                for (int i = 0; i < bpp / 8; ++i) row[x * bpp / 8 + i] = char((v >> (8 * i)) & 0xFF);
            }
        }
        out += row;
    }
    return out;
}

struct Bmp {
    int width = 1;
    qint32 height = 1;
    int bpp = 24;
    quint32 compression = 0;
    quint32 headerSize = 40;
    std::vector<QRgb> palette;
    quint32 colorsUsed = 0;
    std::array<quint32, 3> masks{};
    quint32 sizeImage = 0;
    QByteArray pixels;
    std::optional<quint32> offset;  // where the file says the pixels start

    QByteArray Header() const {
        QByteArray dib;
        Put32(dib, headerSize);
        if (headerSize == 12) {
            Put16(dib, quint32(width));
            Put16(dib, quint32(height));
            Put16(dib, 1);
            Put16(dib, quint32(bpp));
        } else {
            Put32(dib, quint32(width));
            Put32(dib, quint32(height));
            Put16(dib, 1);
            Put16(dib, quint32(bpp));
            for (quint32 v : {compression, sizeImage, 2835u, 2835u, colorsUsed, 0u}) Put32(dib, v);
            if (headerSize > 40 || compression == 3)
                for (quint32 m : masks) Put32(dib, m);
            while (quint32(dib.size()) < headerSize) dib.append('\0');
        }
        for (QRgb c : palette) {
            for (int v : {qBlue(c), qGreen(c), qRed(c)}) dib.append(char(v));
            if (headerSize != 12) dib.append('\0');
        }
        return dib;
    }
    QByteArray Build() const {
        const QByteArray dib = Header();
        QByteArray file("BM");
        Put32(file, quint32(14 + dib.size() + pixels.size()));
        Put32(file, 0);
        Put32(file, offset.value_or(quint32(14 + dib.size())));
        return file + dib + pixels;
    }
};

// Distinct palette colours.
inline std::vector<QRgb> Palette(int n) {
    std::vector<QRgb> p;
    for (int i = 0; i < n; ++i) p.push_back(qRgb(i * 7 % 256, 255 - i, (i * 13 + 40) % 256));
    return p;
}

// The bitmap part of a cursor picture: header (height doubled), colour table, picture rows, and
// the one-bit mask rows (1 = the screen shows through); no mask when andMask is empty.
inline QByteArray CursorDib(int w, int h, int bpp, const std::vector<QRgb>& palette, const QByteArray& xorRows,
                            const QByteArray& andRows) {
    Bmp header;
    header.width = w;
    header.height = 2 * h;
    header.bpp = bpp;
    header.palette = palette;
    return header.Header() + xorRows + andRows;
}

struct CurEntry {
    CurEntry(int w_, int h_, int hotX_, int hotY_, QByteArray payload_, std::optional<quint32> size_ = std::nullopt,
             std::optional<quint32> offset_ = std::nullopt)
        : w(w_), h(h_), hotX(hotX_), hotY(hotY_), payload(std::move(payload_)), size(size_), offset(offset_) {}
    int w, h;
    int hotX, hotY;
    QByteArray payload;
    std::optional<quint32> size, offset;  // lies about where the picture is
};

inline QByteArray Cur(const std::vector<CurEntry>& entries, quint16 type = 2) {
    QByteArray out;
    Put16(out, 0);
    Put16(out, type);
    Put16(out, quint32(entries.size()));
    quint32 at = quint32(6 + 16 * entries.size());
    QByteArray data;
    for (const CurEntry& e : entries) {
        out.append(char(e.w & 0xFF));
        out.append(char(e.h & 0xFF));
        out.append('\0');
        out.append('\0');
        Put16(out, quint32(e.hotX));
        Put16(out, quint32(e.hotY));
        Put32(out, e.size.value_or(quint32(e.payload.size())));
        Put32(out, e.offset.value_or(at));
        at += quint32(e.payload.size());
        data += e.payload;
    }
    return out + data;
}

}  // namespace skin_fixtures
