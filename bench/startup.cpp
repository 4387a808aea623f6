// Start-up figures: the time from starting the player to its main window being shown and
// answering, its resident memory once started, and how often five starts at the same moment
// (a file manager opening five selected files) leave one player holding all five files.
// Run it under the platform to measure, e.g.
//   xvfb-run -a build/bench/bench_startup        (X11)
//   QT_QPA_PLATFORM=offscreen build/bench/bench_startup
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QFileInfo>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <cstdio>
#include <vector>

#include "platform/session.h"

namespace {

long ResidentKiB(qint64 pid) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// A second start with a file: from its start to its end, the hand-over included.
double HandOverOnce(const QString& program) {
    QProcess second;
    QElapsedTimer clock;
    clock.start();
    second.start(program, {QStringLiteral("/music/bench.mp3")});
    second.waitForFinished(20000);
    return clock.nsecsElapsed() / 1e6;
}

// The window answers a message only once its constructor, which shows it, has returned.
double StartOnce(const QString& program, long* rssKiB, double* handOverMs) {
    QProcess player;
    QElapsedTimer clock;
    clock.start();
    player.start(program, {});
    player.waitForStarted();
    double ms = -1;
    while (clock.elapsed() < 20000) {
        const platform::WindowRef window = platform::FindWindow(QStringLiteral("dispForm1"));
        bool ok = false;
        if (window) platform::SendMessageTimeout(window, 1001, 0, 0, 2000, &ok);
        if (ok) {
            ms = clock.nsecsElapsed() / 1e6;
            break;
        }
        QThread::usleep(500);
    }
    QThread::msleep(1000);
    *rssKiB = ResidentKiB(player.processId());
    *handOverMs = HandOverOnce(program);
    player.terminate();
    player.waitForFinished(10000);
    return ms;
}

// Five starts at once with five files into a fresh install folder; true when exactly one
// player survives and its saved list holds the five files.
bool FilesAtOnce(const QString& program, const QString& folder, int trial) {
    QDir().mkpath(folder + "/Plugins");
    QFile::copy(program, folder + "/velmora");
    QFile::copy(QFileInfo(program).absolutePath() + "/Plugins/FilePlus.ini", folder + "/Plugins/FilePlus.ini");
    QStringList expected;
    std::vector<std::unique_ptr<QProcess>> starts;
    for (int i = 0; i < 5; ++i) {
        const QString file = QStringLiteral("/music/t%1-%2.mp3").arg(trial).arg(i);
        expected << "<?" + file + "?>";
        starts.push_back(std::make_unique<QProcess>());
        starts.back()->setStandardErrorFile(QProcess::nullDevice());
        starts.back()->start(folder + "/velmora", {file});
    }
    // The starts that hand over end by themselves; a second survivor would never end.
    QElapsedTimer clock;
    clock.start();
    auto running = [&] {
        int alive = 0;
        for (auto& p : starts)
            if (p->state() != QProcess::NotRunning && !p->waitForFinished(5)) ++alive;
        return alive;
    };
    while (running() > 1 && clock.elapsed() < 10000) {
    }
    int survivors = 0;
    for (auto& p : starts) {
        if (p->state() == QProcess::NotRunning) continue;
        ++survivors;
        p->terminate();
        p->waitForFinished(10000);
    }
    QFile saved(folder + "/velmora.kpl");
    QStringList lines;
    if (saved.open(QIODevice::ReadOnly))
        for (const QByteArray& line : saved.readAll().split('\n'))
            if (!line.trimmed().isEmpty()) lines << QString::fromUtf8(line.trimmed());
    lines.sort();
    return survivors == 1 && lines == expected;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir home;
    // A message box nobody closes would hold a player open.
    qputenv("VELMORA_MESSAGES_TO_STDERR", "1");
    qputenv("XDG_RUNTIME_DIR", (home.path() + "/run").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8());
    QDir(home.path()).mkpath("run");
    QFile::setPermissions(home.path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const QString program = home.path() + "/velmora";
    QFile::copy(QStringLiteral(VELMORA_PROGRAM), program);
    // The whole Plugins folder: a handed-over file plays through the plug-in pair.
    const QString plugins = QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath() + "/Plugins/";
    QDir(home.path()).mkpath("Plugins");
    for (const QString& file : QDir(plugins).entryList(QDir::Files)) QFile::copy(plugins + file, home.path() + "/Plugins/" + file);

    std::vector<double> times;
    std::vector<long> rss;
    std::vector<double> handOvers;
    for (int i = 0; i < 7; ++i) {
        long kib = 0;
        double handOver = 0;
        times.push_back(StartOnce(program, &kib, &handOver));
        rss.push_back(kib);
        handOvers.push_back(handOver);
    }
    const int trials = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    int good = 0;
    for (int trial = 0; trial < trials; ++trial)
        good += FilesAtOnce(program, home.path() + QStringLiteral("/at-once-%1").arg(trial), trial) ? 1 : 0;
    std::sort(times.begin(), times.end());
    std::sort(rss.begin(), rss.end());
    std::sort(handOvers.begin(), handOvers.end());
    std::printf("platform: %s\n", qEnvironmentVariable("QT_QPA_PLATFORM", "xcb (default)").toUtf8().constData());
    std::printf("start to main window shown: median %.1f ms (min %.1f, max %.1f, 7 runs)\n", times[3], times[0],
                times[6]);
    std::printf("resident memory after start: median %.1f MB\n", rss[3] / 1024.0);
    std::printf("second start handing a file over, start to exit: median %.1f ms (max %.1f)\n", handOvers[3],
                handOvers[6]);
    std::printf("five files opened at once: one player with all five in %d of %d trials\n", good, trials);
    return 0;
}
