// Segments, renumbering and tags.
#include "stream_harness.h"

#include "dwf/w3dtk/records/renumber.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/records/tag.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace
{
using namespace w3d_test;

void open_segment(BStreamFileToolkit& tk, W3DStreamWriter& writer, const std::string& name,
                  TK_Key key = 0)
{
    serialize_with<TK_Open_Segment>(
        tk, writer, '(', [&](TK_Open_Segment& h) { h.SetSegment(name.c_str()); }, key);
}

void close_segment(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    serialize_own(tk.GetOpcodeHandler(')'), writer);
}

TEST(Segments, RecordsArePinned)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        open_segment(tk, writer, "");
        open_segment(tk, writer, "abc");
        close_segment(tk, writer);
        serialize_with<TK_Reopen_Segment>(tk, writer, 's',
                                          [](TK_Reopen_Segment& h) { h.SetIndex(0x01020304); });
        serialize_with<TK_Renumber>(tk, writer, 'K', [](TK_Renumber& h) { h.SetKey(-2); });
        serialize_with<TK_Renumber>(tk, writer, 'k', [](TK_Renumber& h) { h.SetKey(258); });
    };
    Bytes const expected = {'(', 0,   '(',  3,    'a',  'b',  'c', ')', 's', 4, 3, 2,
                            1,   'K', 0xFE, 0xFF, 0xFF, 0xFF, 'k', 2,   1,   0, 0};
    EXPECT_EQ(write_records(emit), expected);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));
}

TEST(Segments, NamesUpTo255BytesFitTheLengthByte)
{
    std::string const name(200, 'm');
    Bytes const bytes = write_records([&](BStreamFileToolkit& tk, W3DStreamWriter& w)
                                      { open_segment(tk, w, name); });
    ASSERT_EQ(bytes.size(), 202u);
    EXPECT_EQ(bytes[1], 200);
    std::string const longest(255, 'l');
    Bytes const stream = write_stream(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& w)
        {
            open_segment(tk, w, longest);
            close_segment(tk, w);
        });
    std::string read_name;
    Read_Result const result = read_stream(stream, 1,
                                           [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                                           {
                                               if (auto* open = dynamic_cast<TK_Open_Segment*>(&h))
                                                   read_name = open->GetSegment();
                                           });
    EXPECT_EQ(result.status, TK_Ended);
    EXPECT_EQ(read_name, longest);
}

TEST(Segments, ThreeKeyedRecordsGetTagsZeroOneTwo)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        open_segment(tk, writer, "a", 11);
        open_segment(tk, writer, "b", 22);
        open_segment(tk, writer, "c", 33);
        open_segment(tk, writer, "a", 11); // indexed already: no tag
        for (int i = 0; i < 4; ++i)
            close_segment(tk, writer);
    };
    EXPECT_EQ(write_records(emit), bytes_of("(\1aq(\1bq(\1cq(\1a))))"));
    BStreamFileToolkit tk;
    Memory_Output output;
    W3DStreamWriter writer(output, tk);
    writer.open();
    emit(tk, writer);
    int index = -1;
    for (TK_Key key : {11, 22, 33})
    {
        ASSERT_EQ(tk.KeyToIndex(key, index), TK_Done);
        EXPECT_EQ(index, key / 11 - 1);
    }
}

TEST(Segments, ReadingBackCountsDepthAndTags)
{
    Bytes const bytes = write_stream(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            open_segment(tk, writer, "outer", 1);
            open_segment(tk, writer, "inner", 2);
            close_segment(tk, writer);
            serialize_with<TK_Reopen_Segment>(tk, writer, 's',
                                              [](TK_Reopen_Segment& h) { h.SetIndex(1); });
            close_segment(tk, writer);
            close_segment(tk, writer);
        });
    std::vector<int> depths;
    std::vector<std::string> names;
    Read_Result const result = read_stream(bytes, 1,
                                           [&](BBaseOpcodeHandler& h, BStreamFileToolkit& tk)
                                           {
                                               depths.push_back(tk.GetSegmentDepth());
                                               if (auto* open = dynamic_cast<TK_Open_Segment*>(&h))
                                                   names.push_back(open->GetSegment());
                                           });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    EXPECT_EQ(result.opcodes,
              (std::vector<int>{';', 'I', '(', 'q', '(', 'q', ')', 's', ')', ')', 0}));
    EXPECT_EQ(depths, (std::vector<int>{0, 0, 1, 1, 2, 2, 1, 2, 1, 0, 0}));
    EXPECT_EQ(names, (std::vector<std::string>{"outer", "inner"}));
    EXPECT_EQ(result.depth, 0);
    EXPECT_EQ(result.next_tag, 2);
}

TEST(Segments, TagsReadBackGiveIndicesToPendingKeysOrToKeyMinusOne)
{
    BStreamFileToolkit tk;
    TK_Tag& tag = dynamic_cast<TK_Tag&>(tk.GetOpcodeHandler('q'));
    EXPECT_EQ(tag.Execute(tk), TK_Done);
    tk.set_last_key(50);
    tk.append_last_key(60);
    EXPECT_EQ(tag.Execute(tk), TK_Done);
    TK_Key key = 0;
    ASSERT_EQ(tk.IndexToKey(0, key), TK_Done);
    EXPECT_EQ(key, -1);
    ASSERT_EQ(tk.IndexToKey(2, key), TK_Done);
    EXPECT_EQ(key, 60);
    EXPECT_EQ(tk.NextTagIndex(), 3);
    EXPECT_EQ(tag.Interpret(tk, 1, "x"), TK_Error);
    EXPECT_EQ(tk.LastError(), "TK_Tag::Interpret should never be possible");
}

TEST(Segments, TagsLogTheIndicesTheyAssign)
{
    std::string const log =
        ::testing::TempDir() + "w3dtk_tags_" + std::to_string(getpid()) + ".log";
    BStreamFileToolkit tk;
    tk.SetLogFile(log.c_str());
    tk.SetLoggingOptions(TK_Log_Details);
    tk.SetLogging(true);
    TK_Tag& tag = dynamic_cast<TK_Tag&>(tk.GetOpcodeHandler('q'));
    tk.set_last_key(1);
    for (TK_Key key = 2; key <= 11; ++key)
        tk.append_last_key(key);
    ASSERT_EQ(tag.Execute(tk), TK_Done);
    EXPECT_EQ(tag.LogText(), "(0)(1)(2)(3)(4)(5)(6)(7)(8)(9)\n\t\t\t\t(10)");
    tk.SetLogFile(nullptr);
    std::ifstream in(log);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()),
              tag.LogText());
    std::remove(log.c_str());
}

TEST(Segments, AllTaggingTagsAtTheCloseOfASegment)
{
    // With the tag-everything flag the close record tags what is pending itself.
    BStreamFileToolkit tk;
    tk.SetWriteFlags(TK_Option_Tag_All);
    std::vector<char> buffer(16);
    tk.PrepareBuffer(buffer.data(), 16);
    tk.set_last_key(9);
    ASSERT_EQ(tk.GetOpcodeHandler(')').Write(tk), TK_Done);
    EXPECT_EQ(std::string(buffer.data(), 2), ")q");
    int offset = -1;
    int length = -1;
    EXPECT_EQ(tk.GetOffset(9, 0, offset, length), TK_Done);
}

TEST(Segments, DamagedSegmentStreamsFailCleanly)
{
    Bytes const bytes = write_stream(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            open_segment(tk, writer, "one", 1);
            serialize_with<TK_Renumber>(tk, writer, 'K', [](TK_Renumber& h) { h.SetKey(5); });
            close_segment(tk, writer);
        });
    read_damaged_streams(bytes, 1, 300);
    read_damaged_streams(bytes, 64, 300);
}

TEST(Segments, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            open_segment(tk, writer, "first", 1);
            open_segment(tk, writer, std::string(40, 'x'), 2);
            close_segment(tk, writer);
            close_segment(tk, writer);
        }));
}

} // namespace
