#pragma once
// The Targa codec: reads and writes one frame per file. Targa files carry
// no reliable signature, so the codec is probed only after every codec with
// one has refused a file.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

#include <cstdint>

namespace Omvi
{

class TargaFormatCodec : public FormatCodecBase
{
public:
    TargaFormatCodec();
    ~TargaFormatCodec() override;

    // What the Targa writer takes: colour type 1 (delivered as 32-bit
    // pixels), 2 or 3 (8-bit), 1 to 65534 pixels each way.
    bool canEncode(const DataModel* model, int width, int height) const override;

    // The writer's own check of a frame it is to write: colour type 1 with
    // 32 bits a pixel delivered, or 2 or 3 with 8; sizes of 1 to 65534.
    static bool writerAccepts(std::int32_t colorType, std::int32_t deliveredBits, std::int32_t width,
                              std::int32_t height);

protected:
    // The file test of the header (and of the version-2 footer when there
    // is one).
    int probePath(const std::string& nativePath) const override;
    // "Targa with interleaved rows", "grey Targa of 24 bits a pixel" ...
    std::string describeVariant(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class TargaFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
