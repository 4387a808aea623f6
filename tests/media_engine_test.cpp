#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QFile>
#include <QWidget>
#include <climits>
#include <functional>
#include <memory>
#include <random>
#include <thread>
#include <vector>

#include "platform/media_engine.h"
#include "platform/media_faces.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

using platform::MediaEngine;
using State = platform::MediaEngine::State;

namespace {

constexpr qint64 kSecond = 10'000'000;  // 100-ns units
constexpr int kPatience = 15000;        // ms; only an upper bound for waits, never a measurement

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kPatience); }

// Media made once per run: 1.5 s of tone (and picture), one short clip and one long one.
struct Media {
    testing_support::TempFolder folder;
    QString wav, mp3, ogg, mp4, mkv, shortWav, corrupt, longMp3;

    static Media& Get() {
        static Media media;
        return media;
    }
    const QString& Long() {
        // Past 2^31 units (214.7 s), where a 32-bit time would wrap.
        if (longMp3.isEmpty()) longMp3 = MakeMedia(folder.path(), "long", MediaKind::Mp3, 230);
        return longMp3;
    }

private:
    Media() {
        wav = MakeMedia(folder.path(), "tone", MediaKind::Wav, 1.5);
        mp3 = MakeMedia(folder.path(), "tone", MediaKind::Mp3, 1.5);
        ogg = MakeMedia(folder.path(), "tone", MediaKind::Ogg, 1.5);
        mp4 = MakeMedia(folder.path(), "picture", MediaKind::Mp4Video, 1.5);
        mkv = MakeMedia(folder.path(), "picture", MediaKind::MkvVideo, 1.5);
        shortWav = MakeMedia(folder.path(), "blip", MediaKind::Wav, 0.3);
        std::mt19937 random(7);
        QByteArray noise(65536, Qt::Uninitialized);
        for (char& c : noise) c = char(random());
        folder.write("noise.mp3", noise);
        corrupt = folder.file("noise.mp3");
    }
};

// Everything an engine announces, in order.
struct Events {
    explicit Events(MediaEngine& engine) {
        QObject::connect(&engine, &MediaEngine::StateChanged, &context, [this](State s) { states.push_back(s); });
        QObject::connect(&engine, &MediaEngine::Prerolled, &context, [this] { ++prerolled; });
        QObject::connect(&engine, &MediaEngine::DurationChanged, &context, [this] { ++durations; });
        QObject::connect(&engine, &MediaEngine::EndOfStream, &context, [this] { ++ends; });
        QObject::connect(&engine, &MediaEngine::ErrorOccurred, &context,
                         [this](const QString& text) { errors << text; });
    }
    QObject context;
    std::vector<State> states;
    int prerolled = 0, durations = 0, ends = 0;
    QStringList errors;
};

struct AudioCase {
    const char* name;
    QString Media::*file;
    bool hasBitrate;
};

class EngineAudio : public ::testing::TestWithParam<AudioCase> {};

TEST_P(EngineAudio, PlaysPausesSeeksStopsAndEnds) {
    const QString path = Media::Get().*GetParam().file;
    ASSERT_FALSE(path.isEmpty());
    MediaEngine engine;
    Events events(engine);
    ASSERT_TRUE(engine.Open(path, 5000)) << engine.LastError().toStdString();
    EXPECT_TRUE(engine.IsPrerolled());
    EXPECT_EQ(engine.AudioChannels(), 2);
    EXPECT_EQ(engine.AudioRate(), 44100);
    EXPECT_EQ(engine.VideoSize(), QSize(0, 0));
    EXPECT_TRUE(events.states.empty()) << "nothing is announced inside Open";

    ASSERT_TRUE(WaitFor([&] { return events.prerolled == 1 && engine.Duration() > 0; }));
    EXPECT_NEAR(double(engine.Duration()), 1.5 * kSecond, 0.1 * kSecond);
    EXPECT_GE(events.durations, 1);
    EXPECT_EQ(engine.CurrentState(), State::Paused);

    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    ASSERT_TRUE(WaitFor([&] { return engine.Position() > kSecond / 10; }));
    if (GetParam().hasBitrate) {
        EXPECT_GT(engine.Bitrate(), 0);  // MP3 parsers tag it once some frames have passed
    }
    engine.Pause();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Paused; }));

    // A seek lands where asked: play resumes from there, not from where it paused.
    const qint64 target = kSecond * 12 / 10;
    ASSERT_TRUE(engine.SetPosition(target));
    EXPECT_EQ(engine.Position(), target);
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    EXPECT_GE(engine.Position(), target - kSecond / 20);
    ASSERT_TRUE(WaitFor([&] { return events.ends == 1; }));
    EXPECT_TRUE(events.errors.isEmpty());

    engine.Stop();
    EXPECT_EQ(engine.CurrentState(), State::Stopped);
    EXPECT_EQ(engine.Position(), 0);
    EXPECT_EQ(events.states.back(), State::Stopped);

    // A position set while stopped is where the next play starts.
    ASSERT_TRUE(engine.SetPosition(target));
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    EXPECT_GE(engine.Position(), target - kSecond / 20);
    ASSERT_TRUE(WaitFor([&] { return events.ends == 2; }));
    EXPECT_EQ(events.prerolled, 1) << "Prerolled is announced once per Open";
}

INSTANTIATE_TEST_SUITE_P(Kinds, EngineAudio,
                         ::testing::Values(AudioCase{"Wav", &Media::wav, false}, AudioCase{"Mp3", &Media::mp3, true},
                                           AudioCase{"Ogg", &Media::ogg, true}),
                         [](const auto& info) { return std::string(info.param.name); });

class EngineVideo : public ::testing::TestWithParam<AudioCase> {};

TEST_P(EngineVideo, KnowsItsSizeAtOpenAndPlaysWithoutANativeWindow) {
    const QString path = Media::Get().*GetParam().file;
    ASSERT_FALSE(path.isEmpty());
    auto owner = std::make_unique<QWidget>();
    owner->resize(400, 300);
    owner->show();
    MediaEngine engine;
    Events events(engine);
    engine.SetVideoOwner(owner.get());
    engine.SetVideoRect(QRect(7, 15, 386, 280));
    ASSERT_TRUE(engine.Open(path, 5000)) << engine.LastError().toStdString();
    EXPECT_EQ(engine.VideoSize(), QSize(320, 240));
    EXPECT_EQ(engine.AudioChannels(), 2);

    auto* window = owner->findChild<QWidget*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->geometry(), QRect(7, 15, 386, 280));
    EXPECT_TRUE(window->isVisible());
    engine.SetVideoRect(QRect());
    EXPECT_FALSE(window->isVisible());
    engine.SetVideoRect(QRect(0, 0, 200, 100));
    EXPECT_EQ(window->geometry(), QRect(0, 0, 200, 100));

    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    // The owner goes while playing: the picture has nowhere to go, the sound carries on.
    owner.reset();
    EXPECT_EQ(engine.VideoOwner(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return events.ends == 1; }));
    EXPECT_TRUE(events.errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Kinds, EngineVideo,
                         ::testing::Values(AudioCase{"Mp4", &Media::mp4, false}, AudioCase{"Mkv", &Media::mkv, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EngineErrors, BadSourcesFailWithAnErrorDeliveredLater) {
    Media& media = Media::Get();
    MediaEngine engine;
    Events events(engine);

    EXPECT_FALSE(engine.Open(media.folder.file("absent.mp3"), 3000));
    EXPECT_FALSE(engine.LastError().isEmpty());
    EXPECT_TRUE(events.errors.isEmpty()) << "never inside Open";
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 1; }));

    EXPECT_EQ(engine.LastFailure(), platform::MediaFailure::NotFound);
    EXPECT_FALSE(engine.Open("gopher://media.example.invalid/live", 3000));
    EXPECT_TRUE(engine.LastError().contains("gopher"));
    EXPECT_EQ(engine.LastFailure(), platform::MediaFailure::NoProtocol);
    EXPECT_EQ(events.errors.size(), 1);
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 2; }));

    // Random bytes named .mp3: an error within the wait, and again as the event.
    EXPECT_FALSE(engine.Open(media.corrupt, 3000));
    EXPECT_EQ(engine.LastFailure(), platform::MediaFailure::Unsupported) << engine.LastError().toStdString();
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 3; }));
    EXPECT_EQ(engine.CurrentState(), State::Stopped);
    EXPECT_EQ(events.ends, 0);

    // The same without the wait, then still usable for a good file.
    EXPECT_TRUE(engine.Open(media.corrupt, 0));
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 4; }));
    EXPECT_TRUE(engine.Open(media.wav, 5000));
    EXPECT_TRUE(engine.IsPrerolled());
}

TEST(EngineErrors, NamesWithSpacesHashesAndChineseOpen) {
    Media& media = Media::Get();
    const QString odd = media.folder.file("歌 #1 100%.wav");
    ASSERT_TRUE(QFile::copy(media.wav, odd));
    MediaEngine engine;
    ASSERT_TRUE(engine.Open(odd, 5000)) << engine.LastError().toStdString();
    EXPECT_EQ(engine.Source(), odd);
    EXPECT_EQ(engine.AudioChannels(), 2);
}

TEST(EngineReplacement, MessagesOfAReplacedSourceAreDropped) {
    Media& media = Media::Get();
    MediaEngine engine;
    Events events(engine);

    // An end posted while the GUI thread was busy belongs to the old source.
    ASSERT_TRUE(engine.Open(media.shortWav, 5000));
    engine.Play();
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_TRUE(engine.Open(media.wav, 5000));
    ASSERT_TRUE(WaitFor([&] { return events.prerolled == 1; }));
    QTest::qWait(200);
    EXPECT_EQ(events.ends, 0);
    EXPECT_EQ(engine.CurrentState(), State::Paused);

    // So does an error, and the error queued by an Open that failed at once.
    EXPECT_TRUE(engine.Open(media.corrupt, 0));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_FALSE(engine.Open("gopher://media.example.invalid/live", 0));
    ASSERT_TRUE(engine.Open(media.wav, 5000));
    ASSERT_TRUE(WaitFor([&] { return events.prerolled == 2; }));
    QTest::qWait(200);
    EXPECT_TRUE(events.errors.isEmpty()) << events.errors.join("; ").toStdString();
}

TEST(FilterGraphFace, RendersMeasuresAndSeeksPastThirtyTwoBits) {
    Media& media = Media::Get();
    std::shared_ptr<platform::FilterGraph> graph;
    ASSERT_EQ(platform::CreateFilterGraph(&graph), platform::S_OK);

    EXPECT_EQ(graph->RenderFile(media.folder.file("absent.avi")), platform::VFW_E_NOT_FOUND);
    EXPECT_FALSE(platform::Succeeded(graph->RenderFile("gopher://media.example.invalid/live")));
    EXPECT_FALSE(platform::Succeeded(graph->RenderFile(media.corrupt)));

    ASSERT_EQ(graph->RenderFile(media.mp4), platform::S_OK);
    long width = 0, height = 0;
    EXPECT_EQ(graph->get_Width(&width), platform::S_OK);
    EXPECT_EQ(graph->get_Height(&height), platform::S_OK);
    EXPECT_EQ(width, 320);
    EXPECT_EQ(height, 240);
    QWidget form;
    form.resize(400, 300);
    EXPECT_EQ(graph->put_Owner(&form), platform::S_OK);
    EXPECT_EQ(graph->put_WindowStyle(platform::WS_CHILD | platform::WS_CLIPSIBLINGS), platform::S_OK);
    EXPECT_EQ(graph->SetWindowPosition(7, 15, 386, 280), platform::S_OK);
    ASSERT_NE(form.findChild<QWidget*>(), nullptr);
    EXPECT_EQ(form.findChild<QWidget*>()->geometry(), QRect(7, 15, 386, 280));

    const QString& longMp3 = media.Long();
    ASSERT_FALSE(longMp3.isEmpty());
    ASSERT_EQ(graph->RenderFile(longMp3), platform::S_OK);
    EXPECT_EQ(graph->get_Width(&width), platform::E_NOINTERFACE);
    EXPECT_EQ(width, 0);
    qint64 duration = 0;
    ASSERT_TRUE(WaitFor([&] { return platform::Succeeded(graph->GetDuration(&duration)); }));
    EXPECT_NEAR(double(duration), 230.0 * kSecond, 0.5 * kSecond);

    qint64 target = qint64(INT_MAX) + 10 * kSecond;  // 224.7 s
    EXPECT_EQ(graph->SetPositions(&target, platform::AM_SEEKING_AbsolutePositioning, nullptr,
                                  platform::AM_SEEKING_NoPositioning),
              platform::S_OK);
    EXPECT_EQ(graph->Run(), platform::S_OK);
    MediaEngine& engine = graph->Engine();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    qint64 position = 0;
    ASSERT_TRUE(WaitFor([&] { return graph->GetCurrentPosition(&position) == platform::S_OK && position > target; }))
        << "position " << position << " state " << int(engine.CurrentState());
    EXPECT_LT(position, target + 2 * kSecond);

    EXPECT_EQ(graph->put_Volume(1), platform::E_INVALIDARG);
    EXPECT_EQ(graph->put_Volume(-10000), platform::S_OK);
    EXPECT_EQ(graph->put_Balance(-10001), platform::E_INVALIDARG);
    EXPECT_EQ(graph->Stop(), platform::S_OK);
    EXPECT_EQ(graph->GetCurrentPosition(&position), platform::S_OK);
    EXPECT_EQ(position, 0);
}

// The graph is made after CoInitialize succeeds and released with CoUninitialize at every stop:
// the count is per thread, and a stop too many must not keep the next start from succeeding.
TEST(FilterGraphFace, ComCountsPerThreadAndNeverBelowZero) {
    EXPECT_EQ(platform::CoInitialize(nullptr), platform::S_OK);
    platform::HRESULT onOtherThread = platform::E_NOINTERFACE;
    std::thread([&] {
        onOtherThread = platform::CoInitialize(nullptr);
        platform::CoUninitialize();
    }).join();
    EXPECT_EQ(onOtherThread, platform::S_OK) << "another thread starts its own";
    EXPECT_EQ(platform::CoInitialize(nullptr), platform::S_FALSE);
    platform::CoUninitialize();
    platform::CoUninitialize();
    platform::CoUninitialize();
    EXPECT_EQ(platform::CoInitialize(nullptr), platform::S_OK);
    platform::CoUninitialize();
}

TEST(MediaPlayerFace, OpensPlaysAndReportsPlayStates) {
    Media& media = Media::Get();
    platform::MediaPlayerControl control;
    std::vector<std::pair<int, int>> changes;
    QObject::connect(&control, &platform::MediaPlayerControl::PlayStateChange, &control,
                     [&](int oldState, int newState) { changes.emplace_back(oldState, newState); });
    control.SetProperty(platform::mp::Enabled, false);
    EXPECT_FALSE(control.GetProperty(platform::mp::Enabled).toBool());
    EXPECT_EQ(control.GetProperty(platform::mp::Duration).toDouble(), 0.0);

    control.Open(media.mp3);
    EXPECT_TRUE(changes.empty()) << "opening is asynchronous";
    ASSERT_TRUE(WaitFor([&] { return !changes.empty() && changes.back().second == 2; }));
    EXPECT_NEAR(control.GetProperty(platform::mp::Duration).toDouble(), 1.5, 0.1);
    EXPECT_EQ(control.GetProperty(platform::mp::FileName).toString(), media.mp3);
    EXPECT_EQ(control.GetProperty(platform::mp::ImageSourceWidth).toInt(), 0);

    control.Pause();
    ASSERT_TRUE(WaitFor([&] { return changes.back() == std::make_pair(2, 1); }));
    control.SetProperty(platform::mp::CurrentPosition, 1.25);
    EXPECT_NEAR(control.GetProperty(platform::mp::CurrentPosition).toDouble(), 1.25, 0.01);
    control.Stop();
    EXPECT_EQ(changes.back(), std::make_pair(1, 0));

    // Video goes into the control's window inside its parent.
    QWidget parent;
    parent.resize(400, 300);
    parent.show();
    control.SetParentWidget(&parent);
    control.SetBounds(7, 15, 386, 280);
    control.Open(media.mkv);
    ASSERT_TRUE(WaitFor([&] { return control.GetProperty(platform::mp::ImageSourceWidth).toInt() > 0; }));
    EXPECT_EQ(control.GetProperty(platform::mp::ImageSourceHeight).toInt(), 240);
    auto* window = parent.findChild<QWidget*>();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->isVisible());
    control.Show();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->geometry(), QRect(7, 15, 386, 280));
}

TEST(RealAudioFace, PlaysOnlyWhenAskedAndReportsItsStates) {
    Media& media = Media::Get();
    platform::RealAudioControl control;
    std::vector<int> states;
    QObject::connect(&control, &platform::RealAudioControl::StateChange, &control,
                     [&](int, int newState) { states.push_back(newState); });
    control.SetSource(media.ogg);
    EXPECT_EQ(control.GetSource(), media.ogg);
    QTest::qWait(100);
    EXPECT_TRUE(states.empty());
    EXPECT_TRUE(control.Engine().Source().isEmpty());

    control.DoPlay();
    ASSERT_FALSE(states.empty());
    EXPECT_EQ(states.front(), 1);
    ASSERT_TRUE(WaitFor([&] { return states.back() == 3; }));
    EXPECT_NEAR(control.GetLength(), 1500, 100);
    EXPECT_TRUE(control.GetStereoState());
    EXPECT_GT(control.GetBandwidthAverage(), 0);
    for (int s : states) EXPECT_NE(s, 4) << "no pause is reported on the way to playing";

    control.DoPause();
    ASSERT_TRUE(WaitFor([&] { return states.back() == 4; }));
    control.SetPosition(1000);
    EXPECT_EQ(control.GetPosition(), 1000);
    control.DoStop();
    EXPECT_EQ(states.back(), 0);
    EXPECT_EQ(control.GetPosition(), 0);
}

TEST(RealAudioFace, ErrorsArriveAsTheEventOnlyWhenWanted) {
    Media& media = Media::Get();
    platform::RealAudioControl control;
    int errors = 0;
    std::vector<int> states;
    QObject::connect(&control, &platform::RealAudioControl::Error, &control, [&](int, int, const QString& text) {
        ++errors;
        EXPECT_FALSE(text.isEmpty());
    });
    QObject::connect(&control, &platform::RealAudioControl::StateChange, &control,
                     [&](int, int newState) { states.push_back(newState); });
    control.SetSource(media.corrupt);
    control.DoPlay();
    ASSERT_TRUE(WaitFor([&] { return !states.empty() && states.back() == 0; }));
    EXPECT_EQ(errors, 0);

    control.SetWantErrors(true);
    control.SetSource("mms://media.example.invalid/live");
    control.DoPlay();
    ASSERT_TRUE(WaitFor([&] { return errors == 1; }));
    EXPECT_EQ(states.back(), 0);
}

TEST(WinExecFace, RecordsOrRunsTheSplitCommandLine) {
    std::vector<std::pair<QString, int>> calls;
    platform::SetCommandRecorder([&](const QString& line, int show) { calls.emplace_back(line, show); });
    platform::WinExec("HH.exe /opt/velmora/help.chm::page.htm", platform::SW_SHOWNORMAL);
    platform::SetCommandRecorder(nullptr);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0], std::make_pair(QString("HH.exe /opt/velmora/help.chm::page.htm"), platform::SW_SHOWNORMAL));

    // Quoted parts stay whole, \" is a literal quote.
    testing_support::TempFolder folder;
    const QString target = folder.file("out put.txt");
    platform::WinExec(QString("\"/bin/sh\" -c \"printf '%s|%s' \\\"$0\\\" \\\"$1\\\" > '%1'\" \"a b\" c\\\"d")
                          .arg(target),
                      platform::SW_HIDE);
    ASSERT_TRUE(WaitFor([&] { return folder.read("out put.txt") == "a b|c\"d"; })) << folder.read("out put.txt").constData();
    platform::WinExec("/nonexistent/program.exe /s", platform::SW_HIDE);  // nothing, no crash
}

}  // namespace
