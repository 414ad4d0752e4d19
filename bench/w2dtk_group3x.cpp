// Group 3X coding of a 10,000 × 10,000 bitonal raster (12.5 MB), the size of a
// large scanned sheet: text-like short runs on a mostly white page.
#include "dwf/w2dtk/group3x_encoder.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{
std::vector<std::uint8_t> make_sheet(int rows, int columns)
{
    std::size_t const row_bytes = std::size_t(columns + 7) / 8;
    std::vector<std::uint8_t> raster(row_bytes * std::size_t(rows), 0);
    std::mt19937 random(42);
    for (int r = 0; r < rows; ++r)
    {
        // Lines of "text" every 40 rows, ruled lines every 500.
        bool const ruled = r % 500 == 0;
        bool const text = (r % 40) < 12;
        for (std::size_t b = 0; b < row_bytes; ++b)
        {
            if (ruled)
                raster[std::size_t(r) * row_bytes + b] = 0xFF;
            else if (text && random() % 3 == 0)
                raster[std::size_t(r) * row_bytes + b] = std::uint8_t(random());
        }
    }
    return raster;
}

void Group3X_Encode_10000_Square(benchmark::State& state)
{
    int const side = 10000;
    std::vector<std::uint8_t> const raster = make_sheet(side, side);
    std::vector<std::uint8_t> coded;
    for (auto _ : state)
    {
        WT_Result result = wt_encode_group3x(side, side, raster.data(), raster.size(), coded);
        benchmark::DoNotOptimize(result);
        benchmark::DoNotOptimize(coded.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(raster.size()));
    state.counters["coded_MB"] = double(coded.size()) / 1e6;
}
BENCHMARK(Group3X_Encode_10000_Square)->Unit(benchmark::kMillisecond);
} // namespace
