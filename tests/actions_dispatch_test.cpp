// The mouse hook over the skinned windows: the hit rule at region borders, pressed pictures that
// follow the cursor, clicks of the main window's buttons and toggles by their stored settings and
// pictures, the shade toggle with hanging windows, and windows that go away mid-press.
#include <QFile>

#include "player/actions/app_message.h"
#include "player/actions/hit_test.h"
#include "player/actions/region_actions.h"
#include "player/actions/skin_forms.h"
#include "player/playback/run.h"
#include "player/skin/skin_regions.h"
#include "tests/actions_test_support.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;
using namespace actions_test;

QString Hit(int x, int y, HitKind kind, bool shaded = false) {
    const std::vector<TSkinRegion> main = ResolveRegions(kMainRegions, 275, 116);
    const TSkinRegion* r = HitRegion(main, x, y, kind, shaded);
    return r ? r->Name : QString();
}

TEST(HitRule, EdgesCountAndReleaseTakesOneColumnMore) {
    EXPECT_EQ(Hit(16, 88, HitKind::Press), "mBut1") << "top-left corner is inside";
    EXPECT_EQ(Hit(38, 106, HitKind::Press), "mBut1") << "bottom-right corner is inside";
    EXPECT_EQ(Hit(39, 95, HitKind::Press), "mBut2");
    EXPECT_EQ(Hit(39, 95, HitKind::Release), "mBut1") << "right + 1 still releases over the earlier button";
    EXPECT_EQ(Hit(159, 95, HitKind::Release), "mBut6");
    EXPECT_EQ(Hit(159, 95, HitKind::Press), "");
    EXPECT_EQ(Hit(38, 107, HitKind::Release), "") << "no extra row below";
    EXPECT_EQ(Hit(210, 95, HitKind::Press), "mButShuffle") << "shuffle is found before repeat";
    EXPECT_EQ(Hit(212, 95, HitKind::Release), "mButShuffle") << "211 + 1 on release";
    EXPECT_EQ(Hit(213, 95, HitKind::Release), "mButRepeat");
}

TEST(HitRule, ShadedTitleGapLetsTheSmallButtonsThrough) {
    EXPECT_EQ(Hit(166, 5, HitKind::Press, true), "mSmBut1");
    EXPECT_EQ(Hit(219, 5, HitKind::Press, true), "mSmBut6");
    EXPECT_EQ(Hit(165, 12, HitKind::Press, true), "m_Title") << "the gap starts at 166";
    EXPECT_EQ(Hit(220, 5, HitKind::Press, true), "m_Title") << "and ends at 219";
    EXPECT_EQ(Hit(170, 5, HitKind::Press, false), "m_Title") << "at full height the title covers them";
}

class DispatchTest : public SkinFixture {
protected:
    QWidget* Main() const { return form_; }
    Origin ScreenAt(QWidget* w, int x, int y) const { return OriginAt(ScreenOf(w), x, y); }
    Origin MainBufferAt(int x, int y) const { return OriginAt(D().MainBuffer, x, y); }
};

TEST_F(DispatchTest, PlaylistAndEqualizerTogglesStoreHideAndShow) {
    Open();
    ASSERT_TRUE(PlaylistWindow && PlaylistWindow->isVisible());
    Click(Main(), {250, 62});
    EXPECT_EQ(Ctrl->ReadString("PL_Open", ""), "0");
    EXPECT_FALSE(PlaylistWindow->isVisible());
    EXPECT_EQ(MainBufferAt(243, 58), From(Shufrep, 23, 61)) << "off picture";
    EXPECT_EQ(ScreenAt(Main(), 250, 60), From(Shufrep, 30, 63)) << "the release repainted the window";
    Click(Main(), {250, 62});
    EXPECT_EQ(Ctrl->ReadString("PL_Open", ""), "1");
    EXPECT_TRUE(PlaylistWindow->isVisible());
    EXPECT_EQ(MainBufferAt(243, 58), From(Shufrep, 23, 73));

    Click(Main(), {225, 62});
    EXPECT_EQ(Ctrl->ReadString("EQ_Open", ""), "0");
    EXPECT_FALSE(EqualizerWindow->isVisible());
    Click(Main(), {225, 62}, Qt::RightButton);
    EXPECT_EQ(Ctrl->ReadString("EQ_Open", ""), "0") << "a right click does not toggle";
    Click(Main(), {225, 62});
    EXPECT_EQ(Ctrl->ReadString("EQ_Open", ""), "1");
    EXPECT_TRUE(EqualizerWindow->isVisible());
}

TEST_F(DispatchTest, ShuffleAndRepeatFlipTheirSettings) {
    Open();
    Click(Main(), {180, 95});
    EXPECT_EQ(Ctrl->ReadString("Shuffle", ""), "1");
    EXPECT_EQ(MainBufferAt(164, 89), From(Shufrep, 28, 30));
    Click(Main(), {220, 95});
    EXPECT_EQ(Ctrl->ReadString("Repeat", ""), "0") << "repeat starts on";
    EXPECT_EQ(MainBufferAt(210, 89), From(Shufrep, 0, 0));
    Click(Main(), {210, 95});
    EXPECT_EQ(Ctrl->ReadString("Shuffle", ""), "0") << "x 210 is shuffle's";
    EXPECT_EQ(Ctrl->ReadString("Repeat", ""), "0");
}

TEST_F(DispatchTest, ReleaseOverAnotherRegionClicksNothing) {
    Open();
    Press(Main(), {180, 95});
    Release(Main(), {250, 62});
    EXPECT_EQ(Ctrl->ReadString("Shuffle", "unset"), "unset");
    EXPECT_EQ(Ctrl->ReadString("PL_Open", "unset"), "unset");
    EXPECT_TRUE(PressedRegion.isEmpty());
    EXPECT_EQ(Ctrl->DragX, -1);
    EXPECT_TRUE(Ctrl->MouseCaption.isEmpty());
    // One column right of shuffle's right edge still clicks it (that column is repeat's too).
    Press(Main(), {200, 95});
    Release(Main(), {212, 95});
    EXPECT_EQ(Ctrl->ReadString("Shuffle", ""), "1");
}

TEST_F(DispatchTest, HeldButtonShowsPressedOnlyWhileTheCursorIsOverIt) {
    Open();
    Press(Main(), {90, 95});
    EXPECT_EQ(ScreenAt(Main(), 85, 88), From(Cbuttons, 69, 18)) << "stop drawn pressed";
    EXPECT_EQ(D().LastDrawn, "mBut4");
    Move(Main(), {90, 50});
    EXPECT_EQ(ScreenAt(Main(), 85, 88), From(Cbuttons, 69, 0)) << "off the button it shows unpressed";
    EXPECT_EQ(D().LastDrawn, "dispForm1");
    Move(Main(), {95, 100});
    EXPECT_EQ(ScreenAt(Main(), 85, 88), From(Cbuttons, 69, 18)) << "back over it, pressed again";
    Release(Main(), {95, 100});
    EXPECT_EQ(ScreenAt(Main(), 85, 88), From(Cbuttons, 69, 0)) << "the release repaints";
    EXPECT_TRUE(PressedRegion.isEmpty());
}

TEST_F(DispatchTest, PressOnADragAreaDrawsNoButton) {
    Open();
    Press(Main(), {100, 5});
    EXPECT_EQ(PressedRegion, "m_Title");
    EXPECT_EQ(Ctrl->DragX, 100);
    EXPECT_EQ(Ctrl->DragY, 5);
    Release(Main(), {100, 5});
    EXPECT_EQ(Ctrl->DragX, -1);
    EXPECT_EQ(Ctrl->DragY, -1);
}

TEST_F(DispatchTest, ShadingTheMainWindowLiftsTheWindowsHangingUnderIt) {
    Open();
    ASSERT_EQ(EqualizerWindow->y(), 226);
    ASSERT_EQ(PlaylistWindow->y(), 342);
    Press(Main(), {258, 7});
    EXPECT_EQ(ScreenAt(Main(), 254, 3), From(Titlebar, 9, 18)) << "shade button drawn pressed";
    Release(Main(), {258, 7});
    EXPECT_EQ(Main()->height(), 14);
    EXPECT_EQ(EqualizerWindow->y(), 124);
    EXPECT_EQ(PlaylistWindow->y(), 240) << "hanging under the equaliser, it follows";
    EXPECT_EQ(ScreenAt(Main(), 0, 0), From(Titlebar, 27, 29)) << "shade-mode bar";
    Click(Main(), {258, 7});
    EXPECT_EQ(Main()->height(), 116);
    EXPECT_EQ(EqualizerWindow->y(), 226);
    EXPECT_EQ(PlaylistWindow->y(), 342);
}

TEST_F(DispatchTest, ShadedSmallButtonsActOnlyInShadeMode) {
    Open();
    Ctrl->Run->Paused = true;
    Click(Main(), {187, 30});
    EXPECT_TRUE(Ctrl->Run->Paused) << "at full height the small pause does nothing";
    Click(Main(), {258, 7});
    ASSERT_EQ(Main()->height(), 14);
    Click(Main(), {187, 7});
    EXPECT_FALSE(Ctrl->Run->Paused) << "in shade mode it pauses and resumes";
}

TEST_F(DispatchTest, ClosingTheBrowserFreesItAfterTheRelease) {
    Open();
    ASSERT_TRUE(Form5);
    QPointer<TForm5> browser = Form5.data();
    const int w = browser->width();
    Click(browser, {w - 6, 7});
    EXPECT_FALSE(Form5) << "every reference is gone at once";
    ASSERT_TRUE(browser) << "the window itself is freed later";
    EXPECT_FALSE(browser->isVisible());
    EXPECT_EQ(Ctrl->ReadString("MB_Open", ""), "0");
    EXPECT_EQ(Ctrl->ReadInteger("MB_W", 0), w);
    EXPECT_TRUE(PressedRegion.isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(browser);
}

TEST_F(DispatchTest, PressWhoseWindowVanishesEndsWithoutAction) {
    Open();
    QPointer<TForm5> browser = Form5.data();
    Press(browser, {20, browser->height() - 20});
    EXPECT_EQ(PressedRegion, "bBack");
    EXPECT_EQ(Ctrl->MouseCaption, "dispForm5");
    delete browser.data();
    Release(Main(), {20, 60});
    EXPECT_TRUE(PressedRegion.isEmpty());
    EXPECT_TRUE(Ctrl->MouseCaption.isEmpty());
    EXPECT_EQ(Ctrl->ReadString("PL_Open", "unset"), "unset") << "nothing under the cursor was clicked";
}

TEST_F(DispatchTest, PlaylistShadeKeepsItsFullHeightForUnshading) {
    Open();
    PlaylistWindow->resize(275, 200);
    D().BuildPlaylistWindow(false);
    const int w = PlaylistWindow->width();
    Click(PlaylistWindow, {w - 16, 7});
    EXPECT_EQ(PlaylistWindow->height(), 14);
    EXPECT_EQ(Ctrl->ReadInteger("PL_H", 0), 200);
    Click(PlaylistWindow, {w - 16, 7});
    EXPECT_EQ(PlaylistWindow->height(), 200);

    Click(PlaylistWindow, {w - 16, 7});
    Ctrl->WriteInteger("PL_H", 14);  // as a playlist built shaded leaves it
    Click(PlaylistWindow, {w - 16, 7});
    EXPECT_EQ(PlaylistWindow->height(), 116);
    EXPECT_EQ(PlaylistRegions[3].Bottom, 116) << "rebuilt: the grip follows the new height";
}

TEST_F(DispatchTest, EqualiserShadeAndCloseRegions) {
    Open();
    Click(EqualizerWindow, {258, 7});
    EXPECT_EQ(EqualizerWindow->height(), 14);
    EXPECT_EQ(OriginAt(ScreenOf(EqualizerWindow), 100, 5), From(EqEx, 100, 5)) << "its shade bar";
    Click(EqualizerWindow, {258, 7});
    EXPECT_EQ(EqualizerWindow->height(), 116);
    Click(EqualizerWindow, {268, 7});
    EXPECT_EQ(Ctrl->ReadString("EQ_Open", ""), "0") << "close is the equaliser toggle";
    EXPECT_FALSE(EqualizerWindow->isVisible());
    EXPECT_EQ(OriginAt(ScreenOf(form_), 219, 58), From(Shufrep, 0, 61)) << "the main window's button shows off";
}

TEST_F(DispatchTest, ClickRegionByNameActsAsTheButton) {
    Open();
    ClickRegion("mButPL");
    EXPECT_EQ(Ctrl->ReadString("PL_Open", ""), "0");
    EXPECT_FALSE(PlaylistWindow->isVisible());
    EXPECT_EQ(OriginAt(ScreenOf(form_), 243, 58), From(Shufrep, 23, 61));
    ClickRegion("mNoSuchRegion");  // an unknown name presses an empty rectangle and does nothing
    EXPECT_EQ(Ctrl->ReadString("PL_Open", ""), "0");
}

TEST_F(DispatchTest, TimeDigitsPressSwitchesTheTimeOrder) {
    Open();
    const bool before = Ctrl->Run->TimeOrder;
    Press(form_, {60, 30});
    EXPECT_EQ(Ctrl->Run->TimeOrder, !before) << "on the press, not the release";
    EXPECT_EQ(Ctrl->ReadBool("TimeOrder", before), !before);
    Release(form_, {60, 30});
    EXPECT_EQ(Ctrl->Run->TimeOrder, !before);
}

TEST_F(DispatchTest, CaptionUnderTheCursorIsTheSkinnedWindowThere) {
    Open();
    EXPECT_EQ(WindowCaptionUnderCursor(form_->mapToGlobal(QPoint(10, 50))), "dispForm1");
    EXPECT_EQ(WindowCaptionUnderCursor(EqualizerWindow->mapToGlobal(QPoint(10, 50))), "dispForm3");
    EXPECT_EQ(FormByCaption("dispForm2"), PlaylistWindow.data());
    EXPECT_EQ(CaptionOf(Form5), "dispForm5");
}

TEST_F(DispatchTest, CloseRegionShutsThePlayerDownAfterTheRelease) {
    Open();
    form_->QuietClose = true;
    Click(form_, {268, 7});
    EXPECT_TRUE(form_->isVisible()) << "not from inside the release";
    EXPECT_TRUE(PressedRegion.isEmpty());
    Settle();
    EXPECT_FALSE(form_->isVisible());
    EXPECT_TRUE(QFile::exists(dir_.path() + "/setup.ini")) << "the settings were saved on the way out";
}

TEST(SkinForms, CaptionsNameOnlyTheFiveWindows) {
    EXPECT_EQ(FormByCaption("dispForm9"), nullptr);
    EXPECT_EQ(FormByCaption("dispForm"), nullptr);
    EXPECT_EQ(FormByCaption("dispForm11"), nullptr);
    EXPECT_EQ(CaptionOf(nullptr), "");
}

}  // namespace
