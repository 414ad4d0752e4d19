// URLs: links written in full once the desired rendition knows them, then by
// number; links read by number resolved against those read before; the form
// of streams before 0.37.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/url.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <string>

using namespace raster_test;

namespace
{
WT_URL two_links()
{
    WT_URL url;
    url.add_link(3, "http://a.example/x", "Site A");
    url.add_link(4, "b", "B b");
    return url;
}

std::string text(const WT_String& s)
{
    return s.ascii() ? std::string(s.ascii()) : std::string();
}

std::string read_urls(const std::string& stream, std::vector<std::string>& links,
                      std::size_t hi = 64)
{
    Read_Back r = read_back(stream, 1, hi);
    for (WT_URL* url : r.all<WT_URL>(WT_Object::URL_ID))
    {
        std::string line;
        for (auto const& item : url->links())
            line += std::to_string(item->index()) + ":" + text(item->address()) + "|" +
                    text(item->friendly_name()) + " ";
        if (!url->address().empty())
            line += "=" + text(url->address());
        links.push_back(line);
    }
    return r.end == WT_Result_End_Of_Stream ? "end" : std::to_string(r.end);
}
} // namespace

TEST(URL_Golden, Links_Go_Out_In_Full_Until_The_Rendition_Knows_Them)
{
    WT_URL url = two_links();
    // An empty desired list: every write is complete.
    std::string const full = "(URL (3 http://a.example/x 'Site A') (4 b 'B b'))";
    EXPECT_EQ(body_bytes(false,
                         [&](WT_File& f)
                         {
                             EXPECT_EQ(url.serialize(f), WT_Result_Success);
                             EXPECT_EQ(url.serialize(f), WT_Result_Success);
                         }),
              "\r\n" + full + "\r\n" + full);

    // The desired list knows links 3 and 4: the first write marks them, the
    // second refers to them by number. Binary streams use the same text.
    for (bool binary : {false, true})
    {
        std::string const nl = binary ? "" : "\r\n";
        EXPECT_EQ(body_bytes(binary,
                             [&](WT_File& f)
                             {
                                 f.desired_rendition().url_list().add(3, "", "");
                                 f.desired_rendition().url_list().add(4, "", "");
                                 EXPECT_EQ(url.serialize(f), WT_Result_Success);
                                 EXPECT_EQ(url.serialize(f), WT_Result_Success);
                                 EXPECT_TRUE(f.desired_rendition().url_list().find(3)->written());
                             }),
                  nl + full + nl + "(URL 3 4)");
    }

    WT_URL empty;
    EXPECT_EQ(
        body_bytes(true, [&](WT_File& f) { EXPECT_EQ(empty.serialize(f), WT_Result_Success); }),
        "(URL)");
}

TEST(URL_Round_Trip, Links_By_Number_Resolve_Against_Those_Read)
{
    WT_URL url = two_links();
    for (bool binary : {false, true})
    {
        std::string const stream = write_stream(binary,
                                                [&](WT_File& f)
                                                {
                                                    f.desired_rendition().url_list().add(3, "", "");
                                                    f.desired_rendition().url_list().add(4, "", "");
                                                    EXPECT_EQ(url.serialize(f), WT_Result_Success);
                                                    EXPECT_EQ(url.serialize(f), WT_Result_Success);
                                                });
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            std::vector<std::string> links;
            EXPECT_EQ(read_urls(stream, links, hi), "end");
            EXPECT_EQ(links, (std::vector<std::string>{
                                 "3:http://a.example/x|Site A 4:b|B b ",
                                 "-1:http://a.example/x|Site A -1:b|B b ",
                             }));
        }
    }

    // A number nobody defined adds nothing; the single-address form keeps the
    // address in the URL itself.
    std::vector<std::string> links;
    EXPECT_EQ(read_urls("(W2D V06.00)(URL 9)(URL 'http://x.example/a b')(EndOfDWF)", links), "end");
    EXPECT_EQ(links, (std::vector<std::string>{"", "=http://x.example/a b"}));
}

TEST(URL_Round_Trip, Streams_Before_Version_37_Carry_One_Address)
{
    WT_URL url = two_links();
    std::string const stream = write_stream(
        false, [&](WT_File& f) { EXPECT_EQ(url.serialize(f), WT_Result_Success); }, 36);
    EXPECT_EQ(stream, "(DWF V00.36)\r\n(URL http://a.example/x)\r\n(EndOfDWF)\r\n");
    std::vector<std::string> links;
    EXPECT_EQ(read_urls(stream + stream.substr(12), links), "end");
    // Each address read is numbered by the URL object that read it.
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(links[0], "0:http://a.example/x| =http://a.example/x");
}

TEST(URL_Sync, A_Drawable_Writes_A_Changed_URL_Once)
{
    std::uint8_t const rgb[3] = {1, 2, 3};
    WT_Image image(1, 1, WT_Image::RGB, 0, nullptr, 3, rgb, WT_Logical_Point(0, 0),
                   WT_Logical_Point(1, 1), false);
    std::string const bytes =
        body_bytes(false,
                   [&](WT_File& f)
                   {
                       f.desired_rendition().url() = two_links();
                       f.desired_rendition().mark_changed(WT_Attribute_Set::URL_Bit);
                       EXPECT_EQ(image.serialize(f), WT_Result_Success);
                       f.desired_rendition().mark_changed(WT_Attribute_Set::URL_Bit);
                       EXPECT_EQ(image.serialize(f), WT_Result_Success);
                   });
    std::size_t first = bytes.find("(URL");
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(bytes.find("(URL", first + 1), std::string::npos);
    EXPECT_LT(first, bytes.find("(Image"));

    // URLs built by callers have no serial; different links are different URLs.
    WT_URL other;
    other.add_link(3, "http://elsewhere", "Site A");
    other.add_link(4, "b", "B b");
    EXPECT_FALSE(other == two_links());
    EXPECT_TRUE(two_links() == two_links());
}

TEST(URL_Errors, Malformed_Operands)
{
    auto end_of = [](const std::string& body)
    { return read_back("(W2D V06.00)" + body + "(EndOfDWF)").end; };
    EXPECT_EQ(end_of("(URL (3 a b x)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(URL (x a b))"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(URL 3 q)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(URL (3 a b) 3)"), WT_Result_End_Of_Stream);

    WT_URL url;
    WT_File file;
    WT_Opcode single;
    single.set_token(WT_Opcode::Single_Byte, "U", 1);
    EXPECT_EQ(url.materialize(single, file), WT_Result_Foreign_Opcode);

    WT_URL links = two_links();
    for (bool binary : {false, true})
    {
        std::string const stream =
            write_stream(binary,
                         [&](WT_File& f)
                         {
                             f.desired_rendition().url_list().add(4, "", "");
                             EXPECT_EQ(links.serialize(f), WT_Result_Success);
                             EXPECT_EQ(links.serialize(f), WT_Result_Success);
                         });
        expect_damage_survived(stream, binary ? 31 : 32);
    }
}
