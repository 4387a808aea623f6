#include "player/skin/skin_files.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <cstring>
#include "platform/shared_library.h"
#include "platform/text_file.h"
#include <limits>
#include <optional>
#include <vector>

#include "plugins/skins/skins_dll.h"

namespace {

// Every read goes through has(): offsets and lengths are checked without overflow first.
struct Bytes {
    const uchar* data = nullptr;
    size_t size = 0;

    static Bytes Of(const QByteArray& bytes) {
        return {reinterpret_cast<const uchar*>(bytes.constData()), static_cast<size_t>(bytes.size())};
    }
    bool has(size_t offset, size_t length) const { return offset <= size && length <= size - offset; }
    Bytes sub(size_t offset, size_t length) const { return {data + offset, length}; }  // after has()
    quint16 u16(size_t at) const { return quint16(data[at] | data[at + 1] << 8); }
    quint32 u32(size_t at) const { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; }
};

enum : quint32 { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3 };

constexpr QRgb kBlack = 0xFF000000;

struct DibHeader {
    size_t headerSize = 0;
    qint64 width = 0;
    qint64 rawHeight = 0;  // negative for top-down rows; doubled in cursors (picture and mask)
    int bpp = 0;
    quint32 compression = BI_RGB;
    quint32 colorsUsed = 0;
    std::array<quint32, 3> masks{};  // red, green, blue
    size_t paletteStart = 0;         // offset of the colour table from the header's start
    size_t paletteEntry = 4;         // bytes per colour: 3 in the oldest header
};

bool ValidDepth(int bpp, quint32 compression) {
    switch (compression) {
        case BI_RGB: return bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32;
        case BI_RLE8: return bpp == 8;
        case BI_RLE4: return bpp == 4;
        case BI_BITFIELDS: return bpp == 16 || bpp == 32;
        default: return false;  // JPEG and PNG inside a bitmap are not skin material
    }
}

// The header at the start of `b`: the oldest 12-byte form, or the 40-byte form and its
// longer successors, which only add fields after the first 40 bytes.
std::optional<DibHeader> ReadDibHeader(Bytes b) {
    if (!b.has(0, 4)) return std::nullopt;
    DibHeader h;
    h.headerSize = b.u32(0);
    if (!b.has(0, h.headerSize)) return std::nullopt;
    if (h.headerSize == 12) {
        h.width = b.u16(4);
        h.rawHeight = b.u16(6);
        h.bpp = b.u16(10);
        h.paletteEntry = 3;
    } else if (h.headerSize == 40 || h.headerSize == 52 || h.headerSize == 56 || h.headerSize == 64 ||
               h.headerSize == 108 || h.headerSize == 124) {
        h.width = qint32(b.u32(4));
        h.rawHeight = qint32(b.u32(8));
        h.bpp = b.u16(14);
        h.compression = b.u32(16);
        h.colorsUsed = b.u32(32);
    } else {
        return std::nullopt;
    }
    if (!ValidDepth(h.bpp, h.compression)) return std::nullopt;
    h.paletteStart = h.headerSize;
    if (h.compression == BI_BITFIELDS) {
        // The plain 40-byte header keeps its three masks right after itself; later forms hold them.
        if (h.headerSize == 40) {
            if (!b.has(40, 12)) return std::nullopt;
            h.paletteStart += 12;
        }
        h.masks = {b.u32(40), b.u32(44), b.u32(48)};
    } else if (h.bpp == 16) {
        h.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (h.bpp == 32) {
        h.masks = {0xFF0000, 0xFF00, 0xFF};
    }
    return h;
}

// The colour table: as many entries as the header asks for (all 2^bpp when it says 0) that lie
// before `end`. Short tables are common; an index beyond the table draws black.
std::vector<QRgb> ReadPalette(Bytes b, const DibHeader& h, size_t end) {
    std::vector<QRgb> palette;
    if (h.bpp > 8) return palette;
    size_t count = size_t(1) << h.bpp;
    if (h.colorsUsed != 0) count = std::min<size_t>(h.colorsUsed, 256);
    end = std::min(end, b.size);
    const size_t room = end > h.paletteStart ? (end - h.paletteStart) / h.paletteEntry : 0;
    count = std::min(count, room);
    palette.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uchar* p = b.data + h.paletteStart + i * h.paletteEntry;
        palette.push_back(qRgb(p[2], p[1], p[0]));
    }
    return palette;
}

QRgb PaletteColor(const std::vector<QRgb>& palette, unsigned index) {
    return index < palette.size() ? palette[index] : kBlack;
}

// One channel of a bit-field pixel, scaled to 0..255 whatever the mask looks like.
struct Channel {
    quint32 mask = 0;
    int shift = 0;
    quint64 max = 0;
    explicit Channel(quint32 m) : mask(m), shift(m ? std::countr_zero(m) : 0), max(m >> shift) {}
    int operator()(quint32 pixel) const { return max ? int(quint64((pixel & mask) >> shift) * 255 / max) : 0; }
};

size_t RowStride(qint64 width, int bpp) { return size_t((width * bpp + 31) / 32) * 4; }

// Rows of an uncompressed picture starting at `offset`; null when they do not all fit.
// With `alpha`, a 32-bit picture keeps its fourth byte as alpha (cursors).
QImage DecodeRows(Bytes b, size_t offset, const DibHeader& h, int rows, bool topDown,
                  const std::vector<QRgb>& palette, bool alpha) {
    const int width = int(h.width);
    const size_t stride = RowStride(width, h.bpp);
    if (!b.has(offset, stride * size_t(rows))) return {};
    const bool withAlpha = alpha && h.bpp == 32 && h.compression == BI_RGB;
    QImage image(width, rows, withAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return {};
    const Channel red(h.masks[0]), green(h.masks[1]), blue(h.masks[2]);
    // The depth is chosen once per row, not per pixel: a skin's sheets hold some 150,000 pixels
    // and are read while the window is made.
    for (int r = 0; r < rows; ++r) {
        const uchar* src = b.data + offset + size_t(r) * stride;
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(topDown ? r : rows - 1 - r));
        switch (h.bpp) {
            case 1:
                for (int x = 0; x < width; ++x) dst[x] = PaletteColor(palette, (src[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                for (int x = 0; x < width; ++x) dst[x] = PaletteColor(palette, (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
                break;
            case 8:
                for (int x = 0; x < width; ++x) dst[x] = PaletteColor(palette, src[x]);
                break;
            case 16:
                for (int x = 0; x < width; ++x) {
                    const quint32 p = quint32(src[2 * x] | src[2 * x + 1] << 8);
                    dst[x] = qRgb(red(p), green(p), blue(p));
                }
                break;
            case 24:
                for (int x = 0; x < width; ++x) dst[x] = qRgb(src[3 * x + 2], src[3 * x + 1], src[3 * x]);
                break;
            default:
                for (int x = 0; x < width; ++x) {
                    const uchar* q = src + 4 * x;
                    const quint32 p = quint32(q[0]) | quint32(q[1]) << 8 | quint32(q[2]) << 16 | quint32(q[3]) << 24;
                    dst[x] = withAlpha ? qRgba(q[2], q[1], q[0], q[3]) : qRgb(red(p), green(p), blue(p));
                }
        }
    }
    return image;
}

// Run-length pictures (8 or 4 bits). Pixels the runs skip keep colour 0. A run or jump past the
// picture's edge, or data that stops before the last row, refuses the whole picture.
QImage DecodeRle(Bytes b, size_t pos, const DibHeader& h, int rows, const std::vector<QRgb>& palette) {
    const qint64 width = h.width;
    QImage image(int(width), rows, QImage::Format_RGB32);
    if (image.isNull()) return {};
    image.fill(PaletteColor(palette, 0));
    const bool four = h.compression == BI_RLE4;
    qint64 x = 0, y = 0;  // y counts rows from the bottom
    auto put = [&](unsigned index) {
        reinterpret_cast<QRgb*>(image.scanLine(int(rows - 1 - y)))[x++] = PaletteColor(palette, index);
    };
    while (true) {
        if (!b.has(pos, 2)) return y >= rows ? image : QImage();
        const unsigned count = b.data[pos], value = b.data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (y >= rows || x + count > width) return {};
            for (unsigned i = 0; i < count; ++i) put(four ? ((i & 1) ? value & 0xF : value >> 4) : value);
        } else if (value == 0) {  // end of line
            x = 0;
            if (++y > rows) return {};
        } else if (value == 1) {  // end of picture
            return image;
        } else if (value == 2) {  // jump right and up
            if (!b.has(pos, 2)) return {};
            x += b.data[pos];
            y += b.data[pos + 1];
            pos += 2;
            if (x > width || y > rows) return {};
        } else {  // literal pixels, padded to a whole word
            const size_t bytes = four ? (value + 1) / 2 : value;
            if (y >= rows || x + value > width || !b.has(pos, bytes)) return {};
            for (unsigned i = 0; i < value; ++i)
                put(four ? ((i & 1) ? b.data[pos + i / 2] & 0xF : b.data[pos + i / 2] >> 4) : b.data[pos + i]);
            pos += (bytes + 1) & ~size_t(1);
        }
    }
}

// Our own reading: it keeps what skins made on the original platform rely on (short colour
// tables, run-length jumps), which Qt's reader refuses.
QImage DecodeOwnBmp(const QByteArray& bytes, qint64 maxPixels) {
    const Bytes b = Bytes::Of(bytes);
    if (!b.has(0, 14) || b.data[0] != 'B' || b.data[1] != 'M') return {};
    const size_t pixels = b.u32(10);
    const Bytes dib = b.sub(14, b.size - 14);
    const std::optional<DibHeader> h = ReadDibHeader(dib);
    if (!h) return {};
    const qint64 rows = std::abs(h->rawHeight);
    const bool topDown = h->rawHeight < 0;
    if (h->width <= 0 || h->width > kMaxBitmapSide || rows == 0 || rows > kMaxBitmapSide) return {};
    if (h->width * rows > maxPixels) return {};
    // Run-length pictures are always stored bottom-up; the pixels never overlap the headers.
    if (topDown && (h->compression == BI_RLE8 || h->compression == BI_RLE4)) return {};
    if (pixels < 14 + h->paletteStart || pixels >= b.size) return {};
    const std::vector<QRgb> palette = ReadPalette(dib, *h, pixels - 14);
    if (h->compression == BI_RLE8 || h->compression == BI_RLE4) return DecodeRle(b, pixels, *h, int(rows), palette);
    return DecodeRows(b, pixels, *h, int(rows), topDown, palette, false);
}

}  // namespace

QByteArray ReadSkinFile(const QString& path, qint64 limit) {
    platform::ReadOptions options;
    options.maxBytes = limit;
    QByteArray bytes;
    platform::ReadFileBytes(path, &bytes, nullptr, options);
    return bytes;
}

namespace {

// Qt's reader is the one other programs on this desktop use: a bitmap they show (run-length
// pictures of odd widths, files a few bytes short) shows here too. The header is asked for
// first, so nothing is allocated for a picture over the caps.
QImage DecodeQtBmp(const QByteArray& bytes, qint64 maxPixels) {
    QByteArray data = bytes;
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) return {};
    QImageReader reader(&buffer, "bmp");
    reader.setAllocationLimit(kBitmapAllocationMegabytes);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty() || size.width() > kMaxBitmapSide || size.height() > kMaxBitmapSide ||
        qint64(size.width()) * size.height() > maxPixels)
        return {};
    const QImage image = reader.read();
    if (image.isNull() || image.size() != size) return {};
    return image.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

QImage DecodeBmp(const QByteArray& bytes, qint64 maxPixels) {
    if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') return {};
    QImage image = DecodeOwnBmp(bytes, maxPixels);
    return image.isNull() ? DecodeQtBmp(bytes, maxPixels) : image;
}

namespace {

bool IsPng(Bytes b) { return b.has(0, 8) && std::memcmp(b.data, "\x89PNG\r\n\x1a\n", 8) == 0; }

QImage DecodePngCursor(Bytes b) {
    QByteArray data = QByteArray::fromRawData(reinterpret_cast<const char*>(b.data), qsizetype(b.size));
    QBuffer buffer(&data);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (!size.isValid() || size.width() > kMaxCursorSide || size.height() > kMaxCursorSide) return {};
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

// A cursor's bitmap: the picture rows, then a one-bit mask of the same size (1 = screen shows
// through). A 32-bit picture with any alpha uses its alpha and may leave the mask out.
QImage DecodeDibCursor(Bytes b) {
    const std::optional<DibHeader> h = ReadDibHeader(b);
    if (!h || h->headerSize == 12 || h->compression == BI_RLE8 || h->compression == BI_RLE4) return {};
    const qint64 rows = h->rawHeight / 2;
    if (h->width <= 0 || h->width > kMaxCursorSide || rows <= 0 || rows > kMaxCursorSide) return {};
    size_t colours = h->bpp <= 8 ? (size_t(1) << h->bpp) : 0;
    if (h->bpp <= 8 && h->colorsUsed != 0) colours = std::min<size_t>(h->colorsUsed, 256);
    const size_t pixels = h->paletteStart + colours * 4;
    if (!b.has(h->paletteStart, colours * 4)) return {};
    QImage image = DecodeRows(b, pixels, *h, int(rows), false, ReadPalette(b, *h, pixels), true);
    if (image.isNull()) return {};
    image = image.convertToFormat(QImage::Format_ARGB32);
    bool hasAlpha = false;
    if (h->bpp == 32 && h->compression == BI_RGB) {
        for (int y = 0; y < image.height() && !hasAlpha; ++y)
            for (int x = 0; x < image.width() && !hasAlpha; ++x) hasAlpha = qAlpha(image.pixel(x, y)) != 0;
    }
    if (hasAlpha) return image;
    const size_t maskAt = pixels + RowStride(h->width, h->bpp) * size_t(rows);
    const size_t maskStride = RowStride(h->width, 1);
    if (!b.has(maskAt, maskStride * size_t(rows))) return {};
    for (int r = 0; r < rows; ++r) {
        const uchar* mask = b.data + maskAt + size_t(r) * maskStride;
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(int(rows - 1 - r)));
        for (int x = 0; x < image.width(); ++x) {
            const bool through = (mask[x >> 3] >> (7 - (x & 7))) & 1;
            // Where the mask lets the screen through, a coloured pixel inverts the screen; a
            // picture cannot invert, so those pixels are drawn black, which shows on light windows.
            if (!through) line[x] |= 0xFF000000;
            else line[x] = (line[x] & 0xFFFFFF) ? kBlack : 0;
        }
    }
    return image;
}

struct CursorEntry {
    int distance;  // from 32 x 32
    int depth;
    QPoint hotspot;
    Bytes payload;
};

}  // namespace

CursorImage DecodeCursorImage(const QByteArray& bytes) {
    const Bytes b = Bytes::Of(bytes);
    if (!b.has(0, 6) || b.u16(0) != 0 || b.u16(2) != 2) return {};
    const size_t count = b.u16(4);
    const size_t directoryEnd = 6 + 16 * count;
    std::vector<CursorEntry> entries;
    for (size_t i = 0; i < count && b.has(6 + 16 * i, 16); ++i) {
        const size_t at = 6 + 16 * i;
        const int w = b.data[at] ? b.data[at] : 256, h = b.data[at + 1] ? b.data[at + 1] : 256;
        const size_t size = b.u32(at + 8), offset = b.u32(at + 12);
        // An entry whose picture overlaps the directory or runs past the file is a lie: skipped.
        if (offset < directoryEnd || !b.has(offset, size)) continue;
        const Bytes payload = b.sub(offset, size);
        const int depth = IsPng(payload) ? 32 : payload.has(14, 2) ? payload.u16(14) : 0;
        entries.push_back({std::abs(w - 32) + std::abs(h - 32), depth, QPoint(b.u16(at + 4), b.u16(at + 6)), payload});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const CursorEntry& a, const CursorEntry& c) {
        return a.distance != c.distance ? a.distance < c.distance : a.depth > c.depth;
    });
    for (const CursorEntry& entry : entries) {
        QImage image = IsPng(entry.payload) ? DecodePngCursor(entry.payload) : DecodeDibCursor(entry.payload);
        if (image.isNull()) continue;
        const QPoint hotspot(std::min(entry.hotspot.x(), image.width() - 1),
                             std::min(entry.hotspot.y(), image.height() - 1));
        return {image, hotspot};
    }
    return {};
}

bool DecodeCursor(const QByteArray& bytes, QCursor* cursor) {
    const CursorImage decoded = DecodeCursorImage(bytes);
    if (decoded.image.isNull()) return false;
    *cursor = QCursor(QPixmap::fromImage(decoded.image), decoded.hotspot.x(), decoded.hotspot.y());
    return true;
}

QString FindFileNoCase(const QString& folder, const QString& name) {
    // An empty folder would mean the working directory; a name with a "/" could leave the folder.
    if (folder.isEmpty() || name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String(".") ||
        name == QLatin1String(".."))
        return {};
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (QFileInfo(exact).isFile()) return exact;
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    }
    return {};
}

namespace {

// A skin load asks the built-in library for up to 22 resources; loading and freeing it for each
// cost more than the reading. It stays open until control returns to the event loop, so each
// load (a start, a skin change) opens it once, and no library is held between loads.
struct HeldSkinLibrary {
    QString path;
    platform::SharedLibrary library;
    bool releasePosted = false;
};

HeldSkinLibrary& Held() {
    static HeldSkinLibrary held;
    return held;
}

const platform::SharedLibrary& SkinLibraryAt(const QString& path) {
    HeldSkinLibrary& held = Held();
    if (held.path != path || !held.library) {
        held.library = platform::SharedLibrary(path);
        held.path = path;
    }
    if (!held.releasePosted && QCoreApplication::instance()) {
        held.releasePosted = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                Held().library = platform::SharedLibrary();
                Held().path.clear();
                Held().releasePosted = false;
            },
            Qt::QueuedConnection);
    }
    return held.library;
}

}  // namespace

QByteArray BuiltInSkinResource(const QString& libraryPath, const char* type, const QString& name) {
    const bool eventLoop = QCoreApplication::instance() != nullptr;
    const platform::SharedLibrary own = eventLoop ? platform::SharedLibrary() : platform::SharedLibrary(libraryPath);
    const platform::SharedLibrary& library = eventLoop ? SkinLibraryAt(libraryPath) : own;
    if (!library) return {};
    QByteArray bytes;
    const auto find = library.function<FindSkinResourceFn>("FindSkinResource");
    const QByteArray key = name.toUtf8();
    const unsigned char* data = nullptr;
    unsigned int size = 0;
    if (find && find(type, key.constData(), &data, &size) != 0 && data && size > 0 &&
        size <= unsigned(std::numeric_limits<qsizetype>::max()))
        bytes = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size));  // copied before unloading
    return bytes;
}

namespace {

// Only ASCII letters change, so the six characters keep their places.
QString AsciiUpper(QString text) {
    for (QChar& c : text) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) c = QChar(c.unicode() - 32);
    }
    return text;
}

// Unsigned so that characters below "0" wrap instead of overflowing; the sums then wrap the
// same way a 32-bit colour word does.
quint32 HexDigit(QChar c) {
    const quint32 code = c.unicode();
    return code < 64 ? code - 48 : code - 55;
}

}  // namespace

void HexToColor(const QString& text, quint32& colour) {
    if (text.size() <= 5) return;
    QString rest = text.startsWith(QLatin1Char('#')) ? text.mid(1) : text;
    if (rest.size() <= 5) return;
    rest = AsciiUpper(rest.left(6));
    auto pair = [&](int i) { return HexDigit(rest[i]) * 16 + HexDigit(rest[i + 1]); };
    colour = pair(0) + 256u * pair(2) + 65536u * pair(4);
}

// A colour word built from stray characters can carry into its top byte, which on the original
// platform selects palette or system colours; only the three colour bytes are taken here, so
// every word gives a plain, valid colour.
QColor ColorFromWord(quint32 colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

PlaylistColors PlaylistColorsFromLines(const QStringList& lines) {
    PlaylistColors c;
    HexToColor(QStringLiteral("2F2B66"), c.Normal);
    HexToColor(QStringLiteral("A1B3E3"), c.NormalBG);
    HexToColor(QStringLiteral("003500"), c.Current);
    HexToColor(QStringLiteral("627EB5"), c.SelectedBG);
    // "NORMALBG=" does not contain "NORMAL=", so the keys never clash.
    static const struct {
        const char* key;
        quint32 PlaylistColors::*field;
    } keys[] = {{"MBFG=", &PlaylistColors::MBFG},         {"NORMAL=", &PlaylistColors::Normal},
                {"MBBG=", &PlaylistColors::MBBG},         {"NORMALBG=", &PlaylistColors::NormalBG},
                {"CURRENT=", &PlaylistColors::Current},   {"SELECTEDBG=", &PlaylistColors::SelectedBG}};
    for (const QString& line : lines) {
        const QString upper = AsciiUpper(line);
        for (const auto& k : keys) {
            // The value is the original text after the first "=", neither upper-cased nor trimmed.
            if (upper.contains(QLatin1String(k.key))) HexToColor(line.mid(line.indexOf(QLatin1Char('=')) + 1), c.*k.field);
        }
    }
    // Black counts as unset for the browser's two colours.
    if (c.MBFG == 0) c.MBFG = c.Normal;
    if (c.MBBG == 0) c.MBBG = c.NormalBG;
    return c;
}

namespace {

// Never freed: a cursor holds a pixmap, which must not be destroyed after the application.
std::array<std::optional<QCursor>, 7>& CursorSlots() {
    static auto* table = new std::array<std::optional<QCursor>, 7>();
    return *table;
}

bool ValidSlot(int slot) { return slot >= 1 && slot <= 6; }

}  // namespace

QCursor SkinCursor(int slot) {
    return ValidSlot(slot) && CursorSlots()[slot] ? *CursorSlots()[slot] : QCursor(Qt::ArrowCursor);
}

bool HasSkinCursor(int slot) { return ValidSlot(slot) && CursorSlots()[slot].has_value(); }

void SetSkinCursor(int slot, const QCursor& cursor) {
    if (ValidSlot(slot)) CursorSlots()[slot] = cursor;
}

void ClearSkinCursor(int slot) {
    if (ValidSlot(slot)) CursorSlots()[slot].reset();
}
