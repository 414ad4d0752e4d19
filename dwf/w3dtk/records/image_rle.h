#pragma once

#include <cstddef>
#include <vector>

// The run-length code of one-byte-per-pixel images. The code is a series of
// pieces, each a signed control byte c and its data: c > 0 is a literal piece
// of the next c bytes; c <= 0 repeats the next byte 3 - c times (runs of 4 to
// 131 bytes). Runs shorter than 4 bytes are kept in literal pieces.
struct BRunLengthCodec
{
    // The code of `count` bytes, appended to `out` (which is emptied first).
    // Stops and answers false as soon as the code would not be shorter than
    // the bytes themselves (they are then better written raw).
    static bool Encode(const unsigned char* bytes, std::size_t count,
                       std::vector<unsigned char>& out);

    // Why a code failed to decode; the messages are the image record's.
    enum Result
    {
        Decoded,
        Literal_Data_Exhausted,
        Literal_Output_Overflow,
        Run_Data_Exhausted,
        Run_Output_Overflow,
        Not_Filled,
    };
    static const char* Message(Result result);

    // Decodes `size` bytes of code into exactly `count` bytes at `out`.
    static Result Decode(const unsigned char* code, std::size_t size, unsigned char* out,
                         std::size_t count);

    // The most bytes `size` bytes of code can give (a run piece of two bytes
    // gives 131): images larger than this are refused before any allocation.
    static std::size_t MaxDecoded(std::size_t size) { return (size / 2 + 1) * 131; }
};
