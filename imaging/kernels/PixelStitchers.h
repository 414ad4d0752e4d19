#pragma once
// The stitchers of 8-, 16-, 32- and 64-bit pixels (interface in
// RowStitcher.h), one template per family over the pixel type and the
// transparency rule, and the names by bit depth.
#include "imaging/kernels/PixelAccess.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/kernels/RowStitcher.h"

#include <cstddef>

namespace Omvi
{

// Along a line, left to right: whole runs at once.
template <class Pixel>
class LeftRightRowStitcher : public RowStitcher
{
public:
    void setSource(std::int32_t bytesPerLine, std::int32_t line) override
    {
        lineOffset_ = static_cast<std::ptrdiff_t>(bytesPerLine) * line;
    }
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t) override
    {
        row_ = row;
        position_ = start;
    }
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        copyBytes(row_ + position_ * size, tileData + lineOffset_ + start * size,
                  static_cast<std::int32_t>(count * size));
        position_ += count;
    }

private:
    std::ptrdiff_t lineOffset_ = 0;
    std::uint8_t* row_ = nullptr;
    std::ptrdiff_t position_ = 0;
};

// Along a line, right to left: pixel by pixel, the destination moving down.
// Transparent forms take the direction (0 forwards, 1 backwards) and leave
// transparent pixels out.
template <class Pixel, class Transparency = PixelAccess::Opaque>
class DirectedRowStitcher : public RowStitcher
{
public:
    explicit DirectedRowStitcher(std::int32_t direction = 1, Transparency rule = Transparency())
        : backwards_(direction == 1), rule_(rule)
    {
    }
    void setSource(std::int32_t bytesPerLine, std::int32_t line) override
    {
        lineOffset_ = static_cast<std::ptrdiff_t>(bytesPerLine) * line;
    }
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override
    {
        row_ = row;
        position_ = backwards_ ? std::ptrdiff_t{start} + count - 1 : start;
    }
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        const std::uint8_t* from = tileData + lineOffset_ + start * size;
        const std::ptrdiff_t step = backwards_ ? -size : size;
        std::uint8_t* to = row_ + position_ * size;
        for (std::ptrdiff_t k = 0; k < count; ++k)
            if (!rule_.transparent(from + k * size))
                PixelAccess::move<Pixel>(to + k * step, from + k * size);
        position_ += backwards_ ? -std::ptrdiff_t{count} : count;
    }

private:
    bool backwards_;
    Transparency rule_;
    std::ptrdiff_t lineOffset_ = 0;
    std::uint8_t* row_ = nullptr;
    std::ptrdiff_t position_ = 0;
};

template <class Pixel>
using RightLeftRowStitcher = DirectedRowStitcher<Pixel, PixelAccess::Opaque>;

// Down a column of the tile data: direction 2 fills the destination forwards,
// 3 backwards from its far end. The opaque forms also fill a strip with the
// neighbouring column.
template <class Pixel, class Transparency, class Base>
class BasicColumnStitcher : public Base
{
public:
    explicit BasicColumnStitcher(std::int32_t direction = 2, Transparency rule = Transparency())
        : backwards_(direction == 3), rule_(rule)
    {
    }
    void setSource(std::int32_t bytesPerLine, std::int32_t column) override
    {
        stride_ = bytesPerLine;
        column_ = column;
    }
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override
    {
        row_ = row;
        position_ = backwards_ ? std::ptrdiff_t{start} + count - 1 : start;
    }
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override
    {
        if (count < 1)
            return;
        constexpr std::ptrdiff_t size = sizeof(Pixel);
        const std::uint8_t* from = tileData + start * stride_ + column_ * size;
        const std::ptrdiff_t step = backwards_ ? -size : size;
        std::uint8_t* to = row_ + position_ * size;
        if (strip_ != nullptr)
        {
            std::uint8_t* toStrip = strip_ + position_ * size;
            const std::ptrdiff_t neighbour = neighbour_ * size;
            for (std::ptrdiff_t k = 0; k < count; ++k)
            {
                PixelAccess::move<Pixel>(to + k * step, from + k * stride_);
                PixelAccess::move<Pixel>(toStrip + k * step, from + k * stride_ + neighbour);
            }
        }
        else
        {
            for (std::ptrdiff_t k = 0; k < count; ++k)
                if (!rule_.transparent(from + k * stride_))
                    PixelAccess::move<Pixel>(to + k * step, from + k * stride_);
        }
        position_ += backwards_ ? -std::ptrdiff_t{count} : count;
    }

protected:
    std::uint8_t* strip_ = nullptr;
    std::ptrdiff_t neighbour_ = 1;

private:
    bool backwards_;
    Transparency rule_;
    std::ptrdiff_t stride_ = 0;
    std::ptrdiff_t column_ = 0;
    std::uint8_t* row_ = nullptr;
    std::ptrdiff_t position_ = 0;
};

template <class Pixel>
class ColumnRowStitcher : public BasicColumnStitcher<Pixel, PixelAccess::Opaque, ColumnStitcher>
{
public:
    using BasicColumnStitcher<Pixel, PixelAccess::Opaque, ColumnStitcher>::BasicColumnStitcher;
    void setStripDestination(std::uint8_t* strip, std::int32_t side) override
    {
        this->strip_ = strip;
        this->neighbour_ = side >= 1 ? 1 : -1;
    }
};

template <class Pixel, class Transparency>
using TransparentColumnRowStitcher = BasicColumnStitcher<Pixel, Transparency, RowStitcher>;

template <class Pixel>
using TransparentRowRowStitcher = DirectedRowStitcher<Pixel, PixelAccess::KeyTransparency<Pixel>>;

// The names by bit depth.
using EightBitLeftRightRowStitcher = LeftRightRowStitcher<std::uint8_t>;
using SixteenBitLeftRightRowStitcher = LeftRightRowStitcher<std::uint16_t>;
using ThirtyTwoBitLeftRightRowStitcher = LeftRightRowStitcher<std::uint32_t>;
using SixtyFourBitLeftRightRowStitcher = LeftRightRowStitcher<std::uint64_t>;

using EightBitRightLeftRowStitcher = RightLeftRowStitcher<std::uint8_t>;
using SixteenBitRightLeftRowStitcher = RightLeftRowStitcher<std::uint16_t>;
using ThirtyTwoBitRightLeftRowStitcher = RightLeftRowStitcher<std::uint32_t>;
using SixtyFourBitRightLeftRowStitcher = RightLeftRowStitcher<std::uint64_t>;

using EightBitTransparentRowRowStitcher = TransparentRowRowStitcher<std::uint8_t>;
using SixteenBitTransparentRowRowStitcher = TransparentRowRowStitcher<std::uint16_t>;
using ThirtyTwoBitTransparentRowRowStitcher = TransparentRowRowStitcher<std::uint32_t>;
using SixtyFourBitTransparentRowRowStitcher = TransparentRowRowStitcher<std::uint64_t>;
using RgbaTransparentRowRowStitcher = DirectedRowStitcher<std::uint32_t, PixelAccess::AlphaTransparency>;

using EightBitColumnRowStitcher = ColumnRowStitcher<std::uint8_t>;
using SixteenBitColumnRowStitcher = ColumnRowStitcher<std::uint16_t>;
using ThirtyTwoBitColumnRowStitcher = ColumnRowStitcher<std::uint32_t>;
using SixtyFourBitColumnRowStitcher = ColumnRowStitcher<std::uint64_t>;

using EightBitTransparentColumnRowStitcher =
    TransparentColumnRowStitcher<std::uint8_t, PixelAccess::KeyTransparency<std::uint8_t>>;
using SixteenBitTransparentColumnRowStitcher =
    TransparentColumnRowStitcher<std::uint16_t, PixelAccess::KeyTransparency<std::uint16_t>>;
using ThirtyTwoBitTransparentColumnRowStitcher =
    TransparentColumnRowStitcher<std::uint32_t, PixelAccess::KeyTransparency<std::uint32_t>>;
using SixtyFourBitTransparentColumnRowStitcher =
    TransparentColumnRowStitcher<std::uint64_t, PixelAccess::KeyTransparency<std::uint64_t>>;
using RgbaTransparentColumnRowStitcher =
    TransparentColumnRowStitcher<std::uint32_t, PixelAccess::AlphaTransparency>;

} // namespace Omvi
