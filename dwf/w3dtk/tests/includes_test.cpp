// Includes, styles and instances.
#include "record_bytes.h"

#include "dwf/w3dtk/records/instance.h"
#include "dwf/w3dtk/records/referenced_segment.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <unistd.h>

namespace
{
using namespace w3d_test;

Emit reference(int opcode, const std::string& path)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Referenced_Segment>(tk, w, opcode, [&](TK_Referenced_Segment& h)
                                              { h.SetSegment(path.c_str()); });
    };
}

TEST(Includes, IncludeAndStyleRecordsArePinned)
{
    EXPECT_EQ(write_records(reference('<', "abc")), (Bytes{0x3C, 3, 'a', 'b', 'c'}));
    EXPECT_EQ(write_records(reference('{', "abc")), (Bytes{0x7B, 3, 'a', 'b', 'c'}));
    EXPECT_EQ(write_records(reference('<', "")), (Bytes{0x3C, 0}));
    // The handler is empty after its record: nothing set, nothing carried.
    Emit const twice = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        reference('<', "?Include Library/17")(tk, w);
        serialize_own(tk.GetOpcodeHandler('<'), w);
    };
    EXPECT_EQ(write_records(twice), Golden().u8('<').u8(19).text("?Include Library/17").u8('<').u8(0).bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(twice));
}

TEST(Includes, PathLengthsCountUtf8BytesUpTo255)
{
    // 127 two-byte characters and one more byte: 255 bytes, which fit.
    std::string fits;
    for (int i = 0; i < 127; ++i)
        fits += "\xC3\xA9";
    fits += "x";
    std::vector<std::string> read;
    EXPECT_EQ(read_back<TK_Referenced_Segment>(
                  [&](BStreamFileToolkit& tk, W3DStreamWriter& w)
                  {
                      reference('<', fits)(tk, w);
                      reference('{', "?Style Library/_dwfw3d_PublishedEdges")(tk, w);
                  },
                  [&](TK_Referenced_Segment& h, BStreamFileToolkit&)
                  { read.push_back(h.GetSegment()); }),
              2);
    EXPECT_EQ(read, (std::vector<std::string>{fits, "?Style Library/_dwfw3d_PublishedEdges"}));

    // 128 characters, 256 bytes: refused before the opcode.
    Buffered_Toolkit out;
    auto& h = dynamic_cast<TK_Referenced_Segment&>(out.tk.GetOpcodeHandler('<'));
    h.SetSegment((fits.substr(1) + "\xC3\xA9").c_str());
    EXPECT_EQ(h.Write(out.tk), TK_Error);
    EXPECT_TRUE(out.written().empty());
    EXPECT_NE(out.tk.LastError().find("segment path of 256 bytes"), std::string::npos);
}

TEST(Includes, ReferencesAreTaggedWhenAllRecordsAre)
{
    for (bool const tag_all : {false, true})
    {
        Buffered_Toolkit out;
        out.tk.SetWriteFlags(tag_all ? TK_Option_Tag_All : 0);
        out.tk.set_last_key(12);
        auto& h = dynamic_cast<TK_Referenced_Segment&>(out.tk.GetOpcodeHandler('{'));
        h.SetSegment("s");
        ASSERT_EQ(h.Write(out.tk), TK_Done);
        EXPECT_EQ(out.written(), tag_all ? (Bytes{'{', 1, 's', 'q'}) : (Bytes{'{', 1, 's'}));
    }
}

// ---- instances

float const Matrix[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

Emit instance(int target_variant, TK_Key key = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Instance>(
            tk, w, '&',
            [&](TK_Instance& h)
            {
                h.SetIndices(3, 1, 0x01020304, target_variant);
                h.SetOptions(0x1FF); // the record carries the low byte
                h.SetMatrix(Matrix);
            },
            key);
    };
}

TEST(Instances, RecordIsSixtySixBytesWithoutTheFourthColumn)
{
    Bytes const bytes = write_records(instance(-1));
    Golden expected;
    expected.u8('&').i32(3).i32(1).i32(0x01020304).i32(-1).u8(0xFF);
    expected.floats({1, 2, 3, 5, 6, 7, 9, 10, 11, 13, 14, 15});
    EXPECT_EQ(bytes, expected.bytes);
    EXPECT_EQ(bytes.size(), 66u);
    EXPECT_TRUE(writes_alike_in_every_buffer(instance(2, 40)));
}

TEST(Instances, ReadingSetsTheCornerToOneAndKeepsTheRestOfTheFourthColumn)
{
    BStreamFileToolkit tk;
    float const nines[16] = {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9};
    dynamic_cast<TK_Instance&>(tk.GetOpcodeHandler('&')).SetMatrix(nines);
    std::vector<float> matrix;
    int options = -1;
    Read_Result const r = read_stream(write_stream(instance(-1)), 1,
                                      [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                                      {
                                          if (auto* i = dynamic_cast<TK_Instance*>(&h))
                                          {
                                              matrix.assign(i->GetMatrix(), i->GetMatrix() + 16);
                                              options = i->GetOptions();
                                              EXPECT_EQ(i->GetTargetIndex(), 0x01020304);
                                              EXPECT_EQ(i->GetTargetVariant(), -1);
                                          }
                                      },
                                      {}, &tk);
    ASSERT_EQ(r.status, TK_Ended) << r.error;
    EXPECT_EQ(matrix, (std::vector<float>{1, 2, 3, 9, 5, 6, 7, 9, 9, 10, 11, 9, 13, 14, 15, 1}));
    EXPECT_EQ(options, 0xFF);
}

TEST(Instances, WritingTagsThePendingKeysAndRecordsTheTargetVariant)
{
    for (int const variant : {-1, 2})
    {
        Buffered_Toolkit out;
        out.tk.set_last_key(501);
        auto& h = dynamic_cast<TK_Instance&>(out.tk.GetOpcodeHandler('&'));
        h.SetIndices(0, 0, 0, variant);
        ASSERT_EQ(h.Write(out.tk), TK_Done);
        Bytes const bytes = out.written();
        ASSERT_EQ(bytes.size(), 67u);
        EXPECT_EQ(bytes.back(), 'q'); // tagged without the tag-everything flag
        int index = -1;
        ASSERT_EQ(out.tk.KeyToIndex(501, index), TK_Done);
        EXPECT_EQ(index, 0);
        EXPECT_EQ(out.tk.KeyTable().Record(0)->variants != nullptr, variant != -1);
    }
    // A key that has its index already gets no second tag.
    Buffered_Toolkit out;
    out.tk.AddIndexKeyPair(0, 9);
    out.tk.set_last_key(9);
    ASSERT_EQ(out.tk.GetOpcodeHandler('&').Write(out.tk), TK_Done);
    EXPECT_EQ(out.written().size(), 66u);
}

TEST(Instances, LogsItsIndicesWithDetailedLogging)
{
    std::string const log =
        ::testing::TempDir() + "w3dtk_instance_" + std::to_string(getpid()) + ".log";
    {
        Buffered_Toolkit out;
        out.tk.SetLogFile(log.c_str());
        out.tk.SetLoggingOptions(TK_Log_Details);
        out.tk.SetLogging(true);
        auto& h = dynamic_cast<TK_Instance&>(out.tk.GetOpcodeHandler('&'));
        h.SetIndices(1, 2, 3, 4);
        ASSERT_EQ(h.Write(out.tk), TK_Done);
        out.tk.SetLogFile(nullptr);
    }
    std::ifstream in(log);
    std::string const text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("[1:2 - 3:4]"), std::string::npos) << text;
    std::remove(log.c_str());
}

Emit const includes_and_instances = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    reference('<', "?Include Library/3")(tk, w);
    reference('{', "?Style Library/_dwfw3d_PublishedEdges")(tk, w);
    instance(1, 77)(tk, w);
    instance(-1)(tk, w);
};

TEST(Includes, DamagedStreamsFailCleanly)
{
    read_damaged_streams(write_stream(includes_and_instances), 1, 500);
    read_damaged_streams(write_stream(includes_and_instances, {}, true), 6, 300);
}

TEST(Includes, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(includes_and_instances));
}

} // namespace
