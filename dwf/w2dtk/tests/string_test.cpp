// WT_String: its two encodings, comparison, and its stream forms.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/string.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <string>

using namespace w2d_test;

namespace
{
std::string written(const WT_String& s, bool binary, bool force_quotes = false)
{
    Memory_Stream stream;
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    EXPECT_EQ(file.open(), WT_Result_Success);
    file.set_allow_binary_data(binary);
    stream.output.clear();
    EXPECT_EQ(s.serialize(file, force_quotes), WT_Result_Success);
    return stream.written();
}

// Reads one string from bytes delivered one per call.
WT_Result read_back(const std::string& input, WT_String& s)
{
    Memory_Stream stream(input);
    WT_File file;
    open_for_reading(file, stream, 1, 1);
    EXPECT_EQ(file.open(), WT_Result_Success);
    for (int i = 0; i < 1000000; ++i)
    {
        WT_Result r = s.materialize(file);
        if (r != WT_Result_Waiting_For_Data)
            return r;
    }
    return Stalled;
}
// A fresh string each time: a read stopped by the end of input keeps its stage.
WT_Result read_back_fresh(const std::string& input, WT_String&& s = WT_String())
{
    return read_back(input, s);
}
} // namespace

TEST(WT_String_Text, Encodings)
{
    WT_String ascii(u"Arial");
    EXPECT_TRUE(ascii.is_ascii());
    EXPECT_STREQ(ascii.ascii(), "Arial");
    EXPECT_EQ(std::u16string(ascii.unicode()), u"Arial");

    WT_String wide(u"caf\u00E9");
    EXPECT_FALSE(wide.is_ascii());
    EXPECT_EQ(wide.length(), 4u);
    EXPECT_EQ(std::u16string(wide.unicode()), u"caf\u00E9");

    // Host text is UTF-32; characters beyond the first plane become pairs.
    WT_String emoji(L"a\U0001F600");
    EXPECT_EQ(std::u16string(emoji.unicode()), u"a\U0001F600");
    EXPECT_EQ(emoji.length(), 3u);

    EXPECT_THROW(WT_String().set(2, "\xC3\xA9"), WT_Result);
    WT_String from_stream;
    from_stream.set_from_stream_bytes(4, "caf\xE9");
    EXPECT_EQ(std::u16string(from_stream.unicode()), u"caf\u00E9");
}

TEST(WT_String_Text, UTF8)
{
    WT_String s = WT_String::from_utf8("a\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(std::u16string(s.unicode()), u"a\u00E9\U0001F600");
    EXPECT_EQ(s.utf8(), "a\xC3\xA9\xF0\x9F\x98\x80");
    // Truncated, overlong and surrogate sequences become U+FFFD, never an over-read.
    EXPECT_EQ(std::u16string(WT_String::from_utf8("x\xE2\x82").unicode()), u"x\uFFFD");
    EXPECT_EQ(std::u16string(WT_String::from_utf8("\xC0\xAF").unicode()), u"\uFFFD");
    EXPECT_EQ(std::u16string(WT_String::from_utf8("\xED\xA0\x80").unicode()), u"\uFFFD");
    char16_t const lone[] = {0xD800, u'a', 0};
    EXPECT_EQ(WT_String(lone).utf8(), "\xEF\xBF\xBD"
                                      "a");
}

TEST(WT_String_Text, Comparison)
{
    EXPECT_FALSE(WT_String("ABC").equals(WT_String("abc"), true));
    EXPECT_TRUE(WT_String("ABC").equals(WT_String("abc"), false));
    EXPECT_TRUE(WT_String("ABC").equals_no_case("abC"));
    EXPECT_FALSE(WT_String("ABC").equals(WT_String("ABCD"), false));
    // Only ASCII letters fold; other units compare as they are.
    EXPECT_TRUE(WT_String(u"\u00C9A").equals(WT_String(u"\u00C9a"), false));
    EXPECT_FALSE(WT_String(u"\u00C9").equals(WT_String(u"\u00E9"), false));
    // An ASCII and a 16-bit string are never equal.
    WT_String a(u"e");
    WT_String b(u"\u00E9");
    EXPECT_FALSE(a == b);
    EXPECT_TRUE(WT_String() == WT_String(""));
}

TEST(WT_String_Stream, Written_Forms)
{
    EXPECT_EQ(written(WT_String("Arial"), false), "Arial");
    EXPECT_EQ(written(WT_String("Times New Roman"), false), "'Times New Roman'");
    EXPECT_EQ(written(WT_String("it's"), false), "'it\\'s'");
    EXPECT_EQ(written(WT_String("Arial"), true, true), "'Arial'");
    EXPECT_EQ(written(WT_String(), false), "''");
    EXPECT_EQ(written(WT_String(""), true), "''");
    EXPECT_EQ(written(WT_String(u"\u00E9"), false), "\"00E9\"");
    EXPECT_EQ(written(WT_String(u"\u00E9"), true), std::string("{\x01\x00\x00\x00\xE9\x00}", 8));
}

TEST(WT_String_Stream, Round_Trips_One_Byte_At_A_Time)
{
    const WT_String samples[] = {WT_String("Arial"),
                                 WT_String("Times New Roman"),
                                 WT_String("a'b\\c(d)"),
                                 WT_String("tab\tand\r\nlines"),
                                 WT_String(u"\u00E9t\u00E9 \U0001F600"),
                                 WT_String("")};
    for (bool binary : {false, true})
        for (const WT_String& sample : samples)
        {
            WT_String back;
            ASSERT_EQ(read_back(written(sample, binary) + " ", back), WT_Result_Success)
                << sample.ascii();
            EXPECT_TRUE(back == sample) << sample.ascii() << " binary " << binary;
        }
}

TEST(WT_String_Stream, Reads_Latin1_Bytes_Without_Throwing)
{
    WT_String s;
    EXPECT_EQ(read_back("'na\xEFve' ", s), WT_Result_Success);
    EXPECT_EQ(std::u16string(s.unicode()), u"na\u00EFve");
}

TEST(WT_String_Stream, Malformed_Input)
{
    EXPECT_EQ(read_back_fresh("\"00E\" "), WT_Result_Corrupt_Stream);  // not whole groups
    EXPECT_EQ(read_back_fresh("\"00G9\" "), WT_Result_Corrupt_Stream); // not a hex digit
    EXPECT_EQ(read_back_fresh(std::string("{\x01\x00\x00\x00\x41\x00)", 8)),
              WT_Result_Corrupt_Stream); // no closing brace
    // A length of four billion units announced by five bytes: refused before
    // anything is allocated.
    EXPECT_EQ(read_back_fresh(std::string("{\xFF\xFF\xFF\xFF\x41\x00}", 8)),
              WT_Result_Corrupt_Stream);
    // Plausible length, but the stream ends long before.
    EXPECT_EQ(read_back_fresh(std::string("{\x00\x00\x10\x00\x41\x00", 7)), WT_Result_End_Of_Input);
    EXPECT_EQ(read_back_fresh(std::string(70000, 'x')), WT_Result_Corrupt_Stream); // token too long
}

TEST(WT_String_Stream, Strings_The_Reader_Would_Refuse_Are_Not_Written)
{
    // Each form at its limit reads back; one unit more is refused before a
    // byte is written.
    struct Form
    {
        bool binary;
        std::u16string unit;
        std::size_t limit;
    };
    const Form forms[] = {
        {false, u"W", WT_String::Max_ASCII_Token},
        {true, u"W", WT_String::Max_ASCII_Token},
        {false, u"\u00E9", WT_String::Max_ASCII_Token / 4},
    };
    for (const Form& form : forms)
    {
        SCOPED_TRACE(form.limit);
        Memory_Stream stream;
        WT_File file;
        stream.install(file);
        file.set_file_mode(WT_File::File_Write);
        ASSERT_EQ(file.open(), WT_Result_Success);
        file.set_allow_binary_data(form.binary);
        std::u16string text;
        for (std::size_t i = 0; i < form.limit + 1; ++i)
            text += form.unit;
        const WT_String longest(form.limit, text.data());
        const WT_String too_long(form.limit + 1, text.data());
        EXPECT_EQ(too_long.writable_length(file), form.limit);

        stream.output.clear();
        EXPECT_EQ(too_long.serialize(file, true), WT_Result_Usage_Error);
        EXPECT_TRUE(stream.output.empty());
        ASSERT_EQ(longest.serialize(file, true), WT_Result_Success);
        WT_String back;
        EXPECT_EQ(read_back_fresh(stream.written() + " ", std::move(back)), WT_Result_Success);
    }
}
