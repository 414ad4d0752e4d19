#pragma once
// The paging system of images that page straight from their file's own
// square tiles: every read asks the file's tile reader, nothing is ever
// written (canPage answers false, so writers move a tile to pages of their
// own first). Each image gets a state (createState) whose handle its tiles
// carry; a state ends when its last page in use is released.
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/geometry/PixelRect.h"
#include "imaging/paging/FileStatePagingSystem.h"

#include <mutex>
#include <vector>

namespace Omvi
{

class DirectReadPagingSystemState
{
public:
    // Tiles of the edge of `organisation` (0-4) over `size` pixels of
    // `dataType`, read through the frame of a copy of `descriptor`, which
    // must offer direct tile reads. Throws TemporaryFilePagingSystemException
    // kInvalidRequest otherwise.
    DirectReadPagingSystemState(const FileReadDescriptor& descriptor, std::int32_t organisation,
                                const PixelPair& size, std::int32_t dataType);

    std::int64_t allocatePosition(std::int32_t tileRow, std::int32_t tileColumn);
    // Answers whether pages are still in use; false ends the state.
    bool freePosition(std::int64_t index);
    // A tile the reader cannot deliver throws FileIOException kOtherFailure.
    void readPosition(std::int64_t index, void* destination);
    void readPositions(std::int32_t count, const std::int64_t* indices, void* destination);
    bool discardIfUnused();

    std::int32_t tilesDown() const { return tilesDown_; }
    std::int32_t tilesAcross() const { return tilesAcross_; }
    std::int32_t tileBytes() const { return tileBytes_; }

private:
    void requireLive(std::int64_t index) const; // mutex_ held
    void readLocked(std::int64_t index, std::uint8_t* destination); // mutex_ held

    mutable std::mutex mutex_;
    FileReadDescriptor descriptor_;
    std::int32_t tilesDown_ = 0;
    std::int32_t tilesAcross_ = 0;
    std::int32_t tileBytes_ = 0;
    std::vector<std::uint8_t> inUse_;
    std::int64_t pageCount_ = 0;
    std::int64_t pagesInUse_ = 0;
    bool everAllocated_ = false;
    bool ended_ = false;
};

class DirectReadPagingSystem : public FileStatePagingSystem<DirectReadPagingSystemState>
{
public:
    DirectReadPagingSystem();
    ~DirectReadPagingSystem() override;

    // A state over the tiles of the frame `descriptor` reads (a copy is
    // kept). Throws as the state does.
    Handle createState(const FileReadDescriptor& descriptor, std::int32_t organisation, const PixelPair& size,
                       std::int32_t dataType);

    bool canPage(const Handle& handle) override;
    Handle invalidHandle() override;
    bool isInvalidHandle(const Handle& handle) override;
    Handle reserve(std::int32_t tileRows, std::int32_t tileColumns, std::int32_t pageSize) override;
    // The file's tiles are never written: both do nothing.
    void writePosition(const Handle& handle, const std::int64_t& position, const void* source) override;
    void writePositions(const Handle& handle, const std::int64_t* positions, std::int32_t count,
                        const void* source) override;
};

} // namespace Omvi
