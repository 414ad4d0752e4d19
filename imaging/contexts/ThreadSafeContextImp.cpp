#include "imaging/contexts/ThreadSafeContextImp.h"

#include "imaging/OMVIException.h"
#include "imaging/images/ImageImp.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TileHold.h"
#include "imaging/images/TiledImage.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

namespace
{
// The access widths as powers of two of bits.
constexpr std::int32_t kWidthLog2[5] = {0, 3, 4, 5, 6};
} // namespace

ThreadSafeContextImp::ThreadSafeContextImp(ImageImp& image, const PixelPair& regionSize, const PixelPair& origin,
                                           std::int32_t accessMode, std::int32_t cacheSize)
    : ImageContextImp(image), origin_(origin)
{
    requireRegionInside(image.size(), regionSize, origin, "Image::createContext: Region Out Of Bounds");
    farCorner_ = {origin.x + regionSize.x - 1, origin.y + regionSize.y - 1};
    if (bitsPerPixel() > 0)
    {
        // A unit is inside when one of its bits belongs to a pixel of the
        // region: from the unit of the first bit to the unit of the last.
        const std::int64_t firstBit = std::int64_t{origin.x} * bitsPerPixel();
        const std::int64_t lastBit = (std::int64_t{origin.x} + regionSize.x) * bitsPerPixel() - 1;
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
    leaveImage();
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
    return bitAt(byteAt(x >> 3, y, false), x);
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
    return load64(byteAt(std::int64_t{x} * 8, y, false));
}

void ThreadSafeContextImp::put1(std::int32_t x, std::int32_t y, bool value)
{
    image();
    if (!inside(kBits, x, y))
        fail(kOutOfBounds);
    requireWritable();
    setBitAt(byteAt(x >> 3, y, true), x, value);
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
    store64(byteAt(std::int64_t{x} * 8, y, true), value);
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

void ThreadSafeContextImp::requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const
{
    const std::int64_t last = std::int64_t{x} + count - 1;
    if (count < 1 || y < origin_.y || y > farCorner_.y || x < origin_.x || last > farCorner_.x)
        fail(kOutOfBounds);
}

std::uint8_t* ThreadSafeContextImp::rowTile(TiledImage& image)
{
    if (!rowTile_)
        rowTile_ = std::make_unique<DataBuffer>(image.bytesPerTile());
    return rowTile_->data();
}

template <class Change>
void ThreadSafeContextImp::changeTiledRow(std::int32_t y, std::int32_t x, std::int32_t count, Change change)
{
    TiledImage& image = tiled();
    const std::int32_t edge = image.tileEdge();
    std::uint8_t* tile = rowTile(image);
    std::uint8_t* line = tile + std::int64_t{y % edge} * image.bytesPerTileRow();
    forEachTilePiece(x, count, edge, [&](std::int32_t column, std::int32_t start, std::int32_t done,
                                         std::int32_t length) {
        const TileIndex index{y / edge, column};
        tiled_->yieldContexts(nullptr, &index);
        TileHold hold(image, index, true);
        image.loadTile(*hold.tile(), tile);
        change(line, start, done, length);
        image.writeLockedTile(hold.tile(), tile);
    });
}

void ThreadSafeContextImp::getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination)
{
    image();
    requireRow(y, x, count);
    requireRowBuffer(destination, count);
    PixelCopier& pixels = copier();
    if (dataType() == kDataTypeOneBit)
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
    std::uint8_t* tile = rowTile(image);
    const std::uint8_t* line = tile + std::int64_t{y % edge} * image.bytesPerTileRow();
    forEachTilePiece(x, count, edge, [&](std::int32_t column, std::int32_t start, std::int32_t done,
                                         std::int32_t length) {
        const TileIndex index{y / edge, column};
        // This context's own copy of the tile goes back first, so that the
        // read sees it.
        tiled_->yieldContexts(nullptr, &index);
        {
            TileHold hold(image, index, false);
            image.loadTile(*hold.tile(), tile);
        }
        pixels.copy(destination.data(), done, line, start, length);
    });
}

void ThreadSafeContextImp::putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source)
{
    image();
    requireWritable();
    requireRow(y, x, count);
    requireRowBuffer(source, count);
    PixelCopier& pixels = copier();
    if (static_)
    {
        pixels.copy(staticPixels_.pixels + std::int64_t{y} * staticPixels_.bytesPerLine, x, source.data(), 0, count);
        return;
    }
    changeTiledRow(y, x, count, [&](std::uint8_t* line, std::int32_t start, std::int32_t done, std::int32_t length) {
        pixels.copy(line, start, source.data(), done, length);
    });
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
    changeTiledRow(y, x, count, [&](std::uint8_t* line, std::int32_t start, std::int32_t, std::int32_t length) {
        pixels.fill(line, start, pixel, length);
    });
}

bool ThreadSafeContextImp::lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels)
{
    image();
    if (static_)
    {
        pixels = staticPixels_.pixels;
        return true;
    }
    if (handedOut_.held())
        fail(kTileAlreadyAllocated);
    TiledImage& image = tiled();
    const TileIndex index = tileInGrid(image, tileRow, tileColumn);
    // The cached copy (and any other context's of this thread) goes back
    // first: the tile is read as stored.
    image.yieldContexts(nullptr, &index);
    if (writable_)
    {
        cache_->flush();
        holder_.store(std::thread::id());
    }
    pixels = handedOut_.take(image, index);
    return true;
}

void ThreadSafeContextImp::releaseHandedOut() noexcept
{
    handedOut_.release(tiled_);
}

void ThreadSafeContextImp::releaseTile()
{
    image();
    releaseHandedOut();
}

bool ThreadSafeContextImp::commitTile()
{
    image();
    if (!handedOut_.held())
        return true;
    requireWritable();
    handedOut_.commit(tiled(), nullptr);
    return true;
}

bool ThreadSafeContextImp::isTileWritten(std::int32_t tileRow, std::int32_t tileColumn)
{
    image();
    if (static_)
        return true;
    TiledImage& image = tiled();
    const TileIndex index = tileInGrid(image, tileRow, tileColumn);
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
