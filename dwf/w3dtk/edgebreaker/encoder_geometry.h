#pragma once

// The point and normal data of an edge-breaker block, as the encoder writes
// them once the traversal has fixed the vertex order.

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/edge_bit_stream.h"
#include "dwf/w3dtk/edgebreaker/encoder_mesh.h"

#include <cstdint>

namespace w3d::eb::detail
{

// The coded vertices: V of them, in the compacted order.
struct CodedVertices
{
    int count = 0;
    // Per point of the shell: its compacted index, -1 when no face uses it.
    const int* compact_of_point = nullptr;
    // Per position of the traversal's order: the compacted index (a repeat's is
    // its first occurrence's), -1 for a dummy.
    const int* compact_of_position = nullptr;
    // Per position: whether it is a dummy.
    int positions = 0;
};

// Quantised codes, three per compacted vertex, of `values` (three floats per
// point of the shell, picked through `point_of`) against `box` with the given
// bit counts.
void quantise_codes(const float* values, const int* point_of, int count, const float box[6],
                    const int bits[3], std::uint32_t* codes);

// Schemes 0 and 1: the residual of every compacted vertex against the
// prediction of the triple that pairs with it. Ladder codes into `stream`, or
// (raw) the low 16 bits of each residual as three little-endian u16 per vertex
// into `raw` (room for 6 x count bytes). False when a residual does not fit.
bool write_triple_residuals(const EncoderMesh& mesh, const CodedVertices& vertices,
                            const std::uint32_t* codes, EdgeBitStream* stream,
                            std::uint8_t* raw);

// Scheme 2: the geometry stream (strip flag, start and predicted counts, raw
// codes of the start vertices and residuals of the predicted ones for points
// and then normals, and the strip records). Either code array may be null.
// False when a value does not fit its ladder or the stream runs out of room.
bool write_geometry_stream(const EdgeAllocator& allocator, const EncoderMesh& mesh,
                           const CodedVertices& vertices, const std::uint32_t* point_codes,
                           const std::uint32_t* normal_codes, EdgeBitStream& stream);

} // namespace w3d::eb::detail
