// The records that open, describe, compress, pause and end a stream.
#include "stream_harness.h"

#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

Bytes header_bytes(int version, int flags = 0)
{
    return write_records(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            tk.SetTargetVersion(version);
            tk.SetWriteFlags(flags);
            TK_Header header;
            serialize_own(header, writer);
            EXPECT_TRUE(tk.GetHeaderFlag());
        });
}

// The opening the model publisher writes: header, comment, second file info.
void publisher_opening(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    tk.SetWriteFlags(0x1A06);
    tk.SetNumNormalBits(24);
    TK_Header header;
    serialize_own(header, writer);
    TK_Comment comment("W3D V01.00");
    serialize_own(comment, writer);
    TK_File_Info info;
    serialize_own(info, writer);
}

TEST(Framing, TheHeaderIsTheVersionCommentAndTheWriteFlags)
{
    EXPECT_EQ(header_bytes(1000, 0x1A06),
              bytes_of(std::string(";; HSF V10.00 \nI\x06\x1A\0\0", 20)));
    EXPECT_EQ(header_bytes(650), bytes_of(std::string(";; HSF V6.50 \nI\0\0\0\0", 19)));
}

TEST(Framing, ThePublishersOpeningIsPinned)
{
    Bytes const bytes = write_records(publisher_opening);
    std::string const expected = std::string(";; HSF V10.00 \n", 15) +
                                 std::string("I\x06\x1A\0\0", 5) + ";W3D V01.00\n" +
                                 std::string("I\0\0\0\0", 5);
    EXPECT_EQ(bytes, bytes_of(expected));
    EXPECT_TRUE(writes_alike_in_every_buffer(publisher_opening));
}

TEST(Framing, CommentsEndWithOneLineFeed)
{
    auto comment = [](const char* text)
    {
        return write_records(
            [&](BStreamFileToolkit&, W3DStreamWriter& writer)
            {
                TK_Comment c(text);
                serialize_own(c, writer);
            });
    };
    EXPECT_EQ(comment(""), bytes_of(";\n"));
    EXPECT_EQ(comment(nullptr), bytes_of(";\n"));
    EXPECT_EQ(comment("done\n"), bytes_of(";done\n"));
    EXPECT_EQ(comment("plain"), bytes_of(";plain\n"));
}

TEST(Framing, CommentsThatCouldNotBeReadBackAreRefused)
{
    for (std::string const& text :
         {std::string("two\nlines"), std::string(TK_Comment::Max_Length + 1, 'c')})
    {
        BStreamFileToolkit tk;
        std::vector<char> buffer(64);
        tk.PrepareBuffer(buffer.data(), 64);
        TK_Comment comment(text.c_str());
        EXPECT_EQ(comment.Write(tk), TK_Error);
        EXPECT_EQ(tk.CurrentBufferLength(), 0);
    }
}

struct Version_Case
{
    std::string text;
    int read_flags;
    TK_Status status;
    int version;
    std::string error;
};

TEST(Framing, TheFirstCommentGivesTheReadVersion)
{
    std::vector<Version_Case> const cases = {
        {"; HSF V10.00 ", 0, TK_Done, 1000, ""},
        {"; HSF V6.50 extra", 0, TK_Done, 650, ""},
        {"; HSF V10.01 ", 0, TK_Too_New, 1001, ""},
        {"; HSF V10.01 ", TK_Read_Newer_Versions, TK_Done, 1001, ""},
        {"; HSF V10.00", 0, TK_Error, 0, "error reading version number"},
        {"; HSF V1x.00 ", 0, TK_Error, 0, "error reading version number"},
        {"; HSF V99999999999999 ", 0, TK_Error, 0, "error reading version number"},
        {"W3D V01.00", 0, TK_Error, 0, "file does not appear to be HSF format"},
    };
    for (auto const& c : cases)
    {
        BStreamFileToolkit tk;
        tk.SetReadFlags(c.read_flags);
        TK_Comment comment(c.text.c_str());
        EXPECT_EQ(comment.Execute(tk), c.status) << c.text;
        EXPECT_EQ(tk.GetReadVersion(), c.version) << c.text;
        EXPECT_EQ(tk.LastError(), c.error) << c.text;
        EXPECT_TRUE(tk.GetHeaderFlag());
        // Only the first comment is examined.
        TK_Comment later("anything");
        EXPECT_EQ(later.Execute(tk), TK_Done);
    }
}

TEST(Framing, ReadingAStreamOfANewerVersionStopsThere)
{
    Bytes const bytes = write_stream({}, target_version(1001));
    EXPECT_EQ(read_stream(bytes).status, TK_Too_New);
    EXPECT_EQ(read_stream(bytes, 1, {}, [](BStreamFileToolkit& tk) { tk.SetReadFlags(2); }).status,
              TK_Ended);
}

TEST(Framing, ReadingCommentsAndFileInfo)
{
    Bytes bytes = write_stream(
        [](BStreamFileToolkit&, W3DStreamWriter& writer)
        {
            TK_Comment comment("a note");
            serialize_own(comment, writer);
        },
        [](BStreamFileToolkit& tk) { tk.SetWriteFlags(0x1A06); });
    std::vector<std::string> comments;
    Read_Result const result = read_stream(bytes, 1,
                                           [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                                           {
                                               if (auto* c = dynamic_cast<TK_Comment*>(&h))
                                                   comments.push_back(c->GetComment());
                                           });
    EXPECT_EQ(result.status, TK_Ended);
    EXPECT_EQ(result.opcodes, (std::vector<int>{';', 'I', ';', 0}));
    EXPECT_EQ(comments, (std::vector<std::string>{"; HSF V10.00 ", "a note"}));

    BStreamFileToolkit tk;
    read_stream(bytes, 4096, {}, {}, &tk);
    EXPECT_EQ(tk.GetWriteFlags(), 0x1A06);
    EXPECT_EQ(tk.GetReadVersion(), 1000);
}

TEST(Framing, OldStreamsStoreTheDictionaryBitInverted)
{
    Bytes const bytes = write_stream({}, target_version(100, 0x1A06));
    BStreamFileToolkit tk;
    ASSERT_EQ(read_stream(bytes, 3, {}, {}, &tk).status, TK_Ended);
    EXPECT_EQ(tk.GetReadVersion(), 100);
    EXPECT_EQ(tk.GetWriteFlags(), 0x1A06 ^ TK_Option_Dictionary);
}

TEST(Framing, ALongCommentIsRefusedOnReading)
{
    Bytes bytes = bytes_of(";; HSF V10.00 \n;");
    bytes.resize(bytes.size() + TK_Comment::Max_Length + 10, 'z');
    bytes.push_back('\n');
    Read_Result const result = read_stream(bytes, 4096);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "comment too long");
}

TEST(Framing, APauseRecordsTheLengthOfTheStreamBehindIt)
{
    BStreamFileToolkit tk;
    Memory_Output output;
    W3DStreamWriter writer(output, tk);
    writer.open();
    std::string const text(298, 'c'); // with its opcode and line feed: 300 bytes
    TK_Comment comment(text.c_str());
    serialize_own(comment, writer);
    serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), writer);
    EXPECT_EQ(tk.PauseOffsets(), std::vector<int>{301});
    EXPECT_EQ(tk.GetObjectCount(), 1); // the comment; pauses are not objects
    writer.close();
}

TEST(Framing, OneByteRecordsWrittenAgainWriteTheirByteAgain)
{
    BStreamFileToolkit tk;
    std::vector<char> buffer(8);
    tk.PrepareBuffer(buffer.data(), 8);
    BBaseOpcodeHandler& close = tk.GetOpcodeHandler(')');
    BBaseOpcodeHandler& end = tk.GetOpcodeHandler(0);
    EXPECT_EQ(close.Write(tk), TK_Done);
    EXPECT_EQ(close.Write(tk), TK_Done);
    EXPECT_EQ(end.Write(tk), TK_Done);
    EXPECT_EQ(end.Write(tk), TK_Done);
    EXPECT_EQ(std::string(buffer.data(), 4), std::string("))\0\0", 4));
}

TEST(Framing, StoppingCompressionOnAFullBufferWaitsForTheHandOver)
{
    BStreamFileToolkit tk;
    std::vector<char> buffer(3);
    tk.PrepareBuffer(buffer.data(), 3);
    BBaseOpcodeHandler& start = tk.GetOpcodeHandler('Z');
    BBaseOpcodeHandler& stop = tk.GetOpcodeHandler('z');
    ASSERT_EQ(start.Write(tk), TK_Done);
    // 'z' goes into deflate, whose two-byte header fills the buffer: finishing
    // has to wait for the next one.
    EXPECT_EQ(stop.Write(tk), TK_Pending);
    EXPECT_EQ(stop.Stage(), 1);
    EXPECT_EQ(tk.BytesLeft(), 0);
    EXPECT_TRUE(tk.Accumulator().compressing());
    std::vector<char> next(64);
    ASSERT_EQ(tk.PrepareBuffer(next.data(), 64), TK_Done);
    EXPECT_EQ(stop.Write(tk), TK_Done);
    EXPECT_FALSE(tk.Accumulator().compressing());
}

TEST(Framing, CompressionRecordsSwitchTheReader)
{
    Bytes const bytes = write_stream(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            serialize_with<TK_Open_Segment>(tk, writer, '(',
                                            [](TK_Open_Segment& h) { h.SetSegment("inside"); });
            serialize_own(tk.GetOpcodeHandler(')'), writer);
        },
        {}, true);
    // 'Z' follows the header; the last byte is the plain terminator.
    ASSERT_EQ(bytes[20], 'Z');
    EXPECT_EQ(bytes.back(), 0);
    for (std::size_t chunk : {1u, 2u, 5u, 4096u})
    {
        Read_Result const result = read_stream(bytes, chunk);
        EXPECT_EQ(result.status, TK_Ended) << result.error;
        EXPECT_EQ(result.opcodes, (std::vector<int>{';', 'I', 'Z', '(', ')', 'z', 0})) << chunk;
    }
    EXPECT_TRUE(writes_alike_in_every_buffer(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            serialize_own(tk.GetOpcodeHandler('Z'), writer);
            for (int i = 0; i < 40; ++i)
                serialize_with<TK_Open_Segment>(tk, writer, '(',
                                                [](TK_Open_Segment& h) { h.SetSegment("seg"); });
            serialize_own(tk.GetOpcodeHandler('z'), writer);
        }));
}

TEST(Framing, CompressionCannotNest)
{
    Bytes bytes = bytes_of(";; HSF V10.00 \nZ");
    Bytes const inner = write_records(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            tk.Accumulator().start_compression();
            std::vector<char> z{'Z'};
            BBaseOpcodeHandler::PutData(tk, z.data(), 1);
            tk.Accumulator().stop_compression(true);
            (void)writer;
        });
    bytes.insert(bytes.end(), inner.begin(), inner.end());
    Read_Result const result = read_stream(bytes, 4096);
    EXPECT_EQ(result.status, TK_Error);
}

TEST(Framing, CorruptCompressedDataIsReportedAsSuch)
{
    Bytes bytes = bytes_of(";; HSF V10.00 \nZ");
    for (std::uint8_t const byte : {0x78, 0xDA, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x02})
        bytes.push_back(byte);
    Read_Result const result = read_stream(bytes, 1);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "corrupt compressed data");
}

TEST(Framing, TheHeaderIsNeverRead)
{
    BStreamFileToolkit tk;
    TK_Header header;
    EXPECT_EQ(header.Read(tk), TK_Error);
    EXPECT_EQ(tk.GetOpcodeHandler(0).Execute(tk), TK_Error); // the terminator is never executed
    EXPECT_EQ(tk.GetOpcodeHandler(1).Execute(tk), TK_Done);
}

TEST(Framing, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(publisher_opening));
}

} // namespace
