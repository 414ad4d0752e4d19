// Tile pages through the temporary paging file: a band of tiles at a time is
// taken from the memory budget (default budget), written to the paging file
// with one vectored request per tile row, and every row is read back and
// checked. Reports the round-trip rate (file bytes over the time to write
// and read them all), the write and read rates, and peak memory against the
// baseline before the first run: the pages must stream through the file, not
// pile up in memory, whatever the file's size.
#include "imaging_bench.h"

#include "imaging/OMVIException.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsJobManager.h"
#include "imaging/platform/WindowsTempPagingSystem.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr std::int32_t kTileBytes = 256 * 256 * 4; // a 256 x 256 RGBA tile
constexpr std::int32_t kTilesAcross = 20;

const double kBaselineMegabytes = imaging_bench::peakMegabytes();

// One tile row of the image: the units it wants are the tiles across.
class BandJob : public Omvi::Job
{
public:
    std::int32_t bytesPerUnit() const override { return kTileBytes; }
    void extent(std::int32_t& other, std::int32_t& unitsWanted) const override
    {
        other = 1;
        unitsWanted = kTilesAcross;
    }
};

void FillTile(std::uint8_t* tile, std::int64_t index)
{
    auto* words = reinterpret_cast<std::uint32_t*>(tile);
    for (std::int32_t i = 0; i < kTileBytes / 4; ++i)
        words[i] = static_cast<std::uint32_t>(index * 2654435761u + static_cast<std::uint32_t>(i));
}

bool TileHolds(const std::uint8_t* tile, std::int64_t index)
{
    const auto* words = reinterpret_cast<const std::uint32_t*>(tile);
    for (std::int32_t i = 0; i < kTileBytes / 4; i += 997)
        if (words[i] != static_cast<std::uint32_t>(index * 2654435761u + static_cast<std::uint32_t>(i)))
            return false;
    return true;
}

void BM_PagingRoundTrip(benchmark::State& state)
{
    const std::int64_t megabytes = state.range(0);
    const std::int32_t rows = static_cast<std::int32_t>(megabytes * 1024 * 1024 / kTileBytes / kTilesAcross);
    const double fileMegabytes = static_cast<double>(rows) * kTilesAcross * kTileBytes / (1024.0 * 1024.0);

    Omvi::WindowsJobManager budget; // the default budget
    std::unique_ptr<Omvi::WindowsTempPagingSystem> paging;
    try
    {
        paging = std::make_unique<Omvi::WindowsTempPagingSystem>(Omvi::makeScratchFileSpecifier("IMG"));
    }
    catch (Omvi::OMVIException* error)
    {
        Omvi::OwnedException owned(error);
        state.SkipWithError("no paging file");
        return;
    }

    double writeSeconds = 0, readSeconds = 0;
    bool intact = true;
    for (auto _ : state)
    {
        BandJob job;
        budget.registerJob(job);
        const Omvi::Job::Grant& grant = job.acquire();
        const std::int32_t band = grant.units; // tiles per transfer
        std::vector<std::int64_t> positions(static_cast<std::size_t>(kTilesAcross));

        const auto h = paging->reserve(rows, kTilesAcross, kTileBytes);
        if (paging->isInvalidHandle(h))
        {
            state.SkipWithError("no room in the paging file");
            return;
        }
        try
        {
            const auto start = std::chrono::steady_clock::now();
            for (std::int32_t r = 0; r < rows; ++r)
                for (std::int32_t c0 = 0; c0 < kTilesAcross; c0 += band)
                {
                    const std::int32_t n = std::min(band, kTilesAcross - c0);
                    for (std::int32_t k = 0; k < n; ++k)
                    {
                        positions[static_cast<std::size_t>(k)] = paging->allocatePosition(h, r, c0 + k);
                        FillTile(grant.base + static_cast<std::size_t>(k) * kTileBytes, positions[static_cast<std::size_t>(k)]);
                    }
                    paging->writePositions(h, positions.data(), n, grant.base);
                }
            const auto written = std::chrono::steady_clock::now();
            for (std::int32_t r = 0; r < rows; ++r)
                for (std::int32_t c0 = 0; c0 < kTilesAcross; c0 += band)
                {
                    const std::int32_t n = std::min(band, kTilesAcross - c0);
                    for (std::int32_t k = 0; k < n; ++k)
                        positions[static_cast<std::size_t>(k)] = std::int64_t(r) * kTilesAcross + c0 + k;
                    paging->readPositions(h, n, positions.data(), grant.base);
                    for (std::int32_t k = 0; k < n; ++k)
                        intact = intact && TileHolds(grant.base + static_cast<std::size_t>(k) * kTileBytes,
                                                     positions[static_cast<std::size_t>(k)]);
                }
            const auto read = std::chrono::steady_clock::now();
            writeSeconds += std::chrono::duration<double>(written - start).count();
            readSeconds += std::chrono::duration<double>(read - written).count();
            for (std::int64_t p = 0; p < std::int64_t(rows) * kTilesAcross; ++p)
                paging->freePosition(h, p);
        }
        catch (Omvi::OMVIException* error)
        {
            Omvi::OwnedException owned(error);
            state.SkipWithError(owned->getMessage().text().c_str());
            return;
        }
        benchmark::DoNotOptimize(grant.base);
    }
    if (!intact)
        state.SkipWithError("a page did not read back as written");

    const double runs = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * rows * kTilesAcross * kTileBytes);
    state.counters["round trip MB/s"] = fileMegabytes * runs / (writeSeconds + readSeconds);
    state.counters["write MB/s"] = fileMegabytes * runs / writeSeconds;
    state.counters["read MB/s"] = fileMegabytes * runs / readSeconds;
    state.counters["file MB"] = fileMegabytes;
    state.counters["budget MB"] = budget.memoryLimit() / 1024.0;
    imaging_bench::reportPeak(state, kBaselineMegabytes);
}
BENCHMARK(BM_PagingRoundTrip)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
