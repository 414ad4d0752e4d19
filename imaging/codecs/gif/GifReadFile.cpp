#include "imaging/codecs/gif/GifReadFile.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/gif/GifReadFileFrame.h"

namespace Omvi
{

GifReadFile::GifReadFile(const GifFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations))
{
}

GifReadFile::~GifReadFile() = default;

ReadImageFileFrameInterface* GifReadFile::openFrame(int index)
{
    if (index != 0)
        return nullptr;
    auto frame = std::make_unique<GifReadFileFrame>(fileSpecifier(), correlations());
    refusal_ = frame->rowRefusal();
    return frame->hasImage() ? frame.release() : nullptr;
}

} // namespace Omvi
