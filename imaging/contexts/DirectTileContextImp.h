#pragma once
// The fast image context of the rotation transforms: a whole tiled image,
// a ring of N tile copies in one block of memory, tiles locked only while a
// copy is loaded or stored. It checks no access mode and keeps no region,
// but every coordinate is checked against the image (ImageContextException
// 2 "Out of bounds request"), so that a walk that rounds a step outside the
// image never reaches past the tile grid. Meant for one thread.
//
// Writes go to the copies; a changed copy is stored when it is replaced and
// by flush (and the destructor). lockTile hands out a tile as stored: changes
// still in the copies are not in it.
#include "imaging/contexts/HandedOutTile.h"
#include "imaging/contexts/ImageContextImp.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

class TiledImage;

class DirectTileContextImp : public ImageContextImp
{
public:
    // The image must be a tiled image (else ImageException 1); `cachedTiles`
    // is kept within 1 and the image's tile count. The context lists itself
    // with the image, which detaches it if it goes first.
    DirectTileContextImp(ImageImp& image, std::int32_t cachedTiles);
    // Stores the changed copies and leaves the image's list; never throws.
    ~DirectTileContextImp() override;

    // Region-less: nothing to answer outside it.
    void setOutOfBoundsException(bool) override {}
    void setOutOfBoundsPixel(const ImagePixel&) override {}
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

    std::int32_t cachedTiles() const { return static_cast<std::int32_t>(entries_.size()); }

private:
    struct Entry
    {
        std::int32_t tileRow = -1;
        std::int32_t tileColumn = -1;
        std::int32_t firstLine = 0;
        std::int64_t firstByte = 0;
        std::uint8_t* pixels = nullptr;
        bool modified = false;
    };

    // The byte at `xBytes` of line y, with x and y checked against the
    // image in units of 2^widthLog2 bits.
    std::uint8_t* byteAt(std::int64_t x, std::int32_t widthLog2, std::int32_t y, bool write);
    Entry& entryFor(std::int32_t tileRow, std::int32_t tileColumn);
    void store(Entry& entry);
    void requireRow(std::int32_t y, std::int32_t x, std::int32_t count) const;
    // Line y of the copy of tile (y / edge, tileColumn), marked changed
    // when `write`.
    std::uint8_t* lineAt(std::int32_t y, std::int32_t tileColumn, bool write);
    void releaseHandedOut() noexcept;
    TiledImage& tiled() const;

    TiledImage* tiled_;
    std::int32_t tileEdge_ = 0;
    std::int32_t lineBytes_ = 0;
    std::int32_t tileBytes_ = 0;
    std::int32_t inUse_ = 0;
    std::int32_t ring_ = 0;
    std::vector<Entry> entries_;
    std::vector<std::uint8_t> memory_;

    HandedOutTile handedOut_;
};

} // namespace Omvi
