#include "imaging/codecs/properties/PropertySetProperties.h"

namespace Omvi
{

FormatCodecInclusivePropertySetInterface::FormatCodecInclusivePropertySetInterface(std::int32_t propertyType,
                                                                                   std::int32_t capacity)
    : FormatCodecPropertyInterface(propertyType, kInclusiveSet), elements_(capacity)
{
    setCodes(-1, 1);
}

FormatCodecInclusivePropertySetInterface::FormatCodecInclusivePropertySetInterface(
    const FormatCodecInclusivePropertySetInterface& other)
    : FormatCodecPropertyInterface(other), elements_(other.elements_)
{
}

std::int32_t FormatCodecInclusivePropertySetInterface::count() const
{
    return elements_.count();
}

FormatCodecPropertyInterface* FormatCodecInclusivePropertySetInterface::element(std::int32_t index) const
{
    return elements_.at(index);
}

FormatCodecExclusivePropertySetInterface::FormatCodecExclusivePropertySetInterface(std::int32_t propertyType,
                                                                                   std::int32_t capacity)
    : FormatCodecInclusivePropertySetInterface(propertyType, capacity)
{
    setValueType(kExclusiveSet);
}

std::int32_t FormatCodecExclusivePropertySetInterface::secondIndex() const
{
    return secondIndex_;
}

std::int32_t FormatCodecExclusivePropertySetInterface::selectedIndex() const
{
    return selected_;
}

bool FormatCodecExclusivePropertySetInterface::select(std::int32_t index)
{
    if (index < 0 || index >= count())
        return false;
    selected_ = index;
    return true;
}

} // namespace Omvi
