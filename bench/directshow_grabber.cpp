// A generated 1080p clip through the filter graph and its sample grabber: frames a second at the
// clip's own pace, the cost of turning a frame into a picture, and render-to-running time.
#include <gst/gst.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "bench_support.h"
#include "directshow/filter_graph.h"
#include "directshow/sample_grabber.h"

using namespace directshow;

namespace {

constexpr int kFrames = 150;  // 5 s at 30 fps

bool MakeClip(const QString& path) {
    const QString description =
        QStringLiteral("videotestsrc pattern=ball num-buffers=%1 ! video/x-raw,width=1920,height=1080,framerate=30/1 ! "
                       "x264enc speed-preset=ultrafast ! h264parse ! mp4mux ! filesink location=\"%2\"")
            .arg(kFrames)
            .arg(path);
    return bench::RunToEnd(description.toStdString(), 300);
}

struct Start {
    double renderMs, totalMs;
    bool operator<(const Start& other) const { return totalMs < other.totalMs; }
};

Start RenderToRunning(TFilterGraph& graph, const QString& clip) {
    QElapsedTimer timer;
    timer.start();
    graph.RenderFile(clip);
    const double rendered = double(timer.nsecsElapsed()) / 1e6;
    graph.Run();
    FilterState state;
    graph.GetState(-1, &state);
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    graph.ClearGraph();
    return {rendered, ms};
}

struct FrameCosts {
    std::mutex lock;
    int frames = 0;
    int converted = 0;
    qint64 conversionNs = 0;
    qint64 handlerNs = 0;
    QImage picture;
};

}  // namespace

int main(int argc, char** argv) {
    setenv("VELMORA_AUDIO_SINK", "fakesink", 1);
    QCoreApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    QTemporaryDir folder(QDir::tempPath() + "/velmora-bench-XXXXXX");
    const QString clip = folder.path() + "/clip1080.mp4";
    if (!MakeClip(clip)) {
        std::fprintf(stderr, "cannot make the 1080p clip (x264enc missing?)\n");
        return 1;
    }
    TFilterGraph graph;
    TSampleGrabber grabber;
    grabber.SetFilterGraph(&graph);
    graph.SetActive(true);

    std::vector<Start> starts;
    for (int i = 0; i < 9; ++i) starts.push_back(RenderToRunning(graph, clip));
    std::sort(starts.begin(), starts.end());
    const Start& median = starts[starts.size() / 2];
    std::printf("render->running (1080p H.264, grabber in the graph): median %.1f ms (render %.1f ms of it), "
                "min %.1f, max %.1f over %zu\n",
                median.totalMs, median.renderMs, starts.front().totalMs, starts.back().totalMs, starts.size());

    FrameCosts costs;
    grabber.SetOnBuffer([&](QObject*, double, const std::uint8_t* buffer, int length) {
        QElapsedTimer timer;
        timer.start();
        const bool ok = grabber.FrameToBitmap(&costs.picture, buffer, length);
        const qint64 ns = timer.nsecsElapsed();
        std::lock_guard guard(costs.lock);
        ++costs.frames;
        costs.converted += ok ? 1 : 0;
        costs.conversionNs += ns;
    });
    QEventLoop loop;
    QObject::connect(&graph, &TFilterGraph::OnGraphComplete, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    graph.RenderFile(clip);
    const double cpu0 = bench::CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    graph.Run();
    loop.exec();
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    const double cpu = bench::CpuSeconds() - cpu0;
    grabber.SetOnBuffer(nullptr);
    std::lock_guard guard(costs.lock);
    std::printf("frames through the grabber: %d of %d (%d converted) in %.2f s = %.1f fps at the clip's 30 fps pace\n",
                costs.frames, kFrames, costs.converted, seconds, costs.frames / seconds);
    std::printf("FrameToBitmap (1920x1080 24-bit, bottom-up to top-down picture): %.2f ms per frame\n",
                costs.frames ? double(costs.conversionNs) / costs.frames / 1e6 : 0.0);
    std::printf("process CPU while playing (decode, conversion to RGB, flip, picture): %.1f ms per frame, "
                "%.0f%% of one core\n",
                costs.frames ? cpu * 1000 / costs.frames : 0.0, 100.0 * cpu / seconds);
    return 0;
}
