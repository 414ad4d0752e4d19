#include "imaging/codecs/pcx/PcxFormatCodec.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/pcx/PcxReadFile.h"
#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/pcx/PcxWriteFile.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/models/DataModel.h"

namespace Omvi
{
namespace
{

[[maybe_unused]] const PcxFormatCodecApiVersion apiVersion;

FormatCodecDescription pcxDescription()
{
    using namespace PcxStringId;
    return {",3,0,1,0,0589,PcxFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kEmpty,
            0,
            FileCreationTest::kCreateDeleteOnClose,
            {0},
            {FormatCodecPropertyInterface::kCorrelation}};
}

} // namespace

PcxFormatCodec::PcxFormatCodec() : FormatCodecBase(pcxDescription()) {}

PcxFormatCodec::~PcxFormatCodec() = default;

bool PcxFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    if (model == nullptr || width < 1 || height < 1 || width > 65536 || height > 65536)
        return false;
    const std::int32_t type = model->colorSpace();
    if (type == kColorSpacePalette || type == kColorSpaceGray)
        return model->dataType() == kDataTypeEightBit && model->bitsUsedPerPixel() == 8;
    if (type == kColorSpaceBitonal)
        return model->dataType() == kDataTypeOneBit && model->bitsUsedPerPixel() == 1;
    return false;
}

ReadImageFileInterface* PcxFormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new PcxReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* PcxFormatCodec::newWriter() const
{
    return new PcxWriteFile(this);
}

int PcxFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    std::uint8_t header[128];
    if (!file.open(nativePath) || !file.readAt(0, header, sizeof header))
        return kNotThisFormat;
    const std::uint8_t version = header[1];
    if (header[0] != 10 || !(version == 0 || version == 2 || version == 3 || version == 5) || header[2] != 1)
        return kNotThisFormat;
    const int depth = header[3] * header[65];
    return depth == 1 || depth == 4 || depth == 8 || depth == 24 ? kRecognised : kUnsupportedVariant;
}

} // namespace Omvi
