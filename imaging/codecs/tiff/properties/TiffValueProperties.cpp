#include "imaging/codecs/tiff/properties/TiffValueProperties.h"

#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffStrings.h"

#include <cfloat>
#include <tiffio.h>

namespace Omvi
{
namespace
{

using namespace TiffStringId;

struct TextKind
{
    std::int32_t kind;
    std::int32_t nameId;
    std::int32_t descriptionId;
    std::int32_t defaultId;
    std::uint32_t tag;
};

constexpr TextKind kTextKinds[] = {
    {TiffProperty::kKindByteOrder, kByteOrderName, kByteOrderDescription, kByteOrderLittleEndian, 0},
    {TiffProperty::kKindArtist, kArtistName, kArtistDescription, kArtistDefault, TIFFTAG_ARTIST},
    {TiffProperty::kKindCopyright, kCopyrightName, kCopyrightDescription, kCopyrightDefault, TIFFTAG_COPYRIGHT},
    {TiffProperty::kKindDateTime, kDateTimeName, kDateTimeDescription, kDateTimeDefault, TIFFTAG_DATETIME},
    {TiffProperty::kKindHostComputer, kHostComputerName, kHostComputerDescription, kHostComputerDefault,
     TIFFTAG_HOSTCOMPUTER},
    {TiffProperty::kKindImageDescription, kImageDescriptionName, kImageDescriptionDescription, kImageDescriptionDefault,
     TIFFTAG_IMAGEDESCRIPTION},
    {TiffProperty::kKindMake, kMakeName, kMakeDescription, kMakeDefault, TIFFTAG_MAKE},
    {TiffProperty::kKindModel, kModelName, kModelDescription, kModelDefault, TIFFTAG_MODEL},
    {TiffProperty::kKindSoftware, kSoftwareName, kSoftwareDescription, kSoftwareDefault, TIFFTAG_SOFTWARE},
};

const TextKind* textKind(std::int32_t kind)
{
    for (const TextKind& entry : kTextKinds)
        if (entry.kind == kind)
            return &entry;
    return nullptr;
}

StringBuffer codecText(std::int32_t id)
{
    StringBuffer text;
    if (id != 0)
        loadCodecString(id, text);
    return text;
}

StringBuffer cutToLimit(const StringBuffer& text, std::int32_t limit)
{
    if (text.encoding() != 0 && text.encoding() != kCodecTextEncoding)
        return text;
    const std::string bytes = text.text();
    if (bytes.size() <= static_cast<std::size_t>(limit))
        return text;
    return limitedText(bytes, static_cast<std::size_t>(limit));
}

} // namespace

StringBuffer limitedText(const std::string& text, std::size_t limit)
{
    return AsciiStringBuffer(text.substr(0, limit));
}

TiffIntProperty::TiffIntProperty(std::int32_t nameId, std::int32_t descriptionId, std::int32_t minimum,
                                 std::int32_t maximum, std::int32_t value)
    : FormatCodecIntProperty(kTiffMemberPropertyType, minimum, maximum, value)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* TiffIntProperty::clone() const
{
    return new TiffIntProperty(*this);
}

TiffStringProperty::TiffStringProperty(std::int32_t nameId, std::int32_t descriptionId)
    : FormatCodecStringProperty(kTiffMemberPropertyType, StringBuffer(), StringBuffer(), kLimit)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* TiffStringProperty::clone() const
{
    return new TiffStringProperty(*this);
}

bool TiffStringProperty::setText(const StringBuffer& text)
{
    return FormatCodecStringProperty::setText(cutToLimit(text, kLimit));
}

TiffDoubleProperty::TiffDoubleProperty(std::int32_t nameId, std::int32_t descriptionId)
    : FormatCodecDoubleProperty(kTiffMemberPropertyType, 0.0, DBL_MAX, 0.0)
{
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* TiffDoubleProperty::clone() const
{
    return new TiffDoubleProperty(*this);
}

TiffVoidProperty::TiffVoidProperty(std::int32_t nameId, std::int32_t descriptionId)
    : FormatCodecPropertyInterface(kTiffMemberPropertyType, kNoValue)
{
    setCodes(1, 1);
    loadTexts(nameId, descriptionId);
}

FormatCodecPropertyInterface* TiffVoidProperty::clone() const
{
    return new TiffVoidProperty(*this);
}

TiffText::TiffText(std::int32_t kind, const StringBuffer* text)
    : FormatCodecStringProperty(kPrivate, codecText(textKind(kind) ? textKind(kind)->defaultId : 0),
                                text ? cutToLimit(*text, kLimit)
                                     : codecText(textKind(kind) ? textKind(kind)->defaultId : 0),
                                kLimit),
      TiffProperty(kind)
{
    setCodes(kind == kKindByteOrder ? 1 : 2, 1);
    if (const TextKind* entry = textKind(kind))
        loadTexts(entry->nameId, entry->descriptionId);
}

FormatCodecPropertyInterface* TiffText::clone() const
{
    return new TiffText(*this);
}

bool TiffText::setText(const StringBuffer& text)
{
    return FormatCodecStringProperty::setText(cutToLimit(text, kLimit));
}

std::uint32_t TiffText::tagOf(std::int32_t kind)
{
    const TextKind* entry = textKind(kind);
    return entry ? entry->tag : 0;
}

bool TiffText::writeTag(TIFF* tiff) const
{
    const std::uint32_t tag = tagOf(getTiffPropertyKind());
    if (tag == 0 || !tiff)
        return false;
    const std::string bytes = text().text();
    return TIFFSetField(tiff, tag, bytes.c_str()) == 1;
}

} // namespace Omvi
