// Metadata strings, time stamps, drawing information and the compression
// marker: golden bytes, read back with input trickling in, the creator
// compatibility check, and damaged input.
#include "dwf/w2dtk/compression_marker.h"
#include "dwf/w2dtk/drawing_info.h"
#include "dwf/w2dtk/informational.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/time_stamp.h"

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

// "é", then U+1F600 as a surrogate pair: beyond Latin-1 and beyond the BMP.
const char16_t Wide_Text[] = {u'A', 0x00E9, 0xD83D, 0xDE00, 0};

std::string metadata_sheet(bool binary)
{
    return write_stream(
        binary, 55,
        [](WT_File& file)
        {
            auto ok = [](WT_Result r) { EXPECT_EQ(r, WT_Result_Success); };
            ok(WT_Author("Ann Lee").serialize(file));
            ok(WT_Comments("it's (nearly) done\\").serialize(file));
            ok(WT_Copyright(WT_String(Wide_Text)).serialize(file));
            ok(WT_Creator("Quillcast").serialize(file));
            ok(WT_Description("Bracket").serialize(file));
            ok(WT_Keywords("steel bracket").serialize(file));
            ok(WT_Source_Filename("C:\\parts\\b.sldprt").serialize(file));
            ok(WT_Subject("{braces}").serialize(file));
            ok(WT_Title("\"quoted\"").serialize(file));
            ok(WT_Created(1170000000, "one", "two words").serialize(file));
            ok(WT_Modified(-5, WT_String(Wide_Text), "").serialize(file));
            ok(WT_Source_Created().serialize(file));
            ok(WT_Source_Modified(7, "x", "y").serialize(file));
            ok(WT_Plot_Optimized(true).serialize(file));
            ok(WT_Inked_Area({{{0, 0}, {10, 0}, {10, -10}, {0, 2147483647}}}).serialize(file));
            ok(WT_Pen_Pat_Options(false, true, false, true).serialize(file));
        });
}
} // namespace

TEST(Informational, Golden_Forms_And_Empty_Strings)
{
    EXPECT_EQ(body_of(WT_Author("Ann"), false), "\r\n(Author Ann)");
    EXPECT_EQ(body_of(WT_Author("Ann"), true), "(Author Ann)");
    EXPECT_EQ(body_of(WT_Title("Ann's plan"), false), "\r\n(Title 'Ann\\'s plan')");
    EXPECT_EQ(body_of(WT_Comments("c"), false), "\r\n(Comments c)");
    EXPECT_EQ(body_of(WT_Author(""), false), "");
    EXPECT_EQ(body_of(WT_Author(), true), "");
}

TEST(Informational, Text_Beyond_Latin1_And_The_BMP_In_Both_Forms)
{
    EXPECT_EQ(body_of(WT_Keywords(WT_String(Wide_Text)), false),
              "\r\n(Keywords \"004100E9D83DDE00\")");
    EXPECT_EQ(body_of(WT_Keywords(WT_String(Wide_Text)), true),
              "(Keywords {" + bytes({4, 0, 0, 0, 'A', 0, 0xE9, 0, 0x3D, 0xD8, 0x00, 0xDE}) + "})");
}

TEST(Informational, Latin1_Bytes_In_A_Stream_Are_Read_Not_Thrown)
{
    Read_Back r = read_back<WT_Author>(header() + "(Author 'Andr\xE9')" + trailer(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_EQ(r.at<WT_Author>(0).string(), WT_String(u"Andr\u00E9"));
}

TEST(Informational, Every_Comment_Name_Builds_Comments)
{
    Read_Back r = read_back<WT_Comments>(header() + "(Comments a)(Comment b)(CommentSection c)" +
                                         trailer(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(r.objects.size(), 3u);
    EXPECT_EQ(r.at<WT_Comments>(2).string(), WT_String("c"));
    EXPECT_EQ(r.rendition->metadata().comments().string(), WT_String("c"));
}

TEST(Informational, Creator_Check_Sets_The_Compatibility_Flag)
{
    auto flag_after = [](const std::string& opcode)
    { return read_back<>(header() + opcode + trailer(false)).compatibility_flag; };
    EXPECT_TRUE(flag_after("(Creator 'Made by Genuine Corvadraft 2000i, build 4')"));
    EXPECT_TRUE(flag_after("(Creator 'Genuine Corvadraft R14')"));
    EXPECT_FALSE(flag_after("(Creator 'genuine corvadraft r14')"));
    EXPECT_FALSE(flag_after("(Creator 'Genuine Corvadraft')"));
    EXPECT_FALSE(flag_after("(Title 'Genuine Corvadraft R14')"));
    // Written by this toolkit, the creator reads back with the flag.
    std::string const creator = write_stream(
        false, 600,
        [](WT_File& file)
        { EXPECT_EQ(WT_Creator("Genuine Corvadraft 2000").serialize(file), WT_Result_Success); });
    EXPECT_EQ(creator, header() + "\r\n(Creator 'Genuine Corvadraft 2000')" + trailer(false));
    EXPECT_TRUE(read_back<>(creator, 1, 1).compatibility_flag);
    // Never cleared by a later creator while the file is open.
    EXPECT_TRUE(flag_after("(Creator 'Genuine Corvadraft 2002')(Creator Other)"));
}

TEST(Timestamp, Written_Even_When_Empty)
{
    EXPECT_EQ(body_of(WT_Created(), false), "\r\n(Created 0 '' '')");
    EXPECT_EQ(body_of(WT_Source_Modified(12, "a b", "c"), true), "(SourceModified 12 'a b' c)");
}

TEST(Drawing_Info, Golden_Forms)
{
    EXPECT_EQ(body_of(WT_Pen_Pat_Options(), false), "\r\n(PenPat_Options 1 1 1 0 )");
    EXPECT_EQ(body_of(WT_Plot_Optimized(true), false), "\r\n(PlotOptimized 1)");
    EXPECT_EQ(body_of(WT_Plot_Optimized(false), true), "(PlotOptimized 0)");
    WT_Inked_Area const area({{{0, 0}, {10, 0}, {10, 10}, {0, 10}}});
    EXPECT_EQ(body_of(area, false, 55), "\r\n(InkedArea 0,0 10,0 10,10 0,10)");
    EXPECT_EQ(body_of(WT_Inked_Area(), false, 55), "");

    std::string const out = write_stream(false, 600,
                                         [&](WT_File& file)
                                         {
                                             WT_Inked_Area copy = area;
                                             EXPECT_EQ(copy.serialize(file), WT_Result_Usage_Error);
                                         });
    EXPECT_EQ(out, header() + trailer(false));
}

TEST(Drawing_Info, Inked_Area_Goes_Through_The_Files_Transform)
{
    std::string const out = write_body(false, 55,
                                       [](WT_File& file)
                                       {
                                           file.heuristics().m_apply_transform = true;
                                           file.heuristics().m_transform.m_x_scale = 2.0;
                                           file.heuristics().m_transform.m_translate_y = 5;
                                           file.heuristics().m_transform.m_rotation = 90;
                                           WT_Inked_Area area({{{1, 1}, {2, 1}, {2, 2}, {1, 2}}});
                                           EXPECT_EQ(area.serialize(file), WT_Result_Success);
                                       });
    EXPECT_EQ(out, "\r\n(InkedArea 2147483641,2 2147483641,4 2147483640,4 2147483640,2)");
}

TEST(Drawing_Info, Equality_Of_Inked_Areas_With_And_Without_Corners)
{
    WT_Inked_Area none, other_none;
    WT_Inked_Area some({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
    EXPECT_TRUE(none == other_none);
    EXPECT_FALSE(none == some);
    EXPECT_FALSE(some == none);
    EXPECT_TRUE(some == WT_Inked_Area(some));
}

TEST(Drawing_Info, Sync_Writes_A_Changed_Member_Once)
{
    std::string const out =
        write_body(false, 55,
                   [](WT_File& file)
                   {
                       WT_Attribute_Set& desired = file.desired_rendition();
                       desired.pen_pat_options().set_flag(3, true);
                       desired.plot_optimized().set_plot_optimized(true);
                       desired.mark_drawing_info_changed(WT_Attribute_Set::Pen_Pat_Options_Bit |
                                                         WT_Attribute_Set::Plot_Optimized_Bit);
                       EXPECT_EQ(desired.sync(file, 0), WT_Result_Success);
                       desired.mark_drawing_info_changed(WT_Attribute_Set::Pen_Pat_Options_Bit |
                                                         WT_Attribute_Set::Plot_Optimized_Bit);
                       EXPECT_EQ(desired.sync(file, 0), WT_Result_Success);
                   });
    EXPECT_EQ(out, "\r\n(PlotOptimized 1)\r\n(PenPat_Options 1 1 1 1 )");
}

TEST(Compression_Marker, Seven_Bytes_Numbered_By_Target_Version)
{
    EXPECT_EQ(body_of(WT_Compression_Marker(), true, 38), bytes({'{', 0, 0, 0, 0, 0x10, 0x00}));
    EXPECT_EQ(body_of(WT_Compression_Marker(), false, 600), bytes({'{', 0, 0, 0, 0, 0x11, 0x00}));

    WT_File file;
    WT_Opcode opcode;
    std::uint8_t const token[7] = {'{', 0, 0, 0, 0, 0x11, 0x00};
    opcode.set_token(WT_Opcode::Extended_Binary, token, 7);
    WT_Compression_Marker marker;
    EXPECT_EQ(marker.materialize(opcode, file), WT_Result_Success);
    EXPECT_EQ(marker.number(), 17);
    opcode.set_token(WT_Opcode::Extended_ASCII, "(Foo", 4);
    EXPECT_EQ(WT_Compression_Marker().materialize(opcode, file), WT_Result_Foreign_Opcode);
}

TEST(Metadata_Sheet, Every_Object_Reads_Back_Equal_In_Both_Forms)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = metadata_sheet(binary);
        for (std::size_t hi : {1u, 64u})
        {
            Read_Back r =
                read_back<WT_Author, WT_Comments, WT_Copyright, WT_Creator, WT_Description,
                          WT_Keywords, WT_Source_Filename, WT_Subject, WT_Title, WT_Created,
                          WT_Modified, WT_Source_Created, WT_Source_Modified, WT_Plot_Optimized,
                          WT_Inked_Area, WT_Pen_Pat_Options>(sheet, 1, hi);
            ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
            ASSERT_EQ(r.objects.size(), 16u);
            WT_Metadata_Set& m = r.rendition->metadata();
            EXPECT_EQ(m.author().string(), WT_String("Ann Lee"));
            EXPECT_EQ(m.comments().string(), WT_String("it's (nearly) done\\"));
            EXPECT_EQ(m.copyright().string(), WT_String(Wide_Text));
            EXPECT_EQ(m.creator().string(), WT_String("Quillcast"));
            EXPECT_EQ(m.description().string(), WT_String("Bracket"));
            EXPECT_EQ(m.keywords().string(), WT_String("steel bracket"));
            EXPECT_EQ(m.source_filename().string(), WT_String("C:\\parts\\b.sldprt"));
            EXPECT_EQ(m.subject().string(), WT_String("{braces}"));
            EXPECT_EQ(m.title().string(), WT_String("\"quoted\""));
            EXPECT_EQ(m.created(), WT_Created(1170000000, "one", "two words"));
            EXPECT_EQ(m.modified(), WT_Modified(-5, WT_String(Wide_Text), ""));
            EXPECT_EQ(m.source_created(), WT_Source_Created());
            EXPECT_EQ(m.source_modified(), WT_Source_Modified(7, "x", "y"));
            EXPECT_EQ(r.rendition->metadata_changed(), 0x79FFu);
            EXPECT_EQ(r.rendition->plot_optimized(), WT_Plot_Optimized(true));
            EXPECT_EQ(r.rendition->inked_area(),
                      WT_Inked_Area({{{0, 0}, {10, 0}, {10, -10}, {0, 2147483647}}}));
            EXPECT_EQ(r.rendition->pen_pat_options(), WT_Pen_Pat_Options(false, true, false, true));
            EXPECT_EQ(r.rendition->drawing_info_changed(), 0x1Cu);
            EXPECT_FALSE(r.compatibility_flag);
        }
    }
}

TEST(Metadata_Sheet, Damaged_Copies_Never_Crash_Or_Stall)
{
    expect_survives_damage(metadata_sheet(false));
    expect_survives_damage(metadata_sheet(true));
}

TEST(Metadata_Sheet, Opcodes_Count_Under_Their_Statistics_Kinds)
{
    Read_Back r = read_back<>(metadata_sheet(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    struct
    {
        int kind;
        const char* name;
    } const expected[] = {
        {256, "EXAO_DEFINE_AUTHOR"},
        {262, "EXAO_DEFINE_COMMENTS"},
        {263, "EXAO_DEFINE_COPYRIGHT"},
        {264, "EXAO_DEFINE_CREATOR"},
        {269, "EXAO_DEFINE_DESCRIPTION"},
        {275, "EXAO_DEFINE_KEYWORDS"},
        {286, "EXAO_SOURCE_FILENAME"},
        {304, "EXAO_DEFINE_SUBJECT"},
        {303, "EXAO_DEFINE_TITLE"},
        {265, "EXAO_DEFINE_CREATION_TIME"},
        {280, "EXAO_DEFINE_MODIFICATION_TIME"},
        {284, "EXAO_DEFINE_SOURCE_CREATION_TIME"},
        {285, "EXAO_DEFINE_SOURCE_MODIFICATION_TIME"},
        {312, "EXAO_SET_OPTIMIZED_FOR_PLOTTING"},
        {316, "EXAO_SET_INKED_AREA"},
        {363, "EXAO_PENPAT_OPTIONS"},
    };
    for (auto const& e : expected)
    {
        EXPECT_EQ(r.statistics.count(e.kind), 1u) << e.name;
        EXPECT_STREQ(WT_Opcode_Statistics::kind_name(e.kind), e.name);
    }
}

TEST(Metadata_Sheet, A_Reader_That_Materializes_Nothing_Stays_In_Step)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = metadata_sheet(binary);
        std::vector<int> const all = read_back<>(sheet).ids;
        for (std::size_t hi : {1u, 64u})
        {
            WT_Result end = WT_Result_Success;
            EXPECT_EQ(ids_when_skipping(sheet, hi, &end), all) << binary << " " << hi;
            EXPECT_EQ(end, WT_Result_End_Of_Input);
        }
    }
}
