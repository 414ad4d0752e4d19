#pragma once
// The direction of a vector of three doubles, of any length a double holds.
//
// The host gives axes and normals as vectors whose length does not count.
// Squaring their components as they are overflows for components near the
// largest double (1.1e308 each has a finite vector but an infinite length)
// and underflows for subnormal ones (1e-321 squared is 0), and dividing by a
// length that is itself subnormal keeps only the few bits that length has.
// Dividing by the largest component first gives a vector whose largest
// component is exactly 1, whose length lies between 1 and the square root
// of 3: it is then normalised to full precision.
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace unit_vector
{

// (x, y, z) scaled to length 1; nothing for a vector of no length or with a
// component that is infinite or not a number.
inline std::optional<std::array<double, 3>> Of(double x, double y, double z)
{
    const double largest = std::max(std::fabs(x), std::max(std::fabs(y), std::fabs(z)));
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z) || largest == 0.0)
        return std::nullopt;
    const double u = x / largest;
    const double v = y / largest;
    const double w = z / largest;
    const double length = std::sqrt(u * u + v * v + w * w);
    return std::array<double, 3>{u / length, v / length, w / length};
}

} // namespace unit_vector
