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

// The plain walk over bytes [0, end) of a row whose pixels are `Stride`
// bytes wide (1 or 4): each byte takes the moved part of the same byte of the
// pixel to its right, `carries` holding those of the pixel at `end` on entry.
template <int Stride>
void shearBytes(Byte* output, const Byte* input, const Byte* table, std::int64_t end, Byte* carries)
{
    Byte carry[Stride];
    std::memcpy(carry, carries, Stride);
    for (std::int64_t i = end - Stride; i >= 0; i -= Stride)
        for (int b = 0; b < Stride; ++b)
        {
            const Byte v = input[i + b];
            const Byte moved = table[v];
            output[i + b] = static_cast<Byte>(v - moved + carry[b]);
            carry[b] = moved;
        }
}

constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;

// The moved parts of the eight bytes of `word`, packed the same way.
std::uint64_t movedParts(std::uint64_t word, const Byte* table)
{
    // Eight independent lookups, combined in pairs.
    auto part = [word, table](int k) { return std::uint64_t{table[(word >> (8 * k)) & 0xFF]} << (8 * k); };
    return ((part(0) | part(1)) | (part(2) | part(3))) | ((part(4) | part(5)) | (part(6) | part(7)));
}

// Wide form over a row of `bytes` bytes whose pixels are `Stride` bytes wide:
// blocks of sixteen and then eight bytes from the end, in registers. Each block is read before
// it is written, so an output to the right of the input is safe. Bytes in
// memory order are the word's bytes from the least significant up, which
// holds on little-endian machines; elsewhere the plain walk runs.
template <int Stride>
void shearWords(Byte* output, const Byte* input, const Byte* table, std::int64_t bytes)
{
    std::int64_t i = bytes;
    std::uint64_t right = 0; // moved parts of the block to the right
    if (kLittleEndian)
    {
        constexpr int shift = 8 * Stride;
        // Two words a step (both read before either is written), then one.
        for (; i >= 16; i -= 16)
        {
            const std::uint64_t low = loadWord(input + i - 16);
            const std::uint64_t high = loadWord(input + i - 8);
            const std::uint64_t movedLow = movedParts(low, table);
            const std::uint64_t movedHigh = movedParts(high, table);
            // Byte k takes the moved part of byte k + Stride.
            const std::uint64_t outHigh =
                addBytes(subtractBytes(high, movedHigh), movedHigh >> shift | right << (64 - shift));
            const std::uint64_t outLow =
                addBytes(subtractBytes(low, movedLow), movedLow >> shift | movedHigh << (64 - shift));
            std::memcpy(output + i - 8, &outHigh, 8);
            std::memcpy(output + i - 16, &outLow, 8);
            right = movedLow;
        }
        if (i >= 8)
        {
            const std::uint64_t in = loadWord(input + i - 8);
            const std::uint64_t moved = movedParts(in, table);
            const std::uint64_t out = addBytes(subtractBytes(in, moved), moved >> shift | right << (64 - shift));
            std::memcpy(output + i - 8, &out, 8);
            right = moved;
            i -= 8;
        }
    }
    // The rest at the row's start, with the carries the last block left.
    Byte carries[Stride];
    for (int b = 0; b < Stride; ++b)
        carries[b] = static_cast<Byte>(right >> (8 * b));
    shearBytes<Stride>(output, input, table, i, carries);
}
} // namespace

// 8 bits.

EightBitRowShearer::EightBitRowShearer(std::int32_t width) : width_(width < 0 ? 0 : width) {}

void EightBitRowShearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
    Byte carry = 0;
    shearBytes<1>(output, input, table, width_, &carry);
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
    shearWords<1>(output, input, table, width_);
}

void EightBitRowSSE2Shearer::shearRow(Byte* output, const Byte* input, const Byte* table)
{
#if defined(__SSE2__)
    if (kLittleEndian)
    {
        // Sixteen bytes a step: the moved parts gathered in two words, the
        // subtraction and addition on the whole block.
        std::int64_t i = width_;
        std::uint64_t right = 0;
        for (; i >= 16; i -= 16)
        {
            const std::uint64_t low = loadWord(input + i - 16);
            const std::uint64_t high = loadWord(input + i - 8);
            const std::uint64_t movedLow = movedParts(low, table);
            const std::uint64_t movedHigh = movedParts(high, table);
            const __m128i in = _mm_set_epi64x(static_cast<long long>(high), static_cast<long long>(low));
            const __m128i moved =
                _mm_set_epi64x(static_cast<long long>(movedHigh), static_cast<long long>(movedLow));
            const __m128i incoming = _mm_set_epi64x(static_cast<long long>(movedHigh >> 8 | right << 56),
                                                    static_cast<long long>(movedLow >> 8 | movedHigh << 56));
            const __m128i out = _mm_add_epi8(_mm_sub_epi8(in, moved), incoming);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(output + i - 16), out);
            right = movedLow;
        }
        Byte carry = static_cast<Byte>(right);
        shearBytes<1>(output, input, table, i, &carry);
        return;
    }
#endif
    shearWords<1>(output, input, table, width_);
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
    shearBytes<4>(output, input, table, std::int64_t{pixels()} * 4, carries);
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
    shearWords<4>(output, input, table, std::int64_t{pixels()} * 4);
}

} // namespace Omvi
