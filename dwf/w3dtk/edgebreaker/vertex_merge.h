#pragma once

// Merging coincident vertices of a shell before it is compressed: vertices
// within a distance of one another (and, when given, with normals within an
// angle and parameters within a tolerance) become one, and faces that collapse
// go.

namespace w3d::eb
{

// Whether vertices a and b may be merged. The limits are squared distances:
// of the points, of the (unit) normals, and per parameter component.
using VertexCompare = bool (*)(const float* points, const float* normals, int parameter_width,
                               const float* parameters, int a, int b, double distance_limit,
                               double normal_limit, double parameter_limit);

// The default comparison: no when the squared distance of the points exceeds
// the distance limit, when normals are given and the squared distance of the
// normals exceeds the normal limit, or when parameters are given and any
// component's squared difference exceeds the parameter limit. Differences and
// squares are taken in single precision; equality with a limit passes.
bool default_vertex_compare(const float* points, const float* normals, int parameter_width,
                            const float* parameters, int a, int b, double distance_limit,
                            double normal_limit, double parameter_limit);

struct MergeInput
{
    int point_count = 0;
    const float* points = nullptr;
    const float* normals = nullptr;    // 3 per point, or null
    int parameter_width = 0;           // floats per point; below 1: none
    const float* parameters = nullptr;
    int face_list_length = 0;
    // Records {n, v0 .. v(|n|-1)}; a negative n (a hole) is kept with its sign
    // and is not counted as a face.
    const int* face_list = nullptr;
    VertexCompare compare = nullptr;   // null: default_vertex_compare
    // At or above 0: an absolute distance. Below 0: -tolerance / 100 of the
    // shortest edge of the faces.
    double distance_tolerance = 0.0;
    double normal_angle = 0.0;         // radians
    double parameter_tolerance = 0.0;
    bool used_only = false;            // vertices no face names are dropped
};

struct MergeOutput
{
    // Each may be null. out_points has room for point_count x 3 floats,
    // out_faces for face_list_length ints, vertex_map for point_count ints,
    // face_map for one int per face (positive record) of the list.
    int* out_point_count = nullptr;
    float* out_points = nullptr;
    int* out_face_list_length = nullptr;
    int* out_faces = nullptr;
    int* vertex_map = nullptr; // per input vertex its new index, -1 when dropped
    int* face_map = nullptr;   // per input face its new index, -1 when dropped
};

//
// Groups the vertices: in order of x + y + z (ties by index), each vertex not
// yet in a group starts one, and every later vertex whose key lies within three
// tolerances of the starter's joins it when the comparison accepts it against
// every member (a vertex of an earlier group may move to a later one). Each
// group becomes one output point, the starter's. Faces are rewritten through
// the map, each vertex equal to the one kept before it (round the face) left
// out; faces left with fewer than three vertices go.
//
// False, writing nothing, for a malformed face list or an index outside
// 0 .. point_count - 1. Memory for the working records comes from the heap
// (std::bad_alloc when it runs out).
//
bool merge_shell_vertices(const MergeInput& input, const MergeOutput& output);

} // namespace w3d::eb
