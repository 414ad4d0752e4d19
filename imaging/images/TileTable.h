#pragma once
// The grid of tiles of a tiled image. It fixes the tile geometry, makes one
// Tile per cell and attaches it to a page, shares tiles with the tables of
// copies (a copy shares every tile; a tile is copied only when one of its
// holders writes it), moves tiles off read-only pages (the source file's),
// and stores whole tiles. Pixels are reached only through it: lock a tile,
// read or write its page, unlock it.
//
// Page sets: the source page set held the tiles when the table was built
// (a new set of the session's paging file, or the pages of a file); the own
// page set, made when first needed, takes tiles that must move (copied on
// write, or written where their source pages cannot be written). A page
// address is a pure function of (page set, row, column), so a tile that is
// shared and lies in the own set makes the table take a new own set.
//
// Failures: no page set to be had throws ImageConstructionException code 5
// before anything changes; a tile lock that the calling thread itself
// blocks (it holds the tile already) throws ImageException code 5; errors
// of the paging systems pass through.
#include "imaging/PagingSystemInterface.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/images/Tile.h"
#include "imaging/images/TileGeometry.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

namespace Omvi
{

class TileTable
{
public:
    using Handle = PagingSystemInterface::Handle;

    // ImageException codes of the tile operations.
    enum : std::int32_t
    {
        kTileOutOfGrid = 0,  // a tile index outside the grid
        kTileLockRefused = 5 // the calling thread holds the tile already
    };
    // ImageConstructionException code when no page set can be had.
    static constexpr std::int32_t kNoPageSet = 5;

    // No geometry (organisation 5), no tiles, locking on.
    TileTable();
    // Drops one holder of every tile; a tile whose last holder goes has its
    // page released and is deleted.
    ~TileTable();
    TileTable(const TileTable&) = delete;
    TileTable& operator=(const TileTable&) = delete;

    // Builds a table in the default state that shares every tile of `other`
    // (each tile's holders counted under its exclusive lock when `other`
    // locks). The tiles stay where they are; the own page set is none yet.
    // A tile lock refused throws ImageConstructionException code 4 and
    // leaves this table as it was.
    void shareFrom(const TileTable& other);
    // A blank image: a new page set of the session's paging file, one
    // locked, blank tile per cell. A geometry out of range (or beyond
    // TileGeometry::kMaxTileCount) and a full paging file both throw code 5.
    void construct(const PixelPair& size, std::int32_t organisation, std::int32_t dataType);
    // Tiles over pages that exist already (a file's): `pageSet` of
    // `pagingSystem` becomes the source set; tiles are locked, not blank.
    void constructOnPages(const PixelPair& size, std::int32_t organisation, std::int32_t dataType,
                          PagingSystemInterface& pagingSystem, Handle pageSet);
    // As construct, for a private image: the new set is both the source and
    // the own set, tiles have no lock and locking is off.
    void constructUnlocked(const PixelPair& size, std::int32_t organisation, std::int32_t dataType);

    bool isConstructed() const { return tiles_ != nullptr; }
    const TileGeometry& geometry() const { return geometry_; }
    // The tile count; the grid in `tilesDown` and `tilesAcross`.
    std::int32_t gridSize(std::int32_t& tilesDown, std::int32_t& tilesAcross) const;
    // Where the tiles were when the table was built: the image's identity
    // among images that page from one source.
    void pageSet(PagingSystemInterface*& pagingSystem, Handle& pageSet) const;
    Handle ownPageSet() const;
    PagingSystemInterface* pagingSystem() const { return pagingSystem_; }

    // The tile of the cell, no lock taken; throws ImageException code 0
    // outside the grid.
    Tile* tileAt(std::int32_t row, std::int32_t column) const;
    // Take and give back a tile's lock (waiting without limit); nothing is
    // taken while locking is off or for a tile without a lock.
    Tile* lockTileShared(std::int32_t row, std::int32_t column);
    void unlockTileShared(Tile* tile);
    Tile* lockTileExclusive(std::int32_t row, std::int32_t column);
    void unlockTileExclusive(Tile* tile);
    bool locking() const { return locking_; }
    void setLocking(bool locking) { locking_ = locking; }

    // Copy on write: `tile` (held two or more times) is replaced in this
    // table by a new tile of the own page set, not blank, and the old tile
    // loses this holder. The caller writes the whole tile next.
    void detachTile(Tile*& tile);
    // Stores a whole tile (tile bytes) at the cell.
    void writeTile(std::int32_t row, std::int32_t column, const std::uint8_t* pixels);
    // The same for a tile the caller holds exclusively; when it had to be
    // detached, `tile` becomes the new tile, held exclusively in its stead.
    void writeLockedTile(Tile*& tile, const std::uint8_t* pixels);
    // Stores `count` tiles from the cell rightwards (count × tile bytes),
    // tiles of one page set in one vectored write.
    void writeTileRun(std::int32_t row, std::int32_t column, std::int32_t count, const std::uint8_t* pixels);
    // Makes the cell read as the clear colour again. A tile shared with a
    // copy is replaced by a blank tile of this table's own, so that the copy
    // keeps its pixels.
    void clearTile(std::int32_t row, std::int32_t column);
    // Tiles that still sit on the pages of a file (delay-load or direct-read
    // pages) move to pages of the paging file.
    void moveToWritablePages();

private:
    // Holds a tile's exclusive lock for a scope.
    class ExclusiveHold;

    // The geometry of a table, else ImageConstructionException kNoPageSet.
    static TileGeometry geometryFor(const PixelPair& size, std::int32_t organisation, std::int32_t dataType);
    // A new page set of the session's paging file, and blank tiles on it.
    void constructOnNewSet(const PixelPair& size, std::int32_t organisation, std::int32_t dataType, bool withLocks);
    void prepare(const TileGeometry& geometry); // allocates the array
    void makeTiles(bool blank, bool withLocks, PagingSystemInterface& pagingSystem, Handle pageSet);
    void dropAll() noexcept;
    // The own set that a tile replacing `tile` goes to: a new own set when
    // there is none yet or `tile` already lies in it.
    Handle ownSetFor(const Tile* tile);
    // Moves an exclusively held tile to a page of the own set, written with
    // `pixels` first when given, and releases its old page.
    void moveToOwnSet(Tile& tile, const std::uint8_t* pixels);
    void attachOwn(Tile& tile, Handle ownSet);
    Tile* exchange(std::int32_t row, std::int32_t column, Tile* replacement);
    bool lockExclusive(Tile& tile);

    std::unique_ptr<std::atomic<Tile*>[]> tiles_;
    TileGeometry geometry_;
    PagingSystemInterface* pagingSystem_ = nullptr;
    Handle ownSet_ = PagingSystemInterface::kInvalidHandle;
    PagingSystemInterface* sourcePaging_ = nullptr;
    Handle sourceSet_ = 0;
    bool locking_ = true;
    mutable std::mutex ownSetMutex_;
};

} // namespace Omvi
