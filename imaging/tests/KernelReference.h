#pragma once
// Naive per-pixel references for the kernel tests: pixels read and written one
// at a time by bit depth, the transparency rule of each depth, random rows
// rich in transparent pixels, and a scope that pins the processor states.
#include "imaging/kernels/CpuFeatures.h"
#include "imaging/models/ImagePixel.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace KernelReference
{

using Bytes = std::vector<std::uint8_t>;

// Bits per pixel of data types 0-4.
inline int bitsOf(int dataType)
{
    static const int bits[] = {1, 8, 16, 32, 64};
    return bits[dataType];
}

inline std::uint64_t pixelAt(const std::uint8_t* row, int dataType, std::int64_t index)
{
    switch (dataType)
    {
    case 0:
        return (row[index / 8] >> (7 - index % 8)) & 1;
    case 1:
        return row[index];
    case 2:
    {
        std::uint16_t v;
        std::memcpy(&v, row + 2 * index, 2);
        return v;
    }
    case 3:
    {
        std::uint32_t v;
        std::memcpy(&v, row + 4 * index, 4);
        return v;
    }
    default:
    {
        std::uint64_t v;
        std::memcpy(&v, row + 8 * index, 8);
        return v;
    }
    }
}

inline void setPixelAt(std::uint8_t* row, int dataType, std::int64_t index, std::uint64_t value)
{
    switch (dataType)
    {
    case 0:
    {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (index % 8));
        row[index / 8] = static_cast<std::uint8_t>(value & 1 ? row[index / 8] | mask : row[index / 8] & ~mask);
        break;
    }
    case 1:
        row[index] = static_cast<std::uint8_t>(value);
        break;
    case 2:
    {
        const auto v = static_cast<std::uint16_t>(value);
        std::memcpy(row + 2 * index, &v, 2);
        break;
    }
    case 3:
    {
        const auto v = static_cast<std::uint32_t>(value);
        std::memcpy(row + 4 * index, &v, 4);
        break;
    }
    default:
        std::memcpy(row + 8 * index, &value, 8);
        break;
    }
}

// Whether a transparent kernel of `dataType` made with `key` leaves the
// pixel at `index` of `row` out. 1 bit: 0 bits. 8 bits: keys of kind 1, 6, 7
// by their low byte. 16 and 64 bits: keys of kind 2 and 4. 32 bits: a kind-3
// key by value, any other key by an alpha byte (the fourth) of 0.
inline bool isTransparent(const std::uint8_t* row, int dataType, std::int64_t index, const Omvi::ImagePixel& key)
{
    const std::uint64_t value = pixelAt(row, dataType, index);
    switch (dataType)
    {
    case 0:
        return value == 0;
    case 1:
        return (key.kind == 1 || key.kind == 6 || key.kind == 7) && value == (key.value & 0xFF);
    case 2:
        return key.kind == 2 && value == (key.value & 0xFFFF);
    case 3:
        if (key.kind == 3)
            return value == (key.value & 0xFFFFFFFFu);
        return row[4 * index + 3] == 0;
    default:
        return key.kind == 4 && value == key.value;
    }
}

// Bytes that hold `pixels` pixels of the type.
inline std::size_t bytesFor(int dataType, std::int64_t pixels)
{
    return static_cast<std::size_t>((pixels * bitsOf(dataType) + 7) / 8);
}

// Random bytes, then every pixel made the key's value (or given alpha 0) with
// probability 1/3 so that transparent kernels have work to skip.
inline Bytes randomPixels(std::mt19937& random, int dataType, std::int64_t pixels, const Omvi::ImagePixel& key)
{
    Bytes bytes(bytesFor(dataType, pixels) + 8);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    if (dataType == 0)
        return bytes;
    for (std::int64_t i = 0; i < pixels; ++i)
    {
        if (random() % 3 != 0)
            continue;
        if (dataType == 3 && key.kind != 3)
            bytes[static_cast<std::size_t>(4 * i + 3)] = 0;
        else
            setPixelAt(bytes.data(), dataType, i, key.value);
    }
    return bytes;
}

// Pins the three processor states for the scope.
struct ScopedCpuStates
{
    explicit ScopedCpuStates(Omvi::CpuFeatureStates states) : saved(Omvi::overrideCpuFeatureStates(states)) {}
    ~ScopedCpuStates() { Omvi::overrideCpuFeatureStates(saved); }
    Omvi::CpuFeatureStates saved;
};

inline Omvi::CpuFeatureStates allStates(std::int32_t state)
{
    Omvi::CpuFeatureStates states;
    states.mmx = states.sse = states.sse2 = state;
    return states;
}

} // namespace KernelReference
