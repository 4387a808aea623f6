// The frame-grabbing engine inside the player: the route of its types, frames through the filters
// into the video window, stop, the decoder search and the position arithmetic.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include "directshow/filter_graph.h"
#include "directshow/sys_dev_enum.h"
#include "platform/device_volume.h"
#include "platform/message_box.h"
#include "player/actions/placement.h"
#include "player/actions/seek.h"
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

class FrameEngineTest : public FrameEngineFixture {
protected:
    void Start(const QByteArray& setup, const QByteArray& automatic = "1") {
        StartPlayer("[DECODE_SETUP]\r\nDECODE0=*.mp3\r\nDECODE3=*.dat;*.mpg\r\n[AUTO_CTRL]\r\nENABLE_AUTO_CTRL=" +
                        automatic + "\r\n",
                    setup);
    }
    // Black is exactly 0.
    QString BlackAvi() { return PatternAvi("black.avi", "black", 100); }
    // MPEG-1 video with MPEG audio, as on a video CD.
    QString MpegFile() {
        const QString path = dir_.file("clip.mpg");
        const bool made = EncodeWith("videotestsrc pattern=black num-buffers=75 ! "
                                     "video/x-raw,width=352,height=288,framerate=25/1 ! mpeg2enc format=0 ! "
                                     "mpegpsmux name=m ! filesink location=" + path +
                                     " audiotestsrc num-buffers=75 ! audioconvert ! avenc_mp2 ! m.");
        return made ? path : QString();
    }
    // Plays the file and waits for frames in the video window; the last one drawn.
    QImage PlayAndGrab(const QString& path) {
        ListBox1->SetItems({"<?" + path + "?>"});
        run_->PlayIndex(0);
        TDspack* engine = RunDspack(run_, false);
        if (!engine) return QImage();
        int frames = 0;
        // Counted only while this frame lives: the engine goes on drawing after it returns.
        const QMetaObject::Connection counting = QObject::connect(engine, &TDspack::FrameDrawn, [&] { ++frames; });
        if (!QTest::qWaitFor([&] { return frames >= 3; }, kPatience)) ADD_FAILURE() << "too few frames drawn: " << frames;
        QObject::disconnect(counting);
        return engine->LastDrawn();
    }

};

QRgb Middle(const QImage& image) { return image.pixel(image.width() / 2, image.height() / 2); }

}  // namespace

TEST_F(FrameEngineTest, BrightnessLightensABlackVideoInTheWindow) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\nBrightnessValue=200\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    const QImage drawn = PlayAndGrab(avi);
    EXPECT_EQ(run_->EngineCode, Engine::FrameGrabbing) << "not sent to the plain graph";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join("|").toStdString();
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(Middle(drawn), qRgb(200, 200, 200));
    ASSERT_TRUE(Form4);
    EXPECT_EQ(Form4->ScreenImage().pixel(7 + drawn.width() / 2, 15 + drawn.height() / 2), qRgb(200, 200, 200));
    EXPECT_TRUE(QTest::qWaitFor([&] { return run_->Length > 0; }, kPatience)) << "the run takes the engine's length";
}

TEST_F(FrameEngineTest, WithTheBrightnessFlagOffTheVideoStaysBlack) {
    Start("RatePriority=0\r\nVideoControl=00000011\r\nBrightnessValue=200\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    const QImage drawn = PlayAndGrab(avi);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(Middle(drawn), qRgb(0, 0, 0));
}

TEST_F(FrameEngineTest, RawOutputDrawsUnfilteredFramesWithoutFilterObjects) {
    Start("RatePriority=1\r\nVideoControl=10000011\r\nBrightnessValue=200\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    const QImage drawn = PlayAndGrab(avi);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_EQ(Middle(drawn), qRgb(0, 0, 0));
    EXPECT_EQ(RunDspack(run_, false)->ImgVideo(), nullptr);
}

TEST_F(FrameEngineTest, StopFreesTheFilterObjectsAndKeepsTheEngine) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\nBrightnessValue=200\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_FALSE(PlayAndGrab(avi).isNull());
    TDspack* engine = RunDspack(run_, false);
    ASSERT_NE(engine->ImgVideo(), nullptr);
    int late = 0;
    QObject::connect(engine, &TDspack::FrameDrawn, [&] { ++late; });
    run_->Stop();
    EXPECT_EQ(engine->ImgVideo(), nullptr);
    EXPECT_EQ(RunDspack(run_, false), engine) << "kept for the next entry";
    QTest::qWait(300);
    EXPECT_EQ(late, 0) << "frames queued before the stop are not drawn";
    // The kept engine plays the next entry too.
    EXPECT_FALSE(PlayAndGrab(avi).isNull());
}

TEST_F(FrameEngineTest, MpegFilesOfTheListPlayWithTheChannelModeOfTheSettings) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\nBrightnessValue=200\r\nAudioMode=2\r\n", "0");
    if (!HaveElements({"mpeg2enc", "mpegpsmux", "avenc_mp2"})) GTEST_SKIP() << "no MPEG-1 encoder here";
    const QString mpg = MpegFile();
    ASSERT_FALSE(mpg.isEmpty());
    const QImage drawn = PlayAndGrab(mpg);
    EXPECT_EQ(run_->EngineCode, Engine::FrameGrabbing);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_GE(qRed(Middle(drawn)), 200) << "black lifted by the brightness";
    TDspack* engine = RunDspack(run_, false);
    EXPECT_EQ(engine->Extension, ".mpg");
    EXPECT_TRUE(QTest::qWaitFor([&] { return run_->Length > 0; }, kPatience));
    EXPECT_EQ(engine->AudioMode(), 2);
    if (engine->DecoderIndex() >= 0) {
        EXPECT_EQ(engine->Graph()->DualMode(), 2) << "the decoder took the mode";
    }
}

TEST_F(FrameEngineTest, TheWaveDeviceVolumeReachesTheGraphAtTheStartAndOnEveryChange) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\n");
    platform::SetDeviceVolume(platform::DeviceFamily::Wave, 0, 0x80008000u);
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_FALSE(PlayAndGrab(avi).isNull());
    TDspack* engine = RunDspack(run_, false);
    const auto start = engine->Graph()->DeviceLevels();
    EXPECT_NEAR(start.first, 0x8000 / 65535.0, 1e-6);
    EXPECT_NEAR(start.second, 0x8000 / 65535.0, 1e-6);
    Ctrl->Volume = 40;
    Ctrl->Balance = -100;
    Ctrl->ApplyVolume();
    const auto changed = engine->Graph()->DeviceLevels();
    EXPECT_NEAR(changed.first, 102 * 256 / 65535.0, 1e-6);
    EXPECT_EQ(changed.second, 0.0) << "balance -100 silences the right side";
    // The MIDI devices belong to the media player's MIDI files, not to this engine.
    platform::SetDeviceVolume(platform::DeviceFamily::Midi, 0, 0xFFFFFFFFu);
    EXPECT_EQ(engine->Graph()->DeviceLevels(), changed);
}

TEST_F(FrameEngineTest, TheSeekBarMovesTheGraph) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_FALSE(PlayAndGrab(avi).isNull());
    ASSERT_TRUE(QTest::qWaitFor([&] { return run_->Length > 0; }, kPatience));
    TDspack* engine = RunDspack(run_, false);
    run_->PauseResume();
    // Let go at 180 of 16..235: 164/219 of the track.
    SeekToThumb(180);
    const int target = int(std::lround(164.0 / 219.0 * run_->Length));
    EXPECT_TRUE(QTest::qWaitFor([&] { return std::abs(engine->GetPosition(run_->Length) - target) <= 100; }, kPatience))
        << "at " << engine->GetPosition(run_->Length) << " of " << run_->Length << ", not near " << target;
}

TEST_F(FrameEngineTest, TheEndOfAResizeGivesTheFramesTheNewPictureArea) {
    Start("RatePriority=0\r\nVideoControl=10000011\r\nBrightnessValue=200\r\n");
    const QString avi = BlackAvi();
    ASSERT_FALSE(avi.isEmpty());
    ASSERT_FALSE(PlayAndGrab(avi).isNull());
    ASSERT_TRUE(Form4);
    Ctrl->Display->VideoProportion = false;
    SetVideoBounds(10, 10, 300, 220);
    ASSERT_EQ(Form4->size(), QSize(300, 220));
    TDspack* engine = RunDspack(run_, false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return engine->LastDrawn().size() == QSize(300 - 14, 220 - 20); }, kPatience))
        << "frames drawn at " << engine->LastDrawn().width() << " x " << engine->LastDrawn().height();
    std::lock_guard guard(engine->ImgVideo()->FrameLock);
    EXPECT_EQ(engine->ImgVideo()->WindowBitmap.size(), QSize(286, 200));
}

// Colour bars over darker blocks: the top and the bottom of the picture differ. The engine asks
// the grabber for rows top first; neither the frame bitmap nor the window may come out upside down.
TEST_F(FrameEngineTest, GrabbedFramesAreUprightInTheFrameBitmapAndTheWindow) {
    Start("RatePriority=0\r\nVideoControl=00000011\r\n");
    const QString path = dir_.file("bars.avi");
    ASSERT_TRUE(EncodeWith("videotestsrc pattern=smpte num-buffers=100 ! "
                           "video/x-raw,format=BGR,width=160,height=120,framerate=25/1 ! avimux ! "
                           "filesink location=" + path));
    const QImage drawn = PlayAndGrab(path);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_GT(qRed(drawn.pixel(2, 2)), 150) << "the light bar on top";
    EXPECT_LT(qRed(drawn.pixel(2, drawn.height() - 3)), 60) << "the dark block below";
    TDspack* engine = RunDspack(run_, false);
    ASSERT_NE(engine->ImgVideo(), nullptr);
    std::lock_guard guard(engine->ImgVideo()->FrameLock);
    const QImage& frame = engine->ImgVideo()->FrameBitmap;
    ASSERT_EQ(frame.size(), QSize(160, 120));
    EXPECT_GT(qRed(frame.pixel(2, 2)), 150);
    EXPECT_LT(qRed(frame.pixel(2, 117)), 60);
}

TEST(FrameEngineArithmetic, PositionIsZeroWhileTheDurationIsUnknown) {
    EXPECT_EQ(TDspack::PositionMs(50000000, 0, 10000), 0);
    EXPECT_EQ(TDspack::PositionMs(50000000, -1, 10000), 0);
    EXPECT_EQ(TDspack::PositionMs(50000000, 100000000, 10000), 5000);
    EXPECT_EQ(TDspack::PositionMs(1, 3, 1001), 334) << "rounded to nearest";
}

TEST(FrameEngineArithmetic, TheDecoderSearchExaminesEveryFilterAndKeepsTheLastMatch) {
    const auto listOf = [](std::vector<QString> names) {
        return [names](const GUID&) {
            std::vector<MonikerPtr> out;
            for (const QString& name : names) out.push_back(MakeFactoryMoniker("identity", name));
            return out;
        };
    };
    const ClassEnumerator old = SetClassEnumerator(listOf({"Other", "Another", kMpegAudioDecoderName}));
    EXPECT_EQ(TDspack::FindDecoder(TSysDevEnum(CLSID_LegacyAmFilterCategory)), 2) << "the last entry counts";
    SetClassEnumerator(listOf({kMpegAudioDecoderName, "x", kMpegAudioDecoderName, "y"}));
    EXPECT_EQ(TDspack::FindDecoder(TSysDevEnum(CLSID_LegacyAmFilterCategory)), 2);
    SetClassEnumerator(listOf({"mpeg audio decoder", "MPEG Audio Decoder 2"}));
    EXPECT_EQ(TDspack::FindDecoder(TSysDevEnum(CLSID_LegacyAmFilterCategory)), -1) << "whole and case-sensitive";
    SetClassEnumerator(old);
}
