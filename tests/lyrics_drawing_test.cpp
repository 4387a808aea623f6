// The lyrics drawing: colours, layout, outlined text and the wipe, checked by pixels.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QSet>
#include <QWidget>

#include "player/lyrics/lrc_ctrl.h"
#include "player/skin/skin_window.h"
#include "tests/test_support.h"

using testing_support::TempFolder;

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

QSet<QRgb> ColoursIn(const QImage& image, int fromX = 0, int toX = -1) {
    QSet<QRgb> colours;
    if (toX < 0) toX = image.width();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = fromX; x < toX; ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
    }
    return colours;
}

class LyricsDrawing : public ::testing::Test {
protected:
    void SetUp() override { window.resize(640, 200); }
    // Lines of text chosen as the timer would, without any wipe step.
    void Show(const QString& upper, const QString& lower, TLrcSettings settings = {}) {
        ctrl->ApplySettings(settings, false);
        ctrl->UpperText = upper;
        ctrl->LowerText = lower;
        ctrl->UpperWidth = QFontMetrics(ctrl->UpperFont).horizontalAdvance(upper);
        ctrl->LowerWidth = QFontMetrics(ctrl->LowerFont).horizontalAdvance(lower);
        ctrl->DrawLines();
    }
    QRgb Rgb(quint32 windowsColour) const { return lyrics::ToRgb(windowsColour) & 0xFFFFFF; }

    QWidget window;
    std::unique_ptr<TLrcCtrl> ctrl = std::make_unique<TLrcCtrl>(&window);
};

TEST(LyricsColours, AColourEqualToTheBackgroundFlipsItsLowestRedBitWithoutCarry) {
    EXPECT_EQ(lyrics::DistinctFromBackground(0xFFFFFF, 0xFFFFFF), 0xFFFFFEu);  // white stays near white
    EXPECT_EQ(lyrics::DistinctFromBackground(0x0000FF, 0x0000FF), 0x0000FEu);  // red stays red
    EXPECT_EQ(lyrics::DistinctFromBackground(0xFF0000, 0xFF0000), 0xFF0001u);
    EXPECT_EQ(lyrics::DistinctFromBackground(0x00FFFF, 0), 0x00FFFFu);
    EXPECT_EQ(lyrics::ToRgb(0xFF0000) & 0xFFFFFF, 0x0000FFu);  // Windows values hold blue high
}

TEST_F(LyricsDrawing, TextIsDrawnInExactlyTheLineColours) {
    Show(U("Hello 歌词"), U("Next line"));
    const QSet<QRgb> expected{Rgb(0), Rgb(0xFF0000), Rgb(0xFFFFFF)};
    EXPECT_EQ(ColoursIn(ctrl->UpperImage), expected);
    EXPECT_EQ(ColoursIn(ctrl->LowerImage), expected);
}

TEST_F(LyricsDrawing, TheUpperLineIsLeftAlignedAndTheLowerLineRightAligned) {
    Show(U("Upper"), U("Lower"));
    const int w = window.width();
    const QSet<QRgb> background{Rgb(0)};
    EXPECT_EQ(ColoursIn(ctrl->UpperImage, 0, ctrl->LeftMargin), background);
    EXPECT_NE(ColoursIn(ctrl->UpperImage, ctrl->LeftMargin, ctrl->LeftMargin + ctrl->UpperWidth + 3), background);
    const int lowerLeft = w - ctrl->LowerWidth - 16 + (w + 1) % 2 - ctrl->LeftMargin;
    EXPECT_EQ(ColoursIn(ctrl->LowerImage, 0, lowerLeft), background);
    EXPECT_EQ(ColoursIn(ctrl->LowerImage, lowerLeft + ctrl->LowerWidth + 3), background);
}

TEST_F(LyricsDrawing, TheWipeRecoloursExactlyTheColumnsItPasses) {
    Show(U("Wipe me"), QString());
    ctrl->WipeColumn = 0;
    const int edge = ctrl->LeftMargin + ctrl->UpperWidth / 2;
    ctrl->WipeColumns(ctrl->UpperImage, edge);
    EXPECT_EQ(ctrl->WipeColumn, edge);
    const QSet<QRgb> sung = ColoursIn(ctrl->UpperImage, 0, edge);
    EXPECT_TRUE(sung.contains(Rgb(0x0000FF)) && sung.contains(Rgb(0x00FFFF)));
    EXPECT_FALSE(sung.contains(Rgb(0xFF0000)) || sung.contains(Rgb(0xFFFFFF)));
    const QSet<QRgb> unsung = ColoursIn(ctrl->UpperImage, edge);
    EXPECT_FALSE(unsung.contains(Rgb(0x0000FF)) || unsung.contains(Rgb(0x00FFFF)));
    ctrl->WipeColumns(ctrl->UpperImage, -5);  // going back moves the column only
    EXPECT_EQ(ctrl->WipeColumn, edge - 5);
    const QSet<QRgb> stillSung = ColoursIn(ctrl->UpperImage, edge - 5, edge);
    EXPECT_FALSE(stillSung.contains(Rgb(0xFF0000)) || stillSung.contains(Rgb(0xFFFFFF)));
}

TEST_F(LyricsDrawing, AWipePastTheImageEdgeIsClippedAndStillAdvances) {
    Show(QString(), QString());
    QImage& image = ctrl->UpperImage;
    const int w = image.width();
    image.setPixel(0, 1, ctrl->FontLeftColor);
    image.setPixel(w - 1, 0, ctrl->FontLeftColor);
    ctrl->WipeColumn = w - 2;
    ctrl->WipeColumns(image, 10);
    EXPECT_EQ(ctrl->WipeColumn, w + 8);
    EXPECT_EQ(image.pixel(w - 1, 0) & 0xFFFFFF, Rgb(0x0000FF));
    EXPECT_EQ(image.pixel(0, 1) & 0xFFFFFF, Rgb(0xFF0000));  // the next row's start is untouched
    image.setPixel(0, 0, ctrl->FontLeftColor);
    image.setPixel(3, 0, ctrl->FontLeftColor);
    ctrl->WipeColumn = -5;
    ctrl->WipeColumns(image, 8);
    EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFF, Rgb(0x0000FF));
    EXPECT_EQ(image.pixel(3, 0) & 0xFFFFFF, Rgb(0xFF0000));
}

TEST_F(LyricsDrawing, ASungFontColourEqualToTheUnsungFrameIsWipedOnToTheSungFrame) {
    // Each pixel is read again after its font step: sung text in the unsung frame colour goes on
    // to the sung frame colour.
    TLrcSettings settings;
    settings.FontRightColor = settings.FrameLeftColor;
    Show(QString(), QString(), settings);
    QImage& image = ctrl->UpperImage;
    image.setPixel(2, 0, ctrl->FontLeftColor);
    image.setPixel(3, 0, ctrl->FrameLeftColor);
    image.setPixel(4, 0, ctrl->FontRightColor);
    ctrl->WipeColumn = 0;
    ctrl->WipeColumns(image, 10);
    EXPECT_EQ(image.pixel(2, 0) & 0xFFFFFF, Rgb(0x00FFFF)) << "font-left, then frame-left: frame-right";
    EXPECT_EQ(image.pixel(3, 0) & 0xFFFFFF, Rgb(0x00FFFF));
    EXPECT_EQ(image.pixel(4, 0) & 0xFFFFFF, Rgb(0x00FFFF));
}

TEST_F(LyricsDrawing, TextInTheBackgroundColourIsBumpedAndStillWiped) {
    TLrcSettings settings;
    settings.BackgroundColor = 0xFF0000;  // blue, as the unsung text
    Show(U("Blue on blue"), QString(), settings);
    EXPECT_EQ(ctrl->FontLeftColor & 0xFFFFFF, Rgb(0xFF0001));
    EXPECT_TRUE(ColoursIn(ctrl->UpperImage).contains(Rgb(0xFF0001)));
    ctrl->WipeColumn = 0;
    ctrl->WipeColumns(ctrl->UpperImage, ctrl->UpperImage.width());
    EXPECT_FALSE(ColoursIn(ctrl->UpperImage).contains(Rgb(0xFF0001)));
    EXPECT_EQ(QColor::fromRgb(window.palette().color(QPalette::Window).rgb()), QColor(Qt::blue));
}

TEST_F(LyricsDrawing, TheLinesSitCentredWithASixteenCharacterBlock) {
    Show(U("x"), U("y"));
    const int unit = QFontMetrics(ctrl->UpperFont).horizontalAdvance(QChar(0x3000));
    const int h = ctrl->LineHeight();
    EXPECT_EQ(ctrl->LeftMargin, window.width() / 2 < 8 * unit + 7 ? 7 : window.width() / 2 - 8 * unit);
    EXPECT_EQ(ctrl->UpperTop, std::max((200 - 20) / 2 - h + 14, 15));
    EXPECT_EQ(ctrl->LowerTop, ctrl->UpperTop + h + 1);
    EXPECT_EQ(ctrl->VideoSize(), QSize(16 * unit, 2 * (h - 2)));
    window.resize(16 * unit + 13, 200);
    ctrl->Layout();
    EXPECT_EQ(ctrl->LeftMargin, 7);
}

TEST_F(LyricsDrawing, ALineTooLowIsPushedUpAboveTheBottom) {
    TLrcSettings settings;
    settings.AlignAuto = false;
    settings.AlignTop = 1000;
    settings.AlignLeft = 30;
    Show(U("x"), U("y"), settings);
    EXPECT_EQ(ctrl->LeftMargin, 30);
    EXPECT_EQ(ctrl->LowerTop, 200 - ctrl->LineHeight() - 5);
    EXPECT_EQ(ctrl->UpperTop, ctrl->LowerTop - ctrl->LineHeight());
}

TEST_F(LyricsDrawing, WithABackgroundPictureTheLinesSitNearTheBottom) {
    TempFolder dir;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    ASSERT_TRUE(picture.save(dir.file("back.png")));
    window.resize(640, 400);
    TLrcSettings settings;
    settings.UseBackgroundImage = true;
    settings.BackgroundImage = dir.file("back.png");
    ctrl->LoadBackground(settings);
    Show(U("On a picture"), QString(), settings);
    const int h = ctrl->LineHeight();
    EXPECT_EQ(ctrl->UpperTop, std::max(400 - 2 * h - 26, (400 - 20) / 2 - h + 14));
    const QImage shown = ctrl->Picture();
    EXPECT_EQ(shown.size(), QSize(640 - 14, 400 - 20));
    EXPECT_EQ(shown.pixel(5, 5) & 0xFFFFFF, 0x0AC81Eu);    // the picture
    EXPECT_EQ(shown.pixel(100, 5) & 0xFFFFFF, Rgb(0));     // the background beside it
    const QSet<QRgb> upperArea = ColoursIn(shown.copy(0, ctrl->UpperTop - 15, shown.width(), h));
    EXPECT_TRUE(upperArea.contains(Rgb(0xFF0000)));
}

TEST_F(LyricsDrawing, TheLinesCoverTheFrameInsideAndLetTheMouseThrough) {
    Show(U("x"), U("y"));
    const QList<QWidget*> children = window.findChildren<QWidget*>();
    ASSERT_EQ(children.size(), 1);
    EXPECT_EQ(children[0]->geometry(), QRect(7, 15, 640 - 14, 200 - 20));
    EXPECT_EQ(window.childAt(100, 100), nullptr);
}

TEST_F(LyricsDrawing, AWindowTooShortForTwoLinesIsMadeTaller) {
    window.resize(640, 30);
    int grown = 0;
    ctrl->WindowGrown = [&grown] { ++grown; };
    ctrl->ApplySettings(TLrcSettings{}, false);
    EXPECT_EQ(window.height(), 2 * ctrl->LineHeight() + 20);
    EXPECT_EQ(grown, 1);
}

TEST_F(LyricsDrawing, ChangingTheFontRewipesTheSungLineToItsColumn) {
    Show(U("Sung line"), U("Next"));
    ctrl->State = 0;
    ctrl->WipeColumn = 0;
    const int reached = ctrl->LeftMargin + 20;
    ctrl->WipeColumns(ctrl->UpperImage, reached);
    TLrcSettings bigger;
    bigger.FontSize = 24;
    ctrl->ApplySettings(bigger, true);
    EXPECT_EQ(ctrl->WipeColumn, reached);
    EXPECT_TRUE(ColoursIn(ctrl->UpperImage, 0, reached).contains(Rgb(0x0000FF)));
    EXPECT_FALSE(ColoursIn(ctrl->UpperImage, 0, reached).contains(Rgb(0xFF0000)));
}

// The video window's own surface holds the picture an engine draws frame by frame; the lines
// lie over it and cover nothing beside their text.
class LyricsOverVideo : public ::testing::Test {
protected:
    void SetUp() override {
        window.resize(640, 200);
        window.show();
    }
    void DrawFrame(QColor colour) {
        QImage frame(640 - 14, 200 - 20, QImage::Format_RGB32);
        frame.fill(colour);
        window.DrawOnWindow(QRect(QPoint(7, 15), frame.size()), frame, frame.rect());
    }
    void Show(const QString& upper, const QString& lower, const TLrcSettings& settings = {}) {
        ctrl->ApplySettings(settings, false);
        ctrl->UpperText = upper;
        ctrl->LowerText = lower;
        ctrl->UpperWidth = QFontMetrics(ctrl->UpperFont).horizontalAdvance(upper);
        ctrl->LowerWidth = QFontMetrics(ctrl->LowerFont).horizontalAdvance(lower);
        ctrl->DrawLines();
    }
    // A pixel of the upper line's text, in the line image.
    QPoint TextPixel() const {
        const QImage& image = ctrl->UpperImage;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == (ctrl->FontLeftColor | 0xFF000000u)) return {x, y};
        return {-1, -1};
    }
    QWidget* View() const { return window.findChild<QWidget*>(QStringLiteral("LyricsView")); }

    TSkinWindow window;
    std::unique_ptr<TLrcCtrl> ctrl = std::make_unique<TLrcCtrl>(&window);
};

TEST_F(LyricsOverVideo, TheLinesAreDrawnOverTheMovingPictureAndLeaveTheRestOfItSeen) {
    Show(U("Karaoke line"), U("Next one"));
    DrawFrame(QColor(20, 180, 40));
    const QPoint text = TextPixel();
    ASSERT_GE(text.x(), 0);
    const QImage shown = window.grab().toImage();
    const int row = ctrl->UpperTop + text.y();
    EXPECT_EQ(shown.pixel(7 + text.x(), row) & 0xFFFFFF, ctrl->FontLeftColor & 0xFFFFFF);
    EXPECT_EQ(shown.pixel(7 + 2, row) & 0xFFFFFF, 0x14B428u) << "the frame beside the text";
    EXPECT_EQ(shown.pixel(320, ctrl->LowerTop + 1) & 0xFFFFFF, 0x14B428u) << "the frame in the lower line's row";

    // Settings applied again as they were (a resize step) leave the frame of a paused video.
    ctrl->ApplySettings(TLrcSettings{}, true);
    EXPECT_EQ(window.ScreenImage().pixel(7 + 2, row) & 0xFFFFFF, 0x14B428u);

    // The next frame comes, and a wipe step recolours the text over it.
    DrawFrame(QColor(200, 40, 40));
    ctrl->WipeColumn = 0;
    ctrl->WipeColumns(ctrl->UpperImage, ctrl->UpperImage.width());
    ctrl->ShowChanges();
    const QImage wiped = window.grab().toImage();
    EXPECT_EQ(wiped.pixel(7 + text.x(), row) & 0xFFFFFF, ctrl->FontRightColor & 0xFFFFFF);
    EXPECT_EQ(wiped.pixel(7 + 2, row) & 0xFFFFFF, 0xC82828u);
}

TEST_F(LyricsOverVideo, TheLinesWindowIsShapedToTheTextSoAVideoWindowBelowShows) {
    Show(U("Shape"), QString());
    QWidget* view = View();
    ASSERT_TRUE(view);
    EXPECT_TRUE(view->isVisible());
    const QPoint text = TextPixel();
    ASSERT_GE(text.x(), 0);
    const QRegion shape = view->mask();
    EXPECT_TRUE(shape.contains(QPoint(text.x(), ctrl->UpperTop - 15 + text.y())));
    EXPECT_FALSE(shape.contains(QPoint(2, ctrl->UpperTop - 15 + 1)));
    EXPECT_FALSE(shape.contains(QPoint(300, 2)));

    // A video window made later inside the frame goes below the lines.
    auto* video = new QWidget(&window);
    video->setGeometry(7, 15, 626, 180);
    video->show();
    video->raise();
    const QObjectList order = window.children();
    EXPECT_GT(order.indexOf(view), order.indexOf(video)) << "the last child is drawn on top";

    Show(QString(), QString());
    EXPECT_FALSE(view->isVisible()) << "no text, nothing to cover";
}

TEST_F(LyricsOverVideo, TheBackgroundPictureGoesIntoTheWindowBelowTheLines) {
    TempFolder dir;
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(QColor(10, 200, 30));
    ASSERT_TRUE(picture.save(dir.file("back.png")));
    TLrcSettings settings;
    settings.UseBackgroundImage = true;
    settings.BackgroundImage = dir.file("back.png");
    settings.BackgroundColor = 0x404040;
    ctrl->LoadBackground(settings);
    Show(U("Over a picture"), QString(), settings);
    const QImage& surface = window.ScreenImage();
    EXPECT_EQ(surface.pixel(7 + 5, 15 + 5) & 0xFFFFFF, 0x0AC81Eu);
    EXPECT_EQ(surface.pixel(7 + 100, 15 + 5) & 0xFFFFFF, 0x404040u);
    const QPoint text = TextPixel();
    ASSERT_GE(text.x(), 0);
    EXPECT_EQ(window.grab().toImage().pixel(7 + text.x(), ctrl->UpperTop + text.y()) & 0xFFFFFF,
              ctrl->FontLeftColor & 0xFFFFFF);
}

}  // namespace
