#include "imaging/resampling/Resampler.h"

#include "imaging/resampling/ResamplingKind.h"

#include <algorithm>
#include <cmath>

namespace Omvi
{

Resampler::~Resampler() = default;

std::int32_t Resampler::fold(std::int64_t position, std::int32_t size)
{
    if (position < 0)
        position = -position;
    else if (position >= size)
        position = 2 * static_cast<std::int64_t>(size) - position - 1;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(position, 0, std::max(size - 1, 0)));
}

std::int32_t Resampler::contributionsAt(double center, double halfWidth, double shrink, std::int32_t srcSize,
                                        Contribution* out, std::int32_t capacity) const
{
    if (srcSize < 1 || capacity < 1)
        return 0;
    // Positions are kept in 64 bits: a strong reduction of a wide source
    // reaches beyond the int32 range before folding.
    const double rightEdge = std::trunc(center + halfWidth);
    const double leftEdge = std::trunc(center - halfWidth + 1.0);
    const auto right = static_cast<std::int64_t>(std::min(rightEdge, 4.0e18));
    const auto left = static_cast<std::int64_t>(std::max(leftEdge, -4.0e18));
    const double threshold = epsilon();
    std::int32_t count = 0;
    for (std::int64_t j = left; j <= right && count < capacity; ++j)
    {
        const double distance = center - static_cast<double>(j);
        const double weight = shrink != 0.0 ? filter(distance * shrink) * shrink : filter(distance);
        if (threshold < std::fabs(weight))
            out[count++] = Contribution{static_cast<float>(weight), fold(j, srcSize)};
    }
    // The weights are scaled to sum to 1. Kernel samples alone do not: a
    // Triangle stretched by 4/3 sums to anything from 0.94 to 1.13 across
    // the row, which shows as bands of brightness, and a window cut short
    // at an edge loses part of the kernel. Lists that already sum to 1 keep
    // their weights exactly.
    double sum = 0.0;
    for (std::int32_t k = 0; k < count; ++k)
        sum += static_cast<double>(out[k].weight);
    if (sum > 0.0 && sum != 1.0)
        for (std::int32_t k = 0; k < count; ++k)
            out[k].weight = static_cast<float>(static_cast<double>(out[k].weight) / sum);
    if (count == 0)
    {
        // Every weight vanished (a reduction of some ten thousand to one):
        // the nearest sample stands in rather than nothing.
        const double nearest = std::trunc(center + 0.5);
        const double clamped = std::clamp(nearest, 0.0, static_cast<double>(srcSize - 1));
        out[count++] = Contribution{1.0f, static_cast<std::int32_t>(clamped)};
    }
    return count;
}

void Resampler::buildContributions(const double* scale, std::int32_t srcSize, std::int32_t dstSize,
                                   ContributionList* lists, Contribution* pool) const
{
    if (dstSize < 1)
        return;
    double half = support();
    if (half >= srcSize)
        half = srcSize;
    const double inv = 1.0 / *scale;
    const bool reducing = *scale < 1.0;
    const double width = reducing ? half * inv : half;
    const double shrink = reducing ? 1.0 / inv : 0.0;
    const std::int32_t capacity = resamplingWindowFor(support(), *scale);
    std::int64_t total = 0;
    for (std::int32_t i = 0; i < dstSize; ++i)
    {
        ContributionList& list = lists[i];
        list.entries = pool + total;
        const double center = static_cast<double>(i) * inv;
        list.count = contributionsAt(center, width, shrink, srcSize, list.entries, capacity);
        total += list.count;
    }
}

} // namespace Omvi
