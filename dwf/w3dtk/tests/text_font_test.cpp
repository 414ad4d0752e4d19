// Texts and embedded fonts.
#include "record_bytes.h"

#include "dwf/w3dtk/records/font.h"
#include "dwf/w3dtk/records/text.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

std::string text_of(int length)
{
    std::string text(static_cast<std::size_t>(length), '\0');
    for (int i = 0; i < length; ++i)
        text[static_cast<std::size_t>(i)] = static_cast<char>('a' + i % 26);
    return text;
}

Emit text(const std::string& bytes, int opcode = 'T', int encoding = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Text>(tk, w, opcode,
                                [&](TK_Text& h)
                                {
                                    h.SetPosition(1.0f, -2.0f, 0.5f);
                                    h.SetEncoding(encoding);
                                    h.SetString(bytes.data(), static_cast<int>(bytes.size()));
                                });
    };
}

Golden text_head(int opcode = 'T')
{
    return Golden().u8(static_cast<unsigned>(opcode)).floats({1.0f, -2.0f, 0.5f});
}

TEST(TextRecords, LengthFormsFollowTheTargetVersion)
{
    struct Case
    {
        int version;
        int length;
        Bytes length_bytes;
        int carried;
    };
    for (const Case& c : std::vector<Case>{
             {1000, 0, {0}, 0},
             {1000, 253, {253}, 253},
             {1000, 254, {0xFE, 254, 0}, 254},
             {1000, 65535, {0xFE, 0xFF, 0xFF}, 65535},
             {1000, 65536, {0xFF, 0, 0, 1, 0}, 65536},
             {1000, 70000, {0xFF, 0x70, 0x11, 1, 0}, 70000},
             {601, 254, {0xFE, 254, 0}, 254},
             {600, 254, {0xFE}, 254},
             {600, 255, {0xFF}, 255},
             {600, 300, {0xFF}, 255}, // cut to what the one byte can say
         })
    {
        std::string const bytes = text_of(c.length);
        Emit const emit = text(bytes);
        Bytes const written =
            write_records(emit, W3DStreamWriter::Buffer_Size, target_version(c.version));
        Bytes const expected = text_head()
                                   .append(c.length_bytes)
                                   .text(bytes.substr(0, static_cast<std::size_t>(c.carried)));
        EXPECT_EQ(written, expected) << c.version << " " << c.length;
        // Read back with the stream's own version, from its header comment.
        EXPECT_EQ(read_back<TK_Text>(
                      emit,
                      [&](TK_Text& h, BStreamFileToolkit&)
                      {
                          ASSERT_EQ(h.GetLength(), c.carried);
                          EXPECT_EQ(std::string(h.GetString(), static_cast<std::size_t>(c.carried)),
                                    bytes.substr(0, static_cast<std::size_t>(c.carried)));
                          EXPECT_EQ(h.GetString()[c.carried], '\0');
                          EXPECT_EQ(h.GetString()[c.carried + 1], '\0');
                          EXPECT_EQ(h.GetPosition()[1], -2.0f);
                      },
                      target_version(c.version), c.length > 1000 ? 4096 : 1),
                  1);
    }
    EXPECT_TRUE(writes_alike_in_every_buffer(text(text_of(300)), target_version(1000)));
    EXPECT_TRUE(writes_alike_in_every_buffer(text(text_of(300)), target_version(600)));
}

TEST(TextRecords, EncodedTextCarriesItsEncodingAndTwoByteTextAnEvenLength)
{
    std::string const seven = "abcdefg";
    EXPECT_EQ(write_records(text(seven, 'x', 5)),
              text_head('x').u8(5).u8(7).text("abcdef").bytes);
    EXPECT_EQ(write_records(text(seven, 'x', 1)), text_head('x').u8(1).u8(7).text(seven).bytes);
    // Without the encoding byte nothing tells a reader to round: a plain text
    // carries all its bytes whatever encoding the handler holds.
    EXPECT_EQ(write_records(text(seven, 'T', 5)), text_head('T').u8(7).text(seven).bytes);

    EXPECT_EQ(read_back<TK_Text>(text(seven, 'x', 5),
                                 [](TK_Text& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_EQ(h.GetEncoding(), 5);
                                     ASSERT_EQ(h.GetLength(), 7);
                                     EXPECT_EQ(std::string(h.GetString(), 7),
                                               std::string("abcdef\0", 7));
                                 }),
              1);
    EXPECT_EQ(read_back<TK_Text>(text(seven, 'T', 5),
                                 [](TK_Text& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_EQ(h.GetEncoding(), 0);
                                     EXPECT_EQ(std::string(h.GetString()), "abcdefg");
                                 }),
              1);
}

TEST(TextRecords, BadLengthsAreRefused)
{
    for (std::int64_t length : {-1LL, (1LL << 24) + 1, 0x80000000LL})
    {
        Read_Result const r = read_body(text_head().u8(0xFF).i32(length).text("abc"));
        EXPECT_EQ(r.status, TK_Error) << length;
        EXPECT_EQ(r.error, "bad Text length");
    }
    // In a stream of version 600 the byte 255 is the length itself.
    Bytes body = text_head().u8(0xFF);
    body.resize(body.size() + 255, 'z');
    EXPECT_EQ(read_body(body, {}, 1, target_version(600)).status, TK_Ended);
    EXPECT_EQ(read_body(body, {}, 1, target_version(1000)).status, TK_Error);
}

TEST(TextRecords, TextsAreTaggedWhenAllRecordsAre)
{
    Buffered_Toolkit out;
    out.tk.SetWriteFlags(TK_Option_Tag_All);
    out.tk.set_last_key(5);
    auto& h = dynamic_cast<TK_Text&>(out.tk.GetOpcodeHandler('T'));
    h.SetString("hi");
    ASSERT_EQ(h.Write(out.tk), TK_Done);
    EXPECT_EQ(out.written().back(), 'q');
    int index = -1;
    EXPECT_EQ(out.tk.KeyToIndex(5, index), TK_Done);
}

// ---- fonts

Emit font(const std::string& name, const std::string& lookup, const std::string& data,
          int encoding = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Font>(tk, w, 'f',
                                [&](TK_Font& h)
                                {
                                    h.SetName(name.c_str());
                                    h.SetLookup(lookup.c_str());
                                    h.SetEncoding(encoding);
                                    h.SetFontData(data.data(), static_cast<int>(data.size()));
                                });
    };
}

TEST(FontRecords, RecordsArePinned)
{
    EXPECT_EQ(write_records(font("Sans", "", "")),
              Golden().u8('f').u8(0).u8(4).text("Sans").u8(0).u8(0).i32(0).bytes);
    std::string const data("\0\1\2\3\xFF", 5);
    Emit const full = font("Serif Bold", "serif-b", data, 3);
    EXPECT_EQ(write_records(full), Golden()
                                       .u8('f')
                                       .u8(0)
                                       .u8(10)
                                       .text("Serif Bold")
                                       .u8(3)
                                       .u8(7)
                                       .text("serif-b")
                                       .i32(5)
                                       .text(data)
                                       .bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(full));
    EXPECT_EQ(read_back<TK_Font>(full,
                                 [&](TK_Font& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_EQ(h.GetName(), "Serif Bold");
                                     EXPECT_EQ(h.GetLookup(), "serif-b");
                                     EXPECT_EQ(h.GetEncoding(), 3);
                                     EXPECT_EQ(h.GetFontData(), data);
                                 }),
              1);
}

TEST(FontRecords, NamesUpTo255BytesPassAndLongerOnesAreRefusedBeforeAnyByte)
{
    std::string const longest(255, 'F');
    EXPECT_EQ(read_back<TK_Font>(font(longest, longest, "x"),
                                 [&](TK_Font& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_EQ(h.GetName(), longest);
                                     EXPECT_EQ(h.GetLookup(), longest);
                                 }),
              1);
    for (bool const in_lookup : {false, true})
    {
        Buffered_Toolkit out;
        auto& h = dynamic_cast<TK_Font&>(out.tk.GetOpcodeHandler('f'));
        std::string const too_long(256, 'G');
        h.SetName(in_lookup ? "ok" : too_long.c_str());
        h.SetLookup(in_lookup ? too_long.c_str() : "");
        EXPECT_EQ(h.Write(out.tk), TK_Error);
        EXPECT_TRUE(out.written().empty());
    }
}

TEST(FontRecords, UnknownTypesAndBadDataLengthsAreRefused)
{
    Read_Result const typed = read_body(Golden().u8('f').u8(1).u8(0).u8(0).u8(0).i32(0));
    EXPECT_EQ(typed.status, TK_Error);
    EXPECT_EQ(typed.error, "Unknown font type");
    Buffered_Toolkit out;
    auto& h = dynamic_cast<TK_Font&>(out.tk.GetOpcodeHandler('f'));
    h.SetType(2);
    EXPECT_EQ(h.Write(out.tk), TK_Error);
    EXPECT_TRUE(out.written().empty());

    for (std::int64_t length : {-1LL, (1LL << 24) + 1})
    {
        Read_Result const r = read_body(Golden().u8('f').u8(0).u8(1).text("a").u8(0).u8(0).i32(length));
        EXPECT_EQ(r.status, TK_Error);
        EXPECT_EQ(r.error, "bad Font data length");
    }
}

Emit const texts_and_fonts = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    text(text_of(20))(tk, w);
    text(text_of(300), 'x', 5)(tk, w);
    font("Mono", "mono", std::string(40, '\x7F'))(tk, w);
};

TEST(TextRecords, DamagedStreamsFailCleanly)
{
    read_damaged_streams(write_stream(texts_and_fonts), 1, 500);
    read_damaged_streams(write_stream(texts_and_fonts, target_version(600)), 9, 300);
    read_damaged_streams(write_stream(texts_and_fonts, {}, true), 4, 300);
}

TEST(TextRecords, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(texts_and_fonts, {}, 64));
}

} // namespace
