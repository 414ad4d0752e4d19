#pragma once
// The PC Paintbrush codec: reads and writes one frame per file.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class PcxFormatCodec : public FormatCodecBase
{
public:
    PcxFormatCodec();
    ~PcxFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

protected:
    // Manufacturer 10, version 0, 2, 3 or 5, run-length encoding; 1 for a
    // depth (bits times planes) other than 1, 4, 8 or 24.
    int probePath(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class PcxFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
