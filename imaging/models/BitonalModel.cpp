#include "imaging/models/BitonalModel.h"

#include "imaging/conversions/ConvertBitonalTo.h"
#include "imaging/conversions/GrayToBitonal.h"
#include "imaging/models/ConversionGraph.h"
#include "imaging/models/ImagePixel.h"

namespace Omvi
{

BitonalModel::BitonalModel() : RgbGrayModel(kColorSpaceBitonal, kDataTypeOneBit, 1) {}

std::int32_t BitonalModel::pixelKind() const
{
    return kPixelBitonal;
}

std::unique_ptr<DataModel> BitonalModel::clone() const
{
    return std::make_unique<BitonalModel>(*this);
}

bool BitonalModel::canConvertTo(const DataModel& target) const
{
    return isColorModelOf(target, {kColorSpaceRgb, kColorSpacePalette, kColorSpaceGray});
}

RowProviderInterface* BitonalModel::convertTo(const DataModel& target, RowProviderInterface* input) const
{
    if (canConvertTo(target))
        return new ConvertBitonalTo(input, target.colorSpace());
    return input;
}

bool BitonalModel::canConvertFrom(const DataModel& source) const
{
    return isColorModelOf(source, {kColorSpaceGray});
}

RowProviderInterface* BitonalModel::convertFrom(const DataModel& source, RowProviderInterface* input) const
{
    if (canConvertFrom(source))
        return new GrayToBitonal(input);
    return input;
}

} // namespace Omvi
