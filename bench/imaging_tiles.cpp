// A 5,000 x 5,000 RGB tiled image built from generated rows (the tiles go
// to the session's paging file a tile row at a time), then every tile read
// back and checked, under the session's default memory budget. Reports the
// round-trip rate (image bytes over the time to build and read them), the
// build and read rates, and peak memory against the baseline before the
// first run: the tiles must live in the paging file, not in memory.
#include "imaging_bench.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>

namespace
{

constexpr std::int32_t kSide = 5000;

const double kBaselineMegabytes = imaging_bench::peakMegabytes();

// Every tile read back; a sample of each checked against the rows.
bool ReadEveryTile(Omvi::TiledImage& image)
{
    const std::int32_t edge = image.tileEdge();
    const std::int32_t lineBytes = image.bytesPerTileRow();
    Omvi::DataBuffer tile(image.bytesPerTile());
    std::int32_t down = 0;
    std::int32_t across = 0;
    image.tileGrid(down, across);
    bool intact = true;
    for (std::int32_t row = 0; row < down; ++row)
        for (std::int32_t column = 0; column < across; ++column)
        {
            Omvi::Tile* held = image.lockTileShared(row, column);
            image.loadTile(*held, tile.data());
            image.unlockTileShared(held);
            for (std::int32_t line = 0; line < edge; line += 61)
            {
                const std::int32_t y = row * edge + line;
                const std::int32_t x = column * edge + (line % edge);
                if (y >= kSide || x >= kSide)
                    continue;
                std::uint32_t value = 0;
                std::memcpy(&value, tile.data() + std::int64_t{lineBytes} * line + 4 * (line % edge), 4);
                intact = intact && value == imaging_bench::pixelAt(x, y);
            }
        }
    return intact;
}

void BM_TiledImageRoundTrip(benchmark::State& state)
{
    Omvi::OMVISession* session = nullptr;
    try
    {
        session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
    }
    catch (Omvi::OMVIException* error)
    {
        Omvi::OwnedException owned(error);
        state.SkipWithError("no paging file");
        return;
    }
    const double imageMegabytes = double(kSide) * kSide * 4 / (1024.0 * 1024.0);
    double buildSeconds = 0;
    double readSeconds = 0;
    bool intact = true;
    for (auto _ : state)
    {
        try
        {
            const auto start = std::chrono::steady_clock::now();
            Omvi::TiledImage image;
            std::unique_ptr<Omvi::RowProviderInterface> rows = std::make_unique<imaging_bench::GeneratedRgbRows>(kSide);
            image.construct(rows, Omvi::BuildOrder::RowsTopDown, Omvi::kOrganisationDefault);
            const auto built = std::chrono::steady_clock::now();
            intact = ReadEveryTile(image) && intact;
            const auto read = std::chrono::steady_clock::now();
            buildSeconds += std::chrono::duration<double>(built - start).count();
            readSeconds += std::chrono::duration<double>(read - built).count();
        }
        catch (Omvi::OMVIException* error)
        {
            Omvi::OwnedException owned(error);
            state.SkipWithError(owned->getMessage().text().c_str());
            break;
        }
    }
    if (!intact)
        state.SkipWithError("a tile did not read back as built");

    const double runs = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSide * kSide * 4);
    state.counters["round trip MB/s"] = imageMegabytes * runs / (buildSeconds + readSeconds);
    state.counters["build MB/s"] = imageMegabytes * runs / buildSeconds;
    state.counters["read MB/s"] = imageMegabytes * runs / readSeconds;
    state.counters["image MB"] = imageMegabytes;
    state.counters["budget MB"] = session->memoryLimit() / 1024.0;
    imaging_bench::reportPeak(state, kBaselineMegabytes);
    Omvi::OMVISession::destroy();
}

BENCHMARK(BM_TiledImageRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

} // namespace
