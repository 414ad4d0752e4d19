#pragma once
// The row shearers (interface in RowShearer.h). The plain forms walk pixel by
// pixel; the wide forms ("MMX", "SSE2") work on eight or sixteen bytes at a
// time and give exactly the plain forms' bytes on every input. createRowShearer
// (KernelFactories.h) picks one by width and processor.
#include "imaging/kernels/RowShearer.h"

#include <array>
#include <cstdint>

namespace Omvi
{

class EightBitRowShearer : public RowShearer
{
public:
    static constexpr std::int32_t kInlineScratchBytes = 1024;

    // `width` pixels (bytes); a negative width counts as 0.
    explicit EightBitRowShearer(std::int32_t width);

    void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) override;
    void shearColumns(std::uint8_t* output, const std::uint8_t* const* inputLines, const std::int32_t* lineIndex,
                      const std::uint8_t* tables, std::uint8_t* carries) override;
    // Requests of up to 1024 bytes are served from an area inside the object
    // while it is not handed out; others from the heap.
    void* allocateScratch(std::int32_t bytes) override;
    void freeScratch(void* scratch) override;

    std::int32_t width() const { return width_; }
    bool ownsScratch(const void* scratch) const { return scratch == inlineScratch_.data(); }

protected:
    std::int32_t width_;

private:
    alignas(16) std::array<std::uint8_t, kInlineScratchBytes> inlineScratch_{};
    bool inlineInUse_ = false;
};

// Eight pixels at a time from the row's end, the rest (fewer than eight, at
// its start) one by one.
class EightBitRowMMXShearer : public EightBitRowShearer
{
public:
    using EightBitRowShearer::EightBitRowShearer;
    void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) override;
};

// Sixteen pixels at a time (with SSE2 where the compiler offers it); scratch
// memory is 16-byte aligned heap memory.
class EightBitRowSSE2Shearer : public EightBitRowShearer
{
public:
    using EightBitRowShearer::EightBitRowShearer;
    void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) override;
    void* allocateScratch(std::int32_t bytes) override;
    void freeScratch(void* scratch) override;
};

class ThirtyTwoBitRowShearer : public RowShearer
{
public:
    // `width` bytes: width / 4 pixels (a partial pixel is left alone).
    explicit ThirtyTwoBitRowShearer(std::int32_t width);

    void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) override;
    void shearColumns(std::uint8_t* output, const std::uint8_t* const* inputLines, const std::int32_t* lineIndex,
                      const std::uint8_t* tables, std::uint8_t* carries) override;
    void* allocateScratch(std::int32_t bytes) override;
    void freeScratch(void* scratch) override;

    std::int32_t width() const { return width_; }
    std::int32_t pixels() const { return width_ / 4; }

protected:
    std::int32_t width_;
};

// Two pixels at a time.
class ThirtyTwoBitRowMMXShearer : public ThirtyTwoBitRowShearer
{
public:
    using ThirtyTwoBitRowShearer::ThirtyTwoBitRowShearer;
    void shearRow(std::uint8_t* output, const std::uint8_t* input, const std::uint8_t* table) override;
};

} // namespace Omvi
