#include "imaging/codecs/pcx/PcxReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/pcx/PcxFormatCodec.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/codecs/pcx/PcxReadFileFrame.h"

namespace Omvi
{

PcxReadFile::PcxReadFile(const PcxFormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : codec_(codec), file_(file), correlations_(std::move(correlations))
{
}

PcxReadFile::~PcxReadFile() = default;

ImageFormatCodec* PcxReadFile::codec() const
{
    return const_cast<PcxFormatCodec*>(codec_);
}

FileSpecifier& PcxReadFile::copyFileSpecifier(FileSpecifier& out) const
{
    out = file_;
    return out;
}

ReadImageFileFrameInterface* PcxReadFile::openFrame(int)
{
    const std::optional<std::string> path = CodecFile::nativePath(file_);
    CodecFile file;
    PcxHeader header;
    if (!path || !file.open(*path) || !file.readAt(0, header.bytes.data(), header.bytes.size()) ||
        !header.followsTheRules() || header.width() < 1 || header.height() < 1)
        return nullptr;
    return new PcxReadFileFrame(file_, file, header, copyCorrelations(correlations_.get()));
}

} // namespace Omvi
