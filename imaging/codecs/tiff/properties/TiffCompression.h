#pragma once
// The compression of a TIFF directory: an exclusive set of the schemes that
// suit the image's depth, one of them selected. Scheme codes (the codec's,
// not the tag's): 0 none, 1 CCITT modified Huffman run length, 2 the same
// word-aligned, 3 CCITT Group 3, 4 CCITT Group 4, 5 LZW, 6 PackBits, 7 JPEG
// with separate tables (written as JPEG), 8 JPEG, 9 Deflate.
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>

namespace Omvi
{

// One scheme offered by a TiffCompression.
class TiffCompressionType : public FormatCodecPropertyInterface, public TiffProperty
{
public:
    explicit TiffCompressionType(std::int32_t code);
    FormatCodecPropertyInterface* clone() const override;
    std::int32_t code() const { return code_; }
    // A choice writes nothing by itself.
    bool writeTag(TIFF* tiff) const override;

private:
    std::int32_t code_;
};

class TiffCompression : public FormatCodecExclusivePropertySetInterface, public TiffProperty
{
public:
    enum Code : std::int32_t
    {
        kNone = 0,
        kHuffman = 1,
        kHuffmanWordAligned = 2,
        kGroup3 = 3,
        kGroup4 = 4,
        kLzw = 5,
        kPackBits = 6,
        kOldJpeg = 7,
        kJpeg = 8,
        kDeflate = 9
    };

    // The schemes offered for `bitsPerPixel`, the one of `currentCode`
    // selected. `noSecondJpeg` leaves out JPEG with separate tables,
    // `offerLzw` adds LZW, `offerJpegBelow9Bits` offers JPEG for depths of 8
    // bits and fewer (grey images).
    TiffCompression(std::int32_t bitsPerPixel, std::int32_t currentCode, bool noSecondJpeg, bool offerLzw,
                    bool offerJpegBelow9Bits);
    FormatCodecPropertyInterface* clone() const override;

    // The scheme code of the choice at `index` (0 for an index outside).
    std::int32_t getCompressionAt(std::int32_t index) const;
    std::int32_t selectedCode() const { return getCompressionAt(selectedIndex()); }
    // Selects the choice of scheme `code`; false when it is not offered.
    bool selectCode(std::int32_t code);
    // Compression (259) with the tag value of the selected scheme.
    bool writeTag(TIFF* tiff) const override;

    // The Compression tag value of a scheme code, and the scheme code of a
    // tag value (unknown values: none).
    static std::uint16_t tagValueOf(std::int32_t code);
    static std::int32_t codeOfTagValue(std::uint32_t value);
};

} // namespace Omvi
