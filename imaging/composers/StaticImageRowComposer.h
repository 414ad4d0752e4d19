#pragma once
// The row composer of an image held in one buffer: a region's lines or
// columns delivered as rows in any of the eight orientations, each row
// assembled by one stitcher call straight from the buffer (no tiles, no
// memory budget).
//
// Orientation 4-7 deliver the region's lines (5 and 7 mirrored, 6 and 7
// from the bottom line up); 0-3 deliver its columns (1 and 3 from the right
// column, 2 and 3 from the bottom of each column up).
//
// A region outside the view's size throws ImageException 0 at
// construction; a row buffer shorter than bytesPerRow throws
// ImageFilterException kRowBufferTooSmall.
#include "imaging/Orientation.h"
#include "imaging/images/StaticPixelView.h"
#include "imaging/kernels/RowStitcher.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class DataModel;

class StaticImageRowComposer : public RowProviderInterface
{
public:
    // The pixels stay the image's and must outlive the composer; the model
    // is copied.
    StaticImageRowComposer(const StaticPixelView& image, const DataModel& model, const PixelPair& regionSize,
                           const PixelPair& origin, Orientation orientation);
    ~StaticImageRowComposer() override;

    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowCount_ - delivered_; }
    PixelPair size() const override { return {rowLength_, rowCount_}; }
    const DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override { return image_.pixels != nullptr && stitcher_ != nullptr; }

private:
    StaticPixelView image_;
    std::unique_ptr<DataModel> model_;
    std::int32_t rowLength_ = 0;
    std::int32_t rowCount_ = 0;
    std::int32_t delivered_ = 0;
    // The line (or column) the next row is taken from, and its step.
    std::int32_t moving_ = 0;
    std::int32_t step_ = 1;
    // Where along that line (or down that column) the row starts.
    std::int32_t fixed_ = 0;
    std::int32_t bytesPerRow_ = 0;
    std::unique_ptr<RowStitcher> stitcher_;
};

} // namespace Omvi
