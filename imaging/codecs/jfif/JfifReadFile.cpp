#include "imaging/codecs/jfif/JfifReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/jfif/JfifReadFileFrame.h"

namespace Omvi
{

JfifReadFile::JfifReadFile(const JfifFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations)), strict_(codec != nullptr && codec->strictDecoding())
{
}

JfifReadFile::JfifReadFile(const JfifFormatCodec* codec, DataStreamInterface* stream)
    : CodecReadFile(codec), stream_(stream), readsStream_(true), strict_(codec != nullptr && codec->strictDecoding())
{
}

JfifReadFile::~JfifReadFile() = default;

ReadImageFileFrameInterface* JfifReadFile::openFrame(int index)
{
    if (index != 0)
        return nullptr;
    if (readsStream_)
        return new JfifReadFileFrame(stream_, strict_);
    // A specifier the codecs cannot open gives the frame of an unreadable
    // file.
    const std::string path = nativePath().value_or(std::string());
    return new JfifReadFileFrame(path, correlations(), strict_);
}

} // namespace Omvi
