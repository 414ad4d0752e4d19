#include "imaging/codecs/properties/OwnedPropertyList.h"

namespace Omvi
{
namespace
{

constexpr std::int32_t kGrowth = 10;

} // namespace

OwnedPropertyList::OwnedPropertyList(std::int32_t capacity) : capacity_(capacity > 0 ? capacity : 0)
{
    items_.reserve(static_cast<std::size_t>(capacity_));
}

OwnedPropertyList::OwnedPropertyList(const OwnedPropertyList& other) : capacity_(other.capacity_)
{
    items_.reserve(static_cast<std::size_t>(capacity_));
    for (const auto& item : other.items_)
        items_.emplace_back(item->clone());
}

FormatCodecPropertyInterface* OwnedPropertyList::at(std::int32_t index) const
{
    if (index < 0 || index >= count())
        return nullptr;
    return items_[static_cast<std::size_t>(index)].get();
}

void OwnedPropertyList::append(const FormatCodecPropertyInterface* property)
{
    if (property == nullptr)
        return;
    std::unique_ptr<FormatCodecPropertyInterface> copy(property->clone());
    if (!copy)
        return;
    if (count() >= capacity_)
    {
        capacity_ += kGrowth;
        items_.reserve(static_cast<std::size_t>(capacity_));
    }
    items_.push_back(std::move(copy));
}

bool OwnedPropertyList::setAt(std::int32_t index, const FormatCodecPropertyInterface* property)
{
    if (property == nullptr || index < 0 || index >= capacity_ || index > count())
        return false;
    std::unique_ptr<FormatCodecPropertyInterface> copy(property->clone());
    if (!copy)
        return false;
    if (index == count())
        items_.push_back(std::move(copy));
    else
        items_[static_cast<std::size_t>(index)] = std::move(copy);
    return true;
}

} // namespace Omvi
