#include "dwf/w3dtk/edgebreaker/proxy_hash.h"

#include <climits>

namespace w3d::eb
{

ProxyHash::ProxyHash(const EdgeAllocator& allocator, int size)
    : m_allocator(&allocator),
      m_slots(allocator, static_cast<std::size_t>(size < 1 ? 1 : size), Slot{0, 0, Empty})
{
}

void ProxyHash::place(std::uint32_t key, std::uint32_t value)
{
    std::size_t const slots = m_slots.size();
    std::size_t at = key % slots;
    while (m_slots[at].state == Used)
        at = at + 1 == slots ? 0 : at + 1;
    m_slots[at] = Slot{key, value, Used};
    ++m_count;
}

void ProxyHash::rehash(int size)
{
    if (size < m_count)
        size = m_count;
    // The new table is complete before the old one goes, so a failed
    // allocation leaves the hash as it was.
    EdgeArray<Slot> fresh(*m_allocator, static_cast<std::size_t>(size < 1 ? 1 : size),
                          Slot{0, 0, Empty});
    fresh.swap(m_slots);
    m_count = 0;
    for (std::size_t i = 0; i < fresh.size(); ++i)
        if (fresh[i].state == Used)
            place(fresh[i].key, fresh[i].value);
}

void ProxyHash::insert(std::uint32_t key, std::uint32_t value)
{
    if (2LL * m_count > static_cast<long long>(m_slots.size()))
    {
        if (size() > INT_MAX / 2)
            EdgeAllocator::fail();
        rehash(2 * size());
    }
    place(key, value);
}

bool ProxyHash::lookup(std::uint32_t key, std::uint32_t& value) const
{
    std::size_t const slots = m_slots.size();
    std::size_t const start = key % slots;
    std::size_t at = start;
    do
    {
        Slot const& slot = m_slots[at];
        if (slot.state == Empty)
            return false;
        if (slot.state == Used && slot.key == key)
        {
            value = slot.value;
            return true;
        }
        at = at + 1 == slots ? 0 : at + 1;
    } while (at != start);
    return false;
}

} // namespace w3d::eb
