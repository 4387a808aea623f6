// TDisplay's skin loading against a private install folder: which file fills which bitmap,
// the digits rule, the built-in skin standing in, cursors and UseCursor, Pledit.txt, reload.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <sys/stat.h>

#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/browser/form5.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/skin/canvas.h"
#include "player/skin/sheet_fit.h"
#include "player/skin/skin_files.h"
#include "tests/skin_fixtures.h"
#include "tests/test_support.h"

using namespace skin_fixtures;

namespace {

const QString kBuiltInLibrary = QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/skins.dll");

// A w x h 24-bit sheet; colour(x) paints each column.
QByteArray Sheet(int w, int h, const std::function<QRgb(int)>& colour) {
    Bmp b;
    b.width = w;
    b.height = h;
    b.pixels = Rows(w, h, 24, [&](int x, int) { return colour(x) & 0xFFFFFF; });
    return b.Build();
}
QByteArray Sheet(QRgb colour) {
    return Sheet(4, 3, [=](int) { return colour; });
}

QByteArray MonoCursor(int hotX, int hotY) {
    const QByteArray xorRows = Rows(4, 2, 1, [](int, int) { return 1u; });
    const QByteArray andRows = Rows(4, 2, 1, [](int, int) { return 0u; });
    return Cur({{4, 2, hotX, hotY, CursorDib(4, 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}, xorRows, andRows)}});
}

// A 3 x 2 run-length picture as ImageMagick writes one: its colour count stated.
Bmp RunLength(const QByteArray& stream) {
    Bmp b;
    b.width = 3;
    b.height = 2;
    b.bpp = 8;
    b.compression = 1;
    b.palette = Palette(16);
    b.colorsUsed = 16;
    b.pixels = stream;
    return b;
}

TEST(SkinBitmap, PixelCapHoldsForEitherReader) {
    Bmp b;
    b.width = 100;
    b.height = 100;
    b.pixels = Rows(100, 100, 24, [](int, int) { return 0x445566u; });
    EXPECT_FALSE(DecodeBmp(b.Build(), 10000).isNull());
    EXPECT_TRUE(DecodeBmp(b.Build(), 9999).isNull());
    const QByteArray shortFile = b.Build().left(b.Build().size() - 7);  // read by Qt's reader
    EXPECT_FALSE(DecodeBmp(shortFile, 10000).isNull());
    EXPECT_TRUE(DecodeBmp(shortFile, 9999).isNull());
    Bmp padded = RunLength(QByteArray("\x04\x01\x00\x00\x04\x02\x00\x00\x00\x01", 10));
    EXPECT_FALSE(DecodeBmp(padded.Build(), 6).isNull());
    EXPECT_TRUE(DecodeBmp(padded.Build(), 5).isNull());
}

// A skin folder is untrusted: a name may lead to a FIFO (which would wait for a writer forever)
// or a device (which never ends).
TEST(SkinFolder, OnlyRegularFilesAreReadAndNoMoreThanTheLimit) {
    testing_support::TempFolder dir;
    dir.write("main.bmp", "0123456789");
    EXPECT_EQ(ReadSkinFile(dir.file("main.bmp"), 10), QByteArray("0123456789"));
    EXPECT_TRUE(ReadSkinFile(dir.file("main.bmp"), 9).isEmpty()) << "over the limit";
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.file("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir.file("fifo"), dir.file("text.bmp")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir.file("volume.bmp")));
    EXPECT_TRUE(ReadSkinFile(dir.file("fifo"), 1 << 20).isEmpty());
    EXPECT_TRUE(ReadSkinFile(dir.file("text.bmp"), 1 << 20).isEmpty()) << "a link to a FIFO";
    EXPECT_TRUE(ReadSkinFile(dir.file("volume.bmp"), 1 << 20).isEmpty()) << "a link to a device";
    EXPECT_TRUE(ReadSkinFile(dir.path(), 1 << 20).isEmpty()) << "a folder";
    EXPECT_TRUE(ReadSkinFile(dir.file("missing.bmp"), 1 << 20).isEmpty());
}

class SkinLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int slot = 1; slot <= 6; ++slot) ClearSkinCursor(slot);
    }
    void TearDown() override {
        delete PlaylistWindow;
        Ctrl = nullptr;
    }
    void Skin(const QString& name, const QByteArray& bytes) const { dir_.write("skins/default/" + name, bytes); }
    void Unskin(const QString& name) const { QFile::remove(dir_.file("skins/default/" + name)); }
    void Start(const QByteArray& setup = QByteArray()) {
        dir_.write("setup.ini", setup);
        ctrl_ = std::make_unique<TCtrl>();
        Ctrl = ctrl_.get();
        Ctrl->Init(dir_.path() + "/");
    }
    bool CopyBuiltInLibrary() const {
        QDir().mkpath(dir_.file("Plugins"));
        return QFile::copy(kBuiltInLibrary, dir_.file("Plugins/skins.dll"));
    }
    static QImage BuiltIn(const char* name) { return DecodeBmp(BuiltInSkinResource(kBuiltInLibrary, "BITMAP", name)); }
    // A loaded sheet's pixels, whatever form it is kept in.
    static QImage Pixels(const QImage& sheet) { return sheet.convertToFormat(QImage::Format_RGB32); }
    TDisplay& D() const { return *Ctrl->Display; }

    testing_support::TempFolder dir_;
    std::unique_ptr<TCtrl> ctrl_;
};

struct MainSheet {
    const char* file;  // as a skin from Windows might spell it
    QImage TDisplay::*field;
};
const MainSheet kMainSheets[] = {
    {"BALANCE.BMP", &TDisplay::BalanceBmp}, {"Cbuttons.Bmp", &TDisplay::CbuttonsBmp}, {"main.bmp", &TDisplay::MainBmp},
    {"MonoSter.bmp", &TDisplay::MonosterBmp}, {"NUMS_EX.bmp", &TDisplay::NumbersBmp}, {"PlayPaus.BMP", &TDisplay::PlaypausBmp},
    {"posbar.BMP", &TDisplay::PosbarBmp},   {"ShufRep.bmp", &TDisplay::ShufrepBmp},   {"TEXT.bmp", &TDisplay::TextBmp},
    {"TitleBar.bmp", &TDisplay::TitlebarBmp}, {"VOLUME.bmp", &TDisplay::VolumeBmp},
};

TEST_F(SkinLoadingTest, StartLoadsTheElevenMainSheetsWhateverTheirCase) {
    for (size_t i = 0; i < std::size(kMainSheets); ++i) Skin(kMainSheets[i].file, Sheet(qRgb(10 * int(i), 7, 200)));
    Skin("pledit.bmp", Sheet(qRgb(1, 2, 3)));
    Start();
    for (size_t i = 0; i < std::size(kMainSheets); ++i) {
        const QImage& image = D().*kMainSheets[i].field;
        ASSERT_FALSE(image.isNull()) << kMainSheets[i].file;
        EXPECT_EQ(image.pixel(0, 0), qRgb(10 * int(i), 7, 200)) << kMainSheets[i].file;
    }
    EXPECT_TRUE(D().PleditBmp.isNull()) << "the playlist sheet waits for its window";
    EXPECT_EQ(Ctrl->SkinCursors, 1);
}

TEST_F(SkinLoadingTest, DigitsPreferNumsExAndReloadReadsTheFolderAgain) {
    Skin("nums_ex.bmp", Sheet(qRgb(0, 0, 255)));
    Skin("Numbers.bmp", Sheet(qRgb(255, 0, 0)));
    Skin("main.bmp", Sheet(qRgb(0, 255, 0)));
    Start();
    EXPECT_EQ(D().NumbersBmp.pixel(0, 0), qRgb(0, 0, 255));
    Unskin("nums_ex.bmp");
    Skin("main.bmp", Sheet(qRgb(9, 9, 9)));
    D().ReloadSkin();
    EXPECT_EQ(D().NumbersBmp.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(D().MainBmp.pixel(0, 0), qRgb(9, 9, 9));
}

TEST_F(SkinLoadingTest, WithoutTheLibraryMissingOrHostileSheetsStayEmpty) {
    Skin("main.bmp", Sheet(5000, 10, [](int) { return qRgb(1, 1, 1); }));
    Skin("text.bmp", Sheet(qRgb(0, 128, 0)).left(40));
    Skin("volume.bmp", Sheet(qRgb(4, 5, 6)));
    Start();
    EXPECT_TRUE(D().MainBmp.isNull());
    EXPECT_TRUE(D().TextBmp.isNull());
    EXPECT_TRUE(D().NumbersBmp.isNull());
    EXPECT_EQ(D().VolumeBmp.pixel(0, 0), qRgb(4, 5, 6));
}

TEST_F(SkinLoadingTest, TheBuiltInSkinStandsInForMissingAndHostileSheets) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    ASSERT_TRUE(CopyBuiltInLibrary());
    Skin("main.bmp", Sheet(5000, 10, [](int) { return qRgb(1, 1, 1); }));
    Skin("volume.bmp", Sheet(qRgb(4, 5, 6)));
    Start();
    EXPECT_EQ(Pixels(D().NumbersBmp), BuiltIn("numbers")) << "neither nums_ex.bmp nor numbers.bmp";
    EXPECT_EQ(Pixels(D().MainBmp), BuiltIn("main"));
    EXPECT_EQ(D().VolumeBmp.pixel(0, 0), qRgb(4, 5, 6));
    Skin("nums_ex.bmp", "damaged");
    D().ReloadSkin();
    EXPECT_EQ(Pixels(D().NumbersBmp), BuiltIn("numbers")) << "a damaged nums_ex.bmp";
    Skin("numbers.bmp", Sheet(99, 13, [](int) { return qRgb(7, 8, 9); }));
    D().ReloadSkin();
    EXPECT_EQ(D().NumbersBmp.pixel(95, 5), qRgb(7, 8, 9)) << "a damaged nums_ex.bmp beside a sound numbers.bmp";
    for (int slot = 1; slot <= 6; ++slot) EXPECT_TRUE(HasSkinCursor(slot)) << slot;
}

// A sheet cut too small for the rectangles read from it would leave the windows blank there.
TEST_F(SkinLoadingTest, TheBuiltInSkinFillsWhatASheetCutTooSmallLacks) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    ASSERT_TRUE(CopyBuiltInLibrary());
    Skin("main.bmp", Sheet(1, 1, [](int) { return qRgb(200, 0, 0); }));
    // Wide enough for the title row's corner (0..25) and its filler, not for the right edge.
    Skin("pledit.bmp", Sheet(160, 42, [](int) { return qRgb(0, 0, 200); }));
    Start();
    EXPECT_EQ(Pixels(D().MainBmp), BuiltIn("main")) << "a 1 x 1 sheet holds none of its rectangles";
    D().LoadSkinBitmap(D().PleditBmp, "pledit");
    const QImage builtIn = BuiltIn("pledit");
    ASSERT_GE(D().PleditBmp.width(), builtIn.width());
    ASSERT_GE(D().PleditBmp.height(), builtIn.height());
    EXPECT_EQ(D().PleditBmp.pixel(5, 5), qRgb(0, 0, 200)) << "the corner lies inside the sheet";
    EXPECT_EQ(D().PleditBmp.pixel(140, 30), qRgb(0, 0, 200)) << "the inactive filler too";
    EXPECT_EQ(D().PleditBmp.pixel(155, 5), builtIn.pixel(155, 5)) << "the right corner (153..178) is cut off";
    EXPECT_EQ(D().PleditBmp.pixel(30, 50), builtIn.pixel(30, 50)) << "the right edge lies below the sheet";
}

// Sheets of few colours are kept as colour indices; every copy from one must still draw the
// pixels of the picture it came from, and a picture of many colours must not lose any.
TEST(CompactSheets, CopiesFromAnIndexedSheetDrawThePixelsOfThePicture) {
    QImage picture(40, 20, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 8 * 30, y % 4 * 60, (x + y) % 5 * 50));
    const QImage sheet = CompactSheet(picture);
    EXPECT_EQ(sheet.format(), QImage::Format_Indexed8);
    EXPECT_EQ(sheet.convertToFormat(QImage::Format_RGB32), picture);

    const auto drawn = [](const QImage& source, const QRect& dst, const QRect& src) {
        QImage target(60, 40, QImage::Format_RGB32);
        target.fill(qRgb(1, 2, 3));
        CopyRect(target, dst, source, src);
        return target;
    };
    const std::pair<QRect, QRect> copies[] = {
        {QRect(5, 5, 10, 8), QRect(3, 2, 10, 8)},     // a plain piece
        {QRect(0, 0, 30, 16), QRect(10, 4, 15, 8)},   // stretched twice over
        {QRect(20, 10, 12, 12), QRect(34, 14, 12, 12)},  // running past the sheet's edge
    };
    for (const auto& [dst, src] : copies)
        EXPECT_EQ(drawn(sheet, dst, src), drawn(picture, dst, src)) << dst.x() << "," << dst.y();

    QImage many(300, 1, QImage::Format_RGB32);
    for (int x = 0; x < many.width(); ++x) many.setPixel(x, 0, qRgb(x % 256, x / 256, 0));
    const QImage kept = CompactSheet(many);
    EXPECT_EQ(kept.format(), QImage::Format_RGB32) << "257 colours and more stay as they are";
    EXPECT_EQ(kept, many);
}

// Names that lead to a FIFO or a device must neither stall the start nor read without end.
TEST_F(SkinLoadingTest, FifosAndDevicesCountAsMissing) {
    if (!QFile::exists(kBuiltInLibrary)) GTEST_SKIP() << "the built-in skin library is not built";
    ASSERT_TRUE(CopyBuiltInLibrary());
    QDir().mkpath(dir_.file("skins/default"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir_.file("fifo")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(dir_.file("fifo"), dir_.file("skins/default/main.bmp")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir_.file("skins/default/text.bmp")));
    ASSERT_TRUE(QFile::link("/dev/zero", dir_.file("skins/default/Pledit.txt")));
    Start();
    EXPECT_EQ(Pixels(D().MainBmp), BuiltIn("main"));
    EXPECT_EQ(Pixels(D().TextBmp), BuiltIn("text"));
    D().LoadPlaylistColors();
    EXPECT_EQ(D().NormalBG, QColor(0xA1, 0xB3, 0xE3)) << "the default colours";
}

// A 2048 x 2048 run-length sheet takes some 40 KB on disk and 16 MB decoded: sixteen of them must
// not add up.
TEST_F(SkinLoadingTest, OneSkinAsAWholeStaysUnderItsPixelCap) {
    QByteArray stream;
    for (int y = 0; y < 2048; ++y) {
        for (int i = 0; i < 8; ++i) stream += QByteArray("\xFF\x01", 2);
        stream += QByteArray("\x08\x01\x00\x00", 4);
    }
    stream += QByteArray("\x00\x01", 2);
    Bmp big;
    big.width = 2048;
    big.height = 2048;
    big.bpp = 8;
    big.compression = 1;
    big.palette = Palette(4);
    big.pixels = stream;
    const QByteArray file = big.Build();
    ASSERT_EQ(DecodeBmp(file, qint64(2048) * 2048).size(), QSize(2048, 2048));
    for (const char* name : {"avs", "balance", "cbuttons", "eqmain", "eq_ex", "main", "mb", "monoster", "numbers",
                             "playpaus", "pledit", "posbar", "shufrep", "text", "titlebar", "volume"})
        Skin(QString::fromLatin1(name) + ".bmp", file);
    Start();
    TDisplay& d = D();
    d.LoadSkinBitmap(d.PleditBmp, "pledit");
    d.LoadSkinBitmap(d.EqmainBmp, "eqmain");
    d.LoadSkinBitmap(d.EqExBmp, "eq_ex");
    d.LoadSkinBitmap(d.AvsBmp, "avs");
    d.LoadSkinBitmap(d.MbBmp, "mb");
    d.ReloadSkin();
    qint64 total = 0;
    int loaded = 0;
    for (const QImage* sheet : {&d.AvsBmp, &d.BalanceBmp, &d.CbuttonsBmp, &d.EqmainBmp, &d.EqExBmp, &d.MainBmp, &d.MbBmp,
                                &d.MonosterBmp, &d.NumbersBmp, &d.PlaypausBmp, &d.PleditBmp, &d.PosbarBmp, &d.ShufrepBmp,
                                &d.TextBmp, &d.TitlebarBmp, &d.VolumeBmp}) {
        total += qint64(sheet->width()) * sheet->height();
        loaded += !sheet->isNull();
    }
    EXPECT_LE(total, kMaxSkinPixels);
    EXPECT_GE(loaded, 1) << "a sheet within the cap still loads";
}

TEST_F(SkinLoadingTest, CursorsComeFromTheSkinAndEmptySlotsShowTheArrow) {
    Skin("Normal.CUR", MonoCursor(3, 1));
    Skin("volbal.cur", "not a cursor");
    Start();
    ASSERT_TRUE(HasSkinCursor(1));
    EXPECT_EQ(SkinCursor(1).hotSpot(), QPoint(3, 1));
    EXPECT_EQ(SkinCursor(1).pixmap().size(), QSize(4, 2));
    EXPECT_FALSE(HasSkinCursor(2)) << "a damaged file, and no built-in cursor to stand in";
    EXPECT_EQ(SkinCursor(2).shape(), Qt::ArrowCursor);
}

TEST_F(SkinLoadingTest, UseCursorOffLeavesTheSlotsAloneAtStartAndReload) {
    Skin("normal.cur", MonoCursor(3, 1));
    SetSkinCursor(1, QCursor(Qt::CrossCursor));
    Start("UseCursor=0\r\n");
    EXPECT_EQ(Ctrl->SkinCursors, 0);
    EXPECT_EQ(SkinCursor(1).shape(), Qt::CrossCursor);
    D().ReloadSkin();
    EXPECT_EQ(SkinCursor(1).shape(), Qt::CrossCursor);
    EXPECT_FALSE(HasSkinCursor(2));
}

TEST_F(SkinLoadingTest, PlaylistColoursFromPleditInEitherEncoding) {
    Start();
    D().LoadPlaylistColors();
    EXPECT_EQ(D().Normal, QColor(0x2F, 0x2B, 0x66)) << "no file: defaults";
    EXPECT_EQ(D().MBFG, D().Normal);
    QString error;
    QDir().mkpath(dir_.file("skins/default"));
    ASSERT_TRUE(platform::WriteTextLines(dir_.file("skins/default/PLEDIT.TXT"),
                                         {"[Text]", "; 播放列表颜色", "normal=#00FF00", "MBBG=000000", "NormalBG=#102030"}, &error))
        << error.toStdString();
    D().LoadPlaylistColors();
    EXPECT_EQ(D().Normal, QColor(0, 255, 0));
    EXPECT_EQ(D().NormalBG, QColor(0x10, 0x20, 0x30));
    EXPECT_EQ(D().MBBG, D().NormalBG);
    // A marked UTF-8 file: the mark must not hide the first key.
    Skin("PLEDIT.TXT", "\xEF\xBB\xBF" "Current=#0000FF\r\n");
    D().LoadPlaylistColors();
    EXPECT_EQ(D().Current, QColor(0, 0, 255));
    EXPECT_EQ(D().Normal, QColor(0x2F, 0x2B, 0x66));
}

TEST_F(SkinLoadingTest, ReloadDrawsThePlayingCellsOnlyWhileATrackPlays) {
    const QRgb play = qRgb(0, 200, 0), blank = qRgb(50, 50, 50), mark = qRgb(200, 0, 200);
    Skin("playpaus.bmp", Sheet(42, 9, [&](int x) { return x < 9 ? play : x < 27 ? qRgb(1, 1, 1) : x < 36 ? blank : mark; }));
    Start();
    const QRgb background = qRgb(255, 255, 0);
    D().MainBuffer = QImage(275, 116, QImage::Format_RGB32);
    D().MainBuffer.fill(background);
    D().ReloadSkin();
    EXPECT_NE(D().MainBuffer.pixel(30, 32), play) << "stopped: no indicator drawn";
    Ctrl->Run->Position = 1500;
    D().ReloadSkin();
    EXPECT_EQ(D().MainBuffer.pixel(27, 28), play);
    EXPECT_EQ(D().MainBuffer.pixel(34, 36), play);
    EXPECT_EQ(D().MainBuffer.pixel(24, 28), mark);
    EXPECT_EQ(D().MainBuffer.pixel(26, 36), mark) << "the mark is drawn last, over the symbol's first column";
    EXPECT_EQ(D().MainBuffer.pixel(35, 28), background);
}

TEST_F(SkinLoadingTest, ReloadLoadsThePlaylistSheetOnlyWhenItsWindowIsOpen) {
    Skin("pledit.bmp", Sheet(qRgb(7, 8, 9)));
    Start();
    D().ReloadSkin();
    EXPECT_TRUE(D().PleditBmp.isNull());
    PlaylistWindow = new QWidget;
    D().ReloadSkin();
    EXPECT_EQ(D().PleditBmp.pixel(0, 0), qRgb(7, 8, 9));
}

TEST_F(SkinLoadingTest, ReloadReadsTheEqualiserSheetsOnlyWhenItsWindowIsOpen) {
    Skin("eqmain.bmp", Sheet(qRgb(1, 2, 3)));
    Skin("eq_ex.bmp", Sheet(qRgb(4, 5, 6)));
    Start();
    D().ReloadSkin();
    EXPECT_TRUE(D().EqmainBmp.isNull());
    EXPECT_TRUE(D().EqExBmp.isNull());
    EqualizerWindow = new QWidget;
    D().ReloadSkin();
    EXPECT_EQ(D().EqmainBmp.pixel(0, 0), qRgb(1, 2, 3));
    EXPECT_EQ(D().EqExBmp.pixel(0, 0), qRgb(4, 5, 6)) << "its extra sheet too";
    delete EqualizerWindow;
}

TEST_F(SkinLoadingTest, ReloadReadsTheVideoFrameSheetOnceItWasMade) {
    Skin("avs.bmp", Sheet(qRgb(7, 7, 1)));
    Start();
    D().ReloadSkin();
    EXPECT_TRUE(D().AvsBmp.isNull()) << "no video window was ever built";
    D().AvsBmp = QImage(2, 2, QImage::Format_RGB32);
    D().AvsBmp.fill(Qt::black);
    D().ReloadSkin();
    EXPECT_EQ(D().AvsBmp.pixel(0, 0), qRgb(7, 7, 1));
}

TEST_F(SkinLoadingTest, ReloadReadsTheBrowserSheetOnlyWhenTheBrowserIsOpen) {
    Skin("mb.bmp", Sheet(qRgb(9, 1, 9)));
    Start();
    D().ReloadSkin();
    EXPECT_TRUE(D().MbBmp.isNull());
    Form5 = new TForm5;
    D().ReloadSkin();
    EXPECT_EQ(D().MbBmp.pixel(0, 0), qRgb(9, 1, 9));
    delete Form5;
}

TEST_F(SkinLoadingTest, ReloadRedrawsThePlugInEnginesRates) {
    Skin("text.bmp", Sheet(155, 18, [](int x) { return qRgb(x, 255 - x, 40); }));
    Start();
    D().MainBuffer = QImage(275, 116, QImage::Format_RGB32);
    D().MainBuffer.fill(qRgb(255, 255, 0));
    const QImage blank = D().MainBuffer.copy();
    D().ReloadSkin();
    EXPECT_EQ(D().MainBuffer, blank) << "nothing plays: no rates";
    Ctrl->Run->EngineCode = Engine::Winamp;
    D().ReloadSkin();
    const QImage reloaded = D().MainBuffer.copy();
    EXPECT_NE(reloaded, blank);
    D().DrawBitrate(128, 44);
    EXPECT_EQ(D().MainBuffer, reloaded) << "128 kbps and 44 kHz";
    Ctrl->Run->EngineCode = Engine::None;
}

}  // namespace
