// Settings dialog figures, for every page: opening the dialog at the page when none exists yet
// (the very first opening of the process is printed on its own, with the fonts and styles still
// cold), opening it again at the page after it was hidden, and switching to the page from
// another one. Each figure runs to the end of the event loop's pending work (the paint).
//   build/bench/bench_settings_dialog
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include "bench/bench_home.h"
#include "dialogs/settings_dialog.h"
#include "player/core/ctrl.h"
#include "bench/bench_stats.h"

namespace {

constexpr int kPages = 15;
constexpr int kRounds = 7;

template <typename Step>
double TimeMs(Step step) {
    QElapsedTimer clock;
    clock.start();
    step();
    QApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

void Close() {
    if (Form8) Form8->hide();
    QApplication::processEvents();
}

void Free() {
    delete Form8.data();
    QApplication::processEvents();
}

}  // namespace

int main(int argc, char** argv) {
    // The offscreen platform says at every opening that it cannot raise a window.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& text) {
        if (!text.contains(QLatin1String("does not support raise"))) std::fprintf(stderr, "%s\n", qPrintable(text));
    });
    QTemporaryDir home;
    bench::UsePrivateHome(home.path());
    QApplication app(argc, argv);
    const QString folder = home.path() + QStringLiteral("/install/");
    QDir().mkpath(folder + QStringLiteral("Favor"));
    QFile setup(folder + QStringLiteral("setup.ini"));
    setup.open(QIODevice::WriteOnly);
    setup.close();
    auto ctrl = std::make_unique<TCtrl>();
    Ctrl = ctrl.get();
    Ctrl->Init(folder);

    const double veryFirst = TimeMs([] { ShowSettingsDialog(0); });
    QStringList captions;
    for (QTreeWidgetItemIterator it(Form8->findChild<QTreeWidget*>(QStringLiteral("TreeView1"))); *it; ++it) captions << (*it)->text(0);
    Free();

    std::printf("settings dialog, median of %d rounds, ms (first opening of the process: %.2f)\n", kRounds, veryFirst);
    std::printf("%-3s %-12s %10s %10s %10s\n", "n", "page", "first", "later", "switch");
    double worstFirst = 0, worstLater = 0, worstSwitch = 0;
    for (int page = 0; page < kPages; ++page) {
        std::vector<double> first, later, change;
        for (int round = 0; round < kRounds; ++round) {
            first.push_back(TimeMs([page] { ShowSettingsDialog(page); }));
            Close();
            later.push_back(TimeMs([page] { ShowSettingsDialog(page); }));
            const int other = page == 10 ? 11 : 10;
            TimeMs([other] { Form8->SelectPage(other); });
            change.push_back(TimeMs([page] { Form8->SelectPage(page); }));
            Free();
        }
        const double f = bench::Median(first), l = bench::Median(later), s = bench::Median(change);
        worstFirst = std::max(worstFirst, f);
        worstLater = std::max(worstLater, l);
        worstSwitch = std::max(worstSwitch, s);
        std::printf("%-3d %-12s %10.2f %10.2f %10.2f\n", page, qPrintable(captions.value(page)), f, l, s);
    }
    std::printf("worst: first %.2f, later %.2f, switch %.2f\n", worstFirst, worstLater, worstSwitch);
    Ctrl = nullptr;
    return 0;
}
