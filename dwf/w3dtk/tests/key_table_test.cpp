// Keys to stream indices and back.
#include "dwf/w3dtk/stream/key_table.h"

#include <gtest/gtest.h>

namespace
{

// Keys whose two halves are equal all hash to bucket 0.
TK_Key same_bucket(int i)
{
    return static_cast<TK_Key>((i << 16) | i);
}

TEST(KeyTable, UnknownKeysAndIndicesAreNotFound)
{
    BStreamKeyTable table;
    int index = 77;
    EXPECT_EQ(table.KeyToIndex(12, index), TK_Not_Found);
    EXPECT_EQ(index, 77); // untouched
    TK_Key key = 5;
    EXPECT_EQ(table.IndexToKey(0, key), TK_Not_Found);
    EXPECT_EQ(table.IndexToKey(-1, key), TK_Not_Found);
    ASSERT_EQ(table.Add(3, 99), TK_Done);
    EXPECT_EQ(table.IndexToKey(2, key), TK_Not_Found); // free slot below the count
    EXPECT_EQ(table.IndexToKey(4, key), TK_Not_Found);
    EXPECT_EQ(table.IndexToKey(-3, key), TK_Not_Found);
    EXPECT_EQ(table.IndexToKey(3, key), TK_Done);
    EXPECT_EQ(key, 99);
}

TEST(KeyTable, GrowsInStepsBeyondTheIndex)
{
    BStreamKeyTable table;
    ASSERT_EQ(table.Add(5000, 42), TK_Done);
    EXPECT_EQ(table.Capacity(), 9096);
    EXPECT_EQ(table.Count(), 5001);
    int index = 0;
    EXPECT_EQ(table.KeyToIndex(42, index), TK_Done);
    EXPECT_EQ(index, 5000);
    ASSERT_EQ(table.Add(10, 43), TK_Done);
    EXPECT_EQ(table.Count(), 5001);
    EXPECT_EQ(table.Capacity(), 9096);
}

TEST(KeyTable, RefusesIndicesOutsideItsRange)
{
    BStreamKeyTable table;
    EXPECT_EQ(table.Add(-1, 1), TK_Error);
    EXPECT_EQ(table.Add(BStreamKeyTable::Max_Index + 1, 1), TK_Error);
    EXPECT_EQ(table.Count(), 0);
}

TEST(KeyTable, ABucketOfManyKeysUsesSeveralNodes)
{
    BStreamKeyTable table;
    for (int i = 0; i < 33; ++i)
    {
        ASSERT_EQ(BStreamKeyTable::Bucket(same_bucket(i)), 0);
        ASSERT_EQ(table.Add(i, same_bucket(i)), TK_Done);
    }
    EXPECT_EQ(table.BucketNodes(same_bucket(0)), 2);
    for (int i = 0; i < 33; ++i)
    {
        int index = -1;
        ASSERT_EQ(table.KeyToIndex(same_bucket(i), index), TK_Done);
        EXPECT_EQ(index, i);
    }
}

TEST(KeyTable, NegativeKeysHashIntoRange)
{
    for (TK_Key key : {-1, -2, INT32_MIN, INT32_MAX, 0x12345678})
    {
        int const bucket = BStreamKeyTable::Bucket(key);
        EXPECT_GE(bucket, 0);
        EXPECT_LT(bucket, BStreamKeyTable::Bucket_Count);
    }
    EXPECT_EQ(BStreamKeyTable::Bucket(0x00010003), 2);
}

TEST(KeyTable, ReusingAnIndexForgetsTheOldKey)
{
    BStreamKeyTable table;
    table.Add(0, 10);
    table.Add(0, 20);
    int index = -1;
    EXPECT_EQ(table.KeyToIndex(10, index), TK_Not_Found);
    EXPECT_EQ(table.KeyToIndex(20, index), TK_Done);
    EXPECT_EQ(index, 0);
}

TEST(KeyTable, AKeyGivenSeveralIndicesAnswersTheNewestNodeFirst)
{
    BStreamKeyTable table;
    TK_Key const key = same_bucket(0);
    // 32 entries of one bucket fill its first node; the key's second index opens
    // a new node, which is searched first.
    for (int i = 0; i < 32; ++i)
        table.Add(i, i == 0 ? key : same_bucket(i + 100));
    table.Add(32, key);
    table.Add(33, key);
    int index = -1;
    ASSERT_EQ(table.KeyToIndex(key, index), TK_Done);
    EXPECT_EQ(index, 32);
}

TEST(KeyTable, ClearEmptiesEverything)
{
    BStreamKeyTable table;
    table.Add(3, 1);
    table.Record(3)->variants = std::make_unique<BVariantBlock>();
    table.Clear();
    EXPECT_EQ(table.Count(), 0);
    EXPECT_EQ(table.Capacity(), 0);
    int index = 0;
    EXPECT_EQ(table.KeyToIndex(1, index), TK_Not_Found);
    EXPECT_EQ(table.Record(3), nullptr);
}

} // namespace
