#include "imaging/codecs/tiff/properties/TiffLayoutProperties.h"

#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/strings/FormatString.h"
#include "imaging/codecs/tiff/TiffStrings.h"

#include <tiffio.h>

namespace Omvi
{
namespace
{

using namespace TiffStringId;

// A template with up to three integer inserts.
bool formatTemplate(std::int32_t id, std::initializer_list<std::int32_t> values, StringBuffer& out)
{
    StringBuffer text;
    if (!loadCodecString(id, text))
        return false;
    FormatString format;
    if (!format.setTemplate(text))
        return false;
    int insert = 1;
    for (const std::int32_t value : values)
        if (!format.formatInteger(insert++, static_cast<unsigned>(value)))
            return false;
    return format.getText(out);
}

} // namespace

TiffDataOrganization::TiffDataOrganization(std::int32_t bitsPerPixel, std::int32_t organisation,
                                           std::int32_t tileGranularity)
    : FormatCodecDataOrganization(organisation), TiffProperty(kKindOther), bitsPerPixel_(bitsPerPixel),
      granularity_(tileGranularity)
{
    setFlags(true, false);
    setCodes(2, 1);
    loadTexts(kDataOrganizationName, kDataOrganizationDescription);
}

FormatCodecPropertyInterface* TiffDataOrganization::clone() const
{
    return new TiffDataOrganization(*this);
}

bool TiffDataOrganization::setCode(std::int32_t code)
{
    if (code < kOneStrip || code > kStrips || (code == kTiles && bitsPerPixel_ == 16))
        return false;
    return FormatCodecDataOrganization::setCode(code);
}

bool TiffDataOrganization::setTileSize(std::int32_t width, std::int32_t)
{
    if (granularity_ <= 1 || width < 1 || width % granularity_ != 0)
        return false;
    return FormatCodecDataOrganization::setTileSize(width, width);
}

void TiffDataOrganization::setDefaults(std::int32_t tileWidth, std::int32_t tileHeight, std::int32_t rowsPerStrip)
{
    setDefaultTileSize(tileWidth, tileHeight);
    setDefaultThirdSize(rowsPerStrip);
}

bool TiffDataOrganization::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    switch (code())
    {
    case kOneStrip:
        return TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 0xFFFFFFFFu) == 1;
    case kTiles: {
        std::int32_t width = 0;
        std::int32_t height = 0;
        getTileSize(&width, &height);
        if (width < 1 || height < 1)
            width = height = 256;
        return TIFFSetField(tiff, TIFFTAG_TILEWIDTH, static_cast<std::uint32_t>(width)) == 1 &&
               TIFFSetField(tiff, TIFFTAG_TILELENGTH, static_cast<std::uint32_t>(height)) == 1;
    }
    case kStrips: {
        // JPEG with separate tables cannot be cut into strips.
        std::uint16_t compression = COMPRESSION_NONE;
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        const std::int32_t rows = thirdSize();
        const std::uint32_t value =
            compression == COMPRESSION_JPEG || rows < 1 ? 0xFFFFFFFFu : static_cast<std::uint32_t>(rows);
        return TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, value) == 1;
    }
    default:
        return false;
    }
}

bool TiffDataOrganization::valueAsText(StringBuffer& out) const
{
    switch (code())
    {
    case kOneStrip:
        return loadCodecString(TiffStringId::kOneStrip, out);
    case kTiles: {
        std::int32_t width = 0;
        std::int32_t height = 0;
        getTileSize(&width, &height);
        return formatTemplate(kTilesTemplate, {width, height}, out);
    }
    case kStrips:
        return formatTemplate(kStripsTemplate, {thirdSize()}, out);
    default:
        return false;
    }
}

TiffDensity::TiffDensity(double x, double y, std::int32_t unit) : FormatCodecDensity(x, y, unit), TiffProperty(kKindOther)
{
    setFlags(true, false);
    setCodes(2, 1);
    loadTexts(kDensityName, kDensityDescription);
}

FormatCodecPropertyInterface* TiffDensity::clone() const
{
    return new TiffDensity(*this);
}

std::int32_t TiffDensity::codecSpecificValue() const
{
    switch (unit())
    {
    case kPerCentimetre:
        return RESUNIT_CENTIMETER;
    case kPerInch:
        return RESUNIT_INCH;
    default:
        return RESUNIT_NONE;
    }
}

std::int32_t TiffDensity::unitOfTagValue(std::uint32_t value)
{
    if (value == RESUNIT_NONE)
        return kNoUnit;
    if (value == RESUNIT_CENTIMETER)
        return kPerCentimetre;
    return kPerInch;
}

bool TiffDensity::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    double x = 0.0;
    double y = 0.0;
    getDensity(&x, &y);
    return TIFFSetField(tiff, TIFFTAG_XRESOLUTION, x) == 1 && TIFFSetField(tiff, TIFFTAG_YRESOLUTION, y) == 1 &&
           TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, static_cast<unsigned>(codecSpecificValue())) == 1;
}

bool TiffDensity::valueAsText(StringBuffer& out) const
{
    StringBuffer text;
    if (!loadCodecString(kDensityTemplate, text))
        return false;
    FormatString format;
    double x = 0.0;
    double y = 0.0;
    getDensity(&x, &y);
    const std::int32_t unitId = unit() == kNoUnit ? kUnitNone : unit() == kPerCentimetre ? kUnitPerCentimetre : kUnitPerInch;
    StringBuffer unitText;
    loadCodecString(unitId, unitText);
    return format.setTemplate(text) && format.formatDouble(1, x) && format.formatDouble(2, y) &&
           format.formatText(3, unitText) && format.getText(out);
}

TiffAssociation::TiffAssociation(std::int32_t code) : FormatCodecAssociation(code, 0), TiffProperty(kKindOther)
{
    setFlags(false, true);
    setCodes(2, 1);
    loadTexts(kAssociationName, kAssociationDescription);
}

FormatCodecPropertyInterface* TiffAssociation::clone() const
{
    return new TiffAssociation(*this);
}

std::int32_t TiffAssociation::codeOfSubfileType(std::uint32_t subfileType)
{
    if (subfileType & FILETYPE_REDUCEDIMAGE)
        return kReducedResolution;
    if (subfileType & FILETYPE_PAGE)
        return kPage;
    if (subfileType & FILETYPE_MASK)
        return kMask;
    return kPrimary;
}

bool TiffAssociation::writeTag(TIFF* tiff) const
{
    if (!tiff || first() != kReducedResolution)
        return false;
    return TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, static_cast<std::uint32_t>(FILETYPE_REDUCEDIMAGE)) == 1;
}

bool TiffAssociation::valueAsText(StringBuffer& out) const
{
    switch (first())
    {
    case kReducedResolution:
        return formatTemplate(kAssociationReducedTemplate, {second()}, out);
    case kPage:
        return formatTemplate(kAssociationPageTemplate, {second()}, out);
    case kMask:
        return formatTemplate(kAssociationMaskTemplate, {second()}, out);
    case kPrimary:
        return formatTemplate(kAssociationPrimaryTemplate, {second()}, out);
    default:
        return false;
    }
}

TiffTransparency::TiffTransparency() : TiffProperty(kKindOther)
{
    setFlags(false, true);
    setCodes(2, 1);
    loadTexts(kTransparencyName, kTransparencyDescription);
}

FormatCodecPropertyInterface* TiffTransparency::clone() const
{
    return new TiffTransparency(*this);
}

bool TiffTransparency::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    const std::uint16_t alpha[1] = {EXTRASAMPLE_UNASSALPHA};
    return TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 4u) == 1 && TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1u, alpha) == 1;
}

TiffSampleFormatProperty::TiffSampleFormatProperty(std::int32_t sampleFormat)
    : FormatCodecSampleFormatProperty(sampleFormat, 0)
{
    setCodes(2, 1);
    loadTexts(kSampleFormatName, kSampleFormatDescription);
}

FormatCodecPropertyInterface* TiffSampleFormatProperty::clone() const
{
    return new TiffSampleFormatProperty(*this);
}

bool TiffSampleFormatProperty::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    unsigned value = SAMPLEFORMAT_VOID;
    switch (sampleFormat())
    {
    case 0:
        value = SAMPLEFORMAT_UINT;
        break;
    case 1:
        value = SAMPLEFORMAT_INT;
        break;
    case 2:
        value = SAMPLEFORMAT_IEEEFP;
        break;
    default:
        break;
    }
    return TIFFSetField(tiff, TIFFTAG_SAMPLEFORMAT, value) == 1;
}

std::int32_t TiffSampleFormatProperty::formatOfTagValue(std::uint32_t value)
{
    switch (value)
    {
    case SAMPLEFORMAT_UINT:
    case SAMPLEFORMAT_VOID:
        return 0;
    case SAMPLEFORMAT_INT:
        return 1;
    case SAMPLEFORMAT_IEEEFP:
        return 2;
    default:
        return -1;
    }
}

} // namespace Omvi
