// The group 3X coder against a decoder written here from the modified Huffman
// code tables of ITU-T T.4, on structured and random bitonal rasters.
#include "dwf/w2dtk/group3x_encoder.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

namespace
{
// Code words as bit strings, run length first.
const std::map<int, std::string> White_Codes = {
    {0, "00110101"},     {1, "000111"},       {2, "0111"},         {3, "1000"},
    {4, "1011"},         {5, "1100"},         {6, "1110"},         {7, "1111"},
    {8, "10011"},        {9, "10100"},        {10, "00111"},       {11, "01000"},
    {12, "001000"},      {13, "000011"},      {14, "110100"},      {15, "110101"},
    {16, "101010"},      {17, "101011"},      {18, "0100111"},     {19, "0001100"},
    {20, "0001000"},     {21, "0010111"},     {22, "0000011"},     {23, "0000100"},
    {24, "0101000"},     {25, "0101011"},     {26, "0010011"},     {27, "0100100"},
    {28, "0011000"},     {29, "00000010"},    {30, "00000011"},    {31, "00011010"},
    {32, "00011011"},    {33, "00010010"},    {34, "00010011"},    {35, "00010100"},
    {36, "00010101"},    {37, "00010110"},    {38, "00010111"},    {39, "00101000"},
    {40, "00101001"},    {41, "00101010"},    {42, "00101011"},    {43, "00101100"},
    {44, "00101101"},    {45, "00000100"},    {46, "00000101"},    {47, "00001010"},
    {48, "00001011"},    {49, "01010010"},    {50, "01010011"},    {51, "01010100"},
    {52, "01010101"},    {53, "00100100"},    {54, "00100101"},    {55, "01011000"},
    {56, "01011001"},    {57, "01011010"},    {58, "01011011"},    {59, "01001010"},
    {60, "01001011"},    {61, "00110010"},    {62, "00110011"},    {63, "00110100"},
    {64, "11011"},       {128, "10010"},      {192, "010111"},     {256, "0110111"},
    {320, "00110110"},   {384, "00110111"},   {448, "01100100"},   {512, "01100101"},
    {576, "01101000"},   {640, "01100111"},   {704, "011001100"},  {768, "011001101"},
    {832, "011010010"},  {896, "011010011"},  {960, "011010100"},  {1024, "011010101"},
    {1088, "011010110"}, {1152, "011010111"}, {1216, "011011000"}, {1280, "011011001"},
    {1344, "011011010"}, {1408, "011011011"}, {1472, "010011000"}, {1536, "010011001"},
    {1600, "010011010"}, {1664, "011000"},    {1728, "010011011"},
};

const std::map<int, std::string> Black_Codes = {
    {0, "0000110111"},
    {1, "010"},
    {2, "11"},
    {3, "10"},
    {4, "011"},
    {5, "0011"},
    {6, "0010"},
    {7, "00011"},
    {8, "000101"},
    {9, "000100"},
    {10, "0000100"},
    {11, "0000101"},
    {12, "0000111"},
    {13, "00000100"},
    {14, "00000111"},
    {15, "000011000"},
    {16, "0000010111"},
    {17, "0000011000"},
    {18, "0000001000"},
    {19, "00001100111"},
    {20, "00001101000"},
    {21, "00001101100"},
    {22, "00000110111"},
    {23, "00000101000"},
    {24, "00000010111"},
    {25, "00000011000"},
    {26, "000011001010"},
    {27, "000011001011"},
    {28, "000011001100"},
    {29, "000011001101"},
    {30, "000001101000"},
    {31, "000001101001"},
    {32, "000001101010"},
    {33, "000001101011"},
    {34, "000011010010"},
    {35, "000011010011"},
    {36, "000011010100"},
    {37, "000011010101"},
    {38, "000011010110"},
    {39, "000011010111"},
    {40, "000001101100"},
    {41, "000001101101"},
    {42, "000011011010"},
    {43, "000011011011"},
    {44, "000001010100"},
    {45, "000001010101"},
    {46, "000001010110"},
    {47, "000001010111"},
    {48, "000001100100"},
    {49, "000001100101"},
    {50, "000001010010"},
    {51, "000001010011"},
    {52, "000000100100"},
    {53, "000000110111"},
    {54, "000000111000"},
    {55, "000000100111"},
    {56, "000000101000"},
    {57, "000001011000"},
    {58, "000001011001"},
    {59, "000000101011"},
    {60, "000000101100"},
    {61, "000001011010"},
    {62, "000001100110"},
    {63, "000001100111"},
    {64, "0000001111"},
    {128, "000011001000"},
    {192, "000011001001"},
    {256, "000001011011"},
    {320, "000000110011"},
    {384, "000000110100"},
    {448, "000000110101"},
    {512, "0000001101100"},
    {576, "0000001101101"},
    {640, "0000001001010"},
    {704, "0000001001011"},
    {768, "0000001001100"},
    {832, "0000001001101"},
    {896, "0000001110010"},
    {960, "0000001110011"},
    {1024, "0000001110100"},
    {1088, "0000001110101"},
    {1152, "0000001110110"},
    {1216, "0000001110111"},
    {1280, "0000001010010"},
    {1344, "0000001010011"},
    {1408, "0000001010100"},
    {1472, "0000001010101"},
    {1536, "0000001011010"},
    {1600, "0000001011011"},
    {1664, "0000001100100"},
    {1728, "0000001100101"},
};

// Make-up codes both colours share.
const std::map<int, std::string> Extended_Codes = {
    {1792, "00000001000"},  {1856, "00000001100"},  {1920, "00000001101"},  {1984, "000000010010"},
    {2048, "000000010011"}, {2112, "000000010100"}, {2176, "000000010101"}, {2240, "000000010110"},
    {2304, "000000010111"}, {2368, "000000011100"}, {2432, "000000011101"}, {2496, "000000011110"},
    {2560, "000000011111"},
};

std::map<std::string, int> decoding_table(int color)
{
    std::map<std::string, int> table;
    for (auto const& [run, code] : color == 0 ? White_Codes : Black_Codes)
        table[code] = run;
    for (auto const& [run, code] : Extended_Codes)
        table[code] = run;
    return table;
}

struct Bit_Reader
{
    const std::vector<std::uint8_t>& bytes;
    std::size_t position = 0;

    // Bits fill each byte from its least significant bit upward.
    int next()
    {
        if (position / 8 >= bytes.size())
            return -1;
        int const bit = (bytes[position / 8] >> (position % 8)) & 1;
        ++position;
        return bit;
    }
};

// Decodes rows × columns pixels back to the 1-bit raster layout (most
// significant bit first, rows on fresh bytes). Returns false on any code
// that the tables do not hold.
bool decode(const std::vector<std::uint8_t>& coded, int rows, int columns,
            std::vector<std::uint8_t>& raster)
{
    std::map<std::string, int> const tables[2] = {decoding_table(0), decoding_table(1)};
    std::size_t const row_bytes = std::size_t(columns + 7) / 8;
    raster.assign(row_bytes * std::size_t(rows), 0);
    Bit_Reader in{coded};
    for (int r = 0; r < rows; ++r)
    {
        if (in.next() != 0 || in.next() != 0)
            return false; // the row prefix
        int column = 0;
        int color = 0;
        while (column < columns)
        {
            int run = 0;
            for (;;)
            {
                // One code word of this colour.
                std::string code;
                int value = -1;
                while (value < 0)
                {
                    int const bit = in.next();
                    if (bit < 0 || code.size() > 13)
                        return false;
                    code.push_back(char('0' + bit));
                    auto found = tables[color].find(code);
                    if (found != tables[color].end())
                        value = found->second;
                }
                run += value;
                if (value < 64)
                    break; // a terminating code ends the run
                if (column + run == columns)
                    break; // a make-up code ending the row needs no terminating code
            }
            if (column + run > columns)
                return false;
            for (int i = 0; i < run; ++i, ++column)
            {
                if (color)
                    raster[std::size_t(r) * row_bytes + std::size_t(column / 8)] |=
                        std::uint8_t(0x80 >> (column % 8));
            }
            color ^= 1;
        }
    }
    // Only padding bits may follow the last row.
    return (in.position + 7) / 8 == coded.size();
}

// Clears the bits beyond the last column, which the coder ignores.
void clear_padding(std::vector<std::uint8_t>& raster, int rows, int columns)
{
    std::size_t const row_bytes = std::size_t(columns + 7) / 8;
    if (columns % 8 == 0)
        return;
    for (int r = 0; r < rows; ++r)
        raster[std::size_t(r) * row_bytes + row_bytes - 1] &=
            std::uint8_t(0xFF << (8 - columns % 8));
}

void expect_round_trip(std::vector<std::uint8_t> raster, int rows, int columns)
{
    SCOPED_TRACE(std::to_string(rows) + " x " + std::to_string(columns));
    std::vector<std::uint8_t> coded;
    ASSERT_EQ(wt_encode_group3x(std::uint32_t(rows), std::uint32_t(columns), raster.data(),
                                raster.size(), coded),
              WT_Result_Success);
    std::vector<std::uint8_t> decoded;
    ASSERT_TRUE(decode(coded, rows, columns, decoded));
    clear_padding(raster, rows, columns);
    EXPECT_EQ(decoded, raster);
}
} // namespace

TEST(Group3X_Tables, Each_Colour_Forms_A_Prefix_Code)
{
    // A mistyped code word nearly always collides with another as a prefix or
    // breaks the Kraft sum, so this guards the decoder's own tables.
    for (int color : {0, 1})
    {
        std::map<std::string, int> const table = decoding_table(color);
        EXPECT_EQ(table.size(), 64u + 27u + 13u);
        double kraft = 0;
        for (auto const& [code, run] : table)
        {
            kraft += 1.0 / double(1u << code.size());
            for (auto const& [other, other_run] : table)
            {
                if (other == code)
                    continue;
                EXPECT_NE(other.compare(0, code.size(), code), 0)
                    << code << " is a prefix of " << other;
            }
        }
        EXPECT_LE(kraft, 1.0);
    }
}

TEST(Group3X_Coder, Structured_Rasters)
{
    // Plain rows, in widths around the make-up boundaries.
    for (int columns :
         {1, 7, 8, 9, 63, 64, 65, 127, 128, 1728, 1791, 1792, 2559, 2560, 2561, 5200, 65535})
    {
        std::size_t const row_bytes = std::size_t(columns + 7) / 8;
        expect_round_trip(std::vector<std::uint8_t>(row_bytes * 2, 0x00), 2, columns);
        expect_round_trip(std::vector<std::uint8_t>(row_bytes * 2, 0xFF), 2, columns);
        expect_round_trip(std::vector<std::uint8_t>(row_bytes * 2, 0xAA), 2, columns);
    }
    // Stripes of every run length from 1 to 300 in both colours.
    int const columns = 8000;
    std::vector<std::uint8_t> raster(std::size_t(columns / 8), 0);
    int column = 0;
    for (int run = 1; column < columns; ++run)
    {
        for (int i = 0; i < run && column < columns; ++i, ++column)
        {
            if (run % 2 == 0)
                raster[std::size_t(column / 8)] |= std::uint8_t(0x80 >> (column % 8));
        }
    }
    expect_round_trip(raster, 1, columns);
}

TEST(Group3X_Coder, Random_Rasters)
{
    std::mt19937 random(2024);
    for (int trial = 0; trial < 60; ++trial)
    {
        int const rows = 1 + int(random() % 20);
        int const columns = 1 + int(random() % 3000);
        std::size_t const row_bytes = std::size_t(columns + 7) / 8;
        std::vector<std::uint8_t> raster(row_bytes * std::size_t(rows));
        // Densities from noise to long runs.
        int const flip_one_in = 1 + int(random() % 400);
        int bit = int(random() % 2);
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
            {
                if (random() % std::uint32_t(flip_one_in) == 0)
                    bit ^= 1;
                if (bit)
                    raster[std::size_t(r) * row_bytes + std::size_t(c / 8)] |=
                        std::uint8_t(0x80 >> (c % 8));
            }
        expect_round_trip(raster, rows, columns);
    }
}

TEST(Group3X_Coder, Refuses_Short_Or_Empty_Rasters)
{
    std::vector<std::uint8_t> coded;
    std::uint8_t data[4] = {};
    EXPECT_EQ(wt_encode_group3x(2, 9, data, 3, coded), WT_Result_Usage_Error);
    EXPECT_EQ(wt_encode_group3x(0, 9, data, 4, coded), WT_Result_Usage_Error);
    EXPECT_EQ(wt_encode_group3x(1, 0, data, 4, coded), WT_Result_Usage_Error);
    EXPECT_EQ(wt_encode_group3x(1, 8, nullptr, 4, coded), WT_Result_Usage_Error);
    EXPECT_EQ(wt_encode_group3x(2, 9, data, 4, coded), WT_Result_Success);
}
