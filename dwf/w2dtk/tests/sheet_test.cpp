// A whole drawing sheet as a publisher writes it: units, view, clip
// viewport, layer, colours and the drawables, pinned as a golden ASCII
// stream and read back from its ASCII and binary forms, trickling in.
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/tests/geometry_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace w2d_geometry_test;

namespace
{
void write_sheet(WT_File& file)
{
    WT_Matrix millimetres;
    millimetres(0, 0) = 100;
    millimetres(1, 1) = 100;
    WT_Units units(millimetres, WT_String("mm"));
    ASSERT_EQ(units.serialize(file), WT_Result_Success);

    WT_View view(WT_Logical_Box({29700, 21000}, {0, 0})); // corners swapped on purpose
    ASSERT_EQ(view.serialize(file), WT_Result_Success);

    WT_Attribute_Set& desired = file.desired_rendition();
    WT_Logical_Point const frame[] = {{0, 0}, {20000, 0}, {20000, 15000}, {0, 15000}};
    WT_Contour_Set clip(file, 4, frame);
    desired.viewport() = WT_Viewport(file, WT_String("Clip"), &clip);
    desired.mark_changed(WT_Attribute_Set::Viewport_Bit);
    desired.layer() = WT_Layer(file, 1, u"Outline");
    desired.mark_changed(WT_Attribute_Set::Layer_Bit);
    desired.color() = WT_Color(255, 0, 0);
    desired.mark_changed(WT_Attribute_Set::Color_Bit);

    // Three segments of one chain, the last one written backwards.
    WT_Logical_Point const a[] = {{100, 100}, {900, 100}};
    WT_Logical_Point const b[] = {{900, 100}, {900, 700}};
    WT_Logical_Point const c[] = {{100, 700}, {900, 700}};
    for (auto const* segment : {a, b, c})
        ASSERT_EQ(WT_Polyline(2, segment, false).serialize(file), WT_Result_Success);

    WT_Logical_Point const triangle[] = {{2000, 2000}, {3000, 2000}, {2500, 2800}};
    ASSERT_EQ(WT_Polygon(3, triangle, false).serialize(file), WT_Result_Success);

    ASSERT_EQ(WT_Outline_Ellipse(5000, 5000, 400, 400, 0, 16384).serialize(file),
              WT_Result_Success);

    desired.color() = WT_Color(0, 0, 255);
    desired.mark_changed(WT_Attribute_Set::Color_Bit);
    ASSERT_EQ(WT_Outline_Ellipse(7000, 5000, 300, 300).serialize(file), WT_Result_Success);
    ASSERT_EQ(WT_Filled_Ellipse(9000, 5000, 600, 200, 0, 0, 8192).serialize(file),
              WT_Result_Success);
}

const std::string Golden_Sheet = "(W2D V06.00)"
                                 "\r\n(Units mm ((100 0 0 0)"
                                 "\r\n\t\t(0 100 0 0)"
                                 "\r\n\t\t(0 0 1 0)"
                                 "\r\n\t\t(0 0 0 1)))"
                                 "\r\n(View 0,0 29700,21000)"
                                 "\r\n(Color 255,0,0,255)"
                                 "\r\n(Layer 1 Outline)"
                                 "\r\n(Viewport Clip "
                                 "\r\n   (Contour 1 4 0,0 20000,0 20000,15000 0,15000) )"
                                 "\r\n   P 4 100,100 900,100 900,700 100,700"
                                 "\r\nF"
                                 "\r\n   P 3 2000,2000 3000,2000 2500,2800"
                                 "\r\nf"
                                 "\r\n   (Circle 5000,5000 400 0,16384)"
                                 "\r\n(Color 0,0,255,255)"
                                 "\r\n   R 7000,5000 300"
                                 "\r\nF"
                                 "\r\n   (Ellipse 9000,5000 600,200 0,65536 8192)"
                                 "\r\n(EndOfDWF)\r\n";

const std::vector<std::string> Sheet_Objects = {
    "Units mm 100 0 0 0 0 100 0 0 0 0 1 0 0 0 0 1 ",
    "View 0,0 29700,21000",
    "Color 255,0,0,255",
    "Layer 1 Outline",
    "Viewport Clip [4 4: 0,0 20000,0 20000,15000 0,15000]",
    "Polyline 4: 100,100 900,100 900,700 100,700",
    "Object 20", // fill on
    "Polygon 3: 2000,2000 3000,2000 2500,2800",
    "Object 20", // fill off
    "Outline 5000,5000 400/400 0..16384 tilt 0",
    "Color 0,0,255,255",
    "Outline 7000,5000 300/300 0..65536 tilt 0",
    "Object 20",
    "Filled 9000,5000 600/200 0..65536 tilt 8192",
};
} // namespace

TEST(Sheet, ASCII_Stream_Matches_The_Golden_Sheet)
{
    EXPECT_EQ(write_stream(false, write_sheet), Golden_Sheet);
}

TEST(Sheet, Both_Forms_Read_Back_To_The_Same_Objects)
{
    std::string const binary = write_stream(true, write_sheet);
    for (const std::string& stream : {Golden_Sheet, binary})
        for (std::size_t hi : {std::size_t(1), std::size_t(7), std::size_t(64)})
        {
            Read_Back const back = read_back(stream, 1, hi);
            EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
            EXPECT_EQ(back.objects, Sheet_Objects) << joined(back.objects);
        }
}

TEST(Sheet, Binary_Stream_Is_Smaller_And_Keeps_Viewports_In_ASCII)
{
    std::string const binary = write_stream(true, write_sheet);
    EXPECT_LT(binary.size(), Golden_Sheet.size());
    EXPECT_NE(binary.find("(Viewport Clip \r\n   (Contour 1 4 0,0 20000,0 20000,15000 0,15000) )"),
              std::string::npos);
    // Units have no binary form either.
    EXPECT_NE(binary.find("(Units mm ((100 0 0 0)(0 100 0 0)(0 0 1 0)(0 0 0 1)))"),
              std::string::npos);
}
