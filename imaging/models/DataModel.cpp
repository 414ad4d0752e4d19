#include "imaging/models/DataModel.h"

namespace Omvi
{

std::int32_t bitsPerPixelOf(std::int32_t dataType)
{
    switch (dataType)
    {
    case kDataTypeOneBit:
        return 1;
    case kDataTypeEightBit:
        return 8;
    case kDataTypeSixteenBit:
        return 16;
    case kDataTypeThirtyTwoBit:
        return 32;
    case kDataTypeSixtyFourBit:
        return 64;
    default:
        return 0;
    }
}

std::int64_t rowBytes(std::int64_t width, std::int32_t dataType)
{
    if (width < 1)
        return 0;
    if (dataType == kDataTypeOneBit)
        return ((width + 7) / 8 + 7) & ~std::int64_t{7};
    const std::int64_t bits = bitsPerPixelOf(dataType);
    return ((bits / 8) * width + 7) & ~std::int64_t{7};
}

std::int64_t pixelBytes(std::int64_t count, std::int32_t dataType)
{
    if (count < 1)
        return 0;
    return (count * bitsPerPixelOf(dataType) + 7) / 8;
}

std::int32_t tileSizeOfOrganisation(std::int32_t organisation)
{
    return organisation >= kOrganisation64 && organisation <= kOrganisation1024 ? 64 << organisation : 0;
}

DataModelAttributes::~DataModelAttributes() = default;

DataModel::DataModel(std::int32_t colorSpace, std::int32_t sampleFormat, std::int32_t dataType,
                     std::int32_t bitsUsed)
    : colorSpace_(colorSpace), sampleFormat_(sampleFormat), dataType_(dataType),
      bitsPerPixel_(bitsPerPixelOf(dataType) != 0 ? bitsPerPixelOf(dataType) : colorSpace),
      bitsUsed_(bitsUsed)
{
}

DataModel::DataModel(std::int32_t sampleFormat, std::int32_t dataType, std::int32_t bitsUsed)
    : colorSpace_(kColorSpaceNone), sampleFormat_(sampleFormat), dataType_(dataType),
      bitsPerPixel_(bitsPerPixelOf(dataType) != 0 ? bitsPerPixelOf(dataType) : dataType),
      bitsUsed_(bitsUsed)
{
}

DataModel::~DataModel() = default;

std::int32_t DataModel::dataType() const
{
    return dataType_;
}

std::int32_t DataModel::bitsUsedPerPixel() const
{
    return bitsUsed_;
}

std::int32_t DataModel::colorSpace() const
{
    return colorSpace_;
}

std::int32_t DataModel::pixelKind() const
{
    return dataType_;
}

std::int32_t DataModel::sampleFormat() const
{
    return sampleFormat_;
}

std::unique_ptr<DataModel> DataModel::clone() const
{
    return std::make_unique<DataModel>(*this);
}

std::int32_t DataModel::defaultOrganisation() const
{
    switch (dataType_)
    {
    case kDataTypeOneBit:
        return kOrganisation512;
    case kDataTypeEightBit:
        return kOrganisation256;
    case kDataTypeSixteenBit:
    case kDataTypeThirtyTwoBit:
        return kOrganisation128;
    default:
        return kOrganisation64;
    }
}

bool DataModel::supportsOrganisation(std::int32_t organisation) const
{
    switch (dataType_)
    {
    case kDataTypeOneBit:
        return organisation >= 3 && organisation <= 4;
    case kDataTypeEightBit:
        return organisation >= 1 && organisation <= 4;
    case kDataTypeSixteenBit:
        return organisation >= 1 && organisation <= 3;
    case kDataTypeThirtyTwoBit:
        return organisation >= 0 && organisation <= 4;
    case kDataTypeSixtyFourBit:
        return organisation >= 0 && organisation <= 2;
    default:
        return false;
    }
}

bool DataModel::isDataType(std::int32_t type) const
{
    return dataType_ == type;
}

bool DataModel::operator==(const DataModel& other) const
{
    return colorSpace() == other.colorSpace() && dataType() == other.dataType() &&
           bitsUsedPerPixel() == other.bitsUsedPerPixel();
}

bool DataModel::operator!=(const DataModel& other) const
{
    return !(*this == other);
}

} // namespace Omvi
