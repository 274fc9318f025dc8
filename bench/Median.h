#pragma once
// The middle of a set of timings: the benchmarks' figure of choice, as one
// slow round on a busy machine does not move it.

#include <algorithm>
#include <vector>

inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}
