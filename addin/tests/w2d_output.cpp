// The conversions and rendition setters every part of the drawing path
// shares, checked through what a W2D reader finds.
#include "addin/publishers/W2DOutput.h"
#include "addin/tests/W2DCapture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using addin_test::Drawn;
using addin_test::W2DCapture;
using namespace w2dout;

TEST(W2DOutput, SaturatingConversionTruncatesAndClamps)
{
    EXPECT_EQ(SaturateToInt32(10.99), 10);
    EXPECT_EQ(SaturateToInt32(-10.99), -10);
    EXPECT_EQ(SaturateToInt32(std::nan("")), 0);
    EXPECT_EQ(SaturateToInt32(1e300), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(SaturateToInt32(-std::numeric_limits<double>::infinity()),
              std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(SaturateToInt32(2147483647.5), 2147483647);
    EXPECT_EQ(ToUInt16(65536.0), 0);
    EXPECT_EQ(ToUInt16(-1.0), 65535);
    EXPECT_EQ(ToUInt16(70000.7), 70000 - 65536);
    EXPECT_DOUBLE_EQ(ClampedAcos(1.0000000001), 0.0);
    EXPECT_DOUBLE_EQ(ClampedAcos(-1.0000000001), kPi);
}

TEST(W2DOutput, PointsMapThroughTheViewAndTheSheetScale)
{
    const SheetContext sheet{1000.0};
    const ViewTransform identity;
    // Truncation, not rounding, and toward zero for negative values.
    EXPECT_EQ(ToLogical(Place(sheet, identity, 0.0105, -0.0105)), WT_Logical_Point(10, -10));
    const ViewTransform placed{0.1, 0.2, 0.5};
    EXPECT_EQ(ToLogical(Place(sheet, placed, 0.04, -0.02)), WT_Logical_Point(120, 190));
    EXPECT_EQ(std::trunc(PlaceLength(sheet, placed, 0.03)), 15);
    // Beyond the stream's 32-bit range a point stays where it was worked
    // out, not pressed onto the range's edge; the range is what truncates
    // into a signed 32-bit integer.
    const SheetPosition far = Place(sheet, identity, 1e300, -3e6);
    EXPECT_EQ(far.x, 1e303);
    EXPECT_EQ(far.y, -3e9);
    EXPECT_FALSE(InStreamRange(far));
    EXPECT_FALSE(InStreamRange(Place(sheet, identity, std::nan(""), 0)));
    EXPECT_TRUE(InStreamRange(SheetPosition(2147483647.9, -2147483648.9)));
    EXPECT_FALSE(InStreamRange(2147483648.0));
    EXPECT_FALSE(InStreamRange(-2147483649.0));
    EXPECT_EQ(ToLogical(SheetPosition(2147483647.9, -2147483648.9)),
              WT_Logical_Point(2147483647, -2147483647 - 1));
}

TEST(W2DOutput, DirectionAnglesCoverEveryQuadrant)
{
    const HostPoint origin;
    EXPECT_DOUBLE_EQ(GetW2DAngle(origin, {1, 0, 0}), 0.0);
    EXPECT_DOUBLE_EQ(GetW2DAngle(origin, {0, 1, 0}), 16384.0);
    EXPECT_DOUBLE_EQ(GetW2DAngle(origin, {0, -1, 0}), 49152.0);
    EXPECT_DOUBLE_EQ(GetW2DAngle(origin, {0, 0, 0}), 49152.0);
    EXPECT_NEAR(GetW2DAngle(origin, {-1, 0, 0}), 32768.0, 1e-9);
    EXPECT_NEAR(GetW2DAngle(origin, {1, 1, 0}), 8192.0, 1e-9);
    EXPECT_NEAR(GetW2DAngle(origin, {-1, 1, 0}), 24576.0, 1e-9);
    EXPECT_NEAR(GetW2DAngle(origin, {-1, -1, 0}), 40960.0, 1e-9);
    EXPECT_NEAR(GetW2DAngle(origin, {1, -1, 0}), 57344.0, 1e-9);
    EXPECT_NEAR(GetW2DAngle({1, 1, 0}, {1.0000005, 2, 0}), 16384.0, 1e-9)
        << "a run below 1e-6 counts as vertical";
}

TEST(W2DOutput, ColoursStylesAndWeightsReachTheRendition)
{
    W2DCapture capture;
    WT_File& file = capture.file();
    const SheetContext sheet{1.0};
    const HostPoint line[2] = {{0, 0, 0}, {10, 0, 0}};
    const auto draw = [&]
    { ASSERT_EQ(WritePolyline(file, sheet, 2, line, ViewTransform{}), WT_Result_Success); };
    SetColor(file, 255); // red in the low byte
    SetSketchLineStyle(file, 1);
    SetLineWeight(file, 3);
    draw();
    SetColor(file, 0x00FF8040);
    SetSketchLineStyle(file, 4);
    SetLineWeight(file, 8); // keeps 60
    draw();
    SetLineWeight(file, -1);
    SetSketchLineStyle(file, 99);
    SetDisplaydataLineStyle(file, 6);
    draw();
    SetDisplaydataLineStyle(file, 7); // keeps 24
    SetLineWeight(file, 7);
    draw();
    const std::vector<Drawn> drawn = capture.ReadBack();
    ASSERT_EQ(drawn.size(), 4u);
    EXPECT_EQ(drawn[0].colour, WT_RGBA32(255, 0, 0, 255));
    EXPECT_EQ(drawn[0].pattern, WT_Line_Pattern::ISO_Dash);
    EXPECT_EQ(drawn[0].weight, 60);
    EXPECT_EQ(drawn[1].colour, WT_RGBA32(0x40, 0x80, 0xFF, 255));
    EXPECT_EQ(drawn[1].pattern, WT_Line_Pattern::ISO_Long_Dash_Short_Dash);
    EXPECT_EQ(drawn[1].weight, 60);
    EXPECT_EQ(drawn[2].pattern, WT_Line_Pattern::ISO_Long_Dash_Short_Dash);
    EXPECT_EQ(drawn[2].weight, 0);
    EXPECT_EQ(drawn[3].pattern, WT_Line_Pattern::ISO_Long_Dash_Short_Dash);
    EXPECT_EQ(drawn[3].weight, 140);
}

TEST(W2DOutput, SketchLineStyleTable)
{
    const std::pair<int, int> table[] = {{1, 18}, {16, 18}, {2, 12}, {3, 4},  {6, 4},  {4, 24},
                                         {5, 3},  {0, 1},   {7, 1},  {15, 1}, {-1, 1}, {17, 1}};
    for (const auto& [style, pattern] : table)
        EXPECT_EQ(LinePatternForSketchStyle(style), pattern) << style;
}

TEST(W2DOutput, CircularArcsRunCounterClockwiseFromStartToEnd)
{
    W2DCapture capture;
    const SheetContext sheet{100.0};
    const HostPoint centre{1, 1, 0};
    const HostPoint east{2, 1, 0};
    const HostPoint north{1, 2, 0};
    const ViewTransform identity;
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, east, north, identity, 1),
              WT_Result_Success);
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, east, north, identity, -1),
              WT_Result_Success);
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, east, east, identity, 1),
              WT_Result_Success);
    // A zero radius has no angles and draws nothing.
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, centre, north, identity, 1),
              WT_Result_Success);
    const std::vector<Drawn> drawn = capture.ReadBack();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].points[0], WT_Logical_Point(100, 100));
    EXPECT_EQ(drawn[0].major, 100);
    EXPECT_EQ(drawn[0].minor, 100);
    EXPECT_EQ(drawn[0].start, 0u);
    EXPECT_EQ(drawn[0].end, 16384u);
    EXPECT_EQ(drawn[1].start, 16384u) << "clockwise: from the end's angle to the start's";
    EXPECT_EQ(drawn[1].end, 65536u);
    EXPECT_EQ(drawn[2].start, 0u) << "equal angles: the whole circle";
    EXPECT_EQ(drawn[2].end, 65536u);
}

TEST(W2DOutput, OnlyAnArcWhoseEndsCoincideIsTheWholeCircle)
{
    // About (0.337409, 0.296205), from (0.355144, 0.308374) to 1 µm above
    // it: dx = 0.017735, dy = 0.012169 and 0.012170, so the two directions
    // are atan(dy / dx) · 65536 / 2π = 6272.569 and 6272.969 units, one
    // stream unit. At sheet scale 10000 the centre is (3374, 2962) and the
    // radius hypot(dx, dy) · 10000 = 215.08.
    W2DCapture capture;
    const SheetContext sheet{10000.0};
    const ViewTransform identity;
    const HostPoint centre{0.337409, 0.296205, 0};
    const HostPoint start{0.355144, 0.308374, 0};
    const HostPoint end{0.355144, 0.308375, 0};
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, start, end, identity, 1),
              WT_Result_Success);
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, start, end, identity, -1),
              WT_Result_Success);
    ASSERT_EQ(WriteOutlineEllipse(capture.file(), sheet, centre, start, start, identity, 1),
              WT_Result_Success);
    const std::vector<Drawn> drawn = capture.ReadBack();
    ASSERT_EQ(drawn.size(), 3u);
    EXPECT_EQ(drawn[0].points[0], WT_Logical_Point(3374, 2962));
    EXPECT_EQ(drawn[0].major, 215);
    EXPECT_EQ(drawn[0].start, 6272u);
    EXPECT_EQ(drawn[0].end, 6273u) << "the short arc it is, not a circle";
    EXPECT_EQ(drawn[1].start, 6272u) << "clockwise: all the way round but that unit";
    EXPECT_EQ(drawn[1].end, 6271u + 65536u);
    EXPECT_EQ(drawn[2].end - drawn[2].start, 65536u) << "ends that coincide: the whole circle";

    // The rule alone: truncated angles stay as they are while the sweep
    // between them is the document's give or take the unit truncation
    // loses; equal ones move a unit the way the sweep lies, also across the
    // turn.
    const auto angles = [](double from, double to, double sweep, bool whole = false)
    {
        const StreamArc arc = ArcAngles(from, to, ArcSweep{sweep, whole});
        return std::make_pair(arc.start, arc.end);
    };
    using Pair = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(angles(100.2, 16384.7, 16284.5), Pair(100, 16384));
    EXPECT_EQ(angles(100.2, 100.7, 0.5), Pair(100, 101));
    EXPECT_EQ(angles(100.7, 100.2, 65535.5), Pair(100, 99));
    EXPECT_EQ(angles(65535.2, 65535.9, 0.7), Pair(65535, 0));
    EXPECT_EQ(angles(0.9, 0.1, 65535.2), Pair(0, 65535));
    EXPECT_EQ(angles(100.7, 100.2, 65535.5, true), Pair(100, 100));
    EXPECT_EQ(angles(100.2, 100.2, 0.0), Pair(100, 101)) << "no sweep: the least there is";
    EXPECT_EQ(angles(0.0, 65536.0, 65536.0), Pair(0, 65535))
        << "a sweep that rounds to the whole turn is all but one unit of it";
    EXPECT_EQ(angles(5.3, 4.9, 1e-7), Pair(5, 6)) << "ends truncated past each other: a sliver";
    EXPECT_EQ(angles(7.5, 7.5, std::nan("")), Pair(7, 8));
}
