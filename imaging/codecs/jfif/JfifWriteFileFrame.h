#pragma once
// The settings of a JPEG about to be written: size, colour (grey or RGB)
// and the properties the writer applies (density, quality, comments,
// progressive flag, side-car correlations). Setting the data model or
// clearing the properties discards every property added so far.
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/jfif/JfifProperties.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class JfifWriteFileFrame : public WriteImageFileFrameInterface
{
public:
    // libjpeg's colour codes for the two layouts the writer takes.
    enum Color : int
    {
        kUnset = 0,
        kGray = 1,
        kRgb = 2
    };

    // `correlations` (owned; null for a stream writer) names the side-car
    // files a file writer may write.
    explicit JfifWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations);
    ~JfifWriteFileFrame() override;

    void setSize(int height, int width) override;
    // 1 RGB, 3 grey; other kinds keep the colour. Discards the properties.
    void setDataModelKind(int kind) override;
    // The bits a delivered pixel takes: grey 8, RGB 32 (either while unset);
    // anything else throws "Invalid bits used per pixel" (code 7).
    void setThirdValue(int bits) override;
    // The bits used: grey 8, RGB 24 or 32; else code 7 as above.
    void setBitsPerPixel(int bits) override;
    // JPEG has no palette: both throw "Invalid parameter" (code 6).
    void setPaletteCount(int count) override;
    void setPalette(const std::uint8_t* rgb) override;
    // What the writer supports, with default values (owned by the frame).
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;
    // Takes densities and qualities, valid correlations and this codec's
    // own properties; a comment longer than JfifComment::kWriterLimit bytes
    // is refused.
    bool setProperty(const FormatCodecPropertyInterface* property) override;
    void clearProperties() override;
    // Colour set and both sides at least 1.
    bool requiredPropertiesSet() const override;

    int height() const { return height_; }
    int width() const { return width_; }
    int color() const { return color_; }
    const JfifPropertySetIterator& properties() const { return *properties_; }

private:
    int width_ = 0;
    int height_ = 0;
    int color_ = kUnset;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::unique_ptr<JfifPropertySetIterator> properties_;
    std::unique_ptr<JfifPropertySetIterator> supported_;
};

} // namespace Omvi
