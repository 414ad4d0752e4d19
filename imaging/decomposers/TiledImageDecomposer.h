#pragma once
// A decomposer writes the rows of a row provider into the tiles of a tiled
// image: when an image is built from rows, and when rows are pasted or
// blended into it. The four kinds differ in where a row lands:
// - TiledImageTopDownRowDecomposer: row r becomes line origin.y + r;
// - TiledImageBottomUpRowDecomposer: line origin.y + height - 1 - r;
// - TiledImageLeftRightColumnDecomposer: column origin.x + r, from line
//   origin.y down;
// - TiledImageRightLeftColumnDecomposer: column origin.x + height - 1 - r.
// Inside a row the splitter's direction rules: 0 as the row comes, 1
// mirrored (row decomposers); 2 down the column, 3 up it (column
// decomposers).
//
// Memory: a decomposer is a job of the session's memory budget, one unit per
// tile. For each band (the tiles of one tile row the region spans, or of one
// tile column) it reads the tiles' current pixels into the granted block,
// draws every row of the band into it and stores the band once. When the
// budget grants fewer units than a band has tiles, the rows of the band are
// drawn in groups of that many tiles, two rows at a time: each group is read,
// drawn and stored again for every pair of rows.
//
// Progress: the session's progress reporter (when there is one) is asked
// every few rows (every other row up to 100 rows, else every rows / 100 + 1
// rows); a false answer stops the decomposition once the current band (or
// group) is stored, and cancelled() answers true. After a decomposition that
// ran to its end the reporter is told (total, total).
//
// Errors: the region the rows cover must lie in the image (ImageException 0,
// "TiledImageDecomposer: Region Out Of Bounds"); the provider's data type
// must be the image's (ImageException 1). Errors of the provider, the tiles
// and the budget pass through. A provider that ends early leaves the rest of
// the region as it was.
#include "imaging/composers/TileBand.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/kernels/RowSplitter.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/platform/Job.h"

#include <cstdint>
#include <memory>
#include <optional>

namespace Omvi
{

class DataBuffer;
class ProgressReporterInterface;
class RowProviderInterface;
class TiledImage;

class TiledImageDecomposer : public Job
{
public:
    ~TiledImageDecomposer() override;

    // Job: a unit is a tile of the target; the units wanted are the tiles of
    // a band, the other count the bands.
    std::int32_t bytesPerUnit() const override { return walk_.tileBytes; }
    void extent(std::int32_t& bands, std::int32_t& tilesPerBand) const override;
    bool walksBackwards() const override { return backwards_; }
    // Rows drawn so far and the rows in total.
    void progress(std::int32_t& rowsDone, std::int32_t& rowsTotal) const override;

    // The names the image operations use.
    std::int32_t unitSize() const { return bytesPerUnit(); }
    void unitRequest(std::int32_t& bands, std::int32_t& tilesPerBand) const { extent(bands, tilesPerBand); }

    // Pulls every row of the provider and stores it. Runs once; later calls
    // do nothing. The memory goes back to the budget when it ends.
    void decompose();
    // A progress answer stopped the decomposition before its end.
    bool cancelled() const { return cancelled_; }
    // The splitter's direction (0-3).
    std::int32_t direction() const { return direction_; }

protected:
    // `columns`: each row becomes a column; `backwards`: the last line (or
    // column) first. `blend`, when given, blends (RGBA only) instead of
    // copying.
    TiledImageDecomposer(TiledImage& target, RowProviderInterface& source, const PixelPair& origin,
                         std::int32_t direction, bool columns, bool backwards, bool useKeyColor,
                         const ImagePixel& keyColor, std::optional<std::int32_t> blend);

private:
    // Draws `row` at line (or column) `within` of the band into the tiles
    // first .. first + count - 1 of the band, held in `block`.
    void drawRow(std::uint8_t* block, std::int32_t first, std::int32_t count, const std::uint8_t* row,
                 std::int32_t within);
    // Pulls the next row into `buffer`; false when the provider has none.
    bool pullRow(DataBuffer& buffer);
    void stepProgress();
    void decomposeBand(const Job::Grant& grant);
    void decomposeBandInGroups(const Job::Grant& grant);
    bool rowsLeftInBand() const;
    void advance();
    void giveBackMemory();

    TiledImage& target_;
    RowProviderInterface& source_;
    std::int32_t direction_;
    bool columns_;
    bool backwards_;
    std::int32_t dataType_ = 0;

    std::int32_t sourceWidth_ = 0;
    std::int32_t rowsTotal_ = 0;
    std::int32_t rowsDone_ = 0;
    std::int32_t rowBytes_ = 0;

    BandWalk walk_;

    std::unique_ptr<RowSplitter> splitter_;
    // The splitter when it can draw a second row in the same pass (opaque
    // column splitters of dense providers).
    ColumnSplitter* pairSplitter_ = nullptr;
    // The splitter draws only the runs of sparse rows.
    bool clipped_ = false;

    ProgressReporterInterface* reporter_ = nullptr;
    std::int32_t progressStep_ = 1;
    std::int32_t progressCounter_ = 0;
    bool continue_ = true;
    bool cancelled_ = false;
    bool ran_ = false;
};

} // namespace Omvi
