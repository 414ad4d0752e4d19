#include "imaging/resampling/VerticalResamplers.h"

#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/ResamplingKernels.h"
#include "imaging/resampling/SampleBlending.h"
#include "imaging/resampling/XResampler.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace Omvi
{

using namespace SampleBlending;

namespace
{
// Samples summed together per pass over the rows: the sums stay in the
// first-level cache while every row adds to them.
constexpr std::int32_t kBlock = 512;
} // namespace

VerticalResampler::VerticalResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind,
                                     SampleLayout layout, const char* className)
    : outHeight_(outHeight)
{
    constructGivingBack(input, [&] { construct(input, kind, layout, className); });
}

void VerticalResampler::construct(RowProviderInterface* input, std::int32_t kind, SampleLayout layout,
                                  const char* className)
{
    kernel_ = createResampler(kind, resamplingEpsilon(layout));
    if (kernel_ == nullptr)
        throwInvalidArgument(className);
    if (input != nullptr && (outHeight_ < 1 || input->size().y < 1))
        throwInvalidSize();
    connectResamplingInput(*this, input, layout);

    RowProviderInterface* source = this->input(0);
    const PixelPair inputSize = source->size();
    width_ = inputSize.x;
    inHeight_ = inputSize.y;
    init({width_, outHeight_});

    ratio_ = static_cast<double>(outHeight_) / static_cast<double>(inHeight_);
    double half = kernel_->support();
    if (half >= inHeight_)
        half = inHeight_;
    if (ratio_ < 1.0)
    {
        invRatio_ = 1.0 / ratio_;
        halfWidth_ = half * invRatio_;
    }
    else
    {
        halfWidth_ = half;
    }
    const double window = std::trunc(2.0 * halfWidth_ + 1.0);
    if (window > static_cast<double>(kMaxContributions))
        throwOutOfMemory("Resampling window too large");
    const auto entries = static_cast<std::int32_t>(window);
    // A short input is held whole: every folded position lies inside it, so
    // no row past its end is ever asked for.
    ringSize_ = std::min(entries, inHeight_);
    try
    {
        entries_.resize(static_cast<std::size_t>(entries));
        rowPointers_.resize(static_cast<std::size_t>(entries));
        ring_.resize(static_cast<std::size_t>(ringSize_));
        sums_.resize(static_cast<std::size_t>(kBlock));
    }
    catch (const std::bad_alloc&)
    {
        throwOutOfMemory("Resampling window too large");
    }
    const std::int32_t rowBytes = source->bytesPerRow();
    for (std::int32_t k = 0; k < ringSize_; ++k)
    {
        ring_[static_cast<std::size_t>(k)].resize(rowBytes);
        source->getNextRow(ring_[static_cast<std::size_t>(k)]);
        ++lastRead_;
    }
}

VerticalResampler::~VerticalResampler() = default;

DataBuffer& VerticalResampler::ringRow(std::int32_t slot)
{
    return ring_[static_cast<std::size_t>((ringStart_ + slot) % ringSize_)];
}

std::int32_t VerticalResampler::getNextRow(DataBuffer& out)
{
    if (outRow_ >= outHeight_)
        return 0;
    requireRowBytes(out, bytesPerRow());

    const double center = outRow_ / ratio_;
    const double shrink = ratio_ < 1.0 ? 1.0 / invRatio_ : 0.0;
    entryCount_ = kernel_->contributionsAt(center, halfWidth_, shrink, inHeight_, entries_.data(),
                                           entryCapacity());
    std::int32_t low = entries_[0].index;
    std::int32_t high = low;
    for (std::int32_t k = 1; k < entryCount_; ++k)
    {
        low = std::min(low, entries_[static_cast<std::size_t>(k)].index);
        high = std::max(high, entries_[static_cast<std::size_t>(k)].index);
    }

    RowProviderInterface* source = input(0);
    if (low > lastRead_)
        if (auto* resampler = dynamic_cast<XResampler*>(source))
            while (lastRead_ < low - 1)
            {
                resampler->skipRow(skipScratch_);
                ++lastRead_;
            }
    while (lastRead_ < high)
    {
        ringStart_ = (ringStart_ + 1) % ringSize_;
        source->getNextRow(ringRow(ringSize_ - 1));
        ++lastRead_;
    }

    const std::int32_t base = lastRead_ - ringSize_ + 1;
    for (std::int32_t k = 0; k < entryCount_; ++k)
    {
        const std::int32_t slot = std::clamp(entries_[static_cast<std::size_t>(k)].index - base, 0, ringSize_ - 1);
        rowPointers_[static_cast<std::size_t>(k)] = ringRow(slot).data();
    }
    combineRows(rowPointers_.data(), entries_.data(), entryCount_, out.data());
    ++outRow_;
    return outHeight_ - outRow_;
}

void VerticalResampler::combineBytes(const std::uint8_t* const* rows, const Contribution* entries,
                                     std::int32_t count, std::int32_t bytes, std::uint8_t* out)
{
    double* sums = sums_.data();
    for (std::int32_t start = 0; start < bytes; start += kBlock)
    {
        const std::int32_t n = std::min(kBlock, bytes - start);
        const std::uint8_t* row = rows[0] + start;
        const double first = entries[0].weight;
        for (std::int32_t i = 0; i < n; ++i)
            sums[i] = row[i] * first + 0.5;
        for (std::int32_t k = 1; k < count; ++k)
        {
            row = rows[k] + start;
            const double weight = entries[k].weight;
            for (std::int32_t i = 0; i < n; ++i)
                sums[i] += row[i] * weight;
        }
        std::uint8_t* target = out + start;
        for (std::int32_t i = 0; i < n; ++i)
            target[i] = byteFromSum(sums[i]);
    }
}

// Gray

GrayYResampler::GrayYResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind)
    : VerticalResampler(input, outHeight, kind, SampleLayout::Gray, "GrayYResampler")
{
}

void GrayYResampler::combineRows(const std::uint8_t* const* rows, const Contribution* entries,
                                 std::int32_t count, std::uint8_t* out)
{
    combineBytes(rows, entries, count, width(), out);
}

// 16-bit

Data16YResampler::Data16YResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind)
    : VerticalResampler(input, outHeight, kind, SampleLayout::Data16, "Data16YResampler"),
      maxValue_(largestSample(dataModel().bitsUsedPerPixel()))
{
}

void Data16YResampler::combineRows(const std::uint8_t* const* rows, const Contribution* entries,
                                   std::int32_t count, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < width(); ++x)
    {
        const double sum = roundingSum(entries, count, [&](std::int32_t k) { return loadWord(rows[k] + 2 * x); });
        storeWord(out + 2 * x, wordFromSum(sum, minValue_, maxValue_));
    }
}

// Float

Float32YResampler::Float32YResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind,
                                     const float* noData)
    : VerticalResampler(input, outHeight, kind, SampleLayout::Float32, "Float32YResampler"),
      hasNoData_(noData != nullptr), noData_(noData != nullptr ? *noData : 0.0),
      samples_(static_cast<std::size_t>(entryCapacity()))
{
}

void Float32YResampler::combineRows(const std::uint8_t* const* rows, const Contribution* entries,
                                    std::int32_t count, std::uint8_t* out)
{
    float* samples = samples_.data();
    for (std::int32_t x = 0; x < width(); ++x)
    {
        for (std::int32_t k = 0; k < count; ++k)
            samples[k] = loadFloat(rows[k] + 4 * x);
        storeFloat(out + 4 * x, blendFloat(samples, entries, count, hasNoData_, noData_));
    }
}

// RGB

RgbYResampler::RgbYResampler(RowProviderInterface* input, std::int32_t outHeight, std::int32_t kind)
    : VerticalResampler(input, outHeight, kind, SampleLayout::Rgb, "RgbYResampler"),
      alphaAware_(this->input(0)->dataModel().bitsUsedPerPixel() == 32),
      pixels_(static_cast<std::size_t>(entryCapacity()))
{
}

void RgbYResampler::combineRows(const std::uint8_t* const* rows, const Contribution* entries,
                                std::int32_t count, std::uint8_t* out)
{
    // Every byte as a level first; then the pixels that have a transparent
    // colour among their contributions are made again by the alpha rule.
    combineBytes(rows, entries, count, 4 * width(), out);
    if (!alphaAware_)
        return;
    for (std::int32_t x = 0; x < width(); ++x)
    {
        const std::int32_t alpha = 4 * x + 3;
        bool anyClear = false;
        for (std::int32_t k = 0; k < count && !anyClear; ++k)
            anyClear = rows[k][alpha] == 0;
        if (!anyClear)
            continue;
        for (std::int32_t k = 0; k < count; ++k)
            pixels_[static_cast<std::size_t>(k)] = rows[k] + 4 * x;
        blendRgb(pixels_.data(), entries, count, true, out + 4 * x);
    }
}

} // namespace Omvi
