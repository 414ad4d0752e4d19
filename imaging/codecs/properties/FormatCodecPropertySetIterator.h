#pragma once
// A set of codec properties with a cursor: frames hand their properties out
// in one, writers list what they accept in one. The set owns clones of what
// is added; every codec derives its own set class from it.
#include "imaging/codecs/properties/OwnedPropertyList.h"

#include <cstdint>

namespace Omvi
{

class StringBuffer;

class FormatCodecPropertySetIterator
{
public:
    FormatCodecPropertySetIterator();
    explicit FormatCodecPropertySetIterator(std::int32_t capacity);
    // Holds clones of the other set's properties; the cursor starts at 0.
    FormatCodecPropertySetIterator(const FormatCodecPropertySetIterator& other);
    FormatCodecPropertySetIterator& operator=(const FormatCodecPropertySetIterator&) = delete;

    // 0: deletes every property held.
    virtual ~FormatCodecPropertySetIterator();
    // 1: cursor to the first property.
    virtual void start();
    // 2: advances unless at the end; answers the cursor.
    virtual std::int32_t next();
    // 3: whether the cursor is past the last property.
    virtual bool isDone() const;
    // 4
    virtual std::int32_t count() const;
    // 5: the first property of that type, still owned by the set; null when
    // none.
    virtual FormatCodecPropertyInterface* findByType(std::int32_t propertyType) const;
    // 6: the property at the cursor (owned by the set), null at the end.
    virtual FormatCodecPropertyInterface* current() const;
    // 7: nothing to release (the set keeps what it hands out).
    virtual void release();

    // Stores a clone at the end (null is ignored).
    void append(const FormatCodecPropertyInterface* property);
    // Replaces (or, at the count, appends) a clone; see OwnedPropertyList.
    bool setAt(std::int32_t index, const FormatCodecPropertyInterface* property);
    // The property at `index` (owned by the set), null outside.
    FormatCodecPropertyInterface* at(std::int32_t index) const;
    // The first property of that name, still owned by the set.
    FormatCodecPropertyInterface* findByName(const StringBuffer& name) const;
    std::int32_t capacity() const { return properties_.capacity(); }

private:
    OwnedPropertyList properties_;
    std::int32_t cursor_ = 0;
};

} // namespace Omvi
