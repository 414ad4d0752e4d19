#pragma once
// The code tables of the bilevel coder: the modified Huffman run codes
// (terminating codes for runs 0-63, make-up codes for 64-1728 by colour and
// the extended make-up codes 1792-2560 shared by both colours), the mode
// codes of two-dimensional coding and the end-of-line code; and the
// decoder's lookup tables built from them.
//
// Code words are given with their first bit as the most significant of
// `bits`. The decoder's tables are indexed by the next coded bits with the
// first bit in the lowest position (decoders shift bits out at the bottom).
#include <array>
#include <cstdint>

namespace Omvi::CcittTables
{

struct Code
{
    std::uint16_t bits;
    std::uint8_t length;
};

extern const Code kWhiteTerminating[64];
extern const Code kBlackTerminating[64];
// Index run / 64 - 1 for runs 64-1728.
extern const Code kWhiteMakeUp[27];
extern const Code kBlackMakeUp[27];
// Index run / 64 - 28 for runs 1792-2560.
extern const Code kExtendedMakeUp[13];

constexpr Code kEol{0x001, 12};
constexpr Code kPass{0x1, 4};
constexpr Code kHorizontal{0x1, 3};
// Vertical codes for a1 - b1 = -3 ... +3 (index offset + 3).
extern const Code kVertical[7];

// What a decoder table entry stands for.
enum Action : std::uint8_t
{
    kInvalid = 0,
    kPassMode = 1,
    kHorizontalMode = 2,
    kVertical0 = 3,
    kVerticalRight = 4,  // parameter 1-3
    kVerticalLeft = 5,   // parameter 1-3
    kExtension = 6,
    kWhiteTerminatingCode = 7,
    kBlackTerminatingCode = 8,
    kWhiteMakeUpCode = 9,
    kBlackMakeUpCode = 10,
    kCommonMakeUpCode = 11,
    kEndOfLine = 12
};

struct Entry
{
    std::uint8_t action;
    std::uint8_t length;    // bits the code takes
    std::uint32_t parameter;  // run length or vertical offset
};

constexpr int kMainBits = 7;
constexpr int kWhiteBits = 12;
constexpr int kBlackBits = 13;

// 128 entries: the modes of two-dimensional coding; seven zero bits stand
// for the start of an end-of-line code.
const Entry* mainTable();
// 4096 entries: white terminating and make-up codes, the extended make-up
// codes and the end-of-line code.
const Entry* whiteTable();
// 8192 entries: the same for black.
const Entry* blackTable();

// Every byte with its eight bits in reverse order.
extern const std::array<std::uint8_t, 256> kReversedBits;

} // namespace Omvi::CcittTables
