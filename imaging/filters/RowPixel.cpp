#include "imaging/filters/RowPixel.h"

#include "imaging/OMVIException.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/PixelAccess.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/models/DataModel.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

namespace Omvi
{

namespace
{
[[noreturn]] void outOfMemory()
{
    throw new SystemException("Out of memory", SystemException::kOutOfMemory);
}

void allocateTable(std::vector<std::int32_t>& table, std::int32_t count)
{
    try
    {
        table.assign(static_cast<std::size_t>(count), 0);
    }
    catch (const std::bad_alloc&)
    {
        outOfMemory();
    }
}

// The end of the destination run of source column i (exclusive): the
// rounded multiple of inv, kept within the destination so that the runs
// always add up to it exactly, whatever the rounding of the products.
std::int64_t runEnd(std::int64_t i, double inv, std::int32_t dstWidth)
{
    const double end = std::trunc(static_cast<double>(i + 1) * inv + 0.5);
    return std::min<std::int64_t>(static_cast<std::int64_t>(end), dstWidth);
}
} // namespace

void ColumnMap::build(std::int32_t source, std::int32_t destination)
{
    if (source < 1 || destination < 1)
        throw static_cast<OMVIException*>(
            new ImageFilterException("Invalid image size", ImageFilterException::kInvalidSize));
    srcWidth = source;
    dstWidth = destination;
    ratio = static_cast<double>(source) / static_cast<double>(destination);
    replicate = source <= destination / 2;
    fill = source <= destination / 8;
    if (replicate)
    {
        forceRuns();
        return;
    }
    allocateTable(table, destination);
    const std::int32_t last = source - 1;
    for (std::int32_t i = 1; i < destination; ++i)
    {
        // The left edge of each destination column, rounded half up. In
        // exact arithmetic it stays below srcWidth; the clamp keeps it there
        // when the product rounds up on very wide rows.
        const auto column = static_cast<std::int64_t>(std::trunc(static_cast<double>(i) * ratio + 0.5));
        table[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(std::min<std::int64_t>(column, last));
    }
}

void ColumnMap::forceRuns()
{
    replicate = true;
    allocateTable(table, srcWidth);
    const double inv = static_cast<double>(dstWidth) / static_cast<double>(srcWidth);
    std::int64_t start = 0;
    for (std::int32_t i = 0; i < srcWidth; ++i)
    {
        const std::int64_t end = i == srcWidth - 1 ? dstWidth : std::max(start, runEnd(i, inv, dstWidth));
        table[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(end - start);
        start = end;
    }
}

RowPixel::~RowPixel() = default;

void RowPixel::setup(std::int32_t srcWidth, std::int32_t dstWidth)
{
    map_.build(srcWidth, dstWidth);
}

void RowPixel::setRows(const std::uint8_t* source, std::uint8_t* destination)
{
    source_ = source;
    destination_ = destination;
}

std::unique_ptr<RowPixel> RowPixel::create(std::int32_t dataType)
{
    switch (dataType)
    {
    case kDataTypeOneBit:
        return std::make_unique<RowPixelOne>();
    case kDataTypeEightBit:
        return std::make_unique<RowPixelEight>();
    case kDataTypeSixteenBit:
        return std::make_unique<RowPixelSixteen>();
    case kDataTypeThirtyTwoBit:
        return std::make_unique<RowPixelThirtyTwo>();
    case kDataTypeSixtyFourBit:
        return std::make_unique<RowPixelSixtyFour>();
    default:
        return nullptr;
    }
}

// ---------------------------------------------------------------------------
// Multi-bit samples

namespace
{
template <class Sample>
void fillSamples(std::uint8_t* to, Sample value, std::int32_t count)
{
    if constexpr (sizeof(Sample) == 1)
        fillSamples8(to, value, count);
    else if constexpr (sizeof(Sample) == 2)
        fillSamples16(to, value, count);
    else if constexpr (sizeof(Sample) == 4)
        fillSamples32(to, value, count);
    else
        fillSamples64(to, value, count);
}
} // namespace

template <class Sample>
void RowPixelSamples<Sample>::copyPixel(std::int32_t srcColumn, std::int32_t dstColumn)
{
    PixelAccess::move<Sample>(destination_ + std::ptrdiff_t{dstColumn} * std::ptrdiff_t{sizeof(Sample)},
                              source_ + std::ptrdiff_t{srcColumn} * std::ptrdiff_t{sizeof(Sample)});
}

template <class Sample>
void RowPixelSamples<Sample>::mapRow()
{
    constexpr std::ptrdiff_t size = sizeof(Sample);
    const std::int32_t* table = map_.table.data();
    std::uint8_t* out = destination_;
    if (!map_.replicate)
    {
        for (std::int32_t i = 0; i < map_.dstWidth; ++i)
            PixelAccess::move<Sample>(out + i * size, source_ + table[i] * size);
        return;
    }
    for (std::int32_t i = 0; i < map_.srcWidth; ++i)
    {
        const Sample value = PixelAccess::load<Sample>(source_ + i * size);
        const std::int32_t run = table[i];
        if (map_.fill)
        {
            fillSamples<Sample>(out, value, run);
        }
        else
        {
            for (std::int32_t k = 0; k < run; ++k)
                PixelAccess::store<Sample>(out + k * size, value);
        }
        out += run * size;
    }
}

template class RowPixelSamples<std::uint8_t>;
template class RowPixelSamples<std::uint16_t>;
template class RowPixelSamples<std::uint32_t>;
template class RowPixelSamples<std::uint64_t>;

// ---------------------------------------------------------------------------
// 1-bit rows

namespace
{
inline bool bitAt(const std::uint8_t* row, std::int64_t column)
{
    return (row[column >> 3] & (0x80u >> (column & 7))) != 0;
}

inline void setBit(std::uint8_t* row, std::int64_t column)
{
    row[column >> 3] = static_cast<std::uint8_t>(row[column >> 3] | (0x80u >> (column & 7)));
}
} // namespace

RowPixelOne::RowPixelOne() = default;
RowPixelOne::~RowPixelOne() = default;

void RowPixelOne::setup(std::int32_t srcWidth, std::int32_t dstWidth)
{
    RowPixel::setup(srcWidth, dstWidth);
    if (!map_.replicate && srcWidth <= dstWidth)
        map_.forceRuns();
    runMode_ = map_.replicate;
    copier_.reset();
    byteRuns_.clear();
    if (!runMode_)
        return;
    copier_.reset(createPixelCopier(kDataTypeOneBit));
    if (!copier_)
        outOfMemory();
    try
    {
        byteRuns_.assign(static_cast<std::size_t>(srcWidth / 8), 0);
    }
    catch (const std::bad_alloc&)
    {
        outOfMemory();
    }
    for (std::int32_t i = 0; i < (srcWidth / 8) * 8; ++i)
        byteRuns_[static_cast<std::size_t>(i / 8)] += map_.table[static_cast<std::size_t>(i)];
}

void RowPixelOne::setRows(const std::uint8_t* source, std::uint8_t* destination)
{
    RowPixel::setRows(source, destination);
    std::memset(destination, 0, static_cast<std::size_t>((static_cast<std::int64_t>(map_.dstWidth) + 7) / 8));
}

void RowPixelOne::copyPixel(std::int32_t srcColumn, std::int32_t dstColumn)
{
    if (bitAt(source_, srcColumn))
        setBit(destination_, dstColumn);
}

void RowPixelOne::mapRow()
{
    if (runMode_)
        mapByRuns();
    else
        mapByTable();
}

void RowPixelOne::mapByTable()
{
    const std::int32_t* table = map_.table.data();
    const std::int32_t wholeBytes = map_.dstWidth / 8;
    for (std::int32_t k = 0; k < wholeBytes; ++k)
    {
        const std::int32_t* columns = table + std::ptrdiff_t{k} * 8;
        unsigned byte = 0;
        for (int j = 0; j < 8; ++j)
            if (bitAt(source_, columns[j]))
                byte |= 0x80u >> j;
        destination_[k] = static_cast<std::uint8_t>(destination_[k] | byte);
    }
    for (std::int32_t i = wholeBytes * 8; i < map_.dstWidth; ++i)
        if (bitAt(source_, table[i]))
            setBit(destination_, i);
}

void RowPixelOne::mapByRuns()
{
    const std::int32_t* table = map_.table.data();
    const ImagePixel ink(kPixelOneBit, 1);
    std::int64_t position = 0;
    std::int64_t pending = 0;
    auto flush = [&] {
        if (pending > 0)
            copier_->fill(destination_, static_cast<std::int32_t>(position), ink,
                          static_cast<std::int32_t>(pending));
        position += pending;
        pending = 0;
    };
    const std::int32_t wholeBytes = map_.srcWidth / 8;
    std::int32_t column = 0;
    while (column < map_.srcWidth)
    {
        // Eight paper pixels of one whole source byte are passed at once.
        if ((column & 7) == 0 && column / 8 < wholeBytes && source_[column >> 3] == 0)
        {
            flush();
            position += byteRuns_[static_cast<std::size_t>(column >> 3)];
            column += 8;
            continue;
        }
        if (bitAt(source_, column))
        {
            pending += table[column];
        }
        else
        {
            flush();
            position += table[column];
        }
        ++column;
    }
    flush();
}

} // namespace Omvi
