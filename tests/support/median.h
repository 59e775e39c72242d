// The middle of a set of measurements: what the benchmarks compare, as one slow run does not move it.
#pragma once

#include <algorithm>
#include <vector>

namespace support {

// 0 for no values; the mean of the two middle ones for an even count.
inline double median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t mid = values.size() / 2;
    return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace support
