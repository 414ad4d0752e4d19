// Circles, arcs and ellipses: the form each figure takes, reading every form
// back, and the box an arc covers.
#include "dwf/w2dtk/tests/geometry_harness.h"

#include <gtest/gtest.h>

#include <string>

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

std::string ellipse_stream(bool binary, WT_Ellipse& ellipse)
{
    return write_stream(binary, [&](WT_File& file)
                        { EXPECT_EQ(ellipse.serialize(file), WT_Result_Success); });
}
} // namespace

TEST(Ellipse_Forms, Full_Circles)
{
    WT_Outline_Ellipse circle(100, -50, 25, 25, 0, 0);
    EXPECT_TRUE(circle.is_full());
    EXPECT_EQ(body_of(ellipse_stream(false, circle)), "\r\n   R 100,-50 25");
    EXPECT_EQ(binary_body_of(ellipse_stream(true, circle)),
              bytes_of({0x12}) + le16(100) + le16(-50) + le16(25));
    WT_Outline_Ellipse big(100000, 0, 40000, 40000);
    EXPECT_EQ(binary_body_of(ellipse_stream(true, big)),
              "r" + le32(100000) + le32(0) + le32(40000));
}

TEST(Ellipse_Forms, Arcs_Carry_Their_Tilt_In_The_Angles)
{
    WT_Outline_Ellipse arc(0, 0, 10, 10, 0, 16384, 16384);
    EXPECT_EQ(binary_body_of(ellipse_stream(true, arc)),
              bytes_of({0x92}) + le32(0) + le32(0) + le32(10) + le16(16384) + le16(32768));
    EXPECT_EQ(body_of(ellipse_stream(false, arc)), "\r\n   (Circle 0,0 10 16384,32768)");
}

TEST(Ellipse_Forms, Ellipses)
{
    WT_Outline_Ellipse plain(5, 6, 30, 20);
    EXPECT_EQ(body_of(ellipse_stream(false, plain)), "\r\n   E 5,6 30,20");
    WT_Outline_Ellipse tilted(5, 6, 30, 20, 0, 0, 8192);
    EXPECT_EQ(body_of(ellipse_stream(false, tilted)), "\r\n   (Ellipse 5,6 30,20 0,65536 8192)");
    WT_Outline_Ellipse partial(5, 6, 30, 20, 60000, 100, 0);
    EXPECT_EQ(partial.end(), 100u + 65536u);
    EXPECT_EQ(body_of(ellipse_stream(false, partial)), "\r\n   (Ellipse 5,6 30,20 60000,65636 0)");
    EXPECT_EQ(binary_body_of(ellipse_stream(true, partial)),
              "e" + le32(5) + le32(6) + le32(30) + le32(20) + le16(60000) + le16(100) + le16(0));
}

TEST(Ellipse_Forms, Every_Form_Reads_Back)
{
    struct Case
    {
        WT_Outline_Ellipse ellipse;
        const char* expected;
    };
    Case cases[] = {
        {WT_Outline_Ellipse(100, -50, 25, 25), "Outline 100,-50 25/25 0..65536 tilt 0"},
        {WT_Outline_Ellipse(100000, 0, 40000, 40000),
         "Outline 100000,0 40000/40000 0..65536 tilt 0"},
        {WT_Outline_Ellipse(0, 0, 10, 10, 0, 16384, 0), "Outline 0,0 10/10 0..16384 tilt 0"},
        {WT_Outline_Ellipse(0, 0, 10, 10, 60000, 5000, 0), "Outline 0,0 10/10 60000..70536 tilt 0"},
        {WT_Outline_Ellipse(5, 6, 30, 20), "Outline 5,6 30/20 0..65536 tilt 0"},
        {WT_Outline_Ellipse(5, 6, 30, 20, 60000, 100, 77),
         "Outline 5,6 30/20 60000..65636 tilt 77"},
    };
    for (bool binary : {false, true})
        for (Case& c : cases)
        {
            Read_Back const back = read_back(ellipse_stream(binary, c.ellipse), 1, 64);
            EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
            ASSERT_EQ(back.objects.size(), 1u) << joined(back.objects);
            EXPECT_EQ(back.objects[0], c.expected) << (binary ? "binary" : "ascii");
        }
}

TEST(Ellipse_Reading, Refuses_Negative_Angles_And_Passes_Over_Extras)
{
    EXPECT_EQ(read_back(framed_ascii("(Circle 0,0 10 -5,100)")).end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(read_back(framed_ascii("(Ellipse 0,0 10,5 0,-1 0)")).end, WT_Result_Corrupt_Stream);
    // Extra operands inside the parentheses are passed over.
    Read_Back const extra = read_back(framed_ascii("(Ellipse 0,0 10,5 0,100 3 junk (x))"));
    EXPECT_EQ(extra.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(extra.objects.size(), 1u);
    EXPECT_EQ(extra.objects[0], "Outline 0,0 10/5 0..100 tilt 3");
}

TEST(Ellipse_Reading, Old_Streams_End_Arcs_One_Unit_Later)
{
    // Version 0.30 stored arc ends one unit short.
    Read_Back const back = read_back("(DWF V00.30)(Circle 0,0 10 0,100)(EndOfDWF)");
    ASSERT_EQ(back.objects.size(), 1u) << joined(back.objects);
    EXPECT_EQ(back.objects[0], "Outline 0,0 10/10 0..101 tilt 0");
}

TEST(Ellipse_Bounds, Circle_And_Quarter_Arc)
{
    WT_File file;
    WT_Outline_Ellipse circle(0, 0, 10, 10);
    circle.update_bounds(file);
    // The extremes add one unit on their far side.
    EXPECT_EQ(circle.bounds(), WT_Logical_Box({-10, -10}, {11, 11}));

    WT_Outline_Ellipse quarter(1000, 2000, 10, 10, 0, 16384);
    quarter.update_bounds(file);
    EXPECT_EQ(quarter.bounds(), WT_Logical_Box({1000, 2000}, {1011, 2011}));

    // An ellipse turned a quarter: its long axis now runs along y.
    WT_Outline_Ellipse turned(0, 0, 20, 5, 0, 0, 16384);
    turned.update_bounds(file);
    EXPECT_EQ(turned.bounds().m_min.m_x, -5);
    EXPECT_EQ(turned.bounds().m_max.m_x, 6);
    EXPECT_EQ(turned.bounds().m_min.m_y, -20);
    EXPECT_EQ(turned.bounds().m_max.m_y, 21);
}

TEST(Ellipse_Writing, Transform_Applies_Once)
{
    WT_Outline_Ellipse circle(10, 20, 5, 5);
    std::string first;
    for (int round = 0; round < 2; ++round)
    {
        std::string const stream = write_stream(
            false, [&](WT_File& file) { circle.serialize(file); },
            [](WT_File& file)
            {
                file.heuristics().m_apply_transform = true;
                file.heuristics().m_transform.m_x_scale = 2.0;
                file.heuristics().m_transform.m_y_scale = 2.0;
                file.heuristics().m_transform.m_translate_y = 7;
            });
        if (round == 0)
            first = stream;
        else
            EXPECT_EQ(stream, first);
    }
    EXPECT_EQ(body_of(first), "\r\n   R 20,47 10");
}
