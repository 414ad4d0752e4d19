#include "platform/com/Variant.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

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
    ::chmod(native.c_str(), 0644);
    EXPECT_TRUE(path::removeFile(*name));
    EXPECT_FALSE(path::fileExists(*name));
}
