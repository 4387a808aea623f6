// The sliders' numbers (volume, balance, seek, equaliser, scroll bar, video size) and the
// sliders, grips and scroll bar driven by synthetic mouse events.
#include "player/actions/slider_math.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/skin/skin_sprites.h"
#include "tests/actions_test_support.h"
#include "tests/skin_test_support.h"

namespace {

using namespace skin_test;
using namespace actions_test;
using namespace slider_math;

TEST(SliderNumbers, VolumeAtTheMarkedPositions) {
    const std::pair<int, int> table[] = {{115, 0},  {116, 1},  {117, 3},  {140, 49},
                                         {141, 50}, {142, 52}, {165, 98}, {166, 100}};
    for (auto [p, v] : table) EXPECT_EQ(VolumeAt(p), v) << "p " << p;
    EXPECT_EQ(VolumePosition(300, 6), 166) << "clamped at the right end";
    EXPECT_EQ(VolumePosition(0, 6), 115);
    EXPECT_EQ(VolumePosition(100, -1), 115) << "grab offset -1 after a right press: p = x + 8";
    EXPECT_EQ(VolumePosition(130, -1), 138);
}

TEST(SliderNumbers, VolumeGrabOnAndOffTheThumb) {
    EXPECT_EQ(VolumeGrabOffset(50, 150), 6) << "off the thumb (132..145)";
    EXPECT_EQ(VolumePosition(150, VolumeGrabOffset(50, 150)), 151);
    EXPECT_EQ(VolumeAt(151), 70);
    for (int x = 132; x < 146; ++x) EXPECT_EQ(VolumePosition(x, VolumeGrabOffset(50, x)), 140) << x;
    EXPECT_EQ(VolumeGrabOffset(50, 146), 6) << "one past the thumb";
}

TEST(SliderNumbers, BalanceAtTheMarkedPositions) {
    const std::pair<int, int> table[] = {{184, -100}, {185, -90}, {186, -81}, {194, -9},
                                         {195, 0},    {196, 9},   {205, 90},  {206, 100}};
    for (auto [p, b] : table) EXPECT_EQ(BalanceAt(p), b) << "p " << p;
    for (int x = 188; x < 202; ++x) EXPECT_EQ(BalancePosition(x, BalanceGrabOffset(0, x)), 195) << x;
    EXPECT_EQ(BalancePosition(500, 6), 206);
}

TEST(SliderNumbers, SeekEqualiserAndScroll) {
    EXPECT_EQ(SeekTarget(16, 200000), 0);
    EXPECT_EQ(SeekTarget(5, 200000), 0) << "left of the track";
    EXPECT_EQ(SeekTarget(235, 200000), 200000);
    EXPECT_EQ(SeekTarget(400, 200000), 200000);
    EXPECT_EQ(SeekTarget(16 + 73, 3), 1) << "1/3 x 3 is 1";
    // A ten-hour stream stays exact in milliseconds.
    EXPECT_EQ(SeekTarget(235, 36000000), 36000000);
    EXPECT_EQ(SeekThumb(10, 0), 16);
    EXPECT_EQ(SeekThumb(400, 0), 235);

    EXPECT_EQ(EqualizerValueAt(39), 63);
    EXPECT_EQ(EqualizerValueAt(100), 0);
    EXPECT_EQ(EqualizerValueAt(0), 63);
    EXPECT_EQ(EqualizerValueAt(200), 0);
    EXPECT_EQ(EqualizerValueAt(69), 32) << "30/61 x 63 = 30.98 rounds to 31";

    EXPECT_EQ(ScrollThumbCentre(0, 0, 300), 29);
    EXPECT_EQ(ScrollThumbCentre(500, 0, 300), 253);
    EXPECT_EQ(ScrollTopRow(100, 10, 29, 300), 0);
    EXPECT_EQ(ScrollTopRow(100, 10, 253, 300), 90);
    EXPECT_EQ(ScrollTopRow(3, 10, 253, 300), 0) << "every row fits: never a negative top row";
}

TEST(SliderNumbers, VideoWindowSizes) {
    int w = 101, h = 61;
    VideoResizeSize(w, h, false, 0);
    EXPECT_EQ(QSize(w, h), QSize(102, 62));
    w = 50, h = 50;
    VideoResizeSize(w, h, false, 0);
    EXPECT_EQ(QSize(w, h), QSize(76, 60));
    w = 200, h = 30;
    VideoResizeSize(w, h, true, 16);
    EXPECT_EQ(QSize(w, h), QSize(200, 52)) << "two lyric lines and the frame";
    w = 654, h = 300;
    KeepVideoAspect(w, h, 320, 240, 1);
    EXPECT_EQ(QSize(w, h), QSize(654, 500));
    w = 654, h = 300;
    KeepVideoAspect(w, h, 320, 240, 3);
    EXPECT_EQ(QSize(w, h), QSize(654, 300)) << "full screen keeps the size";
    KeepVideoAspect(w, h, 0, 240, 1);
    EXPECT_EQ(QSize(w, h), QSize(654, 300)) << "no video size known yet";
}

class SliderTest : public SkinFixture {};

TEST_F(SliderTest, VolumeSliderFollowsTheMouseToBothEnds) {
    Open();
    Ctrl->Volume = 50;
    Press(form_, {150, 63});
    EXPECT_EQ(Ctrl->DragY, 151);
    EXPECT_EQ(Ctrl->Volume, 70);
    EXPECT_TRUE(D().SliderDragging);
    EXPECT_EQ(OriginAt(ScreenOf(form_), 108 + 35, 60), From(Volume, 0, 424)) << "held thumb on screen";
    Move(form_, {300, 63});
    EXPECT_EQ(Ctrl->Volume, 100);
    Move(form_, {0, 63});
    EXPECT_EQ(Ctrl->Volume, 0);
    Release(form_, {0, 63});
    EXPECT_EQ(Ctrl->Volume, 0) << "the release outside the slider keeps the last value";
    EXPECT_FALSE(D().SliderDragging);
    EXPECT_EQ(OriginAt(D().MainBuffer, 108, 60), From(Volume, 15, 424)) << "normal thumb at 0 in the back buffer";
}

TEST_F(SliderTest, BalanceReleaseOnTheSliderSetsItsValue) {
    Open();
    Ctrl->Balance = 0;
    Press(form_, {195, 63});
    EXPECT_EQ(Ctrl->Balance, 0) << "grabbed on the centre thumb";
    Move(form_, {205, 63});
    Release(form_, {205, 63});
    EXPECT_EQ(Ctrl->Balance, 90);
    EXPECT_EQ(OriginAt(D().MainBuffer, 177 + 21, 60), From(Balance, 15, 424));
}

TEST_F(SliderTest, RightPressDrawsNothingButItsDragStepsRun) {
    Open();
    Ctrl->Volume = 50;
    Press(form_, {150, 63}, Qt::RightButton);
    EXPECT_EQ(Ctrl->Volume, 50);
    EXPECT_FALSE(D().SliderDragging);
    Move(form_, {130, 63}, Qt::RightButton);
    EXPECT_EQ(Ctrl->DragY, 138) << "grab offset -1";
    Release(form_, {130, 63}, Qt::RightButton);
}

TEST_F(SliderTest, SeekBarWithNothingPlayingDoesNothing) {
    Open();
    Press(form_, {100, 77});
    EXPECT_EQ(Ctrl->SeekDragging, 0);
    EXPECT_EQ(Ctrl->DragY, -1);
    Move(form_, {150, 77});
    EXPECT_EQ(Ctrl->DragY, -1);
    Release(form_, {150, 77});
}

TEST_F(SliderTest, SeekDragShowsTheTimeUnderTheThumbDigitByDigit) {
    for (const bool elapsed : {true, false}) {
        Open(elapsed ? QByteArray() : QByteArray("[Initialise]\r\nTimeOrder=0\r\n"));
        TRun& run = *Ctrl->Run;
        ASSERT_EQ(bool(run.TimeOrder), elapsed);
        run.EngineCode = Engine::FrameGrabbing;  // no engine object: the release seeks nothing
        run.Length = 219 * 6000;                 // 21:54, 6 s a bar pixel
        run.BarPixel = 0;
        Press(form_, {200, 77});
        Move(form_, {157, 77});  // thumb 142: 126 pixels in, 12:36
        ASSERT_EQ(Ctrl->DragY, 142);
        // Shown: 12:36 elapsed, or -09:18 remaining; every digit differs from the one it could
        // be taken for.
        const int shown[4] = {elapsed ? 1 : 0, elapsed ? 2 : 9, elapsed ? 3 : 1, elapsed ? 6 : 8};
        const int at[4] = {48, 59, 78, 89};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(OriginAt(ScreenOf(form_), at[i], 26), From(Numbers, 9 * shown[i], 0))
                << (elapsed ? "elapsed" : "remaining") << ", digit " << i;
        EXPECT_EQ(OriginAt(ScreenOf(form_), 39, 32) == From(Numbers, 74, 6), !elapsed) << "the minus";
        Release(form_, {157, 77});
        run.EngineCode = Engine::None;
        run.Length = 0;
        form_->QuietClose = true;
        form_->close();
        delete form_;
        form_ = nullptr;
    }
}

TEST_F(SliderTest, EqualiserSliderStoresItsValue) {
    Open();
    Press(EqualizerWindow, {84, 39});
    EXPECT_EQ(Ctrl->ReadInteger("EQ01", -1), 63);
    Move(EqualizerWindow, {84, 100});
    EXPECT_EQ(Ctrl->ReadInteger("EQ01", -1), 0);
    Release(EqualizerWindow, {84, 100});
    Click(EqualizerWindow, {25, 24});
    EXPECT_EQ(Ctrl->ReadString("EQON", ""), "1");
    Click(EqualizerWindow, {50, 24});
    EXPECT_EQ(Ctrl->ReadString("EQAuto", ""), "1");
    Click(EqualizerWindow, {50, 24});
    EXPECT_EQ(Ctrl->ReadString("EQAuto", ""), "0");
}

TEST_F(SliderTest, ScrollBarWithFewRowsKeepsTheTopRow) {
    Open();
    const int w = PlaylistWindow->width();
    Press(PlaylistWindow, {w - 11, 40});
    Move(PlaylistWindow, {w - 11, 50});
    EXPECT_EQ(ListBox1->TopIndex(), 0);
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, 50) << "grabbed off the thumb at 29: it follows the cursor";
    EXPECT_EQ(OriginAt(ScreenOf(PlaylistWindow), w - 12, 50), From(Pledit, 64, 62)) << "held thumb on screen";
    Move(PlaylistWindow, {w - 11, 300});
    EXPECT_EQ(Ctrl->Run->ListScrollThumb, 69) << "the thumb stops 47 above the bottom";
    Release(PlaylistWindow, {w - 11, 300});
}

TEST_F(SliderTest, PlaylistGripStopsAtTheLeastSize) {
    Open();
    const QPoint grip(PlaylistWindow->width() - 5, PlaylistWindow->height() - 5);
    Press(PlaylistWindow, grip);
    Move(PlaylistWindow, grip + QPoint(125, 84));
    EXPECT_EQ(PlaylistWindow->size(), QSize(400, 200));
    EXPECT_EQ(PlaylistRegions[0].Left, 380) << "the regions follow the new size";
    Move(PlaylistWindow, {10, 10});
    EXPECT_EQ(PlaylistWindow->size(), QSize(275, 116));
    Release(PlaylistWindow, {10, 10});
}

TEST_F(SliderTest, VideoResizeEvensTheSizeAndLeavesScreenModes) {
    Open();
    D().BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    Form4->show();
    D().VideoProportion = false;
    const QPoint grip(Form4->width() - 3, 100);
    Press(Form4, grip);
    EXPECT_EQ(Ctrl->ReadInteger("ScreenMode", 1), 0);
    Move(Form4, grip + QPoint(101 - Form4->width(), 61 - Form4->height()));
    EXPECT_EQ(Form4->size(), QSize(102, 62));
    Release(Form4, {99, 99});
}

}  // namespace
