// The plug-in host with the tests' tiny plug-ins in place of the real pair: binding, the failure
// message, the audio-CD pair replacing the file pair, the slots, the host's DSP stand-in, the
// equaliser hand-over, the CD pair's volume, and the end-of-track rules of the progress timer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>

#include "platform/device_volume.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/playback/winamp_host.h"
#include "tests/test_support.h"

namespace {

QString TestPlugin(const QString& name) { return QString(VELMORA_TEST_PLUGINS_DIR) + "/" + name; }

// The log and controls of the copy of a plug-in the host loaded.
struct FakeLibrary {
    FakeLibrary(const FakeLibrary&) = delete;
    explicit FakeLibrary(const QString& path) : handle(dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_NOLOAD)) {}
    ~FakeLibrary() {
        if (handle) dlclose(handle);
    }
    std::string Log() const {
        auto log = reinterpret_cast<const char* (*)()>(dlsym(handle, "FakeLog"));
        return log ? log() : std::string("<not loaded>");
    }
    void Set(const char* name, int value) const {
        if (auto set = reinterpret_cast<void (*)(const char*, int)>(dlsym(handle, "FakeSet"))) set(name, value);
    }
    void* handle;
};

class WinampHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\nDECODE0=*.mp3;*.cda\r\n");
        Install("fake_input.dll", "input.dll");
        Install("fake_cdrun.dll", "cdrun.dll");
        Install("fake_output.dll", "output.dll");
        setenv("VELMORA_FAKE_PLUGIN_LOG", QFile::encodeName(dir_.file("loads.log")).constData(), 1);
        platform::SetMessageRecorder([this](const QString& text, const QString&, platform::MessageIcon) { messages_ << text; });
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
        run_->Clock = [this] { return now_; };
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
        unsetenv("VELMORA_FAKE_PLUGIN_LOG");
    }
    void Install(const QString& from, const QString& to) const {
        dir_.write("Plugins/" + to, "");
        QFile::remove(dir_.file("Plugins/" + to));
        ASSERT_TRUE(QFile::copy(TestPlugin(from), dir_.file("Plugins/" + to))) << from.toStdString();
    }
    FakeLibrary Plugin(const QString& name) const { return FakeLibrary(dir_.file("Plugins/" + name)); }
    // The player starts again over the settings given, as stored in setup.ini.
    void RestartWith(const QByteArray& settings) {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        dir_.write("setup.ini", "[Initialise]\r\n" + settings);
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
        run_->Clock = [this] { return now_; };
    }
    // Plays entry i of the list and lets the first open-wait tick see the fake's length.
    void Start(int i) {
        run_->PlayIndex(i);
        run_->OpenWaitTimer();
    }
    QString Loads() const { return QString::fromUtf8(dir_.read("loads.log")); }
    // One tick of the progress timer, its interval after the last.
    void Tick() {
        now_ += run_->ProgressTimerObj->interval();
        run_->ProgressTimer();
    }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
    qint64 now_ = 1000000;  // the controller's clock, ms
};

TEST_F(WinampHostTest, FilePairBindsPlaysAndStaysForTheNextEntry) {
    ListBox1->SetItems({"<?/m/a.mp3?>", "<?/m/b.mp3?>"});
    run_->PlayIndex(0);
    ASSERT_TRUE(run_->Winamp && run_->Winamp->Bound());
    EXPECT_EQ(run_->Winamp->Kind, 1);
    EXPECT_TRUE(messages_.isEmpty());
    const In_Module* in = run_->Winamp->In();
    EXPECT_EQ(in->outMod, run_->Winamp->Out());
    EXPECT_EQ(in->dsp_isactive(), 0);
    EXPECT_EQ(Plugin("input.dll").Log().rfind("Init EQ:0:32,32:32 Play:/m/a.mp3 ", 0), 0u) << Plugin("input.dll").Log();
    auto samples = reinterpret_cast<int (*)()>(dlsym(Plugin("input.dll").handle, "FakeSamples"));
    ASSERT_NE(samples, nullptr);
    EXPECT_EQ(samples(), 576) << "the host's DSP stand-in hands every sample back";

    run_->OpenWaitTimer();
    EXPECT_EQ(run_->Length, 3000);
    EXPECT_TRUE(run_->ProgressTimerObj->isActive());
    EXPECT_TRUE(ListBox1->Item(0).endsWith("<#00:03#>"));

    const TWinamp* pair = run_->Winamp.get();
    run_->PlayIndex(1);
    EXPECT_EQ(run_->Winamp.get(), pair) << "the file pair is kept for the next entry";
    EXPECT_NE(Plugin("input.dll").Log().find("Stop Play:/m/b.mp3"), std::string::npos);
}

TEST_F(WinampHostTest, APlugInFeedingTheVisualisationServicesFindsThemDoingNothing) {
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    ASSERT_TRUE(run_->Winamp && run_->Winamp->Bound());
    auto visualisation = reinterpret_cast<int (*)()>(dlsym(Plugin("input.dll").handle, "FakeVisualisation"));
    ASSERT_NE(visualisation, nullptr);
    EXPECT_EQ(visualisation(), 0) << "every service there, and both modes answer 0: no visualisation";
    run_->OpenWaitTimer();
    EXPECT_TRUE(run_->ProgressTimerObj->isActive()) << "the track plays on";
}

TEST_F(WinampHostTest, MissingLibraryOrEntryPointGivesOneMessageAndNothingPlays) {
    QFile::remove(dir_.file("Plugins/input.dll"));
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    EXPECT_EQ(messages_, QStringList{"发生错误"});
    EXPECT_EQ(run_->Winamp, nullptr);
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());

    Install("fake_input.dll", "input.dll");
    Install("fake_no_entry.dll", "output.dll");
    messages_.clear();
    run_->PlayIndex(0);
    EXPECT_EQ(messages_, QStringList{"发生错误"});
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
    EXPECT_NE(Plugin("input.dll").Log().find("Init Quit"), std::string::npos)
        << "the bound input module is quit when the half pair is dropped";
    run_->OpenWaitTimer();
    run_->ProgressTimer();
    run_->Stop();
    EXPECT_EQ(messages_.size(), 1);
}

TEST_F(WinampHostTest, CdPairReplacesTheFilePairAndIsDroppedAtStop) {
    ListBox1->SetItems({"<?/m/a.mp3?>", "<?/cd/Track02.cda?>", "<?/m/b.mp3?>"});
    run_->PlayIndex(0);
    {
        // Held open here, so its log can still be read after the host let it go.
        const FakeLibrary input = Plugin("input.dll");
        run_->PlayIndex(1);
        EXPECT_NE(input.Log().find("Quit"), std::string::npos) << "the file pair was quit";
    }
    ASSERT_TRUE(run_->Winamp && run_->Winamp->Bound());
    EXPECT_EQ(run_->Winamp->Kind, 2);
    EXPECT_NE(Plugin("cdrun.dll").Log().find("Play:/cd/Track02.cda"), std::string::npos);

    Ctrl->Volume = 100;
    Ctrl->Balance = -100;
    const quint32 before = platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0);
    Ctrl->ApplyVolume();
    EXPECT_NE(Plugin("cdrun.dll").Log().find("Pan:-127 Volume:255"), std::string::npos);
    EXPECT_NE(Plugin("output.dll").Log().find("Pan:-127 Volume:255"), std::string::npos);
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0), before) << "the devices are left alone";

    run_->Stop();
    EXPECT_EQ(run_->Winamp, nullptr) << "the CD pair goes at stop";
    run_->PlayIndex(2);
    ASSERT_TRUE(run_->Winamp);
    EXPECT_EQ(run_->Winamp->Kind, 1);
    // The CD library left its slot for input.dll, loaded afresh.
    EXPECT_TRUE(Loads().endsWith("unload cdrun\nload input\n")) << Loads().toStdString();
}

TEST_F(WinampHostTest, LoadingIntoASlotFreesWhatItHeldEvenTheSameFile) {
    ASSERT_TRUE(LoadInputPlugin(dir_.file("Plugins/input.dll")));
    ASSERT_TRUE(LoadInputPlugin(dir_.file("Plugins/input.dll")));
    EXPECT_TRUE(Loads().contains("load input\nunload input\nload input")) << Loads().toStdString();
    EXPECT_FALSE(LoadInputPlugin(dir_.file("Plugins/missing.dll")));
    EXPECT_EQ(InputEntry(), nullptr);
    EXPECT_TRUE(Loads().endsWith("unload input\n"));
    EXPECT_FALSE(LoadOutputPlugin(TestPlugin("fake_no_entry.dll")));
    UnloadOutputPlugin();
}

TEST_F(WinampHostTest, EqualiserReachesTheInputModuleUpsideDown) {
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    Plugin("input.dll").Set("clear", 0);
    Ctrl->WriteInteger("EQON", 1);
    Ctrl->WriteInteger("EQ10", 70);  // out of range counts as the middle
    run_->SetEq("e_EQ01", 63);
    run_->SetEq("e_EQ00", 0);
    EXPECT_EQ(Ctrl->ReadInteger("EQ01", -1), 63);
    EXPECT_EQ(Plugin("input.dll").Log(), "EQ:1:0,32:32 EQ:1:0,32:63 ");
}

TEST_F(WinampHostTest, TrackEndsWhenTheOutputIsIdleAndTimeStandsStill) {
    ListBox1->SetItems({"<?/m/a.mp3?>", "<?/m/b.mp3?>"});
    Ctrl->WriteBool("Repeat", false);
    run_->PlayIndex(0);
    run_->OpenWaitTimer();
    ASSERT_EQ(run_->Length, 3000);
    Plugin("input.dll").Set("time", 1200);
    Plugin("output.dll").Set("playing", 0);
    run_->ProgressTimer();
    EXPECT_EQ(run_->Position, 1200) << "time still moving";
    EXPECT_EQ(run_->Index, 0);
    run_->ProgressTimer();
    EXPECT_EQ(run_->Index, 1) << "idle output and still time end the track early";

    run_->OpenWaitTimer();
    run_->ProgressTimer();
    run_->ProgressTimer();
    EXPECT_EQ(run_->Index, 1);
    EXPECT_EQ(run_->EngineCode, Engine::None) << "repeat off: the last entry stays stopped";

    Ctrl->WriteBool("Shuffle", true);
    for (int i = 0; i < 5; ++i) {
        run_->PlayIndex(0);
        run_->OpenWaitTimer();
        Plugin("input.dll").Set("time", 3000);
        run_->ProgressTimer();
        EXPECT_GE(run_->Index, 0);
        EXPECT_LT(run_->Index, 2);
        EXPECT_NE(run_->EngineCode, Engine::None) << "shuffle always picks an entry";
    }
}

TEST_F(WinampHostTest, PauseAndSeekGoToTheInputModule) {
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PauseResume();
    EXPECT_FALSE(run_->Paused) << "nothing plays: only the flag is cleared";
    run_->PlayIndex(0);
    run_->OpenWaitTimer();
    Plugin("input.dll").Set("clear", 0);
    Plugin("input.dll").Set("time", 1000);
    run_->PauseResume();
    EXPECT_TRUE(run_->Paused);
    run_->PauseResume();
    EXPECT_FALSE(run_->Paused);
    run_->SeekBy(5000);
    run_->SeekBy(-9000);
    EXPECT_EQ(Plugin("input.dll").Log(), "Pause UnPause Seek:3000 Seek:0 ");
}

TEST_F(WinampHostTest, TrackEndsAtItsEndNotAtTheLastBarPixel) {
    ListBox1->SetItems({"<?/m/a.mp3?>", "<?/m/b.mp3?>"});
    Start(0);
    ASSERT_EQ(run_->Length, 3000);
    Plugin("input.dll").Set("time", 2995);  // the bar's last pixel, 5 ms before the end
    run_->ProgressTimer();
    EXPECT_EQ(run_->BarPixel, 219);
    EXPECT_EQ(run_->Index, 0) << "the last milliseconds still play";
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    Plugin("input.dll").Set("time", 3000);
    run_->ProgressTimer();
    EXPECT_EQ(run_->Index, 1);
}

TEST_F(WinampHostTest, StalledStreamIsBufferingNotAtItsEnd) {
    ListBox1->SetItems({"<?http://radio.example/a.mp3?>", "<?/m/b.mp3?>"});
    Ctrl->WriteBool("Repeat", false);
    run_->Timeout = 1000;
    Start(0);
    ASSERT_TRUE(run_->ProgressTimerObj->isActive());
    Plugin("input.dll").Set("time", 1200);
    Plugin("output.dll").Set("playing", 0);
    Tick();
    // The network stalls: the output runs dry and the time stands still.
    Tick();
    Tick();
    EXPECT_EQ(run_->Index, 0) << "a stream refilling its buffer is not idle";
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    Plugin("input.dll").Set("time", 1300);  // the data came back
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(run_->Index, 0) << "the wait counts afresh after every stall";
    Tick();
    EXPECT_EQ(run_->Index, 1) << "silence beyond the connection timeout is the end of the stream";
    EXPECT_TRUE(messages_.isEmpty());
}

// The progress handler also runs on every redraw (a click on the window, a drag of a slider): a
// stall is measured in time, so clicking about during a network stall does not end the stream.
TEST_F(WinampHostTest, RedrawsDuringAStallDoNotShortenItsGrace) {
    ListBox1->SetItems({"<?http://radio.example/a.mp3?>", "<?/m/b.mp3?>"});
    Ctrl->WriteBool("Repeat", false);
    run_->Timeout = 1000;
    Start(0);
    Plugin("input.dll").Set("time", 1200);
    Plugin("output.dll").Set("playing", 0);
    Tick();
    for (int redraw = 0; redraw < 40; ++redraw) {
        now_ += 20;  // 800 ms of clicks, each redrawing the bar and the digits
        run_->ProgressTimer();
    }
    EXPECT_EQ(run_->Index, 0) << "40 redraws in 0.8 s are no 20 s of silence";
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    now_ += 150;
    run_->ProgressTimer();
    EXPECT_EQ(run_->Index, 0) << "0.95 s of silence is within the second allowed";
    now_ += 100;
    run_->ProgressTimer();
    EXPECT_EQ(run_->Index, 1) << "past the connection timeout the stream has ended";
}

TEST_F(WinampHostTest, LiveStreamWithoutALengthStartsOnceItPlaysAndEndsOnlyAtItsEnd) {
    ListBox1->SetItems({"<?http://radio.example/live.mp3?>", "<?/m/b.mp3?>"});
    run_->Timeout = 1000;
    run_->PlayIndex(0);
    Plugin("input.dll").Set("length", 0);
    run_->OpenWaitTimer();
    EXPECT_TRUE(run_->ProgressTimerObj->isActive()) << "it plays: no length to wait for";
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
    EXPECT_EQ(run_->Length, 0);
    EXPECT_EQ(run_->Title, "1.LIVE () ***");
    EXPECT_FALSE(ListBox1->Item(0).contains("<#")) << "no time is learnt";
    for (int tick = 1; tick <= 4; ++tick) {
        Plugin("input.dll").Set("time", 500 * tick);
        Tick();
    }
    EXPECT_EQ(run_->Index, 0);
    Plugin("output.dll").Set("playing", 0);
    Tick();
    Tick();
    EXPECT_EQ(run_->Index, 0) << "a short stall does not end it";
    Tick();
    EXPECT_EQ(run_->Index, 1) << "the end of the stream goes on to the next entry";

    // A local file with no length is no stream: it waits for a length until the timeout.
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    Plugin("input.dll").Set("length", 0);
    Plugin("output.dll").Set("playing", 1);
    run_->OpenWaitTimer();
    EXPECT_FALSE(run_->ProgressTimerObj->isActive());
    EXPECT_TRUE(run_->OpenWaitTimerObj->isActive());
}

TEST_F(WinampHostTest, OpenWaitEndsAfterTheConnectTimeoutInTicks) {
    RestartWith("ConnectTimeOut=1\r\n");
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    Plugin("input.dll").Set("length", 0);
    // 100 ms a tick: the wait passes 1000 ms after the eleventh tick and the twelfth sees it.
    for (int tick = 1; tick <= 11; ++tick) run_->OpenWaitTimer();
    EXPECT_TRUE(messages_.isEmpty());
    EXPECT_TRUE(run_->OpenWaitTimerObj->isActive());
    run_->OpenWaitTimer();
    EXPECT_EQ(messages_, QStringList{"等待响应超时、不能播放！　　"});
    EXPECT_EQ(run_->EngineCode, Engine::None);
    EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
}

TEST_F(WinampHostTest, ShuffleWithOneEntryFollowsRepeat) {
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    Ctrl->WriteBool("Shuffle", true);
    Ctrl->WriteBool("Repeat", false);
    Start(0);
    Plugin("input.dll").Set("time", 3000);
    run_->ProgressTimer();
    EXPECT_EQ(run_->EngineCode, Engine::None) << "no random pick from one entry; repeat is off";
    Ctrl->WriteBool("Repeat", true);
    Start(0);
    Plugin("input.dll").Set("time", 3000);
    run_->ProgressTimer();
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
}

// A picture whose every pixel has its own colour, so each copied cell can be told apart.
QImage Coded(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x, y * 8, 200));
    return image;
}

QImage Area(const QImage& image, QRect r) { return image.copy(r); }

TEST_F(WinampHostTest, StartDrawsTheStereoMarkAndTheBitRate) {
    TDisplay& display = *Ctrl->Display;
    display.MonosterBmp = Coded(58, 24);
    display.TextBmp = Coded(155, 74);
    ListBox1->SetItems({"<?/m/a.mp3?>"});
    run_->PlayIndex(0);
    const QRect stereo(239, 41, 29, 12), rates(111, 43, 60, 6);
    const QImage off = Area(display.MainBuffer, stereo);
    run_->OpenWaitTimer();
    ASSERT_TRUE(run_->ProgressTimerObj->isActive());
    EXPECT_EQ(Area(display.MainBuffer, stereo), Area(display.MonosterBmp, QRect(0, 0, 29, 12)));
    EXPECT_NE(off, Area(display.MainBuffer, stereo));
    const QImage started = Area(display.MainBuffer, rates);
    display.DrawBitrate(0, 0);
    EXPECT_NE(Area(display.MainBuffer, rates), started) << "the start drew a rate";
    display.DrawBitrate(128, 44);
    EXPECT_EQ(Area(display.MainBuffer, rates), started) << "128 kbps, 44 kHz";
}

TEST_F(WinampHostTest, TimeOrderFromTheSettingsShowsTheRemainingTime) {
    for (const bool elapsed : {true, false}) {
        RestartWith(elapsed ? "TimeOrder=1\r\n" : "TimeOrder=0\r\n");
        TDisplay& display = *Ctrl->Display;
        display.NumbersBmp = Coded(99, 13);
        ListBox1->SetItems({"<?/m/a.mp3?>"});
        Start(0);
        Plugin("input.dll").Set("time", 1000);
        // What the digits must show: 0:01 elapsed, or -0:02 remaining of 3 s.
        Form1->ShowBuffer(display.MainBuffer);
        if (elapsed) display.DrawTime(false, 0, 1, 0, 0);
        else display.DrawTime(true, 0, 2, 0, 0);
        const QRect digits(36, 26, 64, 13);
        const QImage expected = Area(Form1->ScreenImage(), digits);
        Form1->ShowBuffer(display.MainBuffer);
        run_->ProgressTimer();
        EXPECT_EQ(Area(Form1->ScreenImage(), digits), expected) << (elapsed ? "elapsed" : "remaining");
        display.DrawTime(!elapsed, 0, elapsed ? 2 : 1, 0, 0);
        EXPECT_NE(Area(Form1->ScreenImage(), digits), expected) << "the other order looks different";
    }
}

}  // namespace

namespace {

TEST_F(WinampHostTest, ProgressDigitsKeepTheirOrderForEveryDigit) {
    // 12:34 elapsed, or 12:34 remaining: four different digits, so no two can trade places unseen.
    for (const bool elapsed : {true, false}) {
        RestartWith(elapsed ? "TimeOrder=1\r\n" : "TimeOrder=0\r\n");
        TDisplay& display = *Ctrl->Display;
        display.NumbersBmp = Coded(99, 13);
        ListBox1->SetItems({"<?/m/a.mp3?>"});
        run_->PlayIndex(0);
        Plugin("input.dll").Set("length", 1500000);
        run_->OpenWaitTimer();
        ASSERT_EQ(run_->Length, 1500000);
        Plugin("input.dll").Set("time", elapsed ? 754000 : 1500000 - 754000);
        Form1->ShowBuffer(display.MainBuffer);
        display.DrawTime(!elapsed, 1, 4, 3, 2);
        const QRect digits(36, 26, 64, 13);
        const QImage expected = Area(Form1->ScreenImage(), digits);
        Form1->ShowBuffer(display.MainBuffer);
        run_->ProgressTimer();
        EXPECT_EQ(Area(Form1->ScreenImage(), digits), expected) << (elapsed ? "elapsed" : "remaining");
    }
}

}  // namespace
