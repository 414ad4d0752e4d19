#pragma once

// Edge-breaker compression of shells: the connectivity of a triangle mesh as
// one op byte per triangle from a traversal of its boundary, the points and
// normals as quantised prediction residuals. A block is a ShellHeader, the op
// bytes, a SideTable and the point and normal data (shell_header.h gives the
// layout); the shell record writes it as its scheme 5.
//
// Every working buffer of one call comes from the allocation hooks of its
// options; calls share nothing and may run side by side.

#include "dwf/w3dtk/edgebreaker/edge_options.h"

namespace w3d::eb
{

//
// Compresses a shell of `point_count` points (float triples; null when the
// points are written elsewhere), optional normals (one float triple per point)
// and a face list of `face_list_length` ints (records {n, v0 .. v(n-1)},
// polygons, or triangle strips when options->flags has EdgeOptions::Strips).
//
// `size` holds the capacity of `out` in bytes and receives the bytes written.
// `vertex_count` receives the number V of vertices in the coded order and
// `vertex_map` (room for point_count ints) for each of them the caller's index
// of that point; points no face uses are left out. Points and normals decoded
// from the block come back in that order.
//
// Answers 1 on success, 0 when the shell cannot be coded or the block would
// not fit: bad options or face list, too little connectivity (a triangle soup),
// a vertex whose triangles form more than one closed fan, too many vertex
// copies for the ratio, more than two handles, a multi-component shell in the
// block forms written below version 906, a residual beyond the ladder, or any
// section beyond `size`. The caller then writes the shell plainly.
//
int edgebreaker_compress(int point_count, const float* points, const float* normals,
                         int face_list_length, const int* face_list, int* size, void* out,
                         int* vertex_count, int* vertex_map, const EdgeOptions* options);

// The decoder's options: the quantisation box when the block carries none,
// and the allocation hooks (defaults when null).
struct EdgeDecodeOptions
{
    const float* box = nullptr;
    EdgeAllocateHook allocate = nullptr;
    EdgeFreeHook release = nullptr;
    EdgeSpareHook spare = nullptr;
    void* user_data = nullptr;
};

// What a caller must allocate before decoding the `length` bytes at `block`:
// the points (point_count x 3 floats), the normals (normal_count x 3 floats;
// 0 when the block has none) and the face list (face_list_size ints). Answers
// 0 when the block is too short for its header or a count is out of range.
int edgebreaker_inquire_sizes(const void* block, int length, int* point_count, int* normal_count,
                              int* face_list_size);

//
// Decodes the `length` bytes at `block`. `points` and `normals` (each room for
// point_count x 3 floats, or null) receive the coded points and normals when
// the block carries them; `face_list_length` holds the room of `face_list` in
// ints and receives the length written. `strips` tells whether the face list
// came back as triangle strips (else as triangles {3, a, b, c}).
//
// Answers 1 on success, 0 for any block this system does not write or that
// contradicts itself; the outputs are then unspecified apart from the face
// list length and point count, which are 0.
//
int edgebreaker_decompress(int length, const void* block, int* point_count, float* points,
                           float* normals, bool* strips, int* face_list_length, int* face_list,
                           const EdgeDecodeOptions* options);

} // namespace w3d::eb
