// Layers and the small attributes: code page, visibility, marker size and
// symbol, projection, font extension, and the plot information.
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
} // namespace

// ---------------------------------------------------------------- layers

TEST(Layer, Name_Goes_With_The_First_Use_Only)
{
    auto twice = [](bool binary, std::int32_t number)
    {
        return write_stream(binary,
                            [&](WT_File& file)
                            {
                                WT_Layer layer(file, number, u"Dimensions");
                                EXPECT_EQ(layer.serialize(file), WT_Result_Success);
                                EXPECT_EQ(layer.serialize(file), WT_Result_Success);
                            });
    };
    EXPECT_EQ(body_of(twice(false, 3)), "\r\n(Layer 3 Dimensions)\r\n(Layer 3 )");
    EXPECT_EQ(binary_body_of(twice(true, 300)),
              "(Layer 300 Dimensions)" + bytes_of({0xAC, 0}) + le16(44));
    EXPECT_EQ(binary_body_of(twice(true, 255)), "(Layer 255 Dimensions)" + bytes_of({0xAC, 255}));
    // Numbers the count form cannot carry are referred to in ASCII.
    EXPECT_EQ(binary_body_of(twice(true, 0)), "(Layer 0 Dimensions)(Layer 0 )");
    EXPECT_EQ(binary_body_of(twice(true, -4)), "(Layer -4 Dimensions)(Layer -4 )");
    EXPECT_EQ(binary_body_of(twice(true, 65792)), "(Layer 65792 Dimensions)(Layer 65792 )");
}

TEST(Layer, Separately_Built_Layers_Differ_By_Serial)
{
    std::string const stream = write_stream(false,
                                            [](WT_File& file)
                                            {
                                                WT_Layer first(file, 5, u"Hidden lines");
                                                WT_Layer again(file, 5, u"Hidden lines");
                                                EXPECT_FALSE(first == again);
                                                EXPECT_EQ(first.sync(file), WT_Result_Success);
                                                EXPECT_EQ(first.sync(file), WT_Result_Success);
                                                EXPECT_EQ(again.sync(file), WT_Result_Success);
                                            });
    EXPECT_EQ(body_of(stream), "\r\n(Layer 5 'Hidden lines')\r\n(Layer 5 )");
}

TEST(Layer, References_Read_Back_With_Their_Names)
{
    WT_String const name(u"L\u00E4");
    for (bool binary : {false, true})
        for (std::int32_t number : {0, 7, 300, 65792})
        {
            Memory_Stream stream(write_stream(binary,
                                              [&](WT_File& file)
                                              {
                                                  WT_Layer layer(file, number, name);
                                                  layer.serialize(file);
                                                  layer.serialize(file);
                                              }));
            WT_File file;
            w2d_test::open_for_reading(file, stream);
            ASSERT_EQ(file.open(), WT_Result_Success);
            std::vector<std::string> seen;
            EXPECT_EQ(
                w2d_test::read_stream(file, [&](WT_Object& o) { seen.push_back(describe(o)); }),
                WT_Result_End_Of_Stream);
            std::string const n = std::to_string(number);
            EXPECT_EQ(seen, (std::vector<std::string>{"Header", "Layer " + n + " " + text_of(name),
                                                      "Layer " + n + " u\"\" (ref)", "End"}));
            // Processing the reference gave it the definition's name.
            EXPECT_EQ(file.rendition().layer().layer_num(), number);
            EXPECT_EQ(file.rendition().layer().layer_name(), name);
        }
}

TEST(Layer, Reference_To_An_Undefined_Layer)
{
    EXPECT_EQ(read_back(framed_ascii("(Layer 9 )")).end, WT_Result_Undefined_Reference);
    EXPECT_EQ(read_back(framed_binary(bytes_of({0xAC, 9}))).end, WT_Result_Undefined_Reference);
    // The list starts afresh with every stream.
    WT_File file;
    Memory_Stream stream(framed_ascii("(Layer 9 Nine)"));
    w2d_test::open_for_reading(file, stream);
    ASSERT_EQ(file.open(), WT_Result_Success);
    EXPECT_EQ(w2d_test::read_stream(file), WT_Result_End_Of_Stream);
    EXPECT_NE(file.layer_list().find_layer_from_index(9), nullptr);
    file.close();
    Memory_Stream second(framed_ascii("(Layer 9 )"));
    w2d_test::open_for_reading(file, second);
    ASSERT_EQ(file.open(), WT_Result_Success);
    EXPECT_EQ(w2d_test::read_stream(file), WT_Result_Undefined_Reference);
}

// ---------------------------------------------------------------- simple attributes

TEST(Simple_Attributes, Forms)
{
    auto one = [](bool binary, WT_Object&& object)
    {
        return write_stream(binary, [&](WT_File& file)
                            { EXPECT_EQ(object.serialize(file), WT_Result_Success); });
    };
    EXPECT_EQ(body_of(one(false, WT_Code_Page())), "\r\n(CodePage 1252)");
    EXPECT_EQ(body_of(one(false, WT_Visibility(false))), "\r\nv");
    EXPECT_EQ(binary_body_of(one(true, WT_Visibility(true))), "V");
    EXPECT_EQ(body_of(one(false, WT_Marker_Size(7))), "\r\nS 7");
    EXPECT_EQ(binary_body_of(one(true, WT_Marker_Size(7))), "s" + bytes_of({7, 0, 0, 0}));
    EXPECT_EQ(body_of(one(false, WT_Marker_Symbol(12))), "\r\n   G 12");
    EXPECT_EQ(binary_body_of(one(true, WT_Marker_Symbol(12))), "G 12");
    EXPECT_EQ(body_of(one(false, WT_Projection(WT_Projection::Chop))), "(Projection chop)");
    EXPECT_EQ(body_of(one(false, WT_Font_Extension(WT_String("Arial"), WT_String("Arial Bold")))),
              "\r\n(FontExtension 'Arial' 'Arial Bold')");

    write_stream(false, [](WT_File& file)
                 { EXPECT_EQ(WT_Projection(3).serialize(file), WT_Result_Not_Available); });
}

TEST(Simple_Attributes, Read_Back_In_Both_Forms)
{
    auto write_all = [](WT_File& file)
    {
        WT_Code_Page(932).serialize(file);
        WT_Visibility(false).serialize(file);
        WT_Marker_Size(-3).serialize(file);
        WT_Marker_Symbol(4).serialize(file);
        WT_Projection(WT_Projection::Stretch).serialize(file);
        WT_Font_Extension(WT_String(u"\u65E5\u672C"), WT_String("it's")).serialize(file);
        WT_Visibility(true).serialize(file);
    };
    std::vector<std::string> const expected = {
        "Code_Page 932",   "Visibility off", "Marker_Size -3",
        "Marker_Symbol 4", "Projection 1",   "Font_Extension u\"26085;26412;\"|it's",
        "Visibility on",
    };
    for (bool binary : {false, true})
    {
        Read_Back const back = read_back(write_stream(binary, write_all), 1, 4);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        EXPECT_EQ(back.objects, expected) << joined(back.objects);
    }
    EXPECT_EQ(read_back(framed_ascii("(Projection sideways)")).end, WT_Result_Corrupt_Stream);
}

TEST(Simple_Attributes, Sync_Writes_Only_Changes)
{
    std::string const stream = write_stream(false,
                                            [](WT_File& file)
                                            {
                                                WT_Marker_Size(0).sync(file); // the default
                                                WT_Marker_Size(5).sync(file);
                                                WT_Marker_Size(5).sync(file);
                                                WT_Visibility(true).sync(file);
                                                WT_Visibility(false).sync(file);
                                                WT_Code_Page(1252).sync(file);
                                                WT_Projection(0).sync(file);
                                                WT_Projection(2).sync(file);
                                            });
    EXPECT_EQ(body_of(stream), "\r\nS 5\r\nv(Projection chop)");
}

// ---------------------------------------------------------------- plot information

TEST(Plot_Info, Fresh_Object_At_Version_600)
{
    std::string const stream =
        write_stream(false, [](WT_File& file) { WT_Plot_Info().serialize(file); });
    EXPECT_EQ(body_of(stream), "\r\n(PlotInfo hide 0 in 8.5 11 0.25 0.25 8.25 10.75 "
                               "((1 0 0)\r\n\t\t(0 1 0)\r\n\t\t(0 0 1)))");
    WT_Plot_Info const custom(true, 0, WT_Plot_Info::Millimeters, 297, 210, 5, 5, 292, 205,
                              WT_Matrix_2D({0.5, 0, 0, 0, 0.5, 0, 10, 20, 1}));
    for (bool binary : {false, true})
    {
        std::string const both = write_stream(binary,
                                              [&custom](WT_File& file)
                                              {
                                                  WT_Plot_Info().serialize(file);
                                                  WT_Plot_Info(custom).serialize(file);
                                              });
        Read_Back const back = read_back(both, 1, 2);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        WT_Plot_Info fresh;
        WT_Plot_Info copy(custom);
        EXPECT_EQ(back.objects, (std::vector<std::string>{describe(fresh), describe(copy)}));
    }

    std::string const old = write_stream(
        false,
        [](WT_File& file)
        {
            WT_Plot_Info info;
            info.set_paper_units(WT_Plot_Info::Millimeters);
            info.serialize(file);
        },
        [](WT_File& file) { file.set_target_version(38); });
    EXPECT_NE(old.find("(PlotInfo hide mm 8.5"), std::string::npos);
}

TEST(Plot_Info, Rotation_Is_Rounded_To_A_Right_Angle)
{
    auto rotation_of = [](const std::string& operand)
    {
        Read_Back const back = read_back(
            framed_ascii("(PlotInfo show " + operand + " in 1 2 0 0 1 2 ((1 0 0)(0 1 0)(0 0 1)))"));
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        return back.objects.empty() ? std::string() : back.objects[0].substr(12, 4);
    };
    EXPECT_EQ(rotation_of("100"), "90 1");
    EXPECT_EQ(rotation_of("135"), "180 ");
    EXPECT_EQ(rotation_of("-44"), "0 1 ");
}

TEST(Plot_Info, Compatibility_Correction_Of_Millimetre_Sheets)
{
    std::string const operand = "(PlotInfo hide 0 mm 8.5 11 0.25 0.25 8.25 10.75 "
                                "((2 0 0)(0 2 0)(0 0 1)))";
    WT_Plot_Info seen;
    Memory_Stream stream(framed_ascii(operand));
    WT_File file;
    w2d_test::open_for_reading(file, stream);
    file.heuristics().m_broken_producer = true;
    ASSERT_EQ(file.open(), WT_Result_Success);
    file.set_action(56,
                    [&seen](WT_Object& object, WT_File& f)
                    {
                        WT_Result const result = object.default_process(f);
                        seen = static_cast<WT_Plot_Info&>(object);
                        return result;
                    });
    EXPECT_EQ(w2d_test::read_stream(file), WT_Result_End_Of_Stream);
    EXPECT_DOUBLE_EQ(seen.paper_width(), 215.9);
    EXPECT_DOUBLE_EQ(seen.paper_height(), 279.4);
    EXPECT_DOUBLE_EQ(seen.upper_right_x(), 215.65);
    EXPECT_DOUBLE_EQ(seen.upper_right_y(), 279.15);
    EXPECT_DOUBLE_EQ(seen.to_paper()(0, 0), 278.9 / 10.5 * 2);
    EXPECT_DOUBLE_EQ(seen.to_paper()(1, 1), 278.9 / 10.5 * 2);
    // The rendition keeps what was read.
    EXPECT_DOUBLE_EQ(file.rendition().plot_info().paper_width(), 8.5);
}

TEST(Plot_Info, Degenerate_Matrix_Is_Not_Divided_By)
{
    WT_Plot_Info zero(true, 0, WT_Plot_Info::Millimeters, 8.5, 11, 0, 0, 8, 10,
                      WT_Matrix_2D({0, 0, 0, 0, 0, 0, 0, 0, 1}));
    WT_File file;
    file.heuristics().m_broken_producer = true;
    EXPECT_EQ(zero.default_process(file), WT_Result_Success);
    EXPECT_DOUBLE_EQ(zero.paper_width(), 8.5);
    EXPECT_EQ(zero.to_paper()(0, 0), 0.0);
}

// ---------------------------------------------------------------- skipping

TEST(Skipping, Objects_Nobody_Reads_Are_Passed_Over_Whole)
{
    // Every kind of this family, in both forms; a reader that materializes
    // nothing must still find the end of the stream.
    auto with_named_view = [](WT_File& file)
    {
        write_every_kind(file);
        // A named view cannot be read here, but it can be passed over.
        WT_View(WT_String("Front")).serialize(file);
    };
    for (bool binary : {false, true})
    {
        Memory_Stream stream(write_stream(binary, with_named_view));
        WT_File file;
        w2d_test::open_for_reading(file, stream, 1, 9);
        ASSERT_EQ(file.open(), WT_Result_Success);
        int objects = 0;
        WT_Result result = WT_Result_Success;
        for (int step = 0; step < 100000; ++step)
        {
            result = file.get_next_object();
            if (result == WT_Result_Waiting_For_Data)
                continue;
            if (result != WT_Result_Success)
                break;
            ++objects;
            if (file.object()->object_id() == WT_Object::End_Of_DWF_ID)
                break;
        }
        EXPECT_EQ(result, WT_Result_Success) << (binary ? "binary" : "ascii");
        EXPECT_GT(objects, 20);
    }
}
