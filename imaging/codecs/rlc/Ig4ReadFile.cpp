#include "imaging/codecs/rlc/Ig4ReadFile.h"

#include "imaging/codecs/codec/CodecFile.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/rlc/Ig4ReadFileFrame.h"
#include "imaging/codecs/rlc/RlcFormatCodec.h"

namespace Omvi
{

Ig4ReadFile::Ig4ReadFile(const Ig4FormatCodec* codec, const FileSpecifier& file,
                         std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : CodecReadFile(codec, file, std::move(correlations))
{
    CodecFile probe;
    open_ = probe.open(fileSpecifier());
}

Ig4ReadFile::~Ig4ReadFile() = default;

ReadImageFileFrameInterface* Ig4ReadFile::openFrame(int index)
{
    if (index != 0 || !open_)
        return nullptr;
    return new Ig4ReadFileFrame(nativePath().value_or(std::string()), correlations());
}

} // namespace Omvi
