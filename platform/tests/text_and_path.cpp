#include "platform/kernel/Path.h"
#include "platform/kernel/Text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>

using namespace platform;

TEST(Text, Utf8RoundTripKeepsSurrogatePairs)
{
    const std::string utf8 = "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // A, e-acute, euro, emoji
    const std::u16string wide = utf8ToUtf16(utf8);
    ASSERT_EQ(wide.size(), 5u);
    EXPECT_EQ(wide[0], u'A');
    EXPECT_EQ(wide[1], 0x00E9);
    EXPECT_EQ(wide[2], 0x20AC);
    EXPECT_EQ(wide[3], 0xD83D);
    EXPECT_EQ(wide[4], 0xDE00);
    EXPECT_EQ(utf16ToUtf8(wide), utf8);
}

TEST(Text, InvalidUtf8BecomesReplacementWithoutOverread)
{
    // A truncated three-byte sequence at the very end, a stray continuation
    // byte, an overlong slash and an encoded surrogate.
    EXPECT_EQ(utf8ToUtf16("a\xE2\x82"), u"a\xFFFD");
    EXPECT_EQ(utf8ToUtf16("\x80x"), u"\xFFFDx");
    EXPECT_EQ(utf8ToUtf16("\xC0\xAF"), u"\xFFFD");
    EXPECT_EQ(utf8ToUtf16("\xED\xA0\x80"), u"\xFFFD");
    EXPECT_EQ(utf8ToUtf16("\xF4\x90\x80\x80"), u"\xFFFD"); // above U+10FFFF
}

TEST(Text, LoneSurrogatesBecomeReplacementInUtf8)
{
    const std::u16string lone = {u'x', char16_t(0xD800), u'y', char16_t(0xDC00)};
    EXPECT_EQ(utf16ToUtf8(lone), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(Text, NumbersIgnoreTheProcessLocale)
{
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool comma = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
    EXPECT_EQ(parseDouble("1.5"), 1.5);
    EXPECT_EQ(parseDouble(" -2.25e1 "), -22.5);
    EXPECT_EQ(parseDouble("+3"), 3.0);
    EXPECT_FALSE(parseDouble("1,5"));
    EXPECT_FALSE(parseDouble("1.5x"));
    EXPECT_FALSE(parseDouble(""));
    EXPECT_EQ(formatDouble(0.1), "0.1");
    std::setlocale(LC_NUMERIC, saved.c_str());
    if (!comma)
        GTEST_SKIP() << "no comma-decimal locale installed; checked in the C locale only";
}

TEST(Text, NumbersTooSmallForADoubleReadAsZeroAndTooLargeOnesNotAtAll)
{
    // Underflow rounds to 0 whatever way the digits are written, keeping the
    // sign; the smallest double that is not 0 still reads as itself.
    for (const char* tiny :
         {"1e-400", "0.00001e-320", "100e-400", "2e-324", "1e-99999999999999999999"})
    {
        const auto value = parseDouble(tiny);
        ASSERT_TRUE(value) << tiny;
        EXPECT_EQ(*value, 0.0) << tiny;
        EXPECT_FALSE(std::signbit(*value)) << tiny;
    }
    const auto negative = parseDouble("-1e-400");
    ASSERT_TRUE(negative);
    EXPECT_EQ(*negative, 0.0);
    EXPECT_TRUE(std::signbit(*negative));
    EXPECT_EQ(parseDouble("5e-324"), std::numeric_limits<double>::denorm_min());
    // Overflow has no value to round to.
    for (const char* huge : {"1e400", "-1e309", "0.001e312", "1.8e308", "1e99999999999999999999"})
        EXPECT_FALSE(parseDouble(huge)) << huge;
    EXPECT_EQ(parseDouble("1.7976931348623157e308"), std::numeric_limits<double>::max());
    EXPECT_FALSE(parseDouble("1e-400x"));
}

TEST(Text, IntegersAreWholeAndInRange)
{
    EXPECT_EQ(parseInteger("42"), 42);
    EXPECT_EQ(parseInteger("-7"), -7);
    EXPECT_FALSE(parseInteger("4.0"));
    EXPECT_FALSE(parseInteger("99999999999999999999"));
}

TEST(Path, BothSeparatorsSplitComponents)
{
    EXPECT_EQ(path::lastComponent(u"C:\\data\\sub/file.ext"), u"file.ext");
    EXPECT_EQ(path::lastComponent(u"plain"), u"plain");
    EXPECT_EQ(path::cutLastComponent(u"a/b\\c"), u"a/b");
    EXPECT_EQ(path::cutLastComponent(u"plain"), u"");
    // The settings file cut twice gives the data folder.
    EXPECT_EQ(path::cutLastComponent(path::cutLastComponent(u"C:\\Host\\Toolbox\\data\\x.ini")),
              u"C:\\Host\\Toolbox");
}

TEST(Path, ExtensionsOnlyCountInTheLastComponent)
{
    EXPECT_EQ(path::withoutExtension(u"folder/a.b.dwf"), u"folder/a.b");
    EXPECT_EQ(path::withoutExtension(u"my.folder/name"), u"my.folder/name");
    EXPECT_EQ(path::withoutExtension(u"my.folder\\name"), u"my.folder\\name");
    EXPECT_EQ(path::extension(u"x/y.DWF"), u"DWF");
    EXPECT_EQ(path::extension(u"x.y/z"), u"");
    EXPECT_TRUE(path::hasExtension(u"a.txt"));
    EXPECT_FALSE(path::hasExtension(u"a.d/b"));
}

TEST(Path, JoinUsesForwardSlashes)
{
    EXPECT_EQ(path::join(u"/data/host", u"\\lang\\english\\Gtol.sym"),
              u"/data/host/lang/english/Gtol.sym");
    EXPECT_EQ(path::join(u"C:\\a\\", u"b"), u"C:/a/b");
    EXPECT_EQ(path::join(u"", u"\\lang\\x"), u"/lang/x");
    EXPECT_EQ(path::join(u"/", u"x"), u"/x");
    EXPECT_EQ(path::toNative(u"a\\b\u00e9"), "a/b\xC3\xA9");
}
