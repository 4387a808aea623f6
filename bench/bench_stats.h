// The middle of a set of timings: one slow run on a busy machine does not move it.
#pragma once

#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The median of `rounds` timings of `work`, in nanoseconds per call of a batch of `batch`.
inline double MedianNs(int rounds, int batch, const std::function<void()>& work) {
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < batch; ++i) work();
        times.push_back(double(clock.nsecsElapsed()) / batch);
    }
    return Median(std::move(times));
}

}  // namespace bench
