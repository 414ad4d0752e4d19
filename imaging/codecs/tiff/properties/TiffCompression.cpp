#include "imaging/codecs/tiff/properties/TiffCompression.h"

#include "imaging/codecs/tiff/TiffStrings.h"

#include <tiffio.h>

namespace Omvi
{
namespace
{

using namespace TiffStringId;

struct SchemeTexts
{
    std::int32_t nameId;
    std::int32_t descriptionId;
};

SchemeTexts textsOf(std::int32_t code)
{
    switch (code)
    {
    case TiffCompression::kHuffman:
        return {kCompressionHuffmanName, kCompressionHuffmanDescription};
    case TiffCompression::kHuffmanWordAligned:
        return {kCompressionHuffmanWordName, kCompressionHuffmanWordDescription};
    case TiffCompression::kGroup3:
        return {kCompressionGroup3Name, kCompressionGroup3Description};
    case TiffCompression::kGroup4:
        return {kCompressionGroup4Name, kCompressionGroup4Description};
    case TiffCompression::kLzw:
        return {kCompressionLzwName, kCompressionLzwDescription};
    case TiffCompression::kPackBits:
        return {kCompressionPackBitsName, kCompressionPackBitsDescription};
    case TiffCompression::kOldJpeg:
        return {kCompressionOldJpegName, kCompressionOldJpegDescription};
    case TiffCompression::kJpeg:
        return {kCompressionJpegName, kCompressionJpegDescription};
    case TiffCompression::kDeflate:
        return {kCompressionDeflateName, kCompressionDeflateDescription};
    default:
        return {kCompressionNoneName, kCompressionNoneDescription};
    }
}

} // namespace

TiffCompressionType::TiffCompressionType(std::int32_t code)
    : FormatCodecPropertyInterface(kTiffMemberPropertyType, kNoValue), TiffProperty(kKindCompression), code_(code)
{
    setCodes(2, 1);
    const SchemeTexts texts = textsOf(code);
    loadTexts(texts.nameId, texts.descriptionId);
}

FormatCodecPropertyInterface* TiffCompressionType::clone() const
{
    return new TiffCompressionType(*this);
}

bool TiffCompressionType::writeTag(TIFF*) const
{
    return false;
}

TiffCompression::TiffCompression(std::int32_t bitsPerPixel, std::int32_t currentCode, bool noSecondJpeg,
                                 bool offerLzw, bool offerJpegBelow9Bits)
    : FormatCodecExclusivePropertySetInterface(FormatCodecPropertyInterface::kCompression), TiffProperty(kKindCompression)
{
    setFlags(true, false);
    setCodes(2, 1);
    loadTexts(kCompressionName, kCompressionDescription);

    auto offer = [this](std::int32_t code) {
        const TiffCompressionType choice(code);
        append(&choice);
    };
    offer(kNone);
    if (bitsPerPixel != 16)
        offer(kDeflate);
    if (bitsPerPixel == 1)
    {
        offer(kHuffman);
        offer(kHuffmanWordAligned);
        offer(kGroup3);
        offer(kGroup4);
        selectCode(currentCode);
        return;
    }
    if (bitsPerPixel < 16)
        offer(kPackBits);
    const bool jpeg = bitsPerPixel > 8 ? bitsPerPixel != 16 : offerJpegBelow9Bits;
    if (jpeg)
    {
        offer(kJpeg);
        if (!noSecondJpeg)
            offer(kOldJpeg);
    }
    if (offerLzw)
        offer(kLzw);
    selectCode(currentCode);
}

FormatCodecPropertyInterface* TiffCompression::clone() const
{
    return new TiffCompression(*this);
}

std::int32_t TiffCompression::getCompressionAt(std::int32_t index) const
{
    const auto* choice = dynamic_cast<const TiffCompressionType*>(element(index));
    return choice ? choice->code() : kNone;
}

bool TiffCompression::selectCode(std::int32_t code)
{
    for (std::int32_t i = 0; i < count(); ++i)
        if (getCompressionAt(i) == code)
            return select(i);
    return false;
}

bool TiffCompression::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    return TIFFSetField(tiff, TIFFTAG_COMPRESSION, static_cast<unsigned>(tagValueOf(selectedCode()))) == 1;
}

std::uint16_t TiffCompression::tagValueOf(std::int32_t code)
{
    switch (code)
    {
    case kHuffman:
    case kHuffmanWordAligned:
        return COMPRESSION_CCITTRLE;
    case kGroup3:
        return COMPRESSION_CCITTFAX3;
    case kGroup4:
        return COMPRESSION_CCITTFAX4;
    case kLzw:
        return COMPRESSION_LZW;
    case kPackBits:
        return COMPRESSION_PACKBITS;
    case kOldJpeg:
    case kJpeg:
        return COMPRESSION_JPEG;
    case kDeflate:
        return COMPRESSION_ADOBE_DEFLATE;
    default:
        return COMPRESSION_NONE;
    }
}

std::int32_t TiffCompression::codeOfTagValue(std::uint32_t value)
{
    switch (value)
    {
    case COMPRESSION_CCITTRLE:
        return kHuffman;
    case COMPRESSION_CCITTRLEW:
        return kHuffmanWordAligned;
    case COMPRESSION_CCITTFAX3:
        return kGroup3;
    case COMPRESSION_CCITTFAX4:
        return kGroup4;
    case COMPRESSION_LZW:
        return kLzw;
    case COMPRESSION_PACKBITS:
        return kPackBits;
    case COMPRESSION_OJPEG:
        return kOldJpeg;
    case COMPRESSION_JPEG:
        return kJpeg;
    case COMPRESSION_ADOBE_DEFLATE:
    case COMPRESSION_DEFLATE:
        return kDeflate;
    default:
        return kNone;
    }
}

} // namespace Omvi
