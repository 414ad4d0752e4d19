#pragma once
// Where the tiles of a tiled image live when they are not in memory. A
// client reserves room for a grid of equal pages and gets a 64-bit handle,
// then allocates, reads, writes and frees pages of it by position
// (tiles across × row + column). Failures of the store are thrown as
// TemporaryFilePagingSystemException or FileIOException.
#include <cstdint>

namespace Omvi
{

class PagingSystemInterface
{
public:
    using Handle = std::int64_t;
    static constexpr Handle kInvalidHandle = -1;

    virtual ~PagingSystemInterface() = default;

    // Whether pages of the handle can be written back in place.
    virtual bool canPage(const Handle& handle) = 0;
    virtual Handle invalidHandle() = 0;
    virtual bool isInvalidHandle(const Handle& handle) = 0;
    // Room for tileRows × tileColumns pages of pageSize bytes; the invalid
    // handle when there is none.
    virtual Handle reserve(std::int32_t tileRows, std::int32_t tileColumns, std::int32_t pageSize) = 0;
    // The page of (row, column), marked in use; its position.
    virtual std::int64_t allocatePosition(const Handle& handle, std::int32_t tileRow, std::int32_t tileColumn) = 0;
    // Frees the page; answers whether pages of the handle are still in use
    // (when none is, the handle is gone).
    virtual bool freePosition(const Handle& handle, const std::int64_t& position) = 0;
    virtual void readPosition(const Handle& handle, const std::int64_t& position, void* destination) = 0;
    // The pages land one after another in the destination, a page apart.
    virtual void readPositions(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                               void* destination) = 0;
    virtual void writePosition(const Handle& handle, const std::int64_t& position, const void* source) = 0;
    virtual void writePositions(const Handle& handle, const std::int64_t* positions, std::int32_t count,
                                const void* source) = 0;

    // The names the tile code uses for the same operations.
    bool canWriteInPlace(const Handle& handle) { return canPage(handle); }
    Handle allocatePageSet(std::int32_t tileRows, std::int32_t tileColumns, std::int32_t pageSize)
    {
        return reserve(tileRows, tileColumns, pageSize);
    }
    std::int64_t pageAddress(const Handle& handle, std::int32_t tileRow, std::int32_t tileColumn)
    {
        return allocatePosition(handle, tileRow, tileColumn);
    }
};

} // namespace Omvi
