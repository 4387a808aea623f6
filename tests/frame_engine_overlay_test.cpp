// The frame-grabbing engine's two outputs on a real X server: the raw picture drawn by the graph's
// own X sink into a native child of the video window, the grabbed frames painted by the engine,
// and the switch between the two while a file plays. Run on Xvfb (the ".xvfb" test); on the
// offscreen platform, which has no native windows, the cases skip.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QtCore/qtestsupport_core.h>

#include "directshow/filter_graph.h"
#include "platform/message_box.h"
#include "player/actions/placement.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/capture.h"
#include "player/video/dspack.h"
#include "player/video/form4.h"
#include "tests/frame_engine_fixture.h"

using namespace directshow;

namespace {

constexpr int kPatience = 15000;

bool IsRed(QRgb pixel) { return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60; }

class FrameEngineOverlayTest : public FrameEngineFixture {
protected:
    void SetUp() override {
        if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X server";
    }
    void Start(const QByteArray& setup) {
        StartPlayer("[DECODE_SETUP]\r\nDECODE3=*.avi\r\n", "VideoControl=00000011\r\n" + setup);
    }
    // Red from edge to edge, long enough to switch outputs while it plays.
    QString RedAvi() { return PatternAvi("red.avi", "red", 250); }
    TDspack* Play(const QString& path) {
        ListBox1->SetItems({"<?" + path + "?>"});
        run_->PlayIndex(0);
        TDspack* engine = RunDspack(run_, false);
        if (engine) QObject::connect(engine, &TDspack::FrameDrawn, [this] { ++grabbed_; });
        return engine;
    }
    // What the X server shows in the middle of a window.
    static QRgb MiddleOnScreen(QWidget* window) {
        const QImage shot = QGuiApplication::primaryScreen()->grabWindow(window->winId()).toImage();
        return shot.isNull() ? 0 : shot.pixel(shot.width() / 2, shot.height() / 2);
    }
    static bool HasWindowSink(TDspack* engine) {
        const QStringList factories = engine->Graph()->FilterFactories();
        return factories.contains("ximagesink") || factories.contains("xvimagesink");
    }

    int grabbed_ = 0;
};

}  // namespace

TEST_F(FrameEngineOverlayTest, RawOutputIsDrawnByTheGraphIntoANativeChildOfTheVideoWindow) {
    Start("RatePriority=1\r\n");
    const QString avi = RedAvi();
    ASSERT_FALSE(avi.isEmpty());
    TDspack* engine = Play(avi);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return run_->ProgressTimerObj->isActive(); }, kPatience));
    ASSERT_TRUE(Form4);
    EXPECT_TRUE(engine->Graph()->DrawsVideo()) << engine->Graph()->FilterFactories().join(' ').toStdString();
    EXPECT_TRUE(HasWindowSink(engine));
    QWidget* window = engine->Graph()->VideoWindowWidget();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), Form4.data());
    EXPECT_TRUE(window->testAttribute(Qt::WA_NativeWindow));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(7, 15, Form4->width() - 14, Form4->height() - 20));
    EXPECT_TRUE(QTest::qWaitFor([&] { return IsRed(MiddleOnScreen(window)); }, kPatience))
        << "the X server shows " << std::hex << MiddleOnScreen(window) << " in the video window";
    QTest::qWait(300);
    EXPECT_EQ(grabbed_, 0) << "no frame went through the grabber";
    EXPECT_EQ(engine->ImgVideo(), nullptr);

    // Below the video window's other children: a native child put there later is drawn over it.
    EXPECT_EQ(Form4->children().indexOf(window), 0);
    // The child follows the picture area when the video window is resized.
    Ctrl->Display->VideoProportion = false;
    SetVideoBounds(10, 10, 300, 220);
    EXPECT_EQ(window->geometry(), QRect(7, 15, 286, 200));
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("|").toStdString();
}

TEST_F(FrameEngineOverlayTest, SwitchingToGrabbedFramesAndBackWhilePlaying) {
    Start("RatePriority=1\r\n");
    const QString avi = RedAvi();
    ASSERT_FALSE(avi.isEmpty());
    TDspack* engine = Play(avi);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Graph()->DrawsVideo(); }, kPatience));

    engine->SetRatePriority(1);
    EXPECT_FALSE(engine->Graph()->DrawsVideo());
    EXPECT_FALSE(HasWindowSink(engine));
    EXPECT_TRUE(QTest::qWaitFor([&] { return grabbed_ >= 3; }, kPatience)) << "frames grabbed: " << grabbed_;
    QWidget* window = engine->Graph()->VideoWindowWidget();
    EXPECT_TRUE(!window || !window->isVisible()) << "no empty window over the painted frames";
    ASSERT_TRUE(Form4);
    EXPECT_TRUE(IsRed(Form4->ScreenImage().pixel(Form4->width() / 2, Form4->height() / 2)));
    ASSERT_NE(engine->ImgVideo(), nullptr);
    {
        // The frame the capture saves.
        std::lock_guard guard(engine->ImgVideo()->FrameLock);
        EXPECT_EQ(engine->ImgVideo()->FrameBitmap.size(), QSize(160, 120));
        EXPECT_TRUE(IsRed(engine->ImgVideo()->FrameBitmap.pixel(80, 60)));
    }

    engine->SetRatePriority(0);
    EXPECT_TRUE(engine->Graph()->DrawsVideo());
    EXPECT_TRUE(HasWindowSink(engine));
    window = engine->Graph()->VideoWindowWidget();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([&] { return IsRed(MiddleOnScreen(window)); }, kPatience));
    FilterState state = FilterState::State_Stopped;
    engine->Graph()->GetState(1000, &state);
    EXPECT_EQ(state, FilterState::State_Running) << "still playing after both switches";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("|").toStdString();
}

TEST_F(FrameEngineOverlayTest, StopTakesTheSinkOutAndTheNextEntryDrawsAgain) {
    Start("RatePriority=1\r\n");
    const QString avi = RedAvi();
    ASSERT_FALSE(avi.isEmpty());
    TDspack* engine = Play(avi);
    ASSERT_NE(engine, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return engine->Graph()->DrawsVideo(); }, kPatience));
    run_->Stop();
    EXPECT_FALSE(engine->Graph()->DrawsVideo());
    EXPECT_FALSE(HasWindowSink(engine));
    EXPECT_EQ(Play(avi), engine);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->Graph()->DrawsVideo(); }, kPatience));
    QWidget* window = engine->Graph()->VideoWindowWidget();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), Form4.data()) << "the new video window";
}
