#include "imaging/kernels/OneBitKernels.h"

#include "imaging/kernels/BitRuns.h"

namespace Omvi
{

// Stitchers along a line.

void OneBitLeftRightRowStitcher::setSource(std::int32_t bytesPerLine, std::int32_t line)
{
    lineOffset_ = std::int64_t{bytesPerLine} * line;
}

void OneBitLeftRightRowStitcher::setDestination(std::uint8_t* row, std::int32_t start, std::int32_t)
{
    row_ = row;
    position_ = start;
}

void OneBitLeftRightRowStitcher::stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count)
{
    if (count < 1)
        return;
    copyBits(row_, position_, tileData + lineOffset_, start, count);
    position_ += count;
}

void OneBitRightLeftRowStitcher::setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count)
{
    row_ = row;
    position_ = std::int64_t{start} + count - 1;
}

void OneBitRightLeftRowStitcher::stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count)
{
    if (count < 1)
        return;
    copyBitsReversed(tileData + lineOffset_, start, row_, position_, count, false);
    position_ -= count;
}

OneBitTransparentRowRowStitcher::OneBitTransparentRowRowStitcher(std::int32_t direction)
    : backwards_(direction == 1)
{
}

void OneBitTransparentRowRowStitcher::setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count)
{
    row_ = row;
    position_ = backwards_ ? std::int64_t{start} + count - 1 : start;
}

void OneBitTransparentRowRowStitcher::stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count)
{
    if (count < 1)
        return;
    if (backwards_)
    {
        copyBitsReversed(tileData + lineOffset_, start, row_, position_, count, true);
        position_ -= count;
    }
    else
    {
        orBits(row_, position_, tileData + lineOffset_, start, count);
        position_ += count;
    }
}

// Stitchers down a column.

OneBitColumnRowStitcher::OneBitColumnRowStitcher(std::int32_t direction, bool onlyOnes)
    : backwards_(direction == 3), onlyOnes_(onlyOnes)
{
}

void OneBitColumnRowStitcher::setSource(std::int32_t bytesPerLine, std::int32_t column)
{
    stride_ = bytesPerLine;
    column_ = column;
}

void OneBitColumnRowStitcher::setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count)
{
    row_ = row;
    position_ = backwards_ ? std::int64_t{start} + count - 1 : start;
}

void OneBitColumnRowStitcher::setStripDestination(std::uint8_t* strip, std::int32_t side)
{
    strip_ = strip;
    neighbour_ = side >= 1 ? 1 : -1;
}

void OneBitColumnRowStitcher::stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count)
{
    if (count < 1)
        return;
    const std::int64_t step = backwards_ ? -1 : 1;
    const std::uint8_t* first = tileData + std::int64_t{start} * stride_;
    const std::int64_t columnByte = column_ >> 3;
    const int shift = 7 - static_cast<int>(column_ & 7);
    if (strip_ == nullptr && !onlyOnes_)
    {
        // Whole destination bytes are gathered eight source lines at a time
        // and stored at once; the bits before and after them one by one.
        std::int32_t k = 0;
        while (k < count)
        {
            const bool aligned = backwards_ ? (position_ & 7) == 7 : (position_ & 7) == 0;
            if (aligned && count - k >= 8)
            {
                unsigned byte = 0;
                for (int b = 0; b < 8; ++b)
                    byte |= ((first[(k + b) * stride_ + columnByte] >> shift) & 1u) << (backwards_ ? b : 7 - b);
                row_[position_ >> 3] = static_cast<std::uint8_t>(byte);
                position_ += 8 * step;
                k += 8;
                continue;
            }
            setBitAt(row_, position_, (first[k * stride_ + columnByte] >> shift) & 1);
            position_ += step;
            ++k;
        }
        return;
    }
    for (std::int64_t k = 0; k < count; ++k, position_ += step)
    {
        const std::uint8_t* line = first + k * stride_;
        const int colour = bitAt(line, column_);
        if (!onlyOnes_ || colour != 0)
            setBitAt(row_, position_, colour);
        if (strip_ != nullptr)
            setBitAt(strip_, position_, bitAt(line, column_ + neighbour_));
    }
}

OneBitTransparentColumnRowStitcher::OneBitTransparentColumnRowStitcher(std::int32_t direction)
    : column_(direction, true)
{
}

void OneBitTransparentColumnRowStitcher::setSource(std::int32_t bytesPerLine, std::int32_t column)
{
    column_.setSource(bytesPerLine, column);
}

void OneBitTransparentColumnRowStitcher::setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count)
{
    column_.setDestination(row, start, count);
}

void OneBitTransparentColumnRowStitcher::stitch(const std::uint8_t* tileData, std::int32_t start,
                                                std::int32_t count)
{
    column_.stitch(tileData, start, count);
}

// Splitters.

OneBitRowSplitter::OneBitRowSplitter(std::int32_t direction, bool onlyOnes)
    : mirrored_(direction == 1), onlyOnes_(onlyOnes)
{
}

void OneBitRowSplitter::setSource(const std::uint8_t* row, std::int32_t rowLength)
{
    row_ = row;
    length_ = rowLength;
}

void OneBitRowSplitter::split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
                              std::int32_t count)
{
    if (count < 1)
        return;
    if (mirrored_)
    {
        // The mirrored piece is the row's bits length - sourceOffset - count
        // up to length - 1 - sourceOffset, painted from the piece's far end.
        copyBitsReversed(row_, length_ - sourceOffset - count, tileLine, std::int64_t{linePosition} + count - 1,
                         count, onlyOnes_);
    }
    else if (onlyOnes_)
    {
        orBits(tileLine, linePosition, row_, sourceOffset, count);
    }
    else
    {
        copyBits(tileLine, linePosition, row_, sourceOffset, count);
    }
}

OneBitColumnRowSplitter::OneBitColumnRowSplitter(std::int32_t direction, bool onlyOnes)
    : mirrored_(direction == 3), onlyOnes_(onlyOnes)
{
}

void OneBitColumnRowSplitter::setSource(const std::uint8_t* row, std::int32_t rowLength)
{
    row_ = row;
    length_ = rowLength;
}

void OneBitColumnRowSplitter::setColumn(std::int32_t bytesPerLine, std::int32_t column)
{
    stride_ = bytesPerLine;
    column_ = column;
}

void OneBitColumnRowSplitter::setSecondSource(const std::uint8_t* row, std::int32_t side)
{
    second_ = row;
    neighbour_ = side >= 1 ? 1 : -1;
}

void OneBitColumnRowSplitter::writeColumn(std::uint8_t* tileData, std::int64_t column, const std::uint8_t* row,
                                          std::int32_t firstLine, std::int32_t sourceOffset,
                                          std::int32_t count) const
{
    std::uint8_t* first = tileData + std::int64_t{firstLine} * stride_;
    const std::int64_t from = mirrored_ ? length_ - 1 - sourceOffset : sourceOffset;
    const std::int64_t step = mirrored_ ? -1 : 1;
    for (std::int64_t k = 0; k < count; ++k)
    {
        const int colour = bitAt(row, from + k * step);
        if (!onlyOnes_ || colour != 0)
            setBitAt(first + k * stride_, column, colour);
    }
}

void OneBitColumnRowSplitter::split(std::uint8_t* tileData, std::int32_t firstLine, std::int32_t sourceOffset,
                                    std::int32_t count)
{
    if (count < 1)
        return;
    writeColumn(tileData, column_, row_, firstLine, sourceOffset, count);
    if (second_ != nullptr)
        writeColumn(tileData, column_ + neighbour_, second_, firstLine, sourceOffset, count);
}

// Copiers.

void OneBitPixelCopier::copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
                             std::int32_t sourceOffset, std::int32_t count)
{
    copyBits(destination, destinationOffset, source, sourceOffset, count);
}

void OneBitPixelCopier::fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count)
{
    fillBitRun(destination, value.lowByte() != 0 ? 1 : 0, offset, count);
}

void OneBitTransparentPixelCopier::copy(std::uint8_t* destination, std::int32_t destinationOffset,
                                        const std::uint8_t* source, std::int32_t sourceOffset, std::int32_t count)
{
    orBits(destination, destinationOffset, source, sourceOffset, count);
}

OneBitColumnPixelCopier::OneBitColumnPixelCopier(std::int32_t direction) : forwards_(direction == 2) {}

void OneBitColumnPixelCopier::setGeometry(std::int32_t stride, std::int32_t column)
{
    stride_ = stride;
    column_ = column;
}

void OneBitColumnPixelCopier::copyColumn(std::uint8_t* destination, std::int32_t firstLine,
                                         const std::uint8_t* source, std::int32_t sourceOffset, std::int32_t count)
{
    if (count < 1)
        return;
    std::uint8_t* first = destination + std::int64_t{firstLine} * stride_;
    const std::int64_t from = forwards_ ? sourceOffset : std::int64_t{sourceOffset} + count - 1;
    const std::int64_t step = forwards_ ? 1 : -1;
    for (std::int64_t k = 0; k < count; ++k)
        setBitAt(first + k * stride_, column_, bitAt(source, from + k * step));
}

} // namespace Omvi
