// The edge-breaker traversal: the active boundary walks over the mesh one
// triangle at a time, each triangle giving one op byte by how it meets the
// boundary.
//
// The boundary is a set of loops of half-edges, each belonging to a triangle
// not yet coded whose other side is coded or open; next_b and prev_b link each
// loop, and every half-edge on a loop carries the loop's label (0 off the
// boundary). The gate is the boundary half-edge s -> t whose triangle is coded
// next; n (t -> tip) and p (tip -> s) are the triangle's other half-edges.
// Loops left aside by a split wait on a stack with their gate.
#include "dwf/w3dtk/edgebreaker/encoder_mesh.h"

namespace w3d::eb::detail
{

void EncoderMesh::append_vertex(int id, int a, int b, int c)
{
    m_position[static_cast<std::size_t>(id)] = m_order.size();
    m_order.push(id);
    m_triples.push(a);
    m_triples.push(b);
    m_triples.push(c);
}

// A component without an open loop is cut open at the triangle's first two
// half-edges: the loop g, n, twin(n), twin(g) runs round them, and the vertex
// between g and n gets a copy at n so that the loop passes each vertex once.
bool EncoderMesh::cut_open(int triangle, int& gate)
{
    int const g = 3 * triangle;
    int const n = g + 1;
    int const twin_g = m_edges.twin(g);
    int const twin_n = m_edges.twin(n);
    if (!CornerTable::linked(twin_g) || !CornerTable::linked(twin_n) ||
        CornerTable::triangle(twin_g) == triangle || CornerTable::triangle(twin_n) == triangle)
        return false;
    int const copy = new_vertex(resolve(m_edges.vertex(n)));
    if (copy < 0)
        return false;
    m_edges[g].twin = CornerTable::cut(twin_g);
    m_edges[twin_g].twin = CornerTable::cut(g);
    m_edges[n].twin = CornerTable::cut(twin_n);
    m_edges[twin_n].twin = CornerTable::cut(n);
    m_edges[n].vertex = copy;
    m_loop_next[static_cast<std::size_t>(g)] = n;
    m_loop_next[static_cast<std::size_t>(n)] = twin_n;
    m_loop_next[static_cast<std::size_t>(twin_n)] = twin_g;
    m_loop_next[static_cast<std::size_t>(twin_g)] = g;
    gate = g;
    return true;
}

// The start loop's vertices open the vertex order, each predicted from the one
// before it on the loop.
bool EncoderMesh::begin_component(int gate, int label)
{
    int const count = m_edges.count();
    int previous = Edge_None;
    int x = gate;
    for (int steps = 0;; ++steps)
    {
        int const id = m_edges.vertex(x);
        if (steps > count || m_position[static_cast<std::size_t>(id)] >= 0 ||
            m_label[static_cast<std::size_t>(x)] != 0)
            return false;
        append_vertex(id, previous, Edge_None, Edge_None);
        previous = m_position[static_cast<std::size_t>(id)];
        m_label[static_cast<std::size_t>(x)] = label;
        int const next = m_loop_next[static_cast<std::size_t>(x)];
        link_boundary(x, next);
        x = next;
        if (x == gate)
            return true;
    }
}

// The boundary half-edge that ends at the tip beside the triangle: turning
// round the tip from n through triangles not yet coded until a half-edge on
// the boundary is met. -1 when the mesh contradicts the boundary.
int EncoderMesh::find_split_edge(int n) const
{
    int const count = m_edges.count();
    int h = n;
    for (int steps = 0; steps <= count; ++steps)
    {
        int const twin = m_edges.twin(h);
        if (!CornerTable::linked(twin))
            return -1;
        h = CornerTable::prev(twin);
        if (label(h) != 0)
            return h;
    }
    return -1;
}

// After a split the two loops must carry different labels; the shorter one
// gets a new label, so relabelling costs no more than the smaller part.
void EncoderMesh::relabel_smaller(int a_start, int b_start, int& label_a, int& label_b)
{
    int x = m_next_b[static_cast<std::size_t>(a_start)];
    int y = m_next_b[static_cast<std::size_t>(b_start)];
    while (x != a_start && y != b_start)
    {
        x = m_next_b[static_cast<std::size_t>(x)];
        y = m_next_b[static_cast<std::size_t>(y)];
    }
    int const start = x == a_start ? a_start : b_start;
    int const label = m_next_label++;
    (start == a_start ? label_a : label_b) = label;
    int h = start;
    do
    {
        m_label[static_cast<std::size_t>(h)] = label;
        h = m_next_b[static_cast<std::size_t>(h)];
    } while (h != start);
}

Traversal EncoderMesh::traverse(bool one_component)
{
    int const count = m_edges.count();
    int const triangles = count / 3;
    m_visited.assign(static_cast<std::size_t>(triangles), 0);
    m_label.assign(static_cast<std::size_t>(count), 0);
    m_next_b.assign(static_cast<std::size_t>(count), Edge_None);
    m_prev_b.assign(static_cast<std::size_t>(count), Edge_None);
    m_position.assign(static_cast<std::size_t>(m_capacity), -1);
    m_ops.assign(static_cast<std::size_t>(triangles), 0);
    m_op_count = 0;
    m_order.clear();
    m_triples.clear();
    m_gates.clear();
    m_stack.clear();
    m_next_label = 1;
    m_handle_gate = -1;

    auto const linked_twin = [this](int e) {
        int const twin = m_edges.twin(e);
        return CornerTable::linked(twin) ? twin : -1;
    };
    auto const set_label = [this](int e, int label) { m_label[static_cast<std::size_t>(e)] = label; };
    auto const next_b = [this](int e) { return m_next_b[static_cast<std::size_t>(e)]; };
    auto const prev_b = [this](int e) { return m_prev_b[static_cast<std::size_t>(e)]; };

    int components = 0;
    int next_loop = 0;
    int scan = 0;
    for (;;)
    {
        // The next component: an open loop not yet reached, else a closed
        // component cut open at its first triangle not yet coded.
        int gate = -1;
        while (gate < 0 && next_loop < m_open_loops.size())
        {
            int const start = m_open_loops[next_loop++];
            if (!m_visited[static_cast<std::size_t>(CornerTable::triangle(start))])
                gate = start;
        }
        if (gate < 0)
        {
            while (scan < triangles && m_visited[static_cast<std::size_t>(scan)])
                ++scan;
            if (scan == triangles)
                return Traversal::Done;
            if (!cut_open(scan, gate))
                return Traversal::Failed;
        }
        if (one_component && ++components > 1)
            return Traversal::Failed;
        m_current_label = m_next_label++;
        if (!begin_component(gate, m_current_label))
            return Traversal::Failed;

        while (gate >= 0)
        {
            int const g = gate;
            int const t = CornerTable::triangle(g);
            int const n = CornerTable::next(g);
            int const p = CornerTable::prev(g);
            int const s = m_edges.vertex(g);
            int const tip = m_edges.vertex(p);
            if (m_visited[static_cast<std::size_t>(t)] || label(g) != m_current_label)
                return Traversal::Failed;

            std::uint8_t op;
            int a = -1;
            if (m_position[static_cast<std::size_t>(tip)] < 0)
                op = Op_New_Vertex;
            else if (label(p) != 0)
            {
                if (prev_b(g) != p || (label(n) != 0 && next_b(g) != n))
                    return Traversal::Failed;
                op = label(n) != 0 ? Op_End : Op_Left;
            }
            else if (label(n) != 0)
            {
                if (next_b(g) != n)
                    return Traversal::Failed;
                op = Op_Right;
            }
            else
            {
                a = find_split_edge(n);
                if (a < 0)
                    return Traversal::Failed;
                if (label(a) != m_current_label)
                {
                    // The tip lies on a loop set aside: the unvisited region
                    // wraps round a handle.
                    m_handle_gate = g;
                    return Traversal::Handle;
                }
                op = Op_Split;
            }

            m_visited[static_cast<std::size_t>(t)] = 1;
            m_gates.push(g);
            m_ops[static_cast<std::size_t>(m_op_count++)] = op;
            set_label(g, 0);
            switch (op)
            {
            case Op_New_Vertex:
            {
                int const twin_p = linked_twin(p);
                int const twin_n = linked_twin(n);
                if (twin_p < 0 || twin_n < 0)
                    return Traversal::Failed;
                // The prediction triple: the gate's ends and the vertex across it.
                int const across = linked_twin(g);
                int const opposite =
                    across >= 0
                        ? m_position[static_cast<std::size_t>(m_edges.vertex(CornerTable::prev(across)))]
                        : Edge_None;
                append_vertex(tip, m_position[static_cast<std::size_t>(s)],
                              m_position[static_cast<std::size_t>(m_edges.vertex(n))], opposite);
                int const before = prev_b(g);
                int const after = next_b(g);
                link_boundary(before, twin_p);
                link_boundary(twin_p, twin_n);
                link_boundary(twin_n, after);
                set_label(twin_p, m_current_label);
                set_label(twin_n, m_current_label);
                gate = twin_n;
                break;
            }
            case Op_Left:
            {
                int const twin_n = linked_twin(n);
                if (twin_n < 0)
                    return Traversal::Failed;
                link_boundary(prev_b(p), twin_n);
                link_boundary(twin_n, next_b(g));
                set_label(p, 0);
                set_label(twin_n, m_current_label);
                gate = twin_n;
                break;
            }
            case Op_Right:
            {
                int const twin_p = linked_twin(p);
                if (twin_p < 0)
                    return Traversal::Failed;
                link_boundary(prev_b(g), twin_p);
                link_boundary(twin_p, next_b(n));
                set_label(n, 0);
                set_label(twin_p, m_current_label);
                gate = twin_p;
                break;
            }
            case Op_End:
            {
                if (next_b(n) != p)
                    return Traversal::Failed;
                set_label(n, 0);
                set_label(p, 0);
                gate = -1;
                // The next loop set aside; one whose triangle was coded since
                // is gone.
                while (gate < 0 && !m_stack.empty())
                {
                    int const stacked_label = m_stack.pop();
                    int const stacked_gate = m_stack.pop();
                    if (!m_visited[static_cast<std::size_t>(CornerTable::triangle(stacked_gate))] &&
                        label(stacked_gate) == stacked_label)
                    {
                        gate = stacked_gate;
                        m_current_label = stacked_label;
                    }
                }
                break;
            }
            default: // Op_Split
            {
                int const twin_p = linked_twin(p);
                int const twin_n = linked_twin(n);
                if (twin_p < 0 || twin_n < 0)
                    return Traversal::Failed;
                int const before = prev_b(g);
                int const after = next_b(g);
                int const b = next_b(a);
                // The part through twin(n) goes on; the part through twin(p)
                // waits on the stack.
                link_boundary(a, twin_n);
                link_boundary(twin_n, after);
                link_boundary(before, twin_p);
                link_boundary(twin_p, b);
                set_label(twin_n, m_current_label);
                set_label(twin_p, m_current_label);
                int label_on = m_current_label;
                int label_aside = m_current_label;
                relabel_smaller(twin_n, twin_p, label_on, label_aside);
                m_current_label = label_on;
                m_stack.push(twin_p);
                m_stack.push(label_aside);
                gate = twin_n;
                break;
            }
            }
        }
    }
}

// The loop the traversal stopped on is cut: its half-edges lose their twins on
// both sides, and every vertex occurrence along it gets a copy for the
// triangles on its unvisited side. The handle is then open; the next attempt
// closes the new loops with dummies.
bool EncoderMesh::cut_handle()
{
    if (m_handle_gate < 0)
        return false;
    int const count = m_edges.count();
    IntStack loop(m_allocator);
    int x = m_handle_gate;
    do
    {
        if (loop.size() > count)
            return false;
        loop.push(x);
        x = m_next_b[static_cast<std::size_t>(x)];
    } while (x != m_handle_gate);
    for (int i = 0; i < loop.size(); ++i)
    {
        int const h = loop[i];
        int const twin = m_edges.twin(h);
        if (CornerTable::linked(twin))
        {
            m_edges[h].twin = CornerTable::cut(twin);
            m_edges[twin].twin = CornerTable::cut(h);
        }
    }
    for (int i = 0; i < loop.size(); ++i)
    {
        int const h = loop[i];
        int const copy = new_vertex(resolve(m_edges.vertex(h)));
        if (copy < 0)
            return false;
        int e = h;
        for (int steps = 0;; ++steps)
        {
            if (steps > count)
                return false;
            m_edges[e].vertex = copy;
            int const twin = m_edges.twin(CornerTable::prev(e));
            if (!CornerTable::linked(twin) || twin == h)
                break;
            e = twin;
        }
    }
    m_handle_gate = -1;
    return true;
}

} // namespace w3d::eb::detail
