// Rows of a file through a codec's row iterator: the iterator stands one
// row ahead, the answer is the rows still to come, and damaged iterators are
// reported instead of overrunning the caller's row.
#include "SyntheticImageFile.h"
#include "Thrown.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/descriptors/ReadRowProviderImp.h"
#include "imaging/models/RgbGrayModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{
// An iterator that counts what it is asked and says when it is deleted.
class CountingIterator : public SyntheticRowIterator
{
public:
    CountingIterator(std::shared_ptr<SyntheticFile> file, int* deleted, int* finishes)
        : SyntheticRowIterator(std::move(file)), deleted_(deleted), finishes_(finishes)
    {
    }
    ~CountingIterator() override { ++*deleted_; }
    bool next() override
    {
        ++nexts;
        return SyntheticRowIterator::next();
    }
    void start() override
    {
        ++starts;
        SyntheticRowIterator::start();
    }
    void finish() override { ++*finishes_; }
    int nexts = 0;
    int starts = 0;

private:
    int* deleted_;
    int* finishes_;
};
} // namespace

TEST(ReadRowProvider, OneRowIsDeliveredWithoutMovingTheIteratorPastIt)
{
    auto file = SyntheticFile::gray(5, 1);
    int deleted = 0;
    int finishes = 0;
    auto* iterator = new CountingIterator(file, &deleted, &finishes);
    {
        ReadRowProviderImp rows(iterator, RgbGrayModel());
        EXPECT_TRUE(rows.isValid());
        EXPECT_EQ(iterator->starts, 1) << "started at construction";
        EXPECT_EQ(rows.size(), (PixelPair{5, 1}));
        EXPECT_EQ(rows.bytesPerRow(), 8);
        EXPECT_FALSE(rows.hasSparseRows());
        std::int32_t first = -1;
        std::int32_t count = -1;
        EXPECT_TRUE(rows.nextRun(first, count));
        EXPECT_EQ(first, 0);
        EXPECT_EQ(count, 5);
        EXPECT_EQ(rows.runCount(), 1);

        DataBuffer row(8);
        std::memset(row.data(), 0xEE, 8);
        EXPECT_EQ(rows.getNextRow(row), 0);
        EXPECT_EQ(rows.rowsRemaining(), 0);
        EXPECT_EQ(iterator->nexts, 0) << "no row after the last one is read";
        std::uint8_t expected[8] = {};
        file->writePixels(0, 0, 5, expected);
        EXPECT_EQ(std::memcmp(row.data(), expected, 8), 0) << "the padding is cleared";

        std::memset(row.data(), 0xEE, 8);
        EXPECT_EQ(rows.getNextRow(row), 0) << "past the end";
        EXPECT_EQ(row.data()[0], 0xEE) << "nothing is written past the end";
        EXPECT_EQ(iterator->nexts, 0);
    }
    EXPECT_EQ(finishes, 1);
    EXPECT_EQ(deleted, 1);
}

TEST(ReadRowProvider, AnswersTheRowsStillToComeAndFinishesAnUnreadIterator)
{
    auto file = SyntheticFile::gray(3, 4);
    int deleted = 0;
    int finishes = 0;
    {
        ReadRowProviderImp rows(new CountingIterator(file, &deleted, &finishes), RgbGrayModel());
        DataBuffer row(rows.bytesPerRow());
        EXPECT_EQ(rows.getNextRow(row), 3);
        EXPECT_EQ(rows.getNextRow(row), 2);
        std::uint8_t expected[3];
        file->writePixels(1, 0, 3, expected);
        EXPECT_EQ(std::memcmp(row.data(), expected, 3), 0);
    }
    EXPECT_EQ(finishes, 1) << "destroyed with rows unread: still finished";
    EXPECT_EQ(deleted, 1);

    ReadRowProviderImp none(nullptr, RgbGrayModel());
    EXPECT_FALSE(none.isValid());
    DataBuffer row(8);
    EXPECT_EQ(none.getNextRow(row), 0);
    EXPECT_EQ(none.size(), (PixelPair{0, 0}));
}

TEST(ReadRowProvider, DamagedIteratorsAreReportedNotFollowed)
{
    int deleted = 0;
    int finishes = 0;
    auto longRows = SyntheticFile::gray(8, 4);
    longRows->extraRowBytes = 1;
    EXPECT_EQ(thrownCode<ImageFilterException>([&] {
                  ReadRowProviderImp rows(new CountingIterator(longRows, &deleted, &finishes), RgbGrayModel());
              }),
              ImageFilterException::kInvalidSize)
        << "rows longer than the model stores for the width";
    EXPECT_EQ(deleted, 1) << "the iterator is not lost";

    auto stops = SyntheticFile::gray(8, 4);
    stops->stopAfterRows = 2;
    ReadRowProviderImp rows(new CountingIterator(stops, &deleted, &finishes), RgbGrayModel());
    DataBuffer row(rows.bytesPerRow());
    EXPECT_EQ(rows.getNextRow(row), 3);
    EXPECT_EQ(rows.getNextRow(row), 2);
    EXPECT_EQ(thrownCode<FileIOException>([&] { rows.getNextRow(row); }), FileIOException::kEndOfFile);

    auto fine = SyntheticFile::gray(8, 4);
    ReadRowProviderImp short_(new CountingIterator(fine, &deleted, &finishes), RgbGrayModel());
    DataBuffer tooShort(7);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { short_.getNextRow(tooShort); }),
              ImageFilterException::kRowBufferTooSmall);
    EXPECT_EQ(short_.rowsRemaining(), 4) << "a refused row is not counted";
}
