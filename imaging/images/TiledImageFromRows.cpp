// Building a tiled image from the rows of a provider: the rows are cut into
// a band of tiles (a tile row, or a tile column when rows become columns)
// by the row splitters, and each band is stored once it is complete.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

bool TiledImage::construct(std::unique_ptr<RowProviderInterface>& source, BuildOrder order,
                           std::int32_t organisation)
{
    requireBare();
    if (!source)
        throw new ImageConstructionException("TiledImage::construct", 2);
    const DataModel& model = source->dataModel();
    const std::int32_t chosen = resolveOrganisation(model, organisation);
    const PixelPair provided = source->size();
    if (provided.x < 1 || provided.y < 1)
        throw new ImageConstructionException("TiledImage::construct", 2);
    const PixelPosition built = builtSize(order, provided.x, provided.y);

    std::unique_ptr<DataModel> clone = model.clone();
    tiles_.construct({built.x, built.y}, chosen, clone->dataType());
    model_ = std::move(clone);
    clearColor_ = ImagePixel(model_->pixelKind());
    size_ = {built.x, built.y};
    adoptGeometry();

    // From here on the rows are the image's: the provider goes when they
    // have been pulled, or when pulling them fails.
    std::unique_ptr<RowProviderInterface> rows = std::move(source);
    loadRows(*rows, order);
    constructed_ = true;
    return true;
}

void TiledImage::loadRows(RowProviderInterface& rows, BuildOrder order)
{
    const TileGeometry& geometry = tiles_.geometry();
    const bool columns = swapsAxes(order);
    const bool reversed = order == BuildOrder::RowsBottomUp || order == BuildOrder::RowsBottomUpMirrored ||
                          order == BuildOrder::ColumnsRightLeftDown || order == BuildOrder::ColumnsRightLeftUp;
    const bool mirrored = order == BuildOrder::RowsTopDownMirrored || order == BuildOrder::RowsBottomUpMirrored ||
                          order == BuildOrder::ColumnsLeftRightUp || order == BuildOrder::ColumnsRightLeftUp;
    const std::int32_t direction = columns ? (mirrored ? 3 : 2) : (mirrored ? 1 : 0);
    std::unique_ptr<RowSplitter> splitter(createRowSplitter(model_->dataType(), direction));
    if (!splitter)
        throw new SystemException("Out of memory", SystemException::kOutOfMemory);

    const PixelPair provided = rows.size();
    // The row buffer holds what the provider writes and what the splitter
    // reads, whichever is longer.
    const std::int64_t rowBytes = std::max<std::int64_t>(rows.bytesPerRow(), model_->bytesPerRow(provided.x));
    const std::int32_t bandTiles = columns ? geometry.tilesDown : geometry.tilesAcross;
    const std::int64_t bandBytes = std::int64_t{bandTiles} * geometry.tileBytes;
    if (rowBytes > INT32_MAX || bandBytes > INT32_MAX)
        throw new SystemException("Out of memory for a band of tiles", SystemException::kOutOfMemory);
    DataBuffer row(static_cast<std::int32_t>(rowBytes));
    std::memset(row.data(), 0, static_cast<std::size_t>(rowBytes));
    DataBuffer band(static_cast<std::int32_t>(bandBytes));

    const std::int32_t lastLine = (columns ? size_.x : size_.y) - 1;
    std::int32_t currentBand = -1;
    auto store = [&]() {
        if (currentBand < 0)
            return;
        if (columns)
            for (std::int32_t k = 0; k < bandTiles; ++k)
                tiles_.writeTile(k, currentBand, band.data() + std::int64_t{geometry.tileBytes} * k);
        else
            tiles_.writeTileRun(currentBand, 0, bandTiles, band.data());
    };

    for (std::int32_t r = 0; r < provided.y && rows.rowsRemaining() > 0; ++r)
    {
        rows.getNextRow(row);
        splitter->setSource(row.data(), provided.x);
        // The image line (or column) that this row becomes.
        const std::int32_t line = reversed ? lastLine - r : r;
        const std::int32_t bandIndex = line / geometry.edge;
        if (bandIndex != currentBand)
        {
            store();
            // Pixels that no row reaches (beyond the image) stay 0, the
            // clear colour's value.
            std::memset(band.data(), 0, static_cast<std::size_t>(bandBytes));
            currentBand = bandIndex;
        }
        const std::int32_t within = line % geometry.edge;
        if (columns)
            splitter->setColumn(geometry.lineBytes, within);
        for (std::int32_t k = 0; k < bandTiles; ++k)
        {
            const std::int32_t count = std::min(geometry.edge, provided.x - k * geometry.edge);
            std::uint8_t* tile = band.data() + std::int64_t{geometry.tileBytes} * k;
            if (columns)
                splitter->split(tile, 0, k * geometry.edge, count);
            else
                splitter->split(tile + std::int64_t{geometry.lineBytes} * within, 0, k * geometry.edge, count);
        }
    }
    store();
}

} // namespace Omvi
