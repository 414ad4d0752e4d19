#pragma once
// The one frame of a PNG file: header values, palette and chunk properties,
// taken from the decoder when the frame is made. Its row iterators read
// through the reader's decoder.
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/png/PngProperties.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class CorrelationPropertySetIterator;
class PngDecoder;
class PngHistogram;

class PngReadFileFrame0 : public ReadImageFileFrameInterface
{
public:
    // Bytes an interlaced image may take in memory once delivered; a larger
    // one offers no row iterator.
    static constexpr std::int64_t kInterlacedImageLimit = std::int64_t(1) << 30;

    // Tells the external correlations of `correlations` (borrowed; may be
    // null) the image size and lets them read their side-car files.
    PngReadFileFrame0(PngDecoder& decoder, CorrelationPropertySetIterator* correlations);
    ~PngReadFileFrame0() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override;
    // 1 colour (RGB and RGBA), 2 palette, 3 grey (grey with alpha too), 4
    // bitonal (1-bit grey).
    int dataModelKind() const override { return model_; }
    int sampleKind() const override;
    // Colour 32 with an alpha channel, else 24; palette its bit depth (at
    // most 8); grey 8; bitonal 1.
    int bitsPerPixel() const override;
    int getOrientation() const override { return 0; }
    int paletteCount() const override;
    void getPalette(int count, std::uint8_t* rgb) const override;
    // A PngInterlacedRowIterator for interlaced files (null above
    // kInterlacedImageLimit), else a PngRowIterator.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

    std::int32_t bitDepth() const { return bitDepth_; }
    std::int32_t colorType() const { return colorType_; }
    bool isInterlaced() const { return interlaced_; }

private:
    PngDecoder& decoder_;
    CorrelationPropertySetIterator* correlations_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t bitDepth_ = 0;
    std::int32_t channels_ = 0;
    std::int32_t colorType_ = kNoColorType;
    std::int32_t model_ = 0;
    bool interlaced_ = false;
    std::vector<std::uint8_t> palette_;
    PngPropertySetIterator properties_;
    std::unique_ptr<PngHistogram> histogram_;
};

} // namespace Omvi
