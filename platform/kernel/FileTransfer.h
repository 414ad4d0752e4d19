#pragma once
// Positioned, synchronous file transfers that finish what they start: they
// retry interrupted and short transfers and report how far they got.
#include <cstdint>

namespace platform
{

struct TransferResult
{
    std::uint64_t bytes = 0; // bytes moved
    int error = 0;           // errno of the failure that stopped the transfer, 0 if none
    bool endOfFile = false;  // a read met the end of the file before `count` bytes

    bool complete(std::uint64_t count) const { return bytes == count && error == 0; }
};

TransferResult readAt(int fd, void* buffer, std::uint64_t count, std::uint64_t offset);
// A write that makes no progress without an error number reports EIO.
TransferResult writeAt(int fd, const void* buffer, std::uint64_t count, std::uint64_t offset);

} // namespace platform
