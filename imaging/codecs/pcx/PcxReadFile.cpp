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
    : CodecReadFile(codec, file, std::move(correlations))
{
}

PcxReadFile::~PcxReadFile() = default;

ReadImageFileFrameInterface* PcxReadFile::openFrame(int)
{
    CodecFile file;
    PcxHeader header;
    if (!file.open(fileSpecifier()) || !file.readAt(0, header.bytes.data(), header.bytes.size()) ||
        !header.followsTheRules() || header.width() < 1 || header.height() < 1 || !header.lineLengthFitsTheWidth())
        return nullptr;
    return new PcxReadFileFrame(fileSpecifier(), file, header, copyCorrelations(correlations()));
}

} // namespace Omvi
