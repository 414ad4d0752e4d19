#pragma once
// Copies and fills of whole runs of bytes and samples. Each routine has a
// plain form and, where the processor allows (CpuFeatures.h), a wide form;
// both give exactly the same bytes, so callers never see which ran. Samples
// are stored in the machine's byte order. Counts below 1 do nothing.
// Overlapping copies behave as if the source went through a temporary.
#include <cstdint>

namespace Omvi
{

void copyBytes(void* destination, const void* source, std::int32_t bytes);
void copyRow8(void* destination, const void* source, std::int32_t bytes);
void fillRow8(void* destination, std::uint8_t value, std::int32_t count);
void copyRow16(void* destination, const void* source, std::int32_t pixels);
void fillRow16(void* destination, std::uint16_t value, std::int32_t pixels);
void copyRow32(void* destination, const void* source, std::int32_t pixels);
void fillRow32(void* destination, std::uint32_t value, std::int32_t pixels);
void fillRow64(void* destination, std::uint64_t value, std::int32_t pixels);

// The names the image operations use for the same routines.
inline void copyRowBytes(void* destination, const void* source, std::int32_t bytes)
{
    copyBytes(destination, source, bytes);
}
inline void copySamples8(void* destination, const void* source, std::int32_t count)
{
    copyRow8(destination, source, count);
}
inline void copySamples16(void* destination, const void* source, std::int32_t count)
{
    copyRow16(destination, source, count);
}
inline void copySamples32(void* destination, const void* source, std::int32_t count)
{
    copyRow32(destination, source, count);
}
// The low byte of `value`.
inline void fillSamples8(void* destination, std::uint32_t value, std::int32_t count)
{
    fillRow8(destination, static_cast<std::uint8_t>(value), count);
}
inline void fillSamples16(void* destination, std::uint16_t value, std::int32_t count)
{
    fillRow16(destination, value, count);
}
inline void fillSamples32(void* destination, std::uint32_t value, std::int32_t count)
{
    fillRow32(destination, value, count);
}
inline void fillSamples64(void* destination, std::uint64_t value, std::int32_t count)
{
    fillRow64(destination, value, count);
}

// Which form a routine takes for a count under the current processor states.
enum class RowRoutineForm
{
    Plain,
    Wide
};
// Block moves from 76 bytes up, when SSE or MMX is usable.
RowRoutineForm copyBytesForm(std::int32_t bytes);
// Block moves above 15 bytes, when MMX is usable.
RowRoutineForm row8Form(std::int32_t bytes);
// Paired pixels, when MMX is usable.
RowRoutineForm row32Form(std::int32_t pixels);

// Both forms of each routine, for tests and benchmarks.
namespace RowRoutineForms
{
void copyBytesPlain(void* destination, const void* source, std::int32_t bytes);
void copyBytesWide(void* destination, const void* source, std::int32_t bytes);
void fillRow8Plain(void* destination, std::uint8_t value, std::int32_t count);
void fillRow8Wide(void* destination, std::uint8_t value, std::int32_t count);
void copyRow32Plain(void* destination, const void* source, std::int32_t pixels);
void copyRow32Wide(void* destination, const void* source, std::int32_t pixels);
void fillRow32Plain(void* destination, std::uint32_t value, std::int32_t pixels);
void fillRow32Wide(void* destination, std::uint32_t value, std::int32_t pixels);
// The 16-, 32- and 64-bit fills lay a pattern repeating every 8 bytes; the
// wide form stores 32 bytes at a time where the processor can (else it is
// the plain form), and runs from 64 bytes on while SSE2 is usable.
void fillPatternPlain(void* destination, std::uint64_t pattern, std::int64_t bytes);
void fillPatternWide(void* destination, std::uint64_t pattern, std::int64_t bytes);
} // namespace RowRoutineForms

} // namespace Omvi
