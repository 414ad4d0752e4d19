#pragma once

// Meshes with every kind of attribute, their record written and read back, for
// the polyhedron and mesh tests and the fuzz seeds.

#include "memory_streams.h"

#include "dwf/w3dtk/geometry/mesh.h"
#include "dwf/w3dtk/records/segments.h"

#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

// Everything a mesh record carries, as filled or as read back.
struct Mesh_Copy
{
    int rows = 0, columns = 0, points = 0, faces = 0;
    unsigned char subop = 0;
    unsigned short subop2 = 0;
    std::vector<float> xyz, normals, parameters, face_colors, face_indices;
    std::vector<float> vertex_colors[3], vertex_indices[3];
    std::vector<int> regions;
    std::vector<std::uint32_t> vertex_flags, face_flags;
    int normal_count = 0, parameter_count = 0, face_color_count = 0, face_index_count = 0;
    int vertex_color_count[3] = {}, vertex_index_count[3] = {};
};

template <class T> std::vector<T> copy_of(const T* values, std::size_t size)
{
    return values ? std::vector<T>(values, values + size) : std::vector<T>();
}

inline Mesh_Copy copy_mesh(const TK_Mesh& mesh)
{
    Mesh_Copy c;
    c.rows = mesh.GetRows();
    c.columns = mesh.GetColumns();
    c.points = mesh.GetPointCount();
    c.faces = mesh.GetFaceCount();
    c.subop = mesh.GetSubop();
    c.subop2 = mesh.GetSubop2();
    auto const p = static_cast<std::size_t>(c.points), f = static_cast<std::size_t>(c.faces);
    c.xyz = copy_of(mesh.GetPoints(), 3 * p);
    c.normals = copy_of(mesh.GetVertexNormals(), 3 * p);
    c.parameters = copy_of(mesh.GetVertexParameters(), 3 * p);
    c.face_colors = copy_of(mesh.GetFaceColors(), 3 * f);
    c.face_indices = copy_of(mesh.GetFaceIndices(), f);
    for (int k = 0; k < 3; ++k)
    {
        c.vertex_colors[k] = copy_of(mesh.GetVertexColors(k), 3 * p);
        c.vertex_indices[k] = copy_of(mesh.GetVertexIndices(k), p);
        c.vertex_color_count[k] = mesh.GetVertexColorCount(k);
        c.vertex_index_count[k] = mesh.GetVertexIndexCount(k);
    }
    c.regions = copy_of(mesh.GetFaceRegions(), f);
    c.vertex_flags = copy_of(mesh.GetVertexFlags(), p);
    c.face_flags = copy_of(mesh.GetFaceFlags(), f);
    c.normal_count = mesh.GetVertexNormalCount();
    c.parameter_count = mesh.GetVertexParameterCount();
    c.face_color_count = mesh.GetFaceColorCount();
    c.face_index_count = mesh.GetFaceIndexCount();
    return c;
}

// A wavy rows x columns grid with every attribute: normals on all points but
// every seventh (a some-items record), parameters and colour channels 0 and 2
// on all points, colour channel 1 on every third point, index channels 0 and 2
// on all points and 1 on every fourth, face colours on all faces, face indices
// on every other face, and face regions in bands.
inline void fill_mesh(TK_Mesh& mesh, int rows, int columns, unsigned char subop)
{
    int const p = rows * columns;
    std::vector<float> points, normals, parameters, colours[3], indices[3];
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c)
        {
            float const x = 0.1f * static_cast<float>(c), y = 0.13f * static_cast<float>(r);
            float const z = std::sin(x) * std::cos(y);
            points.insert(points.end(), {x, y, z});
            float const nx = -std::cos(x) * std::cos(y), ny = std::sin(x) * std::sin(y);
            float const length = std::sqrt(nx * nx + ny * ny + 1.0f);
            int const i = r * columns + c;
            if (i % 7 == 3)
                normals.insert(normals.end(), {0.0f, 0.0f, 0.0f});
            else
                normals.insert(normals.end(), {nx / length, ny / length, 1.0f / length});
            parameters.insert(parameters.end(), {x * 2.0f, -y, 0.5f * z});
            for (int k = 0; k < 3; ++k)
            {
                float const t = static_cast<float>((i * (k + 3)) % 97) / 96.0f;
                colours[k].insert(colours[k].end(), {t, 1.0f - t, 0.5f * t});
                indices[k].push_back(static_cast<float>((i * (k + 5)) % 41) - 7.5f);
            }
        }
    mesh.SetMesh(rows, columns, points.data());
    mesh.SetSubop(subop);
    mesh.SetVertexNormals(normals.data());
    mesh.SetVertexParameters(parameters.data());
    mesh.SetVertexColors(0, colours[0].data());
    mesh.SetVertexColors(2, colours[2].data());
    mesh.SetVertexIndices(0, indices[0].data());
    mesh.SetVertexIndices(2, indices[2].data());
    for (int i = 0; i < p; ++i)
    {
        if (i % 3 == 1)
            mesh.SetVertexColor(1, i, &colours[1][3 * static_cast<std::size_t>(i)]);
        if (i % 4 == 2)
            mesh.SetVertexIndex(1, i, indices[1][static_cast<std::size_t>(i)]);
    }
    int const f = mesh.GetFaceCount();
    std::vector<float> face_colours;
    std::vector<int> regions;
    for (int i = 0; i < f; ++i)
    {
        float const t = static_cast<float>(i % 50) / 49.0f;
        face_colours.insert(face_colours.end(), {t, t * t, 1.0f - t});
        regions.push_back(i * 5 / (f > 0 ? f : 1) + 3);
    }
    mesh.SetFaceColors(face_colours.data());
    for (int i = 0; i < f; i += 2)
        mesh.SetFaceIndex(i, static_cast<float>(i % 13) * 0.25f);
    mesh.SetFaceRegions(regions.data());
}

// Serializes the toolkit's mesh handler filled by fill_mesh.
inline Emit emit_mesh(int rows, int columns, unsigned char subop, unsigned short subop2 = 0,
                      TK_Key key = 0)
{
    return [=](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<TK_Mesh>(
            tk, writer, 'M',
            [&](TK_Mesh& mesh)
            {
                fill_mesh(mesh, rows, columns, subop);
                mesh.SetSubop2(subop2);
            },
            key);
    };
}

// The meshes read from a stream.
inline std::vector<Mesh_Copy> read_meshes(const Bytes& stream, Read_Result& result,
                                          const Setup& setup = {}, std::size_t chunk = 1)
{
    std::vector<Mesh_Copy> meshes;
    result = read_stream(
        stream, chunk,
        [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
        {
            if (auto* mesh = dynamic_cast<TK_Mesh*>(&handler))
                meshes.push_back(copy_mesh(*mesh));
        },
        setup);
    return meshes;
}

inline Setup mesh_setup(int version, bool fine = false, int flags = 0)
{
    return [=](BStreamFileToolkit& tk)
    {
        tk.SetTargetVersion(version);
        tk.SetWriteFlags(flags);
        if (fine)
        {
            tk.SetNumVertexBits(45);
            tk.SetNumNormalBits(30);
            tk.SetNumParameterBits(36);
            tk.SetNumIndexBits(12);
        }
    };
}

inline void mesh_with_member(BStreamFileToolkit& tk, W3DStreamWriter& writer)
{
    serialize_with<TK_Mesh>(tk, writer, 'M',
                            [](TK_Mesh& m)
                            {
                                fill_mesh(m, 2, 3, TK_Polyhedron::Subop_Attributes);
                                auto member = std::make_unique<TK_Reopen_Segment>();
                                member->SetIndex(2);
                                m.AppendToCollection(std::move(member));
                            });
}

// The mesh streams of the W3D reader's fuzz seeds: name -> (chunk byte, stream).
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> polyhedron_seeds()
{
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    unsigned char const quantised =
        TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Attributes;
    all["polyhedron_mesh_1000"] = {0x01,
                                   write_stream(emit_mesh(6, 5, quantised), mesh_setup(1000))};
    all["polyhedron_mesh_fine_907"] = {
        0x07, write_stream(emit_mesh(4, 7, quantised, 0, 5), mesh_setup(907, true))};
    all["polyhedron_mesh_705"] = {0x0D, write_stream(emit_mesh(5, 3, quantised), mesh_setup(705))};
    all["polyhedron_mesh_650"] = {0x03, write_stream(emit_mesh(3, 3, quantised), mesh_setup(650))};
    all["polyhedron_mesh_raw_600"] = {0x02,
                                      write_stream(emit_mesh(3, 4, TK_Polyhedron::Subop_Attributes),
                                                   mesh_setup(600, false, TK_Option_Raw_Normals))};
    all["polyhedron_mesh_raw_polar"] = {
        0x05, write_stream(emit_mesh(2, 5, TK_Polyhedron::Subop_Attributes),
                           mesh_setup(1000, false, TK_Option_Raw_Normals))};
    all["polyhedron_mesh_collection"] = {0x09, write_stream(mesh_with_member, mesh_setup(1000))};
    all["polyhedron_mesh_compressed"] = {
        0x0B, write_stream(emit_mesh(8, 8, quantised), mesh_setup(1000), true)};
    return all;
}

} // namespace w3d_test
