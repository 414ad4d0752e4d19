#include "imaging/codecs/cals/CalsReadFile.h"

#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/cals/CalsReadFileFrame.h"
#include "imaging/codecs/cals/CalsStreamIo.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"

namespace Omvi
{

CalsReadFile::CalsReadFile(const CalsFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec),
      file_(file),
      ownStream_(std::make_unique<CalsStreamIo>(file)),
      stream_(ownStream_.get()),
      correlations_(std::move(correlations))
{
}

CalsReadFile::CalsReadFile(const CalsFormatCodec* codec, DataStreamInterface* stream)
    : codec_(codec), file_(AsciiStringBuffer(""), FileSpecifier::kStream), stream_(stream)
{
}

CalsReadFile::~CalsReadFile() = default;

ImageFormatCodec* CalsReadFile::codec() const
{
    return const_cast<CalsFormatCodec*>(codec_);
}

FileSpecifier& CalsReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

ReadImageFileFrameInterface* CalsReadFile::openFrame(int index)
{
    if (index != 0 || stream_ == nullptr)
        return nullptr;
    return new CalsReadFileFrame(stream_, correlations_.get());
}

} // namespace Omvi
