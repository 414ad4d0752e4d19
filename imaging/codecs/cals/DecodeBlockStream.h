#pragma once
// A block of memory (not owned) read as a data stream: how the bilevel
// decoder decodes strips held in memory.
#include "imaging/pipeline/DataStreamInterface.h"

#include <cstdint>

namespace Omvi
{

class DecodeBlockStream : public DataStreamInterface
{
public:
    DecodeBlockStream(const std::uint8_t* data, std::int32_t size);
    ~DecodeBlockStream() override;

    // Copies up to `count` bytes from the cursor; 0 when closed, at the end,
    // or for a negative count or no buffer.
    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override;
    // Never: the block is read only.
    bool write(std::int32_t count, const void* buffer) override;
    // Only reading, and only when closed; the cursor goes to the start.
    bool open(std::int32_t mode) override;
    bool rewind() override;
    void close() override;

private:
    const std::uint8_t* data_;
    std::int32_t size_;
    std::int32_t cursor_ = 0;
    std::int32_t mode_ = 0;
};

} // namespace Omvi
