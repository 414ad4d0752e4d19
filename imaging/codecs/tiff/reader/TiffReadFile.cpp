#include "imaging/codecs/tiff/reader/TiffReadFile.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffHandle.h"
#include "imaging/codecs/tiff/reader/TiffReadFileFrame.h"

#include <new>
#include <tiffio.h>

namespace Omvi
{
namespace
{

// Directories past this many are not counted.
constexpr int kMostFrames = 65536;

// Whether the directory the handle is on is a frame: not an LZW directory
// when the codec leaves those out, and an image of its own (full
// resolution, reduced resolution or a page), not a transparency mask.
bool isFrame(TIFF* tiff, bool countsLzw)
{
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_COMPRESSION, &compression);
    if (compression == COMPRESSION_LZW && !countsLzw)
        return false;
    std::uint32_t subfileType = 0;
    TIFFGetFieldDefaulted(tiff, TIFFTAG_SUBFILETYPE, &subfileType);
    return subfileType == 0 || (subfileType & (FILETYPE_REDUCEDIMAGE | FILETYPE_PAGE)) != 0;
}

} // namespace

TiffReadFile::TiffReadFile(const TiffFormatCodec& codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> options)
    : CodecReadFile(&codec, file, std::move(options)), tiffCodec_(codec)
{
    const std::optional<std::string> path = nativePath();
    if (!path)
        return;
    std::unique_ptr<TiffHandle> handle = TiffHandle::openForReading(*path);
    if (!handle)
        return;
    for (int directory = 0; directory < kMostFrames; ++directory)
    {
        if (isFrame(handle->get(), tiffCodec_.modeCode() >= TiffFormatCodec::kWithLzw))
            directories_.push_back({TIFFCurrentDirOffset(handle->get())});
        if (!TIFFReadDirectory(handle->get()))
            break;
    }
}

TiffReadFile::~TiffReadFile() = default;

int TiffReadFile::frameCount() const
{
    return static_cast<int>(directories_.size());
}

ReadImageFileFrameInterface* TiffReadFile::openFrame(int index)
{
    if (index < 0 || index >= frameCount())
        return nullptr;
    try
    {
        return TiffReadFileFrame::open(tiffCodec_, fileSpecifier(), correlations(), index,
                                       directories_[static_cast<std::size_t>(index)])
            .release();
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

} // namespace Omvi
