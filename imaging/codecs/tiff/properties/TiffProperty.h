#pragma once
// What every TIFF property adds to its generic property base: its TIFF
// property kind and the tag (or tags) it stores into a file being written.
// The reader makes TIFF properties from a directory's tags; the writer calls
// writeTag on each property it is given. The kinds with a name of their own
// are listed in TiffStringId::propertyKindNameId.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"

#include <cstdint>

typedef struct tiff TIFF;

namespace Omvi
{

class StringBuffer;

// The property type of properties that only live inside another property
// (compression choices, the members of a set-valued property).
constexpr std::int32_t kTiffMemberPropertyType = -1;

class TiffProperty
{
public:
    // TIFF property kinds.
    enum Kind : std::int32_t
    {
        kKindOther = 0,  // density, data organisation, association, transparency
        kKindByteOrder = 1,
        kKindPhotometric = 2,
        kKindArtist = 3,
        kKindCopyright = 4,
        kKindDateTime = 5,
        kKindFillOrder = 6,
        kKindGrayResponse = 7,
        kKindHostComputer = 8,
        kKindImageDescription = 9,
        kKindMake = 10,
        kKindModel = 11,
        kKindSoftware = 12,
        kKindCompression = 13,
        kKindPrivateTag = 14,
        kKindSampleRange = 15,
        kKindPageInformation = 16
    };

    // 0
    virtual ~TiffProperty();
    // 1
    virtual std::int32_t getTiffPropertyKind() const;
    // 2: stores the property into the directory being written; true when
    // libtiff took it, false when it refused or there is nothing to write.
    virtual bool writeTag(TIFF* tiff) const = 0;

protected:
    explicit TiffProperty(std::int32_t kind) : kind_(kind) {}
    TiffProperty(const TiffProperty&) = default;
    TiffProperty& operator=(const TiffProperty&) = default;

private:
    std::int32_t kind_;
};

// The name of a TIFF property kind (false, empty text, for kinds without
// one), and whether a text is that name.
bool getTiffPropertyName(std::int32_t kind, StringBuffer& out);
bool matchesTiffPropertyName(std::int32_t kind, const StringBuffer& text);

// The TIFF codec's property set (a frame's properties, a writer's supported
// properties).
class TiffFormatCodecPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    TiffFormatCodecPropertySetIterator() = default;
    TiffFormatCodecPropertySetIterator(const TiffFormatCodecPropertySetIterator& other) = default;
};

} // namespace Omvi
