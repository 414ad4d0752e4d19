// Point sets, lines, polylines and polygons: their stream forms, the joining
// of chained polylines, and what the writer must leave untouched.
#include "dwf/w2dtk/line_weight.h"
#include "dwf/w2dtk/tests/geometry_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace w2d_geometry_test;

namespace
{
std::string le16(int v)
{
    return bytes_of({v & 0xFF, (v >> 8) & 0xFF});
}

std::string le32(std::int64_t v)
{
    auto const u = std::uint32_t(v);
    return bytes_of({int(u & 0xFF), int((u >> 8) & 0xFF), int((u >> 16) & 0xFF), int(u >> 24)});
}

std::vector<WT_Logical_Point> diagonal(int count, int step = 1)
{
    std::vector<WT_Logical_Point> points;
    for (int i = 0; i < count; ++i)
        points.emplace_back(i * step, i * step);
    return points;
}

// Writes one polyline (merging off, so it goes out at once).
std::string polyline_stream(bool binary, std::vector<WT_Logical_Point> points)
{
    return write_stream(binary,
                        [&](WT_File& file)
                        {
                            file.set_allow_drawable_merging(false);
                            WT_Polyline line(int(points.size()), points.data(), false);
                            EXPECT_EQ(line.serialize(file), WT_Result_Success);
                        });
}
} // namespace

TEST(Polyline_Forms, Two_Points_Are_A_Line)
{
    std::vector<WT_Logical_Point> line{{0, 0}, {10, -5}};
    EXPECT_EQ(body_of(polyline_stream(false, line)), "\r\n   L 0,0 10,-5");
    EXPECT_EQ(binary_body_of(polyline_stream(true, line)),
              bytes_of({0x0C}) + le16(0) + le16(0) + le16(10) + le16(-5));

    // A delta beyond 16 bits needs the 32-bit line.
    std::vector<WT_Logical_Point> long_line{{0, 0}, {100000, 1}};
    EXPECT_EQ(binary_body_of(polyline_stream(true, long_line)),
              "l" + le32(0) + le32(0) + le32(100000) + le32(1));
}

TEST(Polyline_Forms, ASCII_Points_Wrap_Every_Four)
{
    EXPECT_EQ(body_of(polyline_stream(false, diagonal(9))),
              "\r\n   P 9 0,0 1,1 2,2 3,3\r\n       4,4 5,5 6,6 7,7\r\n       8,8");
}

TEST(Polyline_Forms, Binary_Counts_And_Their_Limits)
{
    auto count_bytes = [](int count)
    {
        std::string const body = binary_body_of(polyline_stream(true, diagonal(count)));
        return body.substr(0, 4);
    };
    EXPECT_EQ(count_bytes(3), bytes_of({0x10, 3}) + le16(0).substr(0, 2));
    EXPECT_EQ(count_bytes(255).substr(0, 2), bytes_of({0x10, 255}));
    EXPECT_EQ(count_bytes(256), bytes_of({0x10, 0}) + le16(0));
    EXPECT_EQ(count_bytes(65791), bytes_of({0x10, 0}) + le16(65535));
    // One more point than a count can carry: the ASCII form, even in a binary file.
    std::string const big = binary_body_of(polyline_stream(true, diagonal(65792)));
    EXPECT_EQ(big.substr(0, 12), "P 65792 0,0 ");
    EXPECT_EQ(big.substr(big.size() - 12), " 65791,65791");
}

TEST(Polyline_Forms, Far_First_Point_Goes_Through_An_Origin)
{
    std::vector<WT_Logical_Point> far{{1000000, 5}, {1000010, 5}, {1000010, 15}};
    EXPECT_EQ(binary_body_of(polyline_stream(true, far)),
              "O" + le32(1000000) + le32(5) + bytes_of({0x10, 3}) + le16(0) + le16(0) + le16(10) +
                  le16(0) + le16(0) + le16(10));
    // A single far point is cheaper in the 32-bit form.
    EXPECT_EQ(binary_body_of(polyline_stream(true, {{1000000, 5}})),
              "p" + bytes_of({1}) + le32(1000000) + le32(5));
    // Later deltas beyond 16 bits force the 32-bit form for all.
    std::vector<WT_Logical_Point> jump{{0, 0}, {1, 1}, {70000, 1}};
    EXPECT_EQ(binary_body_of(polyline_stream(true, jump)).substr(0, 2), bytes_of({'p', 3}));
}

TEST(Polyline_Forms, Every_Form_Reads_Back)
{
    std::vector<std::vector<WT_Logical_Point>> shapes = {
        {{0, 0}, {10, -5}},
        {{0, 0}, {100000, 1}},
        {{1000000, 5}, {1000010, 5}, {1000010, 15}},
        {{-7, 3}},
        diagonal(300, 3),
        {{0, 0}, {1, 1}, {70000, 1}, {-2147483647, 2147483647}},
    };
    for (bool binary : {false, true})
        for (auto const& shape : shapes)
        {
            std::string const stream = polyline_stream(binary, shape);
            Read_Back back = read_back(stream, 1, 64);
            EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
            // The far shape announces its first point through an origin.
            if (!back.objects.empty() && back.objects[0].rfind("Origin ", 0) == 0)
                back.objects.erase(back.objects.begin());
            ASSERT_EQ(back.objects.size(), 1u) << joined(back.objects);
            EXPECT_EQ(back.objects[0],
                      "Polyline " + text_of_points(int(shape.size()), shape.data()));
        }
}

TEST(Polyline_Writing, Leaves_The_Callers_Points_And_Repeats_Itself)
{
    std::vector<WT_Logical_Point> points{{5, 5}, {100, 5}, {100, 90}};
    std::vector<WT_Logical_Point> const original = points;
    WT_Polyline line(3, points.data(), false);
    auto write_once = [&line](bool binary)
    {
        return write_stream(
            binary,
            [&](WT_File& file)
            {
                file.set_allow_drawable_merging(false);
                EXPECT_EQ(line.serialize(file), WT_Result_Success);
            },
            [](WT_File& file)
            {
                file.heuristics().m_apply_transform = true;
                file.heuristics().m_transform.m_translate_x = 1000;
                file.heuristics().m_transform.m_x_scale = 2.0;
            });
    };
    std::string const first = write_once(true);
    EXPECT_EQ(write_once(true), first);
    EXPECT_EQ(points, original);
    EXPECT_EQ(body_of(write_once(false)), "\r\n   P 3 1010,5 1200,5 1200,90");
}

TEST(Polyline_Writing, Copies_Every_Point_Of_A_Large_Set)
{
    std::vector<WT_Logical_Point> points = diagonal(70000);
    WT_Polyline line(70000, points.data(), true);
    points.assign(points.size(), WT_Logical_Point(-1, -1));
    ASSERT_EQ(line.count(), 70000);
    EXPECT_EQ(line.point(69999), WT_Logical_Point(69999, 69999));
}

TEST(Polyline_Writing, Refuses_An_Empty_Set)
{
    write_stream(false,
                 [](WT_File& file)
                 {
                     WT_Polyline empty;
                     EXPECT_EQ(empty.serialize(file), WT_Result_Usage_Error);
                     WT_Polygon none;
                     EXPECT_EQ(none.serialize(file), WT_Result_Usage_Error);
                 });
    EXPECT_THROW(WT_Polyline(-1, nullptr, true), WT_Result);
    EXPECT_THROW(WT_Polyline(2, nullptr, false), WT_Result);
}

// ---------------------------------------------------------------- merging

namespace
{
// Serializes the segments in order with merging on and reads back what the
// file wrote.
std::vector<std::string> merged(const std::vector<std::vector<WT_Logical_Point>>& segments)
{
    std::string const stream =
        write_stream(false,
                     [&](WT_File& file)
                     {
                         for (auto const& s : segments)
                         {
                             WT_Polyline line(int(s.size()), s.data(), false);
                             EXPECT_EQ(line.serialize(file), WT_Result_Success);
                         }
                     });
    return read_back(stream).objects;
}
} // namespace

TEST(Polyline_Merging, Each_Way_Two_Chains_Can_Touch)
{
    using Lines = std::vector<std::string>;
    // end-to-start
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{10, 0}, {10, 10}}}),
              Lines{"Polyline 3: 0,0 10,0 10,10"});
    // end-to-end
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{10, 10}, {10, 0}}}),
              Lines{"Polyline 3: 0,0 10,0 10,10"});
    // start-to-start
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{0, 0}, {0, 7}, {0, 9}}}),
              Lines{"Polyline 4: 0,9 0,7 0,0 10,0"});
    // start-to-end
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{3, 3}, {0, 0}}}), Lines{"Polyline 3: 3,3 0,0 10,0"});
    // Start-to-start wins over end-to-start when both apply (a closed pair).
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{0, 0}, {10, 0}}}), Lines{"Polyline 3: 10,0 0,0 10,0"});
    // Apart: two polylines.
    EXPECT_EQ(merged({{{0, 0}, {10, 0}}, {{20, 0}, {30, 0}}}),
              (Lines{"Polyline 2: 0,0 10,0", "Polyline 2: 20,0 30,0"}));
}

TEST(Polyline_Merging, Chains_Written_Backwards_Join_Into_One)
{
    // Segments of a staircase, written from its far end to its start.
    std::vector<std::vector<WT_Logical_Point>> segments;
    std::vector<WT_Logical_Point> expected;
    int const steps = 1000;
    for (int i = 0; i <= steps; ++i)
        expected.emplace_back(i, (i / 2) * 3);
    for (int i = steps; i > 0; --i)
        segments.push_back({expected[std::size_t(i - 1)], expected[std::size_t(i)]});
    std::vector<std::string> const lines = merged(segments);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Polyline " + text_of_points(steps + 1, expected.data()));
}

TEST(Polyline_Merging, A_Chain_Never_Waits_Beyond_One_Record)
{
    // The same arc written again and again: each copy touches the chain at
    // its start, so without a bound the pending polyline would hold every
    // point of the stream.
    std::vector<WT_Logical_Point> const arc = {{0, 0}, {5, 9}, {10, 10}, {15, 9}, {20, 0}};
    int const copies = 40000;
    std::vector<std::vector<WT_Logical_Point>> segments(std::size_t(copies), arc);
    std::vector<std::string> const lines = merged(segments);
    ASSERT_GT(lines.size(), 1u);
    std::size_t total = 0;
    for (std::string const& line : lines)
    {
        ASSERT_EQ(line.rfind("Polyline ", 0), 0u) << line.substr(0, 40);
        std::size_t const count = std::stoul(line.substr(9));
        EXPECT_LE(count, std::size_t(WT_Point_Set::Max_Binary_Count));
        total += count;
    }
    // Each polyline repeats the joint it shares with its neighbour once.
    EXPECT_EQ(total, std::size_t(copies) * (arc.size() - 1) + lines.size());
    // The split keeps every record as full as the bound allows.
    EXPECT_EQ(lines.size(),
              (std::size_t(copies) * (arc.size() - 1) + std::size_t(WT_Point_Set::Max_Binary_Count) -
               2) / (std::size_t(WT_Point_Set::Max_Binary_Count) - 1));
}

TEST(Polyline_Merging, A_Changed_Attribute_Or_Another_Kind_Ends_The_Chain)
{
    std::string const stream =
        write_stream(false,
                     [](WT_File& file)
                     {
                         WT_Logical_Point const a[] = {{0, 0}, {10, 0}};
                         WT_Logical_Point const b[] = {{10, 0}, {20, 0}};
                         WT_Logical_Point const c[] = {{20, 0}, {30, 0}};
                         WT_Polyline(2, a, false).serialize(file);
                         file.desired_rendition().color() = WT_Color(255, 0, 0);
                         file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Bit);
                         WT_Polyline(2, b, false).serialize(file);
                         WT_Polyline(2, c, false).serialize(file);
                         WT_Outline_Ellipse(0, 0, 5, 5).serialize(file);
                     });
    EXPECT_EQ(body_of(stream), "\r\n   L 0,0 10,0"
                               "\r\n(Color 255,0,0,255)"
                               "\r\n   P 3 10,0 20,0 30,0"
                               "\r\n   R 0,0 5");
}

// ---------------------------------------------------------------- bounds

TEST(Polyline_Bounds, Box_Of_The_Points_Only)
{
    WT_File file;
    WT_Logical_Point const points[] = {{100, 200}, {150, 180}, {120, 260}};
    WT_Polyline line(3, points, false);
    EXPECT_FALSE(line.has_bounds());
    line.update_bounds(file);
    ASSERT_TRUE(line.has_bounds());
    // Far from (0, 0): the box must not reach back to the origin.
    EXPECT_EQ(line.bounds(), WT_Logical_Box({100, 180}, {150, 260}));

    WT_Logical_Point const more[] = {{-5, 190}};
    WT_Polygon polygon(1, more, false);
    polygon.update_bounds(file);
    EXPECT_EQ(polygon.bounds(), WT_Logical_Box({-5, 190}, {-5, 190}));
}

TEST(Polyline_Bounds, Grow_By_Half_The_Line_Weight_In_Use)
{
    write_stream(false,
                 [](WT_File& file)
                 {
                     WT_Logical_Point const points[] = {{100, 200}, {150, 180}};
                     WT_Polyline line(2, points, false);
                     WT_Line_Weight(11).sync(file); // half of 11, rounded down: 5
                     line.update_bounds(file);
                     EXPECT_EQ(line.bounds(), WT_Logical_Box({95, 175}, {155, 205}));

                     // Near the ends of the coordinate range the box saturates.
                     WT_Logical_Point const edge[] = {{2147483647, -2147483647 - 1}};
                     WT_Polygon corner(1, edge, false);
                     corner.update_bounds(file);
                     EXPECT_EQ(corner.bounds(), WT_Logical_Box({2147483642, -2147483647 - 1},
                                                               {2147483647, -2147483643}));

                     WT_Outline_Ellipse circle(0, 0, 10, 10);
                     circle.update_bounds(file);
                     EXPECT_EQ(circle.bounds(), WT_Logical_Box({-15, -15}, {16, 16}));
                 });
}
