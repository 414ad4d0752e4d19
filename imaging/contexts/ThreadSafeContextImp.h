#pragma once
// The general image context: random access to a rectangular region of a
// tiled or static image. Every coordinate is checked against the region;
// a read-only context refuses writes; tiles are reached through the tile
// cache (TileCache.h) under the tiles' locks, so that several contexts, also
// on several threads, may work on one image at once. One context is used by
// one thread at a time.
//
// Access widths: the region is turned into one rectangle per width (bits,
// bytes, 16-, 32- and 64-bit words): a unit is inside when any of its bits
// is a pixel of the region, so the first and last unit of an unaligned
// region are reachable (a 1-bit region from x = 5, 8 wide, reaches bytes 0
// and 1). Writing a unit that is partly outside the region writes its other
// pixels too.
//
// Reads outside the region throw "Out of bounds request" (code 2), or answer
// the out-of-bounds pixel after setOutOfBoundsException(false); writes
// outside always throw, and writes through a read-only context throw
// "Attempted Write with a ReadOnly Context" (code 1) after the bounds test
// (before it for whole rows). Rows must lie wholly inside the region.
//
// A writable context on a tiled image holds the tile it caches locked
// between its calls; the image's own operations and the other contexts of
// the same thread make it give the tile back first (yieldTiles), so the
// thread never waits on itself.
#include "imaging/contexts/HandedOutTile.h"
#include "imaging/contexts/ImageContextImp.h"
#include "imaging/contexts/TileCache.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

namespace Omvi
{

class TiledImage;

class ThreadSafeContextImp : public ImageContextImp
{
public:
    // Access modes.
    enum : std::int32_t
    {
        kReadOnlyAccess = 0,
        kWritableAccess = 1
    };

    // A region outside the image throws ImageException 0
    // "Image::createContext: Region Out Of Bounds". `accessMode` 1 makes a
    // context on a tiled image writable (one on a static image always is);
    // `cacheSize` is the number of tile copies a read-only context keeps.
    ThreadSafeContextImp(ImageImp& image, const PixelPair& regionSize, const PixelPair& origin,
                         std::int32_t accessMode, std::int32_t cacheSize);
    // Gives a handed-out tile back, writes back a changed copy, leaves the
    // image's context list. Never throws (a failed write-back is lost: call
    // flush first to see it).
    ~ThreadSafeContextImp() override;

    void setOutOfBoundsException(bool throwing) override;
    void setOutOfBoundsPixel(const ImagePixel& pixel) override;
    bool get1(std::int32_t x, std::int32_t y) override;
    std::uint8_t get8(std::int32_t x, std::int32_t y) override;
    std::uint16_t get16(std::int32_t x, std::int32_t y) override;
    std::uint32_t get32(std::int32_t x, std::int32_t y) override;
    std::uint64_t get64(std::int32_t x, std::int32_t y) override;
    void put1(std::int32_t x, std::int32_t y, bool value) override;
    void put8(std::int32_t x, std::int32_t y, std::uint8_t value) override;
    void put16(std::int32_t x, std::int32_t y, std::uint16_t value) override;
    void put32(std::int32_t x, std::int32_t y, std::uint32_t value) override;
    void put64(std::int32_t x, std::int32_t y, std::uint64_t value) override;
    void flush() override;
    void getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination) override;
    void putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source) override;
    void fillRow(std::int32_t y, std::int32_t x, std::int32_t count, const ImagePixel& pixel) override;
    bool lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels) override;
    void releaseTile() override;
    bool commitTile() override;
    bool isTileWritten(std::int32_t tileRow, std::int32_t tileColumn) override;
    void detachImage() override;
    void yieldTiles(const TileIndex* only) override;

    bool isWritable() const { return writable_; }
    bool isStatic() const { return static_; }
    // The inclusive rectangle of the region in units of 2^width bits
    // (width 0 bits, 3 bytes, 4, 5 and 6 words).
    struct Rectangle
    {
        std::int64_t left = 0;
        std::int64_t top = 0;
        std::int64_t right = -1;
        std::int64_t bottom = -1;
    };
    const Rectangle& accessRectangle(std::int32_t widthLog2) const;

private:
    enum Width
    {
        kBits = 0,
        kBytes = 1,
        kWords16 = 2,
        kWords32 = 3,
        kWords64 = 4
    };

    // Whether unit x of line y (units of the width) is in the region.
    bool inside(Width width, std::int64_t x, std::int32_t y) const;
    // The byte at `xBytes` of line y, its tile brought into the cache.
    std::uint8_t* byteAt(std::int64_t xBytes, std::int32_t y, bool write);
    // The answer to a read outside the region, or the exception.
    std::uint64_t outsideRead(std::uint64_t mask) const;
    void requireWritable() const;
    void requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const;
    // The scratch copy of a tile that whole-row accesses go through.
    std::uint8_t* rowTile(TiledImage& image);
    // Runs change(line, start, done, length) on each tile piece of the row,
    // in the tile's line y, the tile held exclusively and stored after.
    template <class Change>
    void changeTiledRow(std::int32_t y, std::int32_t x, std::int32_t count, Change change);
    // Other contexts of this thread give back the tile wanted (null: any).
    void yieldOthers(const TileIndex* only);
    void releaseHandedOut() noexcept;
    TiledImage& tiled() const;

    PixelPair origin_;
    PixelPair farCorner_;
    Rectangle rectangles_[5];
    std::unique_ptr<TileCache> cache_;
    bool writable_ = false;
    bool static_ = false;
    StaticPixelView staticPixels_;
    TiledImage* tiled_ = nullptr;

    HandedOutTile handedOut_;
    std::unique_ptr<DataBuffer> rowTile_;
    ImagePixel outOfBoundsPixel_;
    bool answerOutOfBounds_ = false;
    // The thread whose calls left a tile locked in the cache.
    std::atomic<std::thread::id> holder_{};
};

} // namespace Omvi
