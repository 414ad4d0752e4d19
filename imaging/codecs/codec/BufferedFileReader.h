#pragma once
// Reads a CodecFile front to back through a buffer, so the byte-oriented
// decoders (LZW codes, run-length lines, chunk headers) take their input a
// byte at a time without a system call per byte. Reads never go past the
// end of the file; a position beyond it simply reads nothing.
#include "imaging/codecs/codec/CodecFile.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Omvi
{

class BufferedFileReader
{
public:
    static constexpr std::size_t kDefaultBufferSize = 64 * 1024;

    // The file must stay open while the reader is used.
    explicit BufferedFileReader(const CodecFile& file, std::size_t bufferSize = kDefaultBufferSize);

    // The next byte, or -1 at the end of the file.
    int get()
    {
        if (next_ < end_)
            return buffer_[next_++];
        return refillAndGet();
    }
    // Exactly `count` bytes; false when the file ends first (the bytes that
    // came are in `out`, the position is at the end).
    bool read(void* out, std::size_t count);
    // Moves `count` bytes forward; false when that passes the end.
    bool skip(std::int64_t count);
    // Continues reading at `position` (0 or more); keeps buffered bytes when
    // the position lies inside them.
    void seek(std::int64_t position);
    // The position of the next byte.
    std::int64_t position() const { return bufferStart_ + static_cast<std::int64_t>(next_); }
    std::int64_t fileSize() const { return file_.size(); }

private:
    int refillAndGet();
    // Reads the buffer from the current position; false at the end.
    bool refill();

    const CodecFile& file_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

} // namespace Omvi
