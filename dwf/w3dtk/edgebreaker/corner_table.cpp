#include "dwf/w3dtk/edgebreaker/corner_table.h"

#include <climits>

namespace w3d::eb
{

void CornerTable::open(int capacity)
{
    m_entries.assign(static_cast<std::size_t>(capacity < 0 ? 0 : capacity),
                     Entry{Edge_None, Edge_None});
    m_count = 0;
}

void CornerTable::grow()
{
    int const old = capacity();
    int const step = old < 6 ? 5 : old / 5;
    if (old > INT_MAX - step)
        EdgeAllocator::fail();
    m_entries.resize(static_cast<std::size_t>(old + step), Entry{Edge_None, Edge_None});
}

void CornerTable::reserve(int count)
{
    while (capacity() < count)
        grow();
}

int CornerTable::append()
{
    if (m_count == capacity())
        grow();
    (*this)[m_count] = Entry{Edge_None, Edge_None};
    return m_count++;
}

} // namespace w3d::eb
