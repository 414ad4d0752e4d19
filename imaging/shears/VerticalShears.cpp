#include "imaging/shears/VerticalShears.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/conversions/ColorModelRule.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/resampling/ResamplingInput.h"
#include "imaging/shears/ShearPoints.h"
#include "imaging/shears/ShearSetup.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace Omvi
{

namespace
{
// The most bytes of window and tables one shear holds (4 GiB).
constexpr std::int64_t kMaxShearBytes = std::int64_t{1} << 32;
} // namespace

VerticalShear::VerticalShear(RowProviderInterface* input, double factor, ImagePixel background, bool rgb,
                             bool alpha, const char* className)
    : factor_(factor), background_(background), rgb_(rgb), alpha_(alpha), pixelBytes_(rgb ? 4 : 1)
{
    constructGivingBack(input, [&] { construct(input, className); });
}

void VerticalShear::construct(RowProviderInterface* input, const char* className)
{
    const PixelPair size = connectShearInput(*this, input, factor_, rgb_, className);
    RowProviderInterface* source = this->input(0);
    width_ = size.x;
    inHeight_ = size.y;
    const std::int32_t extra = verticalShearExtraRows(width_, factor_);
    if (extra < 0 || inHeight_ > std::numeric_limits<std::int32_t>::max() - extra)
        throwInvalidSize();
    outHeight_ = inHeight_ + extra;
    init({width_, outHeight_});

    backgroundWord_ = shearFillWord(*this, background_, rgb_, className);

    referenceColumns_ = factor_ >= 0.0 ? width_ : 1;
    maxShift_ = (factor_ >= 0.0 ? referenceColumns_ - 1.0 : static_cast<double>(referenceColumns_) - width_) * factor_;
    windowHeight_ = extra + 1;

    const std::int32_t lineBytes = source->bytesPerRow();
    const std::int64_t bytes = static_cast<std::int64_t>(windowHeight_) * lineBytes + std::int64_t{257} * width_;
    if (bytes > kMaxShearBytes)
        throwOutOfMemory("Shear window too large");
    window_.allocate(windowHeight_, lineBytes);
    try
    {
        shifts_.resize(static_cast<std::size_t>(width_));
        tables_.resize(static_cast<std::size_t>(width_) * 256);
        carries_.resize(static_cast<std::size_t>(width_) * pixelBytes_);
    }
    catch (const std::bad_alloc&)
    {
        throwOutOfMemory("Shear window too large");
    }
    if (!rgb_)
    {
        shearer_.reset(createRowShearer(kDataTypeEightBit, width_, false));
        if (shearer_ == nullptr)
            throwOutOfMemory("Out of memory");
    }

    for (std::int32_t line = 0; line + 1 < windowHeight_; ++line)
        fillBackground(window_.line(line));
    readLine();

    const auto* background = reinterpret_cast<const std::uint8_t*>(&backgroundWord_);
    for (std::int32_t x = 0; x < width_; ++x)
    {
        const double s = (static_cast<double>(referenceColumns_) - width_ + x) * factor_;
        const double ceiling = std::ceil(s);
        const auto shift = static_cast<std::int32_t>(std::min(ceiling, static_cast<double>(windowHeight_ - 1)));
        shifts_[static_cast<std::size_t>(x)] = std::max(shift, 0);
        const double weight = ceiling - s;
        std::uint8_t* table = tables_.data() + static_cast<std::size_t>(x) * 256;
        for (int v = 0; v < 256; ++v)
            table[v] = static_cast<std::uint8_t>(v * weight);
        takeCarry(x, background, carries_.data() + static_cast<std::size_t>(x) * pixelBytes_);
    }
}

VerticalShear::~VerticalShear() = default;

void VerticalShear::fillBackground(std::uint8_t* line) const
{
    if (rgb_)
        fillRow32(line, backgroundWord_, width_);
    else
        fillRow8(line, static_cast<std::uint8_t>(backgroundWord_), width_);
}

void VerticalShear::readLine()
{
    if (rowsConsumed_ >= inHeight_)
    {
        fillBackground(window_.data());
        return;
    }
    input(0)->getNextRow(window_);
    ++rowsConsumed_;
}

void VerticalShear::takeCarry(std::int32_t x, const std::uint8_t* pixel, std::uint8_t* carry) const
{
    const std::uint8_t* table = tables_.data() + static_cast<std::size_t>(x) * 256;
    if (!rgb_)
    {
        carry[0] = table[pixel[0]];
        return;
    }
    for (int c = 0; c < 3; ++c)
        carry[c] = table[pixel[c]];
    carry[3] = alpha_ ? table[pixel[3]] : 0;
}

std::int32_t VerticalShear::getNextRow(DataBuffer& out)
{
    if (rowsProduced_ >= outHeight_)
        return 0;
    requireRowBytes(out, bytesPerRow());
    std::uint8_t* target = out.data();
    if (!rgb_)
    {
        shearer_->shearColumns(target, window_.lines(), shifts_.data(), tables_.data(), carries_.data());
    }
    else
    {
        const int blended = alpha_ ? 4 : 3;
        for (std::int32_t x = 0; x < width_; ++x)
        {
            const std::uint8_t* v = windowPixel(shifts_[static_cast<std::size_t>(x)], x);
            const std::uint8_t* table = tables_.data() + static_cast<std::size_t>(x) * 256;
            std::uint8_t* carry = carries_.data() + static_cast<std::size_t>(x) * 4;
            std::uint8_t* pixel = target + static_cast<std::size_t>(x) * 4;
            for (int c = 0; c < blended; ++c)
            {
                const std::uint8_t moved = table[v[c]];
                pixel[c] = static_cast<std::uint8_t>(v[c] - moved + carry[c]);
                carry[c] = moved;
            }
            if (!alpha_)
                pixel[3] = v[3];
        }
    }
    window_.scroll();
    readLine();
    ++rowsProduced_;
    return outHeight_ - rowsProduced_;
}

std::int32_t VerticalShear::skipRows(std::int32_t count)
{
    // Each dropped row leaves behind the carries it would have left: the
    // moving part of the samples it would have read.
    for (std::int32_t n = 0; n < count && rowsProduced_ + n < outHeight_; ++n)
    {
        for (std::int32_t x = 0; x < width_; ++x)
            takeCarry(x, windowPixel(shifts_[static_cast<std::size_t>(x)], x),
                      carries_.data() + static_cast<std::size_t>(x) * pixelBytes_);
        window_.scroll();
        readLine();
    }
    rowsProduced_ += count;
    return count;
}

GrayYShear::GrayYShear(RowProviderInterface* input, const double& factor, ImagePixel background)
    : VerticalShear(input, factor, background, false, false, "GrayYShear")
{
}

RgbYShear::RgbYShear(RowProviderInterface* input, const double& factor, ImagePixel background, bool alpha)
    : VerticalShear(input, factor, background, true, alpha, "RgbYShear")
{
}

RowProviderInterface* createYShear(RowProviderInterface* input, const double& factor, ImagePixel background,
                                   bool alphaWanted)
{
    if (input == nullptr)
        return nullptr;
    if (auto* filter = dynamic_cast<ImageFilter*>(input))
        filter->convertSourcePixel(background);
    input = applyColorModelRule(input);
    const DataModel& model = input->dataModel();
    switch (model.colorSpace())
    {
    case kColorSpaceNone:
        // Only byte samples can be weighed; 1-bit rows would be read as
        // bytes far past their end.
        if (model.dataType() != kDataTypeEightBit)
            return nullptr;
        background.kind = kPixelGray;
        return new GrayYShear(input, factor, background);
    case kColorSpaceBitonal:
        return new GrayYShear(input, factor, background);
    case kColorSpaceGray:
        if (alphaWanted && !static_cast<const RgbGrayModel&>(model).isOpaque())
            return new RgbYShear(input, factor, background, true);
        return new GrayYShear(input, factor, background);
    case kColorSpacePalette:
    case kColorSpaceRgb:
        return new RgbYShear(input, factor, background, alphaWanted);
    default:
        return nullptr;
    }
}

} // namespace Omvi
