// The colour conversion filters on rows of 5000 pixels: each iteration pulls
// one row through a filter whose source copies a prepared row, as a codec's
// row provider would hand it over. Reports pixels per second per filter. The texture
// road converts every row of every texture, so RGB to gray, gray to RGB and
// palette expansion should each run at 200 Mpixel/s or more.
#include "imaging/DataBuffer.h"
#include "imaging/conversions/ConvertBitonalTo.h"
#include "imaging/conversions/ConvertGrayTo.h"
#include "imaging/conversions/ConvertPaletteTo.h"
#include "imaging/conversions/ConvertToGray.h"
#include "imaging/conversions/ConvertToPalette.h"
#include "imaging/conversions/ConvertToRgb.h"
#include "imaging/conversions/GrayToBitonal.h"
#include "imaging/conversions/RgbToGray.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace
{

constexpr std::int32_t kWidth = 5000;

// An endless source of one prepared row.
class RepeatedRow : public Omvi::RowProviderInterface
{
public:
    explicit RepeatedRow(const Omvi::DataModel& model)
        : model_(model.clone()), row_(static_cast<std::size_t>(model.bytesPerRow(kWidth)))
    {
        std::mt19937 random(42);
        for (auto& byte : row_)
            byte = static_cast<std::uint8_t>(random());
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        std::memcpy(row.data(), row_.data(), row_.size());
        return rowsRemaining();
    }
    std::int32_t rowsRemaining() const override { return std::numeric_limits<std::int32_t>::max(); }
    Omvi::PixelPair size() const override { return {kWidth, std::numeric_limits<std::int32_t>::max()}; }
    const Omvi::DataModel& dataModel() const override { return *model_; }
    std::int32_t bytesPerRow() const override { return static_cast<std::int32_t>(row_.size()); }
    bool isValid() const override { return true; }

private:
    std::unique_ptr<Omvi::DataModel> model_;
    std::vector<std::uint8_t> row_;
};

using MakeFilter = std::function<Omvi::RowProviderInterface*(Omvi::RowProviderInterface*)>;

void Convert(benchmark::State& state, const Omvi::DataModel& source, const MakeFilter& make)
{
    std::unique_ptr<Omvi::RowProviderInterface> filter(make(new RepeatedRow(source)));
    Omvi::DataBuffer row(filter->bytesPerRow());
    for (auto _ : state)
    {
        filter->getNextRow(row);
        benchmark::DoNotOptimize(row.data());
        benchmark::ClobberMemory();
    }
    // Shown with SI prefixes: "pixels/s=1.2G/s" is 1200 Mpixel/s.
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * kWidth,
                                                    benchmark::Counter::kIsRate);
}

Omvi::RgbPaletteModel Palette()
{
    std::vector<Omvi::RgbColor> colors;
    for (int i = 0; i < 256; ++i)
        colors.emplace_back(static_cast<std::uint8_t>(i * 7), static_cast<std::uint8_t>(i * 13),
                            static_cast<std::uint8_t>(i * 29), 255);
    return Omvi::RgbPaletteModel(256, colors.data());
}

using namespace Omvi;

void RgbToGrayRows(benchmark::State& state)
{
    Convert(state, RgbModel(32), [](RowProviderInterface* in) { return new RgbToGray(in); });
}
void RgbToGrayViaConvertToGray(benchmark::State& state)
{
    Convert(state, RgbModel(32), [](RowProviderInterface* in) { return new ConvertToGray(in, kColorSpaceRgb); });
}
void GrayToRgb(benchmark::State& state)
{
    Convert(state, RgbGrayModel(), [](RowProviderInterface* in) { return new ConvertGrayTo(in, kColorSpaceRgb); });
}
void GrayToRgbViaConvertToRgb(benchmark::State& state)
{
    Convert(state, RgbGrayModel(), [](RowProviderInterface* in) { return new ConvertToRgb(in, kColorSpaceGray); });
}
void PaletteToRgb(benchmark::State& state)
{
    Convert(state, Palette(), [](RowProviderInterface* in) { return new ConvertPaletteTo(in, kColorSpaceRgb); });
}
void PaletteToRgbViaConvertToRgb(benchmark::State& state)
{
    Convert(state, Palette(), [](RowProviderInterface* in) { return new ConvertToRgb(in, kColorSpacePalette); });
}
void PaletteToGray(benchmark::State& state)
{
    Convert(state, Palette(), [](RowProviderInterface* in) { return new ConvertPaletteTo(in, kColorSpaceGray); });
}
void GrayToPalette(benchmark::State& state)
{
    Convert(state, RgbGrayModel(), [](RowProviderInterface* in) { return new ConvertToPalette(in, kColorSpaceGray); });
}
void GrayToBitonalRows(benchmark::State& state)
{
    Convert(state, RgbGrayModel(), [](RowProviderInterface* in) { return new GrayToBitonal(in); });
}
void BitonalToRgb(benchmark::State& state)
{
    Convert(state, BitonalModel(), [](RowProviderInterface* in) { return new ConvertBitonalTo(in, kColorSpaceRgb); });
}
void BitonalToGray(benchmark::State& state)
{
    Convert(state, BitonalModel(), [](RowProviderInterface* in) { return new ConvertBitonalTo(in, kColorSpaceGray); });
}
void BitonalToPalette(benchmark::State& state)
{
    Convert(state, BitonalModel(),
            [](RowProviderInterface* in) { return new ConvertToPalette(in, kColorSpaceBitonal); });
}

} // namespace

BENCHMARK(RgbToGrayRows);
BENCHMARK(RgbToGrayViaConvertToGray);
BENCHMARK(GrayToRgb);
BENCHMARK(GrayToRgbViaConvertToRgb);
BENCHMARK(PaletteToRgb);
BENCHMARK(PaletteToRgbViaConvertToRgb);
BENCHMARK(PaletteToGray);
BENCHMARK(GrayToPalette);
BENCHMARK(GrayToBitonalRows);
BENCHMARK(BitonalToRgb);
BENCHMARK(BitonalToGray);
BENCHMARK(BitonalToPalette);
