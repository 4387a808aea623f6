// Real playback through the controller with media the test makes: each engine reports a length,
// the entry starts and learns its time, pause and stop work, a video opens the video window, and
// files that cannot play end in their message instead of a hang.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include "platform/device_volume.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/playback/winamp_host.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

namespace {

// Runs the event loop until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int ms = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition() && clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    return condition();
}

class PlaybackEnginesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        media_ = new testing_support::TempFolder();
        mp3_ = MakeMedia(media_->path(), "tone", MediaKind::Mp3, 2);
        ogg_ = MakeMedia(media_->path(), "tone", MediaKind::Ogg, 2);
        wav_ = MakeMedia(media_->path(), "tone", MediaKind::Wav, 2);
        mp4_ = MakeMedia(media_->path(), "picture", MediaKind::Mp4Video, 2);
        mkv_ = MakeMedia(media_->path(), "picture", MediaKind::MkvVideo, 2);
    }
    static void TearDownTestSuite() { delete media_; }

    void SetUp() override {
        ASSERT_FALSE(mp3_.isEmpty() || ogg_.isEmpty() || wav_.isEmpty() || mp4_.isEmpty() || mkv_.isEmpty());
        Decoders("DECODE0=*.wav\r\nDECODE2=*.ogg;*.mkv\r\nDECODE5=*.mp3;*.mp4\r\n");
        for (const char* name : {"input.dll", "output.dll"}) {
            const QString built = QString(VELMORA_BUILT_INSTALL_DIR "/Plugins/") + name;
            ASSERT_TRUE(QFile::copy(built, dir_.file(QString("Plugins/") + name))) << name;
        }
        platform::SetMessageRecorder([this](const QString& text, const QString& caption, platform::MessageIcon) {
            messages_ << caption + ":" + text;
        });
        form_ = new TForm1(dir_.path() + "/");
        run_ = Ctrl->Run.get();
    }
    void TearDown() override {
        form_->QuietClose = true;
        form_->close();
        delete form_;
        platform::SetMessageRecorder({});
    }
    void Decoders(const QByteArray& lines) const { dir_.write("Plugins/FilePlus.ini", "[DECODE_SETUP]\r\n" + lines); }
    bool Started() const { return run_->ProgressTimerObj->isActive(); }
    // Plays the file as the only entry and waits for the start.
    void PlayAlone(const QString& file) {
        ListBox1->SetItems({"<?" + file + "?>"});
        run_->PlayIndex(0);
        ASSERT_TRUE(WaitFor([this] { return Started(); })) << file.toStdString() << " " << messages_.join('|').toStdString();
    }
    // Plays on until the position passes ms.
    bool PlaysPast(int ms) {
        return WaitFor([this, ms] {
            run_->ProgressTimer();
            return run_->Position > ms;
        });
    }

    static inline testing_support::TempFolder* media_ = nullptr;
    static inline QString mp3_, ogg_, wav_, mp4_, mkv_;
    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
};

TEST_F(PlaybackEnginesTest, FilterGraphPlaysPausesAndStopsAnMp3) {
    PlayAlone(mp3_);
    EXPECT_EQ(run_->EngineCode, 3);
    EXPECT_NEAR(run_->Length, 2000, 150);
    EXPECT_TRUE(ListBox1->Item(0).endsWith("<#00:02#>")) << ListBox1->Item(0).toStdString();
    EXPECT_EQ(run_->Title, "1.TONE (00:02) ***");
    ASSERT_TRUE(PlaysPast(300));
    run_->PauseResume();
    EXPECT_TRUE(run_->Paused);
    run_->PauseResume();
    EXPECT_FALSE(run_->Paused);
    run_->SeekBy(-60000);
    run_->Stop();
    EXPECT_EQ(run_->EngineCode, 0);
    EXPECT_EQ(run_->Length, 0);
    EXPECT_FALSE(run_->ProgressTimerObj->isActive());
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, MediaPlayerEngineStartsFromItsPlayStateAndGoesOnAtTheEnd) {
    ListBox1->SetItems({"<?" + ogg_ + "?>", "<?" + mp3_ + "?>"});
    run_->PlayIndex(0);
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, 6);
    EXPECT_NEAR(run_->Length, 2000, 150);
    EXPECT_FALSE(run_->VideoOpen);
    run_->SeekBy(1900);
    ASSERT_TRUE(WaitFor([this] { return run_->Index == 1; })) << "the end of the track plays the next entry";
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, 3);
}

TEST_F(PlaybackEnginesTest, PlayingReportedBeforeTheLengthStillStarts) {
    ListBox1->SetItems({"<?" + ogg_ + "?>"});
    run_->PlayIndex(0);
    // The engine says it plays while its length is still unknown: the start waits for it.
    run_->Length = 0;
    run_->EngineReportedPlaying();
    EXPECT_FALSE(Started());
    EXPECT_TRUE(run_->OpenWaitTimerObj->isActive()) << "the open wait goes on";
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_NEAR(run_->Length, 2000, 150);
}

TEST_F(PlaybackEnginesTest, PlugInPairPlaysAWavToItsEnd) {
    Ctrl->WriteBool("Repeat", false);
    PlayAlone(wav_);
    EXPECT_EQ(run_->EngineCode, 1);
    EXPECT_NEAR(run_->Length, 2000, 100);
    ASSERT_TRUE(run_->Winamp && run_->Winamp->Bound());
    ASSERT_TRUE(WaitFor([this] { return run_->EngineCode == 0; })) << "the track ends and repeat is off";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, PlugInPairGoesOnFromAnMp3ToAnOggFromAPlaylistFile) {
    Decoders("DECODE0=*.mp3;*.ogg\r\n");
    Ctrl->ReadDecoderLists();
    dir_.write("list.m3u", ("#EXTM3U\r\n" + mp3_ + "\r\n" + ogg_ + "\r\n").toUtf8());
    ListBox1->UseReverse = false;
    ListBox1->addParam(dir_.file("list.m3u"));
    ASSERT_EQ(ListBox1->Count(), 2);
    run_->PlayIndex(0);
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, 1);
    ASSERT_TRUE(PlaysPast(200));
    run_->SeekBy(1500);
    ASSERT_TRUE(WaitFor([this] { return run_->Index == 1; })) << "the first ends and the second follows by itself";
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, 1);
    EXPECT_NEAR(run_->Length, 2000, 100);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, VideosOpenTheVideoWindow) {
    PlayAlone(mp4_);
    EXPECT_EQ(run_->EngineCode, 3);
    EXPECT_TRUE(run_->VideoOpen);
    EXPECT_EQ(run_->VideoWidth, 320);
    EXPECT_EQ(run_->VideoHeight, 240);
    ASSERT_TRUE(Form4);
    EXPECT_EQ(Form4->objectName(), "dispForm4");
    run_->Stop();
    EXPECT_FALSE(Form4) << "the stop frees the video window";
    EXPECT_EQ(Ctrl->ReadInteger("AV_W", 0), 320) << "its size is kept";

    PlayAlone(mkv_);
    EXPECT_EQ(run_->EngineCode, 6);
    EXPECT_TRUE(run_->VideoOpen);
    ASSERT_TRUE(Form4);
    QPointer<TMedia> media = run_->Media;
    run_->Stop();
    EXPECT_EQ(run_->Media, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(media) << "the Media Player engine goes with the video window";
}

TEST_F(PlaybackEnginesTest, UnplayableFilesEndInTheTimeoutMessage) {
    Ctrl->WriteInteger("ConnectTimeOut", 1);
    Ctrl->Run->Timeout = 1000;
    dir_.write("broken.mp3", QByteArray(20000, '\x5a'));
    for (const QString& file : {dir_.file("broken.mp3"), dir_.file("missing.mp3")}) {
        messages_.clear();
        ListBox1->SetItems({"<?" + file + "?>"});
        run_->PlayIndex(0);
        ASSERT_TRUE(WaitFor([this] { return !messages_.isEmpty(); }, 10000)) << file.toStdString();
        EXPECT_EQ(messages_, QStringList{"等待超时:等待响应超时、不能播放！　　"});
        EXPECT_EQ(run_->EngineCode, 0);
        EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
    }
}

TEST_F(PlaybackEnginesTest, DeviceVolumeReachesTheEngines) {
    PlayAlone(mp3_);
    Ctrl->Volume = 40;
    Ctrl->Balance = -100;
    Ctrl->ApplyVolume();
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0), 102u * 256);
    Ctrl->ReadVolume();
    Ctrl->ReadBalance();
    EXPECT_EQ(Ctrl->Volume, 40);
    EXPECT_EQ(Ctrl->Balance, -100);
    Ctrl->Volume = 50;
    Ctrl->Balance = 20;
    Ctrl->ApplyVolume();

    // The next start reads the volume back from the devices, which keep it per user.
    form_->QuietClose = true;
    form_->close();
    delete form_;
    platform::ReloadDeviceVolumes();
    form_ = new TForm1(dir_.path() + "/");
    run_ = Ctrl->Run.get();
    EXPECT_EQ(Ctrl->Volume, 50);
    EXPECT_EQ(Ctrl->Balance, 19) << "the device keeps 8 bits a channel: 102 of 127 reads back as 19";
}

}  // namespace
