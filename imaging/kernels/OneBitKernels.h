#pragma once
// Stitchers, splitters and copiers of 1-bit rows, behind the same interfaces
// and direction rules as the other depths (RowStitcher.h, RowSplitter.h,
// PixelCopier.h). They work on runs of equal bits (BitRuns.h). Transparent
// forms have no key: 0 bits (paper) are transparent and only 1 bits (ink) are
// written.
#include "imaging/kernels/PixelCopier.h"
#include "imaging/kernels/RowSplitter.h"
#include "imaging/kernels/RowStitcher.h"

#include <cstdint>

namespace Omvi
{

class OneBitLeftRightRowStitcher : public RowStitcher
{
public:
    void setSource(std::int32_t bytesPerLine, std::int32_t line) override;
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override;
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override;

protected:
    std::int64_t lineOffset_ = 0;
    std::uint8_t* row_ = nullptr;
    std::int64_t position_ = 0;
};

// Runs are scanned forwards in the source and painted backwards.
class OneBitRightLeftRowStitcher : public OneBitLeftRightRowStitcher
{
public:
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override;
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override;
};

// Direction 0 forwards, 1 backwards; only 1 bits are painted.
class OneBitTransparentRowRowStitcher : public OneBitLeftRightRowStitcher
{
public:
    explicit OneBitTransparentRowRowStitcher(std::int32_t direction);
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override;
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override;

private:
    bool backwards_;
};

// Down one bit column: direction 2 fills forwards, 3 backwards.
class OneBitColumnRowStitcher : public ColumnStitcher
{
public:
    explicit OneBitColumnRowStitcher(std::int32_t direction, bool onlyOnes = false);
    void setSource(std::int32_t bytesPerLine, std::int32_t column) override;
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override;
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override;
    void setStripDestination(std::uint8_t* strip, std::int32_t side) override;

private:
    bool backwards_;
    bool onlyOnes_;
    std::int64_t stride_ = 0;
    std::int64_t column_ = 0;
    std::uint8_t* row_ = nullptr;
    std::int64_t position_ = 0;
    std::uint8_t* strip_ = nullptr;
    std::int64_t neighbour_ = 1;
};

// The transparent column stitcher keeps no strip.
class OneBitTransparentColumnRowStitcher : public RowStitcher
{
public:
    explicit OneBitTransparentColumnRowStitcher(std::int32_t direction);
    void setSource(std::int32_t bytesPerLine, std::int32_t column) override;
    void setDestination(std::uint8_t* row, std::int32_t start, std::int32_t count) override;
    void stitch(const std::uint8_t* tileData, std::int32_t start, std::int32_t count) override;

private:
    OneBitColumnRowStitcher column_;
};

// Direction 0 copies, 1 mirrors (painting the runs backwards); the
// transparent form writes only 1 bits.
class OneBitRowSplitter : public RowSplitter
{
public:
    explicit OneBitRowSplitter(std::int32_t direction, bool onlyOnes = false);
    void setSource(const std::uint8_t* row, std::int32_t rowLength) override;
    void split(std::uint8_t* tileLine, std::int32_t linePosition, std::int32_t sourceOffset,
               std::int32_t count) override;

private:
    bool mirrored_;
    bool onlyOnes_;
    const std::uint8_t* row_ = nullptr;
    std::int64_t length_ = 0;
};

class OneBitTransparentRowSplitter : public OneBitRowSplitter
{
public:
    explicit OneBitTransparentRowSplitter(std::int32_t direction) : OneBitRowSplitter(direction, true) {}
};

// Down one bit column of the tile: direction 2 as 0, 3 mirrored.
class OneBitColumnRowSplitter : public ColumnSplitter
{
public:
    explicit OneBitColumnRowSplitter(std::int32_t direction, bool onlyOnes = false);
    void setSource(const std::uint8_t* row, std::int32_t rowLength) override;
    void setColumn(std::int32_t bytesPerLine, std::int32_t column) override;
    void setSecondSource(const std::uint8_t* row, std::int32_t side) override;
    void split(std::uint8_t* tileData, std::int32_t firstLine, std::int32_t sourceOffset,
               std::int32_t count) override;

private:
    void writeColumn(std::uint8_t* tileData, std::int64_t column, const std::uint8_t* row, std::int32_t firstLine,
                     std::int32_t sourceOffset, std::int32_t count) const;

    bool mirrored_;
    bool onlyOnes_;
    const std::uint8_t* row_ = nullptr;
    const std::uint8_t* second_ = nullptr;
    std::int64_t length_ = 0;
    std::int64_t stride_ = 0;
    std::int64_t column_ = 0;
    std::int64_t neighbour_ = 1;
};

class OneBitTransparentColumnRowSplitter : public OneBitColumnRowSplitter
{
public:
    explicit OneBitTransparentColumnRowSplitter(std::int32_t direction) : OneBitColumnRowSplitter(direction, true)
    {
    }
};

class OneBitPixelCopier : public PixelCopier
{
public:
    void copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
              std::int32_t sourceOffset, std::int32_t count) override;
    // Sets the bits when the value's low byte is not 0, clears them when it is.
    void fill(std::uint8_t* destination, std::int32_t offset, ImagePixel value, std::int32_t count) override;
};

// Copies only the 1 bits (ORs them in, a byte at a time); the fill is a plain
// fill.
class OneBitTransparentPixelCopier : public OneBitPixelCopier
{
public:
    void copy(std::uint8_t* destination, std::int32_t destinationOffset, const std::uint8_t* source,
              std::int32_t sourceOffset, std::int32_t count) override;
};

class OneBitColumnPixelCopier : public PixelColumnCopier
{
public:
    explicit OneBitColumnPixelCopier(std::int32_t direction = 2);
    void setGeometry(std::int32_t stride, std::int32_t column) override;
    void copyColumn(std::uint8_t* destination, std::int32_t firstLine, const std::uint8_t* source,
                    std::int32_t sourceOffset, std::int32_t count) override;

private:
    bool forwards_;
    std::int64_t stride_ = 0;
    std::int64_t column_ = 0;
};

} // namespace Omvi
