#include "imaging/codecs/targa/TargaFormatCodec.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/targa/TargaReadFile.h"
#include "imaging/codecs/targa/TargaStrings.h"
#include "imaging/codecs/targa/TargaWriteFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/models/DataModel.h"

#include <cstring>
#include <string>

namespace Omvi
{
namespace
{

[[maybe_unused]] const TargaFormatCodecApiVersion apiVersion;

constexpr std::size_t kHeaderSize = 18;
constexpr std::size_t kFooterSize = 26;
constexpr char kFooterSignature[] = "TRUEVISION-XFILE";
constexpr std::int32_t kLargestSide = 65534;

FormatCodecDescription targaDescription()
{
    using namespace TargaStringId;
    return {",3,0,1,0,0589,TargaFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kWeakSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kCreateDeleteOnClose,
            {0},
            {FormatCodecPropertyInterface::kCorrelation}};
}

// The header probe (and the footer's, when there is one); `kind` (when
// given) receives the words for a kind it does not read.
int probeTarga(const std::string& nativePath, std::string* kind)
{
    CodecFile file;
    std::uint8_t header[kHeaderSize];
    if (!file.open(nativePath) || !file.readAt(0, header, sizeof header))
        return ImageFormatCodec::kNotThisFormat;
    // A file too short for a footer has none.
    std::uint8_t footer[kFooterSize] = {};
    const bool hasFooter =
        file.size() >= static_cast<std::int64_t>(kFooterSize) &&
        file.readAt(file.size() - static_cast<std::int64_t>(kFooterSize), footer, sizeof footer) &&
        std::memcmp(&footer[8], kFooterSignature, 16) == 0;

    const std::uint8_t mapType = header[1];
    int imageType = header[2];
    const std::uint16_t mapLength = ByteOrder::littleEndian16(&header[5]);
    const std::uint8_t mapEntrySize = header[7];
    const std::uint16_t width = ByteOrder::littleEndian16(&header[12]);
    const std::uint16_t height = ByteOrder::littleEndian16(&header[14]);
    const int depth = header[16] == 15 ? 16 : header[16];
    const std::uint8_t descriptor = header[17];
    const int bytesPerPixel = depth / 8;
    if (imageType > 8)
        imageType -= 8;  // the run-length forms
    const std::string bits = std::to_string(header[16]) + " bits a pixel";
    auto variant = [kind](std::string words) {
        if (kind != nullptr)
            *kind = std::move(words);
        return ImageFormatCodec::kUnsupportedVariant;
    };

    // Without a footer the header alone must be plausible. Colour maps of
    // 15-bit entries are as common as whole bytes (16-bit writers mark
    // theirs so), and are taken like them.
    if (!hasFooter)
    {
        if (mapType >= 2 || width == 0 || height == 0 || bytesPerPixel < 1 || bytesPerPixel > 4 ||
            (mapEntrySize % 8 != 0 && mapEntrySize != 15))
            return ImageFormatCodec::kNotThisFormat;
        const bool plausible = ((imageType == 1 || imageType == 3) && bytesPerPixel == 1) ||
                               (imageType == 3 && header[16] == 16) ||
                               (imageType == 2 && bytesPerPixel > 1);
        if (!plausible)
            return ImageFormatCodec::kNotThisFormat;
        // Only a header that is a Targa's in every other field is one of
        // the interleaved kind its reserved bits mark: text and other
        // files set those bits as often as not.
        if ((descriptor & 0xC0) != 0)
            return variant("Targa with interleaved rows");
    }
    if (bytesPerPixel < 1 || bytesPerPixel > 4)
        return variant("Targa of " + bits);
    // The depth must suit the type: single bytes for colour-mapped pixels,
    // one or two for grey ones (grey and alpha), two to four for true
    // colour; a colour map of known entries.
    if (imageType == 2)
        return bytesPerPixel > 1 ? ImageFormatCodec::kRecognised : variant("true-colour Targa of " + bits);
    if (imageType == 3)
        return depth == 8 || header[16] == 16 ? ImageFormatCodec::kRecognised : variant("grey Targa of " + bits);
    if (imageType == 1)
    {
        if (depth != 8)
            return variant("colour-mapped Targa of " + bits);
        const bool knownEntries = mapEntrySize == 15 || mapEntrySize == 16 || mapEntrySize == 24 || mapEntrySize == 32;
        if (!knownEntries)
            return variant("colour-mapped Targa of " + std::to_string(mapEntrySize) + "-bit map entries");
        if (mapLength < 1 || mapLength > 256)
            return variant("colour-mapped Targa of " + std::to_string(mapLength) + " map entries");
        return ImageFormatCodec::kRecognised;
    }
    return variant("Targa of image type " + std::to_string(header[2]));
}

} // namespace

TargaFormatCodec::TargaFormatCodec() : FormatCodecBase(targaDescription()) {}

TargaFormatCodec::~TargaFormatCodec() = default;

bool TargaFormatCodec::writerAccepts(std::int32_t colorType, std::int32_t deliveredBits, std::int32_t width,
                                     std::int32_t height)
{
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide)
        return false;
    if (colorType == kColorSpaceRgb)
        return deliveredBits == 32;
    if (colorType == kColorSpacePalette || colorType == kColorSpaceGray)
        return deliveredBits == 8;
    return false;
}

bool TargaFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    return model != nullptr && writerAccepts(model->colorSpace(), bitsPerPixelOf(model->dataType()), width, height);
}

int TargaFormatCodec::probePath(const std::string& nativePath) const
{
    return probeTarga(nativePath, nullptr);
}

std::string TargaFormatCodec::describeVariant(const std::string& nativePath) const
{
    std::string kind;
    return probeTarga(nativePath, &kind) == kUnsupportedVariant ? kind : std::string();
}

ReadImageFileInterface* TargaFormatCodec::newReader(const FileSpecifier& file,
                                                    std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new TargaReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* TargaFormatCodec::newWriter() const
{
    return new TargaWriteFile(this);
}

} // namespace Omvi
