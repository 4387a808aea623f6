// Installing a skin archive of about 500 KB (unpack into staging, lower-case the names, swap it in
// as skins/default/) and reloading the skin into the five windows, as a click in the skin list
// or a handed-over .wsz does.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_skin_install_bench
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "../tests/skin_fixtures.h"
#include "../tests/zip_writer.h"
#include "bench/bench_home.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/skin/skin_files.h"
#include "player/skin/skin_install.h"

namespace {

// A 24-bit sheet of noise: it does not compress, so the archive is as big as the pictures.
QByteArray NoiseSheet(int width, int height) {
    skin_fixtures::Bmp bmp;
    bmp.width = width;
    bmp.height = height;
    QRandomGenerator random(width * 1000 + height);
    bmp.pixels = skin_fixtures::Rows(width, height, 24, [&](int, int) { return random.generate() & 0xFFFFFF; });
    return bmp.Build();
}

// The big sheets as noise at their usual sizes, the small ones from the built-in skin, in a
// folder of the archive with names in capitals as skins made on Windows often have.
QByteArray SkinArchive(const QString& builtIn) {
    std::vector<zip_writer::Entry> entries;
    entries.push_back(zip_writer::File("Bench Skin/MAIN.BMP", NoiseSheet(275, 116)));
    entries.push_back(zip_writer::File("Bench Skin/EQMAIN.BMP", NoiseSheet(275, 315)));
    entries.push_back(zip_writer::File("Bench Skin/PLEDIT.BMP", NoiseSheet(280, 186)));
    for (const char* name : {"balance", "cbuttons", "monoster", "numbers", "playpaus", "posbar", "shufrep", "text",
                             "titlebar", "volume", "eq_ex", "avs", "mb"})
        entries.push_back(zip_writer::File("Bench Skin/" + QByteArray(name).toUpper() + ".BMP",
                                           BuiltInSkinResource(builtIn, "BITMAP", QString::fromLatin1(name))));
    entries.push_back(zip_writer::File("Bench Skin/PLEDIT.TXT", "[Text]\r\nNormal=#00FF00\r\nCurrent=#FFFFFF\r\n"));
    return zip_writer::Archive(entries);
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX"));
    bench::UsePrivateHome(home.path());
    QDir(home.path()).mkpath("install/Plugins");
    QDir(home.path()).mkpath("install/skins");
    QApplication app(argc, argv);

    const QString install = home.path() + QStringLiteral("/install/");
    const QString plugins = QFileInfo(QStringLiteral(VELMORA_PROGRAM)).absolutePath() + QStringLiteral("/Plugins/");
    for (const char* library : {"skins.dll", "explain.dll"})
        if (!QFile::copy(plugins + QLatin1String(library), install + QStringLiteral("Plugins/") + QLatin1String(library)))
            std::printf("note: no %s in %s\n", library, qPrintable(plugins));
    QFile ini(install + QStringLiteral("Plugins/FilePlus.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[decode_setup]\r\nDECODE0=*.mp3\r\n");
    ini.close();

    const QByteArray archive = SkinArchive(plugins + QStringLiteral("skins.dll"));
    QFile wsz(install + QStringLiteral("skins/Bench.wsz"));
    wsz.open(QIODevice::WriteOnly);
    wsz.write(archive);
    wsz.close();
    std::printf("%-52s %9.1f KB\n", "archive", archive.size() / 1024.0);

    auto* form = new TForm1(install);
    QCoreApplication::processEvents();
    TDisplay& display = *Ctrl->Display;
    display.BuildVideoWindow(true);
    const SkinArchiveLibrary& library = SkinUnzipLibrary(install);

    std::vector<double> install_ms, reload_ms, total_ms;
    for (int round = 0; round < 21; ++round) {
        QElapsedTimer clock;
        clock.start();
        QString error;
        if (!InstallSkin(install, install + QStringLiteral("skins/"), QStringLiteral("Bench.wsz"), library, &error)) {
            std::printf("install failed: %s\n", qPrintable(error));
            return 1;
        }
        const qint64 installed = clock.nsecsElapsed();
        display.ReloadSkin();
        const qint64 reloaded = clock.nsecsElapsed();
        if (round == 0) {
            std::printf("%-52s %9.2f ms\n", "first install + reload", reloaded / 1e6);
            std::printf("%-52s %9s\n", "  skin shown", display.MainBmp.width() == 275 ? "yes" : "no");
        }
        install_ms.push_back(installed / 1e6);
        reload_ms.push_back((reloaded - installed) / 1e6);
        total_ms.push_back(reloaded / 1e6);
    }
    for (auto* times : {&install_ms, &reload_ms, &total_ms}) std::sort(times->begin(), times->end());
    std::printf("%-52s %9.2f ms\n", "install (unpack + swap), median of 21", install_ms[10]);
    std::printf("%-52s %9.2f ms\n", "ReloadSkin, median of 21", reload_ms[10]);
    std::printf("%-52s %9.2f ms (target under 200)\n", "install + reload, median of 21", total_ms[10]);
    std::printf("%-52s %9.2f ms\n", "install + reload, slowest of 21", total_ms.back());

    form->QuietClose = true;
    form->close();
    delete form;
    return 0;
}
