#pragma once
// The byte-level parts of the ".res" side-car file: the magic, the
// scrambling of its 208-byte correlation records, and the byte-order
// conversion of a record written on a big-endian machine.
#include <cstddef>
#include <cstdint>

namespace Omvi::ResourceFileFormat
{

// "DAV RESOURCE FILE" followed by 0D 1A 0D.
constexpr std::size_t kMagicSize = 20;
extern const std::uint8_t kMagic[kMagicSize];

constexpr std::size_t kRecordSize = 208;
constexpr std::uint16_t kCorrelationEntry = 0x0102;

// Records are stored scrambled: reading rotates every byte left by 3 bits
// and takes output byte i from position (i + 10) mod 208; writing is the
// inverse.
void unscramble(std::uint8_t record[kRecordSize]);
void scramble(std::uint8_t record[kRecordSize]);

// Reverses the byte order of the values of `buffer` by the layout with that
// index (0-19; the record uses 2). A layout is a list of items, each an
// optional count (default 1) and a code: c skips bytes, s, l and d reverse
// 16-, 32- and 64-bit values, and "(...)" repeats a group count times. The
// conversion stops at the end of the buffer, at an unknown character, and
// for an index without a layout.
void convertByteOrder(int layout, std::uint8_t* buffer, std::size_t size);

} // namespace Omvi::ResourceFileFormat
