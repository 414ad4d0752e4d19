#pragma once
// One square tile of a tiled image: where its pixels live (a page of a page
// set of a paging system), its read-write lock, its place in the grid, how
// many tile tables hold it (copies of an image share tiles until one of them
// writes), and whether it was ever written: a blank tile reads as the
// image's clear colour, not from its page.
#include "imaging/PagingSystemInterface.h"

#include <atomic>
#include <cstdint>
#include <memory>

namespace Omvi
{

class DataBuffer;
class ReadManyWriteOneLock;

struct TileIndex
{
    std::int32_t row = 0;
    std::int32_t column = 0;
    bool operator==(const TileIndex& other) const { return row == other.row && column == other.column; }
};

class Tile
{
public:
    using Handle = PagingSystemInterface::Handle;

    // A blank tile held once, with a lock made by the session's run time.
    Tile(std::int32_t row, std::int32_t column);
    // The same, with a lock only when `withLock`.
    Tile(std::int32_t row, std::int32_t column, bool withLock);
    // Deletes the lock; the page is released by the table that drops the
    // tile's last holder (releasePage).
    ~Tile();
    Tile(const Tile&) = delete;
    Tile& operator=(const Tile&) = delete;

    bool isBlank() const { return blank_.load(); }
    // Ignored while two or more tables hold the tile: they all see it.
    void setBlank(bool blank);

    void addHolder() { holders_.fetch_add(1); }
    // Answers the holders left (never below 0).
    std::int32_t removeHolder();
    std::int32_t holders() const { return holders_.load(); }

    void pageInfo(PagingSystemInterface*& pagingSystem, Handle& pageSet, std::int64_t& page) const;
    // The tile now lives in `page` of `pageSet`; `pageBytes` is the size of
    // a page (the tile's bytes).
    void attachPage(PagingSystemInterface* pagingSystem, Handle pageSet, std::int64_t page, std::int32_t pageBytes);
    PagingSystemInterface* pagingSystem() const { return pagingSystem_; }
    Handle pageSet() const { return pageSet_; }
    std::int64_t page() const { return page_; }
    std::int32_t pageBytes() const { return pageBytes_; }
    bool hasPage() const { return pagingSystem_ != nullptr; }
    // Releases the page to its paging system; the tile has none afterwards.
    void releasePage();

    TileIndex index() const { return {row_, column_}; }
    // Null for a tile made without a lock.
    ReadManyWriteOneLock* lock() const { return lock_.get(); }

    // Reads the page into `buffer` and answers true, unless the tile is
    // blank (false, the buffer untouched). A buffer shorter than a page
    // throws ImageFilterException kRowBufferTooSmall.
    bool read(DataBuffer& buffer) const;
    // The same into `destination`, which holds a page.
    bool read(std::uint8_t* destination) const;

private:
    PagingSystemInterface* pagingSystem_ = nullptr;
    Handle pageSet_ = PagingSystemInterface::kInvalidHandle;
    std::int64_t page_ = 0;
    std::int32_t pageBytes_ = 0;
    std::unique_ptr<ReadManyWriteOneLock> lock_;
    std::int32_t row_;
    std::int32_t column_;
    std::atomic<std::int32_t> holders_{1};
    std::atomic<bool> blank_{true};
};

} // namespace Omvi
