#pragma once
// The median of a benchmark's own samples: the figure to quote from runs on
// a shared machine, where one slow run must not move it.
#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench_figures
{

// 0 for no samples; the mean of the middle two for an even count.
inline double Median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace bench_figures
