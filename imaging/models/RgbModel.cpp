#include "imaging/models/RgbModel.h"

#include "imaging/conversions/ConvertToRgb.h"
#include "imaging/conversions/RgbToGray.h"
#include "imaging/models/ConversionGraph.h"
#include "imaging/models/ImagePixel.h"

namespace Omvi
{

RgbModel::RgbModel(std::int32_t bitsUsed) : DataModel(kColorSpaceRgb, 1, kDataTypeThirtyTwoBit, bitsUsed) {}

RgbModel::RgbModel(std::int32_t colorSpace, std::int32_t dataType, std::int32_t bitsUsed)
    : DataModel(colorSpace, 1, dataType, bitsUsed)
{
}

std::int32_t RgbModel::pixelKind() const
{
    return kPixelRgb;
}

std::unique_ptr<DataModel> RgbModel::clone() const
{
    return std::make_unique<RgbModel>(*this);
}

bool RgbModel::canConvertTo(const DataModel& target) const
{
    return isColorModelOf(target, {kColorSpaceGray, kColorSpaceRgb});
}

RowProviderInterface* RgbModel::convertTo(const DataModel& target, RowProviderInterface* input) const
{
    if (isColorModelOf(target, {kColorSpaceGray}))
        return new RgbToGray(input);
    return input;
}

bool RgbModel::canConvertFrom(const DataModel& source) const
{
    return isColorModelOf(source, {kColorSpaceRgb, kColorSpacePalette, kColorSpaceGray, kColorSpaceBitonal});
}

RowProviderInterface* RgbModel::convertFrom(const DataModel& source, RowProviderInterface* input) const
{
    if (isColorModelOf(source, {kColorSpacePalette, kColorSpaceGray, kColorSpaceBitonal}))
        return new ConvertToRgb(input, source.colorSpace());
    return input;
}

} // namespace Omvi
