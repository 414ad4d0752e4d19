#pragma once
// One raster of an RLC file: its size from the 4-byte header of the file
// that holds its rows, its properties from the trailer of the file that
// lists it, and rows decoded from its run lists.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class RlcReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // `correlations` (copied; may be null) go with the first raster only.
    RlcReadFileFrame(std::int32_t rasterIndex, const FileSpecifier& listingFile, const FileSpecifier& rasterFile,
                     std::int32_t entryIndex, const CorrelationPropertySetIterator* correlations);
    ~RlcReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return rasterIndex_; }
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override { return 4; }
    int sampleKind() const override { return 0; }
    int bitsPerPixel() const override { return 1; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    // Null for a raster of no rows or no columns.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

private:
    std::int32_t rasterIndex_;
    FileSpecifier listingFile_;
    FileSpecifier rasterFile_;
    std::int32_t entryIndex_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    std::int32_t height_ = 0;
    std::int32_t width_ = 0;
};

} // namespace Omvi
