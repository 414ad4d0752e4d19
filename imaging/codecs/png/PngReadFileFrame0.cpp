#include "imaging/codecs/png/PngReadFileFrame0.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/png/PngChunks.h"
#include "imaging/codecs/png/PngDecoder.h"
#include "imaging/codecs/png/PngRowIterators.h"
#include "imaging/codecs/png/PngStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <algorithm>

namespace Omvi
{
namespace
{

std::int32_t modelOf(std::int32_t colorType, std::int32_t bitDepth)
{
    switch (colorType)
    {
    case kPngGray:
    case kPngGrayAlpha:
        return bitDepth == 1 ? kColorSpaceBitonal : kColorSpaceGray;
    case kPngRgb:
    case kPngRgbAlpha:
        return kColorSpaceRgb;
    case kPngPalette:
        return kColorSpacePalette;
    default:
        return kColorSpaceNone;
    }
}

} // namespace

PngReadFileFrame0::PngReadFileFrame0(PngDecoder& decoder, CorrelationPropertySetIterator* correlations)
    : decoder_(decoder), correlations_(correlations)
{
    png_structp png = decoder.png();
    png_infop info = decoder.info();
    // libpng has checked the header: sizes are 1 to 1,000,000.
    width_ = static_cast<std::int32_t>(png_get_image_width(png, info));
    height_ = static_cast<std::int32_t>(png_get_image_height(png, info));
    bitDepth_ = png_get_bit_depth(png, info);
    colorType_ = png_get_color_type(png, info);
    channels_ = png_get_channels(png, info);
    interlaced_ = png_get_interlace_type(png, info) != PNG_INTERLACE_NONE;
    model_ = modelOf(colorType_, bitDepth_);

    png_colorp entries = nullptr;
    int count = 0;
    if (colorType_ == kPngPalette && png_get_PLTE(png, info, &entries, &count) != 0 && entries != nullptr)
    {
        count = std::clamp(count, 0, 256);
        for (int i = 0; i < count; ++i)
            palette_.insert(palette_.end(), {entries[i].red, entries[i].green, entries[i].blue});
    }
    readPngProperties(png, info, properties_, histogram_);

    readExternalCorrelations(correlations_, height_, width_);
}

PngReadFileFrame0::~PngReadFileFrame0() = default;

void PngReadFileFrame0::getSize(int* height, int* width) const
{
    if (height != nullptr)
        *height = height_;
    if (width != nullptr)
        *width = width_;
}

int PngReadFileFrame0::sampleKind() const
{
    switch (model_)
    {
    case kColorSpaceRgb:
        return kDataTypeThirtyTwoBit;
    case kColorSpaceBitonal:
        return kDataTypeOneBit;
    default:
        return kDataTypeEightBit;
    }
}

int PngReadFileFrame0::bitsPerPixel() const
{
    switch (model_)
    {
    case kColorSpaceRgb:
        return channels_ == 4 ? 32 : 24;
    case kColorSpacePalette:
        return std::min(bitDepth_, 8);
    case kColorSpaceBitonal:
        return 1;
    default:
        return 8;
    }
}

int PngReadFileFrame0::paletteCount() const
{
    return static_cast<int>(palette_.size() / 3);
}

void PngReadFileFrame0::getPalette(int count, std::uint8_t* rgb) const
{
    if (rgb == nullptr || count < 1)
        return;
    const std::size_t entries = std::min<std::size_t>(static_cast<std::size_t>(count), palette_.size() / 3);
    std::copy(palette_.begin(), palette_.begin() + static_cast<std::ptrdiff_t>(entries * 3), rgb);
}

RowIteratorInterface* PngReadFileFrame0::newRowIterator()
{
    if (model_ == kColorSpaceNone)
        return nullptr;
    if (!interlaced_)
        return new PngRowIterator(decoder_, model_);
    const std::int64_t rowBytes = PngRowIteratorBase::deliveredRowBytes(model_, width_);
    if (rowBytes * height_ > kInterlacedImageLimit)
        return nullptr;
    return new PngInterlacedRowIterator(decoder_, model_);
}

FormatCodecPropertySetIterator* PngReadFileFrame0::getProperties()
{
    auto set = std::make_unique<PngPropertySetIterator>(properties_);
    appendValidCorrelations(correlations_, *set);
    return set.release();
}

FormatCodecPropertyInterface* PngReadFileFrame0::getProperty(const StringBuffer& name)
{
    if (const FormatCodecPropertyInterface* found = properties_.findByName(name))
        return found->clone();
    if (histogram_ != nullptr && histogram_->hasName(name))
        return histogram_->clone();
    return nullptr;
}

FormatCodecPropertyInterface* PngReadFileFrame0::getPropertyOfType(int propertyType)
{
    switch (propertyType)
    {
    case FormatCodecPropertyInterface::kDensity:
    case FormatCodecPropertyInterface::kTransparency:
    case FormatCodecPropertyInterface::kColor:
        if (const FormatCodecPropertyInterface* found = properties_.findByType(propertyType))
            return found->clone();
        return nullptr;
    case FormatCodecPropertyInterface::kCorrelation:
        return cloneFirstValidCorrelation(correlations_);
    default:
        return nullptr;
    }
}

} // namespace Omvi
