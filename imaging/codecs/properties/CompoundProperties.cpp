#include "imaging/codecs/properties/CompoundProperties.h"

namespace Omvi
{

FormatCodecDensity::FormatCodecDensity(double x, double y, std::int32_t unit)
    : FormatCodecPropertyInterface(kDensity, kCompound), defaultX_(x), defaultY_(y), x_(x), y_(y),
      defaultUnit_(unit), unit_(unit)
{
    setCodes(-1, 1);
}

void FormatCodecDensity::setDefaults(double x, double y, std::int32_t unit)
{
    defaultX_ = x;
    defaultY_ = y;
    defaultUnit_ = unit;
}

void FormatCodecDensity::getDefault(double* x, double* y) const
{
    if (x)
        *x = defaultX_;
    if (y)
        *y = defaultY_;
}

bool FormatCodecDensity::setDensity(double x, double y)
{
    x_ = x;
    y_ = y;
    return true;
}

void FormatCodecDensity::getDensity(double* x, double* y) const
{
    if (x)
        *x = x_;
    if (y)
        *y = y_;
}

std::int32_t FormatCodecDensity::defaultUnit() const
{
    return defaultUnit_;
}

std::int32_t FormatCodecDensity::unit() const
{
    return unit_;
}

bool FormatCodecDensity::setUnit(std::int32_t unit)
{
    unit_ = unit;
    return true;
}

FormatCodecDataOrganization::FormatCodecDataOrganization(std::int32_t code)
    : FormatCodecPropertyInterface(kDataOrganization, kCompound), defaultCode_(code), code_(code)
{
    setCodes(-1, 1);
}

void FormatCodecDataOrganization::setDefaultTileSize(std::int32_t width, std::int32_t height)
{
    if (width > 0)
        defaultTileWidth_ = width;
    if (height > 0)
        defaultTileHeight_ = height;
}

void FormatCodecDataOrganization::setDefaultThirdSize(std::int32_t size)
{
    if (size > 0)
        defaultThirdSize_ = size;
}

std::int32_t FormatCodecDataOrganization::code() const
{
    return code_;
}

bool FormatCodecDataOrganization::setCode(std::int32_t code)
{
    code_ = code;
    return true;
}

void FormatCodecDataOrganization::getTileSize(std::int32_t* width, std::int32_t* height) const
{
    if (width)
        *width = tileWidth_ >= 1 ? tileWidth_ : defaultTileWidth_;
    if (height)
        *height = tileHeight_ >= 1 ? tileHeight_ : defaultTileHeight_;
}

bool FormatCodecDataOrganization::setTileSize(std::int32_t width, std::int32_t height)
{
    if (width < 1 || height < 1)
        return false;
    tileWidth_ = width;
    tileHeight_ = height;
    return true;
}

std::int32_t FormatCodecDataOrganization::thirdSize() const
{
    return thirdSize_ >= 1 ? thirdSize_ : defaultThirdSize_;
}

bool FormatCodecDataOrganization::setThirdSize(std::int32_t size)
{
    if (size < 1)
        return false;
    thirdSize_ = size;
    return true;
}

FormatCodecAssociation::FormatCodecAssociation(std::int32_t first, std::int32_t second)
    : FormatCodecPropertyInterface(kAssociation, kCompound), first_(first), second_(second)
{
    setCodes(-1, 1);
}

std::int32_t FormatCodecAssociation::first() const
{
    return first_;
}

void FormatCodecAssociation::setFirst(std::int32_t value)
{
    first_ = value;
}

std::int32_t FormatCodecAssociation::second() const
{
    return second_;
}

void FormatCodecAssociation::setSecond(std::int32_t value)
{
    second_ = value;
}

FormatCodecColorProperty::FormatCodecColorProperty(RgbColor color, std::int32_t code)
    : FormatCodecPropertyInterface(kColor, kCompound), color_(color), code_(code)
{
    setCodes(-1, 1);
}

RgbColor FormatCodecColorProperty::getColor() const
{
    return color_;
}

std::int32_t FormatCodecColorProperty::code() const
{
    return code_;
}

void FormatCodecColorProperty::setColor(RgbColor color)
{
    color_ = color;
}

FormatCodecSampleFormatProperty::FormatCodecSampleFormatProperty(std::int32_t sampleFormat, std::int32_t second)
    : FormatCodecPropertyInterface(kSampleFormat, kCompound), sampleFormat_(sampleFormat), second_(second)
{
    setCodes(-1, 1);
}

} // namespace Omvi
