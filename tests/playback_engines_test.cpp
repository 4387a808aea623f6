// Real playback through the controller with media the test makes: each engine reports a length,
// the entry starts and learns its time, pause and stop work, a video opens the video window, and
// files that cannot play end in their message instead of a hang.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <atomic>
#include <thread>

#include "dialogs/settings_proxy.h"
#include "platform/device_volume.h"
#include "platform/message_box.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/engines.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"
#include "player/playback/winamp_host.h"
#include "player/core/volume.h"
#include "tests/gst_encode.h"
#include "tests/loopback_socket.h"
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

// A small HTTP server on a thread of its own (the input plug-in holds the GUI thread while it
// opens a source). Each path answers with its body, sent with or without a length, as a live
// station sends it; any other path is not found.
class HttpServer {
public:
    struct Reply {
        QByteArray body;
        bool withLength = true;
    };
    explicit HttpServer(QMap<QByteArray, Reply> replies) : replies_(std::move(replies)) {}
    QString Url(const QString& path) const { return QString("http://127.0.0.1:%1%2").arg(Port()).arg(path); }
    int Port() const { return server_.Port(); }

private:
    void Answer(int client) const {
        QByteArray request;
        char chunk[1024];
        while (!request.contains("\r\n\r\n")) {
            const ssize_t got = recv(client, chunk, sizeof chunk, 0);
            if (got <= 0) break;
            request.append(chunk, got);
        }
        QByteArray answer = "HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n";
        if (const auto found = replies_.constFind(request.split(' ').value(1)); found != replies_.cend()) {
            answer = "HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n";
            if (found->withLength) answer += "Content-Length: " + QByteArray::number(found->body.size()) + "\r\n";
            answer += "\r\n" + found->body;
        }
        SendAll(client, answer);
    }

    const QMap<QByteArray, Reply> replies_;
    LoopbackServer server_{[this](int client) { Answer(client); }};
};

class PlaybackEnginesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        media_ = new testing_support::TempFolder();
        mp3_ = MakeMedia(media_->path(), "tone", MediaKind::Mp3, 2);
        ogg_ = MakeMedia(media_->path(), "tone", MediaKind::Ogg, 2);
        wav_ = MakeMedia(media_->path(), "tone", MediaKind::Wav, 2);
        mp4_ = MakeMedia(media_->path(), "picture", MediaKind::Mp4Video, 2);
        mkv_ = MakeMedia(media_->path(), "picture", MediaKind::MkvVideo, 2);
        // The RealAudio engine finds the stream's type by its content.
        live_ = MakeMedia(media_->path(), "live", MediaKind::Ogg, 0.5);
        rm_ = media_->file("tone.rm");
        if (!QFile::copy(ogg_, rm_)) rm_.clear();
    }
    static void TearDownTestSuite() { delete media_; }

    void SetUp() override {
        // The video window reads its menu file when it is made.
        dir_.write("Plugins/MenuPlus.ini", "");
        ASSERT_FALSE(mp3_.isEmpty() || ogg_.isEmpty() || wav_.isEmpty() || mp4_.isEmpty() || mkv_.isEmpty() ||
                     rm_.isEmpty() || live_.isEmpty());
        Decoders("DECODE0=*.wav\r\nDECODE1=*.rm\r\nDECODE2=*.ogg;*.mkv\r\nDECODE5=*.mp3;*.mp4\r\n");
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
    // The media engine under the current entry's engine.
    platform::MediaEngine& CurrentEngine() const {
        if (run_->EngineCode == Engine::DirectShow) return run_->Direct->GraphBuilder->Engine();
        if (run_->EngineCode == Engine::MediaPlayer) return run_->Media->Control().Engine();
        return run_->Real->Control()->Engine();
    }
    // Plays on until the position passes ms.
    bool PlaysPast(int ms) {
        return WaitFor([this, ms] {
            run_->ProgressTimer();
            return run_->Position > ms;
        });
    }

    static inline testing_support::TempFolder* media_ = nullptr;
    static inline QString mp3_, ogg_, wav_, mp4_, mkv_, rm_, live_;
    testing_support::TempFolder dir_;
    TForm1* form_ = nullptr;
    TRun* run_ = nullptr;
    QStringList messages_;
};

TEST_F(PlaybackEnginesTest, FilterGraphPlaysPausesAndStopsAnMp3) {
    PlayAlone(mp3_);
    EXPECT_EQ(run_->EngineCode, Engine::DirectShow);
    EXPECT_NEAR(run_->Length, 2000, 150);
    EXPECT_TRUE(ListBox1->Item(0).endsWith("<#00:02#>")) << ListBox1->Item(0).toStdString();
    EXPECT_EQ(run_->Title, "1.TONE (00:02) ***");
    ASSERT_TRUE(PlaysPast(300));
    const platform::MediaEngine& graph = run_->Direct->GraphBuilder->Engine();
    using State = platform::MediaEngine::State;
    run_->PauseResume();
    EXPECT_TRUE(run_->Paused);
    EXPECT_TRUE(WaitFor([&] { return graph.CurrentState() == State::Paused; })) << "the graph pauses";
    run_->PauseResume();
    EXPECT_FALSE(run_->Paused);
    EXPECT_TRUE(WaitFor([&] { return graph.CurrentState() == State::Playing; })) << "the graph runs again";
    run_->SeekBy(-60000);
    QPointer<TDirect> direct = run_->Direct;
    run_->Stop();
    EXPECT_EQ(run_->EngineCode, Engine::None);
    EXPECT_EQ(run_->Length, 0);
    EXPECT_FALSE(run_->ProgressTimerObj->isActive());
    EXPECT_EQ(run_->Direct, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(direct) << "the graph engine goes at every stop";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, MediaPlayerAndRealAudioPauseAndResume) {
    using State = platform::MediaEngine::State;
    for (const QString& file : {ogg_, rm_}) {
        SCOPED_TRACE(file.toStdString());
        PlayAlone(file);
        ASSERT_TRUE(run_->EngineCode == Engine::MediaPlayer || run_->EngineCode == Engine::Real);
        ASSERT_TRUE(PlaysPast(300));
        const platform::MediaEngine& engine = CurrentEngine();
        run_->PauseResume();
        EXPECT_TRUE(run_->Paused);
        EXPECT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Paused; })) << "the control pauses";
        run_->PauseResume();
        EXPECT_FALSE(run_->Paused);
        EXPECT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; })) << "the control plays again";
        run_->Stop();
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, RealAudioShowsTheMonoMarkAndItsBitRate) {
    const QString mono = dir_.file("mono.rm");
    ASSERT_TRUE(EncodeWith("audiotestsrc num-buffers=90 samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=1 ! "
                           "audioconvert ! vorbisenc ! oggmux ! filesink location=" + mono));
    TDisplay& display = *Ctrl->Display;
    // Every pixel of the marks' picture says where it came from.
    QImage marks(58, 24, QImage::Format_RGB32);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 58; ++x) marks.setPixel(x, y, qRgb(x * 4, y * 10, 77));
    display.MonosterBmp = marks;
    QImage text(155, 18, QImage::Format_RGB32);
    for (int y = 0; y < 18; ++y)
        for (int x = 0; x < 155; ++x) text.setPixel(x, y, qRgb(x, y * 12, 5));
    display.TextBmp = text;
    PlayAlone(mono);
    ASSERT_EQ(run_->EngineCode, Engine::Real);
    EXPECT_EQ(display.MainBuffer.copy(212, 41, 29, 12), marks.copy(29, 0, 29, 12)) << "the mono mark is on";
    // The mono mark runs to x 241, over the stereo mark's first two columns.
    EXPECT_EQ(display.MainBuffer.copy(241, 41, 27, 12), marks.copy(2, 12, 27, 12)) << "the stereo mark stays off";
    ASSERT_TRUE(PlaysPast(300));
    // A state the control reports (here playing again) redraws the rate it has now.
    emit run_->Real->Control()->StateChange(3, 3);
    const int kbps = run_->Real->Control()->GetBandwidthAverage() / 1000;
    ASSERT_GT(kbps, 0);
    const QRect rates(111, 43, 60, 6);
    const QImage shown = display.MainBuffer.copy(rates);
    display.DrawBitrate(kbps, 0);
    EXPECT_EQ(display.MainBuffer.copy(rates), shown) << "the control's bandwidth in kbps, and no kHz";
    display.DrawBitrate(0, 0);
    EXPECT_NE(display.MainBuffer.copy(rates), shown);
    run_->Stop();
    EXPECT_EQ(display.MainBuffer.copy(212, 41, 29, 12), marks.copy(29, 12, 29, 12)) << "the stop turns it off";
}

// Per engine: a seek goes the way asked, and the end of the stream ends the track wherever the
// position stands.
TEST_F(PlaybackEnginesTest, SeeksGoTheWayAskedAndTheEndOfTheStreamEndsTheTrack) {
    Ctrl->WriteBool("Repeat", false);
    for (const QString& file : {mp3_, ogg_, rm_}) {
        SCOPED_TRACE(file.toStdString());
        PlayAlone(file);
        run_->ProgressTimer();
        const int start = run_->Position;
        ASSERT_LT(start, 600);
        run_->SeekBy(1000);
        run_->ProgressTimer();
        const int ahead = run_->Position;
        EXPECT_GE(ahead, start + 900);
        EXPECT_LT(ahead, start + 1600);
        run_->SeekBy(-700);
        run_->ProgressTimer();
        EXPECT_LE(run_->Position, ahead - 500);
        EXPECT_GE(run_->Position, ahead - 800);

        emit CurrentEngine().EndOfStream();
        run_->ProgressTimer();
        EXPECT_EQ(run_->EngineCode, Engine::None) << "the end of the stream is the end of the track";
    }
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, RealAudioEngineSetsTheVolumeAsItStarts) {
    Ctrl->Volume = 30;
    Ctrl->Balance = 40;
    platform::SetDeviceVolume(platform::DeviceFamily::Wave, 0, 0x12341234u);
    PlayAlone(rm_);
    EXPECT_EQ(run_->EngineCode, Engine::Real);
    EXPECT_NEAR(run_->Length, 2000, 150);
    EXPECT_EQ(platform::GetDeviceVolume(platform::DeviceFamily::Wave, 0), WordFromVolume(30, 40));
}

TEST_F(PlaybackEnginesTest, RealAudioErrorsTellAFileFromAServer) {
    const HttpServer server({});
    const QString missing = dir_.file("missing.rm");
    const QStringList entries{missing, "FILE://" + missing, server.Url("/missing.rm")};
    const QStringList expected{"不能播放:文件格式错误、不能播放！　　", "不能播放:文件格式错误、不能播放！　　",
                               "连接失败:服务器没有响应！　　"};
    for (int i = 0; i < entries.size(); ++i) {
        messages_.clear();
        ListBox1->SetItems({"<?" + entries[i] + "?>"});
        run_->PlayIndex(0);
        ASSERT_EQ(run_->EngineCode, Engine::Real);
        ASSERT_TRUE(WaitFor([this] { return !messages_.isEmpty(); }, 10000)) << entries[i].toStdString();
        EXPECT_EQ(messages_, QStringList{expected[i]}) << entries[i].toStdString();
        EXPECT_EQ(run_->EngineCode, Engine::None);
    }
}

TEST_F(PlaybackEnginesTest, MediaPlayerEngineStartsFromItsPlayStateAndGoesOnAtTheEnd) {
    ListBox1->SetItems({"<?" + ogg_ + "?>", "<?" + mp3_ + "?>"});
    run_->PlayIndex(0);
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, Engine::MediaPlayer);
    EXPECT_NEAR(run_->Length, 2000, 150);
    EXPECT_FALSE(run_->VideoOpen);
    run_->SeekBy(1900);
    ASSERT_TRUE(WaitFor([this] { return run_->Index == 1; })) << "the end of the track plays the next entry";
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, Engine::DirectShow);
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
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    EXPECT_NEAR(run_->Length, 2000, 100);
    ASSERT_TRUE(run_->Winamp && run_->Winamp->Bound());
    ASSERT_TRUE(WaitFor([this] { return run_->EngineCode == Engine::None; })) << "the track ends and repeat is off";
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

// The plug-in pair plays http:// entries of its types through the proxy of the network page: the
// proxy, here the test's server, is asked for the whole address, on a host nobody could reach.
TEST_F(PlaybackEnginesTest, PlugInPairGoesThroughTheHttpProxy) {
    QFile source(wav_);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QString address = "http://192.0.2.1/far.wav";
    const HttpServer proxy({{address.toUtf8(), {source.readAll(), true}}});
    QString error;
    ASSERT_TRUE(WriteHttpProxy(true, "127.0.0.1", proxy.Port(), &error)) << error.toStdString();
    ListBox1->SetItems({"<?" + address + "?>"});
    run_->PlayIndex(0);
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    EXPECT_TRUE(WaitFor([this] { return Started() || !messages_.isEmpty(); }) && Started())
        << messages_.join('|').toStdString();
    run_->Stop();
    ASSERT_TRUE(WriteHttpProxy(false, "127.0.0.1", proxy.Port(), &error));
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
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    ASSERT_TRUE(PlaysPast(200));
    run_->SeekBy(1500);
    ASSERT_TRUE(WaitFor([this] { return run_->Index == 1; })) << "the first ends and the second follows by itself";
    ASSERT_TRUE(WaitFor([this] { return Started(); }));
    EXPECT_EQ(run_->EngineCode, Engine::Winamp);
    EXPECT_NEAR(run_->Length, 2000, 100);
    EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
}

TEST_F(PlaybackEnginesTest, VideosOpenTheVideoWindow) {
    PlayAlone(mp4_);
    EXPECT_EQ(run_->EngineCode, Engine::DirectShow);
    EXPECT_TRUE(run_->VideoOpen);
    EXPECT_EQ(run_->VideoWidth, 320);
    EXPECT_EQ(run_->VideoHeight, 240);
    ASSERT_TRUE(Form4);
    EXPECT_EQ(Form4->objectName(), "dispForm4");
    EXPECT_EQ(Form4->width(), 320 + 14) << "shown in normal size: the picture and the frame";
    run_->Stop();
    EXPECT_FALSE(Form4) << "the stop frees the video window";
    EXPECT_EQ(Ctrl->ReadInteger("AV_W", 0), 320 + 14) << "its size is kept";

    PlayAlone(mkv_);
    EXPECT_EQ(run_->EngineCode, Engine::MediaPlayer);
    EXPECT_TRUE(run_->VideoOpen);
    ASSERT_TRUE(Form4);
    QPointer<TMedia> media = run_->Media;
    run_->Stop();
    EXPECT_EQ(run_->Media, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(media) << "the Media Player engine goes with the video window";
}

// An English sentence in a message: two Latin words with a blank between them.
bool HasEnglish(const QString& text) {
    static const QRegularExpression sentence("[A-Za-z]{2,}\\s+[A-Za-z]{2,}");
    return sentence.match(text).hasMatch();
}

// A missing, empty or damaged file, a page that is not found and a server that is not there end
// the entry as soon as the engine says so, long before the open wait would run out, each with the
// reason of its class in Chinese, whichever engine plays it.
TEST_F(PlaybackEnginesTest, BrokenEntriesEndWithTheEnginesReason) {
    ASSERT_EQ(run_->Timeout, 30000);
    const HttpServer server({});
    dir_.write("broken.mp3", QByteArray(20000, '\x5a'));
    for (const char* name : {"empty.wav", "empty.mp3", "empty.ogg"}) dir_.write(name, "");
    const QString file = "不能播放:文件格式错误、不能播放！　　\r", stream = "连接失败:服务器没有响应！　　\r";
    using platform::MediaFailure;
    const QString notFound = platform::FailureReason(MediaFailure::NotFound),
                  unsupported = platform::FailureReason(MediaFailure::Unsupported),
                  noServer = platform::FailureReason(MediaFailure::CannotConnect);
    struct Case {
        QString entry, start, reason;
    };
    const QList<Case> cases{
        {dir_.file("missing.wav"), file, notFound},      {dir_.file("empty.wav"), file, unsupported},
        {dir_.file("missing.mp3"), file, notFound},      {dir_.file("empty.mp3"), file, unsupported},
        {dir_.file("broken.mp3"), file, unsupported},    {dir_.file("missing.ogg"), file, notFound},
        {dir_.file("empty.ogg"), file, unsupported},     {server.Url("/gone.wav"), stream, notFound},
        {server.Url("/gone.mp3"), stream, notFound},     {server.Url("/gone"), stream, notFound},
        {"mms://127.0.0.1:9/live", stream, noServer},    {"http://127.0.0.1:9/a.mp3", stream, noServer},
        {"http://127.0.0.1:9/a.wav", stream, noServer},
    };
    for (const auto& [entry, start, reason] : cases) {
        SCOPED_TRACE(entry.toStdString());
        messages_.clear();
        ListBox1->SetItems({"<?" + entry + "?>"});
        run_->PlayIndex(0);
        ASSERT_TRUE(WaitFor([this] { return !messages_.isEmpty(); }, 10000)) << "still " << int(run_->EngineCode);
        ASSERT_EQ(messages_.size(), 1);
        EXPECT_EQ(messages_[0], start + reason);
        EXPECT_FALSE(HasEnglish(messages_[0])) << messages_[0].toStdString();
        EXPECT_EQ(run_->EngineCode, Engine::None);
        EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
        EXPECT_FALSE(run_->ProgressTimerObj->isActive());
    }
}

// A file that holds a valid header and nothing after it ends as the engine finds it empty, with
// the failure message, whichever engine its type goes to; it is not "played" again and again.
// So does a picture cut off in its middle, on which the media libraries fail their own checks.
TEST_F(PlaybackEnginesTest, FilesWithAHeaderAndNoDataEndWithTheFailureMessage) {
    // 44 bytes of a 16-bit stereo .wav: a data chunk of 0 bytes, and one that claims a second.
    const auto wavHeader = [](quint32 dataSize) {
        QByteArray bytes = "RIFF";
        const auto put32 = [&bytes](quint32 v) { for (int i = 0; i < 4; ++i) bytes += char((v >> (8 * i)) & 0xff); };
        const auto put16 = [&bytes](quint16 v) { bytes += char(v & 0xff); bytes += char(v >> 8); };
        put32(36 + dataSize);
        bytes += "WAVEfmt ";
        put32(16);
        put16(1);
        put16(2);
        put32(44100);
        put32(44100 * 4);
        put16(4);
        put16(16);
        bytes += "data";
        put32(dataSize);
        return bytes;
    };
    dir_.write("header.wav", wavHeader(0));
    dir_.write("claims.wav", wavHeader(176400));
    // The first 64 bytes of an MPEG-2 video: sequence header, group of pictures, the start of
    // the first picture.
    dir_.write("cut.mpg", QByteArray::fromHex("000001b31400f01302bf609c000001b8000800400000010000"
                                              "0ffff8000001011bfb5d29488b94a5222e598030043fbe08e0"
                                              "7c8fad36600c010fef82381f23eb"));
    ASSERT_EQ(dir_.read("cut.mpg").size(), 64);
    const QString file = "不能播放:文件格式错误、不能播放！　　\r";
    for (const char* list : {"DECODE0", "DECODE5", "DECODE3", "DECODE2"}) {
        Decoders(QByteArray(list) + "=*.wav;*.mpg\r\n");
        Ctrl->ReadDecoderLists();
        for (const char* name : {"header.wav", "claims.wav", "cut.mpg"}) {
            SCOPED_TRACE(std::string(list) + " " + name);
            // The cut picture goes to the engine its type has in the shipped lists, the one that
            // trips the parser over it when it stops.
            if (QByteArray(name).endsWith(".mpg") && QByteArray(list) != "DECODE3") continue;
            messages_.clear();
            ListBox1->SetItems({"<?" + dir_.file(name) + "?>"});
            run_->PlayIndex(0);
            ASSERT_TRUE(WaitFor([this] { return !messages_.isEmpty(); }, 10000)) << "still " << int(run_->EngineCode);
            EXPECT_TRUE(messages_[0].startsWith(file)) << messages_[0].toStdString();
            EXPECT_EQ(run_->EngineCode, Engine::None);
            EXPECT_FALSE(run_->OpenWaitTimerObj->isActive());
            EXPECT_FALSE(run_->ProgressTimerObj->isActive());
            EXPECT_FALSE(Form4) << "no empty video window stays";
            WaitFor([] { return false; }, 300);
            EXPECT_EQ(messages_.size(), 1) << "and it is not tried again: " << messages_.join('|').toStdString();
        }
    }
}

// A station sends no length and the stream has none: it plays as soon as it can and stops at the
// end of the stream, through the graph and through the plug-in pair.
TEST_F(PlaybackEnginesTest, LiveStreamStartsAsSoonAsItPlaysAndStopsAtItsEnd) {
    QFile source(live_);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray bytes = source.readAll();
    const HttpServer server({{"/live.mp3", {bytes, false}}, {"/live.wav", {bytes, false}}});
    Ctrl->WriteBool("Repeat", false);
    run_->Timeout = 6000;
    for (const QString& path : {QString("/live.mp3"), QString("/live.wav")}) {
        SCOPED_TRACE(path.toStdString());
        messages_.clear();
        PlayAlone(server.Url(path));
        EXPECT_EQ(run_->EngineCode, path.endsWith(".mp3") ? Engine::DirectShow : Engine::Winamp);
        EXPECT_EQ(run_->Length, 0) << "no length to show";
        run_->Timeout = 1000;  // the plug-in pair's silence after the end
        ASSERT_TRUE(WaitFor([this] { return run_->EngineCode == Engine::None; }));
        EXPECT_TRUE(messages_.isEmpty()) << messages_.join('|').toStdString();
        run_->Timeout = 6000;
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
