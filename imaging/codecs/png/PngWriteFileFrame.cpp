#include "imaging/codecs/png/PngWriteFileFrame.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{
namespace
{

// The background form a new property takes before the bit depth is known:
// bitonal frames are the grey images below 2 bits.
std::int32_t backgroundForm(std::int32_t kind, std::int32_t colorType)
{
    return PngBackground::formOf(colorType, kind == kColorSpaceBitonal ? 1 : 8);
}

// A new default chunk property of custom kind 0-15; the grey significant
// bits only for grey frames.
std::unique_ptr<FormatCodecPropertyInterface> newCustomProperty(std::int32_t kind, std::int32_t colorType)
{
    switch (kind)
    {
    case PngCustomProperty::kGamma:
        return std::make_unique<PngGamma>();
    case PngCustomProperty::kScale:
        return std::make_unique<PngScale>();
    case PngCustomProperty::kPageOffset:
        return std::make_unique<PngPageOffset>();
    case PngCustomProperty::kSrgb:
        return std::make_unique<PngSRGB>();
    case PngCustomProperty::kHistogram:
        return std::make_unique<PngHistogram>();
    case PngCustomProperty::kGraySignificantBits:
        if (colorType != kPngGray)
            return nullptr;
        return std::make_unique<PngGraySignificantBits>();
    default:
        if (kind >= PngCustomProperty::kFirstText && kind < PngCustomProperty::kKindCount)
            return std::make_unique<PngText>(PngText::keywordOfKind(kind));
        return nullptr;
    }
}

} // namespace

PngWriteFileFrame::PngWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : properties_(std::make_unique<PngPropertySetIterator>()), correlations_(std::move(correlations))
{
}

PngWriteFileFrame::~PngWriteFileFrame() = default;

void PngWriteFileFrame::setSize(int height, int width)
{
    height_ = height;
    width_ = width;
}

void PngWriteFileFrame::setDataModelKind(int kind)
{
    switch (kind)
    {
    case kColorSpaceRgb:
        colorType_ = kPngRgb;
        kind_ = kind;
        break;
    case kColorSpacePalette:
        colorType_ = kPngPalette;
        kind_ = kind;
        break;
    case kColorSpaceGray:
    case kColorSpaceBitonal:
        colorType_ = kPngGray;
        kind_ = kind;
        break;
    default:
        break;
    }
    clearProperties();
}

void PngWriteFileFrame::setThirdValue(int value)
{
    bitsPerPixel_ = value;
}

void PngWriteFileFrame::setBitsPerPixel(int bits)
{
    bitsUsed_ = bits;
}

void PngWriteFileFrame::setPaletteCount(int count)
{
    // The frame holds 256 entries, as many as a PNG palette can.
    if (count >= 1 && count <= 256)
        paletteCount_ = count;
}

void PngWriteFileFrame::setPalette(const std::uint8_t* rgb)
{
    if (rgb != nullptr)
        std::memcpy(palette_.data(), rgb, static_cast<std::size_t>(paletteCount_) * 3);
}

FormatCodecPropertySetIterator* PngWriteFileFrame::getProperties()
{
    auto supported = std::make_unique<PngPropertySetIterator>();
    const PngTransparency transparency(colorType_);
    supported->append(&transparency);
    const PngCompression compression;
    supported->append(&compression);
    const PngGamma gamma;
    supported->append(&gamma);
    const PngDensity density;
    supported->append(&density);
    const PngScale scale;
    supported->append(&scale);
    const PngPageOffset offset;
    supported->append(&offset);
    for (std::int32_t keyword = 0; keyword < PngText::kKeywordCount; ++keyword)
    {
        const PngText text(keyword);
        supported->append(&text);
    }
    const PngBackground background(RgbColor(0, 0, 0, 255), backgroundForm(kind_, colorType_));
    supported->append(&background);
    const PngSRGB srgb;
    supported->append(&srgb);
    if (colorType_ == kPngGray)
    {
        const PngGraySignificantBits significant;
        supported->append(&significant);
    }
    appendCorrelations(correlations_.get(), *supported);
    supported_ = std::move(supported);
    return supported_.get();
}

FormatCodecPropertyInterface* PngWriteFileFrame::getProperty(const StringBuffer& name)
{
    using namespace PngStringId;
    if (equalsCodecString(name, kDensityName))
        return new PngDensity();
    if (equalsCodecString(name, kBackgroundName))
        return new PngBackground(RgbColor(0, 0, 0, 255), backgroundForm(kind_, colorType_));
    if (equalsCodecString(name, kTransparencyName))
        return new PngTransparency(colorType_);
    if (equalsCodecString(name, kCompressionName))
        return new PngCompression();
    for (std::int32_t kind = 0; kind < PngCustomProperty::kKindCount; ++kind)
        if (equalsCodecString(name, privatePropertyNameId(kind)))
            return newCustomProperty(kind, colorType_).release();
    return nullptr;
}

FormatCodecPropertyInterface* PngWriteFileFrame::getPropertyOfType(int propertyType)
{
    switch (propertyType)
    {
    case FormatCodecPropertyInterface::kDensity:
        return new PngDensity();
    case FormatCodecPropertyInterface::kTransparency:
        return new PngTransparency(colorType_);
    case FormatCodecPropertyInterface::kColor:
        return new PngBackground(RgbColor(0, 0, 0, 255), backgroundForm(kind_, colorType_));
    case FormatCodecPropertyInterface::kCorrelation:
        return cloneFirstCorrelation(correlations_.get());
    default:
        return nullptr;
    }
}

bool PngWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (property == nullptr)
        return false;
    if (const auto* custom = dynamic_cast<const PngCustomProperty*>(property))
    {
        if (custom->customKind() == PngCustomProperty::kGraySignificantBits && colorType_ != kPngGray)
            return false;
        if (custom->customKind() == PngCustomProperty::kHistogram && colorType_ != kPngPalette)
            return false;
        properties_->append(property);
        return true;
    }
    switch (property->propertyType())
    {
    case FormatCodecPropertyInterface::kDensity:
    case FormatCodecPropertyInterface::kCompression:
    case FormatCodecPropertyInterface::kTransparency:
    case FormatCodecPropertyInterface::kColor:
        properties_->append(property);
        return true;
    case FormatCodecPropertyInterface::kCorrelation:
    {
        const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property);
        if (correlation == nullptr || !correlation->isValid())
            return false;
        properties_->append(property);
        return true;
    }
    default:
        return false;
    }
}

void PngWriteFileFrame::clearProperties()
{
    properties_ = std::make_unique<PngPropertySetIterator>();
}

bool PngWriteFileFrame::requiredPropertiesSet() const
{
    return colorType_ != kNoColorType && (bitsPerPixel_ >= 1 || bitsUsed_ >= 1) && width_ >= 1 && height_ >= 1;
}

} // namespace Omvi
