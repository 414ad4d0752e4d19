#pragma once
// The tile cache inside every thread-safe context: private copies of a few
// tiles of a tiled image, found by tile row (one chain per tile row, the
// last used first) and replaced first in, first out; a byte of the image is
// addressed inside its tile's copy.
//
// - A read-only cache keeps up to its size of copies, each taken under the
//   tile's shared lock, which is given back at once. A copy of a tile that
//   some writer has stored since (the TileModifiedReactor's flag) is loaded
//   again on its next lookup.
// - A writable cache keeps one copy and holds its tile's exclusive lock for
//   as long as it keeps it; moving to another tile writes the copy back
//   (when it was changed) and lets the lock go before the next is taken.
// - The static form maps a static image's own buffer in place: one
//   permanent entry, no copy, no lock.
#include "imaging/DataBuffer.h"
#include "imaging/contexts/TileModifiedReactor.h"
#include "imaging/images/StaticPixelView.h"
#include "imaging/images/Tile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace Omvi
{

class TiledImage;

// One cached tile. Columns are counted in bytes of the image's lines.
struct TileCacheEntry
{
    TileCacheEntry* next = nullptr;     // in the chain of its tile row
    TileCacheEntry* previous = nullptr;
    std::int64_t firstColumn = 0;
    std::int32_t firstLine = 0;
    std::int64_t lastColumn = 0;
    std::int32_t lastLine = 0;
    std::int32_t lineBytes = 0;
    std::uint8_t* pixels = nullptr;
    bool modified = false;
    bool writable = false;
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::int32_t slot = 0;
    // The tile held exclusively by a writable entry, and whether its lock
    // was taken (tile locking may be off).
    Tile* handle = nullptr;
    bool locked = false;
    std::unique_ptr<DataBuffer> buffer; // none for the static form
};

class TileCache
{
public:
    // Over a tiled image: `cacheSize` copies (at least 1; a writable cache
    // keeps 1).
    TileCache(TiledImage& image, std::int32_t cacheSize, bool writable);
    // Over a static image's buffer.
    explicit TileCache(const StaticPixelView& view);
    // Writes back a changed copy and lets every lock go; errors are
    // swallowed (call flush first to see them).
    ~TileCache();
    TileCache(const TileCache&) = delete;
    TileCache& operator=(const TileCache&) = delete;

    // The tile that holds byte `xBytes` of line y.
    TileIndex tileOf(std::int64_t xBytes, std::int32_t y) const
    {
        return {y / tileHeight_, static_cast<std::int32_t>(xBytes / lineBytes_)};
    }
    // The cached entry of the tile, or null (see the class comment for the
    // reload of a copy that a writer has changed since).
    TileCacheEntry* find(std::int32_t row, std::int32_t column);
    // Brings the tile in; called after find answered null. Lock refusals and
    // paging errors pass through and leave the cache as it was, except that
    // a writable cache has given up the tile it held.
    TileCacheEntry* load(std::int32_t row, std::int32_t column);
    std::uint8_t* address(const TileCacheEntry& entry, std::int64_t xBytes, std::int32_t y) const
    {
        return entry.pixels + std::int64_t{y - entry.firstLine} * entry.lineBytes + (xBytes - entry.firstColumn);
    }

    // Writes every changed copy back and drops every copy (their locks go
    // with them). The static form keeps its entry.
    void flush();
    // The image is being destroyed: copies are dropped unwritten, locks let
    // go, the reactor forgets the image.
    void abandon() noexcept;

    // Called before the cache locks a tile, with the tile's index.
    void setBeforeLock(std::function<void(const TileIndex&)> hook) { beforeLock_ = std::move(hook); }

    bool isWritable() const { return writable_; }
    std::int32_t slotCount() const { return static_cast<std::int32_t>(slots_.size()); }
    // Whether a copy of the tile (or of any tile) is held.
    bool holds(std::int32_t row, std::int32_t column) const;
    bool holdsAny() const;

private:
    std::unique_ptr<TileCacheEntry> makeEntry(std::int32_t row, std::int32_t column, bool writable);
    void takeTile(TileCacheEntry& entry, std::int32_t row, std::int32_t column, bool writable);
    // Writes a changed writable copy back (unless `discard`) and lets its
    // lock go; the lock goes even when the write fails.
    void giveTileBack(TileCacheEntry& entry, bool discard);
    void link(TileCacheEntry& entry);
    void unlink(TileCacheEntry& entry);
    void dropAll(bool discard);

    TiledImage* image_ = nullptr;
    std::vector<TileCacheEntry*> heads_;
    std::int32_t tileRows_ = 1;
    std::int32_t tileColumns_ = 1;
    std::int32_t lineBytes_ = 1;
    std::int32_t tileHeight_ = 1;
    bool writable_ = false;
    std::int32_t insertAt_ = 0;
    std::int32_t evictAt_ = 0;
    std::vector<std::unique_ptr<TileCacheEntry>> slots_;
    std::unique_ptr<TileModifiedReactor> reactor_;
    std::function<void(const TileIndex&)> beforeLock_;
};

} // namespace Omvi
