// What playing costs: a generated minute of MP3 through MediaEngine to a clock-synchronised fake
// sink. Prints Open-to-playing latency, what tracks leave behind (descriptors, memory), CPU time as
// a share of one core, and resident memory.
// Usage: bench_media_engine [seconds-to-play (20)] [opens (9)]
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_support.h"
#include "platform/media_engine.h"

namespace {

using bench::CpuSeconds;
using bench::ResidentKiB;

// Runs the event loop until the engine reports playing (or 10 s pass).
bool WaitUntilPlaying(platform::MediaEngine& engine) {
    if (engine.CurrentState() == platform::MediaEngine::State::Playing) return true;
    QEventLoop loop;
    QObject::connect(&engine, &platform::MediaEngine::StateChanged, &loop, [&](platform::MediaEngine::State s) {
        if (s == platform::MediaEngine::State::Playing) loop.quit();
    });
    QObject::connect(&engine, &platform::MediaEngine::ErrorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return engine.CurrentState() == platform::MediaEngine::State::Playing;
}

int OpenDescriptors() {
    const QDir folder(QStringLiteral("/proc/self/fd"));
    return int(folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size());
}

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    const int opens = argc > 2 ? std::max(1, atoi(argv[2])) : 9;

    platform::InitMedia();
    QTemporaryDir folder;
    const QString mp3 = folder.filePath("minute.mp3");
    if (!bench::MakeMp3(mp3.toStdString(), 60)) {
        std::fprintf(stderr, "cannot make the MP3 (lamemp3enc missing?)\n");
        return 1;
    }

    platform::MediaEngine engine;
    std::vector<double> latencies;
    for (int i = 0; i < opens; ++i) {
        QElapsedTimer clock;
        clock.start();
        engine.Open(mp3, 0);
        engine.Play();
        if (!WaitUntilPlaying(engine)) {
            std::fprintf(stderr, "did not play: %s\n", engine.LastError().toUtf8().constData());
            return 1;
        }
        latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
        engine.Stop();
    }
    const double first = latencies.front();
    std::sort(latencies.begin(), latencies.end());
    std::printf("open->playing: first %.1f ms, median %.1f ms, max %.1f ms over %d opens\n", first,
                latencies[latencies.size() / 2], latencies.back(), opens);

    // One engine per track, as the filter-graph face makes them: what a list of tracks leaves behind.
    const int descriptorsBefore = OpenDescriptors();
    const long residentBefore = ResidentKiB();
    for (int i = 0; i < opens * 10; ++i) {
        platform::MediaEngine track;
        track.Open(mp3, 0);
        track.Play();
        if (!WaitUntilPlaying(track)) return 1;
    }
    std::printf("%d tracks, one engine each: descriptors %d -> %d, resident %ld -> %ld KiB\n", opens * 10,
                descriptorsBefore, OpenDescriptors(), residentBefore, ResidentKiB());

    engine.Open(mp3, 0);
    engine.Play();
    if (!WaitUntilPlaying(engine)) return 1;
    RunFor(1000);  // past start-up work
    const double cpuBefore = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    RunFor(seconds * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    const double played = double(wall.nsecsElapsed()) / 1e9;
    std::printf("playing %.1f s of MP3 to fakesink sync=true: CPU %.3f s = %.2f%% of one core "
                "(%.2f s per minute of playback)\n",
                played, cpu, 100.0 * cpu / played, cpu * 60.0 / played);
    std::printf("resident memory while playing: %ld KiB; position %.1f s\n", ResidentKiB(),
                double(engine.Position()) / 1e7);
    engine.Close();
    return 0;
}
