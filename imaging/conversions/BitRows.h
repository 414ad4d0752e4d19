#pragma once
// Packing and unpacking of 1-bit rows: eight pixels a byte, the leftmost
// pixel in the most significant bit; the unused low bits of a last partial
// byte are written as 0.
#include <cstdint>
#include <cstring>

namespace Omvi
{

namespace BitRows
{

// Gray levels below 128 are ink: the bitonal bit of a level.
constexpr bool isInk(std::uint8_t level)
{
    return level < 128;
}

// `width` gray levels become bits: ink (a level below 128) sets the bit.
inline void packInk(const std::uint8_t* levels, std::uint8_t* bits, std::int32_t width)
{
    const std::int32_t whole = width / 8;
    for (std::int32_t b = 0; b < whole; ++b, levels += 8)
    {
        std::uint8_t byte = 0;
        for (int i = 0; i < 8; ++i)
            byte = static_cast<std::uint8_t>(byte << 1 | isInk(levels[i]));
        bits[b] = byte;
    }
    const std::int32_t rest = width % 8;
    if (rest != 0)
    {
        std::uint8_t byte = 0;
        for (int i = 0; i < rest; ++i)
            byte |= static_cast<std::uint8_t>(isInk(levels[i]) << (7 - i));
        bits[whole] = byte;
    }
}

// `width` pixels of a bit row become `width` values of EntryBytes bytes: bit
// 0 gives `zero`, bit 1 gives `one` (each the value's bytes as they are to
// appear in the row). Whole bytes of 0x00 or 0xFF fill eight pixels at once.
template <std::size_t EntryBytes>
void expand(const std::uint8_t* bits, std::uint8_t* out, std::int32_t width, const void* zero,
            const void* one)
{
    constexpr std::size_t entryBytes = EntryBytes;
    const std::int32_t whole = width / 8;
    for (std::int32_t b = 0; b < whole; ++b)
    {
        const std::uint8_t byte = bits[b];
        if (byte == 0x00 || byte == 0xFF)
        {
            const void* entry = byte == 0 ? zero : one;
            for (int i = 0; i < 8; ++i, out += entryBytes)
                std::memcpy(out, entry, entryBytes);
            continue;
        }
        for (int i = 7; i >= 0; --i, out += entryBytes)
            std::memcpy(out, (byte >> i) & 1 ? one : zero, entryBytes);
    }
    const std::int32_t rest = width % 8;
    for (std::int32_t i = 0; i < rest; ++i, out += entryBytes)
        std::memcpy(out, (bits[whole] >> (7 - i)) & 1 ? one : zero, entryBytes);
}

} // namespace BitRows

} // namespace Omvi
