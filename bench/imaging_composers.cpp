// A 5,000 x 5,000 RGB tiled image (built once from generated rows, its tiles
// in the session's paging file) read whole in each of the eight
// orientations through the row composers, under the session's default
// memory budget. Reports the read rate (image bytes over the time to pull
// every row) and peak memory against the baseline before the session: the
// composers hold a band of tiles at a time, never the image.
#include "imaging_bench.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/Orientation.h"
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

// The session and the image, made on first use and kept for every run.
struct Fixture
{
    Omvi::OMVISession* session = nullptr;
    std::unique_ptr<Omvi::TiledImage> image;
    std::string failure;

    Fixture()
    {
        try
        {
            session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
            image = std::make_unique<Omvi::TiledImage>();
            std::unique_ptr<Omvi::RowProviderInterface> rows = std::make_unique<imaging_bench::GeneratedRgbRows>(kSide);
            image->construct(rows, Omvi::BuildOrder::RowsTopDown, Omvi::kOrganisationDefault);
        }
        catch (Omvi::OMVIException* error)
        {
            Omvi::OwnedException owned(error);
            failure = owned->getMessage().text();
            image.reset();
        }
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_ReadInOrientation(benchmark::State& state)
{
    Fixture& fixture = Shared();
    if (!fixture.image)
    {
        state.SkipWithError(fixture.failure.c_str());
        return;
    }
    const Omvi::Orientation orientation = *Omvi::orientationFromCode(static_cast<std::int32_t>(state.range(0)));
    const double imageMegabytes = double(kSide) * kSide * 4 / (1024.0 * 1024.0);
    double seconds = 0;
    bool intact = true;
    for (auto _ : state)
    {
        try
        {
            const auto start = std::chrono::steady_clock::now();
            std::unique_ptr<Omvi::RowProviderInterface> rows =
                fixture.image->read({kSide, kSide}, {0, 0}, orientation);
            Omvi::DataBuffer row(rows->bytesPerRow());
            std::uint64_t sum = 0;
            for (std::int32_t y = 0; y < kSide; ++y)
            {
                rows->getNextRow(row);
                std::uint32_t first = 0;
                std::memcpy(&first, row.data(), 4);
                sum += first;
            }
            benchmark::DoNotOptimize(sum);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            // The corner the first row starts from, by the orientation.
            const Omvi::PixelPosition corner = Omvi::storedPixel(orientation, kSide, kSide, 0, 0);
            std::uint32_t first = 0;
            std::unique_ptr<Omvi::RowProviderInterface> check =
                fixture.image->read({kSide, kSide}, {0, 0}, orientation);
            check->getNextRow(row);
            std::memcpy(&first, row.data(), 4);
            intact = intact && first == imaging_bench::pixelAt(corner.x, corner.y);
        }
        catch (Omvi::OMVIException* error)
        {
            Omvi::OwnedException owned(error);
            state.SkipWithError(owned->getMessage().text().c_str());
            break;
        }
    }
    if (!intact)
        state.SkipWithError("a row did not start at the orientation's corner");
    const double runs = static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSide * kSide * 4);
    state.counters["read MB/s"] = imageMegabytes * runs / seconds;
    state.counters["budget MB"] = fixture.session->memoryLimit() / 1024.0;
    imaging_bench::reportPeak(state, kBaselineMegabytes);
}

BENCHMARK(BM_ReadInOrientation)
    ->ArgName("orientation")
    ->DenseRange(0, 7)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime();

} // namespace
