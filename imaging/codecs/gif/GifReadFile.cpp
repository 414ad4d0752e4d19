#include "imaging/codecs/gif/GifReadFile.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/gif/GifFormatCodec.h"
#include "imaging/codecs/gif/GifReadFileFrame.h"

namespace Omvi
{

GifReadFile::GifReadFile(const GifFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations))
{
}

GifReadFile::~GifReadFile() = default;

ImageFormatCodec* GifReadFile::codec() const
{
    return const_cast<GifFormatCodec*>(codec_);
}

FileSpecifier& GifReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

ReadImageFileFrameInterface* GifReadFile::openFrame(int index)
{
    if (index != 0)
        return nullptr;
    auto frame = std::make_unique<GifReadFileFrame>(file_, correlations_.get());
    return frame->hasImage() ? frame.release() : nullptr;
}

} // namespace Omvi
