#include "imaging/codecs/flic/FlicFormatCodec.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/flic/FlicReadFile.h"
#include "imaging/codecs/flic/FlicStrings.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{
namespace
{

[[maybe_unused]] const FlicFormatCodecApiVersion apiVersion;

FormatCodecDescription flicDescription()
{
    using namespace FlicStringId;
    return {",3,0,1,0,0589,FlicFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead,
            ImageFormatCodec::kStrongSignature,
            {kExtension, kExtensionFlc},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kCreateDeleteOnClose};
}

} // namespace

FlicFormatCodec::FlicFormatCodec() : FormatCodecBase(flicDescription()) {}

FlicFormatCodec::~FlicFormatCodec() = default;

// Only the sample kind is looked at, though the codec has no writer.
bool FlicFormatCodec::canEncode(const DataModel* model, int, int) const
{
    return model != nullptr && model->dataType() == kDataTypeEightBit;
}

int FlicFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    std::uint8_t header[6];
    if (!file.open(nativePath) || !file.readAt(0, header, sizeof header))
        return kNotThisFormat;
    const std::uint16_t magic = ByteOrder::littleEndian16(&header[4]);
    return magic == 0xAF11 || magic == 0xAF12 ? kRecognised : kNotThisFormat;
}

ReadImageFileInterface*
FlicFormatCodec::newReader(const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new FlicReadFile(this, file, std::move(correlations));
}

} // namespace Omvi
