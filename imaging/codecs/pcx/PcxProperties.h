#pragma once
// The PCX codec's properties: the header's density in dots per inch, and
// the codec's property set.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

#include <cstdint>

namespace Omvi
{

// Horizontal and vertical dots per inch, whole numbers 0-65535 (the header
// keeps 16 bits). Unit 2 (per inch) only; no density (0, 0) by default.
class PcxDensityProperty : public FormatCodecDensity
{
public:
    PcxDensityProperty();
    PcxDensityProperty(std::uint16_t horizontal, std::uint16_t vertical);
    FormatCodecPropertyInterface* clone() const override;

    // False (nothing changes) unless both are whole numbers from 0 to 65535.
    bool setDensity(double x, double y) override;
    // True for unit 2 only; nothing changes.
    bool setUnit(std::int32_t unit) override;
    std::int32_t codecSpecificValue() const override { return 1; }

    std::uint16_t horizontal() const { return horizontal_; }
    std::uint16_t vertical() const { return vertical_; }

private:
    std::uint16_t horizontal_ = 0;
    std::uint16_t vertical_ = 0;
};

class PcxPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    PcxPropertySetIterator() = default;
    PcxPropertySetIterator(const PcxPropertySetIterator& other) = default;
};

} // namespace Omvi
