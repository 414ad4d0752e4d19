#pragma once
// The rows of a GIF frame as 8-bit palette indices, decoded from the file
// by a decoder of the iterator's own. A row the image data does not reach
// whole throws FormatCodecException "Corrupt image file" (code 8) from
// start or next.
#include "imaging/FileSpecifier.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <memory>
#include <vector>

namespace Omvi
{

class GifDecoder;

class GifRowIterator : public RowIteratorInterface
{
public:
    explicit GifRowIterator(const FileSpecifier& file);
    ~GifRowIterator() override;

    // Whether the file still holds the image.
    bool isUsable() const;

    std::int32_t bytesPerRow() const override { return width_; }
    // Copies the current row; throws FormatCodecException "Invalid
    // parameter" (code 6) for a buffer shorter than a row.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override { return height_; }
    std::int32_t width() const override { return width_; }
    // Decodes from the start of the image data again and reads row 0.
    void start() override;
    // Frees an interlaced image held in memory.
    void finish() override;

private:
    void readCurrentRow();

    std::unique_ptr<GifDecoder> decoder_;
    std::int32_t width_ = 0;
    std::int32_t height_ = 0;
    std::int32_t current_ = 0;
    std::vector<std::uint8_t> row_;
};

} // namespace Omvi
