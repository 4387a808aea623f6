// The drawing of the skinned windows by pixel: the rectangle copy itself, the indicators (play
// state, time digits, bit rate, scrolling title), the title bars, the playlist's time totals and
// scroll bar, and which of them land in the back buffer and which only on the window.
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "player/skin/canvas.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/skin/skin_frames.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;

QImage Blank(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::black);
    return image;
}

TEST(CopyRectTest, CopiesStretchesClipsAndIgnoresEmptyRectangles) {
    const QImage source = DrawSheet(Text, 40, 40);
    QImage t = Blank(40, 40);
    CopyRect(t, Rect(5, 5, 10, 10), source, Rect(2, 3, 7, 8));
    EXPECT_EQ(OriginAt(t, 5, 5), From(Text, 2, 3));
    EXPECT_EQ(OriginAt(t, 9, 9), From(Text, 6, 7));
    EXPECT_EQ(t.pixel(10, 10), qRgb(0, 0, 0)) << "right and bottom are exclusive";
    EXPECT_EQ(t.pixel(4, 5), qRgb(0, 0, 0));

    t = Blank(40, 40);
    CopyRect(t, Rect(0, 20, 11, 21), source, Rect(0, 0, 9, 1));  // 9 columns over 11
    int last = -1;
    for (int x = 0; x < 11; ++x) {
        const Origin o = OriginAt(t, x, 20);
        ASSERT_EQ(o.sheet, int(Text)) << "column " << x << " left undrawn";
        EXPECT_GE(o.x, last) << "column " << x;
        last = o.x;
    }
    EXPECT_EQ(OriginAt(t, 0, 20).x, 0);
    EXPECT_EQ(OriginAt(t, 10, 20).x, 8);
    EXPECT_EQ(t.pixel(11, 20), qRgb(0, 0, 0));

    t = Blank(40, 40);
    CopyRect(t, Rect(0, 0, 1, 20), source, Rect(0, 0, 1, 29));  // 29 rows squeezed into 20
    EXPECT_EQ(OriginAt(t, 0, 0).y, 0);
    EXPECT_EQ(OriginAt(t, 0, 19).y, 28);
    EXPECT_EQ(t.pixel(0, 20), qRgb(0, 0, 0));

    t = Blank(40, 40);
    CopyRect(t, Rect(35, 0, 45, 5), source, Rect(0, 0, 10, 5));  // past the target's edge
    EXPECT_EQ(OriginAt(t, 39, 4), From(Text, 4, 4));
    const QImage small = DrawSheet(Text, 20, 20);
    CopyRect(t, Rect(0, 30, 10, 35), small, Rect(15, 0, 25, 5));  // half outside the source
    EXPECT_EQ(OriginAt(t, 0, 30), From(Text, 15, 0));
    EXPECT_EQ(OriginAt(t, 4, 34), From(Text, 19, 4));
    EXPECT_EQ(t.pixel(5, 30), qRgb(0, 0, 0)) << "nothing is drawn from outside the source";

    const QImage before = t;
    CopyRect(t, Rect(10, 10, 10, 20), source, Rect(0, 0, 5, 5));
    CopyRect(t, Rect(20, 20, 10, 10), source, Rect(0, 0, 5, 5));
    CopyRect(t, Rect(0, 0, 5, 5), source, Rect(5, 5, 0, 0));
    CopyRect(t, Rect(0, 0, 5, 5), QImage(), Rect(0, 0, 5, 5));
    EXPECT_EQ(t, before) << "empty and inverted rectangles draw nothing";
}

// Plain copies take a shortcut past the paint engine: they must give exactly what the engine
// gives, from a 32-bit sheet and from one kept as colour indices, at every edge.
TEST(CopyRectTest, PlainCopiesMatchThePaintEngineFromEitherFormOfSheet) {
    QImage picture(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) picture.setPixel(x, y, qRgb(x % 8 * 30, y % 4 * 60, (x + y) % 5 * 50));
    const QImage indexed = picture.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    ASSERT_EQ(indexed.convertToFormat(QImage::Format_RGB32), picture);
    const auto painted = [](const QImage& source, const QRect& dst, const QRect& src) {
        QImage target(40, 30, QImage::Format_RGB32);
        target.fill(qRgb(1, 2, 3));
        const QRect inside = src & source.rect();
        if (!inside.isEmpty()) {
            QPainter painter(&target);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(inside.translated(dst.topLeft() - src.topLeft()), source, inside);
        }
        return target;
    };
    const auto copied = [](const QImage& source, const QRect& dst, const QRect& src) {
        QImage target(40, 30, QImage::Format_RGB32);
        target.fill(qRgb(1, 2, 3));
        CopyRect(target, dst, source, src);
        return target;
    };
    const std::pair<QRect, QRect> copies[] = {
        {QRect(5, 5, 10, 8), QRect(3, 2, 10, 8)},       // inside both
        {QRect(-4, -3, 12, 10), QRect(0, 0, 12, 10)},   // over the target's top left corner
        {QRect(33, 25, 12, 10), QRect(2, 2, 12, 10)},   // over its bottom right corner
        {QRect(10, 10, 12, 12), QRect(24, 14, 12, 12)},  // past the source's far edges
        {QRect(10, 10, 12, 12), QRect(-5, -6, 12, 12)},  // before its near edges
        {QRect(0, 0, 5, 5), QRect(40, 40, 5, 5)},       // wholly outside the source
    };
    for (const QImage& source : {picture, indexed})
        for (const auto& [dst, src] : copies)
            EXPECT_EQ(copied(source, dst, src), painted(picture, dst, src))
                << source.format() << " to " << dst.x() << "," << dst.y() << " from " << src.x() << "," << src.y();
}

TEST(PlaylistTimesText, SelectedLengthAndTotal) {
    EXPECT_EQ(SelectedLengthText(u"<?/a.mp3?><#03:25#>", true), "3:25/");
    EXPECT_EQ(SelectedLengthText(u"<#00:07#>", true), "0:07/");
    EXPECT_EQ(SelectedLengthText(u"<?/a.mp3?><#03:25#>", false), "0:00/") << "not selected";
    EXPECT_EQ(SelectedLengthText(u"<?/a.mp3?>", true), "0:00/") << "no length";
    EXPECT_EQ(SelectedLengthText(u"<#123:04#>", true), "0:00/") << "not five characters";
    EXPECT_EQ(SelectedLengthText(u"<#ab:cd#>", true), "0:00/") << "right shape, no number";
    EXPECT_EQ(SelectedLengthText(u"<#03:25", true), "0:00/") << "never closed";
    EXPECT_EQ(TotalLengthText(0), "00:00");
    EXPECT_EQ(TotalLengthText(125), "02:05");
    EXPECT_EQ(TotalLengthText(3599), "59:59");
    EXPECT_EQ(TotalLengthText(3600), "1:00:00");
    EXPECT_EQ(TotalLengthText(3725), "1:02:05");
    EXPECT_EQ(TotalLengthText(-40), "00:00");
}

class SkinDrawingTest : public SkinFixture {
protected:
    QImage& Screen() { return ScreenOf(form_); }
};

TEST_F(SkinDrawingTest, PlayStateCellsInTheBackBufferAndOnScreen) {
    Open();
    D().SetPlayState(0);
    EXPECT_EQ(OriginAt(D().MainBuffer, 24, 28), From(Playpaus, 36, 0));
    EXPECT_EQ(OriginAt(D().MainBuffer, 26, 28), From(Playpaus, 38, 0)) << "the narrow cell comes last";
    EXPECT_EQ(OriginAt(D().MainBuffer, 27, 28), From(Playpaus, 1, 0));
    EXPECT_EQ(OriginAt(D().MainBuffer, 34, 36), From(Playpaus, 8, 8));
    EXPECT_EQ(OriginAt(Screen(), 24, 28), From(Playpaus, 36, 0)) << "the window is repainted";
    D().SetPlayState(3);
    EXPECT_EQ(OriginAt(D().MainBuffer, 24, 28), From(Playpaus, 39, 0));
    D().SetPlayState(2);
    EXPECT_EQ(OriginAt(D().MainBuffer, 26, 28), From(Playpaus, 9, 0));
    EXPECT_EQ(OriginAt(D().MainBuffer, 24, 28), From(Playpaus, 27, 0)) << "blanked, not left from before";
    EXPECT_EQ(OriginAt(D().MainBuffer, 25, 36).y, 8);
    D().SetPlayState(1);
    EXPECT_EQ(OriginAt(D().MainBuffer, 26, 28), From(Playpaus, 18, 0));
    EXPECT_EQ(D().LastDrawn, "dispForm2") << "the playlist is repainted after the main window";
}

TEST_F(SkinDrawingTest, TimeDigitsGoOnTheWindowsOnly) {
    Open();
    D().DrawTime(true, 1, 4, 3, 2);  // -12:34
    EXPECT_EQ(OriginAt(Screen(), 48, 26), From(Numbers, 9, 0));
    EXPECT_EQ(OriginAt(Screen(), 59, 26), From(Numbers, 18, 0));
    EXPECT_EQ(OriginAt(Screen(), 78, 26), From(Numbers, 27, 0));
    EXPECT_EQ(OriginAt(Screen(), 97, 38), From(Numbers, 44, 12));
    EXPECT_EQ(OriginAt(Screen(), 39, 32), From(Numbers, 74, 6)) << "minus: the middle bar of the 8";
    EXPECT_EQ(OriginAt(Screen(), 43, 32), From(Numbers, 78, 6));
    EXPECT_EQ(OriginAt(D().MainBuffer, 48, 26), From(Main, 48, 26)) << "the back buffer keeps the background";

    // The playlist's small clock, W and H being its size (275 x 116).
    QImage& clock = ScreenOf(PlaylistWindow);
    EXPECT_EQ(OriginAt(clock, 197, 101), From(Text, 5, 6));
    EXPECT_EQ(OriginAt(clock, 202, 101), From(Text, 10, 6));
    EXPECT_EQ(OriginAt(clock, 212, 101), From(Text, 15, 6));
    EXPECT_EQ(OriginAt(clock, 221, 106), From(Text, 24, 11));
    EXPECT_EQ(OriginAt(clock, 193, 101), From(Text, 76, 6));

    D().PaintMain();
    EXPECT_EQ(OriginAt(Screen(), 39, 32), From(Main, 39, 32)) << "a repaint wipes the minus";

    D().DrawTime(false, 10, 0, 0, 0);
    EXPECT_EQ(OriginAt(Screen(), 48, 26), From(Numbers, 90, 0)) << "100 minutes: the cell past the 9";
    D().PaintMain();
    D().DrawTime(false, 20, 0, 0, 0);
    EXPECT_EQ(OriginAt(Screen(), 48, 26), From(Main, 48, 26)) << "a cell beyond the digits draws nothing";
    D().DrawTime(false, -1, 0, 0, 0);
    EXPECT_EQ(OriginAt(Screen(), 48, 26), From(Main, 48, 26));
}

TEST_F(SkinDrawingTest, ShadedTimeUsesTheTextFontAndShadedPlaylistHasNoClock) {
    Open("MA_H=14\r\nPL_H=14\r\n");
    QImage& playlistBefore = ScreenOf(PlaylistWindow);
    const QImage untouched = playlistBefore.copy();
    D().DrawTime(true, 0, 9, 5, 7);  // -07:59
    EXPECT_EQ(OriginAt(Screen(), 133, 4), From(Text, 0, 6));
    EXPECT_EQ(OriginAt(Screen(), 138, 4), From(Text, 35, 6));
    EXPECT_EQ(OriginAt(Screen(), 148, 4), From(Text, 25, 6));
    EXPECT_EQ(OriginAt(Screen(), 157, 9), From(Text, 49, 11));
    EXPECT_EQ(OriginAt(Screen(), 129, 4), From(Text, 76, 6));
    EXPECT_EQ(ScreenOf(PlaylistWindow), untouched);
}

TEST_F(SkinDrawingTest, BitRateAndSampleRateDigits) {
    Open();
    D().DrawBitrate(128, 44);
    const QImage& b = D().MainBuffer;
    EXPECT_EQ(OriginAt(b, 111, 43), From(Text, 5, 6));
    EXPECT_EQ(OriginAt(b, 116, 43), From(Text, 10, 6));
    EXPECT_EQ(OriginAt(b, 125, 48), From(Text, 44, 11));
    EXPECT_EQ(OriginAt(b, 156, 43), From(Text, 20, 6));
    EXPECT_EQ(OriginAt(b, 161, 43), From(Text, 20, 6));
    D().DrawBitrate(1411, 8);
    EXPECT_EQ(OriginAt(b, 111, 43), From(Text, 20, 6)) << "the last three digits";
    EXPECT_EQ(OriginAt(b, 156, 43), From(Text, 25, 12)) << "one digit: a blank first";
    EXPECT_EQ(OriginAt(b, 161, 43), From(Text, 40, 6));
    D().DrawBitrate(0, -3);
    for (int x : {111, 116, 121, 156, 161}) EXPECT_EQ(OriginAt(b, x, 43), From(Text, 25, 12)) << x;
}

TEST_F(SkinDrawingTest, ScrollingTitleCellsLengthAndScroll) {
    Open();
    Ctrl->Run->Title = QStringLiteral("AZ09 !a.,中");
    D().BuildScrollTitle();
    ASSERT_TRUE(D().TitleImage);
    QPointer<TSkinImage> image = D().TitleImage;
    EXPECT_EQ(image->parentWidget()->objectName(), "Panel1");
    const QImage& p = image->Picture;
    EXPECT_EQ(p.size(), QSize(5 * (10 + 30), 6));
    const Origin expected[] = {From(Text, 0, 0),   From(Text, 125, 0), From(Text, 0, 6),   From(Text, 45, 6),
                               From(Text, 25, 12), From(Text, 85, 6),  From(Text, 15, 12), From(Text, 136, 6),
                               From(Text, 136, 6), From(Text, 15, 12), From(Text, 25, 12)};
    for (int i = 0; i < 11; ++i) EXPECT_EQ(OriginAt(p, 5 * i, 0), expected[i]) << "character " << i;
    EXPECT_FALSE(Ctrl->Run->TitleTimerObj->isActive()) << "a short title stands still";

    Ctrl->Run->Title = QString(30, QLatin1Char('X'));
    D().BuildScrollTitle();
    EXPECT_EQ(D().TitleImage->width(), 5 * 60);
    EXPECT_FALSE(Ctrl->Run->TitleTimerObj->isActive());
    EXPECT_TRUE(image.isNull()) << "the old title is gone";

    Ctrl->Run->Title = QString(31, QLatin1Char('X'));
    D().BuildScrollTitle();
    image = D().TitleImage;
    EXPECT_EQ(image->width(), 5 * 93);
    EXPECT_EQ(OriginAt(image->Picture, 155, 0), From(Text, 25, 12)) << "32 blanks lead in";
    EXPECT_EQ(OriginAt(image->Picture, 160, 0), From(Text, 115, 0));
    EXPECT_TRUE(Ctrl->Run->TitleTimerObj->isActive()) << "a long title scrolls";
    D().ScrollTitle(6);
    EXPECT_EQ(image->x(), -6);
    image->move(-(465 - 152) + 3, 0);
    D().ScrollTitle(6);
    EXPECT_EQ(image->x(), 0) << "past its end it starts over";
}

TEST_F(SkinDrawingTest, TitleBarsFollowTheFocusedWindow) {
    Open();
    EXPECT_EQ(D().FocusedCaption, "");
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 0)) << "the main build draws it active";
    EXPECT_EQ(OriginAt(D().BrowserBuffer, 0, 0), From(Mb, 0, 21));

    D().DrawTitleBars(PlaylistWindow);
    EXPECT_EQ(D().FocusedCaption, "dispForm2");
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 15));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 0, 0), From(Pledit, 0, 0));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 250, 0), From(Pledit, 153, 0));
    EXPECT_EQ(OriginAt(D().EqualizerBuffer, 0, 0), From(Eqmain, 0, 149));
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), 0, 0), From(Pledit, 0, 0));
    EXPECT_EQ(OriginAt(Screen(), 0, 0), From(Titlebar, 27, 15));

    // A press in the window that already has the focus draws nothing.
    D().PlaylistBuffer.setPixel(0, 0, qRgb(1, 2, 3));
    D().DrawTitleBars(PlaylistWindow);
    EXPECT_EQ(D().PlaylistBuffer.pixel(0, 0), qRgb(1, 2, 3));

    D().DrawTitleBars(EqualizerWindow);
    EXPECT_EQ(OriginAt(D().EqualizerBuffer, 0, 0), From(Eqmain, 0, 134));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 0, 0), From(Pledit, 0, 21));
    D().DrawTitleBars(Form5);
    EXPECT_EQ(OriginAt(D().BrowserBuffer, 0, 0), From(Mb, 0, 0));
    EXPECT_EQ(OriginAt(ScreenOf(Form5), 0, 0), From(Mb, 0, 0));
    D().DrawTitleBars(form_);
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 0));
    EXPECT_EQ(OriginAt(D().BrowserBuffer, 0, 0), From(Mb, 0, 21));
    D().DrawTitleBars(nullptr);
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 15));

    form_->resize(275, 14);
    D().DrawTitleBars(form_);
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 29)) << "shaded, active";
    D().DrawTitleBars(nullptr);
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 42)) << "shaded, inactive";
}

TEST_F(SkinDrawingTest, PlaylistTitleTilesAndShadeBarFollowTheWidth) {
    Open();
    PlaylistWindow->resize(400, 116);
    D().BuildPlaylistWindow(false);
    D().DrawTitleBars(nullptr);
    D().DrawTitleBars(PlaylistWindow);
    const QImage& b = D().PlaylistBuffer;
    EXPECT_EQ(OriginAt(b, 25, 0), From(Pledit, 127, 0));
    EXPECT_EQ(OriginAt(b, 149, 19), From(Pledit, 151, 19)) << "fifth tile on the left";
    EXPECT_EQ(OriginAt(b, 174, 19), From(Pledit, 50, 19)) << "the title piece covers the sixth";
    EXPECT_EQ(OriginAt(b, 399, 0), From(Pledit, 177, 0));
    EXPECT_EQ(OriginAt(b, 250, 0), From(Pledit, 127, 0));

    PlaylistWindow->resize(400, 14);
    D().BuildPlaylistWindow(false);
    D().DrawTitleBars(nullptr);
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 349, 0), From(Pledit, 96, 57)) << "the last fill tile";
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 350, 0), From(Pledit, 99, 57)) << "inactive right end";
}

TEST_F(SkinDrawingTest, PlaylistTimesShowSelectionAndTotal) {
    Open();
    D().DrawPlaylistTimes();
    // "0:00/00:00" from x = W - 138 = 137, y = H - 28 = 88.
    const QImage* b = &D().PlaylistBuffer;
    const int cells[] = {0, 60, 0, 0, 105, 0, 0, 60, 0, 0};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(OriginAt(*b, 137 + 5 * i, 88), From(Text, cells[i], 6)) << i;
    EXPECT_EQ(OriginAt(*b, 131, 88), From(Text, 25, 12)) << "the blanked area starts at W - 144";
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), 137, 88), From(Text, 0, 6));

    ListBox1->SetItems({"<?/m/a.mp3?><#03:25#>", "<?/m/b.mp3?><#58:40#>"});
    ListBox1->RefreshAllTime();
    ListBox1->SelectOnly(0);
    D().DrawPlaylistTimes();
    // "3:25/1:02:05"
    const int digits[] = {3, -1, 2, 5, -2, 1, -1, 0, 2, -1, 0, 5};
    for (int i = 0; i < 12; ++i) {
        const int d = digits[i];
        const Origin want = d >= 0 ? From(Text, 5 * d, 6) : d == -1 ? From(Text, 60, 6) : From(Text, 105, 6);
        EXPECT_EQ(OriginAt(*b, 137 + 5 * i, 88), want) << i;
    }
    ListBox1->selectionModel()->clearSelection();
    D().DrawPlaylistTimes();
    EXPECT_EQ(OriginAt(*b, 137, 88), From(Text, 0, 6)) << "the caret row is no longer selected";
}

TEST_F(SkinDrawingTest, ScrollThumbFollowsTheTopRow) {
    Open();
    // 275 x 116: the box is 58 high, so 4 rows show; the thumb runs from y 29 to H - 47 = 69.
    D().DrawPlaylistScrollbar();
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, 29) << "an empty list";
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 260, 20), From(Pledit, 52, 53));
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), 267, 37), From(Pledit, 59, 70));

    QStringList items;
    for (int i = 0; i < 20; ++i) items << QStringLiteral("<?/m/%1.mp3?>").arg(i);
    ListBox1->SetItems(items);
    Settle();
    ListBox1->scrollToBottom();
    Settle();
    D().DrawPlaylistScrollbar();
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, 69) << "the last page";
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 260, 60), From(Pledit, 52, 53));
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), 260, 60), From(Pledit, 52, 53));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 260, 20), From(Pledit, 36, 42)) << "the track is redrawn over the old thumb";

    ListBox1->scrollTo(ListBox1->Model()->index(8), QAbstractItemView::PositionAtTop);
    Settle();
    D().DrawPlaylistScrollbar();
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, 49) << "half way: 8 of 16 rows";
}

TEST_F(SkinDrawingTest, RepaintsCopyTheWholeBufferAndRecordTheWindow) {
    Open();
    D().EqualizerBuffer.setPixel(100, 100, qRgb(9, 9, 9));
    D().PaintEqualizer();
    EXPECT_EQ(ScreenOf(EqualizerWindow).pixel(100, 100), qRgb(9, 9, 9));
    EXPECT_EQ(D().LastDrawn, "dispForm3");
    D().BrowserBuffer.setPixel(200, 300, qRgb(7, 7, 7));
    D().PaintBrowser();
    EXPECT_EQ(ScreenOf(Form5).pixel(200, 300), qRgb(7, 7, 7));
    EXPECT_EQ(D().LastDrawn, "dispForm5");
    D().MainBuffer.setPixel(274, 115, qRgb(5, 5, 5));
    D().PaintMain();
    EXPECT_EQ(Screen().pixel(274, 115), qRgb(5, 5, 5));
    EXPECT_EQ(D().LastDrawn, "dispForm1");

    D().DrawSeekBar(219);
    EXPECT_EQ(OriginAt(Screen(), 16, 72), From(Posbar, 0, 0));
    EXPECT_EQ(OriginAt(Screen(), 235, 72), From(Posbar, 248, 0)) << "the thumb at the end";
    EXPECT_EQ(OriginAt(D().MainBuffer, 16, 72), From(Main, 16, 72));
}


// The wheel scrolls the box itself, past the skin's own scroll bar: the thumb must follow it.
TEST_F(SkinDrawingTest, TheWheelMovesTheSkinThumb) {
    Open();
    QStringList items;
    for (int i = 0; i < 20; ++i) items << QStringLiteral("<?/m/%1.mp3?>").arg(i);
    ListBox1->SetItems(items);
    Settle();
    D().DrawPlaylistScrollbar();
    ASSERT_EQ(Ctrl->Run->ListScrollThumb, 29);
    QWidget* rows = ListBox1->viewport();
    const QPointF at(10, 10);
    QWheelEvent wheel(at, rows->mapToGlobal(at), QPoint(), QPoint(0, -120 * 3), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(rows, &wheel);
    Settle();
    ASSERT_GT(ListBox1->TopIndex(), 0) << "the wheel scrolled the rows";
    const int expected = int(std::nearbyint(double(ListBox1->TopIndex()) / 16.0 * 40.0)) + 29;
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, expected);
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), 260, expected), From(Pledit, 52, 62)) << "the thumb on screen";
}

}  // namespace
