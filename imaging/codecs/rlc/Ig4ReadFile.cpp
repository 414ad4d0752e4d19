#include "imaging/codecs/rlc/Ig4ReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/rlc/Ig4ReadFileFrame.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"

namespace Omvi
{

Ig4ReadFile::Ig4ReadFile(const Ig4FormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations))
{
    CodecFile probe;
    const auto path = CodecFile::nativePath(file_);
    open_ = path && probe.open(*path);
}

Ig4ReadFile::~Ig4ReadFile() = default;

ImageFormatCodec* Ig4ReadFile::codec() const
{
    return const_cast<Ig4FormatCodec*>(codec_);
}

FileSpecifier& Ig4ReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

ReadImageFileFrameInterface* Ig4ReadFile::openFrame(int index)
{
    if (index != 0 || !open_)
        return nullptr;
    return new Ig4ReadFileFrame(CodecFile::nativePath(file_).value_or(std::string()), correlations_.get());
}

} // namespace Omvi
