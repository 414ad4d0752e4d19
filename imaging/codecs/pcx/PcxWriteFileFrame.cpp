#include "imaging/codecs/pcx/PcxWriteFileFrame.h"

#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <cstring>

namespace Omvi
{

PcxWriteFileFrame::PcxWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : correlations_(std::move(correlations))
{
    for (std::size_t i = 0; i < 256; ++i)
        std::memset(palette_.data() + 3 * i, static_cast<int>(i), 3);
    header_.bytes[0] = PcxHeader::kManufacturer;
    header_.bytes[1] = 5;
    header_.bytes[2] = PcxHeader::kRunLengthEncoding;
}

PcxWriteFileFrame::~PcxWriteFileFrame() = default;

void PcxWriteFileFrame::setSize(int height, int width)
{
    if (height < 1 || height > 65536 || width < 1 || width > 65536)
        throwFormatCodecException("Image size out of range", kCodecInvalidSize);
    header_.set16(8, static_cast<std::uint16_t>(width - 1));
    header_.set16(10, static_cast<std::uint16_t>(height - 1));
}

void PcxWriteFileFrame::setDataModelKind(int kind)
{
    switch (kind)
    {
    case kColorSpacePalette:
    case kColorSpaceGray:
        if (header_.bitsPerPlane() == 0)
            header_.bytes[3] = 8;
        else if (header_.bitsPerPlane() != 8)
            throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
        header_.bytes[65] = 1;
        break;
    case kColorSpaceBitonal:
        header_.bytes[3] = 1;
        header_.bytes[65] = 1;
        paletteCount_ = 2;
        break;
    default:
        throwFormatCodecException("Invalid Color Model", kCodecInvalidColorModel);
    }
    kind_ = kind;
}

void PcxWriteFileFrame::setBitsPerPixel(int bits)
{
    if (bits != 1 && bits != 8)
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
    if ((kind_ == kColorSpacePalette || kind_ == kColorSpaceGray) && bits != 8)
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
    if (kind_ == kColorSpaceBitonal && bits != 1)
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
    header_.bytes[3] = static_cast<std::uint8_t>(bits);
}

void PcxWriteFileFrame::setPaletteCount(int count)
{
    if (count >= 1 && count <= 256)
        paletteCount_ = count;
}

void PcxWriteFileFrame::setPalette(const std::uint8_t* rgb)
{
    if (rgb != nullptr)
        std::memcpy(palette_.data(), rgb, static_cast<std::size_t>(paletteCount_) * 3);
}

FormatCodecPropertySetIterator* PcxWriteFileFrame::getProperties()
{
    auto offered = std::make_unique<PcxPropertySetIterator>();
    const PcxDensityProperty density(header_.horizontalDensity(), header_.verticalDensity());
    offered->append(&density);
    appendValidCorrelations(correlations_.get(), *offered);
    offered_ = std::move(offered);
    return offered_.get();
}

FormatCodecPropertyInterface* PcxWriteFileFrame::getProperty(const StringBuffer& name)
{
    if (!equalsCodecString(name, PcxStringId::kDensityName))
        return nullptr;
    return new PcxDensityProperty(header_.horizontalDensity(), header_.verticalDensity());
}

FormatCodecPropertyInterface* PcxWriteFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType != FormatCodecPropertyInterface::kDensity)
        return nullptr;
    return new PcxDensityProperty(header_.horizontalDensity(), header_.verticalDensity());
}

bool PcxWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (const auto* density = dynamic_cast<const PcxDensityProperty*>(property))
    {
        header_.set16(12, density->horizontal());
        header_.set16(14, density->vertical());
        return true;
    }
    if (dynamic_cast<const FormatCodecCorrelation*>(property) != nullptr)
    {
        ownCorrelations_.append(property);
        return true;
    }
    return false;
}

void PcxWriteFileFrame::clearProperties()
{
    header_.set16(12, 0);
    header_.set16(14, 0);
}

} // namespace Omvi
