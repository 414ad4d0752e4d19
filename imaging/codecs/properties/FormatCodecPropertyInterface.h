#pragma once
// The root of every codec property: what a file format stores beside its
// pixels (resolution, tiling, compression, transparency, texts, placement)
// travels between codecs and their users as property objects. A property
// has a type (what it describes), a value type (what kind of value it
// holds), a name and a description (codec texts, by which properties are
// also found), two flags and two codes whose meanings each codec gives.
//
// Properties are copied with clone(); sets and frames hand out clones that
// the caller owns.
#include "imaging/StringBuffer.h"

#include <cstdint>

namespace Omvi
{

class FormatCodecPropertyInterface
{
public:
    // What a property describes.
    enum PropertyType : std::int32_t
    {
        kPrivate = 0,  // a format's own tag
        kCompression = 2,
        kDensity = 3,
        kDataOrganization = 4,
        kAssociation = 5,
        kTransparency = 6,
        kCorrelation = 7,
        kColor = 8,
        kSampleFormat = 14
    };
    // What kind of value it holds.
    enum ValueType : std::int32_t
    {
        kNoValue = 0,
        kBoolean = 2,
        kInteger = 3,
        kDouble = 4,
        kString = 5,
        kInclusiveSet = 6,
        kExclusiveSet = 7,
        kCompound = 9  // a value of several parts
    };

    // 0: a new copy of the concrete property, owned by the caller.
    virtual FormatCodecPropertyInterface* clone() const = 0;
    // 1
    virtual ~FormatCodecPropertyInterface();
    // 2 and 3
    virtual std::int32_t propertyType() const;
    virtual std::int32_t valueType() const;
    // 4 and 5: the two flags (false unless a codec sets them).
    virtual bool firstFlag() const;
    virtual bool secondFlag() const;
    // 6 and 7
    virtual const StringBuffer& description() const;
    virtual const StringBuffer& name() const;
    // 8 and 9: the two codes (-1 unless set; every typed base sets the second
    // to 1).
    virtual std::int32_t firstCode() const;
    virtual std::int32_t secondCode() const;
    // 10: the value as text for showing; false when the property has none.
    virtual bool valueAsText(StringBuffer& out) const;

    // Whether the property's name equals `text` (compared as the codecs
    // compare names).
    bool hasName(const StringBuffer& text) const;

protected:
    FormatCodecPropertyInterface(std::int32_t propertyType, std::int32_t valueType);
    FormatCodecPropertyInterface(const FormatCodecPropertyInterface& other);
    FormatCodecPropertyInterface& operator=(const FormatCodecPropertyInterface& other);

    void setPropertyType(std::int32_t type) { propertyType_ = type; }
    void setValueType(std::int32_t type) { valueType_ = type; }
    void setFlags(bool first, bool second);
    void setCodes(std::int32_t first, std::int32_t second);
    void setName(const StringBuffer& name);
    void setDescription(const StringBuffer& description);
    // Name and description loaded from the codec texts.
    void loadTexts(std::int32_t nameId, std::int32_t descriptionId);

private:
    std::int32_t propertyType_;
    std::int32_t valueType_;
    bool firstFlag_ = false;
    bool secondFlag_ = false;
    StringBuffer name_;
    StringBuffer description_;
    std::int32_t firstCode_ = -1;
    std::int32_t secondCode_ = -1;
};

} // namespace Omvi
