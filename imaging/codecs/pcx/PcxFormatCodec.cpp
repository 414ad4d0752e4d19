#include "imaging/codecs/pcx/PcxFormatCodec.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/codecs/pcx/PcxReadFile.h"
#include "imaging/codecs/pcx/PcxReadFileFrame.h"
#include "imaging/codecs/pcx/PcxStrings.h"
#include "imaging/codecs/pcx/PcxWriteFile.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/models/DataModel.h"

#include <string>

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

// The words for a layout of planes and bits no row iterator decodes.
std::string layoutKind(int bits, int planes)
{
    if (planes == 1)
        return "PCX of " + std::to_string(bits) + (bits == 1 ? " bit" : " bits") + " a pixel";
    if (bits == 1 && planes <= 8)
        return "PCX of " + std::to_string(1 << planes) + " colours in " + std::to_string(planes) + " bit planes";
    return "PCX of " + std::to_string(planes) + " planes of " + std::to_string(bits) + (bits == 1 ? " bit" : " bits");
}

// The header probe; `kind` (when given) receives the words for a layout it
// does not read.
int probePcx(const std::string& nativePath, std::string* kind)
{
    CodecFile file;
    PcxHeader header;
    if (!file.open(nativePath) || !file.readAt(0, header.bytes.data(), header.bytes.size()))
        return ImageFormatCodec::kNotThisFormat;
    if (!header.followsTheRules())
        return ImageFormatCodec::kNotThisFormat;
    if (PcxReadFileFrame::layoutOf(header) != PcxReadFileFrame::Layout::kNone)
        return ImageFormatCodec::kRecognised;
    if (kind != nullptr)
        *kind = layoutKind(header.bitsPerPlane(), header.planes());
    return ImageFormatCodec::kUnsupportedVariant;
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
    return probePcx(nativePath, nullptr);
}

std::string PcxFormatCodec::describeVariant(const std::string& nativePath) const
{
    std::string kind;
    return probePcx(nativePath, &kind) == kUnsupportedVariant ? kind : std::string();
}

} // namespace Omvi
