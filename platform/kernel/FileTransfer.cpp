#include "platform/kernel/FileTransfer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <sys/types.h>
#include <thread>

namespace platform
{

namespace
{
// One system call moves at most this much; larger transfers loop.
constexpr std::uint64_t kMaxChunk = std::uint64_t(1) << 30;
// Transient refusals (no memory for the request, try again) are retried a
// bounded number of times before they count as failures.
constexpr int kTransientRetries = 16;

bool rangeFits(std::uint64_t count, std::uint64_t offset)
{
    const auto limit = static_cast<std::uint64_t>(std::numeric_limits<off_t>::max());
    return offset <= limit && count <= limit - offset;
}

template <typename Call>
TransferResult transfer(std::uint64_t count, std::uint64_t offset, bool reading, Call call)
{
    TransferResult result;
    if (!rangeFits(count, offset))
    {
        result.error = EOVERFLOW;
        return result;
    }
    int transient = 0;
    while (result.bytes < count)
    {
        const std::uint64_t chunk = std::min(count - result.bytes, kMaxChunk);
        const ssize_t moved = call(result.bytes, static_cast<std::size_t>(chunk),
                                   static_cast<off_t>(offset + result.bytes));
        if (moved > 0)
        {
            result.bytes += static_cast<std::uint64_t>(moved);
            transient = 0;
            continue;
        }
        if (moved == 0)
        {
            if (reading)
                result.endOfFile = true;
            else
                result.error = EIO;
            break;
        }
        if (errno == EINTR)
            continue;
        if ((errno == EAGAIN || errno == ENOMEM || errno == ENOBUFS) && ++transient <= kTransientRetries)
        {
            std::this_thread::yield();
            continue;
        }
        result.error = errno;
        break;
    }
    return result;
}
} // namespace

TransferResult readAt(int fd, void* buffer, std::uint64_t count, std::uint64_t offset)
{
    auto* bytes = static_cast<unsigned char*>(buffer);
    return transfer(count, offset, true, [&](std::uint64_t done, std::size_t chunk, off_t at) {
        return ::pread(fd, bytes + done, chunk, at);
    });
}

TransferResult writeAt(int fd, const void* buffer, std::uint64_t count, std::uint64_t offset)
{
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    return transfer(count, offset, false, [&](std::uint64_t done, std::size_t chunk, off_t at) {
        return ::pwrite(fd, bytes + done, chunk, at);
    });
}

} // namespace platform
