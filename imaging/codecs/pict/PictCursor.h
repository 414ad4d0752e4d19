#pragma once
// A read position over the bytes of a picture. Every read is checked
// against the end: a picture whose opcodes, lengths or pixel data reach
// past the end of the file raises PictOverrun, which the picture decoder
// turns into an unusable picture. Values are big-endian.
#include <cstddef>
#include <cstdint>

namespace Omvi
{

// Raised inside the picture decoder only; it never leaves it.
struct PictOverrun
{
};

class PictCursor
{
public:
    PictCursor(const std::uint8_t* data, std::size_t size, std::size_t position = 0)
        : data_(data), size_(size), position_(position)
    {
    }

    std::size_t position() const { return position_; }
    std::size_t size() const { return size_; }
    std::size_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }
    bool atEnd() const { return position_ >= size_; }

    std::uint8_t u8() { return *take(1); }
    std::uint16_t u16()
    {
        const std::uint8_t* bytes = take(2);
        return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
    }
    std::int16_t s16() { return static_cast<std::int16_t>(u16()); }
    std::uint32_t u32()
    {
        const std::uint8_t* bytes = take(4);
        return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
               std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
    }

    // The next `count` bytes, stepped over.
    const std::uint8_t* take(std::size_t count)
    {
        if (count > remaining())
            throw PictOverrun{};
        const std::uint8_t* bytes = data_ + position_;
        position_ += count;
        return bytes;
    }
    void skip(std::size_t count) { take(count); }
    // Version-2 opcodes start at even offsets.
    void alignEven()
    {
        if (position_ % 2 != 0)
            skip(1);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_;
};

} // namespace Omvi
