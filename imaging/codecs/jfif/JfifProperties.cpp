#include "imaging/codecs/jfif/JfifProperties.h"

#include "imaging/codecs/jfif/JfifStrings.h"

#include <cmath>

namespace Omvi
{
namespace
{

// A double truncated toward zero and taken modulo 65536 into 0-65535.
std::uint16_t wrap16(double value)
{
    if (!std::isfinite(value))
        return 0;
    double wrapped = std::fmod(std::trunc(value), 65536.0);
    if (wrapped < 0)
        wrapped += 65536.0;
    return static_cast<std::uint16_t>(wrapped);
}

} // namespace

JfifDensity::JfifDensity() : JfifDensity(1.0, 1.0, kNoUnit) {}

JfifDensity::JfifDensity(double x, double y, std::int32_t unit) : FormatCodecDensity(1.0, 1.0, unit)
{
    setCodes(2, 1);
    loadTexts(JfifStringId::kDensityName, JfifStringId::kDensityDescription);
    setDensity(x, y);
}

FormatCodecPropertyInterface* JfifDensity::clone() const
{
    return new JfifDensity(*this);
}

bool JfifDensity::setDensity(double x, double y)
{
    return setDensity16(wrap16(x), wrap16(y));
}

bool JfifDensity::setDensity16(std::uint16_t x, std::uint16_t y)
{
    return FormatCodecDensity::setDensity(x, y);
}

JfifCompression::JfifCompression() : FormatCodecIntProperty(kCompression, 0, 100, 100)
{
    setCodes(3, 1);
    loadTexts(JfifStringId::kQualityName, JfifStringId::kQualityDescription);
}

FormatCodecPropertyInterface* JfifCompression::clone() const
{
    return new JfifCompression(*this);
}

JfifComment::JfifComment(const StringBuffer& text, std::int32_t lengthLimit)
    : FormatCodecStringProperty(kPrivate, StringBuffer(), text, lengthLimit)
{
    setCodes(2, 1);
    loadTexts(JfifStringId::kCommentName, JfifStringId::kCommentDescription);
}

FormatCodecPropertyInterface* JfifComment::clone() const
{
    return new JfifComment(*this);
}

std::int32_t JfifComment::markerLength() const
{
    const StringBuffer& value = text();
    std::int32_t length = value.size();
    const bool singleByte = value.encoding() == 0 || value.encoding() == 4;
    if (singleByte && length > 0 && value.data()[length - 1] == '\0')
        --length;
    return length;
}

JfifProgressiveOutput::JfifProgressiveOutput(bool value) : FormatCodecBooleanProperty(kPrivate, value, false)
{
    setCodes(3, 1);
    loadTexts(JfifStringId::kProgressiveName, JfifStringId::kProgressiveDescription);
}

FormatCodecPropertyInterface* JfifProgressiveOutput::clone() const
{
    return new JfifProgressiveOutput(*this);
}

} // namespace Omvi
