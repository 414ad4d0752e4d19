#pragma once

// Shells written from the mesh corpus and read back, for the shell tests, the
// benchmarks and the fuzz seeds.

#include "memory_streams.h"
#include "mesh_corpus.h"

#include "dwf/w3dtk/geometry/shell.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace w3d_test
{

// What a shell record carried, as filled or as read back.
struct Shell_Copy
{
    unsigned char subop = 0;
    unsigned short subop2 = 0;
    unsigned char scheme = 0;
    int points = 0, faces = 0, level = 0;
    std::vector<float> xyz, normals, parameters;
    std::vector<int> face_list;
};

inline Shell_Copy copy_shell(const TK_Shell& shell)
{
    Shell_Copy c;
    c.subop = shell.GetSubop();
    c.subop2 = shell.GetSubop2();
    c.scheme = shell.GetCompressionScheme();
    c.points = shell.GetPointCount();
    c.faces = shell.GetFaceCount();
    c.level = shell.GetLevel();
    auto const p = 3 * static_cast<std::size_t>(c.points);
    if (shell.GetPoints())
        c.xyz.assign(shell.GetPoints(), shell.GetPoints() + p);
    if (shell.GetVertexNormals())
        c.normals.assign(shell.GetVertexNormals(), shell.GetVertexNormals() + p);
    if (shell.GetVertexParameters())
        c.parameters.assign(shell.GetVertexParameters(), shell.GetVertexParameters() + p);
    if (shell.GetFaces())
        c.face_list.assign(shell.GetFaces(), shell.GetFaces() + shell.GetFacesLength());
    return c;
}

// How a shell is handed to the handler.
struct Shell_Input
{
    Shell_Input() = default;
    explicit Shell_Input(const Mesh& shape, bool with_normals = true, bool with_parameters = false)
        : mesh(&shape), normals(with_normals), parameters(with_parameters)
    {
    }

    const Mesh* mesh = nullptr;
    bool normals = true;
    bool parameters = false;
    bool optimise = false;
    bool strips = false;              // the face list is in strip form
    std::vector<int> faces;           // overrides the mesh's faces when not empty
};

// The model publisher's way: InitSubop, then points, normals, faces and
// parameters, then serialize.
inline void emit_shell(BStreamFileToolkit& tk, W3DStreamWriter& writer, const Shell_Input& in,
                       TK_Key key = 0)
{
    serialize_with<TK_Shell>(
        tk, writer, 'S',
        [&](TK_Shell& h)
        {
            h.InitSubop(tk, 0, true);
            if (in.strips)
                h.SetSubop(static_cast<unsigned char>(h.GetSubop() | TK_Polyhedron::Subop_Triangle_Strips));
            h.SetTolerances(0.0, 0.0, 0.0);
            h.SetOptimize(in.optimise);
            h.SetPoints(in.mesh->point_count(), in.mesh->points.data());
            if (in.normals && !in.mesh->normals.empty())
                h.SetVertexNormals(in.mesh->normals.data());
            const std::vector<int>& faces = in.faces.empty() ? in.mesh->faces : in.faces;
            h.SetFaces(static_cast<int>(faces.size()), faces.data());
            if (in.parameters)
            {
                std::vector<float> uvw(in.mesh->points.size());
                for (std::size_t i = 0; i < uvw.size(); ++i)
                    uvw[i] = in.mesh->points[i] * 0.5f + 0.25f;
                h.SetVertexParameters(uvw.data());
            }
        },
        key);
}

// The model publisher's settings: write flags 0x1A06 (raw points, plain faces,
// connectivity compression, no instances), 24 normal bits.
inline Setup publisher_setup(int version)
{
    return [version](BStreamFileToolkit& tk)
    {
        tk.SetWriteFlags(0x1A06);
        tk.SetNumNormalBits(24);
        tk.SetTargetVersion(version);
    };
}

// The toolkit's defaults with connectivity compression: quantised points in
// the block.
inline Setup compressing_setup(int version)
{
    return [version](BStreamFileToolkit& tk)
    {
        tk.SetWriteFlags(TK_Option_Connectivity | TK_Option_Plain_Faces);
        tk.SetNumNormalBits(24);
        tk.SetNumVertexBits(33);
        tk.SetTargetVersion(version);
    };
}

// Every shell record of a stream, read back one byte at a time.
inline std::vector<Shell_Copy> read_shells(const Bytes& stream, TK_Status* status = nullptr,
                                           std::size_t chunk = 1)
{
    std::vector<Shell_Copy> shells;
    Read_Result const result = read_stream(stream, chunk,
                                           [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                                           {
                                               if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
                                                   shells.push_back(copy_shell(*shell));
                                           });
    if (status)
        *status = result.status;
    return shells;
}

using Corner = std::array<float, 3>;
using Coordinate_Triangle = std::array<Corner, 3>;

// The triangles of a face list (strips or polygons as fans) as coordinate
// triples, each turned to start at its smallest corner, sorted.
inline std::vector<Coordinate_Triangle> coordinate_triangles(const std::vector<float>& xyz,
                                                              const std::vector<int>& faces,
                                                              bool strips)
{
    std::vector<Coordinate_Triangle> triangles;
    auto const corner = [&xyz](int v) {
        std::size_t const at = 3 * static_cast<std::size_t>(v);
        return Corner{xyz[at], xyz[at + 1], xyz[at + 2]};
    };
    for (std::size_t i = 0; i < faces.size();)
    {
        int const n = std::abs(faces[i]);
        const int* v = faces.data() + i + 1;
        for (int k = 0; k + 2 < n; ++k)
        {
            int a = v[0], b = v[k + 1], c = v[k + 2];
            if (strips)
            {
                a = k % 2 == 0 ? v[k] : v[k + 1];
                b = k % 2 == 0 ? v[k + 1] : v[k];
                c = v[k + 2];
            }
            if (a == b || b == c || a == c)
                continue;
            Coordinate_Triangle t{corner(a), corner(b), corner(c)};
            std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
            triangles.push_back(t);
        }
        i += static_cast<std::size_t>(n) + 1;
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// Shell streams of the reader's seed corpus: plain, quantised and compressed
// shells at the versions that change their encoding.
inline std::map<std::string, std::pair<std::uint8_t, Bytes>> shell_seeds()
{
    static Mesh const sphere = icosphere(1);
    static Mesh const part = part_like(2, 8);
    static Mesh const plate = plate_with_holes();
    static Mesh const soup = triangle_soup(6);
    std::map<std::string, std::pair<std::uint8_t, Bytes>> all;
    auto const body = [](const Mesh& mesh, bool optimise, bool parameters) {
        return [&mesh, optimise, parameters](BStreamFileToolkit& tk, W3DStreamWriter& w) {
            Shell_Input in;
            in.mesh = &mesh;
            in.optimise = optimise;
            in.parameters = parameters;
            emit_shell(tk, w, in);
        };
    };
    all["shell_published_part"] = {0x01, write_stream(body(part, true, false), publisher_setup(1000))};
    all["shell_published_compressed"] = {
        0x07, write_stream(body(sphere, false, true), publisher_setup(1000), true)};
    all["shell_quantised_block_1000"] = {0x03, write_stream(body(sphere, false, false),
                                                            compressing_setup(1000))};
    all["shell_quantised_block_700"] = {0x05, write_stream(body(plate, false, false),
                                                           compressing_setup(700))};
    all["shell_quantised_block_650"] = {0x02, write_stream(body(sphere, false, false),
                                                           compressing_setup(650))};
    all["shell_plain_600"] = {0x09, write_stream(body(sphere, false, true), compressing_setup(600))};
    all["shell_declined_soup"] = {0x04, write_stream(body(soup, false, false),
                                                     publisher_setup(1000))};
    return all;
}

} // namespace w3d_test
