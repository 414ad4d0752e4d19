// Merging coincident vertices: tolerances of distance, normal and parameter,
// collapsed faces, unused vertices, hostile face lists and runs of equal keys.
#include "dwf/w3dtk/edgebreaker/vertex_merge.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{
using namespace w3d::eb;

struct Merged
{
    bool ok = false;
    int points = 0;
    std::vector<float> xyz;
    std::vector<int> faces;
    std::vector<int> vertex_map;
    std::vector<int> face_map;
};

Merged merge(MergeInput input, int face_count)
{
    Merged m;
    m.xyz.assign(3 * static_cast<std::size_t>(input.point_count), 0.0f);
    m.faces.assign(static_cast<std::size_t>(input.face_list_length), 0);
    m.vertex_map.assign(static_cast<std::size_t>(input.point_count), 99);
    m.face_map.assign(static_cast<std::size_t>(face_count), 99);
    int length = 0;
    MergeOutput output;
    output.out_point_count = &m.points;
    output.out_points = m.xyz.data();
    output.out_face_list_length = &length;
    output.out_faces = m.faces.data();
    output.vertex_map = m.vertex_map.data();
    output.face_map = m.face_map.data();
    m.ok = merge_shell_vertices(input, output);
    m.xyz.resize(3 * static_cast<std::size_t>(m.points));
    m.faces.resize(static_cast<std::size_t>(length));
    return m;
}

TEST(VertexMerge, NormalsApartStayApartWithinTheirAngle)
{
    std::vector<float> const points = {0, 0, 0, 0, 0, 0, 1, 0, 0};
    std::vector<float> const normals = {0, 0, 1, 1, 0, 0, 0, 0, 1};
    MergeInput input;
    input.point_count = 3;
    input.points = points.data();
    input.normals = normals.data();
    input.normal_angle = 3.14159265358979 / 4;
    Merged m = merge(input, 0);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.points, 3) << "90 degrees apart, 45 allowed";
    input.normal_angle = 3.14159265358979;
    m = merge(input, 0);
    EXPECT_EQ(m.points, 2);
    EXPECT_EQ(m.vertex_map, (std::vector<int>{0, 0, 1}));
}

TEST(VertexMerge, CollapsedFacesGoAndTheRestAreRenumbered)
{
    // Points 1 and 2 coincide: the first triangle collapses, the quad becomes
    // a triangle, the hole keeps its sign.
    std::vector<float> const points = {0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0};
    std::vector<int> const faces = {3, 0, 1, 2, 4, 1, 2, 3, 4, -3, 0, 3, 4};
    MergeInput input;
    input.point_count = 5;
    input.points = points.data();
    input.face_list_length = static_cast<int>(faces.size());
    input.face_list = faces.data();
    Merged const m = merge(input, 2);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.points, 4);
    EXPECT_EQ(m.face_map, (std::vector<int>{-1, 0}));
    int const a = m.vertex_map[1], d = m.vertex_map[3], e = m.vertex_map[4];
    EXPECT_EQ(m.vertex_map[2], a);
    EXPECT_EQ(m.faces, (std::vector<int>{3, a, d, e, -3, m.vertex_map[0], d, e}));
    // Each group's point is its starter's, in key order.
    for (int v = 0; v < 5; ++v)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_EQ(m.xyz[3 * static_cast<std::size_t>(m.vertex_map[static_cast<std::size_t>(v)]) + axis],
                      points[3 * static_cast<std::size_t>(v) + axis]);
}

TEST(VertexMerge, NegativeTolerancesAreFractionsOfTheShortestEdge)
{
    // The shortest edge is 0.1 (points 0 and 2). Points 3 and 4, in
    // different faces, lie 0.04 apart: merged at -50 (0.05), not at -30
    // (0.03). At -100 the whole shortest edge merges points 0 and 2.
    std::vector<float> const points = {0, 0, 0, 1, 0, 0, 0, 0.1f, 0, 5, 5, 5, 5.04f, 5, 5,
                                       7, 5, 5, 5, 7, 5, 5.04f, 3, 5, 3, 5, 5};
    std::vector<int> const faces = {3, 0, 1, 2, 3, 3, 5, 6, 3, 4, 7, 8};
    MergeInput input;
    input.point_count = 9;
    input.points = points.data();
    input.face_list_length = 12;
    input.face_list = faces.data();
    input.distance_tolerance = -50.0;
    Merged m = merge(input, 3);
    EXPECT_EQ(m.points, 8);
    EXPECT_EQ(m.vertex_map[3], m.vertex_map[4]);
    EXPECT_EQ(m.face_map, (std::vector<int>{0, 1, 2}));
    input.distance_tolerance = -30.0;
    m = merge(input, 3);
    EXPECT_EQ(m.points, 9);
    input.distance_tolerance = -100.0;
    m = merge(input, 3);
    EXPECT_EQ(m.vertex_map[0], m.vertex_map[2]) << "0.1 apart: merged";
    EXPECT_EQ(m.face_map, (std::vector<int>{-1, 0, 1})) << "the first face collapses";
}

TEST(VertexMerge, UnusedVerticesAreDroppedWhenAskedTo)
{
    std::vector<float> const points = {0, 0, 0, 1, 0, 0, 9, 9, 9, 0, 1, 0};
    std::vector<int> const faces = {3, 0, 1, 3};
    MergeInput input;
    input.point_count = 4;
    input.points = points.data();
    input.face_list_length = 4;
    input.face_list = faces.data();
    input.used_only = true;
    Merged const m = merge(input, 1);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.points, 3);
    EXPECT_EQ(m.vertex_map[2], -1);
    for (float const value : m.xyz)
        EXPECT_NE(value, 9.0f);
}

TEST(VertexMerge, RefusesIndicesOutsideThePoints)
{
    std::vector<float> const points = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    MergeInput input;
    input.point_count = 3;
    input.points = points.data();
    for (std::vector<int> const& faces : {std::vector<int>{3, 0, 1, 3}, std::vector<int>{3, 0, -1, 2},
                                          std::vector<int>{4, 0, 1, 2}, std::vector<int>{-2147483647 - 1}})
    {
        input.face_list_length = static_cast<int>(faces.size());
        input.face_list = faces.data();
        Merged const m = merge(input, 1);
        EXPECT_FALSE(m.ok);
        EXPECT_EQ(m.vertex_map[0], 99) << "nothing written";
    }
}

// Equal keys everywhere: the sort stays shallow, the lowest index starts the
// group and gives its point.
TEST(VertexMerge, RunsOfEqualKeys)
{
    int const count = 3000;
    std::vector<float> points;
    for (int i = 0; i < count; ++i)
    {
        float const shift = static_cast<float>(i % 3) * 0.25f;
        points.insert(points.end(), {1.0f + shift, 1.0f - shift, 1.0f});
    }
    MergeInput input;
    input.point_count = count;
    input.points = points.data();
    Merged m = merge(input, 0);
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.points, 3) << "three distinct points, all of key 3";
    EXPECT_EQ(m.vertex_map[0], 0);
    EXPECT_EQ(m.vertex_map[count - 1], 2);
    // With a tolerance that takes them all, vertex 0 starts the one group.
    input.distance_tolerance = 1.0;
    m = merge(input, 0);
    EXPECT_EQ(m.points, 1);
    EXPECT_EQ(m.xyz, (std::vector<float>{1, 1, 1}));
}

// A caller's comparison decides alone.
TEST(VertexMerge, ACallersComparison)
{
    std::vector<float> const points = {0, 0, 0, 0, 0, 0, 0, 0, 0};
    MergeInput input;
    input.point_count = 3;
    input.points = points.data();
    input.compare = [](const float*, const float*, int, const float*, int a, int b, double, double,
                       double) { return (a + b) % 2 == 0; };
    Merged const m = merge(input, 0);
    // 0 and 2 may merge, 1 with neither.
    EXPECT_EQ(m.vertex_map, (std::vector<int>{0, 1, 0}));
}

} // namespace
