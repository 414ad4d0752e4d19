#pragma once
// The frame of a GIF file: the first image's size and colour table as 8-bit
// palette indices. Row iterators decode the file on their own.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class GifDecoder;

class GifReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // Walks the file to its first image, then tells the external
    // correlations of `correlations` (borrowed; may be null) the size and
    // lets them read their side-car files.
    GifReadFileFrame(const FileSpecifier& file, CorrelationPropertySetIterator* correlations);
    ~GifReadFileFrame() override;

    bool hasImage() const;
    const char* rowRefusal() const override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 1; }
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override;
    int sampleKind() const override;
    int bitsPerPixel() const override { return 8; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override;
    void getPalette(int count, std::uint8_t* rgb) const override;
    // A GifRowIterator; null for an interlaced image above the decoder's
    // memory limit.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    // Copies of the correlations.
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    // Type 7: the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    FileSpecifier file_;
    CorrelationPropertySetIterator* correlations_;
    std::unique_ptr<GifDecoder> decoder_;
};

} // namespace Omvi
