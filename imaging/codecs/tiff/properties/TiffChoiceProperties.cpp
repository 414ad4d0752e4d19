#include "imaging/codecs/tiff/properties/TiffChoiceProperties.h"

#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"

#include <tiffio.h>

namespace Omvi
{

using namespace TiffStringId;

TiffPhotometricInterpretation::TiffPhotometricInterpretation(std::int32_t photometric)
    : FormatCodecExclusivePropertySetInterface(kPrivate, 2), TiffProperty(kKindPhotometric)
{
    setCodes(2, 1);
    loadTexts(kPhotometricName, kPhotometricDescription);
    const TiffVoidProperty minIsWhite(kMinIsWhiteName, kMinIsWhiteDescription);
    const TiffVoidProperty minIsBlack(kMinIsBlackName, kMinIsBlackDescription);
    append(&minIsWhite);
    append(&minIsBlack);
    select(photometric == PHOTOMETRIC_MINISWHITE ? 0 : 1);
}

FormatCodecPropertyInterface* TiffPhotometricInterpretation::clone() const
{
    return new TiffPhotometricInterpretation(*this);
}

bool TiffPhotometricInterpretation::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    const unsigned value = isNotMinIsWhite() ? PHOTOMETRIC_MINISBLACK : PHOTOMETRIC_MINISWHITE;
    return TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, value) == 1;
}

TiffFillOrder::TiffFillOrder(bool msbFirst)
    : FormatCodecExclusivePropertySetInterface(kPrivate, 2), TiffProperty(kKindFillOrder)
{
    setFlags(false, true);
    setCodes(2, 1);
    loadTexts(kFillOrderName, kFillOrderDescription);
    const TiffVoidProperty highBitFirst(kFillMsbFirstName, kFillMsbFirstDescription);
    const TiffVoidProperty lowBitFirst(kFillLsbFirstName, kFillLsbFirstDescription);
    append(&highBitFirst);
    append(&lowBitFirst);
    select(msbFirst ? 0 : 1);
}

FormatCodecPropertyInterface* TiffFillOrder::clone() const
{
    return new TiffFillOrder(*this);
}

bool TiffFillOrder::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    return TIFFSetField(tiff, TIFFTAG_FILLORDER, static_cast<unsigned>(selectedIndex() + 1)) == 1;
}

} // namespace Omvi
