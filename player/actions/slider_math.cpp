#include "player/actions/slider_math.h"

#include <algorithm>
#include <cmath>

namespace slider_math {

namespace {

// Truncates toward zero, clamped first so no value leaves the int range.
int Trunc(long double v) { return int(std::trunc(std::clamp<long double>(v, -1e9L, 1e9L))); }
// Halves to the even neighbour (the default rounding mode).
long long Nearest(long double v) {
    if (std::isnan(v)) return 0;
    return (long long)std::nearbyint(std::clamp<long double>(v, -1e15L, 1e15L));
}

constexpr long double kVolumeFactor = 100.0L / 51.0L;
constexpr long double kBalanceFactor = 100.0L / 11.0L;

}  // namespace

int VolumeGrabOffset(int volume, int x) {
    const int t = Trunc((volume - 1) * 0.51L);
    return 108 + t <= x && x < 122 + t ? x - t - 109 : 6;
}
int VolumePosition(int x, int grabOffset) { return std::clamp(x - grabOffset + 7, 115, 166); }
int VolumeAt(int position) { return Trunc((position - 115) * kVolumeFactor); }

int BalanceGrabOffset(int balance, int x) {
    const int r = int(Nearest((balance + 100) * 0.11L));
    return 177 + r <= x && x < 191 + r ? x - r - 177 : 6;
}
int BalancePosition(int x, int grabOffset) { return std::clamp(x - grabOffset + 7, 184, 206); }
int BalanceAt(int position) { return Trunc((position - 195) * kBalanceFactor); }

int SeekGrabOffset(int barPixel, int x) {
    const int along = x - 15;
    return barPixel <= along && along < barPixel + 29 ? along - barPixel - 15 : 0;
}
int SeekThumb(int x, int grabOffset) { return std::clamp(x - 15 - grabOffset, 16, 235); }
long long SeekTarget(int thumb, int length) {
    return Nearest((std::clamp(thumb, 16, 235) - 16) / 219.0L * (long double)length);
}

int EqualizerValueAt(int y) { return std::clamp(63 - int(Nearest((y - 39) / 61.0L * 63)), 0, 63); }

int ScrollGrabOffset(int thumbCentre, int y) {
    return thumbCentre - 9 <= y && y < thumbCentre + 9 ? y - thumbCentre : 0;
}
int ScrollThumbCentre(int y, int grabOffset, int height) {
    return std::clamp(y - grabOffset, 29, std::max(29, height - 47));
}
int ScrollTopRow(int items, int visibleRows, int thumbCentre, int height) {
    if (height - 76 <= 0) return 0;
    const long long row = Nearest((long double)(items - visibleRows) * (thumbCentre - 29) / (height - 76));
    return int(std::clamp<long long>(row, 0, std::max(0, items)));
}

void VideoResizeSize(int& w, int& h, bool lyrics, int lyricLineHeight) {
    w = w <= 76 ? 76 : w + (w % 2 != 0 ? 1 : 0);
    if (lyrics) {
        const int least = 2 * lyricLineHeight + 20;
        if (h <= least) h = least;
    } else {
        h = h <= 60 ? 60 : h + (h % 2 != 0 ? 1 : 0);
    }
}

void KeepVideoAspect(int& w, int& h, int videoWidth, int videoHeight, int screenMode) {
    if (videoWidth == 0 || videoHeight == 0 || screenMode == 3 || screenMode == 4) return;
    const float sx = float(w - 14) / float(videoWidth);
    const float sy = float(h - 20) / float(videoHeight);
    if (sx >= sy)
        h = int(std::trunc(float(videoHeight) * sx)) + 20;
    else
        w = int(std::trunc(float(videoWidth) * sy)) + 14;
}

}  // namespace slider_math
