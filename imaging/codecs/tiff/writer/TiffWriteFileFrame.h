#pragma once
// The description of one directory of a TIFF file being written: size,
// colour model kind (0 plain, 1 RGB, 2 palette, 3 grey, 4 bitonal), the
// bits a delivered pixel takes and the bits of it that are used, palette,
// and the TIFF properties and correlations the caller sets. The basic tags
// (samples, bits, photometric interpretation, planar configuration) are
// written once, the first time the palette, a property or the property
// queries are used, or at the latest when the frame is written.
//
// The image's model arrives in any order: setThirdValue gives the bits per
// pixel of the rows (their storage depth), setBitsPerPixel the bits used.
#include "imaging/codecs/WriteImageFileFrameInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

typedef struct tiff TIFF;

namespace Omvi
{

class CorrelationPropertySetIterator;
class TiffFormatCodec;
class TiffFormatCodecPropertySetIterator;
class TiffHandle;

class TiffWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    TiffWriteFileFrame(const TiffFormatCodec& codec, TiffHandle& handle,
                       std::unique_ptr<CorrelationPropertySetIterator> options, bool lzwCapable,
                       std::uint32_t generation);
    ~TiffWriteFileFrame() override;

    // ImageWidth and ImageLength are set at once.
    void setSize(int height, int width) override;
    void setDataModelKind(int kind) override;
    // The bits a delivered pixel takes (1, 8, 16 or 32).
    void setThirdValue(int bits) override;
    // The bits of a pixel that are used (1, 2, 4, 8, 12, 16, 24, 32 ...).
    void setBitsPerPixel(int bits) override;
    // 1-256; other counts are ignored.
    void setPaletteCount(int count) override;
    // For a palette frame the colour map (all 2 ^ BitsPerSample entries; the
    // ones past the palette are black).
    void setPalette(const std::uint8_t* rgb) override;
    // What a new directory can take, with defaults (owned by the frame, good
    // until the next call).
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // Stores a TIFF property, a GeoTIFF correlation (metres or feet only) or
    // a side-car correlation (written beside the file after the pixels);
    // false for anything else or when libtiff refused it.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    // Starts the directory afresh: only the size stays.
    void clearProperties() override;
    bool requiredPropertiesSet() const override;

    // What the file's writer needs to write the frame.
    int height() const { return height_; }
    int width() const { return width_; }
    int colorModel() const { return colorModel_; }
    int bitsPerPixel() const { return bitsPerPixel_; }
    int bitsUsed() const { return bitsUsed_ > 0 ? bitsUsed_ : bitsPerPixel_; }
    bool isTiled() const { return tiled_; }
    std::uint32_t generation() const { return generation_; }
    const TiffHandle& handle() const { return handle_; }
    // Writes the basic tags when they are still missing and answers the
    // stored bits per pixel (after packing).
    int prepareDirectory();
    int storedBitsPerPixel() const { return storedBits_; }
    // The correlations to write as side-car files.
    const TiffFormatCodecPropertySetIterator& sideCarCorrelations() const { return *sideCars_; }

private:
    void writeBasicTags();
    std::unique_ptr<TiffFormatCodecPropertySetIterator> supportedProperties();
    TIFF* tiff() const;

    const TiffFormatCodec& codec_;
    TiffHandle& handle_;
    std::unique_ptr<CorrelationPropertySetIterator> options_;
    std::unique_ptr<TiffFormatCodecPropertySetIterator> sideCars_;
    std::unique_ptr<TiffFormatCodecPropertySetIterator> supported_;
    bool lzwCapable_;
    std::uint32_t generation_;

    int width_ = 0;
    int height_ = 0;
    int colorModel_ = 0;
    int bitsPerPixel_ = 0;
    int bitsUsed_ = 0;
    int givenBitsUsed_ = 0;
    int paletteCount_ = 0;
    std::vector<std::uint8_t> palette_;
    bool tiled_ = false;
    bool basicTagsWritten_ = false;
    int storedBits_ = 0;
};

} // namespace Omvi
