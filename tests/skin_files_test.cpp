// The skin file readers on bytes: bitmaps of every depth and compression, cursor files, colour
// words, Pledit.txt, the case-blind file lookup and the built-in skin library, hostile input
// included.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <dlfcn.h>
#include <limits>
#include <random>

#include "player/skin/skin_files.h"
#include "tests/skin_fixtures.h"
#include "tests/test_support.h"

using namespace skin_fixtures;

namespace {

const QString kBuiltInLibrary = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/skins.dll");

QImage Decode(const Bmp& bmp) { return DecodeBmp(bmp.Build()); }

Bmp Indexed(int w, int h, int bpp, const std::function<quint32(int, int)>& index, int colours) {
    Bmp b;
    b.width = w;
    b.height = h;
    b.bpp = bpp;
    b.palette = Palette(colours);
    b.pixels = Rows(w, h, bpp, index);
    return b;
}

TEST(SkinBitmap, PalettedDepthsKeepRowOrderAndColours) {
    for (int bpp : {1, 4, 8}) {
        SCOPED_TRACE(bpp);
        const int colours = 1 << bpp;
        auto index = [&](int x, int y) { return quint32(x * 3 + y * 5) % colours; };
        const QImage image = Decode(Indexed(11, 3, bpp, index, colours));  // 11 wide: rows need padding
        ASSERT_EQ(image.size(), QSize(11, 3));
        EXPECT_EQ(image.format(), QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 11; ++x) ASSERT_EQ(image.pixel(x, y), Palette(colours)[index(x, y)]) << x << "," << y;
    }
}

TEST(SkinBitmap, DirectColourDepthsAndMasks) {
    Bmp b;
    b.width = 2;
    b.height = 2;
    // 16 bits without masks are 5-5-5.
    b.bpp = 16;
    b.pixels = Rows(2, 2, 16, [](int x, int y) { return y == 0 ? (x ? 0x7C00u : 0x03E0u) : (16u << 10 | 8u << 5 | 4u); });
    QImage image = Decode(b);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(0, 1), qRgb(131, 65, 32));
    // 5-6-5 through bit fields after a plain header, and in the longer headers.
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.pixels = Rows(2, 2, 16, [](int x, int) { return x ? 32u << 5 : 0xF800u; });
    for (quint32 header : {40u, 108u, 124u}) {
        b.headerSize = header;
        image = Decode(b);
        EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0)) << header;
        EXPECT_EQ(image.pixel(1, 1), qRgb(0, 129, 0)) << header;
    }
    // 24 bits; 32 bits ignore the fourth byte; 32-bit fields in an unusual order.
    b = Bmp{};
    b.width = 2;
    b.height = 2;
    b.pixels = Rows(2, 2, 24, [](int x, int y) { return 0x102030u + quint32(x) + 0x10000u * quint32(y); });
    image = Decode(b);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x10, 0x20, 0x31));
    EXPECT_EQ(image.pixel(0, 1), qRgb(0x11, 0x20, 0x30));
    b.bpp = 32;
    b.pixels = Rows(2, 2, 32, [](int x, int) { return x ? 0x00332211u : 0x7F445566u; });
    image = Decode(b);
    EXPECT_EQ(image.pixel(0, 0), qRgb(0x44, 0x55, 0x66));
    b.compression = 3;
    b.headerSize = 124;
    b.masks = {0x0000FF, 0x00FF00, 0xFF0000};
    image = Decode(b);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0x11, 0x22, 0x33));
}

TEST(SkinBitmap, OldHeaderTopDownAndOneByOne) {
    Bmp core = Indexed(3, 2, 8, [](int x, int y) { return quint32(x + 3 * y); }, 6);
    core.headerSize = 12;
    QImage image = Decode(core);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.pixel(2, 1), Palette(6)[5]);

    Bmp top;
    top.width = 2;
    top.height = -3;
    top.pixels = Rows(2, 3, 24, [](int x, int y) { return quint32(y * 0x40 + x); }, true);
    image = Decode(top);
    ASSERT_EQ(image.size(), QSize(2, 3));
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 1));
    EXPECT_EQ(image.pixel(0, 2), qRgb(0, 0, 0x80));

    Bmp one;
    one.pixels = Rows(1, 1, 24, [](int, int) { return 0xABCDEFu; });
    EXPECT_EQ(Decode(one).pixel(0, 0), qRgb(0xAB, 0xCD, 0xEF));
}

TEST(SkinBitmap, ShortPalettesDrawBlackBeyondTheirEnd) {
    Bmp b = Indexed(4, 1, 8, [](int x, int) { return quint32(x * 2); }, 3);  // indices 0, 2, 4, 6
    b.colorsUsed = 3;
    QImage image = Decode(b);
    EXPECT_EQ(image.pixel(1, 0), Palette(3)[2]);
    EXPECT_EQ(image.pixel(2, 0), qRgb(0, 0, 0));
    // A table that claims 256 entries but is cut short by the pixel data.
    b.colorsUsed = 0;
    b.palette = Palette(2);
    image = Decode(b);
    EXPECT_EQ(image.pixel(0, 0), Palette(2)[0]);
    EXPECT_EQ(image.pixel(1, 0), qRgb(0, 0, 0));
}

Bmp Rle(int w, int h, int bpp, const QByteArray& stream) {
    Bmp b;
    b.width = w;
    b.height = h;
    b.bpp = bpp;
    b.compression = bpp == 8 ? 1 : 2;
    b.palette = Palette(16);
    b.pixels = stream;
    return b;
}

TEST(SkinBitmap, RunLengthPicturesWithRunsLiteralsJumpsAndEnds) {
    // Bottom row: run of three 1s, literal 2 3 4; then a jump over the middle row to x = 3 of the
    // top row, a run of two 5s, end of picture.
    const QByteArray rle8("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x03\x01\x02\x05\x00\x01", 18);
    QImage image = DecodeBmp(Rle(6, 3, 8, rle8).Build());
    ASSERT_FALSE(image.isNull());
    const auto p = Palette(16);
    const std::vector<int> expected[] = {{0, 0, 0, 5, 5, 0}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 2, 3, 4}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 6; ++x) EXPECT_EQ(image.pixel(x, y), p[expected[y][x]]) << x << "," << y;

    // Four bits: a run alternates its two nibbles; a literal of five nibbles pads to four bytes.
    const QByteArray rle4("\x05\x12\x00\x00\x00\x05\x34\x56\x70\x00\x00\x01", 12);
    image = DecodeBmp(Rle(5, 2, 4, rle4).Build());
    ASSERT_FALSE(image.isNull());
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(image.pixel(x, 1), p[x % 2 ? 2 : 1]);
        EXPECT_EQ(image.pixel(x, 0), p[3 + x]);
    }
    // A lying image size changes nothing for either kind.
    Bmp lying = Rle(5, 2, 4, rle4);
    lying.sizeImage = 0xFFFFFFFF;
    EXPECT_EQ(DecodeBmp(lying.Build()), image);
}

TEST(SkinBitmap, HostileFilesAreRefused) {
    auto sized = [](int w, qint32 h) {
        Bmp b;
        b.width = w;
        b.height = h;
        b.pixels = QByteArray((w * 3 + 3) / 4 * 4 * std::min<qint64>(std::abs(qint64(h)), 20000), '\x7F');
        return b;
    };
    EXPECT_TRUE(Decode(sized(5000, 10)).isNull());
    EXPECT_TRUE(Decode(sized(10, 5000)).isNull());
    EXPECT_TRUE(Decode(sized(10, -5000)).isNull());
    EXPECT_FALSE(Decode(sized(4096, 2)).isNull());
    EXPECT_TRUE(Decode(sized(0, 4)).isNull());
    EXPECT_TRUE(Decode(sized(4, 0)).isNull());
    EXPECT_TRUE(Decode(sized(-4, 4)).isNull());
    EXPECT_TRUE(Decode(sized(4, std::numeric_limits<qint32>::min())).isNull());

    Bmp good = sized(4, 4);
    EXPECT_FALSE(Decode(good).isNull());
    QByteArray file = good.Build();
    EXPECT_TRUE(DecodeBmp(file.left(30)).isNull()) << "truncated header";
    EXPECT_TRUE(DecodeBmp(QByteArray()).isNull());
    EXPECT_TRUE(DecodeBmp("BM").isNull());
    file[0] = 'X';
    EXPECT_TRUE(DecodeBmp(file).isNull()) << "not a bitmap";
    // A pixel offset that lies is read as Qt's reader reads it: from where the pixels really start.
    for (quint32 offset : {quint32(good.Build().size()), 0xFFFFFFF0u, 20u}) {
        Bmp b = good;
        b.offset = offset;
        EXPECT_EQ(Decode(b).size(), QSize(4, 4)) << "pixel offset " << offset;
    }
    Bmp lie = good;
    lie.sizeImage = 0xFFFFFFFF;
    EXPECT_FALSE(Decode(lie).isNull()) << "the image size field is not trusted either way";

    // Headers, depths and compressions that are not skin material.
    for (auto change : std::vector<std::function<void(Bmp&)>>{
             [](Bmp& b) { b.headerSize = 20; }, [](Bmp& b) { b.bpp = 2; }, [](Bmp& b) { b.compression = 4; },
             [](Bmp& b) { b.compression = 1; },  // run-length needs 8 bits
             [](Bmp& b) { b.compression = 3; }}) {  // bit fields need 16 or 32 bits
        Bmp b = good;
        change(b);
        EXPECT_TRUE(Decode(b).isNull());
    }
    Bmp fields = good;  // a plain header that promises masks the file does not hold
    fields.bpp = 32;
    fields.compression = 3;
    EXPECT_TRUE(DecodeBmp(fields.Build().left(14 + 40 + 4)).isNull());
}

// What common tools write and other readers show: ImageMagick run-length codes each row to its
// padded stride (a run one pixel past an odd width), and files often stop a few bytes short.
TEST(SkinBitmap, PicturesOtherReadersShowAreAccepted) {
    const auto p = Palette(16);
    // 3 x 2: each row one run of four (the padded stride), then end of line; end of picture.
    const QByteArray padded("\x04\x01\x00\x00\x04\x02\x00\x00\x00\x01", 10);
    Bmp written = Rle(3, 2, 8, padded);
    written.colorsUsed = 16;  // ImageMagick states its colour count
    QImage image = DecodeBmp(written.Build());
    ASSERT_EQ(image.size(), QSize(3, 2));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(image.pixel(x, 1), p[1]) << x;
        EXPECT_EQ(image.pixel(x, 0), p[2]) << x;
    }
    // 3 x 3 at 24 bits, the last row's padding and its last pixel missing.
    Bmp rows;
    rows.width = 3;
    rows.height = 3;
    rows.pixels = Rows(3, 3, 24, [](int x, int y) { return quint32(0x102030 * (x + 1) + y); });
    const QByteArray full = rows.Build();
    image = DecodeBmp(full.left(full.size() - 6));
    ASSERT_EQ(image.size(), QSize(3, 3));
    EXPECT_EQ(image.pixel(0, 2) & 0xFFFFFF, 0x102030u + 2) << "the bottom row, stored first";
    EXPECT_EQ(image.pixel(2, 1) & 0xFFFFFF, 0x102030u * 3 + 1);
}

TEST(SkinBitmap, RunLengthOverrunsAreRefused) {
    const std::pair<const char*, QByteArray> cases[] = {
        {"run past the row", QByteArray("\x07\x01\x00\x01", 4)},
        {"literal past the row", QByteArray("\x00\x04\x01\x01\x01\x01\x00\x00\x00\x04\x01\x01\x01\x01", 14)},
        {"jump past the top", QByteArray("\x00\x02\x00\x05\x01\x01\x00\x01", 8)},
        {"jump past the right", QByteArray("\x00\x02\x09\x00\x00\x01", 6)},
        {"run after the last row", QByteArray("\x00\x00\x00\x00\x02\x01\x00\x01", 8)},
        {"data ends before the last row", QByteArray("\x02\x01\x00\x00", 4)},
        {"literal bytes missing", QByteArray("\x00\x03\x01", 3)},
        {"jump bytes missing", QByteArray("\x00\x02\x01", 3)},
    };
    for (const auto& [what, stream] : cases) EXPECT_TRUE(DecodeBmp(Rle(3, 2, 8, stream).Build()).isNull()) << what;
    Bmp topDown = Rle(3, 2, 8, QByteArray("\x00\x01", 2));
    topDown.height = -2;
    EXPECT_TRUE(DecodeBmp(topDown.Build()).isNull()) << "run-length pictures are never top-down";
    EXPECT_FALSE(DecodeBmp(Rle(3, 2, 8, QByteArray("\x03\x01\x00\x00\x03\x02\x00\x00", 8)).Build()).isNull())
        << "every row ended, no end mark: accepted";
}

// A 4 x 2 one-bit cursor: screen-through, inverting, white and black pixels.
QByteArray MonoCursor(int hotX, int hotY) {
    const QByteArray xorRows = Rows(4, 2, 1, [](int x, int y) { return quint32(y == 0 ? (x == 0 || x == 2) : x % 2); });
    const QByteArray andRows = Rows(4, 2, 1, [](int x, int y) { return quint32(y == 0 && (x == 1 || x == 2)); });
    return Cur({{4, 2, hotX, hotY, CursorDib(4, 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}, xorRows, andRows)}});
}

TEST(SkinCursorFile, MaskDecidesTransparencyAndHotspotComesFromTheDirectory) {
    const CursorImage c = DecodeCursorImage(MonoCursor(3, 1));
    ASSERT_FALSE(c.image.isNull());
    EXPECT_EQ(c.hotspot, QPoint(3, 1));
    EXPECT_EQ(c.image.pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(qAlpha(c.image.pixel(1, 0)), 0) << "screen shows through";
    EXPECT_EQ(c.image.pixel(2, 0), qRgba(0, 0, 0, 255)) << "an inverting pixel is drawn black";
    EXPECT_EQ(c.image.pixel(3, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(c.image.pixel(1, 1), qRgba(255, 255, 255, 255));
    QCursor cursor;
    ASSERT_TRUE(DecodeCursor(MonoCursor(3, 1), &cursor));
    EXPECT_EQ(cursor.hotSpot(), QPoint(3, 1));
    EXPECT_EQ(DecodeCursorImage(MonoCursor(900, 40)).hotspot, QPoint(3, 1)) << "kept inside the picture";
}

TEST(SkinCursorFile, EveryDepthAndPng) {
    // The masked column is black in the picture, so it is see-through rather than inverting.
    const QByteArray mask = Rows(3, 2, 1, [](int x, int) { return quint32(x == 2); });
    for (int bpp : {4, 8, 24}) {
        SCOPED_TRACE(bpp);
        const bool indexed = bpp <= 8;
        std::vector<QRgb> palette = indexed ? Palette(1 << bpp) : std::vector<QRgb>{};
        if (indexed) palette[0] = qRgb(0, 0, 0);
        const QByteArray xorRows =
            Rows(3, 2, bpp, [&](int x, int y) { return x == 2 ? 0u : indexed ? quint32(x + y) : 0x123456u; });
        const CursorImage c = DecodeCursorImage(Cur({{3, 2, 0, 0, CursorDib(3, 2, bpp, palette, xorRows, mask)}}));
        ASSERT_FALSE(c.image.isNull());
        EXPECT_EQ(c.image.pixel(1, 1), indexed ? palette[2] : qRgb(0x12, 0x34, 0x56));
        EXPECT_EQ(qAlpha(c.image.pixel(2, 0)), 0);
    }
    // 32 bits with alpha need no mask; without any alpha the mask still counts.
    QByteArray argb = Rows(3, 2, 32, [](int x, int) { return x == 0 ? 0x80FF0000u : 0u; });
    CursorImage c = DecodeCursorImage(Cur({{3, 2, 0, 0, CursorDib(3, 2, 32, {}, argb, {})}}));
    ASSERT_FALSE(c.image.isNull());
    EXPECT_EQ(c.image.pixel(0, 0), qRgba(255, 0, 0, 0x80));
    argb = Rows(3, 2, 32, [](int x, int) { return x == 2 ? 0u : 0x0000FF00u; });
    c = DecodeCursorImage(Cur({{3, 2, 0, 0, CursorDib(3, 2, 32, {}, argb, mask)}}));
    EXPECT_EQ(c.image.pixel(0, 0), qRgba(0, 255, 0, 255));
    EXPECT_EQ(qAlpha(c.image.pixel(2, 1)), 0);
    EXPECT_TRUE(DecodeCursorImage(Cur({{3, 2, 0, 0, CursorDib(3, 2, 32, {}, argb, {})}})).image.isNull())
        << "no alpha and no mask: truncated";

    QImage png(5, 7, QImage::Format_ARGB32);
    png.fill(Qt::transparent);
    png.setPixel(4, 6, qRgba(1, 2, 3, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    png.save(&buffer, "PNG");
    c = DecodeCursorImage(Cur({{5, 7, 2, 3, bytes}}));
    ASSERT_EQ(c.image.size(), QSize(5, 7));
    EXPECT_EQ(c.image.pixel(4, 6), qRgba(1, 2, 3, 255));
    EXPECT_EQ(c.hotspot, QPoint(2, 3));
}

QByteArray Solid(int size, int bpp, QRgb colour) {
    const QByteArray xorRows = Rows(size, size, bpp, [&](int, int) { return bpp == 1 ? 1u : (colour & 0xFFFFFF); });
    return CursorDib(size, size, bpp, bpp == 1 ? std::vector<QRgb>{0, colour} : std::vector<QRgb>{}, xorRows,
                     Rows(size, size, 1, [](int, int) { return 0u; }));
}

TEST(SkinCursorFile, BestEntryIsChosenAndLyingEntriesAreSkipped) {
    const QRgb red = qRgb(255, 0, 0), blue = qRgb(0, 0, 255), green = qRgb(0, 255, 0);
    CursorImage c = DecodeCursorImage(Cur({{16, 16, 0, 0, Solid(16, 24, red)}, {32, 32, 0, 0, Solid(32, 24, blue)},
                                           {48, 48, 0, 0, Solid(48, 24, red)}}));
    EXPECT_EQ(c.image.pixel(0, 0), blue) << "nearest to 32 x 32";
    c = DecodeCursorImage(Cur({{32, 32, 0, 0, Solid(32, 1, red)}, {32, 32, 0, 0, Solid(32, 24, green)}}));
    EXPECT_EQ(c.image.pixel(0, 0), green) << "then the most colours";

    const QByteArray good = Solid(32, 24, blue);
    const quint32 past = 1000000;
    for (const CurEntry& liar : {CurEntry{32, 32, 0, 0, good, std::nullopt, past}, CurEntry{32, 32, 0, 0, good, 0x00FFFFFF, std::nullopt},
                                 CurEntry{32, 32, 0, 0, good, 0xFFFFFFFF, std::nullopt}, CurEntry{32, 32, 0, 0, good, std::nullopt, 2}}) {
        EXPECT_TRUE(DecodeCursorImage(Cur({liar})).image.isNull());
        c = DecodeCursorImage(Cur({liar, {16, 16, 0, 0, Solid(16, 24, red)}}));
        EXPECT_EQ(c.image.pixel(0, 0), red) << "the honest entry is used";
    }
    // A directory counting more entries than the file holds still yields the ones present.
    QByteArray more = Cur({{32, 32, 0, 0, good}});
    more[4] = 9;
    EXPECT_TRUE(DecodeCursorImage(more).image.isNull()) << "entry 1's data now overlaps the directory";
    more = Cur({{32, 32, 0, 0, good}}).left(6 + 10);
    EXPECT_TRUE(DecodeCursorImage(more).image.isNull());

    EXPECT_TRUE(DecodeCursorImage(Cur({{32, 32, 0, 0, good}}, 1)).image.isNull()) << "an icon is not a cursor";
    EXPECT_TRUE(DecodeCursorImage(Cur({{32, 32, 0, 0, Solid(300, 24, red)}})).image.isNull()) << "too large";
    QByteArray odd = Solid(32, 24, red);
    odd.replace(8, 4, QByteArray("\xC0\xFF\xFF\xFF", 4));  // height -64
    EXPECT_TRUE(DecodeCursorImage(Cur({{32, 32, 0, 0, odd}})).image.isNull());
    EXPECT_TRUE(DecodeCursorImage(Cur({{32, 32, 0, 0, Solid(32, 24, red).left(40 + 32 * 96)}})).image.isNull())
        << "mask missing";
}

TEST(SkinFuzz, MutatedBitmapsAndCursorsNeverCrash) {
    std::vector<QByteArray> seeds = {
        Indexed(9, 5, 8, [](int x, int y) { return quint32(x * y); }, 256).Build(),
        Indexed(9, 5, 1, [](int x, int) { return quint32(x & 1); }, 2).Build(),
        Rle(6, 3, 8, QByteArray("\x03\x01\x00\x03\x02\x03\x04\x00\x00\x00\x00\x02\x03\x01\x02\x05\x00\x01", 18)).Build(),
        Rle(5, 2, 4, QByteArray("\x05\x12\x00\x00\x00\x05\x34\x56\x70\x00\x00\x01", 12)).Build(),
        MonoCursor(1, 1),
        Cur({{32, 32, 0, 0, Solid(32, 24, 0xFF00FF)}, {16, 16, 0, 0, Solid(16, 8, 0xFF00FF)}}),
    };
    Bmp fields;
    fields.width = 7;
    fields.height = 3;
    fields.bpp = 16;
    fields.compression = 3;
    fields.headerSize = 124;
    fields.masks = {0xF800, 0x07E0, 0x001F};
    fields.pixels = Rows(7, 3, 16, [](int x, int y) { return quint32(x * 997 + y); });
    seeds.push_back(fields.Build());

    std::mt19937 random(20240611);
    const quint32 interesting[] = {0, 1, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFFFF, 4097, 40, 124};
    int decoded = 0;
    for (int i = 0; i < 6000; ++i) {
        QByteArray bytes = seeds[i % seeds.size()];
        const int edits = 1 + int(random() % 4);
        for (int e = 0; e < edits && !bytes.isEmpty(); ++e) {
            const int at = int(random() % bytes.size());
            switch (random() % 4) {
                case 0: bytes[at] = char(random()); break;
                case 1: bytes.truncate(at); break;
                case 2:
                    if (at + 4 <= bytes.size()) {
                        QByteArray word;
                        Put32(word, interesting[random() % std::size(interesting)]);
                        bytes.replace(at, 4, word);
                    }
                    break;
                default: bytes.append(QByteArray(int(random() % 64), char(random())));
            }
        }
        const QImage image = DecodeBmp(bytes);
        const CursorImage cursor = DecodeCursorImage(bytes);
        if (!image.isNull()) {
            ++decoded;
            ASSERT_LE(image.width(), kMaxBitmapSide);
            ASSERT_LE(image.height(), kMaxBitmapSide);
        }
        if (!cursor.image.isNull()) {
            ASSERT_TRUE(cursor.image.rect().contains(cursor.hotspot));
        }
    }
    EXPECT_GT(decoded, 0) << "the mutations should leave some files readable";
}

TEST(SkinColours, HexToColorQuirks) {
    quint32 c = 0x12345678;
    for (const char* unchanged : {"#00FF0", "00FF0", "", "#", "#12345"}) {
        HexToColor(QLatin1String(unchanged), c);
        EXPECT_EQ(c, 0x12345678u) << unchanged;
    }
    HexToColor(QStringLiteral("2F2B66"), c);
    EXPECT_EQ(c, 0x00662B2Fu);
    HexToColor(QStringLiteral("#00ff00 trailing"), c);
    EXPECT_EQ(c, 0x0000FF00u) << "lower case and characters after the sixth";
    HexToColor(QStringLiteral("GGGGGG"), c);  // "G" counts 16: each pair 272, carrying into the next byte
    EXPECT_EQ(c, 272u + 256u * 272u + 65536u * 272u);
    EXPECT_EQ(ColorFromWord(c), QColor(0x10, 0x11, 0x11));
    HexToColor(QStringLiteral("      "), c);  // below "0": negative digits wrap as a 32-bit word
    EXPECT_EQ(c, quint32(-272 + 256 * -272 + 65536 * -272));
    EXPECT_TRUE(ColorFromWord(c).isValid());
    HexToColor(QStringLiteral("ßß0000"), c);  // no change of length while upper-casing
    EXPECT_TRUE(ColorFromWord(c).isValid());
    EXPECT_EQ(ColorFromWord(0x00662B2F), QColor(0x2F, 0x2B, 0x66));
}

TEST(SkinColours, PleditLines) {
    const PlaylistColors defaults = PlaylistColorsFromLines({});
    EXPECT_EQ(defaults.Normal, 0x00662B2Fu);
    EXPECT_EQ(defaults.NormalBG, 0x00E3B3A1u);
    EXPECT_EQ(defaults.Current, 0x00003500u);
    EXPECT_EQ(defaults.SelectedBG, 0x00B57E62u);
    EXPECT_EQ(defaults.MBFG, defaults.Normal);
    EXPECT_EQ(defaults.MBBG, defaults.NormalBG);

    const PlaylistColors c = PlaylistColorsFromLines({"[Text]", "normal=#00FF00", "NormalBG=#000080", "MBBG=000000",
                                                      "Current=#12345", "SelectedBG= #FFFFFF", "Font=Arial",
                                                      "MBFG=#0000FF=#FF0000"});
    EXPECT_EQ(c.Normal, 0x0000FF00u) << "the key ignores case";
    EXPECT_EQ(c.NormalBG, 0x00800000u) << "NORMALBG is not NORMAL";
    EXPECT_EQ(c.MBBG, c.NormalBG) << "black counts as unset";
    EXPECT_EQ(c.Current, defaults.Current) << "too short: unchanged";
    // Not trimmed: " #FFFFFF" keeps its space, so the "#" is not leading and " #FFFF" is read.
    quint32 spaced = 0;
    HexToColor(QStringLiteral(" #FFFFFF"), spaced);
    EXPECT_EQ(c.SelectedBG, spaced);
    EXPECT_EQ(c.MBFG, 0x00FF0000u) << "the value starts after the first \"=\"";
}

TEST(SkinFolder, LookupIgnoresCaseAndPrefersTheExactName) {
    testing_support::TempFolder dir;
    dir.write("MAIN.BMP", "a");
    dir.write("pledit.TXT", "b");
    QDir(dir.path()).mkpath("numbers.bmp");
    EXPECT_EQ(FindFileNoCase(dir.path(), "main.bmp"), dir.file("MAIN.BMP"));
    EXPECT_EQ(FindFileNoCase(dir.path() + "/", "Pledit.txt"), dir.file("pledit.TXT"));
    EXPECT_TRUE(FindFileNoCase(dir.path(), "numbers.bmp").isEmpty()) << "a folder is not a file";
    EXPECT_TRUE(FindFileNoCase(dir.path(), "volume.bmp").isEmpty());
    EXPECT_TRUE(FindFileNoCase(dir.path(), "../" + QDir(dir.path()).dirName() + "/MAIN.BMP").isEmpty());
    EXPECT_TRUE(FindFileNoCase(dir.path() + "/missing", "main.bmp").isEmpty());
    dir.write("main.bmp", "c");
    EXPECT_EQ(FindFileNoCase(dir.path(), "main.bmp"), dir.file("main.bmp"));
}

TEST(SkinLibrary, MissingOrForeignLibrariesGiveNothing) {
    testing_support::TempFolder dir;
    EXPECT_TRUE(BuiltInSkinResource(dir.file("skins.dll"), "BITMAP", "main").isEmpty());
    dir.write("skins.dll", "not a library");
    EXPECT_TRUE(BuiltInSkinResource(dir.file("skins.dll"), "BITMAP", "main").isEmpty());
    Dl_info info{};
    ASSERT_NE(dladdr(reinterpret_cast<void*>(&dlopen), &info), 0);
    EXPECT_TRUE(BuiltInSkinResource(QString::fromLocal8Bit(info.dli_fname), "BITMAP", "main").isEmpty())
        << "a library without the export";
}

TEST(SkinLibrary, BuiltInSkinHasEveryPictureAndCursor) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    for (const char* name : {"balance", "cbuttons", "main", "monoster", "numbers", "playpaus", "posbar", "shufrep", "text",
                             "titlebar", "volume", "pledit", "eqmain", "eq_ex", "avs", "mb"})
        EXPECT_FALSE(DecodeBmp(BuiltInSkinResource(kBuiltInLibrary, "BITMAP", name)).isNull()) << name;
    EXPECT_EQ(DecodeBmp(BuiltInSkinResource(kBuiltInLibrary, "bitmap", "CButtons")),
              DecodeBmp(BuiltInSkinResource(kBuiltInLibrary, "BITMAP", "cbuttons")));
    for (const char* name : {"NORMAL", "VOLBAL", "TITLEBAR", "PSIZE", "PVSCROLL", "WSCLOSE"})
        EXPECT_FALSE(DecodeCursorImage(BuiltInSkinResource(kBuiltInLibrary, "CURSOR", name)).image.isNull()) << name;
}

TEST(SkinCursorSlots, SlotsOutsideOneToSixAreIgnored) {
    SetSkinCursor(0, QCursor(Qt::CrossCursor));
    SetSkinCursor(7, QCursor(Qt::CrossCursor));
    EXPECT_FALSE(HasSkinCursor(0));
    EXPECT_EQ(SkinCursor(7).shape(), Qt::ArrowCursor);
    SetSkinCursor(3, QCursor(Qt::CrossCursor));
    EXPECT_EQ(SkinCursor(3).shape(), Qt::CrossCursor);
    ClearSkinCursor(3);
    EXPECT_FALSE(HasSkinCursor(3));
    EXPECT_EQ(SkinCursor(3).shape(), Qt::ArrowCursor);
}

}  // namespace
