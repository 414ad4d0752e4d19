#include "host/RecordLayout.h"

#include <gtest/gtest.h>

#include <limits>

using namespace host::layout;

TEST(RecordLayout, FixedRecordsMustFillTheArrayExactly)
{
    EXPECT_EQ(fixedRecords(2, std::vector<double>(24), kSketchLine).offsets,
              (std::vector<std::size_t>{0, 12}));
    EXPECT_FALSE(fixedRecords(2, std::vector<double>(23), kSketchLine).ok());
    EXPECT_FALSE(fixedRecords(-1, {}, kSketchLine).ok());
    EXPECT_FALSE(fixedRecords(kMaxCount + 1, {}, kSketchLine).ok());
    EXPECT_TRUE(fixedRecords(0, {}, kSketchLine).ok());
}

TEST(RecordLayout, SplinesCarryTheirPointCount)
{
    // Two splines: 1 point, then 2 points.
    std::vector<double> data = {0, 0, 0, 0, 0, 0, 1, 1, 2, 3, 0, 0,
                                0, 0, 0, 0, 2, 1, 1, 1, 2, 2, 2};
    const Walk walk = splines(2, data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{0, 10}));
    data.pop_back();
    EXPECT_EQ(splines(2, data).error, "spline record 2 needs 13 numbers but only 12 remain");
    EXPECT_TRUE(splines(2, data).offsets.empty()) << "a failed walk gives no records";
    EXPECT_FALSE(splines(1, {0, 0, 0, 0, 0, 0, -1}).ok());
    EXPECT_FALSE(splines(1, {0, 0, 0, 0, 0, 0, 1e300}).ok())
        << "absurd counts are refused, not allocated";
    EXPECT_FALSE(splines(1, {0, 0, 0}).ok());
}

TEST(RecordLayout, PolylineGroupsSkipTheLeadingValue)
{
    const std::vector<double> data = {9, 1, 6, 0, 0, 0, 1, 1, 0, 0};
    const Walk walk = polylineGroups(2, data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{1, 9}));
    EXPECT_FALSE(polylineGroups(1, {}).ok());
    EXPECT_TRUE(polylineGroups(0, {}).ok());
}

TEST(RecordLayout, ModelEdgeItemsHoldGeometryAndPoints)
{
    // An arc with k = 12 and one point, then a polyline with no geometry and two points.
    std::vector<double> data = {1, 12};
    data.insert(data.end(), 12, 0.5);
    data.insert(data.end(), {0, 0, 1, 2, 0, 0, 1, 7, 8, 9});
    const std::size_t second = data.size();
    data.insert(data.end(), {0, 0, 0, 0, 0, 1, 0, 0, 2, 1, 1, 1, 2, 2, 2});
    const Walk walk = modelEdges(2, data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{0, second}));
    data[1] = 1e7;
    EXPECT_FALSE(modelEdges(2, data).ok());
}

TEST(RecordLayout, DimensionsAreSevenMPlusTwentySeven)
{
    std::vector<double> data = {1, 0, 1};
    data.insert(data.end(), 7 + 25, 0.0); // the rest of a 34-number record
    const Walk walk = dimensions(data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, std::vector<std::size_t>{1});
    data.pop_back();
    EXPECT_FALSE(dimensions(data).ok());
    EXPECT_TRUE(dimensions({}).ok());
    EXPECT_FALSE(dimensions({0.5}).ok());
}

TEST(RecordLayout, DetailCirclesAreSixteenPlusNineN)
{
    std::vector<double> data(1 + 16 + 9, 0.0);
    data[1 + 15] = 1;
    const Walk walk = detailCircles(1, data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, std::vector<std::size_t>{1});
    data[1 + 15] = 2;
    EXPECT_FALSE(detailCircles(1, data).ok());
}

TEST(RecordLayout, BreakLinesConsumeByType)
{
    EXPECT_EQ(breakLineGeometrySize(1), 12u);
    EXPECT_EQ(breakLineGeometrySize(2), 36u);
    EXPECT_EQ(breakLineGeometrySize(3), 40u);
    EXPECT_EQ(breakLineGeometrySize(4), 42u);
    EXPECT_EQ(breakLineGeometrySize(9), 0u);
    std::vector<double> data = {9, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0};
    data.insert(data.end(), 12, 1.0);
    const Walk walk = breakLines(2, data);
    ASSERT_TRUE(walk.ok()) << walk.error;
    EXPECT_EQ(walk.offsets, (std::vector<std::size_t>{0, 9}));
    EXPECT_FALSE(breakLines(3, data).ok());
    data[9] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(breakLines(2, data).ok())
        << "NaN counts as an unknown type: nine values, then a leftover";
}
