#pragma once
// The one frame of a bitmap file: the file header and the info header
// (40 bytes or longer) or the older core header (12 bytes), the palette or
// the bit-field masks, the resolution and the side-car correlations. Rows
// are read at their own positions, so any region and any row order can be
// read.
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/bmp/BmpLayout.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;

class BmpReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // Parses the headers of `file` (shared with the reader and the row
    // iterators); takes `correlations` (may be null).
    BmpReadFileFrame(std::shared_ptr<const CodecFile> file,
                     std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~BmpReadFileFrame() override;

    // Sequential and random rows.
    bool isRowAccessSupported(int kind) const override;
    int frameIndex() const override { return 1; }
    void getSize(int* height, int* width) const override;
    // 1-bit files are bitonal when their palette is black and white (either
    // order), a palette of two otherwise.
    int dataModelKind() const override { return model_; }
    int sampleKind() const override { return sampleKind_; }
    // The stored depth, 16 and 32 reported as 24.
    int bitsPerPixel() const override;
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return static_cast<int>(palette_.size() / 3); }
    void getPalette(int count, std::uint8_t* rgb) const override;
    // A BmpRowIteratorUC of the depth over the whole image; null for depths
    // and compressions it does not read and for files whose pixel data is
    // not all there.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    // 3 the density, 7 the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    void parse();
    FormatCodecPropertyInterface* newDensity() const;

    std::shared_ptr<const CodecFile> file_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    BmpLayout layout_;
    std::uint32_t compression_ = 0;
    bool readable_ = false;
    double densityX_ = -1;  // pixels per metre
    double densityY_ = -1;
    int model_ = 0;
    int sampleKind_ = 0;
    std::vector<std::uint8_t> palette_;  // red, green, blue
};

} // namespace Omvi
