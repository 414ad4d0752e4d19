#pragma once
// Small helpers the probes share for bytes that hold text.
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace Omvi::ProbeText
{

// Whether `bytes` (of `size` bytes) begins with the C text `prefix`.
inline bool startsWith(const std::uint8_t* bytes, std::size_t size, const char* prefix)
{
    const std::size_t length = std::strlen(prefix);
    return length <= size && std::memcmp(bytes, prefix, length) == 0;
}

// The decimal number at the start of `bytes` the way atoi reads it (blanks,
// a sign, digits; 0 when none), kept within the int range.
inline long leadingNumber(const std::uint8_t* bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size && (bytes[i] == ' ' || (bytes[i] >= '\t' && bytes[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < size && (bytes[i] == '+' || bytes[i] == '-'))
        negative = bytes[i++] == '-';
    long value = 0;
    for (; i < size && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        if (value < 0x7FFFFFFF)
            value = value * 10 + (bytes[i] - '0');
    return negative ? -value : value;
}

} // namespace Omvi::ProbeText
