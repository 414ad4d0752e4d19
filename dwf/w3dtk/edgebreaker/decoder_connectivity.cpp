#include "dwf/w3dtk/edgebreaker/decoder_connectivity.h"

#include <climits>

namespace w3d::eb::detail
{
namespace
{
enum : std::uint8_t
{
    Op_New_Vertex = 0,
    Op_Left = 1,
    Op_End = 2,
    Op_Right = 3,
    Op_Split = 4,
};
} // namespace

ConnectivityDecoder::ConnectivityDecoder(const EdgeAllocator& allocator, bool with_triples,
                                         bool one_component)
    : m_allocator(allocator), m_with_triples(with_triples), m_one_component(one_component),
      m_corners(allocator), m_triples(allocator), m_vertex(allocator, 0), m_corner(allocator, 0),
      m_next(allocator, 0), m_prev(allocator, 0), m_offset(allocator, 0)
{
}

// The loop length of a component and the offset of each of its splits, from
// a counter that follows the total length of the loops: a new vertex makes the
// boundary one longer, a left or right op one shorter, an end consumes a loop
// of three, a split adds one entry. At each end that closes a split's part the
// split's offset is the length of that part less 2.
bool ConnectivityDecoder::prepass(const std::uint8_t* ops, int first, int count, int& last,
                                  int& loop_length)
{
    IntStack pending(m_allocator);
    long long counter = 0;
    for (int i = first; i < count; ++i)
    {
        switch (ops[i])
        {
        case Op_New_Vertex:
            --counter;
            break;
        case Op_Left:
        case Op_Right:
            ++counter;
            break;
        case Op_Split:
            --counter;
            pending.push(i);
            pending.push(static_cast<int>(counter));
            break;
        case Op_End:
            counter += 3;
            if (pending.empty())
            {
                if (counter < 1 || counter > INT_MAX / 4)
                    return false;
                last = i;
                loop_length = static_cast<int>(counter);
                return true;
            }
            {
                long long const at_split = pending.pop();
                int const split = pending.pop();
                m_offset[static_cast<std::size_t>(split)] =
                    static_cast<int>(counter - at_split - 2);
            }
            break;
        default:
            // Ops 5 and 6 (holes and handles kept in the block) and anything
            // else are not written by this system.
            return false;
        }
    }
    return false;
}

int ConnectivityDecoder::new_entry(int vertex, int corner)
{
    int e = m_free;
    if (e >= 0)
        m_free = m_next[static_cast<std::size_t>(e)];
    else
        e = m_used++;
    m_vertex[static_cast<std::size_t>(e)] = vertex;
    m_corner[static_cast<std::size_t>(e)] = corner;
    return e;
}

void ConnectivityDecoder::free_entry(int e)
{
    m_next[static_cast<std::size_t>(e)] = m_free;
    m_free = e;
}

void ConnectivityDecoder::link(int corner, int other)
{
    if (other != Edge_None)
        m_corners.link(corner, other);
}

int ConnectivityDecoder::new_vertex(int a, int b, int c)
{
    if (m_with_triples)
    {
        m_triples.push(a);
        m_triples.push(b);
        m_triples.push(c);
    }
    return m_next_vertex++;
}

bool ConnectivityDecoder::component(const std::uint8_t* ops, int first, int last, int loop_length)
{
    // Room for every entry the component can use: the loop, plus one for each
    // op that adds one.
    long long const needed = static_cast<long long>(loop_length) + (last - first + 1) + 1;
    if (needed > INT_MAX / 4)
        return false;
    if (static_cast<long long>(m_vertex.size()) < needed)
    {
        m_vertex.assign(static_cast<std::size_t>(needed));
        m_corner.assign(static_cast<std::size_t>(needed));
        m_next.assign(static_cast<std::size_t>(needed));
        m_prev.assign(static_cast<std::size_t>(needed));
    }
    m_used = 0;
    m_free = -1;
    auto next = [this](int e) -> int& { return m_next[static_cast<std::size_t>(e)]; };
    auto prev = [this](int e) -> int& { return m_prev[static_cast<std::size_t>(e)]; };
    auto vertex = [this](int e) -> int& { return m_vertex[static_cast<std::size_t>(e)]; };
    auto corner = [this](int e) -> int& { return m_corner[static_cast<std::size_t>(e)]; };
    auto join = [&next, &prev](int from, int to) {
        next(from) = to;
        prev(to) = from;
    };

    // The start loop: new vertices, each predicted from the one before it.
    int previous_vertex = Edge_None;
    int first_entry = -1;
    int previous_entry = -1;
    for (int i = 0; i < loop_length; ++i)
    {
        int const v = new_vertex(previous_vertex, Edge_None, Edge_None);
        int const e = new_entry(v, Edge_None);
        if (previous_entry >= 0)
            join(previous_entry, e);
        else
            first_entry = e;
        previous_entry = e;
        previous_vertex = v;
    }
    join(previous_entry, first_entry);

    IntStack stack(m_allocator); // gate entry, loop length
    int g = first_entry;
    int length = loop_length;
    for (int i = first; i <= last; ++i)
    {
        int const c0 = m_corners.append();
        int const c1 = m_corners.append();
        int const c2 = m_corners.append();
        int const a = vertex(g);
        int const after = next(g);
        int const b = vertex(after);
        int const before = prev(g);
        m_corners[c0].vertex = a;
        m_corners[c1].vertex = b;
        link(c0, corner(g));
        switch (ops[i])
        {
        case Op_New_Vertex:
        {
            if (length < 2)
                return false;
            // The gate's opposite: the third vertex of the triangle across it.
            int const across = corner(g);
            int const opposite =
                across != Edge_None ? m_corners.vertex(CornerTable::prev(across)) : Edge_None;
            int const x = new_vertex(a, b, opposite);
            m_corners[c2].vertex = x;
            int const e = new_entry(a, c2);
            join(before, e);
            join(e, g);
            vertex(g) = x;
            corner(g) = c1;
            ++length;
            break;
        }
        case Op_Left:
        {
            if (length < 3)
                return false;
            m_corners[c2].vertex = vertex(before);
            link(c2, corner(before));
            vertex(g) = vertex(before);
            corner(g) = c1;
            join(prev(before), g);
            free_entry(before);
            --length;
            break;
        }
        case Op_Right:
        {
            if (length < 3)
                return false;
            int const beyond = next(after);
            m_corners[c2].vertex = vertex(beyond);
            link(c1, corner(after));
            corner(g) = c2;
            join(g, beyond);
            free_entry(after);
            --length;
            break;
        }
        case Op_End:
        {
            if (length != 3 || next(after) != before)
                return false;
            m_corners[c2].vertex = vertex(before);
            link(c1, corner(after));
            link(c2, corner(before));
            free_entry(g);
            free_entry(after);
            free_entry(before);
            if (stack.empty())
                return i == last;
            length = stack.pop();
            g = stack.pop();
            break;
        }
        case Op_Split:
        {
            int const offset = m_offset[static_cast<std::size_t>(i)];
            if (offset < 0 || offset > length - 3)
                return false;
            int reached = g;
            for (int step = 0; step <= offset; ++step)
                reached = next(reached);
            int const w = next(reached);
            m_corners[c2].vertex = vertex(w);
            // One loop goes on from g (now holding w) round to `reached`; the
            // other, from a new entry holding a through w, waits.
            int const e = new_entry(a, c2);
            join(before, e);
            join(e, w);
            vertex(g) = vertex(w);
            corner(g) = c1;
            join(reached, g);
            stack.push(e);
            stack.push(length - offset - 1);
            length = offset + 2;
            break;
        }
        default:
            return false;
        }
    }
    return false;
}

bool ConnectivityDecoder::decode(const std::uint8_t* ops, int count)
{
    m_corners.open(3 * count);
    m_triples.clear();
    m_next_vertex = 0;
    m_offset.assign(static_cast<std::size_t>(count), -1);
    for (int first = 0; first < count;)
    {
        if (m_one_component && first > 0)
            return false;
        int last = -1;
        int loop_length = 0;
        if (!prepass(ops, first, count, last, loop_length))
            return false;
        // Every vertex costs a triangle at least, so a loop longer than three
        // per op is a lie that would only waste memory.
        if (loop_length > 3 * (last - first + 1) + 3 ||
            static_cast<long long>(m_next_vertex) + loop_length + (last - first + 1) > INT_MAX / 4)
            return false;
        if (!component(ops, first, last, loop_length))
            return false;
        first = last + 1;
    }
    return true;
}

} // namespace w3d::eb::detail
