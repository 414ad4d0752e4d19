#pragma once
// How one output sample is made from its contributions, shared by the
// horizontal and the vertical resamplers: products of a sample and a float
// weight (exact in double precision), summed in double precision in entry
// order, the first product starting the sum; integer samples add 0.5 and
// are truncated toward zero and clamped.
#include "imaging/resampling/Resampler.h"

#include <cstdint>
#include <cstring>

namespace Omvi
{
namespace SampleBlending
{

// The weighted sum of an integer sample over `count` contributions, holding
// the 0.5 that truncation rounds with: sampleOf(k) is the sample of entry k.
template <class SampleOf>
double roundingSum(const Contribution* entries, std::int32_t count, SampleOf sampleOf)
{
    double sum = sampleOf(0) * static_cast<double>(entries[0].weight) + 0.5;
    for (std::int32_t k = 1; k < count; ++k)
        sum += sampleOf(k) * static_cast<double>(entries[k].weight);
    return sum;
}

// A sum that already holds the 0.5, truncated and clamped to 0..255.
inline std::uint8_t byteFromSum(double sum)
{
    if (!(sum >= 0.0)) // negative (truncation gives 0 above -1 as well), or NaN
        return 0;
    if (sum >= 256.0)
        return 255;
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(sum));
}

// The same for 16-bit samples, clamped to [low, high].
inline std::uint16_t wordFromSum(double sum, std::uint16_t low, std::uint16_t high)
{
    if (!(sum > -1.0)) // truncates below 0, or NaN
        return low;
    if (sum >= static_cast<double>(high) + 1.0)
        return high;
    const auto value = static_cast<std::int32_t>(sum);
    return value < low ? low : static_cast<std::uint16_t>(value);
}

// One 32-bit colour from the colours at pixels[0 .. count-1] (four bytes
// each, alpha in byte 3) weighted by entries[k].weight. Without `alphaAware`
// each byte is resampled as a gray level. With it, transparent colours
// (alpha 0) take part only through their weight: it is lent to the nearest
// opaque colour of the list (looking at k + d before k - d) for the colour
// bytes, and counts 10 times against the alpha, which ends as 255 above 108
// and 0 otherwise. When every colour is transparent the first one is taken
// with alpha 0.
void blendRgb(const std::uint8_t* const* pixels, const Contribution* entries, std::int32_t count,
              bool alphaAware, std::uint8_t* out);

// One float sample from samples[0 .. count-1]. The weighted sum is clamped to
// the range of the contributing samples. With `hasNoData`, samples equal to
// `noData` are missing: when they weigh more than half of all weights the
// result is `noData`, otherwise their share goes to the valid sample of the
// largest weight.
float blendFloat(const float* samples, const Contribution* entries, std::int32_t count, bool hasNoData,
                 double noData);

inline float loadFloat(const std::uint8_t* bytes)
{
    float value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}
inline void storeFloat(std::uint8_t* bytes, float value) { std::memcpy(bytes, &value, sizeof value); }
inline std::uint16_t loadWord(const std::uint8_t* bytes)
{
    std::uint16_t value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}
inline void storeWord(std::uint8_t* bytes, std::uint16_t value) { std::memcpy(bytes, &value, sizeof value); }

} // namespace SampleBlending
} // namespace Omvi
