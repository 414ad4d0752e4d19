#pragma once
// The states of a file-backed paging system, by handle. A handle is a number
// handed out once (never an address), so a request on a state that has
// ended is refused with TemporaryFilePagingSystemException kInvalidRequest
// instead of reaching freed memory. A request holds its own reference to the
// state for as long as it runs, so a state that ends meanwhile (its last
// page released on another thread) goes only when that request is done.
#include "imaging/OMVIException.h"
#include "imaging/PagingSystemInterface.h"

#include <cstddef>
#include <map>
#include <memory>
#include <mutex>

namespace Omvi
{

// A request a file-backed paging system refuses:
// TemporaryFilePagingSystemException kInvalidRequest with `message`.
[[noreturn]] inline void refusePageRequest(const char* message)
{
    throw new TemporaryFilePagingSystemException(message, TemporaryFilePagingSystemException::kInvalidRequest);
}

template <class State>
class PagingStateTable
{
public:
    using Handle = PagingSystemInterface::Handle;

    Handle add(std::shared_ptr<State> state)
    {
        std::lock_guard<std::mutex> hold(mutex_);
        const Handle handle = next_++;
        states_.emplace(handle, std::move(state));
        return handle;
    }

    // The state of the handle; throws kInvalidRequest when there is none.
    std::shared_ptr<State> find(const Handle& handle) const
    {
        std::lock_guard<std::mutex> hold(mutex_);
        const auto found = states_.find(handle);
        if (found == states_.end())
            refusePageRequest("No such page set");
        return found->second;
    }

    void remove(const Handle& handle)
    {
        std::shared_ptr<State> last;
        {
            std::lock_guard<std::mutex> hold(mutex_);
            const auto found = states_.find(handle);
            if (found == states_.end())
                return;
            last = std::move(found->second);
            states_.erase(found);
        }
        // `last` goes here, outside the table's mutex: a state's end may
        // close its file.
    }

    std::size_t count() const
    {
        std::lock_guard<std::mutex> hold(mutex_);
        return states_.size();
    }

private:
    mutable std::mutex mutex_;
    std::map<Handle, std::shared_ptr<State>> states_;
    Handle next_ = 1;
};

} // namespace Omvi
