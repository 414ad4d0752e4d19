#pragma once

// Helpers of the tests of the attribute, geometry and data records: golden
// bytes spelled out field by field, and reading a record back.

#include "stream_harness.h"

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>

namespace w3d_test
{

// Golden bytes, built field by field: little-endian integers, IEEE single
// floats taken from their bit pattern, strings without terminator.
struct Golden
{
    Bytes bytes;

    Golden& u8(unsigned value)
    {
        bytes.push_back(static_cast<std::uint8_t>(value));
        return *this;
    }
    Golden& u16(unsigned value)
    {
        return u8(value & 0xFF).u8((value >> 8) & 0xFF);
    }
    Golden& i32(std::int64_t value)
    {
        auto const bits = static_cast<std::uint32_t>(value);
        return u16(bits & 0xFFFF).u16(bits >> 16);
    }
    Golden& f32(float value, int times = 1)
    {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        for (int i = 0; i < times; ++i)
            i32(bits);
        return *this;
    }
    Golden& floats(std::initializer_list<float> values)
    {
        for (float const v : values)
            f32(v);
        return *this;
    }
    Golden& floats(const float* values, int count)
    {
        for (int i = 0; i < count; ++i)
            f32(values[i]);
        return *this;
    }
    Golden& text(const std::string& value)
    {
        bytes.insert(bytes.end(), value.begin(), value.end());
        return *this;
    }
    Golden& append(const Bytes& more)
    {
        bytes.insert(bytes.end(), more.begin(), more.end());
        return *this;
    }
    operator const Bytes&() const { return bytes; }
};

// Writes `body` as a whole stream (with `setup`), reads it back feeding one
// byte at a time and hands every record of class Handler to `check`, in
// stream order. Returns how many there were, or -1 when the stream did not
// read to its terminator.
template <class Handler>
int read_back(const Emit& body, const std::function<void(Handler&, BStreamFileToolkit&)>& check,
              const Setup& setup = {}, std::size_t chunk = 1)
{
    int seen = 0;
    Read_Result const result =
        read_stream(write_stream(body, setup), chunk,
                    [&](BBaseOpcodeHandler& handler, BStreamFileToolkit& tk)
                    {
                        if (auto* h = dynamic_cast<Handler*>(&handler))
                        {
                            ++seen;
                            if (check)
                                check(*h, tk);
                        }
                    });
    if (result.status != TK_Ended)
    {
        ADD_FAILURE() << "stream did not read to its end: " << result.error;
        return -1;
    }
    return seen;
}

// Reads the records `body` (after the opcode's dispatch) from a stream made of
// a header, the given bytes and a terminator: what a reader makes of bytes
// built by hand.
inline Read_Result read_body(const Bytes& body, const Seen& seen = {}, std::size_t chunk = 1,
                             const Setup& setup = {})
{
    Bytes stream = write_stream({}, setup);
    stream.pop_back(); // the terminator
    stream.insert(stream.end(), body.begin(), body.end());
    stream.push_back(0);
    return read_stream(stream, chunk, seen, setup);
}

} // namespace w3d_test
