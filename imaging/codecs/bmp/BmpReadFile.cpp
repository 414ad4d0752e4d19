#include "imaging/codecs/bmp/BmpReadFile.h"

#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/bmp/BmpReadFileFrame.h"
#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"

namespace Omvi
{

BmpReadFile::BmpReadFile(const BmpFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations)), handle_(std::make_shared<CodecFile>())
{
    const auto path = CodecFile::nativePath(file_);
    if (path)
        handle_->open(*path);
}

BmpReadFile::~BmpReadFile() = default;

ImageFormatCodec* BmpReadFile::codec() const
{
    return const_cast<BmpFormatCodec*>(codec_);
}

FileSpecifier& BmpReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

int BmpReadFile::frameCount() const
{
    return handle_->isOpen() ? 1 : 0;
}

ReadImageFileFrameInterface* BmpReadFile::openFrame(int)
{
    if (!handle_->isOpen())
        return nullptr;
    return new BmpReadFileFrame(handle_, copyCorrelations(correlations_.get()));
}

} // namespace Omvi
