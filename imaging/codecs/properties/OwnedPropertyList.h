#pragma once
// The storage shared by property sets and set-valued properties: an owned,
// ordered list of property clones that grows ten places at a time.
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class OwnedPropertyList
{
public:
    OwnedPropertyList() = default;
    // Room for `capacity` properties (none below 1).
    explicit OwnedPropertyList(std::int32_t capacity);
    // Clones every property of the other list.
    OwnedPropertyList(const OwnedPropertyList& other);
    OwnedPropertyList& operator=(const OwnedPropertyList&) = delete;

    std::int32_t count() const { return static_cast<std::int32_t>(items_.size()); }
    std::int32_t capacity() const { return capacity_; }
    // The property at `index`, still owned by the list; null outside it.
    FormatCodecPropertyInterface* at(std::int32_t index) const;

    // Stores a clone at the end (a null property is ignored); when the list
    // is full its capacity grows by ten.
    void append(const FormatCodecPropertyInterface* property);
    // For an index below the capacity and not past the count: replaces the
    // property at `index` by a clone (appending when the index equals the
    // count). False (nothing changes) otherwise or for a null property.
    bool setAt(std::int32_t index, const FormatCodecPropertyInterface* property);

private:
    std::vector<std::unique_ptr<FormatCodecPropertyInterface>> items_;
    std::int32_t capacity_ = 0;
};

} // namespace Omvi
