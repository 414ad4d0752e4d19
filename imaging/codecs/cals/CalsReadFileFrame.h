#pragma once
// The one frame of a CALS file: the header is read when the frame is made
// (bytes the file does not have keep the defaults), and the side-car
// correlations are told the size and read. The raster is decoded by the
// row iterators.
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/cals/CalsHeader.h"

#include <memory>

namespace Omvi
{

class CorrelationPropertySetIterator;
class DataStreamInterface;

class CalsReadFileFrame : public ReadImageFileFrameInterface
{
public:
    // The frame keeps its own copy of `correlations` (may be null); the
    // stream is the reader's.
    CalsReadFileFrame(DataStreamInterface* stream, const CorrelationPropertySetIterator* correlations);
    ~CalsReadFileFrame() override;

    bool isRowAccessSupported(int kind) const override { return kind == kSequentialRows; }
    int frameIndex() const override { return 0; }
    // (lines, pels per line) from the rpelcnt record.
    void getSize(int* height, int* width) const override;
    int dataModelKind() const override { return 4; }
    int sampleKind() const override { return 0; }
    int bitsPerPixel() const override { return 1; }
    // From the rorient record.
    int getOrientation() const override { return header_.orientationCode(); }
    int paletteCount() const override { return 0; }
    void getPalette(int, std::uint8_t*) const override {}
    // Null when the header gives no lines or no pels, or more pels than a
    // line can be decoded with.
    RowIteratorInterface* newRowIterator() override;
    bool isTiled() const override { return false; }
    // The header's texts and density, then the valid correlations.
    FormatCodecPropertySetIterator* getProperties() override;
    FormatCodecPropertyInterface* getProperty(const StringBuffer& name) override;
    // 3 the density, 7 the first valid correlation.
    FormatCodecPropertyInterface* getPropertyOfType(int propertyType) override;

    const CalsHeader& header() const { return header_; }

private:
    DataStreamInterface* stream_;
    std::unique_ptr<CorrelationPropertySetIterator> correlations_;
    CalsHeader header_;
    std::int32_t lines_ = 0;
    std::int32_t pels_ = 0;
};

} // namespace Omvi
