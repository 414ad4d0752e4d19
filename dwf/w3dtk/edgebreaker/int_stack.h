#pragma once

// A growable list of ints from the coder's allocator, used as a stack (split
// gates, the geometry walk) and as a small set (push_unique).

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"

namespace w3d::eb
{

class IntStack
{
public:
    static constexpr int Initial_Capacity = 6;

    // Room for Initial_Capacity values.
    explicit IntStack(const EdgeAllocator& allocator) : m_values(allocator, Initial_Capacity) {}

    // Appends `value`; a full list doubles (to at least 2).
    void push(int value)
    {
        if (m_count == capacity())
            m_values.resize(capacity() < 1 ? 2 : 2 * m_values.size());
        m_values[static_cast<std::size_t>(m_count++)] = value;
    }
    // Appends `value` unless the list holds it already (a linear search).
    void push_unique(int value)
    {
        for (int i = 0; i < m_count; ++i)
            if (m_values[static_cast<std::size_t>(i)] == value)
                return;
        push(value);
    }
    // The top value, removed. The list must not be empty.
    int pop() { return m_values[static_cast<std::size_t>(--m_count)]; }
    // The value `depth` entries below the top (0: the top), removed; the ones
    // above it move down. depth must be below size().
    int remove_at_depth(int depth)
    {
        int const at = m_count - 1 - depth;
        int const value = m_values[static_cast<std::size_t>(at)];
        for (int i = at; i + 1 < m_count; ++i)
            m_values[static_cast<std::size_t>(i)] = m_values[static_cast<std::size_t>(i + 1)];
        --m_count;
        return value;
    }
    void clear() { m_count = 0; }

    int size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    int capacity() const { return static_cast<int>(m_values.size()); }
    int operator[](int i) const { return m_values[static_cast<std::size_t>(i)]; }
    int& operator[](int i) { return m_values[static_cast<std::size_t>(i)]; }
    const int* data() const { return m_values.data(); }
    int* data() { return m_values.data(); }

private:
    EdgeArray<int> m_values;
    int m_count = 0;
};

} // namespace w3d::eb
