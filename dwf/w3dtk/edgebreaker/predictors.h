#pragma once

// Vertex predictors of the edge-breaker coder. Coordinates are quantised codes,
// three per vertex; predictions are taken in 64 bits, so b - c + a never
// overflows whatever the bit count (codes are at most 32 bits wide).

#include "dwf/w3dtk/edgebreaker/corner_table.h"

#include <cstdint>

namespace w3d::eb
{

// Three quantised components.
struct Code3
{
    std::int64_t v[3];
};

// The prediction of a vertex from the triple (a, b, c) of vertex numbers, a
// negative number meaning none:
//   a none:                b, else c, else (0, 0, 0);
//   a, b and c present:    b - c + a, the fourth corner of the parallelogram;
//   a present, b or c not: a.
// `codes` holds three codes per vertex.
Code3 predict_parallelogram(int a, int b, int c, const std::uint32_t* codes);

// The prediction of the vertex opposite half-edge e (its triangle's third
// vertex) from the triangle across e: with a the vertex of e, b the vertex of
// next(e) and c the vertex of prev(twin(e)), b - c + a. `vertex_of` maps a
// table vertex value to the row of `codes` (the encoder resolves copies of a
// vertex to the vertex itself). e must have a twin.
template <class VertexOf>
Code3 predict_corner(const CornerTable& table, int e, VertexOf&& vertex_of,
                     const std::uint32_t* codes)
{
    int const twin = CornerTable::uncut(table.twin(e));
    int const a = vertex_of(table.vertex(e));
    int const b = vertex_of(table.vertex(CornerTable::next(e)));
    int const c = vertex_of(table.vertex(CornerTable::prev(twin)));
    return predict_parallelogram(a, b, c, codes);
}

} // namespace w3d::eb
