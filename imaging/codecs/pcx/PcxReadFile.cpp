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
    refusal_.clear();
    if (!file.open(fileSpecifier()))
        refusal_ = "The PCX file cannot be opened";
    else if (!file.readAt(0, header.bytes.data(), header.bytes.size()))
        refusal_ = "The PCX file ends within its 128-byte header";
    else if (!header.followsTheRules())
        refusal_ = "The PCX header's manufacturer, version or encoding is not one of the format's";
    else if (header.width() < 1 || header.height() < 1)
        refusal_ = "The PCX header's window holds no pixels";
    else if (!header.lineLengthFitsTheWidth())
        refusal_ = "The PCX header's line length, " + std::to_string(header.bytesPerLine()) +
                   " bytes, does not fit its width of " + std::to_string(header.width()) + " pixels";
    if (!refusal_.empty())
        return nullptr;
    return new PcxReadFileFrame(fileSpecifier(), file, header, copyCorrelations(correlations()));
}

} // namespace Omvi
