// Edge-breaker blocks of the mesh corpus: what the encoder writes the decoder
// reads back as the same triangles, points and normals.
#include "edgebreaker_coding.h"

#include "dwf/w3dtk/edgebreaker/side_table.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace w3d_test;

// The largest error quantising to `bits` against the mesh's box can make:
// half a step, plus float rounding.
float tolerance(const Mesh& mesh, int axis, int bits)
{
    float min = 1e30f, max = -1e30f;
    for (std::size_t i = static_cast<std::size_t>(axis); i < mesh.points.size(); i += 3)
    {
        min = std::min(min, mesh.points[i]);
        max = std::max(max, mesh.points[i]);
    }
    return (max - min) / static_cast<float>((1u << bits) - 1) * 0.5f * 1.0001f + 1e-6f;
}

// Checks that `decoded` is `mesh` through the vertex map: the same triangles,
// points within half a quantisation step, normals within one step.
void expect_same_mesh(const Mesh& mesh, const Compressed& coded, const Decompressed& decoded,
                      bool points, bool normals, int bits = 11)
{
    ASSERT_TRUE(decoded.ok);
    ASSERT_EQ(decoded.point_count, static_cast<int>(coded.vertex_map.size()));
    EXPECT_EQ(triangles_of(decoded.faces, decoded.strips, &coded.vertex_map),
              triangles_of(mesh.faces, false));
    for (int i = 0; i < decoded.point_count; ++i)
    {
        int const source = coded.vertex_map[static_cast<std::size_t>(i)];
        for (int axis = 0; axis < 3; ++axis)
        {
            std::size_t const at = 3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis);
            std::size_t const from =
                3 * static_cast<std::size_t>(source) + static_cast<std::size_t>(axis);
            if (points)
            {
                ASSERT_NEAR(decoded.points[at], mesh.points[from], tolerance(mesh, axis, bits))
                    << mesh.name << " point " << i << " axis " << axis;
            }
            if (normals)
            {
                ASSERT_NEAR(decoded.normals[at], mesh.normals[from], 2.0f / 2047 + 1e-6f)
                    << mesh.name << " normal " << i << " axis " << axis;
            }
        }
    }
}

TEST(EdgebreakerRoundTrip, CorpusAtEveryScheme)
{
    for (Mesh const& mesh : test_corpus())
    {
        for (int const version : {600, 650, 700, 905, 906, 1000})
        {
            SCOPED_TRACE(mesh.name + " at version " + std::to_string(version));
            Compressed const coded = compress(mesh, version);
            if (mesh.name == "triangle soup")
            {
                EXPECT_FALSE(coded.ok) << "nothing is shared: the encoder declines";
                continue;
            }
            // Blocks below scheme 2 hold one component; the handle of the torus
            // is cut and capped, which keeps it one component.
            ASSERT_TRUE(coded.ok);
            Decompressed const decoded = decompress(coded.block);
            expect_same_mesh(mesh, coded, decoded, true, version >= 651);
        }
    }
}

} // namespace
