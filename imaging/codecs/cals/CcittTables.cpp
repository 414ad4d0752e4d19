#include "imaging/codecs/cals/CcittTables.h"

#include <array>

namespace Omvi::CcittTables
{

const Code kWhiteTerminating[64] = {
    {0x35, 8}, {0x07, 6}, {0x07, 4}, {0x08, 4}, {0x0B, 4}, {0x0C, 4}, {0x0E, 4}, {0x0F, 4},
    {0x13, 5}, {0x14, 5}, {0x07, 5}, {0x08, 5}, {0x08, 6}, {0x03, 6}, {0x34, 6}, {0x35, 6},
    {0x2A, 6}, {0x2B, 6}, {0x27, 7}, {0x0C, 7}, {0x08, 7}, {0x17, 7}, {0x03, 7}, {0x04, 7},
    {0x28, 7}, {0x2B, 7}, {0x13, 7}, {0x24, 7}, {0x18, 7}, {0x02, 8}, {0x03, 8}, {0x1A, 8},
    {0x1B, 8}, {0x12, 8}, {0x13, 8}, {0x14, 8}, {0x15, 8}, {0x16, 8}, {0x17, 8}, {0x28, 8},
    {0x29, 8}, {0x2A, 8}, {0x2B, 8}, {0x2C, 8}, {0x2D, 8}, {0x04, 8}, {0x05, 8}, {0x0A, 8},
    {0x0B, 8}, {0x52, 8}, {0x53, 8}, {0x54, 8}, {0x55, 8}, {0x24, 8}, {0x25, 8}, {0x58, 8},
    {0x59, 8}, {0x5A, 8}, {0x5B, 8}, {0x4A, 8}, {0x4B, 8}, {0x32, 8}, {0x33, 8}, {0x34, 8},
};

const Code kBlackTerminating[64] = {
    {0x37, 10}, {0x02, 3},  {0x03, 2},  {0x02, 2},  {0x03, 3},  {0x03, 4},  {0x02, 4},  {0x03, 5},
    {0x05, 6},  {0x04, 6},  {0x04, 7},  {0x05, 7},  {0x07, 7},  {0x04, 8},  {0x07, 8},  {0x18, 9},
    {0x17, 10}, {0x18, 10}, {0x08, 10}, {0x67, 11}, {0x68, 11}, {0x6C, 11}, {0x37, 11}, {0x28, 11},
    {0x17, 11}, {0x18, 11}, {0xCA, 12}, {0xCB, 12}, {0xCC, 12}, {0xCD, 12}, {0x68, 12}, {0x69, 12},
    {0x6A, 12}, {0x6B, 12}, {0xD2, 12}, {0xD3, 12}, {0xD4, 12}, {0xD5, 12}, {0xD6, 12}, {0xD7, 12},
    {0x6C, 12}, {0x6D, 12}, {0xDA, 12}, {0xDB, 12}, {0x54, 12}, {0x55, 12}, {0x56, 12}, {0x57, 12},
    {0x64, 12}, {0x65, 12}, {0x52, 12}, {0x53, 12}, {0x24, 12}, {0x37, 12}, {0x38, 12}, {0x27, 12},
    {0x28, 12}, {0x58, 12}, {0x59, 12}, {0x2B, 12}, {0x2C, 12}, {0x5A, 12}, {0x66, 12}, {0x67, 12},
};

const Code kWhiteMakeUp[27] = {
    {0x1B, 5}, {0x12, 5}, {0x17, 6}, {0x37, 7}, {0x36, 8}, {0x37, 8}, {0x64, 8}, {0x65, 8}, {0x68, 8},
    {0x67, 8}, {0xCC, 9}, {0xCD, 9}, {0xD2, 9}, {0xD3, 9}, {0xD4, 9}, {0xD5, 9}, {0xD6, 9}, {0xD7, 9},
    {0xD8, 9}, {0xD9, 9}, {0xDA, 9}, {0xDB, 9}, {0x98, 9}, {0x99, 9}, {0x9A, 9}, {0x18, 6}, {0x9B, 9},
};

const Code kBlackMakeUp[27] = {
    {0x0F, 10}, {0xC8, 12}, {0xC9, 12}, {0x5B, 12}, {0x33, 12}, {0x34, 12}, {0x35, 12},
    {0x6C, 13}, {0x6D, 13}, {0x4A, 13}, {0x4B, 13}, {0x4C, 13}, {0x4D, 13}, {0x72, 13},
    {0x73, 13}, {0x74, 13}, {0x75, 13}, {0x76, 13}, {0x77, 13}, {0x52, 13}, {0x53, 13},
    {0x54, 13}, {0x55, 13}, {0x5A, 13}, {0x5B, 13}, {0x64, 13}, {0x65, 13},
};

const Code kExtendedMakeUp[13] = {
    {0x08, 11}, {0x0C, 11}, {0x0D, 11}, {0x12, 12}, {0x13, 12}, {0x14, 12}, {0x15, 12},
    {0x16, 12}, {0x17, 12}, {0x1C, 12}, {0x1D, 12}, {0x1E, 12}, {0x1F, 12},
};

// VL3, VL2, VL1, V0, VR1, VR2, VR3.
const Code kVertical[7] = {{0x02, 7}, {0x02, 6}, {0x02, 3}, {0x1, 1}, {0x03, 3}, {0x03, 6}, {0x03, 7}};

namespace
{

constexpr std::array<std::uint8_t, 256> reversedBytes()
{
    std::array<std::uint8_t, 256> table{};
    for (int value = 0; value < 256; ++value)
    {
        int reversed = 0;
        for (int bit = 0; bit < 8; ++bit)
            if (value & (1 << bit))
                reversed |= 0x80 >> bit;
        table[static_cast<std::size_t>(value)] = static_cast<std::uint8_t>(reversed);
    }
    return table;
}

std::uint32_t reversedCode(const Code& code)
{
    std::uint32_t reversed = 0;
    for (int i = 0; i < code.length; ++i)
        if (code.bits & (1u << (code.length - 1 - i)))
            reversed |= 1u << i;
    return reversed;
}

// Fills every index whose low code.length bits hold the code (first bit
// lowest) with the entry.
template <std::size_t N>
void place(std::array<Entry, N>& table, const Code& code, std::uint8_t action, std::uint32_t parameter)
{
    const std::uint32_t low = reversedCode(code);
    for (std::uint32_t high = 0; (high << code.length) < N; ++high)
        table[low | (high << code.length)] = Entry{action, code.length, parameter};
}

template <std::size_t N>
std::array<Entry, N> runTable(const Code (&terminating)[64], const Code (&makeUp)[27], std::uint8_t terminatingAction,
                              std::uint8_t makeUpAction)
{
    std::array<Entry, N> table{};
    for (std::uint32_t run = 0; run < 64; ++run)
        place(table, terminating[run], terminatingAction, run);
    for (std::uint32_t i = 0; i < 27; ++i)
        place(table, makeUp[i], makeUpAction, 64 * (i + 1));
    for (std::uint32_t i = 0; i < 13; ++i)
        place(table, kExtendedMakeUp[i], kCommonMakeUpCode, 64 * (i + 28));
    place(table, kEol, kEndOfLine, 0);
    return table;
}

std::array<Entry, 128> buildMainTable()
{
    std::array<Entry, 128> table{};
    place(table, kPass, kPassMode, 0);
    place(table, kHorizontal, kHorizontalMode, 0);
    place(table, kVertical[3], kVertical0, 0);
    for (std::uint32_t offset = 1; offset <= 3; ++offset)
    {
        place(table, kVertical[3 + offset], kVerticalRight, offset);
        place(table, kVertical[3 - offset], kVerticalLeft, offset);
    }
    place(table, Code{0x01, 7}, kExtension, 0);
    place(table, Code{0x00, 7}, kEndOfLine, 0);
    return table;
}

} // namespace

const std::array<std::uint8_t, 256> kReversedBits = reversedBytes();

const Entry* mainTable()
{
    static const std::array<Entry, 128> table = buildMainTable();
    return table.data();
}

const Entry* whiteTable()
{
    static const std::array<Entry, 4096> table =
        runTable<4096>(kWhiteTerminating, kWhiteMakeUp, kWhiteTerminatingCode, kWhiteMakeUpCode);
    return table.data();
}

const Entry* blackTable()
{
    static const std::array<Entry, 8192> table =
        runTable<8192>(kBlackTerminating, kBlackMakeUp, kBlackTerminatingCode, kBlackMakeUpCode);
    return table.data();
}

} // namespace Omvi::CcittTables
