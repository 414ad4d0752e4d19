#pragma once
// Rows of a rendered picture, top row first: palette indices for 8-bit
// output, red, green, blue, 255 for 24-bit output.
#include "imaging/pipeline/RowIteratorInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class PictPicture;

class PictRowIterator : public RowIteratorInterface
{
public:
    explicit PictRowIterator(std::shared_ptr<PictPicture> picture);
    ~PictRowIterator() override;

    std::int32_t bytesPerRow() const override;
    // Renders the picture on the first call. Throws ImageFilterException
    // code 6 for a buffer shorter than bytesPerRow; past the last row the
    // buffer is cleared.
    void getRow(DataBuffer& row) override;
    bool next() override;
    std::int32_t rowCount() const override;
    std::int32_t width() const override;
    void start() override { currentRow_ = 0; }
    void finish() override {}

private:
    std::shared_ptr<PictPicture> picture_;
    std::int32_t currentRow_ = 0;
};

} // namespace Omvi
