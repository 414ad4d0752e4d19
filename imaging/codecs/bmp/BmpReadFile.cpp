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
    : CodecReadFile(codec, file, std::move(correlations)), handle_(openSharedFile())
{
}

BmpReadFile::~BmpReadFile() = default;

int BmpReadFile::frameCount() const
{
    return handle_->isOpen() ? 1 : 0;
}

ReadImageFileFrameInterface* BmpReadFile::openFrame(int)
{
    if (!handle_->isOpen())
        return nullptr;
    return new BmpReadFileFrame(handle_, copyCorrelations(correlations()));
}

} // namespace Omvi
