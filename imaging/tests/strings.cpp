#include "imaging/StringBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using namespace Omvi;

TEST(StringBuffer, TextFromACStringKeepsItsTerminator)
{
    const AsciiStringBuffer text("Corrupt image file");
    ASSERT_EQ(text.size(), 19);
    EXPECT_EQ(text.encoding(), 0u);
    EXPECT_EQ(std::memcmp(text.data(), "Corrupt image file", 19), 0) << "the NUL is stored";
    EXPECT_EQ(text.text(), "Corrupt image file");
    EXPECT_FALSE(text.isEmpty());

    const AsciiStringBuffer blank("");
    EXPECT_EQ(blank.size(), 1);
    EXPECT_TRUE(blank.isEmpty()) << "a lone NUL is empty text";

    const AsciiStringBuffer none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.size(), 0);
    EXPECT_EQ(none.data(), nullptr);
    EXPECT_TRUE(none.isEmpty());
}

TEST(StringBuffer, SetCopiesAndCarriesForeignEncodings)
{
    const char raw[] = {'a', 0, 'b', 0};
    StringBuffer buffer(4, raw, 4);
    EXPECT_EQ(buffer.size(), 4);
    EXPECT_EQ(buffer.encoding(), 4u);
    EXPECT_NE(static_cast<const void*>(buffer.data()), static_cast<const void*>(raw));
    EXPECT_EQ(std::memcmp(buffer.data(), raw, 4), 0);
    EXPECT_EQ(buffer.text(), "a");

    // Re-setting from the buffer's own bytes must not read freed memory.
    buffer.set(2, buffer.data() + 2, 0);
    EXPECT_EQ(buffer.size(), 2);
    EXPECT_EQ(buffer.data()[0], 'b');

    buffer.set(-5, raw, 7);
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_EQ(buffer.data(), nullptr);
    EXPECT_EQ(buffer.encoding(), 7u);

    buffer.set(3, nullptr, 0);
    ASSERT_EQ(buffer.size(), 3);
    EXPECT_TRUE(buffer.isEmpty()) << "a null source gives zero bytes";
}

TEST(StringBuffer, CopiesAreDeepAndSelfAssignmentIsHarmless)
{
    AsciiStringBuffer original("tile");
    StringBuffer copy(original);
    StringBuffer assigned;
    assigned = original;
    original.assign("page");
    EXPECT_EQ(copy.text(), "tile");
    EXPECT_EQ(assigned.text(), "tile");

    StringBuffer& alias = assigned;
    assigned = alias;
    EXPECT_EQ(assigned.text(), "tile");
    EXPECT_EQ(assigned.size(), 5);
}

TEST(StringBuffer, CompareDemandsEncodingCountAndBytes)
{
    EXPECT_EQ(AsciiStringBuffer("abc").compare(AsciiStringBuffer("abc")), 0);
    EXPECT_EQ(AsciiStringBuffer("abc").compare(AsciiStringBuffer("abd")), 1);
    EXPECT_EQ(AsciiStringBuffer("abc").compare(AsciiStringBuffer("abcd")), 1);
    EXPECT_EQ(AsciiStringBuffer("abc").compare(StringBuffer(4, "abc", 4)), 1);
    EXPECT_EQ(StringBuffer().compare(StringBuffer()), 1) << "two empty buffers are unequal";
}

TEST(StringBuffer, IsEmptyLooksAtEveryByte)
{
    const char zeros[8] = {};
    EXPECT_TRUE(StringBuffer(8, zeros, 0).isEmpty());
    char late[8] = {};
    late[7] = 'x';
    EXPECT_FALSE(StringBuffer(8, late, 0).isEmpty());
}
