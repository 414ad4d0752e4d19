#pragma once
// What the four tiled row composers share: a row provider over a region of a
// tiled image that delivers the region's lines (row-wise composers) or its
// columns (column-wise composers) as rows, each assembled by a row stitcher
// from a band of tiles: the tiles of one tile row that the region spans, or
// of one tile column.
//
// Memory: a composer is a job of the session's memory budget, one unit per
// tile. It registers on its first row, asks for a band's worth of units and
// reads each band once; when the budget grants fewer units than the band
// has tiles, every row is assembled from groups of that many tiles read
// afresh (the grant never waits, and at least one unit is always granted).
// The memory goes back to the budget after the last row.
//
// A column-wise composer whose stitcher can fill a strip copies the next
// column it will deliver (when that column lies in the same tiles) in the
// same pass, and delivers it from the strip without touching the tiles.
//
// Errors: a region outside the image throws ImageException 0 at
// construction; a row buffer shorter than bytesPerRow throws
// ImageFilterException kRowBufferTooSmall; tile locks refused, paging
// errors and an empty grant (SystemException kOutOfMemory) pass through.
#include "imaging/DataBuffer.h"
#include "imaging/composers/TileBand.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowStitcher.h"
#include "imaging/pipeline/RowComposer.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/platform/Job.h"

#include <cstdint>
#include <memory>

namespace Omvi
{

class TiledImage;

class TiledRowComposerBase : public RowComposer, public RowProviderInterface, public Job
{
public:
    ~TiledRowComposerBase() override;

    // RowProviderInterface
    std::int32_t getNextRow(DataBuffer& row) override;
    std::int32_t rowsRemaining() const override { return rowCount_ - delivered_; }
    // (output row length, output row count)
    PixelPair size() const override { return {rowLength_, rowCount_}; }
    const DataModel& dataModel() const override;
    std::int32_t bytesPerRow() const override { return bytesPerRow_; }
    bool isValid() const override;

    // RowComposer
    void skipRow() override;

    // Job: a unit is a tile; the units wanted are the tiles of a band, the
    // other count the bands the region spans.
    std::int32_t bytesPerUnit() const override { return walk_.tileBytes; }
    void extent(std::int32_t& other, std::int32_t& unitsWanted) const override;
    bool walksBackwards() const override { return backwards_; }
    // The image line (or column) of the next row, and the rows delivered.
    void progress(std::int32_t& position, std::int32_t& rows) const override;

    // The stitcher direction given at creation (0-3).
    std::int32_t direction() const { return direction_; }

protected:
    // `columns`: the region's columns become the rows; `backwards`: from the
    // bottom line (or the right column) first. `direction` is the
    // stitcher's: 0 or 1 for row-wise composers, 2 or 3 for column-wise.
    TiledRowComposerBase(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                         std::int32_t direction, bool columns, bool backwards);

private:
    void registerJob();
    void stitchTiles(const std::uint8_t* block, std::int32_t first, std::int32_t count);
    void advance();
    void finish();

    TiledImage& image_;
    std::int32_t direction_;
    bool columns_;
    bool backwards_;
    PixelPair origin_;
    PixelPair farCorner_;

    std::int32_t rowCount_ = 0;
    std::int32_t delivered_ = 0;
    std::int32_t rowLength_ = 0;
    std::int32_t bytesPerRow_ = 0;
    // Where the next row lies: its image line (row-wise) or column
    // (column-wise) is walk_.line().
    BandWalk walk_;
    bool bandHeld_ = false;
    bool registered_ = false;

    std::unique_ptr<RowStitcher> stitcher_;
    ColumnStitcher* columnStitcher_ = nullptr;
    std::unique_ptr<PixelCopier> copier_;
    DataBuffer strip_;
    // The image column the strip holds; -1 for none.
    std::int32_t stripColumn_ = -1;
};

} // namespace Omvi
