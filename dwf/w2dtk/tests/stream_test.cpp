// Whole streams: golden bytes written by the file object, read back object by
// object with input trickling in, and the reader's behaviour on damaged input.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/dwf_header.h"
#include "dwf/w2dtk/end_of_dwf.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/unknown.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace w2d_test;

namespace
{
std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}

// Writes the header, an opaque red, the colour at index 7 and the end.
std::string write_sample(bool binary)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(binary);
    WT_Color red(255, 0, 0);
    EXPECT_EQ(red.serialize(file), WT_Result_Success);
    WT_Color indexed(7, file.desired_rendition().color_map());
    EXPECT_EQ(indexed.serialize(file), WT_Result_Success);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.written();
}

const std::string Golden_ASCII = "(W2D V06.00)\r\n(Color 255,0,0,255)\r\nC 7\r\n(EndOfDWF)\r\n";
const std::string Golden_Binary =
    "(W2D V06.00)" + bytes({0x03, 255, 0, 0, 255}) + bytes({'c', 7}) + "(EndOfDWF)\r\n";

struct Read_Result
{
    WT_Result end = WT_Result_Success;
    std::vector<int> ids;
    std::vector<WT_RGBA32> colors;
    std::vector<int> indices;
    int version = 0;
    WT_Opcode_Statistics statistics;
};

Read_Result read_sample(const std::string& input, std::size_t lo, std::size_t hi)
{
    Read_Result out;
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, lo, hi);
    EXPECT_EQ(file.open(), WT_Result_Success);
    out.end = read_stream(file,
                          [&](WT_Object& object)
                          {
                              out.ids.push_back(object.object_id());
                              if (object.object_id() == WT_Object::Color_ID)
                              {
                                  auto& color = static_cast<WT_Color&>(object);
                                  out.colors.push_back(color.rgba());
                                  out.indices.push_back(color.index());
                              }
                          });
    out.version = file.stream_version();
    out.statistics = *file.statistics();
    EXPECT_EQ(file.close(), WT_Result_Success);
    return out;
}
} // namespace

TEST(Golden_Stream, ASCII_Bytes)
{
    EXPECT_EQ(write_sample(false), Golden_ASCII);
}

TEST(Golden_Stream, Binary_Bytes)
{
    EXPECT_EQ(write_sample(true), Golden_Binary);
}

TEST(Golden_Stream, Reads_Back_One_Byte_Per_Call)
{
    for (const std::string& golden : {Golden_ASCII, Golden_Binary})
    {
        Read_Result r = read_sample(golden, 1, 1);
        EXPECT_EQ(r.end, WT_Result_End_Of_Stream);
        EXPECT_EQ(r.version, 600);
        EXPECT_EQ(r.ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Color_ID,
                                           WT_Object::Color_ID, WT_Object::End_Of_DWF_ID}));
        ASSERT_EQ(r.colors.size(), 2u);
        EXPECT_EQ(r.colors[0], WT_RGBA32(255, 0, 0, 255));
        EXPECT_EQ(r.indices[0], -1);
        // Entry 7 of the default map is the light grey C0C0C0.
        EXPECT_EQ(r.colors[1], WT_RGBA32(0xC0, 0xC0, 0xC0, 255));
        EXPECT_EQ(r.indices[1], 7);
    }
}

TEST(Golden_Stream, Statistics_Count_Each_Kind)
{
    Read_Result ascii = read_sample(Golden_ASCII, 1, 64);
    EXPECT_EQ(ascii.statistics.count(268), 1u); // header
    EXPECT_EQ(ascii.statistics.count(260), 1u); // "(Color"
    EXPECT_EQ(ascii.statistics.count('C'), 1u);
    EXPECT_EQ(ascii.statistics.count(272), 1u); // "(EndOfDWF"
    EXPECT_EQ(ascii.statistics.bytes(260), std::string("\r\n(Color 255,0,0,255)").size());
    EXPECT_STREQ(WT_Opcode_Statistics::kind_name(260), "EXAO_SET_COLOR");

    Read_Result binary = read_sample(Golden_Binary, 1, 64);
    EXPECT_EQ(binary.statistics.count(3), 1u);
    EXPECT_EQ(binary.statistics.count('c'), 1u);
    EXPECT_EQ(binary.statistics.bytes(3), 5u);
    EXPECT_EQ(binary.statistics.count(272), 1u);
}
