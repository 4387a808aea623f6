// The six frame filters on one 1920 x 1080 frame, one core: the fast versions and the plain
// per-pixel loops, each the best of several runs.
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <functional>

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

}  // namespace

int main() {
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
    return 0;
}
