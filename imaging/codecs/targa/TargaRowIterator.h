#pragma once
// Delivers the rows of a Targa file in file order (the frame's orientation
// tells where row 0 lies): one byte a pixel for colour-mapped and grey
// files (a colour-mapped pixel as its entry counted from the map's first,
// the grey level alone where grey pixels carry alpha), 32-bit pixels
// red, green, blue, alpha for true colour (alpha 255 unless the file says
// its fourth byte is alpha). Run-length data is decoded as one stream, so a
// packet may run on into the next row.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

struct TargaFileState;

class TargaRowIterator : public RowIteratorInterface
{
public:
    explicit TargaRowIterator(std::shared_ptr<const TargaFileState> state);
    ~TargaRowIterator() override;

    std::int32_t bytesPerRow() const override { return rowBytes_; }
    // Throws ImageFilterException code 6 for a buffer shorter than a row.
    void getRow(DataBuffer& row) override;
    // Decodes the next row; throws FormatCodecException "Corrupt image
    // file" (8) when the file ends before it, or with the reason when a
    // pixel of it lies outside the colour map.
    bool next() override;
    std::int32_t rowCount() const override;
    std::int32_t width() const override;
    // Back to the first row, decoded.
    void start() override;
    void finish() override;

private:
    void decodeRow();
    void readStored(std::uint8_t* out, std::size_t count);
    std::uint8_t readByte();
    void convertRow();

    std::shared_ptr<const TargaFileState> state_;
    std::int32_t rowBytes_ = 0;
    std::int32_t currentRow_ = 0;
    bool started_ = false;
    DataBuffer row_;
    std::vector<std::uint8_t> stored_;  // one row of stored pixels
    // The run-length reader: a window of the file and the packet under way.
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferOffset_ = 0;  // file offset of the next refill
    std::size_t bufferFill_ = 0;
    std::size_t bufferAt_ = 0;
    std::int32_t packetLeft_ = 0;
    bool packetIsRun_ = false;
    std::uint8_t runPixel_[4] = {};
};

} // namespace Omvi
