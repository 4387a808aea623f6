// Network sources and failing sources at the engine: a local HTTP server serves a 404, an endless
// MP3 stream with no length, and stalls it on demand.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <functional>

#include "platform/media_engine.h"
#include "tests/gst_encode.h"
#include "tests/http_stream_server.h"
#include "tests/test_support.h"

using platform::MediaEngine;
using State = platform::MediaEngine::State;

namespace {

constexpr int kPatience = 15000;  // ms; only an upper bound for waits

bool WaitFor(const std::function<bool()>& condition, int ms = kPatience) { return QTest::qWaitFor(condition, ms); }

struct Events {
    explicit Events(MediaEngine& engine) {
        QObject::connect(&engine, &MediaEngine::ErrorOccurred, &context,
                         [this](const QString& text) { errors << text; });
        QObject::connect(&engine, &MediaEngine::EndOfStream, &context, [this] { ++ends; });
        QObject::connect(&engine, &MediaEngine::BufferingChanged, &context,
                         [this](bool now) { buffering.push_back(now); });
    }
    QObject context;
    QStringList errors;
    int ends = 0;
    std::vector<bool> buffering;
};

TEST(EngineSources, FailuresArriveAsErrorsWithTheEnginesReason) {
    MediaEngine::SetAudioOut(platform::AudioOut::Fake);
    testing_support::TempFolder folder;
    folder.write("empty.mp3", {});
    StreamServer server("x");
    MediaEngine engine;
    Events events(engine);

    // A zero-byte file, with the wait and without.
    EXPECT_FALSE(engine.Open(folder.file("empty.mp3"), 5000));
    EXPECT_FALSE(engine.LastError().isEmpty());
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 1; }));
    EXPECT_EQ(events.errors.back(), engine.LastError());
    EXPECT_TRUE(engine.Open(folder.file("empty.mp3"), 0));
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 2; }));
    EXPECT_EQ(engine.CurrentState(), State::Stopped);

    // A missing file without the wait.
    EXPECT_FALSE(engine.Open(folder.file("absent.mp3"), 0));
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 3; }));

    // A page that is not there: the server's answer is the reason.
    EXPECT_TRUE(engine.Open(server.Url("/absent.mp3"), 5000));
    ASSERT_TRUE(WaitFor([&] { return events.errors.size() == 4; }));
    EXPECT_TRUE(events.errors.back().contains("Not Found")) << events.errors.back().toStdString();
    EXPECT_EQ(engine.LastError(), events.errors.back());
    EXPECT_EQ(engine.CurrentState(), State::Stopped);
    EXPECT_EQ(events.ends, 0);
}

TEST(EngineSources, AnEndlessStreamPlaysWithNoLengthAndTellsWhenItBuffers) {
    MediaEngine::SetAudioOut(platform::AudioOut::Fake);
    testing_support::TempFolder folder;
    const QByteArray frames = Mp3Frames(folder);
    ASSERT_FALSE(frames.isEmpty());
    StreamServer server(frames);
    MediaEngine engine;
    Events events(engine);

    ASSERT_TRUE(engine.Open(server.Url("/live.mp3")));
    engine.Play();
    ASSERT_TRUE(WaitFor([&] { return engine.CurrentState() == State::Playing; }));
    ASSERT_TRUE(WaitFor([&] { return engine.Position() > 5'000'000; }));  // half a second heard
    EXPECT_EQ(engine.Duration(), -1);
    ASSERT_TRUE(WaitFor([&] { return !engine.IsBuffering(); }));

    // The server stops sending: the engine is buffering, not at an end.
    server.stalled = true;
    ASSERT_TRUE(WaitFor([&] { return engine.IsBuffering(); }, 30000));
    EXPECT_EQ(events.buffering.back(), true);
    EXPECT_EQ(events.ends, 0);
    EXPECT_TRUE(events.errors.isEmpty());

    server.stalled = false;
    ASSERT_TRUE(WaitFor([&] { return !engine.IsBuffering(); }, 30000));
    EXPECT_EQ(events.buffering.back(), false);
    EXPECT_EQ(events.ends, 0);
    engine.Stop();
    EXPECT_FALSE(engine.IsBuffering());
}

}  // namespace
