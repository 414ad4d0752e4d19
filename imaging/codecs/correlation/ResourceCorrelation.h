#pragma once
// A correlation kept in a ".res" file beside the image. Version 1 files
// (written for bitonal images) hold scrambled 208-byte records with the
// origin, a scale, a pixel-size divisor, a turn and a transparent byte;
// version 2 files (written for deeper images) hold the origin, the scale and
// a transparent colour in a small tag block.
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/models/ImagePixel.h"

namespace Omvi
{

class CorrelationOptionInterface;
class ImageFormatCodec;

class FormatCodecResourceCorrelation : public FormatCodecExternalCorrelation
{
public:
    // Reading: looks for the ".res" file of `image` (through `option` when
    // one is given) and honours the records' quarter turns.
    FormatCodecResourceCorrelation(const ImageFormatCodec* codec, const FileSpecifier& image,
                                   const CorrelationOptionInterface* option);
    // Writing: names the ".res" file of `image`; valid once a value is set.
    explicit FormatCodecResourceCorrelation(const FileSpecifier& image);
    FormatCodecResourceCorrelation(const FormatCodecResourceCorrelation& other);
    ~FormatCodecResourceCorrelation() override;

    FormatCodecResourceCorrelation* clone() const override;

    // Every setter also makes the correlation valid.
    void setOrigin(const Point3d& origin) override;
    void setScale(const Vector2d& scale) override;
    void setRotation(const double& radians) override;
    void setPixelSize(const Vector2d& size) override;
    void setUnit(std::int32_t unit) override;

    // Never throws: a missing, short or foreign file leaves it invalid.
    void read() override;
    // Throws FileIOException 5 "File Create Error" or "Write file error"
    // (after which no file is left).
    void write() override;

    // Copies the transparent pixel; answers whether the correlation is valid.
    virtual bool getTransparentPixel(ImagePixel& out) const;
    // Takes any pixel for a 1-bit image and a colour (kind 8) for an image of
    // 8 bits or more; false (nothing changes) otherwise.
    virtual bool setTransparentPixel(ImagePixel pixel);

private:
    bool readFile(const std::string& path);
    void applyRecord(const std::uint8_t* record);

    ImagePixel transparentPixel_{0, 0};
};

} // namespace Omvi
