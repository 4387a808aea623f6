// The shared test machinery: readable Qt values in failures, pictures kept from failed checks,
// and media encoded once and handed out as private copies.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <sys/stat.h>

#include "tests/media_fixtures.h"
#include "tests/skin_test_support.h"
#include "tests/test_support.h"

using ::testing::PrintToString;
using testing_support::TempFolder;

TEST(QtPrinters, TextShowsItsCharactersAndEscapes) {
    EXPECT_EQ(PrintToString(QString::fromUtf8("a\"b\r\n\xE4\xB8\xAD")), "\"a\\\"b\\r\\n\xE4\xB8\xAD\"");
    EXPECT_EQ(PrintToString(QString()), "QString(null)");
    EXPECT_EQ(PrintToString(QString("")), "\"\"");
    EXPECT_EQ(PrintToString(QByteArray("x\xB0\x01\t", 4)), "b\"x\\xB0\\x01\\t\"") << "bytes of any encoding";
    EXPECT_EQ(PrintToString(QStringList{"a", "b"}), "{ \"a\", \"b\" }") << "lists reach the text printer";
    EXPECT_EQ(PrintToString(QChar('z')), "'z' (U+007A)");
    EXPECT_EQ(PrintToString(QChar(0x1)), "'' (U+0001)");
}

TEST(QtPrinters, GeometryColoursAndImagesReadAsValues) {
    EXPECT_EQ(PrintToString(QRect(1, 2, 30, 40)), "QRect(1,2 30x40)");
    EXPECT_EQ(PrintToString(QRectF(0.5, 2, 3, 4)), "QRectF(0.5,2 3x4)");
    EXPECT_EQ(PrintToString(QPoint(-3, 7)), "QPoint(-3,7)");
    EXPECT_EQ(PrintToString(QPointF(1.5, 2)), "QPointF(1.5,2)");
    EXPECT_EQ(PrintToString(QSize(275, 116)), "QSize(275x116)");
    EXPECT_EQ(PrintToString(QSizeF(2.5, 1)), "QSizeF(2.5x1)");
    EXPECT_EQ(PrintToString(QColor(255, 0, 16)), "QColor(#ff0010)");
    EXPECT_EQ(PrintToString(QColor(0, 0, 0, 128)), "QColor(#80000000)") << "alpha shown when not opaque";
    EXPECT_EQ(PrintToString(QColor()), "QColor(invalid)");
    EXPECT_EQ(PrintToString(QImage(2, 3, QImage::Format_RGB32)), "QImage(2x3, Format_RGB32)");
    EXPECT_EQ(PrintToString(QImage()), "QImage(null)");
}

TEST(QtPrinters, AFailedComparisonNamesBothValues) {
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QString("abc"), QString("abd")), "\"abd\"");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QRect(0, 0, 1, 1), QRect(0, 0, 2, 1)), "QRect(0,0 2x1)");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(QColor(Qt::red), QColor(Qt::blue)), "QColor(#0000ff)");
}

TEST(PictureChecks, PixelIsSaysWhatItFound) {
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_TRUE(testing_support::PixelIs(image, 3, 3, Qt::red));
    const auto wrong = testing_support::PixelIs(image, 1, 2, QColor(0, 255, 0));
    EXPECT_FALSE(wrong);
    EXPECT_STREQ(wrong.message(), "pixel (1,2) is #ff0000, expected #00ff00");
    EXPECT_FALSE(testing_support::PixelIs(image, 4, 0, Qt::red)) << "outside the picture";
}

TEST(PictureChecks, SameImageNamesTheFirstDifference) {
    QImage drawn(3, 2, QImage::Format_RGB32);
    drawn.fill(Qt::white);
    QImage expected = drawn.copy();
    EXPECT_TRUE(testing_support::SameImage(drawn, expected));
    drawn.setPixel(2, 1, qRgb(0, 0, 0));
    drawn.setPixel(1, 1, qRgb(1, 2, 3));
    EXPECT_STREQ(testing_support::SameImage(drawn, expected).message(),
                 "first difference at (1,1): drawn #010203, expected #ffffff");
    EXPECT_STREQ(testing_support::SameImage(drawn, QImage(3, 3, QImage::Format_RGB32)).message(),
                 "drawn 3x2, expected 3x3");
}

TEST(PictureChecks, SavingTwiceKeepsOneFilePerDistinctPicture) {
    QImage image(5, 5, QImage::Format_RGB32);
    image.fill(Qt::green);
    const QString first = testing_support::SavePicture(image, "kept");
    EXPECT_TRUE(first.endsWith("/PictureChecks.SavingTwiceKeepsOneFilePerDistinctPicture-kept.png")) << qPrintable(first);
    EXPECT_EQ(QImage(first).pixelColor(2, 2), QColor(Qt::green));
    EXPECT_EQ(testing_support::SavePicture(image, "kept"), first) << "the same picture is not written again";
    image.fill(Qt::blue);
    const QString second = testing_support::SavePicture(image, "kept");
    EXPECT_TRUE(second.endsWith("-kept-2.png")) << qPrintable(second);
    EXPECT_EQ(QImage(first).pixelColor(2, 2), QColor(Qt::green)) << "the first stays";
    QFile::remove(first);
    QFile::remove(second);
}

TEST(PictureChecks, APassingTestKeepsNoPicture) {
    QImage image(2, 2, QImage::Format_RGB32);
    { testing_support::KeepPicturesOnFailure keep{{"unused", &image}}; }
    EXPECT_FALSE(QFile::exists(testing_support::PicturesFolder() + "/PictureChecks.APassingTestKeepsNoPicture-unused.png"));
}

// Run only as a second process by the test below: it fails on purpose.
TEST(FailingOnPurpose, DISABLED_LeavesPictures) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    EXPECT_EQ(skin_test::OriginAt(image, 1, 1), skin_test::From(skin_test::Main, 1, 1));
    image.fill(Qt::blue);  // the saved picture must be what the check saw
    QImage later(3, 3, QImage::Format_RGB32);
    later.fill(Qt::yellow);
    testing_support::KeepPicturesOnFailure keep{{"guarded", &later}};
}

TEST(PictureChecks, AFailedCheckLeavesThePictureItSaw) {
    const QString stem = testing_support::PicturesFolder() + "/FailingOnPurpose.DISABLED_LeavesPictures-";
    QDir().mkpath(testing_support::PicturesFolder());
    QFile stale(stem + "stale.png");
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    QProcess self;
    self.start(QCoreApplication::applicationFilePath(),
               {"--gtest_also_run_disabled_tests", "--gtest_filter=FailingOnPurpose.DISABLED_LeavesPictures"});
    ASSERT_TRUE(self.waitForFinished(60000));
    const QString output = QString::fromUtf8(self.readAllStandardOutput());
    EXPECT_NE(self.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("picture saved: " + stem + "picture1.png")) << output.toStdString();
    EXPECT_EQ(QImage(stem + "picture1.png").pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(QImage(stem + "guarded.png").pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_FALSE(QFile::exists(stem + "stale.png")) << "pictures of an earlier run go when the test starts";
    for (const char* name : {"picture1.png", "guarded.png"}) QFile::remove(stem + name);
}

class FailingSkinOnPurpose : public skin_test::SkinFixture {};
TEST_F(FailingSkinOnPurpose, DISABLED_LeavesTheMainWindow) {
    Open();
    ADD_FAILURE() << "on purpose";
}

TEST(PictureChecks, AFailedSkinTestLeavesTheMainWindow) {
    QProcess self;
    self.start(QCoreApplication::applicationFilePath(),
               {"--gtest_also_run_disabled_tests", "--gtest_filter=FailingSkinOnPurpose.DISABLED_LeavesTheMainWindow"});
    ASSERT_TRUE(self.waitForFinished(60000));
    const QString path =
        testing_support::PicturesFolder() + "/FailingSkinOnPurpose.DISABLED_LeavesTheMainWindow-main-window.png";
    const QImage saved(path);
    EXPECT_EQ(saved.size(), QSize(275, 116)) << self.readAllStandardOutput().toStdString();
    EXPECT_EQ(skin_test::OriginAt(saved, 100, 50), skin_test::From(skin_test::Main, 100, 50)) << "drawn from the skin";
    QFile::remove(path);
}

namespace {

QByteArray Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ino_t Inode(const QString& path) {
    struct stat s {};
    return ::stat(QFile::encodeName(path).constData(), &s) == 0 ? s.st_ino : 0;
}

}  // namespace

TEST(SharedMedia, EachCallerGetsItsOwnCopyOfOneEncoding) {
    TempFolder a, b;
    const QString first = MakeMedia(a.path(), "tone", MediaKind::Wav, 0.2);
    ASSERT_EQ(first, a.file("tone.wav"));
    const QByteArray made = Read(first);
    ASSERT_GT(made.size(), 1000);
    a.write("tone.wav", "edited by a test");
    const QString second = MakeMedia(b.path(), "other", MediaKind::Wav, 0.2);
    ASSERT_EQ(second, b.file("other.wav"));
    EXPECT_EQ(Read(second), made) << "an edit to one copy must not reach the next";
}

TEST(SharedMedia, ALengthOrKindMakesItsOwnFile) {
    TempFolder folder;
    const QByteArray shortTone = Read(MakeMedia(folder.path(), "short", MediaKind::Wav, 0.2));
    const QByteArray longTone = Read(MakeMedia(folder.path(), "long", MediaKind::Wav, 0.5));
    EXPECT_GT(longTone.size(), shortTone.size() + 40000);
    const QByteArray flac = Read(MakeMedia(folder.path(), "short", MediaKind::Flac, 0.2));
    EXPECT_TRUE(flac.startsWith("fLaC"));
    EXPECT_TRUE(shortTone.startsWith("RIFF"));
}

TEST(SharedMedia, AnExistingFileIsReplacedAndTheEncodingReused) {
    TempFolder folder;
    folder.write("tone.wav", "old");
    const QString path = MakeMedia(folder.path(), "tone", MediaKind::Wav, 0.2);
    EXPECT_TRUE(Read(path).startsWith("RIFF"));
    const QDir shared(VELMORA_TEST_MEDIA_DIR);
    const QStringList files = shared.entryList({"*.wav"}, QDir::Files);
    QString source;
    for (const QString& name : files)
        if (Read(shared.filePath(name)) == Read(path)) source = shared.filePath(name);
    ASSERT_FALSE(source.isEmpty()) << "the encoding is kept where other test processes find it";
    const ino_t before = Inode(source);
    MakeMedia(folder.path(), "again", MediaKind::Wav, 0.2);
    EXPECT_EQ(Inode(source), before) << "not encoded again";
}
