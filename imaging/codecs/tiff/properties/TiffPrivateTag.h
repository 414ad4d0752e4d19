#pragma once
// A tag of the file that the codec does not interpret, carried as its TIFF
// data type and raw values. It is named "$TIFF_Private_Tag#" followed by the
// tag number in five digits; a frame hands one out when asked by that name,
// and a writer stores it back under its number.
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace Omvi
{

class TiffPrivateTag : public FormatCodecPropertyInterface, public TiffProperty
{
public:
    // The most values a private tag holds when it is written.
    static constexpr std::uint32_t kMostValues = 65535;

    TiffPrivateTag(std::uint16_t tag, std::int32_t dataType);
    FormatCodecPropertyInterface* clone() const override;

    std::uint16_t tag() const { return tag_; }
    std::int32_t dataType() const { return dataType_; }
    std::uint32_t valueCount() const { return count_; }
    bool hasData() const { return hasData_; }

    // Bytes of one value of a TIFF data type (0 for types 0 and above 12).
    static std::uint32_t valueSize(std::int32_t dataType);
    // Replaces the values by a copy of `count` values (count x valueSize
    // bytes of `bytes`).
    void setData(const void* bytes, std::uint32_t count);
    // Copies the values into `out` (valueCount x valueSize bytes); false
    // without values.
    bool getData(void* out) const;
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    // Registers the tag with libtiff and sets its values in the directory
    // being written.
    bool writeTag(TIFF* tiff) const override;

    // Whether a property's name is a private tag name: "$TIFF_Private_Tag#"
    // followed by exactly five digits giving a number above 0.
    static bool isPrivateTagName(const StringBuffer& name);
    static bool isPrivateTagName(const FormatCodecPropertyInterface& property);
    // The tag number of such a name; 0 when the name does not qualify.
    static std::int32_t privateTagNumber(const StringBuffer& name);

    // The tag of the directory `tiff` is on, as a private tag property; null
    // when the directory lacks it or libtiff does not hand its values out
    // with a count.
    static std::unique_ptr<TiffPrivateTag> readPrivateTag(TIFF* tiff, std::uint32_t tag);
    // The same from directory `directory` of the file, for the tag the
    // property's name gives.
    static std::unique_ptr<TiffPrivateTag> readPrivateTag(const std::string& nativePath, int directory,
                                                          const FormatCodecPropertyInterface& property);

private:
    bool hasData_ = false;
    std::uint16_t tag_;
    std::int32_t dataType_;
    std::uint32_t count_ = 0;
    std::vector<std::uint8_t> bytes_;
};

} // namespace Omvi
