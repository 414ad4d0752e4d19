#include "imaging/images/TileTable.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/platform/Locks.h"
#include "imaging/platform/TemporaryFilePagingSystemInterface.h"
#include "imaging/session/OMVISession.h"

#include <new>
#include <vector>

namespace Omvi
{

namespace
{
[[noreturn]] void noPageSet(const char* message)
{
    throw new ImageConstructionException(message, TileTable::kNoPageSet);
}

[[noreturn]] void lockRefused()
{
    throw new ImageException("TiledImage: Tile Lock Refused", TileTable::kTileLockRefused);
}

PagingSystemInterface& sessionPaging()
{
    OMVISession* session = OMVISession::get();
    if (!session)
        throw new SystemException("Invalid Page Volume", SystemException::kInvalidPageVolume);
    return session->temporaryPagingSystem();
}

// A page set ends with its last page: one page taken and given back ends a
// set that never had any.
void abandonPageSet(PagingSystemInterface& pagingSystem, PagingSystemInterface::Handle pageSet) noexcept
{
    try
    {
        const std::int64_t page = pagingSystem.allocatePosition(pageSet, 0, 0);
        pagingSystem.freePosition(pageSet, page);
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

void deleteIfUnheld(Tile* tile) noexcept
{
    if (!tile || tile->removeHolder() > 0)
        return;
    try
    {
        tile->releasePage();
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
    delete tile;
}
} // namespace

class TileTable::ExclusiveHold
{
public:
    ExclusiveHold(TileTable& table, Tile* tile) : tile_(table.lockExclusive(*tile) ? tile : nullptr) {}
    ~ExclusiveHold()
    {
        if (tile_)
            tile_->lock()->writeUnlock();
    }
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;

private:
    Tile* tile_;
};

TileTable::TileTable() = default;

TileTable::~TileTable()
{
    dropAll();
}

bool TileTable::lockExclusive(Tile& tile)
{
    if (!locking_ || !tile.lock())
        return false;
    if (!tile.lock()->writeLock(kInfinite))
        lockRefused();
    return true;
}

void TileTable::prepare(const TileGeometry& geometry)
{
    std::unique_ptr<std::atomic<Tile*>[]> tiles(new (std::nothrow) std::atomic<Tile*>[geometry.tileCount]);
    if (!tiles)
        throw new SystemException("Out of memory for the tile grid", SystemException::kOutOfMemory);
    for (std::int32_t i = 0; i < geometry.tileCount; ++i)
        tiles[i].store(nullptr);
    tiles_ = std::move(tiles);
    geometry_ = geometry;
}

void TileTable::dropAll() noexcept
{
    if (tiles_)
        for (std::int32_t i = 0; i < geometry_.tileCount; ++i)
            deleteIfUnheld(tiles_[i].exchange(nullptr));
    tiles_.reset();
    geometry_ = TileGeometry();
}

void TileTable::makeTiles(bool blank, bool withLocks, PagingSystemInterface& pagingSystem, Handle pageSet)
{
    std::int32_t made = 0;
    auto undo = [&]() {
        dropAll();
        return made;
    };
    try
    {
        for (std::int32_t row = 0; row < geometry_.tilesDown; ++row)
            for (std::int32_t column = 0; column < geometry_.tilesAcross; ++column)
            {
                auto tile = std::make_unique<Tile>(row, column, withLocks);
                tile->setBlank(blank);
                const std::int64_t page = pagingSystem.pageAddress(pageSet, row, column);
                tile->attachPage(&pagingSystem, pageSet, page, geometry_.tileBytes);
                tiles_[std::int64_t{geometry_.tilesAcross} * row + column].store(tile.release());
                ++made;
            }
    }
    catch (const std::bad_alloc&)
    {
        undo();
        throw new SystemException("Out of memory for tiles", SystemException::kOutOfMemory);
    }
    catch (...)
    {
        undo();
        throw;
    }
}

TileGeometry TileTable::geometryFor(const PixelPair& size, std::int32_t organisation, std::int32_t dataType)
{
    TileGeometry geometry;
    if (!TileGeometry::of(organisation, dataType, size, geometry))
        noPageSet("TiledImage::construct");
    return geometry;
}

void TileTable::constructOnNewSet(const PixelPair& size, std::int32_t organisation, std::int32_t dataType,
                                  bool withLocks)
{
    const TileGeometry geometry = geometryFor(size, organisation, dataType);
    PagingSystemInterface& pagingSystem = sessionPaging();
    const Handle pageSet = pagingSystem.allocatePageSet(geometry.tilesDown, geometry.tilesAcross, geometry.tileBytes);
    if (pagingSystem.isInvalidHandle(pageSet))
        noPageSet("TiledImage::construct");
    try
    {
        prepare(geometry);
        makeTiles(true, withLocks, pagingSystem, pageSet);
    }
    catch (...)
    {
        abandonPageSet(pagingSystem, pageSet);
        throw;
    }
    pagingSystem_ = &pagingSystem;
    sourcePaging_ = &pagingSystem;
    sourceSet_ = pageSet;
    if (withLocks)
    {
        ownSet_ = pagingSystem.invalidHandle();
        return;
    }
    // A private image writes its tiles in place: the set is its own too.
    ownSet_ = pageSet;
    locking_ = false;
}

void TileTable::construct(const PixelPair& size, std::int32_t organisation, std::int32_t dataType)
{
    constructOnNewSet(size, organisation, dataType, true);
}

void TileTable::constructOnPages(const PixelPair& size, std::int32_t organisation, std::int32_t dataType,
                                 PagingSystemInterface& pagingSystem, Handle pageSet)
{
    const TileGeometry geometry = geometryFor(size, organisation, dataType);
    PagingSystemInterface& paging = sessionPaging();
    prepare(geometry);
    makeTiles(false, true, pagingSystem, pageSet);
    pagingSystem_ = &paging;
    sourcePaging_ = &pagingSystem;
    sourceSet_ = pageSet;
    ownSet_ = paging.invalidHandle();
}

void TileTable::constructUnlocked(const PixelPair& size, std::int32_t organisation, std::int32_t dataType)
{
    constructOnNewSet(size, organisation, dataType, false);
}

void TileTable::shareFrom(const TileTable& other)
{
    PagingSystemInterface& pagingSystem = sessionPaging();
    if (other.tiles_)
    {
        prepare(other.geometry_);
        for (std::int32_t i = 0; i < geometry_.tileCount; ++i)
        {
            Tile* tile = other.tiles_[i].load();
            ReadManyWriteOneLock* lock = other.locking_ ? tile->lock() : nullptr;
            if (lock && !lock->writeLock(kInfinite))
            {
                // Nothing is kept of a copy that cannot count its holders.
                for (std::int32_t j = 0; j < i; ++j)
                    tiles_[j].exchange(nullptr)->removeHolder();
                tiles_.reset();
                geometry_ = TileGeometry();
                throw new ImageConstructionException("TiledImage::construct", 4);
            }
            tile->addHolder();
            tiles_[i].store(tile);
            if (lock)
                lock->writeUnlock();
        }
    }
    pagingSystem_ = &pagingSystem;
    ownSet_ = pagingSystem.invalidHandle();
    sourcePaging_ = other.sourcePaging_;
    sourceSet_ = other.sourceSet_;
}

std::int32_t TileTable::gridSize(std::int32_t& tilesDown, std::int32_t& tilesAcross) const
{
    tilesDown = geometry_.tilesDown;
    tilesAcross = geometry_.tilesAcross;
    return geometry_.tileCount;
}

void TileTable::pageSet(PagingSystemInterface*& pagingSystem, Handle& pageSet) const
{
    pagingSystem = sourcePaging_;
    pageSet = sourceSet_;
}

PagingSystemInterface::Handle TileTable::ownPageSet() const
{
    std::lock_guard<std::mutex> hold(ownSetMutex_);
    return ownSet_;
}

Tile* TileTable::tileAt(std::int32_t row, std::int32_t column) const
{
    if (!tiles_ || row < 0 || row >= geometry_.tilesDown || column < 0 || column >= geometry_.tilesAcross)
        throw new ImageException("TiledImage::tileAt: Region Out Of Bounds", kTileOutOfGrid);
    return tiles_[std::int64_t{geometry_.tilesAcross} * row + column].load();
}

Tile* TileTable::lockTileShared(std::int32_t row, std::int32_t column)
{
    Tile* tile = tileAt(row, column);
    if (locking_ && tile->lock() && !tile->lock()->readLock(kInfinite))
        lockRefused();
    return tile;
}

void TileTable::unlockTileShared(Tile* tile)
{
    // A lock the calling thread does not hold is left alone by the lock
    // itself, so this is safe whether or not locking was on when it was
    // taken.
    if (tile && tile->lock())
        tile->lock()->readUnlock();
}

Tile* TileTable::lockTileExclusive(std::int32_t row, std::int32_t column)
{
    Tile* tile = tileAt(row, column);
    lockExclusive(*tile);
    return tile;
}

void TileTable::unlockTileExclusive(Tile* tile)
{
    if (tile && tile->lock())
        tile->lock()->writeUnlock();
}

PagingSystemInterface::Handle TileTable::ownSetFor(const Tile* tile)
{
    std::lock_guard<std::mutex> hold(ownSetMutex_);
    const bool lacking = pagingSystem_->isInvalidHandle(ownSet_);
    const bool occupied = tile && tile->pagingSystem() == pagingSystem_ && tile->pageSet() == ownSet_;
    if (lacking || occupied)
    {
        const Handle fresh =
            pagingSystem_->allocatePageSet(geometry_.tilesDown, geometry_.tilesAcross, geometry_.tileBytes);
        if (pagingSystem_->isInvalidHandle(fresh))
            noPageSet("TiledImage::writeTile");
        ownSet_ = fresh;
    }
    return ownSet_;
}

void TileTable::attachOwn(Tile& tile, Handle ownSet)
{
    const TileIndex index = tile.index();
    const std::int64_t page = pagingSystem_->pageAddress(ownSet, index.row, index.column);
    tile.attachPage(pagingSystem_, ownSet, page, geometry_.tileBytes);
}

Tile* TileTable::exchange(std::int32_t row, std::int32_t column, Tile* replacement)
{
    return tiles_[std::int64_t{geometry_.tilesAcross} * row + column].exchange(replacement);
}

void TileTable::detachTile(Tile*& tile)
{
    const TileIndex index = tile->index();
    const Handle ownSet = ownSetFor(tile);
    std::unique_ptr<Tile> fresh;
    try
    {
        fresh = std::make_unique<Tile>(index.row, index.column, true);
    }
    catch (const std::bad_alloc&)
    {
        throw new SystemException("Out of memory for a tile", SystemException::kOutOfMemory);
    }
    fresh->setBlank(false);
    attachOwn(*fresh, ownSet);
    Tile* replacement = fresh.release();
    deleteIfUnheld(exchange(index.row, index.column, replacement));
    tile = replacement;
}

void TileTable::moveToOwnSet(Tile& tile, const std::uint8_t* pixels)
{
    const Handle ownSet = ownSetFor(&tile);
    const TileIndex index = tile.index();
    const std::int64_t page = pagingSystem_->pageAddress(ownSet, index.row, index.column);
    // The new page holds the pixels before the tile goes there, so that a
    // failed transfer leaves the tile where it was.
    if (pixels)
        pagingSystem_->writePosition(ownSet, page, pixels);
    PagingSystemInterface* oldPaging = tile.pagingSystem();
    const Handle oldSet = tile.pageSet();
    const std::int64_t oldPage = tile.page();
    tile.attachPage(pagingSystem_, ownSet, page, geometry_.tileBytes);
    if (oldPaging)
        oldPaging->freePosition(oldSet, oldPage);
}

void TileTable::writeTile(std::int32_t row, std::int32_t column, const std::uint8_t* pixels)
{
    Tile* tile = tileAt(row, column);
    if (tile->holders() >= 2)
        detachTile(tile);
    ExclusiveHold hold(*this, tile);
    tile->setBlank(false);
    if (!tile->pagingSystem()->canWriteInPlace(tile->pageSet()))
        moveToOwnSet(*tile, nullptr);
    tile->pagingSystem()->writePosition(tile->pageSet(), tile->page(), pixels);
}

void TileTable::writeLockedTile(Tile*& tile, const std::uint8_t* pixels)
{
    if (tile->holders() >= 2)
    {
        // The caller's lock moves from the old tile to its replacement: the
        // replacement is locked before anyone can see it, and the old tile
        // is unlocked before it may lose its last holder.
        Tile* old = tile;
        Tile* replacement = old;
        const TileIndex index = old->index();
        const Handle ownSet = ownSetFor(old);
        std::unique_ptr<Tile> fresh;
        try
        {
            fresh = std::make_unique<Tile>(index.row, index.column, true);
        }
        catch (const std::bad_alloc&)
        {
            throw new SystemException("Out of memory for a tile", SystemException::kOutOfMemory);
        }
        fresh->setBlank(false);
        attachOwn(*fresh, ownSet);
        if (locking_)
            fresh->lock()->writeLock(kInfinite);
        replacement = fresh.release();
        if (old->lock())
            old->lock()->writeUnlock();
        deleteIfUnheld(exchange(index.row, index.column, replacement));
        tile = replacement;
    }
    tile->setBlank(false);
    if (!tile->pagingSystem()->canWriteInPlace(tile->pageSet()))
        moveToOwnSet(*tile, nullptr);
    tile->pagingSystem()->writePosition(tile->pageSet(), tile->page(), pixels);
}

void TileTable::writeTileRun(std::int32_t row, std::int32_t column, std::int32_t count, const std::uint8_t* pixels)
{
    if (count < 1)
        return;
    if (column < 0 || std::int64_t{column} + count > geometry_.tilesAcross)
        throw new ImageException("TiledImage::tileAt: Region Out Of Bounds", kTileOutOfGrid);

    struct Held
    {
        Tile* tile;
        bool locked;
    };
    std::vector<Held> held;
    held.reserve(static_cast<std::size_t>(count));
    struct UnlockAll
    {
        std::vector<Held>& held;
        ~UnlockAll()
        {
            for (const Held& entry : held)
                if (entry.locked)
                    entry.tile->lock()->writeUnlock();
        }
    } unlock{held};

    // First pass: every tile detached if shared, held, marked written and
    // on pages that can be written.
    for (std::int32_t k = 0; k < count; ++k)
    {
        Tile* tile = tileAt(row, column + k);
        if (tile->holders() >= 2)
            detachTile(tile);
        const bool locked = lockExclusive(*tile);
        held.push_back(Held{tile, locked});
        tile->setBlank(false);
        if (!tile->pagingSystem()->canWriteInPlace(tile->pageSet()))
            moveToOwnSet(*tile, nullptr);
    }
    // Second pass: runs of tiles in one page set, one write each.
    std::vector<std::int64_t> pages;
    for (std::int32_t first = 0; first < count;)
    {
        const Tile& lead = *held[static_cast<std::size_t>(first)].tile;
        std::int32_t end = first + 1;
        while (end < count && held[static_cast<std::size_t>(end)].tile->pagingSystem() == lead.pagingSystem() &&
               held[static_cast<std::size_t>(end)].tile->pageSet() == lead.pageSet())
            ++end;
        pages.clear();
        for (std::int32_t k = first; k < end; ++k)
            pages.push_back(held[static_cast<std::size_t>(k)].tile->page());
        lead.pagingSystem()->writePositions(lead.pageSet(), pages.data(), end - first,
                                            pixels + std::int64_t{geometry_.tileBytes} * first);
        first = end;
    }
}

void TileTable::clearTile(std::int32_t row, std::int32_t column)
{
    Tile* tile = tileAt(row, column);
    if (tile->holders() >= 2)
    {
        // The copies keep the old tile; this table gets a blank one.
        const Handle ownSet = ownSetFor(tile);
        std::unique_ptr<Tile> fresh;
        try
        {
            fresh = std::make_unique<Tile>(row, column, true);
        }
        catch (const std::bad_alloc&)
        {
            throw new SystemException("Out of memory for a tile", SystemException::kOutOfMemory);
        }
        attachOwn(*fresh, ownSet);
        deleteIfUnheld(exchange(row, column, fresh.release()));
        return;
    }
    ExclusiveHold hold(*this, tile);
    tile->setBlank(true);
}

void TileTable::moveToWritablePages()
{
    if (!tiles_ || !sourcePaging_)
        return;
    auto* delayLoad = dynamic_cast<DelayLoadPageSystem*>(sourcePaging_);
    auto* directRead = dynamic_cast<DirectReadPagingSystem*>(sourcePaging_);
    if (!delayLoad && !directRead)
        return;

    DataBuffer scratch(geometry_.tileBytes);
    OMVISession* session = OMVISession::get();
    ProgressReporterInterface* progress = delayLoad && session ? session->progressReporter() : nullptr;
    for (std::int32_t i = 0; i < geometry_.tileCount; ++i)
    {
        if (progress)
            progress->reportProgress(i, geometry_.tileCount);
        Tile* tile = tiles_[i].load();
        if (tile->pagingSystem() != sourcePaging_)
            continue;
        ExclusiveHold hold(*this, tile);
        if (tile->pagingSystem() != sourcePaging_)
            continue; // moved meanwhile by a table that shares it
        if (tile->isBlank())
        {
            // A cleared tile keeps nothing of the file worth reading.
            moveToOwnSet(*tile, nullptr);
            continue;
        }
        if (delayLoad && delayLoad->canPage(tile->pageSet()))
        {
            // The decoded tile already has its page in the paging file: the
            // tile takes that page over.
            Handle volume = PagingSystemInterface::kInvalidHandle;
            const std::int64_t position =
                delayLoad->pagePosition(tile->pageSet(), tile->page(), scratch.data(), volume);
            tile->attachPage(delayLoad->temporaryPagingSystem(), volume, position, geometry_.tileBytes);
            continue;
        }
        tile->pagingSystem()->readPosition(tile->pageSet(), tile->page(), scratch.data());
        moveToOwnSet(*tile, scratch.data());
    }
}

} // namespace Omvi
