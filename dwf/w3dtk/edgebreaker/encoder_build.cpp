// The encoder's mesh: triangles from the face list, twins, vertex copies where
// several fans meet at a point, boundary loops and the dummy vertices that
// close holes.
#include "dwf/w3dtk/edgebreaker/encoder_mesh.h"

#include <climits>

namespace w3d::eb::detail
{
namespace
{
bool degenerate(int a, int b, int c)
{
    return a == b || b == c || a == c;
}
} // namespace

EncoderMesh::EncoderMesh(const EdgeAllocator& allocator, int point_count, int slot_capacity)
    : m_allocator(allocator), m_points(point_count), m_capacity(slot_capacity),
      m_next_id(point_count), m_edges(allocator),
      m_proxy(allocator, static_cast<std::size_t>(slot_capacity - point_count + 2), Edge_None),
      m_strip_lengths(allocator), m_first(allocator, 0), m_incident(allocator, 0),
      m_loop_next(allocator, 0), m_loop_of(allocator, 0), m_open_loops(allocator),
      m_visited(allocator, 0), m_label(allocator, 0), m_next_b(allocator, 0),
      m_prev_b(allocator, 0), m_position(allocator, 0), m_ops(allocator, 0), m_order(allocator),
      m_triples(allocator), m_gates(allocator), m_stack(allocator)
{
}

int EncoderMesh::new_vertex(int stands_for)
{
    if (m_next_id >= m_capacity)
        return -1;
    m_proxy[static_cast<std::size_t>(m_next_id - m_points)] = stands_for;
    return m_next_id++;
}

int EncoderMesh::strip_starting_at(int half_edge) const
{
    std::uint32_t strip = 0;
    if (!m_strips || !m_strip_starts ||
        !m_strip_starts->lookup(static_cast<std::uint32_t>(half_edge), strip))
        return -1;
    return static_cast<int>(strip);
}

bool EncoderMesh::add_faces(int length, const int* faces, bool strips)
{
    // First pass: the list is well formed and every index names a point; strip
    // records are kept only when every strip can come back as it went in.
    bool keep_strips = strips;
    long long triangles = 0;
    for (int i = 0; i < length;)
    {
        int const n = faces[i];
        if (n < 0 || n > length - i - 1)
            return false;
        for (int k = 1; k <= n; ++k)
            if (faces[i + k] < 0 || faces[i + k] >= m_points)
                return false;
        if (n < 3)
            keep_strips = false;
        for (int k = 0; strips && k + 2 < n; ++k)
            if (degenerate(faces[i + 1 + k], faces[i + 2 + k], faces[i + 3 + k]))
                keep_strips = false;
        if (n > 2)
            triangles += n - 2;
        i += n + 1;
    }
    if (triangles > INT_MAX / 3)
        return false;
    m_strips = keep_strips;
    if (keep_strips)
        m_strip_starts = std::make_unique<ProxyHash>(m_allocator, 100);
    m_edges.open(static_cast<int>(3 * triangles));

    auto const add = [this](int a, int b, int c) {
        if (degenerate(a, b, c))
            return;
        int const e = m_edges.append();
        m_edges.append();
        m_edges.append();
        m_edges[e].vertex = a;
        m_edges[e + 1].vertex = b;
        m_edges[e + 2].vertex = c;
    };
    for (int i = 0, record = 0; i < length; ++record)
    {
        int const n = faces[i];
        const int* const v = faces + i + 1;
        if (strips)
        {
            if (keep_strips)
            {
                m_strip_starts->insert(static_cast<std::uint32_t>(m_edges.count()),
                                       static_cast<std::uint32_t>(record));
                m_strip_lengths.push(n);
            }
            // Triangle k is (v k, v k+1, v k+2), every odd one turned over so
            // that all of them face the same way.
            for (int k = 0; k + 2 < n; ++k)
                if (k % 2 == 0)
                    add(v[k], v[k + 1], v[k + 2]);
                else
                    add(v[k + 1], v[k], v[k + 2]);
        }
        else
        {
            // A polygon becomes the fan of triangles from its first vertex.
            for (int k = 2; k < n; ++k)
                add(v[0], v[k - 1], v[k]);
        }
        i += n + 1;
    }
    return true;
}

void EncoderMesh::index_incidence()
{
    int const ids = m_next_id;
    int const count = m_edges.count();
    m_first.assign(static_cast<std::size_t>(ids) + 1, 0);
    for (int e = 0; e < count; ++e)
        ++m_first[static_cast<std::size_t>(m_edges.vertex(e)) + 1];
    for (int v = 0; v < ids; ++v)
        m_first[static_cast<std::size_t>(v) + 1] += m_first[static_cast<std::size_t>(v)];
    m_incident.assign(static_cast<std::size_t>(count));
    EdgeArray<int> cursor(m_allocator, static_cast<std::size_t>(ids));
    for (int v = 0; v < ids; ++v)
        cursor[static_cast<std::size_t>(v)] = m_first[static_cast<std::size_t>(v)];
    for (int e = 0; e < count; ++e)
        m_incident[static_cast<std::size_t>(cursor[static_cast<std::size_t>(m_edges.vertex(e))]++)] =
            e;
}

// Edge-breaker pays off only on meshes whose triangles share their vertices;
// it declines when the slots of vertices in two or more triangles number no
// more than a fifth of all slots.
bool EncoderMesh::connected_enough() const
{
    int shared = 0;
    for (int v = 0; v < m_points; ++v)
        if (m_first[static_cast<std::size_t>(v) + 1] - m_first[static_cast<std::size_t>(v)] > 1)
            ++shared;
    return shared > 0.2 * m_capacity;
}

// Twins: the half-edge b -> a of a -> b. An edge of three or more half-edges,
// or of two running the same way, is non-manifold: all its half-edges stay
// without twin, so the triangles around it are cut loose, and strip records
// are given up.
bool EncoderMesh::match_twins()
{
    int const count = m_edges.count();
    auto const incident = [this](int v, int& first, int& last) {
        first = m_first[static_cast<std::size_t>(v)];
        last = m_first[static_cast<std::size_t>(v) + 1];
    };
    for (int e = 0; e < count; ++e)
    {
        if (m_edges.twin(e) != Edge_None)
            continue;
        int const a = m_edges.vertex(e);
        int const b = end_of(e);
        int first, last, match = -1, matches = 0, same_way = 0;
        incident(b, first, last);
        for (int i = first; i < last; ++i)
        {
            int const f = m_incident[static_cast<std::size_t>(i)];
            if (end_of(f) == a)
            {
                ++matches;
                match = f;
            }
        }
        incident(a, first, last);
        for (int i = first; i < last; ++i)
        {
            int const g = m_incident[static_cast<std::size_t>(i)];
            if (g != e && end_of(g) == b)
                ++same_way;
        }
        if (matches == 0 && same_way == 0)
            continue;
        if (matches == 1 && same_way == 0 && m_edges.twin(match) == Edge_None)
        {
            m_edges.link(e, match);
            continue;
        }
        m_edges[e].twin = Edge_Nonmanifold;
        incident(b, first, last);
        for (int i = first; i < last; ++i)
        {
            int const f = m_incident[static_cast<std::size_t>(i)];
            if (end_of(f) == a)
                m_edges[f].twin = Edge_Nonmanifold;
        }
        incident(a, first, last);
        for (int i = first; i < last; ++i)
        {
            int const g = m_incident[static_cast<std::size_t>(i)];
            if (end_of(g) == b)
                m_edges[g].twin = Edge_Nonmanifold;
        }
        m_strips = false;
    }
    return true;
}

// The triangles around a vertex must form one fan (a disc, open or closed).
// Where several open fans meet at a vertex (two surfaces touching at a point,
// or a boundary that passes through it twice), every fan but the first gets a
// copy of the vertex of its own. Several fans one of which is closed cannot be
// told apart along a boundary: the coder declines.
bool EncoderMesh::split_fans()
{
    int const count = m_edges.count();
    int const ids = m_next_id;
    EdgeArray<int> fan_of(m_allocator, static_cast<std::size_t>(count), -1);
    IntStack fan_starts(m_allocator);
    for (int v = 0; v < ids; ++v)
    {
        int const first = m_first[static_cast<std::size_t>(v)];
        int const last = m_first[static_cast<std::size_t>(v) + 1];
        int const size = last - first;
        if (size < 2)
            continue;
        fan_starts.clear();
        bool any_closed = false;
        for (int i = first; i < last; ++i)
        {
            int const e = m_incident[static_cast<std::size_t>(i)];
            if (fan_of[static_cast<std::size_t>(e)] >= 0)
                continue;
            // Back to the first half-edge of the fan (or round a closed one).
            int start = e;
            bool closed = false;
            for (int steps = 0;; ++steps)
            {
                int const twin = m_edges.twin(start);
                if (!CornerTable::linked(twin))
                    break;
                int const before = CornerTable::next(twin);
                if (before == e)
                {
                    closed = true;
                    break;
                }
                if (steps > size)
                    return false;
                start = before;
            }
            // Forward through the fan, marking it.
            int x = start;
            for (int steps = 0;; ++steps)
            {
                if (steps > size || m_edges.vertex(x) != v)
                    return false;
                fan_of[static_cast<std::size_t>(x)] = fan_starts.size();
                int const twin = m_edges.twin(CornerTable::prev(x));
                if (!CornerTable::linked(twin) || twin == start)
                    break;
                x = twin;
            }
            fan_starts.push(start);
            any_closed = any_closed || closed;
        }
        if (fan_starts.size() < 2)
            continue;
        if (any_closed)
            return false;
        for (int f = 1; f < fan_starts.size(); ++f)
        {
            int const copy = new_vertex(resolve(v));
            if (copy < 0)
                return false;
            int x = fan_starts[f];
            for (int steps = 0; steps <= size; ++steps)
            {
                m_edges[x].vertex = copy;
                int const twin = m_edges.twin(CornerTable::prev(x));
                if (!CornerTable::linked(twin) || twin == fan_starts[f])
                    break;
                x = twin;
            }
        }
    }
    return true;
}

// Boundary half-edges (no usable twin) and their successors along the
// boundary: the boundary half-edge that starts where one ends, found by turning
// round its end vertex through the triangles on its side. Loops are numbered
// in the order of their first half-edges.
bool EncoderMesh::find_loops()
{
    int const count = m_edges.count();
    m_loop_next.assign(static_cast<std::size_t>(count), Edge_None);
    m_loop_of.assign(static_cast<std::size_t>(count), 0);
    for (int e = 0; e < count; ++e)
    {
        if (CornerTable::linked(m_edges.twin(e)))
            continue;
        int h = CornerTable::next(e);
        for (int steps = 0; CornerTable::linked(m_edges.twin(h)); ++steps)
        {
            if (steps > count)
                return false;
            h = CornerTable::next(m_edges.twin(h));
        }
        m_loop_next[static_cast<std::size_t>(e)] = h;
    }
    int loops = 0;
    for (int e = 0; e < count; ++e)
    {
        if (CornerTable::linked(m_edges.twin(e)) || m_loop_of[static_cast<std::size_t>(e)] != 0)
            continue;
        ++loops;
        int x = e;
        for (int steps = 0;; ++steps)
        {
            if (steps > count || m_loop_of[static_cast<std::size_t>(x)] != 0)
                return false;
            m_loop_of[static_cast<std::size_t>(x)] = loops;
            x = m_loop_next[static_cast<std::size_t>(x)];
            if (x == e)
                break;
        }
    }
    return true;
}

// A loop closed by a dummy vertex: one new triangle on each loop edge, turned
// against it, all meeting at the dummy.
bool EncoderMesh::close_loop(int start)
{
    int const dummy = new_vertex(Vertex_Dummy);
    if (dummy < 0)
        return false;
    int first_triangle = -1;
    int previous = -1;
    int h = start;
    do
    {
        int const to = end_of(h);
        int const from = m_edges.vertex(h);
        int const e = m_edges.append();
        m_edges.append();
        m_edges.append();
        m_edges[e].vertex = to;
        m_edges[e + 1].vertex = from;
        m_edges[e + 2].vertex = dummy;
        m_edges.link(e, h);
        if (previous >= 0)
            m_edges.link(previous + 2, e + 1);
        else
            first_triangle = e;
        previous = e;
        h = m_loop_next[static_cast<std::size_t>(h)];
    } while (h != start);
    m_edges.link(previous + 2, first_triangle + 1);
    return true;
}

// Every component keeps at most one open loop (the traversal starts on it);
// the others are closed by dummy vertices. With `every_loop`, all are closed.
bool EncoderMesh::close_loops(bool every_loop)
{
    int const count = m_edges.count();
    int const triangles = count / 3;
    IntStack starts(m_allocator);
    for (int e = 0; e < count; ++e)
    {
        int const loop = m_loop_of[static_cast<std::size_t>(e)];
        if (loop == starts.size() + 1)
            starts.push(e);
    }
    EdgeArray<int> component(m_allocator, static_cast<std::size_t>(triangles), -1);
    IntStack open_in(m_allocator);
    if (!every_loop)
    {
        // Components by flood fill across twins.
        IntStack work(m_allocator);
        int components = 0;
        for (int t = 0; t < triangles; ++t)
        {
            if (component[static_cast<std::size_t>(t)] >= 0)
                continue;
            component[static_cast<std::size_t>(t)] = components;
            work.push(t);
            while (!work.empty())
            {
                int const u = work.pop();
                for (int k = 0; k < 3; ++k)
                {
                    int const twin = m_edges.twin(3 * u + k);
                    if (!CornerTable::linked(twin))
                        continue;
                    int const w = CornerTable::triangle(twin);
                    if (component[static_cast<std::size_t>(w)] < 0)
                    {
                        component[static_cast<std::size_t>(w)] = components;
                        work.push(w);
                    }
                }
            }
            open_in.push(0);
            ++components;
        }
        for (int l = 0; l < starts.size(); ++l)
            ++open_in[component[static_cast<std::size_t>(CornerTable::triangle(starts[l]))]];
    }
    IntStack to_close(m_allocator);
    m_open_loops.clear();
    long long added = 0;
    for (int l = 0; l < starts.size(); ++l)
    {
        int const start = starts[l];
        if (!every_loop)
        {
            int& open = open_in[component[static_cast<std::size_t>(CornerTable::triangle(start))]];
            if (open <= 1)
            {
                m_open_loops.push(start);
                continue;
            }
            --open;
        }
        to_close.push(start);
        int h = start;
        do
        {
            added += 3;
            h = m_loop_next[static_cast<std::size_t>(h)];
        } while (h != start);
    }
    if (to_close.size() > m_capacity - m_next_id || count + added > INT_MAX)
        return false;
    m_edges.reserve(static_cast<int>(count + added));
    for (int l = 0; l < to_close.size(); ++l)
        if (!close_loop(to_close[l]))
            return false;
    // Traversals cut closed components open through the loop links.
    m_loop_next.resize(static_cast<std::size_t>(m_edges.count()), Edge_None);
    return true;
}

bool EncoderMesh::build()
{
    if (m_edges.count() == 0)
        return false;
    index_incidence();
    if (!connected_enough() || !match_twins() || !split_fans() || !find_loops())
        return false;
    return close_loops(false);
}

bool EncoderMesh::rebuild_closing_every_loop()
{
    m_strips = false;
    index_incidence();
    if (!split_fans() || !find_loops())
        return false;
    return close_loops(true);
}

} // namespace w3d::eb::detail
