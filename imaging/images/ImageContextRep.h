#pragma once
// The root of the implementations behind an image context: random access to
// an image's pixels, as single pixels at every access width, runs of pixels
// along a line, and whole tiles. The operations are listed in their slot
// order. Coordinates are image pixels unless said otherwise; the x of the
// 8-, 16-, 32- and 64-bit accessors counts units of that width (so any image
// can be read or written as raw words), the x of the 1-bit accessors bits.
//
// An image keeps the contexts opened on it; when the image is destroyed
// first, it detaches them, so that a context never reaches a destroyed image
// and destroying it afterwards is quiet.
#include "imaging/images/Tile.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>

namespace Omvi
{

class DataBuffer;

class ImageContextRep
{
public:
    ImageContextRep();
    ImageContextRep(const ImageContextRep&) = delete;
    ImageContextRep& operator=(const ImageContextRep&) = delete;
    // 0
    virtual ~ImageContextRep();

    // 1: the pixel kind of the image's model (ImagePixel kinds 0-8).
    virtual std::int32_t pixelKind() const = 0;
    // 2: true (the start) makes reads outside the context's region throw;
    // false makes them answer the out-of-bounds pixel, whose value it resets
    // to 0.
    virtual void setOutOfBoundsException(bool throwing) = 0;
    // 3
    virtual void setOutOfBoundsPixel(const ImagePixel& pixel) = 0;
    // 4-8
    virtual bool get1(std::int32_t x, std::int32_t y) = 0;
    virtual std::uint8_t get8(std::int32_t x, std::int32_t y) = 0;
    virtual std::uint16_t get16(std::int32_t x, std::int32_t y) = 0;
    virtual std::uint32_t get32(std::int32_t x, std::int32_t y) = 0;
    virtual std::uint64_t get64(std::int32_t x, std::int32_t y) = 0;
    // 9-13
    virtual void put1(std::int32_t x, std::int32_t y, bool value) = 0;
    virtual void put8(std::int32_t x, std::int32_t y, std::uint8_t value) = 0;
    virtual void put16(std::int32_t x, std::int32_t y, std::uint16_t value) = 0;
    virtual void put32(std::int32_t x, std::int32_t y, std::uint32_t value) = 0;
    virtual void put64(std::int32_t x, std::int32_t y, std::uint64_t value) = 0;
    // 14: writes back what the context changed and empties its copies.
    virtual void flush() = 0;
    // 15 and 16: a pixel at the width of the image's pixel kind.
    virtual ImagePixel getPixel(std::int32_t x, std::int32_t y) = 0;
    virtual void putPixel(std::int32_t x, std::int32_t y, const ImagePixel& pixel) = 0;
    // 17-19: `count` pixels of line y from column x.
    virtual void getRow(std::int32_t y, std::int32_t x, std::int32_t count, DataBuffer& destination) = 0;
    virtual void putRow(std::int32_t y, std::int32_t x, std::int32_t count, const DataBuffer& source) = 0;
    virtual void fillRow(std::int32_t y, std::int32_t x, std::int32_t count, const ImagePixel& pixel) = 0;
    // 20: hands out a copy of a whole tile (`pixels`); one at a time.
    virtual bool lockTile(std::int32_t tileRow, std::int32_t tileColumn, std::uint8_t*& pixels) = 0;
    // 21: gives the handed-out tile back unchanged.
    virtual void releaseTile() = 0;
    // 22: stores the handed-out tile's pixels into the image.
    virtual bool commitTile() = 0;
    // 23: whether the tile was ever written (a blank tile reads as the
    // image's clear colour).
    virtual bool isTileWritten(std::int32_t tileRow, std::int32_t tileColumn) = 0;
    // 24: the handle under which the image lists the context.
    virtual void setRegistryHandle(std::int32_t handle) = 0;

    // The image is being destroyed: from now on the context must not touch
    // it, nor give its registry handle back to it. Never throws.
    virtual void detachImage() = 0;
    // The calling thread is about to lock tiles of the image (to paste,
    // clear, or read through another context): a context that holds a tile
    // locked for this thread between its calls gives it back (writing its
    // changes) so that the thread does not wait on itself. `only` names the
    // one tile wanted, or null for any. Does nothing by default.
    virtual void yieldTiles(const TileIndex* only);
};

} // namespace Omvi
