#pragma once
// A correlation kept in a world file beside the image: six numbers, one to
// a line, A (x size of a pixel), D (y change per column), B (x change per
// row), E (y size of a pixel per row, negative when rows run down), C and F
// (the model position of the centre of the upper-left pixel). The world file
// of "a.tif" is "a.tfw", else "a.tiw"; of "a.jpeg" "a.jpew", else "a.jpegw".
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

namespace Omvi
{

class CorrelationOptionInterface;
class ImageFormatCodec;

class FormatCodecWorldCorrelation : public FormatCodecExternalCorrelation
{
public:
    // Reading: looks for the world file of `image` (through `option` when
    // one is given); valid only once read() has read it.
    FormatCodecWorldCorrelation(const ImageFormatCodec* codec, const FileSpecifier& image,
                                const CorrelationOptionInterface* option);
    // Writing: names the world file of `image`; valid once a value is set.
    explicit FormatCodecWorldCorrelation(const FileSpecifier& image);
    FormatCodecWorldCorrelation(const FormatCodecWorldCorrelation& other);
    ~FormatCodecWorldCorrelation() override;

    FormatCodecWorldCorrelation* clone() const override;

    // Every setter also makes the correlation valid.
    void setOrigin(const Point3d& origin) override;
    void setScale(const Vector2d& scale) override;
    void setRotation(const double& radians) override;
    void setPixelSize(const Vector2d& size) override;
    void setUnit(std::int32_t unit) override;

    // Reads the file found (files of 1 to 1023 bytes); a file that does not
    // hold six numbers leaves the correlation invalid. Needs the image size.
    void read() override;
    // Writes the six numbers; throws FileIOException 5 "File Create Error"
    // or "Unknown Error".
    void write() override;
};

} // namespace Omvi
