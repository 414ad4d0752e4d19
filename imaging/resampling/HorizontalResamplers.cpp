#include "imaging/resampling/HorizontalResamplers.h"

#include "imaging/models/DataModel.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/OMVIException.h"
#include "imaging/resampling/ResamplingKernels.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/resampling/SampleBlending.h"

#include <algorithm>
#include <new>

namespace Omvi
{

using namespace SampleBlending;

std::uint16_t largestSample(std::int32_t bitsUsed)
{
    if (bitsUsed < 1 || bitsUsed > 16)
        bitsUsed = 16;
    return static_cast<std::uint16_t>((std::uint32_t{1} << bitsUsed) - 1);
}

HorizontalResampler::HorizontalResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind,
                                         SampleLayout layout, const char* className)
    : outWidth_(outWidth)
{
    constructGivingBack(input, [&] { construct(input, kind, layout, className); });
}

void HorizontalResampler::construct(RowProviderInterface* input, std::int32_t kind, SampleLayout layout,
                                    const char* className)
{
    std::unique_ptr<Resampler> kernel = createResampler(kind, resamplingEpsilon(layout));
    if (kernel == nullptr)
        throwInvalidArgument(className);
    if (input != nullptr && (outWidth_ < 1 || input->size().x < 1))
        throwInvalidSize();
    connectResamplingInput(*this, input, layout);

    RowProviderInterface* source = this->input(0);
    const PixelPair inputSize = source->size();
    inputWidth_ = inputSize.x;
    rowCount_ = inputSize.y;
    if (layout == SampleLayout::Bitonal)
        init({outWidth_, rowCount_}, RgbGrayModel());
    else
        init({outWidth_, rowCount_});
    inputRow_.resize(source->bytesPerRow());

    double ratio = static_cast<double>(outWidth_) / static_cast<double>(inputWidth_);
    const std::int32_t window = resamplingWindowFor(kernel->support(), ratio);
    const std::int64_t entries = static_cast<std::int64_t>(window) * outWidth_;
    if (entries > kMaxContributions)
        throwOutOfMemory("Resampling table too large");
    try
    {
        pool_.resize(static_cast<std::size_t>(entries));
        lists_.resize(static_cast<std::size_t>(outWidth_));
    }
    catch (const std::bad_alloc&)
    {
        throwOutOfMemory("Resampling table too large");
    }
    kernel->buildContributions(&ratio, inputWidth_, outWidth_, lists_.data(), pool_.data());
    setSource(source);
}

HorizontalResampler::~HorizontalResampler() = default;

std::int32_t HorizontalResampler::longestList() const
{
    std::int32_t longest = 0;
    for (const ContributionList& list : lists_)
        longest = std::max(longest, list.count);
    return longest;
}

std::int32_t HorizontalResampler::getNextRow(DataBuffer& out)
{
    if (rowsDone_ >= rowCount_)
        return 0;
    requireRowBytes(out, bytesPerRow());
    input(0)->getNextRow(inputRow_);
    resampleRow(inputRow_.data(), out.data());
    ++rowsDone_;
    return rowCount_ - rowsDone_;
}

void HorizontalResampler::skipRow(DataBuffer& scratch)
{
    if (rowsDone_ >= rowCount_)
        return;
    XResampler::skipRow(scratch);
    ++rowsDone_;
}

// Bitonal

BitonalXResampler::BitonalXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind)
    : HorizontalResampler(input, outWidth, kind, SampleLayout::Bitonal, "BitonalXResampler")
{
}

void BitonalXResampler::convertSourcePixel(ImagePixel& pixel)
{
    ImageFilter::convertSourcePixel(pixel);
    if (pixel.kind == kPixelBitonal)
        pixel = ImagePixel(kPixelGray, pixel.value != 0 ? 0u : 255u);
}

namespace
{
// The level of source column i: ink (a set bit) black, paper white.
inline std::uint8_t levelOfBit(const std::uint8_t* row, std::int32_t i)
{
    return (row[i >> 3] & (0x80 >> (i & 7))) != 0 ? 0 : 255;
}
} // namespace

void BitonalXResampler::resampleRow(const std::uint8_t* in, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < outWidth(); ++x)
    {
        const ContributionList& list = contributions(x);
        const Contribution* e = list.entries;
        out[x] = byteFromSum(roundingSum(e, list.count, [&](std::int32_t k) { return levelOfBit(in, e[k].index); }));
    }
}

// Gray

GrayXResampler::GrayXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind)
    : HorizontalResampler(input, outWidth, kind, SampleLayout::Gray, "GrayXResampler")
{
}

void GrayXResampler::resampleRow(const std::uint8_t* in, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < outWidth(); ++x)
    {
        const ContributionList& list = contributions(x);
        const Contribution* e = list.entries;
        out[x] = byteFromSum(roundingSum(e, list.count, [&](std::int32_t k) { return in[e[k].index]; }));
    }
}

// 16-bit

Data16XResampler::Data16XResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind)
    : HorizontalResampler(input, outWidth, kind, SampleLayout::Data16, "Data16XResampler"),
      maxValue_(largestSample(dataModel().bitsUsedPerPixel()))
{
}

void Data16XResampler::resampleRow(const std::uint8_t* in, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < outWidth(); ++x)
    {
        const ContributionList& list = contributions(x);
        const Contribution* e = list.entries;
        const double sum = roundingSum(e, list.count, [&](std::int32_t k) { return loadWord(in + 2 * e[k].index); });
        storeWord(out + 2 * x, wordFromSum(sum, minValue_, maxValue_));
    }
}

// Float

Float32XResampler::Float32XResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind,
                                     const float* noData)
    : HorizontalResampler(input, outWidth, kind, SampleLayout::Float32, "Float32XResampler"),
      hasNoData_(noData != nullptr), noData_(noData != nullptr ? *noData : 0.0)
{
    samples_.resize(static_cast<std::size_t>(longestList()));
}

void Float32XResampler::resampleRow(const std::uint8_t* in, std::uint8_t* out)
{
    float* samples = samples_.data();
    for (std::int32_t x = 0; x < outWidth(); ++x)
    {
        const ContributionList& list = contributions(x);
        for (std::int32_t k = 0; k < list.count; ++k)
            samples[k] = loadFloat(in + 4 * list.entries[k].index);
        storeFloat(out + 4 * x, blendFloat(samples, list.entries, list.count, hasNoData_, noData_));
    }
}

// RGB

RgbXResampler::RgbXResampler(RowProviderInterface* input, std::int32_t outWidth, std::int32_t kind)
    : HorizontalResampler(input, outWidth, kind, SampleLayout::Rgb, "RgbXResampler"),
      alphaAware_(this->input(0)->dataModel().bitsUsedPerPixel() == 32)
{
    pixels_.resize(static_cast<std::size_t>(longestList()));
}

void RgbXResampler::resampleRow(const std::uint8_t* in, std::uint8_t* out)
{
    for (std::int32_t x = 0; x < outWidth(); ++x)
    {
        const ContributionList& list = contributions(x);
        const Contribution* e = list.entries;
        std::uint8_t* target = out + 4 * x;
        bool plain = true;
        if (alphaAware_)
            for (std::int32_t k = 0; k < list.count && plain; ++k)
                plain = in[4 * e[k].index + 3] != 0;
        if (!plain)
        {
            for (std::int32_t k = 0; k < list.count; ++k)
                pixels_[static_cast<std::size_t>(k)] = in + 4 * e[k].index;
            blendRgb(pixels_.data(), e, list.count, true, target);
            continue;
        }
        const std::uint8_t* p = in + 4 * e[0].index;
        double w = e[0].weight;
        double s0 = p[0] * w + 0.5;
        double s1 = p[1] * w + 0.5;
        double s2 = p[2] * w + 0.5;
        double s3 = p[3] * w + 0.5;
        for (std::int32_t k = 1; k < list.count; ++k)
        {
            p = in + 4 * e[k].index;
            w = e[k].weight;
            s0 += p[0] * w;
            s1 += p[1] * w;
            s2 += p[2] * w;
            s3 += p[3] * w;
        }
        target[0] = byteFromSum(s0);
        target[1] = byteFromSum(s1);
        target[2] = byteFromSum(s2);
        target[3] = byteFromSum(s3);
    }
}

} // namespace Omvi
