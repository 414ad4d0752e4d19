#include "imaging/codecs/gif/GifFormatCodec.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/gif/GifReadFile.h"
#include "imaging/codecs/gif/GifStrings.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"

#include <cstring>

namespace Omvi
{
namespace
{

[[maybe_unused]] const GifFormatCodecApiVersion apiVersion;

FormatCodecDescription gifDescription()
{
    using namespace GifStringId;
    return {",3,0,1,0,0589,GifFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kString,
            kCreditText,
            FileCreationTest::kNever,
            {0},
            {FormatCodecPropertyInterface::kCorrelation}};
}

} // namespace

GifFormatCodec::GifFormatCodec() : FormatCodecBase(gifDescription()) {}

GifFormatCodec::~GifFormatCodec() = default;

ReadImageFileInterface* GifFormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new GifReadFile(this, file, std::move(correlations));
}

int GifFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    char signature[6];
    if (!file.open(nativePath) || !file.readAt(0, signature, sizeof signature))
        return kNotThisFormat;
    return std::memcmp(signature, "GIF87a", 6) == 0 || std::memcmp(signature, "GIF89a", 6) == 0 ? kRecognised
                                                                                                 : kNotThisFormat;
}

} // namespace Omvi
