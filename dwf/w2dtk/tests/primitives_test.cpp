// The number, string, point and colour encodings of the stream, written and
// read, including reads that stop for want of input and resume.
#include "dwf/w2dtk/file.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <string>

using namespace w2d_test;

namespace
{
// A file opened for writing whose output starts after the header.
struct Writer
{
    Memory_Stream stream;
    WT_File file;

    explicit Writer(bool binary = false)
    {
        stream.install(file);
        file.set_file_mode(WT_File::File_Write);
        EXPECT_EQ(file.open(), WT_Result_Success);
        file.set_allow_binary_data(binary);
        stream.output.clear();
    }
    std::string text() const { return stream.written(); }
};

// A file reading the given bytes, lo..hi bytes per read call.
struct Reader
{
    Memory_Stream stream;
    WT_File file;

    explicit Reader(const std::string& input, std::size_t lo = 1, std::size_t hi = 64)
        : stream(input)
    {
        open_for_reading(file, stream, lo, hi);
        EXPECT_EQ(file.open(), WT_Result_Success);
    }
    // Runs a resumable read until it stops waiting.
    template <class F> WT_Result until_done(F read)
    {
        for (int i = 0; i < 100000; ++i)
        {
            WT_Result r = read();
            if (r != WT_Result_Waiting_For_Data)
                return r;
        }
        return Stalled;
    }
};

std::string bytes(std::initializer_list<int> values)
{
    std::string s;
    for (int v : values)
        s.push_back(char(v));
    return s;
}
} // namespace

TEST(Write_Primitives, Count_Form_Covers_1_To_65791_Only)
{
    Writer w(true);
    EXPECT_EQ(w.file.write_count(255), WT_Result_Success);
    EXPECT_EQ(w.file.write_count(256), WT_Result_Success);
    EXPECT_EQ(w.file.write_count(65791), WT_Result_Success);
    EXPECT_EQ(w.text(), bytes({255, 0, 0, 0, 0, 0xFF, 0xFF}));
    // 0 would announce the long form; 65,792 would wrap.
    EXPECT_EQ(w.file.write_count(0), WT_Result_Usage_Error);
    EXPECT_EQ(w.file.write_count(65792), WT_Result_Usage_Error);
    EXPECT_EQ(w.file.write_count(-1), WT_Result_Usage_Error);
    EXPECT_EQ(w.text().size(), 7u);
}

TEST(Write_Primitives, Binary_Numbers_Are_Little_Endian)
{
    Writer w(true);
    EXPECT_EQ(w.file.write_u16(0x1234), WT_Result_Success);
    EXPECT_EQ(w.file.write_s32(-2), WT_Result_Success);
    EXPECT_EQ(w.file.write_double(1.0), WT_Result_Success);
    std::int16_t const shorts[2] = {1, -1};
    EXPECT_EQ(w.file.write(2, shorts), WT_Result_Success);
    EXPECT_EQ(w.text(), bytes({0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1,
                               0, 0xFF, 0xFF}));
}

TEST(Write_Primitives, ASCII_Number_Formats)
{
    Writer w;
    w.file.write_ascii(std::uint32_t(4000000000u));
    w.file.write(" ");
    w.file.write_ascii(std::int32_t(-12));
    w.file.write(" ");
    w.file.write_padded_ascii(std::int32_t(-42));
    w.file.write(" ");
    w.file.write_padded_ascii(std::uint32_t(42));
    w.file.write(" ");
    w.file.write_ascii_width6(std::int16_t(-7));
    w.file.write(" ");
    w.file.write_ascii(0.1 + 0.2); // eleven significant digits
    w.file.write(" ");
    w.file.write_padded_ascii(2.5);
    w.file.write(" ");
    w.file.write_ascii(WT_Logical_Point(-3, 4));
    w.file.write(" ");
    WT_Logical_Point const points[2] = {{1, 2}, {-3, 4}};
    w.file.write_ascii(2, points, true);
    EXPECT_EQ(w.text(), "4000000000 -12 -0000000042 00000000042     -7 0.3 000000002.5 "
                        "-3,4 00000000001,00000000002 -0000000003,00000000004");
}

namespace
{
// Switches LC_NUMERIC to a locale whose decimal separator is a comma, building
// one with localedef in a private folder when none is installed.
class Comma_Locale
{
public:
    Comma_Locale() : m_saved(std::setlocale(LC_NUMERIC, nullptr))
    {
        for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "de_DE.utf8"})
            if (std::setlocale(LC_NUMERIC, name))
            {
                activate();
                return;
            }
        char folder[] = "/tmp/w2dtk-locale-XXXXXX";
        if (!mkdtemp(folder))
            return;
        m_folder = folder;
        std::string const command =
            "localedef -i de_DE -f UTF-8 '" + m_folder + "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return;
        const char* old = std::getenv("LOCPATH");
        m_had_locpath = old != nullptr;
        if (old)
            m_old_locpath = old;
        setenv("LOCPATH", m_folder.c_str(), 1);
        if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            activate();
    }
    ~Comma_Locale()
    {
        std::setlocale(LC_NUMERIC, m_saved.c_str());
        if (!m_folder.empty())
        {
            if (m_had_locpath)
                setenv("LOCPATH", m_old_locpath.c_str(), 1);
            else
                unsetenv("LOCPATH");
            std::error_code ignored;
            std::filesystem::remove_all(m_folder, ignored);
        }
    }
    bool active() const { return m_active; }

private:
    void activate()
    {
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 0.5);
        m_active = std::strchr(text, ',') != nullptr;
    }
    std::string m_saved;
    std::string m_folder;
    std::string m_old_locpath;
    bool m_had_locpath = false;
    bool m_active = false;
};
} // namespace

TEST(Write_Primitives, Numbers_Ignore_A_Decimal_Comma_Locale)
{
    Comma_Locale comma;
    if (!comma.active())
        GTEST_SKIP() << "no locale with a decimal comma could be installed (localedef missing)";
    Writer w;
    w.file.write_ascii(0.5);
    w.file.write(" ");
    w.file.write_padded_ascii(0.5);
    EXPECT_EQ(w.text(), "0.5 000000000.5");

    Reader r("0.25 1,5 ");
    double a = 0, b = 0;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(a); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(b); }), WT_Result_Success);
    EXPECT_EQ(a, 0.25);
    EXPECT_EQ(b, 1.5);
}

TEST(Write_Primitives, Hex_Colours_And_Layout)
{
    Writer w;
    std::uint8_t data[31];
    for (int i = 0; i < 31; ++i)
        data[i] = std::uint8_t(i * 9);
    w.file.increase_tab_level();
    EXPECT_EQ(w.file.write_hex(31, data), WT_Result_Success);
    w.file.write_ascii_rgba(WT_RGBA32(1, 2, 3, 4));
    w.file.write_continuation_line();
    std::string expected = "\r\n \t";
    for (int i = 0; i < 30; ++i)
    {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02X", unsigned(std::uint8_t(i * 9)));
        expected += hex;
    }
    expected += "\r\n \t0E1,2,3,4\r\n    ";
    EXPECT_EQ(w.text(), expected);

    Writer b(true);
    b.file.write_rgba(WT_RGBA32(1, 2, 3, 4));
    b.file.write_tab_level(); // nothing in binary
    EXPECT_EQ(b.text(), bytes({1, 2, 3, 4}));
}

TEST(Write_Primitives, Eight_Bit_Strings_Bare_Or_Quoted)
{
    Writer w;
    w.file.write_quoted_string("abc");
    w.file.write("|");
    w.file.write_quoted_string("a b");
    w.file.write("|");
    w.file.write_quoted_string("");
    w.file.write("|");
    w.file.write_quoted_string(nullptr);
    w.file.write("|");
    w.file.write_quoted_string("it's\\");
    w.file.write("|");
    w.file.write_quoted_string("abc", true);
    w.file.write("|");
    // Bytes the reader ends bare words at must be quoted too.
    w.file.write_quoted_string("tab\there");
    w.file.write("|");
    w.file.write_quoted_string("\"x");
    EXPECT_EQ(w.text(), "abc|'a b'|''|''|'it\\'s\\\\'|'abc'|'tab\there'|'\"x'");
}

TEST(Write_Primitives, Sixteen_Bit_Strings)
{
    std::u16string const text = u"\u00E9A";
    Writer a;
    a.file.write_wide_string(text.size(), text.data());
    EXPECT_EQ(a.text(), "\"00E90041\"");
    Writer b(true);
    b.file.write_wide_string(text.size(), text.data());
    EXPECT_EQ(b.text(), "{" + bytes({2, 0, 0, 0, 0xE9, 0, 'A', 0}) + "}");
}

TEST(Write_Primitives, First_Write_Failure_Is_Returned)
{
    Writer w;
    w.stream.fail_writes_after = w.stream.output.size() + 3;
    EXPECT_EQ(w.file.write_ascii(std::int32_t(12)), WT_Result_Success);
    EXPECT_EQ(w.file.write_ascii(std::int32_t(345)), WT_Result_Write_Failed);
    EXPECT_EQ(w.text(), "12");
}

TEST(Read_Primitives, Binary_Values_And_Counts)
{
    Reader r(bytes({0x34, 0x12, 0xFE, 0xFF, 0xFF, 0xFF, 7, 0, 0, 1, 1, 2, 3, 4}), 1, 1);
    std::uint16_t u16 = 0;
    std::int32_t s32 = 0;
    long a = 0, b = 0;
    WT_RGBA32 color;
    EXPECT_EQ(r.until_done([&] { return r.file.read_u16(u16); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_s32(s32); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_count(a); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_count(b); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_rgba(color); }), WT_Result_Success);
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(s32, -2);
    EXPECT_EQ(a, 7);
    EXPECT_EQ(b, 256 + 256);
    EXPECT_EQ(color, WT_RGBA32(1, 2, 3, 4));
    std::uint8_t more = 0;
    EXPECT_EQ(r.file.read_byte(more), WT_Result_End_Of_Input);
}

TEST(Read_Primitives, Old_Streams_Store_Blue_First)
{
    Reader r(bytes({1, 2, 3, 4}));
    r.file.rendition().set_stream_version(0, 32);
    WT_RGBA32 color;
    EXPECT_EQ(r.until_done([&] { return r.file.read_rgba(color); }), WT_Result_Success);
    EXPECT_EQ(color, WT_RGBA32(3, 2, 1, 4));
}

TEST(Read_Primitives, Integers)
{
    Reader r(" -12 +7 \t- 3 4294967295 65535 -32768 2147483647 -2147483648 x");
    std::int32_t a = 0, b = 0, c = 0, g = 0, h = 0;
    std::uint32_t d = 0;
    std::uint16_t e = 0;
    std::int16_t f = 0;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(a); }), WT_Result_Success);
    std::uint8_t blank = 0;
    ASSERT_EQ(r.until_done([&] { return r.file.read_byte(blank); }), WT_Result_Success);
    EXPECT_EQ(blank, ' '); // the terminating byte is left for the next reader
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(b); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(c); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(d); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(e); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(f); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(g); }), WT_Result_Success);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(h); }), WT_Result_Success);
    EXPECT_EQ(a, -12);
    EXPECT_EQ(b, 7);
    EXPECT_EQ(c, -3);
    EXPECT_EQ(d, 4294967295u);
    EXPECT_EQ(e, 65535);
    EXPECT_EQ(f, -32768);
    EXPECT_EQ(g, 2147483647);
    EXPECT_EQ(h, -2147483647 - 1);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(a); }), WT_Result_Corrupt_Stream);
}

TEST(Read_Primitives, Integers_Out_Of_Range_Are_Corrupt)
{
    struct Case
    {
        const char* text;
        int kind; // 0 int32, 1 uint32, 2 uint16, 3 int16
    };
    const Case cases[] = {
        {"2147483648 ", 0}, {"-2147483649 ", 0}, {"4294967296 ", 1},
        {"-1 ", 1},         {"65536 ", 2},       {"-1 ", 2},
        {"32768 ", 3},      {"-32769 ", 3},      {"99999999999999999999999999999999 ", 0},
    };
    for (const Case& c : cases)
    {
        Reader r(c.text);
        WT_Result result = r.until_done(
            [&]
            {
                std::int32_t i32;
                std::uint32_t u32;
                std::uint16_t u16;
                std::int16_t i16;
                switch (c.kind)
                {
                case 0:
                    return r.file.read_ascii(i32);
                case 1:
                    return r.file.read_ascii(u32);
                case 2:
                    return r.file.read_ascii(u16);
                default:
                    return r.file.read_ascii(i16);
                }
            });
        EXPECT_EQ(result, WT_Result_Corrupt_Stream) << c.text;
    }
}

TEST(Read_Primitives, Integer_Resumes_Across_Deliveries)
{
    Reader r("1234 ", 1, 1);
    r.stream.arrived = 2; // only "12" so far
    std::int32_t value = 0;
    for (int i = 0; i < 10; ++i)
        ASSERT_EQ(r.file.read_ascii(value), WT_Result_Waiting_For_Data);
    r.stream.arrived = SIZE_MAX;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(value); }), WT_Result_Success);
    EXPECT_EQ(value, 1234);
}

TEST(Read_Primitives, Read_Is_All_Or_Nothing)
{
    Reader r("0123456789", 64, 64);
    r.stream.arrived = 6;
    char buffer[10] = {};
    EXPECT_EQ(r.file.read(10, buffer), WT_Result_Waiting_For_Data);
    EXPECT_EQ(r.file.logical_position(), 0u);
    r.stream.arrived = 10;
    EXPECT_EQ(r.file.read(10, buffer), WT_Result_Success);
    EXPECT_EQ(std::string(buffer, 10), "0123456789");
    EXPECT_EQ(r.file.logical_position(), 10u);
}

TEST(Read_Primitives, Skip_Passes_Over_Bytes_Lazily)
{
    Reader r("abcdefgh", 1, 3);
    r.file.skip(5);
    char c = 0;
    EXPECT_EQ(r.until_done([&] { return r.file.read(1, &c); }), WT_Result_Success);
    EXPECT_EQ(c, 'f');
    r.file.skip(1000000000); // far past the end: runs out of input, allocates nothing
    EXPECT_EQ(r.until_done([&] { return r.file.read(1, &c); }), WT_Result_End_Of_Input);
}

TEST(Read_Primitives, Doubles)
{
    Reader r(".5 1e3 -2,25 +1.5E-2 3. 0.30000000000 - 7 x 1e 1e999 ", 1, 2);
    double v[7] = {};
    for (double& d : v)
        EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(d); }), WT_Result_Success);
    EXPECT_DOUBLE_EQ(v[0], 0.5);
    EXPECT_DOUBLE_EQ(v[1], 1000);
    EXPECT_DOUBLE_EQ(v[2], -2.25);
    EXPECT_DOUBLE_EQ(v[3], 0.015);
    EXPECT_DOUBLE_EQ(v[4], 3);
    EXPECT_EQ(v[5], 0.3); // the text of 0.1 + 0.2 written with 11 digits
    EXPECT_DOUBLE_EQ(v[6], -7);
    double d = 0;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(d); }), WT_Result_Corrupt_Stream); // x
    std::uint8_t skip;
    r.file.read_byte(skip);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(d); }), WT_Result_Corrupt_Stream); // 1e
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(d); }),
              WT_Result_Corrupt_Stream); // 1e999
}

TEST(Read_Primitives, Points_Boxes_And_Colours)
{
    Reader r("-1,2 3,4 5,6 1,2,3,4 7 300 1,2,3 1, 2,3,256", 1, 1);
    WT_Logical_Point p;
    WT_Logical_Box box;
    WT_RGBA32 c1, c2, bad;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(p); }), WT_Result_Success);
    EXPECT_EQ(p, WT_Logical_Point(-1, 2));
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(box); }), WT_Result_Success);
    EXPECT_EQ(box, WT_Logical_Box({3, 4}, {5, 6}));
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(c1); }), WT_Result_Success);
    EXPECT_EQ(c1, WT_RGBA32(1, 2, 3, 4));
    // A single integer indexes the current map.
    r.file.rendition().clear_changed(WT_Attribute_Set::Color_Map_Bit);
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(c2); }), WT_Result_Success);
    EXPECT_EQ(c2, r.file.rendition().color_map().map(7));
    EXPECT_TRUE(r.file.rendition().changed() & WT_Attribute_Set::Color_Map_Bit);
    // Index 300 against 256 entries.
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(bad); }), WT_Result_Corrupt_Stream);
    // Three components then a blank: the fourth comma is missing.
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(bad); }), WT_Result_Corrupt_Stream);
}

TEST(Read_Primitives, Colour_Index_Refused_Where_Not_Allowed)
{
    Reader r("7 ");
    WT_RGBA32 c;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(c, false); }), WT_Result_Corrupt_Stream);
}

TEST(Read_Primitives, Colour_Component_Above_255_Is_Corrupt)
{
    Reader r("1,2,3,256 ");
    WT_RGBA32 c;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii(c); }), WT_Result_Corrupt_Stream);
}

TEST(Read_Primitives, Hex)
{
    Reader r(" 0aFf\r\n\t10 zz", 1, 1);
    std::uint8_t data[3] = {};
    EXPECT_EQ(r.until_done([&] { return r.file.read_hex(3, data); }), WT_Result_Success);
    EXPECT_EQ(data[0], 0x0A);
    EXPECT_EQ(data[1], 0xFF);
    EXPECT_EQ(data[2], 0x10);
    EXPECT_EQ(r.until_done([&] { return r.file.read_hex(data[0]); }), WT_Result_Corrupt_Stream);
}

TEST(Read_Primitives, ASCII_Strings)
{
    Reader r("  word) 'it\\'s (x)' \"dq\" a\\ b (open x(y {z", 1, 1);
    std::string s;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }), WT_Result_Success);
    EXPECT_EQ(s, "word");
    std::uint8_t close = 0;
    r.file.read_byte(close);
    EXPECT_EQ(close, ')');
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }), WT_Result_Success);
    EXPECT_EQ(s, "it's (x)");
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }), WT_Result_Success);
    EXPECT_EQ(s, "dq");
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }), WT_Result_Success);
    EXPECT_EQ(s, "a b");
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }), WT_Result_Success);
    EXPECT_EQ(s, "(open");
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(100, s); }),
              WT_Result_Corrupt_Stream); // "(" inside a bare word
}

TEST(Read_Primitives, ASCII_String_Limits)
{
    Reader r("abcdef {x 'unterminated");
    std::string s;
    EXPECT_EQ(r.until_done([&] { return r.file.read_ascii_string(5, s); }),
              WT_Result_Corrupt_Stream);
    Reader brace("{x");
    EXPECT_EQ(brace.until_done([&] { return brace.file.read_ascii_string(5, s); }),
              WT_Result_Corrupt_Stream);
    Reader open_quote("'never closed");
    EXPECT_EQ(open_quote.until_done([&] { return open_quote.file.read_ascii_string(100, s); }),
              WT_Result_End_Of_Input);
}
