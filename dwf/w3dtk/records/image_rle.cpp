#include "dwf/w3dtk/records/image_rle.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::size_t Shortest_Run = 4;
constexpr std::size_t Longest_Run = 131;
constexpr std::size_t Longest_Literal = 127;

// Appends a literal stretch in pieces of at most 127 bytes.
void put_literals(const unsigned char* bytes, std::size_t count, std::vector<unsigned char>& out)
{
    while (count > 0)
    {
        std::size_t const piece = std::min(count, Longest_Literal);
        out.push_back(static_cast<unsigned char>(piece));
        out.insert(out.end(), bytes, bytes + piece);
        bytes += piece;
        count -= piece;
    }
}

void put_run_piece(unsigned char value, std::size_t length, std::vector<unsigned char>& out)
{
    out.push_back(static_cast<unsigned char>(3 - static_cast<int>(length)));
    out.push_back(value);
}

// Appends a run of 4 or more bytes in pieces, none shorter than 4.
void put_run(unsigned char value, std::size_t length, std::vector<unsigned char>& out)
{
    while (length > Longest_Run)
    {
        std::size_t const piece = length >= Longest_Run + Shortest_Run ? Longest_Run : 128;
        put_run_piece(value, piece, out);
        length -= piece;
    }
    put_run_piece(value, length, out);
}
} // namespace

bool BRunLengthCodec::Encode(const unsigned char* bytes, std::size_t count,
                             std::vector<unsigned char>& out)
{
    out.clear();
    out.reserve(count / 4);
    std::size_t literal_start = 0;
    std::size_t at = 0;
    while (at < count)
    {
        std::size_t run = 1;
        while (at + run < count && bytes[at + run] == bytes[at])
            ++run;
        if (run >= Shortest_Run)
        {
            put_literals(bytes + literal_start, at - literal_start, out);
            put_run(bytes[at], run, out);
            literal_start = at + run;
        }
        at += run;
        if (out.size() >= count)
            return false;
    }
    put_literals(bytes + literal_start, count - literal_start, out);
    return out.size() < count;
}

const char* BRunLengthCodec::Message(Result result)
{
    switch (result)
    {
    case Decoded:
        return "";
    case Literal_Data_Exhausted:
        return "RLE literal data exhausted";
    case Literal_Output_Overflow:
        return "RLE literal output overflow";
    case Run_Data_Exhausted:
        return "RLE run data exhausted";
    case Run_Output_Overflow:
        return "RLE run output overflow";
    case Not_Filled:
        return "RLE did not fill image";
    }
    return "";
}

BRunLengthCodec::Result BRunLengthCodec::Decode(const unsigned char* code, std::size_t size,
                                                unsigned char* out, std::size_t count)
{
    std::size_t in = 0;
    std::size_t filled = 0;
    while (in < size)
    {
        int const control = static_cast<signed char>(code[in++]);
        if (control > 0)
        {
            std::size_t const length = static_cast<std::size_t>(control);
            if (length > size - in)
                return Literal_Data_Exhausted;
            if (length > count - filled)
                return Literal_Output_Overflow;
            std::memcpy(out + filled, code + in, length);
            in += length;
            filled += length;
        }
        else
        {
            if (in >= size)
                return Run_Data_Exhausted;
            std::size_t const length = static_cast<std::size_t>(3 - control);
            if (length > count - filled)
                return Run_Output_Overflow;
            std::memset(out + filled, code[in++], length);
            filled += length;
        }
    }
    return filled == count ? Decoded : Not_Filled;
}
