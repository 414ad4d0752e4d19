#include "imaging/codecs/cals/CalsReadFile.h"

#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/cals/CalsReadFileFrame.h"
#include "imaging/codecs/cals/CalsStreamIo.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"

namespace Omvi
{

CalsReadFile::CalsReadFile(const CalsFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations)),
      ownStream_(std::make_unique<CalsStreamIo>(file)),
      stream_(ownStream_.get())
{
}

CalsReadFile::CalsReadFile(const CalsFormatCodec* codec, DataStreamInterface* stream)
    : CodecReadFile(codec), stream_(stream)
{
}

CalsReadFile::~CalsReadFile() = default;

ReadImageFileFrameInterface* CalsReadFile::openFrame(int index)
{
    if (index != 0 || stream_ == nullptr)
        return nullptr;
    return new CalsReadFileFrame(stream_, correlations());
}

} // namespace Omvi
