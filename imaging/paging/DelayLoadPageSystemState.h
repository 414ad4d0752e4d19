#pragma once
// The pages of one image file served by the delay-load paging system: one
// record per tile. A tile is decoded from the file the first time it is
// read; with a temporary paging file behind the state, the decoded tile is
// kept there (the record is then "paged") and later reads come from it.
//
// Page indices are tile indices, tiles across × row + column. The state
// ends when a release leaves no page in use; every request after that is
// refused (kInvalidRequest). All operations may be called from any thread;
// they are serialised, decoding included.
#include "imaging/PagingSystemInterface.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/geometry/PixelRect.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Omvi
{

class TemporaryFilePagingSystemInterface;

class PageRecord
{
public:
    void setPosition(std::int64_t position)
    {
        position_ = position;
        hasPosition_ = true;
    }
    std::int64_t position() const { return position_; }
    // Whether the temporary paging file holds a page for this tile.
    bool hasPosition() const { return hasPosition_; }
    void forgetPosition() { hasPosition_ = false; }
    void setInUse() { inUse_ = true; }
    void clearInUse() { inUse_ = false; }
    bool isInUse() const { return inUse_; }
    // The temporary file holds the tile's decoded (or written) pixels.
    bool isPaged() const { return paged_; }
    void setPaged(bool paged) { paged_ = paged; }
    // The page was handed to a tile of the temporary paging file.
    bool isHandedOver() const { return handedOver_; }
    void setHandedOver() { handedOver_ = true; }

private:
    std::int64_t position_ = 0;
    bool hasPosition_ = false;
    bool inUse_ = false;
    bool paged_ = false;
    bool handedOver_ = false;
};

class DelayLoadPageSystemState
{
public:
    using Handle = PagingSystemInterface::Handle;

    // Tiles of the square edge of `organisation` (0-4) over an image of
    // `size` pixels of `dataType`, decoded from a copy of `descriptor`. With
    // `useTemporaryFile` and a temporary paging system, room for every tile
    // is reserved there at once; when none can be reserved the state decodes
    // on every read instead. Throws TemporaryFilePagingSystemException
    // kInvalidRequest for a geometry it cannot page.
    DelayLoadPageSystemState(const FileReadDescriptor& descriptor, TemporaryFilePagingSystemInterface* temporary,
                             std::int32_t organisation, const PixelPair& size, std::int32_t dataType,
                             bool useTemporaryFile);
    ~DelayLoadPageSystemState();
    DelayLoadPageSystemState(const DelayLoadPageSystemState&) = delete;
    DelayLoadPageSystemState& operator=(const DelayLoadPageSystemState&) = delete;

    bool usesTemporaryFile() const { return useTemporaryFile_; }
    // The temporary paging file's reservation that holds decoded tiles.
    Handle volume() const { return volume_; }

    std::int64_t allocatePosition(std::int32_t tileRow, std::int32_t tileColumn);
    // Answers whether pages are still in use; false ends the state.
    bool freePosition(std::int64_t index);
    void readPosition(std::int64_t index, void* destination);
    void readPositions(std::int32_t count, const std::int64_t* indices, void* destination);
    void writePosition(std::int64_t index, const void* source);
    void writePositions(const std::int64_t* indices, std::int32_t count, const void* source);
    // Decodes the page into `scratch` (a tile's bytes) unless it is paged
    // already, and hands its page of the temporary paging file over to the
    // caller: the answer is its position in `volume()`, and the record lets
    // the page go. `pagesInUse` tells whether the state goes on.
    std::int64_t pagePosition(std::int64_t index, void* scratch, bool& pagesInUse);
    // Ends a state none of whose pages was ever allocated; false (nothing
    // changes) when pages are in use.
    bool discardIfUnused();

    std::int32_t tilesDown() const { return tilesDown_; }
    std::int32_t tilesAcross() const { return tilesAcross_; }
    std::int32_t tileEdge() const { return tileEdge_; }
    std::int32_t tileBytes() const { return tileBytes_; }
    std::int32_t tileLineBytes() const { return tileLineBytes_; }
    bool hasEnded() const;

private:
    PageRecord& liveRecord(std::int64_t index); // mutex_ held
    void requireTemporaryFile() const;
    void readLocked(std::int64_t index, std::uint8_t* destination); // mutex_ held
    // Decodes `count` adjacent tiles of one tile row into `destination`, a
    // tile apart.
    void decodeRun(std::int32_t tileRow, std::int32_t firstColumn, std::int32_t count,
                   std::uint8_t* destination); // mutex_ held
    void decodePass(std::int32_t tileRow, std::int32_t firstColumn, std::int32_t count,
                    std::uint8_t* destination); // mutex_ held
    void end(); // mutex_ held

    mutable std::mutex mutex_;
    FileReadDescriptor descriptor_;
    TemporaryFilePagingSystemInterface* temporary_ = nullptr;
    Handle volume_ = PagingSystemInterface::kInvalidHandle;
    std::int32_t tilesDown_ = 0;
    std::int32_t tilesAcross_ = 0;
    std::int32_t tileEdge_ = 0;
    std::int32_t tileBytes_ = 0;
    std::int32_t tileLineBytes_ = 0;
    std::int64_t pageCount_ = 0;
    PixelPair imageSize_;
    std::vector<PageRecord> records_;
    std::int64_t inUse_ = 0;
    bool useTemporaryFile_ = false;
    bool everAllocated_ = false;
    bool ended_ = false;
};

} // namespace Omvi
