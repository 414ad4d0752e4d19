#pragma once

// An open-addressed table from 32-bit keys to 32-bit values with linear
// probing: the decoder's map from repeated vertex positions to the vertex they
// repeat, and the encoder's map from the first half-edge of each triangle strip
// to the strip. It takes its slots from the allocation hooks of the allocator it
// is created with.

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"

#include <cstdint>

namespace w3d::eb
{

class ProxyHash
{
public:
    // `size` slots (at least 1), all empty.
    ProxyHash(const EdgeAllocator& allocator, int size);

    // Stores key -> value. When more than half the slots would be used the
    // table first doubles. A key inserted twice is held twice; lookup finds the
    // first.
    void insert(std::uint32_t key, std::uint32_t value);
    // True and the value when the key is held.
    bool lookup(std::uint32_t key, std::uint32_t& value) const;

    int size() const { return static_cast<int>(m_slots.size()); }
    int count() const { return m_count; }

private:
    struct Slot
    {
        std::uint32_t key;
        std::uint32_t value;
        std::uint8_t state; // Empty or Used
    };
    static constexpr std::uint8_t Empty = 0;
    static constexpr std::uint8_t Used = 2;

    void rehash(int size);
    void place(std::uint32_t key, std::uint32_t value);

    const EdgeAllocator* m_allocator;
    EdgeArray<Slot> m_slots;
    int m_count = 0;
};

} // namespace w3d::eb
