#pragma once
// The GIF codec: reads the first image of a file as palette indices.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class GifFormatCodec : public FormatCodecBase
{
public:
    GifFormatCodec();
    ~GifFormatCodec() override;


protected:
    // "GIF87a" or "GIF89a".
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
};

class GifFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
