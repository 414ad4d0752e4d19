// The colour attribute, the colour map and the rendition that writes them.
#include "dwf/w2dtk/attribute_set.h"
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/file.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace w2d_test;

namespace
{
struct Writer
{
    Memory_Stream stream;
    WT_File file;

    explicit Writer(bool binary = false)
    {
        stream.install(file);
        file.set_file_mode(WT_File::File_Write);
        EXPECT_EQ(file.open(), WT_Result_Success);
        file.set_allow_binary_data(binary);
        stream.output.clear();
    }
    std::string text() const { return stream.written(); }
};

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

// Reads a complete stream (header prepended) and returns the file's end
// result; objects are processed, so the current rendition follows them.
struct Read_Back
{
    Memory_Stream stream;
    WT_File file;
    WT_Result end;
    std::vector<WT_Color> colors;
    std::vector<WT_Color_Map> maps;

    explicit Read_Back(const std::string& body, std::size_t hi = 7)
        : stream("(W2D V06.00)" + body + "(EndOfDWF)")
    {
        open_for_reading(file, stream, 1, hi);
        EXPECT_EQ(file.open(), WT_Result_Success);
        end = read_stream(file,
                          [this](WT_Object& o)
                          {
                              if (o.object_id() == WT_Object::Color_ID)
                                  colors.push_back(static_cast<WT_Color&>(o));
                              if (o.object_id() == WT_Object::Color_Map_ID)
                                  maps.push_back(static_cast<WT_Color_Map&>(o));
                          });
    }
};

WT_Color_Map small_map(WT_File& file, int count)
{
    std::vector<WT_RGBA32> entries;
    for (int i = 0; i < count; ++i)
        entries.push_back(WT_RGBA32(i % 256, 255 - i % 256, i / 256, 255));
    WT_Color_Map map;
    map.set(count, entries.data(), file);
    return map;
}
} // namespace

TEST(Color, Written_Forms)
{
    Writer ascii;
    WT_Color white;
    EXPECT_EQ(white.serialize(ascii.file), WT_Result_Success);
    EXPECT_EQ(ascii.text(), "\r\n(Color 255,255,255,255)");

    Writer binary(true);
    EXPECT_EQ(white.serialize(binary.file), WT_Result_Success);
    WT_Color indexed(7, binary.file.desired_rendition().color_map());
    EXPECT_EQ(indexed.serialize(binary.file), WT_Result_Success);
    EXPECT_EQ(binary.text(), bytes({3, 255, 255, 255, 255, 'c', 7}));
}

TEST(Color, Index_Above_255_Uses_The_ASCII_Form_In_Binary)
{
    Writer w(true);
    w.file.desired_rendition().color_map() = small_map(w.file, 300);
    w.file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
    WT_Color c(299, w.file.desired_rendition().color_map());
    EXPECT_EQ(c.serialize(w.file), WT_Result_Success);
    // The 300-entry map cannot be a binary operand either; then "C 299".
    std::string const out = w.text();
    EXPECT_EQ(out.rfind("(ColorMap 300", 0), 0u) << out.substr(0, 40);
    EXPECT_EQ(out.substr(out.size() - 5), "C 299");

    Read_Back back(out);
    EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(back.colors.size(), 1u);
    EXPECT_EQ(back.colors[0].index(), 299);
    EXPECT_EQ(back.colors[0].rgba(), w.file.desired_rendition().color_map().map(299));
}

TEST(Color, Changed_Map_Goes_Out_Before_An_Index)
{
    Writer w;
    w.file.desired_rendition().color_map() = small_map(w.file, 5);
    w.file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
    WT_Color c(3, w.file.desired_rendition().color_map());
    EXPECT_EQ(c.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.text(), "\r\n(ColorMap 5\r\n\t0,255,0,255 1,254,0,255 2,253,0,255 "
                        "3,252,0,255\r\n\t4,251,0,255)\r\nC 3");
    // The same map again is not written twice.
    w.stream.output.clear();
    w.file.desired_rendition().mark_changed(WT_Attribute_Set::Color_Map_Bit);
    EXPECT_EQ(c.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.text(), "\r\nC 3");
}

TEST(Color, Set_Refuses_Indices_Outside_The_Map)
{
    WT_Color_Map map;
    WT_Color c;
    EXPECT_THROW(c.set(256, map), WT_Result);
    EXPECT_THROW(c.set(-1, map), WT_Result);
    c.set(255, map);
    EXPECT_EQ(c.index(), 255);
}

TEST(Color, Reading_Indexed_Forms)
{
    Read_Back back("C 300 c\x05(Color 7)(Color 1,2,3,4)\x03\x0A\x0B\x0C\x0D");
    EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(back.colors.size(), 5u);
    EXPECT_EQ(back.colors[0].rgba(), WT_RGBA32(0u)); // beyond the map: all zero
    EXPECT_EQ(back.colors[0].index(), 300);
    EXPECT_EQ(back.colors[1].rgba(), WT_Color_Map().map(5));
    EXPECT_EQ(back.colors[2].rgba(), WT_Color_Map().map(7));
    EXPECT_EQ(back.colors[2].index(), -1);
    EXPECT_EQ(back.colors[3].rgba(), WT_RGBA32(1, 2, 3, 4));
    EXPECT_EQ(back.colors[4].rgba(), WT_RGBA32(10, 11, 12, 13));
    // The default action keeps the last colour in the current rendition.
    EXPECT_EQ(back.file.rendition().color().rgba(), WT_RGBA32(10, 11, 12, 13));
    EXPECT_TRUE(back.file.rendition().changed() & WT_Attribute_Set::Color_Bit);

    EXPECT_EQ(Read_Back("C -1").end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(Read_Back("(Color 300)").end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(Read_Back("(Color 1,2,3)").end, WT_Result_Corrupt_Stream);
}

TEST(Color, Map_To_Index)
{
    WT_Color_Map const map;
    // Cube position of pure red, without looking at the map.
    EXPECT_EQ(WT_Color::map_to_index(WT_RGBA32(255, 0, 0), WT_Color::Cube_Position, map), 180);
    // Entry 180 of the default map is not pure red.
    EXPECT_EQ(WT_Color::map_to_index(WT_RGBA32(255, 0, 0), WT_Color::Exact_Match_At_Cube, map), -1);
    EXPECT_EQ(WT_Color::map_to_index(map.map(7), WT_Color::Exact_Match_Anywhere, map), 7);
    EXPECT_EQ(WT_Color::map_to_index(WT_RGBA32(1, 2, 3), WT_Color::Exact_Match_Anywhere, map), -1);
    EXPECT_EQ(WT_Color::map_to_index(WT_RGBA32(1, 2, 3), WT_Color::Nearest_Match, map), 0);
    EXPECT_EQ(WT_Color::map_to_index(WT_RGBA32(1, 2, 3), WT_Color::No_Mapping, map), -1);
    EXPECT_EQ(map.nearest_index(WT_RGBA32(0, 0, 0)), 0);
    EXPECT_EQ(WT_Color_Map(0).size(), 256);

    // A value with a mapping mode goes out as an index when allowed.
    Writer w(true);
    WT_Color mapped(WT_RGBA32(255, 0, 0), WT_Color::Cube_Position);
    EXPECT_EQ(mapped.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.text(), bytes({'c', 180}));
    w.stream.output.clear();
    w.file.set_allow_indexed_colors(false);
    EXPECT_EQ(mapped.serialize(w.file), WT_Result_Success);
    EXPECT_EQ(w.text(), bytes({3, 255, 0, 0, 255}));
}

TEST(Color_Map, Default_Tables)
{
    WT_Color_Map const current(600);
    EXPECT_EQ(current.map(9), WT_RGBA32(0xA6, 0xCA, 0xF0));
    EXPECT_EQ(current.map(10 + 36 * 5 + 6 * 2 + 1), WT_RGBA32(255, 102, 51));
    EXPECT_EQ(current.map(250), WT_RGBA32(0, 255, 0));
    WT_Color_Map const older(37);
    EXPECT_EQ(older.map(1), WT_RGBA32(255, 0, 0));
    EXPECT_EQ(older.map(255), WT_RGBA32(255, 255, 255));
    // Both are fresh, yet their entries differ.
    EXPECT_FALSE(current == older);
    EXPECT_TRUE(current == WT_Color_Map(38));
}

TEST(Color_Map, Binary_Forms_Round_Trip)
{
    for (int count : {1, 2, 255, 256, 257, 1000})
    {
        Writer w(true);
        WT_Color_Map map = small_map(w.file, count);
        EXPECT_EQ(map.serialize(w.file), WT_Result_Success);
        std::string const out = w.text();
        if (count <= 256)
        {
            ASSERT_EQ(out.size(), std::size_t(4 * count + 9));
            EXPECT_EQ(out.substr(0, 8), "{" + bytes({(4 * count + 4) & 255, (4 * count + 4) >> 8, 0,
                                                     0, 1, 0, count & 255}));
            EXPECT_EQ(out.back(), '}');
        }
        else
            EXPECT_EQ(out.substr(0, 10), "(ColorMap ");
        Read_Back back(out);
        EXPECT_EQ(back.end, WT_Result_End_Of_Stream);
        ASSERT_EQ(back.maps.size(), 1u);
        ASSERT_EQ(back.maps[0].size(), count);
        for (int i = 0; i < count; ++i)
            EXPECT_EQ(back.maps[0].map(i), map.map(i));
        // Processing made it the current map.
        EXPECT_EQ(back.file.rendition().color_map().size(), count);
    }
}

TEST(Color_Map, Malformed_Operands)
{
    // The frame must cover the count byte, the entries and the brace exactly.
    std::string const wrong_size = "{" + bytes({9, 0, 0, 0, 1, 0, 2, 1, 2, 3, 4, 5, 6, 7, 8}) + "}";
    EXPECT_EQ(Read_Back(wrong_size).end, WT_Result_Inconsistent_Operand);
    std::string const no_brace = "{" + bytes({8, 0, 0, 0, 1, 0, 1, 1, 2, 3, 4}) + ")";
    EXPECT_EQ(Read_Back(no_brace).end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(Read_Back("(ColorMap 65536 1,2,3,4)").end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(Read_Back("(ColorMap -1)").end, WT_Result_Corrupt_Stream);
    // A huge count backed by few entries runs out of input; nothing is reserved for it.
    EXPECT_EQ(Read_Back("(ColorMap 65535 1,2,3,4 ").end, WT_Result_Corrupt_Stream);
    EXPECT_EQ(Read_Back("(ColorMap 0)").end, WT_Result_End_Of_Stream);
}

TEST(Rendition, Sync_Writes_Changed_Attributes_Once_In_Bit_Order)
{
    Writer w;
    WT_Attribute_Set& desired = w.file.desired_rendition();
    desired.color() = WT_Color(1, 2, 3);
    desired.color_map() = small_map(w.file, 2);
    desired.mark_changed(WT_Attribute_Set::Color_Bit | WT_Attribute_Set::Color_Map_Bit);
    EXPECT_EQ(desired.sync(w.file, 0xFFFFFFFF), WT_Result_Success);
    EXPECT_EQ(w.text(), "\r\n(Color 1,2,3,255)\r\n(ColorMap 2\r\n\t0,255,0,255 1,254,0,255)");

    // The same values again, marked changed: nothing to write.
    w.stream.output.clear();
    desired.mark_changed(WT_Attribute_Set::Color_Bit | WT_Attribute_Set::Color_Map_Bit);
    EXPECT_EQ(desired.sync(w.file, 0xFFFFFFFF), WT_Result_Success);
    EXPECT_EQ(w.text(), "");

    // Bits outside the mask stay pending; the projection bit is never synced.
    desired.color() = WT_Color(9, 9, 9);
    desired.mark_changed(WT_Attribute_Set::Color_Bit | WT_Attribute_Set::Projection_Bit);
    EXPECT_EQ(desired.sync(w.file, WT_Attribute_Set::Projection_Bit), WT_Result_Success);
    EXPECT_EQ(w.text(), "");
    EXPECT_TRUE(desired.changed() & WT_Attribute_Set::Color_Bit);
    EXPECT_EQ(desired.sync(w.file, WT_Attribute_Set::Color_Bit), WT_Result_Success);
    EXPECT_EQ(w.text(), "\r\n(Color 9,9,9,255)");
}

TEST(Rendition, Reopened_File_Writes_Every_Attribute_Again)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_allow_binary_data(false);
    WT_Color red(255, 0, 0);
    for (int round = 0; round < 2; ++round)
    {
        stream.output.clear();
        file.set_file_mode(WT_File::File_Write); // close leaves the file without a mode
        ASSERT_EQ(file.open(), WT_Result_Success);
        EXPECT_EQ(red.sync(file), WT_Result_Success);
        EXPECT_EQ(red.sync(file), WT_Result_Success);
        ASSERT_EQ(file.close(), WT_Result_Success);
        EXPECT_EQ(stream.written(), "(W2D V06.00)\r\n(Color 255,0,0,255)\r\n(EndOfDWF)\r\n");
    }
}
