#pragma once
// What the file-backed paging systems share: one state per image, by
// handle (PagingStateTable), and the page requests that go straight to the
// state of their handle. A state ends, and leaves the table, when its last
// page in use is freed.
#include "imaging/PagingSystemInterface.h"
#include "imaging/paging/PagingStateTable.h"

#include <cstddef>
#include <cstdint>

namespace Omvi
{

template <class State>
class FileStatePagingSystem : public PagingSystemInterface
{
public:
    std::int64_t allocatePosition(const Handle& handle, std::int32_t tileRow, std::int32_t tileColumn) override
    {
        return states_.find(handle)->allocatePosition(tileRow, tileColumn);
    }
    bool freePosition(const Handle& handle, const std::int64_t& position) override
    {
        const bool inUse = states_.find(handle)->freePosition(position);
        if (!inUse)
            states_.remove(handle);
        return inUse;
    }
    void readPosition(const Handle& handle, const std::int64_t& position, void* destination) override
    {
        states_.find(handle)->readPosition(position, destination);
    }
    void readPositions(const Handle& handle, std::int32_t count, const std::int64_t* positions,
                       void* destination) override
    {
        states_.find(handle)->readPositions(count, positions, destination);
    }

    // Ends a state none of whose pages was ever allocated (an image whose
    // construction failed); false when it has pages.
    bool discardState(const Handle& handle)
    {
        if (!states_.find(handle)->discardIfUnused())
            return false;
        states_.remove(handle);
        return true;
    }
    std::size_t stateCount() const { return states_.count(); }

protected:
    PagingStateTable<State> states_;
};

} // namespace Omvi
