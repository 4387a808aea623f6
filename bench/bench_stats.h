// The middle of a set of timings: one slow run on a busy machine does not move it.
#pragma once

#include <algorithm>
#include <vector>

namespace bench {

inline double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace bench
