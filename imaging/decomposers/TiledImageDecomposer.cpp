#include "imaging/decomposers/TiledImageDecomposer.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/decomposers/ClippedDraw.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/session/OMVISession.h"

#include <algorithm>

namespace Omvi
{

namespace
{
[[noreturn]] void outOfMemory()
{
    throw new SystemException("Out of memory for a band of tiles", SystemException::kOutOfMemory);
}

// Rows between two progress reports: every other row up to 100 rows.
std::int32_t progressStepFor(std::int32_t rows)
{
    return rows <= 100 ? 1 : rows / 100;
}
} // namespace

TiledImageDecomposer::TiledImageDecomposer(TiledImage& target, RowProviderInterface& source,
                                           const PixelPair& origin, std::int32_t direction, bool columns,
                                           bool backwards, bool useKeyColor, const ImagePixel& keyColor,
                                           std::optional<std::int32_t> blend)
    : target_(target), source_(source), direction_(direction), columns_(columns), backwards_(backwards)
{
    if (!target.isConstructed() || !target.dataModel())
        throw new ImageException("TiledImageDecomposer: Image Not Constructed", 0);
    dataType_ = target.dataModel()->dataType();
    if (source.dataModel().dataType() != dataType_)
        throw new ImageException("TiledImageDecomposer: Data Type Mismatch", 1);

    const PixelPair provided = source.size();
    sourceWidth_ = provided.x;
    rowsTotal_ = provided.y;
    const PixelPair covered = columns ? PixelPair{provided.y, provided.x} : provided;
    requireRegionInside(target.size(), covered, origin, "TiledImageDecomposer: Region Out Of Bounds");
    const std::int64_t bytes = std::max<std::int64_t>(source.bytesPerRow(), rowBytes(sourceWidth_, dataType_));
    if (bytes > INT32_MAX)
        outOfMemory();
    rowBytes_ = static_cast<std::int32_t>(bytes);

    // Along a row: the region's width (row decomposers) or height (column
    // decomposers); the rows step along the other axis.
    const std::int32_t alongStart = columns ? origin.y : origin.x;
    const std::int32_t acrossStart = columns ? origin.x : origin.y;
    walk_ = BandWalk(target, columns, backwards, alongStart, sourceWidth_, acrossStart, rowsTotal_);

    if (blend)
    {
        if (dataType_ != kDataTypeThirtyTwoBit)
            throw new ImageException("TiledImageDecomposer: Blending Needs RGB", 3);
        splitter_.reset(createBlendRowSplitter(direction, *blend, useKeyColor, keyColor));
    }
    else
        splitter_.reset(createRowSplitter(dataType_, direction, useKeyColor, keyColor));
    if (!splitter_)
        outOfMemory();
    clipped_ = source.hasSparseRows();
    if (clipped_)
    {
        // Only the runs of each row are drawn; two rows have two sets of
        // runs, so rows are drawn one at a time.
        if (columns)
            splitter_ = std::make_unique<ClippedColumnDraw>(std::move(splitter_), source, direction);
        else
            splitter_ = std::make_unique<ClippedDraw>(std::move(splitter_), source, direction);
    }
    else if (columns)
        pairSplitter_ = dynamic_cast<ColumnSplitter*>(splitter_.get());

    OMVISession* session = OMVISession::get();
    if (!session)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    session->jobManager().registerJob(*this);
    reporter_ = session->progressReporter();
    progressStep_ = progressStepFor(rowsTotal_);
}

TiledImageDecomposer::~TiledImageDecomposer() = default;

void TiledImageDecomposer::extent(std::int32_t& bands, std::int32_t& tilesPerBand) const
{
    bands = walk_.bands;
    tilesPerBand = walk_.bandTiles;
}

void TiledImageDecomposer::progress(std::int32_t& rowsDone, std::int32_t& rowsTotal) const
{
    rowsDone = rowsDone_;
    rowsTotal = rowsTotal_;
}

void TiledImageDecomposer::drawRow(std::uint8_t* block, std::int32_t first, std::int32_t count,
                                   const std::uint8_t* row, std::int32_t within)
{
    splitter_->setSource(row, sourceWidth_);
    if (columns_)
        splitter_->setColumn(walk_.lineBytes, within);
    for (std::int32_t j = 0; j < count; ++j)
    {
        const std::int32_t k = first + j;
        const std::int32_t start = walk_.pieceStart(k);
        std::uint8_t* tile = block + std::int64_t{walk_.tileBytes} * j;
        if (!columns_)
            tile += std::int64_t{walk_.lineBytes} * within;
        splitter_->split(tile, start, walk_.pieceOffset(k), walk_.pieceEnd(k) - start);
    }
}

bool TiledImageDecomposer::pullRow(DataBuffer& buffer)
{
    if (source_.rowsRemaining() < 1)
        return false;
    source_.getNextRow(buffer);
    return true;
}

void TiledImageDecomposer::stepProgress()
{
    if (!reporter_)
        return;
    if (++progressCounter_ <= progressStep_)
        return;
    const std::int32_t done = rowsTotal_ - source_.rowsRemaining();
    if (!reporter_->reportProgress(done, rowsTotal_))
    {
        continue_ = false;
        cancelled_ = true;
        return;
    }
    progressCounter_ = 0;
}

bool TiledImageDecomposer::rowsLeftInBand() const
{
    return continue_ && rowsDone_ < rowsTotal_ && source_.rowsRemaining() > 0;
}

void TiledImageDecomposer::advance()
{
    ++rowsDone_;
    walk_.step();
}

void TiledImageDecomposer::decomposeBand(const Job::Grant& grant)
{
    DataBuffer first(rowBytes_);
    DataBuffer second;
    const TileBand band = walk_.part(0, walk_.bandTiles);
    const std::int32_t bandIndex = walk_.band;
    readTileBand(target_, band, grant.base);
    const std::int32_t step = backwards_ ? -1 : 1;
    while (walk_.band == bandIndex && rowsLeftInBand())
    {
        stepProgress();
        if (!continue_ || !pullRow(first))
            break;
        const std::int32_t within = walk_.withinBand;
        const std::int32_t neighbour = within + step;
        const bool pair = pairSplitter_ && neighbour >= 0 && neighbour < walk_.edge && rowsDone_ + 1 < rowsTotal_ &&
                          source_.rowsRemaining() > 0;
        if (pair)
        {
            stepProgress();
            if (second.size() < rowBytes_)
                second.resize(rowBytes_);
            pullRow(second);
            pairSplitter_->setSecondSource(second.data(), step);
            drawRow(grant.base, 0, walk_.bandTiles, first.data(), within);
            pairSplitter_->setSecondSource(nullptr, step);
            advance();
            advance();
        }
        else
        {
            drawRow(grant.base, 0, walk_.bandTiles, first.data(), within);
            advance();
        }
    }
    writeTileBand(target_, band, grant.base);
}

void TiledImageDecomposer::decomposeBandInGroups(const Job::Grant& grant)
{
    // One or two rows at a time, each group of tiles read, drawn and stored.
    DataBuffer first(rowBytes_);
    DataBuffer second(rowBytes_);
    const std::int32_t bandIndex = walk_.band;
    const std::int32_t step = backwards_ ? -1 : 1;
    while (walk_.band == bandIndex && rowsLeftInBand())
    {
        stepProgress();
        if (!continue_ || !pullRow(first))
            break;
        const std::int32_t within = walk_.withinBand;
        const std::int32_t neighbour = within + step;
        // A sparse row's runs are the provider's answer for the row it
        // handed out last, so sparse rows are drawn one at a time.
        bool pair = false;
        if (!clipped_ && continue_ && neighbour >= 0 && neighbour < walk_.edge && rowsDone_ + 1 < rowsTotal_ &&
            source_.rowsRemaining() > 0)
        {
            stepProgress();
            pair = pullRow(second);
        }
        for (std::int32_t k = 0; k < walk_.bandTiles; k += grant.units)
        {
            const std::int32_t count = std::min(grant.units, walk_.bandTiles - k);
            const TileBand group = walk_.part(k, count);
            readTileBand(target_, group, grant.base);
            drawRow(grant.base, k, count, first.data(), within);
            if (pair)
                drawRow(grant.base, k, count, second.data(), neighbour);
            writeTileBand(target_, group, grant.base);
        }
        advance();
        if (pair)
            advance();
    }
}

void TiledImageDecomposer::decompose()
{
    if (ran_)
        return;
    ran_ = true;
    try
    {
        while (continue_ && rowsDone_ < rowsTotal_ && source_.rowsRemaining() > 0)
        {
            const Job::Grant& grant = acquire();
            if (grant.units < 1 || !grant.base || grant.bytesPerUnit < walk_.tileBytes)
                outOfMemory();
            if (grant.units >= walk_.bandTiles)
                decomposeBand(grant);
            else
                decomposeBandInGroups(grant);
            release();
        }
    }
    catch (...)
    {
        giveBackMemory();
        throw;
    }
    giveBackMemory();
    if (!cancelled_ && reporter_)
        reporter_->reportProgress(rowsTotal_, rowsTotal_);
}

void TiledImageDecomposer::giveBackMemory()
{
    if (JobManager* manager = jobManager())
    {
        try
        {
            manager->releaseMemory(*this);
        }
        catch (OMVIException* error)
        {
            delete error;
        }
    }
}

} // namespace Omvi
