// Gouraud-shaded polylines and polytriangles: golden bytes of the three forms,
// round trips with trickled input, passing over unread operands, and damage.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/gouraud.h"

#include "dwf/w2dtk/tests/raster_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace raster_test;

namespace
{
struct Vertices
{
    std::vector<WT_Logical_Point> points;
    std::vector<WT_RGBA32> colors;
};

Vertices square()
{
    return {{{0, 0}, {10, 0}, {10, 10}, {0, 10}},
            {WT_RGBA32(255, 0, 0, 255), WT_RGBA32(0, 255, 0, 255), WT_RGBA32(0, 0, 255, 255),
             WT_RGBA32(1, 2, 3, 4)}};
}

template <class T> std::string write_one(bool binary, const Vertices& v, int version = 600)
{
    return body_bytes(
        binary,
        [&](WT_File& f)
        {
            T object(int(v.points.size()), v.points.data(), v.colors.data());
            EXPECT_EQ(object.serialize(f), WT_Result_Success);
        },
        version);
}

template <class T>
std::vector<Vertices> read_all(const std::string& stream, WT_Object::WT_ID id, std::size_t hi = 64)
{
    Read_Back r = read_back(stream, 1, hi);
    EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
    std::vector<Vertices> out;
    for (T* object : r.all<T>(id))
        out.push_back({object->points(), object->colors()});
    return out;
}

bool operator==(const Vertices& a, const Vertices& b)
{
    return a.points == b.points && a.colors == b.colors;
}

std::string vertex16(int dx, int dy, std::initializer_list<int> rgba)
{
    return le16(dx) + le16(dy) + raw(rgba);
}
} // namespace

TEST(Gouraud_Golden, Polyline_In_All_Three_Forms)
{
    EXPECT_EQ(write_one<WT_Gouraud_Polyline>(false, square()),
              "\r\n   (GourLine 4\r\n       0,0 255,0,0,255 10,0 0,255,0,255 10,10 0,0,255,255"
              "\r\n       0,10 1,2,3,4)");
    EXPECT_EQ(write_one<WT_Gouraud_Polyline>(true, square()),
              raw({0x11, 4}) + vertex16(0, 0, {255, 0, 0, 255}) +
                  vertex16(10, 0, {0, 255, 0, 255}) + vertex16(0, 10, {0, 0, 255, 255}) +
                  vertex16(-10, 0, {1, 2, 3, 4}));
    // A second point beyond 16 bits: the 32-bit form.
    Vertices far = {{{0, 0}, {70000, 0}}, {WT_RGBA32(9, 9, 9, 9), WT_RGBA32(8, 8, 8, 8)}};
    EXPECT_EQ(write_one<WT_Gouraud_Polyline>(true, far), raw({'q', 2}) + le32(0) + le32(0) +
                                                             raw({9, 9, 9, 9}) + le32(70000) +
                                                             le32(0) + raw({8, 8, 8, 8}));
    // Only the first beyond 16 bits with three vertices: an origin, then 16-bit deltas.
    Vertices moved = {{{100000, 5}, {100001, 5}, {100001, 6}},
                      {WT_RGBA32(1, 1, 1, 1), WT_RGBA32(2, 2, 2, 2), WT_RGBA32(3, 3, 3, 3)}};
    EXPECT_EQ(write_one<WT_Gouraud_Polyline>(true, moved),
              "O" + le32(100000) + le32(5) + raw({0x11, 3}) + vertex16(0, 0, {1, 1, 1, 1}) +
                  vertex16(1, 0, {2, 2, 2, 2}) + vertex16(0, 1, {3, 3, 3, 3}));
}

TEST(Gouraud_Golden, Polytriangle_Needs_Version_600_And_Three_Vertices)
{
    // Triangles are filled: the fill goes on first.
    EXPECT_EQ(write_one<WT_Gouraud_Polytriangle>(false, square()),
              "\r\nF\r\n   (Gouraud 4\r\n       0,0 255,0,0,255 10,0 0,255,0,255 10,10 0,0,255,255"
              "\r\n       0,10 1,2,3,4)");
    EXPECT_EQ(write_one<WT_Gouraud_Polytriangle>(true, square()),
              "F" + raw({0x07, 4}) + vertex16(0, 0, {255, 0, 0, 255}) +
                  vertex16(10, 0, {0, 255, 0, 255}) + vertex16(0, 10, {0, 0, 255, 255}) +
                  vertex16(-10, 0, {1, 2, 3, 4}));
    Vertices two = square();
    two.points.resize(2);
    two.colors.resize(2);
    EXPECT_EQ(write_one<WT_Gouraud_Polytriangle>(true, two), "");
    EXPECT_EQ(write_one<WT_Gouraud_Polytriangle>(false, square(), 55),
              "(DWF V00.55)\r\n(EndOfDWF)\r\n");
    // The polyline has no version limit.
    EXPECT_NE(write_one<WT_Gouraud_Polyline>(false, square(), 55).find("(GourLine 4"),
              std::string::npos);
}

TEST(Gouraud_Round_Trip, Both_Drawables_Both_Forms)
{
    Vertices v = square();
    v.points.push_back({-70000, 3});
    v.colors.push_back(WT_RGBA32(7, 7, 7, 7));
    for (bool binary : {false, true})
        for (std::size_t hi : {std::size_t(1), std::size_t(64)})
        {
            std::string const line =
                write_stream(binary,
                             [&](WT_File& f)
                             {
                                 WT_Gouraud_Polyline a(5, v.points.data(), v.colors.data());
                                 EXPECT_EQ(a.serialize(f), WT_Result_Success);
                                 WT_Gouraud_Polytriangle b(5, v.points.data(), v.colors.data());
                                 EXPECT_EQ(b.serialize(f), WT_Result_Success);
                             });
            auto lines = read_all<WT_Gouraud_Polyline>(line, WT_Object::Gouraud_Polyline_ID, hi);
            auto strips =
                read_all<WT_Gouraud_Polytriangle>(line, WT_Object::Gouraud_Polytriangle_ID, hi);
            ASSERT_EQ(lines.size(), 1u);
            ASSERT_EQ(strips.size(), 1u);
            EXPECT_TRUE(lines[0] == v);
            EXPECT_TRUE(strips[0] == v);
        }
}

TEST(Gouraud_Round_Trip, More_Vertices_Than_A_Binary_Count_Go_Out_As_Text)
{
    Vertices many;
    for (int i = 0; i < 65792; ++i)
    {
        many.points.push_back({i, -i});
        many.colors.push_back(WT_RGBA32(i & 255, 0, 0, 255));
    }
    std::string const stream =
        write_stream(true,
                     [&](WT_File& f)
                     {
                         WT_Gouraud_Polyline line(65792, many.points.data(), many.colors.data());
                         EXPECT_EQ(line.serialize(f), WT_Result_Success);
                     });
    EXPECT_EQ(stream.compare(12, 19, "(GourLine 65792    "), 0);
    auto lines = read_all<WT_Gouraud_Polyline>(stream, WT_Object::Gouraud_Polyline_ID, 100000);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0] == many);
}

TEST(Gouraud_Errors, Unread_Operands_Are_Passed_Over_And_Bad_Ones_Refused)
{
    std::string const stream =
        write_stream(true,
                     [&](WT_File& f)
                     {
                         Vertices v = square();
                         WT_Gouraud_Polyline a(4, v.points.data(), v.colors.data());
                         EXPECT_EQ(a.serialize(f), WT_Result_Success);
                         f.set_allow_binary_data(false);
                         WT_Gouraud_Polytriangle b(4, v.points.data(), v.colors.data());
                         EXPECT_EQ(b.serialize(f), WT_Result_Success);
                         f.set_allow_binary_data(true);
                         WT_Gouraud_Polyline c(4, v.points.data(), v.colors.data());
                         EXPECT_EQ(c.serialize(f), WT_Result_Success);
                     });
    // A reader that materializes nothing: every operand is skipped.
    w2d_test::Memory_Stream input(stream);
    WT_File file;
    w2d_test::open_for_reading(file, input, 1, 3);
    ASSERT_EQ(file.open(), WT_Result_Success);
    std::vector<int> ids;
    for (int step = 0; step < 100000 && ids.size() < 7; ++step)
    {
        WT_Result const result = file.get_next_object();
        if (result == WT_Result_Waiting_For_Data)
            continue;
        ASSERT_EQ(result, WT_Result_Success);
        ids.push_back(file.object()->object_id());
    }
    // The fill goes on for the triangles and off again for the line.
    EXPECT_EQ(ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Gouraud_Polyline_ID,
                                     WT_Object::Fill_ID, WT_Object::Gouraud_Polytriangle_ID,
                                     WT_Object::Fill_ID, WT_Object::Gouraud_Polyline_ID,
                                     WT_Object::End_Of_DWF_ID}));
    file.close();

    auto end_of = [](const std::string& body)
    { return read_back("(W2D V06.00)" + body + "(EndOfDWF)").end; };
    EXPECT_EQ(end_of("(GourLine 0)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(GourLine -3 0,0 1,2,3,4)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(Gouraud 1 0,0 300,2,3,4)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(Gouraud 1 0,0 1,2,3)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(Gouraud 2 0,0 1,2,3,4 5;5 1,2,3,4)"), WT_Result_Corrupt_Stream);
    EXPECT_EQ(end_of("(GourLine 1 0,0 1,2,3,4 trailing words)"), WT_Result_End_Of_Stream);

    WT_Gouraud_Polyline none;
    EXPECT_EQ(write_stream(true, [&](WT_File& f)
                           { EXPECT_EQ(none.serialize(f), WT_Result_Usage_Error); }),
              "(W2D V06.00)(EndOfDWF)\r\n");
    WT_File scratch;
    WT_Opcode opcode;
    opcode.set_token(WT_Opcode::Single_Byte, "g", 1);
    EXPECT_EQ(none.materialize(opcode, scratch), WT_Result_Foreign_Opcode);
    opcode.set_token(WT_Opcode::Extended_Binary, "{\x02\0\0\0\x07\0", 7);
    EXPECT_EQ(none.materialize(opcode, scratch), WT_Result_Foreign_Opcode);

    for (bool binary : {false, true})
    {
        std::string const sample =
            write_stream(binary,
                         [](WT_File& f)
                         {
                             Vertices v = square();
                             WT_Gouraud_Polyline a(4, v.points.data(), v.colors.data());
                             EXPECT_EQ(a.serialize(f), WT_Result_Success);
                             WT_Gouraud_Polytriangle b(3, v.points.data(), v.colors.data());
                             EXPECT_EQ(b.serialize(f), WT_Result_Success);
                         });
        expect_damage_survived(sample, binary ? 61 : 62);
    }
}
