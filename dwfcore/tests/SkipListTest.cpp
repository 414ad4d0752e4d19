#include "dwfcore/SkipList.h"
#include "dwfcore/ChainedSkipList.h"
#include "dwfcore/Memory.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace DWFCore;

namespace
{

using LongList = DWFSkipList<long, int>;

template <class List> auto keysInOrder(List& list)
{
    std::vector<std::decay_t<decltype(list.key(0))>> keys;
    std::unique_ptr<typename List::Iterator> it(list.iterator());
    for (; it->valid(); it->next())
    {
        keys.push_back(it->key());
    }
    return keys;
}

TEST(DWFSkipList, EmptyList)
{
    LongList list;
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.find(1), nullptr);
    EXPECT_FALSE(list.erase(1));
    std::unique_ptr<LongList::Iterator> it(list.iterator());
    ASSERT_NE(it, nullptr);
    EXPECT_FALSE(it->valid());
    EXPECT_FALSE(it->next());
    EXPECT_THROW(it->key(), DWFIllegalStateException);
    EXPECT_THROW(it->value(), DWFIllegalStateException);
    try
    {
        list.key(0);
        FAIL() << "nothing thrown";
    }
    catch (const DWFOverflowException& error)
    {
        EXPECT_EQ(std::u16string(error.message()), u"Index exceeds list size");
    }
}

TEST(DWFRandom, FifteenBitDrawsRepeatAfterSeedingAndSplitEvenly)
{
    // Levels grow with probability one half only if draws spread over the
    // whole 15-bit range; a wider or narrower generator would flatten the list.
    DWFRandom::seedForTesting(77);
    std::vector<unsigned> first;
    int below = 0;
    for (int i = 0; i < 10000; ++i)
    {
        const unsigned draw = DWFRandom::draw();
        ASSERT_LE(draw, DWFRandom::kMaximum);
        below += draw < 16384 ? 1 : 0;
        first.push_back(draw);
    }
    EXPECT_GT(below, 4700);
    EXPECT_LT(below, 5300);
    DWFRandom::seedForTesting(77);
    for (unsigned expected : first)
    {
        ASSERT_EQ(DWFRandom::draw(), expected);
    }
}

TEST(DWFSkipList, RandomOperationsAgreeWithStdMap)
{
    DWFRandom::seedForTesting(1234);
    std::mt19937 random(99);
    LongList list;
    std::map<long, int> reference;
    for (int step = 0; step < 20000; ++step)
    {
        const long key = static_cast<long>(random() % 2000) - 1000;
        const int value = static_cast<int>(random());
        switch (random() % 4)
        {
        case 0:
        case 1:
        {
            const bool replace = random() % 2 == 0;
            const bool added = reference.find(key) == reference.end();
            EXPECT_EQ(list.insert(key, value, replace), added);
            if (added || replace)
            {
                reference[key] = value;
            }
            break;
        }
        case 2:
            EXPECT_EQ(list.erase(key), reference.erase(key) == 1);
            break;
        default:
        {
            int* found = list.find(key);
            auto expected = reference.find(key);
            ASSERT_EQ(found != nullptr, expected != reference.end());
            if (found != nullptr)
            {
                EXPECT_EQ(*found, expected->second);
            }
        }
        }
        ASSERT_EQ(list.size(), reference.size());
        if (step % 2500 == 0 || step == 19999)
        {
            std::vector<long> expected;
            for (const auto& entry : reference)
            {
                expected.push_back(entry.first);
            }
            ASSERT_EQ(keysInOrder(list), expected);
            if (!reference.empty())
            {
                const std::size_t index = random() % reference.size();
                EXPECT_EQ(list.key(index), std::next(reference.begin(), index)->first);
                EXPECT_EQ(list.value(index), std::next(reference.begin(), index)->second);
            }
        }
    }
}

TEST(DWFSkipList, LargeListStaysOrderedAndSearchable)
{
    // Many keys in descending order exercise the higher levels.
    LongList list;
    const long count = 100000;
    for (long key = count; key > 0; --key)
    {
        ASSERT_TRUE(list.insert(key, static_cast<int>(key), false));
    }
    for (long key = 1; key <= count; key += 997)
    {
        ASSERT_NE(list.find(key), nullptr);
        EXPECT_EQ(*list.find(key), key);
    }
    for (long key = 2; key <= count; key += 2)
    {
        ASSERT_TRUE(list.erase(key));
    }
    EXPECT_EQ(list.size(), static_cast<std::size_t>(count / 2));
    EXPECT_EQ(list.find(2), nullptr);
    EXPECT_EQ(list.key(1), 3);
}

TEST(DWFSkipList, ReplaceOverwritesKeyAndValueOnlyWhenAsked)
{
    DWFWCharKeySkipList<int> list;
    std::u16string first = u"name";
    std::u16string second = u"name"; // same text, another buffer
    EXPECT_TRUE(list.insert(first.c_str(), 1, false));
    EXPECT_FALSE(list.insert(second.c_str(), 2, false));
    EXPECT_EQ(*list.find(u"name"), 1);
    EXPECT_EQ(list.key(0), first.c_str());
    EXPECT_FALSE(list.insert(second.c_str(), 3, true));
    EXPECT_EQ(*list.find(u"name"), 3);
    EXPECT_EQ(list.key(0), second.c_str());
    EXPECT_EQ(list.size(), 1u);

    // find gives the stored value to overwrite in place
    *list.find(u"name") = 9;
    EXPECT_EQ(list.value(0), 9);
}

TEST(DWFSkipList, KeyOrderings)
{
    DWFStringKeySkipList<int> strings;
    strings.insert(DWFString(u"b"), 0);
    strings.insert(DWFString(), 0);
    strings.insert(DWFString(u"B"), 0);
    strings.insert(DWFString(u"ab"), 0);
    strings.insert(DWFString(u"a"), 0);
    const std::vector<DWFString> expected = {DWFString(), DWFString(u"B"), DWFString(u"a"),
                                             DWFString(u"ab"), DWFString(u"b")};
    EXPECT_EQ(keysInOrder(strings), expected);
    EXPECT_NE(strings.find(DWFString()), nullptr);

    LongList numbers;
    for (long key : {5L, -3L, 0L, -100L, 42L})
    {
        numbers.insert(key, 0);
    }
    EXPECT_EQ(keysInOrder(numbers), (std::vector<long>{-100, -3, 0, 5, 42}));
}

TEST(DWFSkipList, KeyedIteratorStartsAtTheKey)
{
    LongList list;
    for (long key = 1; key <= 5; ++key)
    {
        list.insert(key * 10, static_cast<int>(key));
    }
    std::unique_ptr<LongList::Iterator> it(list.iterator(30));
    ASSERT_TRUE(it->valid());
    EXPECT_EQ(it->key(), 30);
    EXPECT_EQ(&it->key(), &it->key()); // the same node until next()
    EXPECT_TRUE(it->next());
    EXPECT_EQ(it->value(), 4);
    it->next();
    EXPECT_FALSE(it->next());
    it->reset();
    EXPECT_EQ(it->key(), 30);

    std::unique_ptr<LongList::Iterator> absent(list.iterator(35));
    EXPECT_FALSE(absent->valid());
}

TEST(DWFSkipList, ClearAndReuse)
{
    DWFStringKeySkipList<int> list;
    for (int i = 0; i < 1000; ++i)
    {
        list.insert(DWFString(std::u16string(1 + i % 7, char16_t(u'a' + i % 26))), i);
    }
    list.clear();
    EXPECT_EQ(list.size(), 0u);
    EXPECT_EQ(list.find(DWFString(u"a")), nullptr);
    EXPECT_TRUE(list.insert(DWFString(u"x"), 1));
    EXPECT_EQ(*list.find(DWFString(u"x")), 1);
}

TEST(DWFSkipList, AllocationFailuresLeaveTheListIntact)
{
    LongList list;
    list.insert(1, 1);
    DWFCoreMemory::failAllocationsAfter(0);
    try
    {
        list.insert(2, 2);
        ADD_FAILURE() << "nothing thrown";
    }
    catch (const DWFMemoryException& error)
    {
        EXPECT_EQ(std::u16string(error.message()), u"Failed to allocate node");
    }
    EXPECT_EQ(list.iterator(), nullptr);
    // The node itself, then its forward array.
    DWFCoreMemory::failAllocationsAfter(1);
    try
    {
        list.insert(3, 3);
        ADD_FAILURE() << "nothing thrown";
    }
    catch (const DWFMemoryException& error)
    {
        EXPECT_EQ(std::u16string(error.message()), u"Failed to allocate array");
    }
    DWFCoreMemory::failAllocationsAfter(-1);
    EXPECT_EQ(list.size(), 1u);
    EXPECT_EQ(keysInOrder(list), std::vector<long>{1});
}

using Chained = DWFStringKeyChainedSkipList<int*>;

std::vector<std::u16string> walk(Chained::Iterator* raw)
{
    std::unique_ptr<Chained::Iterator> it(raw);
    std::vector<std::u16string> names;
    for (; it && it->valid(); it->next())
    {
        names.push_back(it->key().toU16String());
    }
    return names;
}

TEST(DWFChainedSkipList, SizesFindAndErase)
{
    Chained chained;
    int p = 0;
    EXPECT_TRUE(chained.insert(DWFString(u"a"), DWFString(u"x"), &p));
    EXPECT_EQ(chained.size(DWFString(u"a")), 1u);
    EXPECT_EQ(chained.size(DWFString(u"b")), 0u);
    EXPECT_EQ(chained.size(), 1u);
    EXPECT_EQ(*chained.find(DWFString(u"a"), DWFString(u"x")), &p);
    EXPECT_FALSE(chained.erase(DWFString(u"b"), DWFString(u"x")));
    EXPECT_TRUE(chained.erase(DWFString(u"a")));
    EXPECT_EQ(chained.find(DWFString(u"a"), DWFString(u"x")), nullptr);
    EXPECT_EQ(chained.iterator(DWFString(u"a")), nullptr);
    EXPECT_FALSE(chained.erase(DWFString(u"a")));
}

TEST(DWFChainedSkipList, IterationStepsOverEmptiedCategories)
{
    Chained chained;
    int v = 0;
    for (const char16_t* category : {u"1", u"2", u"3", u"4", u"5"})
    {
        chained.insert(DWFString(category), DWFString(std::u16string(u"p") + category), &v);
    }
    chained.insert(DWFString(u"3"), DWFString(u"q3"), &v);
    // Categories 1, 2 and 4 are left empty but stay in place.
    EXPECT_TRUE(chained.erase(DWFString(u"1"), DWFString(u"p1")));
    EXPECT_TRUE(chained.erase(DWFString(u"2"), DWFString(u"p2")));
    EXPECT_TRUE(chained.erase(DWFString(u"4"), DWFString(u"p4")));
    EXPECT_EQ(chained.size(), 3u);
    EXPECT_EQ(walk(chained.iterator()), (std::vector<std::u16string>{u"p3", u"q3", u"p5"}));

    std::unique_ptr<Chained::Iterator> it(chained.iterator());
    while (it->valid())
    {
        it->next();
    }
    EXPECT_THROW(it->key(), DWFDoesNotExistException);
    it->reset();
    ASSERT_TRUE(it->valid());
    EXPECT_EQ(it->key(), DWFString(u"p3"));

    chained.erase(DWFString(u"5"), DWFString(u"p5"));
    chained.erase(DWFString(u"3"));
    EXPECT_FALSE(std::unique_ptr<Chained::Iterator>(chained.iterator())->valid());
}

TEST(DWFChainedSkipList, KeyedIterators)
{
    Chained chained;
    int v = 0;
    for (const char16_t* name : {u"a", u"b", u"c"})
    {
        chained.insert(DWFString(u"cat"), DWFString(name), &v);
    }
    chained.insert(DWFString(u"dog"), DWFString(u"z"), &v);
    EXPECT_EQ(walk(chained.iterator(DWFString(u"cat"))),
              (std::vector<std::u16string>{u"a", u"b", u"c"}));
    EXPECT_EQ(walk(chained.iterator(DWFString(u"cat"), DWFString(u"b"))),
              (std::vector<std::u16string>{u"b", u"c"}));
    EXPECT_EQ(chained.iterator(DWFString(u"cow"), DWFString(u"b")), nullptr);
    chained.clear();
    EXPECT_EQ(chained.size(), 0u);
    EXPECT_TRUE(walk(chained.iterator()).empty());
}

} // namespace
