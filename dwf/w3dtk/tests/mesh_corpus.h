#pragma once

// Meshes for the edge-breaker coder and the shell record: closed and open,
// with holes, handles and without any shared vertex, from four triangles to
// a million. Shared by the tests, the benchmarks and the fuzz seeds; no test
// framework needed. Every generator is deterministic.

#include <array>
#include <cmath>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

struct Mesh
{
    std::string name;
    std::vector<float> points;  // x, y, z per point
    std::vector<float> normals; // one unit normal per point, or empty
    std::vector<int> faces;     // {3, a, b, c} per triangle
    bool closed = false;        // every edge has two triangles

    int point_count() const { return static_cast<int>(points.size() / 3); }
    int triangle_count() const { return static_cast<int>(faces.size() / 4); }
    int face_list_length() const { return static_cast<int>(faces.size()); }

    int add_point(float x, float y, float z)
    {
        points.insert(points.end(), {x, y, z});
        return point_count() - 1;
    }
    void add_triangle(int a, int b, int c) { faces.insert(faces.end(), {3, a, b, c}); }
};

namespace corpus_detail
{
constexpr float Pi = 3.14159265358979f;

inline void normalise(float& x, float& y, float& z)
{
    float const length = std::sqrt(x * x + y * y + z * z);
    if (length > 0.0f)
    {
        x /= length;
        y /= length;
        z /= length;
    }
}

// Normals of a smooth surface: the sum of the normals of the triangles around
// each point, normalised.
inline void smooth_normals(Mesh& mesh)
{
    mesh.normals.assign(mesh.points.size(), 0.0f);
    for (std::size_t f = 0; f + 4 <= mesh.faces.size(); f += 4)
    {
        int const v[3] = {mesh.faces[f + 1], mesh.faces[f + 2], mesh.faces[f + 3]};
        float const* p[3];
        for (int k = 0; k < 3; ++k)
            p[k] = &mesh.points[3 * static_cast<std::size_t>(v[k])];
        float const u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        float const w[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        float const n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2],
                            u[0] * w[1] - u[1] * w[0]};
        for (int k = 0; k < 3; ++k)
            for (int axis = 0; axis < 3; ++axis)
                mesh.normals[3 * static_cast<std::size_t>(v[k]) + static_cast<std::size_t>(axis)] +=
                    n[axis];
    }
    for (std::size_t i = 0; i + 2 < mesh.normals.size(); i += 3)
        normalise(mesh.normals[i], mesh.normals[i + 1], mesh.normals[i + 2]);
}
} // namespace corpus_detail

// Four points, four triangles, closed.
inline Mesh tetrahedron()
{
    Mesh mesh;
    mesh.name = "tetrahedron";
    mesh.closed = true;
    mesh.add_point(0.0f, 0.0f, 0.0f);
    mesh.add_point(1.0f, 0.0f, 0.0f);
    mesh.add_point(0.0f, 1.0f, 0.0f);
    mesh.add_point(0.0f, 0.0f, 1.0f);
    mesh.add_triangle(0, 2, 1);
    mesh.add_triangle(0, 1, 3);
    mesh.add_triangle(0, 3, 2);
    mesh.add_triangle(1, 2, 3);
    corpus_detail::smooth_normals(mesh);
    return mesh;
}

// The icosahedron with each triangle split into four `subdivisions` times,
// points pushed out to the unit sphere: 20 x 4^n triangles, closed.
inline Mesh icosphere(int subdivisions)
{
    Mesh mesh;
    mesh.name = "icosphere";
    mesh.closed = true;
    float const t = (1.0f + std::sqrt(5.0f)) / 2.0f;
    float const corners[12][3] = {{-1, t, 0}, {1, t, 0}, {-1, -t, 0}, {1, -t, 0},
                                  {0, -1, t}, {0, 1, t}, {0, -1, -t}, {0, 1, -t},
                                  {t, 0, -1}, {t, 0, 1}, {-t, 0, -1}, {-t, 0, 1}};
    for (auto const& c : corners)
    {
        float x = c[0], y = c[1], z = c[2];
        corpus_detail::normalise(x, y, z);
        mesh.add_point(x, y, z);
    }
    std::vector<int> triangles = {0, 11, 5, 0, 5,  1,  0, 1, 7, 0, 7,  10, 0, 10, 11,
                                  1, 5,  9, 5, 11, 4,  11, 10, 2, 10, 7, 6, 7, 1, 8,
                                  3, 9,  4, 3, 4,  2,  3, 2, 6, 3, 6,  8,  3, 8,  9,
                                  4, 9,  5, 2, 4,  11, 6, 2, 10, 8, 6, 7, 9, 8, 1};
    for (int level = 0; level < subdivisions; ++level)
    {
        std::map<std::pair<int, int>, int> middles;
        auto const middle = [&mesh, &middles](int a, int b) {
            auto const key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
            auto const found = middles.find(key);
            if (found != middles.end())
                return found->second;
            float x = (mesh.points[3 * a] + mesh.points[3 * b]) / 2;
            float y = (mesh.points[3 * a + 1] + mesh.points[3 * b + 1]) / 2;
            float z = (mesh.points[3 * a + 2] + mesh.points[3 * b + 2]) / 2;
            corpus_detail::normalise(x, y, z);
            int const m = mesh.add_point(x, y, z);
            middles.emplace(key, m);
            return m;
        };
        std::vector<int> finer;
        for (std::size_t i = 0; i < triangles.size(); i += 3)
        {
            int const a = triangles[i], b = triangles[i + 1], c = triangles[i + 2];
            int const ab = middle(a, b), bc = middle(b, c), ca = middle(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        triangles.swap(finer);
    }
    for (std::size_t i = 0; i < triangles.size(); i += 3)
        mesh.add_triangle(triangles[i], triangles[i + 1], triangles[i + 2]);
    mesh.normals = mesh.points;
    return mesh;
}

// A ring torus of `rings` x `sides` quads, two triangles each: closed, one
// handle.
inline Mesh torus(int rings, int sides)
{
    Mesh mesh;
    mesh.name = "torus";
    mesh.closed = true;
    float const big = 1.0f, small = 0.35f;
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j)
        {
            float const u = 2 * corpus_detail::Pi * static_cast<float>(i) / static_cast<float>(rings);
            float const v = 2 * corpus_detail::Pi * static_cast<float>(j) / static_cast<float>(sides);
            mesh.add_point((big + small * std::cos(v)) * std::cos(u),
                           (big + small * std::cos(v)) * std::sin(u), small * std::sin(v));
            mesh.normals.insert(mesh.normals.end(), {std::cos(v) * std::cos(u),
                                                     std::cos(v) * std::sin(u), std::sin(v)});
        }
    auto const at = [rings, sides](int i, int j) { return (i % rings) * sides + (j % sides); };
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < sides; ++j)
        {
            mesh.add_triangle(at(i, j), at(i + 1, j), at(i + 1, j + 1));
            mesh.add_triangle(at(i, j), at(i + 1, j + 1), at(i, j + 1));
        }
    return mesh;
}

// A flat, slightly wavy sheet of `columns` x `rows` quads: one boundary loop.
// Cells listed in `holes` (column, row) are left out.
inline Mesh open_grid(int columns, int rows,
                      const std::vector<std::pair<int, int>>& holes = {})
{
    Mesh mesh;
    mesh.name = "open grid";
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
        {
            float const x = static_cast<float>(c) / static_cast<float>(columns);
            float const y = static_cast<float>(r) / static_cast<float>(rows);
            mesh.add_point(x, y, 0.05f * std::sin(6.0f * x) * std::cos(4.0f * y));
        }
    auto const at = [columns](int c, int r) { return r * (columns + 1) + c; };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
        {
            bool hole = false;
            for (auto const& cell : holes)
                hole = hole || (cell.first == c && cell.second == r);
            if (hole)
                continue;
            mesh.add_triangle(at(c, r), at(c + 1, r), at(c + 1, r + 1));
            mesh.add_triangle(at(c, r), at(c + 1, r + 1), at(c, r + 1));
        }
    corpus_detail::smooth_normals(mesh);
    return mesh;
}

// A plate of 24 x 16 quads with three square holes of 2 x 2 quads (their
// inner points unused): four boundary loops.
inline Mesh plate_with_holes()
{
    std::vector<std::pair<int, int>> holes;
    for (auto const& corner : {std::make_pair(3, 3), std::make_pair(10, 8), std::make_pair(18, 4)})
        for (int dc = 0; dc < 2; ++dc)
            for (int dr = 0; dr < 2; ++dr)
                holes.emplace_back(corner.first + dc, corner.second + dr);
    Mesh mesh = open_grid(24, 16, holes);
    mesh.name = "plate with holes";
    return mesh;
}

// Triangles that share no point: nothing for connectivity coding to gain.
inline Mesh triangle_soup(int triangles)
{
    Mesh mesh;
    mesh.name = "triangle soup";
    for (int t = 0; t < triangles; ++t)
    {
        float const x = static_cast<float>(t % 10), y = static_cast<float>(t / 10);
        int const a = mesh.add_point(x, y, 0.0f);
        int const b = mesh.add_point(x + 0.5f, y, 0.1f);
        int const c = mesh.add_point(x, y + 0.5f, 0.2f);
        mesh.add_triangle(a, b, c);
    }
    corpus_detail::smooth_normals(mesh);
    return mesh;
}

// A lumpy sphere of `segments` meridians and `rings` parallels, poles closed
// by fans: 2 x segments x (rings - 1) triangles, closed, no handle. With 1000
// and 501 it has a million triangles.
inline Mesh lumpy_sphere(int segments, int rings)
{
    Mesh mesh;
    mesh.name = "lumpy sphere";
    mesh.closed = true;
    auto const radius = [](float u, float v) {
        return 1.0f + 0.08f * std::sin(7.0f * u) * std::sin(5.0f * v);
    };
    int const south = mesh.add_point(0.0f, 0.0f, -radius(0.0f, 0.0f));
    for (int r = 1; r < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            float const v = corpus_detail::Pi * static_cast<float>(r) / static_cast<float>(rings);
            float const u =
                2 * corpus_detail::Pi * static_cast<float>(s) / static_cast<float>(segments);
            float const rho = radius(u, v);
            mesh.add_point(rho * std::sin(v) * std::cos(u), rho * std::sin(v) * std::sin(u),
                           -rho * std::cos(v));
        }
    int const north = mesh.add_point(0.0f, 0.0f, radius(0.0f, corpus_detail::Pi));
    auto const at = [segments](int r, int s) { return 1 + (r - 1) * segments + (s % segments); };
    for (int s = 0; s < segments; ++s)
    {
        mesh.add_triangle(south, at(1, s + 1), at(1, s));
        mesh.add_triangle(north, at(rings - 1, s), at(rings - 1, s + 1));
    }
    for (int r = 1; r + 1 < rings; ++r)
        for (int s = 0; s < segments; ++s)
        {
            mesh.add_triangle(at(r, s), at(r, s + 1), at(r + 1, s + 1));
            mesh.add_triangle(at(r, s), at(r + 1, s + 1), at(r + 1, s));
        }
    corpus_detail::smooth_normals(mesh);
    return mesh;
}

// The closed surface of a slab of `columns` x `rows` unit cubes, one cube
// thick, with the cubes at `holes` (column, row) left out: a solid plate with
// square through-holes, of genus equal to their number (holes must not touch
// each other or the rim).
inline Mesh holed_slab(int columns, int rows, const std::vector<std::pair<int, int>>& holes)
{
    Mesh mesh;
    mesh.name = "holed slab";
    mesh.closed = true;
    auto const solid = [&](int c, int r) {
        if (c < 0 || r < 0 || c >= columns || r >= rows)
            return false;
        for (auto const& hole : holes)
            if (hole.first == c && hole.second == r)
                return false;
        return true;
    };
    std::map<std::array<int, 3>, int> index;
    auto const point = [&mesh, &index](int x, int y, int z) {
        std::array<int, 3> const key{x, y, z};
        auto const found = index.find(key);
        if (found != index.end())
            return found->second;
        int const v = mesh.add_point(static_cast<float>(x), static_cast<float>(y),
                                     static_cast<float>(z) * 0.5f);
        index.emplace(key, v);
        return v;
    };
    // A quad a, b, c, d counter-clockwise seen from outside.
    auto const quad = [&mesh](int a, int b, int c, int d) {
        mesh.add_triangle(a, b, c);
        mesh.add_triangle(a, c, d);
    };
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
        {
            if (!solid(c, r))
                continue;
            quad(point(c, r, 1), point(c + 1, r, 1), point(c + 1, r + 1, 1), point(c, r + 1, 1));
            quad(point(c, r, 0), point(c, r + 1, 0), point(c + 1, r + 1, 0), point(c + 1, r, 0));
            if (!solid(c - 1, r))
                quad(point(c, r, 0), point(c, r, 1), point(c, r + 1, 1), point(c, r + 1, 0));
            if (!solid(c + 1, r))
                quad(point(c + 1, r, 0), point(c + 1, r + 1, 0), point(c + 1, r + 1, 1),
                     point(c + 1, r, 1));
            if (!solid(c, r - 1))
                quad(point(c, r, 0), point(c + 1, r, 0), point(c + 1, r, 1), point(c, r, 1));
            if (!solid(c, r + 1))
                quad(point(c, r + 1, 0), point(c, r + 1, 1), point(c + 1, r + 1, 1),
                     point(c + 1, r + 1, 0));
        }
    corpus_detail::smooth_normals(mesh);
    return mesh;
}

// The million-triangle mesh of the benchmarks.
inline Mesh million_triangles()
{
    Mesh mesh = lumpy_sphere(1000, 501);
    mesh.name = "million triangles";
    return mesh;
}

//
// A part as a CAD system tessellates it: every face on its own, and here every
// triangle with its own three points, each carrying the normal of its face
// (flat faces) or of the surface (curved faces). Merging coincident points with
// equal normals gives one shell per face. This one is a box of `n` x `n` quads
// per side with a round hole through it (`segments` around).
//
inline Mesh part_like(int n, int segments)
{
    Mesh mesh;
    mesh.name = "part-like";
    auto const emit = [&mesh](const float (&p)[3][3], const float (&normal)[3][3]) {
        int const first = mesh.point_count();
        for (int k = 0; k < 3; ++k)
        {
            mesh.add_point(p[k][0], p[k][1], p[k][2]);
            mesh.normals.insert(mesh.normals.end(), {normal[k][0], normal[k][1], normal[k][2]});
        }
        mesh.add_triangle(first, first + 1, first + 2);
    };
    // Four sides of the box, each an n x n grid, outward normals.
    float const size = 2.0f, depth = 1.0f;
    for (int side = 0; side < 4; ++side)
    {
        float const angle = corpus_detail::Pi / 2 * static_cast<float>(side);
        float const nx = std::cos(angle), ny = std::sin(angle);
        auto const point = [&](int i, int j, float (&out)[3]) {
            float const along = size * (static_cast<float>(i) / static_cast<float>(n) - 0.5f);
            out[0] = nx * size / 2 - ny * along;
            out[1] = ny * size / 2 + nx * along;
            out[2] = depth * static_cast<float>(j) / static_cast<float>(n);
        };
        for (int i = 0; i < n; ++i)
            for (int j = 0; j < n; ++j)
            {
                float a[3], b[3], c[3], d[3];
                point(i, j, a);
                point(i + 1, j, b);
                point(i + 1, j + 1, c);
                point(i, j + 1, d);
                float const normal[3][3] = {{nx, ny, 0}, {nx, ny, 0}, {nx, ny, 0}};
                emit({{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, {c[0], c[1], c[2]}}, normal);
                emit({{a[0], a[1], a[2]}, {c[0], c[1], c[2]}, {d[0], d[1], d[2]}}, normal);
            }
    }
    // The hole's wall: a cylinder with normals pointing into the hole.
    float const hole = 0.5f;
    for (int s = 0; s < segments; ++s)
        for (int j = 0; j < n; ++j)
        {
            float const u0 = 2 * corpus_detail::Pi * static_cast<float>(s) / static_cast<float>(segments);
            float const u1 =
                2 * corpus_detail::Pi * static_cast<float>(s + 1) / static_cast<float>(segments);
            float const z0 = depth * static_cast<float>(j) / static_cast<float>(n);
            float const z1 = depth * static_cast<float>(j + 1) / static_cast<float>(n);
            float const a[3] = {hole * std::cos(u0), hole * std::sin(u0), z0};
            float const b[3] = {hole * std::cos(u0), hole * std::sin(u0), z1};
            float const c[3] = {hole * std::cos(u1), hole * std::sin(u1), z1};
            float const d[3] = {hole * std::cos(u1), hole * std::sin(u1), z0};
            float const n0[3] = {-std::cos(u0), -std::sin(u0), 0};
            float const n1[3] = {-std::cos(u1), -std::sin(u1), 0};
            emit({{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, {c[0], c[1], c[2]}},
                 {{n0[0], n0[1], n0[2]}, {n0[0], n0[1], n0[2]}, {n1[0], n1[1], n1[2]}});
            emit({{a[0], a[1], a[2]}, {c[0], c[1], c[2]}, {d[0], d[1], d[2]}},
                 {{n0[0], n0[1], n0[2]}, {n1[0], n1[1], n1[2]}, {n1[0], n1[1], n1[2]}});
        }
    return mesh;
}

// The corpus the coder's tests run: modest sizes, quick under the sanitizers.
inline std::vector<Mesh> test_corpus()
{
    return {tetrahedron(), icosphere(2),    torus(16, 8),       open_grid(12, 9),
            plate_with_holes(), triangle_soup(10), lumpy_sphere(24, 13)};
}

// The benchmarks' corpus: the same kinds, larger, and the million triangles.
inline std::vector<Mesh> bench_corpus()
{
    return {tetrahedron(),      icosphere(5),       torus(200, 100), open_grid(300, 200),
            plate_with_holes(), triangle_soup(1000), million_triangles()};
}

} // namespace w3d_test
