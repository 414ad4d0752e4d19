// Units, the point transform, views, contour sets and viewports.
#include "dwf/w2dtk/point_transform.h"
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

std::function<void(WT_File&)> with_transform(int tx, int ty, double sx, double sy, int rotation,
                                             bool rotate_units = true)
{
    return [=](WT_File& file)
    {
        auto& h = file.heuristics();
        h.m_apply_transform = true;
        h.m_apply_transform_to_units_matrix = rotate_units;
        h.m_transform.m_translate_x = tx;
        h.m_transform.m_translate_y = ty;
        h.m_transform.m_x_scale = sx;
        h.m_transform.m_y_scale = sy;
        h.m_transform.m_rotation = rotation;
    };
}
} // namespace

// ---------------------------------------------------------------- transform

TEST(Point_Transform, Right_Angles_Mirror_Against_The_Largest_Coordinate)
{
    WT_Transform t;
    t.m_translate_x = 10;
    t.m_translate_y = -20;
    t.m_x_scale = 2.0;
    t.m_y_scale = 0.5;
    WT_Logical_Point const p(100, 41); // scaled and moved: (210, 0) after truncating 0.5
    t.m_rotation = 0;
    EXPECT_EQ(transform_point(p, t), WT_Logical_Point(210, 0));
    t.m_rotation = 90;
    EXPECT_EQ(transform_point(p, t), WT_Logical_Point(2147483647, 210));
    t.m_rotation = 180;
    EXPECT_EQ(transform_point(p, t), WT_Logical_Point(2147483437, 2147483647));
    t.m_rotation = 270;
    EXPECT_EQ(transform_point(p, t), WT_Logical_Point(0, 2147483437));
    t.m_rotation = 45;
    EXPECT_THROW(transform_point(p, t), WT_Result);
}

TEST(Point_Transform, Saturates_Instead_Of_Wrapping)
{
    WT_Transform t;
    t.m_x_scale = 4.0;
    WT_Logical_Point p(2000000000, -5);
    EXPECT_FALSE(wt_transform_point(p, t));
    EXPECT_EQ(p, WT_Logical_Point(2147483647, -5));
    // Mirroring a negative coordinate would pass the top.
    t.m_x_scale = 1.0;
    t.m_rotation = 90;
    WT_Logical_Point q(0, -10);
    EXPECT_FALSE(wt_transform_point(q, t));
    EXPECT_EQ(q, WT_Logical_Point(2147483647, 0));
}

TEST(Point_Transform, Applies_While_Reading)
{
    auto scaled = [](WT_File& file)
    {
        file.heuristics().m_apply_transform = true;
        file.heuristics().m_transform.m_x_scale = 2.0;
        file.heuristics().m_transform.m_y_scale = 3.0;
    };
    Read_Back const back =
        read_back(framed_ascii("L 1,2 3,4\r\nR 5,5 2\r\n(Contour 1 3 0,0 1,0 0,1)"), 1, 64, scaled);
    EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(back.objects,
              (std::vector<std::string>{"Polyline 2: 2,6 6,12", "Outline 10,15 4/6 0..65536 tilt 0",
                                        "Contours 3 | 3: 0,0 2,0 0,3"}));
    // A point pushed out of the coordinate range is an error, not a wrapped value.
    EXPECT_EQ(read_back(framed_ascii("L 1,2 2000000000,4"), 1, 64, scaled).end,
              WT_Result_Corrupt_Stream);
}

// ---------------------------------------------------------------- units

TEST(Units, Identity_Matrix_In_ASCII)
{
    std::string const stream = write_stream(false,
                                            [](WT_File& file)
                                            {
                                                WT_Units units(WT_Matrix(), WT_String("inch"));
                                                EXPECT_EQ(units.serialize(file), WT_Result_Success);
                                            });
    EXPECT_EQ(body_of(stream), "\r\n(Units inch ((1 0 0 0)\r\n\t\t(0 1 0 0)\r\n\t\t(0 0 1 0)"
                               "\r\n\t\t(0 0 0 1)))");
}

TEST(Units, File_Transform_Is_Folded_Into_The_Written_Matrix)
{
    WT_Units units(WT_Matrix(), WT_String("mm"));
    auto written = [&units](std::function<void(WT_File&)> setup)
    {
        return binary_body_of(write_stream(
            true, [&](WT_File& file) { units.serialize(file); }, setup));
    };
    EXPECT_EQ(written(with_transform(10, 20, 2.0, 3.0, 0)),
              "(Units mm ((2 0 0 0)(0 3 0 0)(0 0 1 0)(10 20 0 1)))");
    EXPECT_EQ(written(with_transform(0, 0, 1.0, 1.0, 90)),
              "(Units mm ((-0 1 0 0)(-1 0 0 0)(-0 0 1 0)(2147483647 0 0 1)))");
    EXPECT_EQ(written(with_transform(0, 0, 1.0, 1.0, 90, false)),
              "(Units mm ((1 0 0 0)(0 1 0 0)(0 0 1 0)(0 0 0 1)))");
    // The object itself is not changed by writing.
    EXPECT_EQ(units.application_to_dwf_transform(), WT_Matrix());
}

TEST(Units, Transform_To_Logical)
{
    WT_Matrix m;
    m(0, 0) = 100;
    m(1, 1) = 100;
    m(3, 0) = 5;
    WT_Units units(m, WT_String("mm"));
    EXPECT_EQ(units.transform_to_logical(1.5, -2.25), WT_Logical_Point(155, -225));
    EXPECT_EQ(units.transform_to_logical(1e12, -1e12),
              WT_Logical_Point(2147483647, -2147483647 - 1));
    // A projective w divides.
    WT_Matrix p;
    p(0, 3) = 1; // w = x + 1
    EXPECT_EQ(WT_Units(p, WT_String("x")).transform_to_logical(3, 8), WT_Logical_Point(0, 2));
}

TEST(Units, Read_Back_Trickling)
{
    WT_Matrix m;
    m(0, 0) = 0.125;
    m(3, 1) = -1e-7;
    WT_Units units(m, WT_String(u"m\u00E9tres"));
    for (bool binary : {false, true})
    {
        Read_Back const back =
            read_back(write_stream(binary, [&](WT_File& file) { units.serialize(file); }), 1, 3);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        ASSERT_EQ(back.objects.size(), 1u);
        EXPECT_EQ(back.objects[0], describe(units));
    }
}

// ---------------------------------------------------------------- views

TEST(View, Writes_Once_Until_It_Changes)
{
    std::string const stream =
        write_stream(false,
                     [](WT_File& file)
                     {
                         WT_View a(WT_Logical_Box({10, 10}, {0, 0}));
                         EXPECT_EQ(a.sync(file), WT_Result_Success);
                         EXPECT_EQ(a.sync(file), WT_Result_Success);
                         WT_View b(WT_Logical_Box({0, 0}, {20, 20}));
                         EXPECT_EQ(b.sync(file), WT_Result_Success);
                         WT_View named(WT_String("Front"));
                         EXPECT_EQ(named.sync(file), WT_Result_Undefined_Reference);
                     });
    EXPECT_EQ(body_of(stream), "\r\n(View 0,0 10,10)\r\n(View 0,0 20,20)");
}

TEST(View, Rotated_Box_Stays_A_Box)
{
    std::string const stream = write_stream(
        false,
        [](WT_File& file)
        {
            WT_View v(WT_Logical_Box({0, 0}, {100, 50}));
            v.serialize(file);
        },
        with_transform(0, 0, 1.0, 1.0, 90));
    EXPECT_EQ(body_of(stream), "\r\n(View 2147483597,0 2147483647,100)");
}

TEST(View, Named_Views_Cannot_Be_Resolved_When_Read)
{
    EXPECT_EQ(read_back(framed_ascii("(View 'Front')")).end, WT_Result_Corrupt_Stream);
    Read_Back const box = read_back(framed_ascii("(View  -5,7   3,9 )"));
    ASSERT_EQ(box.objects.size(), 1u);
    EXPECT_EQ(box.objects[0], "View -5,7 3,9");
}

// ---------------------------------------------------------------- contour sets

namespace
{
std::string contour_stream(bool binary, const std::vector<std::int32_t>& counts,
                           const std::vector<WT_Logical_Point>& points)
{
    return write_stream(binary,
                        [&](WT_File& file)
                        {
                            WT_Contour_Set set(file, int(counts.size()), counts.data(),
                                               points.data());
                            EXPECT_EQ(set.serialize(file), WT_Result_Success);
                        });
}
} // namespace

TEST(Contour_Set, Forms_And_Round_Trips)
{
    std::vector<std::int32_t> const counts{3, 4};
    std::vector<WT_Logical_Point> const points{{0, 0},   {10, 0},  {5, 9},  {20, 20},
                                               {30, 20}, {30, 30}, {20, 30}};
    EXPECT_EQ(body_of(contour_stream(false, counts, points)),
              "\r\n   (Contour 2 3 4 0,0 10,0 5,9 20,20 30,20 30,30 20,30)");
    std::string expected = bytes_of({0x0B, 2, 3, 4});
    WT_Logical_Point previous;
    for (WT_Logical_Point const& p : points)
    {
        expected += le16(p.m_x - previous.m_x) + le16(p.m_y - previous.m_y);
        previous = p;
    }
    EXPECT_EQ(binary_body_of(contour_stream(true, counts, points)), expected);

    std::vector<WT_Logical_Point> const far{{0, 0}, {100000, 0}, {0, 5}};
    EXPECT_EQ(binary_body_of(contour_stream(true, {3}, far)).substr(0, 3), bytes_of({'k', 1, 3}));

    for (bool binary : {false, true})
        for (auto const& [c, p] :
             {std::make_pair(counts, points), std::make_pair(std::vector<std::int32_t>{3}, far)})
        {
            Read_Back const back = read_back(contour_stream(binary, c, p), 1, 5);
            EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
            ASSERT_EQ(back.objects.size(), 1u);
            std::string line = "Contours";
            for (auto n : c)
                line += " " + std::to_string(n);
            EXPECT_EQ(back.objects[0], line + " | " + text_of_points(int(p.size()), p.data()));
        }
}

TEST(Contour_Set, Announced_Sizes_Are_Checked_Before_Anything_Is_Kept)
{
    // 65,791 contours of 65,791 points each: over 4 × 10^9 points announced
    // by a few hundred bytes.
    std::string huge = "k" + bytes_of({0}) + le16(65535);
    for (int i = 0; i < 300; ++i)
        huge += bytes_of({0}) + le16(65535);
    EXPECT_EQ(read_back(framed_binary(huge)).end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_back(framed_ascii("(Contour -1 3 0,0 1,1 2,2)")).end, WT_Result_Corrupt_Stream);
    // Empty contours from other writers are accepted.
    EXPECT_EQ(read_back(framed_ascii("(Contour 2 0 1 5,5)")).objects,
              std::vector<std::string>{"Contours 0 1 | 1: 5,5"});
    EXPECT_EQ(read_back(framed_ascii("(Contour 2 3 -3 0,0 1,1 2,2)")).end,
              WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_back(framed_ascii("(Contour 1 2000000000 0,0)")).end, WT_Result_Corrupt_Stream);
    // A large but legal announcement with little data behind it just runs out.
    Read_Back const short_data = read_back(framed_ascii("(Contour 1 100000 0,0 1,1"));
    EXPECT_NE(short_data.end, WT_Result_End_Of_Stream);
}

TEST(Contour_Set, Refuses_To_Write_Empty_Contours)
{
    write_stream(false,
                 [](WT_File& file)
                 {
                     std::int32_t const counts[] = {2, 0};
                     WT_Logical_Point const points[] = {{0, 0}, {1, 1}};
                     WT_Contour_Set set(file, 2, counts, points);
                     EXPECT_EQ(set.serialize(file), WT_Result_Usage_Error);
                     WT_Contour_Set none;
                     EXPECT_EQ(none.serialize(file), WT_Result_Usage_Error);
                 });
    WT_File file;
    std::int32_t const negative[] = {-1};
    EXPECT_THROW(WT_Contour_Set(file, 1, negative, nullptr), WT_Result);
}

// ---------------------------------------------------------------- viewports

TEST(Viewport, Forms)
{
    std::string const empty = write_stream(false,
                                           [](WT_File& file)
                                           {
                                               WT_Viewport v(file, WT_String("x"), nullptr);
                                               EXPECT_EQ(v.serialize(file), WT_Result_Success);
                                           });
    EXPECT_EQ(body_of(empty), "\r\n(Viewport)");

    WT_Matrix m;
    m(0, 0) = 2;
    std::string const with_units =
        write_stream(false,
                     [&](WT_File& file)
                     {
                         WT_Logical_Point const square[] = {{0, 0}, {9, 0}, {9, 9}};
                         WT_Contour_Set c(file, 3, square);
                         WT_Viewport v(file, WT_String("Detail A"), &c);
                         v.set_viewport_units(WT_Units(m, WT_String("ft")));
                         EXPECT_EQ(v.sync(file), WT_Result_Success);
                         EXPECT_EQ(v.sync(file), WT_Result_Success); // equal: not again
                     });
    EXPECT_EQ(body_of(with_units), "\r\n(Viewport 'Detail A' \r\n   (Contour 1 3 0,0 9,0 9,9) "
                                   "\r\n     (Units ft ((2 0 0 0)\r\n     \t\t(0 1 0 0)"
                                   "\r\n     \t\t(0 0 1 0)\r\n     \t\t(0 0 0 1))))");
    Read_Back const back = read_back(with_units, 1, 2);
    EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(back.objects.size(), 1u);
    EXPECT_EQ(back.objects[0], "Viewport Detail A [3 3: 0,0 9,0 9,9] units ft "
                               "2 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 ");
}

TEST(Viewport, Binary_File_Returns_To_Binary_Afterwards)
{
    std::string const stream =
        write_stream(true,
                     [](WT_File& file)
                     {
                         WT_Logical_Point const tri[] = {{0, 0}, {9, 0}, {9, 9}};
                         WT_Contour_Set c(file, 3, tri);
                         WT_Viewport(file, WT_String("V"), &c).serialize(file);
                         EXPECT_TRUE(file.binary_output());
                         WT_Visibility(false).serialize(file);
                         WT_Marker_Size(7).serialize(file);
                     });
    std::string const body = binary_body_of(stream);
    EXPECT_EQ(body.substr(body.size() - 6), "vs" + le32(7));
}

TEST(Viewport, Old_Streams_Carry_One_Point_List)
{
    std::string const stream = write_stream(
        false,
        [](WT_File& file)
        {
            WT_Logical_Point const tri[] = {{0, 0}, {9, 0}, {9, 9}};
            WT_Contour_Set c(file, 3, tri);
            WT_Viewport(file, WT_String("V"), &c).serialize(file);
        },
        [](WT_File& file) { file.set_target_version(41); });
    EXPECT_EQ(stream, "(DWF V00.41)\r\n(Viewport V\r\n     3 0,0 9,0 9,9)\r\n(EndOfDWF)\r\n");
    Read_Back const back = read_back(stream);
    EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(back.objects.size(), 1u);
    EXPECT_EQ(back.objects[0], "Viewport V [3 3: 0,0 9,0 9,9]");
}

TEST(Viewport, Equality)
{
    WT_File file;
    WT_Logical_Point const tri[] = {{0, 0}, {9, 0}, {9, 9}};
    WT_Contour_Set c(file, 3, tri);
    WT_Viewport a(file, WT_String("A"), &c);
    WT_Viewport same_shape(file, WT_String("A"), &c);
    WT_Viewport other_name(file, WT_String("B"), &c);
    WT_Viewport no_contours(file, WT_String("A"), nullptr);
    EXPECT_TRUE(a == same_shape); // different serials, same content
    EXPECT_FALSE(a == other_name);
    EXPECT_FALSE(a == no_contours);
    WT_Viewport copy = other_name;
    EXPECT_TRUE(copy == other_name);
    same_shape.set_viewport_units(WT_Units());
    EXPECT_FALSE(a == same_shape);
}
