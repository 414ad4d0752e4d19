#include "imaging/composers/TiledRowComposerBase.h"

#include "imaging/OMVIException.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"
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
} // namespace

TiledRowComposerBase::TiledRowComposerBase(TiledImage& image, const PixelPair& regionSize, const PixelPair& origin,
                                           std::int32_t direction, bool columns, bool backwards)
    : image_(image), direction_(direction), columns_(columns), backwards_(backwards), origin_(origin)
{
    if (!image.isConstructed() || !image.dataModel())
        throw new ImageException("TiledRowComposer: Image Not Constructed", 0);
    requireRegionInside(image.size(), regionSize, origin, "TiledRowComposer: Region Out Of Bounds");
    farCorner_ = {origin.x + regionSize.x - 1, origin.y + regionSize.y - 1};

    const std::int32_t dataType = image.dataModel()->dataType();

    // Along the output row runs the region's width (row-wise) or height
    // (column-wise); the rows step along the other axis.
    const std::int32_t alongStart = columns ? origin.y : origin.x;
    const std::int32_t alongLength = columns ? regionSize.y : regionSize.x;
    const std::int32_t acrossStart = columns ? origin.x : origin.y;
    const std::int32_t acrossLength = columns ? regionSize.x : regionSize.y;
    rowLength_ = alongLength;
    rowCount_ = acrossLength;
    const std::int64_t rowBytesNeeded = rowBytes(rowLength_, dataType);
    if (rowBytesNeeded < 1 || rowBytesNeeded > INT32_MAX)
        throw new ImageException("TiledRowComposer: Region Out Of Bounds", 0);
    bytesPerRow_ = static_cast<std::int32_t>(rowBytesNeeded);

    walk_ = BandWalk(image, columns, backwards, alongStart, alongLength, acrossStart, acrossLength);

    stitcher_.reset(createRowStitcher(dataType, direction_));
    if (!stitcher_)
        outOfMemory();
    if (columns_)
    {
        columnStitcher_ = dynamic_cast<ColumnStitcher*>(stitcher_.get());
        if (columnStitcher_)
        {
            copier_.reset(createPixelCopier(dataType));
            if (!copier_)
                outOfMemory();
            strip_.resize(bytesPerRow_);
        }
    }
}

TiledRowComposerBase::~TiledRowComposerBase() = default;

const DataModel& TiledRowComposerBase::dataModel() const
{
    return *image_.dataModel();
}

bool TiledRowComposerBase::isValid() const
{
    return image_.isConstructed() && stitcher_ != nullptr;
}

void TiledRowComposerBase::extent(std::int32_t& other, std::int32_t& unitsWanted) const
{
    other = walk_.bands;
    unitsWanted = walk_.bandTiles;
}

void TiledRowComposerBase::progress(std::int32_t& position, std::int32_t& rows) const
{
    position = walk_.line();
    rows = delivered_;
}

void TiledRowComposerBase::registerJob()
{
    if (registered_)
        return;
    OMVISession* session = OMVISession::get();
    if (!session)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    setJobManager(&session->jobManager());
    session->jobManager().registerJob(*this);
    registered_ = true;
}

void TiledRowComposerBase::stitchTiles(const std::uint8_t* block, std::int32_t first, std::int32_t count)
{
    for (std::int32_t j = 0; j < count; ++j)
    {
        const std::int32_t k = first + j;
        const std::int32_t start = walk_.pieceStart(k);
        stitcher_->stitch(block + std::int64_t{walk_.tileBytes} * j, start, walk_.pieceEnd(k) - start);
    }
}

std::int32_t TiledRowComposerBase::getNextRow(DataBuffer& row)
{
    if (delivered_ >= rowCount_)
        return 0;
    if (row.size() < bytesPerRow_)
        throw new ImageFilterException("Row buffer too small", ImageFilterException::kRowBufferTooSmall);
    registerJob();

    std::uint8_t* out = row.data();
    if (columns_ && stripColumn_ == walk_.line())
    {
        // Copied from the tiles with the column before it.
        copier_->copy(out, 0, strip_.data(), 0, rowLength_);
        stripColumn_ = -1;
        advance();
        return rowCount_ - delivered_;
    }

    stitcher_->setDestination(out, 0, rowLength_);
    stitcher_->setSource(walk_.lineBytes, walk_.withinBand);
    std::int32_t neighbour = -1;
    if (columnStitcher_)
    {
        const std::int32_t step = backwards_ ? -1 : 1;
        const std::int32_t within = walk_.withinBand + step;
        const std::int32_t column = walk_.line() + step;
        const bool inTiles = within >= 0 && within < walk_.edge;
        const bool inRegion = column >= origin_.x && column <= farCorner_.x;
        if (inTiles && inRegion)
            neighbour = column;
        columnStitcher_->setStripDestination(neighbour >= 0 ? strip_.data() : nullptr, step);
    }

    const Job::Grant& grant = acquire();
    if (grant.units < 1 || !grant.base || grant.bytesPerUnit < walk_.tileBytes)
        outOfMemory();
    if (grant.units >= walk_.bandTiles)
    {
        if (!bandHeld_)
        {
            readTileBand(image_, walk_.part(0, walk_.bandTiles), grant.base);
            bandHeld_ = true;
        }
        stitchTiles(grant.base, 0, walk_.bandTiles);
    }
    else
    {
        // Fewer units than the band has tiles: this row from groups of
        // tiles read afresh, each group through the same block.
        for (std::int32_t k = 0; k < walk_.bandTiles; k += grant.units)
        {
            const std::int32_t count = std::min(grant.units, walk_.bandTiles - k);
            readTileBand(image_, walk_.part(k, count), grant.base);
            stitchTiles(grant.base, k, count);
        }
    }
    stripColumn_ = neighbour;
    advance();
    return rowCount_ - delivered_;
}

void TiledRowComposerBase::skipRow()
{
    if (delivered_ >= rowCount_)
        return;
    registerJob();
    advance();
}

void TiledRowComposerBase::advance()
{
    ++delivered_;
    if (walk_.step())
    {
        // The band is done: the next row starts the next tile row (column).
        bandHeld_ = false;
        release();
    }
    if (delivered_ >= rowCount_)
        finish();
}

void TiledRowComposerBase::finish()
{
    bandHeld_ = false;
    release();
    // Nothing is left to read: the memory goes back to the budget now
    // rather than when the composer is destroyed.
    if (JobManager* manager = jobManager())
        manager->releaseMemory(*this);
}

} // namespace Omvi
