#pragma once
// The BMP codec's properties: the resolution of the info header, as a
// density in pixels per centimetre, and the codec's property set.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

class BmpDensityProperty : public FormatCodecDensity
{
public:
    // Pixels per centimetre along x and y; the unit is always per
    // centimetre.
    BmpDensityProperty(double x, double y);

    FormatCodecPropertyInterface* clone() const override;
    // Only kPerCentimetre is taken.
    bool setUnit(std::int32_t unit) override;
    std::int32_t codecSpecificValue() const override { return 0; }
};

class BmpPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    BmpPropertySetIterator() = default;
    BmpPropertySetIterator(const BmpPropertySetIterator& other) = default;
};

} // namespace Omvi
