// The nearest-neighbour scale filter and its row pixel mappers: the column
// map's worked values, every data type against an integer reference of the
// picking rule, the rows pulled and skipped, the bitonal merge, and the
// failures of a filter that cannot be made.
#include "ScaleSources.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/filters/RowPixel.h"
#include "imaging/filters/Scale.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

using namespace Omvi;
using OmviTest::ComposerRows;
using OmviTest::MemoryRows;
using OmviTest::Row;
using OmviTest::thrownCode;

namespace
{
// The source column of destination column i, in integers only:
// reductions take trunc(i * s / d + 0.5); enlargements by runs give column
// i to the source column whose run (ends at trunc((j + 1) * d / s + 0.5))
// covers it.
std::int32_t referenceColumn(std::int64_t i, std::int64_t s, std::int64_t d, bool runs)
{
    if (!runs)
        return static_cast<std::int32_t>(std::min((2 * i * s + d) / (2 * d), s - 1));
    for (std::int64_t j = 0; j < s; ++j)
    {
        const std::int64_t end = j == s - 1 ? d : std::min((2 * (j + 1) * d + s) / (2 * s), d);
        if (i < end)
            return static_cast<std::int32_t>(j);
    }
    return static_cast<std::int32_t>(s - 1);
}

std::int32_t referenceRow(std::int64_t r, std::int64_t in, std::int64_t out)
{
    return static_cast<std::int32_t>(std::min((2 * r + 1) * in / (2 * out), in - 1));
}

// A model of each data type; the 1-bit one is plain so that no merge
// applies.
std::unique_ptr<DataModel> plainModel(std::int32_t dataType)
{
    return std::make_unique<DataModel>(0, dataType, bitsPerPixelOf(dataType));
}

std::uint64_t sampleAt(std::int32_t x, std::int32_t y)
{
    return (static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull) ^ (static_cast<std::uint64_t>(y) * 0xC2B2AE3Dull) ^
           0x5555;
}

// Rows of w x h pixels of `dataType` whose samples are sampleAt(x, y).
std::vector<Row> patternRows(std::int32_t dataType, std::int32_t w, std::int32_t h)
{
    std::vector<Row> rows;
    const std::int32_t bits = bitsPerPixelOf(dataType);
    for (std::int32_t y = 0; y < h; ++y)
    {
        Row row(static_cast<std::size_t>(pixelBytes(w, dataType)), 0);
        for (std::int32_t x = 0; x < w; ++x)
        {
            const std::uint64_t v = sampleAt(x, y);
            if (bits == 1)
            {
                if (v & 4)
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
            else
            {
                std::memcpy(&row[static_cast<std::size_t>(x * bits / 8)], &v, static_cast<std::size_t>(bits / 8));
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// Pixel x of an unpadded row, as a number.
std::uint64_t pixelOf(const Row& row, std::int32_t dataType, std::int32_t x)
{
    const std::int32_t bits = bitsPerPixelOf(dataType);
    if (bits == 1)
        return (row[static_cast<std::size_t>(x / 8)] >> (7 - x % 8)) & 1;
    std::uint64_t v = 0;
    std::memcpy(&v, &row[static_cast<std::size_t>(x * bits / 8)], static_cast<std::size_t>(bits / 8));
    return v;
}

std::vector<std::int32_t> columnsOf(const ColumnMap& map)
{
    return std::vector<std::int32_t>(map.table.begin(), map.table.end());
}
} // namespace

TEST(ScaleColumnMap, WorkedValues)
{
    auto eight = RowPixel::create(kDataTypeEightBit);
    eight->setup(4, 3);
    EXPECT_FALSE(eight->columnMap().replicate);
    EXPECT_DOUBLE_EQ(eight->columnMap().ratio, 4.0 / 3.0);
    EXPECT_EQ(columnsOf(eight->columnMap()), (std::vector<std::int32_t>{0, 1, 3}));

    eight->setup(3, 7);
    EXPECT_TRUE(eight->columnMap().replicate);
    EXPECT_FALSE(eight->columnMap().fill);
    EXPECT_EQ(columnsOf(eight->columnMap()), (std::vector<std::int32_t>{2, 3, 2}));

    eight->setup(2, 16);
    EXPECT_TRUE(eight->columnMap().fill);
    EXPECT_EQ(columnsOf(eight->columnMap()), (std::vector<std::int32_t>{8, 8}));

    // A 1-bit row enlarged 3 to 5 is not replicated by the rule, but goes by
    // runs all the same.
    auto one = RowPixel::create(kDataTypeOneBit);
    one->setup(3, 5);
    EXPECT_TRUE(one->columnMap().replicate);
    EXPECT_TRUE(static_cast<RowPixelOne&>(*one).runMode());
    EXPECT_EQ(columnsOf(one->columnMap()), (std::vector<std::int32_t>{2, 1, 2}));
    one->setup(5, 3);
    EXPECT_FALSE(static_cast<RowPixelOne&>(*one).runMode());

    EXPECT_EQ(RowPixel::create(5), nullptr);
    EXPECT_EQ(RowPixel::create(-1), nullptr);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { eight->setup(0, 4); }), 5);
}

TEST(ScaleColumnMap, RunsAddUpAndIndicesStayInsideOnWideRows)
{
    // Runs always cover the destination exactly, and reductions never name a
    // column past the source, also where the products round.
    for (const auto& [s, d] : std::vector<std::pair<std::int32_t, std::int32_t>>{
             {1, 1}, {1, 2}, {7, 1000003}, {3, 2000000}, {999999, 2000001}, {1000001, 1000000}, {2000001, 3}})
    {
        ColumnMap map;
        map.build(s, d);
        if (map.replicate)
        {
            std::int64_t sum = 0;
            for (std::int32_t run : map.table)
            {
                EXPECT_GE(run, 0);
                sum += run;
            }
            EXPECT_EQ(sum, d) << s << " -> " << d;
        }
        else
        {
            EXPECT_EQ(*std::max_element(map.table.begin(), map.table.end()), std::min(s - 1, map.table.back()));
            EXPECT_LT(map.table.back(), s);
        }
    }
}

TEST(ScaleColumnMap, EveryDataTypeMatchesTheIntegerReference)
{
    const std::int32_t widths[] = {1, 2, 3, 4, 5, 7, 8, 9, 13, 16, 17, 31, 64, 65, 100};
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
        for (std::int32_t s : widths)
            for (std::int32_t d : widths)
            {
                const auto rows = patternRows(dataType, s, 1);
                auto mapper = RowPixel::create(dataType);
                mapper->setup(s, d);
                std::vector<std::uint8_t> out(static_cast<std::size_t>(rowBytes(d, dataType)), 0xCC);
                mapper->setRows(rows[0].data(), out.data());
                mapper->mapRow();
                const bool runs = dataType == 0 ? s <= d : s <= d / 2;
                for (std::int32_t i = 0; i < d; ++i)
                {
                    const std::int32_t column = referenceColumn(i, s, d, runs);
                    ASSERT_EQ(pixelOf(out, dataType, i), pixelOf(rows[0], dataType, column))
                        << "type " << dataType << ", " << s << " -> " << d << ", column " << i;
                }
                if (dataType == 0 && d % 8 != 0)
                {
                    EXPECT_EQ(out[static_cast<std::size_t>(d / 8)] & (0xFF >> (d % 8)), 0) << "bits past the row";
                }
            }
}

TEST(ScaleColumnMap, OneBitRowsAreOredAndCopyPixelOnlySetsBits)
{
    for (const auto& [s, d] : std::vector<std::pair<std::int32_t, std::int32_t>>{{20, 7}, {7, 20}, {16, 16}, {3, 40}})
    {
        Row first(8, 0), second(8, 0);
        first[0] = 0x80;  // column 0
        second[0] = 0x10; // column 3
        second[1] = 0x01; // column 15
        const bool runs = s <= d;
        const auto expectedOf = [&](std::initializer_list<const Row*> sources) {
            std::vector<std::uint8_t> expected(static_cast<std::size_t>((d + 7) / 8), 0);
            for (std::int32_t i = 0; i < d; ++i)
                for (const Row* row : sources)
                    if (pixelOf(*row, 0, referenceColumn(i, s, d, runs)))
                        expected[static_cast<std::size_t>(i / 8)] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
            return expected;
        };
        const auto used = [&](const std::vector<std::uint8_t>& row) {
            return std::vector<std::uint8_t>(row.begin(), row.begin() + (d + 7) / 8);
        };

        // The source row's bytes change between two mapRow calls into the
        // same destination, as in the scale filter's merge: bits are ORed.
        auto mapper = RowPixel::create(kDataTypeOneBit);
        mapper->setup(s, d);
        Row source = first;
        std::vector<std::uint8_t> out(8, 0xFF);
        mapper->setRows(source.data(), out.data());
        EXPECT_EQ(used(out), std::vector<std::uint8_t>(static_cast<std::size_t>((d + 7) / 8), 0))
            << "setRows clears the destination";
        mapper->mapRow();
        EXPECT_EQ(used(out), expectedOf({&first})) << s << " -> " << d;
        std::copy(second.begin(), second.end(), source.begin());
        mapper->mapRow();
        EXPECT_EQ(used(out), expectedOf({&first, &second})) << s << " -> " << d;

        // copyPixel sets where the source is set and leaves the rest alone.
        std::vector<std::uint8_t> byPixel(8, 0);
        mapper->setRows(second.data(), byPixel.data());
        byPixel[0] = 0x80;
        for (std::int32_t i = 0; i < d; ++i)
            mapper->copyPixel(referenceColumn(i, s, d, runs), i);
        auto expected = expectedOf({&second});
        expected[0] |= 0x80;
        EXPECT_EQ(used(byPixel), expected);
    }
}

TEST(Scale, RowsTakeTheCentreOfEachOutputRow)
{
    const RgbGrayModel gray;
    // 3 to 2: rows 0 and 2.
    auto* three = new ComposerRows(gray, 1, std::vector<Row>{{10}, {11}, {12}});
    Scale down(three, {1, 2});
    EXPECT_EQ(down.targetRow(0), 0);
    EXPECT_EQ(down.targetRow(1), 2);
    const auto rows = OmviTest::pullAll(down);
    EXPECT_EQ(rows, (std::vector<Row>{{10}, {12}}));
    EXPECT_EQ(three->skipped, (std::vector<std::int32_t>{1}));
    EXPECT_EQ(three->pulled, (std::vector<std::int32_t>{0, 2}));

    // 2 to 5: rows 0, 0, 1, 1, 1, each input row pulled once.
    auto* two = new MemoryRows(gray, 1, std::vector<Row>{{20}, {21}});
    Scale up(two, {1, 5});
    std::vector<std::int32_t> targets;
    for (std::int32_t r = 0; r < 5; ++r)
        targets.push_back(up.targetRow(r));
    EXPECT_EQ(targets, (std::vector<std::int32_t>{0, 0, 1, 1, 1}));
    EXPECT_EQ(OmviTest::pullAll(up), (std::vector<Row>{{20}, {20}, {21}, {21}, {21}}));
    EXPECT_EQ(two->pulls, 2);
    EXPECT_FALSE(up.mapsColumns());
    EXPECT_EQ(up.columnMapper(), nullptr);
}

TEST(Scale, EveryDataTypeAndSizeMatchesTheReference)
{
    std::mt19937 random(36);
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
        for (int trial = 0; trial < 12; ++trial)
        {
            const std::int32_t w = 1 + static_cast<std::int32_t>(random() % 40);
            const std::int32_t h = 1 + static_cast<std::int32_t>(random() % 40);
            const std::int32_t w2 = 1 + static_cast<std::int32_t>(random() % 90);
            const std::int32_t h2 = 1 + static_cast<std::int32_t>(random() % 90);
            const auto model = plainModel(dataType);
            const auto rows = patternRows(dataType, w, h);
            Scale scale(new MemoryRows(*model, w, rows), {w2, h2});
            ASSERT_TRUE(scale.isValid());
            EXPECT_EQ(scale.size(), (PixelPair{w2, h2}));
            EXPECT_EQ(scale.bytesPerRow(), rowBytes(w2, dataType));
            DataBuffer out(scale.bytesPerRow());
            for (std::int32_t r = 0; r < h2; ++r)
            {
                std::memset(out.data(), 0xEE, static_cast<std::size_t>(out.size()));
                EXPECT_EQ(scale.getNextRow(out), h2 - r - 1);
                const Row got(out.data(), out.data() + out.size());
                const Row& source = rows[static_cast<std::size_t>(referenceRow(r, h, h2))];
                const bool runs = dataType == 0 ? w <= w2 : w <= w2 / 2;
                for (std::int32_t x = 0; x < w2; ++x)
                    ASSERT_EQ(pixelOf(got, dataType, x), pixelOf(source, dataType, referenceColumn(x, w, w2, runs)))
                        << "type " << dataType << ", " << w << "x" << h << " -> " << w2 << "x" << h2 << " at (" << x
                        << ", " << r << ")";
                const std::int64_t used = pixelBytes(w2, dataType);
                for (std::int64_t b = used; b < out.size(); ++b)
                    EXPECT_EQ(out.data()[b], 0) << "padding";
                if (dataType == 0 && w2 % 8 != 0)
                {
                    EXPECT_EQ(out.data()[w2 / 8] & (0xFF >> (w2 % 8)), 0);
                }
            }
            EXPECT_EQ(scale.getNextRow(out), 0);
            EXPECT_EQ(scale.rowsRemaining(), 0);
        }
}

TEST(Scale, SameSizeCopiesRowsUnchanged)
{
    const RgbModel rgb(32);
    const auto rows = patternRows(kDataTypeThirtyTwoBit, 5, 4);
    Scale scale(new MemoryRows(rgb, 5, rows), {5, 4});
    EXPECT_FALSE(scale.mapsColumns());
    EXPECT_FALSE(scale.merges());
    const auto out = OmviTest::pullAll(scale);
    EXPECT_EQ(out, rows);
    EXPECT_TRUE(scale.dataModel() == rgb);
}

TEST(Scale, BitonalMergeOrsOddRowsBetweenTargets)
{
    const BitonalModel bitonal;
    // 100 to 10: q = 10, mergeLimit 10 - 10 / 4 = 8.
    for (bool composer : {false, true})
    {
        const auto rows = OmviTest::oneBitPerRow(128, 100);
        RowProviderInterface* input = composer ? static_cast<RowProviderInterface*>(new ComposerRows(bitonal, 128, rows))
                                               : new MemoryRows(bitonal, 128, rows);
        auto* asComposer = dynamic_cast<ComposerRows*>(input);
        Scale scale(input, {128, 10});
        EXPECT_TRUE(scale.merges());
        EXPECT_TRUE(scale.mapsColumns()) << "the merge needs the mapper even at the same width";
        EXPECT_EQ(scale.mergeLimit(), 8);
        DataBuffer out(scale.bytesPerRow());
        scale.getNextRow(out);
        const Row first(out.data(), out.data() + 16);
        EXPECT_EQ(OmviTest::setBits(first, 128), (std::vector<std::int32_t>{1, 3, 5}));
        scale.getNextRow(out);
        const Row second(out.data(), out.data() + 16);
        EXPECT_EQ(OmviTest::setBits(second, 128), (std::vector<std::int32_t>{7, 9, 11, 13, 15}));
        if (asComposer)
        {
            // The even rows between targets are passed over without being composed.
            EXPECT_EQ(asComposer->pulled, (std::vector<std::int32_t>{1, 3, 5, 7, 9, 11, 13, 15}));
            EXPECT_EQ(asComposer->skipped, (std::vector<std::int32_t>{0, 2, 4, 6, 8, 10, 12, 14}));
        }
    }
}

TEST(Scale, MergeLimitsAndWhenMergeApplies)
{
    const BitonalModel bitonal;
    const auto limitFor = [&](std::int32_t in, std::int32_t out) {
        Scale scale(new MemoryRows(bitonal, 8, in, 8), {8, out});
        return scale.merges() ? scale.mergeLimit() : -1;
    };
    EXPECT_EQ(limitFor(60, 10), 5);
    EXPECT_EQ(limitFor(50, 10), -1) << "50 is not above 5 x 10";
    EXPECT_EQ(limitFor(3000, 10), 20);
    EXPECT_EQ(limitFor(990, 10), 20) << "q = 99: 99 - 24 = 75, capped";
    EXPECT_EQ(limitFor(1000, 10), 20) << "q = 100: 50, capped";
    EXPECT_EQ(limitFor(61, 12), -1) << "q = 5 is not above 5";

    // A gray image is never merged, however strong the reduction.
    Scale gray(new MemoryRows(RgbGrayModel(), 8, 300, 8), {8, 10});
    EXPECT_FALSE(gray.merges());

    // The merge limit caps how many odd rows go into one output row.
    const auto rows = OmviTest::oneBitPerRow(256, 240);
    Scale strong(new MemoryRows(bitonal, 256, rows), {256, 2});
    EXPECT_EQ(strong.mergeLimit(), 20); // q = 120
    DataBuffer out(strong.bytesPerRow());
    strong.getNextRow(out);
    const auto bits = OmviTest::setBits(Row(out.data(), out.data() + 32), 256);
    // Target row 60; odd rows 1, 3, ..., 39 (20 of them) merged.
    ASSERT_EQ(bits.size(), 21u);
    EXPECT_EQ(bits.front(), 1);
    EXPECT_EQ(bits[19], 39);
    EXPECT_EQ(bits.back(), 60);
}

TEST(Scale, ComposerRowsNotNeededAreSkipped)
{
    const RgbGrayModel gray;
    std::vector<Row> rows;
    for (int r = 0; r < 10; ++r)
        rows.push_back(Row{static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(100 + r)});
    auto* input = new ComposerRows(gray, 2, rows);
    Scale scale(input, {1, 3});
    EXPECT_EQ(OmviTest::pullAll(scale), (std::vector<Row>{{1}, {5}, {8}}));
    EXPECT_EQ(input->pulled, (std::vector<std::int32_t>{1, 5, 8}));
    EXPECT_EQ(input->skipped, (std::vector<std::int32_t>{0, 2, 3, 4, 6, 7}));
    EXPECT_EQ(scale.lastRead(), 8);
}

TEST(Scale, FiltersThatCannotBeMade)
{
    const RgbGrayModel gray;
    // A size below 1: nothing connected, the input stays the caller's.
    for (const PixelPair size : {PixelPair{0, 5}, PixelPair{5, 0}, PixelPair{-3, -3}})
    {
        auto deleted = std::make_shared<bool>(false);
        auto input = std::make_unique<MemoryRows>(gray, 4, 4, 8);
        input->watchDeletion(deleted);
        {
            Scale scale(input.get(), size);
            EXPECT_FALSE(scale.isValid());
            EXPECT_FALSE(scale.isConnected());
            EXPECT_EQ(thrownCode<ImageFilterException>([&] { scale.size(); }), 0);
            DataBuffer row(8);
            EXPECT_EQ(thrownCode<ImageFilterException>([&] { scale.getNextRow(row); }), 0);
        }
        EXPECT_FALSE(*deleted);
    }
    // No input.
    EXPECT_EQ(thrownCode<ImageFilterException>([] { Scale scale(nullptr, {2, 2}); }), 1);
    // An input without pixels: code 5, and the input is still the caller's.
    for (const PixelPair inputSize : {PixelPair{0, 4}, PixelPair{4, 0}})
    {
        auto deleted = std::make_shared<bool>(false);
        auto input = std::make_unique<MemoryRows>(gray, inputSize.x, inputSize.y, 8);
        input->watchDeletion(deleted);
        EXPECT_EQ(thrownCode<ImageFilterException>([&] { Scale scale(input.get(), {3, 3}); }), 5);
        EXPECT_FALSE(*deleted);
    }
    // A row buffer shorter than a row.
    Scale scale(new MemoryRows(gray, 4, 4, 8), {20, 2});
    DataBuffer tooShort(8);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { scale.getNextRow(tooShort); }), 6);
}
