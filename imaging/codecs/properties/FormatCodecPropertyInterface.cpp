#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

#include "imaging/codecs/strings/CodecStrings.h"

namespace Omvi
{

FormatCodecPropertyInterface::FormatCodecPropertyInterface(std::int32_t propertyType, std::int32_t valueType)
    : propertyType_(propertyType), valueType_(valueType)
{
}

FormatCodecPropertyInterface::FormatCodecPropertyInterface(const FormatCodecPropertyInterface& other) = default;

FormatCodecPropertyInterface&
FormatCodecPropertyInterface::operator=(const FormatCodecPropertyInterface& other) = default;

FormatCodecPropertyInterface::~FormatCodecPropertyInterface() = default;

std::int32_t FormatCodecPropertyInterface::propertyType() const
{
    return propertyType_;
}

std::int32_t FormatCodecPropertyInterface::valueType() const
{
    return valueType_;
}

bool FormatCodecPropertyInterface::firstFlag() const
{
    return firstFlag_;
}

bool FormatCodecPropertyInterface::secondFlag() const
{
    return secondFlag_;
}

const StringBuffer& FormatCodecPropertyInterface::description() const
{
    return description_;
}

const StringBuffer& FormatCodecPropertyInterface::name() const
{
    return name_;
}

std::int32_t FormatCodecPropertyInterface::firstCode() const
{
    return firstCode_;
}

std::int32_t FormatCodecPropertyInterface::secondCode() const
{
    return secondCode_;
}

bool FormatCodecPropertyInterface::valueAsText(StringBuffer&) const
{
    return false;
}

bool FormatCodecPropertyInterface::hasName(const StringBuffer& text) const
{
    return stringBuffersEqual(name_, text);
}

void FormatCodecPropertyInterface::setFlags(bool first, bool second)
{
    firstFlag_ = first;
    secondFlag_ = second;
}

void FormatCodecPropertyInterface::setCodes(std::int32_t first, std::int32_t second)
{
    firstCode_ = first;
    secondCode_ = second;
}

void FormatCodecPropertyInterface::setName(const StringBuffer& name)
{
    name_ = name;
}

void FormatCodecPropertyInterface::setDescription(const StringBuffer& description)
{
    description_ = description;
}

void FormatCodecPropertyInterface::loadTexts(std::int32_t nameId, std::int32_t descriptionId)
{
    loadCodecString(nameId, name_);
    loadCodecString(descriptionId, description_);
}

} // namespace Omvi
