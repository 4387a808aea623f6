// What showing a 1080p video costs: a generated 1080p30 H.264 clip with a Vorbis tone, played for
// a while in the player's video window through the plain filter graph (engine 3), through the
// frame-grabbing engine (engine 4) with raw output (the graph's X sink draws into the video
// window) and with grabbed frames (filters off, every frame converted and painted by the
// engine), and by gst-play-1.0 (or gst-launch-1.0's playbin where that is missing) into the same
// X sink. Sound goes to a clock-synchronised fake sink everywhere.
// Prints CPU seconds over the measured span, their share of one core, and the frame engine's
// raw output against the plain engine.
// Run on an X display, e.g.: xvfb-run -s "-screen 0 1920x1080x24" build/bench/bench_video_cpu_bench [seconds (10)]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

#include "bench/bench_home.h"
#include "bench/bench_support.h"
#include "player/app/form1.h"
#include "player/core/ctrl.h"
#include "player/display/display.h"
#include "player/playback/run.h"
#include "player/playlist/playlist_box.h"
#include "player/video/form4.h"

namespace {

constexpr int kWarmUpMs = 2000;  // opening and the first frames are not what is measured

void RunFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool MakeClip(const QString& path, int seconds) {
    const int frames = seconds * 30;
    const std::string location = path.toStdString();
    return bench::RunToEnd("videotestsrc pattern=ball num-buffers=" + std::to_string(frames) +
                               " ! video/x-raw,width=1920,height=1080,framerate=30/1 ! "
                               "x264enc speed-preset=ultrafast tune=zerolatency ! h264parse ! matroskamux name=m ! "
                               "filesink location=\"" + location + "\" audiotestsrc num-buffers=" +
                               std::to_string(seconds * 44100 / 1024 + 1) +
                               " samplesperbuffer=1024 ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! "
                               "vorbisenc ! m.",
                           600);
}

struct Figure {
    double cpu = -1, wall = 0;
};

void Print(const char* name, const Figure& figure) {
    if (figure.cpu < 0) {
        std::printf("%-44s did not play\n", name);
        return;
    }
    std::printf("%-44s %6.2f CPU s in %5.2f s   %6.1f%% of one core\n", name, figure.cpu, figure.wall,
                100 * figure.cpu / figure.wall);
}

// Through the player: the list routes .mkv to the engine, the setup shows the video window.
Figure PlayInPlayer(const QString& install, const QString& clip, const char* list, int ratePriority, int seconds) {
    QFile ini(install + "Plugins/FilePlus.ini");
    ini.open(QIODevice::WriteOnly | QIODevice::Truncate);
    ini.write(QByteArray("[DECODE_SETUP]\r\n") + list + "=*.mkv\r\n");
    ini.close();
    QFile setup(install + "setup.ini");
    setup.open(QIODevice::WriteOnly | QIODevice::Truncate);
    setup.write("[Initialise]\r\nRatePriority=" + QByteArray::number(ratePriority) +
                "\r\nVideoControl=00000011\r\nScreenMode=1\r\n");
    setup.close();
    auto* form = new TForm1(install);
    ListBox1->SetItems({"<?" + clip + "?>"});
    TRun& run = *Ctrl->Run;
    run.PlayIndex(0);
    QElapsedTimer opening;
    opening.start();
    while (!run.ProgressTimerObj->isActive() && opening.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    Figure figure;
    if (run.ProgressTimerObj->isActive() && Form4 && Form4->isVisible()) {
        RunFor(kWarmUpMs);
        const double cpu0 = bench::CpuSeconds();
        QElapsedTimer clock;
        clock.start();
        RunFor(seconds * 1000);
        figure.cpu = bench::CpuSeconds() - cpu0;
        figure.wall = double(clock.elapsed()) / 1000.0;
        std::printf("  (%s: engine %d, video window %dx%d, position %d ms)\n", list, int(run.EngineCode),
                    Form4 ? Form4->width() : 0, Form4 ? Form4->height() : 0, run.Position);
    }
    run.Stop();
    form->QuietClose = true;
    form->close();
    delete form;
    return figure;
}

// User plus system CPU seconds of another process, from /proc; -1 when it is gone.
double ProcessCpuSeconds(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) return -1;
    // Fields after the command's closing parenthesis: state is field 3, utime 14, stime 15.
    std::istringstream rest(text.substr(text.rfind(')') + 2));
    std::string field;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14) utime = std::stod(field);
        if (i == 15) stime = std::stod(field);
    }
    return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// gst-play-1.0 where it is installed, else the same playbin through gst-launch-1.0.
Figure PlayInGstPlay(const QString& clip, int seconds, QString* how) {
    QProcess play;
    play.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    play.setStandardOutputFile(QProcess::nullDevice());
    if (!QStandardPaths::findExecutable(QStringLiteral("gst-play-1.0")).isEmpty()) {
        *how = QStringLiteral("gst-play-1.0, ximagesink");
        play.start(QStringLiteral("gst-play-1.0"), {QStringLiteral("--no-interactive"), QStringLiteral("--videosink=ximagesink"),
                                                    QStringLiteral("--audiosink=fakesink sync=true"), clip});
    } else {
        *how = QStringLiteral("gst-launch-1.0 playbin, ximagesink");
        play.start(QStringLiteral("gst-launch-1.0"),
                   {QStringLiteral("-q"), QStringLiteral("playbin"), QStringLiteral("uri=") + QUrl::fromLocalFile(clip).toString(),
                    QStringLiteral("video-sink=ximagesink"), QStringLiteral("audio-sink=fakesink sync=true")});
    }
    Figure figure;
    if (!play.waitForStarted(5000)) return figure;
    RunFor(kWarmUpMs);
    const double cpu0 = ProcessCpuSeconds(play.processId());
    QElapsedTimer clock;
    clock.start();
    RunFor(seconds * 1000);
    const double cpu1 = ProcessCpuSeconds(play.processId());
    figure.wall = double(clock.elapsed()) / 1000.0;
    if (cpu0 >= 0 && cpu1 >= 0 && play.state() == QProcess::Running) figure.cpu = cpu1 - cpu0;
    play.kill();
    play.waitForFinished(5000);
    return figure;
}

}  // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    bench::UsePrivateHome(home.path());
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    setenv("VELMORA_MESSAGES_TO_STDERR", "1", 1);
    const int seconds = argc > 1 ? std::max(1, atoi(argv[1])) : 10;
    int qtArgc = 1;  // the player would take a further argument as a file to play
    QApplication app(qtArgc, argv);
    gst_init(nullptr, nullptr);
    if (QGuiApplication::platformName() == QLatin1String("offscreen"))
        std::fprintf(stderr, "note: offscreen platform; run under xvfb-run with QT_QPA_PLATFORM=xcb for the X sink\n");

    const QString install = bench::InstallWithBuiltPlugins(home.path());
    const QString clip = home.path() + "/clip1080.mkv";
    if (!MakeClip(clip, seconds + kWarmUpMs / 1000 + 3)) {
        std::fprintf(stderr, "cannot make the 1080p clip (x264enc or vorbisenc missing?)\n");
        return 1;
    }
    std::printf("1080p30 H.264 + Vorbis, %d s measured after %d ms of warm-up:\n", seconds, kWarmUpMs);
    const Figure plain = PlayInPlayer(install, clip, "DECODE5", 1, seconds);
    const Figure raw = PlayInPlayer(install, clip, "DECODE3", 1, seconds);
    const Figure grabbed = PlayInPlayer(install, clip, "DECODE3", 0, seconds);
    QString how;
    const Figure reference = PlayInGstPlay(clip, seconds, &how);
    Print("plain filter graph (engine 3)", plain);
    Print("frame engine, raw output (engine 4, mode 0)", raw);
    Print("frame engine, grabbed frames (mode 1)", grabbed);
    Print(how.toUtf8().constData(), reference);
    if (plain.cpu > 0 && raw.cpu >= 0 && grabbed.cpu >= 0) {
        const double plainShare = plain.cpu / plain.wall;
        std::printf("frame engine / plain engine CPU: raw output %.2f x (aim: at most 1.2 x), grabbed frames %.2f x\n",
                    raw.cpu / raw.wall / plainShare, grabbed.cpu / grabbed.wall / plainShare);
    }
    return 0;
}
