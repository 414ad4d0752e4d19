#include "imaging/kernels/RowShearers.h"

#include <cstdlib>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Omvi
{

namespace
{
using Byte = std::uint8_t;

constexpr std::uint64_t kHighBits = 0x8080808080808080ull;

// Byte-wise sums and differences of eight bytes packed in a word, each modulo
// 256, with no carry or borrow crossing into the neighbouring byte.
std::uint64_t addBytes(std::uint64_t x, std::uint64_t y)
{
    return ((x & ~kHighBits) + (y & ~kHighBits)) ^ ((x ^ y) & kHighBits);
}

std::uint64_t subtractBytes(std::uint64_t x, std::uint64_t y)
{
    return ((x | kHighBits) - (y & ~kHighBits)) ^ ((x ^ ~y) & kHighBits);
}

std::uint64_t loadWord(const Byte* at)
{
    std::uint64_t word;
    std::memcpy(&word, at, 8);
    return word;
}

// The plain walk over bytes [0, end) of a row whose byte `end` carries
// `carry` in: every byte steps by one (8-bit pixels) or four (the same byte
// of the neighbouring 32-bit pixel). Returns nothing: the carries that leave
// byte 0 (or bytes 0-3) are dropped.
void shearBytes(Byte* output, const Byte* input, const Byte* table, std::int64_t end, Byte* carries,
                int stride)
{
    for (std::int64_t i = end - 1; i >= 0; --i)
    {
        const Byte v = input[i];
        const Byte moved = table[v];
        Byte& carry = carries[i % stride];
        output[i] = static_cast<Byte>(v - moved + carry);
        carry = moved;
    }
}

// Wide form over a row of `bytes` bytes whose pixels are `stride` bytes wide
// (1 or 4): blocks of eight bytes from the end, reading each block before
// writing it so that an output to the right of the input is safe.
void shearWords(Byte* output, const Byte* input, const Byte* table, std::int64_t bytes, int stride)
{
    Byte moved[8 + 4] = {}; // the block's moved parts, then what comes in from the right
    std::int64_t i = bytes;
    for (; i >= 8; i -= 8)
    {
        const std::uint64_t in = loadWord(input + i - 8);
        Byte values[8];
        std::memcpy(values, &in, 8);
        // The moved parts of the block's right-hand neighbours sit at
        // moved[8..8+stride).
        std::memcpy(moved + 8, moved, static_cast<std::size_t>(stride));
        for (int k = 0; k < 8; ++k)
            moved[k] = table[values[k]];
        const std::uint64_t out =
            addBytes(subtractBytes(in, loadWord(moved)), loadWord(moved + stride));
        std::memcpy(output + i - 8, &out, 8);
    }
    // The rest at the row's start, byte by byte, with the carries that the
    // first block left.
    Byte carries[4];
    std::memcpy(carries, moved, static_cast<std::size_t>(stride));
    if (i == bytes)
        std::memset(carries, 0, sizeof carries);
    // shearBytes indexes carries by i % stride; rotate so that byte i of the
    // rest meets the carry of byte i + stride.
    Byte rotated[4];
    for (int b = 0; b < stride; ++b)
        rotated[(i + b) % stride] = carries[b];
    shearBytes(output, input, table, i, rotated, stride);
}
} // namespace

// 8 bits.

EightBitRowShearer::EightBitRowShearer(std::int32_t width) : width_(width < 0 ? 0 : width) {}

void EightBitRowShearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
    Byte carry = 0;
    shearBytes(output, input, table, width_, &carry, 1);
}

void EightBitRowShearer::shearColumns(Byte* output, const Byte* const* inputLines, const std::int32_t* lineIndex,
                                      const Byte* tables, Byte* carries)
{
    for (std::int32_t x = 0; x < width_; ++x, tables += 256)
    {
        const Byte v = inputLines[lineIndex[x]][x];
        const Byte moved = tables[v];
        output[x] = static_cast<Byte>(v - moved + carries[x]);
        carries[x] = moved;
    }
}

void* EightBitRowShearer::allocateScratch(std::int32_t bytes)
{
    if (bytes < 0)
        return nullptr;
    if (bytes <= kInlineScratchBytes && !inlineInUse_)
    {
        inlineInUse_ = true;
        return inlineScratch_.data();
    }
    return std::malloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes));
}

void EightBitRowShearer::freeScratch(void* scratch)
{
    if (ownsScratch(scratch))
        inlineInUse_ = false;
    else
        std::free(scratch);
}

void EightBitRowMMXShearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
    shearWords(output, input, table, width_, 1);
}

void EightBitRowSSE2Shearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
#if defined(__SSE2__)
    Byte moved[17] = {}; // the block's moved parts, then the carry from its right
    std::int64_t i = width_;
    for (; i >= 16; i -= 16)
    {
        const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(input + i - 16));
        Byte values[16];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(values), in);
        moved[16] = moved[0];
        for (int k = 0; k < 16; ++k)
            moved[k] = table[values[k]];
        const __m128i out =
            _mm_add_epi8(_mm_sub_epi8(in, _mm_loadu_si128(reinterpret_cast<const __m128i*>(moved))),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(moved + 1)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i - 16), out);
    }
    Byte carry = i == width_ ? 0 : moved[0];
    shearBytes(output, input, table, i, &carry, 1);
#else
    shearWords(output, input, table, width_, 1);
#endif
}

void* EightBitRowSSE2Shearer::allocateScratch(std::int32_t bytes)
{
    if (bytes < 0)
        return nullptr;
    return ::operator new(bytes == 0 ? 1 : static_cast<std::size_t>(bytes), std::align_val_t{16}, std::nothrow);
}

void EightBitRowSSE2Shearer::freeScratch(void* scratch)
{
    if (scratch != nullptr)
        ::operator delete(scratch, std::align_val_t{16});
}

// 32 bits.

ThirtyTwoBitRowShearer::ThirtyTwoBitRowShearer(std::int32_t width) : width_(width < 0 ? 0 : width) {}

void ThirtyTwoBitRowShearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
    Byte carries[4] = {};
    shearBytes(output, input, table, std::int64_t{pixels()} * 4, carries, 4);
}

void ThirtyTwoBitRowShearer::shearColumns(Byte* output, const Byte* const* inputLines,
                                          const std::int32_t* lineIndex, const Byte* tables, Byte* carries)
{
    const std::int32_t count = pixels();
    for (std::int32_t x = 0; x < count; ++x, tables += 256)
    {
        const Byte* in = inputLines[lineIndex[x]] + 4 * std::int64_t{x};
        for (int b = 0; b < 4; ++b)
        {
            const Byte v = in[b];
            const Byte moved = tables[v];
            Byte& carry = carries[4 * std::int64_t{x} + b];
            output[4 * std::int64_t{x} + b] = static_cast<Byte>(v - moved + carry);
            carry = moved;
        }
    }
}

void* ThirtyTwoBitRowShearer::allocateScratch(std::int32_t bytes)
{
    if (bytes < 0)
        return nullptr;
    return std::malloc(bytes == 0 ? 1 : static_cast<std::size_t>(bytes));
}

void ThirtyTwoBitRowShearer::freeScratch(void* scratch)
{
    std::free(scratch);
}

void ThirtyTwoBitRowMMXShearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
    shearWords(output, input, table, std::int64_t{pixels()} * 4, 4);
}

} // namespace Omvi
