#pragma once
// The raster of an IG4 file: its size from the 4-byte header, its strips
// from the trailer's strip table (strip i from offset i to offset i + 1, the
// last up to the end of the data), its placement and edits as properties.
#include "imaging/codecs/rlc/ContainerRasterFrame.h"
#include "imaging/codecs/rlc/ContainerRecords.h"

#include <memory>
#include <string>

namespace Omvi
{

class CorrelationPropertySetIterator;

class Ig4ReadFileFrame : public ContainerRasterFrame
{
public:
    Ig4ReadFileFrame(const std::string& nativePath, const CorrelationPropertySetIterator* correlations);
    ~Ig4ReadFileFrame() override;

    int frameIndex() const override { return 0; }
    // Null without a strip table that holds together, or for a raster of
    // no rows or no columns.
    RowIteratorInterface* newRowIterator() override;
    FormatCodecPropertySetIterator* getProperties() override;

private:
    std::string path_;
    bool haveStrips_ = false;
    ContainerRecords::StripTable strips_;
};

} // namespace Omvi
