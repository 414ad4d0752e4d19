#pragma once

#include <algorithm>

namespace w3d::eb
{

// Sorts values[first..last] (inclusive) ascending. An introsort: median-of-three
// quicksort that turns to heapsort before its recursion grows deep, so runs of
// equal values cost no more than any other input.
inline void sort_ints(int* values, int first, int last)
{
    if (values && first < last)
        std::sort(values + first, values + last + 1);
}

} // namespace w3d::eb
