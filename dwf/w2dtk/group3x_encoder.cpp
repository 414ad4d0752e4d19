#include "dwf/w2dtk/group3x_encoder.h"

#include <algorithm>
#include <new>

namespace
{
// A code word, its first bit most significant, and the same bits reversed:
// the order in which they fill an output byte from its low bit up.
struct Code
{
    constexpr Code(std::uint16_t bits, std::uint8_t length)
        : m_length(length), m_reversed(reverse(bits, length))
    {
    }

    static constexpr std::uint16_t reverse(std::uint16_t bits, std::uint8_t length)
    {
        std::uint16_t reversed = 0;
        for (int i = 0; i < length; ++i)
            reversed = std::uint16_t(reversed | (((bits >> (length - 1 - i)) & 1u) << i));
        return reversed;
    }

    std::uint8_t m_length;
    std::uint16_t m_reversed;
};

// Terminating codes for runs 0 to 63.
constexpr Code White_Terminating[64] = {
    {0x35, 8}, {0x07, 6}, {0x07, 4}, {0x08, 4}, {0x0B, 4}, {0x0C, 4}, {0x0E, 4}, {0x0F, 4},
    {0x13, 5}, {0x14, 5}, {0x07, 5}, {0x08, 5}, {0x08, 6}, {0x03, 6}, {0x34, 6}, {0x35, 6},
    {0x2A, 6}, {0x2B, 6}, {0x27, 7}, {0x0C, 7}, {0x08, 7}, {0x17, 7}, {0x03, 7}, {0x04, 7},
    {0x28, 7}, {0x2B, 7}, {0x13, 7}, {0x24, 7}, {0x18, 7}, {0x02, 8}, {0x03, 8}, {0x1A, 8},
    {0x1B, 8}, {0x12, 8}, {0x13, 8}, {0x14, 8}, {0x15, 8}, {0x16, 8}, {0x17, 8}, {0x28, 8},
    {0x29, 8}, {0x2A, 8}, {0x2B, 8}, {0x2C, 8}, {0x2D, 8}, {0x04, 8}, {0x05, 8}, {0x0A, 8},
    {0x0B, 8}, {0x52, 8}, {0x53, 8}, {0x54, 8}, {0x55, 8}, {0x24, 8}, {0x25, 8}, {0x58, 8},
    {0x59, 8}, {0x5A, 8}, {0x5B, 8}, {0x4A, 8}, {0x4B, 8}, {0x32, 8}, {0x33, 8}, {0x34, 8},
};

constexpr Code Black_Terminating[64] = {
    {0x37, 10}, {0x02, 3},  {0x03, 2},  {0x02, 2},  {0x03, 3},  {0x03, 4},  {0x02, 4},  {0x03, 5},
    {0x05, 6},  {0x04, 6},  {0x04, 7},  {0x05, 7},  {0x07, 7},  {0x04, 8},  {0x07, 8},  {0x18, 9},
    {0x17, 10}, {0x18, 10}, {0x08, 10}, {0x67, 11}, {0x68, 11}, {0x6C, 11}, {0x37, 11}, {0x28, 11},
    {0x17, 11}, {0x18, 11}, {0xCA, 12}, {0xCB, 12}, {0xCC, 12}, {0xCD, 12}, {0x68, 12}, {0x69, 12},
    {0x6A, 12}, {0x6B, 12}, {0xD2, 12}, {0xD3, 12}, {0xD4, 12}, {0xD5, 12}, {0xD6, 12}, {0xD7, 12},
    {0x6C, 12}, {0x6D, 12}, {0xDA, 12}, {0xDB, 12}, {0x54, 12}, {0x55, 12}, {0x56, 12}, {0x57, 12},
    {0x64, 12}, {0x65, 12}, {0x52, 12}, {0x53, 12}, {0x24, 12}, {0x37, 12}, {0x38, 12}, {0x27, 12},
    {0x28, 12}, {0x58, 12}, {0x59, 12}, {0x2B, 12}, {0x2C, 12}, {0x5A, 12}, {0x66, 12}, {0x67, 12},
};

// Make-up codes for 64, 128, ... 1728 (index run / 64 - 1).
constexpr Code White_Makeup[27] = {
    {0x1B, 5}, {0x12, 5}, {0x17, 6}, {0x37, 7}, {0x36, 8}, {0x37, 8}, {0x64, 8},
    {0x65, 8}, {0x68, 8}, {0x67, 8}, {0xCC, 9}, {0xCD, 9}, {0xD2, 9}, {0xD3, 9},
    {0xD4, 9}, {0xD5, 9}, {0xD6, 9}, {0xD7, 9}, {0xD8, 9}, {0xD9, 9}, {0xDA, 9},
    {0xDB, 9}, {0x98, 9}, {0x99, 9}, {0x9A, 9}, {0x18, 6}, {0x9B, 9},
};

constexpr Code Black_Makeup[27] = {
    {0x0F, 10}, {0xC8, 12}, {0xC9, 12}, {0x5B, 12}, {0x33, 12}, {0x34, 12}, {0x35, 12},
    {0x6C, 13}, {0x6D, 13}, {0x4A, 13}, {0x4B, 13}, {0x4C, 13}, {0x4D, 13}, {0x72, 13},
    {0x73, 13}, {0x74, 13}, {0x75, 13}, {0x76, 13}, {0x77, 13}, {0x52, 13}, {0x53, 13},
    {0x54, 13}, {0x55, 13}, {0x5A, 13}, {0x5B, 13}, {0x64, 13}, {0x65, 13},
};

// Make-up codes shared by both colours for 1792, 1856, ... 2560.
constexpr Code Extended_Makeup[13] = {
    {0x08, 11}, {0x0C, 11}, {0x0D, 11}, {0x12, 12}, {0x13, 12}, {0x14, 12}, {0x15, 12},
    {0x16, 12}, {0x17, 12}, {0x1C, 12}, {0x1D, 12}, {0x1E, 12}, {0x1F, 12},
};

// Code bits go out first bit first, filling each byte from its least
// significant bit upward: a 64-bit accumulator takes each code with its bits
// reversed, and full bytes are appended to the output, which grows
// geometrically.
class Bit_Writer
{
public:
    explicit Bit_Writer(std::vector<std::uint8_t>& out) : m_out(out) {}

    void put(Code code)
    {
        m_bits |= std::uint64_t(code.m_reversed) << m_count;
        m_count += code.m_length;
        while (m_count >= 8)
        {
            m_out.push_back(std::uint8_t(m_bits));
            m_bits >>= 8;
            m_count -= 8;
        }
    }

    void put_zero_bits(int count) { put(Code{0, std::uint8_t(count)}); }

    // A partly filled last byte counts as a whole one.
    void finish()
    {
        if (m_count > 0)
            m_out.push_back(std::uint8_t(m_bits));
        m_bits = 0;
        m_count = 0;
    }

private:
    std::vector<std::uint8_t>& m_out;
    std::uint64_t m_bits = 0;
    int m_count = 0;
};

void put_run(Bit_Writer& writer, std::uint32_t run, int color, bool ends_row)
{
    Code const* terminating = color == 0 ? White_Terminating : Black_Terminating;
    Code const* makeup = color == 0 ? White_Makeup : Black_Makeup;
    while (run >= 2560)
    {
        writer.put(Extended_Makeup[12]);
        run -= 2560;
    }
    if (run >= 64)
    {
        std::uint32_t const sixty_fours = run / 64;
        writer.put(sixty_fours <= 27 ? makeup[sixty_fours - 1] : Extended_Makeup[sixty_fours - 28]);
        run -= sixty_fours * 64;
    }
    if (run == 0 && ends_row)
        return;
    writer.put(terminating[run]);
}

} // namespace

WT_Result wt_encode_group3x(std::uint32_t rows, std::uint32_t columns, const std::uint8_t* source,
                            std::size_t source_size, std::vector<std::uint8_t>& coded)
{
    std::size_t const row_bytes = (std::size_t(columns) + 7) / 8;
    if (rows == 0 || columns == 0 || !source || source_size / row_bytes < rows)
        return WT_Result_Usage_Error;
    try
    {
        std::vector<std::uint8_t> out;
        // A first guess of a quarter of the raw size; beyond it the vector
        // doubles as needed.
        out.reserve(std::max<std::size_t>(16, std::size_t(rows) * row_bytes / 4));
        Bit_Writer writer(out);
        for (std::uint32_t r = 0; r < rows; ++r)
        {
            const std::uint8_t* row = source + std::size_t(r) * row_bytes;
            writer.put_zero_bits(2);
            int color = 0;
            std::uint32_t column = 0;
            while (column < columns)
            {
                // Bits of the run's colour become 0, so the run ends at the
                // first 1 bit: found a byte at a time.
                std::uint32_t run = 0;
                unsigned const invert = color ? 0xFFu : 0x00u;
                while (column < columns)
                {
                    unsigned const offset = column % 8;
                    unsigned const rest = ((row[column / 8] ^ invert) << offset) & 0xFFu;
                    std::uint32_t const same =
                        rest == 0 ? 8 - offset : std::uint32_t(__builtin_clz(rest) - 24);
                    run += same;
                    column += same;
                    if (rest != 0)
                        break;
                }
                if (column > columns)
                {
                    run -= column - columns;
                    column = columns;
                }
                put_run(writer, run, color, column == columns);
                color ^= 1;
            }
        }
        writer.finish();
        coded.swap(out);
    }
    catch (const std::bad_alloc&)
    {
        return WT_Result_Out_Of_Memory;
    }
    return WT_Result_Success;
}
