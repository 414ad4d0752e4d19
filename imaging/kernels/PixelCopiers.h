#pragma once
// The copiers and column copiers of 8-, 16-, 32- and 64-bit pixels
// (interfaces in PixelCopier.h) and the names by bit depth. Opaque copies and
// every fill go through the row routines.
#include "imaging/kernels/PixelAccess.h"
#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowRoutines.h"

#include <cstddef>

namespace Omvi
{

namespace PixelCopierDetail
{
template <class Pixel>
inline void copyRun(std::uint8_t* to, const std::uint8_t* from, std::int32_t count)
{
    if (sizeof(Pixel) == 1)
        copyRow8(to, from, count);
    else if (sizeof(Pixel) == 2)
        copyRow16(to, from, count);
    else if (sizeof(Pixel) == 4)
        copyRow32(to, from, count);
    else
        copyBytes(to, from, static_cast<std::int32_t>(std::ptrdiff_t{count} * 8));
}

template <class Pixel>
inline void fillRun(std::uint8_t* to, Pixel value, std::int32_t count)
{
    if (sizeof(Pixel) == 1)
        fillRow8(to, static_cast<std::uint8_t>(value), count);
    else if (sizeof(Pixel) == 2)
        fillRow16(to, static_cast<std::uint16_t>(value), count);
    else if (sizeof(Pixel) == 4)
        fillRow32(to, static_cast<std::uint32_t>(value), count);
    else
        fillRow64(to, static_cast<std::uint64_t>(value), count);
}
} // namespace PixelCopierDetail

// Transparent forms leave the destination alone where the source pixel is
// transparent; their fill is a plain fill.
template <class Pixel, class Transparency = PixelAccess::Opaque>
class BasicPixelCopier : public PixelCopier
{
public:
    explicit BasicPixelCopier(Transparency rule = Transparency()) : rule_(rule) {}

    void copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
              std::int32_t sourceOffset, std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        std::uint8_t* to = destination + destinationOffset * size;
        const std::uint8_t* from = source + sourceOffset * size;
        if (!Transparency::kSkips)
        {
            PixelCopierDetail::copyRun<Pixel>(to, from, count);
            return;
        }
        for (std::ptrdiff_t k = 0; k < count; ++k)
            if (!rule_.transparent(from + k * size))
                PixelAccess::move<Pixel>(to + k * size, from + k * size);
    }
    void fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count) override
    {
        if (count < 1)
            return;
        PixelCopierDetail::fillRun<Pixel>(destination + offset * std::ptrdiff_t{sizeof(Pixel)},
                                          PixelAccess::storedValue<Pixel>(value), count);
    }

private:
    Transparency rule_;
};

template <class Pixel>
class BasicColumnPixelCopier : public PixelColumnCopier
{
public:
    explicit BasicColumnPixelCopier(std::int32_t direction = 2) : forwards_(direction == 2) {}

    void setGeometry(std::int32_t stride, std::int32_t column) override
    {
        stride_ = stride;
        column_ = column;
    }
    void copyColumn(std::uint8_t* destination, std::int32_t firstLine, const std::uint8_t* source,
                    std::int32_t sourceOffset, std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        std::uint8_t* to = destination + firstLine * stride_ + column_ * size;
        const std::uint8_t* from = source + (forwards_ ? sourceOffset : std::ptrdiff_t{sourceOffset} + count - 1) * size;
        const std::ptrdiff_t step = forwards_ ? size : -size;
        for (std::ptrdiff_t k = 0; k < count; ++k)
            PixelAccess::move<Pixel>(to + k * stride_, from + k * step);
    }

private:
    bool forwards_;
    std::ptrdiff_t stride_ = 0;
    std::ptrdiff_t column_ = 0;
};

// The names by bit depth. The RGBA form skips pixels whose alpha is 0.
using EightBitPixelCopier = BasicPixelCopier<std::uint8_t>;
using SixteenBitPixelCopier = BasicPixelCopier<std::uint16_t>;
using ThirtyTwoBitPixelCopier = BasicPixelCopier<std::uint32_t>;
using SixtyFourBitPixelCopier = BasicPixelCopier<std::uint64_t>;

using EightBitTransparentPixelCopier = BasicPixelCopier<std::uint8_t, PixelAccess::KeyTransparency<std::uint8_t>>;
using SixteenBitTransparentPixelCopier = BasicPixelCopier<std::uint16_t, PixelAccess::KeyTransparency<std::uint16_t>>;
using ThirtyTwoBitTransparentPixelCopier =
    BasicPixelCopier<std::uint32_t, PixelAccess::KeyTransparency<std::uint32_t>>;
using SixtyFourBitTransparentPixelCopier =
    BasicPixelCopier<std::uint64_t, PixelAccess::KeyTransparency<std::uint64_t>>;
using RgbaTransparentPixelCopier = BasicPixelCopier<std::uint32_t, PixelAccess::AlphaTransparency>;

using EightBitColumnPixelCopier = BasicColumnPixelCopier<std::uint8_t>;
using SixteenBitColumnPixelCopier = BasicColumnPixelCopier<std::uint16_t>;
using ThirtyTwoBitColumnPixelCopier = BasicColumnPixelCopier<std::uint32_t>;
using SixtyFourBitColumnPixelCopier = BasicColumnPixelCopier<std::uint64_t>;

} // namespace Omvi
