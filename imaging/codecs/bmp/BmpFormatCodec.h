#pragma once
// The Windows bitmap codec: reads and writes one frame per file.
#include "imaging/codecs/codec/FormatCodecApiVersion.h"
#include "imaging/codecs/codec/FormatCodecBase.h"

namespace Omvi
{

class BmpFormatCodec : public FormatCodecBase
{
public:
    BmpFormatCodec();
    ~BmpFormatCodec() override;

    bool canEncode(const DataModel* model, int width, int height) const override;

protected:
    // "BM"; 1 for compressed pixel data (run lengths, or bit fields at any
    // depth but 16); 3 when the pixel data is cut short.
    int probePath(const std::string& nativePath) const override;
    // "BMP with run-length compression (RLE8)", "BMP whose 32-bit pixels are
    // laid out by bit fields" ...
    std::string describeVariant(const std::string& nativePath) const override;
    ReadImageFileInterface* newReader(const FileSpecifier& file,
                                      std::unique_ptr<CorrelationPropertySetIterator> correlations) const override;
    WriteImageFileInterface* newWriter() const override;
};

class BmpFormatCodecApiVersion : public FormatCodecApiVersion
{
};

} // namespace Omvi
