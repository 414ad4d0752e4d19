#include "imaging/resampling/ResamplingKind.h"

#include <cmath>
#include <limits>

namespace Omvi
{

bool isResamplingKernel(std::int32_t kind)
{
    return kind >= kResampleTriangle && kind <= kResampleMitchell;
}

double resamplingSupport(std::int32_t kind)
{
    switch (kind)
    {
    case kResampleTriangle:
    case kResampleCubic:
        return 1.0;
    case kResampleBell:
        return 1.5;
    case kResampleBSpline:
    case kResampleMitchell:
        return 2.0;
    default:
        return 3.0;
    }
}

std::int32_t resamplingWindowFor(double support, double ratio)
{
    constexpr std::int32_t kNoWindow = std::numeric_limits<std::int32_t>::max();
    if (!(ratio > 0.0) || !std::isfinite(support))
        return kNoWindow;
    const double window = ratio >= 1.0 ? 2.0 * std::trunc(support) + 1.0 : 2.0 * support / ratio + 1.0;
    if (!(window < static_cast<double>(kNoWindow)))
        return kNoWindow;
    return static_cast<std::int32_t>(window);
}

std::int32_t resamplingWindow(std::int32_t from, std::int32_t to, std::int32_t kind)
{
    if (from < 1 || to < 1)
        return std::numeric_limits<std::int32_t>::max();
    const double ratio = static_cast<double>(to) / static_cast<double>(from);
    return resamplingWindowFor(resamplingSupport(kind), ratio);
}

} // namespace Omvi
