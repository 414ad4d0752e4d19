#include "dwf/w3dtk/stream/key_table.h"

#include <algorithm>
#include <cstdint>

int BStreamKeyTable::Bucket(TK_Key key)
{
    // The shift is done unsigned so that negative keys hash without
    // implementation-defined behaviour; the bits are the same.
    std::uint32_t const k = static_cast<std::uint32_t>(key);
    return static_cast<int>(((k >> 16) ^ k) & 0x3FF);
}

TK_Status BStreamKeyTable::Add(int index, TK_Key key)
{
    if (index < 0 || index > Max_Index)
        return TK_Error;
    if (index >= Capacity())
        m_records.resize(static_cast<std::size_t>(index) + Growth);
    BIndexRecord& record = m_records[static_cast<std::size_t>(index)];
    record.index = index;
    record.key = key;
    if (index >= m_count)
        m_count = index + 1;
    m_buckets[static_cast<std::size_t>(Bucket(key))].push_back(index);
    return TK_Done;
}

TK_Status BStreamKeyTable::KeyToIndex(TK_Key key, int& index) const
{
    std::vector<int> const& bucket = m_buckets[static_cast<std::size_t>(Bucket(key))];
    // Nodes of 32 indices, the newest (the last, partly filled one) first; within
    // a node, in the order the indices were added.
    std::size_t const size = bucket.size();
    if (size == 0)
        return TK_Not_Found;
    for (std::size_t node = (size - 1) / Node_Size + 1; node-- > 0;)
    {
        std::size_t const end = std::min(size, (node + 1) * Node_Size);
        for (std::size_t i = node * Node_Size; i < end; ++i)
        {
            BIndexRecord const& record = m_records[static_cast<std::size_t>(bucket[i])];
            if (record.key == key && record.index == bucket[i])
            {
                index = bucket[i];
                return TK_Done;
            }
        }
    }
    return TK_Not_Found;
}

TK_Status BStreamKeyTable::IndexToKey(int index, TK_Key& key) const
{
    BIndexRecord const* record = Record(index);
    if (!record)
        return TK_Not_Found;
    key = record->key;
    return TK_Done;
}

BIndexRecord* BStreamKeyTable::Record(int index)
{
    if (index < 0 || index >= m_count)
        return nullptr;
    BIndexRecord& record = m_records[static_cast<std::size_t>(index)];
    return record.index == index ? &record : nullptr;
}

const BIndexRecord* BStreamKeyTable::Record(int index) const
{
    return const_cast<BStreamKeyTable*>(this)->Record(index);
}

int BStreamKeyTable::BucketNodes(TK_Key key) const
{
    std::size_t const size = m_buckets[static_cast<std::size_t>(Bucket(key))].size();
    return static_cast<int>((size + Node_Size - 1) / Node_Size);
}

void BStreamKeyTable::Clear()
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_count = 0;
    for (auto& bucket : m_buckets)
        bucket.clear();
}
