#include "imaging/models/RgbGrayModel.h"

#include "imaging/conversions/ConvertGrayTo.h"
#include "imaging/conversions/ConvertToGray.h"
#include "imaging/models/ConversionGraph.h"
#include "imaging/models/ImagePixel.h"

#include <algorithm>

namespace Omvi
{

RgbGrayModel::RgbGrayModel() : RgbGrayModel(kColorSpaceGray, kDataTypeEightBit, 8) {}

RgbGrayModel::RgbGrayModel(std::int32_t colorSpace, std::int32_t dataType, std::int32_t bitsUsed)
    : RgbModel(colorSpace, dataType, bitsUsed)
{
    alphas_.fill(255);
}

std::int32_t RgbGrayModel::pixelKind() const
{
    return kPixelGray;
}

std::unique_ptr<DataModel> RgbGrayModel::clone() const
{
    return std::make_unique<RgbGrayModel>(*this);
}

bool RgbGrayModel::isOpaque() const
{
    return std::all_of(alphas_.begin(), alphas_.end(), [](std::uint8_t a) { return a == 255; });
}

bool RgbGrayModel::canConvertTo(const DataModel& target) const
{
    return isColorModelOf(target, {kColorSpaceRgb, kColorSpacePalette, kColorSpaceBitonal});
}

RowProviderInterface* RgbGrayModel::convertTo(const DataModel& target, RowProviderInterface* input) const
{
    if (canConvertTo(target))
        return new ConvertGrayTo(input, target.colorSpace());
    return input;
}

bool RgbGrayModel::canConvertFrom(const DataModel& source) const
{
    return isColorModelOf(source, {kColorSpaceRgb, kColorSpacePalette, kColorSpaceBitonal});
}

RowProviderInterface* RgbGrayModel::convertFrom(const DataModel& source, RowProviderInterface* input) const
{
    if (canConvertFrom(source))
        return new ConvertToGray(input, source.colorSpace());
    return input;
}

} // namespace Omvi
