#pragma once
// The growable memory stream the texture conversion encodes its JPEG into.
// It only takes bytes: reading answers -1 (not open for reading), opening
// and closing change nothing, rewinding forgets the bytes written.
//
// Growth: when the bytes do not fit, the capacity grows by a step that
// doubles on each growth (1024, 2048, 4096, ...) or, when the step alone is
// too small, by the count asked for; so k bytes take O(log k) growths.
#include "imaging/pipeline/DataStreamInterface.h"

#include <cstddef>
#include <cstdint>
#include <memory>

class WriteBufferedStream : public Omvi::DataStreamInterface
{
public:
    static constexpr std::size_t kFirstGrowthStep = 1024;

    WriteBufferedStream() = default;
    WriteBufferedStream(const WriteBufferedStream&) = delete;
    WriteBufferedStream& operator=(const WriteBufferedStream&) = delete;
    ~WriteBufferedStream() override;

    // Sets *bytesRead to -1: the stream is never open for reading.
    void read(std::int32_t count, void* buffer, std::int32_t* bytesRead) override;
    // Appends the bytes. False, with nothing appended, for a negative count,
    // a null buffer with a positive count, a size past what memory can
    // address, or memory that cannot be had.
    bool write(std::int32_t count, const void* buffer) override;
    bool open(std::int32_t) override { return true; }
    // The next write starts at the beginning again (the memory stays).
    bool rewind() override;
    void close() override {}

    // The bytes written so far.
    const std::uint8_t* data() const { return bytes_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    // How often the array has grown.
    std::size_t growths() const { return growths_; }

    // Appends bytes from anywhere (the temporary-file fallback uses it);
    // false as write answers.
    bool append(const void* buffer, std::size_t count);

private:
    std::unique_ptr<std::uint8_t[]> bytes_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t step_ = kFirstGrowthStep;
    std::size_t growths_ = 0;
};
