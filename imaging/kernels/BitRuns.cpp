#include "imaging/kernels/BitRuns.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

namespace
{
// Eight bytes as one word, the first byte most significant, so that bit order
// along the row is bit order in the word.
std::uint64_t loadBigEndian(const std::uint8_t* at)
{
    std::uint64_t word = 0;
    for (int i = 0; i < 8; ++i)
        word = word << 8 | at[i];
    return word;
}

int leadingZeros(std::uint64_t word)
{
    return __builtin_clzll(word);
}

void applyMask(std::uint8_t& byte, std::uint8_t mask, int colour)
{
    if (colour != 0)
        byte |= mask;
    else
        byte &= static_cast<std::uint8_t>(~mask);
}
} // namespace

std::int32_t scanBitRun(BitCursor& cursor, int& colour, std::int32_t limit)
{
    colour = 0;
    if (limit < 1)
        return 0;
    const std::uint8_t* byte = cursor.byte;
    std::int32_t bit = cursor.bit;
    colour = (*byte >> (7 - bit)) & 1;
    std::int32_t length = 0;

    // The rest of a byte the cursor stands inside, bit by bit.
    if (bit > 0)
    {
        while (bit < 8 && length < limit && ((*byte >> (7 - bit)) & 1) == colour)
        {
            ++bit;
            ++length;
        }
        if (bit < 8 || length == limit)
        {
            if (bit == 8)
            {
                ++byte;
                bit = 0;
            }
            cursor.byte = byte;
            cursor.bit = bit;
            return length;
        }
        ++byte;
        bit = 0;
    }

    // Whole words of the run's colour, then the word where it ends.
    const std::uint64_t flip = colour != 0 ? ~std::uint64_t{0} : 0;
    while (limit - length >= 64)
    {
        const std::uint64_t differing = loadBigEndian(byte) ^ flip;
        if (differing == 0)
        {
            byte += 8;
            length += 64;
            continue;
        }
        const int same = leadingZeros(differing);
        length += same;
        cursor.byte = byte + same / 8;
        cursor.bit = same % 8;
        return length;
    }

    // Whole bytes, then single bits up to the limit.
    const std::uint8_t uniform = colour != 0 ? 0xFF : 0x00;
    while (limit - length >= 8 && *byte == uniform)
    {
        ++byte;
        length += 8;
    }
    while (length < limit && ((*byte >> (7 - bit)) & 1) == colour)
    {
        ++length;
        if (++bit == 8)
        {
            bit = 0;
            ++byte;
        }
    }
    cursor.byte = byte;
    cursor.bit = bit;
    return length;
}

void fillBitRun(std::uint8_t* row, int colour, std::int64_t position, std::int32_t count)
{
    if (count < 1)
        return;
    const std::int64_t last = position + count - 1;
    const std::int64_t firstByte = position >> 3;
    const std::int64_t lastByte = last >> 3;
    const auto head = static_cast<std::uint8_t>(0xFFu >> (position & 7));
    const auto tail = static_cast<std::uint8_t>(0xFFu << (7 - (last & 7)));
    if (firstByte == lastByte)
    {
        applyMask(row[firstByte], static_cast<std::uint8_t>(head & tail), colour);
        return;
    }
    applyMask(row[firstByte], head, colour);
    if (lastByte - firstByte > 1)
        std::memset(row + firstByte + 1, colour != 0 ? 0xFF : 0x00, static_cast<std::size_t>(lastByte - firstByte - 1));
    applyMask(row[lastByte], tail, colour);
}

namespace
{
template <bool OnlyOnes>
void copyRuns(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
              std::int64_t destinationPosition, std::int32_t count)
{
    BitCursor cursor{source + (sourcePosition >> 3), static_cast<std::int32_t>(sourcePosition & 7)};
    while (count > 0)
    {
        int colour = 0;
        const std::int32_t run = scanBitRun(cursor, colour, count);
        if (!OnlyOnes || colour != 0)
            fillBitRun(destination, colour, destinationPosition, run);
        destinationPosition += run;
        count -= run;
    }
}
} // namespace

void copyBitRuns(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                 std::int64_t destinationPosition, std::int32_t count)
{
    copyRuns<false>(source, sourcePosition, destination, destinationPosition, count);
}

void copyBitRunsTransparent(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                            std::int64_t destinationPosition, std::int32_t count)
{
    copyRuns<true>(source, sourcePosition, destination, destinationPosition, count);
}

namespace
{
// The destination brought to a byte boundary by runs, then whole bytes, then
// the rest by runs. `Or` adds the source's set bits to the destination (its
// 0 bits are transparent) instead of copying them.
template <bool Or>
void moveBits(std::uint8_t* destination, std::int64_t destinationPosition, const std::uint8_t* source,
              std::int64_t sourcePosition, std::int32_t count)
{
    if (count < 1)
        return;
    const auto head = static_cast<std::int32_t>(std::min<std::int64_t>((8 - (destinationPosition & 7)) & 7, count));
    if (head > 0)
    {
        copyRuns<Or>(source, sourcePosition, destination, destinationPosition, head);
        sourcePosition += head;
        destinationPosition += head;
        count -= head;
    }
    const std::int32_t whole = count / 8;
    std::uint8_t* to = destination + (destinationPosition >> 3);
    const std::uint8_t* from = source + (sourcePosition >> 3);
    const int shift = static_cast<int>(sourcePosition & 7);
    if (shift == 0)
    {
        if constexpr (Or)
            for (std::int32_t i = 0; i < whole; ++i)
                to[i] |= from[i];
        else
            std::memcpy(to, from, static_cast<std::size_t>(whole));
    }
    else
    {
        // Each destination byte takes the low bits of one source byte and the
        // high bits of the next, both inside the bits being copied.
        for (std::int32_t i = 0; i < whole; ++i)
        {
            const auto byte = static_cast<std::uint8_t>(from[i] << shift | from[i + 1] >> (8 - shift));
            if constexpr (Or)
                to[i] |= byte;
            else
                to[i] = byte;
        }
    }
    const std::int32_t rest = count - whole * 8;
    if (rest > 0)
        copyRuns<Or>(source, sourcePosition + std::int64_t{whole} * 8, destination,
                     destinationPosition + std::int64_t{whole} * 8, rest);
}
} // namespace

void copyBits(std::uint8_t* destination, std::int64_t destinationPosition, const std::uint8_t* source,
              std::int64_t sourcePosition, std::int32_t count)
{
    moveBits<false>(destination, destinationPosition, source, sourcePosition, count);
}

void orBits(std::uint8_t* destination, std::int64_t destinationPosition, const std::uint8_t* source,
            std::int64_t sourcePosition, std::int32_t count)
{
    moveBits<true>(destination, destinationPosition, source, sourcePosition, count);
}

namespace
{
// Each byte with its bits in the opposite order.
struct ReversedBytes
{
    ReversedBytes()
    {
        for (int b = 0; b < 256; ++b)
        {
            int r = 0;
            for (int k = 0; k < 8; ++k)
                r |= ((b >> k) & 1) << (7 - k);
            table[b] = static_cast<std::uint8_t>(r);
        }
    }
    std::uint8_t table[256];
};
const ReversedBytes kReversed;
} // namespace

void copyBitsReversed(const std::uint8_t* source, std::int64_t sourcePosition, std::uint8_t* destination,
                      std::int64_t lastDestination, std::int32_t count, bool onlyOnes)
{
    // Short runs are painted run by run; longer ones go through a buffer
    // that holds a stretch of the source with its bytes and bits reversed,
    // from which they are copied (or ORed) forwards.
    constexpr std::int32_t kChunkBits = 2048;
    std::uint8_t reversed[kChunkBits / 8 + 1];
    while (count > 0)
    {
        const std::int32_t n = std::min(count, kChunkBits);
        if (n < 64)
        {
            BitCursor cursor{source + (sourcePosition >> 3), static_cast<std::int32_t>(sourcePosition & 7)};
            std::int64_t last = lastDestination;
            for (std::int32_t left = n; left > 0;)
            {
                int colour = 0;
                const std::int32_t run = scanBitRun(cursor, colour, left);
                if (!onlyOnes || colour != 0)
                    fillBitRun(destination, colour, last - run + 1, run);
                last -= run;
                left -= run;
            }
        }
        else
        {
            // Source bits a .. a + n - 1 lie in bytes first .. first + m - 1;
            // reversed, source bit a + i sits at 8 m - 1 - (a mod 8) - i.
            const std::uint8_t* first = source + (sourcePosition >> 3);
            const std::int64_t m = ((sourcePosition & 7) + n + 7) >> 3;
            for (std::int64_t k = 0; k < m; ++k)
                reversed[k] = kReversed.table[first[m - 1 - k]];
            const std::int64_t from = 8 * m - (sourcePosition & 7) - n;
            const std::int64_t to = lastDestination - n + 1;
            if (onlyOnes)
                orBits(destination, to, reversed, from, n);
            else
                copyBits(destination, to, reversed, from, n);
        }
        sourcePosition += n;
        lastDestination -= n;
        count -= n;
    }
}

} // namespace Omvi
