#pragma once
// A byte stream that codecs read from or write to when no file is named.
// Users do not own the stream.
#include <cstdint>

namespace Omvi
{

class DataStreamInterface
{
public:
    enum Mode : std::int32_t
    {
        kRead = 1,
        kWrite = 2
    };

    virtual ~DataStreamInterface() = default;

    // Reads up to `count` bytes into `buffer`; `*bytesRead` receives how many
    // came (below 1 at the end or on failure, -1 when not open for reading).
    virtual void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) = 0;
    // True only when all `count` bytes went out.
    virtual bool write(std::int32_t count, const void* buffer) = 0;
    // Opens for reading or writing; false when already open.
    virtual bool open(std::int32_t mode) = 0;
    // Back to the start for reading.
    virtual bool rewind() = 0;
    virtual void close() = 0;
};

} // namespace Omvi
