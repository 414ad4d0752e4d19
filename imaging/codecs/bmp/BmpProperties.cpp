#include "imaging/codecs/bmp/BmpProperties.h"

#include "imaging/codecs/bmp/BmpStrings.h"

namespace Omvi
{

BmpDensityProperty::BmpDensityProperty(double x, double y) : FormatCodecDensity(x, y, kPerCentimetre)
{
    loadTexts(BmpStringId::kDensity, BmpStringId::kDensity);
}

FormatCodecPropertyInterface* BmpDensityProperty::clone() const
{
    return new BmpDensityProperty(*this);
}

bool BmpDensityProperty::setUnit(std::int32_t unit)
{
    if (unit != kPerCentimetre)
        return false;
    return FormatCodecDensity::setUnit(unit);
}

} // namespace Omvi
