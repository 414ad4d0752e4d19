#pragma once
// The settings of a PNG frame being written: size, data model, depth,
// palette and the chunk properties, turned into libpng settings when the
// frame is written (PngWriteFile).
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/png/PngProperties.h"

#include <array>
#include <cstdint>
#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class PngWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    // `correlations`: the side-car correlations a file writer may write
    // (owned; null for a stream writer).
    explicit PngWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PngWriteFileFrame() override;

    void setSize(int height, int width) override;
    // 1 colour (PNG RGB, or RGBA with an alpha-channel transparency), 2
    // palette, 3 grey and 4 bitonal (PNG grey); other kinds change nothing.
    // The properties added so far are dropped in every case.
    void setDataModelKind(int kind) override;
    // The bits per pixel of the data model's data type.
    void setThirdValue(int value) override;
    // The bits the model uses per pixel.
    void setBitsPerPixel(int bits) override;
    void setPaletteCount(int count) override;
    void setPalette(const std::uint8_t* rgb) override;
    // What the frame can take: defaults of every chunk property for its
    // colour type, then the side-car correlations (owned by the frame).
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // Takes a copy of this codec's chunk properties (grey significant bits
    // for grey frames only, a histogram for palette frames only), of
    // properties of types 2, 3, 6 and 8, and of valid correlations.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    void clearProperties() override;
    // Colour type known, bits per pixel (or bits used), width and height at
    // least 1.
    bool requiredPropertiesSet() const override;

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::int32_t kind() const { return kind_; }
    std::int32_t colorType() const { return colorType_; }
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
    std::int32_t bitsUsedPerPixel() const { return bitsUsed_; }
    std::int32_t paletteCount() const { return paletteCount_; }
    const std::uint8_t* palette() const { return palette_.data(); }
    const PngPropertySetIterator& properties() const { return *properties_; }

private:
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t bitsPerPixel_ = 0;
    std::int32_t bitsUsed_ = 0;
    std::int32_t kind_ = 0;
    std::int32_t colorType_ = kNoColorType;
    std::int32_t paletteCount_ = 0;
    std::array<std::uint8_t, 256 * 3> palette_{};
    std::unique_ptr<PngPropertySetIterator> properties_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::unique_ptr<PngPropertySetIterator> supported_;
};

} // namespace Omvi
