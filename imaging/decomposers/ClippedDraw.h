#pragma once
// A splitter that draws only the runs of a sparse row: a provider whose
// rows carry pixels in runs (hasSparseRows) is cut into tiles through one of
// these, so that the pixels between runs are left as they are in the tiles.
//
// The runs of the row are fetched when it is set as the source and turned
// into the wrapped splitter's offsets (for a mirrored splitter, directions
// 1 and 3, a run [a, a + n) of the row is the offsets [L - a - n, L - a)),
// so that every piece the decomposer asks for is drawn exactly where the
// wrapped splitter would draw it, only clipped to the runs. Pieces may come
// in any order. Runs outside the row are cut to it; a provider that answers
// more runs than it counted is not asked past its count.
#include "imaging/kernels/RowSplitter.h"

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace Omvi
{

class RowProviderInterface;

class ClippedDraw : public RowSplitter
{
public:
    // `runs` answers the runs of the row it handed out last; `direction`
    // is the wrapped splitter's.
    ClippedDraw(std::unique_ptr<RowSplitter> splitter, RowProviderInterface& runs, std::int32_t direction);
    ~ClippedDraw() override;

    void setSource(const std::uint8_t* row, std::int32_t rowLength) override;
    void setColumn(std::int32_t bytesPerLine, std::int32_t column) override;
    void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
               std::int32_t count) override;

    // The row's runs as [start, end) in the wrapped splitter's offsets,
    // sorted and merged.
    const std::vector<std::pair<std::int32_t, std::int32_t>>& runs() const { return runs_; }

private:
    std::unique_ptr<RowSplitter> splitter_;
    RowProviderInterface& source_;
    bool mirrored_;
    std::vector<std::pair<std::int32_t, std::int32_t>> runs_;
};

// The same for the column decomposers (pieces go down a tile column). It
// draws one source row at a time: two rows have two sets of runs.
class ClippedColumnDraw : public ClippedDraw
{
public:
    using ClippedDraw::ClippedDraw;
};

} // namespace Omvi
