// Groups, named views, embedding, embedded and trusted fonts and pen
// patterns: golden forms, read back with input trickling in, what reading
// does to the file, malformed operands and damage.
#include "dwf/w2dtk/embed.h"
#include "dwf/w2dtk/embedded_font.h"
#include "dwf/w2dtk/group.h"
#include "dwf/w2dtk/named_view.h"
#include "dwf/w2dtk/object_node.h"
#include "dwf/w2dtk/pen_pattern.h"
#include "dwf/w2dtk/trusted_font_list.h"

#include "dwf/w2dtk/tests/object_streams.h"

#include <gtest/gtest.h>

using namespace w2d_test;

namespace
{
std::string u32(std::uint32_t v)
{
    return bytes({int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF), int(v >> 24)});
}

template <class T> std::string body_of(T object, bool binary, int version = 55)
{
    return write_body(binary, version,
                      [&](WT_File& file) { EXPECT_EQ(object.serialize(file), WT_Result_Success); });
}

WT_Embedded_Font::Bytes raw(const std::string& text)
{
    return WT_Embedded_Font::Bytes(text.begin(), text.end());
}

WT_Color_Map small_map()
{
    WT_File scratch;
    WT_Color_Map map;
    WT_RGBA32 const entries[] = {WT_RGBA32(1, 2, 3, 4), WT_RGBA32(250, 128, 0, 255)};
    map.set(2, entries, scratch);
    return map;
}

WT_Embed tricky_embed()
{
    WT_Embed embed;
    embed.set_mime("image", "png", "q=1");
    embed.set_description("a picture");
    embed.set_request("");
    embed.set_source("C:\\it's here");
    return embed;
}

// Every object of the family in one stream.
std::string family_stream(bool binary)
{
    return write_stream(
        binary, 55,
        [](WT_File& file)
        {
            EXPECT_EQ(WT_Group_Begin("walls").serialize(file), 0);
            EXPECT_EQ(WT_Group_End().serialize(file), 0);
            WT_Named_View view(WT_Logical_Box({-10, 20}, {300, 400}), "front door");
            EXPECT_EQ(view.serialize(file), 0);
            EXPECT_EQ(tricky_embed().serialize(file), 0);
            WT_Embedded_Font font(0x101, 4, 3, raw("Sans (x)"), raw("it's"), {0, 1, 255});
            EXPECT_EQ(font.serialize(file), 0);
            WT_Trusted_Font_List fonts;
            fonts.add("a");
            fonts.add("b c");
            EXPECT_EQ(fonts.serialize(file), 0);
            EXPECT_EQ(WT_Pen_Pattern(3, 40).serialize(file), 0);
            WT_Pen_Pattern mapped(99);
            mapped.set_color_map(small_map());
            EXPECT_EQ(mapped.serialize(file), 0);
        });
}
} // namespace

TEST(Groups, Golden_Forms_And_Version_Limit)
{
    EXPECT_EQ(body_of(WT_Group_Begin("walls"), false), "\r\n(GroupBegin walls)");
    EXPECT_EQ(body_of(WT_Group_Begin("two words"), true), "(GroupBegin 'two words')");
    EXPECT_EQ(body_of(WT_Group_End(), false), "\r\n(GroupEnd)");
    write_body(false, 600,
               [](WT_File& file)
               {
                   EXPECT_EQ(WT_Group_Begin("x").serialize(file), WT_Result_Usage_Error);
                   EXPECT_EQ(WT_Group_End().serialize(file), WT_Result_Usage_Error);
               });
}

TEST(Groups, Reading_Switches_The_Object_Node)
{
    // Nodes 0 and 4 exist; a group named "A" makes node 5 named A.
    std::string const stream = header(55) + "(Node 0)(Node 4 'four')(GroupBegin A)" +
                               "(GroupBegin four)(GroupEnd)(GroupBegin A)" + trailer(false);
    std::vector<std::int32_t> nodes;
    std::vector<std::string> names;
    Memory_Stream input(stream);
    WT_File file;
    open_for_reading(file, input, 1, 64);
    ASSERT_EQ(file.open(), 0);
    EXPECT_EQ(read_stream(file,
                          [&](WT_Object& object)
                          {
                              if (object.object_id() == WT_Object::Group_Begin_ID ||
                                  object.object_id() == WT_Object::Group_End_ID)
                              {
                                  nodes.push_back(file.rendition().object_node().number());
                                  const WT_String& name = file.rendition().object_node().name();
                                  names.push_back(name.empty() ? "" : name.ascii());
                              }
                          }),
              WT_Result_End_Of_Stream);
    EXPECT_EQ(nodes, (std::vector<std::int32_t>{5, 4, 0, 5}));
    EXPECT_EQ(names, (std::vector<std::string>{"A", "four", "", "A"}));
    ASSERT_NE(file.defined_object_nodes().name(5), nullptr);
    EXPECT_TRUE(*file.defined_object_nodes().name(5) == WT_String("A"));
}

TEST(Named_View, Written_Once_Until_Set_Again)
{
    WT_Named_View view(WT_Logical_Box({300, 400}, {-10, 20}), "front");
    std::string const out = write_body(false, 600,
                                       [&](WT_File& file)
                                       {
                                           EXPECT_EQ(view.serialize(file), 0);
                                           EXPECT_EQ(view.serialize(file), 0);
                                           view.set_view(WT_Logical_Box({0, 0}, {1, 1}));
                                           EXPECT_EQ(view.serialize(file), 0);
                                       });
    // Corners go out as (smaller, smaller) then (larger, larger).
    EXPECT_EQ(out, "\r\n(NamedView -10,20 300,400 front)\r\n(NamedView 0,0 1,1 front)");

    // The output transform moves the corners; a rotation off the right angles throws.
    std::string const moved = write_body(false, 600,
                                         [](WT_File& file)
                                         {
                                             file.heuristics().m_apply_transform = true;
                                             file.heuristics().m_transform.m_x_scale = 2;
                                             file.heuristics().m_transform.m_translate_y = 5;
                                             WT_Named_View v(WT_Logical_Box({1, 1}, {2, 3}), "t");
                                             EXPECT_EQ(v.serialize(file), 0);
                                             file.heuristics().m_transform.m_rotation = 45;
                                             WT_Named_View w(WT_Logical_Box({1, 1}, {2, 3}), "u");
                                             EXPECT_THROW(w.serialize(file), WT_Result);
                                             file.heuristics().m_apply_transform = false;
                                         });
    EXPECT_EQ(moved.substr(0, 29), "\r\n(NamedView 2,6 4,8 t)");
}

TEST(Embed, Golden_Form_Escapes_The_Source)
{
    EXPECT_EQ(body_of(tricky_embed(), false),
              "\r\n(Embed 'image/png;q=1' 'a picture' '' 'C:\\\\it\\'s here' )");
    EXPECT_EQ(body_of(WT_Embed(), false), "\r\n(Embed '/;' '' '' '')");
}

TEST(Embedded_Font_And_Pen_Pattern, Golden_Forms)
{
    WT_Embedded_Font font(1, 2, 3, raw("ab"), raw("c"), {0xFE});
    EXPECT_EQ(body_of(font, true), "{" + u32(25) + bytes({0x3E, 0x01}) + u32(1) + bytes({2, 3}) +
                                       u32(2) + "ab" + u32(1) + "c" + u32(1) + bytes({0xFE}) + "}");
    EXPECT_EQ(body_of(font, false), "\r\n   (Embedded_Font 1 2 3 2 ab 1 c (1 \r\n\tFE))");
    write_body(false, 55,
               [](WT_File& file)
               {
                   WT_Embedded_Font bad_code(1, 2, 4, {}, {}, {});
                   EXPECT_EQ(bad_code.serialize(file), WT_Result_Not_Available);
                   WT_Embedded_Font no_request(0x100, 2, 3, {}, {}, {});
                   EXPECT_EQ(no_request.serialize(file), WT_Result_Not_Available);
               });

    EXPECT_EQ(body_of(WT_Pen_Pattern(7), false), "\r\n(PenPattern 7 0  )");
    EXPECT_EQ(body_of(WT_Pen_Pattern(7), true),
              "{" + bytes({8, 0, 0, 0, 0x64, 0x01, 7, 0, 0, 0}) + "0}");
    EXPECT_EQ(body_of(WT_Pen_Pattern(3, 40), false), "\r\n(PenPattern 3 40 0 )");
    EXPECT_EQ(body_of(WT_Pen_Pattern(3, 40), true),
              "{" + u32(12) + bytes({0x64, 0x01}) + u32(3) + u32(40) + "0}");
    WT_Pen_Pattern mapped(6);
    mapped.set_color_map(small_map());
    EXPECT_EQ(body_of(mapped, true), "{" + u32(17) + bytes({0x64, 0x01}) + u32(6) + "1" +
                                         bytes({2, 1, 2, 3, 4, 250, 128, 0, 255}) + "}");
    write_body(false, 55,
               [](WT_File& file)
               { EXPECT_EQ(WT_Pen_Pattern(113).serialize(file), WT_Result_Not_Available); });

    WT_Trusted_Font_List fonts;
    EXPECT_EQ(body_of(fonts, false), "\r\n(TrustedFontList )");
    fonts.add("a");
    fonts.add("b");
    EXPECT_EQ(body_of(fonts, false), "\r\n(TrustedFontList 'a'  'b' )");
}

TEST(Pen_Pattern, Sync_Writes_Only_Changes)
{
    std::string const out = write_body(false, 55,
                                       [](WT_File& file)
                                       {
                                           WT_Pen_Pattern p(9);
                                           EXPECT_EQ(p.sync(file), 0);
                                           EXPECT_EQ(p.sync(file), 0);
                                           WT_Pen_Pattern q(9);
                                           q.set_color_map(small_map());
                                           EXPECT_EQ(q.sync(file), 0);
                                       });
    EXPECT_EQ(out.find("(PenPattern 9 0  )"), 2u);
    EXPECT_EQ(out.find("(PenPattern 9 0  )", 3), std::string::npos);
    EXPECT_NE(out.find("(PenPattern 9 1  "), std::string::npos);
}

TEST(Groups_Views_Fonts, Read_Back_In_Both_Forms_With_Input_Trickling)
{
    for (bool binary : {false, true})
    {
        std::string const stream = family_stream(binary);
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            Read_Back back = read_back<WT_Group_Begin, WT_Named_View, WT_Embed, WT_Embedded_Font,
                                       WT_Trusted_Font_List, WT_Pen_Pattern>(stream, 1, hi);
            ASSERT_EQ(back.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(back.objects.size(), 7u);
            EXPECT_TRUE(back.at<WT_Group_Begin>(0).name() == WT_String("walls"));
            auto const& view = back.at<WT_Named_View>(1);
            EXPECT_TRUE(view == WT_Named_View(WT_Logical_Box({-10, 20}, {300, 400}), "front door"));
            auto const& embed = back.at<WT_Embed>(2);
            EXPECT_TRUE(embed.mime_type() == WT_String("image"));
            EXPECT_TRUE(embed.mime_subtype() == WT_String("png"));
            EXPECT_TRUE(embed.mime_options() == WT_String("q=1"));
            EXPECT_TRUE(embed.description() == WT_String("a picture"));
            EXPECT_TRUE(embed.request().empty());
            EXPECT_TRUE(embed.source() == WT_String("C:\\it's here"));
            EXPECT_GE(embed.serial(), 3);
            auto const& font = back.at<WT_Embedded_Font>(3);
            EXPECT_EQ(font.request(), 0x101u);
            EXPECT_EQ(font.first_code(), 4);
            EXPECT_EQ(font.second_code(), 3);
            EXPECT_EQ(font.first_name(), raw("Sans (x)"));
            EXPECT_EQ(font.second_name(), raw("it's"));
            EXPECT_EQ(font.data(), (WT_Embedded_Font::Bytes{0, 1, 255}));
            auto const& fonts = back.at<WT_Trusted_Font_List>(4);
            ASSERT_EQ(fonts.count(), 2u);
            EXPECT_TRUE((*std::next(fonts.items().begin()))->name() == WT_String("b c"));
            EXPECT_TRUE(back.at<WT_Pen_Pattern>(5) == WT_Pen_Pattern(3, 40));
            WT_Pen_Pattern mapped(99);
            mapped.set_color_map(small_map());
            EXPECT_TRUE(back.at<WT_Pen_Pattern>(6) == mapped);
            // The last pen pattern read is the one in force; the view was recorded.
            EXPECT_TRUE(back.rendition->pen_pattern() == mapped);
            EXPECT_EQ(back.rendition->metadata().named_views().count(), 1u);
        }
    }
}

TEST(Groups_Views_Fonts, Malformed_Operands)
{
    std::string const head = header(55);
    auto end_of = [&](const std::string& body)
    {
        return read_back<WT_Embedded_Font, WT_Pen_Pattern, WT_Trusted_Font_List>(head + body +
                                                                                 trailer(false))
            .end;
    };
    // An empty list reads back empty, not as one empty name.
    Read_Back empty = read_back<WT_Trusted_Font_List>(head + "(TrustedFontList )" + trailer(false));
    ASSERT_EQ(empty.objects.size(), 1u);
    EXPECT_EQ(empty.at<WT_Trusted_Font_List>(0).count(), 0u);

    EXPECT_EQ(end_of("(PenPattern 0 0 )"), WT_Result_Not_Available);
    EXPECT_EQ(end_of("(PenPattern 7 2 )"), WT_Result_Not_Available);
    EXPECT_EQ(end_of("(PenPattern 7 1 (Color 1,2,3,4))"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("{" + u32(9) + bytes({0x64, 0x01}) + u32(7) + "0}"),
              WT_Result_Inconsistent_Operand);
    // Name lengths and data sizes beyond the frame or negative.
    EXPECT_EQ(end_of("{" + u32(21) + bytes({0x3E, 0x01}) + u32(1) + bytes({2, 3}) +
                     u32(0xFFFFFFF0u) + "}"),
              WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("{" + u32(21) + bytes({0x3E, 0x01}) + u32(1) + bytes({2, 3}) + u32(5) + "}"),
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(end_of("(Embedded_Font 1 2 3 -4 ab 1 c (1 FE))"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(Embedded_Font 1 2 3 2 ab 1 c 1 FE))"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(GroupBegin x)"), WT_Result_End_Of_Stream);
    EXPECT_EQ(read_back<WT_Named_View>(head + "(NamedView 1,2 x)" + trailer(false)).end,
              WT_Result_Corrupt_Stream);
}

TEST(Groups_Views_Fonts, Damaged_Streams_Fail_Cleanly)
{
    expect_survives_damage(family_stream(false), 200, 21);
    expect_survives_damage(family_stream(true), 200, 22);
}
