#pragma once
// A window of equally long lines that scrolls by one line at a time without
// copying: the line pointers rotate. As a DataBuffer it is its last (newest)
// line, so that an input's getNextRow writes straight into it.
#include "imaging/DataBuffer.h"

#include <cstdint>
#include <vector>

namespace Omvi
{

class ScrollingDataBuffer : public DataBuffer
{
public:
    ScrollingDataBuffer() = default;
    ScrollingDataBuffer(const ScrollingDataBuffer&) = delete;
    ~ScrollingDataBuffer() override;

    // Frees the previous lines; with `lineBytes` above 0, allocates
    // `lineCount` (at least 1) lines of that many bytes, line i following
    // line i - 1 in one block. Throws SystemException kOutOfMemory when the
    // block cannot be had.
    virtual void allocate(std::int32_t lineCount, std::int32_t lineBytes);
    // The first line moves to the end and becomes the newest.
    void scroll();

    std::int32_t lineCount() const { return static_cast<std::int32_t>(lines_.size()); }
    std::uint8_t* line(std::int32_t index) { return lines_[static_cast<std::size_t>(index)]; }
    const std::uint8_t* line(std::int32_t index) const { return lines_[static_cast<std::size_t>(index)]; }
    // The line pointers, oldest first.
    const std::uint8_t* const* lines() const { return lines_.data(); }

    // The newest line: its bytes and its size.
    std::int32_t size() const override;
    std::uint8_t* data() override;
    const std::uint8_t* data() const override;
    std::uint8_t* data(std::int64_t offset, std::int64_t count);
    // Reallocates the lines with `count` bytes each (the contents go).
    std::uint8_t* resize(std::int32_t count) override;
    // Copies the other's bytes into the newest line, reallocating the lines
    // first when their length differs.
    DataBuffer& operator=(const DataBuffer& other) override;

private:
    std::int32_t lineBytes_ = 0;
    std::vector<std::uint8_t> storage_;
    std::vector<std::uint8_t*> lines_;
};

} // namespace Omvi
