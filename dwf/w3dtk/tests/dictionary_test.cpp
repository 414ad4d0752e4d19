// The dictionary record and locating what it records.
#include "record_bytes.h"

#include "dwf/w3dtk/records/dictionary.h"
#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace w3d_test;

// Index 0 (key 10) with variants 0 and 3 and a box; index 1 free; index 2 (key 30)
// without variants; pauses at 7 and 9.
void fill_table(BStreamFileToolkit& tk)
{
    tk.AddIndexKeyPair(0, 10);
    tk.AddIndexKeyPair(2, 30);
    tk.AddVariant(10, 0, 100, 20);
    tk.AddVariant(10, 3, 300, 40);
    BVariantBlock& block = *tk.KeyTable().Record(0)->variants;
    block.flags = BVariantBlock::Has_Bounding;
    float const box[6] = {-1, -2, -3, 1, 2, 3};
    std::copy(box, box + 6, block.bounding);
    tk.AddPauseOffset(7);
    tk.AddPauseOffset(9);
}

Bytes dictionary_bytes(int version, int format)
{
    return write_records(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            tk.SetTargetVersion(version);
            tk.SetDictionaryFormat(format);
            fill_table(tk);
            serialize_own(tk.GetOpcodeHandler('D'), writer);
        });
}

TEST(Dictionary, FormatTwoCarriesPausesLengthsOptionsAndBoxes)
{
    Golden expected;
    expected.u8('D').u8(2).u8(2).u8(0).i32(7).i32(9).i32(2).i32(0).u8(0x09);
    for (int v : {100, 20, 300, 40})
        expected.i32(v);
    expected.u8(1).floats({-1.f, -2.f, -3.f, 1.f, 2.f, 3.f});
    expected.i32(2).u8(0).u8(0);
    expected.i32(0); // its own offset: the first bytes of this stream
    EXPECT_EQ(dictionary_bytes(1000, 2), expected.bytes);
}

TEST(Dictionary, FormatOneEndsWithTheFirstPause)
{
    Golden expected;
    expected.u8('D').u8(1).i32(2).i32(0).u8(0x09);
    for (int v : {100, 20, 300, 40})
        expected.i32(v);
    expected.u8(1).floats({-1.f, -2.f, -3.f, 1.f, 2.f, 3.f});
    expected.i32(2).u8(0).u8(0);
    expected.i32(7).i32(0);
    EXPECT_EQ(dictionary_bytes(1000, 1), expected.bytes);
}

TEST(Dictionary, OldTargetsGetFormatZero)
{
    Golden expected;
    expected.u8('D').u8(0).i32(2).i32(0).u8(0x09).i32(100).i32(300).i32(2).u8(0).i32(0);
    EXPECT_EQ(dictionary_bytes(700, 2), expected.bytes);
}

TEST(Dictionary, AStreamWithoutPausesWritesACountOfZero)
{
    Bytes const bytes = write_records([](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                                      { serialize_own(tk.GetOpcodeHandler('D'), writer); });
    EXPECT_EQ(bytes, Golden().u8('D').u8(2).u8(0).u8(0).i32(0).i32(0).bytes);
}

TEST(Dictionary, ResumesInsideEntriesWhereverTheBufferEnds)
{
    for (int format : {0, 1, 2})
        EXPECT_TRUE(writes_alike_in_every_buffer(
            [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
            {
                tk.SetDictionaryFormat(format);
                fill_table(tk);
                for (int i = 3; i < 9; ++i)
                {
                    tk.AddIndexKeyPair(i, 100 + i);
                    tk.AddVariant(100 + i, i % 8, i * 1000, i);
                }
                serialize_own(tk.GetOpcodeHandler('D'), writer);
            }));
}

// A stream with keyed segments whose variants were recorded explicitly, and a
// dictionary before the terminator.
Bytes stream_with_dictionary(int format)
{
    return write_stream(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            for (TK_Key key = 1; key <= 3; ++key)
            {
                int const offset = static_cast<int>(tk.TotalBytes());
                serialize_with<TK_Open_Segment>(
                    tk, writer, '(', [](TK_Open_Segment& h) { h.SetSegment("part"); }, key);
                serialize_own(tk.GetOpcodeHandler(')'), writer);
                EXPECT_EQ(tk.AddVariant(key, 0, offset, 7), TK_Done);
            }
            serialize_own(tk.GetOpcodeHandler(TK_Terminator::Pause), writer);
            serialize_own(tk.GetOpcodeHandler('D'), writer);
        },
        [&](BStreamFileToolkit& tk)
        {
            tk.SetWriteFlags(TK_Option_Dictionary);
            tk.SetDictionaryFormat(format);
        });
}

TEST(Dictionary, ReadsBackIntoTheIndicesTheTagsGave)
{
    for (int format : {0, 1, 2})
    {
        Bytes const bytes = stream_with_dictionary(format);
        BStreamFileToolkit tk;
        int dictionary_offset = -1;
        Read_Result const result = read_stream(
            bytes, 1,
            [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
            {
                if (auto* d = dynamic_cast<TK_Dictionary*>(&h))
                    dictionary_offset = d->GetOffset();
            },
            {}, &tk);
        ASSERT_EQ(result.status, TK_Ended) << result.error;
        EXPECT_EQ(result.next_tag, 3);
        // The stream ends with the dictionary's offset and the terminator.
        std::size_t const n = bytes.size();
        int const recorded =
            bytes[n - 5] | bytes[n - 4] << 8 | bytes[n - 3] << 16 | bytes[n - 2] << 24;
        EXPECT_EQ(dictionary_offset, recorded);
        ASSERT_LT(static_cast<std::size_t>(recorded), n);
        EXPECT_EQ(bytes[static_cast<std::size_t>(recorded)], 'D');
        for (int index = 0; index < 3; ++index)
        {
            BIndexRecord const* record = tk.KeyTable().Record(index);
            ASSERT_NE(record, nullptr);
            ASSERT_NE(record->variants, nullptr) << "format " << format;
            EXPECT_EQ(record->variants->offset[0], 20 + index * 8);
            EXPECT_EQ(record->variants->length[0], format == 0 ? 0 : 7);
        }
        EXPECT_EQ(tk.PauseOffsets().size(), format == 0 ? 0u : 1u);

        // From the end of the stream to the dictionary, and from a key to its object.
        Trickle_Input input(bytes, 4096);
        tk.AttachStream(&input);
        ASSERT_EQ(tk.LocateDictionary(), TK_Done);
        char opcode = 0;
        int amount = 0;
        ASSERT_EQ(tk.ReadBuffer(&opcode, 1, amount), TK_Done);
        EXPECT_EQ(opcode, 'D');
        tk.DetachStream();
    }
}

TEST(Dictionary, LocatingAnObjectByItsKey)
{
    BStreamFileToolkit tk;
    tk.SetWriteFlags(TK_Option_Dictionary);
    Memory_Output output;
    W3DStreamWriter writer(output, tk);
    writer.open();
    TK_Header header;
    serialize_own(header, writer);
    int const offset = static_cast<int>(tk.TotalBytes());
    serialize_with<TK_Open_Segment>(
        tk, writer, '(', [](TK_Open_Segment& h) { h.SetSegment("x"); }, 42);
    tk.AddVariant(42, 0, offset, -1);
    serialize_own(tk.GetOpcodeHandler(0), writer);
    writer.close();

    Trickle_Input input(output.bytes, 4096);
    tk.AttachStream(&input);
    EXPECT_EQ(tk.LocateEntity(42, 0), TK_Done);
    char opcode = 0;
    int amount = 0;
    ASSERT_EQ(tk.ReadBuffer(&opcode, 1, amount), TK_Done);
    EXPECT_EQ(opcode, '(');
    EXPECT_EQ(tk.LocateEntity(42, 1), TK_Not_Found); // offset 0: not recorded
    EXPECT_EQ(tk.LocateEntity(43, 0), TK_Not_Found);
    tk.DetachStream();
}

Bytes with_header(const Bytes& body)
{
    Bytes bytes = bytes_of(";; HSF V10.00 \n");
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

TEST(Dictionary, BadRecordsAreRefused)
{
    Bytes format = with_header({'D', 3});
    EXPECT_EQ(read_stream(format).status, TK_Error);

    Bytes unknown = with_header(Golden().u8('D').u8(0).i32(1).i32(0)); // index 0 was never tagged
    EXPECT_EQ(read_stream(unknown).status, TK_Error);

    Bytes tagged = with_header(Golden().u8('q').u8('D').u8(0).i32(1).i32(-1)); // a negative index
    EXPECT_EQ(read_stream(tagged).status, TK_Error);

    Bytes too_many = with_header(Golden().u8('q').u8('D').u8(0).i32(2)); // two entries, one index
    Read_Result const result = read_stream(too_many);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "bad Dictionary entry count");
}

TEST(Dictionary, DamagedStreamsFailCleanly)
{
    read_damaged_streams(stream_with_dictionary(2), 3, 400);
}

} // namespace
