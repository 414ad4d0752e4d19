#include "dwfcore/Exception.h"
#include "dwfcore/String.h"

#include <expat.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

using namespace DWFCore;

namespace
{

#include "CodecVectors.inc"

std::u16string decode(const char* bytes, std::size_t size)
{
    std::vector<char16_t> out(size + 1);
    const std::size_t written = DWFString::DecodeUTF8(bytes, size, out.data(), out.size() * 2);
    return std::u16string(out.data(), written / 2);
}

std::string encode(const std::u16string& text)
{
    std::string out(DWFString::EncodeUTF8(text.data(), text.size() * 2, nullptr, 0) + 1, '\0');
    out.resize(DWFString::EncodeUTF8(text.data(), text.size() * 2, out.data(), out.size()));
    return out;
}

TEST(DWFStringCodecs, Utf8MatchesIndependentlyComputedTable)
{
    for (const Utf8Vector& v : kValidUtf8)
    {
        const std::u16string expected(v.utf16, v.units);
        EXPECT_EQ(decode(v.utf8, v.bytes), expected);
        EXPECT_EQ(encode(expected), std::string(v.utf8, v.bytes));
        // The buffer rule: exactly 2 x units + 2 bytes suffices, one less does not.
        std::vector<char16_t> out(v.units + 1);
        EXPECT_EQ(DWFString::DecodeUTF8(v.utf8, v.bytes, out.data(), 2 * v.units + 2), 2 * v.units);
        EXPECT_THROW(DWFString::DecodeUTF8(v.utf8, v.bytes, out.data(), 2 * v.units + 1),
                     DWFOverflowException);
    }
    for (const Utf8Vector& v : kBrokenUtf8)
    {
        EXPECT_EQ(decode(v.utf8, v.bytes), std::u16string(v.utf16, v.units))
            << "input of " << v.bytes << " bytes";
    }
}

TEST(DWFStringCodecs, DecodingPrefixesNeverReadsPastTheCount)
{
    // Each prefix is copied into a buffer of exactly its size, so an over-read
    // is caught by the address sanitizer.
    for (const Utf8Vector& v : kValidUtf8)
    {
        for (std::size_t size = 0; size <= v.bytes; ++size)
        {
            std::unique_ptr<char[]> exact(new char[size + 1]);
            std::memcpy(exact.get(), v.utf8, size);
            const std::u16string text = decode(exact.get(), size);
            EXPECT_LE(text.size(), size);
            if (size == v.bytes)
            {
                EXPECT_EQ(text, std::u16string(v.utf16, v.units));
            }
        }
    }
}

TEST(DWFStringCodecs, DecodedTextAlwaysReencodesAsWellFormedUtf8)
{
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round)
    {
        std::string bytes(random() % 24, '\0');
        for (char& b : bytes)
        {
            b = static_cast<char>(random() % 2 ? 0x80 + random() % 0x80 : random() % 0x100);
        }
        const std::u16string text = decode(bytes.data(), bytes.size());
        const std::string again = encode(text);
        // Well-formed UTF-8 decodes to itself.
        EXPECT_EQ(decode(again.data(), again.size()), text);
    }
}

TEST(DWFStringCodecs, Base64MatchesIndependentlyComputedTable)
{
    for (const Base64Vector& v : kBase64)
    {
        char out[128];
        const std::size_t standardSize = std::strlen(v.standard);
        EXPECT_EQ(DWFString::EncodeBase64(v.data, v.bytes, nullptr, 0, true), standardSize);
        ASSERT_EQ(DWFString::EncodeBase64(v.data, v.bytes, out, sizeof(out), true), standardSize);
        EXPECT_EQ(std::string(out, standardSize), v.standard);
        const std::size_t otherSize = std::strlen(v.other);
        ASSERT_EQ(DWFString::EncodeBase64(v.data, v.bytes, out, sizeof(out), false), otherSize);
        EXPECT_EQ(std::string(out, otherSize), v.other);
        if (otherSize > 0)
        {
            EXPECT_THROW(DWFString::EncodeBase64(v.data, v.bytes, out, otherSize - 1, false),
                         DWFOverflowException);
        }
    }
}

TEST(DWFStringCodecs, Base64SmallGroups)
{
    char out[8] = {};
    EXPECT_EQ(DWFString::EncodeBase64("abc", 3, out, 4, true), 4u);
    EXPECT_EQ(std::string(out, 4), "YWJj");
    const unsigned char ff = 0xFF;
    EXPECT_EQ(DWFString::EncodeBase64(&ff, 1, out, 8, true), 4u);
    EXPECT_EQ(std::string(out, 4), "/w==");
    EXPECT_EQ(DWFString::EncodeBase64(&ff, 1, out, 8, false), 2u);
    EXPECT_EQ(std::string(out, 2), "_w");
    // The padded final group needs all four places.
    EXPECT_THROW(DWFString::EncodeBase64(&ff, 1, out, 3, true), DWFOverflowException);
}

TEST(DWFStringCodecs, NarrowXmlEscaping)
{
    char out[64];
    EXPECT_EQ(DWFString::EncodeXML("a<b", 3, out, sizeof(out)), 6u);
    EXPECT_STREQ(out, "a&lt;b");
    EXPECT_EQ(DWFString::EncodeXML("\n", 1, out, sizeof(out)), 6u);
    EXPECT_STREQ(out, "&#x0A;");
    EXPECT_EQ(DWFString::EncodeXML("a\0b", 3, out, sizeof(out)), 2u);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(DWFString::EncodeXML("\"'&>", 4, out, sizeof(out)), 21u);
    EXPECT_STREQ(out, "&quot;&apos;&amp;&gt;");
    // UTF-8 passes as it is; controls XML cannot carry become U+FFFD.
    EXPECT_EQ(DWFString::EncodeXML("\xC3\xA9\x01", 3, out, sizeof(out)), 5u);
    EXPECT_STREQ(out, "\xC3\xA9\xEF\xBF\xBD");

    const std::size_t measured = DWFString::EncodeXML("x<y>&", 5, nullptr, 0);
    EXPECT_EQ(DWFString::EncodeXML("x<y>&", 5, out, measured + 1), measured);
    EXPECT_THROW(DWFString::EncodeXML("x<y>&", 5, out, measured), DWFOverflowException);
    EXPECT_THROW(DWFString::EncodeXML("abc", 3, out, 2), DWFOverflowException);
    EXPECT_THROW(DWFString::EncodeXML(static_cast<const char*>(nullptr), 3, out, 8),
                 DWFInvalidArgumentException);
    EXPECT_THROW(DWFString::EncodeXML("abc", 0, out, 8), DWFInvalidArgumentException);
}

TEST(DWFStringCodecs, WideXmlEscapingStopsAtCountOrZero)
{
    char16_t out[64];
    const char16_t tab[] = u"a\t\u00E9";
    EXPECT_EQ(DWFString::EncodeXML(tab, 6, out, sizeof(out)), 6u);
    EXPECT_EQ(std::u16string(out), u"a\t\u00E9");

    // No terminator within the count: only the counted characters are read.
    const char16_t unterminated[3] = {u'<', u'b', u'c'};
    EXPECT_EQ(DWFString::EncodeXML(unterminated, 4, out, sizeof(out)), 10u);
    EXPECT_EQ(std::u16string(out), u"&lt;b");
    // A zero ends the input early.
    const char16_t zero[] = {u'a', 0, u'b'};
    EXPECT_EQ(DWFString::EncodeXML(zero, 6, out, sizeof(out)), 2u);

    const char16_t amp[] = u"&";
    const std::size_t measured = DWFString::EncodeXML(amp, 2, nullptr, 0);
    EXPECT_EQ(measured, 10u);
    EXPECT_EQ(DWFString::EncodeXML(amp, 2, out, measured + 2), measured);
    EXPECT_THROW(DWFString::EncodeXML(amp, 2, out, measured + 1), DWFOverflowException);
}

// Parses `document` with expat; returns the attribute and the character data
// of its root, or reports a parse error.
struct ParsedXml
{
    bool wellFormed = false;
    std::string attribute;
    std::string text;
};

ParsedXml parseXml(const std::string& document)
{
    ParsedXml result;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &result);
    XML_SetElementHandler(
        parser,
        [](void* data, const XML_Char*, const XML_Char** attributes)
        {
            if (attributes[0] != nullptr)
            {
                static_cast<ParsedXml*>(data)->attribute = attributes[1];
            }
        },
        nullptr);
    XML_SetCharacterDataHandler(parser, [](void* data, const XML_Char* text, int size)
                                { static_cast<ParsedXml*>(data)->text.append(text, size); });
    result.wellFormed =
        XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    return result;
}

TEST(DWFStringCodecs, WideXmlEscapingAlwaysYieldsWellFormedXml)
{
    std::mt19937 random(11);
    const char16_t interesting[] = {u'<',   u'>',   u'&',   u'"',   u'\'',  u'\t',
                                    u'\n',  1,      0x1F,   0x7F,   0xE9,   0xFFFE,
                                    0xFFFF, 0xD83D, 0xDE00, 0xDC00, 0xD800, u'x'};
    for (int round = 0; round < 3000; ++round)
    {
        std::u16string input;
        const int length = 1 + random() % 12;
        for (int i = 0; i < length; ++i)
        {
            input += interesting[random() % (sizeof(interesting) / sizeof(interesting[0]))];
        }
        std::u16string escaped(input.size() * 6 + 1, u'\0');
        const std::size_t bytes = DWFString::EncodeXML(input.data(), input.size() * 2,
                                                       escaped.data(), escaped.size() * 2);
        escaped.resize(bytes / 2);
        const std::string utf8 = encode(escaped);
        const ParsedXml parsed = parseXml("<r a=\"" + utf8 + "\">" + utf8 + "</r>");
        ASSERT_TRUE(parsed.wellFormed) << utf8;

        // What is read back is the input with the unrepresentable replaced.
        std::u16string expected;
        for (std::size_t i = 0; i < input.size(); ++i)
        {
            const char16_t c = input[i];
            const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < input.size() &&
                              input[i + 1] >= 0xDC00 && input[i + 1] <= 0xDFFF;
            if (pair)
            {
                expected += c;
                expected += input[++i];
            }
            else if ((c < 0x20 && c != u'\t' && c != u'\n') || c == 0xFFFE || c == 0xFFFF ||
                     (c >= 0xD800 && c <= 0xDFFF))
            {
                expected += char16_t(0xFFFD);
            }
            else
            {
                expected += c;
            }
        }
        EXPECT_EQ(parsed.text, encode(expected));
    }
}

TEST(DWFStringCodecs, FixDecimalSeparatorsRepairsOnlyBetweenDigits)
{
    std::u16string text = u"1,5 2,25";
    EXPECT_EQ(std::u16string(DWFString::FixDecimalSeparators(text.data())), u"1.5 2.25");
    text = u"1e+020 -3,25e-005";
    EXPECT_EQ(std::u16string(DWFString::FixDecimalSeparators(text.data())), u"1e+020 -3.25e-005");
    text = u"1\u066B5";
    EXPECT_EQ(std::u16string(DWFString::FixDecimalSeparators(text.data())), u"1.5");
    text = u"";
    EXPECT_EQ(DWFString::FixDecimalSeparators(text.data()), text.data());
    EXPECT_EQ(DWFString::FixDecimalSeparators(nullptr), nullptr);
    text = u"1,";
    EXPECT_EQ(std::u16string(DWFString::FixDecimalSeparators(text.data())), u"1,");
}

TEST(DWFStringCodecs, ParseDoubleMatchesStrtodOnWrittenNumbers)
{
    // Whatever "%.17g" writes comes back exactly.
    std::mt19937_64 random(3);
    for (int i = 0; i < 5000; ++i)
    {
        double value;
        const std::uint64_t bits = random();
        std::memcpy(&value, &bits, sizeof(value));
        if (!std::isfinite(value))
        {
            continue;
        }
        char text[64];
        std::snprintf(text, sizeof(text), "%.17g", value);
        EXPECT_EQ(DWFString::ParseDouble(text), value) << text;
    }
    struct Case
    {
        const char* text;
        double expected;
    };
    const Case cases[] = {
        {"1,5", 1.5},
        {"-0.25", -0.25},
        {"1e+020", 1e20},
        {"1.5e-005", 1.5e-5},
        {"1.5e5", 1.5e5},
        {"+5", 5},
        {"  5", 5},
        {"\t-7.5", -7.5},
        {"", 0},
        {"abc", 0},
        {".5", 0.5},
        {"3.", 3},
        {"0x10", 0.1}, // the "x" is taken as the separator, never as hexadecimal
        {"inf", 0},
        {"nan", 0},
        {"12e", 12},
        {"12e+", 12},
        {"1.5.7", 1.5},
        {"0.1", 0.1},
        {"123456789012345678901234567890", 123456789012345678901234567890.0},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(DWFString::ParseDouble(c.text), c.expected) << c.text;
    }
    EXPECT_EQ(DWFString::ParseDouble(nullptr), 0.0);
}

TEST(DWFStringCodecs, ParseDoubleBoundsHostileExponents)
{
    EXPECT_EQ(DWFString::ParseDouble("1e+2000000000"), HUGE_VAL);
    EXPECT_EQ(DWFString::ParseDouble("-1e+99999999999999999999"), -HUGE_VAL);
    EXPECT_EQ(DWFString::ParseDouble("1e-2000000000"), 0.0);
    const std::string longDigits = "0." + std::string(100000, '3');
    EXPECT_DOUBLE_EQ(DWFString::ParseDouble(longDigits.c_str()), 1.0 / 3.0);
}

TEST(DWFStringCodecs, ParseDoubleIgnoresTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous == nullptr ? "C" : previous;
    if (std::setlocale(LC_NUMERIC, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_NUMERIC, "fr_FR.UTF-8") == nullptr)
    {
        GTEST_SKIP() << "no locale with a decimal comma installed";
    }
    EXPECT_EQ(DWFString::ParseDouble("2.5"), 2.5);
    EXPECT_EQ(DWFString::ParseDouble("2,5"), 2.5);
    std::setlocale(LC_NUMERIC, saved.c_str());
}

} // namespace
