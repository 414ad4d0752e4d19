#pragma once
// The rows of a PNG frame in the imaging core's layouts: colour as red,
// green, blue, alpha bytes (alpha 255 where the file has none), palette
// indices and grey values one byte per pixel, bitonal rows packed eight
// pixels a byte with a set bit for ink (PNG's black). libpng does the
// conversions; the iterators copy rows and invert bitonal ones.
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class PngDecoder;

class PngRowIteratorBase : public RowIteratorInterface
{
public:
    // The bytes of one delivered row of a data model (colour space) code.
    static std::int64_t deliveredRowBytes(std::int32_t model, std::int64_t width);

    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }

protected:
    PngRowIteratorBase(PngDecoder& decoder, std::int32_t model);

    // Sets libpng's conversions for the model on fresh structures (starting
    // the file over when rows were read before) and checks the row size
    // libpng will deliver. Answers the number of passes libpng needs.
    int prepare(bool interlaced);
    // Copies `row` into `out` (which must hold bytesPerRow), inverting and
    // clearing the padding bits of bitonal rows.
    void deliver(const std::uint8_t* row, DataBuffer& out) const;

    PngDecoder& decoder_;
    std::int32_t model_;
    std::int32_t width_;
    std::int32_t height_;
    std::int32_t bytesPerRow_;
    std::int32_t current_ = 0;
};

// Rows read one at a time as they come from the file.
class PngRowIterator : public PngRowIteratorBase
{
public:
    PngRowIterator(PngDecoder& decoder, std::int32_t model);

    void getRow(DataBuffer& row) override;
    bool next() override;
    // Reads the first row (from the start of the file again when called a
    // second time). Reading the last row (here or in next) also reads the
    // file on to its end chunk, and throws "Corrupt image file" when the
    // file does not hold it whole.
    void start() override;
    void finish() override {}

private:
    void readRow();

    std::vector<std::uint8_t> row_;
};

// Interlaced files: every pass is read when the iterator starts, into rows
// that exist once a pass has put pixels into them; rows are then handed out
// in order.
class PngInterlacedRowIterator : public PngRowIteratorBase
{
public:
    PngInterlacedRowIterator(PngDecoder& decoder, std::int32_t model);

    void getRow(DataBuffer& row) override;
    bool next() override;
    // Reads every pass, then the file on to its end chunk (as
    // PngRowIterator::start).
    void start() override;
    // Frees the image.
    void finish() override;

private:
    std::vector<std::unique_ptr<std::uint8_t[]>> rows_;
    std::vector<std::uint8_t> blank_;
};

} // namespace Omvi
