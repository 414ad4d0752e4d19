#pragma once
// Bilevel images through the CALS codec in the tests: a row source over a
// BitonalImage for the writer, and the rows a reader frame delivers.
#include "imaging/DataBuffer.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/tests/BitonalTestImages.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace OmviTest
{

class BitonalRows : public Omvi::RowIteratorInterface
{
public:
    explicit BitonalRows(const BitonalImage& image) : image_(image) {}
    std::int32_t bytesPerRow() const override { return image_.rowBytes(); }
    void getRow(Omvi::DataBuffer& row) override
    {
        std::memset(row.data(), 0, static_cast<std::size_t>(row.size()));
        if (current_ < image_.height)
            std::memcpy(row.data(), image_.row(current_), static_cast<std::size_t>(image_.rowBytes()));
    }
    bool next() override
    {
        ++current_;
        return true;
    }
    std::int32_t rowCount() const override { return image_.height; }
    std::int32_t width() const override { return image_.width; }
    void start() override { current_ = 0; }
    void finish() override {}

private:
    const BitonalImage& image_;
    std::int32_t current_ = 0;
};

// Every row a frame's new row iterator delivers.
inline BitonalImage readBitonalRows(Omvi::ReadImageFileFrameInterface& frame)
{
    std::unique_ptr<Omvi::RowIteratorInterface> rows(frame.newRowIterator());
    if (!rows)
        return {};
    BitonalImage image = blankBitonal(rows->width(), rows->rowCount());
    Omvi::DataBuffer row(std::max(rows->bytesPerRow(), 1));
    rows->start();
    for (int r = 0; r < image.height; ++r)
    {
        rows->getRow(row);
        std::memcpy(image.row(r), row.data(), static_cast<std::size_t>(image.rowBytes()));
        rows->next();
    }
    rows->finish();
    return image;
}

} // namespace OmviTest
