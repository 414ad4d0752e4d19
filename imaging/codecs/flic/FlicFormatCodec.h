#pragma once
// The FLI/FLC animation codec: reads the first frame as a palette image.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class FlicFormatCodec : public FormatCodecBase
{
public:
    FlicFormatCodec();
    ~FlicFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

protected:
    // The magic 0xAF11 (FLI) or 0xAF12 (FLC) at byte 4.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface*
    newReader(const FileSpecifier& file,
              std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
};

class FlicFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
