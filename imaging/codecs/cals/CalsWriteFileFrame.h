#pragma once
// The attributes of a CALS frame about to be written: its header (texts,
// density, size), the compatibility flag and the correlations to write
// beside the file. Bitonal only.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/cals/CalsHeader.h"
#include "imaging/codecs/cals/CalsProperties.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class CalsWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    // `correlations` (owned; may be null) are the side-car correlations the
    // writer offers.
    explicit CalsWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~CalsWriteFileFrame() override;

    // Rewrites rpelcnt; sizes the header cannot hold (below 0 or above
    // 999999) throw FormatCodecException "Invalid image size" (code 9).
    void setSize(int height, int width) override;
    // 4 (bitonal) only; else "Invalid Color Model" (code 6).
    void setDataModelKind(int kind) override;
    // 1 only; else "Invalid Bits Per Pixel" (code 7).
    void setThirdValue(int value) override;
    void setBitsPerPixel(int bits) override;
    // Ignored.
    void setPaletteCount(int) override {}
    void setPalette(const std::uint8_t*) override {}
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    // 3: the density; others none.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // Texts, density, the compatibility flag and valid correlations.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    // Texts back to "NONE", density 200.
    void clearProperties() override;
    bool requiredPropertiesSet() const override { return true; }

    std::int32_t pels() const { return pels_; }
    std::int32_t lines() const { return lines_; }
    bool compatibility() const { return compatibility_; }
    const CalsHeader& header() const { return header_; }
    // The correlations set on the frame.
    const CalsPropertySetIterator& correlations() const { return setCorrelations_; }

private:
    CalsHeader header_;
    std::int32_t pels_ = 0;
    std::int32_t lines_ = 0;
    bool compatibility_ = false;
    std::unique_ptr<CorrelationPropertySetIterator> offered_;
    CalsPropertySetIterator setCorrelations_{0};
    std::unique_ptr<CalsPropertySetIterator> properties_;
};

} // namespace Omvi
