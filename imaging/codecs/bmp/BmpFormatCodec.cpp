#include "imaging/codecs/bmp/BmpFormatCodec.h"

#include "imaging/codecs/bmp/BmpReadFile.h"
#include "imaging/codecs/bmp/BmpStrings.h"
#include "imaging/codecs/bmp/BmpWriteFile.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/models/DataModel.h"

#include <cstdlib>
#include <string>

namespace Omvi
{
namespace
{

[[maybe_unused]] const BmpFormatCodecApiVersion apiVersion;

constexpr std::uint16_t kMagic = 0x4D42;  // "BM"
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

FormatCodecDescription bmpDescription()
{
    using namespace BmpStringId;
    return {",3,0,1,0,0589,BmpFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension, kExtensionDib, kExtensionRle},
            kExtension,
            kName,
            kDescription,
            CreditSource::kEmpty,
            0,
            FileCreationTest::kCreateDeleteOnClose,
            {0},
            {FormatCodecPropertyInterface::kDensity, FormatCodecPropertyInterface::kCorrelation}};
}

// The words for pixel data stored in a way the reader does not decode.
std::string compressionKind(std::uint32_t compression, std::uint32_t bits)
{
    switch (compression)
    {
    case 1:
        return "BMP with run-length compression (RLE8)";
    case 2:
        return "BMP with run-length compression (RLE4)";
    case kBitFields:
    case kAlphaBitFields:
        return "BMP whose " + std::to_string(bits) + "-bit pixels are laid out by bit fields";
    case 4:
        return "BMP holding a JPEG image";
    case 5:
        return "BMP holding a PNG image";
    default:
        return "BMP of compression method " + std::to_string(compression);
    }
}

// The header probe; `kind` (when given) receives the words for a
// compression it does not read.
int probeBmp(const std::string& nativePath, std::string* kind)
{
    CodecFile file;
    if (!file.open(nativePath))
        return ImageFormatCodec::kNotThisFormat;
    std::uint8_t header[14 + kInfoHeaderSize];
    if (!file.readAt(0, header, 14) || ByteOrder::littleEndian16(header) != kMagic)
        return ImageFormatCodec::kNotThisFormat;
    if (!file.readAt(14, header + 14, kInfoHeaderSize))
        return ImageFormatCodec::kNotThisFormat;

    const std::uint32_t headerSize = ByteOrder::littleEndian32(&header[14]);
    const std::uint32_t dataOffset = ByteOrder::littleEndian32(&header[10]);
    std::int64_t width;
    std::int64_t height;
    std::uint32_t bits;
    if (headerSize >= kInfoHeaderSize)
    {
        width = ByteOrder::littleEndian32(&header[18]);
        // Rows stored top-down have a negative height; the rows take the
        // same room either way.
        height = std::llabs(static_cast<std::int32_t>(ByteOrder::littleEndian32(&header[22])));
        bits = ByteOrder::littleEndian16(&header[28]);
        const std::uint32_t compression = ByteOrder::littleEndian32(&header[30]);
        // Compressed pixel data is no smaller than its rows only by chance, so
        // its length says nothing about truncation.
        if (compression != 0 && !(compression == kBitFields && bits == 16))
        {
            if (kind != nullptr)
                *kind = compressionKind(compression, bits);
            return ImageFormatCodec::kUnsupportedVariant;
        }
    }
    else
    {
        // The older, smaller header keeps 16-bit sizes at other places.
        width = ByteOrder::littleEndian16(&header[18]);
        height = ByteOrder::littleEndian16(&header[20]);
        bits = ByteOrder::littleEndian16(&header[24]);
    }
    const std::int64_t rowBytes = ((static_cast<std::int64_t>(bits) * width + 31) >> 5) * 4;
    // Computed wide: a row of 2^32 pixels of 65535 bits times 2^31 rows.
    const long double needed = static_cast<long double>(rowBytes) * static_cast<long double>(height) + dataOffset;
    if (static_cast<long double>(file.size()) < needed)
        return ImageFormatCodec::kTruncated;
    return ImageFormatCodec::kRecognised;
}

} // namespace

BmpFormatCodec::BmpFormatCodec() : FormatCodecBase(bmpDescription()) {}

BmpFormatCodec::~BmpFormatCodec() = default;

bool BmpFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    if (model == nullptr || width < 1 || height < 1 || width > 0x7FFFFFFE || height > 0x7FFFFFFE)
        return false;
    const std::int32_t type = model->colorSpace();
    const std::int32_t kind = model->dataType();
    const std::int32_t bits = model->bitsUsedPerPixel();
    if (type == kColorSpaceRgb)
        return kind == kDataTypeThirtyTwoBit && (bits == 24 || bits == 32);
    if (type == kColorSpacePalette || type == kColorSpaceGray)
        return kind == kDataTypeEightBit && (bits == 2 || bits == 4 || bits == 8);
    if (type == kColorSpaceBitonal)
        return kind == kDataTypeOneBit && bits == 1;
    return false;
}

int BmpFormatCodec::probePath(const std::string& nativePath) const
{
    return probeBmp(nativePath, nullptr);
}

std::string BmpFormatCodec::describeVariant(const std::string& nativePath) const
{
    std::string kind;
    return probeBmp(nativePath, &kind) == kUnsupportedVariant ? kind : std::string();
}

ReadImageFileInterface* BmpFormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new BmpReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* BmpFormatCodec::newWriter() const
{
    return new BmpWriteFile(this);
}

} // namespace Omvi
