#pragma once
// Delivers the decoded rows of a JPEG frame: 32-bit pixels red, green,
// blue, 255 for colour files (YCbCr, RGB, CMYK and YCCK), one byte a pixel
// for grey ones. Rows are decoded four scanlines at a time into one buffer,
// widened in place.
#include "imaging/DataBuffer.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class JpegDecoder;

class JfifRowIterator : public RowIteratorInterface
{
public:
    // Takes over a decoder whose header was read. Throws
    // FormatCodecException "Corrupt image file" (code 8) for an output
    // colour space it does not deliver.
    explicit JfifRowIterator(std::unique_ptr<JpegDecoder> decoder);
    ~JfifRowIterator() override;

    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    // Past the last row the whole of `row` is cleared. Throws
    // ImageFilterException code 6 when `row` is shorter than a row.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    // Starts decompression (once per iterator) and decodes the first rows.
    // Decoding the last rows (here or in next) also reads the file on to
    // its end-of-image marker: a file that ends without one throws
    // "Corrupt image file" then, its last rows not handed out.
    void start() override;
    // Decodes what is left and finishes decompression.
    void finish() override;

private:
    void readBatch();
    // Finishes decompression (once); throws when the data ended early.
    void finishDecoding();

    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t currentRow_ = 0;
    std::int32_t bytesPerRow_ = 0;
    std::int32_t bytesPerScanline_ = 0;
    std::int32_t batchIndex_ = 0;
    std::int32_t batchCount_ = 0;
    bool started_ = false;
    bool finished_ = false;
    DataBuffer batch_;
    std::unique_ptr<JpegDecoder> decoder_;
};

} // namespace Omvi
