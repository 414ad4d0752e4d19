#include "imaging/contexts/DirectTileContextImp.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/TileHold.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/PixelCopier.h"
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
    leaveImage();
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
    TileHold hold(*tiled_, index, false);
    // Forgotten until the copy stands, so a failed load leaves no stale entry.
    target->tileRow = -1;
    tiled_->loadTile(*hold.tile(), target->pixels);
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
    if (x < 0 || y < 0 || y >= size.y || (x << widthLog2) >= std::int64_t{size.x} * bitsPerPixel())
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
    return bitAt(byteAt(x, 0, y, false), x);
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
    return load64(byteAt(x, 6, y, false));
}

void DirectTileContextImp::put1(std::int32_t x, std::int32_t y, bool value)
{
    setBitAt(byteAt(x, 0, y, true), x, value);
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
    store64(byteAt(x, 6, y, true), value);
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

void DirectTileContextImp::requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const
{
    const PixelPair& size = tiled().size();
    if (count < 1 || y < 0 || y >= size.y || x < 0 || std::int64_t{x} + count > size.x)
        fail(kOutOfBounds);
}

std::uint8_t* DirectTileContextImp::lineAt(std::int32_t y, std::int32_t tileColumn, bool write)
{
    Entry& entry = entryFor(y / tileEdge_, tileColumn);
    if (write)
        entry.modified = true;
    return entry.pixels + std::int64_t{y - entry.firstLine} * lineBytes_;
}

void DirectTileContextImp::getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination)
{
    requireRow(y, x, count);
    requireRowBuffer(destination, count);
    PixelCopier& pixels = copier();
    forEachTilePiece(x, count, tileEdge_, [&](std::int32_t column, std::int32_t start, std::int32_t done,
                                              std::int32_t length) {
        pixels.copy(destination.data(), done, lineAt(y, column, false), start, length);
    });
}

void DirectTileContextImp::putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source)
{
    requireRow(y, x, count);
    requireRowBuffer(source, count);
    PixelCopier& pixels = copier();
    forEachTilePiece(x, count, tileEdge_, [&](std::int32_t column, std::int32_t start, std::int32_t done,
                                              std::int32_t length) {
        pixels.copy(lineAt(y, column, true), start, source.data(), done, length);
    });
}

void DirectTileContextImp::fillRow(std::int32_t y, std::int32_t x, std::int32_t count, const ImagePixel& pixel)
{
    requireRow(y, x, count);
    PixelCopier& pixels = copier();
    forEachTilePiece(x, count, tileEdge_, [&](std::int32_t column, std::int32_t start, std::int32_t,
                                              std::int32_t length) {
        pixels.fill(lineAt(y, column, true), start, pixel, length);
    });
}

bool DirectTileContextImp::lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels)
{
    TiledImage& image = tiled();
    if (handedOut_.held())
        fail(kTileAlreadyAllocated);
    const TileIndex index = tileInGrid(image, tileRow, tileColumn);
    image.yieldContexts(this, &index);
    pixels = handedOut_.take(image, index);
    return true;
}

void DirectTileContextImp::releaseHandedOut() noexcept
{
    handedOut_.release(tiled_);
}

void DirectTileContextImp::releaseTile()
{
    image();
    releaseHandedOut();
}

bool DirectTileContextImp::commitTile()
{
    TiledImage& image = tiled();
    if (!handedOut_.held())
        return true;
    handedOut_.commit(image, this);
    return true;
}

bool DirectTileContextImp::isTileWritten(std::int32_t tileRow, std::int32_t tileColumn)
{
    TiledImage& image = tiled();
    const TileIndex index = tileInGrid(image, tileRow, tileColumn);
    image.yieldContexts(this, &index);
    TileHold hold(image, index, false);
    return !hold.tile()->isBlank();
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
