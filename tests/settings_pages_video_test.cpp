// The video pages of the settings dialog: output and display rate, the flag boxes (short and
// damaged strings), the colour bars' arithmetic, the captures, and filter values that reach a
// frame engine while its streaming thread filters frames.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <atomic>
#include <thread>

#include "dialogs/settings_page_values.h"
#include "platform/message_box.h"
#include "player/app/form1.h"
#include "player/display/display.h"
#include "player/playlist/playlist_box.h"
#include "player/video/form4.h"
#include "player/core/settings_store.h"
#include "player/playback/run.h"
#include "player/video/capture.h"
#include "player/video/dspack.h"
#include "player/video/frame_filters.h"
#include "tests/settings_dialog_support.h"

namespace {

constexpr int kVideo = 3, kColour = 4, kEffects = 5, kCapture = 6;

class VideoPagesTest : public SettingsDialogFixture {
protected:
    QString Stored(const char* key) const { return Ctrl->ReadString(QLatin1String(key), "<none>"); }
    // The frame engine on its filtered path, as after a video played through it.
    TImgVideo* FilteredEngine() {
        TDspack* engine = RunDspack(Ctrl->Run.get(), true);
        engine->SetRatePriority(1);
        return engine->ImgVideo();
    }
};

TEST(FilterBarArithmetic, PositionsAndValuesRoundHalvesToEven) {
    using namespace settingspages;
    EXPECT_EQ(FilterBarPosition(255), 86);
    EXPECT_EQ(FilterBarPosition(-255), 0);
    EXPECT_EQ(FilterBarPosition(0), 43);
    EXPECT_EQ(FilterBarValue(0), -255);
    EXPECT_EQ(FilterBarValue(42), -6);
    EXPECT_EQ(FilterBarValue(86), 255);
    EXPECT_EQ(RoundHalfEven(5, 2), 2);
    EXPECT_EQ(RoundHalfEven(7, 2), 4);
    EXPECT_EQ(RoundHalfEven(-5, 2), -2);
    for (int p = 0; p <= 86; ++p) EXPECT_EQ(FilterBarPosition(FilterBarValue(p)), p) << p;
}

TEST_F(VideoPagesTest, VideoPageFollowsTheDirectShowBoxAndTheOutputChoice) {
    Ctrl->WriteInteger("RatePriority", 0);
    Ctrl->WriteInteger("VideoDisplayRate", 55);
    TForm8 form;
    form.show();
    form.SelectPage(kVideo);
    auto* rate = Widget<QSlider>(form, "TrackBar7");
    EXPECT_EQ(rate->value(), 17);
    EXPECT_EQ(Widget<QLabel>(form, "Label31")->text(), "54%");
    EXPECT_TRUE(Widget<QRadioButton>(form, "RadioButton6")->isChecked());
    EXPECT_FALSE(Widget<QRadioButton>(form, "RadioButton6")->isEnabled()) << "DirectShow is off";
    EXPECT_FALSE(rate->isVisible());
    EXPECT_EQ(Stored("VideoDisplayRate"), "55") << "a fill writes nothing";

    Widget<QCheckBox>(form, "CheckBox30")->click();
    EXPECT_EQ(Stored("UseDirectShow"), "1");
    EXPECT_TRUE(Widget<QRadioButton>(form, "RadioButton5")->isEnabled());
    EXPECT_TRUE(rate->isVisible());
    const QScreen* screen = QGuiApplication::primaryScreen();
    auto* hint = Widget<QFrame>(form, "Panel31");
    EXPECT_EQ(hint->isVisible(), screen->depth() > 16);
    if (hint->isVisible()) {
        EXPECT_EQ(hint->y(), 224);
    }

    rate->setValue(40);
    EXPECT_EQ(Stored("VideoDisplayRate"), "100");
    Widget<QRadioButton>(form, "RadioButton5")->click();
    EXPECT_EQ(Stored("RatePriority"), "1");
    EXPECT_FALSE(rate->isVisible());
    if (hint->isVisible()) {
        EXPECT_EQ(hint->y(), 202);
    }
}

TEST_F(VideoPagesTest, AShortVideoFlagStringReadsAsZerosAndIsPaddedOnWrite) {
    Ctrl->Run->VideoControl = "1";
    TForm8 form;
    form.SelectPage(kVideo);
    EXPECT_FALSE(Widget<QCheckBox>(form, "CheckBox11")->isChecked());
    EXPECT_FALSE(Widget<QCheckBox>(form, "CheckBox12")->isChecked());
    Widget<QCheckBox>(form, "CheckBox12")->click();
    EXPECT_EQ(Ctrl->Run->VideoControl, "10000001");
    EXPECT_EQ(Stored("VideoControl"), "10000001");

    Ctrl->Run->VideoControl = "11";
    form.SelectPage(kEffects);
    EXPECT_FALSE(Widget<QCheckBox>(form, "CheckBox1")->isChecked());
    Widget<QCheckBox>(form, "CheckBox2")->click();
    EXPECT_EQ(Ctrl->Run->VideoControl, "110001");
}

TEST_F(VideoPagesTest, ADamagedVideoFlagFailsTheFillAndLeavesChangesWorking) {
    Ctrl->Run->VideoControl = "1?000011";
    TForm8 form;
    form.SelectPage(kColour);
    EXPECT_EQ(form.Loading, 0);
    Widget<QSlider>(form, "TrackBar3")->setValue(86);
    EXPECT_EQ(Stored("ContrastValue"), "255");
}

TEST_F(VideoPagesTest, ColourBarsLoadFromValuesAndWriteAllSixOnAChange) {
    Ctrl->WriteInteger("BrightnessValue", 255);
    Ctrl->WriteInteger("RGBBlue", -255);
    TForm8 form;
    form.SelectPage(kColour);
    EXPECT_EQ(Widget<QSlider>(form, "TrackBar2")->value(), 86);
    EXPECT_EQ(Widget<QSlider>(form, "TrackBar6")->value(), 0);
    EXPECT_EQ(Widget<QSlider>(form, "TrackBar8")->value(), 43);
    EXPECT_FALSE(Widget<QLabel>(form, "Label54")->isVisibleTo(&form)) << "no video window";
    EXPECT_EQ(Stored("RGBRed"), "<none>");
    Widget<QSlider>(form, "TrackBar4")->setValue(42);
    EXPECT_EQ(Stored("SaturationValue"), "-6");
    EXPECT_EQ(Stored("BrightnessValue"), "255");
    EXPECT_EQ(Stored("RGBRed"), "0");
    EXPECT_EQ(Stored("RGBBlue"), "-255");
}

TEST_F(VideoPagesTest, FilterChangesReachTheRunningFilters) {
    TImgVideo* filters = FilteredEngine();
    ASSERT_NE(filters, nullptr);
    QImage frame(4, 4, QImage::Format_BGR888);
    frame.fill(QColor(100, 100, 100));
    TForm8 form;
    form.SelectPage(kColour);
    Widget<QSlider>(form, "TrackBar2")->setValue(86);  // brightness +255, still switched off
    QImage unchanged = frame;
    filters->ApplyFilters(&unchanged);
    EXPECT_EQ(unchanged, frame);
    Widget<QCheckBox>(form, "CheckBox21")->click();
    EXPECT_EQ(Stored("VideoControl"), "10000011");
    QImage brighter = frame;
    filters->ApplyFilters(&brighter);
    EXPECT_GT(qRed(brighter.pixel(0, 0)), 100);

    form.SelectPage(kVideo);
    Widget<QCheckBox>(form, "CheckBox30")->click();
    Widget<QRadioButton>(form, "RadioButton6")->click();
    Widget<QSlider>(form, "TrackBar7")->setValue(0);
    EXPECT_EQ(filters->FrameDelayMs(), 160);
}

TEST_F(VideoPagesTest, FilterSetsReachTheStreamingThreadWhole) {
    // Two sets that differ in several values at once: a frame filtered with a mixture of them
    // would come out as neither.
    TSettingsStore a({"VideoControl=10010000", "BrightnessValue=60", "RGBRed=-90"});
    TSettingsStore b({"VideoControl=10010000", "BrightnessValue=-40", "RGBRed=120"});
    TImgVideo filters;
    filters.LoadSettings(a);
    QImage frame(64, 64, QImage::Format_BGR888);
    frame.fill(QColor(90, 120, 150));
    QImage withA = frame, withB = frame;
    filters.ApplyFilters(&withA);
    filters.LoadSettings(b);
    filters.ApplyFilters(&withB);
    ASSERT_NE(withA, withB);

    std::atomic<bool> stop{false};
    std::atomic<int> mixed{0}, frames{0};
    std::thread streaming([&] {
        while (!stop) {
            QImage copy = frame;
            {
                std::lock_guard guard(filters.FrameLock);
                filters.ApplyFilters(&copy);
            }
            if (copy != withA && copy != withB) ++mixed;
            ++frames;
        }
    });
    for (int i = 0; i < 4000 || frames < 200; ++i) filters.LoadSettings(i % 2 ? a : b);
    stop = true;
    streaming.join();
    EXPECT_EQ(mixed.load(), 0) << "of " << frames.load() << " frames";
}

TEST_F(VideoPagesTest, CapturePageShowsTheScreenSizeAndKeepsDigitsOnly) {
    TForm8 form;
    form.SelectPage(kCapture);
    const QSize screen = QGuiApplication::primaryScreen()->size();
    auto* width = Widget<QLineEdit>(form, "GetVideoWidth");
    EXPECT_EQ(width->text(), QString::number(screen.width()));
    EXPECT_FALSE(width->isEnabled());
    EXPECT_TRUE(Widget<QRadioButton>(form, "RadioButton9")->isChecked());
    EXPECT_EQ(Widget<QLabel>(form, "Label30")->text(), "2000毫秒");
    EXPECT_FALSE(Widget<QToolButton>(form, "SpeedButton1")->isEnabled()) << "no frame engine";

    Widget<QRadioButton>(form, "RadioButton11")->click();
    EXPECT_EQ(Stored("GetVideoType"), "2");
    ASSERT_TRUE(width->isEnabled());
    width->setText("0a12");
    EXPECT_EQ(width->text(), "12");
    EXPECT_EQ(Stored("GetVideoWidth"), "12");
    width->clear();
    EXPECT_EQ(Stored("GetVideoWidth"), "0");
    Widget<QSlider>(form, "TrackBar9")->setValue(1);
    EXPECT_EQ(Stored("GetVideoTime"), "200");
    EXPECT_EQ(Widget<QLabel>(form, "Label30")->text(), "200毫秒");
}

TEST_F(VideoPagesTest, CaptureButtonsWorkThroughTheFiltersOfTheFrameEngine) {
    Ctrl->WriteInteger("RatePriority", 0);
    TImgVideo* filters = FilteredEngine();
    {
        std::lock_guard guard(filters->FrameLock);
        filters->FrameBitmap = QImage(8, 6, QImage::Format_RGB888);
        filters->FrameBitmap.fill(Qt::red);
    }
    const QString saved = dir_.file("shot.bmp");
    filters->AskSaveName = [&saved] { return saved; };
    TForm8 form;
    form.SelectPage(kCapture);
    ASSERT_TRUE(Widget<QToolButton>(form, "SpeedButton2")->isEnabled());
    Widget<QToolButton>(form, "SpeedButton2")->click();
    QImage shot(saved);
    EXPECT_EQ(shot.size(), QSize(8, 6));
    // The continuous capture asks the folder picker; cancelled, no timer starts.
    QString picker;
    QTimer::singleShot(0, [&picker] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            picker = dialog->metaObject()->className();
            dialog->reject();
        }
    });
    Widget<QToolButton>(form, "SpeedButton3")->click();
    EXPECT_EQ(picker, "TForm7");
    EXPECT_EQ(filters->CaptureTimerObj(), nullptr);
}

TEST_F(VideoPagesTest, TheCaptureIntervalChangesWhileTheCaptureTimerRuns) {
    Ctrl->WriteInteger("RatePriority", 0);
    TImgVideo* filters = FilteredEngine();
    const QString folder = dir_.file("shots");
    filters->AskFolder = [folder](const QString&) { return folder; };
    filters->Capture(2);
    QTimer* timer = filters->CaptureTimerObj();
    ASSERT_TRUE(timer);
    ASSERT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 2000);
    TForm8 form;
    form.SelectPage(kCapture);
    Widget<QSlider>(form, "TrackBar9")->setValue(7);
    EXPECT_EQ(timer->interval(), 1400) << "the running timer takes the new interval";
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(Stored("GetVideoTime"), "1400");
    timer->stop();
}

TEST_F(VideoPagesTest, TheOutputChoiceReachesTheFrameEngine) {
    Ctrl->WriteBool("UseDirectShow", true);
    Ctrl->WriteInteger("RatePriority", 0);
    TDspack* engine = RunDspack(Ctrl->Run.get(), true);
    engine->SetRatePriority(1);
    ASSERT_TRUE(engine->FiltersOn());
    TForm8 form;
    form.show();
    form.SelectPage(kVideo);
    Widget<QRadioButton>(form, "RadioButton5")->click();
    EXPECT_EQ(Stored("RatePriority"), "1");
    EXPECT_FALSE(engine->FiltersOn()) << "raw output: the engine's own window";
    Widget<QRadioButton>(form, "RadioButton6")->click();
    EXPECT_EQ(Stored("RatePriority"), "0");
    EXPECT_TRUE(engine->FiltersOn()) << "filtered output";
}

// The player itself, with a video showing in its video window, under the dialog.
class DirectShowReplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/MenuPlus.ini", "");
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE0=*.mp3\r\n");
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon) {
            TRun& run = *Ctrl->Run;
            messages_ << caption + u':' + text;
            states_ << QString("paused %1 engine %2").arg(run.Paused).arg(int(run.EngineCode));
        });
        form_ = new TForm1(dir_.path() + "/");
    }
    void TearDown() override {
        delete Form8.data();
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }

    template <typename T>
    static T* Widget(const QObject& form, const char* name) {
        T* found = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    QStringList messages_, states_;
};

TEST_F(DirectShowReplayTest, ChangingTheBoxPausesTellsStopsAndPlaysTheSameEntryAgain) {
    TRun& run = *Ctrl->Run;
    ListBox1->SetItems({"<?/m/a.xyz?>", "<?/m/b.xyz?>", "<?/m/c.xyz?>"});
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    run.Index = 1;
    run.VideoOpen = true;
    run.EngineCode = Engine::MediaPlayer;
    run.Length = 5000;
    TForm8 form;
    form.SelectPage(kVideo);
    Widget<QCheckBox>(form, "CheckBox30")->click();
    ASSERT_GE(messages_.size(), 1);
    EXPECT_EQ(messages_[0], "信息提示:设置已更改、点击确定使用新设置重新播放当前文件！　　");
    EXPECT_EQ(states_[0], "paused 1 engine 6") << "paused first, stopped only after the message";
    ASSERT_EQ(messages_.size(), 2) << "then the same entry plays again: its type has no engine";
    EXPECT_TRUE(messages_[1].startsWith("不能播放:"));
    EXPECT_EQ(run.Index, 1) << "the entry that was playing";
    EXPECT_FALSE(run.Paused);

    // Nothing showing in the video window: the box only changes the setting.
    messages_.clear();
    Ctrl->Display->BuildVideoWindow(true);
    ASSERT_TRUE(Form4);
    run.EngineCode = Engine::MediaPlayer;
    run.VideoOpen = false;
    Widget<QCheckBox>(form, "CheckBox30")->click();
    EXPECT_TRUE(messages_.isEmpty());
    run.EngineCode = Engine::None;
}

}  // namespace
