#pragma once

// The decoder's point and normal data, read once the connectivity and the
// final vertex numbers are known.

#include "dwf/w3dtk/edgebreaker/corner_table.h"
#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/edge_bit_stream.h"
#include "dwf/w3dtk/edgebreaker/int_stack.h"

#include <cstdint>

namespace w3d::eb::detail
{

// What the geometry readers need to know of the decoded vertices.
struct DecodedVertices
{
    int count = 0; // V, the vertices of the coded order
    // Scheme 0/1: the prediction triple of each vertex in order, already
    // renumbered (three per vertex, -1 for none).
    const int* triples = nullptr;
};

// Schemes 0 and 1: `count` code triples, each its triple's prediction plus a
// residual, read as ladder codes from `stream` or (raw) as signed 16-bit
// residuals from `raw` (6 bytes per vertex, codes then taken modulo 2^16).
// False for a triple naming a vertex not yet decoded, a code outside its bit
// count, or a stream that ends too early.
bool read_triple_residuals(const DecodedVertices& vertices, const int bits[3],
                           EdgeBitStream* stream, const std::uint8_t* raw, std::uint32_t* codes);

// Scheme 2: the geometry stream. Reads the strip flag, the start and predicted
// counts (their sum must be V), the raw codes and residuals of points (when
// `point_codes`) and normals (when `normal_codes`), and, when `want_strips`,
// the strip records; then walks the corner table assigning the codes. The
// table's vertices are final vertex numbers (-1 on dummy triangles, which are
// unlinked). Strip starts and lengths come back in `strip_corners` and
// `strip_lengths` (empty when the block has none).
bool read_geometry_stream(const EdgeAllocator& allocator, const CornerTable& corners,
                          int vertex_count, const int point_bits[3], const int normal_bits[3],
                          EdgeBitStream& stream, long long stream_bits, std::uint32_t* point_codes,
                          std::uint32_t* normal_codes, bool want_strips, IntStack& strip_corners,
                          IntStack& strip_lengths);

} // namespace w3d::eb::detail
