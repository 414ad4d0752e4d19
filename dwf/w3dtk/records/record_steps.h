#pragma once

// Steps that many records share.
//
// Reading arrays whose length comes from the stream:
// A record that announces n elements is read in steps of at most Step_Bytes
// bytes, the container growing by one step at a time. A stream that claims
// millions of elements but holds a few bytes therefore costs one step of memory,
// not what it claims, and a pending read resumes at the first element not yet
// read (`done` keeps the count across calls, normally the handler's progress).

#include "dwf/w3dtk/stream/opcode_handler.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tk_steps
{

constexpr int Step_Bytes = 1 << 16;

// UTF-16 text travels as unsigned 16-bit units; everything else through the
// primitive of its own type.
template <class T> TK_Status get_elements(BStreamFileToolkit& tk, T* values, int count)
{
    return BBaseOpcodeHandler::GetData(tk, values, count);
}
inline TK_Status get_elements(BStreamFileToolkit& tk, char16_t* values, int count)
{
    static_assert(sizeof(char16_t) == sizeof(unsigned short), "16-bit units");
    return BBaseOpcodeHandler::GetData(tk, reinterpret_cast<unsigned short*>(values), count);
}
template <class T> TK_Status put_elements(BStreamFileToolkit& tk, const T* values, int count)
{
    return BBaseOpcodeHandler::PutData(tk, values, count);
}
inline TK_Status put_elements(BStreamFileToolkit& tk, const char16_t* values, int count)
{
    return BBaseOpcodeHandler::PutData(tk, reinterpret_cast<const unsigned short*>(values), count);
}

// Reads `total` elements into `values` (a std::vector or a string), which
// the first call empties. TK_Done when all are there; `done` is then 0 again.
template <class Container>
TK_Status GetInSteps(BStreamFileToolkit& tk, Container& values, int total, int& done)
{
    using Element = typename Container::value_type;
    constexpr int step = std::max<int>(1, Step_Bytes / static_cast<int>(sizeof(Element)));
    if (total < 0 || done < 0 || done > total)
        return tk.Error("bad array count");
    if (done == 0)
        values.clear();
    while (done < total)
    {
        int const n = std::min(step, total - done);
        values.resize(static_cast<std::size_t>(done) + static_cast<std::size_t>(n));
        TK_TRY(get_elements(tk, &values[static_cast<std::size_t>(done)], n));
        done += n;
    }
    values.resize(static_cast<std::size_t>(total));
    done = 0;
    return TK_Done;
}

// Writes the first `count` elements of `values` in one write; a container
// holding fewer is an error, never an over-read.
template <class Container>
TK_Status PutAll(BStreamFileToolkit& tk, const Container& values, int count)
{
    if (count <= 0)
        return TK_Done;
    if (values.size() < static_cast<std::size_t>(count))
        return tk.Error("array shorter than the count its record gives");
    return put_elements(tk, &values[0], count);
}

// ---- values a stream carries

// Refuses, with `message`, floats that are infinite or not a number: a record
// checks its floats before its first byte, so that a refused record leaves
// nothing of itself in the stream.
inline TK_Status CheckFinite(BStreamFileToolkit& tk, const float* values, std::size_t count,
                             const char* message)
{
    for (std::size_t i = 0; i < count; ++i)
        if (!std::isfinite(values[i]))
            return tk.Error(message);
    return TK_Done;
}

template <class Container>
TK_Status CheckFinite(BStreamFileToolkit& tk, const Container& values, const char* message)
{
    return CheckFinite(tk, values.data(), values.size(), message);
}

// ---- lengths with an escape to a wider form

// A length whose 32-bit form came after an escape: reads it and refuses one
// outside 0..2^24 with `message`, leaving `length` 0. `progress`, the position
// inside the length's own steps, is 0 again once the 32 bits are in.
inline TK_Status GetLongLength(BStreamFileToolkit& tk, int& length, int& progress,
                               const char* message)
{
    int value = 0;
    TK_TRY(BBaseOpcodeHandler::GetData(tk, value));
    progress = 0;
    length = 0;
    TK_TRY(BBaseOpcodeHandler::CheckCount(tk, value, message));
    length = value;
    return TK_Done;
}

// A length coded in one byte when below 254, as 254 and 16 bits up to 65535,
// else as 255 and 32 bits; in one write. Without `escapes` (streams older than
// the wide form) the byte alone, which then holds the whole length.
constexpr int Sixteen_Bit_Length = 254;
constexpr int Thirty_Two_Bit_Length = 255;

inline TK_Status PutLengthCode(BStreamFileToolkit& tk, int length, bool escapes = true)
{
    unsigned char bytes[5] = {static_cast<unsigned char>(length)};
    int size = 1;
    if (escapes && length >= Sixteen_Bit_Length)
    {
        if (length <= 0xFFFF)
        {
            bytes[0] = Sixteen_Bit_Length;
            bytes[1] = static_cast<unsigned char>(length);
            bytes[2] = static_cast<unsigned char>(length >> 8);
            size = 3;
        }
        else
        {
            bytes[0] = Thirty_Two_Bit_Length;
            for (int i = 0; i < 4; ++i)
                bytes[1 + i] = static_cast<unsigned char>(length >> (8 * i));
            size = 5;
        }
    }
    return BBaseOpcodeHandler::PutData(tk, bytes, size);
}

// Reads what PutLengthCode writes, resuming after the code byte (`progress`
// is 1 once it is in, 0 again when the length is complete). A 32-bit length
// outside 0..2^24 is refused with `message`.
inline TK_Status GetLengthCode(BStreamFileToolkit& tk, int& length, int& progress,
                               const char* message, bool escapes = true)
{
    if (progress == 0)
    {
        unsigned char code = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, code));
        length = code;
        progress = 1;
    }
    if (escapes && length == Sixteen_Bit_Length)
    {
        unsigned short value = 0;
        TK_TRY(BBaseOpcodeHandler::GetData(tk, value));
        length = value;
    }
    else if (escapes && length == Thirty_Two_Bit_Length)
        TK_TRY(GetLongLength(tk, length, progress, message));
    progress = 0;
    return TK_Done;
}

// The last step of the records that are tagged when the toolkit tags every
// record: gives the pending keys their tags. TK_Pending repeats the step;
// keys tagged already are skipped then.
inline TK_Status TagIfAsked(BStreamFileToolkit& tk)
{
    if (!tk.GetWriteFlag(TK_Option_Tag_All))
        return TK_Done;
    return tk.TagPendingKeys(-1);
}

} // namespace tk_steps
