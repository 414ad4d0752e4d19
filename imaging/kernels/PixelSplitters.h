#pragma once
// The splitters of 8-, 16-, 32- and 64-bit pixels (interface and direction
// rules in RowSplitter.h), one template per family, and the names by bit
// depth.
#include "imaging/kernels/PixelAccess.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/kernels/RowSplitter.h"

#include <cstddef>

namespace Omvi
{

// Along a tile line: direction 0 copies, 1 mirrors.
template <class Pixel, class Transparency = PixelAccess::Opaque>
class BasicRowSplitter : public RowSplitter
{
public:
    explicit BasicRowSplitter(std::int32_t direction = 0, Transparency rule = Transparency())
        : mirrored_(direction == 1), rule_(rule)
    {
    }
    void setSource(const std::uint8_t* row, std::int32_t rowLength) override
    {
        row_ = row;
        length_ = rowLength;
    }
    void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
               std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        std::uint8_t* to = tileLine + linePosition * size;
        if (!mirrored_)
        {
            const std::uint8_t* from = row_ + sourceOffset * size;
            if (!Transparency::kSkips)
            {
                copyBytes(to, from, static_cast<std::int32_t>(count * size));
                return;
            }
            for (std::ptrdiff_t k = 0; k < count; ++k)
                if (!rule_.transparent(from + k * size))
                    PixelAccess::move<Pixel>(to + k * size, from + k * size);
            return;
        }
        const std::uint8_t* from = row_ + (length_ - 1 - sourceOffset) * size;
        for (std::ptrdiff_t k = 0; k < count; ++k)
            if (!rule_.transparent(from - k * size))
                PixelAccess::move<Pixel>(to + k * size, from - k * size);
    }

private:
    bool mirrored_;
    Transparency rule_;
    const std::uint8_t* row_ = nullptr;
    std::ptrdiff_t length_ = 0;
};

// Down a tile column: direction 2 as 0, 3 mirrored as 1; a second source row
// goes to the neighbouring column in the same pass.
template <class Pixel, class Transparency = PixelAccess::Opaque>
class BasicColumnSplitter : public ColumnSplitter
{
public:
    explicit BasicColumnSplitter(std::int32_t direction = 2, Transparency rule = Transparency())
        : mirrored_(direction == 3), rule_(rule)
    {
    }
    void setSource(const std::uint8_t* row, std::int32_t rowLength) override
    {
        row_ = row;
        length_ = rowLength;
    }
    void setColumn(std::int32_t bytesPerLine, std::int32_t column) override
    {
        stride_ = bytesPerLine;
        column_ = column;
    }
    void setSecondSource(const std::uint8_t* row, std::int32_t side) override
    {
        second_ = row;
        neighbour_ = side >= 1 ? 1 : -1;
    }
    void split(std::uint8_t* tileData, std::int32_t firstLine, std::int32_t sourceOffset,
               std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        std::uint8_t* to = tileData + firstLine * stride_ + column_ * size;
        const std::ptrdiff_t first = (mirrored_ ? length_ - 1 - sourceOffset : sourceOffset) * size;
        const std::ptrdiff_t step = mirrored_ ? -size : size;
        const std::uint8_t* from = row_ + first;
        if (second_ == nullptr)
        {
            for (std::ptrdiff_t k = 0; k < count; ++k)
                if (!rule_.transparent(from + k * step))
                    PixelAccess::move<Pixel>(to + k * stride_, from + k * step);
            return;
        }
        const std::uint8_t* fromSecond = second_ + first;
        const std::ptrdiff_t neighbour = neighbour_ * size;
        for (std::ptrdiff_t k = 0; k < count; ++k)
        {
            std::uint8_t* line = to + k * stride_;
            if (!rule_.transparent(from + k * step))
                PixelAccess::move<Pixel>(line, from + k * step);
            if (!rule_.transparent(fromSecond + k * step))
                PixelAccess::move<Pixel>(line + neighbour, fromSecond + k * step);
        }
    }

private:
    bool mirrored_;
    Transparency rule_;
    const std::uint8_t* row_ = nullptr;
    const std::uint8_t* second_ = nullptr;
    std::ptrdiff_t length_ = 0;
    std::ptrdiff_t stride_ = 0;
    std::ptrdiff_t column_ = 0;
    std::ptrdiff_t neighbour_ = 1;
};

template <class Pixel>
using KeyedRowSplitter = BasicRowSplitter<Pixel, PixelAccess::KeyTransparency<Pixel>>;
template <class Pixel>
using KeyedColumnSplitter = BasicColumnSplitter<Pixel, PixelAccess::KeyTransparency<Pixel>>;

// The names by bit depth. The RGBA forms skip pixels whose alpha is 0.
using EightBitRowSplitter = BasicRowSplitter<std::uint8_t>;
using SixteenBitRowSplitter = BasicRowSplitter<std::uint16_t>;
using ThirtyTwoBitRowSplitter = BasicRowSplitter<std::uint32_t>;
using SixtyFourBitRowSplitter = BasicRowSplitter<std::uint64_t>;

using EightBitColumnRowSplitter = BasicColumnSplitter<std::uint8_t>;
using SixteenBitColumnRowSplitter = BasicColumnSplitter<std::uint16_t>;
using ThirtyTwoBitColumnRowSplitter = BasicColumnSplitter<std::uint32_t>;
using SixtyFourBitColumnRowSplitter = BasicColumnSplitter<std::uint64_t>;

using EightBitTransparentRowSplitter = KeyedRowSplitter<std::uint8_t>;
using SixteenBitTransparentRowSplitter = KeyedRowSplitter<std::uint16_t>;
using ThirtyTwoBitTransparentRowSplitter = KeyedRowSplitter<std::uint32_t>;
using SixtyFourBitTransparentRowSplitter = KeyedRowSplitter<std::uint64_t>;
using RgbaTransparentRowSplitter = BasicRowSplitter<std::uint32_t, PixelAccess::AlphaTransparency>;

using EightBitTransparentColumnRowSplitter = KeyedColumnSplitter<std::uint8_t>;
using SixteenBitTransparentColumnRowSplitter = KeyedColumnSplitter<std::uint16_t>;
using ThirtyTwoBitTransparentColumnRowSplitter = KeyedColumnSplitter<std::uint32_t>;
using SixtyFourBitTransparentColumnRowSplitter = KeyedColumnSplitter<std::uint64_t>;
using RgbaTransparentColumnRowSplitter = BasicColumnSplitter<std::uint32_t, PixelAccess::AlphaTransparency>;

} // namespace Omvi
