#include "imaging/codecs/tiff/TiffFormatCodec.h"

#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CLocaleNumbers.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/models/DataModel.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/TiffVariantKind.h"
#include "imaging/codecs/tiff/reader/TiffReadFile.h"
#include "imaging/codecs/tiff/writer/TiffWriteFile.h"

#include <iterator>
#include <tiffio.h>

namespace Omvi
{
namespace
{

[[maybe_unused]] const TiffFormatCodecApiVersion apiVersion;

// Directories beyond this many are not looked at by the probe.
constexpr int kMostDirectoriesProbed = 65536;

// Whether the file starts as a classic TIFF does and its first directory
// (offset and entry count) lies beyond its end: a TIFF cut short, which the
// TIFF library merely refuses to open.
bool firstDirectoryCutOff(const std::string& nativePath)
{
    CodecFile file;
    std::uint8_t header[8];
    if (!file.open(nativePath) || !file.readAt(0, header, sizeof header))
        return false;
    const bool little = header[0] == 'I' && header[1] == 'I' && header[2] == 42 && header[3] == 0;
    const bool big = header[0] == 'M' && header[1] == 'M' && header[2] == 0 && header[3] == 42;
    if (!little && !big)
        return false;
    const std::int64_t offset = little ? ByteOrder::littleEndian32(header + 4) : ByteOrder::bigEndian32(header + 4);
    return offset >= 8 && offset + 2 > file.size();
}

FormatCodecDescription tiffDescription()
{
    using namespace TiffStringId;
    return {",3,0,1,0,0589,TiffFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension, kExtensionTiff},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kExclusiveOpen,
            {0, 1, 2, 3, 4, 5},
            {FormatCodecPropertyInterface::kCompression, FormatCodecPropertyInterface::kDensity, FormatCodecPropertyInterface::kDataOrganization, FormatCodecPropertyInterface::kAssociation, FormatCodecPropertyInterface::kTransparency}};
}

} // namespace

TiffFormatCodec::TiffFormatCodec(int mode)
    : FormatCodecBase(tiffDescription()), lzw_(mode >= kWithLzw), textureMode_(mode == kTextureMode)
{
}

TiffFormatCodec::~TiffFormatCodec() = default;

bool TiffFormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    for (int kind = 2; kind <= 16; ++kind)
    {
        const std::int32_t id = TiffStringId::propertyKindNameId(kind);
        if (kind == 13 || id == 0)
            continue;
        if (equalsCodecString(name, id))
            return true;
    }
    return false;
}

bool TiffFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    if (model == nullptr || width < 1 || height < 1 || width > 0x7FFFFFFE || height > 0x7FFFFFFE)
        return false;
    struct Layout
    {
        std::int32_t colorSpace;
        std::int32_t dataType;
        std::int32_t sampleFormat;
    };
    static constexpr Layout kWritable[] = {
        {kColorSpaceBitonal, kDataTypeOneBit, 1},   {kColorSpaceGray, kDataTypeEightBit, 1},
        {kColorSpacePalette, kDataTypeEightBit, 1}, {kColorSpaceRgb, kDataTypeThirtyTwoBit, 1},
        {kColorSpaceNone, kDataTypeSixteenBit, 1},  {kColorSpaceNone, kDataTypeThirtyTwoBit, 3},
    };
    for (const Layout& layout : kWritable)
        if (model->colorSpace() == layout.colorSpace && model->dataType() == layout.dataType &&
            model->sampleFormat() == layout.sampleFormat)
            return true;
    return false;
}

bool TiffFormatCodec::getTextPropertyName(int index, StringBuffer& out) const
{
    if (index < 0 || index >= static_cast<int>(std::size(TiffStringId::kTextKinds)))
        return false;
    loadCodecString(TiffStringId::propertyKindNameId(TiffStringId::kTextKinds[index]), out);
    return true;
}

int TiffFormatCodec::modeCode() const
{
    if (textureMode_)
        return kTextureMode;
    return lzw_ ? kWithLzw : kWithoutLzw;
}

void TiffFormatCodec::geoTiffTableFolder(StringBuffer& out)
{
    // No table folder is ever configured: the GeoTIFF library's built-in
    // tables serve.
    static const StringBuffer folder;
    out = folder;
}

void TiffFormatCodec::privateTagName(int tag, StringBuffer& out)
{
    out = AsciiStringBuffer(CLocaleNumbers::format("$TIFF_Private_Tag#%05d", tag));
}

int TiffFormatCodec::probePath(const std::string& nativePath) const
{
    const std::unique_ptr<TiffHandle> handle = TiffHandle::openForReading(nativePath);
    if (!handle)
        return firstDirectoryCutOff(nativePath) ? kTruncated : kNotThisFormat;
    bool counted = false;
    for (int directory = 0; directory < kMostDirectoriesProbed && !counted; ++directory)
    {
        counted = tiffDirectoryReadable(handle->get(), lzw_);
        if (!counted && !TIFFReadDirectory(handle->get()))
            break;
    }
    return counted ? kRecognised : kUnsupportedVariant;
}

std::string TiffFormatCodec::describeVariant(const std::string& nativePath) const
{
    if (probePath(nativePath) != kUnsupportedVariant)
        return {};
    // The first directory is the image a reader opens first.
    const std::unique_ptr<TiffHandle> handle = TiffHandle::openForReading(nativePath);
    return handle ? tiffVariantKind(handle->get(), lzw_) : std::string();
}

ReadImageFileInterface* TiffFormatCodec::newReader(const FileSpecifier& file,
                                                   std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new TiffReadFile(*this, file, std::move(correlations));
}

WriteImageFileInterface* TiffFormatCodec::newWriter() const
{
    return new TiffWriteFile(*this);
}

} // namespace Omvi
