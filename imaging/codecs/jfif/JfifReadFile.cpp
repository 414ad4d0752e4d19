#include "imaging/codecs/jfif/JfifReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/jfif/JfifReadFileFrame.h"

namespace Omvi
{

JfifReadFile::JfifReadFile(const JfifFormatCodec* codec, const FileSpecifier& file,
                           std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations))
{
}

JfifReadFile::JfifReadFile(const JfifFormatCodec* codec, DataStreamInterface* stream)
    : codec_(codec), file_(AsciiStringBuffer(""), FileSpecifier::kStream), stream_(stream), readsStream_(true)
{
}

JfifReadFile::~JfifReadFile() = default;

ImageFormatCodec* JfifReadFile::codec() const
{
    return const_cast<JfifFormatCodec*>(codec_);
}

FileSpecifier& JfifReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

ReadImageFileFrameInterface* JfifReadFile::openFrame(int index)
{
    if (index != 0)
        return nullptr;
    if (readsStream_)
        return new JfifReadFileFrame(stream_);
    // A specifier the codecs cannot open gives the frame of an unreadable
    // file.
    const std::string path = CodecFile::nativePath(file_).value_or(std::string());
    return new JfifReadFileFrame(path, correlations_.get());
}

} // namespace Omvi
