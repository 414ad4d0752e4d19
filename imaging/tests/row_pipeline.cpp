#include "RowSources.h"
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/conversions/ConvertGrayTo.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/ImageFilter.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/pipeline/RowProviderToRowIterator.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Omvi;
using OmviTest::thrownBy;
using OmviTest::MemoryRows;
using OmviTest::Row;

namespace
{
// The smallest concrete filter: hands its first input's rows on.
class PassThrough : public ImageFilter
{
public:
    std::int32_t getNextRow(DataBuffer& row) override { return input(0)->getNextRow(row); }
    std::int32_t rowsRemaining() const override { return input(0)->rowsRemaining(); }
};

// A provider that reports sparse rows with two runs.
class SparseRows : public MemoryRows
{
public:
    using MemoryRows::MemoryRows;
    bool hasSparseRows() const override { return true; }
    std::int32_t runCount() const override { return 2; }
    bool nextRun(std::int32_t& first, std::int32_t& count) override
    {
        first = 3;
        count = 4;
        return true;
    }
    void restartRuns() override { ++restarts; }
    int restarts = 0;
};

std::vector<Row> grayRows(int width, int height)
{
    std::vector<Row> rows;
    for (int y = 0; y < height; ++y)
    {
        Row row;
        for (int x = 0; x < width; ++x)
            row.push_back(static_cast<std::uint8_t>(x * 10 + y));
        rows.push_back(row);
    }
    return rows;
}

class CountingReporter : public ProgressReporterInterface
{
public:
    bool reportProgress(std::int32_t row, std::int32_t rowCount) override
    {
        rows.push_back(row);
        count = rowCount;
        return rows.size() < stopAfter;
    }
    std::vector<std::int32_t> rows;
    std::int32_t count = 0;
    std::size_t stopAfter = 1000;
};
} // namespace

TEST(ImageFilter, MisuseIsReportedWithTheFilterCodes)
{
    PassThrough filter;
    auto expectCode = [](OwnedException error, std::int32_t code, const char* text) {
        ASSERT_TRUE(error);
        EXPECT_NE(dynamic_cast<ImageFilterException*>(error.get()), nullptr);
        EXPECT_EQ(error->code(), code);
        EXPECT_EQ(error->getMessage().text(), text);
    };
    expectCode(thrownBy([&] { filter.size(); }), 0, "Init has not been called");
    expectCode(thrownBy([&] { filter.dataModel(); }), 0, "Init has not been called");
    expectCode(thrownBy([&] { filter.bytesPerRow(); }), 0, "Init has not been called");
    expectCode(thrownBy([&] { filter.input(0); }), 1, "No valid inputs");
    expectCode(thrownBy([&] { filter.init({4, 4}); }), 1, "No valid inputs");
    EXPECT_FALSE(filter.isValid());

    RowProviderInterface* a = new MemoryRows(RgbGrayModel(), 4, grayRows(4, 2));
    RowProviderInterface* b = new MemoryRows(RgbGrayModel(), 4, grayRows(4, 2));
    ASSERT_TRUE(filter.connectInput(a));
    ASSERT_TRUE(filter.connectInput(b));
    expectCode(thrownBy([&] { filter.init({4, 2}); }), 3, "Too many connected inputs");
    filter.init({4, 2}, RgbGrayModel());
    expectCode(thrownBy([&] { filter.init({4, 2}, RgbGrayModel()); }), 4, "Init has already been called");
    expectCode(thrownBy([&] { filter.input(2); }), 1, "No valid inputs");
    EXPECT_TRUE(filter.isValid());
    static_cast<MemoryRows*>(b)->valid = false;
    EXPECT_FALSE(filter.isValid());

    RowProviderInterface* none = nullptr;
    PassThrough other;
    EXPECT_FALSE(other.connectInput(none));
    EXPECT_EQ(other.inputCount(), 0);
}

TEST(ImageFilter, ImpossibleSizesAreRefusedAtInit)
{
    PassThrough negative;
    RowProviderInterface* source = new MemoryRows(RgbGrayModel(), 4, grayRows(4, 1));
    ASSERT_TRUE(negative.connectInput(source));
    OwnedException error = thrownBy([&] { negative.init({-1, 5}); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ImageFilterException::kInvalidSize);
    EXPECT_FALSE(negative.isInitialised());

    // 600 million RGB pixels need rows of 2.4 GB, more than a row buffer holds.
    PassThrough huge;
    RowProviderInterface* wide = new MemoryRows(RgbModel(), 4, grayRows(4, 1));
    ASSERT_TRUE(huge.connectInput(wide));
    EXPECT_TRUE(thrownBy([&] { huge.init({600'000'000, 1}, RgbModel()); }));
    huge.init({1000, 1}, RgbModel());
    EXPECT_EQ(huge.bytesPerRow(), 4000);
}

TEST(ImageFilter, InputsAreKeptInOrderAndTheArrayGrowsByFive)
{
    PassThrough filter;
    std::vector<RowProviderInterface*> given;
    for (int i = 0; i < 6; ++i)
    {
        RowProviderInterface* input = new MemoryRows(RgbGrayModel(), 2, grayRows(2, 1));
        given.push_back(input);
        ASSERT_TRUE(filter.connectInput(input));
        EXPECT_EQ(input, given.back());
        EXPECT_EQ(filter.inputCapacity(), i < 5 ? 5 : 10);
    }
    EXPECT_EQ(filter.inputCapacity(), 10);
    ASSERT_EQ(filter.inputCount(), 6);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(filter.input(i), given[static_cast<std::size_t>(i)]);
}

TEST(ImageFilter, ConnectingWhereAnotherModelIsRequiredInsertsAConversion)
{
    auto deleted = std::make_shared<bool>(false);
    auto* gray = new MemoryRows(RgbGrayModel(), 3, grayRows(3, 2));
    gray->watchDeletion(deleted);
    RowProviderInterface* input = gray;

    {
        PassThrough filter;
        ASSERT_TRUE(filter.connectInput(input, RgbModel()));
        // The caller's pointer now names the conversion, which owns the gray
        // provider.
        ASSERT_NE(input, gray);
        EXPECT_NE(dynamic_cast<ConvertGrayTo*>(input), nullptr);
        EXPECT_EQ(filter.input(0), input);
        EXPECT_EQ(input->dataModel().colorSpace(), kColorSpaceRgb);
        filter.init({3, 2});
        const std::vector<Row> rows = OmviTest::pullAll(filter);
        EXPECT_EQ(rows[1], (Row{1, 1, 1, 255, 11, 11, 11, 255, 21, 21, 21, 255}));
        EXPECT_FALSE(*deleted);
    }
    // Deleting the filter deleted the chain.
    EXPECT_TRUE(*deleted);

    // A plain 16-bit provider cannot become RGB: refused, nothing connected,
    // the provider stays the caller's.
    RowProviderInterface* plain = new MemoryRows(DataModel(1, kDataTypeSixteenBit, 16), 2, {Row(4, 0)});
    RowProviderInterface* before = plain;
    PassThrough refusing;
    EXPECT_FALSE(refusing.connectInput(plain, RgbModel()));
    EXPECT_EQ(plain, before);
    EXPECT_EQ(refusing.inputCount(), 0);
    delete plain;

    // RGB to palette exists in neither direction.
    RowProviderInterface* rgb = new MemoryRows(RgbModel(), 2, {Row(8, 0)});
    EXPECT_FALSE(refusing.connectInput(rgb, RgbPaletteModel(4)));
    delete rgb;

    // An equal model is connected as it is, whatever the sample format.
    RowProviderInterface* same = new MemoryRows(DataModel(3, kColorSpaceGray, kDataTypeEightBit, 8), 2, {Row(2, 0)});
    RowProviderInterface* sameBefore = same;
    ASSERT_TRUE(refusing.connectInput(same, RgbGrayModel()));
    EXPECT_EQ(same, sameBefore);
}

TEST(ImageFilter, AfterInitConnectionsConvertIntoTheOutputModel)
{
    PassThrough filter;
    filter.init({2, 1}, RgbModel());
    RowProviderInterface* bitonal = new MemoryRows(BitonalModel(), 2, {Row{0x40}});
    ASSERT_TRUE(filter.connectInput(bitonal));
    EXPECT_EQ(filter.input(0)->dataModel().colorSpace(), kColorSpaceRgb);
    DataBuffer row(filter.bytesPerRow());
    EXPECT_EQ(filter.getNextRow(row), 0);
    const Row got(row.data(), row.data() + 8);
    EXPECT_EQ(got, (Row{255, 255, 255, 255, 0, 0, 0, 255}));
}

TEST(ImageFilter, RowQueriesPassThroughOnlyFromOneInputOfTheSameSize)
{
    PassThrough same;
    auto* sparse = new SparseRows(RgbGrayModel(), 10, grayRows(10, 1));
    RowProviderInterface* input = sparse;
    ASSERT_TRUE(same.connectInput(input));
    same.init({10, 1});
    std::int32_t first = -1, count = -1;
    EXPECT_TRUE(same.hasSparseRows());
    EXPECT_EQ(same.runCount(), 2);
    EXPECT_TRUE(same.nextRun(first, count));
    EXPECT_EQ(first, 3);
    EXPECT_EQ(count, 4);
    same.restartRuns();
    EXPECT_EQ(sparse->restarts, 1);

    PassThrough resized;
    auto* other = new SparseRows(RgbGrayModel(), 10, grayRows(10, 1));
    input = other;
    ASSERT_TRUE(resized.connectInput(input));
    resized.init({20, 1});
    EXPECT_FALSE(resized.hasSparseRows());
    EXPECT_EQ(resized.runCount(), 1);
    EXPECT_TRUE(resized.nextRun(first, count));
    EXPECT_EQ(first, 0);
    EXPECT_EQ(count, 20);
    // Forwarded whatever the size.
    resized.restartRuns();
    EXPECT_EQ(other->restarts, 1);
}

TEST(RowProviderToRowIterator, ReportsProgressAtTheRowCountsInterval)
{
    struct Case
    {
        int rows;
        std::int32_t interval;
        std::size_t every;
    };
    for (const Case& c : {Case{250, 2, 3}, Case{40, 1, 2}, Case{1000, 10, 11}})
    {
        CountingReporter reporter;
        RowProviderToRowIterator rows(new MemoryRows(RgbGrayModel(), 3, grayRows(3, c.rows)), &reporter);
        EXPECT_EQ(rows.reportInterval(), c.interval);
        rows.start();
        for (int i = 1; i < c.rows; ++i)
            ASSERT_TRUE(rows.next());
        ASSERT_FALSE(reporter.rows.empty());
        EXPECT_EQ(reporter.rows.size(), static_cast<std::size_t>(c.rows - 1) / c.every) << c.rows;
        EXPECT_EQ(reporter.rows[0], static_cast<std::int32_t>(c.every));
        EXPECT_EQ(reporter.count, c.rows);
    }
}

TEST(RowProviderToRowIterator, TheReportersAnswerStopsTheWriter)
{
    CountingReporter reporter;
    reporter.stopAfter = 2;
    RowProviderToRowIterator rows(new MemoryRows(RgbGrayModel(), 3, grayRows(3, 40)), &reporter);
    rows.start();
    int advanced = 0;
    while (rows.next())
        ++advanced;
    EXPECT_EQ(advanced, 3);
    EXPECT_EQ(reporter.rows, (std::vector<std::int32_t>{2, 4}));
}

TEST(RowProviderToRowIterator, HandsOutUnpaddedRowsAndNeverPullsPastTheEnd)
{
    std::vector<Row> bits = {Row{0xF0, 0x80}, Row{0x0F, 0x00}};
    auto deleted = std::make_shared<bool>(false);
    auto* source = new MemoryRows(BitonalModel(), 9, bits);
    source->watchDeletion(deleted);
    RowProviderToRowIterator rows(source, nullptr);
    EXPECT_EQ(rows.bytesPerRow(), 2);
    EXPECT_EQ(rows.width(), 9);
    EXPECT_EQ(rows.rowCount(), 2);

    DataBuffer out(2);
    rows.start();
    rows.getRow(out);
    EXPECT_EQ(Row(out.data(), out.data() + 2), bits[0]);
    EXPECT_TRUE(rows.next());
    rows.getRow(out);
    EXPECT_EQ(Row(out.data(), out.data() + 2), bits[1]);
    // Past the last row: nothing more is pulled, and the writer is not told
    // to stop.
    EXPECT_TRUE(rows.next());
    EXPECT_TRUE(rows.next());
    EXPECT_EQ(source->pulls, 2);
    // A second start cannot rewind a provider and changes nothing.
    rows.start();
    EXPECT_EQ(source->pulls, 2);

    DataBuffer small(1);
    OwnedException error = thrownBy([&] { rows.getRow(small); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->code(), ImageFilterException::kRowBufferTooSmall);

    rows.finish();
    EXPECT_TRUE(*deleted);
    EXPECT_TRUE(rows.next());

    EXPECT_TRUE(thrownBy([] { RowProviderToRowIterator none(nullptr, nullptr); }));
}

TEST(RowProviderToRowIterator, AnIteratorDestroyedEarlyDeletesItsProvider)
{
    auto deleted = std::make_shared<bool>(false);
    auto* source = new MemoryRows(RgbGrayModel(), 3, grayRows(3, 5));
    source->watchDeletion(deleted);
    {
        RowProviderToRowIterator rows(source, nullptr);
        rows.start();
    }
    EXPECT_TRUE(*deleted);
}
