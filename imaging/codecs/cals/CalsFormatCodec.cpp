#include "imaging/codecs/cals/CalsFormatCodec.h"

#include "imaging/codecs/cals/CalsReadFile.h"
#include "imaging/codecs/cals/CalsStrings.h"
#include "imaging/codecs/cals/CalsWriteFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/codec/ProbeText.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <new>
#include <string>

namespace Omvi
{

const char* const CalsFormatCodec::kHeaderKeywords[11] = {"srcdocid:", "dstdocid:", "txtfilid:", "figid:",
                                                          "srcgph:",   "doccls:",   "rtype:",    "rorient:",
                                                          "rpelcnt:",  "rdensty:",  "notes:"};

namespace
{

[[maybe_unused]] const CalsFormatCodecApiVersion apiVersion;

constexpr std::size_t kRecordSize = 128;
constexpr std::int64_t kRasterTypeRecord = 768;

FormatCodecDescription calsDescription()
{
    using namespace CalsStringId;
    return {",3,0,1,1,0589,CalsFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension, kExtension1, kExtension2, kExtension3, kExtension4, kExtension5},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kCreateDeleteOnClose,
            {0, 6},
            {FormatCodecPropertyInterface::kDensity, FormatCodecPropertyInterface::kCorrelation}};
}

// The header probe; `kind` (when given) receives the words for a raster
// type it does not read.
int probeCals(const std::string& nativePath, std::string* kind)
{
    CodecFile file;
    if (!file.open(nativePath))
        return ImageFormatCodec::kNotThisFormat;
    std::uint8_t record[kRecordSize];
    if (!file.readAt(0, record, sizeof record))
        return ImageFormatCodec::kNotThisFormat;
    if (!ProbeText::startsWith(record, sizeof record, "srcdocid:"))
    {
        if (!file.readAt(kRecordSize, record, sizeof record) ||
            !ProbeText::startsWith(record, sizeof record, "dstdocid:"))
            return ImageFormatCodec::kNotThisFormat;
    }
    if (!file.readAt(kRasterTypeRecord, record, sizeof record) || !ProbeText::startsWith(record, sizeof record, "rtype:"))
        return ImageFormatCodec::kNotThisFormat;
    const long type = ProbeText::leadingNumber(record + 6, sizeof record - 6);
    if (type == 1)
        return ImageFormatCodec::kRecognised;
    if (kind != nullptr)
        *kind = "CALS of raster type " + std::to_string(type);
    return ImageFormatCodec::kUnsupportedVariant;
}


} // namespace

CalsFormatCodec::CalsFormatCodec() : FormatCodecBase(calsDescription()) {}

CalsFormatCodec::~CalsFormatCodec() = default;

bool CalsFormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    for (const char* keyword : kHeaderKeywords)
        if (stringBufferEquals(name, keyword))
            return true;
    return false;
}

bool CalsFormatCodec::canEncode(const DataModel* model, int, int) const
{
    return model != nullptr && model->dataType() == kDataTypeOneBit;
}

ReadImageFileInterface* CalsFormatCodec::openStreamForRead(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    return new (std::nothrow) CalsReadFile(this, stream);
}

WriteImageFileInterface* CalsFormatCodec::createStreamWriter(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    return new (std::nothrow) CalsWriteFile(this, stream);
}

ReadImageFileInterface* CalsFormatCodec::newReader(const FileSpecifier& file,
                                                   std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new CalsReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* CalsFormatCodec::newWriter() const
{
    return new CalsWriteFile(this);
}

int CalsFormatCodec::probePath(const std::string& nativePath) const
{
    return probeCals(nativePath, nullptr);
}

std::string CalsFormatCodec::describeVariant(const std::string& nativePath) const
{
    std::string kind;
    return probeCals(nativePath, &kind) == kUnsupportedVariant ? kind : std::string();
}

} // namespace Omvi
