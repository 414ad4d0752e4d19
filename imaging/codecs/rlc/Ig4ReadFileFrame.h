#pragma once
// The raster of an IG4 file: its size from the 4-byte header, its strips
// from the trailer's strip table (strip i from offset i to offset i + 1, the
// last up to the end of the data), its placement and edits as properties.
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/rlc/ContainerRecords.h"

#include <memory>
#include <string>

namespace Omvi
{

class CorrelationPropertySetIterator;

class Ig4ReadFileFrame : public ReadImageFileFrameInterface
{
public:
    Ig4ReadFileFrame(const std::string& nativePath, const CorrelationPropertySetIterator* correlations);
    ~Ig4ReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override { return 4; }
    int sampleKind() const override { return 0; }
    int bitsPerPixel() const override { return 1; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    // Null without a strip table that holds together, or for a raster of
    // no rows or no columns.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    std::string path_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
    bool haveStrips_ = false;
    ContainerRecords::StripTable strips_;
};

} // namespace Omvi
