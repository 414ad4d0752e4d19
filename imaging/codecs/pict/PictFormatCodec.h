#pragma once
// The PICT picture codec: renders the raster content of a version 1 or 2
// picture into one frame. Read only.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class PictFormatCodec : public FormatCodecBase
{
public:
    PictFormatCodec();
    ~PictFormatCodec() override;


protected:
    // After the 512-byte preamble: a frame with top below bottom and left
    // below right, then (after zero bytes) the version opcode 0x11 with
    // version 1, or version 2 followed by 0xFF.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface*
    newReader(const FileSpecifier& file,
              std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
};

class PictFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
