// Skin display figures: loading the main skin and building the five skinned windows (as a skin
// change does) from the built-in skin and from a skin folder, the whole reload, one time-digits
// draw and one main-window repaint.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_skin_display
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>

#include "bench/bench_home.h"
#include "bench/bench_stats.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playback/run.h"
#include "player/skin/skin_files.h"

int main(int argc, char** argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX"));
    bench::UsePrivateHome(home.path());
    QApplication app(argc, argv);

    const QString install = bench::InstallWithBuiltInSkin(home.path());
    QFile ini(install + QStringLiteral("Plugins/FilePlus.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[decode_setup]\r\nDECODE0=*.mp3\r\n");
    ini.close();

    QElapsedTimer start;
    start.start();
    auto* form = new TForm1(install);
    QCoreApplication::processEvents();
    std::printf("%-52s %9.2f ms\n", "first start: main skin, five windows, first paints", start.nsecsElapsed() / 1e6);
    TDisplay& display = *Ctrl->Display;
    display.BuildVideoWindow(true);
    std::printf("%-52s %9s\n", "  built-in skin loaded", display.MainBmp.isNull() ? "no" : "yes");

    auto buildAll = [&] {
        display.BuildMainWindow(Ctrl->Volume, Ctrl->Balance, false);
        display.BuildPlaylistWindow(false);
        display.BuildEqualizerWindow(false);
        display.BuildVideoWindow(false);
        display.BuildBrowserWindow(false);
    };
    std::printf("%-52s %9.2f ms\n", "LoadMainSkin + five builds (median of 31)", bench::MedianNs(31, 1, [&] {
                    display.LoadMainSkin();
                    buildAll();
                }) / 1e6);
    std::printf("%-52s %9.2f ms\n", "five builds alone (median of 31)", bench::MedianNs(31, 1, buildAll) / 1e6);
    std::printf("%-52s %9.2f ms\n", "ReloadSkin, built-in skin (median of 31)",
                bench::MedianNs(31, 1, [&] { display.ReloadSkin(); }) / 1e6);

    // The same from a skin folder: the built-in pictures written out as a Windows skin would be,
    // with mixed-case names.
    const QString folder = install + QStringLiteral("skins/default/");
    QDir().mkpath(folder);
    const char* names[] = {"balance", "cbuttons", "main",   "monoster", "numbers", "playpaus", "posbar",  "shufrep",
                           "text",    "titlebar", "volume", "pledit",   "eqmain",  "eq_ex",    "avs",     "mb"};
    for (const char* name : names) {
        QFile file(folder + QString::fromLatin1(name).toUpper() + QStringLiteral(".BMP"));
        if (file.open(QIODevice::WriteOnly)) file.write(BuiltInSkinResource(install + QStringLiteral("Plugins/skins.dll"), "BITMAP", QString::fromLatin1(name)));
    }
    std::printf("%-52s %9.2f ms\n", "LoadMainSkin + five builds, skin folder (median of 31)", bench::MedianNs(31, 1, [&] {
                    display.LoadMainSkin();
                    buildAll();
                }) / 1e6);
    std::printf("%-52s %9.2f ms\n", "ReloadSkin, skin folder (median of 31)",
                bench::MedianNs(31, 1, [&] { display.ReloadSkin(); }) / 1e6);
    std::printf("%-52s %9.2f us\n", "one DrawTime (median of 31 x 1000)",
                bench::MedianNs(31, 1000, [&] { display.DrawTime(true, 1, 4, 3, 2); }) / 1e3);
    std::printf("%-52s %9.2f us\n", "one PaintMain (median of 31 x 1000)", bench::MedianNs(31, 1000, [&] { display.PaintMain(); }) / 1e3);
    std::printf("%-52s %9.2f us\n", "one SetPlayState (median of 31 x 1000)",
                bench::MedianNs(31, 1000, [&] { display.SetPlayState(0); }) / 1e3);

    delete Form4.data();
    form->QuietClose = true;
    form->close();
    delete form;
    return 0;
}
