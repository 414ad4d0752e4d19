#pragma once
// What the frames of RLC and IG4 rasters answer alike: a bitonal raster
// read row after row, its size from the 4-byte header (rows, then columns,
// big-endian) of the file that holds it, its side-car correlations read for
// that size, and single properties looked up in the frame's property set.
#include "imaging/codecs/ReadImageFileFrameInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class CodecFile;
class CorrelationPropertySetIterator;

class ContainerRasterFrame : public ReadImageFileFrameInterface
{
public:
    ~ContainerRasterFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override { return 4; }
    int sampleKind() const override { return 0; }
    int bitsPerPixel() const override { return 1; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    bool isTiled() const override { return false; }
    // Clones of the first property of getProperties() with the name or type.
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

protected:
    ContainerRasterFrame();

    // The raster's size from the header of `file`; false (size 0 by 0) when
    // the file is shorter than the header.
    bool readRasterSize(const CodecFile& file);
    // Takes a copy of `correlations` (may be null) and reads the external
    // ones for the raster's size.
    void attachCorrelations(const CorrelationPropertySetIterator* correlations);

    std::int32_t height() const { return height_; }
    std::int32_t width() const { return width_; }
    const CorrelationPropertySetIterator* correlations() const { return correlations_.get(); }

private:
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
};

} // namespace Omvi
