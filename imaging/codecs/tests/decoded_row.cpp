// How the bilevel row iterators (CALS, RLC, IG4) hand their decoded row to
// the caller's buffer.
#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/codecs/codec/DecodedRow.h"
#include "imaging/codecs/tests/ImageTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace Omvi;

TEST(DecodedRow, TheDecodedBytesAreCopiedAndNothingBeyond)
{
    DataBuffer row(5);
    std::memset(row.data(), 0xEE, 5);
    deliverDecodedRow(row, {1, 2, 3, 4}, 3);
    EXPECT_EQ(std::vector<std::uint8_t>(row.data(), row.data() + 5), (std::vector<std::uint8_t>{1, 2, 3, 0xEE, 0xEE}));
}

TEST(DecodedRow, NothingDecodedYetGivesABlankRow)
{
    DataBuffer row(4);
    std::memset(row.data(), 0xEE, 4);
    deliverDecodedRow(row, {}, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(row.data(), row.data() + 4), (std::vector<std::uint8_t>(4, 0)));
}

TEST(DecodedRow, AShortBufferIsRefusedUntouched)
{
    DataBuffer row(2);
    std::memset(row.data(), 0xEE, 2);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { deliverDecodedRow(row, {1, 2, 3}, 3); }),
              ImageFilterException::kRowBufferTooSmall);
    EXPECT_EQ(std::vector<std::uint8_t>(row.data(), row.data() + 2), (std::vector<std::uint8_t>(2, 0xEE)));
    DataBuffer none;
    EXPECT_EQ(OmviTest::codeOfFailure([&] { deliverDecodedRow(none, {}, 1); }),
              ImageFilterException::kRowBufferTooSmall);
    deliverDecodedRow(none, {}, 0);
}
