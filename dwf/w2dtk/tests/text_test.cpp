// Fonts and text: golden bytes of both forms, the font written only where it
// changed, read back with input trickling in (also the layouts of old
// streams), text measurement through the metrics interface, damaged input.
#include "dwf/w2dtk/font.h"
#include "dwf/w2dtk/text.h"
#include "dwf/w2dtk/text_metrics.h"

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

std::string le32(std::int32_t v)
{
    auto u = std::uint32_t(v);
    return bytes({int(u & 0xFF), int(u >> 8 & 0xFF), int(u >> 16 & 0xFF), int(u >> 24)});
}

std::string le16(int v)
{
    return bytes({v & 0xFF, v >> 8 & 0xFF});
}

WT_Text decorated_text(const WT_String& string)
{
    WT_Text text(WT_Logical_Point(10, 20), string);
    text.underscore().set({0, 3});
    text.overscore().set({65535});
    text.bounds_option().set({{{0, 0}, {100, 0}, {100, 20}, {0, 20}}});
    text.char_positions().set({0, 50, 75});
    return text;
}

WT_Font times_font()
{
    return WT_Font("Times New Roman", true, false, true, 100, 1, 16, -250, 16384, 900, 1100, 12,
                   0x80000001u);
}

// Fonts and texts of every form; the font changes between the texts.
std::string text_sheet(bool binary, int version)
{
    return write_stream(binary, version,
                        [](WT_File& file)
                        {
                            auto ok = [](WT_Result r) { EXPECT_EQ(r, WT_Result_Success); };
                            ok(WT_Text(WT_Logical_Point(-5, 7), "plain").serialize(file));
                            file.desired_rendition().font() = times_font();
                            ok(WT_Text(WT_Logical_Point(1 << 30, -(1 << 30)), WT_String(Wide_Text))
                                   .serialize(file));
                            file.desired_rendition().font().height().set(40);
                            ok(decorated_text("two words").serialize(file));
                            ok(WT_Font().serialize(file));
                        });
}

class Fixed_Metrics : public WT_Text_Metrics
{
public:
    bool measure(const WT_Text_Font_Description& font, const std::u16string& text,
                 WT_Text_Extent& extent) override
    {
        last_font = font;
        last_text = text;
        extent.m_width = 500.0 * double(text.size());
        extent.m_height = 700;
        extent.m_em_height = 1000;
        return true;
    }
    WT_Text_Font_Description last_font;
    std::u16string last_text;
};
} // namespace

TEST(Font, Default_Font_Golden_Bytes)
{
    EXPECT_EQ(body_of(WT_Font(), false),
              "\r\n(Font (Name Arial) (Charset ANSI) (Pitch variable) (Family roman) (Style) "
              "(Height 1000) (Rotation 0) (Widthscale 1024) (Spacing 1024) (Oblique 0) (Flags 0))");
    EXPECT_EQ(body_of(WT_Font(), true), bytes({0x06, 0xFF, 0x07}) + "'Arial'" +
                                            bytes({0, 2, 16, 0}) + le32(1000) + le16(0) +
                                            le16(1024) + le16(1024) + le16(0) + le32(0));
}

TEST(Font, Only_Differing_Options_Are_Written_On_Sync)
{
    for (bool binary : {false, true})
    {
        std::string const out = write_body(
            binary, 600,
            [](WT_File& file)
            {
                WT_Attribute_Set& desired = file.desired_rendition();
                desired.font().height().set(500);
                desired.mark_changed(WT_Attribute_Set::Font_Bit);
                EXPECT_EQ(desired.sync(file, WT_Attribute_Set::Font_Bit), WT_Result_Success);
                // Unchanged: nothing more.
                desired.mark_changed(WT_Attribute_Set::Font_Bit);
                EXPECT_EQ(desired.sync(file, WT_Attribute_Set::Font_Bit), WT_Result_Success);
                desired.font().style().set_italic(true);
                desired.font().font_name().set("Courier");
                desired.mark_changed(WT_Attribute_Set::Font_Bit);
                EXPECT_EQ(desired.sync(file, WT_Attribute_Set::Font_Bit), WT_Result_Success);
            });
        if (binary)
            EXPECT_EQ(out, bytes({0x06, 0x20, 0x00}) + le32(500) + bytes({0x06, 0x11, 0x00}) +
                               "'Courier'" + bytes({2}));
        else
            EXPECT_EQ(out, "\r\n(Font (Height 500))\r\n(Font (Name Courier) (Style italic))");
    }
}

TEST(Font, Keywords_Numbers_And_Values_Without_A_Form)
{
    WT_Font font = times_font();
    font.set_fields_defined(WT_Font::Charset_Bit | WT_Font::Height_Bit | WT_Font::Flags_Bit);
    // The height goes out as its magnitude; a charset without keyword as a number.
    EXPECT_EQ(body_of(font, false), "\r\n(Font (Charset 100) (Height 250) (Flags 2147483649))");

    std::string const out =
        write_stream(false, 600,
                     [](WT_File& file)
                     {
                         WT_Font bad;
                         bad.pitch().set(7);
                         EXPECT_EQ(bad.serialize(file), WT_Result_Not_Available);
                         bad.pitch().set(2);
                         bad.family().set(17);
                         EXPECT_EQ(bad.serialize(file), WT_Result_Not_Available);
                     });
    EXPECT_EQ(out.find("(Family"), std::string::npos);
}

TEST(Font, Reading_Options_Merges_Into_The_Current_Font)
{
    std::string const input = header() +
                              "(Font (Name 'Times New Roman') (Style bold underlined extra) "
                              "(Height 12) (Kerning (a b) 1) (Charset 100) (Pitch fixed))"
                              "(Font (Height 30))" +
                              trailer(false);
    for (std::size_t hi : {1u, 5u, 64u})
    {
        Read_Back r = read_back<WT_Font>(input, 1, hi);
        ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
        ASSERT_EQ(r.objects.size(), 2u);
        WT_Font const& first = r.at<WT_Font>(0);
        EXPECT_EQ(first.fields_defined(), WT_Font::Name_Bit | WT_Font::Style_Bit |
                                              WT_Font::Height_Bit | WT_Font::Charset_Bit |
                                              WT_Font::Pitch_Bit);
        EXPECT_TRUE(first.style().bold());
        EXPECT_FALSE(first.style().italic());
        EXPECT_TRUE(first.style().underlined());
        EXPECT_EQ(r.at<WT_Font>(1).fields_defined(), WT_Font::Height_Bit);
        WT_Font const& current = r.rendition->font();
        EXPECT_EQ(current.font_name().font_name(), WT_String("Times New Roman"));
        EXPECT_EQ(current.height().height(), 30);
        EXPECT_EQ(current.charset().value(), 100);
        EXPECT_EQ(current.pitch().value(), 1);
        EXPECT_EQ(current.family().value(), 16); // untouched default
    }
    for (const char* bad : {"(Font (Charset 256))", "(Font (Pitch loose))", "(Font (Height x))"})
        EXPECT_EQ(read_back<>(header() + bad + trailer(false)).end, WT_Result_Corrupt_Stream)
            << bad;
    // A binary mask naming options that do not exist cannot be followed.
    EXPECT_EQ(read_back<>(header() + bytes({0x06, 0x00, 0x08}) + trailer(true)).end,
              WT_Result_Corrupt_Stream);
}

TEST(Text, Golden_Forms_Of_A_Plain_Text)
{
    WT_Text const text(WT_Logical_Point(10, 20), "Hello");
    EXPECT_EQ(body_of(text, false), "\r\n   (Text 10,20 Hello)");
    EXPECT_EQ(body_of(text, true), "x" + le32(10) + le32(20) + "'Hello'");
    EXPECT_EQ(body_of(WT_Text(WT_Logical_Point(0, 0), "a b"), false), "\r\n   (Text 0,0 'a b')");
}

TEST(Text, Golden_Forms_Of_A_Decorated_Text)
{
    WT_Text const text = decorated_text("Two words");
    EXPECT_EQ(body_of(text, false),
              "\r\n   (Text 10,20 'Two words' (Overscore (1 65535)) (Underscore (2 0,3)) "
              "(Bounds 0,0 100,0 100,20 0,20) (CharPos (3 0,50,75)))");
    // Before version 6.00 the character positions are not part of the stream.
    EXPECT_EQ(body_of(text, false, 55),
              "\r\n   (Text 10,20 'Two words' (Overscore (1 65535)) (Underscore (2 0,3)) "
              "(Bounds 0,0 100,0 100,20 0,20))");
    // Binary: counts and indices + 1 in the count form; corners as a chain
    // of differences starting from the position.
    EXPECT_EQ(body_of(text, true), bytes({0x18}) + le32(10) + le32(20) + "'Two words'" +
                                       bytes({2, 0, 0x00, 0xFF}) + bytes({3, 1, 4}) + le32(-10) +
                                       le32(-20) + le32(100) + le32(0) + le32(0) + le32(20) +
                                       le32(-100) + le32(0) + bytes({4, 1, 51, 76}));
}

TEST(Text, Extended_Binary_Form_Needs_Bounds)
{
    std::string const out = write_stream(true, 600,
                                         [](WT_File& file)
                                         {
                                             WT_Text text(WT_Logical_Point(1, 1), "u");
                                             text.underscore().set({0});
                                             EXPECT_EQ(text.serialize(file), WT_Result_Usage_Error);
                                         });
    EXPECT_EQ(out, header() + trailer(true));
}

TEST(Text, Font_Goes_Out_Before_The_Text_That_Needs_It)
{
    std::string const out = write_body(false, 600,
                                       [](WT_File& file)
                                       {
                                           file.desired_rendition().font().height().set(80);
                                           WT_Text text(WT_Logical_Point(0, 0), "a");
                                           EXPECT_EQ(text.serialize(file), WT_Result_Success);
                                           EXPECT_EQ(text.serialize(file), WT_Result_Success);
                                       });
    EXPECT_EQ(out, "\r\n(Font (Height 80))\r\n   (Text 0,0 a)\r\n   (Text 0,0 a)");
}

TEST(Text, Old_Headers_Make_The_First_Text_Name_Its_Font)
{
    std::string const out = write_body(false, 40,
                                       [](WT_File& file)
                                       {
                                           WT_Text text(WT_Logical_Point(0, 0), "a");
                                           EXPECT_EQ(text.serialize(file), WT_Result_Success);
                                       });
    EXPECT_EQ(out, "\r\n(Font (Name courier))\r\n   (Text 0,0 a)");
}

TEST(Text_Sheet, Reads_Back_Equal_In_Both_Forms)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = text_sheet(binary, 600);
        for (std::size_t hi : {1u, 64u})
        {
            Read_Back r = read_back<WT_Text, WT_Font>(sheet, 1, hi);
            ASSERT_EQ(r.end, WT_Result_End_Of_Stream) << binary;
            ASSERT_EQ(r.objects.size(), 6u);
            EXPECT_TRUE(r.at<WT_Text>(0).same_as(WT_Text(WT_Logical_Point(-5, 7), "plain")));
            // The font before the second text carries every option that
            // changed; heights travel as magnitudes.
            WT_Font expected = times_font();
            expected.height().set(250);
            EXPECT_EQ(r.at<WT_Font>(1), expected);
            WT_Text const& wide = r.at<WT_Text>(2);
            EXPECT_EQ(wide.string(), WT_String(Wide_Text));
            EXPECT_EQ(wide.position(), WT_Logical_Point(1 << 30, -(1 << 30)));
            EXPECT_EQ(r.at<WT_Font>(3).fields_defined(), WT_Font::Height_Bit);
            EXPECT_TRUE(r.at<WT_Text>(4).same_as(decorated_text("two words")));
            EXPECT_EQ(r.at<WT_Font>(5), WT_Font());
            if (binary)
            {
                EXPECT_EQ(r.statistics.count(120), 2u); // 'x'
                EXPECT_EQ(r.statistics.count(24), 1u);  // 0x18
                EXPECT_EQ(r.statistics.count(6), 3u);   // 0x06
            }
            else
            {
                EXPECT_EQ(r.statistics.count(287), 3u); // "(Text"
                EXPECT_EQ(r.statistics.count(273), 3u); // "(Font"
            }
        }
    }
}

TEST(Text_Sheet, Damaged_Copies_Never_Crash_Or_Stall)
{
    expect_survives_damage(text_sheet(false, 600));
    expect_survives_damage(text_sheet(true, 600));
}

TEST(Text, Binary_Counts_Beyond_The_Limit_And_Bad_Ascii_Lists_Are_Corrupt)
{
    // A stored count of 65,537 (65,536 entries) is more than an index list holds.
    std::string const too_many =
        header() + bytes({0x18}) + le32(0) + le32(0) + "a" + bytes({0, 0x01, 0xFF}) + trailer(true);
    EXPECT_EQ(read_back<>(too_many).end, WT_Result_Corrupt_Stream);
    for (const char* bad : {"(Text 0,0 a (Underscore 2 0,3))", "(Text 0,0 a (Underscore (2 0;3)))",
                            "(Text 0,0 a (Overscore (70000 1)))"})
        EXPECT_EQ(read_back<>(header() + bad + trailer(false)).end, WT_Result_Corrupt_Stream)
            << bad;
    // Unknown options are passed over.
    Read_Back r = read_back<WT_Text>(
        header() + "(Text 0,0 a (Glow (1 2)) (Bounds 1,1 2,1 2,2 1,2))" + trailer(false));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(r.objects.size(), 1u);
    EXPECT_TRUE(r.at<WT_Text>(0).bounds_option().bounds().has_value());
}

TEST(Old_Streams, Text_And_Font_Layouts_Before_Version_0_32)
{
    // 'x' of version 0.30: width scale, spacing, flags, oblique, overscore,
    // underscore, rotation, height, position, four corners, string.
    std::string const basic = bytes({'x'}) + le16(900) + le16(1000) + le32(5) + le16(7) +
                              bytes({1, 2, 2}) + le16(16384) + le32(300) + le32(10) + le32(20) +
                              le32(-10) + le32(-20) + le32(50) + le32(0) + le32(0) + le32(30) +
                              le32(-50) + le32(0) + "'ab'";
    // 0x18 of version 0.30: rotation, height, position, counted 16-bit string.
    std::string const complex = bytes({0x18}) + le16(8) + le32(40) + le32(1) + le32(1) +
                                bytes({2}) + le16('h') + le16(0x20AC);
    // 0x06 of version 0.30: counted name, style, charset, pitch and family.
    std::string const font = bytes({0x06, 5}) + "Arial" + bytes({3}) + le32(2) + le32(0x21);
    Read_Back r = read_back<WT_Text, WT_Font>(header(30) + basic + complex + font + trailer(true));
    ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(r.objects.size(), 3u);
    WT_Text const& first = r.at<WT_Text>(0);
    EXPECT_EQ(first.position(), WT_Logical_Point(10, 20));
    EXPECT_EQ(first.string(), WT_String("ab"));
    EXPECT_EQ(first.underscore().indices(), (std::vector<std::uint16_t>{1}));
    WT_Text_Option_Bounds::Corners const corners{{{0, 0}, {50, 0}, {50, 30}, {0, 30}}};
    EXPECT_EQ(first.bounds_option().bounds(), corners);
    WT_Text const& second = r.at<WT_Text>(1);
    EXPECT_EQ(second.position(), WT_Logical_Point(1, 31));
    EXPECT_EQ(second.string(), WT_String(u"h\u20AC"));

    WT_Font const& current = r.rendition->font();
    EXPECT_EQ(current.width_scale().widthscale(), 900);
    EXPECT_EQ(current.spacing().spacing(), 1000);
    EXPECT_EQ(current.flags().flags(), 5u);
    EXPECT_EQ(current.oblique().oblique(), 7);
    EXPECT_EQ(current.rotation().rotation(), 8); // the second text's
    EXPECT_EQ(current.height().height(), 40);
    EXPECT_TRUE(current.style().bold());
    EXPECT_TRUE(current.style().italic());
    EXPECT_EQ(current.charset().value(), 2);
    EXPECT_EQ(current.pitch().value(), 1);
    EXPECT_EQ(current.family().value(), 0x20);
    EXPECT_EQ(r.at<WT_Font>(2).fields_defined(), 0x1F);
}

TEST(Text_Bounds, Measured_Only_When_Metrics_Are_Available)
{
    WT_File file;
    file.rendition().font().height().set(2000);
    WT_Text text(WT_Logical_Point(100, -50), "abc");
    text.update_bounds(file);
    EXPECT_EQ(text.bounds(), WT_Logical_Box({100, -50}, {100, -50}));

    Fixed_Metrics metrics;
    file.set_text_metrics(&metrics);
    WT_Text measured(WT_Logical_Point(100, -50), "abc");
    measured.update_bounds(file);
    EXPECT_EQ(measured.bounds(), WT_Logical_Box({100, -50}, {3100, 1350}));
    EXPECT_EQ(metrics.last_font.m_height, 2000);
    EXPECT_EQ(metrics.last_font.m_name, u"Arial");
    EXPECT_EQ(metrics.last_text, u"abc");

    // Far out, the extent stops at the largest coordinate.
    WT_Text edge(WT_Logical_Point(2147483000, 0), "abc");
    edge.update_bounds(file);
    EXPECT_EQ(edge.bounds().m_max.m_x, 2147483647);

    // A bounding box wins over measurement.
    WT_Text boxed = decorated_text("x");
    boxed.update_bounds(file);
    EXPECT_EQ(boxed.bounds(), WT_Logical_Box({0, 0}, {100, 0}));
}

TEST(Text_Sheet, A_Reader_That_Materializes_Nothing_Stays_In_Step)
{
    for (bool binary : {false, true})
    {
        std::string const sheet = text_sheet(binary, 600);
        std::vector<int> const all = read_back<>(sheet).ids;
        for (std::size_t hi : {1u, 64u})
        {
            WT_Result end = WT_Result_Success;
            EXPECT_EQ(ids_when_skipping(sheet, hi, &end), all) << binary << " " << hi;
            EXPECT_EQ(end, WT_Result_End_Of_Input);
        }
    }
}

TEST(Transform, Font_Height_And_Rotation_And_Text_Position_Follow_It_Once)
{
    std::string const out =
        write_body(false, 600,
                   [](WT_File& file)
                   {
                       WT_File::WT_File_Heuristics& choices = file.heuristics();
                       choices.m_apply_transform = true;
                       choices.m_transform.m_x_scale = 2.0;
                       choices.m_transform.m_y_scale = 2.5;
                       choices.m_transform.m_translate_x = 5;
                       choices.m_transform.m_rotation = 90;
                       WT_Font font;
                       font.height().set(-100);
                       font.rotation().set(100);
                       font.set_fields_defined(WT_Font::Height_Bit);
                       EXPECT_EQ(font.serialize(file), WT_Result_Success);
                       choices.m_transform.m_rotation = 0;
                       WT_Text text(WT_Logical_Point(10, 20), "a");
                       text.bounds_option().set({{{0, 0}, {1, 0}, {1, 1}, {0, 1}}});
                       EXPECT_EQ(text.serialize(file), WT_Result_Success);
                       EXPECT_EQ(text.serialize(file), WT_Result_Success); // not transformed again
                   });
    EXPECT_EQ(out, "\r\n(Font (Height 250) (Rotation 16484))"
                   "\r\n   (Text 25,50 a (Bounds 5,0 7,0 7,2 5,2))"
                   "\r\n   (Text 25,50 a (Bounds 5,0 7,0 7,2 5,2))");
}

TEST(Font, Names_Beyond_Latin1_Round_Trip_In_Both_Forms)
{
    for (bool binary : {false, true})
    {
        std::string const out = write_stream(binary, 600,
                                             [](WT_File& file)
                                             {
                                                 WT_Font font;
                                                 font.font_name().set(WT_String(Wide_Text));
                                                 font.set_fields_defined(WT_Font::Name_Bit);
                                                 EXPECT_EQ(font.serialize(file), WT_Result_Success);
                                             });
        EXPECT_NE(out.find(binary ? bytes({0x06, 0x01, 0x00, '{', 4, 0, 0, 0})
                                  : std::string("(Font (Name \"004100E9D83DDE00\"))")),
                  std::string::npos);
        Read_Back r = read_back<WT_Font>(out, 1, 1);
        ASSERT_EQ(r.end, WT_Result_End_Of_Stream);
        ASSERT_EQ(r.objects.size(), 1u);
        EXPECT_EQ(r.rendition->font().font_name().font_name(), WT_String(Wide_Text));
    }
}

TEST(Text, A_String_The_Reader_Would_Refuse_Writes_Nothing)
{
    // Not even the font it would need: the stream stays readable.
    for (bool binary : {false, true})
    {
        const std::u16string text(WT_String::Max_ASCII_Token + 1, u'W');
        WT_Text too_long(WT_Logical_Point(10, 20), WT_String(text.size(), text.data()));
        EXPECT_EQ(write_body(binary, 600,
                             [&](WT_File& file)
                             {
                                 file.desired_rendition().font().height().set(300);
                                 EXPECT_EQ(too_long.serialize(file), WT_Result_Usage_Error);
                             }),
                  "");
    }
}
