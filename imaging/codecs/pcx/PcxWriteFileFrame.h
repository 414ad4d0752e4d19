#pragma once
// The settings of a PCX frame being written: 1-bit bitonal or 8-bit palette
// or grey, its size, palette and density.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/codecs/pcx/PcxProperties.h"

#include <array>
#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class PcxWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    // `correlations`: the side-car correlations the writer may write
    // (owned; may be null).
    explicit PcxWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~PcxWriteFileFrame() override;

    // Each must be 1 to 65536, else FormatCodecException code 9.
    void setSize(int height, int width) override;
    // 2 and 3: 8 bits (code 7 "Invalid Bits Per Pixel" when another depth
    // was set); 4: 1 bit and two palette entries; anything else: code 6
    // "Invalid Color Model".
    void setDataModelKind(int kind) override;
    // Kept, not used.
    void setThirdValue(int value) override { thirdValue_ = value; }
    // 1 or 8, and the one the kind needs, else code 7.
    void setBitsPerPixel(int bits) override;
    void setPaletteCount(int count) override;
    void setPalette(const std::uint8_t* rgb) override;
    // The header's density, then the writer's valid correlations (owned by
    // the frame).
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // A PcxDensityProperty goes into the header; a correlation is kept for
    // writing its side-car file; anything else is refused.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    // Both densities 0.
    void clearProperties() override;
    bool requiredPropertiesSet() const override { return true; }

    const PcxHeader& header() const { return header_; }
    std::int32_t kind() const { return kind_; }
    std::int32_t paletteCount() const { return paletteCount_; }
    const std::uint8_t* palette() const { return palette_.data(); }
    const PcxPropertySetIterator& correlations() const { return ownCorrelations_; }

private:
    std::array<std::uint8_t, 256 * 3> palette_{};
    PcxHeader header_;
    std::int32_t paletteCount_ = 256;
    std::int32_t thirdValue_ = 0;
    std::int32_t kind_ = 0;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    PcxPropertySetIterator ownCorrelations_;
    std::unique_ptr<PcxPropertySetIterator> offered_;
};

} // namespace Omvi
