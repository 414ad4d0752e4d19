#include "imaging/codecs/png/PngFormatCodec.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/ByteOrder.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/png/PngErrorGuard.h"
#include "imaging/codecs/png/PngReadFile.h"
#include "imaging/codecs/png/PngWriteFile.h"
#include "imaging/codecs/png/PngStrings.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/models/DataModel.h"

#include <csetjmp>
#include <cstring>
#include <new>
#include <png.h>
#include <zlib.h>

namespace Omvi
{
namespace
{

[[maybe_unused]] const PngFormatCodecApiVersion apiVersion;

constexpr std::size_t kSignatureSize = 8;

FormatCodecDescription pngDescription()
{
    using namespace PngStringId;
    return {",3,0,1,1,0589,PngFormatCodec,Quillcast codecs",
            ImageFormatCodec::kCanRead | ImageFormatCodec::kCanWrite,
            ImageFormatCodec::kStrongSignature,
            {kExtension},
            kExtension,
            kName,
            kDescription,
            CreditSource::kCodec,
            0,
            FileCreationTest::kExclusiveOpen,
            {0, 6},
            {FormatCodecPropertyInterface::kDensity, FormatCodecPropertyInterface::kTransparency, FormatCodecPropertyInterface::kCorrelation, FormatCodecPropertyInterface::kColor}};
}

// The probe reads through the codec's own bounded file and keeps the PNG
// library quiet: its errors end the probe, its warnings are dropped.
struct ProbeSource
{
    const CodecFile* file;
    std::int64_t position;
    bool ended;
};

void readFromSource(png_structp png, png_bytep data, png_size_t length)
{
    auto* source = static_cast<ProbeSource*>(png_get_io_ptr(png));
    if (!source->file->readAt(source->position, data, length))
    {
        source->ended = true;
        png_error(png, "end of file");
    }
    source->position += static_cast<std::int64_t>(length);
}

void silentError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void silentWarning(png_structp, png_const_charp) {}

// The header chunk right after the signature, as the file holds it.
struct HeaderChunk
{
    bool intact = false;  // length 13, type IHDR, matching CRC
    bool standardMethods = true;  // compression and filter method 0
};

HeaderChunk headerChunkOf(const CodecFile& file)
{
    HeaderChunk header;
    std::uint8_t chunk[25];
    if (!file.readAt(static_cast<std::int64_t>(kSignatureSize), chunk, sizeof chunk))
        return header;
    const std::uint32_t length = ByteOrder::bigEndian32(chunk);
    const std::uint32_t crc = ByteOrder::bigEndian32(chunk + 21);
    header.intact = length == 13 && std::memcmp(chunk + 4, "IHDR", 4) == 0 &&
                    crc32(crc32(0, nullptr, 0), chunk + 4, 17) == crc;
    header.standardMethods = chunk[18] == 0 && chunk[19] == 0;
    return header;
}

// Reads the header chunks. Only plain C objects live in this frame, since
// the PNG library leaves it by a long jump on any error.
int probeHeader(ProbeSource* source, bool headerIntact)
{
    png_structp png = png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, silentError, silentWarning, nullptr,
                                               allocatePngMemory, freePngMemory);
    if (png == nullptr)
        return ImageFormatCodec::kNotThisFormat;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr)
    {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ImageFormatCodec::kNotThisFormat;
    }
    if (setjmp(png_jmpbuf(png)))
    {
        // A header the library accepted, then the end of the file: a PNG cut
        // short. A header the library accepted, then a chunk it refused (a
        // CRC error, a chunk out of place): a damaged PNG, which its reader
        // refuses saying why. A header chunk that arrived whole and was
        // refused: a PNG of a kind this codec cannot read. Anything else is
        // not a PNG.
        const bool headerRead = png_get_image_width(png, info) != 0;
        png_destroy_read_struct(&png, &info, nullptr);
        if (headerRead)
            return source->ended ? ImageFormatCodec::kTruncated : ImageFormatCodec::kRecognised;
        return headerIntact ? ImageFormatCodec::kUnsupportedVariant : ImageFormatCodec::kNotThisFormat;
    }
    png_set_read_fn(png, source, readFromSource);
    png_set_sig_bytes(png, static_cast<int>(kSignatureSize));
    limitPngReader(png);
    png_read_info(png, info);
    const int answer = png_get_filter_type(png, info) != 0 || png_get_compression_type(png, info) != 0
                           ? ImageFormatCodec::kUnsupportedVariant
                           : ImageFormatCodec::kRecognised;
    png_destroy_read_struct(&png, &info, nullptr);
    return answer;
}

} // namespace

PngFormatCodec::PngFormatCodec() : FormatCodecBase(pngDescription()) {}

PngFormatCodec::~PngFormatCodec() = default;

bool PngFormatCodec::isPrivatePropertyName(const StringBuffer& name) const
{
    for (int kind = 0; kind < kPrivatePropertyCount; ++kind)
        if (equalsCodecString(name, PngStringId::privatePropertyNameId(kind)))
            return true;
    return false;
}

bool PngFormatCodec::getCreditText(StringBuffer& out) const
{
    const char* banner = png_get_copyright(nullptr);
    if (banner == nullptr)
        banner = "";
    out.set(static_cast<std::int32_t>(std::strlen(banner) + 1), banner, StringBuffer::kSingleByte);
    return true;
}

bool PngFormatCodec::canEncode(const DataModel* model, int width, int height) const
{
    return model != nullptr && width >= 1 && height >= 1 && model->colorSpace() != kColorSpaceNone;
}

ReadImageFileInterface* PngFormatCodec::openStreamForRead(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    try
    {
        return new PngReadFile(this, stream);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr;
    }
    catch (OMVIException* failure)
    {
        delete failure;
        return nullptr;
    }
}

WriteImageFileInterface* PngFormatCodec::createStreamWriter(DataStreamInterface* stream) const
{
    if (stream == nullptr)
        return nullptr;
    return new (std::nothrow) PngWriteFile(this, stream);
}

ReadImageFileInterface* PngFormatCodec::newReader(const FileSpecifier& file,
                                                  std::unique_ptr<CorrelationPropertySetIterator> correlations) const
{
    return new PngReadFile(this, file, std::move(correlations));
}

WriteImageFileInterface* PngFormatCodec::newWriter() const
{
    return new PngWriteFile(this);
}

bool PngFormatCodec::isPrivatePropertyIndex(int index) const
{
    return index >= 0 && index < kPrivatePropertyCount;
}

bool PngFormatCodec::getPrivatePropertyName(int index, StringBuffer& out) const
{
    if (!isPrivatePropertyIndex(index))
        return false;
    loadCodecString(PngStringId::privatePropertyNameId(index), out);
    return true;
}

int PngFormatCodec::probePath(const std::string& nativePath) const
{
    CodecFile file;
    png_byte signature[kSignatureSize];
    if (!file.open(nativePath) || !file.readAt(0, signature, sizeof signature) ||
        png_sig_cmp(signature, 0, kSignatureSize) != 0)
        return kNotThisFormat;
    // libpng refuses methods other than 0 with the same error as a broken
    // header; they are told apart here.
    const HeaderChunk header = headerChunkOf(file);
    if (header.intact && !header.standardMethods)
        return kUnsupportedVariant;
    ProbeSource source{&file, static_cast<std::int64_t>(kSignatureSize), false};
    return probeHeader(&source, header.intact);
}

} // namespace Omvi
