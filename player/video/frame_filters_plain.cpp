// The filters written pixel by pixel, exactly as their rules read.
#include <algorithm>
#include <cstdlib>

#include "player/video/frame_filters.h"

namespace framefilters::plain {

namespace {

constexpr int kBlue = 0, kGreen = 1, kRed = 2;

// A zero or negative offset can only push a value below 0, a positive one only above 255.
int OffsetClamped(int v, int offset) {
    return offset <= 0 ? std::max(0, v + offset) : std::min(255, v + offset);
}

int Contrasted(int v, int c) {
    const int s = (std::abs(v - 128) * c) / 128;
    if (c >= 0) return v >= 128 ? std::min(255, v + s) : std::max(0, v - s);
    return v >= 128 ? std::max(128, v + s) : std::min(128, v - s);
}

template <typename PixelFn>
void EachPixel(QImage* frame, PixelFn fn) {
    MakeFilterable(frame);
    for (int y = 0; y < frame->height(); ++y) {
        uchar* line = frame->scanLine(y);
        for (int x = 0; x < frame->width(); ++x) fn(line + 3 * x);
    }
}

}  // namespace

void AdjustRGB(QImage* frame, int red, int green, int blue) {
    EachPixel(frame, [&](uchar* p) {
        p[kRed] = uchar(OffsetClamped(p[kRed], red));
        p[kGreen] = uchar(OffsetClamped(p[kGreen], green));
        p[kBlue] = uchar(OffsetClamped(p[kBlue], blue));
    });
}

void AdjustBrightness(QImage* frame, int brightness) {
    EachPixel(frame, [&](uchar* p) {
        for (int c = 0; c < 3; ++c) p[c] = uchar(OffsetClamped(p[c], brightness));
    });
}

void AdjustContrast(QImage* frame, int contrast) {
    EachPixel(frame, [&](uchar* p) {
        for (int c : {kRed, kGreen, kBlue}) p[c] = uchar(Contrasted(p[c], contrast));
    });
}

void AdjustSaturation(QImage* frame, int saturation) {
    EachPixel(frame, [&](uchar* p) {
        const int t = p[0] + p[1] + p[2];
        const int g = t / 3 - ((saturation + 255) * (t / 3)) / 256;
        for (int c = 0; c < 3; ++c) {
            const int v = g + ((saturation + 255) * p[c]) / 256;
            p[c] = uchar(v <= 0 ? 0 : std::min(255, v));
        }
    });
}

void Soften(QImage* frame) {
    MakeFilterable(frame);
    const int w = frame->width(), h = frame->height();
    for (int y = 0; y < h; ++y) {
        const uchar* rows[3] = {frame->constScanLine(y > 0 ? y - 1 : y), frame->constScanLine(y),
                                frame->constScanLine(y < h - 1 ? y + 1 : y)};
        uchar* line = frame->scanLine(y);
        for (int x = 0; x < w; ++x) {
            const int cols[3] = {x > 0 ? x - 1 : x, x, x < w - 1 ? x + 1 : x};
            for (int c = 0; c < 3; ++c) {
                int sum = 0;
                for (const uchar* row : rows)
                    for (int col : cols) sum += row[3 * col + c];
                line[3 * x + c] = uchar(sum / 9);
            }
        }
    }
}

void Sharpen(QImage* frame) {
    MakeFilterable(frame);
    for (int y = 0; y < frame->height(); ++y) {
        const uchar* above = frame->constScanLine(y > 0 ? y - 1 : y);
        uchar* line = frame->scanLine(y);
        for (int x = 0; x < frame->width(); ++x) {
            const uchar* n = x == 0 ? above : above + 3 * (x - 1);
            for (int c = 0; c < 3; ++c) {
                const int v = line[3 * x + c];
                line[3 * x + c] = uchar(std::clamp(v + (v - n[c]) / 2, 0, 255));
            }
        }
    }
}

}  // namespace framefilters::plain
