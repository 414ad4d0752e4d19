#include "imaging/contexts/TileCache.h"

#include "imaging/OMVIException.h"
#include "imaging/images/TileHold.h"
#include "imaging/images/TiledImage.h"

#include <algorithm>

namespace Omvi
{

TileCache::TileCache(TiledImage& image, std::int32_t cacheSize, bool writable)
    : image_(&image), writable_(writable)
{
    const std::int32_t tiles = image.tileGrid(tileRows_, tileColumns_);
    lineBytes_ = image.bytesPerTileRow();
    tileHeight_ = image.tileEdge();
    if (lineBytes_ < 1 || tileHeight_ < 1 || tiles < 1)
        throw new ImageException("Image::createContext", 1);
    // At least one slot; more than the image has tiles would never fill.
    const std::int32_t slots = writable ? 1 : std::clamp(cacheSize, 1, tiles);
    heads_.assign(static_cast<std::size_t>(tileRows_), nullptr);
    slots_.resize(static_cast<std::size_t>(slots));
    reactor_ = std::make_unique<TileModifiedReactor>(image);
}

TileCache::TileCache(const StaticPixelView& view) : writable_(true)
{
    // One tile, the whole image, mapped where it lies.
    lineBytes_ = std::max(view.bytesPerLine, 1);
    tileHeight_ = std::max(view.size.y, 1);
    heads_.assign(1, nullptr);
    auto entry = std::make_unique<TileCacheEntry>();
    entry->firstColumn = 0;
    entry->firstLine = 0;
    entry->lastColumn = std::int64_t{lineBytes_} - 1;
    entry->lastLine = tileHeight_ - 1;
    entry->lineBytes = view.bytesPerLine;
    entry->pixels = view.pixels;
    entry->writable = true;
    link(*entry);
    slots_.push_back(std::move(entry));
}

TileCache::~TileCache()
{
    try
    {
        if (image_)
            dropAll(false);
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

void TileCache::link(TileCacheEntry& entry)
{
    TileCacheEntry*& head = heads_[static_cast<std::size_t>(entry.row)];
    entry.previous = nullptr;
    entry.next = head;
    if (head)
        head->previous = &entry;
    head = &entry;
}

void TileCache::unlink(TileCacheEntry& entry)
{
    TileCacheEntry*& head = heads_[static_cast<std::size_t>(entry.row)];
    if (entry.previous)
        entry.previous->next = entry.next;
    else if (head == &entry)
        head = entry.next;
    if (entry.next)
        entry.next->previous = entry.previous;
    entry.next = nullptr;
    entry.previous = nullptr;
}

void TileCache::takeTile(TileCacheEntry& entry, std::int32_t row, std::int32_t column, bool writable)
{
    entry.row = row;
    entry.column = column;
    entry.firstColumn = std::int64_t{lineBytes_} * column;
    entry.firstLine = tileHeight_ * row;
    entry.lastColumn = entry.firstColumn + lineBytes_ - 1;
    entry.lastLine = entry.firstLine + tileHeight_ - 1;
    entry.lineBytes = lineBytes_;
    entry.modified = false;
    entry.writable = writable;
    entry.handle = nullptr;
    entry.locked = false;

    if (beforeLock_)
        beforeLock_(TileIndex{row, column});
    TileHold hold(*image_, TileIndex{row, column}, writable);
    image_->loadTile(*hold.tile(), entry.pixels);
    if (writable)
    {
        // Held for the entry's whole life.
        entry.handle = hold.tile();
        entry.locked = hold.keep();
    }
}

std::unique_ptr<TileCacheEntry> TileCache::makeEntry(std::int32_t row, std::int32_t column, bool writable)
{
    auto entry = std::make_unique<TileCacheEntry>();
    entry->buffer = std::make_unique<DataBuffer>(image_->bytesPerTile());
    entry->pixels = entry->buffer->data();
    takeTile(*entry, row, column, writable);
    return entry;
}

void TileCache::giveTileBack(TileCacheEntry& entry, bool discard)
{
    if (!entry.writable || !entry.handle)
        return;
    TileHold hold(*image_, entry.handle, true, entry.locked);
    entry.handle = nullptr;
    entry.locked = false;
    if (entry.modified && !discard)
    {
        entry.modified = false;
        // A tile shared with a copy is replaced; the lock moves with it.
        image_->writeLockedTile(hold.tile(), entry.pixels);
    }
}

TileCacheEntry* TileCache::find(std::int32_t row, std::int32_t column)
{
    if (row < 0 || row >= tileRows_)
        return nullptr;
    TileCacheEntry* entry = heads_[static_cast<std::size_t>(row)];
    while (entry && entry->column != column)
        entry = entry->next;
    if (!entry)
        return nullptr;
    if (image_ && !entry->writable && reactor_->isModified(row, column))
    {
        // Some writer stored the tile since this copy was taken: a fresh copy
        // in the same slot.
        const std::int32_t slot = entry->slot;
        std::unique_ptr<TileCacheEntry> fresh = makeEntry(row, column, writable_);
        unlink(*entry);
        fresh->slot = slot;
        slots_[static_cast<std::size_t>(slot)] = std::move(fresh);
        entry = slots_[static_cast<std::size_t>(slot)].get();
        link(*entry);
        reactor_->clear(row, column);
        return entry;
    }
    if (entry->previous)
    {
        unlink(*entry);
        link(*entry);
    }
    return entry;
}

TileCacheEntry* TileCache::load(std::int32_t row, std::int32_t column)
{
    if (!image_ || row < 0 || row >= tileRows_ || column < 0 || column >= tileColumns_)
        throw new ImageContextException("Out of bounds request", 2);
    if (writable_)
    {
        std::unique_ptr<TileCacheEntry>& slot = slots_[0];
        if (slot)
        {
            unlink(*slot);
            try
            {
                giveTileBack(*slot, false);
                takeTile(*slot, row, column, true);
            }
            catch (...)
            {
                // The old tile is given up; the new one could not be had.
                slot.reset();
                throw;
            }
        }
        else
            slot = makeEntry(row, column, true);
        slot->slot = 0;
        reactor_->clear(row, column);
        link(*slot);
        return slot.get();
    }

    std::unique_ptr<TileCacheEntry> entry = makeEntry(row, column, false);
    reactor_->clear(row, column);
    const auto count = static_cast<std::int32_t>(slots_.size());
    if (slots_[static_cast<std::size_t>(insertAt_)])
    {
        // Full: the oldest copy goes, whenever it was last used.
        std::unique_ptr<TileCacheEntry>& oldest = slots_[static_cast<std::size_t>(evictAt_)];
        if (oldest)
        {
            unlink(*oldest);
            oldest.reset();
        }
        evictAt_ = (evictAt_ + 1) % count;
    }
    entry->slot = insertAt_;
    slots_[static_cast<std::size_t>(insertAt_)] = std::move(entry);
    TileCacheEntry* placed = slots_[static_cast<std::size_t>(insertAt_)].get();
    insertAt_ = (insertAt_ + 1) % count;
    link(*placed);
    return placed;
}

void TileCache::dropAll(bool discard)
{
    OMVIException* first = nullptr;
    for (std::unique_ptr<TileCacheEntry>& slot : slots_)
    {
        if (!slot)
            continue;
        unlink(*slot);
        try
        {
            giveTileBack(*slot, discard);
        }
        catch (OMVIException* error)
        {
            // The other copies still go back; the first failure is reported.
            if (first)
                delete error;
            else
                first = error;
        }
        slot.reset();
    }
    insertAt_ = 0;
    evictAt_ = 0;
    if (first)
        throw first;
}

void TileCache::flush()
{
    if (!image_)
        return;
    dropAll(false);
}

void TileCache::abandon() noexcept
{
    if (!image_)
        return;
    try
    {
        dropAll(true);
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
    if (reactor_)
        reactor_->forgetImage();
    image_ = nullptr;
}

bool TileCache::holds(std::int32_t row, std::int32_t column) const
{
    for (const std::unique_ptr<TileCacheEntry>& slot : slots_)
        if (slot && slot->row == row && slot->column == column)
            return true;
    return false;
}

bool TileCache::holdsAny() const
{
    for (const std::unique_ptr<TileCacheEntry>& slot : slots_)
        if (slot)
            return true;
    return false;
}

} // namespace Omvi
