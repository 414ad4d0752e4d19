#include "imaging/codecs/pcx/PcxProperties.h"

#include "imaging/codecs/pcx/PcxStrings.h"

#include <cmath>

namespace Omvi
{
namespace
{

bool storable(double value)
{
    return value >= 0.0 && value <= 65535.0 && std::floor(value) == value;
}

} // namespace

PcxDensityProperty::PcxDensityProperty() : PcxDensityProperty(0, 0) {}

PcxDensityProperty::PcxDensityProperty(std::uint16_t horizontal, std::uint16_t vertical)
    : FormatCodecDensity(horizontal, vertical, kPerInch), horizontal_(horizontal), vertical_(vertical)
{
    setDefaults(0.0, 0.0, kPerCentimetre);
    setCodes(2, 1);
    loadTexts(PcxStringId::kDensityName, PcxStringId::kDensityDescription);
}

FormatCodecPropertyInterface* PcxDensityProperty::clone() const
{
    return new PcxDensityProperty(*this);
}

bool PcxDensityProperty::setDensity(double x, double y)
{
    if (!storable(x) || !storable(y))
        return false;
    FormatCodecDensity::setDensity(x, y);
    horizontal_ = static_cast<std::uint16_t>(x);
    vertical_ = static_cast<std::uint16_t>(y);
    return true;
}

bool PcxDensityProperty::setUnit(std::int32_t unit)
{
    return unit == kPerInch;
}

} // namespace Omvi
