#include "imaging/codecs/jfif/JfifFormatCodec.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/jfif/JfifReadFile.h"
#include "imaging/codecs/jfif/JfifWriteFile.h"
#include "imaging/codecs/jfif/JfifStrings.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <new>

namespace Omvi
{
namespace
{

[[maybe_unused]] const JfifFormatCodecApiVersion apiVersion;

FormatCodecDescription jfifDescription()
{
    using namespace JfifStringId;
    return {",3,0,1,1,0589,JfifFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kExclusiveOpen,
            {1, 6}};
}

} // namespace

JfifFormatCodec::JfifFormatCodec() : FormatCodecBase(jfifDescription()) {}

JfifFormatCodec::~JfifFormatCodec() = default;

bool JfifFormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    return equalsCodecString(name, JfifStringId::kCommentName);
}

bool JfifFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    if (model == nullptr || width < 1 || height < 1 || width > kMaxSide || height > kMaxSide)
        return false;
    const std::int32_t bits = model->bitsUsedPerPixel();
    if (model->colorSpace() == kColorSpaceRgb)
        return model->dataType() == kDataTypeThirtyTwoBit && (bits == 24 || bits == 32);
    if (model->colorSpace() == kColorSpaceGray)
        return model->dataType() == kDataTypeEightBit && bits == 8;
    return false;
}

ReadImageFileInterface* JfifFormatCodec::openStreamForRead(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    return new (std::nothrow) JfifReadFile(this, stream);
}

WriteImageFileInterface* JfifFormatCodec::createStreamWriter(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    return new (std::nothrow) JfifWriteFile(this, stream);
}

ReadImageFileInterface* JfifFormatCodec::newReader(const FileSpecifier& file,
                                                   std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new JfifReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* JfifFormatCodec::newWriter() const
{
    return new JfifWriteFile(this);
}

bool JfifFormatCodec::getPrivatePropertyName(int index, StringBuffer& out) const
{
    static constexpr std::int32_t kNames[] = {JfifStringId::kCommentName, JfifStringId::kProgressiveName};
    if (index < 0 || index > 1)
        return false;
    loadCodecString(kNames[index], out);
    return true;
}

int JfifFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    std::uint8_t start[4];
    if (!file.open(nativePath) || !file.readAt(0, start, sizeof start))
        return kNotThisFormat;
    return start[0] == 0xFF && start[1] == 0xD8 && start[2] == 0xFF ? kRecognised : kNotThisFormat;
}

} // namespace Omvi
