#pragma once

// The options of one edge-breaker compression, and the estimate of its size.

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"

#include <cstdint>

namespace w3d::eb
{

//
// What a caller may choose for one compression. Every field starts at its
// use-the-default marker; edgebreaker_set_options turns the markers into
// defaults:
//
//   field                  marker   default
//   point_bits[3]          -1       11 each
//   normal_bits[3]         -1       11 each (taken only from version 651 on)
//   ratio                  -1.0     1.5: vertex slots per point, for the
//                                   copies and dummies the coder adds
//   box                    (none)   none: the box of the points used
//   flags                  ~0u      0; Strips: the face list holds strips
//   allocate, release,     null     the C runtime's allocation and release;
//   spare                           spare is never called
//   user_data              (none)   handed to the hooks
//   version                -1       100000
//
// Bit counts above 16 are refused for versions below 1000, above 32 from 1000
// on; those limits and the 651 test use the version as given, so the marker
// -1 counts as an old version there.
//
struct EdgeOptions
{
    enum : std::uint32_t
    {
        Strips = 0x20,
    };

    int point_bits[3] = {-1, -1, -1};
    int normal_bits[3] = {-1, -1, -1};
    float ratio = -1.0f;
    const float* box = nullptr;
    std::uint32_t flags = ~0u;
    EdgeAllocateHook allocate = nullptr;
    EdgeFreeHook release = nullptr;
    EdgeSpareHook spare = nullptr;
    void* user_data = nullptr;
    int version = -1;
};

// Fills `own` from `given` (or from defaults alone when `given` is null). False
// when a bit count is out of range (not 1 .. the version's limit) or the ratio
// is below 1; `own` is then unspecified.
bool edgebreaker_set_options(const EdgeOptions* given, EdgeOptions& own);

// The room an edge-breaker block of this shell may need:
//   18 x T + 2 x trunc(12 x ratio x P) + 82 bytes,
// T being the triangles of the face list (n - 2 for each record of n
// vertices). Answers 0 (not applicable) when a record's count is negative, a
// record runs past the list, P is not 0 and L / P exceeds 8, or the size
// exceeds what an int holds; otherwise 1. Either out pointer may be null; the
// point count out receives P.
int edgebreaker_estimate_size(int point_count, int face_list_length, const int* face_list,
                              int* size_out, int* point_count_out,
                              const EdgeOptions* options = nullptr);

} // namespace w3d::eb
