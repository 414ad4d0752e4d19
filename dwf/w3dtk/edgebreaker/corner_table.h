#pragma once

// The half-edge table of the edge-breaker coder. Entries 3t, 3t + 1 and 3t + 2
// belong to triangle t; entry e stands for the half-edge from its vertex to the
// vertex of next(e), and its twin names the entry of the opposite half-edge in
// the neighbouring triangle. The encoder keeps one entry per half-edge of the
// shell; the decoder one per corner of every decoded triangle.

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"

#include <cstdint>

namespace w3d::eb
{

// Markers shared by every table of the coder.
inline constexpr int Edge_None = static_cast<int>(0x80808080u);     // no twin, empty slot
inline constexpr int Edge_Nonmanifold = static_cast<int>(0x80000001u); // edge of 3+ triangles
inline constexpr int Edge_Cut_Bit = static_cast<int>(0x80000000u);  // twin link cut open
inline constexpr int Vertex_Dummy = static_cast<int>(0x80000003u);  // vertex closing a hole

class CornerTable
{
public:
    struct Entry
    {
        int vertex;
        int twin;
    };

    explicit CornerTable(const EdgeAllocator& allocator) { m_entries.bind(allocator); }

    // Room for `capacity` entries, none used.
    void open(int capacity);
    // A new entry {Edge_None, Edge_None} at the end; grows when full.
    int append();
    // Grows by 5 entries below a capacity of 6, by a fifth of the capacity
    // otherwise; new entries are {Edge_None, Edge_None}.
    void grow();
    // Makes room for `count` entries at least (growing by the rule above).
    void reserve(int count);

    static int next(int e) { return e % 3 == 2 ? e - 2 : e + 1; }
    static int prev(int e) { return e % 3 == 0 ? e + 2 : e - 1; }
    static int triangle(int e) { return e / 3; }
    // A twin value names a neighbour only when it is not negative: Edge_None,
    // Edge_Nonmanifold and cut links all have the high bit set.
    static bool linked(int twin) { return twin >= 0; }
    static bool is_cut(int twin)
    {
        return twin < 0 && twin != Edge_None && twin != Edge_Nonmanifold;
    }
    static int cut(int twin) { return twin | Edge_Cut_Bit; }
    static int uncut(int twin) { return twin & ~Edge_Cut_Bit; }

    int count() const { return m_count; }
    int capacity() const { return static_cast<int>(m_entries.size()); }
    Entry& operator[](int e) { return m_entries[static_cast<std::size_t>(e)]; }
    const Entry& operator[](int e) const { return m_entries[static_cast<std::size_t>(e)]; }
    int vertex(int e) const { return (*this)[e].vertex; }
    int twin(int e) const { return (*this)[e].twin; }
    // Links e and f to each other.
    void link(int e, int f)
    {
        (*this)[e].twin = f;
        (*this)[f].twin = e;
    }

private:
    EdgeArray<Entry> m_entries;
    int m_count = 0;
};

} // namespace w3d::eb
