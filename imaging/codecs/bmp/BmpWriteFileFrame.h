#pragma once
// The attributes of a bitmap about to be written: the info header's fields,
// the palette, the resolution and the side-car correlations to write. The
// setters check what they can at once ("Invalid Bits Per Pixel", code 7);
// the writer checks the whole when it writes.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/bmp/BmpProperties.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class BmpWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    explicit BmpWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~BmpWriteFileFrame() override;

    void setSize(int height, int width) override;
    // 1 RGB, 2 palette, 3 grey, 4 bitonal (and 7, kept for its depth).
    void setDataModelKind(int kind) override;
    void setThirdValue(int value) override { thirdValue_ = value; }
    // The stored depth: 1 bitonal, 2, 4 or 8 palette and grey, 24 or 32
    // RGB; 16 never.
    void setBitsPerPixel(int bits) override;
    void setPaletteCount(int count) override;
    void setPalette(const std::uint8_t* rgb) override;
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // Takes the codec's own density (its pixels per centimetre become the
    // header's pixels per metre) and valid correlations.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    // Both resolutions back to 0.
    void clearProperties() override;
    bool requiredPropertiesSet() const override { return true; }

    std::int32_t width() const { return width_; }
    std::int32_t height() const { return height_; }
    std::int32_t kind() const { return kind_; }
    std::int32_t bits() const { return bits_; }
    std::int32_t paletteCount() const { return paletteCount_; }
    std::int32_t colorsUsed() const { return colorsUsed_; }
    // File entries blue, green, red, 0.
    const std::uint8_t* palette() const { return palette_; }
    std::int32_t resolutionX() const { return resolutionX_; }
    std::int32_t resolutionY() const { return resolutionY_; }
    const FormatCodecPropertySetIterator& ownProperties() const { return own_; }
    // The frame's parameters are consistent for the kind.
    bool valid() const;

private:
    void setGrayPalette(std::int32_t bits);
    void setWhiteBlackPalette();

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t bits_ = 0;
    std::int32_t resolutionX_ = 0;  // pixels per metre
    std::int32_t resolutionY_ = 0;
    std::int32_t colorsUsed_ = 0;
    std::uint8_t palette_[256 * 4] = {};
    std::int32_t kind_ = 0;
    std::int32_t thirdValue_ = 0;
    std::int32_t paletteCount_ = 0;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    BmpPropertySetIterator own_;
    std::unique_ptr<BmpPropertySetIterator> listed_;
};

} // namespace Omvi
