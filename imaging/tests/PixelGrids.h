#pragma once
// Images as grids of pixel values for the tests of composers, decomposers
// and contexts: rows made from a function of (x, y), rows read back into a
// grid, and the grids the orientations make of a grid.
#include "RowSources.h"

#include "imaging/DataBuffer.h"
#include "imaging/Orientation.h"
#include "imaging/models/DataModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace OmviTest
{

// Pixel values by row: grid[y][x].
using Grid = std::vector<std::vector<std::uint64_t>>;
using PixelFunction = std::function<std::uint64_t(int x, int y)>;

// A value of the data type's width that changes with x and y (for 1 bit: a
// pattern of both values).
inline std::uint64_t patternPixel(std::int32_t dataType, int x, int y)
{
    const std::uint64_t mixed = std::uint64_t(x) * 73 + std::uint64_t(y) * 1009 + std::uint64_t(x ^ y);
    switch (dataType)
    {
    case Omvi::kDataTypeOneBit:
        return (x * 5 + y * 3) % 7 < 3 ? 1 : 0;
    case Omvi::kDataTypeEightBit:
        return mixed & 0xFF;
    case Omvi::kDataTypeSixteenBit:
        return mixed & 0xFFFF;
    case Omvi::kDataTypeThirtyTwoBit:
        return (mixed * 2654435761u) & 0xFFFFFFFFu;
    default:
        return mixed * 0x9E3779B97F4A7C15ull;
    }
}

inline std::uint64_t pixelIn(const std::uint8_t* row, std::int32_t dataType, int x)
{
    if (dataType == Omvi::kDataTypeOneBit)
        return (row[x / 8] >> (7 - x % 8)) & 1;
    const int bytes = Omvi::bitsPerPixelOf(dataType) / 8;
    std::uint64_t value = 0;
    std::memcpy(&value, row + std::size_t(x) * bytes, static_cast<std::size_t>(bytes));
    return value;
}

inline void setPixelIn(std::uint8_t* row, std::int32_t dataType, int x, std::uint64_t value)
{
    if (dataType == Omvi::kDataTypeOneBit)
    {
        const auto mask = static_cast<std::uint8_t>(0x80 >> (x % 8));
        row[x / 8] = static_cast<std::uint8_t>(value ? row[x / 8] | mask : row[x / 8] & ~mask);
        return;
    }
    const int bytes = Omvi::bitsPerPixelOf(dataType) / 8;
    std::memcpy(row + std::size_t(x) * bytes, &value, static_cast<std::size_t>(bytes));
}

// A provider of width × height rows whose pixel (x, y) is pixel(x, y).
inline std::unique_ptr<Omvi::RowProviderInterface> rowsFrom(const Omvi::DataModel& model, int width, int height,
                                                            PixelFunction pixel)
{
    const std::int32_t dataType = model.dataType();
    return std::make_unique<GeneratedRows>(model, width, height, [=](std::int32_t y, std::uint8_t* row) {
        if (dataType == Omvi::kDataTypeOneBit)
            std::memset(row, 0, static_cast<std::size_t>((width + 7) / 8));
        for (int x = 0; x < width; ++x)
            setPixelIn(row, dataType, x, pixel(x, y));
    });
}

inline std::unique_ptr<Omvi::RowProviderInterface> patternRows(const Omvi::DataModel& model, int width, int height)
{
    const std::int32_t dataType = model.dataType();
    return rowsFrom(model, width, height, [dataType](int x, int y) { return patternPixel(dataType, x, y); });
}

inline std::unique_ptr<Omvi::RowProviderInterface> gridRows(const Omvi::DataModel& model, const Grid& grid)
{
    return rowsFrom(model, static_cast<int>(grid[0].size()), static_cast<int>(grid.size()),
                    [grid](int x, int y) { return grid[std::size_t(y)][std::size_t(x)]; });
}

inline Grid gridOf(int width, int height, const PixelFunction& pixel)
{
    Grid grid(static_cast<std::size_t>(height), std::vector<std::uint64_t>(static_cast<std::size_t>(width)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            grid[std::size_t(y)][std::size_t(x)] = pixel(x, y);
    return grid;
}

// Every row a provider delivers, as a grid.
inline Grid pullGrid(Omvi::RowProviderInterface& provider)
{
    const Omvi::PixelPair size = provider.size();
    const std::int32_t dataType = provider.dataModel().dataType();
    Omvi::DataBuffer row(provider.bytesPerRow());
    Grid grid;
    for (int y = 0; y < size.y; ++y)
    {
        provider.getNextRow(row);
        std::vector<std::uint64_t> values(std::size_t(size.x));
        for (int x = 0; x < size.x; ++x)
            values[std::size_t(x)] = pixelIn(row.data(), dataType, x);
        grid.push_back(std::move(values));
    }
    return grid;
}

// What the view of `stored` in `orientation` shows.
inline Grid viewOf(const Grid& stored, Omvi::Orientation orientation)
{
    const int width = static_cast<int>(stored[0].size());
    const int height = static_cast<int>(stored.size());
    const Omvi::PixelPosition size = Omvi::orientedSize(orientation, width, height);
    return gridOf(size.x, size.y, [&](int x, int y) {
        const Omvi::PixelPosition from = Omvi::storedPixel(orientation, width, height, x, y);
        return stored[std::size_t(from.y)][std::size_t(from.x)];
    });
}

// The part of `grid` of `size` from `origin`.
inline Grid regionOf(const Grid& grid, int x0, int y0, int width, int height)
{
    return gridOf(width, height, [&](int x, int y) { return grid[std::size_t(y0 + y)][std::size_t(x0 + x)]; });
}

// Empty when the grids are equal, else where they first differ.
inline std::string gridDifference(const Grid& actual, const Grid& expected)
{
    if (actual.size() != expected.size() || (!actual.empty() && actual[0].size() != expected[0].size()))
        return "sizes differ: " + std::to_string(actual.empty() ? 0 : actual[0].size()) + "x" +
               std::to_string(actual.size()) + " against " +
               std::to_string(expected.empty() ? 0 : expected[0].size()) + "x" + std::to_string(expected.size());
    for (std::size_t y = 0; y < actual.size(); ++y)
    {
        if (actual[y].size() != expected[y].size())
            return "row " + std::to_string(y) + " has another length";
        for (std::size_t x = 0; x < actual[y].size(); ++x)
            if (actual[y][x] != expected[y][x])
                return "first difference at (" + std::to_string(x) + ", " + std::to_string(y) +
                       "): " + std::to_string(actual[y][x]) + " against " + std::to_string(expected[y][x]);
    }
    return {};
}

} // namespace OmviTest

#define EXPECT_GRID_EQ(actual, expected) EXPECT_EQ(OmviTest::gridDifference((actual), (expected)), "")
#define ASSERT_GRID_EQ(actual, expected) ASSERT_EQ(OmviTest::gridDifference((actual), (expected)), "")
