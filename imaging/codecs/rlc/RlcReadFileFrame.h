#pragma once
// One raster of an RLC file: its size from the 4-byte header of the file
// that holds its rows, its properties from the trailer of the file that
// lists it, and rows decoded from its run lists.
#include "imaging/FileSpecifier.h"
#include "imaging/codecs/rlc/ContainerRasterFrame.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;

class RlcReadFileFrame : public ContainerRasterFrame
{
public:
    // `correlations` (copied; may be null) go with the first raster only.
    RlcReadFileFrame(std::int32_t rasterIndex, const FileSpecifier& listingFile, const FileSpecifier& rasterFile,
                     std::int32_t entryIndex, const CorrelationPropertySetIterator* correlations);
    ~RlcReadFileFrame() override;

    int frameIndex() const override { return rasterIndex_; }
    // Null for a raster of no rows or no columns.
    RowIteratorInterface* newRowIterator() override;
    FormatCodecPropertySetIterator* getProperties() override;

private:
    std::int32_t rasterIndex_;
    FileSpecifier listingFile_;
    FileSpecifier rasterFile_;
    std::int32_t entryIndex_;
};

} // namespace Omvi
