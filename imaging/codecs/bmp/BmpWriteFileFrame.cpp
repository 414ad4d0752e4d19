#include "imaging/codecs/bmp/BmpWriteFileFrame.h"

#include "imaging/codecs/bmp/BmpStrings.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <cmath>
#include <cstring>

namespace Omvi
{
namespace
{

[[noreturn]] void refuseBits()
{
    throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
}

bool paletteDepth(std::int32_t bits)
{
    return bits == 2 || bits == 4 || bits == 8;
}

// Pixels per centimetre as the header's whole pixels per metre.
std::int32_t perMetre(double perCentimetre)
{
    const double value = std::trunc(perCentimetre * 100.0 + 0.5);
    if (!(value > 0))
        return 0;
    return value >= 2147483647.0 ? 2147483647 : static_cast<std::int32_t>(value);
}

} // namespace

BmpWriteFileFrame::BmpWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : correlations_(std::move(correlations))
{
}

BmpWriteFileFrame::~BmpWriteFileFrame() = default;

void BmpWriteFileFrame::setSize(int height, int width)
{
    height_ = height;
    width_ = width;
}

void BmpWriteFileFrame::setGrayPalette(std::int32_t bits)
{
    const std::int32_t entries = 1 << bits;
    for (std::int32_t i = 0; i < entries; ++i)
    {
        const auto level = static_cast<std::uint8_t>(i * 255 / (entries - 1));
        std::uint8_t* entry = &palette_[4 * i];
        entry[0] = entry[1] = entry[2] = level;
        entry[3] = 0;
    }
    paletteCount_ = entries;
    colorsUsed_ = entries;
}

void BmpWriteFileFrame::setWhiteBlackPalette()
{
    std::memset(palette_, 0, 8);
    palette_[0] = palette_[1] = palette_[2] = 255;
    paletteCount_ = 2;
    colorsUsed_ = 2;
}

void BmpWriteFileFrame::setDataModelKind(int kind)
{
    kind_ = kind;
    switch (kind)
    {
    case 1:
        if (bits_ == 0)
            bits_ = 24;
        break;
    case 3:
        if (bits_ == 0)
            bits_ = 8;
        else if (!paletteDepth(bits_))
            refuseBits();
        setGrayPalette(bits_);
        break;
    case 4:
        bits_ = 1;
        setWhiteBlackPalette();
        break;
    case 7:
        if (bits_ == 0)
            bits_ = 8;
        else if (!paletteDepth(bits_))
            refuseBits();
        break;
    default:
        break;
    }
}

void BmpWriteFileFrame::setBitsPerPixel(int bits)
{
    if (bits == 16)
        refuseBits();
    switch (kind_)
    {
    case 0:
        bits_ = bits;
        return;
    case 1:
        if (bits != 24 && bits != 32)
            refuseBits();
        break;
    case 2:
        if (!paletteDepth(bits))
            refuseBits();
        break;
    case 3:
        if (!paletteDepth(bits))
            refuseBits();
        setGrayPalette(bits);
        break;
    case 4:
        if (bits != 1)
            refuseBits();
        break;
    default:
        return;
    }
    bits_ = bits;
}

void BmpWriteFileFrame::setPaletteCount(int count)
{
    if (count >= 1 && count <= 256)
        paletteCount_ = count;
}

void BmpWriteFileFrame::setPalette(const std::uint8_t* rgb)
{
    if (rgb == nullptr)
        return;
    for (std::int32_t i = 0; i < paletteCount_; ++i)
    {
        std::uint8_t* entry = &palette_[4 * i];
        entry[0] = rgb[3 * i + 2];
        entry[1] = rgb[3 * i + 1];
        entry[2] = rgb[3 * i];
        entry[3] = 0;
    }
    colorsUsed_ = paletteCount_;
}

FormatCodecPropertySetIterator* BmpWriteFileFrame::getProperties()
{
    auto listed = std::make_unique<BmpPropertySetIterator>();
    const BmpDensityProperty density(resolutionX_ / 100.0, resolutionY_ / 100.0);
    listed->append(&density);
    if (correlations_)
        for (std::int32_t i = 0; i < correlations_->count(); ++i)
            listed->append(correlations_->at(i));
    listed_ = std::move(listed);
    return listed_.get();
}

FormatCodecPropertyInterface* BmpWriteFileFrame::getProperty(const StringBuffer& name)
{
    if (!equalsCodecString(name, BmpStringId::kDensity))
        return nullptr;
    return getPropertyOfType(FormatCodecPropertyInterface::kDensity);
}

FormatCodecPropertyInterface* BmpWriteFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType == FormatCodecPropertyInterface::kDensity)
        return new BmpDensityProperty(resolutionX_ / 100.0, resolutionY_ / 100.0);
    if (propertyType == FormatCodecPropertyInterface::kCorrelation && correlations_ && correlations_->count() > 0)
        return correlations_->at(0)->clone();
    return nullptr;
}

bool BmpWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (const auto* density = dynamic_cast<const BmpDensityProperty*>(property))
    {
        double x = 0;
        double y = 0;
        density->getDensity(&x, &y);
        resolutionX_ = perMetre(x);
        resolutionY_ = perMetre(y);
        return true;
    }
    const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property);
    if (correlation != nullptr && correlation->isValid())
    {
        own_.append(correlation);
        return true;
    }
    return false;
}

void BmpWriteFileFrame::clearProperties()
{
    resolutionX_ = 0;
    resolutionY_ = 0;
}

bool BmpWriteFileFrame::valid() const
{
    if (width_ < 1 || height_ < 1)
        return false;
    switch (kind_)
    {
    case 1:
        return (bits_ == 24 || bits_ == 32) && colorsUsed_ == 0;
    case 2:
        // A palette image needs its palette: without one a reader would
        // take the pixel data for it.
        return paletteDepth(bits_) && colorsUsed_ >= 1 && colorsUsed_ <= (1 << bits_);
    case 3:
        return paletteDepth(bits_);
    case 4:
        return bits_ == 1 && colorsUsed_ == 2;
    default:
        return false;
    }
}

} // namespace Omvi
