#include "imaging/codecs/tiff/properties/TiffDirectoryPropertySet.h"

#include "imaging/codecs/tiff/properties/TiffChoiceProperties.h"
#include "imaging/codecs/tiff/properties/TiffCompression.h"
#include "imaging/codecs/tiff/properties/TiffLayoutProperties.h"
#include "imaging/codecs/tiff/properties/TiffSampleProperties.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"

#include <tiffio.h>

namespace Omvi
{
namespace
{

// The text tags in the order the set lists them.
constexpr std::int32_t kTextOrder[] = {TiffProperty::kKindArtist,       TiffProperty::kKindCopyright,
                                       TiffProperty::kKindHostComputer, TiffProperty::kKindImageDescription,
                                       TiffProperty::kKindMake,         TiffProperty::kKindModel,
                                       TiffProperty::kKindSoftware,     TiffProperty::kKindDateTime};

// The data organisation a new directory gets by default: strips for 16
// bits per pixel, tiles otherwise, with a strip of about 8 KB.
TiffDataOrganization templateOrganisation(std::int32_t bitsPerPixel, std::uint32_t width, std::uint32_t height)
{
    TiffDataOrganization organisation(bitsPerPixel,
                                      bitsPerPixel == 16 ? TiffDataOrganization::kStrips : TiffDataOrganization::kTiles,
                                      TiffDataOrganization::kWritableGranularity);
    const std::int64_t rowUnits = std::int64_t{bitsPerPixel} * width / 16;
    std::int64_t rows = rowUnits > 0 ? 8192 / rowUnits : 8192;
    if (rows == 0 || height / rows < 3)
        rows = 1;
    std::int32_t tile = 256;
    if (bitsPerPixel == 1)
        tile = 512;
    else if (bitsPerPixel == 24 || bitsPerPixel == 32)
        tile = 128;
    organisation.setDefaults(tile, tile, static_cast<std::int32_t>(rows));
    return organisation;
}

TiffDataOrganization storedOrganisation(TIFF* tiff, std::int32_t bitsPerPixel, std::uint32_t height)
{
    std::uint32_t tileWidth = 0;
    std::uint32_t tileLength = 0;
    std::uint32_t rowsPerStrip = 0;
    if (TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth))
    {
        TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
        TiffDataOrganization organisation(bitsPerPixel, TiffDataOrganization::kTiles,
                                          TiffDataOrganization::kFixedGranularity);
        organisation.setDefaults(static_cast<std::int32_t>(std::min<std::uint32_t>(tileWidth, INT32_MAX)),
                                 static_cast<std::int32_t>(std::min<std::uint32_t>(tileLength, INT32_MAX)), -1);
        return organisation;
    }
    if (TIFFGetField(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip) && rowsPerStrip != 0 && rowsPerStrip < height)
    {
        TiffDataOrganization organisation(bitsPerPixel, TiffDataOrganization::kStrips,
                                          TiffDataOrganization::kFixedGranularity);
        organisation.setDefaults(-1, -1, static_cast<std::int32_t>(rowsPerStrip));
        return organisation;
    }
    return TiffDataOrganization(bitsPerPixel, TiffDataOrganization::kOneStrip, TiffDataOrganization::kFixedGranularity);
}

} // namespace

std::unique_ptr<TiffFormatCodecPropertySetIterator> buildTiffDirectoryPropertySet(TIFF* tiff, bool lzwCapable,
                                                                                  bool templateMode)
{
    auto set = std::make_unique<TiffFormatCodecPropertySetIterator>();
    if (!tiff)
        return set;

    std::uint32_t height = 0;
    std::uint32_t width = 0;
    std::uint16_t samplesPerPixel = 1;
    std::uint16_t bitsPerSample = 1;
    std::uint16_t extraCount = 0;
    std::uint16_t* extraKinds = nullptr;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_IMAGELENGTH, &height);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds);
    if (!extraKinds)
        extraCount = 0;
    const std::int32_t bitsPerPixel = (std::int32_t{samplesPerPixel} - extraCount) * bitsPerSample;

    // Density; a directory without resolution tags has 1 x 1.
    float x = 1.0f;
    float y = 1.0f;
    std::uint16_t resolutionUnit = 0;
    TIFFGetField(tiff, TIFFTAG_XRESOLUTION, &x);
    TIFFGetField(tiff, TIFFTAG_YRESOLUTION, &y);
    TIFFGetField(tiff, TIFFTAG_RESOLUTIONUNIT, &resolutionUnit);
    if (x > 0.0f && y > 0.0f)
    {
        const TiffDensity density(x, y, TiffDensity::unitOfTagValue(resolutionUnit));
        set->append(&density);
    }

    if (bitsPerPixel == 24)
    {
        bool alpha = templateMode;
        for (std::uint16_t i = 0; i < extraCount && !alpha; ++i)
            alpha = extraKinds[i] == EXTRASAMPLE_UNSPECIFIED || extraKinds[i] == EXTRASAMPLE_UNASSALPHA;
        if (alpha)
        {
            const TiffTransparency transparency;
            set->append(&transparency);
        }
    }

    std::uint16_t photometric = 0xFFFF;
    TIFFGetField(tiff, TIFFTAG_PHOTOMETRIC, &photometric);
    const bool oneColour = photometric == PHOTOMETRIC_MINISWHITE || photometric == PHOTOMETRIC_MINISBLACK;
    const bool bitonal = oneColour && bitsPerSample == 1;
    const bool grey = oneColour && bitsPerSample > 1;
    if (oneColour)
    {
        const TiffPhotometricInterpretation interpretation(photometric);
        set->append(&interpretation);
    }

    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
    const TiffCompression compressions(bitsPerPixel, TiffCompression::codeOfTagValue(compression), templateMode,
                                       lzwCapable, grey);
    set->append(&compressions);

    const TiffDataOrganization organisation = templateMode ? templateOrganisation(bitsPerPixel, width, height)
                                                           : storedOrganisation(tiff, bitsPerPixel, height);
    set->append(&organisation);

    if (bitonal)
    {
        std::uint16_t fillOrder = FILLORDER_MSB2LSB;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_FILLORDER, &fillOrder);
        const TiffFillOrder order(fillOrder != FILLORDER_LSB2MSB);
        set->append(&order);
    }

    for (const std::int32_t kind : kTextOrder)
    {
        const char* text = nullptr;
        if (TIFFGetField(tiff, TiffText::tagOf(kind), &text) && text)
        {
            const StringBuffer value = limitedText(text, TiffText::kLimit);
            const TiffText property(kind, &value);
            set->append(&property);
        }
        else if (templateMode)
        {
            const StringBuffer empty = AsciiStringBuffer("");
            const TiffText property(kind, &empty);
            set->append(&property);
        }
    }

    // libtiff does not hand out GrayResponseCurve, so only the template
    // offers one (empty).
    if (grey && templateMode)
    {
        const TiffGrayResponseCurve curve;
        set->append(&curve);
    }

    std::uint16_t minimum = 0;
    std::uint16_t maximum = 0;
    if (TIFFGetField(tiff, TIFFTAG_MINSAMPLEVALUE, &minimum) && TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &maximum))
    {
        TiffSampleRange range;
        range.setRange(minimum, maximum);
        set->append(&range);
    }

    std::uint16_t sampleFormat = 0;
    if (TIFFGetField(tiff, TIFFTAG_SAMPLEFORMAT, &sampleFormat))
    {
        const std::int32_t format = TiffSampleFormatProperty::formatOfTagValue(sampleFormat);
        if (format >= 0)
        {
            const TiffSampleFormatProperty property(format);
            set->append(&property);
        }
    }

    if (templateMode)
    {
        const TiffAssociation association(TiffAssociation::kPrimary);
        set->append(&association);
        return set;
    }
    std::uint32_t subfileType = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &subfileType);
    const TiffAssociation association(TiffAssociation::codeOfSubfileType(subfileType));
    set->append(&association);

    TiffPageInformation::Values page;
    const char* name = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_DOCUMENTNAME, &name) && name)
        page.documentName = limitedText(name, 1024);
    name = nullptr;
    if (TIFFGetField(tiff, TIFFTAG_PAGENAME, &name) && name)
        page.pageName = limitedText(name, 1024);
    std::uint16_t pageNumber = 0;
    std::uint16_t pageCount = 0;
    if (TIFFGetField(tiff, TIFFTAG_PAGENUMBER, &pageNumber, &pageCount))
    {
        page.pageNumber = pageNumber;
        page.pageCount = pageCount;
    }
    float position = 0.0f;
    if (TIFFGetField(tiff, TIFFTAG_XPOSITION, &position))
        page.xPosition = position;
    if (TIFFGetField(tiff, TIFFTAG_YPOSITION, &position))
        page.yPosition = position;
    if (page.documentName || page.pageName || page.pageNumber)
    {
        const TiffPageInformation information(page);
        set->append(&information);
    }
    return set;
}

} // namespace Omvi
