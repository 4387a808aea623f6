// Hundreds of tracks through the media engine: nothing a pipeline opens may outlive it.
#include <gtest/gtest.h>

#include <QtCore/qtestsupport_core.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <memory>

#include "platform/media_engine.h"
#include "tests/media_fixtures.h"
#include "tests/test_support.h"

using platform::MediaEngine;
using State = platform::MediaEngine::State;

namespace {

constexpr int kPatience = 15000;  // ms; only an upper bound for waits

bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, kPatience); }

int OpenDescriptors() {
    const QDir folder(QStringLiteral("/proc/self/fd"));
    return int(folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

// Resident set in kB, from /proc/self/statm.
long ResidentKb() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLong() * 4 : 0;
}

struct Clips {
    testing_support::TempFolder folder;
    QString audio, video;
    Clips() {
        audio = MakeMedia(folder.path(), "blip", MediaKind::Ogg, 0.2);
        video = MakeMedia(folder.path(), "flash", MediaKind::Mp4Video, 0.2);
    }
};

// Opens one clip, plays it (to its end, or until it plays) and lets it go: with a fresh engine
// each time, as the filter-graph face does for each entry of a list, or by Close on one engine.
void PlayOnce(const QString& path, bool toEnd, bool freshEngine, MediaEngine& shared) {
    std::unique_ptr<MediaEngine> own;
    MediaEngine* engine = &shared;
    if (freshEngine) {
        own = std::make_unique<MediaEngine>();
        engine = own.get();
    }
    int ends = 0;
    QObject context;
    QObject::connect(engine, &MediaEngine::EndOfStream, &context, [&] { ++ends; });
    ASSERT_TRUE(engine->Open(path, 5000)) << engine->LastError().toStdString();
    engine->Play();
    if (toEnd) ASSERT_TRUE(WaitFor([&] { return ends == 1; })) << path.toStdString();
    else ASSERT_TRUE(WaitFor([&] { return engine->CurrentState() == State::Playing; })) << path.toStdString();
    if (!freshEngine) engine->Close();
}

void PlayMany(const Clips& clips, int tracks, MediaEngine& shared) {
    for (int i = 0; i < tracks; ++i) {
        PlayOnce(i % 2 ? clips.video : clips.audio, i % 10 < 2, i % 4 < 2, shared);
        if (::testing::Test::HasFatalFailure()) return;
    }
}

TEST(EngineLongRun, HundredsOfTracksLeaveDescriptorsAndMemoryFlat) {
    MediaEngine::SetAudioOut(platform::AudioOut::Fake);
    Clips clips;
    ASSERT_FALSE(clips.audio.isEmpty());
    ASSERT_FALSE(clips.video.isEmpty());
    MediaEngine shared;
    // Plug-in loading, the registry and the thread pools settle on the first tracks.
    PlayMany(clips, 20, shared);
    QTest::qWait(50);
    const int descriptors = OpenDescriptors();
    const long resident = ResidentKb();
    PlayMany(clips, 300, shared);
    QTest::qWait(50);
    // A few descriptors may come and go with GStreamer's thread pools; one pair per track may not.
    EXPECT_LE(OpenDescriptors(), descriptors + 6) << "before: " << descriptors;
#ifndef __SANITIZE_ADDRESS__  // the sanitizer's quarantine keeps freed memory resident on purpose
    EXPECT_LT(ResidentKb(), resident + 30 * 1024) << "kB resident before: " << resident;
#else
    (void)resident;
#endif
}

}  // namespace
