#include "imaging/kernels/RowRoutines.h"

#include "imaging/kernels/CpuFeatures.h"

#include <algorithm>
#include <cstring>

namespace Omvi
{

namespace
{
using Byte = std::uint8_t;

// A repeating pattern of `unit` bytes (1, 2, 4 or 8) spread over a 64-bit word.
std::uint64_t spread(const Byte* unit, int unitBytes)
{
    Byte word[8];
    for (int i = 0; i < 8; ++i)
        word[i] = unit[i % unitBytes];
    std::uint64_t value;
    std::memcpy(&value, word, 8);
    return value;
}

// 4-byte words, then bytes; backwards when a forward walk would read bytes it
// has already overwritten.
void copyWords(Byte* out, const Byte* in, std::int64_t bytes)
{
    if (bytes < 1 || out == in)
        return;
    std::uint32_t word;
    if (out > in && out < in + bytes)
    {
        std::int64_t i = bytes;
        for (; i >= 4; i -= 4)
        {
            std::memcpy(&word, in + i - 4, 4);
            std::memcpy(out + i - 4, &word, 4);
        }
        for (; i > 0; --i)
            out[i - 1] = in[i - 1];
        return;
    }
    std::int64_t i = 0;
    for (; i + 4 <= bytes; i += 4)
    {
        std::memcpy(&word, in + i, 4);
        std::memcpy(out + i, &word, 4);
    }
    for (; i < bytes; ++i)
        out[i] = in[i];
}

// 32-byte stores of the pattern where the processor has them (and the
// system saves their registers); the plain form otherwise. A fill of a row
// of 16-, 32- or 64-bit pixels then runs as fast as a byte fill.
#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define OMVI_WIDE_PATTERN_STORES 1
using Lanes = std::uint64_t __attribute__((vector_size(32)));

__attribute__((target("avx"))) void fillPatternLanes(Byte* out, std::uint64_t pattern, std::int64_t bytes)
{
    const Lanes lanes = {pattern, pattern, pattern, pattern};
    std::int64_t i = 0;
    for (; i + 128 <= bytes; i += 128)
    {
        std::memcpy(out + i, &lanes, 32);
        std::memcpy(out + i + 32, &lanes, 32);
        std::memcpy(out + i + 64, &lanes, 32);
        std::memcpy(out + i + 96, &lanes, 32);
    }
    for (; i + 32 <= bytes; i += 32)
        std::memcpy(out + i, &lanes, 32);
    for (; i + 8 <= bytes; i += 8)
        std::memcpy(out + i, &pattern, 8);
    // Fewer than 8 bytes are left: they take the pattern's first bytes.
    std::memcpy(out + i, &pattern, static_cast<std::size_t>(bytes - i));
}

bool haveWidePatternStores()
{
    static const bool have = __builtin_cpu_supports("avx");
    return have;
}
#else
bool haveWidePatternStores()
{
    return false;
}
#endif

// Which form a pattern fill of `bytes` takes: the wide one from 64 bytes on,
// when the vector states allow wide kernels at all.
bool widePatternFill(std::int64_t bytes)
{
    return bytes >= 64 && sse2Usable() && haveWidePatternStores();
}

void fillPattern(Byte* out, std::uint64_t pattern, std::int64_t bytes)
{
    if (widePatternFill(bytes))
        RowRoutineForms::fillPatternWide(out, pattern, bytes);
    else
        RowRoutineForms::fillPatternPlain(out, pattern, bytes);
}
} // namespace

namespace RowRoutineForms
{

// `bytes` bytes of the pattern, which repeats every 8 bytes, starting at its
// first byte: the first 64 bytes a word at a time, then the filled part
// copied onto what follows it, doubling each time.
void fillPatternPlain(void* destination, std::uint64_t pattern, std::int64_t bytes)
{
    auto* out = static_cast<Byte*>(destination);
    const std::int64_t first = bytes < 64 ? bytes : 64;
    std::int64_t i = 0;
    for (; i + 8 <= first; i += 8)
        std::memcpy(out + i, &pattern, 8);
    // Fewer than 8 bytes are left: they take the pattern's first bytes.
    std::memcpy(out + i, &pattern, static_cast<std::size_t>(first - i));
    for (std::int64_t done = first; done < bytes;)
    {
        const std::int64_t step = std::min(done, bytes - done);
        std::memcpy(out + done, out, static_cast<std::size_t>(step));
        done += step;
    }
}

void fillPatternWide(void* destination, std::uint64_t pattern, std::int64_t bytes)
{
#ifdef OMVI_WIDE_PATTERN_STORES
    if (haveWidePatternStores())
    {
        fillPatternLanes(static_cast<Byte*>(destination), pattern, bytes);
        return;
    }
#endif
    fillPatternPlain(destination, pattern, bytes);
}

// 4-byte words, then bytes (backwards when the ranges overlap that way).
void copyBytesPlain(void* destination, const void* source, std::int32_t bytes)
{
    copyWords(static_cast<Byte*>(destination), static_cast<const Byte*>(source), bytes);
}

void copyBytesWide(void* destination, const void* source, std::int32_t bytes)
{
    if (bytes > 0)
        std::memmove(destination, source, static_cast<std::size_t>(bytes));
}

void fillRow8Plain(void* destination, std::uint8_t value, std::int32_t count)
{
    if (count < 1)
        return;
    auto* out = static_cast<Byte*>(destination);
    const std::uint32_t word = 0x01010101u * value;
    std::int32_t i = 0;
    for (; i + 4 <= count; i += 4)
        std::memcpy(out + i, &word, 4);
    for (; i < count; ++i)
        out[i] = value;
}

void fillRow8Wide(void* destination, std::uint8_t value, std::int32_t count)
{
    if (count > 0)
        std::memset(destination, value, static_cast<std::size_t>(count));
}

// One pixel at a time.
void copyRow32Plain(void* destination, const void* source, std::int32_t pixels)
{
    if (pixels < 1 || destination == source)
        return;
    auto* out = static_cast<Byte*>(destination);
    const auto* in = static_cast<const Byte*>(source);
    const std::int64_t bytes = std::int64_t{pixels} * 4;
    std::uint32_t pixel;
    if (out > in && out < in + bytes)
    {
        for (std::int64_t i = bytes - 4; i >= 0; i -= 4)
        {
            std::memcpy(&pixel, in + i, 4);
            std::memcpy(out + i, &pixel, 4);
        }
        return;
    }
    for (std::int64_t i = 0; i < bytes; i += 4)
    {
        std::memcpy(&pixel, in + i, 4);
        std::memcpy(out + i, &pixel, 4);
    }
}

void copyRow32Wide(void* destination, const void* source, std::int32_t pixels)
{
    if (pixels > 0)
        std::memmove(destination, source, static_cast<std::size_t>(pixels) * 4);
}

void fillRow32Plain(void* destination, std::uint32_t value, std::int32_t pixels)
{
    auto* out = static_cast<Byte*>(destination);
    for (std::int64_t i = 0; i < pixels; ++i)
        std::memcpy(out + 4 * i, &value, 4);
}

// The value doubled: two pixels per 8-byte store.
void fillRow32Wide(void* destination, std::uint32_t value, std::int32_t pixels)
{
    if (pixels < 1)
        return;
    Byte unit[4];
    std::memcpy(unit, &value, 4);
    fillPattern(static_cast<Byte*>(destination), spread(unit, 4), std::int64_t{pixels} * 4);
}

} // namespace RowRoutineForms

RowRoutineForm copyBytesForm(std::int32_t bytes)
{
    return bytes >= 76 && (sseUsable() || mmxUsable()) ? RowRoutineForm::Wide : RowRoutineForm::Plain;
}

RowRoutineForm row8Form(std::int32_t bytes)
{
    return bytes > 15 && mmxUsable() ? RowRoutineForm::Wide : RowRoutineForm::Plain;
}

RowRoutineForm row32Form(std::int32_t pixels)
{
    return pixels > 0 && mmxUsable() ? RowRoutineForm::Wide : RowRoutineForm::Plain;
}

void copyBytes(void* destination, const void* source, std::int32_t bytes)
{
    if (copyBytesForm(bytes) == RowRoutineForm::Wide)
        RowRoutineForms::copyBytesWide(destination, source, bytes);
    else
        RowRoutineForms::copyBytesPlain(destination, source, bytes);
}

void copyRow8(void* destination, const void* source, std::int32_t bytes)
{
    if (row8Form(bytes) == RowRoutineForm::Wide)
        RowRoutineForms::copyBytesWide(destination, source, bytes);
    else
        RowRoutineForms::copyBytesPlain(destination, source, bytes);
}

void fillRow8(void* destination, std::uint8_t value, std::int32_t count)
{
    if (row8Form(count) == RowRoutineForm::Wide)
        RowRoutineForms::fillRow8Wide(destination, value, count);
    else
        RowRoutineForms::fillRow8Plain(destination, value, count);
}

// Through the byte copy (two bytes a pixel).
void copyRow16(void* destination, const void* source, std::int32_t pixels)
{
    if (pixels < 1)
        return;
    if (pixels <= 0x3FFFFFFF)
        copyBytes(destination, source, pixels * 2);
    else
        copyWords(static_cast<Byte*>(destination), static_cast<const Byte*>(source), std::int64_t{pixels} * 2);
}

// Pairs of pixels as 32-bit words (four at a time), then one.
void fillRow16(void* destination, std::uint16_t value, std::int32_t pixels)
{
    if (pixels < 1)
        return;
    Byte unit[2];
    std::memcpy(unit, &value, 2);
    fillPattern(static_cast<Byte*>(destination), spread(unit, 2), std::int64_t{pixels} * 2);
}

void copyRow32(void* destination, const void* source, std::int32_t pixels)
{
    if (row32Form(pixels) == RowRoutineForm::Wide)
        RowRoutineForms::copyRow32Wide(destination, source, pixels);
    else
        RowRoutineForms::copyRow32Plain(destination, source, pixels);
}

void fillRow32(void* destination, std::uint32_t value, std::int32_t pixels)
{
    if (row32Form(pixels) == RowRoutineForm::Wide)
        RowRoutineForms::fillRow32Wide(destination, value, pixels);
    else
        RowRoutineForms::fillRow32Plain(destination, value, pixels);
}

void fillRow64(void* destination, std::uint64_t value, std::int32_t pixels)
{
    if (pixels > 0)
        fillPattern(static_cast<Byte*>(destination), value, std::int64_t{pixels} * 8);
}

} // namespace Omvi
