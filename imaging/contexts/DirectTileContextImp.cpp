#include "imaging/contexts/DirectTileContextImp.h"

#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace Omvi
{

namespace
{
TiledImage* tiledImageOf(ImageImp& image)
{
    auto* tiled = dynamic_cast<TiledImage*>(&image);
    if (!tiled || !tiled->isConstructed())
        throw new ImageException("DirectTileContextImp: Not A Tiled Image", 1);
    return tiled;
}
} // namespace

DirectTileContextImp::DirectTileContextImp(ImageImp& image, std::int32_t cachedTiles)
    : ImageContextImp(image), tiled_(tiledImageOf(image))
{
    dataType_ = tiled_->dataModel()->dataType();
    bitsPerPixel_ = bitsPerPixelOf(dataType_);
    tileEdge_ = tiled_->tileEdge();
    lineBytes_ = tiled_->bytesPerTileRow();
    tileBytes_ = tiled_->bytesPerTile();
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    const std::int32_t tiles = tiled_->tileGrid(rows, columns);
    const std::int32_t count = std::clamp(cachedTiles, 1, std::max(tiles, 1));
    try
    {
        memory_.resize(static_cast<std::size_t>(count) * static_cast<std::size_t>(tileBytes_));
        entries_.resize(static_cast<std::size_t>(count));
    }
    catch (const std::bad_alloc&)
    {
        throw new SystemException("Out of memory for tile copies", SystemException::kOutOfMemory);
    }
    for (std::int32_t k = 0; k < count; ++k)
        entries_[static_cast<std::size_t>(k)].pixels = memory_.data() + std::int64_t{k} * tileBytes_;
    const std::int32_t handle = tiled_->registerContext(this);
    if (handle == 0)
        throw new SystemException("Too many image contexts", SystemException::kOutOfMemory);
    setRegistryHandle(handle);
}

DirectTileContextImp::~DirectTileContextImp()
{
    if (isDetached())
        return;
    try
    {
        releaseHandedOut();
        flush();
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
    try
    {
        if (registryHandle() != kNotListed)
            tiled_->releaseContext(registryHandle());
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

TiledImage& DirectTileContextImp::tiled() const
{
    image();
    return *tiled_;
}

void DirectTileContextImp::store(Entry& entry)
{
    if (!entry.modified || entry.tileRow < 0)
        return;
    entry.modified = false;
    const TileIndex index{entry.tileRow, entry.tileColumn};
    tiled_->yieldContexts(this, &index);
    tiled_->writeTile(index, entry.pixels);
}

DirectTileContextImp::Entry& DirectTileContextImp::entryFor(std::int32_t tileRow, std::int32_t tileColumn)
{
    for (std::int32_t k = 0; k < inUse_; ++k)
    {
        Entry& entry = entries_[static_cast<std::size_t>(k)];
        if (entry.tileRow == tileRow && entry.tileColumn == tileColumn)
            return entry;
    }
    Entry* target = nullptr;
    const bool fresh = inUse_ < static_cast<std::int32_t>(entries_.size());
    if (fresh)
        target = &entries_[static_cast<std::size_t>(inUse_)];
    else
    {
        target = &entries_[static_cast<std::size_t>(ring_)];
        store(*target);
        ring_ = (ring_ + 1) % static_cast<std::int32_t>(entries_.size());
    }
    const TileIndex index{tileRow, tileColumn};
    tiled_->yieldContexts(this, &index);
    const bool locking = tiled_->tileTable().locking();
    Tile* tile = tiled_->lockTileShared(tileRow, tileColumn);
    struct Release
    {
        TiledImage& image;
        Tile* tile;
        bool locked;
        ~Release()
        {
            if (locked)
                image.unlockTileShared(tile);
        }
    } release{*tiled_, tile, locking};
    // Forgotten until the copy stands, so a failed load leaves no stale entry.
    target->tileRow = -1;
    tiled_->loadTile(*tile, target->pixels);
    target->tileRow = tileRow;
    target->tileColumn = tileColumn;
    target->firstLine = tileRow * tileEdge_;
    target->firstByte = std::int64_t{tileColumn} * lineBytes_;
    target->modified = false;
    if (fresh)
        ++inUse_;
    return *target;
}

std::uint8_t* DirectTileContextImp::byteAt(std::int64_t x, std::int32_t widthLog2, std::int32_t y, bool write)
{
    TiledImage& image = tiled();
    const PixelPair& size = image.size();
    // The first bit of the unit must be a bit of a pixel of the image.
    if (x < 0 || y < 0 || y >= size.y || (x << widthLog2) >= std::int64_t{size.x} * bitsPerPixel_)
        fail(kOutOfBounds);
    const std::int64_t bit = x << widthLog2;
    const std::int64_t xBytes = bit >> 3;
    Entry& entry = entryFor(y / tileEdge_, static_cast<std::int32_t>(xBytes / lineBytes_));
    if (write)
        entry.modified = true;
    return entry.pixels + std::int64_t{y - entry.firstLine} * lineBytes_ + (xBytes - entry.firstByte);
}

bool DirectTileContextImp::get1(std::int32_t x, std::int32_t y)
{
    const std::uint8_t byte = *byteAt(x, 0, y, false);
    return ((byte >> (7 - (x & 7))) & 1) != 0;
}

std::uint8_t DirectTileContextImp::get8(std::int32_t x, std::int32_t y)
{
    return *byteAt(x, 3, y, false);
}

std::uint16_t DirectTileContextImp::get16(std::int32_t x, std::int32_t y)
{
    std::uint16_t value = 0;
    std::memcpy(&value, byteAt(x, 4, y, false), 2);
    return value;
}

std::uint32_t DirectTileContextImp::get32(std::int32_t x, std::int32_t y)
{
    std::uint32_t value = 0;
    std::memcpy(&value, byteAt(x, 5, y, false), 4);
    return value;
}

std::uint64_t DirectTileContextImp::get64(std::int32_t x, std::int32_t y)
{
    const std::uint8_t* at = byteAt(x, 6, y, false);
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    std::memcpy(&low, at, 4);
    std::memcpy(&high, at + 4, 4);
    return std::uint64_t{low} | std::uint64_t{high} << 32;
}

void DirectTileContextImp::put1(std::int32_t x, std::int32_t y, bool value)
{
    std::uint8_t* byte = byteAt(x, 0, y, true);
    const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
    *byte = static_cast<std::uint8_t>(value ? *byte | mask : *byte & ~mask);
}

void DirectTileContextImp::put8(std::int32_t x, std::int32_t y, std::uint8_t value)
{
    *byteAt(x, 3, y, true) = value;
}

void DirectTileContextImp::put16(std::int32_t x, std::int32_t y, std::uint16_t value)
{
    std::memcpy(byteAt(x, 4, y, true), &value, 2);
}

void DirectTileContextImp::put32(std::int32_t x, std::int32_t y, std::uint32_t value)
{
    std::memcpy(byteAt(x, 5, y, true), &value, 4);
}

void DirectTileContextImp::put64(std::int32_t x, std::int32_t y, std::uint64_t value)
{
    std::uint8_t* at = byteAt(x, 6, y, true);
    const auto low = static_cast<std::uint32_t>(value);
    const auto high = static_cast<std::uint32_t>(value >> 32);
    std::memcpy(at, &low, 4);
    std::memcpy(at + 4, &high, 4);
}

void DirectTileContextImp::flush()
{
    image();
    OMVIException* first = nullptr;
    for (std::int32_t k = 0; k < inUse_; ++k)
    {
        try
        {
            store(entries_[static_cast<std::size_t>(k)]);
        }
        catch (OMVIException* error)
        {
            if (first)
                delete error;
            else
                first = error;
        }
        entries_[static_cast<std::size_t>(k)].tileRow = -1;
    }
    inUse_ = 0;
    ring_ = 0;
    if (first)
        throw first;
}

PixelCopier& DirectTileContextImp::copier()
{
    if (!copier_)
    {
        copier_.reset(createPixelCopier(dataType_));
        if (!copier_)
            throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    }
    return *copier_;
}

void DirectTileContextImp::requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const
{
    const PixelPair& size = tiled().size();
    if (count < 1 || y < 0 || y >= size.y || x < 0 || std::int64_t{x} + count > size.x)
        fail(kOutOfBounds);
}

void DirectTileContextImp::getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination)
{
    requireRow(y, x, count);
    if (destination.size() < pixelBytes(count, dataType_))
        fail(kOutOfBounds);
    PixelCopier& pixels = copier();
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const std::int32_t start = at % tileEdge_;
        const std::int32_t length = std::min(tileEdge_ - start, count - done);
        Entry& entry = entryFor(y / tileEdge_, at / tileEdge_);
        pixels.copy(destination.data(), done, entry.pixels + std::int64_t{y - entry.firstLine} * lineBytes_, start,
                    length);
        done += length;
    }
}

void DirectTileContextImp::putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source)
{
    requireRow(y, x, count);
    if (source.size() < pixelBytes(count, dataType_))
        fail(kOutOfBounds);
    PixelCopier& pixels = copier();
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const std::int32_t start = at % tileEdge_;
        const std::int32_t length = std::min(tileEdge_ - start, count - done);
        Entry& entry = entryFor(y / tileEdge_, at / tileEdge_);
        pixels.copy(entry.pixels + std::int64_t{y - entry.firstLine} * lineBytes_, start, source.data(), done, length);
        entry.modified = true;
        done += length;
    }
}

void DirectTileContextImp::fillRow(std::int32_t y, std::int32_t x, std::int32_t count, const ImagePixel& pixel)
{
    requireRow(y, x, count);
    PixelCopier& pixels = copier();
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const std::int32_t start = at % tileEdge_;
        const std::int32_t length = std::min(tileEdge_ - start, count - done);
        Entry& entry = entryFor(y / tileEdge_, at / tileEdge_);
        pixels.fill(entry.pixels + std::int64_t{y - entry.firstLine} * lineBytes_, start, pixel, length);
        entry.modified = true;
        done += length;
    }
}

bool DirectTileContextImp::lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels)
{
    TiledImage& image = tiled();
    if (handedOut_)
        fail(kTileAlreadyAllocated);
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    image.tileGrid(rows, columns);
    if (tileRow < 0 || tileRow >= rows || tileColumn < 0 || tileColumn >= columns)
        fail(kOutOfBounds);
    const TileIndex index{tileRow, tileColumn};
    image.yieldContexts(this, &index);
    auto buffer = std::make_unique<DataBuffer>(tileBytes_);
    const bool locking = image.tileTable().locking();
    Tile* tile = image.lockTileShared(tileRow, tileColumn);
    try
    {
        image.loadTile(*tile, buffer->data());
    }
    catch (...)
    {
        if (locking)
            image.unlockTileShared(tile);
        throw;
    }
    handedOut_ = std::move(buffer);
    handedIndex_ = index;
    handedTile_ = tile;
    handedLocked_ = locking;
    pixels = handedOut_->data();
    return true;
}

void DirectTileContextImp::releaseHandedOut() noexcept
{
    if (handedTile_ && handedLocked_)
        tiled_->unlockTileShared(handedTile_);
    handedTile_ = nullptr;
    handedLocked_ = false;
    handedOut_.reset();
}

void DirectTileContextImp::releaseTile()
{
    image();
    releaseHandedOut();
}

bool DirectTileContextImp::commitTile()
{
    TiledImage& image = tiled();
    if (!handedOut_)
        return true;
    if (handedTile_ && handedLocked_)
        image.unlockTileShared(handedTile_);
    handedTile_ = nullptr;
    handedLocked_ = false;
    image.yieldContexts(this, &handedIndex_);
    image.writeTile(handedIndex_, handedOut_->data());
    handedOut_.reset();
    return true;
}

bool DirectTileContextImp::isTileWritten(std::int32_t tileRow, std::int32_t tileColumn)
{
    TiledImage& image = tiled();
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    image.tileGrid(rows, columns);
    if (tileRow < 0 || tileRow >= rows || tileColumn < 0 || tileColumn >= columns)
        fail(kOutOfBounds);
    const TileIndex index{tileRow, tileColumn};
    image.yieldContexts(this, &index);
    const bool locking = image.tileTable().locking();
    Tile* tile = image.lockTileShared(tileRow, tileColumn);
    const bool written = !tile->isBlank();
    if (locking)
        image.unlockTileShared(tile);
    return written;
}

void DirectTileContextImp::detachImage()
{
    if (isDetached())
        return;
    releaseHandedOut();
    // The copies go unwritten: the image is being destroyed.
    inUse_ = 0;
    ring_ = 0;
    forgetImage();
}

} // namespace Omvi
