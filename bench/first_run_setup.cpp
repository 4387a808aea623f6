// The first-run set-up of a new install folder as the player runs it after the main window's
// first paint: how long it takes in all, and the longest stretch the GUI thread spent without
// coming back to its event loop meanwhile (a 1 ms timer notes the largest gap between its ticks,
// less the 1 ms). Each run has a new install folder (a copy of the built one) and a new
// user's folders, so the set-up finds nothing of an earlier run.
//   build/bench/bench_first_run_setup [runs]
#include <QApplication>
#include <QDeadlineTimer>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/bench_home.h"
#include "dialogs/dialog_targets.h"
#include "platform/message_box.h"
#include "player/app/form1.h"

namespace {

double Median(std::vector<double> values) {
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Run {
    double setupMs = -1;    // from the window made to the set-up done (its database tool too)
    double longestMs = -1;  // the longest block of the GUI thread meanwhile
};

Run SetUpOnce(const QString& base, int index) {
    const QString root = base + QStringLiteral("/run%1").arg(index);
    bench::UsePrivateHome(root);
    const QString install = root + QStringLiteral("/velmora/");
    bench::CopyTree(QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath(), install);

    Run run;
    QElapsedTimer clock;
    clock.start();
    auto* form = new TForm1(install);
    qint64 lastTick = clock.nsecsElapsed();
    qint64 longest = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longest = std::max(longest, now - lastTick);
        lastTick = now;
    });
    ticker.start(1);
    const QDeadlineTimer deadline(60000);
    while (form->FirstRunSetupPending() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    const qint64 end = clock.nsecsElapsed();
    longest = std::max(longest, end - lastTick);
    ticker.stop();
    if (!form->FirstRunSetupPending()) {
        run.setupMs = end / 1e6;
        run.longestMs = std::max(0.0, longest / 1e6 - 1.0);
    }
    form->QuietClose = true;
    form->close();
    delete form;
    QDir(root).removeRecursively();
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    QTemporaryDir base;
    bench::UsePrivateHome(base.path());
    // The player takes the first argument for a file to play: the application sees none.
    int appArgc = 1;
    QApplication app(appArgc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    InstallDialogTargets();
    // A box nobody closes would hold the set-up open.
    platform::SetMessageRecorder([](const QString& text, const QString&, platform::MessageIcon) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    std::vector<double> setup, longest;
    for (int i = 0; i < runs; ++i) {
        const Run run = SetUpOnce(base.path(), i);
        std::printf("run %d: set-up %7.1f ms, longest GUI block %6.1f ms\n", i, run.setupMs, run.longestMs);
        if (run.setupMs >= 0) {
            setup.push_back(run.setupMs);
            longest.push_back(run.longestMs);
        }
    }
    std::printf("platform: %s, median of %zu runs\n", qPrintable(QGuiApplication::platformName()), setup.size());
    std::printf("window made to set-up done:          %7.1f ms\n", Median(setup));
    std::printf("longest GUI-thread block meanwhile:  %7.1f ms\n", Median(longest));
    return 0;
}
