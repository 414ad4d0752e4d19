#include "imaging/contexts/ThreadSafeContextImp.h"

#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

namespace
{
// The access widths as powers of two of bits.
constexpr std::int32_t kWidthLog2[5] = {0, 3, 4, 5, 6};

// Holds a tile's lock for a scope, when tile locking is on.
class TileHold
{
public:
    TileHold(TiledImage& image, const TileIndex& index, bool exclusive)
        : image_(image), exclusive_(exclusive), locked_(image.tileTable().locking())
    {
        tile_ = exclusive ? image.lockTileExclusive(index.row, index.column)
                          : image.lockTileShared(index.row, index.column);
    }
    ~TileHold()
    {
        if (!locked_)
            return;
        if (exclusive_)
            image_.unlockTileExclusive(tile_);
        else
            image_.unlockTileShared(tile_);
    }
    TileHold(const TileHold&) = delete;
    TileHold& operator=(const TileHold&) = delete;
    Tile*& tile() { return tile_; }

private:
    TiledImage& image_;
    Tile* tile_ = nullptr;
    bool exclusive_;
    bool locked_;
};
} // namespace

ThreadSafeContextImp::ThreadSafeContextImp(ImageImp& image, const PixelPair& regionSize, const PixelPair& origin,
                                           std::int32_t accessMode, std::int32_t cacheSize)
    : ImageContextImp(image), origin_(origin)
{
    requireRegionInside(image.size(), regionSize, origin, "Image::createContext: Region Out Of Bounds");
    farCorner_ = {origin.x + regionSize.x - 1, origin.y + regionSize.y - 1};
    dataType_ = image.dataModel()->dataType();
    bitsPerPixel_ = bitsPerPixelOf(dataType_);
    if (bitsPerPixel_ > 0)
    {
        // A unit is inside when one of its bits belongs to a pixel of the
        // region: from the unit of the first bit to the unit of the last.
        const std::int64_t firstBit = std::int64_t{origin.x} * bitsPerPixel_;
        const std::int64_t lastBit = (std::int64_t{origin.x} + regionSize.x) * bitsPerPixel_ - 1;
        for (int w = 0; w < 5; ++w)
            rectangles_[w] = {firstBit >> kWidthLog2[w], origin.y, lastBit >> kWidthLog2[w], farCorner_.y};
    }

    StaticPixelView view;
    if (image.staticPixels(view))
    {
        static_ = true;
        staticPixels_ = view;
        writable_ = true;
        cache_ = std::make_unique<TileCache>(view);
    }
    else if ((tiled_ = dynamic_cast<TiledImage*>(&image)) != nullptr)
    {
        writable_ = accessMode == kWritableAccess;
        cache_ = std::make_unique<TileCache>(*tiled_, cacheSize, writable_);
        // Before the cache locks a tile, other contexts of this thread that
        // hold it give it back.
        cache_->setBeforeLock([this](const TileIndex& index) { yieldOthers(&index); });
    }
    else
        throw new ImageException("Image::createContext", 1);
}

ThreadSafeContextImp::~ThreadSafeContextImp()
{
    if (isDetached())
        return;
    try
    {
        releaseHandedOut();
        cache_->flush();
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
            image().releaseContext(registryHandle());
    }
    catch (OMVIException* error)
    {
        delete error;
    }
    catch (...)
    {
    }
}

TiledImage& ThreadSafeContextImp::tiled() const
{
    image();
    return *tiled_;
}

const ThreadSafeContextImp::Rectangle& ThreadSafeContextImp::accessRectangle(std::int32_t widthLog2) const
{
    for (int w = 0; w < 5; ++w)
        if (kWidthLog2[w] == widthLog2)
            return rectangles_[w];
    static const Rectangle none;
    return none;
}

bool ThreadSafeContextImp::inside(Width width, std::int64_t x, std::int32_t y) const
{
    const Rectangle& r = rectangles_[width];
    return y >= r.top && y <= r.bottom && x >= r.left && x <= r.right;
}

std::uint64_t ThreadSafeContextImp::outsideRead(std::uint64_t mask) const
{
    if (!answerOutOfBounds_)
        fail(kOutOfBounds);
    return outOfBoundsPixel_.value & mask;
}

void ThreadSafeContextImp::requireWritable() const
{
    if (!writable_)
        fail(kReadOnly);
}

void ThreadSafeContextImp::setOutOfBoundsException(bool throwing)
{
    image();
    answerOutOfBounds_ = !throwing;
    outOfBoundsPixel_.value = 0;
}

void ThreadSafeContextImp::setOutOfBoundsPixel(const ImagePixel& pixel)
{
    image();
    outOfBoundsPixel_ = pixel;
}

std::uint8_t* ThreadSafeContextImp::byteAt(std::int64_t xBytes, std::int32_t y, bool write)
{
    image();
    const TileIndex index = cache_->tileOf(xBytes, y);
    TileCacheEntry* entry = cache_->find(index.row, index.column);
    if (!entry)
    {
        entry = cache_->load(index.row, index.column);
        if (writable_ && !static_)
            holder_.store(std::this_thread::get_id());
    }
    if (write)
        entry->modified = true;
    return cache_->address(*entry, xBytes, y);
}

bool ThreadSafeContextImp::get1(std::int32_t x, std::int32_t y)
{
    image();
    if (!inside(kBits, x, y))
        return outsideRead(0xFF) != 0;
    const std::uint8_t byte = *byteAt(x >> 3, y, false);
    return ((byte >> (7 - (x & 7))) & 1) != 0;
}

std::uint8_t ThreadSafeContextImp::get8(std::int32_t x, std::int32_t y)
{
    image();
    if (!inside(kBytes, x, y))
        return static_cast<std::uint8_t>(outsideRead(0xFF));
    return *byteAt(x, y, false);
}

std::uint16_t ThreadSafeContextImp::get16(std::int32_t x, std::int32_t y)
{
    image();
    if (!inside(kWords16, x, y))
        return static_cast<std::uint16_t>(outsideRead(0xFFFF));
    std::uint16_t value = 0;
    std::memcpy(&value, byteAt(std::int64_t{x} * 2, y, false), 2);
    return value;
}

std::uint32_t ThreadSafeContextImp::get32(std::int32_t x, std::int32_t y)
{
    image();
    if (!inside(kWords32, x, y))
        return static_cast<std::uint32_t>(outsideRead(0xFFFFFFFFu));
    std::uint32_t value = 0;
    std::memcpy(&value, byteAt(std::int64_t{x} * 4, y, false), 4);
    return value;
}

std::uint64_t ThreadSafeContextImp::get64(std::int32_t x, std::int32_t y)
{
    image();
    if (!inside(kWords64, x, y))
        return outsideRead(~std::uint64_t{0});
    // Two 32-bit words, the low one first.
    const std::uint8_t* at = byteAt(std::int64_t{x} * 8, y, false);
    std::uint32_t low = 0;
    std::uint32_t high = 0;
    std::memcpy(&low, at, 4);
    std::memcpy(&high, at + 4, 4);
    return std::uint64_t{low} | std::uint64_t{high} << 32;
}

void ThreadSafeContextImp::put1(std::int32_t x, std::int32_t y, bool value)
{
    image();
    if (!inside(kBits, x, y))
        fail(kOutOfBounds);
    requireWritable();
    std::uint8_t* byte = byteAt(x >> 3, y, true);
    const auto mask = static_cast<std::uint8_t>(0x80 >> (x & 7));
    *byte = static_cast<std::uint8_t>(value ? *byte | mask : *byte & ~mask);
}

void ThreadSafeContextImp::put8(std::int32_t x, std::int32_t y, std::uint8_t value)
{
    image();
    if (!inside(kBytes, x, y))
        fail(kOutOfBounds);
    requireWritable();
    *byteAt(x, y, true) = value;
}

void ThreadSafeContextImp::put16(std::int32_t x, std::int32_t y, std::uint16_t value)
{
    image();
    if (!inside(kWords16, x, y))
        fail(kOutOfBounds);
    requireWritable();
    std::memcpy(byteAt(std::int64_t{x} * 2, y, true), &value, 2);
}

void ThreadSafeContextImp::put32(std::int32_t x, std::int32_t y, std::uint32_t value)
{
    image();
    if (!inside(kWords32, x, y))
        fail(kOutOfBounds);
    requireWritable();
    std::memcpy(byteAt(std::int64_t{x} * 4, y, true), &value, 4);
}

void ThreadSafeContextImp::put64(std::int32_t x, std::int32_t y, std::uint64_t value)
{
    image();
    if (!inside(kWords64, x, y))
        fail(kOutOfBounds);
    requireWritable();
    std::uint8_t* at = byteAt(std::int64_t{x} * 8, y, true);
    const auto low = static_cast<std::uint32_t>(value);
    const auto high = static_cast<std::uint32_t>(value >> 32);
    std::memcpy(at, &low, 4);
    std::memcpy(at + 4, &high, 4);
}

void ThreadSafeContextImp::flush()
{
    image();
    cache_->flush();
    holder_.store(std::thread::id());
}

void ThreadSafeContextImp::yieldTiles(const TileIndex* only)
{
    if (isDetached() || !writable_ || static_ || holder_.load() != std::this_thread::get_id())
        return;
    if (only && !cache_->holds(only->row, only->column))
        return;
    cache_->flush();
    holder_.store(std::thread::id());
}

void ThreadSafeContextImp::yieldOthers(const TileIndex* only)
{
    if (tiled_ && !isDetached())
        tiled_->yieldContexts(this, only);
}

PixelCopier& ThreadSafeContextImp::copier()
{
    if (!copier_)
    {
        copier_.reset(createPixelCopier(dataType_));
        if (!copier_)
            throw new SystemException("Out of memory", SystemException::kOutOfMemory);
    }
    return *copier_;
}

void ThreadSafeContextImp::requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const
{
    const std::int64_t last = std::int64_t{x} + count - 1;
    if (count < 1 || y < origin_.y || y > farCorner_.y || x < origin_.x || last > farCorner_.x)
        fail(kOutOfBounds);
}

void ThreadSafeContextImp::getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination)
{
    image();
    requireRow(y, x, count);
    if (destination.size() < pixelBytes(count, dataType_))
        fail(kOutOfBounds);
    PixelCopier& pixels = copier();
    if (dataType_ == kDataTypeOneBit)
    {
        // The last byte is wholly defined: the bits past the row are the
        // out-of-bounds pixel.
        pixels.fill(destination.data(), 0, outOfBoundsPixel_, (count + 7) / 8 * 8);
    }
    if (static_)
    {
        pixels.copy(destination.data(), 0,
                    staticPixels_.pixels + std::int64_t{y} * staticPixels_.bytesPerLine, x, count);
        return;
    }
    TiledImage& image = tiled();
    const std::int32_t edge = image.tileEdge();
    if (!rowTile_)
        rowTile_ = std::make_unique<DataBuffer>(image.bytesPerTile());
    const std::int32_t line = y % edge;
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const TileIndex index{y / edge, at / edge};
        const std::int32_t start = at % edge;
        const std::int32_t length = std::min(edge - start, count - done);
        // This context's own copy of the tile goes back first, so that the
        // read sees it.
        tiled_->yieldContexts(nullptr, &index);
        {
            TileHold hold(image, index, false);
            image.loadTile(*hold.tile(), rowTile_->data());
        }
        pixels.copy(destination.data(), done, rowTile_->data() + std::int64_t{line} * image.bytesPerTileRow(), start,
                    length);
        done += length;
    }
}

void ThreadSafeContextImp::putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source)
{
    image();
    requireWritable();
    requireRow(y, x, count);
    if (source.size() < pixelBytes(count, dataType_))
        fail(kOutOfBounds);
    PixelCopier& pixels = copier();
    if (static_)
    {
        pixels.copy(staticPixels_.pixels + std::int64_t{y} * staticPixels_.bytesPerLine, x, source.data(), 0, count);
        return;
    }
    TiledImage& image = tiled();
    const std::int32_t edge = image.tileEdge();
    if (!rowTile_)
        rowTile_ = std::make_unique<DataBuffer>(image.bytesPerTile());
    const std::int32_t line = y % edge;
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const TileIndex index{y / edge, at / edge};
        const std::int32_t start = at % edge;
        const std::int32_t length = std::min(edge - start, count - done);
        tiled_->yieldContexts(nullptr, &index);
        TileHold hold(image, index, true);
        image.loadTile(*hold.tile(), rowTile_->data());
        pixels.copy(rowTile_->data() + std::int64_t{line} * image.bytesPerTileRow(), start, source.data(), done,
                    length);
        image.writeLockedTile(hold.tile(), rowTile_->data());
        done += length;
    }
}

void ThreadSafeContextImp::fillRow(std::int32_t y, std::int32_t x, std::int32_t count, const ImagePixel& pixel)
{
    image();
    requireWritable();
    requireRow(y, x, count);
    PixelCopier& pixels = copier();
    if (static_)
    {
        pixels.fill(staticPixels_.pixels + std::int64_t{y} * staticPixels_.bytesPerLine, x, pixel, count);
        return;
    }
    TiledImage& image = tiled();
    const std::int32_t edge = image.tileEdge();
    if (!rowTile_)
        rowTile_ = std::make_unique<DataBuffer>(image.bytesPerTile());
    const std::int32_t line = y % edge;
    for (std::int32_t done = 0; done < count;)
    {
        const std::int32_t at = x + done;
        const TileIndex index{y / edge, at / edge};
        const std::int32_t start = at % edge;
        const std::int32_t length = std::min(edge - start, count - done);
        tiled_->yieldContexts(nullptr, &index);
        TileHold hold(image, index, true);
        image.loadTile(*hold.tile(), rowTile_->data());
        pixels.fill(rowTile_->data() + std::int64_t{line} * image.bytesPerTileRow(), start, pixel, length);
        image.writeLockedTile(hold.tile(), rowTile_->data());
        done += length;
    }
}

bool ThreadSafeContextImp::lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels)
{
    image();
    if (static_)
    {
        pixels = staticPixels_.pixels;
        return true;
    }
    if (handedOut_)
        fail(kTileAlreadyAllocated);
    TiledImage& image = tiled();
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    image.tileGrid(rows, columns);
    if (tileRow < 0 || tileRow >= rows || tileColumn < 0 || tileColumn >= columns)
        fail(kOutOfBounds);
    const TileIndex index{tileRow, tileColumn};
    // The cached copy (and any other context's of this thread) goes back
    // first: the tile is read as stored.
    image.yieldContexts(nullptr, &index);
    if (writable_)
    {
        cache_->flush();
        holder_.store(std::thread::id());
    }
    auto buffer = std::make_unique<DataBuffer>(image.bytesPerTile());
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

void ThreadSafeContextImp::releaseHandedOut() noexcept
{
    if (handedTile_ && handedLocked_ && tiled_)
        tiled_->unlockTileShared(handedTile_);
    handedTile_ = nullptr;
    handedLocked_ = false;
    handedOut_.reset();
}

void ThreadSafeContextImp::releaseTile()
{
    image();
    releaseHandedOut();
}

bool ThreadSafeContextImp::commitTile()
{
    image();
    if (!handedOut_)
        return true;
    requireWritable();
    TiledImage& image = tiled();
    // The shared hold goes before the store takes the tile exclusively.
    if (handedTile_ && handedLocked_)
        image.unlockTileShared(handedTile_);
    handedTile_ = nullptr;
    handedLocked_ = false;
    image.yieldContexts(nullptr, &handedIndex_);
    image.writeTile(handedIndex_, handedOut_->data());
    handedOut_.reset();
    return true;
}

bool ThreadSafeContextImp::isTileWritten(std::int32_t tileRow, std::int32_t tileColumn)
{
    image();
    if (static_)
        return true;
    TiledImage& image = tiled();
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    image.tileGrid(rows, columns);
    if (tileRow < 0 || tileRow >= rows || tileColumn < 0 || tileColumn >= columns)
        fail(kOutOfBounds);
    const TileIndex index{tileRow, tileColumn};
    image.yieldContexts(nullptr, &index);
    TileHold hold(image, index, false);
    return !hold.tile()->isBlank();
}

void ThreadSafeContextImp::detachImage()
{
    if (isDetached())
        return;
    releaseHandedOut();
    if (cache_)
        cache_->abandon();
    holder_.store(std::thread::id());
    forgetImage();
}

} // namespace Omvi
