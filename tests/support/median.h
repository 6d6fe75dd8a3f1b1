#pragma once

#include <algorithm>
#include <vector>

// The middle of a set of measured times (the upper one of the two middles of
// an even count): the figure the benchmarks print beside the worst.
inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
