#include "imaging/resampling/SampleBlending.h"

namespace Omvi
{
namespace SampleBlending
{

namespace
{
constexpr int kAlpha = 3;

bool transparent(const std::uint8_t* pixel) { return pixel[kAlpha] == 0; }
} // namespace

void blendRgb(const std::uint8_t* const* pixels, const Contribution* entries, std::int32_t count,
              bool alphaAware, std::uint8_t* out)
{
    std::int32_t clearCount = 0;
    if (alphaAware)
        for (std::int32_t k = 0; k < count; ++k)
            clearCount += transparent(pixels[k]) ? 1 : 0;

    if (clearCount == 0)
    {
        for (int c = 0; c < 4; ++c)
        {
            double sum = pixels[0][c] * static_cast<double>(entries[0].weight) + 0.5;
            for (std::int32_t k = 1; k < count; ++k)
                sum += pixels[k][c] * static_cast<double>(entries[k].weight);
            out[c] = byteFromSum(sum);
        }
        return;
    }
    if (clearCount == count)
    {
        std::memcpy(out, pixels[0], 3);
        out[kAlpha] = 0;
        return;
    }

    double sums[4] = {0.5, 0.5, 0.5, 0.5};
    for (std::int32_t k = 0; k < count; ++k)
    {
        const double weight = entries[k].weight;
        if (!transparent(pixels[k]))
        {
            for (int c = 0; c < 4; ++c)
                sums[c] += pixels[k][c] * weight;
            continue;
        }
        sums[kAlpha] -= 10.0 * weight;
        const std::uint8_t* substitute = nullptr;
        for (std::int32_t d = 1; d < count && substitute == nullptr; ++d)
        {
            if (k + d < count && !transparent(pixels[k + d]))
                substitute = pixels[k + d];
            else if (k - d >= 0 && !transparent(pixels[k - d]))
                substitute = pixels[k - d];
        }
        if (substitute != nullptr)
            for (int c = 0; c < 3; ++c)
                sums[c] += substitute[c] * weight;
    }
    for (int c = 0; c < 3; ++c)
        out[c] = byteFromSum(sums[c]);
    out[kAlpha] = byteFromSum(sums[kAlpha]) > 108 ? 255 : 0;
}

float blendFloat(const float* samples, const Contribution* entries, std::int32_t count, bool hasNoData,
                 double noData)
{
    auto missing = [&](float sample) { return hasNoData && static_cast<double>(sample) == noData; };

    double weighted = 0.0;    // A: weight x sample over valid samples
    double missingWeight = 0.0; // B
    double allWeight = 0.0;   // C
    double best = 0.0;
    float bestWeight = 0.0f;
    bool haveBest = false;
    float low = 0.0f;
    float high = 0.0f;
    std::int32_t valid = 0;
    for (std::int32_t k = 0; k < count; ++k)
    {
        const float weight = entries[k].weight;
        const float sample = samples[k];
        allWeight += weight;
        if (missing(sample))
        {
            missingWeight += weight;
            continue;
        }
        const double product = static_cast<double>(sample) * static_cast<double>(weight);
        weighted = valid == 0 ? product : weighted + product;
        if (valid == 0 || sample < low)
            low = sample;
        if (valid == 0 || sample > high)
            high = sample;
        if (!haveBest || weight > bestWeight)
        {
            best = sample;
            bestWeight = weight;
            haveBest = true;
        }
        ++valid;
    }
    if (valid == 0)
        return static_cast<float>(noData);
    double result = weighted;
    if (valid < count)
    {
        if (2.0 * missingWeight > allWeight)
            return static_cast<float>(noData);
        result = weighted + best * missingWeight;
    }
    if (result < low)
        result = low;
    else if (result > high)
        result = high;
    return static_cast<float>(result);
}

} // namespace SampleBlending
} // namespace Omvi
