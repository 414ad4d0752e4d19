#pragma once

// Where the edge-breaker coder takes its working memory from.
//
// One compression or decompression builds one EdgeAllocator from the caller's
// hooks (or the C runtime's allocation and release when a hook is absent) and
// obtains every working buffer through it. The record lives for that one call,
// so coder runs never share state and may run side by side.
//
// A hook that answers null makes the request throw DWFCore::DWFMemoryException;
// the coder's entry points catch it and report the failure as their result, so
// inside the coder every buffer is simply owned by an EdgeArray and released on
// every path.

#include <cstddef>
#include <cstring>
#include <type_traits>
#include <utility>

namespace w3d::eb
{

using EdgeAllocateHook = void* (*)(std::size_t size, void* user_data);
using EdgeFreeHook = void (*)(void* pointer, void* user_data);
using EdgeSpareHook = void (*)();

class EdgeAllocator
{
public:
    // Absent hooks take the defaults; the spare hook is kept but never called.
    explicit EdgeAllocator(EdgeAllocateHook allocate = nullptr, EdgeFreeHook release = nullptr,
                           EdgeSpareHook spare = nullptr, void* user_data = nullptr);

    // `bytes` bytes (at least one), never null: throws DWFMemoryException when
    // the hook fails.
    void* allocate(std::size_t bytes) const;
    void release(void* pointer) const noexcept;

    // Room for `count` values of T; throws DWFMemoryException when the size
    // overflows or the hook fails.
    template <class T> T* allocate_array(std::size_t count) const
    {
        static_assert(std::is_trivially_copyable_v<T>, "coder buffers hold plain values");
        if (count > static_cast<std::size_t>(-1) / sizeof(T))
            fail();
        return static_cast<T*>(allocate(count * sizeof(T)));
    }

    EdgeAllocateHook allocate_hook() const { return m_allocate; }
    EdgeFreeHook free_hook() const { return m_release; }
    EdgeSpareHook spare_hook() const { return m_spare; }
    void* user_data() const { return m_user_data; }

    [[noreturn]] static void fail();

private:
    EdgeAllocateHook m_allocate;
    EdgeFreeHook m_release;
    EdgeSpareHook m_spare;
    void* m_user_data;
};

//
// A buffer of plain values obtained from an EdgeAllocator and returned to it
// when the array is destroyed or replaced. The allocator must outlive it.
//
template <class T> class EdgeArray
{
    static_assert(std::is_trivially_copyable_v<T>, "coder buffers hold plain values");

public:
    EdgeArray() = default;
    // `count` values, each set to `fill`.
    EdgeArray(const EdgeAllocator& allocator, std::size_t count, const T& fill = T())
        : m_allocator(&allocator)
    {
        assign(count, fill);
    }
    ~EdgeArray() { free(); }

    EdgeArray(EdgeArray&& other) noexcept { swap(other); }
    EdgeArray& operator=(EdgeArray&& other) noexcept
    {
        EdgeArray(std::move(other)).swap(*this);
        return *this;
    }
    EdgeArray(const EdgeArray&) = delete;
    EdgeArray& operator=(const EdgeArray&) = delete;

    void bind(const EdgeAllocator& allocator) { m_allocator = &allocator; }

    // A new buffer of `count` values set to `fill`; the old one is released.
    void assign(std::size_t count, const T& fill = T())
    {
        T* values = count ? m_allocator->allocate_array<T>(count) : nullptr;
        for (std::size_t i = 0; i < count; ++i)
            values[i] = fill;
        free();
        m_values = values;
        m_size = count;
    }
    // A buffer of `count` values keeping the first min(count, size) of the old
    // one, the others set to `fill`. The old buffer stays when allocation fails.
    void resize(std::size_t count, const T& fill = T())
    {
        T* values = count ? m_allocator->allocate_array<T>(count) : nullptr;
        std::size_t const kept = count < m_size ? count : m_size;
        if (kept)
            std::memcpy(static_cast<void*>(values), m_values, kept * sizeof(T));
        for (std::size_t i = kept; i < count; ++i)
            values[i] = fill;
        free();
        m_values = values;
        m_size = count;
    }

    T* data() { return m_values; }
    const T* data() const { return m_values; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    T& operator[](std::size_t i) { return m_values[i]; }
    const T& operator[](std::size_t i) const { return m_values[i]; }

    void swap(EdgeArray& other) noexcept
    {
        std::swap(m_allocator, other.m_allocator);
        std::swap(m_values, other.m_values);
        std::swap(m_size, other.m_size);
    }

private:
    void free() noexcept
    {
        if (m_values)
            m_allocator->release(m_values);
        m_values = nullptr;
        m_size = 0;
    }

    const EdgeAllocator* m_allocator = nullptr;
    T* m_values = nullptr;
    std::size_t m_size = 0;
};

} // namespace w3d::eb
