#pragma once
// The paging system of images whose tiles are decoded from their file the
// first time they are read (files that can deliver any band of rows). Each
// image gets a state (createState) whose handle the image's tiles carry;
// the state keeps decoded tiles in the temporary paging file when it has
// one. Slots 2 and 3 are those of the temporary paging file; reserve gives
// nothing (states are made by createState only).
#include "imaging/geometry/PixelRect.h"
#include "imaging/paging/DelayLoadPageSystemState.h"
#include "imaging/paging/FileStatePagingSystem.h"

namespace Omvi
{

class FileReadDescriptor;
class TemporaryFilePagingSystemInterface;

class DelayLoadPageSystem : public FileStatePagingSystem<DelayLoadPageSystemState>
{
public:
    // Over `temporary` (not owned; may be null: tiles are then decoded on
    // every read).
    explicit DelayLoadPageSystem(TemporaryFilePagingSystemInterface* temporary);
    // States still alive end with the system.
    ~DelayLoadPageSystem() override;

    // A state for the tiles of the frame `descriptor` reads (a copy is
    // kept): square tiles of organisation 0-4 over `size` pixels of
    // `dataType`, kept in the temporary paging file when
    // `useTemporaryFile`. Throws as the state does.
    Handle createState(const FileReadDescriptor& descriptor, std::int32_t organisation, const PixelPair& size,
                       std::int32_t dataType, bool useTemporaryFile);

    bool canPage(const Handle& handle) override;
    Handle invalidHandle() override;
    bool isInvalidHandle(const Handle& handle) override;
    Handle reserve(std::int32_t tileRows, std::int32_t tileColumns, std::int32_t pageSize) override;
    void writePosition(const Handle& handle, const std::int64_t& position, const void* source) override;
    void writePositions(const Handle& handle, const std::int64_t* positions, std::int32_t count,
                        const void* source) override;

    // Hands the page `position` over to the temporary paging file: decodes
    // it into `scratch` (a tile's bytes) when it is not there yet, and
    // answers its position in the reservation `volume`, which from now on
    // belongs to the caller's tile (freed through the temporary paging
    // file). Refused for a state that does not keep its tiles there.
    std::int64_t pagePosition(const Handle& handle, const std::int64_t& position, void* scratch, Handle& volume);

    TemporaryFilePagingSystemInterface* temporaryPagingSystem() const { return temporary_; }

private:
    TemporaryFilePagingSystemInterface* temporary_;
};

} // namespace Omvi
