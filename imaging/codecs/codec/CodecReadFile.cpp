#include "imaging/codecs/codec/CodecReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"

namespace Omvi
{

CodecReadFile::CodecReadFile(const ImageFormatCodec* codec, const FileSpecifier& file,
                             std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations))
{
}

CodecReadFile::CodecReadFile(const ImageFormatCodec* codec)
    : codec_(codec), file_(AsciiStringBuffer(""), FileSpecifier::kStream)
{
}

CodecReadFile::~CodecReadFile() = default;

ImageFormatCodec* CodecReadFile::codec() const
{
    return const_cast<ImageFormatCodec*>(codec_);
}

FileSpecifier& CodecReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

std::optional<std::string> CodecReadFile::nativePath() const
{
    return CodecFile::nativePath(file_);
}

std::shared_ptr<CodecFile> CodecReadFile::openSharedFile() const
{
    auto file = std::make_shared<CodecFile>();
    file->open(file_);
    return file;
}

} // namespace Omvi
