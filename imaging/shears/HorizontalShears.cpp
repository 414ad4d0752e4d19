#include "imaging/shears/HorizontalShears.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/conversions/ColorModelRule.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/resampling/ResamplingInput.h"
#include "imaging/shears/ShearPoints.h"
#include "imaging/shears/ShearSetup.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace Omvi
{

void buildFractionTable(std::uint8_t table[256], const double& f)
{
    table[0] = 0;
    for (int v = 1; v < 256; ++v)
        table[v] = static_cast<std::uint8_t>(std::clamp(roundToInt(v * f), 0, 255));
}

HorizontalShear::HorizontalShear(RowProviderInterface* input, double factor, ImagePixel clear, bool rgb,
                                 const char* className)
    : factor_(factor), clear_(clear), pixelBytes_(rgb ? 4 : 1)
{
    constructGivingBack(input, [&] { construct(input, rgb, className); });
}

void HorizontalShear::construct(RowProviderInterface* input, bool rgb, const char* className)
{
    const PixelPair size = connectShearInput(*this, input, factor_, rgb, className);
    inWidth_ = size.x;
    inHeight_ = size.y;
    const std::int32_t extra = horizontalShearExtraColumns(inHeight_, factor_);
    if (extra < 0 || inWidth_ > std::numeric_limits<std::int32_t>::max() - extra)
        throwInvalidSize();
    outWidth_ = inWidth_ + extra;
    outHeight_ = inHeight_;
    init({outWidth_, outHeight_});

    clearWord_ = shearFillWord(*this, clear_, rgb, className);

    rowsLeft_ = outHeight_;
    t0_ = factor_ < 0.0 ? 1 : outHeight_;
    // Shearer widths are in bytes: four per RGB pixel.
    shearer_.reset(createRowShearer(rgb ? kDataTypeThirtyTwoBit : kDataTypeEightBit, pixelBytes_ * inWidth_, false));
    if (shearer_ == nullptr)
        throwOutOfMemory("Out of memory");
}

HorizontalShear::~HorizontalShear() = default;

void HorizontalShear::fillClear(std::uint8_t* row, std::int32_t first, std::int32_t end) const
{
    first = std::max(first, 0);
    end = std::min(end, outWidth_);
    if (end <= first)
        return;
    if (pixelBytes_ == 4)
        fillRow32(row + 4 * static_cast<std::size_t>(first), clearWord_, end - first);
    else
        fillRow8(row + first, static_cast<std::uint8_t>(clearWord_), end - first);
}

void HorizontalShear::addClearShare(std::uint8_t* pixel) const
{
    const auto* clear = reinterpret_cast<const std::uint8_t*>(&clearWord_);
    for (std::int32_t c = 0; c < pixelBytes_; ++c)
        pixel[c] = static_cast<std::uint8_t>(pixel[c] + table_[clear[c]]);
}

std::int32_t HorizontalShear::getNextRow(DataBuffer& row)
{
    if (rowsLeft_ <= 0)
        return 0;
    requireRowBytes(row, bytesPerRow());
    const std::int32_t t = t0_ - rowsLeft_;
    const double shift = t * factor_;
    const std::int32_t whole = static_cast<std::int32_t>(std::ceil(shift));
    const double fraction = whole - shift;
    std::uint8_t* bytes = row.data();
    input(0)->getNextRow(row);

    const std::size_t rowBytes = static_cast<std::size_t>(pixelBytes_) * static_cast<std::size_t>(inWidth_);
    if (fraction * 255.0 < 1.0)
    {
        const std::int32_t move = std::clamp(roundToInt(shift), 0, outWidth_ - inWidth_);
        fillClear(bytes, move + inWidth_, outWidth_);
        std::memmove(bytes + static_cast<std::size_t>(move) * pixelBytes_, bytes, rowBytes);
        fillClear(bytes, 0, move);
    }
    else
    {
        const std::int32_t move = std::clamp(whole, 0, outWidth_ - inWidth_ - 1);
        fillClear(bytes, inWidth_, outWidth_);
        buildFractionTable(table_.data(), fraction);
        std::uint8_t* target = bytes + static_cast<std::size_t>(move) * pixelBytes_;
        shearer_->shearRow(target, bytes, table_.data());
        // The edge pixels take the share of the clear colour beside them,
        // as the vertical shear's edges do: the last one from the clear
        // pixel after it, the one before the first is the clear colour
        // with the first pixel's share (still at the row's start, which the
        // shearer, writing from pixel `move` >= 1 on, leaves alone).
        addClearShare(target + rowBytes - pixelBytes_);
        if (move > 0)
        {
            std::uint8_t* before = target - pixelBytes_;
            const auto* clear = reinterpret_cast<const std::uint8_t*>(&clearWord_);
            for (std::int32_t c = 0; c < pixelBytes_; ++c)
                before[c] = static_cast<std::uint8_t>(clear[c] - table_[clear[c]] + table_[bytes[c]]);
        }
        fillClear(bytes, 0, move - 1);
    }
    return --rowsLeft_;
}

std::int32_t HorizontalShear::skipRows(std::int32_t count)
{
    rowsLeft_ -= count;
    return count;
}

GrayXShear::GrayXShear(RowProviderInterface* input, const double& factor, ImagePixel clear)
    : HorizontalShear(input, factor, clear, false, "GrayXShear")
{
}

RgbXShear::RgbXShear(RowProviderInterface* input, const double& factor, ImagePixel clear, bool grayAsRgb)
    : HorizontalShear(input, factor, clear, true, "RgbXShear"), grayAsRgb_(grayAsRgb)
{
}

RowProviderInterface* makeXShear(RowProviderInterface* input, const double& factor, ImagePixel clear,
                                 bool grayAsRgb, bool keepModel)
{
    if (input == nullptr)
        return nullptr;
    if (auto* filter = dynamic_cast<ImageFilter*>(input))
        filter->convertSourcePixel(clear);
    if (!keepModel)
        input = applyColorModelRule(input);
    const DataModel& model = input->dataModel();
    switch (model.colorSpace())
    {
    case kColorSpaceNone:
        // Plain samples are sheared only when they are bytes: 1-bit rows
        // have no levels to blend.
        if (model.dataType() != kDataTypeEightBit)
            return nullptr;
        clear.kind = kPixelGray;
        return new GrayXShear(input, factor, clear);
    case kColorSpaceRgb:
    case kColorSpacePalette:
        return new RgbXShear(input, factor, clear, grayAsRgb);
    case kColorSpaceGray:
        if (grayAsRgb && !static_cast<const RgbGrayModel&>(model).isOpaque())
            return new RgbXShear(input, factor, clear, true);
        return new GrayXShear(input, factor, clear);
    case kColorSpaceBitonal:
        return new GrayXShear(input, factor, clear);
    default:
        return nullptr;
    }
}

} // namespace Omvi
