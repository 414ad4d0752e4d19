#include "imaging/decomposers/ClippedDraw.h"

#include "imaging/pipeline/RowProviderInterface.h"

#include <algorithm>

namespace Omvi
{

ClippedDraw::ClippedDraw(std::unique_ptr<RowSplitter> splitter, RowProviderInterface& runs, std::int32_t direction)
    : splitter_(std::move(splitter)), source_(runs), mirrored_(direction == 1 || direction == 3)
{
}

ClippedDraw::~ClippedDraw() = default;

void ClippedDraw::setSource(const std::uint8_t* row, std::int32_t rowLength)
{
    splitter_->setSource(row, rowLength);
    runs_.clear();
    source_.restartRuns();
    const std::int32_t count = source_.runCount();
    for (std::int32_t k = 0; k < count; ++k)
    {
        std::int32_t first = 0;
        std::int32_t length = 0;
        if (!source_.nextRun(first, length))
            break;
        // Cut to the row, in 64 bits so that no run can wrap into it.
        const std::int64_t start = std::max<std::int64_t>(first, 0);
        const std::int64_t end = std::min<std::int64_t>(std::int64_t{first} + length, rowLength);
        if (end <= start)
            continue;
        if (mirrored_)
            runs_.emplace_back(static_cast<std::int32_t>(rowLength - end), static_cast<std::int32_t>(rowLength - start));
        else
            runs_.emplace_back(static_cast<std::int32_t>(start), static_cast<std::int32_t>(end));
    }
    std::sort(runs_.begin(), runs_.end());
    // Overlapping runs drawn once.
    std::size_t kept = 0;
    for (std::size_t k = 0; k < runs_.size(); ++k)
    {
        if (kept > 0 && runs_[k].first <= runs_[kept - 1].second)
            runs_[kept - 1].second = std::max(runs_[kept - 1].second, runs_[k].second);
        else
            runs_[kept++] = runs_[k];
    }
    runs_.resize(kept);
}

void ClippedDraw::setColumn(std::int32_t bytesPerLine, std::int32_t column)
{
    splitter_->setColumn(bytesPerLine, column);
}

void ClippedDraw::split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
                        std::int32_t count)
{
    if (count < 1)
        return;
    const std::int64_t pieceEnd = std::int64_t{sourceOffset} + count;
    // The first run that ends after the piece starts.
    auto run = std::upper_bound(runs_.begin(), runs_.end(), sourceOffset,
                                [](std::int32_t offset, const std::pair<std::int32_t, std::int32_t>& r) {
                                    return offset < r.second;
                                });
    for (; run != runs_.end() && run->first < pieceEnd; ++run)
    {
        const std::int32_t start = std::max(run->first, sourceOffset);
        const auto end = static_cast<std::int32_t>(std::min<std::int64_t>(run->second, pieceEnd));
        splitter_->split(tileLine, linePosition + (start - sourceOffset), start, end - start);
    }
}

} // namespace Omvi
