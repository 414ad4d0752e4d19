// The resampling dispatcher: when it scales instead of filtering, the
// two-stage plan, the resampler pair of each model, rows equal to the
// reference resampler, float zeros that are values, and the source deleted
// whatever goes wrong. Also the file descriptor's scaled rows, which now
// filter through it.
#include "DescriptorFixtures.h"
#include "PixelGrids.h"
#include "ResamplingReference.h"
#include "RowSources.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/filters/Scale.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/placement/ResampleToSize.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/resampling/VerticalResamplers.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Omvi;
using OmviTest::Grid;
using OmviTest::Row;
using ResamplingReference::resizeGrid;

namespace
{
using Provider = std::unique_ptr<RowProviderInterface>;

Provider resample(Provider source, const PixelPair& target, std::int32_t kind, bool twoStage,
                  const float* noData = nullptr, bool grayAsRgb = false)
{
    return Provider(resampleToSize(source.release(), target, kind, twoStage, grayAsRgb, false, noData));
}

// The filter directly below `provider` in its chain.
RowProviderInterface* below(RowProviderInterface* provider)
{
    auto* filter = dynamic_cast<ImageFilter*>(provider);
    return filter && filter->inputCount() > 0 ? filter->input(0) : nullptr;
}

Grid grayPattern(int width, int height)
{
    return OmviTest::gridOf(width, height, [](int x, int y) { return std::uint64_t((x * 37 + y * 11 + x * y) % 256); });
}

std::unique_ptr<OmviTest::MemoryRows> watched(const DataModel& model, const Grid& grid, std::shared_ptr<bool> flag)
{
    auto generated = OmviTest::gridRows(model, grid);
    auto rows = std::make_unique<OmviTest::MemoryRows>(model, static_cast<int>(grid[0].size()),
                                                       OmviTest::pullAll(*generated));
    rows->watchDeletion(std::move(flag));
    return rows;
}

using ResampleDispatchTest = OmviTest::TiledImageTest;
} // namespace

TEST(ResampleDispatch, ScalesWhereAKernelGainsNothing)
{
    const RgbGrayModel gray;
    // The same size: the source itself.
    Provider same = OmviTest::patternRows(gray, 40, 30);
    RowProviderInterface* original = same.get();
    Provider kept = resample(std::move(same), {40, 30}, kResampleMitchell, true);
    EXPECT_EQ(kept.get(), original);

    // Kind 0, a change of less than a tenth both ways, a target one pixel
    // wide or high, and a window wider than the source: Scale.
    EXPECT_NE(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 40, 30), {20, 15}, kResampleNearest, false).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 100, 100), {95, 95}, kResampleMitchell, false).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 40, 30), {1, 15}, kResampleMitchell, false).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 40, 30), {20, 1}, kResampleMitchell, false).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 3, 30), {9, 15}, kResampleMitchell, false).get()),
              nullptr);
    // A tenth exactly is filtered.
    EXPECT_EQ(dynamic_cast<Scale*>(resample(OmviTest::patternRows(gray, 100, 100), {90, 90}, kResampleMitchell, false).get()),
              nullptr);
    // Raw bits have no levels to weigh.
    EXPECT_NE(dynamic_cast<Scale*>(
                  resample(OmviTest::patternRows(DataModel(1, kDataTypeOneBit, 1), 40, 30), {20, 15}, kResampleCubic, false)
                      .get()),
              nullptr);
}

TEST(ResampleDispatch, TwoStagesScaleFarReductionsFirstAndFarEnlargementsLast)
{
    const RgbGrayModel gray;
    // Width 0.05 (scaled to half the source first, then filtered), height
    // 0.5 (scaled straight to the target, never filtered at ratio 1).
    Provider narrow = resample(OmviTest::patternRows(gray, 200, 100), {10, 50}, kResampleMitchell, true);
    auto* across = dynamic_cast<GrayXResampler*>(narrow.get());
    ASSERT_NE(across, nullptr);
    auto* first = dynamic_cast<Scale*>(below(across));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->size(), (PixelPair{100, 50}));
    EXPECT_EQ(narrow->size(), (PixelPair{10, 50}));

    // Below 0.025 the first stage halves twice.
    Provider tiny = resample(OmviTest::patternRows(gray, 400, 40), {8, 40}, kResampleMitchell, true);
    ASSERT_NE(dynamic_cast<Scale*>(below(tiny.get())), nullptr);
    EXPECT_EQ(below(tiny.get())->size(), (PixelPair{100, 40}));

    // Beyond 15 times the filter goes to half the target, Scale does the
    // rest.
    Provider large = resample(OmviTest::patternRows(gray, 10, 12), {200, 240}, kResampleMitchell, true);
    ASSERT_NE(dynamic_cast<Scale*>(large.get()), nullptr);
    EXPECT_NE(dynamic_cast<HorizontalResampler*>(below(large.get())), nullptr);
    EXPECT_EQ(below(large.get())->size(), (PixelPair{100, 120}));

    // Both ratios mild: Scale alone.
    Provider mild = resample(OmviTest::patternRows(gray, 100, 100), {50, 200}, kResampleMitchell, true);
    EXPECT_NE(dynamic_cast<Scale*>(mild.get()), nullptr);
    EXPECT_EQ(dynamic_cast<ImageFilter*>(below(mild.get())), nullptr);

    // The filtered stage equals the reference over the scaled rows.
    const Grid source = grayPattern(200, 100);
    Scale scaled(OmviTest::gridRows(gray, source).release(), {100, 50});
    const Grid halfway = OmviTest::pullGrid(scaled);
    Provider chain = resample(OmviTest::gridRows(gray, source), {10, 50}, kResampleMitchell, true);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*chain), resizeGrid(halfway, 10, 50, kResampleMitchell, false));
}

TEST(ResampleDispatch, RowsEqualTheReferenceResamplerInTheOrderChosen)
{
    const RgbGrayModel gray;
    const Grid source = grayPattern(48, 36);
    for (int kind = kResampleTriangle; kind <= kResampleMitchell; ++kind)
    {
        // Reducing: across first.
        Provider smaller = resample(OmviTest::gridRows(gray, source), {30, 20}, kind, false);
        EXPECT_GRID_EQ(OmviTest::pullGrid(*smaller), resizeGrid(source, 30, 20, kind, false)) << kind;
        // Widening: down first, so that fewer columns are filtered twice.
        Provider wider = resample(OmviTest::gridRows(gray, source), {80, 27}, kind, false);
        EXPECT_NE(dynamic_cast<HorizontalResampler*>(wider.get()), nullptr);
        EXPECT_GRID_EQ(OmviTest::pullGrid(*wider), resizeGrid(source, 80, 27, kind, true)) << kind;
    }
}

TEST(ResampleDispatch, EachModelGetsItsResamplerPair)
{
    const auto top = [](Provider p) { return p.release(); };
    // Bitonal: across as bitonal, down as gray.
    std::unique_ptr<RowProviderInterface> bits(top(
        resample(OmviTest::patternRows(BitonalModel(), 64, 64), {20, 20}, kResampleTriangle, false)));
    auto* down = dynamic_cast<GrayYResampler*>(bits.get());
    ASSERT_NE(down, nullptr);
    EXPECT_NE(dynamic_cast<BitonalXResampler*>(below(down)), nullptr);

    RgbColor colors[2] = {RgbColor(0, 0, 0, 255), RgbColor(255, 255, 255, 255)};
    Provider palette = resample(OmviTest::rowsFrom(RgbPaletteModel(2, colors), 64, 64, [](int x, int) { return x % 2; }),
                                {20, 20}, kResampleTriangle, false);
    EXPECT_NE(dynamic_cast<RgbYResampler*>(palette.get()), nullptr);
    EXPECT_EQ(palette->dataModel().colorSpace(), kColorSpaceRgb);

    RgbGrayModel seeThrough;
    seeThrough.setAlpha(3, 0);
    EXPECT_NE(dynamic_cast<RgbYResampler*>(
                  resample(OmviTest::patternRows(seeThrough, 64, 64), {20, 20}, kResampleTriangle, false, nullptr, true).get()),
              nullptr);
    EXPECT_NE(dynamic_cast<GrayYResampler*>(
                  resample(OmviTest::patternRows(seeThrough, 64, 64), {20, 20}, kResampleTriangle, false).get()),
              nullptr);

    // Plain 16-bit samples with or without a declared unsigned format;
    // floats only when declared so.
    for (std::int32_t format : {0, 1})
        EXPECT_NE(dynamic_cast<Data16YResampler*>(
                      resample(OmviTest::patternRows(DataModel(format, kDataTypeSixteenBit, 16), 64, 64), {20, 20},
                               kResampleTriangle, false)
                          .get()),
                  nullptr)
            << format;
    const DataModel floats(3, kDataTypeThirtyTwoBit, 32);
    EXPECT_NE(dynamic_cast<Float32YResampler*>(
                  resample(OmviTest::patternRows(floats, 64, 64), {20, 20}, kResampleTriangle, false).get()),
              nullptr);
    EXPECT_TRUE(hasResamplerPair(floats, false));

    // Models without a pair: null, and the source is gone.
    for (const DataModel& model : {DataModel(1, kDataTypeThirtyTwoBit, 32), DataModel(1, kDataTypeSixtyFourBit, 64)})
    {
        EXPECT_FALSE(hasResamplerPair(model, false));
        auto deleted = std::make_shared<bool>(false);
        EXPECT_EQ(resample(watched(model, OmviTest::gridOf(64, 64, [](int, int) { return 1; }), deleted), {20, 20},
                           kResampleTriangle, false),
                  nullptr);
        EXPECT_TRUE(*deleted);
    }
}

TEST(ResampleDispatch, FloatZerosAreValuesUnlessANoDataValueIsGiven)
{
    const DataModel floats(3, kDataTypeThirtyTwoBit, 32);
    const int width = 24;
    std::vector<float> ramp(width);
    for (int x = 0; x < width; ++x)
        ramp[std::size_t(x)] = static_cast<float>(x % 6); // zeros every sixth sample
    Row bytes(ramp.size() * 4);
    std::memcpy(bytes.data(), ramp.data(), bytes.size());
    std::vector<Row> rows(12, bytes);
    Provider out = resample(std::make_unique<OmviTest::MemoryRows>(floats, width, rows), {16, 12},
                            kResampleTriangle, false);
    ASSERT_NE(dynamic_cast<Float32XResampler*>(out.get()), nullptr);
    const Row result = OmviTest::pullAll(*out)[0];

    // Each sample the weighted sum of its list, zeros included.
    std::unique_ptr<Resampler> kernel = createResampler(kResampleTriangle, 0.0001);
    const auto lists = ResamplingReference::horizontalLists(*kernel, width, 16);
    for (int x = 0; x < 16; ++x)
    {
        double sum = 0.0;
        for (const auto& entry : lists[std::size_t(x)])
            sum += static_cast<double>(entry.first) * ramp[std::size_t(entry.second)];
        float value = 0.0f;
        std::memcpy(&value, result.data() + 4 * x, 4);
        EXPECT_NEAR(value, sum, 1e-4) << x;
    }

    // A no-data value is only taken for plain float samples.
    const float noData = -9999.0f;
    EXPECT_NE(resample(std::make_unique<OmviTest::MemoryRows>(floats, width, rows), {16, 12}, kResampleTriangle,
                       false, &noData),
              nullptr);
    auto deleted = std::make_shared<bool>(false);
    EXPECT_EQ(resample(watched(RgbGrayModel(), grayPattern(24, 12), deleted), {16, 12}, kResampleTriangle, false,
                       &noData),
              nullptr);
    EXPECT_TRUE(*deleted);
}

TEST(ResampleDispatch, TheSourceGoesWithEveryFailure)
{
    const RgbGrayModel gray;
    auto deleted = std::make_shared<bool>(false);
    // A kind no kernel has: the first resampler refuses it.
    EXPECT_EQ(OmviTest::thrownCode<ImageFilterException>(
                  [&] { resample(watched(gray, grayPattern(40, 30), deleted), {20, 15}, 9, false); }),
              ImageFilterException::kInvalidArgument);
    EXPECT_TRUE(*deleted);
    // A target without pixels.
    *deleted = false;
    EXPECT_EQ(resample(watched(gray, grayPattern(40, 30), deleted), {0, 15}, kResampleCubic, false), nullptr);
    EXPECT_TRUE(*deleted);
    EXPECT_EQ(resampleToSize(nullptr, {5, 5}, kResampleCubic, false, false, false, nullptr), nullptr);
}

TEST_F(ResampleDispatchTest, DescriptorScaledRowsFilterWithTheKindAsked)
{
    OmviTest::PnmTestCodec codec;
    start().registerCodec(&codec);
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    const OmviTest::Bytes pixels = OmviTest::mapPixels('5', 40, 20);
    ASSERT_TRUE(OmviTest::writeBytes(folder.file("s.pgm"), OmviTest::pnmBytes('5', 40, 20, pixels)));
    FileReadDescriptor descriptor(FileSpecifier(AsciiStringBuffer(folder.file("s.pgm")), FileSpecifier::kFile));
    const Grid source = OmviTest::gridOf(40, 20, [&](int x, int y) { return std::uint64_t(pixels[std::size_t(y * 40 + x)]); });

    Provider mitchell(descriptor.representation().scaledRowProvider(0.5, kResampleMitchell));
    EXPECT_EQ(dynamic_cast<Scale*>(mitchell.get()), nullptr);
    EXPECT_GRID_EQ(OmviTest::pullGrid(*mitchell), resizeGrid(source, 20, 10, kResampleMitchell, false));
    Provider nearest(descriptor.representation().scaledRowProvider(0.5, kResampleNearest));
    EXPECT_NE(dynamic_cast<Scale*>(nearest.get()), nullptr);
}
