#include "dwfcore/String.h"
#include "dwfcore/Exception.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace DWFCore;

namespace
{

std::u16string decode(const std::string& bytes)
{
    std::vector<char16_t> out(bytes.size() + 1);
    const std::size_t written =
        DWFString::DecodeUTF8(bytes.data(), bytes.size(), out.data(), out.size() * 2);
    EXPECT_EQ(written % 2, 0u);
    EXPECT_EQ(out[written / 2], 0);
    return std::u16string(out.data(), written / 2);
}

std::string encode(const std::u16string& text)
{
    const std::size_t size = DWFString::EncodeUTF8(text.data(), text.size() * 2, nullptr, 0);
    std::string out(size + 1, '\x7f');
    EXPECT_EQ(DWFString::EncodeUTF8(text.data(), text.size() * 2, out.data(), out.size()), size);
    EXPECT_EQ(out[size], 0);
    out.resize(size);
    return out;
}

TEST(DWFString, ConstructionAndAssignmentFromEveryForm)
{
    DWFString empty;
    EXPECT_EQ(empty.chars(), 0u);
    EXPECT_EQ(static_cast<const char16_t*>(empty), nullptr);
    EXPECT_EQ(DWFString(static_cast<const char*>(nullptr)).chars(), 0u);
    EXPECT_EQ(DWFString(u"").chars(), 0u);

    DWFString fromUtf8("caf\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(fromUtf8, u"caf\u00E9 \u20AC");
    EXPECT_EQ(fromUtf8.chars(), 6u);
    EXPECT_EQ(fromUtf8.bytes(), 12u);

    DWFString wide(u"\U0001F600x");
    EXPECT_EQ(wide.chars(), 3u);
    EXPECT_EQ(wide.toUTF8(), "\xF0\x9F\x98\x80x");

    DWFString copy(wide);
    EXPECT_EQ(copy, wide);
    EXPECT_NE(static_cast<const char16_t*>(copy), static_cast<const char16_t*>(wide));

    DWFString assigned;
    assigned = "abc";
    EXPECT_EQ(assigned, u"abc");
    assigned.assign("hello world", 5);
    EXPECT_EQ(assigned, u"hello");
    assigned.assign(nullptr, 4);
    EXPECT_EQ(assigned.chars(), 0u);

    DWFString moved(std::move(copy));
    EXPECT_EQ(moved, wide);
    EXPECT_EQ(copy.chars(), 0u);
}

TEST(DWFString, AppendingIncludingToItself)
{
    DWFString s;
    s.append(u"ab");
    s.append("c\xC3\xA9");
    s.append(DWFString(u"d"));
    EXPECT_EQ(s, u"abc\u00E9d");
    s.append(s);
    EXPECT_EQ(s, u"abc\u00E9dabc\u00E9d");
    s.append(static_cast<const char16_t*>(nullptr));
    s.append("");
    EXPECT_EQ(s.chars(), 10u);
}

TEST(DWFString, SelfAssignmentKeepsText)
{
    DWFString s(u"unchanged");
    DWFString& alias = s;
    s = alias;
    EXPECT_EQ(s, u"unchanged");
    s = static_cast<const char16_t*>(s);
    EXPECT_EQ(s, u"unchanged");
    s = static_cast<const char16_t*>(s) + 2; // a tail of its own text
    EXPECT_EQ(s, u"changed");
}

TEST(DWFString, SmallBuffersAreReusedLargeOnesReleased)
{
    DWFString s(std::u16string(63, u'a')); // capacity 64
    const char16_t* small = s;
    s = u"0123456789";
    EXPECT_EQ(static_cast<const char16_t*>(s), small);
    EXPECT_EQ(s, u"0123456789");
    EXPECT_EQ(s.chars(), 10u);

    DWFString big(std::u16string(64, u'a')); // capacity 65: never reused
    const char16_t* large = big;
    big = u"0123456789";
    EXPECT_NE(static_cast<const char16_t*>(big), large);
    EXPECT_EQ(big, u"0123456789");
}

TEST(DWFString, ComparisonRules)
{
    DWFString empty;
    DWFString ab(u"ab");
    EXPECT_TRUE(empty != u"x");
    EXPECT_TRUE(ab != u"abc");
    EXPECT_FALSE(ab != u"ab");
    EXPECT_FALSE(empty != static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(ab != static_cast<const char16_t*>(nullptr));
    EXPECT_TRUE(u"ab" == ab);
    EXPECT_TRUE(empty == DWFString(u""));

    EXPECT_TRUE(empty < ab);
    EXPECT_FALSE(ab < empty);
    EXPECT_FALSE(empty < empty);
    EXPECT_TRUE(DWFString(u"ab") < DWFString(u"abc"));
    EXPECT_TRUE(DWFString(u"B") < DWFString(u"a")); // no case folding
    EXPECT_TRUE(DWFString(u"z") < DWFString(u"\u00E9"));
    EXPECT_TRUE(DWFString(u"\u00E9") < DWFString(u"\U0001F600")); // unsigned units
}

TEST(DWFString, GetUTF8IntoBuffers)
{
    DWFString s(u"\u20AC1");
    char buffer[8];
    EXPECT_EQ(s.getUTF8(buffer, sizeof(buffer)), 4u);
    EXPECT_STREQ(buffer, "\xE2\x82\xAC"
                         "1");
    EXPECT_THROW(s.getUTF8(buffer, 4), DWFOverflowException);
    EXPECT_THROW(s.getUTF8(nullptr, 8), DWFInvalidArgumentException);

    char* allocated = nullptr;
    EXPECT_EQ(s.getUTF8(&allocated), 4u);
    EXPECT_STREQ(allocated, "\xE2\x82\xAC"
                            "1");
    delete[] allocated;

    DWFString empty;
    buffer[0] = 'x';
    EXPECT_EQ(empty.getUTF8(buffer, 1), 0u);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(empty.getUTF8(&allocated), 0u);
    EXPECT_STREQ(allocated, "");
    delete[] allocated;
}

TEST(DWFStringCodecs, DecodeUTF8KnownValuesAndBufferLimits)
{
    EXPECT_EQ(decode("\xE2\x82\xAC"), u"\u20AC");
    EXPECT_EQ(decode("\xC3\xA9"), u"\u00E9");
    EXPECT_EQ(decode("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(decode(""), u"");

    const char euro[] = "\xE2\x82\xAC\xE2\x82\xAC";
    char16_t out[3];
    EXPECT_EQ(DWFString::DecodeUTF8(euro, 6, out, 6), 4u);
    EXPECT_THROW(DWFString::DecodeUTF8(euro, 6, out, 5), DWFOverflowException);
    EXPECT_THROW(DWFString::DecodeUTF8(euro, 6, out, 1), DWFOverflowException);
    EXPECT_THROW(DWFString::DecodeUTF8(euro, 6, out, 0), DWFOverflowException);
    EXPECT_THROW(DWFString::DecodeUTF8(euro, 6, nullptr, 6), DWFInvalidArgumentException);
}

TEST(DWFStringCodecs, DecodeUTF8ReplacesInvalidAndTruncatedSequences)
{
    EXPECT_EQ(decode("a\xE2\x82"), u"a\uFFFD");     // cut short at the end
    EXPECT_EQ(decode("\xC3"), u"\uFFFD");           // lead byte alone
    EXPECT_EQ(decode("\x80z"), u"\uFFFDz");         // stray continuation
    EXPECT_EQ(decode("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(decode("\xE2(\xA1"), u"\uFFFD(\uFFFD");
    EXPECT_EQ(decode("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD"); // above U+10FFFF
    EXPECT_EQ(decode("\xED\xA0\x80"), u"\uFFFD");                       // lone high half
    EXPECT_EQ(decode("\xFF"), u"\uFFFD");
    // Each half of a pair in its own three-byte form, as older writers did.
    EXPECT_EQ(decode("\xED\xA0\xBD\xED\xB8\x80"), u"\U0001F600");
}

TEST(DWFStringCodecs, EncodeUTF8KnownValuesAndLimits)
{
    EXPECT_EQ(encode(u"\u0800"), "\xE0\xA0\x80");
    EXPECT_EQ(encode(u"A\u00E9\u20AC\U0001F600"), "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(encode(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(encode(std::u16string(1, char16_t(0xDC00)) + u"x"), "\xEF\xBF\xBDx");

    const char16_t text[] = u"\u20AC";
    char out[4];
    EXPECT_EQ(DWFString::EncodeUTF8(text, 2, nullptr, 0), 3u);
    EXPECT_EQ(DWFString::EncodeUTF8(text, 2, out, 4), 3u);
    EXPECT_THROW(DWFString::EncodeUTF8(text, 2, out, 3), DWFOverflowException);
    EXPECT_THROW(DWFString::EncodeUTF8(text, 2, out, 0), DWFOverflowException);
    out[0] = 'x';
    EXPECT_EQ(DWFString::EncodeUTF8(text, 1, out, 4), 0u);
    EXPECT_EQ(out[0], 0);
}

// Runs `operation` with the core allocator failing after `allowed` allocations
// and returns the message of the DWFMemoryException it must throw.
template <class Operation> std::u16string memoryFailure(long allowed, Operation operation)
{
    DWFCoreMemory::failAllocationsAfter(allowed);
    std::u16string message = u"(nothing thrown)";
    try
    {
        operation();
    }
    catch (const DWFMemoryException& error)
    {
        message = error.message();
    }
    DWFCoreMemory::failAllocationsAfter(-1);
    return message;
}

TEST(DWFString, AllocationFailures)
{
    DWFString s(u"before");
    // Decoding scratch fails: the string is as it was.
    EXPECT_EQ(memoryFailure(0, [&] { s = "a much longer replacement text"; }),
              u"Failed to allocate decoding buffer");
    EXPECT_EQ(s, u"before");
    // Appending fails: the string is as it was.
    EXPECT_EQ(memoryFailure(0, [&] { s.append(u" and a long tail to force growth"); }),
              u"Failed to allocate new buffer");
    EXPECT_EQ(s, u"before");
    // The new buffer of a store fails: the string is left empty.
    EXPECT_EQ(memoryFailure(1, [&] { s = "a much longer replacement text"; }),
              u"Failed to allocate new heap buffer");
    EXPECT_EQ(s.chars(), 0u);
    EXPECT_EQ(static_cast<const char16_t*>(s), nullptr);

    DWFString text(u"abc");
    char* out = nullptr;
    EXPECT_EQ(memoryFailure(0, [&] { text.getUTF8(&out); }), u"Failed to allocate buffer");
    EXPECT_EQ(out, nullptr);
}

} // namespace
