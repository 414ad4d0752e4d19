// Nearest-neighbour scaling of a 5,000 x 5,000 RGB image to 50 % and 150 %,
// every output row pulled. Reports output Mpixel/s and peak memory against
// the baseline before the first run.
//
// Rows: the source hands out rows from a small set it holds (a copy per
// row, as an image region would) and passes over rows it is told to skip,
// as the composer of an image region does.
// Tiled: the source is a tiled image of the session (its tiles in the
// paging file, built once before the runs), read through its row composer
// under the session's default memory budget; rows that the scale does not
// need are skipped without being composed.
#include "imaging_bench.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/filters/Scale.h"
#include "imaging/images/TiledImage.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowComposer.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <vector>

namespace
{

constexpr std::int32_t kSide = 5000;
constexpr std::int32_t kDistinctRows = 16;

const double kBaselineMegabytes = imaging_bench::peakMegabytes();

class CycledRgbRows : public Omvi::RowProviderInterface, public Omvi::RowComposer
{
public:
    CycledRgbRows() : rows_(static_cast<std::size_t>(kDistinctRows) * kSide)
    {
        for (std::int32_t y = 0; y < kDistinctRows; ++y)
            for (std::int32_t x = 0; x < kSide; ++x)
                rows_[static_cast<std::size_t>(y) * kSide + x] = imaging_bench::pixelAt(x, y);
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (next_ >= kSide)
            return 0;
        std::memcpy(row.data(), &rows_[static_cast<std::size_t>(next_ % kDistinctRows) * kSide], kSide * 4);
        ++next_;
        return kSide - next_;
    }
    void skipRow() override { ++next_; }
    std::int32_t rowsRemaining() const override { return kSide - next_; }
    Omvi::PixelPair size() const override { return {kSide, kSide}; }
    const Omvi::DataModel& dataModel() const override { return model_; }
    std::int32_t bytesPerRow() const override { return kSide * 4; }
    bool isValid() const override { return true; }

private:
    Omvi::RgbModel model_{32};
    std::vector<std::uint32_t> rows_;
    std::int32_t next_ = 0;
};

// Pulls every row of a Scale over `source` to `percent` of its size; the
// output pixels pulled.
std::int64_t ScaleAll(Omvi::RowProviderInterface* source, std::int32_t percent)
{
    const std::int32_t side = kSide * percent / 100;
    Omvi::Scale scale(source, {side, side});
    Omvi::DataBuffer row(scale.bytesPerRow());
    for (std::int32_t y = 0; y < side; ++y)
        scale.getNextRow(row);
    benchmark::DoNotOptimize(row.data());
    return std::int64_t{side} * side;
}

void Report(benchmark::State& state, std::int64_t pixels, double seconds)
{
    state.counters["output Mpixel/s"] = static_cast<double>(pixels) / seconds / 1e6;
    imaging_bench::reportPeak(state, kBaselineMegabytes);
}

void BM_ScaleRows(benchmark::State& state)
{
    const auto percent = static_cast<std::int32_t>(state.range(0));
    std::int64_t pixels = 0;
    double seconds = 0;
    for (auto _ : state)
    {
        try
        {
            auto* source = new CycledRgbRows();
            const auto start = std::chrono::steady_clock::now();
            pixels += ScaleAll(source, percent);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        catch (Omvi::OMVIException* error)
        {
            Omvi::OwnedException owned(error);
            state.SkipWithError(owned->getMessage().text().c_str());
            return;
        }
    }
    Report(state, pixels, seconds);
}

void BM_ScaleTiledImage(benchmark::State& state)
{
    const auto percent = static_cast<std::int32_t>(state.range(0));
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
    std::int64_t pixels = 0;
    double seconds = 0;
    try
    {
        Omvi::TiledImage image;
        std::unique_ptr<Omvi::RowProviderInterface> rows = std::make_unique<CycledRgbRows>();
        image.construct(rows, Omvi::BuildOrder::RowsTopDown, Omvi::kOrganisationDefault);
        for (auto _ : state)
        {
            const auto start = std::chrono::steady_clock::now();
            pixels += ScaleAll(image.read({kSide, kSide}, {0, 0}).release(), percent);
            seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
    }
    catch (Omvi::OMVIException* error)
    {
        Omvi::OwnedException owned(error);
        state.SkipWithError(owned->getMessage().text().c_str());
    }
    Report(state, pixels, seconds);
    state.counters["budget MB"] = session->memoryLimit() / 1024.0;
    Omvi::OMVISession::destroy();
}

BENCHMARK(BM_ScaleTiledImage)->Arg(50)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

BENCHMARK(BM_ScaleRows)->Arg(50)->Arg(150)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

} // namespace
