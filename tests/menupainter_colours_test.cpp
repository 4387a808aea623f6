// The colour and bitmap helpers against hand-computed values.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPalette>

#include "menupainter/colours.h"
#include "tests/test_pictures.h"

using namespace menupainter;

namespace {

QColor Rgb(int r, int g, int b) { return QColor(r, g, b); }

QImage Filled(int w, int h, const QColor& colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

// Collects Qt warnings, so a read outside an image shows as a failure.
QStringList* g_warnings = nullptr;
void CollectWarnings(QtMsgType, const QMessageLogContext&, const QString& text) {
    if (g_warnings) g_warnings->append(text);
}

}  // namespace

TEST(MenuColours, DarkenKeepsTwoMoreGreenAndClamps) {
    EXPECT_EQ(DarkenColor(Rgb(200, 200, 200), 10), Rgb(190, 192, 190));
    EXPECT_EQ(DarkenColor(Rgb(0, 0, 0), 10), Rgb(0, 0, 0));
    EXPECT_EQ(DarkenColor(Rgb(255, 255, 255), 10), Rgb(245, 247, 245));
    // A negative amount brightens, clamped at 255.
    EXPECT_EQ(DarkenColor(Rgb(100, 100, 100), -40), Rgb(140, 142, 140));
    EXPECT_EQ(DarkenColor(Rgb(250, 240, 250), -10), Rgb(255, 252, 255));
}

TEST(MenuColours, LightenRoundsHalvesToEvenAndCapsThePercentAt100) {
    EXPECT_EQ(LightenColor(Rgb(0, 0, 255), 50), Rgb(128, 128, 255));  // 127.5 -> 128
    EXPECT_EQ(LightenColor(Rgb(250, 250, 250), 50), Rgb(252, 252, 252));  // 2.5 -> 2
    EXPECT_EQ(LightenColor(Rgb(10, 36, 106), 68), Rgb(177, 185, 207));
    EXPECT_EQ(LightenColor(Rgb(12, 34, 56), 0), Rgb(12, 34, 56));
    EXPECT_EQ(LightenColor(Rgb(12, 34, 56), 100), Rgb(255, 255, 255));
    EXPECT_EQ(LightenColor(Rgb(12, 34, 56), 150), Rgb(255, 255, 255));
}

TEST(MenuColours, LightenWithANegativePercentDarkensAndClampsTheChannels) {
    // -5.5 -> -6, -15.5 -> -16, -20.5 -> -20 (halves to even)
    EXPECT_EQ(LightenColor(Rgb(200, 100, 50), -10), Rgb(194, 84, 30));
    EXPECT_EQ(LightenColor(Rgb(255, 255, 255), -10), Rgb(255, 255, 255));
    EXPECT_EQ(LightenColor(Rgb(10, 20, 30), -50), Rgb(0, 0, 0));
    EXPECT_EQ(LightenColor(Rgb(0, 0, 0), -200), Rgb(0, 0, 0));
    EXPECT_EQ(LightenColor(Rgb(250, 128, 5), -1000), Rgb(200, 0, 0));
}

TEST(MenuColours, GrayOfPureColoursAndItsCaps) {
    EXPECT_EQ(GrayColor(Rgb(255, 0, 0), 0), Rgb(85, 85, 85));
    EXPECT_EQ(GrayColor(Rgb(0, 255, 0), 10), Rgb(95, 95, 95));
    EXPECT_EQ(GrayColor(Rgb(0, 0, 255), 60), Rgb(145, 145, 145));
    EXPECT_EQ(GrayColor(Rgb(255, 255, 255), 60), Rgb(240, 240, 240));
    EXPECT_EQ(GrayColor(Rgb(0, 0, 0), 60), Rgb(60, 60, 60));
    EXPECT_EQ(GrayColor(Rgb(0, 0, 0), 150), Rgb(100, 100, 100));
}

TEST(MenuColours, SystemColourIsResolvedFromThePaletteBeforeArithmetic) {
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Button, Rgb(100, 150, 200));
    palette.setColor(QPalette::Active, QPalette::Highlight, Rgb(10, 36, 106));
    EXPECT_EQ(ColorToRGB(SystemColour::BtnFace, palette), Rgb(100, 150, 200));
    EXPECT_EQ(LightenColor(ColorToRGB(SystemColour::Highlight, palette), 68), Rgb(177, 185, 207));
    EXPECT_EQ(ColorToRGB(Rgb(1, 2, 3), palette), Rgb(1, 2, 3));
}

TEST(MenuBitmaps, GrayBitmapTurnsEveryBlackPixelToTheSameGrey) {
    QImage bitmap = Filled(4, 3, Qt::black);
    bitmap.setPixelColor(1, 0, Rgb(255, 0, 0));
    bitmap.setPixelColor(2, 2, Rgb(30, 60, 90));
    GrayBitmap(bitmap, 60);
    testing_support::NotePicture(bitmap);
    EXPECT_EQ(bitmap.pixelColor(0, 0), Rgb(60, 60, 60));  // the first pixel too
    EXPECT_EQ(bitmap.pixelColor(3, 2), Rgb(60, 60, 60));
    EXPECT_EQ(bitmap.pixelColor(1, 0), Rgb(145, 145, 145));
    EXPECT_EQ(bitmap.pixelColor(2, 2), Rgb(120, 120, 120));
}

TEST(MenuBitmaps, LightenBitmapKeepsAlphaAndCapsThePercent) {
    QImage bitmap = Filled(2, 2, Rgb(255, 0, 0));
    bitmap.setPixel(1, 1, qRgba(0, 0, 0, 0));
    LightenBitmap(bitmap, 30);
    EXPECT_EQ(bitmap.pixel(0, 0), qRgba(255, 76, 76, 255));  // 76.5 -> 76
    EXPECT_EQ(qAlpha(bitmap.pixel(1, 1)), 0);
    QImage capped = Filled(1, 1, Rgb(0, 0, 0));
    LightenBitmap(capped, 400);
    EXPECT_EQ(capped.pixelColor(0, 0), Rgb(255, 255, 255));
}

TEST(MenuBitmaps, TransparentDrawPaintsTheSilhouetteInOneColour) {
    QImage canvasImage = Filled(10, 10, Qt::white);
    QImage bitmap = Filled(3, 3, Qt::green);  // bottom-left is the key
    bitmap.setPixelColor(1, 0, Qt::black);
    bitmap.setPixelColor(2, 1, Qt::red);
    {
        QPainter canvas(&canvasImage);
        DrawBitmapTransparent(bitmap, canvas, 4, 5, Rgb(7, 8, 9));
    }
    testing_support::NotePicture(canvasImage);
    EXPECT_EQ(canvasImage.pixelColor(5, 5), Rgb(7, 8, 9));
    EXPECT_EQ(canvasImage.pixelColor(6, 6), Rgb(7, 8, 9));
    EXPECT_EQ(canvasImage.pixelColor(4, 5), QColor(Qt::white));
    EXPECT_EQ(canvasImage.pixelColor(4, 7), QColor(Qt::white));
}

TEST(MenuBitmaps, TransparentDrawTakesItsKeyFromTheBottomLeftCorner) {
    // Four corners of four colours: only the bottom-left one's colour is left out.
    QImage bitmap = Filled(4, 3, Qt::yellow);
    bitmap.setPixelColor(0, 0, Qt::red);
    bitmap.setPixelColor(3, 0, Qt::green);
    bitmap.setPixelColor(3, 2, Qt::blue);
    bitmap.setPixelColor(0, 2, Qt::cyan);
    bitmap.setPixelColor(2, 1, Qt::cyan);
    QImage canvasImage = Filled(8, 8, Qt::white);
    {
        QPainter canvas(&canvasImage);
        DrawBitmapTransparent(bitmap, canvas, 2, 3, Rgb(7, 8, 9));
    }
    testing_support::NotePicture(canvasImage);
    EXPECT_EQ(canvasImage.pixelColor(2, 5), QColor(Qt::white)) << "the bottom-left pixel is the key";
    EXPECT_EQ(canvasImage.pixelColor(4, 4), QColor(Qt::white)) << "and so is its colour elsewhere";
    EXPECT_EQ(canvasImage.pixelColor(2, 3), Rgb(7, 8, 9)) << "top-left";
    EXPECT_EQ(canvasImage.pixelColor(5, 3), Rgb(7, 8, 9)) << "top-right";
    EXPECT_EQ(canvasImage.pixelColor(5, 5), Rgb(7, 8, 9)) << "bottom-right";
    EXPECT_EQ(canvasImage.pixelColor(3, 4), Rgb(7, 8, 9));
}

TEST(MenuBitmaps, TransparentDrawOfAFlatOrEmptyBitmapDrawsNothing) {
    QImage canvasImage = Filled(6, 6, Qt::white);
    const QImage before = canvasImage;
    QStringList warnings;
    g_warnings = &warnings;
    const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
    {
        QPainter canvas(&canvasImage);
        DrawBitmapTransparent(Filled(3, 3, Qt::blue), canvas, 1, 1, Qt::black);
        DrawBitmapTransparent(QImage(), canvas, 1, 1, Qt::black);
        DrawBitmapTransparent(QImage(4, 0, QImage::Format_ARGB32), canvas, 1, 1, Qt::black);
    }
    qInstallMessageHandler(previous);
    g_warnings = nullptr;
    EXPECT_TRUE(testing_support::SameImage(canvasImage, before));
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(QStringLiteral("\n")).toStdString();
}
