// How long the associations page takes to fill, with all twenty types of the open dialog and
// every one of their masks tested against a registry that also holds other programs' types.
#include <QApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

#include "bench/bench_home.h"
#include "dialogs/associations.h"
#include "dialogs/settings_dialog.h"
#include "platform/registry.h"
#include "player/core/ctrl.h"
#include "bench/bench_stats.h"

namespace {

constexpr int kTypes = 20;
constexpr int kMasksPerType = 10;
constexpr int kRuns = 15;

void WriteFilePlus(const QString& folder) {
    QByteArray ini = "[DECODE_SETUP]\r\nDECODE0=*.mp3\r\n[OPEN_SETUP]\r\n";
    for (int n = 1; n <= kTypes; ++n) {
        ini += QStringLiteral("OPEN%1_TITLE=类型%1\r\nOPEN%1_VALUE=").arg(n).toUtf8();
        for (int m = 0; m < kMasksPerType; ++m) ini += QStringLiteral("*.t%1x%2;").arg(n).arg(m).toUtf8();
        ini += "\r\n";
    }
    QDir().mkpath(folder + "/Plugins");
    QFile file(folder + "/Plugins/FilePlus.ini");
    file.open(QIODevice::WriteOnly);
    file.write(ini);
}

// Half the page's types are the player's, and 300 other programs' types share the registry.
void FillRegistry() {
    TAssociations scheme(QStringLiteral("/opt/velmora/velmora"));
    for (int n = 1; n <= kTypes; ++n)
        for (int m = 0; m < kMasksPerType; m += 2) scheme.AssociateFileType(QStringLiteral("t%1x%2").arg(n).arg(m), QString());
    platform::TRegistry reg(platform::RootKey::ClassesRoot);
    for (int i = 0; i < 300; ++i) {
        reg.OpenKey(QStringLiteral("\\.other%1").arg(i), true);
        reg.WriteString(QString(), QStringLiteral("Other.File.%1").arg(i));
        reg.OpenKey(QStringLiteral("\\Other.File.%1\\shell\\open\\command").arg(i), true);
        reg.WriteString(QString(), QStringLiteral("\"/usr/bin/other\" \"%1\""));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    bench::UsePrivateHome(home.path());
    QApplication app(argc, argv);
    QTemporaryDir install;
    WriteFilePlus(install.path());
    QFile(install.path() + "/setup.ini").open(QIODevice::WriteOnly);
    FillRegistry();
    auto ctrl = std::make_unique<TCtrl>();
    Ctrl = ctrl.get();
    Ctrl->Init(install.path() + "/");

    std::vector<double> fills;
    std::vector<double> fillCpu;
    std::vector<double> switches;
    for (int run = 0; run < kRuns; ++run) {
        TForm8 form;
        QElapsedTimer timer;
        const std::clock_t cpu = std::clock();
        timer.start();
        form.LoadPage(QStringLiteral("文件关联"));
        fills.push_back(timer.nsecsElapsed() / 1e6);
        fillCpu.push_back(double(std::clock() - cpu) * 1000.0 / CLOCKS_PER_SEC);
        auto* types = form.findChild<QListWidget*>(QStringLiteral("ListBox2"));
        for (int row = 1; row < types->count(); ++row) {
            timer.restart();
            types->setCurrentRow(row);
            switches.push_back(timer.nsecsElapsed() / 1e6);
        }
    }
    std::printf("associations page: %d types x %d masks, registry with %d other types\n", kTypes, kMasksPerType, 300);
    std::printf("first fill of the page: median %.1f ms, slowest %.1f ms (%d runs; goal < 100 ms)\n", bench::Median(fills),
                *std::max_element(fills.begin(), fills.end()), kRuns);
    std::printf("first fill, CPU time of the process: median %.1f ms\n", bench::Median(fillCpu));
    std::printf("switch to another type: median %.1f ms, slowest %.1f ms\n", bench::Median(switches),
                *std::max_element(switches.begin(), switches.end()));
    Ctrl = nullptr;
    return 0;
}
