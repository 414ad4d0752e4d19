#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"

#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffStrings.h"

#include <cctype>
#include <cstring>
#include <tiffio.h>

namespace Omvi
{
namespace
{

constexpr char kPrefix[] = "$TIFF_Private_Tag#";
constexpr std::size_t kPrefixLength = sizeof kPrefix - 1;
constexpr std::size_t kDigits = 5;

// The name libtiff prints for tags registered here (it keeps the pointer).
char kFieldName[] = "PrivateTag";

bool isDataType(std::int32_t type)
{
    return type >= TIFF_BYTE && type <= TIFF_DOUBLE;
}

} // namespace

TiffPrivateTag::TiffPrivateTag(std::uint16_t tag, std::int32_t dataType)
    : FormatCodecPropertyInterface(kPrivate, kNoValue), TiffProperty(kKindPrivateTag), tag_(tag), dataType_(dataType)
{
    setCodes(2, 1);
    loadTexts(TiffStringId::kPrivateTagName, TiffStringId::kPrivateTagDescription);
    StringBuffer name;
    TiffFormatCodec::privateTagName(tag, name);
    setName(name);
}

FormatCodecPropertyInterface* TiffPrivateTag::clone() const
{
    return new TiffPrivateTag(*this);
}

std::uint32_t TiffPrivateTag::valueSize(std::int32_t dataType)
{
    switch (dataType)
    {
    case TIFF_BYTE:
    case TIFF_ASCII:
    case TIFF_SBYTE:
    case TIFF_UNDEFINED:
        return 1;
    case TIFF_SHORT:
    case TIFF_SSHORT:
        return 2;
    case TIFF_LONG:
    case TIFF_RATIONAL:
    case TIFF_SLONG:
    case TIFF_SRATIONAL:
    case TIFF_FLOAT:
        return 4;
    case TIFF_DOUBLE:
        return 8;
    default:
        return 0;
    }
}

void TiffPrivateTag::setData(const void* bytes, std::uint32_t count)
{
    const std::size_t size = std::size_t{count} * valueSize(dataType_);
    if (!bytes || size == 0)
    {
        bytes_.clear();
        count_ = 0;
        hasData_ = false;
        return;
    }
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    bytes_.assign(first, first + size);
    count_ = count;
    hasData_ = true;
}

bool TiffPrivateTag::getData(void* out) const
{
    if (!hasData_ || !out)
        return false;
    std::memcpy(out, bytes_.data(), bytes_.size());
    return true;
}

bool TiffPrivateTag::writeTag(TIFF* tiff) const
{
    if (!tiff || !hasData_ || tag_ == 0 || count_ == 0 || count_ > kMostValues)
        return false;
    // Types libtiff does not know are written as undefined bytes; the values
    // are rational and floating types in the form libtiff takes them.
    const auto type = static_cast<TIFFDataType>(isDataType(dataType_) ? dataType_ : TIFF_UNDEFINED);
    const bool text = type == TIFF_ASCII;
    const TIFFField* field = TIFFFindField(tiff, tag_, TIFF_ANY);
    if (!field)
    {
        TIFFFieldInfo info = {tag_, TIFF_VARIABLE, TIFF_VARIABLE, type, FIELD_CUSTOM, 1, static_cast<unsigned char>(!text),
                              kFieldName};
        if (TIFFMergeFieldInfo(tiff, &info, 1) != 0)
            return false;
        field = TIFFFindField(tiff, tag_, TIFF_ANY);
        if (!field)
            return false;
    }
    // A tag libtiff already knows is set only when it takes its values the
    // same way (a count and an array of this type, or a text): anything else
    // would be read with the wrong arguments.
    if (TIFFFieldDataType(field) != type)
        return false;
    if (text)
    {
        if (TIFFFieldPassCount(field))
            return false;
        const std::string value(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
        return TIFFSetField(tiff, tag_, value.c_str()) == 1;
    }
    if (!TIFFFieldPassCount(field))
        return false;
    if (TIFFFieldWriteCount(field) == TIFF_VARIABLE2)
        return TIFFSetField(tiff, tag_, count_, bytes_.data()) == 1;
    if (TIFFFieldWriteCount(field) == TIFF_VARIABLE)
        return TIFFSetField(tiff, tag_, static_cast<int>(count_), bytes_.data()) == 1;
    return false;
}

bool TiffPrivateTag::isPrivateTagName(const StringBuffer& name)
{
    return privateTagNumber(name) > 0;
}

bool TiffPrivateTag::isPrivateTagName(const FormatCodecPropertyInterface& property)
{
    return isPrivateTagName(property.name());
}

std::int32_t TiffPrivateTag::privateTagNumber(const StringBuffer& name)
{
    if (name.isEmpty())
        return 0;
    const std::string text = name.text();
    if (text.size() != kPrefixLength + kDigits || text.compare(0, kPrefixLength, kPrefix) != 0)
        return 0;
    std::int32_t number = 0;
    for (std::size_t i = kPrefixLength; i < text.size(); ++i)
    {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return 0;
        number = number * 10 + (text[i] - '0');
    }
    return number;
}

std::unique_ptr<TiffPrivateTag> TiffPrivateTag::readPrivateTag(TIFF* tiff, std::uint32_t tag)
{
    if (!tiff || tag == 0 || tag > 0xFFFF)
        return nullptr;
    const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
    if (!field || !TIFFFieldPassCount(field))
        return nullptr;
    const std::int32_t type = TIFFFieldDataType(field);
    if (!isDataType(type))
        return nullptr;
    std::uint32_t count = 0;
    void* data = nullptr;
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2)
    {
        if (!TIFFGetField(tiff, tag, &count, &data))
            return nullptr;
    }
    else if (TIFFFieldReadCount(field) == TIFF_VARIABLE)
    {
        std::uint16_t shortCount = 0;
        if (!TIFFGetField(tiff, tag, &shortCount, &data))
            return nullptr;
        count = shortCount;
    }
    else
        return nullptr;
    auto property = std::make_unique<TiffPrivateTag>(static_cast<std::uint16_t>(tag), type);
    if (data && count > 0)
        property->setData(data, count);
    return property;
}

std::unique_ptr<TiffPrivateTag> TiffPrivateTag::readPrivateTag(const std::string& nativePath, int directory,
                                                               const FormatCodecPropertyInterface& property)
{
    const std::int32_t tag = privateTagNumber(property.name());
    if (tag <= 0)
        return nullptr;
    std::unique_ptr<TiffHandle> handle = TiffHandle::openDirectory(nativePath, directory);
    if (!handle)
        return nullptr;
    return readPrivateTag(handle->get(), static_cast<std::uint32_t>(tag));
}

} // namespace Omvi
