// Menu figures: building the largest menu from the shipped MenuPlus.ini (read every time), and a
// hotkey from its key press to the start of its command with the table loaded.
//   build/bench/bench_menus
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/bench_home.h"
#include "player/app/form1.h"
#include "player/commands/menu.h"
#include "player/core/ctrl.h"
#include "bench/bench_stats.h"

namespace {

QElapsedTimer* clock_ = nullptr;
double startedAt = -1;

// The settings command only notes when it started.
class Stopwatch : public TCommandTargets {
public:
    void ShowSettingsPage(int) override { startedAt = clock_->nsecsElapsed() / 1e6; }
};

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    bench::UsePrivateHome(home.path());
    QApplication app(argc, argv);
    const QString folder = home.path() + QStringLiteral("/install/");
    QDir().mkpath(folder + QStringLiteral("Plugins"));
    QDir().mkpath(folder + QStringLiteral("Favor"));
    QFile::copy(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/MenuPlus.ini"), folder + QStringLiteral("Plugins/MenuPlus.ini"));
    QFile::copy(QStringLiteral(VELMORA_BUILT_INSTALL_DIR "/Plugins/FilePlus.ini"), folder + QStringLiteral("Plugins/FilePlus.ini"));
    auto* form = new TForm1(folder);
    Ctrl->Menu->SetTargets(std::make_unique<Stopwatch>());
    QElapsedTimer clock;
    clock.start();
    clock_ = &clock;

    int largest = 1;
    size_t most = 0;
    std::vector<double> builds;
    for (int round = 0; round < 200; ++round) {
        for (int number = 1; number <= 8; ++number) {
            QMenu popup;
            const double before = clock.nsecsElapsed() / 1e6;
            Ctrl->Menu->BuildMenu(&popup, QString::number(number));
            const double ms = clock.nsecsElapsed() / 1e6 - before;
            if (round == 0 && size_t(Ctrl->Menu->Items.size()) > most) {
                most = size_t(Ctrl->Menu->Items.size());
                largest = number;
            }
            if (round > 0 && number == largest) builds.push_back(ms);
        }
    }
    std::printf("BuildMenu of menu %d (%zu items), median of %zu: %.3f ms\n", largest, most, builds.size(), bench::Median(builds));

    LoadHotkeys();
    std::vector<double> keys;
    for (int round = 0; round < 2000; ++round) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_P, Qt::ControlModifier);
        startedAt = -1;
        const double before = clock.nsecsElapsed() / 1e6;
        QApplication::sendEvent(form, &press);
        if (startedAt >= 0) keys.push_back(startedAt - before);
    }
    if (keys.empty()) {
        std::printf("the settings hotkey did not run\n");
        return 1;
    }
    std::printf("hotkey Ctrl+P to its command's start, median of %zu: %.4f ms (max %.4f ms)\n", keys.size(),
                bench::Median(keys), *std::max_element(keys.begin(), keys.end()));
    form->QuietClose = true;
    form->close();
    delete form;
    return 0;
}
