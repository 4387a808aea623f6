// Playlist box figures on 100,000 entries: loading and appending a .kpl, reading an .m3u and a
// .pls, scanning a folder tree of 20,000 files, the six sort modes, the time total, and the
// resident memory the entries take; then hostile lists: seven lists naming each other over and
// over, and a .kpl of one 20 MB line. The box sits in a shown playlist window; each time includes
// the event processing that lays the rows out and paints them.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_playlist_box
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <malloc.h>

#include "bench/bench_home.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/app/form1.h"
#include "player/playlist/playlist_box.h"
#include "player/playlist/playlist_item.h"
#include "player/playback/run.h"

namespace {

constexpr int kEntries = 100000;
constexpr int kFolders = 200;
constexpr int kFilesPerFolder = 100;

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Milliseconds for `work` and the event processing it causes.
double Time(const std::function<void()>& work) {
    QElapsedTimer clock;
    clock.start();
    work();
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

void Report(const char* what, double ms, double target) {
    std::printf("%-44s %9.1f ms   (target < %.0f ms)\n", what, ms, target);
}

// A collection path: a quarter of the names are Chinese, as in the collections the player serves.
QString TrackPath(int i) {
    const QString artist = i % 4 == 0 ? QStringLiteral("歌手%1").arg(i / 400) : QStringLiteral("Artist %1").arg(i / 400);
    const QString title = i % 4 == 0 ? QStringLiteral("北京欢迎你 %1").arg(i) : QStringLiteral("Song Title %1").arg(i);
    return QStringLiteral("/home/user/Music/%1/Album %2/%3 %4.mp3").arg(artist).arg(i / 20 % 20).arg(i % 20 + 1).arg(title);
}

// Seven lists of eleven lines naming each other without a loop: a track and ten names of the next
// list, so a load that follows every name blindly reads lists over a million times.
void WriteCrossNamingLists(const QString& folder) {
    for (int k = 0; k < 7; ++k) {
        QStringList lines{QStringLiteral("/m/%1.mp3").arg(k)};
        for (int n = 0; n < 10; ++n)
            lines << (k < 6 ? QStringLiteral("%1/x%2.m3u").arg(folder).arg(k + 1) : QStringLiteral("/m/6-%1.mp3").arg(n));
        platform::WriteTextLines(folder + QStringLiteral("/x%1.m3u").arg(k), lines);
    }
}

void WriteHugeLine(const QString& path) {
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("<?/m/" + QByteArray(20 << 20, 'a') + ".mp3?>\r\n");
}

void WriteFixtures(const QString& folder) {
    WriteCrossNamingLists(folder);
    WriteHugeLine(folder + QStringLiteral("/huge.kpl"));
    QStringList kpl, m3u{QStringLiteral("#EXTM3U")}, pls{QStringLiteral("[playlist]")};
    for (int i = 0; i < kEntries; ++i) {
        const QString path = TrackPath(i);
        const QString time = QStringLiteral("%1:%2").arg(i % 9 + 1, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        kpl << (i % 10 == 0 ? QStringLiteral("<?%1?>").arg(path) : QStringLiteral("<?%1?><#%2#>").arg(path, time));
        m3u << path;
        pls << QStringLiteral("File%1=%2").arg(i + 1).arg(path) << QStringLiteral("Title%1=Song %1").arg(i + 1)
            << QStringLiteral("Length%1=%2").arg(i + 1).arg(i % 500);
    }
    pls << QStringLiteral("NumberOfEntries=%1").arg(kEntries) << QStringLiteral("Version=2");
    platform::WriteTextLines(folder + QStringLiteral("/list.kpl"), kpl);
    platform::WriteTextLines(folder + QStringLiteral("/list.m3u"), m3u);
    platform::WriteTextLines(folder + QStringLiteral("/list.pls"), pls);
    for (int f = 0; f < kFolders; ++f) {
        const QString sub = QStringLiteral("%1/tree/Artist %2/Album %3/").arg(folder).arg(f / 10).arg(f % 10);
        QDir().mkpath(sub);
        for (int i = 0; i < kFilesPerFolder; ++i) {
            QFile file(sub + QStringLiteral("%1 Track.%2").arg(i, 2, 10, QLatin1Char('0')).arg(i % 3 ? "mp3" : "FLAC"));
            file.open(QIODevice::WriteOnly);
        }
    }
}

// The box inside a shown playlist window, as the playlist-window build places it.
QWidget* ShowInPlaylistWindow() {
    auto* window = new QWidget;
    window->resize(275, 464);
    auto* panel = new QWidget(window);
    panel->setGeometry(12, 20, 243, 406);
    ListBox1->setParent(panel);
    ListBox1->setGeometry(0, 2, 243, 406);
    PlaylistWindow = window;
    window->show();
    ListBox1->show();
    QCoreApplication::processEvents();
    return window;
}

// In a fresh process, so nothing else has freed memory yet: the freed heap the allocator keeps
// after loading an .m3u into the box (what temporary copies of the file's lines leave behind).
int HeapAfterLoad(int argc, char** argv) {
    QApplication app(argc, argv);
    platform::SetMessageRecorder([](const QString&, const QString&, platform::MessageIcon) {});
    auto* form = new TForm1(QFile::decodeName(argv[2]));
    QCoreApplication::processEvents();
    malloc_trim(0);
    const double before = double(mallinfo2().fordblks);
    ListBox1->loadList(QFile::decodeName(argv[3]), true);
    std::printf("%.1f\n", (double(mallinfo2().fordblks) - before) / 1e6);
    form->QuietClose = true;
    form->close();
    delete form;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The fixtures are written by a second run of this program, so their making leaves nothing in
    // this process's heap to blur the memory figure.
    if (argc == 3 && QByteArray(argv[1]) == "--fixtures") {
        QCoreApplication app(argc, argv);
        WriteFixtures(QFile::decodeName(argv[2]));
        return 0;
    }
    if (argc == 4 && QByteArray(argv[1]) == "--heap") return HeapAfterLoad(argc, argv);
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/velmora-bench-XXXXXX"));
    bench::UsePrivateHome(home.path());
    for (const char* sub : {"install/Plugins", "fixtures"}) QDir(home.path()).mkpath(sub);
    QApplication app(argc, argv);
    // Loads that are cut short say so in a box; nobody is there to close it.
    platform::SetMessageRecorder([](const QString& text, const QString&, platform::MessageIcon) {
        std::printf("  (message: %s)\n", text.toUtf8().constData());
    });
    const QString fixtures = home.path() + QStringLiteral("/fixtures");
    if (QProcess::execute(QCoreApplication::applicationFilePath(), {QStringLiteral("--fixtures"), fixtures}) != 0) {
        std::fprintf(stderr, "cannot write the fixtures\n");
        return 1;
    }

    const QString install = home.path() + QStringLiteral("/install/");
    QFile ini(install + QStringLiteral("Plugins/FilePlus.ini"));
    ini.open(QIODevice::WriteOnly);
    ini.write("[decode_setup]\r\nDECODE0=*.mp3;*.mp2;*.wav;*.ogg;*.flac;*.ape;*.wma\r\nDECODE1=*.cda\r\n"
              "DECODE3=*.avi;*.mpg;*.mpeg;*.dat;*.mp4;*.mkv\r\nDECODE4=*.rm;*.rmvb;*.ra\r\n");
    ini.close();

    auto* form = new TForm1(install);
    QWidget* window = ShowInPlaylistWindow();
    TListBox1& box = *ListBox1;
    const QString kpl = fixtures + QStringLiteral("/list.kpl");

    const long emptyKiB = ResidentKiB();
    Report("load 100,000-line .kpl, replace", Time([&] { box.loadList(kpl, true); }), 500);
    const long loadedKiB = ResidentKiB();
    box.UseReverse = true;
    box.SetItems({});
    Report("append 100,000-line .kpl, UseReverse on", Time([&] { box.loadList(kpl, false); }), 500);
    box.UseReverse = false;
    box.SetItems({});
    Report("append 100,000-line .kpl, UseReverse off", Time([&] { box.loadList(kpl, false); }), 500);
    box.UseReverse = true;
    Report("load 100,000-line .m3u, replace", Time([&] { box.loadList(fixtures + "/list.m3u", true); }), 1000);
    Report("load .pls of 100,000 files, replace", Time([&] { box.loadList(fixtures + "/list.pls", true); }), 1000);
    box.SetItems({});
    // A timer stands for the user: the longest wait between its calls is how long the windows
    // went without answering during the scan.
    QTimer user;
    QElapsedTimer sinceUser;
    double longestWait = 0;
    QObject::connect(&user, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, sinceUser.nsecsElapsed() / 1e6);
        sinceUser.restart();
    });
    user.start(1);
    sinceUser.start();
    Report("scan a tree of 20,000 files", Time([&] { box.SearchFile(fixtures + "/tree/", true); }), 2000);
    user.stop();
    std::printf("%-44s %9d\n", "  entries found by the scan", box.Count());
    std::printf("%-44s %9.1f ms\n", "  longest wait for events during the scan", longestWait);

    box.loadList(kpl, true);
    Ctrl->Run->Index = 12345;
    const char* modes[] = {"", "sort by title", "sort by extension", "sort by path", "sort by length", "reverse", "shuffle"};
    for (int mode = 1; mode <= 6; ++mode) {
        const QString what = QStringLiteral("%1 of 100,000 rows").arg(QString::fromLatin1(modes[mode]));
        Report(what.toLatin1().constData(), Time([&] { box.listSorted(mode); }), 500);
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i) box.RefreshAllTime();
    Report("RefreshAllTime of 100,000 rows (mean of 10)", clock.nsecsElapsed() / 1e7, 50);
    std::printf("%-44s %9d s\n", "  sum of the entries' lengths", box.TotalSeconds);
    std::printf("%-44s %9.1f MB   (target < 40 MB)\n", "resident memory, 100,000 entries - empty",
                (loadedKiB - emptyKiB) / 1024.0);

    QProcess heap;
    heap.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--heap"), install, fixtures + "/list.m3u"});
    heap.waitForFinished(60000);
    std::printf("%-44s %9s MB\n", "freed heap kept after a first .m3u load",
                heap.readAllStandardOutput().trimmed().constData());

    Report("load 7 cross-naming .m3u files", Time([&] { box.loadList(fixtures + "/x0.m3u", true); }), 1000);
    std::printf("%-44s %9d\n", "  entries they gave", box.Count());

    box.SetItems({});
    const long beforeHugeKiB = ResidentKiB();
    Report("load and paint a .kpl of one 20 MB line", Time([&] {
               box.loadList(fixtures + "/huge.kpl", true);
               box.viewport()->repaint();
           }), 1000);
    std::printf("%-44s %9.1f MB\n", "  resident memory growth", (ResidentKiB() - beforeHugeKiB) / 1024.0);
    // The row painter on the longest entry the box takes, and on one no input can make.
    const auto repaintRow = [&](qsizetype chars) {
        box.SetItems({QStringLiteral("<?/m/%1.mp3?>").arg(QString(chars, u'a'))});
        QCoreApplication::processEvents();  // the rows are laid out after a reset
        return Time([&] { box.viewport()->repaint(); });
    };
    Report("repaint a row of the longest entry taken", repaintRow(playlist::kMaxEntryChars), 20);
    Report("repaint a row of a 20 MB entry", repaintRow(20 << 20), 1000);

    form->QuietClose = true;
    form->close();
    delete window;
    delete form;
    return 0;
}
