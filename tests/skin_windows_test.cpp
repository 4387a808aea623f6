// The five skinned windows as their builders make them: place, shade rule, back buffer picture
// by pixel from a drawn skin, region tables, and the geometry tables behind them.
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QWindow>
#include <limits>
#include <set>

#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/display/window_placement.h"
#include "player/skin/canvas.h"
#include "player/skin/sheet_fit.h"
#include "player/skin/skin_files.h"
#include "player/skin/skin_regions.h"
#include "player/skin/skin_sprites.h"
#include "tests/skin_fixtures.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;

QRect Box(const TSkinRegion& r) { return QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom)); }

// The first region of a table that holds the point, edges included; the main window's title is
// passed over in shade mode where the small buttons lie.
QString FirstHit(const std::vector<TSkinRegion>& table, int x, int y, bool shaded = false) {
    for (const TSkinRegion& r : table) {
        if (shaded && r.Name == "m_Title" && x >= 166 && x <= 219) continue;
        if (x >= r.Left && x <= r.Right && y >= r.Top && y <= r.Bottom) return r.Name;
    }
    return {};
}

TEST(SkinTables, RegionsLieInsideTheirWindowAtDefaultSizeWithUniqueNames) {
    struct Window {
        std::span<const TRegionLayout> table;
        int w, h;
    };
    const Window windows[] = {{kMainRegions, 275, 116},
                              {kPlaylistRegions, 275, 116},
                              {kEqualizerRegions, 275, 116},
                              {kVideoRegions, 360, 268},
                              {kBrowserRegions, 275, 348}};
    for (const Window& window : windows) {
        std::set<QString> names;
        for (const TSkinRegion& r : ResolveRegions(window.table, window.w, window.h)) {
            EXPECT_TRUE(names.insert(r.Name).second) << r.Name.toStdString();
            EXPECT_LE(r.Left, r.Right) << r.Name.toStdString();
            EXPECT_LE(r.Top, r.Bottom) << r.Name.toStdString();
            // The title bars of the main and equaliser windows run on past the right edge, as
            // their 302-pixel pictures do.
            const int right = r.Name == "m_Title" || r.Name == "e_Title" ? 302 : window.w;
            EXPECT_TRUE(QRect(0, 0, right + 1, window.h + 1).contains(Box(r))) << r.Name.toStdString();
        }
    }
}

TEST(SkinTables, HitOrderDecidesOverlapsAndShadeMode) {
    const std::vector<TSkinRegion> main = ResolveRegions(kMainRegions, 275, 116);
    EXPECT_EQ(FirstHit(main, 210, 95), "mButShuffle") << "shuffle is found before repeat";
    EXPECT_EQ(FirstHit(main, 212, 95), "mButRepeat");
    EXPECT_EQ(FirstHit(main, 170, 5, true), "mSmBut1");
    EXPECT_EQ(FirstHit(main, 100, 5, true), "m_Title");
    EXPECT_EQ(FirstHit(main, 170, 5), "m_Title");
    EXPECT_EQ(FirstHit(main, 170, 30), "mSmBut1") << "the small buttons reach y 40";
    const std::vector<TSkinRegion> playlist = ResolveRegions(kPlaylistRegions, 400, 300);
    EXPECT_EQ(Box(playlist[0]), QRect(QPoint(380, 3), QPoint(389, 12))) << "lSmall follows the width";
    EXPECT_EQ(Box(playlist[4]), QRect(QPoint(385, 20), QPoint(393, 262))) << "l_Scroll follows both";
}

TEST(SkinTables, TwoStatePicturesShareOneSizeAndCopiesDoNotStretchByAccident) {
    for (const auto* toggles : {&main_frame::kToggles}) {
        for (const TToggleSprite& t : *toggles) {
            EXPECT_EQ(t.On.size(), t.Off.size()) << t.Setting;
            EXPECT_EQ(t.On.size(), t.Dest.size()) << t.Setting;
        }
    }
    for (const TToggleSprite& t : equalizer_frame::kToggles) {
        EXPECT_EQ(t.On.size(), t.Off.size()) << t.Setting;
        EXPECT_EQ(t.On.size(), t.Dest.size()) << t.Setting;
    }
    EXPECT_EQ(sliders::kThumbNormal.size(), sliders::kThumbHeld.size());
    EXPECT_EQ(sliders::kThumbNormal.size(), sliders::VolumeThumbDest(0).size());
    EXPECT_EQ(sliders::kThumbNormal.size(), sliders::BalanceThumbDest(0).size());
    EXPECT_EQ(sliders::VolumeBackSource(27).size(), sliders::kVolumeBackDest.size());
    EXPECT_EQ(main_frame::kTitle[0][0].size(), main_frame::kTitle[1][1].size());
    EXPECT_EQ(playlist_frame::kShadeRightActive.size(), playlist_frame::kShadeRightInactive.size());
    EXPECT_EQ(equalizer_frame::kTitleActive.size(), equalizer_frame::kTitleInactive.size());
    for (const auto& cells : indicators::kPlayState)
        for (const TSprite& cell : cells)
            if (!cell.Source.isEmpty()) {
                EXPECT_EQ(cell.Source.size(), cell.Dest.size());
            }
    for (const TSprite* s : {&main_frame::kBackground, &main_frame::kTitleBar, &main_frame::kOptionStrip,
                             &main_frame::kButtons[0], &main_frame::kButtons[1], &main_frame::kSeekThumb,
                             &equalizer_frame::kPresets, &equalizer_frame::kGraph})
        EXPECT_EQ(s->Source.size(), s->Dest.size()) << s->Dest.x() << "," << s->Dest.y();
}

// The built-in art is drawn for the rectangles of the layout table; a rectangle the player reads
// that the table lacks would show whatever lies there in the built-in sheets.
TEST(SkinTables, EveryRectangleThePlayerReadsIsInTheLayoutTheArtIsDrawnFor) {
    using S = skin_layout::Sheet;
    std::vector<std::pair<S, QRect>> reads;
    auto add = [&](S sheet, const QRect& r) { reads.emplace_back(sheet, r); };
    add(S::Main, main_frame::kBackground.Source);
    for (const TSprite* t : {&main_frame::kTitleBar, &main_frame::kOptionStrip, &main_frame::kShadeBar}) add(S::TitleBar, t->Source);
    for (const auto& row : main_frame::kTitle)
        for (const QRect& r : row) add(S::TitleBar, r);
    for (const TSprite& b : main_frame::kButtons) add(S::CButtons, b.Source);
    for (const TToggleSprite& t : main_frame::kToggles) add(S::ShufRep, t.On), add(S::ShufRep, t.Off);
    add(S::PosBar, main_frame::kSeekTrack.Source);
    add(S::PosBar, main_frame::kSeekThumb.Source);
    for (int row = 0; row < 28; ++row) add(S::Volume, sliders::VolumeBackSource(row)), add(S::Balance, sliders::BalanceBackSource(row));
    for (S s : {S::Volume, S::Balance}) add(s, sliders::kThumbNormal), add(s, sliders::kThumbHeld);
    add(S::PlayPaus, indicators::kPlayStateBlank.Source);
    for (const auto& cells : indicators::kPlayState)
        for (const TSprite& cell : cells)
            if (!cell.Source.isEmpty()) add(S::PlayPaus, cell.Source);
    add(S::Numbers, indicators::kTimeMinus.Source);
    for (int d = 0; d <= 10; ++d) add(S::Numbers, fonts::DigitCell(d));
    for (char32_t c = 32; c < 127; ++c) add(S::Text, fonts::TextCell(c));
    add(S::Text, indicators::kTextMinus);
    using namespace playlist_frame;
    for (const TTitlePiece& piece : {kCorner, kFill, kTitle, kRightCorner})
        for (int row : {kActiveRow, kInactiveRow}) add(S::PlEdit, PieceSource(piece, row)), add(S::Mb, PieceSource(piece, row));
    for (const QRect& r : {kLeftEdge, kRightEdge, kBottomLeft, kBottomFill, kBottomRight, kScrollThumb, kShadeLeft,
                           kShadeFill, kShadeRightActive, kShadeRightInactive})
        add(S::PlEdit, r);
    for (const QRect& r : {equalizer_frame::kBackground.Source, equalizer_frame::kTitleActive,
                           equalizer_frame::kTitleInactive, equalizer_frame::kPresets.Source, equalizer_frame::kGraph.Source})
        add(S::EqMain, r);
    for (const TToggleSprite& t : equalizer_frame::kToggles) add(S::EqMain, t.On), add(S::EqMain, t.Off);
    add(S::EqEx, equalizer_frame::kShade.Source);
    for (const video_frame::TPiece& piece : video_frame::kPieces) add(S::Avs, piece.Sprite.Source);
    for (const QRect& r : {browser_frame::kLeftSide, browser_frame::kRightSideEven, browser_frame::kRightSideOdd,
                           browser_frame::kBottomLeft, browser_frame::kBottomFill, browser_frame::kBottomRight})
        add(S::Mb, r);

    for (const auto& [sheet, rect] : reads) {
        bool listed = false;
        for (const skin_layout::Rect& r : RectanglesOf(sheet)) listed = listed || Q(r) == rect;
        EXPECT_TRUE(listed) << skin_layout::sheetInfo(sheet).name << " (" << rect.left() << ", " << rect.top() << ", "
                            << rect.right() + 1 << ", " << rect.bottom() + 1 << ")";
    }
}

TEST(SkinTables, SliderPicturesAtTheEnds) {
    EXPECT_EQ(sliders::VolumeRow(0), 0);
    EXPECT_EQ(sliders::VolumeRow(1), 0);
    EXPECT_EQ(sliders::VolumeThumb(0), 0);
    EXPECT_EQ(sliders::VolumeThumb(1), 0);
    EXPECT_EQ(sliders::VolumeRow(100), 27);
    EXPECT_EQ(sliders::VolumeThumb(100), 50);
    EXPECT_EQ(sliders::BalanceRow(-100), 27);
    EXPECT_EQ(sliders::BalanceRow(100), 27);
    EXPECT_EQ(sliders::BalanceRow(0), 0);
    EXPECT_EQ(sliders::BalanceThumb(0), 11);
    EXPECT_EQ(sliders::BalanceThumb(-100), 0);
    EXPECT_EQ(sliders::BalanceThumb(100), 22);
    EXPECT_EQ(sliders::VolumeThumb(5000), 50) << "out of range is clamped, not drawn off the slider";
    EXPECT_EQ(sliders::BalanceThumb(-5000), 0);
}

class SkinWindowsTest : public SkinFixture {};

TEST_F(SkinWindowsTest, MainWindowPictureFromTheSkinAndItsSliders) {
    Open();
    EXPECT_EQ(form_->pos(), QPoint(150, 110));
    EXPECT_EQ(form_->size(), QSize(275, 116));
    EXPECT_EQ(MainRegions.size(), 26u);
    const QImage& b = D().MainBuffer;
    ASSERT_EQ(b.size(), QSize(275, 116));
    EXPECT_EQ(OriginAt(b, 5, 50), From(Main, 5, 50));
    EXPECT_EQ(OriginAt(b, 0, 0), From(Titlebar, 27, 0)) << "active title bar";
    EXPECT_EQ(OriginAt(b, 274, 13), From(Titlebar, 301, 13));
    EXPECT_EQ(OriginAt(b, 10, 22), From(Titlebar, 304, 0)) << "option strip";
    EXPECT_EQ(OriginAt(b, 129, 105), From(Cbuttons, 113, 17));
    EXPECT_EQ(OriginAt(b, 136, 89), From(Cbuttons, 114, 0));
    EXPECT_EQ(OriginAt(b, 219, 58), From(Shufrep, 0, 73)) << "equaliser open by default";
    EXPECT_EQ(OriginAt(b, 243, 58), From(Shufrep, 23, 73)) << "playlist open by default";
    EXPECT_EQ(OriginAt(b, 164, 89), From(Shufrep, 28, 0)) << "shuffle off by default";
    EXPECT_EQ(OriginAt(b, 210, 89), From(Shufrep, 0, 30)) << "repeat on, drawn over shuffle's last columns";
    EXPECT_EQ(OriginAt(ScreenOf(form_), 5, 50), From(Main, 5, 50)) << "the first paint shows the buffer";

    D().BuildMainWindow(0, 0, false);
    EXPECT_EQ(OriginAt(D().MainBuffer, 107, 58), From(Volume, 0, 1));
    EXPECT_EQ(OriginAt(D().MainBuffer, 108, 58), From(Volume, 15, 422)) << "thumb at offset 0";
    EXPECT_EQ(OriginAt(D().MainBuffer, 177 + 11, 58), From(Balance, 15, 422)) << "centred balance thumb";
    EXPECT_EQ(OriginAt(D().MainBuffer, 177, 58), From(Balance, 9, 1));
    D().BuildMainWindow(100, -100, false);
    EXPECT_EQ(OriginAt(D().MainBuffer, 107, 58), From(Volume, 0, 406));
    EXPECT_EQ(OriginAt(D().MainBuffer, 158, 58), From(Volume, 15, 422));
    EXPECT_EQ(OriginAt(D().MainBuffer, 177, 58), From(Balance, 15, 422));
    EXPECT_EQ(OriginAt(D().MainBuffer, 200, 69), From(Balance, 9 + 24, 417)) << "row 27, squeezed one column";
}

TEST_F(SkinWindowsTest, StoredSettingsShadeAndTogglesOfTheMainWindow) {
    Open("MA_L=40\r\nMA_T=50\r\nMA_H=50\r\nShuffle=1\r\nRepeat=0\r\nEQ_Open=0\r\nPL_Open=0\r\n");
    EXPECT_EQ(form_->geometry(), QRect(40, 50, 275, 14)) << "a stored height below 116 shades";
    EXPECT_EQ(OriginAt(D().MainBuffer, 0, 0), From(Titlebar, 27, 29)) << "the shade-mode bar";
    EXPECT_EQ(OriginAt(D().MainBuffer, 274, 13), From(Titlebar, 301, 42));
    EXPECT_EQ(OriginAt(D().MainBuffer, 219, 58), From(Shufrep, 0, 61));
    EXPECT_EQ(OriginAt(D().MainBuffer, 243, 58), From(Shufrep, 23, 61));
    EXPECT_EQ(OriginAt(D().MainBuffer, 164, 89), From(Shufrep, 28, 30));
    EXPECT_EQ(OriginAt(D().MainBuffer, 237, 103), From(Shufrep, 27, 14));
    EXPECT_TRUE(PlaylistWindow.isNull());
    EXPECT_TRUE(EqualizerWindow.isNull());
    EXPECT_EQ(ScreenOf(form_).size(), QSize(275, 14));
    EXPECT_EQ(OriginAt(ScreenOf(form_), 0, 0), From(Titlebar, 27, 29));
}

TEST_F(SkinWindowsTest, PlaylistFirstBuildThenRebuildAtAnotherSize) {
    Open();
    ASSERT_TRUE(PlaylistWindow);
    QWidget* window = PlaylistWindow;
    EXPECT_EQ(window->objectName(), "dispForm2");
    EXPECT_EQ(window->geometry(), QRect(150, 110 + 116 + 116, 275, 116)) << "below the main window and the equaliser";
    QImage* b = &D().PlaylistBuffer;
    EXPECT_EQ(OriginAt(*b, 0, 0), From(Pledit, 0, 21)) << "a first build draws the inactive title";
    EXPECT_EQ(OriginAt(*b, 87, 0), From(Pledit, 26, 21));
    EXPECT_EQ(OriginAt(*b, 274, 19), From(Pledit, 177, 40));
    EXPECT_EQ(OriginAt(*b, 0, 20), From(Pledit, 0, 42));
    EXPECT_EQ(OriginAt(*b, 250, 20), From(Pledit, 26, 42));
    EXPECT_EQ(OriginAt(*b, 124, 115), From(Pledit, 124, 109));
    EXPECT_EQ(OriginAt(*b, 125, 78), From(Pledit, 126, 72)) << "275 wide: the two bottom pieces meet";
    EXPECT_EQ(PlaylistRegions.size(), 16u);
    QWidget* panel = ListBox1->parentWidget();
    EXPECT_EQ(panel->geometry(), QRect(12, 20, 243, 58));
    EXPECT_EQ(ListBox1->height(), 58);

    window->resize(400, 200);
    D().BuildPlaylistWindow(false);
    b = &D().PlaylistBuffer;
    ASSERT_EQ(b->size(), QSize(400, 200));
    EXPECT_EQ(OriginAt(*b, 0, 0), From(Pledit, 0, 0)) << "a rebuild draws the active title";
    EXPECT_EQ(OriginAt(*b, 25, 0), From(Pledit, 127, 0));
    EXPECT_EQ(OriginAt(*b, 250, 0), From(Pledit, 127, 0));
    EXPECT_EQ(OriginAt(*b, 150, 0), From(Pledit, 26, 0));
    EXPECT_EQ(OriginAt(*b, 129, 162), From(Pledit, 183, 0)) << "bottom tile 5";
    EXPECT_EQ(OriginAt(*b, 245, 162), From(Pledit, 179, 0)) << "bottom tile 10, the last";
    EXPECT_EQ(OriginAt(*b, 250, 162), From(Pledit, 126, 72));
    EXPECT_EQ(panel->size(), QSize(368, 142));
    EXPECT_GE(ListBox1->width(), 368 + 50) << "the box stays wider than its panel";
    EXPECT_EQ(Box(PlaylistRegions[3]), QRect(QPoint(381, 181), QPoint(400, 200))) << "l_Resize";
}

TEST_F(SkinWindowsTest, ShadedPlaylistKeepsItsFullHeightAcrossRebuilds) {
    Open("PL_H=60\r\n");
    QWidget* window = PlaylistWindow;
    ASSERT_TRUE(window);
    EXPECT_EQ(window->height(), 14);
    EXPECT_EQ(Ctrl->ReadInteger("PL_H", 0), 14) << "built shaded";
    EXPECT_EQ(ListBox1->parentWidget()->height(), 0) << "no negative panel";
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 0, 0), From(Pledit, 72, 42));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 25, 13), From(Pledit, 72, 70));
    EXPECT_EQ(OriginAt(D().PlaylistBuffer, 225, 0), From(Pledit, 99, 42));

    // Shading stores the full height for un-shading; a skin change rebuilds the shaded window.
    Ctrl->WriteInteger("PL_H", 300);
    D().BuildPlaylistWindow(false);
    EXPECT_EQ(Ctrl->ReadInteger("PL_H", 0), 300);
    EXPECT_EQ(window->height(), 14);
}

TEST_F(SkinWindowsTest, EqualizerFrameTogglesAndShade) {
    Open("EQON=1\r\n");
    QWidget* window = EqualizerWindow;
    ASSERT_TRUE(window);
    EXPECT_EQ(window->objectName(), "dispForm3");
    EXPECT_EQ(window->geometry(), QRect(150, 226, 275, 116));
    EXPECT_EQ(EqualizerRegions.size(), 17u);
    const QImage& b = D().EqualizerBuffer;
    EXPECT_EQ(OriginAt(b, 60, 80), From(Eqmain, 60, 80)) << "background between the preamp and the bands";
    EXPECT_EQ(OriginAt(b, 100, 80), From(Eqmain, 13 + 100 - 96, 229 + 80 - 38)) << "a band slider's track at the middle";
    EXPECT_EQ(OriginAt(b, 0, 0), From(Eqmain, 0, 149)) << "inactive title";
    EXPECT_EQ(OriginAt(b, 14, 18), From(Eqmain, 69, 119)) << "on";
    EXPECT_EQ(OriginAt(b, 39, 18), From(Eqmain, 35, 119)) << "auto off";
    EXPECT_EQ(OriginAt(b, 217, 18), From(Eqmain, 224, 164));
    EXPECT_EQ(OriginAt(b, 86, 17), From(Eqmain, 0, 294));
    EXPECT_EQ(OriginAt(ScreenOf(window), 60, 80), From(Eqmain, 60, 80));

    window->resize(275, 14);
    D().BuildEqualizerWindow(false);
    EXPECT_EQ(OriginAt(D().EqualizerBuffer, 274, 13), From(EqEx, 274, 13));
}

TEST_F(SkinWindowsTest, VideoWindowFrameAndReuse) {
    Open("AV_L=30\r\nAV_T=40\r\n");
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    TForm4* window = Form4;
    EXPECT_EQ(window->objectName(), "dispForm4");
    EXPECT_EQ(window->geometry(), QRect(30, 40, 360, 268)) << "the engine's default video size";
    EXPECT_EQ(D().LastDrawn, "dispForm4");
    ASSERT_EQ(VideoRegions.size(), 4u);
    EXPECT_EQ(Box(VideoRegions[3]), QRect(QPoint(0, 263), QPoint(360, 268)));
    const QImage& s = window->ScreenImage();
    EXPECT_EQ(OriginAt(s, 0, 0), From(Avs, 15, 0));
    EXPECT_EQ(OriginAt(s, 359, 0), From(Avs, 96, 0));
    EXPECT_EQ(OriginAt(s, 345, 0), From(Avs, 82, 0));
    EXPECT_EQ(OriginAt(s, 344, 0), From(Avs, 79, 0)) << "the stretched middle overdraws the corner's first column";
    EXPECT_EQ(OriginAt(s, 0, 15), From(Avs, 0, 16));
    EXPECT_EQ(OriginAt(s, 354, 15), From(Avs, 8, 17)) << "even width: the 6-pixel side";
    EXPECT_EQ(OriginAt(s, 359, 267), From(Avs, 96, 20));
    EXPECT_EQ(OriginAt(s, 0, 263), From(Avs, 15, 16));

    // A video start while the window is up keeps it (the engine may be drawing into it) and
    // places it as a new window: at the stored place.
    Ctrl->WriteInteger("AV_L", 500);
    D().BuildVideoWindow(true);
    EXPECT_EQ(Form4.data(), window);
    EXPECT_EQ(window->x(), 500);

    window->resize(361, 200);
    D().BuildVideoWindow(false);
    const QImage& odd = window->ScreenImage();
    EXPECT_EQ(OriginAt(odd, 356, 15), From(Avs, 9, 17)) << "odd width: the 5-pixel side";
    EXPECT_EQ(Box(VideoRegions[0]), QRect(QPoint(350, 3), QPoint(359, 12)));
}

TEST_F(SkinWindowsTest, AGrownVideoWindowKeepsNoFramePiecesOfItsEarlierSizeInside) {
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    TForm4* window = Form4;
    window->show();
    const int w = window->width(), h = window->height();
    window->resize(w + 100, h + 70);
    D().BuildVideoWindow(false);
    const QImage& s = window->ScreenImage();
    const QRgb inside = window->palette().color(QPalette::Window).rgb() & 0xFFFFFF;
    EXPECT_EQ(s.pixel(w - 4, 100) & 0xFFFFFF, inside) << "the earlier right side";
    EXPECT_EQ(s.pixel(100, h - 3) & 0xFFFFFF, inside) << "the earlier bottom";
    EXPECT_EQ(s.pixel(w - 1, h - 1) & 0xFFFFFF, inside) << "the earlier corner";
    EXPECT_EQ(OriginAt(s, w + 99, h + 69), From(Avs, 96, 20)) << "the frame is at the new edges";

    // At the same size a repaint keeps what a paused video drew inside.
    QImage frame(10, 10, QImage::Format_RGB32);
    frame.fill(QColor(20, 180, 40));
    window->DrawOnWindow(QRect(100, 100, 10, 10), frame, frame.rect());
    D().PaintVideo();
    EXPECT_EQ(window->ScreenImage().pixel(105, 105) & 0xFFFFFF, 0x14B428u);
}

TEST_F(SkinWindowsTest, BrowserPlaceFrameAndControls) {
    Open();
    ASSERT_TRUE(Form5);
    TForm5* form = Form5;
    EXPECT_EQ(form->objectName(), "dispForm5");
    EXPECT_EQ(form->geometry(), QRect(425, 110, 275, 348)) << "right of the main window";
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(BrowserRegions.size(), 8u);
    const QImage& b = D().BrowserBuffer;
    EXPECT_EQ(OriginAt(b, 0, 0), From(Mb, 0, 21));
    EXPECT_EQ(OriginAt(b, 87, 0), From(Mb, 26, 21));
    EXPECT_EQ(OriginAt(b, 0, 20), From(Mb, 127, 42));
    EXPECT_EQ(OriginAt(b, 10, 39), From(Mb, 137, 70)) << "29 rows squeezed into 20";
    EXPECT_EQ(OriginAt(b, 266, 20), From(Mb, 138, 42)) << "odd width: the 9-pixel side";
    EXPECT_EQ(OriginAt(b, 0, 310), From(Mb, 0, 42));
    EXPECT_EQ(OriginAt(b, 150, 310), From(Mb, 0, 81));
    EXPECT_EQ(OriginAt(b, 125, 310), From(Mb, 127, 81)) << "the one bottom tile of a 275-wide browser";
    EXPECT_EQ(form->Edit1->geometry().topLeft(), QPoint(95, 322));
    EXPECT_EQ(form->Edit1->width(), 154);
    EXPECT_EQ(form->TreeView1->geometry(), QRect(11, 20, 256, 290));
    EXPECT_EQ(form->TreeView1->palette().color(QPalette::Base), D().MBBG);
    EXPECT_EQ(OriginAt(ScreenOf(form), 0, 20), From(Mb, 127, 42));

    form->resize(276, 348);
    D().BuildBrowserWindow(false);
    EXPECT_EQ(OriginAt(D().BrowserBuffer, 268, 20), From(Mb, 139, 42)) << "even width: the 8-pixel side";
    EXPECT_NE(OriginAt(D().BrowserBuffer, 267, 20), From(Mb, 138, 42));
}

TEST_F(SkinWindowsTest, BrowserOutsideTheWorkAreaComesBackAndHostileSizesAreBounded) {
    Open("MB_L=100000\r\nMB_T=-90000\r\nMB_W=-3\r\nMB_H=99999999\r\n");
    ASSERT_TRUE(Form5);
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(Form5->width(), 275);
    EXPECT_LE(Form5->height(), kMaxSkinWindowSide);
    EXPECT_EQ(Form5->x(), area.x() + area.width() - 275);
    EXPECT_EQ(Form5->y(), 0);
}


// A window shares the back buffer it was shown from rather than copying it: drawing on either
// afterwards must still leave the other as it was.
TEST(SkinWindowSurface, AShownBufferAndTheWindowPictureGoTheirOwnWaysOnceEitherIsDrawnOn) {
    TSkinWindow window;
    window.resize(40, 30);
    QImage buffer(40, 30, QImage::Format_RGB32);
    buffer.fill(QColor(200, 0, 0));
    window.ShowBuffer(buffer);
    EXPECT_EQ(window.grab().toImage().pixel(20, 20) & 0xFFFFFF, 0xC80000u);

    QImage green(10, 10, QImage::Format_RGB32);
    green.fill(QColor(0, 200, 0));
    CopyRect(buffer, QRect(20, 20, 10, 10), green, green.rect());
    EXPECT_EQ(window.ScreenImage().pixel(25, 25) & 0xFFFFFF, 0xC80000u) << "the buffer drawn on after it was shown";
    EXPECT_EQ(window.grab().toImage().pixel(25, 25) & 0xFFFFFF, 0xC80000u);

    QImage blue(5, 5, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 200));
    window.ShowBuffer(buffer);
    window.DrawOnWindow(QRect(0, 0, 5, 5), blue, blue.rect());
    EXPECT_EQ(buffer.pixel(2, 2) & 0xFFFFFF, 0xC80000u) << "a drawing on the window stays out of the buffer";
    EXPECT_EQ(window.ScreenImage().pixel(2, 2) & 0xFFFFFF, 0x0000C8u);
    EXPECT_EQ(window.ScreenImage().pixel(25, 25) & 0xFFFFFF, 0x00C800u);

    // A buffer of another size is copied into the corner; the rest of the picture stays.
    window.ShowBuffer(green);
    EXPECT_EQ(window.ScreenImage().pixel(2, 2) & 0xFFFFFF, 0x00C800u);
    EXPECT_EQ(window.ScreenImage().pixel(35, 25) & 0xFFFFFF, 0xC80000u);
    EXPECT_EQ(window.ScreenImage().size(), QSize(40, 30));
}

TEST(StoredPlaces, PositionsAndSidesAreClampedAndLostWindowsComeBack) {
    EXPECT_EQ(ClampPosition(std::numeric_limits<qint32>::max()), kMaxStoredPosition);
    EXPECT_EQ(ClampPosition(std::numeric_limits<qint32>::min()), -kMaxStoredPosition);
    EXPECT_EQ(ClampPosition(-40), -40);
    EXPECT_EQ(ClampSide(std::numeric_limits<qint32>::max(), 275, 1920), 1920);
    EXPECT_EQ(ClampSide(-3, 275, 1920), 275);
    EXPECT_EQ(ClampSide(500, 275, 100), 275) << "the least wins over a smaller desktop";

    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect work(0, 30, 1920, 1050);
    EXPECT_EQ(BringOnScreen(QRect(2000, 500, 275, 116), screens, work), QRect(2000, 500, 275, 116)) << "on the second screen";
    EXPECT_EQ(BringOnScreen(QRect(-100, -50, 275, 116), screens, work), QRect(-100, -50, 275, 116)) << "partly on screen";
    EXPECT_EQ(BringOnScreen(QRect(5000, 500, 275, 116), screens, work), QRect(1645, 500, 275, 116));
    EXPECT_EQ(BringOnScreen(QRect(-kMaxStoredPosition, -kMaxStoredPosition, 275, 116), screens, work),
              QRect(0, 30, 275, 116));
    EXPECT_EQ(BringOnScreen(QRect(100, 5000, 3000, 2000), screens, work), QRect(0, 30, 3000, 2000))
        << "larger than the work area: its corner at the area's";
}

// setup.ini is text anyone may edit: extreme values must neither overflow nor cost memory, nor
// leave a window where no one can reach it.
TEST_F(SkinWindowsTest, ExtremeStoredPlacesGiveReachableWindowsOfScreenSize) {
    Open("MA_L=2147483647\r\nMA_T=2147483647\r\nPL_W=2147483647\r\nPL_H=2147483647\r\n"
         "EQ_L=-2147483648\r\nEQ_H=2147483647\r\nAV_L=2147483647\r\nAV_W=2147483647\r\nAV_H=2147483647\r\n");
    D().BuildVideoWindow(true);
    ASSERT_TRUE(PlaylistWindow && EqualizerWindow && Form4);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect desktop = screen->virtualGeometry();
    for (QWidget* window : {static_cast<QWidget*>(form_), PlaylistWindow.data(), EqualizerWindow.data(),
                            static_cast<QWidget*>(Form4.data())}) {
        EXPECT_TRUE(desktop.intersects(window->geometry())) << window->objectName().toStdString();
        EXPECT_LE(window->width(), std::max(desktop.width(), 275)) << window->objectName().toStdString();
        EXPECT_LE(window->height(), std::max(desktop.height(), 116)) << window->objectName().toStdString();
    }
    EXPECT_EQ(D().PlaylistBuffer.size(), PlaylistWindow->size());
    EXPECT_EQ(EqualizerWindow->height(), 116) << "the equaliser has one full height";
    EXPECT_TRUE(screen->availableGeometry().contains(form_->geometry().topLeft()));
}

// The rows and the scrolling title show cursor slot 1, and take the new one after a reload.
TEST_F(SkinWindowsTest, RowsAndScrollingTitleShowTheSkinCursor) {
    auto cursorFile = [](int hotX) {
        using namespace skin_fixtures;
        const QByteArray xorRows = Rows(4, 2, 1, [](int, int) { return 1u; });
        const QByteArray andRows = Rows(4, 2, 1, [](int, int) { return 0u; });
        return Cur({{4, 2, hotX, 1, CursorDib(4, 2, 1, {qRgb(0, 0, 0), qRgb(255, 255, 255)}, xorRows, andRows)}});
    };
    dir_.write("skins/default/normal.cur", cursorFile(2));
    Open();
    ASSERT_TRUE(ListBox1 && D().TitleImage);
    EXPECT_EQ(ListBox1->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(ListBox1->cursor().hotSpot(), QPoint(2, 1));
    EXPECT_EQ(D().TitleImage->cursor().hotSpot(), QPoint(2, 1));
    dir_.write("skins/default/normal.cur", cursorFile(3));
    D().ReloadSkin();
    EXPECT_EQ(ListBox1->cursor().hotSpot(), QPoint(3, 1));
    EXPECT_EQ(D().TitleImage->cursor().hotSpot(), QPoint(3, 1));
}

}  // namespace

TEST_F(SkinWindowsTest, APressGivesItsWindowTheActiveTitleBar) {
    Open();
    ASSERT_TRUE(PlaylistWindow && EqualizerWindow);
    // A click reaches the native window first, where the application's mouse hook sees it.
    auto press = [](QWidget* window) {
        window->winId();  // a window not shown yet gets its native window for the press to reach
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent event(type, QPointF(5, 5), window->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                              type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(window->windowHandle(), &event);
        }
    };
    press(PlaylistWindow);
    EXPECT_EQ(D().FocusedCaption, "dispForm2");
    const QColor playlistActive = D().PlaylistBuffer.pixelColor(30, 5);
    press(EqualizerWindow);
    EXPECT_EQ(D().FocusedCaption, "dispForm3");
    EXPECT_NE(D().PlaylistBuffer.pixelColor(30, 5), playlistActive) << "the playlist's bar turned inactive";
    press(form_);
    EXPECT_EQ(D().FocusedCaption, "dispForm1");
    D().BuildVideoWindow(true);
    press(Form4);
    EXPECT_EQ(D().FocusedCaption, "dispForm4");
    TSkinWindow bare;
    press(&bare);
    EXPECT_EQ(D().FocusedCaption, "dispForm4") << "a window that is not one of the five skinned windows takes no press";
}
