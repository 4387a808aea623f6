#include "player/core/volume.h"

#include <algorithm>
#include <cmath>

namespace {

// Truncated toward zero, with out-of-range values clamped before they become integers.
int Trunc(long double value) {
    if (std::isnan(value)) return 0;
    return int(std::clamp<long double>(std::trunc(value), -2147483648.0L, 2147483647.0L));
}

}  // namespace

int VolumeFromWord(quint32 word) {
    const quint32 left = word & 0xFFFF;
    const quint32 right = word >> 16;
    const quint32 channel = (left >> 8) > (right >> 8) ? left : right;
    return int(std::nearbyint(double(channel) / 65535.0 * 100.0));
}

int BalanceFromWord(quint32 word, int current) {
    const quint32 left = word & 0xFFFF;
    const quint32 right = word >> 16;
    if ((left >> 8) > (right >> 8)) {
        if (left != 0) return -Trunc((1.0L - (long double)right / left) * 100);
        return current;
    }
    if ((right >> 8) != 0) return Trunc((1.0L - (long double)left / right) * 100);
    return current;
}

quint32 WordFromVolume(int volume, int balance) {
    const long double v = volume * 2.55L;
    int left = Trunc(v);
    int right = Trunc(v);
    if (balance > 0) left = Trunc(v * (100 - balance) / 100);
    if (balance < 0) right = Trunc(v * (balance + 100) / 100);
    // A volume outside 0..100 never spills into the other channel.
    left = std::clamp(left, 0, 255);
    right = std::clamp(right, 0, 255);
    return quint32(left) * 256u | (quint32(right) * 256u) << 16;
}

int PluginVolume(int volume) { return Trunc(volume * 2.55L); }
int PluginPan(int balance) { return Trunc(balance * 1.275L); }
