#include "dwfcore/Iterator.h"
#include "dwfcore/OwnedObjectHolder.h"
#include "dwfcore/Pointer.h"

#include <gtest/gtest.h>

using namespace DWFCore;

namespace
{

TEST(DWFBasicIteratorImpl, ValidityFollowsAddNextAndReset)
{
    DWFBasicIteratorImpl<int> it;
    EXPECT_FALSE(it.valid());
    EXPECT_THROW(it.get(), DWFDoesNotExistException);
    it.add(7);
    ASSERT_TRUE(it.valid());
    EXPECT_EQ(it.get(), 7);
    EXPECT_FALSE(it.next());
    it.reset();
    EXPECT_EQ(it.get(), 7);

    // Adding to an exhausted iterator restarts it at the first element.
    it.next();
    it.add(8);
    ASSERT_TRUE(it.valid());
    EXPECT_EQ(it.get(), 7);
    EXPECT_TRUE(it.next());
    EXPECT_EQ(it.get(), 8);
}

TEST(DWFBasicIteratorImpl, GrowsAndKeepsElements)
{
    DWFBasicIteratorImpl<int> it;
    for (int i = 0; i < 100; ++i)
    {
        it.add(i);
    }
    int expected = 0;
    for (it.reset(); it.valid(); it.next())
    {
        EXPECT_EQ(it.get(), expected++);
    }
    EXPECT_EQ(expected, 100);

    // Growth past the 16th element failing keeps what was there.
    DWFBasicIteratorImpl<int> small;
    for (int i = 0; i < 16; ++i)
    {
        small.add(i);
    }
    DWFCoreMemory::failAllocationsAfter(0);
    EXPECT_THROW(small.add(16), DWFMemoryException);
    DWFCoreMemory::failAllocationsAfter(-1);
    EXPECT_EQ(small.size(), 16u);
    EXPECT_EQ(small.get(), 0);
}

struct Counted
{
    explicit Counted(int& deaths) : deaths(&deaths) {}
    virtual ~Counted() { ++*deaths; }
    int* deaths;
};

struct Derived : Counted
{
    using Counted::Counted;
};

TEST(DWFPointer, DeletesObjectsAndArraysOnce)
{
    int deaths = 0;
    {
        DWFPointer<Counted> one(new Derived(deaths));
        EXPECT_FALSE(one.isNull());
        DWFPointer<Counted> none(nullptr);
    }
    EXPECT_EQ(deaths, 1);
    {
        DWFPointer<char> text(new char[8], true);
        text.get()[0] = 'x';
    }
    {
        DWFPointer<Counted> replaced(new Counted(deaths));
        replaced.reset(new Counted(deaths));
        EXPECT_EQ(deaths, 2);
    }
    EXPECT_EQ(deaths, 3);
    {
        DWFToolkit::DWFOwnedObjectHolder<Counted> holder(new Derived(deaths));
    }
    EXPECT_EQ(deaths, 4);
}

} // namespace
