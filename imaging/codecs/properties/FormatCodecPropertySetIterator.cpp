#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

namespace Omvi
{

FormatCodecPropertySetIterator::FormatCodecPropertySetIterator() = default;

FormatCodecPropertySetIterator::FormatCodecPropertySetIterator(std::int32_t capacity) : properties_(capacity) {}

FormatCodecPropertySetIterator::FormatCodecPropertySetIterator(const FormatCodecPropertySetIterator& other)
    : properties_(other.properties_)
{
}

FormatCodecPropertySetIterator::~FormatCodecPropertySetIterator() = default;

void FormatCodecPropertySetIterator::start()
{
    cursor_ = 0;
}

std::int32_t FormatCodecPropertySetIterator::next()
{
    if (cursor_ < properties_.count())
        ++cursor_;
    return cursor_;
}

bool FormatCodecPropertySetIterator::isDone() const
{
    return cursor_ >= properties_.count();
}

std::int32_t FormatCodecPropertySetIterator::count() const
{
    return properties_.count();
}

FormatCodecPropertyInterface* FormatCodecPropertySetIterator::findByType(std::int32_t propertyType) const
{
    for (std::int32_t i = 0; i < properties_.count(); ++i)
        if (properties_.at(i)->propertyType() == propertyType)
            return properties_.at(i);
    return nullptr;
}

FormatCodecPropertyInterface* FormatCodecPropertySetIterator::current() const
{
    return properties_.at(cursor_);
}

void FormatCodecPropertySetIterator::release() {}

void FormatCodecPropertySetIterator::append(const FormatCodecPropertyInterface* property)
{
    properties_.append(property);
}

bool FormatCodecPropertySetIterator::setAt(std::int32_t index, const FormatCodecPropertyInterface* property)
{
    return properties_.setAt(index, property);
}

FormatCodecPropertyInterface* FormatCodecPropertySetIterator::at(std::int32_t index) const
{
    return properties_.at(index);
}

FormatCodecPropertyInterface* FormatCodecPropertySetIterator::findByName(const StringBuffer& name) const
{
    for (std::int32_t i = 0; i < properties_.count(); ++i)
        if (properties_.at(i)->hasName(name))
            return properties_.at(i);
    return nullptr;
}

} // namespace Omvi
