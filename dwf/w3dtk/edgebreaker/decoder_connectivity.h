#pragma once

// The decoder's connectivity: op bytes back into triangles.
//
// Each component starts with a loop of new vertices whose length a pre-pass
// over the component's ops finds, together with the offset of every split
// (how far along the loop the split's tip lies). Then every op makes one
// triangle from the gate's two vertices and a third one, changing the loop as
// the encoder's boundary changed. Triangle t gets corners 3t, 3t + 1 and
// 3t + 2 on its vertices a, b (the gate's) and x; each corner is linked to the
// corner of the opposite half-edge in the neighbouring triangle once both
// triangles are known.

#include "dwf/w3dtk/edgebreaker/corner_table.h"
#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/int_stack.h"

#include <cstdint>

namespace w3d::eb::detail
{

class ConnectivityDecoder
{
public:
    // `with_triples`: also the prediction triple of every vertex (schemes 0
    // and 1); `one_component`: a second component is refused.
    ConnectivityDecoder(const EdgeAllocator& allocator, bool with_triples, bool one_component);

    // Decodes `count` op bytes. False for an op this system does not write, a
    // component whose ops do not close, or a loop too short for an op.
    bool decode(const std::uint8_t* ops, int count);

    // Corners: vertex (the decoded vertex number) and twin (the linked corner
    // or Edge_None).
    CornerTable& corners() { return m_corners; }
    const CornerTable& corners() const { return m_corners; }
    // Vertices decoded, dummies and repeats included.
    int vertex_count() const { return m_next_vertex; }
    // Three vertex numbers per vertex, Edge_None for none.
    const IntStack& triples() const { return m_triples; }

private:
    bool prepass(const std::uint8_t* ops, int first, int count, int& last, int& loop_length);
    bool component(const std::uint8_t* ops, int first, int last, int loop_length);
    int new_entry(int vertex, int corner);
    void free_entry(int e);
    void link(int corner, int other);
    int new_vertex(int a, int b, int c);

    const EdgeAllocator& m_allocator;
    bool m_with_triples;
    bool m_one_component;
    CornerTable m_corners;
    IntStack m_triples;
    int m_next_vertex = 0;

    // The boundary loops: entries holding a vertex, the corner across the
    // edge to the next entry, and their links; unused entries on a free list.
    EdgeArray<int> m_vertex;
    EdgeArray<int> m_corner;
    EdgeArray<int> m_next;
    EdgeArray<int> m_prev;
    int m_used = 0;
    int m_free = -1;
    // Split offsets by op index.
    EdgeArray<int> m_offset;
};

} // namespace w3d::eb::detail
