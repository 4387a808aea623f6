// The built-in skin library Plugins/skins.dll, loaded from the built install folder: every sheet
// and cursor it hands out, checked against the layout table the player's copies come from.
#include "plugins/skins/skin_layout.h"
#include "plugins/skins/skins_dll.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <dlfcn.h>
#include <string>

using namespace skin_layout;

namespace {

quint32 le(const QByteArray& b, int at, int bytes) {
    quint32 v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
    return v;
}

QImage part(const QImage& img, Rect r) { return img.copy(r.left, r.top, r.width(), r.height()); }

// Compared by a plain bool so a failure prints the message, not the image objects' bytes.
bool same(const QImage& a, const QImage& b) { return a == b; }

std::string describe(const char* what, Rect r) {
    return std::string(what) + " (" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " +
           std::to_string(r.right) + ", " + std::to_string(r.bottom) + ")";
}

// Share of pixels that differ between two same-sized pictures.
double differingShare(const QImage& a, const QImage& b) {
    int differ = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) differ += a.pixel(x, y) != b.pixel(x, y);
    return differ / double(a.width() * a.height());
}

class BuiltinSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        handle_ = dlopen(VELMORA_BUILT_INSTALL_DIR "/Plugins/skins.dll", RTLD_NOW | RTLD_LOCAL);
        if (handle_ != nullptr) find_ = reinterpret_cast<FindSkinResourceFn>(dlsym(handle_, "FindSkinResource"));
    }
    static void TearDownTestSuite() {
        if (handle_ != nullptr) dlclose(handle_);
        handle_ = nullptr;
        find_ = nullptr;
    }
    void SetUp() override { ASSERT_NE(find_, nullptr) << "Plugins/skins.dll or its export is missing: " << dlerror(); }

    static QByteArray resource(const char* type, const char* name) {
        const unsigned char* data = nullptr;
        unsigned int size = 0;
        if (find_(type, name, &data, &size) != 1) return {};
        return QByteArray(reinterpret_cast<const char*>(data), static_cast<int>(size));
    }
    static QImage sheet(Sheet s) {
        return QImage::fromData(resource("BITMAP", sheetInfo(s).name), "BMP").convertToFormat(QImage::Format_RGB32);
    }

    static inline void* handle_ = nullptr;
    static inline FindSkinResourceFn find_ = nullptr;
};

}  // namespace

TEST(BuiltinSkinLayout, EveryRectangleLiesInsideItsSheetAndPairsMatchInSize) {
    for (const Piece& piece : kPieces) {
        const SheetInfo& s = sheetInfo(piece.sheet);
        for (int k = 0; k < piece.count; ++k) {
            const Rect r = piece.at(k);
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= s.width && r.bottom <= s.height &&
                        r.width() > 0 && r.height() > 0)
                << s.name << ": " << describe(piece.what, r) << " #" << k;
        }
    }
    for (const PressedPair& pair : kPressedPairs) {
        for (const auto& [sheet, r] : {std::pair{pair.normalSheet, pair.normal}, std::pair{pair.pressedSheet, pair.pressed}}) {
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= sheetInfo(sheet).width && r.bottom <= sheetInfo(sheet).height)
                << describe(pair.what, r);
        }
        EXPECT_EQ(pair.normal.width(), pair.pressed.width()) << pair.what;
        EXPECT_EQ(pair.normal.height(), pair.pressed.height()) << pair.what;
    }
    for (std::size_t i = 0; i < kSheets.size(); ++i) EXPECT_EQ(static_cast<std::size_t>(kSheets[i].sheet), i);
}

TEST_F(BuiltinSkin, EverySheetIsABottomUp24BitBitmapOfItsLayoutSizeUnderAnyCase) {
    for (const SheetInfo& s : kSheets) {
        const QByteArray bytes = resource("BITMAP", s.name);
        ASSERT_FALSE(bytes.isEmpty()) << s.name;
        EXPECT_EQ(resource("BITMAP", QByteArray(s.name).toUpper().constData()), bytes) << s.name;
        QByteArray mixed(s.name);
        mixed[0] = static_cast<char>(mixed[0] - 'a' + 'A');
        EXPECT_EQ(resource("bitmap", mixed.constData()), bytes) << s.name;

        ASSERT_GE(bytes.size(), 54) << s.name;
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(le(bytes, 2, 4), quint32(bytes.size())) << s.name;
        EXPECT_EQ(le(bytes, 14, 4), 40u) << s.name;
        EXPECT_EQ(le(bytes, 18, 4), quint32(s.width)) << s.name;
        EXPECT_EQ(le(bytes, 22, 4), quint32(s.height)) << s.name << ": rows must be stored bottom-up";
        EXPECT_EQ(le(bytes, 28, 2), 24u) << s.name;
        EXPECT_EQ(le(bytes, 30, 4), 0u) << s.name << ": must be uncompressed";
        const quint32 stride = (s.width * 3 + 3) & ~3u;
        EXPECT_EQ(le(bytes, 10, 4) + stride * s.height, quint32(bytes.size())) << s.name;

        const QImage img = QImage::fromData(bytes, "BMP");
        ASSERT_FALSE(img.isNull()) << s.name;
        EXPECT_EQ(img.size(), QSize(s.width, s.height)) << s.name;
    }
}

TEST_F(BuiltinSkin, UnknownNamesAndWrongTypesFindNothing) {
    const unsigned char* data = reinterpret_cast<const unsigned char*>("untouched");
    unsigned int size = 77;
    for (const auto& [type, name] : std::initializer_list<std::pair<const char*, const char*>>{
             {"BITMAP", "nums_ex"}, {"BITMAP", ""}, {"BITMAP", "main.bmp"}, {"BITMAP", "mai"}, {"BITMAP", "mainx"},
             {"BITMAP", "normal"}, {"CURSOR", "main"}, {"ICON", "main"}, {"", "main"}, {"BITMAPS", "main"}}) {
        EXPECT_EQ(find_(type, name, &data, &size), 0) << type << " " << name;
    }
    EXPECT_EQ(size, 77u);
    EXPECT_EQ(find_(nullptr, "main", &data, &size), 0);
    EXPECT_EQ(find_("BITMAP", nullptr, &data, &size), 0);
    EXPECT_EQ(find_("BITMAP", "main", nullptr, &size), 0);
    EXPECT_EQ(find_("BITMAP", "main", &data, nullptr), 0);

    // One name, two types: the title-bar cursor is not the title-bar sheet.
    EXPECT_EQ(resource("BITMAP", "titlebar").left(2), "BM");
    EXPECT_EQ(resource("CURSOR", "titlebar").left(4), QByteArray("\0\0\2\0", 4));
}

TEST_F(BuiltinSkin, PressedPicturesDifferFromTheirRestPictures) {
    for (const PressedPair& pair : kPressedPairs) {
        const QImage normal = part(sheet(pair.normalSheet), pair.normal);
        const QImage pressed = part(sheet(pair.pressedSheet), pair.pressed);
        ASSERT_EQ(normal.size(), pressed.size()) << pair.what;
        EXPECT_GT(differingShare(normal, pressed), 0.25) << pair.what << ": the pressed picture barely changes";
    }
}

TEST_F(BuiltinSkin, ActiveAndInactiveTitleBarsAreClearlyDifferent) {
    const struct { Sheet sheet; Rect active, inactive; const char* what; } kBars[] = {
        {Sheet::TitleBar, {27, 0, 302, 14}, {27, 15, 302, 29}, "main"},
        {Sheet::TitleBar, {27, 29, 302, 42}, {27, 43, 302, 56}, "main, shaded"},
        {Sheet::PlEdit, {0, 0, 178, 14}, {0, 21, 178, 35}, "playlist"},
        {Sheet::PlEdit, {99, 42, 149, 56}, {99, 57, 149, 71}, "playlist, shaded"},
        {Sheet::EqMain, {0, 134, 275, 147}, {0, 149, 275, 162}, "equaliser"},
        {Sheet::Mb, {0, 0, 178, 14}, {0, 21, 178, 35}, "browser"},
    };
    for (const auto& bar : kBars) {
        const QImage img = sheet(bar.sheet);
        EXPECT_GT(differingShare(part(img, bar.active), part(img, bar.inactive)), 0.5) << bar.what;
    }
}

TEST_F(BuiltinSkin, DigitsLettersAndSliderStepsCanBeToldApart) {
    const QImage numbers = sheet(Sheet::Numbers);
    for (int a = 0; a < 10; ++a)
        for (int b = a + 1; b < 10; ++b)
            EXPECT_FALSE(same(part(numbers, {9 * a, 0, 9 * a + 9, 13}), part(numbers, {9 * b, 0, 9 * b + 9, 13}))) << a << " " << b;
    // The minus sign is the 8's middle bar: it must be lit, not background.
    const QRgb background = numbers.pixel(0, 0);
    for (int x = 74; x < 79; ++x) EXPECT_NE(numbers.pixel(x, 6), background) << x;

    const QImage text = sheet(Sheet::Text);
    const QImage blank = part(text, {25, 12, 30, 18});
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(blank.pixel(x, y), blank.pixel(0, 0)) << "the blank cell must be plain";
    for (int a = 0; a < 26; ++a)
        for (int b = a + 1; b < 26; ++b)
            EXPECT_FALSE(same(part(text, {5 * a, 0, 5 * a + 5, 6}), part(text, {5 * b, 0, 5 * b + 5, 6}))) << char('A' + a) << char('A' + b);
    for (int a = 0; a < 10; ++a) {
        for (int b = a + 1; b < 10; ++b)
            EXPECT_FALSE(same(part(text, {5 * a, 6, 5 * a + 5, 12}), part(text, {5 * b, 6, 5 * b + 5, 12}))) << a << " " << b;
    }
    for (const Rect cell : {Rect{60, 6, 65, 12}, Rect{76, 6, 79, 12}, Rect{136, 6, 141, 12}, Rect{140, 6, 145, 12},
                            Rect{150, 6, 155, 12}, Rect{15, 12, 20, 18}, Rect{20, 12, 25, 18}, Rect{130, 0, 135, 6}})
        EXPECT_FALSE(same(part(text, cell), part(blank, {0, 0, cell.width(), 6}))) << describe("glyph", cell);

    // 28 slider steps each: neighbouring steps must show different pictures.
    const QImage volume = sheet(Sheet::Volume), balance = sheet(Sheet::Balance), eq = sheet(Sheet::EqMain);
    for (int k = 0; k + 1 < 28; ++k) {
        EXPECT_FALSE(same(part(volume, {0, 15 * k + 1, 67, 15 * k + 13}), part(volume, {0, 15 * k + 16, 67, 15 * k + 28}))) << k;
        EXPECT_FALSE(same(part(balance, {9, 15 * k + 1, 47, 15 * k + 13}), part(balance, {9, 15 * k + 16, 47, 15 * k + 28}))) << k;
        const auto eqStep = [&](int step) {
            const int y = step < 14 ? 164 : 229, x = 13 + 15 * (step % 14);
            return part(eq, {x, y, x + 14, y + 63});
        };
        EXPECT_FALSE(same(eqStep(k), eqStep(k + 1))) << k;
    }
}

// The small clocks (shaded main window, playlist) are text cells with a gap between minutes and
// seconds: the colon there comes from the picture underneath, drawn in the text font's own glyph.
TEST_F(BuiltinSkin, SmallClocksHaveTheirColonUnderTheGap) {
    using namespace skin_layout::indicators;
    const QImage colon = part(sheet(Sheet::Text), skin_layout::text_font::CellOf(U':'));
    const QImage bar = sheet(Sheet::TitleBar);
    for (const Rect shade : {titlebar::kShadeActive, titlebar::kShadeInactive}) {
        const int x = shade.left + ColonX(kShadeTimeX), y = shade.top + kShadeTimeTop;
        EXPECT_TRUE(same(part(bar, {x, y, x + 5, y + 6}), colon)) << describe("shade bar", shade);
    }
    // The playlist's bottom-right piece lies against the window's right and bottom edges.
    const Rect piece = skin_layout::playlist::kBottomRight;
    const int x = piece.right + ColonX(kClockX), y = piece.bottom + kClockTop;
    EXPECT_TRUE(same(part(sheet(Sheet::PlEdit), {x, y, x + 5, y + 6}), colon));
}

TEST_F(BuiltinSkin, PiecesMatchTheBackgroundsTheyAreDrawnOn) {
    const QImage main = sheet(Sheet::Main), bar = sheet(Sheet::TitleBar), pledit = sheet(Sheet::PlEdit);
    // Text cells land in display fields, and the blank cell wipes them: same colour, or boxes show.
    const QRgb blank = sheet(Sheet::Text).pixel(25, 12);
    const struct { const QImage& img; int x, y; const char* what; } kFields[] = {
        {main, 112, 27, "scrolling title"}, {main, 111, 43, "bit rate"}, {main, 160, 48, "sample rate"},
        {bar, 27 + 129, 29 + 4, "shade bar clock, active"}, {bar, 27 + 157, 42 + 9, "shade bar clock, inactive"},
        {pledit, 126 + 6, 72 + 10, "playlist times"}, {pledit, 126 + 96, 72 + 27, "playlist clock"},
    };
    for (const auto& field : kFields) EXPECT_EQ(field.img.pixel(field.x, field.y), blank) << field.what;
    EXPECT_EQ(sheet(Sheet::Numbers).pixel(0, 0), main.pixel(47, 26)) << "time digits";
    EXPECT_EQ(sheet(Sheet::PlayPaus).pixel(27, 0), main.pixel(24, 28)) << "play state";
    EXPECT_EQ(sheet(Sheet::MonoSter).pixel(0, 0), main.pixel(106 + 130, 41)) << "channel marks";

    // Pieces copied onto the window body carry the body's colour at their edges.
    const QImage buttons = sheet(Sheet::CButtons), posbar = sheet(Sheet::PosBar);
    const QImage volume = sheet(Sheet::Volume), balance = sheet(Sheet::Balance);
    for (int y = 0; y < 18; ++y)
        for (const int gap : {22, 45, 68, 91}) EXPECT_EQ(buttons.pixel(gap, y), main.pixel(15, 88 + y)) << "gap " << gap;
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(posbar.pixel(0, y), main.pixel(15, 72 + y)) << "seek track, row " << y;
        EXPECT_EQ(main.pixel(16, 72 + y), posbar.pixel(0, y)) << "the stopped window shows the same track";
    }
    for (int k = 0; k < 28; ++k)
        for (int r = 0; r < 12; ++r) {
            EXPECT_EQ(volume.pixel(0, 15 * k + 1 + r), main.pixel(106, 58 + r)) << "volume row " << k;
            EXPECT_EQ(balance.pixel(9, 15 * k + 1 + r), main.pixel(176, 58 + r)) << "balance row " << k;
        }
    EXPECT_EQ(volume.pixel(15, 422), main.pixel(106, 58)) << "thumb corner";
    EXPECT_EQ(posbar.pixel(248, 0), main.pixel(15, 72)) << "seek thumb corner";

    // The menu button is put back at rest from its own cell onto the active bar.
    EXPECT_TRUE(same(part(bar, {0, 0, 9, 9}), part(bar, {33, 3, 42, 12})));
}

TEST_F(BuiltinSkin, StretchedAndTiledPiecesKeepOneProfile) {
    // Pieces the player stretches or repeats along one direction must look the same at every
    // step along it, or the frame shows seams and smears.
    const struct { Sheet sheet; Rect r; bool alongX; const char* what; } kPiecesToCheck[] = {
        {Sheet::Avs, {66, 0, 80, 15}, true, "video top middle"},
        {Sheet::Avs, {66, 16, 80, 21}, true, "video bottom middle"},
        {Sheet::Avs, {0, 16, 7, 188}, false, "video left side"},
        {Sheet::Avs, {8, 17, 14, 188}, false, "video right side"},
        {Sheet::PlEdit, {127, 0, 152, 41}, true, "playlist title fillers"},
        {Sheet::PlEdit, {179, 0, 203, 38}, true, "playlist bottom filler"},
        {Sheet::PlEdit, {72, 57, 97, 71}, true, "playlist shade filler"},
        {Sheet::PlEdit, {0, 42, 12, 70}, false, "playlist left edge"},
        {Sheet::PlEdit, {26, 42, 51, 70}, false, "playlist right edge"},
        {Sheet::Mb, {127, 0, 152, 41}, true, "browser title fillers"},
        {Sheet::Mb, {127, 81, 152, 119}, true, "browser bottom filler"},
        {Sheet::Mb, {127, 42, 147, 71}, false, "browser sides"},
    };
    for (const auto& piece : kPiecesToCheck) {
        const QImage img = part(sheet(piece.sheet), piece.r);
        const int steps = piece.alongX ? img.width() : img.height();
        for (int i = 1; i < steps; ++i) {
            const QImage first = piece.alongX ? img.copy(0, 0, 1, img.height()) : img.copy(0, 0, img.width(), 1);
            const QImage here = piece.alongX ? img.copy(i, 0, 1, img.height()) : img.copy(0, i, img.width(), 1);
            EXPECT_TRUE(same(first, here)) << piece.what << " changes at step " << i;
        }
    }
}

TEST_F(BuiltinSkin, CursorsAreWindowsCursorFilesWithTheirHotSpots) {
    for (const CursorInfo& c : kCursors) {
        const QByteArray bytes = resource("CURSOR", c.name);
        ASSERT_FALSE(bytes.isEmpty()) << c.name;
        EXPECT_EQ(resource("cursor", QByteArray(c.name).toLower().constData()), bytes) << c.name;
        ASSERT_GE(bytes.size(), 22 + 40) << c.name;
        EXPECT_EQ(le(bytes, 0, 2), 0u);
        EXPECT_EQ(le(bytes, 2, 2), 2u) << c.name << ": not a cursor file";
        EXPECT_EQ(le(bytes, 4, 2), 1u);
        EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 32);
        EXPECT_EQ(static_cast<unsigned char>(bytes[7]), 32);
        const int hotX = static_cast<int>(le(bytes, 10, 2)), hotY = static_cast<int>(le(bytes, 12, 2));
        EXPECT_EQ(hotX, c.hotX) << c.name;
        EXPECT_EQ(hotY, c.hotY) << c.name;
        ASSERT_TRUE(hotX < 32 && hotY < 32) << c.name;
        const quint32 length = le(bytes, 14, 4), offset = le(bytes, 18, 4);
        ASSERT_EQ(offset + length, quint32(bytes.size())) << c.name;
        EXPECT_EQ(le(bytes, offset, 4), 40u);
        EXPECT_EQ(le(bytes, offset + 4, 4), 32u);
        EXPECT_EQ(le(bytes, offset + 8, 4), 64u) << c.name << ": colour and mask rows";
        ASSERT_EQ(le(bytes, offset + 14, 2), 32u) << c.name;
        ASSERT_EQ(length, 40u + 32 * 32 * 4 + 32 * 4) << c.name;

        // Colour rows and mask rows are stored bottom-up; the mask must agree with the alpha.
        const auto alpha = [&](int x, int y) { return static_cast<unsigned char>(bytes[offset + 40 + ((31 - y) * 32 + x) * 4 + 3]); };
        const auto masked = [&](int x, int y) {
            const unsigned char bits = static_cast<unsigned char>(bytes[offset + 40 + 4096 + (31 - y) * 4 + x / 8]);
            return (bits & (0x80 >> (x % 8))) != 0;
        };
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                EXPECT_EQ(masked(x, y), alpha(x, y) == 0) << c.name << " at " << x << "," << y;
                opaque += alpha(x, y) != 0;
            }
        EXPECT_GT(opaque, 40) << c.name;
        EXPECT_LT(opaque, 32 * 32 / 2) << c.name;
        EXPECT_NE(alpha(hotX, hotY), 0) << c.name << ": the hot spot must lie on the shape";
    }
}
