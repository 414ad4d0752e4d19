#include "imaging/codecs/tiff/writer/TiffWriteFileFrame.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffLayout.h"
#include "imaging/codecs/tiff/geotiff/GeoTiffCorrelation.h"
#include "imaging/codecs/tiff/properties/TiffDirectoryPropertySet.h"
#include "imaging/codecs/tiff/properties/TiffLayoutProperties.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <new>
#include <tiffio.h>

namespace Omvi
{

TiffWriteFileFrame::TiffWriteFileFrame(const TiffFormatCodec& codec, TiffHandle& handle,
                                       std::unique_ptr<CorrelationPropertySetIterator> options, bool lzwCapable,
                                       std::uint32_t generation)
    : codec_(codec), handle_(handle), options_(std::move(options)),
      sideCars_(std::make_unique<TiffFormatCodecPropertySetIterator>()), lzwCapable_(lzwCapable),
      generation_(generation)
{
}

TiffWriteFileFrame::~TiffWriteFileFrame() = default;

TIFF* TiffWriteFileFrame::tiff() const
{
    return handle_.get();
}

void TiffWriteFileFrame::setSize(int height, int width)
{
    height_ = height;
    width_ = width;
    if (tiff() && width > 0 && height > 0)
    {
        TIFFSetField(tiff(), TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(width));
        TIFFSetField(tiff(), TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(height));
    }
}

void TiffWriteFileFrame::setDataModelKind(int kind)
{
    colorModel_ = kind;
}

void TiffWriteFileFrame::setThirdValue(int bits)
{
    bitsPerPixel_ = bits;
}

void TiffWriteFileFrame::setBitsPerPixel(int bits)
{
    bitsUsed_ = bits;
    givenBitsUsed_ = bits;
}

void TiffWriteFileFrame::setPaletteCount(int count)
{
    if (count >= 1 && count <= 256)
        paletteCount_ = count;
}

void TiffWriteFileFrame::writeBasicTags()
{
    if (basicTagsWritten_ || !tiff())
        return;
    basicTagsWritten_ = true;
    TIFF* file = tiff();
    const int bits = bitsPerPixel_;
    const int used = bitsUsed();
    unsigned photometric = PHOTOMETRIC_MINISWHITE;
    unsigned samples = 1;
    int sampleBits = bits;
    // A plain image that uses fewer bits than it stores says how many.
    auto describeRange = [&](bool integerRange) {
        if (used == bits || used < 1 || used > 32)
            return;
        if (integerRange && bits == 8 && (used == 4 || used == 2))
        {
            sampleBits = used;
            return;
        }
        const double top = static_cast<double>((std::uint64_t{1} << used) - 1);
        if (integerRange && used <= 16)
        {
            TIFFSetField(file, TIFFTAG_MINSAMPLEVALUE, 0u);
            TIFFSetField(file, TIFFTAG_MAXSAMPLEVALUE, static_cast<unsigned>(top));
        }
        TIFFSetField(file, TIFFTAG_SMINSAMPLEVALUE, 0.0);
        TIFFSetField(file, TIFFTAG_SMAXSAMPLEVALUE, top);
    };
    switch (colorModel_)
    {
    case kTiffPlain:
        photometric = PHOTOMETRIC_MINISBLACK;
        describeRange(true);
        break;
    case kTiffRgb:
        photometric = PHOTOMETRIC_RGB;
        sampleBits = 8;
        samples = used == 32 ? 4 : 3;
        if (samples == 4)
        {
            const std::uint16_t alpha[1] = {EXTRASAMPLE_UNASSALPHA};
            TIFFSetField(file, TIFFTAG_EXTRASAMPLES, 1u, alpha);
        }
        break;
    case kTiffPalette:
        photometric = PHOTOMETRIC_PALETTE;
        break;
    case kTiffGray:
        photometric = PHOTOMETRIC_MINISBLACK;
        if (used == 4 || used == 2)
            sampleBits = used;
        break;
    case kTiffBitonal:
        photometric = PHOTOMETRIC_MINISWHITE;
        break;
    default:
        describeRange(false);
        break;
    }
    TIFFSetField(file, TIFFTAG_PLANARCONFIG, static_cast<unsigned>(PLANARCONFIG_CONTIG));
    if (sampleBits > 0)
        TIFFSetField(file, TIFFTAG_BITSPERSAMPLE, static_cast<unsigned>(sampleBits));
    TIFFSetField(file, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(file, TIFFTAG_PHOTOMETRIC, photometric);
    handle_.clearError();
}

int TiffWriteFileFrame::prepareDirectory()
{
    writeBasicTags();
    std::uint16_t samples = 1;
    std::uint16_t bits = 1;
    TIFFGetFieldDefaulted(tiff(), TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetFieldDefaulted(tiff(), TIFFTAG_BITSPERSAMPLE, &bits);
    storedBits_ = samples * bits;
    return storedBits_;
}

void TiffWriteFileFrame::setPalette(const std::uint8_t* rgb)
{
    writeBasicTags();
    if (colorModel_ != kTiffPalette || !rgb || !tiff())
        return;
    palette_.assign(rgb, rgb + std::size_t{3} * static_cast<std::size_t>(paletteCount_));
    // libtiff reads 2 ^ BitsPerSample entries of each channel.
    std::uint16_t bits = 8;
    TIFFGetFieldDefaulted(tiff(), TIFFTAG_BITSPERSAMPLE, &bits);
    if (bits < 1 || bits > 16)
        return;
    const std::size_t size = std::size_t{1} << bits;
    std::vector<std::uint16_t> red(size, 0);
    std::vector<std::uint16_t> green(size, 0);
    std::vector<std::uint16_t> blue(size, 0);
    const std::size_t count = std::min(size, static_cast<std::size_t>(paletteCount_));
    for (std::size_t i = 0; i < count; ++i)
    {
        red[i] = static_cast<std::uint16_t>(rgb[i * 3] << 8);
        green[i] = static_cast<std::uint16_t>(rgb[i * 3 + 1] << 8);
        blue[i] = static_cast<std::uint16_t>(rgb[i * 3 + 2] << 8);
    }
    TIFFSetField(tiff(), TIFFTAG_COLORMAP, red.data(), green.data(), blue.data());
    handle_.clearError();
}

std::unique_ptr<TiffFormatCodecPropertySetIterator> TiffWriteFileFrame::supportedProperties()
{
    writeBasicTags();
    std::unique_ptr<TiffFormatCodecPropertySetIterator> set = buildTiffDirectoryPropertySet(tiff(), lzwCapable_, true);
    const std::unique_ptr<GeoTiffCorrelation> geo = createGeoTiffCorrelation(tiff(), &codec_, true);
    if (geo && geo->isValid())
        set->append(geo.get());
    appendCorrelations(options_.get(), *set);
    handle_.clearError();
    return set;
}

FormatCodecPropertySetIterator* TiffWriteFileFrame::getProperties()
{
    try
    {
        supported_ = supportedProperties();
        return supported_.get();
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

FormatCodecPropertyInterface* TiffWriteFileFrame::getProperty(const StringBuffer& name)
{
    try
    {
        const std::unique_ptr<TiffFormatCodecPropertySetIterator> set = supportedProperties();
        const FormatCodecPropertyInterface* property = set->findByName(name);
        return property ? property->clone() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

FormatCodecPropertyInterface* TiffWriteFileFrame::getPropertyOfType(int propertyType)
{
    try
    {
        const std::unique_ptr<TiffFormatCodecPropertySetIterator> set = supportedProperties();
        const FormatCodecPropertyInterface* property = set->findByType(propertyType);
        return property ? property->clone() : nullptr;
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
}

bool TiffWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (!property || !tiff())
        return false;
    writeBasicTags();
    bool taken = false;
    if (const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property))
    {
        if (property->propertyType() != FormatCodecPropertyInterface::kCorrelation || !correlation->isValid())
            taken = false;
        else if (const auto* geo = dynamic_cast<const GeoTiffCorrelation*>(property))
        {
            std::int32_t unit = 0;
            geo->getUnit(unit);
            taken = (unit == FormatCodecCorrelation::kUnitMetre || unit == FormatCodecCorrelation::kUnitFoot) &&
                    geo->writeTo(tiff());
        }
        else if (dynamic_cast<const FormatCodecExternalCorrelation*>(property))
        {
            sideCars_->append(property);
            taken = true;
        }
    }
    else if (const auto* organisation = dynamic_cast<const TiffDataOrganization*>(property))
    {
        taken = organisation->writeTag(tiff());
        if (taken)
            tiled_ = organisation->code() == TiffDataOrganization::kTiles;
    }
    else if (const auto* transparency = dynamic_cast<const TiffTransparency*>(property))
    {
        // Only an RGB image takes an alpha sample.
        if (colorModel_ == kTiffRgb && bitsUsed() >= 24 && transparency->kind() == FormatCodecTransparency::kAlphaChannel)
        {
            taken = transparency->writeTag(tiff());
            if (taken)
                bitsUsed_ = 32;
        }
    }
    else if (const auto* tiffProperty = dynamic_cast<const TiffProperty*>(property))
        taken = tiffProperty->writeTag(tiff());
    else if (const auto* sampleFormat = dynamic_cast<const TiffSampleFormatProperty*>(property))
        taken = sampleFormat->writeTag(tiff());
    // A refused tag is answered here; it does not make the file's writing
    // fail later.
    handle_.clearError();
    return taken;
}

void TiffWriteFileFrame::clearProperties()
{
    if (!tiff())
        return;
    TIFFCreateDirectory(tiff());
    basicTagsWritten_ = false;
    tiled_ = false;
    bitsUsed_ = givenBitsUsed_;
    sideCars_ = std::make_unique<TiffFormatCodecPropertySetIterator>();
    setSize(height_, width_);
    if (!palette_.empty())
        setPalette(palette_.data());
    handle_.clearError();
}

bool TiffWriteFileFrame::requiredPropertiesSet() const
{
    return true;
}

} // namespace Omvi
