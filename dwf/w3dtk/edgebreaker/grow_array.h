#pragma once

// An int array that grows by half again whenever an index beyond it is
// touched. Its buffer comes from the ordinary heap (std::bad_alloc on
// failure), not from the coder's allocator; slots it adds are zero.

#include <cstddef>
#include <cstring>
#include <memory>
#include <new>

namespace w3d::eb
{

class GrowArray
{
public:
    // Makes room for n values: when n exceeds the capacity, the capacity
    // becomes trunc(n x 1.5) and the values held are kept.
    void reserve(int n)
    {
        if (n <= m_capacity)
            return;
        long long const wanted = static_cast<long long>(n) * 3 / 2;
        if (wanted > 0x7FFFFFFF)
            throw std::bad_alloc();
        int const capacity = static_cast<int>(wanted);
        auto values = std::make_unique<int[]>(static_cast<std::size_t>(capacity));
        if (m_count)
            std::memcpy(values.get(), m_values.get(), static_cast<std::size_t>(m_count) * sizeof(int));
        m_values = std::move(values);
        m_capacity = capacity;
    }
    // The i-th slot, making room for it; the count covers it from then on.
    int& at(int i)
    {
        reserve(i + 1);
        if (i + 1 > m_count)
            m_count = i + 1;
        return m_values[static_cast<std::size_t>(i)];
    }
    void push(int value) { at(m_count) = value; }
    int pop() { return m_values[static_cast<std::size_t>(--m_count)]; }
    void clear() { m_count = 0; }
    void release()
    {
        m_values.reset();
        m_capacity = 0;
        m_count = 0;
    }

    int operator[](int i) const { return m_values[static_cast<std::size_t>(i)]; }
    int size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    int capacity() const { return m_capacity; }

private:
    std::unique_ptr<int[]> m_values;
    int m_capacity = 0;
    int m_count = 0;
};

} // namespace w3d::eb
