// User options, indices, values and data, XML, references, URLs and callbacks.
#include "record_bytes.h"

#include "dwf/w3dtk/records/references.h"
#include "dwf/w3dtk/records/user_data.h"
#include "dwf/w3dtk/records/user_options.h"

#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

namespace
{
using namespace w3d_test;

Emit options(const std::string& text)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_User_Options>(
            tk, w, 'U', [&](TK_User_Options& h) { h.SetOptions(text.data(), int(text.size())); });
    };
}

TEST(UserData, UserOptionsTakeTheShortOrTheLongLength)
{
    EXPECT_EQ(write_records(options("node")), (Bytes{'U', 4, 0, 'n', 'o', 'd', 'e'}));
    EXPECT_EQ(write_records(options("node,edges")),
              Golden().u8('U').u16(10).text("node,edges").bytes);
    EXPECT_TRUE(write_records(options("")).empty());
    for (std::size_t const length : {65534u, 65535u, 70000u})
    {
        std::string const text(length, 'o');
        Golden expected;
        expected.u8('U');
        if (length < 65535)
            expected.u16(unsigned(length));
        else
            expected.u16(0xFFFF).i32(std::int64_t(length));
        EXPECT_EQ(write_records(options(text)), expected.text(text).bytes) << length;
        EXPECT_EQ(read_back<TK_User_Options>(
                      options(text),
                      [&](TK_User_Options& h, BStreamFileToolkit&)
                      { EXPECT_EQ(h.GetOptions(), text); },
                      {}, 4096),
                  1);
    }
    EXPECT_EQ(read_back<TK_User_Options>(options("node,edges"),
                                         [](TK_User_Options& h, BStreamFileToolkit&)
                                         { EXPECT_EQ(h.GetOptions(), "node,edges"); }),
              1);
}

TEST(UserData, AttachedHandlersAreWrittenAfterTheOptionsAndForgottenOnReset)
{
    BStreamFileToolkit tk;
    Memory_Output out;
    W3DStreamWriter w(out, tk);
    w.open();
    auto& value = dynamic_cast<TK_User_Value&>(tk.GetOpcodeHandler('v'));
    auto& user = dynamic_cast<TK_User_Options&>(tk.GetOpcodeHandler('U'));
    user.SetObserver(&w);
    value.SetValue(9);
    user.SetOptions("a");
    user.SetAttachedHandlers(&value, nullptr);
    user.serialize();
    // Without a text only the attached records are written.
    value.SetValue(10);
    user.SetAttachedHandlers(nullptr, &value);
    user.serialize();
    user.serialize(); // nothing attached any more, nothing to write
    w.close();
    EXPECT_EQ(out.bytes, Golden().u8('U').u16(1).text("a").u8('v').i32(9).u8('v').i32(10).bytes);
    EXPECT_EQ(value.Stage(), 0);
}

TEST(UserData, UnicodeOptionsCountUnitsAndNeedVersion905)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Unicode_Options>(
            tk, w, 0x16, [](TK_Unicode_Options& h) { h.SetOptions(u"n\u00E9\u4E2D"); });
    };
    EXPECT_EQ(write_records(emit), Golden().u8(0x16).u16(3).u16('n').u16(0xE9).u16(0x4E2D).bytes);
    EXPECT_TRUE(write_records(emit, W3DStreamWriter::Buffer_Size, target_version(904)).empty());
    EXPECT_EQ(read_back<TK_Unicode_Options>(emit, [](TK_Unicode_Options& h, BStreamFileToolkit&)
                                            { EXPECT_EQ(h.GetOptions(), u"n\u00E9\u4E2D"); }),
              1);
    std::u16string const long_text(65535, u'\u00FC');
    Emit const long_emit = [&](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Unicode_Options>(tk, w, 0x16,
                                           [&](TK_Unicode_Options& h) { h.SetOptions(long_text); });
    };
    Bytes const bytes = write_records(long_emit);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 7), (Bytes{0x16, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}));
    EXPECT_EQ(bytes.size(), 7 + 2 * 65535u);
    EXPECT_EQ(read_back<TK_Unicode_Options>(
                  long_emit,
                  [&](TK_Unicode_Options& h, BStreamFileToolkit&)
                  { EXPECT_EQ(h.GetOptions(), long_text); },
                  {}, 4096),
              1);
}

Emit user_index(std::vector<int> indices, std::vector<int> values)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_User_Index>(
            tk, w, 'n',
            [&](TK_User_Index& h)
            { h.SetIndices(int(indices.size()), indices.data(), values.data()); });
    };
}

TEST(UserData, IndicesValuesAndDataArePinned)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        user_index({1, 2}, {-1, 0x01020304})(tk, w);
        serialize_with<TK_User_Value>(tk, w, 'v', [](TK_User_Value& h) { h.SetValue(-2); });
        serialize_with<TK_User_Data>(tk, w, '[',
                                     [](TK_User_Data& h) { h.SetUserData("\x01\x00\xFF", 3); });
        serialize_with<TK_XML>(tk, w, 0x18, [](TK_XML& h) { h.SetXML("<a/>"); });
        serialize_with<TK_Callback>(tk, w, 0x07, [](TK_Callback& h) { h.SetCallback("cb"); });
        serialize_with<TK_Callback>(tk, w, 0x07, [](TK_Callback& h) { h.SetCallback(""); });
    };
    Golden expected;
    expected.u8('n').i32(2).i32(1).i32(2).i32(-1).i32(0x01020304);
    expected.u8('v').i32(-2);
    expected.u8('[').i32(3).u8(1).u8(0).u8(0xFF).u8(']');
    expected.u8(0x18).i32(4).text("<a/>");
    expected.u8(0x07).u16(2).text("cb");
    EXPECT_EQ(write_records(emit), expected.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));

    // User data and XML are not objects of the stream.
    BStreamFileToolkit tk;
    Memory_Output out;
    W3DStreamWriter w(out, tk);
    w.open();
    emit(tk, w);
    EXPECT_EQ(tk.GetObjectCount(), 3);

    EXPECT_EQ(
        read_back<TK_User_Index>(emit,
                                 [](TK_User_Index& h, BStreamFileToolkit&)
                                 {
                                     EXPECT_EQ(h.GetIndices(), (std::vector<int>{1, 2}));
                                     EXPECT_EQ(h.GetValues(), (std::vector<int>{-1, 0x01020304}));
                                 }),
        1);
    EXPECT_EQ(read_back<TK_User_Value>(emit, [](TK_User_Value& h, BStreamFileToolkit&)
                                       { EXPECT_EQ(h.GetValue(), -2); }),
              1);
    EXPECT_EQ(
        read_back<TK_User_Data>(emit, [](TK_User_Data& h, BStreamFileToolkit&)
                                { EXPECT_EQ(h.GetUserData(), std::string("\x01\x00\xFF", 3)); }),
        1);
    EXPECT_EQ(read_back<TK_XML>(emit, [](TK_XML& h, BStreamFileToolkit&)
                                { EXPECT_EQ(h.GetXML(), "<a/>"); }),
              1);
    EXPECT_EQ(read_back<TK_Callback>(emit, [](TK_Callback& h, BStreamFileToolkit&)
                                     { EXPECT_EQ(h.GetCallback(), "cb"); }),
              1);
}

Emit coded(int opcode, const std::string& text)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        serialize_with<TK_Length_Coded_Text>(
            tk, w, opcode, [&](TK_Length_Coded_Text& h) { h.SetString(text.c_str()); });
    };
}

TEST(UserData, ReferencesAndUrlsCodeTheirLength)
{
    for (int opcode : {0x12, 0x15})
        for (std::size_t const length : {0u, 253u, 254u, 65535u, 65536u})
        {
            std::string const text(length, 'u');
            Golden expected;
            expected.u8(unsigned(opcode));
            if (length < 254)
                expected.u8(unsigned(length));
            else if (length <= 65535)
                expected.u8(0xFE).u16(unsigned(length));
            else
                expected.u8(0xFF).i32(std::int64_t(length));
            EXPECT_EQ(write_records(coded(opcode, text)), expected.text(text).bytes);
            EXPECT_EQ(read_back<TK_Length_Coded_Text>(
                          coded(opcode, text),
                          [&](TK_Length_Coded_Text& h, BStreamFileToolkit&)
                          { EXPECT_EQ(h.GetString(), text); },
                          {}, 4096),
                      1);
        }
    EXPECT_TRUE(writes_alike_in_every_buffer(coded(0x15, std::string(300, 'w'))));
}

TEST(UserData, ExternalReferencesReadFromAFileResolveAgainstItsFolder)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        coded(0x12, "/abs/part.w3d")(tk, w);
        coded(0x12, "C:part.w3d")(tk, w);
        coded(0x12, "./sub/part.w3d")(tk, w);
        coded(0x12, "../up.w3d")(tk, w);
        coded(0x15, "http://example.invalid/u")(tk, w); // a URL is only carried
    };
    Bytes const stream = write_stream(emit);
    std::string const dir = ::testing::TempDir() + "w3dtk_refs_" + std::to_string(getpid());
    ASSERT_EQ(system(("mkdir -p '" + dir + "/models'").c_str()), 0);
    std::string const file = dir + "/models/main.w3d";
    {
        std::ofstream out(file, std::ios::binary);
        out.write(reinterpret_cast<const char*>(stream.data()), long(stream.size()));
    }
    BStreamFileToolkit tk;
    ASSERT_EQ(tk.OpenFile(file.c_str()), TK_Done);
    W3DStreamReader reader(tk);
    ASSERT_EQ(reader.read(), TK_Ended) << tk.LastError();
    std::vector<std::pair<std::string, int>> const expected = {{"/abs/part.w3d", -1},
                                                               {"C:part.w3d", -1},
                                                               {dir + "/models/sub/part.w3d", -1},
                                                               {dir + "/up.w3d", -1}};
    EXPECT_EQ(tk.ExternalReferences(), expected);
    tk.CloseFile();
    std::remove(file.c_str());
    ASSERT_EQ(system(("rm -rf '" + dir + "'").c_str()), 0);
}

TEST(UserData, OlderVersionsLeaveOutTheNewerRecords)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
    {
        options("o")(tk, w);
        serialize_with<TK_Unicode_Options>(tk, w, 0x16,
                                           [](TK_Unicode_Options& h) { h.SetOptions(u"o"); });
        serialize_with<TK_XML>(tk, w, 0x18, [](TK_XML& h) { h.SetXML("<x/>"); });
        coded(0x12, "r")(tk, w);
        coded(0x15, "u")(tk, w);
        serialize_with<TK_User_Value>(tk, w, 'v', [](TK_User_Value& h) { h.SetValue(1); });
    };
    auto opcodes_at = [&](int v)
    {
        std::vector<int> opcodes;
        Read_Result const r = read_stream(write_stream(emit, target_version(v)), 1, {}, {});
        EXPECT_EQ(r.status, TK_Ended) << r.error;
        for (int opcode : r.opcodes)
            if (opcode != ';' && opcode != 'I' && opcode != 0)
                opcodes.push_back(opcode);
        return opcodes;
    };
    EXPECT_EQ(opcodes_at(1000), (std::vector<int>{'U', 0x16, 0x18, 0x12, 0x15, 'v'}));
    EXPECT_EQ(opcodes_at(905), (std::vector<int>{'U', 0x16, 0x18, 0x12, 0x15, 'v'}));
    EXPECT_EQ(opcodes_at(805), (std::vector<int>{'U', 0x18, 0x12, 0x15, 'v'}));
    EXPECT_EQ(opcodes_at(705), (std::vector<int>{'U', 0x18, 'v'}));
    EXPECT_EQ(opcodes_at(700), (std::vector<int>{'U', 'v'}));
}

TEST(UserData, BadCountsSizesAndLengthsAreRefused)
{
    struct Case
    {
        Bytes body;
        const char* error;
    };
    for (const Case& c : std::vector<Case>{
             {Golden().u8('n').i32(-1), "bad User Index count"},
             {Golden().u8('n').i32((1 << 24) + 1), "bad User Index count"},
             {Golden().u8('[').i32(-3).text("abc]"), "bad User Data size"},
             {Golden().u8('[').i32(1 << 30), "bad User Data size"},
             {Golden().u8(0x18).i32(-1), "bad XML size"},
             {Golden().u8(0x12).u8(0xFF).i32(-1), "bad reference length"},
             {Golden().u8(0x15).u8(0xFF).i32(0x7FFFFFFF), "bad reference length"},
             {Golden().u8('U').u16(0xFFFF).i32(-5), "bad User Options length"},
             {Golden().u8(0x16).u16(0xFFFF).i32((1 << 24) + 1), "bad Unicode Options length"},
             {Golden().u8(0x07).u16(0x8000).text("x"), "bad Callback length"},
         })
    {
        Read_Result const r = read_body(c.body);
        EXPECT_EQ(r.status, TK_Error) << c.error;
        EXPECT_EQ(r.error, c.error);
    }
    // The largest count passes its check; the stream just ends before the indices.
    Read_Result const largest = read_body(Golden().u8('n').i32(1 << 24).i32(1));
    EXPECT_EQ(largest.status, TK_Error);
    EXPECT_NE(largest.error, "bad User Index count");
    // User data must end with its closing byte.
    EXPECT_EQ(read_body(Golden().u8('[').i32(1).u8(7).u8('}')).status, TK_Error);
    EXPECT_EQ(read_body(Golden().u8('[').i32(1).u8(7).u8(']')).status, TK_Ended);

    // Writers refuse what readers would.
    Buffered_Toolkit out;
    auto& callback = dynamic_cast<TK_Callback&>(out.tk.GetOpcodeHandler(0x07));
    callback.SetCallback(std::string(32768, 'c').c_str());
    EXPECT_EQ(callback.Write(out.tk), TK_Error);
    callback.Reset();
    callback.SetCallback(std::string(32767, 'c').c_str());
    EXPECT_EQ(callback.Write(out.tk), TK_Done);
}

Emit const all_user_data = [](BStreamFileToolkit& tk, W3DStreamWriter& w)
{
    options("node,edges")(tk, w);
    serialize_with<TK_Unicode_Options>(
        tk, w, 0x16, [](TK_Unicode_Options& h) { h.SetOptions(u"\u00E9t\u00E9"); });
    user_index({5, 6, 7}, {8, 9, 10})(tk, w);
    serialize_with<TK_User_Value>(tk, w, 'v', [](TK_User_Value& h) { h.SetValue(3); });
    serialize_with<TK_User_Data>(tk, w, '[', [](TK_User_Data& h) { h.SetUserData("data", 4); });
    serialize_with<TK_XML>(tk, w, 0x18, [](TK_XML& h) { h.SetXML("<x a='1'/>"); });
    coded(0x12, "../other.w3d")(tk, w);
    coded(0x15, std::string(260, 'u'))(tk, w);
    serialize_with<TK_Callback>(tk, w, 0x07, [](TK_Callback& h) { h.SetCallback("on_draw"); });
};

TEST(UserData, DamagedStreamsFailCleanly)
{
    read_damaged_streams(write_stream(all_user_data), 1, 600);
    read_damaged_streams(write_stream(all_user_data, {}, true), 11, 300);
}

TEST(UserData, WritesFailCleanly)
{
    EXPECT_TRUE(write_fails_cleanly(all_user_data, {}, 32));
}

} // namespace
