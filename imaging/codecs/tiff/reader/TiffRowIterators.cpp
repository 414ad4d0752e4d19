#include "imaging/codecs/tiff/reader/TiffRowIterators.h"

#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/tiff/TiffHandle.h"

#include <tiffio.h>

namespace Omvi
{
namespace
{

// The decoder of the directory, or null when the file, the directory or its
// layout cannot be read that way. A directory whose size differs from what
// the frame saw (the file changed underneath) is not read either.
std::unique_ptr<TiffRowDecoder> openDecoder(const FileSpecifier& file, const TiffDirectory& directory,
                                            std::int32_t height, std::int32_t width, TiffRowDecoder::Source source)
{
    const std::optional<std::string> path = CodecFile::nativePath(file);
    if (!path)
        return nullptr;
    std::unique_ptr<TiffHandle> handle = TiffHandle::openDirectory(*path, directory);
    if (!handle)
        return nullptr;
    TiffLayout layout;
    if (!layout.read(handle->get()) || layout.height != static_cast<std::uint32_t>(height) ||
        layout.width != static_cast<std::uint32_t>(width))
        return nullptr;
    return TiffRowDecoder::create(std::move(handle), layout, source);
}

} // namespace

TiffRowIterator::TiffRowIterator(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                 std::int32_t width, TiffRowDecoder::Source source)
    : SubRegionRowIterator(height, width), decoder_(openDecoder(file, directory, height, width, source))
{
}

TiffRowIterator::~TiffRowIterator() = default;

std::int32_t TiffRowIterator::bytesPerRow() const
{
    if (!decoder_)
        return 0;
    return static_cast<std::int32_t>(decoder_->outputBytes(width()));
}

void TiffRowIterator::getRow(DataBuffer& row)
{
    if (!decoder_ || current_ >= rowCount())
        return;
    const std::int32_t bytes = bytesPerRow();
    if (row.size() < bytes || !row.data())
        throwFormatCodecException("Invalid parameter", kCodecInvalidColorModel);
    decoder_->decodeRow(currentRow(), left(), width(), row.data());
}

bool TiffRowIterator::next()
{
    if (current_ >= rowCount())
        return false;
    ++current_;
    return current_ < rowCount();
}

void TiffRowIterator::start()
{
    current_ = 0;
}

void TiffRowIterator::finish()
{
}

TiffRowIteratorUC::TiffRowIteratorUC(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                     std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kScanlines)
{
}

TiffTileRowIterator::TiffTileRowIterator(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                         std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kTiles)
{
}

TiffRowIterator1Bit::TiffRowIterator1Bit(const FileSpecifier& file, const TiffDirectory& directory, std::int32_t height,
                                         std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kStrips)
{
}

TiffRowIterator_2n4_8Bit::TiffRowIterator_2n4_8Bit(const FileSpecifier& file, const TiffDirectory& directory,
                                                   std::int32_t height, std::int32_t width, std::int32_t bitsPerPixel)
    : TiffRowIteratorUC(file, directory, height, width), bitsPerPixel_(bitsPerPixel)
{
}

TiffTileRowIterator_2n4_8Bit::TiffTileRowIterator_2n4_8Bit(const FileSpecifier& file, const TiffDirectory& directory,
                                                           std::int32_t height, std::int32_t width,
                                                           std::int32_t bitsPerPixel)
    : TiffTileRowIterator(file, directory, height, width), bitsPerPixel_(bitsPerPixel)
{
}

TiffEncodedRowIterator_8_8Bit::TiffEncodedRowIterator_8_8Bit(const FileSpecifier& file, const TiffDirectory& directory,
                                                             std::int32_t height, std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kStrips)
{
}

TiffEncodedRowIterator32Bit::TiffEncodedRowIterator32Bit(const FileSpecifier& file, const TiffDirectory& directory,
                                                         std::int32_t height, std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kRgbaStrips)
{
}

TiffEncodedTileRowIterator32Bit::TiffEncodedTileRowIterator32Bit(const FileSpecifier& file,
                                                                 const TiffDirectory& directory, std::int32_t height,
                                                                 std::int32_t width)
    : TiffRowIterator(file, directory, height, width, TiffRowDecoder::Source::kRgbaTiles)
{
}

} // namespace Omvi
