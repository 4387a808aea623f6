// The plug-in host with the tests' tiny plug-ins in place of the real pair: binding, the failure
// message, the audio-CD pair replacing the file pair, the slots, the host's DSP stand-in, the
// equaliser hand-over, the CD pair's volume, and the end-of-track rules of the progress timer.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QFile>

#include "platform/device_volume.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
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
    QString Loads() const { return QString::fromUtf8(dir_.read("loads.log")); }

    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
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

    TWinamp* pair = run_->Winamp;
    run_->PlayIndex(1);
    EXPECT_EQ(run_->Winamp, pair) << "the file pair is kept for the next entry";
    EXPECT_NE(Plugin("input.dll").Log().find("Stop Play:/m/b.mp3"), std::string::npos);
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
    EXPECT_EQ(run_->EngineCode, 0) << "repeat off: the last entry stays stopped";

    Ctrl->WriteBool("Shuffle", true);
    for (int i = 0; i < 5; ++i) {
        run_->PlayIndex(0);
        run_->OpenWaitTimer();
        Plugin("input.dll").Set("time", 3000);
        run_->ProgressTimer();
        EXPECT_GE(run_->Index, 0);
        EXPECT_LT(run_->Index, 2);
        EXPECT_NE(run_->EngineCode, 0) << "shuffle always picks an entry";
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

}  // namespace
