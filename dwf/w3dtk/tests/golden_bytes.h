#pragma once

// Golden record bytes built field by field, little-endian as records travel.

#include "memory_streams.h"

#include <cstring>
#include <initializer_list>

namespace w3d_test
{

struct Golden
{
    Bytes bytes;

    Golden& u8(int value)
    {
        bytes.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    Golden& u8s(std::initializer_list<int> values)
    {
        for (int const value : values)
            u8(value);
        return *this;
    }
    Golden& u16(int value) { return u8(value & 0xFF).u8(value >> 8 & 0xFF); }
    Golden& i32(std::int64_t value)
    {
        for (int shift = 0; shift < 32; shift += 8)
            u8(static_cast<int>(value >> shift & 0xFF));
        return *this;
    }
    Golden& f32(float value)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, 4);
        return i32(bits);
    }
    Golden& f32s(std::initializer_list<float> values)
    {
        for (float const value : values)
            f32(value);
        return *this;
    }
    Golden& text(const std::string& value)
    {
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    operator const Bytes&() const { return bytes; }
};

// Feeds raw record bytes into a stream, for records no writer would produce.
inline Emit raw_bytes(const Bytes& record)
{
    return [record](BStreamFileToolkit& tk, W3DStreamWriter&)
    {
        tk.Accumulator().write(reinterpret_cast<const char*>(record.data()),
                               static_cast<int>(record.size()));
    };
}

} // namespace w3d_test
