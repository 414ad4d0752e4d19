#include "platform/com/Variant.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace
{
class Counted : public RefCounted
{
};
} // namespace

TEST(Variant, ObjectArraysHoldTheirReferences)
{
    const long before = RefCounted::liveObjects();
    {
        auto a = ObjectRef::adopt(new Counted);
        auto b = ObjectRef::adopt(new Counted);
        Variant list(SafeArray<ObjectRef>({a, b}));
        a.reset();
        b.reset();
        EXPECT_EQ(RefCounted::liveObjects(), before + 2) << "the array keeps both alive";
        SafeArray<ObjectRef> out;
        ASSERT_EQ(list.get(out), S_OK);
        ObjectRef first;
        ASSERT_EQ(out.element(0, first), S_OK);
        EXPECT_TRUE(first);
        list.clear();
        out = SafeArray<ObjectRef>();
        EXPECT_EQ(RefCounted::liveObjects(), before + 1) << "the element taken out still lives";
    }
    EXPECT_EQ(RefCounted::liveObjects(), before);
}

TEST(Variant, StringArraysAndBooleans)
{
    Variant names(SafeArray<Bstr>({Bstr(u"Sheet1"), Bstr(u"Sheet2")}));
    SafeArray<Bstr> out;
    ASSERT_EQ(names.get(out), S_OK);
    Bstr second;
    ASSERT_EQ(out.element(1, second), S_OK);
    EXPECT_EQ(second.str(), u"Sheet2");
    bool flag = false;
    EXPECT_EQ(names.get(flag), DISP_E_TYPEMISMATCH);
    Variant yes(true);
    EXPECT_EQ(yes.get(flag), S_OK);
    EXPECT_TRUE(flag);
    EXPECT_EQ(yes.type(), VariantType::Bool);
}

TEST(Path, ReadOnlyMeansNoWriteBitOnARegularFile)
{
    const auto name = createTemporaryFile("quillcast-ro-", ".dwf");
    ASSERT_TRUE(name);
    const std::string native = path::toNative(*name);
    EXPECT_FALSE(path::isReadOnlyFile(*name));
    ASSERT_EQ(::chmod(native.c_str(), 0444), 0);
    EXPECT_TRUE(path::isReadOnlyFile(*name));
    EXPECT_FALSE(path::isReadOnlyFile(u"/nonexistent/quillcast.dwf"));
    EXPECT_FALSE(path::isReadOnlyFile(path::fromNative(::testing::TempDir())))
        << "a folder is not a read-only file";
    // A link in a loop leads nowhere; a look that fails otherwise may hide a
    // read-only file, which is then not to be replaced.
    const std::string loop = native + ".loop";
    ASSERT_EQ(::symlink(loop.c_str(), loop.c_str()), 0);
    int error = -1;
    EXPECT_FALSE(path::isReadOnlyFile(path::fromNative(loop), &error));
    EXPECT_EQ(error, 0);
    ::unlink(loop.c_str());
    EXPECT_TRUE(path::isReadOnlyFile(path::fromNative(native + std::string(300, 'x')), &error));
    EXPECT_EQ(error, ENAMETOOLONG);
    ::chmod(native.c_str(), 0644);
    EXPECT_TRUE(path::removeFile(*name));
    EXPECT_FALSE(path::fileExists(*name));
}
