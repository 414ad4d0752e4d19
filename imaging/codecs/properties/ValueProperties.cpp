#include "imaging/codecs/properties/ValueProperties.h"

namespace Omvi
{

FormatCodecBooleanProperty::FormatCodecBooleanProperty(std::int32_t propertyType, bool value, bool defaultValue)
    : FormatCodecPropertyInterface(propertyType, kBoolean), value_(value), default_(defaultValue)
{
    setCodes(-1, 1);
}

bool FormatCodecBooleanProperty::value() const
{
    return value_;
}

bool FormatCodecBooleanProperty::defaultValue() const
{
    return default_;
}

void FormatCodecBooleanProperty::setValue(bool value)
{
    value_ = value;
}

FormatCodecIntProperty::FormatCodecIntProperty(std::int32_t propertyType, std::int32_t minimum,
                                               std::int32_t maximum, std::int32_t value)
    : FormatCodecPropertyInterface(propertyType, kInteger), value_(value), default_(value), maximum_(maximum),
      minimum_(minimum)
{
    setCodes(-1, 1);
}

std::int32_t FormatCodecIntProperty::defaultValue() const
{
    return default_;
}

std::int32_t FormatCodecIntProperty::value() const
{
    return value_;
}

bool FormatCodecIntProperty::setValue(std::int32_t value)
{
    if (value < minimum_ || value > maximum_)
        return false;
    value_ = value;
    return true;
}

void FormatCodecIntProperty::getRange(std::int32_t* minimum, std::int32_t* maximum) const
{
    if (minimum)
        *minimum = minimum_;
    if (maximum)
        *maximum = maximum_;
}

FormatCodecDoubleProperty::FormatCodecDoubleProperty(std::int32_t propertyType, double minimum, double maximum,
                                                     double value)
    : FormatCodecPropertyInterface(propertyType, kDouble), default_(value), maximum_(maximum), minimum_(minimum),
      value_(value)
{
    setCodes(-1, 1);
}

double FormatCodecDoubleProperty::defaultValue() const
{
    return default_;
}

bool FormatCodecDoubleProperty::setValue(const double& value)
{
    if (!(value >= minimum_ && value <= maximum_))
        return false;
    value_ = value;
    return true;
}

double FormatCodecDoubleProperty::value() const
{
    return value_;
}

void FormatCodecDoubleProperty::getRange(double* minimum, double* maximum) const
{
    if (minimum)
        *minimum = minimum_;
    if (maximum)
        *maximum = maximum_;
}

FormatCodecStringProperty::FormatCodecStringProperty(std::int32_t propertyType, const StringBuffer& defaultText,
                                                     const StringBuffer& text, std::int32_t lengthLimit)
    : FormatCodecPropertyInterface(propertyType, kString), default_(defaultText), text_(text),
      lengthLimit_(lengthLimit)
{
    setCodes(-1, 1);
}

const StringBuffer& FormatCodecStringProperty::defaultText() const
{
    return default_;
}

const StringBuffer& FormatCodecStringProperty::text() const
{
    return text_;
}

bool FormatCodecStringProperty::setText(const StringBuffer& text)
{
    text_ = text;
    return !text.isEmpty();
}

std::int32_t FormatCodecStringProperty::lengthLimit() const
{
    return lengthLimit_;
}

std::int32_t FormatCodecStringProperty::secondTextCode() const
{
    return secondTextCode_;
}

} // namespace Omvi
