#pragma once

// The encoder's working mesh: the half-edge table of the shell's triangles,
// the vertex slots (the shell's points, then the copies and dummy vertices the
// coder adds), the traversal that turns the mesh into op bytes, and the vertex
// order the decoder will number its vertices by.
//
// Vertex ids 0 .. P - 1 are the shell's points; ids P .. C - 1 are extra
// slots, each standing for a point (a copy, made where the mesh has to be cut
// open) or for nothing (a dummy that closes a hole; its triangles are dropped
// again by the decoder).

#include "dwf/w3dtk/edgebreaker/corner_table.h"
#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/int_stack.h"
#include "dwf/w3dtk/edgebreaker/proxy_hash.h"

#include <cstdint>
#include <memory>

namespace w3d::eb::detail
{

// Op bytes: one per triangle, by how the triangle meets the active boundary.
enum : std::uint8_t
{
    Op_New_Vertex = 0, // its tip is a vertex not met yet
    Op_Left = 1,       // its left edge is on the boundary
    Op_End = 2,        // it closes a loop of three
    Op_Right = 3,      // its right edge is on the boundary
    Op_Split = 4,      // its tip lies elsewhere on the same loop
};

// What one traversal attempt ended with.
enum class Traversal
{
    Done,   // every triangle is coded
    Handle, // the tip lay on another loop: the mesh has a handle to cut
    Failed, // the mesh cannot be coded
};

class EncoderMesh
{
public:
    EncoderMesh(const EdgeAllocator& allocator, int point_count, int slot_capacity);

    // The triangles of a face list: polygons as fans from their first vertex,
    // or triangle strips. Without strips, triangles with a repeated vertex are
    // left out; strips that hold one, or that are shorter than three, make the
    // coder give the strip form up. False for an index outside 0 .. P - 1.
    bool add_faces(int face_list_length, const int* face_list, bool strips);

    // Connectivity: twins, copies of vertices where several fans meet, boundary
    // loops, and dummy vertices closing all loops of a component but one. False
    // when too few vertices are shared (a triangle soup), a vertex has several
    // fans one of which is closed, or the slots run out.
    bool build();
    // After a handle was cut: the same, closing every boundary loop.
    bool rebuild_closing_every_loop();

    // One traversal. With `one_component`, meeting a second component fails.
    Traversal traverse(bool one_component);
    // Cuts the mesh along the loop the traversal stopped on, copying the
    // vertices of its unvisited side. False when the slots run out.
    bool cut_handle();

    // Strips survived the build and every retry.
    bool strips() const { return m_strips; }
    int triangle_count() const { return m_edges.count() / 3; }
    int point_count() const { return m_points; }

    // ---- results of a complete traversal
    // Op bytes, one per coded triangle.
    const std::uint8_t* ops() const { return m_ops.data(); }
    int op_count() const { return m_op_count; }
    // The traversal's vertex order (vertex ids).
    const IntStack& order() const { return m_order; }
    // Three raw order positions per position (the prediction triple of the
    // vertex at that position), Edge_None for none.
    const IntStack& triples() const { return m_triples; }
    // The gate half-edge of every coded triangle, in coding order: the
    // triangle's corners as the decoder numbers them are gate, next, prev.
    const IntStack& gates() const { return m_gates; }
    const CornerTable& edges() const { return m_edges; }
    // The point a vertex id stands for, or Vertex_Dummy.
    int resolve(int id) const
    {
        return id < m_points ? id : m_proxy[static_cast<std::size_t>(id - m_points)];
    }
    // The strip of this half-edge when it is the first one of a strip's first
    // triangle, else -1.
    int strip_starting_at(int half_edge) const;
    // The number of indices of strip s.
    int strip_length(int s) const { return m_strip_lengths[s]; }

private:
    int new_vertex(int stands_for);
    int end_of(int e) const { return m_edges.vertex(CornerTable::next(e)); }
    int next_id() const { return m_next_id; }

    bool match_twins();
    bool split_fans();
    bool find_loops();
    bool close_loops(bool every_loop);
    bool close_loop(int start);
    void index_incidence();
    bool connected_enough() const;

    bool begin_component(int gate, int label);
    bool cut_open(int triangle, int& gate);
    int find_split_edge(int n) const;
    void relabel_smaller(int a_start, int b_start, int& label_a, int& label_b);
    void link_boundary(int from, int to)
    {
        m_next_b[static_cast<std::size_t>(from)] = to;
        m_prev_b[static_cast<std::size_t>(to)] = from;
    }
    int label(int e) const { return m_label[static_cast<std::size_t>(e)]; }
    void append_vertex(int id, int a, int b, int c);

    const EdgeAllocator& m_allocator;
    int m_points;
    int m_capacity;
    int m_next_id;
    CornerTable m_edges;
    EdgeArray<int> m_proxy;

    bool m_strips = false;
    std::unique_ptr<ProxyHash> m_strip_starts;
    IntStack m_strip_lengths;

    // Incidence: the half-edges starting at each vertex id.
    EdgeArray<int> m_first;
    EdgeArray<int> m_incident;

    // Boundary loops of the built mesh: successor of each boundary half-edge,
    // and the first half-edge of each loop left open.
    EdgeArray<int> m_loop_next;
    EdgeArray<int> m_loop_of;
    IntStack m_open_loops;

    // Traversal state.
    EdgeArray<std::uint8_t> m_visited;
    EdgeArray<int> m_label;
    EdgeArray<int> m_next_b;
    EdgeArray<int> m_prev_b;
    EdgeArray<int> m_position;
    EdgeArray<std::uint8_t> m_ops;
    int m_op_count = 0;
    IntStack m_order;
    IntStack m_triples;
    IntStack m_gates;
    IntStack m_stack;
    int m_current_label = 0;
    int m_next_label = 0;
    int m_handle_gate = -1;
};

} // namespace w3d::eb::detail
