#pragma once
// Row pixel mappers: they turn a source row into a destination row of
// another width by picking, for every destination column, one source column
// (nearest neighbour). The column map is worked out once by setup; mapRow
// then costs one table lookup per destination pixel, or run fills for
// enlargements. One class per data type; create picks it.
//
// Column map. ratio = srcWidth / dstWidth. When the destination is at least
// about twice as wide (`replicate`: srcWidth <= dstWidth / 2) the table
// holds, per source column, how many destination columns repeat it (runs that
// add up to dstWidth); otherwise it holds, per destination column, the source
// column trunc(i * ratio + 0.5) (column 0 for i = 0). `fill` marks runs long
// enough (srcWidth <= dstWidth / 8) to be worth the platform's fill routines.
#include "imaging/kernels/PixelCopier.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace Omvi
{

struct ColumnMap
{
    std::int32_t srcWidth = 0;
    std::int32_t dstWidth = 0;
    bool replicate = false;
    bool fill = false;
    // dstWidth source columns, or (with replicate) srcWidth run lengths.
    std::vector<std::int32_t> table;
    double ratio = 0.0;

    // Builds the map for widths of at least 1 (code 5 of
    // ImageFilterException otherwise; SystemException kOutOfMemory when the
    // table cannot be had).
    void build(std::int32_t source, std::int32_t destination);
    // Rebuilds the table as run lengths (sets replicate); the destination
    // must be at least as wide as the source.
    void forceRuns();
};

class RowPixel
{
public:
    RowPixel() = default;
    RowPixel(const RowPixel&) = delete;
    RowPixel& operator=(const RowPixel&) = delete;

    // 0
    virtual ~RowPixel();
    // 1: builds the column map.
    virtual void setup(std::int32_t srcWidth, std::int32_t dstWidth);
    // 2: the rows the next mapRow reads and writes; the destination must
    // hold dstWidth pixels, the source srcWidth.
    virtual void setRows(const std::uint8_t* source, std::uint8_t* destination);
    // 3: one pixel from source column to destination column.
    virtual void copyPixel(std::int32_t srcColumn, std::int32_t dstColumn) = 0;
    // 4: the whole destination row from the source row.
    virtual void mapRow() = 0;

    const ColumnMap& columnMap() const { return map_; }

    // The mapper for data type 0-4 (1, 8, 16, 32, 64 bits); null for any
    // other type.
    static std::unique_ptr<RowPixel> create(std::int32_t dataType);

protected:
    ColumnMap map_;
    const std::uint8_t* source_ = nullptr;
    std::uint8_t* destination_ = nullptr;
};

// 8-, 16-, 32- and 64-bit samples.
template <class Sample>
class RowPixelSamples : public RowPixel
{
public:
    void copyPixel(std::int32_t srcColumn, std::int32_t dstColumn) override;
    void mapRow() override;
};

using RowPixelEight = RowPixelSamples<std::uint8_t>;
using RowPixelSixteen = RowPixelSamples<std::uint16_t>;
using RowPixelThirtyTwo = RowPixelSamples<std::uint32_t>;
using RowPixelSixtyFour = RowPixelSamples<std::uint64_t>;

// 1-bit rows, most significant bit first. Bits are only ever set: setRows
// clears the destination, and a later mapRow into the same destination ORs
// another source row in (the merge of the scale filter). Every enlargement
// (srcWidth <= dstWidth) goes by runs, filled by a 1-bit pixel copier.
class RowPixelOne : public RowPixel
{
public:
    RowPixelOne();
    ~RowPixelOne() override;

    void setup(std::int32_t srcWidth, std::int32_t dstWidth) override;
    // Also clears the destination's (dstWidth + 7) / 8 bytes.
    void setRows(const std::uint8_t* source, std::uint8_t* destination) override;
    // Sets the destination bit when the source bit is set.
    void copyPixel(std::int32_t srcColumn, std::int32_t dstColumn) override;
    void mapRow() override;

    bool runMode() const { return runMode_; }

private:
    void mapByTable();
    void mapByRuns();

    bool runMode_ = false;
    std::unique_ptr<PixelCopier> copier_;
    // Sums of the run lengths of each group of eight source columns, for
    // passing over a source byte of 0 at once.
    std::vector<std::int64_t> byteRuns_;
};

} // namespace Omvi
