// What one 1080p frame costs on the frame engine's grabbed path (mode 1), step by step: decoding,
// the conversion to 24-bit rows in the graph, the copy into the frame bitmap, each frame filter,
// the stretch into the window bitmap, the copy into the window's screen image and the window's
// paint. Decoding is CPU per frame of a pipeline run as fast as it goes; every other step is wall
// time per call on a real decoded frame, best of several (the conversion with GStreamer's own
// converter, as videoconvert runs it). The old path's steps (rows turned over twice, a 24-bit
// window bitmap copied for the window) are printed beside the ones used now.
// Run: build/bench/bench_frame_engine_steps (any Qt platform; offscreen is enough)
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gst/video/video.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "bench/bench_support.h"
#include "directshow/frame_bitmap.h"
#include "player/skin/canvas.h"
#include "player/video/frame_filters.h"

using namespace directshow;

namespace {

constexpr int kFrames = 120;

bool MakeClip(const std::string& path) {
    return bench::RunToEnd("videotestsrc pattern=ball num-buffers=" + std::to_string(kFrames) +
                           " ! video/x-raw,width=1920,height=1080,framerate=30/1 ! x264enc speed-preset=ultrafast ! "
                           "h264parse ! mp4mux ! filesink location=\"" + path + "\"",
                           300);
}

// CPU ms per frame of a pipeline run unsynchronised to its end.
double PipelineMsPerFrame(const std::string& description) {
    const double cpu0 = bench::CpuSeconds();
    if (!bench::RunToEnd(description, 300)) return -1;
    return (bench::CpuSeconds() - cpu0) * 1000.0 / kFrames;
}

// The best of several runs, in ms: the step's own cost without the machine's noise.
double BestMs(const std::function<void()>& step, int runs = 15) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        best = std::min(best, double(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

// One decoded frame as the decoder gives it (I420), with its layout.
GstSample* DecodeOneFrame(const std::string& clip) {
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(
        ("filesrc location=\"" + clip + "\" ! qtdemux ! h264parse ! avdec_h264 ! appsink name=s").c_str(), &error);
    if (error) g_error_free(error);
    if (!pipeline) return nullptr;
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "s");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstSample* sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 30 * GST_SECOND);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(sink);
    gst_object_unref(pipeline);
    return sample;
}

// Every plane's rows in reverse order, as videoflip's vertical flip writes them.
void TurnRowsOver(const GstVideoFrame& in, GstVideoFrame& out) {
    for (guint plane = 0; plane < GST_VIDEO_FRAME_N_PLANES(&in); ++plane) {
        const int rows = GST_VIDEO_FRAME_COMP_HEIGHT(&in, plane);
        const int stride = GST_VIDEO_FRAME_PLANE_STRIDE(&in, plane);
        const auto* from = static_cast<const std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&in, plane));
        auto* to = static_cast<std::uint8_t*>(GST_VIDEO_FRAME_PLANE_DATA(&out, plane));
        for (int row = 0; row < rows; ++row) std::memcpy(to + (rows - 1 - row) * stride, from + row * stride, stride);
    }
}

void Line(const char* step, double ms) { std::printf("  %-62s %7.2f ms\n", step, ms); }

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    QTemporaryDir folder(QDir::tempPath() + "/velmora-bench-XXXXXX");
    const std::string clip = (folder.path() + "/clip1080.mp4").toStdString();
    if (!MakeClip(clip)) {
        std::fprintf(stderr, "cannot make the 1080p clip (x264enc missing?)\n");
        return 1;
    }
    const std::string source = "filesrc location=\"" + clip + "\" ! qtdemux ! h264parse ! avdec_h264 ! fakesink";
    PipelineMsPerFrame(source);  // the first run warms the caches and the decoder's threads
    const double decode = PipelineMsPerFrame(source);

    GstSample* sample = DecodeOneFrame(clip);
    GstVideoInfo yuv, bgr;
    if (!sample || !gst_video_info_from_caps(&yuv, gst_sample_get_caps(sample))) {
        std::fprintf(stderr, "no decoded frame\n");
        return 1;
    }
    gst_video_info_set_format(&bgr, GST_VIDEO_FORMAT_BGR, 1920, 1080);
    bgr.fps_n = yuv.fps_n;
    bgr.fps_d = yuv.fps_d;
    bgr.par_n = yuv.par_n;
    bgr.par_d = yuv.par_d;
    GstBuffer* flippedBuffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&yuv), nullptr);
    GstBuffer* bgrBuffer = gst_buffer_new_allocate(nullptr, GST_VIDEO_INFO_SIZE(&bgr), nullptr);
    GstVideoFrame in, flippedFrame, out;
    gst_video_frame_map(&in, &yuv, gst_sample_get_buffer(sample), GST_MAP_READ);
    gst_video_frame_map(&flippedFrame, &yuv, flippedBuffer, GST_MAP_READWRITE);
    gst_video_frame_map(&out, &bgr, bgrBuffer, GST_MAP_READWRITE);
    GstVideoConverter* converter = gst_video_converter_new(&yuv, &bgr, nullptr);
    if (!converter) {
        std::fprintf(stderr, "no converter\n");
        return 1;
    }
    const double convert = BestMs([&] { gst_video_converter_frame(converter, &in, &out); });
    const double flip = BestMs([&] { TurnRowsOver(in, flippedFrame); });
    gst_video_converter_free(converter);
    const QByteArray frameBytes(static_cast<const char*>(GST_VIDEO_FRAME_PLANE_DATA(&out, 0)),
                                int(GST_VIDEO_INFO_SIZE(&bgr)));
    gst_video_frame_unmap(&out);
    gst_video_frame_unmap(&flippedFrame);
    gst_video_frame_unmap(&in);
    gst_buffer_unref(bgrBuffer);
    gst_buffer_unref(flippedBuffer);
    gst_sample_unref(sample);

    const auto* bits = reinterpret_cast<const std::uint8_t*>(frameBytes.constData());
    BitmapInfoHeader topDown;
    topDown.biWidth = 1920;
    topDown.biHeight = -1080;
    topDown.biBitCount = 24;
    BitmapInfoHeader bottomUp = topDown;
    bottomUp.biHeight = 1080;
    QImage frame;
    const double copyIn = BestMs([&] { DibToImage(topDown, bits, std::size_t(frameBytes.size()), &frame); });
    const double copyInOld = BestMs([&] { DibToImage(bottomUp, bits, std::size_t(frameBytes.size()), &frame); });
    DibToImage(topDown, bits, std::size_t(frameBytes.size()), &frame);

    namespace ff = framefilters;
    QImage work = frame.copy();
    const double rgb = BestMs([&] { ff::AdjustRGB(&work, 10, -10, 5); }, 5);
    const double saturation = BestMs([&] { ff::AdjustSaturation(&work, 40); }, 5);
    const double contrast = BestMs([&] { ff::AdjustContrast(&work, 30); }, 5);
    const double brightness = BestMs([&] { ff::AdjustBrightness(&work, 20); }, 5);
    const double soften = BestMs([&] { ff::Soften(&work); }, 5);
    const double sharpen = BestMs([&] { ff::Sharpen(&work); }, 5);

    std::printf("One 1920x1080 H.264 frame on the grabbed path:\n");
    std::printf(" in the graph (streaming threads, CPU per frame):\n");
    Line("decode (avdec_h264, its own threads, CPU)", decode);
    Line("conversion I420 to 24-bit BGR rows, top row first (videoconvert)", convert);
    Line("  old: rows turned over first as well (videoflip)", flip);
    std::printf(" in the engine (streaming thread, under the grabber's lock):\n");
    Line("copy into the frame bitmap (FrameToBitmap, top-down rows)", copyIn);
    Line("  old: bottom-up rows turned back", copyInOld);
    Line("RGB offsets (when on)", rgb);
    Line("saturation (when on)", saturation);
    Line("contrast (when on)", contrast);
    Line("brightness (when on)", brightness);
    Line("soften (when on)", soften);
    Line("sharpen (when on)", sharpen);
    for (const QSize area : {QSize(1906, 1060), QSize(786, 580)}) {
        QImage window(area, QImage::Format_RGB32);
        const double stretch = BestMs([&] {
            QPainter painter(&window);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.drawImage(QRect(QPoint(0, 0), area), frame);
        });
        QImage oldWindow(area, QImage::Format_BGR888);
        QImage handed;
        const double oldStretch = BestMs([&] {
            QPainter painter(&oldWindow);
            painter.drawImage(QRect(QPoint(0, 0), area), frame);
            painter.end();
            handed = oldWindow.copy();
        });
        // The video window's screen image and the window's paint from it (GUI thread).
        QImage screen(area + QSize(14, 20), QImage::Format_RGB32);
        const double intoScreen = BestMs([&] { CopyRect(screen, QRect(QPoint(7, 15), area), window, window.rect()); });
        const double oldIntoScreen =
            BestMs([&] { CopyRect(screen, QRect(QPoint(7, 15), area), handed, handed.rect()); });
        QImage backing(screen.size(), QImage::Format_RGB32);
        const double paint = BestMs([&] {
            QPainter painter(&backing);
            painter.drawImage(QPoint(0, 0), screen);
        });
        std::printf(" picture area %dx%d:\n", area.width(), area.height());
        Line("stretch into the window bitmap (32-bit, converted as it scales)", stretch);
        Line("  old: stretch into a 24-bit window bitmap, then copied", oldStretch);
        Line("hand-over to the GUI thread (the window bitmap shared)", 0.0);
        Line("copy into the video window's screen image", intoScreen);
        Line("  old: 24-bit picture converted into the screen image", oldIntoScreen);
        Line("window paint (screen image to the backing store)", paint);
        const double total = decode + convert + copyIn + stretch + intoScreen + paint;
        const double oldTotal = decode + flip + convert + copyInOld + oldStretch + oldIntoScreen + paint;
        std::printf("  %-62s %7.2f ms (old %.2f ms)\n", "one frame, filters off", total, oldTotal);
    }
    return 0;
}
