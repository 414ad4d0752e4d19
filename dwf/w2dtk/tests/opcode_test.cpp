// The opcode reader, operand skipping, the dispatcher and unknown opcodes.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/dwf_header.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/opcode.h"
#include "dwf/w2dtk/opcode_registry.h"
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

// A file reading bytes that follow an already consumed header.
struct Body_Reader
{
    Memory_Stream stream;
    WT_File file;

    explicit Body_Reader(const std::string& body, std::size_t hi = 1) : stream(body)
    {
        open_for_reading(file, stream, 1, hi);
        EXPECT_EQ(file.open(), WT_Result_Success);
        file.set_header_read(true);
    }
    WT_Result opcode(bool allow = false)
    {
        for (int i = 0; i < 100000; ++i)
        {
            WT_Result r = file.current_opcode().get_opcode(file, allow);
            if (r != WT_Result_Waiting_For_Data)
                return r;
        }
        return Stalled;
    }
    WT_Result skip()
    {
        for (int i = 0; i < 100000; ++i)
        {
            WT_Result r = file.current_opcode().skip_operand(file);
            if (r != WT_Result_Waiting_For_Data)
                return r;
        }
        return Stalled;
    }
    std::string rest()
    {
        std::string out;
        std::uint8_t c;
        while (file.read_byte(c) == WT_Result_Success || file.read_byte(c) == WT_Result_Success)
            out.push_back(char(c));
        return out;
    }
};

struct Whole_Stream
{
    Memory_Stream stream;
    WT_File file;
    WT_Result end;
    std::vector<int> ids;
    std::vector<std::vector<std::uint8_t>> unknowns;

    explicit Whole_Stream(const std::string& input, std::size_t hi = 5) : stream(input)
    {
        open_for_reading(file, stream, 1, hi);
        EXPECT_EQ(file.open(), WT_Result_Success);
        end = read_stream(file,
                          [this](WT_Object& o)
                          {
                              ids.push_back(o.object_id());
                              if (o.object_id() == WT_Object::Unknown_ID)
                                  unknowns.push_back(static_cast<WT_Unknown&>(o).bytes());
                          });
    }
};
} // namespace

TEST(Opcode_Header, Accepted_And_Refused)
{
    Whole_Stream w2d("(W2D V06.00)(EndOfDWF)");
    EXPECT_EQ(w2d.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(w2d.file.stream_version(), 600);
    EXPECT_TRUE(w2d.file.heuristics().m_w2d_channel);

    Whole_Stream old("(DWF V00.55)(EndOfDWF)");
    EXPECT_EQ(old.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(old.file.stream_version(), 55);

    EXPECT_EQ(Whole_Stream("(DWF V06.00)(EndOfDWF)").end, WT_Result_Old_Header_New_Version);
    EXPECT_EQ(Whole_Stream("(XYZ V06.00)").end, WT_Result_Not_A_W2D_Stream);
    EXPECT_EQ(Whole_Stream("(W2D V0x.00)").end, WT_Result_Not_A_W2D_Stream);
    EXPECT_EQ(Whole_Stream("(W2D V").end, WT_Result_End_Of_Input);
    EXPECT_EQ(Whole_Stream("").end, WT_Result_End_Of_Input);
}

TEST(Opcode_Header, Old_Version_Loads_The_Older_Colour_Map)
{
    Whole_Stream old("(DWF V00.37)c\x01(EndOfDWF)");
    EXPECT_EQ(old.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(old.file.rendition().color().rgba(), WT_RGBA32(255, 0, 0));
}

TEST(Opcode_Reader, Token_Types)
{
    Body_Reader r("  (Color 1,2,3,4) \r\n{" + bytes({5, 0, 0, 0, 1, 0}) + "xyzc)", 1);
    ASSERT_EQ(r.opcode(), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().type(), WT_Opcode::Extended_ASCII);
    EXPECT_EQ(r.file.current_opcode().name(), "(Color");
    EXPECT_EQ(r.file.nesting_depth(), 1);
    std::uint8_t blank = 0;
    ASSERT_EQ(r.file.read_byte(blank), WT_Result_Success);
    EXPECT_EQ(blank, ' ');
    EXPECT_EQ(r.skip(), WT_Result_Success);
    EXPECT_EQ(r.file.nesting_depth(), 0);

    ASSERT_EQ(r.opcode(), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().type(), WT_Opcode::Extended_Binary);
    EXPECT_EQ(r.file.current_opcode().binary_size(), 5u);
    EXPECT_EQ(r.file.current_opcode().binary_number(), 1);
    EXPECT_EQ(r.file.current_opcode().size(), 7);
    // Passing over the frame's operand skips size − 2 bytes.
    EXPECT_EQ(r.skip(), WT_Result_Success);

    ASSERT_EQ(r.opcode(), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().type(), WT_Opcode::Single_Byte);
    EXPECT_EQ(r.file.current_opcode().first_byte(), 'c');

    // ")" where no opcode may end.
    EXPECT_EQ(r.opcode(), WT_Result_Corrupt_Stream);
}

TEST(Opcode_Reader, Option_Lists_Allow_Words_And_Close)
{
    Body_Reader r("name (size 3) )", 1);
    ASSERT_EQ(r.opcode(true), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().type(), WT_Opcode::Bare_Word);
    EXPECT_EQ(r.file.current_opcode().name(), "name");
    ASSERT_EQ(r.opcode(true), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().name(), "(size");
    EXPECT_EQ(r.skip(), WT_Result_Success);
    ASSERT_EQ(r.opcode(true), WT_Result_Success);
    EXPECT_EQ(r.file.current_opcode().type(), WT_Opcode::Close_Paren);
    EXPECT_EQ(r.file.current_opcode().size(), 0);
    std::uint8_t close = 0;
    EXPECT_EQ(r.file.read_byte(close), WT_Result_Success);
    EXPECT_EQ(close, ')'); // left for the owner of the list
}

TEST(Opcode_Reader, Name_Limits)
{
    std::string const longest = "(" + std::string(39, 'N');
    Body_Reader ok(longest + " ");
    EXPECT_EQ(ok.opcode(), WT_Result_Success);
    EXPECT_EQ(ok.file.current_opcode().name(), longest);
    Body_Reader too_long("(" + std::string(41, 'N') + " ");
    EXPECT_EQ(too_long.opcode(), WT_Result_Corrupt_Stream);
    Body_Reader bad_end("(Color{");
    EXPECT_EQ(bad_end.opcode(), WT_Result_Corrupt_Stream);
    Body_Reader nested("(Color(");
    EXPECT_EQ(nested.opcode(), WT_Result_Success); // "(" may follow a name directly
}

TEST(Opcode_Reader, Skipping_Respects_Quotes_Escapes_And_Blocks)
{
    Body_Reader r("(Name 'a ) ( b' \\) (inner (deeper)) {" + bytes({3, 0, 0, 0}) + ")))" + ") tail",
                  1);
    ASSERT_EQ(r.opcode(), WT_Result_Success);
    EXPECT_EQ(r.skip(), WT_Result_Success);
    EXPECT_EQ(r.file.nesting_depth(), 0);
    EXPECT_EQ(r.rest(), " tail");

    Body_Reader zero("(Name {" + bytes({0, 0, 0, 0}) + "))");
    ASSERT_EQ(zero.opcode(), WT_Result_Success);
    EXPECT_EQ(zero.skip(), WT_Result_Corrupt_Stream);
}

TEST(Dispatch, Builds_By_Opcode)
{
    Whole_Stream s("(W2D V06.00)(Colorx 1)(Color 1,2,3,4)c\x01{" + bytes({3, 0, 0, 0, 10, 0, 'z'}) +
                   "(EndOfDWF)");
    EXPECT_EQ(s.end, WT_Result_End_Of_Stream);
    EXPECT_EQ(s.ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Unknown_ID,
                                       WT_Object::Color_ID, WT_Object::Color_ID,
                                       WT_Object::Unknown_ID, WT_Object::End_Of_DWF_ID}));
    EXPECT_EQ(s.file.statistics()->count(292), 1u);
    EXPECT_EQ(s.file.statistics()->count(302), 1u);

    EXPECT_EQ(Whole_Stream("(W2D V06.00)\x01").end, WT_Result_Unknown_Opcode);
    // The bezier forms are known opcodes without a reader.
    EXPECT_EQ(Whole_Stream("(W2D V06.00)B").end, WT_Result_Foreign_Opcode);
}

TEST(Dispatch, Families_Register_Their_Own_Opcodes)
{
    WT_Opcode_Registry registry;
    registry.add_extended_ascii("(Comment", 262, &wt_make_object<WT_Unknown>, true);
    registry.add_single_byte('Q', 81, &wt_make_object<WT_Color>);
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    std::unique_ptr<WT_Object> object;

    WT_Opcode opcode;
    opcode.set_token(WT_Opcode::Extended_ASCII, "(Comments", 9);
    EXPECT_EQ(registry.build_object(opcode, file, object), WT_Result_Success);
    EXPECT_EQ(object->object_id(), WT_Object::Unknown_ID);
    opcode.set_token(WT_Opcode::Single_Byte, "Q", 1);
    EXPECT_EQ(registry.build_object(opcode, file, object), WT_Result_Success);
    EXPECT_EQ(object->object_id(), WT_Object::Color_ID);
    opcode.set_token(WT_Opcode::Single_Byte, "c", 1);
    EXPECT_EQ(registry.build_object(opcode, file, object), WT_Result_Unknown_Opcode);
    opcode.set_token(WT_Opcode::Bare_Word, "word", 4);
    EXPECT_EQ(registry.build_object(opcode, file, object), WT_Result_Not_Available);
}

TEST(Dispatch, Unread_Objects_Are_Skipped)
{
    std::string const input = "(W2D V06.00)(Color 1,2,3,4)(ColorMap 1 1,2,3,4)(Other ')' (x))C 7" +
                              bytes({3, 1, 2, 3, 4}) + "{" + bytes({8, 0, 0, 0, 1, 0, 1}) +
                              bytes({1, 2, 3, 4, '}'}) + "(EndOfDWF)";
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, 1, 3);
    ASSERT_EQ(file.open(), WT_Result_Success);
    std::vector<int> ids;
    for (int step = 0; step < 100000; ++step)
    {
        WT_Result r = file.get_next_object();
        if (r == WT_Result_Waiting_For_Data)
            continue;
        ASSERT_EQ(r, WT_Result_Success);
        ids.push_back(file.object()->object_id());
        if (ids.size() == 1)
        {
            // The header has to be read for the version; everything else is left.
            while ((r = file.object()->materialize(file.current_opcode(), file)) ==
                   WT_Result_Waiting_For_Data)
            {
            }
            ASSERT_EQ(r, WT_Result_Success);
        }
        if (ids.back() == WT_Object::End_Of_DWF_ID)
            break;
    }
    EXPECT_EQ(ids, (std::vector<int>{WT_Object::DWF_Header_ID, WT_Object::Color_ID,
                                     WT_Object::Color_Map_ID, WT_Object::Unknown_ID,
                                     WT_Object::Color_ID, WT_Object::Color_ID,
                                     WT_Object::Color_Map_ID, WT_Object::End_Of_DWF_ID}));
}

TEST(Unknown, Kept_Byte_For_Byte_And_Written_Back)
{
    std::string const ascii_unknown =
        "(Future 'x)y' (nested {" + bytes({2, 0, 0, 0, ')', '('}) + "}) \\) )";
    std::string const binary_unknown = "{" + bytes({6, 0, 0, 0, 0x34, 0x12, '(', ')', 0, '}'});
    Whole_Stream s("(W2D V06.00)" + ascii_unknown + binary_unknown + "(EndOfDWF)", 1);
    EXPECT_EQ(s.end, WT_Result_End_Of_Stream);
    ASSERT_EQ(s.unknowns.size(), 2u);
    EXPECT_EQ(std::string(s.unknowns[0].begin(), s.unknowns[0].end()), ascii_unknown);
    EXPECT_EQ(std::string(s.unknowns[1].begin(), s.unknowns[1].end()), binary_unknown);

    Memory_Stream out;
    WT_File file;
    out.install(file);
    file.set_file_mode(WT_File::File_Write);
    ASSERT_EQ(file.open(), WT_Result_Success);
    for (auto const& kept : s.unknowns)
    {
        WT_Unknown unknown(kept.data(), kept.size());
        EXPECT_EQ(unknown.serialize(file), WT_Result_Success);
    }
    EXPECT_EQ(file.close(), WT_Result_Success);
    EXPECT_EQ(out.written(), "(W2D V06.00)" + ascii_unknown + binary_unknown + "(EndOfDWF)\r\n");
}

TEST(Unknown, Frame_Sizes_That_Cannot_Hold_The_Number)
{
    EXPECT_EQ(Whole_Stream("(W2D V06.00){" + bytes({0, 0, 0, 0, 10, 0})).end,
              WT_Result_Inconsistent_Operand);
    EXPECT_EQ(Whole_Stream("(W2D V06.00){" + bytes({1, 0, 0, 0, 10, 0})).end,
              WT_Result_Inconsistent_Operand);
    // A frame announcing 4 GB but holding a few bytes: the end of input, no allocation.
    EXPECT_EQ(Whole_Stream("(W2D V06.00){" + bytes({0xFF, 0xFF, 0xFF, 0xFF, 10, 0, 1, 2})).end,
              WT_Result_End_Of_Input);
}

TEST(Opcode_Header, Each_Open_Learns_The_Header_Anew)
{
    Memory_Stream first("(W2D V06.00)(EndOfDWF)");
    Memory_Stream second("(DWF V00.55)(EndOfDWF)");
    WT_File file;
    for (Memory_Stream* stream : {&first, &second})
    {
        open_for_reading(file, *stream);
        ASSERT_EQ(file.open(), WT_Result_Success);
        EXPECT_EQ(read_stream(file), WT_Result_End_Of_Stream);
        EXPECT_EQ(file.heuristics().m_w2d_channel, stream == &first);
        EXPECT_EQ(file.stream_version(), stream == &first ? 600 : 55);
        EXPECT_EQ(file.close(), WT_Result_Success);
    }
}
