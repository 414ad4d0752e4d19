#pragma once
// The typed bases of properties whose value is itself a list of properties:
// an inclusive set (every element applies, like the three parts of a page
// offset) and an exclusive set (one element is selected, like a compression
// scheme among those offered). The set owns clones of its elements.
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/properties/OwnedPropertyList.h"

namespace Omvi
{

class FormatCodecInclusivePropertySetInterface : public FormatCodecPropertyInterface
{
public:
    // 11
    virtual std::int32_t count() const;
    // 12: the element at `index` (owned by the set); null outside the count.
    virtual FormatCodecPropertyInterface* element(std::int32_t index) const;

    void append(const FormatCodecPropertyInterface* property) { elements_.append(property); }
    bool setAt(std::int32_t index, const FormatCodecPropertyInterface* property)
    {
        return elements_.setAt(index, property);
    }

protected:
    explicit FormatCodecInclusivePropertySetInterface(std::int32_t propertyType, std::int32_t capacity = 0);
    FormatCodecInclusivePropertySetInterface(const FormatCodecInclusivePropertySetInterface& other);

private:
    OwnedPropertyList elements_;
};

class FormatCodecExclusivePropertySetInterface : public FormatCodecInclusivePropertySetInterface
{
public:
    // 13: a second index kept beside the selection (0 unless a codec sets it).
    virtual std::int32_t secondIndex() const;
    // 14
    virtual std::int32_t selectedIndex() const;
    // 15: false (nothing changes) outside the elements.
    virtual bool select(std::int32_t index);

protected:
    explicit FormatCodecExclusivePropertySetInterface(std::int32_t propertyType, std::int32_t capacity = 0);
    void setSecondIndex(std::int32_t index) { secondIndex_ = index; }

private:
    std::int32_t selected_ = 0;
    std::int32_t secondIndex_ = 0;
};

} // namespace Omvi
