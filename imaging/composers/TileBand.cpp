#include "imaging/composers/TileBand.h"

#include "imaging/images/TiledImage.h"

#include <vector>

namespace Omvi
{

namespace
{
// The shared locks of a band, given back on every path.
class SharedHolds
{
public:
    explicit SharedHolds(TiledImage& image) : image_(image) {}
    ~SharedHolds()
    {
        for (Tile* tile : tiles_)
            image_.unlockTileShared(tile);
    }
    SharedHolds(const SharedHolds&) = delete;
    SharedHolds& operator=(const SharedHolds&) = delete;

    Tile* take(const TileIndex& index)
    {
        // Without tile locking nothing is held, so nothing is given back.
        const bool locking = image_.tileTable().locking();
        Tile* tile = image_.lockTileShared(index.row, index.column);
        if (locking)
            tiles_.push_back(tile);
        return tile;
    }

private:
    TiledImage& image_;
    std::vector<Tile*> tiles_;
};
} // namespace

BandWalk::BandWalk(const TiledImage& image, bool down, bool backwards, std::int32_t alongStart, std::int32_t length,
                   std::int32_t acrossStart, std::int32_t rows)
    : down(down), backwards(backwards)
{
    edge = image.tileEdge();
    tileBytes = image.bytesPerTile();
    lineBytes = image.bytesPerTileRow();
    firstTile = alongStart / edge;
    const auto lastTile = static_cast<std::int32_t>((std::int64_t{alongStart} + length - 1) / edge);
    bandTiles = lastTile - firstTile + 1;
    firstOffset = alongStart % edge;
    lastUsed = static_cast<std::int32_t>((std::int64_t{alongStart} + length) % edge);
    if (lastUsed == 0)
        lastUsed = edge;
    const auto acrossLast = static_cast<std::int32_t>(std::int64_t{acrossStart} + rows - 1);
    bands = acrossLast / edge - acrossStart / edge + 1;
    const std::int32_t start = backwards ? acrossLast : acrossStart;
    band = start / edge;
    withinBand = start % edge;
}

TileBand BandWalk::part(std::int32_t first, std::int32_t count) const
{
    TileBand tiles;
    tiles.count = count;
    tiles.down = down;
    tiles.first = down ? TileIndex{firstTile + first, band} : TileIndex{band, firstTile + first};
    return tiles;
}

bool BandWalk::step()
{
    const std::int32_t step = backwards ? -1 : 1;
    withinBand += step;
    if (withinBand >= 0 && withinBand < edge)
        return false;
    band += step;
    withinBand = backwards ? edge - 1 : 0;
    return true;
}

void readTileBand(TiledImage& image, const TileBand& band, std::uint8_t* block)
{
    if (band.count < 1)
        return;
    const std::int64_t tileBytes = image.bytesPerTile();
    SharedHolds holds(image);
    std::vector<Tile*> tiles;
    tiles.reserve(static_cast<std::size_t>(band.count));
    for (std::int32_t k = 0; k < band.count; ++k)
    {
        // A context of this thread that holds the tile gives it back first.
        const TileIndex index = band.at(k);
        image.yieldContexts(nullptr, &index);
        tiles.push_back(holds.take(index));
    }

    std::vector<std::int64_t> positions;
    for (std::int32_t k = 0; k < band.count;)
    {
        const Tile& lead = *tiles[static_cast<std::size_t>(k)];
        std::uint8_t* unit = block + tileBytes * k;
        if (lead.isBlank() || !lead.hasPage())
        {
            image.loadTile(lead, unit);
            ++k;
            continue;
        }
        // A run: tiles with pages in the same page set, read in one request.
        std::int32_t end = k + 1;
        while (end < band.count)
        {
            const Tile& next = *tiles[static_cast<std::size_t>(end)];
            if (next.isBlank() || next.pagingSystem() != lead.pagingSystem() || next.pageSet() != lead.pageSet())
                break;
            ++end;
        }
        positions.clear();
        for (std::int32_t j = k; j < end; ++j)
            positions.push_back(tiles[static_cast<std::size_t>(j)]->page());
        if (end - k == 1)
            lead.pagingSystem()->readPosition(lead.pageSet(), positions[0], unit);
        else
            lead.pagingSystem()->readPositions(lead.pageSet(), end - k, positions.data(), unit);
        k = end;
    }
}

void writeTileBand(TiledImage& image, const TileBand& band, const std::uint8_t* block)
{
    if (band.count < 1)
        return;
    image.yieldContexts(nullptr, nullptr);
    if (!band.down)
    {
        image.writeTileRun(band.first, band.count, block);
        return;
    }
    const std::int64_t tileBytes = image.bytesPerTile();
    for (std::int32_t k = 0; k < band.count; ++k)
        image.writeTile(band.at(k), block + tileBytes * k);
}

} // namespace Omvi
