// The screen saver decision, the skin cursor per place, and minimising to and restoring from
// the tray.
#include "platform/tray_icon.h"
#include "player/actions/placement.h"
#include "player/actions/screen_saver.h"
#include "player/actions/skin_cursor.h"
#include "player/commands/menu.h"
#include "player/skin/skin_regions.h"
#include "player/video/form4.h"
#include "tests/actions_test_support.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;

TScreenState PlayingVideo() {
    TScreenState s;
    s.VideoOpen = true;
    s.VideoWindowVisible = true;
    s.Position = 1200;
    s.VideoControl = "00000011";
    s.LyricsControl = "11000";
    return s;
}

TEST(ScreenSaver, VideoAndLyricsFlagsDecide) {
    EXPECT_TRUE(KeepScreenAwake(PlayingVideo()));
    TScreenState off = PlayingVideo();
    off.VideoControl = "00000001";
    EXPECT_FALSE(KeepScreenAwake(off)) << "character 7 of the video flags is 0";
    TScreenState start = PlayingVideo();
    start.Position = 0;
    EXPECT_FALSE(KeepScreenAwake(start)) << "nothing shows before the position moves";
    TScreenState hidden = PlayingVideo();
    hidden.VideoWindowVisible = false;
    EXPECT_FALSE(KeepScreenAwake(hidden));
    TScreenState shortFlags = PlayingVideo();
    shortFlags.VideoControl = "000000";
    EXPECT_FALSE(KeepScreenAwake(shortFlags)) << "a missing character counts as 0";

    TScreenState lyrics = PlayingVideo();
    lyrics.Lyrics = true;
    EXPECT_FALSE(KeepScreenAwake(lyrics)) << "with lyrics, character 5 of the lyrics flags decides";
    lyrics.LyricsControl = "11001";
    lyrics.Position = 0;
    lyrics.VideoOpen = false;
    EXPECT_TRUE(KeepScreenAwake(lyrics)) << "lyrics in a visible video window, whatever the position";
    EXPECT_FALSE(KeepScreenAwake(TScreenState{}));
}

TEST(SkinCursorSlots, EachWindowsPlaces) {
    auto slot = [](int window, int x, int y, int w = 275, int h = 116, bool shaded = false, bool playing = false) {
        return CursorSlot({window, x, y, w, h, shaded, playing});
    };
    EXPECT_EQ(slot(1, 250, 5), 1) << "the title buttons";
    EXPECT_EQ(slot(1, 100, 5), 3);
    EXPECT_EQ(slot(1, 270, 8), 6);
    EXPECT_EQ(slot(1, 200, 5), 3);
    EXPECT_EQ(slot(1, 200, 5, 275, 14, true), 1) << "shaded, the small buttons lie there";
    EXPECT_EQ(slot(1, 230, 5, 275, 14, true), 3);
    EXPECT_EQ(slot(1, 120, 60), 2) << "volume";
    EXPECT_EQ(slot(1, 100, 77), 1) << "seek bar with nothing playing";
    EXPECT_EQ(slot(1, 100, 77, 275, 116, false, true), 2);
    EXPECT_EQ(slot(2, 390, 100, 400, 300), 5) << "playlist scroll bar";
    EXPECT_EQ(slot(2, 390, 290, 400, 300), 4) << "its grip";
    EXPECT_EQ(slot(3, 84, 60), 5) << "an equaliser band";
    EXPECT_EQ(slot(3, 60, 60), 1);
    EXPECT_EQ(slot(4, 355, 100, 360, 268), 4) << "video right edge";
    EXPECT_EQ(slot(5, 100, 10, 275, 348), 3);
}

class TrayTest : public SkinFixture {};

TEST_F(TrayTest, MinimisingTheMainWindowHidesTheSkinToTheTray) {
    Open();
    form_->showMinimized();
    Settle();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(PlaylistWindow->isVisible());
    EXPECT_FALSE(EqualizerWindow->isVisible());
    EXPECT_FALSE(Form5->isVisible());
    Ctrl->WriteBool("EQ_Open", false);
    AnimateToTray(false, form_);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_FALSE(form_->isMinimized());
    EXPECT_TRUE(PlaylistWindow->isVisible());
    EXPECT_FALSE(EqualizerWindow->isVisible()) << "only windows that were open come back";
    EXPECT_TRUE(Form5->isVisible()) << "the browser whenever it exists";
}

TEST_F(TrayTest, MinimisingWithAVideoShowingHidesItBesideTheMainWindowWithItsIcon) {
    dir_.write("Plugins/MenuPlus.ini", "");
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Form4->show();
    ASSERT_TRUE(Form4->TrayIcon().IsAdded());
    form_->showMinimized();
    Settle();
    EXPECT_FALSE(form_->isVisible()) << "the main window went to the tray";
    EXPECT_FALSE(form_->isMinimized()) << "the application itself is not minimised";
    EXPECT_FALSE(PlaylistWindow->isVisible());
    EXPECT_FALSE(Form4->isVisible()) << "the video window is hidden beside it";
    EXPECT_TRUE(Form4->TrayIcon().IsAdded()) << "and keeps its tray icon";
    EXPECT_TRUE(Form4->RemoveIconOnHide) << "the next hide removes it again";
}

TEST_F(TrayTest, BringingTheHiddenMainWindowUpBringsItsWindowsBackFromTheTray) {
    // The tray click and a second start without an argument both end here.
    Open();
    actions_test::Click(form_, {248, 7});
    ASSERT_FALSE(PlaylistWindow->isVisible());
    Ctrl->Display->ShowSkinWindow(form_);
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(PlaylistWindow->isVisible()) << "the playlist was open: it comes back with the main window";
    EXPECT_TRUE(EqualizerWindow->isVisible());
}

TEST_F(TrayTest, MinimiseRegionGoesToTheTray) {
    Open();
    actions_test::Click(form_, {248, 7});
    EXPECT_FALSE(form_->isVisible());
    EXPECT_FALSE(PlaylistWindow->isVisible());
}

// A desktop with no notification area: nothing may hide where no icon can bring it back.
class NoTrayTest : public SkinFixture {
protected:
    void SetUp() override {
        SkinFixture::SetUp();
        platform::SetTrayAvailable(false);
    }
    void TearDown() override {
        platform::SetTrayAvailable(true);
        SkinFixture::TearDown();
    }
};

TEST_F(NoTrayTest, MinimiseRegionMinimisesTheMainWindowAndItsWindows) {
    Open();
    actions_test::Click(form_, {248, 7});
    EXPECT_TRUE(form_->isVisible()) << "no tray icon could bring it back";
    EXPECT_TRUE(form_->isMinimized());
    EXPECT_TRUE(PlaylistWindow->isMinimized());
    EXPECT_TRUE(EqualizerWindow->isMinimized());
    EXPECT_TRUE(Form5->isMinimized());
    // A second start without an argument ends here.
    Ctrl->Display->ShowSkinWindow(form_);
    Settle();
    EXPECT_FALSE(form_->isMinimized());
    EXPECT_FALSE(PlaylistWindow->isMinimized()) << "the glued windows come back with it";
    EXPECT_TRUE(PlaylistWindow->isVisible());
    EXPECT_FALSE(Form5->isMinimized());
}

TEST_F(NoTrayTest, AWindowManagerMinimiseTakesTheVideoWindowAlongAndARestoreBringsAllBack) {
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Form4->show();
    form_->showMinimized();
    Settle();
    EXPECT_TRUE(form_->isVisible());
    EXPECT_TRUE(form_->isMinimized()) << "the window manager's minimise stands";
    EXPECT_TRUE(PlaylistWindow->isMinimized());
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_TRUE(Form4->isMinimized());
    form_->showNormal();
    Settle();
    EXPECT_FALSE(PlaylistWindow->isMinimized());
    EXPECT_FALSE(Form4->isMinimized()) << "a restore brings the video window back too";
    EXPECT_TRUE(Form4->isVisible());
}

TEST_F(NoTrayTest, TheVideoWindowsMinimiseCommandMinimisesIt) {
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Form4->show();
    Ctrl->Menu->Execute(QStringLiteral("2.21"));
    EXPECT_TRUE(Form4->isVisible());
    EXPECT_TRUE(Form4->isMinimized());
    EXPECT_FALSE(form_->isMinimized()) << "the main window stays";
}

TEST_F(TrayTest, TopMostWindowsStayOnTopAfterDeactivation) {
    Open();
    form_->AppOnTop = 1;
    QEvent deactivate(QEvent::ApplicationDeactivate);
    QCoreApplication::sendEvent(qApp, &deactivate);
    EXPECT_TRUE(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(PlaylistWindow->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form_->isVisible());
    form_->AppOnTop = 0;
    QCoreApplication::sendEvent(qApp, &deactivate);
    SetWindowsOnTop(false);
    EXPECT_FALSE(form_->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(TrayTest, VideoBoundsFollowTheResizeRules) {
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    D().VideoProportion = false;
    SetVideoBounds(40, 30, 101, 61);
    EXPECT_EQ(Form4->geometry(), QRect(40, 30, 102, 62));
    EXPECT_EQ(Ctrl->DragX, -1);
    SetVideoBounds(0, 0, 50, 50);
    EXPECT_EQ(Form4->size(), QSize(76, 60));
    EXPECT_EQ(VideoRegions[0].Left, 76 - 11) << "the close region follows the new width";
}

}  // namespace
