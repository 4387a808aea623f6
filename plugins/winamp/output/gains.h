// How the output plug-in's volume and pan combine with the device volume word: one overall gain
// for a volume element and a balance for a panorama element in its simple mode (which only ever
// attenuates one side), so that left and right come out as
//   left  = volume/255 x device left  x (pan > 0 ? 1 - pan/127 : 1)
//   right = volume/255 x device right x (pan < 0 ? 1 + pan/127 : 1).
#pragma once

#include <algorithm>

namespace velmora_output {

struct Gains {
    double volume = 1.0;    // 0..1
    double panorama = 0.0;  // -1 (right side silent) .. 1 (left side silent)
};

inline Gains CombineGains(int volume, int pan, unsigned int deviceWord) {
    const double v = std::clamp(volume, 0, 255) / 255.0;
    const double p = std::clamp(pan / 127.0, -1.0, 1.0);
    const double left = v * (deviceWord & 0xFFFFu) / 65535.0 * (p > 0 ? 1 - p : 1);
    const double right = v * (deviceWord >> 16) / 65535.0 * (p < 0 ? 1 + p : 1);
    const double top = std::max(left, right);
    if (top <= 0) return {0.0, 0.0};
    if (left < right) return {top, 1 - left / right};
    if (right < left) return {top, right / left - 1};
    return {top, 0.0};
}

}  // namespace velmora_output
