#include "imaging/codecs/codec/CodecWriteFile.h"

#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"

namespace Omvi
{

CodecWriteFile::CodecWriteFile(const ImageFormatCodec* codec, bool writesStream)
    : codec_(codec), writesStream_(writesStream)
{
    if (writesStream)
        file_ = FileSpecifier(AsciiStringBuffer(""), FileSpecifier::kStream);
}

CodecWriteFile::~CodecWriteFile() = default;

ImageFormatCodec* CodecWriteFile::codec() const
{
    return const_cast<ImageFormatCodec*>(codec_);
}

FileSpecifier& CodecWriteFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

std::unique_ptr<CorrelationPropertySetIterator> CodecWriteFile::newWritingCorrelations() const
{
    if (writesStream_)
        return nullptr;
    return std::make_unique<CorrelationPropertySetIterator>(CorrelationPropertySetIterator::kForWriting, codec_, file_,
                                                            nullptr);
}

} // namespace Omvi
