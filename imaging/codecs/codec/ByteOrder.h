#pragma once
// Reading and writing fixed-size integers and doubles of a given byte order
// at a byte position, the same on every host.
#include <cstdint>
#include <cstring>

namespace Omvi::ByteOrder
{

inline std::uint16_t littleEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
}

inline std::uint32_t littleEndian32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 | std::uint32_t{bytes[2]} << 16 |
           std::uint32_t{bytes[3]} << 24;
}

inline std::uint64_t littleEndian64(const std::uint8_t* bytes)
{
    return std::uint64_t{littleEndian32(bytes)} | std::uint64_t{littleEndian32(bytes + 4)} << 32;
}

inline double littleEndianDouble(const std::uint8_t* bytes)
{
    const std::uint64_t bits = littleEndian64(bytes);
    double value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

inline std::uint16_t bigEndian16(const std::uint8_t* bytes)
{
    return static_cast<std::uint16_t>(bytes[0] << 8 | bytes[1]);
}

inline std::uint32_t bigEndian32(const std::uint8_t* bytes)
{
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 | std::uint32_t{bytes[2]} << 8 |
           std::uint32_t{bytes[3]};
}

inline void putLittleEndian16(std::uint8_t* bytes, std::uint16_t value)
{
    bytes[0] = static_cast<std::uint8_t>(value);
    bytes[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void putLittleEndian32(std::uint8_t* bytes, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

inline void putLittleEndianDouble(std::uint8_t* bytes, double value)
{
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 8; ++i)
        bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

} // namespace Omvi::ByteOrder
