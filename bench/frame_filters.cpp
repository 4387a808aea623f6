// The six frame filters on one 1920 x 1080 frame, one core: the fast versions and the plain
// per-pixel loops, each the best of several runs. Then the CPU of a generated 1080p clip through
// the frame engine, frames drawn as they come and through all six filters.
#include <gst/gst.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <functional>

#include "bench_support.h"
#include "directshow/filter_graph.h"
#include "player/core/settings_store.h"
#include "player/video/capture.h"
#include "player/video/dspack.h"
#include "player/video/frame_filters.h"

namespace ff = framefilters;

namespace {

constexpr int kRuns = 15;

double BestMs(const QImage& source, const std::function<void(QImage*)>& filter) {
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
        QImage frame = source.copy();
        QElapsedTimer timer;
        timer.start();
        filter(&frame);
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

bool MakeClip(const QString& path) {
    const std::string description =
        "videotestsrc pattern=ball num-buffers=150 ! video/x-raw,width=1920,height=1080,framerate=30/1 ! "
        "x264enc speed-preset=ultrafast ! h264parse ! mp4mux ! filesink location=\"" + path.toStdString() + "\"";
    return bench::RunToEnd(description, 300);
}

// CPU seconds per second of playing the clip to its end.
double PlayCpu(const QString& clip, bool filtered) {
    TDspack engine;
    engine.Open(clip);
    engine.SetDrawArea(QSize(1280, 720));
    engine.SetRatePriority(filtered ? 1 : 0);
    if (filtered) engine.ImgVideo()->LoadSettings(TSettingsStore(
        {"VideoControl=111111", "BrightnessValue=20", "ContrastValue=30", "SaturationValue=40", "RGBRed=5"}));
    QEventLoop loop;
    QObject::connect(engine.Graph(), &directshow::TFilterGraph::OnGraphComplete, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    const double cpu0 = bench::CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    engine.Run();
    loop.exec();
    const double cpu = bench::CpuSeconds() - cpu0, seconds = double(wall.elapsed()) / 1000.0;
    engine.Stop();
    return cpu / seconds;
}

void EngineFigures() {
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    gst_init(nullptr, nullptr);
    QTemporaryDir folder(QDir::tempPath() + "/velmora-bench-XXXXXX");
    const QString clip = folder.path() + "/clip1080.mp4";
    if (!MakeClip(clip)) {
        std::fprintf(stderr, "cannot make the 1080p clip (x264enc missing?)\n");
        return;
    }
    std::printf("1080p30 H.264 through the frame engine, CPU seconds per second (100%% = one core):\n");
    std::printf("  frames drawn as they come  %5.0f%%\n", 100 * PlayCpu(clip, false));
    std::printf("  all six filters on         %5.0f%%\n", 100 * PlayCpu(clip, true));
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    QImage source(1920, 1080, QImage::Format_BGR888);
    QRandomGenerator random(7);
    for (int y = 0; y < source.height(); ++y) {
        uchar* line = source.scanLine(y);
        for (int i = 0; i < 3 * source.width(); ++i) line[i] = uchar(random.bounded(256));
    }
    struct Row {
        const char* name;
        std::function<void(QImage*)> fast, plain;
    };
    const Row rows[] = {
        {"AdjustRGB", [](QImage* f) { ff::AdjustRGB(f, 30, -40, 50); }, [](QImage* f) { ff::plain::AdjustRGB(f, 30, -40, 50); }},
        {"AdjustSaturation", [](QImage* f) { ff::AdjustSaturation(f, 90); }, [](QImage* f) { ff::plain::AdjustSaturation(f, 90); }},
        {"AdjustContrast", [](QImage* f) { ff::AdjustContrast(f, 64); }, [](QImage* f) { ff::plain::AdjustContrast(f, 64); }},
        {"AdjustBrightness", [](QImage* f) { ff::AdjustBrightness(f, 40); }, [](QImage* f) { ff::plain::AdjustBrightness(f, 40); }},
        {"Soften", [](QImage* f) { ff::Soften(f); }, [](QImage* f) { ff::plain::Soften(f); }},
        {"Sharpen", [](QImage* f) { ff::Sharpen(f); }, [](QImage* f) { ff::plain::Sharpen(f); }},
    };
    double fastSum = 0, plainSum = 0;
    std::printf("%-18s %10s %10s\n", "filter (1080p)", "fast ms", "plain ms");
    for (const Row& row : rows) {
        const double fast = BestMs(source, row.fast), plain = BestMs(source, row.plain);
        fastSum += fast;
        plainSum += plain;
        std::printf("%-18s %10.2f %10.2f\n", row.name, fast, plain);
    }
    std::printf("%-18s %10.2f %10.2f\n", "all six", fastSum, plainSum);
    EngineFigures();
    return 0;
}
