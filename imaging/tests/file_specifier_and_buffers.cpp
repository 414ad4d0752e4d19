#include "imaging/DataBuffer.h"
#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace Omvi;

TEST(FileSpecifier, DefaultsToAnEmptyStreamSpecifier)
{
    const FileSpecifier none;
    EXPECT_EQ(none.kind(), 1);
    EXPECT_EQ(none.path().size(), 0);
    EXPECT_FALSE(none.isUsable());
    EXPECT_FALSE(FileSpecifier(AsciiStringBuffer("/tmp/a.tif"), 1).isUsable()) << "only kind 0 is a file";
    EXPECT_FALSE(FileSpecifier(AsciiStringBuffer(""), 0).isUsable()) << "an empty path names nothing";
    EXPECT_TRUE(FileSpecifier(AsciiStringBuffer("/tmp/a.tif"), 0).isUsable());
}

TEST(FileSpecifier, EqualityIgnoresNothing)
{
    const FileSpecifier a(AsciiStringBuffer("/data/a.png"), 0);
    EXPECT_TRUE(a == FileSpecifier(AsciiStringBuffer("/data/a.png"), 0));
    EXPECT_TRUE(a != FileSpecifier(AsciiStringBuffer("/data/a.png"), 1)) << "kind";
    EXPECT_TRUE(a != FileSpecifier(AsciiStringBuffer("/data/b.png"), 0)) << "bytes";
    EXPECT_TRUE(a != FileSpecifier(AsciiStringBuffer("/data/a.pn"), 0)) << "count";
    EXPECT_TRUE(a != FileSpecifier(StringBuffer(12, "/data/a.png", 4), 0)) << "encoding tag alone";
    EXPECT_TRUE(FileSpecifier() == FileSpecifier()) << "two empty paths are equal";
    EXPECT_TRUE(FileSpecifier(StringBuffer(-3, nullptr, 0), 1) == FileSpecifier());
}

TEST(FileSpecifier, CopiesAndSetsAreIndependent)
{
    FileSpecifier a(AsciiStringBuffer("one"), 0);
    FileSpecifier b(a);
    FileSpecifier c;
    c = a;
    a.set(AsciiStringBuffer("two"), 1);
    EXPECT_EQ(b.nativePath(), "one");
    EXPECT_EQ(c.nativePath(), "one");
    EXPECT_EQ(c.kind(), 0);
    EXPECT_EQ(a.nativePath(), "two");
    EXPECT_EQ(a.kind(), 1);
}

TEST(FileSpecifier, UnicodePathsAreStoredAsUtf8)
{
    const FileSpecifier spec = fileSpecifierFromPath(u"C:\\Textures\\gr\u00fcn.bmp");
    EXPECT_EQ(spec.kind(), 0);
    EXPECT_EQ(spec.nativePath(), "C:/Textures/gr\xc3\xbcn.bmp");
    EXPECT_EQ(spec.path().size(), static_cast<std::int32_t>(spec.nativePath().size() + 1));
}

TEST(DataBuffer, ResizeDiscardsAndZeroLeavesNoArray)
{
    DataBuffer buffer(16);
    EXPECT_EQ(buffer.size(), 16);
    ASSERT_NE(buffer.data(), nullptr);
    std::memset(buffer.data(), 0xAB, 16);

    std::uint8_t* grown = buffer.resize(40);
    EXPECT_EQ(buffer.size(), 40);
    EXPECT_EQ(grown, buffer.data());
    grown[39] = 1;

    EXPECT_EQ(buffer.resize(0), nullptr);
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_EQ(buffer.resize(-7), nullptr);
    EXPECT_EQ(buffer.size(), 0);
    EXPECT_EQ(DataBuffer(-1).data(), nullptr);
}

TEST(DataBuffer, AssignmentCopiesBytesAndSelfAssignmentChangesNothing)
{
    DataBuffer source(5);
    std::memcpy(source.data(), "pixel", 5);
    DataBuffer target(2);
    target = source;
    ASSERT_EQ(target.size(), 5);
    EXPECT_NE(target.data(), source.data());
    EXPECT_EQ(std::memcmp(target.data(), "pixel", 5), 0);

    const std::uint8_t* before = target.data();
    DataBuffer& alias = target;
    target = alias;
    EXPECT_EQ(target.data(), before);
    EXPECT_EQ(std::memcmp(target.data(), "pixel", 5), 0);

    DataBuffer copy(source);
    source.data()[0] = 'P';
    EXPECT_EQ(copy.data()[0], 'p');

    DataBuffer empty;
    target = empty;
    EXPECT_EQ(target.size(), 0);
    EXPECT_EQ(target.data(), nullptr);

    DataBuffer moved(std::move(copy));
    EXPECT_EQ(moved.size(), 5);
    EXPECT_EQ(copy.size(), 0);
    EXPECT_EQ(copy.data(), nullptr);
}

TEST(DataBuffer, RangesOutsideTheBufferAreRefused)
{
    DataBuffer buffer(10);
    EXPECT_EQ(buffer.data(0, 10), buffer.data());
    EXPECT_EQ(buffer.data(4, 6), buffer.data() + 4);
    EXPECT_EQ(buffer.data(10, 0), buffer.data() + 10);
    EXPECT_EQ(buffer.data(4, 7), nullptr);
    EXPECT_EQ(buffer.data(-1, 2), nullptr);
    EXPECT_EQ(buffer.data(11, 0), nullptr);
    EXPECT_EQ(buffer.data(2, INT64_MAX), nullptr) << "no overflow in the range check";
    EXPECT_EQ(DataBuffer().data(0, 0), nullptr);
}
