#pragma once
// The TIFF properties that choose one of two: the photometric
// interpretation of a grey or bitonal image (0 is white, or 0 is black) and
// the fill order of a bitonal image (first pixel in the high bit or in the
// low bit). What they write is the selected choice.
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>

namespace Omvi
{

class TiffPhotometricInterpretation : public FormatCodecExclusivePropertySetInterface, public TiffProperty
{
public:
    // Choice 0 is min-is-white (PhotometricInterpretation 0), choice 1
    // min-is-black (1); `photometric` selects one (any value but 0 the
    // second).
    explicit TiffPhotometricInterpretation(std::int32_t photometric);
    FormatCodecPropertyInterface* clone() const override;

    // Whether the selection is min-is-black.
    bool isNotMinIsWhite() const { return selectedIndex() != 0; }
    // PhotometricInterpretation (262) = the selected choice.
    bool writeTag(TIFF* tiff) const override;
};

class TiffFillOrder : public FormatCodecExclusivePropertySetInterface, public TiffProperty
{
public:
    // Choice 0 is most significant bit first (FillOrder 1), choice 1 least
    // significant bit first (2); `msbFirst` selects one.
    explicit TiffFillOrder(bool msbFirst);
    FormatCodecPropertyInterface* clone() const override;
    // FillOrder (266) = selected choice + 1.
    bool writeTag(TIFF* tiff) const override;
};

} // namespace Omvi
