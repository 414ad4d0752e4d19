#pragma once

// Helpers of the geometry records: arrays read in pieces, and record bytes
// assembled before they are written.

#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <vector>

namespace w3d::geometry
{

// Elements taken per read of a long array.
constexpr int Read_Piece = 1 << 16;

// Reads `count` elements into `values`, resuming after the `done` already
// read. The array grows a piece at a time as the bytes arrive, so a count read
// from a stream allocates no more than the stream really holds (plus a piece).
// Pieces of bytes are four times as long as pieces of wider elements.
template <class T>
TK_Status read_in_pieces(BStreamFileToolkit& tk, std::vector<T>& values, int count, int& done)
{
    constexpr int piece_limit = std::is_same<T, std::uint8_t>::value ? 4 * Read_Piece : Read_Piece;
    while (done < count)
    {
        int const piece = std::min(count - done, piece_limit);
        std::size_t const end = static_cast<std::size_t>(done) + static_cast<std::size_t>(piece);
        try
        {
            if (values.size() < end)
                values.resize(end);
        }
        catch (const std::bad_alloc&)
        {
            return tk.Error();
        }
        TK_TRY(BBaseOpcodeHandler::GetData(tk, values.data() + done, piece));
        done += piece;
    }
    return TK_Done;
}

// Reads a value of `width` (1, 2 or 4) little-endian bytes: unsigned for 1
// and 2 bytes, signed for 4. `value` is set only once all its bytes are in.
inline TK_Status get_sized(BStreamFileToolkit& tk, int width, int& value)
{
    if (width == 1)
    {
        unsigned char byte = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, byte));
        value = byte;
        return TK_Done;
    }
    if (width == 2)
    {
        unsigned short word = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, word));
        value = word;
        return TK_Done;
    }
    return BBaseOpcodeHandler::GetData(tk, value);
}

// Little-endian record bytes built in memory.
class Record_Bytes
{
public:
    explicit Record_Bytes(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) { m_bytes.clear(); }

    void u8(unsigned value) { m_bytes.push_back(static_cast<std::uint8_t>(value)); }
    void i16(int value)
    {
        u8(static_cast<unsigned>(value) & 0xFF);
        u8((static_cast<unsigned>(value) >> 8) & 0xFF);
    }
    void i32(std::int32_t value)
    {
        auto const bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8)
            u8((bits >> shift) & 0xFF);
    }
    void f32(float value)
    {
        std::uint32_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        i32(static_cast<std::int32_t>(bits));
    }
    // A value of 1, 2 or 4 bytes.
    void sized(int value, int width)
    {
        if (width == 1)
            u8(static_cast<unsigned>(value) & 0xFF);
        else if (width == 2)
            i16(value);
        else
            i32(value);
    }

private:
    std::vector<std::uint8_t>& m_bytes;
};

// The value of `width` (1, 2 or 4) little-endian bytes at `bytes`; unsigned for
// 1 and 2 bytes, signed for 4.
inline int sized_value(const std::uint8_t* bytes, int width)
{
    if (width == 1)
        return bytes[0];
    if (width == 2)
        return bytes[0] | bytes[1] << 8;
    std::uint32_t const bits = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                               std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(bits);
}

// Width of item counts and indices in lists of `items` items: 1 byte below 256,
// 2 below 65536, else 4.
inline int index_width(int items)
{
    return items < 256 ? 1 : items < 65536 ? 2 : 4;
}

} // namespace w3d::geometry
