// Whole streams: golden bytes written by the file object, read back object by
// object with input trickling in, and the reader's behaviour on damaged input.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/color_map.h"
#include "dwf/w2dtk/dwf_header.h"
#include "dwf/w2dtk/end_of_dwf.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/unknown.h"

#include "dwf/w2dtk/tests/block_samples.h"
#include "dwf/w2dtk/tests/raster_samples.h"
#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <random>

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

namespace
{
// A stream with one of everything the toolkit reads so far.
std::string rich_stream(bool binary, std::initializer_list<int> map_sizes = {3, 256, 260})
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(binary);
    for (int i = 0; i < 20; ++i)
    {
        WT_Color value(i * 13 % 256, i * 7 % 256, i * 3 % 256, 255 - i);
        EXPECT_EQ(value.serialize(file), WT_Result_Success);
        WT_Color mapped(WT_RGBA32(i * 11 % 256, 0, 255), WT_Color::Nearest_Match);
        EXPECT_EQ(mapped.serialize(file), WT_Result_Success);
    }
    for (int count : map_sizes)
    {
        std::vector<WT_RGBA32> entries;
        for (int i = 0; i < count; ++i)
            entries.push_back(WT_RGBA32(i % 256, (i * 5) % 256, 7, 255));
        WT_Color_Map map;
        map.set(count, entries.data(), file);
        EXPECT_EQ(map.serialize(file), WT_Result_Success);
    }
    std::string const unknown_ascii =
        "(Later 'quoted ) text' (nested (deeper)) \\) {" + bytes({3, 0, 0, 0, 'a', ')', 'b'}) + ")";
    WT_Unknown a(unknown_ascii.data(), unknown_ascii.size());
    EXPECT_EQ(a.serialize(file), WT_Result_Success);
    std::string const unknown_binary = "{" + bytes({5, 0, 0, 0, 0x77, 0x01, 1, 2, '}'});
    WT_Unknown b(unknown_binary.data(), unknown_binary.size());
    EXPECT_EQ(b.serialize(file), WT_Result_Success);
    raster_samples::write_raster_family(file);
    block_samples::write_block_family(file);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return stream.written();
}

WT_Result read_all(const std::string& input, std::size_t lo, std::size_t hi, unsigned seed)
{
    Memory_Stream stream(input);
    stream.random.seed(seed);
    WT_File file;
    open_for_reading(file, stream, lo, hi);
    EXPECT_EQ(file.open(), WT_Result_Success);
    // Each byte costs a handful of steps at most; anything beyond is a hang.
    WT_Result result = read_stream(file, {}, long(input.size()) * 50 + 1000);
    EXPECT_EQ(file.close(), WT_Result_Success);
    return result;
}
} // namespace

TEST(Whole_Streams, Rich_Streams_Read_To_The_End_However_They_Trickle)
{
    for (bool binary : {false, true})
    {
        std::string const input = rich_stream(binary);
        for (std::size_t hi : {1, 2, 7, 64, 100000})
            EXPECT_EQ(read_all(input, 1, hi, unsigned(hi)), WT_Result_End_Of_Stream)
                << "binary " << binary << " chunk " << hi;
    }
}

TEST(Whole_Streams, Truncated_And_Mutated_Input_Never_Crashes_Or_Hangs)
{
    // Small maps keep ten thousand rounds quick; large ones are read above.
    std::string const bases[] = {rich_stream(false, {3, 20}), rich_stream(true, {3, 20})};
    std::mt19937 random(2024);
    auto pick = [&random](std::size_t n)
    { return std::uniform_int_distribution<std::size_t>(0, n - 1)(random); };
    int ended_cleanly = 0;
    for (int round = 0; round < 10000; ++round)
    {
        std::string input = bases[round % 2];
        switch (round % 4)
        {
        case 0: // truncate
            input.resize(pick(input.size()));
            break;
        case 1: // flip bytes
            for (std::size_t n = 1 + pick(4); n > 0; --n)
                input[pick(input.size())] = char(pick(256));
            break;
        case 2: // insert bytes
        {
            std::string noise(1 + pick(8), '\0');
            for (char& c : noise)
                c = char(pick(256));
            input.insert(pick(input.size()), noise);
            break;
        }
        default: // cut a range out
        {
            std::size_t const from = pick(input.size());
            input.erase(from, 1 + pick(64));
            break;
        }
        }
        WT_Result const result = read_all(input, 1, 1 + pick(64), unsigned(round));
        ASSERT_NE(result, Stalled) << "round " << round;
        ASSERT_NE(result, WT_Result_Success) << "round " << round;
        if (result == WT_Result_End_Of_Stream)
            ++ended_cleanly;
    }
    // Some mutations leave the stream valid; most do not.
    EXPECT_GT(ended_cleanly, 0);
    EXPECT_LT(ended_cleanly, 10000);
}
