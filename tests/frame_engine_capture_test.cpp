// The frame filters' settings and the captures of the current frame.
#include <gtest/gtest.h>

#include <QFile>
#include <QPointer>
#include <functional>

#include "platform/message_box.h"
#include "platform/registry.h"
#include "player/core/settings_store.h"
#include "player/video/capture.h"
#include "player/video/frame_filters.h"
#include "tests/test_support.h"

namespace {

TSettingsStore Store(QStringList lines) { return TSettingsStore(std::move(lines)); }

QImage GreyFrame(int value, int w = 4, int h = 3) {
    QImage frame(w, h, QImage::Format_BGR888);
    frame.fill(qRgb(value, value, value));
    return frame;
}

int FilteredGrey(TImgVideo& img, int value) {
    QImage frame = GreyFrame(value);
    img.ApplyFilters(&frame);
    return qRed(frame.pixel(1, 1));
}

class CaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        img_.UseSettings(&store_);
        img_.PlayingLength = [this] { return length_; };
        img_.IsPaused = [this] { return paused_; };
        img_.InnerArea = [] { return QSize(50, 40); };
        img_.FrameBitmap = GreyFrame(90, 32, 24);
    }
    void TearDown() override { platform::SetMessageRecorder({}); }
    void Settings(QStringList lines) { store_ = Store(lines << "GetVideoFolder=" + dir_.path() + "/"); }

    testing_support::TempFolder dir_;
    TSettingsStore store_;
    TImgVideo img_;
    int length_ = 60000;
    bool paused_ = false;
    QStringList messages_;
};

}  // namespace

TEST(CaptureNames, NumbersArePaddedToFourDigitsUntilTheyNeedMore) {
    EXPECT_EQ(NumberedCaptureName("/f/", [](const QString&) { return false; }), "/f/0001.bmp");
    const auto upTo = [](int last) {
        return [last](const QString& path) { return path.mid(3, path.size() - 7).toInt() <= last; };
    };
    EXPECT_EQ(NumberedCaptureName("/f/", upTo(41)), "/f/0042.bmp");
    EXPECT_EQ(NumberedCaptureName("/f/", upTo(9999)), "/f/10000.bmp");
}

TEST(FilterSettings, FlagsValuesAndDelayComeFromTheSettings) {
    TImgVideo img;
    img.LoadSettings(Store({"VideoControl=10000011", "BrightnessValue=200", "ContrastValue=90"}));
    EXPECT_EQ(FilteredGrey(img, 0), 200) << "brightness on, contrast off";
    EXPECT_EQ(img.FrameDelayMs(), 0) << "VideoDisplayRate 100 by default";
    img.LoadSettings(Store({"VideoControl=00000011", "BrightnessValue=200"}));
    EXPECT_EQ(FilteredGrey(img, 0), 0);
    img.LoadSettings(Store({"VideoControl=x1", "ContrastValue=64"}));
    EXPECT_EQ(FilteredGrey(img, 200), 236) << "a character that is not a digit turns its filter off";
    img.LoadSettings(Store({"VideoControl=2", "BrightnessValue=9"}));
    EXPECT_EQ(FilteredGrey(img, 0), 0) << "only 1 turns a filter on";
    img.LoadSettings(Store({"VideoDisplayRate=40"}));
    EXPECT_EQ(img.FrameDelayMs(), 120);
}

TEST(FilterSettings, EditedValuesBeyondTheRangesAreClamped) {
    TImgVideo img;
    img.LoadSettings(Store({"VideoControl=01", "ContrastValue=1000"}));
    EXPECT_EQ(FilteredGrey(img, 130), 133) << "contrast 255: s = 2 * 255 / 128";
    img.LoadSettings(Store({"VideoControl=0001", "RGBRed=-300", "RGBGreen=70000", "RGBBlue=-1"}));
    QImage frame = GreyFrame(100);
    img.ApplyFilters(&frame);
    EXPECT_EQ(frame.pixel(0, 0), qRgb(0, 255, 99));
    img.LoadSettings(Store({"VideoDisplayRate=150"}));
    EXPECT_EQ(img.FrameDelayMs(), 0) << "a negative delay would freeze the picture";
    img.LoadSettings(Store({"VideoDisplayRate=-4000"}));
    EXPECT_EQ(img.FrameDelayMs(), 200);
}

TEST(FilterSettings, FiltersTogetherRunInTheirFixedOrder) {
    // Each pair gives another picture in the other order; the result must be the fixed order's:
    // RGB, saturation, contrast, brightness, soften, sharpen.
    QImage source(5, 4, QImage::Format_BGR888);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 5; ++x) source.setPixel(x, y, qRgb(40 + 50 * x, 250 - 60 * y, (x * 97 + y * 31) % 256));
    namespace ff = framefilters;
    struct Pair {
        const char* flags;
        std::function<void(QImage*)> first, second;
    };
    const Pair pairs[] = {
        {"100100", [](QImage* f) { ff::AdjustRGB(f, 60, -70, 30); }, [](QImage* f) { ff::AdjustBrightness(f, -40); }},
        {"011000", [](QImage* f) { ff::AdjustSaturation(f, 200); }, [](QImage* f) { ff::AdjustContrast(f, -90); }},
        {"110000", [](QImage* f) { ff::AdjustContrast(f, -90); }, [](QImage* f) { ff::AdjustBrightness(f, -40); }},
        {"000110", [](QImage* f) { ff::AdjustRGB(f, 60, -70, 30); }, [](QImage* f) { ff::Soften(f); }},
        {"000011", [](QImage* f) { ff::Soften(f); }, [](QImage* f) { ff::Sharpen(f); }},
        {"100001", [](QImage* f) { ff::AdjustBrightness(f, -40); }, [](QImage* f) { ff::Sharpen(f); }},
    };
    for (const Pair& pair : pairs) {
        // VideoControl's characters 1-6: brightness, contrast, saturation, RGB, soften, sharpen.
        QString flags = QString::fromLatin1(pair.flags);
        TImgVideo img;
        img.LoadSettings(Store({"VideoControl=" + flags, "BrightnessValue=-40", "ContrastValue=-90",
                                "SaturationValue=200", "RGBRed=60", "RGBGreen=-70", "RGBBlue=30"}));
        QImage filtered = source.copy();
        img.ApplyFilters(&filtered);
        QImage expected = source.copy(), reversed = source.copy();
        pair.first(&expected);
        pair.second(&expected);
        pair.second(&reversed);
        pair.first(&reversed);
        ASSERT_NE(expected, reversed) << pair.flags << ": the pair must tell the orders apart";
        EXPECT_EQ(filtered, expected) << pair.flags;
    }
}

TEST_F(CaptureTest, NumberedCapturesContinueAfterTheFilesThere) {
    Settings({});
    dir_.write("0001.bmp", "x");
    dir_.write("0002.bmp", "x");
    img_.Capture(3);
    const QImage saved(dir_.file("0003.bmp"));
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(32, 24)) << "GetVideoType 0: the frame's size";
    EXPECT_EQ(saved.pixel(5, 5), qRgb(90, 90, 90));
}

TEST_F(CaptureTest, CaptureSizesFollowTheTypeAndAreClamped) {
    Settings({"GetVideoType=2"});
    img_.Capture(3);
    EXPECT_EQ(QImage(dir_.file("0001.bmp")).size(), QSize(800, 600));
    Settings({"GetVideoType=1"});
    img_.Capture(3);
    EXPECT_EQ(QImage(dir_.file("0002.bmp")).size(), QSize(50, 40));
    Settings({"GetVideoType=2", "GetVideoWidth=100000", "GetVideoHeight=-5"});
    img_.Capture(3);
    EXPECT_EQ(QImage(dir_.file("0003.bmp")).size(), QSize(kMaxCaptureSide, 1));
    Settings({"GetVideoType=2", "GetVideoWidth=0", "GetVideoHeight=7"});
    img_.Capture(3);
    EXPECT_EQ(QImage(dir_.file("0004.bmp")).size(), QSize(1, 7));
}

TEST_F(CaptureTest, SaveAsAddsTheExtensionAndAFailedSaveIsShown) {
    Settings({});
    img_.AskSaveName = [this] { return dir_.file("shot.png"); };
    img_.Capture(1);
    EXPECT_TRUE(QFile::exists(dir_.file("shot.png.bmp")));
    img_.AskSaveName = [this] { return dir_.file("Shot.BMP"); };
    img_.Capture(1);
    EXPECT_TRUE(QFile::exists(dir_.file("Shot.BMP")));
    img_.AskSaveName = [] { return QString("/nonexistent-folder/a.bmp"); };
    img_.Capture(1);
    EXPECT_EQ(messages_.size(), 1);
}

TEST_F(CaptureTest, TheTimerCapturesWhilePlayingAndStopsWhenNothingPlays) {
    Settings({"GetVideoTime=0"});
    img_.AskFolder = [this](const QString&) { return dir_.path() + "/"; };
    img_.Capture(2);
    QPointer<QTimer> timer = img_.CaptureTimerObj();
    ASSERT_TRUE(timer && timer->isActive());
    EXPECT_EQ(timer->interval(), kMinCaptureIntervalMs) << "an edited interval of 0 would spin";
    img_.CaptureTimer();
    EXPECT_TRUE(QFile::exists(dir_.file("0001.bmp")));
    paused_ = true;
    img_.CaptureTimer();
    EXPECT_FALSE(QFile::exists(dir_.file("0002.bmp"))) << "paused: no capture";
    length_ = 0;
    img_.CaptureTimer();
    EXPECT_FALSE(timer->isActive());
    paused_ = false;
    img_.CaptureTimer();
    EXPECT_FALSE(QFile::exists(dir_.file("0002.bmp"))) << "a tick after the stop does nothing";
}

TEST(CaptureTimer, GoesWithItsOwner) {
    QPointer<QTimer> timer;
    {
        TSettingsStore store;
        TImgVideo img;
        img.UseSettings(&store);
        testing_support::TempFolder dir;
        img.AskFolder = [&](const QString&) { return dir.path() + "/"; };
        img.Capture(2);
        timer = img.CaptureTimerObj();
        ASSERT_TRUE(timer);
    }
    EXPECT_TRUE(timer.isNull());
}

TEST_F(CaptureTest, WallpaperIsSavedAndHandedToTheDesktop) {
    Settings({});
    QString handed;
    const WallpaperSetter old = SetWallpaperSetter([&](const QString& path) {
        handed = path;
        return false;
    });
    img_.Capture(0);
    SetWallpaperSetter(old);
    EXPECT_TRUE(handed.endsWith("Velmora Player.bmp"));
    platform::TRegistry desktop;
    ASSERT_TRUE(desktop.OpenKeyReadOnly("Control Panel\\Desktop"));
    EXPECT_EQ(desktop.ReadString("TileWallPaper"), "0") << "not tiled";
    EXPECT_EQ(desktop.ReadString("Wallpaper"), handed);
    EXPECT_FALSE(QImage(handed).isNull());
    ASSERT_EQ(messages_.size(), 1) << "no desktop took it: the user is told where the picture is";
    EXPECT_TRUE(messages_.first().contains(handed));
    QFile::remove(handed);
}
