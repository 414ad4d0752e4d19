#include "imaging/codecs/pict/PictFormatCodec.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/pict/PictReadFile.h"
#include "imaging/codecs/pict/PictStrings.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

namespace Omvi
{
namespace
{

[[maybe_unused]] const PictFormatCodecApiVersion apiVersion;

constexpr std::int64_t kPreamble = 512;

FormatCodecDescription pictDescription()
{
    using namespace PictStringId;
    return {",3,0,1,0,0589,PictFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead,
            ImageFormatCodec::kStrongSignature,
            {kExtension, kExtensionPict},
            kExtensionPict,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kCreateDeleteOnClose,
            {0},
            {FormatCodecPropertyInterface::kCorrelation}};
}

} // namespace

PictFormatCodec::PictFormatCodec() : FormatCodecBase(pictDescription()) {}

PictFormatCodec::~PictFormatCodec() = default;

int PictFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    if (!file.open(nativePath) || file.size() < kPreamble)
        return kNotThisFormat;
    std::uint8_t picture[512];
    const std::size_t count = file.readSomeAt(kPreamble, picture, sizeof picture);
    // The picture size (2 bytes), then the frame: top, left, bottom, right.
    if (count < 10)
        return kNotThisFormat;
    const std::uint16_t top = ByteOrder::bigEndian16(&picture[2]);
    const std::uint16_t left = ByteOrder::bigEndian16(&picture[4]);
    const std::uint16_t bottom = ByteOrder::bigEndian16(&picture[6]);
    const std::uint16_t right = ByteOrder::bigEndian16(&picture[8]);
    if (!(top < bottom && left < right))
        return kNotThisFormat;
    std::size_t at = 10;
    while (at < count && picture[at] == 0)
        ++at;
    if (at + 1 >= count || picture[at] != 0x11)
        return kNotThisFormat;
    if (picture[at + 1] == 1)
        return kRecognised;
    if (picture[at + 1] == 2 && at + 2 < count && picture[at + 2] == 0xFF)
        return kRecognised;
    return kNotThisFormat;
}

ReadImageFileInterface*
PictFormatCodec::newReader(const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new PictReadFile(this, file, std::move(correlations));
}

} // namespace Omvi
