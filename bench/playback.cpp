// Playback figures through the player's own controller, audio to a fake sink:
//   - from TRun.PlayIndex on a local MP3 to TRun.Started (median of several starts), per engine;
//   - CPU time per minute of MP3 playback, as a share of one core, and resident memory while
//     playing, per engine;
//   - from TRun.PlayIndex on a missing and on an empty MP3 to the stop that reports it, per engine.
// Run: build/bench/bench_playback [seconds of playback per engine, default 20]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_home.h"
#include "bench/bench_support.h"
#include "player/core/ctrl.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playback/run.h"

namespace {

using bench::CpuSeconds;
using bench::ResidentKiB;

// Runs the event loop, idle between events, for ms.
void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// Runs the event loop until the controller has started the entry; the ms it took, or -1.
double UntilStarted(TRun& run, int index) {
    QElapsedTimer clock;
    clock.start();
    run.PlayIndex(index);
    while (!run.ProgressTimerObj->isActive() && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
    return run.ProgressTimerObj->isActive() ? clock.nsecsElapsed() / 1e6 : -1;
}

// From PlayIndex on an entry that cannot play to the stop that reports it; -1 if still open.
double UntilReported(TRun& run, int index) {
    QElapsedTimer clock;
    clock.start();
    run.PlayIndex(index);
    while (run.EngineCode != Engine::None && clock.elapsed() < 40000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 2);
    return run.EngineCode == Engine::None ? clock.nsecsElapsed() / 1e6 : -1;
}

void MeasureBroken(const char* name) {
    TRun& run = *Ctrl->Run;
    const double missing = UntilReported(run, 1);
    const double empty = UntilReported(run, 2);
    std::printf("%-22s missing file reported after %.1f ms, empty file after %.1f ms\n", name, missing, empty);
}

void Measure(const char* name, int seconds) {
    TRun& run = *Ctrl->Run;
    std::vector<double> starts;
    for (int i = 0; i < 9; ++i) {
        const double ms = UntilStarted(run, 0);
        if (ms >= 0) starts.push_back(ms);
        run.Stop();
    }
    std::sort(starts.begin(), starts.end());
    if (starts.empty()) {
        std::printf("%-22s did not start\n", name);
        return;
    }
    UntilStarted(run, 0);
    RunFor(2000);
    const double cpu0 = CpuSeconds();
    QElapsedTimer clock;
    clock.start();
    long rss = 0;
    QTimer sampler;
    QObject::connect(&sampler, &QTimer::timeout, [&rss] { rss = std::max(rss, ResidentKiB()); });
    sampler.start(1000);
    RunFor(seconds * 1000);
    const double cpu = CpuSeconds() - cpu0;
    const double wall = clock.elapsed() / 1000.0;
    std::printf("%-22s start median %6.1f ms (min %.1f, max %.1f, n=%zu)   CPU %.2f%% of one core "
                "(%.2f s per minute)   RSS %.1f MB   position %d ms\n",
                name, starts[starts.size() / 2], starts.front(), starts.back(), starts.size(), cpu / wall * 100,
                cpu / wall * 60, rss / 1024.0, run.Position);
    run.Stop();
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    bench::UsePrivateHome(home.path());
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    setenv("VELMORA_MESSAGES_TO_STDERR", "1", 1);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 20;
    // The player reads the program's first argument as a file to play: the bench keeps its own.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    gst_init(nullptr, nullptr);

    const QString install = bench::InstallWithBuiltPlugins(home.path());
    const QString mp3 = home.path() + "/tone.mp3";
    if (!bench::MakeMp3(mp3.toStdString(), 60)) {
        std::fprintf(stderr, "cannot make the test MP3\n");
        return 1;
    }
    struct Road {
        const char* name;
        const char* list;
    };
    const Road roads[] = {{"engine 3 (filter graph)", "DECODE5"}, {"engine 6 (media player)", "DECODE2"},
                          {"engine 1 (plug-in pair)", "DECODE0"}};
    QFile(home.path() + "/empty.mp3").open(QIODevice::WriteOnly);
    for (const Road& road : roads) {
        QFile ini(install + "Plugins/FilePlus.ini");
        ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
        ini.write(QByteArray("[DECODE_SETUP]\r\n") + road.list + "=*.mp3\r\n");
        ini.close();
        auto* form = new TForm1(install);
        const QString missing = home.path() + "/missing.mp3", empty = home.path() + "/empty.mp3";
        ListBox1->SetItems({"<?" + mp3 + "?>", "<?" + missing + "?>", "<?" + empty + "?>"});
        Measure(road.name, seconds);
        MeasureBroken(road.name);
        form->QuietClose = true;
        form->close();
        delete form;
    }
    return 0;
}
