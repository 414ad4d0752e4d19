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
    // layout of planes and bits the reader does not decode (any but 1 plane
    // of 1, 4 or 8 bits, 4 planes of 1 bit and 3 planes of 8 bits).
    int probePath(const std::string& nativePath) const override;
    // "PCX of 2 bits a pixel", "PCX of 8 colours in 3 bit planes" ...
    std::string describeVariant(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class PcxFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
