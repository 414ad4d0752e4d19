#include "platform/com/Bstr.h"
#include "platform/com/ClassObject.h"
#include "platform/com/Guid.h"
#include "platform/com/Variant.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(Guid, ParsesAndFormatsTheRegistryForm)
{
    const auto id = Guid::parse(u"{ad39471d-8825-435B-BFDD-C177A32E5F83}");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->bytes[0], 0xAD);
    EXPECT_EQ(id->bytes[15], 0x83);
    EXPECT_EQ(id->toString(), u"{AD39471D-8825-435B-BFDD-C177A32E5F83}");
    EXPECT_EQ(Guid::parse(u"AD39471D-8825-435B-BFDD-C177A32E5F83"), id);
    EXPECT_FALSE(Guid::parse(u"{AD39471D-8825-435B-BFDD-C177A32E5F8}"));
    EXPECT_FALSE(Guid::parse(u"{AD39471D+8825-435B-BFDD-C177A32E5F83}"));
    EXPECT_FALSE(Guid::parse(u"{AD39471D-8825-435B-BFDD-C177A32E5F8G}"));
    EXPECT_FALSE(Guid::parse(u"(AD39471D-8825-435B-BFDD-C177A32E5F83)"));
}

TEST(Bstr, NullDiffersFromEmpty)
{
    Bstr null;
    Bstr empty(u"");
    EXPECT_TRUE(null.isNull());
    EXPECT_FALSE(empty.isNull());
    EXPECT_NE(null, empty);
    EXPECT_EQ(null.str(), u"");
    EXPECT_EQ(Bstr(u"\u00e9t\u00e9").utf8(), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(Bstr(static_cast<const char16_t*>(nullptr)), null);
}

TEST(Bstr, InjectedAllocationFailureReportsOutOfMemory)
{
    Bstr out(u"old");
    Bstr::failAllocations(1);
    EXPECT_EQ(Bstr::allocate(u"text", out), E_OUTOFMEMORY);
    EXPECT_TRUE(out.isNull());
    EXPECT_EQ(Bstr::allocate(u"text", out), S_OK);
    EXPECT_EQ(out.str(), u"text");
}

TEST(Variant, AccessorsCheckTheHeldType)
{
    Variant number(2.5);
    double d = 0;
    std::int32_t i = 7;
    EXPECT_EQ(number.get(d), S_OK);
    EXPECT_EQ(d, 2.5);
    EXPECT_EQ(number.get(i), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(i, 7);
    Variant whole(std::int32_t(3));
    EXPECT_EQ(whole.get(d), S_OK) << "integers widen to doubles";
    EXPECT_EQ(d, 3.0);
    Variant empty;
    EXPECT_TRUE(empty.isEmpty());
    number.clear();
    EXPECT_TRUE(number.isEmpty());
}

TEST(Variant, ArraysAreWalkedFromLowerToUpperBound)
{
    SafeArray<double> oneBased({10.0, 20.0, 30.0}, 1);
    EXPECT_EQ(oneBased.lowerBound(), 1);
    EXPECT_EQ(oneBased.upperBound(), 3);
    double value = -1;
    EXPECT_EQ(oneBased.element(0, value), DISP_E_BADINDEX);
    EXPECT_EQ(oneBased.element(4, value), DISP_E_BADINDEX);
    EXPECT_EQ(value, -1);
    EXPECT_EQ(oneBased.element(3, value), S_OK);
    EXPECT_EQ(value, 30.0);
    EXPECT_EQ(doublesOf(Variant(oneBased)), (std::vector<double>{10, 20, 30}));
    EXPECT_TRUE(doublesOf(Variant()).empty());
    EXPECT_TRUE(doublesOf(Variant(Bstr(u"x"))).empty());
    SafeArray<double> empty;
    EXPECT_EQ(empty.upperBound(), -1);
}

namespace
{
const Guid IID_Probe = guid(u"{11111111-2222-3333-4444-555555555555}");

class Probe : public RefCounted
{
public:
    static int destroyed;
    HRESULT queryInterface(const Guid& iid, void** object) override
    {
        if (object && iid == IID_Probe)
        {
            addRef();
            *object = this;
            return S_OK;
        }
        return RefCounted::queryInterface(iid, object);
    }

protected:
    ~Probe() override { ++destroyed; }
};
int Probe::destroyed = 0;
} // namespace

TEST(RefCounting, ObjectsLiveWhileReferencesExist)
{
    Probe::destroyed = 0;
    const long before = RefCounted::liveObjects();
    {
        auto first = ComPtr<Probe>::adopt(new Probe);
        EXPECT_EQ(RefCounted::liveObjects(), before + 1);
        ComPtr<Probe> second = first;
        first.reset();
        EXPECT_EQ(Probe::destroyed, 0);
        void* raw = nullptr;
        EXPECT_EQ(second->queryInterface(guid(u"{99999999-2222-3333-4444-555555555555}"), &raw),
                  E_NOINTERFACE);
        EXPECT_EQ(raw, nullptr);
        EXPECT_EQ(second->queryInterface(IID_IUnknown, &raw), S_OK);
        static_cast<Unknown*>(raw)->release();
    }
    EXPECT_EQ(Probe::destroyed, 1);
    EXPECT_EQ(RefCounted::liveObjects(), before);
}

TEST(ClassObjects, TheObjectMapServesItsClassesOnly)
{
    const Guid clsid = guid(u"{AD39471D-8825-435B-BFDD-C177A32E5F83}");
    ObjectMap map;
    map.add({clsid, 3001, Guid{}, [] { return static_cast<Unknown*>(new Probe); }});
    void* factory = nullptr;
    EXPECT_EQ(map.getClassObject(guid(u"{C74D2BCB-6941-4E34-9798-BDB6E3690983}"), IID_IClassFactory,
                                 &factory),
              CLASS_E_CLASSNOTAVAILABLE);
    ASSERT_EQ(map.getClassObject(clsid, IID_IClassFactory, &factory), S_OK);
    auto held = ComPtr<ClassFactory>::adopt(static_cast<ClassFactory*>(factory));
    void* object = nullptr;
    Probe::destroyed = 0;
    ASSERT_EQ(held->createInstance(IID_Probe, &object), S_OK);
    static_cast<Probe*>(object)->release();
    EXPECT_EQ(Probe::destroyed, 1);
    EXPECT_EQ(held->createInstance(guid(u"{99999999-2222-3333-4444-555555555555}"), &object),
              E_NOINTERFACE);
    EXPECT_EQ(Probe::destroyed, 2) << "an object nobody could take is released at once";
    auto broken = ComPtr<ClassFactory>::adopt(
        new ClassFactory([] { return static_cast<Unknown*>(nullptr); }));
    EXPECT_EQ(broken->createInstance(IID_Probe, &object), E_OUTOFMEMORY);
}
