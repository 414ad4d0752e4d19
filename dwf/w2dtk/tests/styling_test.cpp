// Line weights, fills, line and dash patterns, line styles, fill patterns,
// merge control and the background: golden bytes in both forms, read back
// with input trickling in, rendition behaviour, and damaged input.
#include "dwf/w2dtk/background.h"
#include "dwf/w2dtk/dash_pattern.h"
#include "dwf/w2dtk/fill.h"
#include "dwf/w2dtk/fill_pattern.h"
#include "dwf/w2dtk/line_pattern.h"
#include "dwf/w2dtk/line_style.h"
#include "dwf/w2dtk/line_weight.h"
#include "dwf/w2dtk/merge_control.h"

#include "dwf/w2dtk/tests/object_streams.h"

#include <gtest/gtest.h>

using namespace w2d_test;

namespace
{
template <class T> std::string body_of(T object, bool binary, int version = 600)
{
    return write_body(binary, version,
                      [&](WT_File& file) { EXPECT_EQ(object.serialize(file), WT_Result_Success); });
}

// A sheet using every styling object, in one form.
std::string styling_sheet(bool binary, int version)
{
    return write_stream(
        binary, version,
        [](WT_File& file)
        {
            EXPECT_EQ(WT_Line_Weight(35).serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Line_Weight(-7).serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Fill(true).serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Fill(false).serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Line_Pattern(17).serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Line_Pattern(0).serialize(file), WT_Result_Success);
            std::int16_t const dashes[] = {10, 5, 300, 2, 1, 1, 7, 9};
            EXPECT_EQ(WT_Dash_Pattern(5, 8, dashes).serialize(file), WT_Result_Success);
            WT_Line_Style style;
            style.set_adapt_patterns(true);
            style.set_pattern_scale(2.5);
            EXPECT_EQ(style.serialize(file), WT_Result_Success);
            WT_Fill_Pattern hatch(WT_Fill_Pattern::Horizontal_Bars);
            hatch.set_pattern_scale(0.125);
            EXPECT_EQ(hatch.serialize(file), WT_Result_Success);
            EXPECT_EQ(WT_Merge_Control(WT_Merge_Control::Transparent).serialize(file),
                      WT_Result_Success);
            EXPECT_EQ(WT_Background(WT_Color(0, 0, 255)).serialize(file), WT_Result_Success);
        });
}
} // namespace

TEST(Line_Weight, Golden_Forms_Follow_Mode_And_Version)
{
    EXPECT_EQ(body_of(WT_Line_Weight(35), false), "\r\n(LineWeight 35)");
    EXPECT_EQ(body_of(WT_Line_Weight(35), true), bytes({0x17, 35, 0, 0, 0}));
    EXPECT_EQ(body_of(WT_Line_Weight(-2), true), bytes({0x17, 0xFE, 0xFF, 0xFF, 0xFF}));
    // The single-byte form is younger than version 0.37.
    EXPECT_EQ(body_of(WT_Line_Weight(35), true, 36), "(LineWeight 35)");
}

TEST(Fill, Same_Byte_In_Both_Forms)
{
    EXPECT_EQ(body_of(WT_Fill(true), false), "\r\nF");
    EXPECT_EQ(body_of(WT_Fill(false), true), "f");
}

TEST(Line_Pattern, Golden_Forms_Names_And_The_Pattern_Count_Cannot_Carry)
{
    EXPECT_EQ(body_of(WT_Line_Pattern(17), true), bytes({0xCC, 0x11}));
    EXPECT_EQ(body_of(WT_Line_Pattern(17), false), "\r\n(LinePattern Sparse_Dot)");
    EXPECT_EQ(body_of(WT_Line_Pattern(WT_Line_Pattern::ISO_Dash), false),
              "\r\n(LinePattern ISO_Dash)");
    // Zero has no count form: the extended form goes out even in binary.
    EXPECT_EQ(body_of(WT_Line_Pattern(0), true), "(LinePattern '')");

    std::string const out =
        write_stream(false, 600,
                     [](WT_File& file)
                     {
                         EXPECT_EQ(WT_Line_Pattern(32).serialize(file), WT_Result_Usage_Error);
                         EXPECT_EQ(WT_Line_Pattern(-1).serialize(file), WT_Result_Usage_Error);
                     });
    EXPECT_EQ(out, header() + trailer(false));
}

TEST(Line_Pattern, Reads_Primary_And_Alternate_Names)
{
    auto read_name = [](const std::string& name)
    {
        Read_Back r =
            read_back<WT_Line_Pattern>(header() + "(LinePattern " + name + ")" + trailer(false));
        EXPECT_EQ(r.end, WT_Result_End_Of_Stream) << name;
        return r.objects.empty() ? -100 : r.at<WT_Line_Pattern>(0).pattern_id();
    };
    EXPECT_EQ(read_name("phantom"), 17);
    EXPECT_EQ(read_name("Sparse_Dot"), 17);
    EXPECT_EQ(read_name("'____ .. ____'"), 21);
    EXPECT_EQ(read_name("Nonesuch"), 1); // unknown names read as solid
    EXPECT_EQ(read_name("''"), 0);
}

TEST(Line_Pattern, Binary_Count_Beyond_The_Table_Is_Corrupt)
{
    Read_Back r = read_back<WT_Line_Pattern>(header() + bytes({0xCC, 40}) + trailer(true));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
    r = read_back<WT_Line_Pattern>(header() + bytes({0xCC, 0, 0, 1}) + trailer(true));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
}

TEST(Dash_Pattern, Defined_Once_Then_Named_By_Number)
{
    std::int16_t const values[] = {10, 5};
    std::string const out =
        write_body(false, 600,
                   [&](WT_File& file)
                   {
                       WT_Dash_Pattern five(5, 2, values);
                       EXPECT_EQ(five.serialize(file), WT_Result_Success);
                       EXPECT_EQ(five.serialize(file), WT_Result_Success);
                       // The first definition stays in force.
                       std::int16_t const other[] = {1, 1};
                       EXPECT_EQ(WT_Dash_Pattern(5, 2, other).serialize(file), WT_Result_Success);
                   });
    EXPECT_EQ(out,
              "\r\n(DashPattern 5 \r\n\t10,5)\r\n(DashPattern 5)\r\n(DashPattern 5 \r\n\t1,1)");
}

TEST(Dash_Pattern, Long_Lists_Break_Every_Six_Values_And_No_Pattern_Is_Writable)
{
    std::int16_t const values[] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(body_of(WT_Dash_Pattern(9, 8, values), false),
              "\r\n(DashPattern 9 \r\n\t1,2,3,4,5,6,\r\n\t7,8)");
    EXPECT_EQ(body_of(WT_Dash_Pattern::no_pattern(), false), "\r\n(DashPattern -1)");
    // A first use without values cannot be resolved by a reader.
    std::string const out = write_stream(
        false, 600,
        [](WT_File& file)
        { EXPECT_EQ(WT_Dash_Pattern(4, 0, nullptr).serialize(file), WT_Result_Usage_Error); });
    EXPECT_EQ(out, header() + trailer(false));
}

TEST(Dash_Pattern, Set_Refuses_Odd_Counts_And_Reader_Refuses_Them_Without_Throwing)
{
    std::int16_t const values[] = {1, 2, 3};
    EXPECT_THROW(WT_Dash_Pattern(1, 3, values), WT_Result);
    WT_Dash_Pattern pattern;
    EXPECT_THROW(pattern.set(1, 3, values), WT_Result);

    Read_Back r = read_back<WT_Dash_Pattern>(header() + "(DashPattern 3 1,2,3)" + trailer(false));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
    // Values beyond 16 bits are not silently cut.
    r = read_back<WT_Dash_Pattern>(header() + "(DashPattern 3 1,70000)" + trailer(false));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
}

TEST(Line_Style, Joins_And_Caps_Wait_For_A_Positive_Line_Weight)
{
    std::string const out = write_body(false, 600,
                                       [](WT_File& file)
                                       {
                                           WT_Line_Style style;
                                           style.set_line_join(2);
                                           EXPECT_EQ(style.serialize(file), WT_Result_Success);
                                           file.desired_rendition().line_weight() =
                                               WT_Line_Weight(10);
                                           EXPECT_EQ(style.serialize(file), WT_Result_Success);
                                           // Now recorded as last written: nothing more.
                                           EXPECT_EQ(style.sync(file), WT_Result_Success);
                                       });
    EXPECT_EQ(out, "\r\n(LineStyle \r\n(LineJoin round))");
}

TEST(Line_Style, Writes_Only_Options_That_Differ_In_Fixed_Order)
{
    std::string const out =
        write_body(true, 600,
                   [](WT_File& file)
                   {
                       file.desired_rendition().line_weight() = WT_Line_Weight(3);
                       WT_Line_Style style;
                       style.set_miter_length(4);
                       style.set_dash_end_cap(3);
                       style.set_line_start_cap(1);
                       style.set_adapt_patterns(false); // equal to the default: not written
                       style.set_miter_angle(30);
                       EXPECT_EQ(style.serialize(file), WT_Result_Success);
                   });
    EXPECT_EQ(out, "(LineStyle (DashEndCap diamond) (LineStartCap square) (MiterAngle 30) "
                   "(MiterLength 4))");

    WT_Line_Style bad;
    bad.set_line_end_cap(4);
    std::string const refused =
        write_stream(false, 600,
                     [&](WT_File& file)
                     {
                         file.desired_rendition().line_weight() = WT_Line_Weight(3);
                         EXPECT_EQ(bad.serialize(file), WT_Result_Not_Available);
                     });
    EXPECT_EQ(refused.find("LineEndCap"), std::string::npos);
}

TEST(Line_Style, Reading_Merges_Options_Into_The_Rendition)
{
    std::string const input = header() +
                              "(LineStyle (LineJoin bevel) (Unheard 'x)' 1) (MiterAngle 20))"
                              "(LineStyle (DashStartCap round)(AdaptPatterns TRUE))" +
                              trailer(false);
    for (std::size_t hi : {1u, 3u, 64u})
    {
        Read_Back r = read_back<WT_Line_Style>(input, 1, hi);
        ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
        ASSERT_EQ(r.objects.size(), 2u);
        EXPECT_EQ(r.at<WT_Line_Style>(0).presence(),
                  WT_Line_Style::Line_Join_Bit | WT_Line_Style::Miter_Angle_Bit);
        WT_Line_Style const& merged = r.rendition->line_style();
        EXPECT_EQ(merged.line_join().value(), 1);
        EXPECT_EQ(merged.miter_angle().value(), 20);
        EXPECT_EQ(merged.dash_start_cap().value(), 2);
        EXPECT_TRUE(merged.adapt_patterns().value());
        EXPECT_EQ(merged.presence(), WT_Line_Style::Line_Join_Bit | WT_Line_Style::Miter_Angle_Bit |
                                         WT_Line_Style::Dash_Start_Cap_Bit |
                                         WT_Line_Style::Adapt_Patterns_Bit);
    }
    Read_Back r =
        read_back<WT_Line_Style>(header() + "(LineStyle (AdaptPatterns yes))" + trailer(false));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
    r = read_back<WT_Line_Style>(header() + "(LineStyle (LineJoin pointy))" + trailer(false));
    EXPECT_EQ(r.end, WT_Result_Corrupt_Stream);
}

TEST(Fill_Pattern, Names_Are_Quoted_When_Needed_And_Scale_Is_An_Option)
{
    EXPECT_EQ(body_of(WT_Fill_Pattern(WT_Fill_Pattern::Horizontal_Bars), false),
              "\r\n(FillPattern 'Horizontal Bars')");
    WT_Fill_Pattern scaled(WT_Fill_Pattern::Crosshatch);
    scaled.set_pattern_scale(2.5);
    EXPECT_EQ(body_of(scaled, true), "(FillPattern Crosshatch (FillPatternScale 2.5))");

    Read_Back r = read_back<WT_Fill_Pattern>(
        header() + "(FillPattern 'Slant Left' (FillPatternScale 3))(FillPattern Bogus)" +
        trailer(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(r.objects.size(), 2u);
    EXPECT_EQ(r.at<WT_Fill_Pattern>(0).pattern_id(), WT_Fill_Pattern::Slant_Left);
    EXPECT_EQ(r.at<WT_Fill_Pattern>(0).pattern_scale().value(), 3.0);
    EXPECT_EQ(r.at<WT_Fill_Pattern>(1).pattern_id(), WT_Fill_Pattern::Solid);
    // The second pattern keeps the scale read before it.
    EXPECT_TRUE(r.rendition->fill_pattern().has_scale());
    EXPECT_EQ(r.rendition->fill_pattern().pattern_scale().value(), 3.0);

    r = read_back<WT_Fill_Pattern>(header() + "(FillPattern Solid (Angle 3))" + trailer(false));
    EXPECT_EQ(r.end, WT_Result_Not_Available);
}

TEST(Merge_Control_And_Background, Golden_Forms)
{
    EXPECT_EQ(body_of(WT_Merge_Control(WT_Merge_Control::Merge), true), "(LinesOverwrite 'merge')");
    EXPECT_EQ(body_of(WT_Merge_Control(5), false), "\r\n(LinesOverwrite )");
    EXPECT_EQ(body_of(WT_Background(WT_Color(1, 2, 3, 4)), false, 55), "\r\n(Background 1,2,3,4)");
    // Version 6 streams have no background at all.
    EXPECT_EQ(body_of(WT_Background(WT_Color(1, 2, 3, 4)), false, 600), "");
}

TEST(Background, Indexed_Colour_Writes_Its_Index_And_Reads_As_The_Entry)
{
    std::string const out =
        write_body(false, 55,
                   [](WT_File& file)
                   {
                       WT_Color const grey(7, file.desired_rendition().color_map());
                       EXPECT_EQ(WT_Background(grey).serialize(file), WT_Result_Success);
                   });
    EXPECT_EQ(out, "\r\n(Background 7)");
    Read_Back r = read_back<WT_Background>(header(55) + "(Background 7)" + trailer(false));
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.at<WT_Background>(0).color().rgba(), WT_RGBA32(0xC0, 0xC0, 0xC0, 255));
    EXPECT_EQ(r.rendition->background().color().rgba(), WT_RGBA32(0xC0, 0xC0, 0xC0, 255));
    EXPECT_TRUE(r.rendition->drawing_info_changed() & WT_Attribute_Set::Background_Bit);
}

TEST(Styling_Sync, Each_Attribute_Written_Once_Per_Change_In_Bit_Order)
{
    std::string const out =
        write_body(false, 600,
                   [](WT_File& file)
                   {
                       WT_Attribute_Set& desired = file.desired_rendition();
                       desired.merge_control() = WT_Merge_Control(WT_Merge_Control::Merge);
                       desired.line_pattern() = WT_Line_Pattern(WT_Line_Pattern::Dashed);
                       desired.fill() = WT_Fill(true);
                       desired.line_weight() = WT_Line_Weight(4);
                       desired.mark_changed(0x20000 | 0x400 | 0x2 | 0x10);
                       EXPECT_EQ(desired.sync(file, 0xFFFFFFFF), WT_Result_Success);
                       desired.mark_changed(0x20000 | 0x400 | 0x2 | 0x10);
                       EXPECT_EQ(desired.sync(file, 0xFFFFFFFF), WT_Result_Success);
                   });
    EXPECT_EQ(out, "\r\nF\r\n(LineWeight 4)\r\n(LinePattern Dashed)\r\n(LinesOverwrite 'merge')");
}

TEST(Styling_Sync, Named_Line_Pattern_Drops_The_Dash_Pattern_When_Read)
{
    Read_Back r = read_back<WT_Dash_Pattern>(header() + "(DashPattern 5 10,5)" + trailer(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(r.rendition->dash_pattern().number(), 5);
    EXPECT_EQ(r.rendition->dash_pattern().values(), (std::vector<std::int16_t>{10, 5}));

    r = read_back<WT_Dash_Pattern>(header() + "(DashPattern 5 10,5)(LinePattern Dashed)" +
                                   trailer(false));
    EXPECT_EQ(r.rendition->dash_pattern().number(), WT_Dash_Pattern::No_Pattern);
    EXPECT_EQ(r.rendition->line_pattern().pattern_id(), WT_Line_Pattern::Dashed);

    // Named again by number alone, the pattern takes its first definition.
    r = read_back<WT_Dash_Pattern>(header() + "(DashPattern 5 10,5)(LinePattern Dashed)" +
                                   "(DashPattern 6 1,1)(DashPattern 5)" + trailer(false));
    EXPECT_EQ(r.rendition->dash_pattern().number(), 5);
    EXPECT_EQ(r.rendition->dash_pattern().values(), (std::vector<std::int16_t>{10, 5}));
}

TEST(Styling_Sheet, Every_Object_Reads_Back_Equal_In_Both_Forms)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = styling_sheet(binary, 55);
        for (auto [lo, hi] : {std::pair<std::size_t, std::size_t>{1, 1}, {1, 64}})
        {
            Read_Back r =
                read_back<WT_Line_Weight, WT_Fill, WT_Line_Pattern, WT_Dash_Pattern, WT_Line_Style,
                          WT_Fill_Pattern, WT_Merge_Control, WT_Background>(sheet, lo, hi);
            ASSERT_EQ(r.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(r.objects.size(), 11u);
            EXPECT_EQ(r.at<WT_Line_Weight>(0), WT_Line_Weight(35));
            EXPECT_EQ(r.at<WT_Line_Weight>(1), WT_Line_Weight(-7));
            EXPECT_EQ(r.at<WT_Fill>(2), WT_Fill(true));
            EXPECT_EQ(r.at<WT_Fill>(3), WT_Fill(false));
            EXPECT_EQ(r.at<WT_Line_Pattern>(4), WT_Line_Pattern(17));
            EXPECT_EQ(r.at<WT_Line_Pattern>(5), WT_Line_Pattern(0));
            std::int16_t const dashes[] = {10, 5, 300, 2, 1, 1, 7, 9};
            EXPECT_EQ(r.at<WT_Dash_Pattern>(6), WT_Dash_Pattern(5, 8, dashes));
            WT_Line_Style style;
            style.set_adapt_patterns(true);
            style.set_pattern_scale(2.5);
            EXPECT_EQ(r.at<WT_Line_Style>(7), style);
            WT_Fill_Pattern hatch(WT_Fill_Pattern::Horizontal_Bars);
            hatch.set_pattern_scale(0.125);
            EXPECT_EQ(r.at<WT_Fill_Pattern>(8), hatch);
            EXPECT_EQ(r.at<WT_Merge_Control>(9), WT_Merge_Control(WT_Merge_Control::Transparent));
            EXPECT_EQ(r.at<WT_Background>(10), WT_Background(WT_Color(0, 0, 255)));
            for (int kind : {267, 279, 315, 308, 257})
                EXPECT_EQ(r.statistics.count(kind), 1u) << kind;
            EXPECT_EQ(r.statistics.count(binary ? 23 : 278), 2u);
            EXPECT_EQ(r.statistics.count(70), 1u);
            EXPECT_EQ(r.statistics.count(102), 1u);
            EXPECT_EQ(r.statistics.count(binary ? 204 : 277), binary ? 1u : 2u);
        }
    }
}

TEST(Styling_Sheet, Damaged_Copies_Never_Crash_Or_Stall)
{
    expect_survives_damage(styling_sheet(false, 55));
    expect_survives_damage(styling_sheet(true, 55));
}

TEST(Styling_Sheet, A_Reader_That_Materializes_Nothing_Stays_In_Step)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = styling_sheet(binary, 55);
        std::vector<int> const all = read_back<>(sheet).ids;
        for (std::size_t hi : {1u, 64u})
        {
            WT_Result end = WT_Result_Success;
            EXPECT_EQ(ids_when_skipping(sheet, hi, &end), all) << binary << " " << hi;
            EXPECT_EQ(end, WT_Result_End_Of_Input);
        }
    }
}
