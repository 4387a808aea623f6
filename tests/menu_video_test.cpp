// The video menu: where the size commands put the window, and the item states by engine,
// extension and the frame engine's own window.
#include <QGuiApplication>
#include <QScreen>

#include "player/commands/video_sizes.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "tests/menu_test_support.h"

using namespace video_sizes;

namespace {

TVideoSizing Sizing() {
    TVideoSizing s;
    s.Screen = QSize(1920, 1080);
    s.Desktop = QRect(-1280, 0, 3200, 1080);  // a second screen on the left
    s.Window = QRect(100, 50, 374, 288);
    s.Stored = QPoint(30, 40);
    s.Video = QSize(360, 268);
    return s;
}

}  // namespace

TEST(VideoSizes, FullScreenAndDesktopSizeUseTheDesktopsWidthAndHeight) {
    const TVideoSizing s = Sizing();
    EXPECT_EQ(VideoBounds(2, s), QRect(-1287, -15, 3214, 1100));
    EXPECT_EQ(VideoBounds(5, s), QRect(-1280, 0, 3200, 1080));
}

TEST(VideoSizes, NormalAndDoubleReturnToTheKeptPlaceFromFullScreen) {
    TVideoSizing s = Sizing();
    EXPECT_EQ(VideoBounds(3, s), QRect(100, 50, 374, 288)) << "not full size: stays where it is";
    s.Window = QRect(-7, -15, 1934, 1100);
    EXPECT_EQ(VideoBounds(3, s), QRect(30, 40, 374, 288));
    EXPECT_EQ(VideoBounds(4, s), QRect(30, 40, 734, 556));
    s.Lyrics = true;
    EXPECT_EQ(VideoBounds(4, s), QRect(30, 40, 374, 556)) << "with lyrics only the height doubles";
    s.Stored = QPoint(5000, -3);
    EXPECT_EQ(VideoBounds(3, s).topLeft(), QPoint(-1280, 0)) << "off the desktop: to its edge";
}

TEST(VideoSizes, APlaceIsKeptOnlyWhenTheWindowDoesNotFillTheScreen) {
    const QSize screen(1920, 1080);
    EXPECT_TRUE(KeepsPlaceBeforeFullScreen(QSize(374, 288), screen));
    EXPECT_FALSE(KeepsPlaceBeforeFullScreen(QSize(1934, 1100), screen));
    EXPECT_FALSE(KeepsPlaceBeforeFullScreen(QSize(1920, 300), screen));
    EXPECT_TRUE(IsFullSize(QSize(1934, 1100), screen));
    EXPECT_FALSE(IsFullSize(QSize(1920, 1100), screen));
}

class VideoMenuTest : public MenuTest {
protected:
    void SetUp() override {
        MenuTest::SetUp();
        WriteMenus({u"2.21=全屏"_qs, u"2.31=正常"_qs, u"2.70=窗口输出"_qs, u"2.90=色彩"_qs, u"2.110=柔化"_qs,
                    u"2.130=立体声"_qs, u"2.140=左声道"_qs, u"2.180=截图"_qs, u"2.190=比例"_qs, u"2.240=视频设置"_qs,
                    u"2.310=逐字"_qs});
        Ctrl->Display->BuildVideoWindow(true);
        ASSERT_TRUE(Form4);
    }
    QAction* Item(const QString& name) {
        QMenu* popup = Ctrl->Menu->PopupMenu(2);
        if (popup->actions().isEmpty()) Ctrl->Menu->BuildMenu(popup, u"2"_qs);
        QAction* item = Find(popup, name);
        Ctrl->Menu->UpdateItem(item);
        return item;
    }
};

TEST_F(VideoMenuTest, ItemsFollowTheEngineAndTheExtension) {
    Ctrl->Run->EngineCode = Engine::MediaPlayer;
    EXPECT_FALSE(Item(u"b70"_qs)->isVisible());
    EXPECT_FALSE(Item(u"b180"_qs)->isVisible());
    EXPECT_TRUE(Item(u"b240"_qs)->isVisible());
    Ctrl->Run->EngineCode = Engine::FrameGrabbing;
    targets_->FrameEngine = true;
    targets_->Extension = u"avi"_qs;
    EXPECT_TRUE(Item(u"b70"_qs)->isVisible());
    EXPECT_FALSE(Item(u"b130"_qs)->isVisible()) << "channel modes only for MPEG files";
    EXPECT_FALSE(Item(u"b240"_qs)->isVisible());
    targets_->Extension = u"mpg"_qs;
    EXPECT_TRUE(Item(u"b140"_qs)->isVisible());
    targets_->Extension = u"mp"_qs;
    EXPECT_FALSE(Item(u"b140"_qs)->isVisible());
}

TEST_F(VideoMenuTest, TheEnginesOwnWindowDisablesTheFrameFilters) {
    Ctrl->Run->VideoControl = u"00001011"_qs;
    targets_->FrameEngine = true;
    EXPECT_TRUE(Item(u"b110"_qs)->isChecked());
    targets_->FrameWidth = 320;
    QAction* soften = Item(u"b110"_qs);
    EXPECT_FALSE(soften->isEnabled());
    EXPECT_FALSE(soften->isChecked());
    EXPECT_FALSE(Item(u"b90"_qs)->isEnabled());
}

TEST_F(VideoMenuTest, ScreenModesCheckTheirItems) {
    Ctrl->WriteInteger(u"ScreenMode"_qs, 3);
    EXPECT_TRUE(Item(u"b21"_qs)->isChecked());
    EXPECT_FALSE(Item(u"b31"_qs)->isChecked());
    targets_->Lyrics = true;
    EXPECT_FALSE(Item(u"b190"_qs)->isVisible());
    EXPECT_TRUE(Item(u"b310"_qs)->isVisible());
}

TEST_F(VideoMenuTest, FullScreenTwiceKeepsThePlaceFromBefore) {
    Form4->setGeometry(60, 70, 374, 288);
    Ctrl->Menu->Execute(u"2.2"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"AV_L"_qs, 0), 60);
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 1), 3);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    Form4->setGeometry(-7, -15, screen.width() + 14, screen.height() + 20);
    if (Form4->size() != screen + QSize(14, 20)) GTEST_SKIP() << "the platform limits the window's size";
    Ctrl->Menu->Execute(u"2.2"_qs);
    EXPECT_EQ(Ctrl->ReadInteger(u"AV_L"_qs, 0), 60);
    calls_.clear();
    Ctrl->Menu->Execute(u"2.3"_qs);
    EXPECT_EQ(calls_.filter(u"bounds"_qs), QStringList{u"bounds 60 70 374 288"_qs});
    EXPECT_EQ(Ctrl->ReadInteger(u"ScreenMode"_qs, 0), 1);
}

TEST_F(VideoMenuTest, SoftenTogglesItsFlagAndStoresIt) {
    Ctrl->Run->VideoControl = u"0000"_qs;
    Ctrl->Menu->Execute(u"2.11"_qs);
    EXPECT_EQ(Ctrl->Run->VideoControl, u"00001"_qs);
    Ctrl->Menu->Execute(u"2.12"_qs);
    Ctrl->Menu->Execute(u"2.11"_qs);
    EXPECT_EQ(Ctrl->ReadString(u"VideoControl"_qs, QString()), u"000001"_qs);
}

TEST_F(VideoMenuTest, SizesBringAVideoWindowBackFromTheTrayExceptDesktopSize) {
    Form4->hide();
    Ctrl->Menu->Execute(u"2.4"_qs);
    EXPECT_EQ(calls_.value(0), u"from tray"_qs);
    calls_.clear();
    Ctrl->Menu->Execute(u"2.5"_qs);
    EXPECT_FALSE(calls_.contains(u"from tray"_qs));
}

namespace {

int Stored(const char* key, int fallback = -99) { return Ctrl->ReadInteger(QString::fromLatin1(key), fallback); }

TEST_F(VideoMenuTest, WindowOutputAndFrameFiltersSetTheRatePriorityTheirWay) {
    Ctrl->Menu->Execute(u"2.8"_qs);
    EXPECT_EQ(Stored("RatePriority"), 0) << "frames through the filters";
    EXPECT_TRUE(targets_->Also.isEmpty()) << "no engine object to tell";
    targets_->FrameEngine = true;
    Ctrl->Menu->Execute(u"2.7"_qs);
    EXPECT_EQ(Stored("RatePriority"), 1) << "the video window";
    Ctrl->Menu->Execute(u"2.8"_qs);
    EXPECT_EQ(Stored("RatePriority"), 0);
    EXPECT_EQ(targets_->Also, QStringList({u"grabber 0"_qs, u"grabber 1"_qs}));
}

TEST_F(VideoMenuTest, ChannelModesReachTheEngineAndAreStored) {
    Ctrl->Menu->Execute(u"2.15"_qs);
    EXPECT_EQ(Stored("AudioMode"), 1);
    EXPECT_TRUE(targets_->Also.isEmpty());
    targets_->FrameEngine = true;
    for (const int item : {16, 14, 15}) Ctrl->Menu->Execute(u"2."_qs + QString::number(item));
    EXPECT_EQ(targets_->Also, QStringList({u"audio mode 2"_qs, u"audio mode 0"_qs, u"audio mode 1"_qs}));
    EXPECT_EQ(Stored("AudioMode"), 1);
    Ctrl->Menu->Execute(u"2.14"_qs);
    EXPECT_EQ(Stored("AudioMode"), 0);
}

TEST_F(VideoMenuTest, VideoOnTopToggles) {
    Ctrl->Menu->Execute(u"2.17"_qs);
    EXPECT_EQ(Stored("VideoOnTop"), 1);
    EXPECT_TRUE(Form4->windowFlags() & Qt::WindowStaysOnTopHint);
    Ctrl->Menu->Execute(u"2.17"_qs);
    EXPECT_EQ(Stored("VideoOnTop"), 0);
    EXPECT_FALSE(Form4->windowFlags() & Qt::WindowStaysOnTopHint);
}

TEST_F(VideoMenuTest, ProportionTakesTheVideosShapeOnlyInTheWindowedModes) {
    Form4->setGeometry(60, 70, 400, 300);
    Ctrl->WriteInteger(u"ScreenMode"_qs, 2);
    Ctrl->Menu->Execute(u"2.19"_qs);
    EXPECT_EQ(Stored("VideoProportion"), 1);
    EXPECT_TRUE(Ctrl->Display->VideoProportion);
    EXPECT_EQ(calls_.filter(u"bounds"_qs), QStringList{u"bounds 60 70 400 300"_qs}) << "its own place and size";
    calls_.clear();
    Ctrl->Menu->Execute(u"2.19"_qs);
    EXPECT_EQ(Stored("VideoProportion"), 0);
    EXPECT_FALSE(Ctrl->Display->VideoProportion);
    EXPECT_TRUE(calls_.filter(u"bounds"_qs).isEmpty()) << "turning it off leaves the window";
    Ctrl->WriteInteger(u"ScreenMode"_qs, 3);
    Ctrl->Menu->Execute(u"2.19"_qs);
    EXPECT_TRUE(Ctrl->Display->VideoProportion);
    EXPECT_TRUE(calls_.filter(u"bounds"_qs).isEmpty()) << "full screen keeps its size";
}

TEST_F(VideoMenuTest, MinimiseAndRestoreShowTheTaskbarAndGoByVisibility) {
    Form4->show();  // which sizes it in its screen mode
    calls_.clear();
    targets_->Also.clear();
    Ctrl->Menu->Execute(u"2.21"_qs);
    EXPECT_EQ(targets_->Also, QStringList{u"taskbar hidden 0"_qs});
    EXPECT_EQ(calls_, QStringList{u"to tray"_qs});
    calls_.clear();
    Form4->hide();
    Ctrl->Menu->Execute(u"2.22"_qs);
    EXPECT_EQ(calls_, QStringList{u"from tray"_qs});
}

TEST_F(VideoMenuTest, ClosingStopsAVideoButNotLyrics) {
    TRun& run = *Ctrl->Run;
    Form4->show();
    run.Position = 1000;
    run.VideoOpen = true;
    targets_->Lyrics = true;
    Ctrl->Menu->Execute(u"2.23"_qs);
    EXPECT_TRUE(Form4 && Form4->isHidden());
    EXPECT_EQ(run.Position, 1000) << "the lyrics go on";
    targets_->Lyrics = false;
    Form4->show();
    Ctrl->Menu->Execute(u"2.23"_qs);
    EXPECT_EQ(run.Position, 0) << "stopped";
    EXPECT_FALSE(run.VideoOpen);
}

TEST_F(VideoMenuTest, SettingsPagesOfTheVideoMenuSendAFullScreenMainWindowToTheTray) {
    const int pages[][2] = {{9, 4}, {18, 6}, {24, 3}, {32, 8}, {33, 9}};
    form_->show();
    for (const auto& [item, page] : pages) {
        calls_.clear();
        Ctrl->WriteInteger(u"ScreenMode"_qs, 1);
        Ctrl->Menu->Execute(u"2."_qs + QString::number(item));
        EXPECT_EQ(calls_, QStringList{u"settings "_qs + QString::number(page)}) << item;
        calls_.clear();
        Ctrl->WriteInteger(u"ScreenMode"_qs, 3);
        Ctrl->Menu->Execute(u"2."_qs + QString::number(item));
        EXPECT_EQ(calls_, QStringList({u"settings "_qs + QString::number(page), u"to tray"_qs})) << item;
    }
}

TEST_F(VideoMenuTest, WordByWordTogglesAndReachesLoadedLyrics) {
    Ctrl->Menu->Execute(u"2.31"_qs);
    EXPECT_EQ(Stored("LrcUseLiteral"), 0);
    EXPECT_TRUE(targets_->Also.isEmpty()) << "no lyrics loaded";
    targets_->Lyrics = true;
    Ctrl->Menu->Execute(u"2.31"_qs);
    EXPECT_EQ(Stored("LrcUseLiteral"), 1);
    EXPECT_EQ(targets_->Also, QStringList{u"literal 1"_qs});
}

TEST_F(VideoMenuTest, ItemsWithoutARowDoNothing) {
    targets_->FrameEngine = true;
    Form4->show();
    calls_.clear();
    targets_->Also.clear();
    for (const int item : {6, 10, 13, 20, 25, 26, 27, 28, 29, 30, 34})
        Ctrl->Menu->Execute(u"2."_qs + QString::number(item));
    EXPECT_TRUE(calls_.isEmpty()) << calls_.join(u'|').toStdString();
    EXPECT_TRUE(targets_->Also.isEmpty()) << targets_->Also.join(u'|').toStdString();
    EXPECT_TRUE(Form4->isVisible());
}

}  // namespace
