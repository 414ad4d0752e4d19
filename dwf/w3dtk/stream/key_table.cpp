#include "dwf/w3dtk/stream/key_table.h"

#include <algorithm>
#include <cstdint>
#include <limits>

int BStreamKeyTable::Bucket(TK_Key key)
{
    // The shift is done unsigned so that negative keys hash without
    // implementation-defined behaviour; the bits are the same.
    std::uint32_t const k = static_cast<std::uint32_t>(key);
    return static_cast<int>(((k >> 16) ^ k) & 0x3FF);
}

namespace
{
// Spreads keys that differ in a few bits (pointers, counters) over the whole
// table; a bijection, so distinct keys never hash alike before masking.
std::size_t Mix(TK_Key key)
{
    std::uint32_t h = static_cast<std::uint32_t>(key);
    h ^= h >> 16;
    h *= 0x85EBCA6Bu;
    h ^= h >> 13;
    h *= 0xC2B2AE35u;
    h ^= h >> 16;
    return h;
}
} // namespace

TK_Status BStreamKeyTable::Add(int index, TK_Key key)
{
    if (index < 0 || index > Max_Index)
        return TK_Error;
    // Entries and places in a bucket are ints.
    if (m_entries.size() >= static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return TK_Error;
    if (index >= Capacity())
    {
        m_records.resize(static_cast<std::size_t>(index) + Growth);
        m_index_newest.resize(m_records.size(), -1);
    }
    if ((m_keys + 1) * 4 > m_slots.size() * 3)
        GrowSlots();
    Slot& slot = m_slots[FindSlot(key)];
    int& bucket_size = m_bucket_sizes[static_cast<std::size_t>(Bucket(key))];
    int& index_newest = m_index_newest[static_cast<std::size_t>(index)];
    m_entries.push_back(Entry{index, key, bucket_size, slot.newest, index_newest});
    int const entry = static_cast<int>(m_entries.size() - 1);
    ++bucket_size;
    if (slot.newest < 0)
    {
        slot.key = key;
        ++m_keys;
    }
    slot.newest = entry;
    index_newest = entry;
    BIndexRecord& record = m_records[static_cast<std::size_t>(index)];
    record.index = index;
    record.key = key;
    if (index >= m_count)
        m_count = index + 1;
    return TK_Done;
}

TK_Status BStreamKeyTable::KeyToIndex(TK_Key key, int& index) const
{
    if (m_slots.empty())
        return TK_Not_Found;
    auto const entry = [&](int at) -> Entry const& { return m_entries[static_cast<std::size_t>(at)]; };
    // An entry answers while its index's slot holds the key: a slot given to
    // another key since leaves the old entry behind.
    auto const holds = [&](Entry const& e)
    {
        BIndexRecord const& record = m_records[static_cast<std::size_t>(e.index)];
        return record.key == key && record.index == e.index;
    };
    int at = m_slots[FindSlot(key)].newest;
    while (at >= 0 && !holds(entry(at)))
        at = entry(at).older_of_key;
    if (at < 0)
        return TK_Not_Found;
    // The slot's last Add was this key's, so the newest entry that answers
    // lies in the newest node that holds an answer. Within that node the
    // first entry in the bucket's order answers: one of this key, or one an
    // index got from another key of the same bucket before it took this key.
    int const bucket = Bucket(key);
    int const node = entry(at).position / Node_Size;
    int first = std::numeric_limits<int>::max();
    for (; at >= 0 && entry(at).position / Node_Size == node; at = entry(at).older_of_key)
    {
        if (!holds(entry(at)))
            continue;
        for (int same = at; same >= 0; same = entry(same).older_of_index)
        {
            Entry const& e = entry(same);
            if (Bucket(e.key) != bucket)
                continue;
            if (e.position / Node_Size != node)
                break;
            if (e.position < first)
            {
                first = e.position;
                index = e.index;
            }
        }
    }
    return TK_Done;
}

std::size_t BStreamKeyTable::FindSlot(TK_Key key) const
{
    // Linear probing; a quarter of the slots at least is always free.
    std::size_t const mask = m_slots.size() - 1;
    std::size_t at = Mix(key) & mask;
    while (m_slots[at].newest >= 0 && m_slots[at].key != key)
        at = (at + 1) & mask;
    return at;
}

void BStreamKeyTable::GrowSlots()
{
    std::vector<Slot> old(std::max<std::size_t>(64, 2 * m_slots.size()), Slot{0, -1});
    old.swap(m_slots);
    for (Slot const& slot : old)
        if (slot.newest >= 0)
            m_slots[FindSlot(slot.key)] = slot;
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
    int const size = m_bucket_sizes[static_cast<std::size_t>(Bucket(key))];
    return (size + Node_Size - 1) / Node_Size;
}

void BStreamKeyTable::Clear()
{
    m_records.clear();
    m_records.shrink_to_fit();
    m_count = 0;
    m_bucket_sizes.fill(0);
    m_entries.clear();
    m_entries.shrink_to_fit();
    m_index_newest.clear();
    m_index_newest.shrink_to_fit();
    m_slots.clear();
    m_slots.shrink_to_fit();
    m_keys = 0;
}
