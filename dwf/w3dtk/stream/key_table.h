#pragma once

#include "dwf/w3dtk/stream/status.h"

#include <array>
#include <memory>
#include <vector>

// Where the variants of one indexed object lie in the stream: up to eight
// level-of-detail variants, each an offset and a length, and an optional box.
struct BVariantBlock
{
    static constexpr int Variant_Count = 8;
    static constexpr int Has_Bounding = 0x1; // flags bit: bounding is meaningful

    int offset[Variant_Count] = {};
    int length[Variant_Count] = {};
    int flags = 0;
    float bounding[6] = {}; // minimum x, y, z, maximum x, y, z
};

// One slot of the index table. A free slot holds index -1 and key -1.
struct BIndexRecord
{
    int index = -1;
    TK_Key key = -1;
    std::unique_ptr<BVariantBlock> variants;
};

// The table that maps application keys to stream indices and back. Indices are
// slots of an array. A key is found through a hash table of its own, whatever
// the number of keys, and answers as a search of 1024 hashed buckets would:
// each bucket a list of the indices added with its keys, kept in nodes of 32,
// searched newest node first and each node in the order its indices came, for
// the first index whose slot holds the key.
class BStreamKeyTable
{
public:
    // Indices above this are refused: the table would need more memory than any
    // stream of this system could justify.
    static constexpr int Max_Index = 1 << 26;
    static constexpr int Growth = 4096;
    static constexpr int Bucket_Count = 1024;
    static constexpr int Node_Size = 32;

    // Puts `key` at `index` (overwriting the slot). TK_Error for an index that is
    // negative or above Max_Index.
    TK_Status Add(int index, TK_Key key);
    // TK_Not_Found when the key has no index; `index` is left alone then.
    TK_Status KeyToIndex(TK_Key key, int& index) const;
    // TK_Not_Found for an index outside the table or a free slot.
    TK_Status IndexToKey(int index, TK_Key& key) const;

    // The slot at `index` when it is in use, else null.
    BIndexRecord* Record(int index);
    const BIndexRecord* Record(int index) const;

    // One past the highest index used.
    int Count() const { return m_count; }
    // Slots allocated.
    int Capacity() const { return static_cast<int>(m_records.size()); }
    // Bucket nodes in use for `key`'s bucket (a node holds up to 32 indices).
    int BucketNodes(TK_Key key) const;

    void Clear();

    static int Bucket(TK_Key key);

private:
    // One Add: the index and key, the index's place in its key's bucket, and
    // the previous entries of the same key and of the same index (-1 for none).
    struct Entry
    {
        int index;
        TK_Key key;
        int position;
        int older_of_key;
        int older_of_index;
    };
    // A slot of the hash table: a key and its newest entry; -1 marks a free slot.
    struct Slot
    {
        TK_Key key;
        int newest;
    };

    // The slot that holds `key`, or the free slot where it would go.
    std::size_t FindSlot(TK_Key key) const;
    void GrowSlots();

    std::vector<BIndexRecord> m_records;
    int m_count = 0;
    std::array<int, Bucket_Count> m_bucket_sizes = {};
    std::vector<Entry> m_entries;
    std::vector<int> m_index_newest; // by index: its newest entry, or -1
    std::vector<Slot> m_slots; // a power of two in size, at most 3/4 used
    std::size_t m_keys = 0;
};
