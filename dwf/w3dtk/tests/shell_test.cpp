// The shell record: golden bytes of each form, round trips through the reader
// at the versions that change the encoding, part-like tessellations written as
// the model publisher writes them, the face list, and damaged records.
#include "edgebreaker_coding.h"
#include "raw_records.h"
#include "record_bytes.h"
#include "shell_fixtures.h"

#include "dwf/w3dtk/edgebreaker/shell_header.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using namespace w3d_test;

Mesh triangle()
{
    Mesh mesh;
    mesh.add_point(0, 0, 0);
    mesh.add_point(1, 0, 0);
    mesh.add_point(0, 2, 0);
    mesh.add_triangle(0, 1, 2);
    return mesh;
}

// Points of a quantised round trip: the input point a read point stands for.
int nearest_point(const std::vector<float>& points, const float* p)
{
    int best = -1;
    float best_distance = 1e30f;
    for (std::size_t i = 0; i < points.size(); i += 3)
    {
        float const d = std::fabs(points[i] - p[0]) + std::fabs(points[i + 1] - p[1]) +
                        std::fabs(points[i + 2] - p[2]);
        if (d < best_distance)
        {
            best_distance = d;
            best = static_cast<int>(i / 3);
        }
    }
    return best;
}

Emit shell_of(const Shell_Input& in)
{
    return [in](BStreamFileToolkit& tk, W3DStreamWriter& w) { emit_shell(tk, w, in); };
}

Setup plain_setup(int version, int flags = TK_Option_Raw_Points | TK_Option_Plain_Faces)
{
    return [version, flags](BStreamFileToolkit& tk) {
        tk.SetTargetVersion(version);
        tk.SetWriteFlags(flags);
    };
}

// ---- golden bytes

TEST(Shell, RawPointsAndAPackedFaceList)
{
    Mesh const mesh = triangle();
    Shell_Input in(mesh, false);
    Golden g;
    g.u8('S').u8(0x12).u8(0); // sub-options: always set, no index; level 0
    g.i32(3).floats(mesh.points.data(), 9);
    g.u8(1).i32(5).u8(8).u8(3).u8(0).u8(1).u8(2); // face scheme, length, width 8, entries
    EXPECT_EQ(hex(write_records(shell_of(in), 4096, plain_setup(1000))), hex(g));
    EXPECT_TRUE(writes_alike_in_every_buffer(shell_of(in), plain_setup(1000)));
}

TEST(Shell, QuantisedPoints)
{
    Mesh const mesh = triangle();
    Shell_Input in(mesh, false);
    // 24 vertex bits: 8 per coordinate, the byte form: x 0 255 0, y 0 0 255.
    Golden g;
    g.u8('S').u8(0x13).u8(0).u8(1).i32(3).floats({0, 0, 0, 1, 2, 0}).u8(8).i32(9);
    g.u8(0).u8(0).u8(0).u8(255).u8(0).u8(0).u8(0).u8(255).u8(0);
    g.u8(1).i32(5).u8(8).u8(3).u8(0).u8(1).u8(2);
    EXPECT_EQ(hex(write_records(shell_of(in), 4096, plain_setup(1000, TK_Option_Plain_Faces))),
              hex(g));
}

// Without points a shell is written raw, whatever its sub-options asked for:
// no scheme byte, a point count of 0, an empty face list of width 8.
TEST(Shell, AnEmptyShellIsWrittenRaw)
{
    Emit const empty = [](BStreamFileToolkit& tk, W3DStreamWriter& w) {
        serialize_with<TK_Shell>(tk, w, 'S', [&tk](TK_Shell& h) { h.InitSubop(tk, 0, true); });
    };
    Golden g;
    g.u8('S').u8(0x12).u8(0).i32(0).u8(1).i32(1).u8(8);
    EXPECT_EQ(hex(write_records(empty, 4096, publisher_setup(1000))), hex(g));
    TK_Status status = TK_Error;
    std::vector<Shell_Copy> const shells = read_shells(write_stream(empty, publisher_setup(1000)), &status);
    ASSERT_EQ(status, TK_Ended);
    ASSERT_EQ(shells.size(), 1u);
    EXPECT_EQ(shells[0].points, 0);
    EXPECT_TRUE(shells[0].face_list.empty());
}

// Global quantisation: the block's points are measured against the world box,
// which the block does not carry; the reader takes it from its toolkit.
TEST(Shell, GlobalQuantisationUsesTheWorldBox)
{
    Mesh const sphere = icosphere(1);
    float const world[6] = {-2, -2, -2, 2, 2, 2};
    for (int const version : {1000, 700})
    for (int const extra : {static_cast<int>(TK_Option_Connectivity), 0})
    {
        SCOPED_TRACE(version);
        w3d_test::Setup const setup = [&world, extra, version](BStreamFileToolkit& tk) {
            tk.SetWriteFlags(TK_Option_Global_Quantisation | TK_Option_Plain_Faces | extra);
            tk.SetNumVertexBits(version < 1000 ? 33 : 36);
            tk.SetWorldBounding(world);
            tk.SetTargetVersion(version);
        };
        Shell_Input in(sphere, false);
        Bytes const stream = write_stream(shell_of(in), setup);
        std::vector<Shell_Copy> shells;
        Read_Result const result = read_stream(
            stream, 1,
            [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&) {
                if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
                    shells.push_back(copy_shell(*shell));
            },
            [&world](BStreamFileToolkit& tk) { tk.SetWorldBounding(world); });
        ASSERT_EQ(result.status, TK_Ended) << result.error;
        ASSERT_EQ(shells.size(), 1u);
        // Before version 806 the shell is quantised against its own box.
        EXPECT_EQ(shells[0].subop2 & TK_Polyhedron::Subop2_Global_Quantization,
                  version >= 806 ? TK_Polyhedron::Subop2_Global_Quantization : 0);
        EXPECT_EQ((shells[0].subop & TK_Polyhedron::Subop_Connectivity) != 0, extra != 0);
        for (int i = 0; i < shells[0].points; ++i)
        {
            int const from = nearest_point(sphere.points, &shells[0].xyz[3 * static_cast<std::size_t>(i)]);
            for (int axis = 0; axis < 3; ++axis)
                ASSERT_NEAR(shells[0].xyz[3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis)],
                            sphere.points[3 * static_cast<std::size_t>(from) + static_cast<std::size_t>(axis)],
                            4.0f / (version < 1000 ? 2047 : 4095) * 0.51f);
        }
        // Without the world box the reader cannot place the block's points.
        if (extra && version >= 806)
        {
            EXPECT_NE(read_stream(stream, 1).status, TK_Ended);
        }
    }
}

TEST(Shell, FaceWidthFollowsTheLargestMagnitude)
{
    std::vector<int> faces = {3, 0, 1, 255};
    EXPECT_EQ(TK_Shell::PackedFaceWidth(faces.data(), 4, 1000), 8);
    faces[3] = 256;
    EXPECT_EQ(TK_Shell::PackedFaceWidth(faces.data(), 4, 1000), 16);
    faces[3] = 65536;
    EXPECT_EQ(TK_Shell::PackedFaceWidth(faces.data(), 4, 1000), 32);
    std::vector<int> holes = {3, 0, 1, 2, -3, 3, 4, 128};
    EXPECT_EQ(TK_Shell::PackedFaceWidth(holes.data(), 8, 650), 16) << "signed: 127 at most";
    holes[7] = 5;
    holes[4] = -128;
    EXPECT_EQ(TK_Shell::PackedFaceWidth(holes.data(), 8, 650), 16) << "the magnitude counts";
    holes[4] = -3;
    EXPECT_EQ(TK_Shell::PackedFaceWidth(holes.data(), 8, 650), 8);
    EXPECT_EQ(TK_Shell::PackedFaceWidth(holes.data(), 8, 600), 32)
        << "older readers take entries unsigned";
}

// A face list with a hole: the second word says so, the edge-breaker
// declines, and the entries come back signed.
TEST(Shell, HolesKeepThePlainForm)
{
    Mesh square;
    for (float const p : {0.0f, 4.0f})
        for (float const q : {0.0f, 4.0f})
            square.add_point(p, q, 0);
    square.add_point(1, 1, 0);
    square.add_point(2, 1, 0);
    square.add_point(1, 2, 0);
    std::vector<int> const faces = {4, 0, 2, 3, 1, -3, 4, 6, 5};
    for (int const version : {600, 650, 1000})
    {
        Shell_Input in(square, false);
        in.faces = faces;
        Bytes const stream = write_stream(shell_of(in), publisher_setup(version));
        TK_Status status = TK_Error;
        std::vector<Shell_Copy> const shells = read_shells(stream, &status);
        ASSERT_EQ(status, TK_Ended) << version;
        ASSERT_EQ(shells.size(), 1u);
        EXPECT_EQ(shells[0].subop & TK_Polyhedron::Subop_Connectivity, 0);
        EXPECT_EQ(shells[0].subop2, TK_Polyhedron::Subop2_Negative_Faces);
        EXPECT_TRUE(shells[0].subop & TK_Polyhedron::Subop_Second_Word);
        EXPECT_EQ(shells[0].face_list, faces) << version;
        EXPECT_EQ(shells[0].faces, 1) << "a hole is not a face";
        EXPECT_EQ(shells[0].xyz, square.points);
    }
}

// The model publisher's shell: sub-options 0x02, 0x40, 0x08 (and 0x10, no
// index), scheme 5, the block with the normals, the raw points in the block's
// order, an attribute section holding only its end.
TEST(Shell, ThePublishersCompressedForm)
{
    Mesh const sphere = icosphere(1);
    Shell_Input in(sphere, true);
    Bytes const bytes = write_records(shell_of(in), 4096, publisher_setup(1000));
    ASSERT_GT(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 'S');
    EXPECT_EQ(bytes[1], 0x5A);
    EXPECT_EQ(bytes[2], 0);
    EXPECT_EQ(bytes[3], 5);
    int const length = static_cast<int>(w3d::eb::get_le32(bytes.data() + 4));
    Block const block(bytes.begin() + 8, bytes.begin() + 8 + length);
    w3d::eb::ShellHeader const header = header_of(block);
    EXPECT_EQ(header.scheme, 2);
    EXPECT_EQ(header.point_coding, 0) << "points follow the block";
    EXPECT_EQ(header.normal_coding, 3);
    ASSERT_EQ(bytes.size(), 8u + length + 12u * header.vertex_count + 1u);
    EXPECT_EQ(bytes.back(), 0) << "the attribute section's end";
    EXPECT_TRUE(writes_alike_in_every_buffer(shell_of(in), publisher_setup(1000)));
}

TEST(Shell, NullAndBoundingOnlyRecords)
{
    Emit const null_shell = [](BStreamFileToolkit& tk, W3DStreamWriter& w) {
        serialize_with<TK_Shell>(tk, w, 'S', [](TK_Shell& h) {
            h.SetSubop(0x02);
            h.SetSubop2(TK_Polyhedron::Subop2_Null);
            h.SetLevel(2);
        });
    };
    Golden g;
    g.u8('S').u8(0x90).u16(0x0002).u8(2);
    EXPECT_EQ(hex(write_records(null_shell)), hex(g));
    float const box[6] = {-1, -2, -3, 1, 2, 3};
    Emit const bounding = [&box](BStreamFileToolkit& tk, W3DStreamWriter& w) {
        serialize_with<TK_Shell>(tk, w, 'S', [&box](TK_Shell& h) {
            h.SetSubop(0x22);
            h.SetBounding(box);
            h.SetLevel(1);
        });
    };
    Golden b;
    b.u8('S').u8(0x32).u8(1).floats(box, 6); // no index: 0x10
    EXPECT_EQ(hex(write_records(bounding)), hex(b));
    int seen = 0;
    for (const Emit& emit : {null_shell, bounding})
        read_stream(write_stream(emit), 1, [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&) {
            if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
            {
                ++seen;
                EXPECT_EQ(shell->GetLevel(), seen == 1 ? 2 : 1);
                if (seen == 2)
                {
                    EXPECT_EQ(shell->GetBounding()[5], 3.0f);
                }
            }
        });
    EXPECT_EQ(seen, 2);
}

// ---- round trips

int nearest(const std::vector<float>& points, const float* p)
{
    return nearest_point(points, p);
}

TEST(Shell, RoundTripsAtEveryVersionAndForm)
{
    Mesh const sphere = icosphere(1);
    for (int const version : {600, 650, 700, 905, 1000})
        for (bool const compressing : {false, true})
            for (bool const parameters : {false, true})
            {
                SCOPED_TRACE("version " + std::to_string(version) + (compressing ? " compressing" : " publisher") +
                             (parameters ? " parameters" : ""));
                Shell_Input in(sphere, true, parameters);
                w3d_test::Setup const setup = compressing ? compressing_setup(version) : publisher_setup(version);
                EXPECT_TRUE(writes_alike_in_every_buffer(shell_of(in), setup));
                TK_Status status = TK_Error;
                std::vector<Shell_Copy> const shells = read_shells(write_stream(shell_of(in), setup), &status);
                ASSERT_EQ(status, TK_Ended);
                ASSERT_EQ(shells.size(), 1u);
                Shell_Copy const& got = shells[0];
                bool const block = (got.subop & TK_Polyhedron::Subop_Connectivity) != 0;
                // Version 650 and below without quantised points cannot carry
                // the points after a block: those shells stay plain.
                EXPECT_EQ(block, compressing || version >= 651);
                ASSERT_EQ(got.points, sphere.point_count());
                // Map every read point to the input point it stands for.
                std::vector<int> map(static_cast<std::size_t>(got.points));
                for (int i = 0; i < got.points; ++i)
                    map[static_cast<std::size_t>(i)] = nearest(sphere.points, &got.xyz[3 * static_cast<std::size_t>(i)]);
                float const step = compressing ? 2.0f / 2047 : version < 650 ? 2.0f / 255 : 0.0f;
                for (int i = 0; i < got.points; ++i)
                    for (int axis = 0; axis < 3; ++axis)
                    {
                        std::size_t const at = 3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis);
                        std::size_t const from = 3 * static_cast<std::size_t>(map[static_cast<std::size_t>(i)]) + static_cast<std::size_t>(axis);
                        ASSERT_NEAR(got.xyz[at], sphere.points[from], step * 0.51f + 1e-6f);
                        if (!got.normals.empty())
                        {
                            ASSERT_NEAR(got.normals[at], sphere.normals[from], 0.021f);
                        }
                    }
                EXPECT_EQ(triangles_of(got.face_list, false, &map), triangles_of(sphere.faces, false));
                EXPECT_EQ(got.faces, sphere.triangle_count());
                EXPECT_EQ(got.parameters.empty(), !parameters);
            }
}

// Part-like tessellations written as the model publisher writes them become
// compressed shells that read back as the same triangles, normals within the
// quantisation; meshes the encoder declines come back exactly, plainly.
TEST(Shell, PartLikeTessellationsAndDeclinedMeshes)
{
    Mesh const part = part_like(3, 12);
    Shell_Input in(part, true);
    in.optimise = true;
    TK_Status status = TK_Error;
    std::vector<Shell_Copy> shells = read_shells(write_stream(shell_of(in), publisher_setup(1000)), &status);
    ASSERT_EQ(status, TK_Ended);
    ASSERT_EQ(shells.size(), 1u);
    Shell_Copy const& got = shells[0];
    EXPECT_EQ(got.scheme, TK_Polyhedron::Scheme_Edgebreaker);
    EXPECT_LT(got.points, part.point_count() / 3) << "merged";
    EXPECT_EQ(coordinate_triangles(got.xyz, got.face_list, false),
              coordinate_triangles(part.points, part.faces, false));
    // Each corner's normal: the one its triangle had.
    std::map<Coordinate_Triangle, std::array<Corner, 3>> normals;
    auto const record = [](const std::vector<float>& xyz, const std::vector<float>& n, int a, int b, int c,
                           std::map<Coordinate_Triangle, std::array<Corner, 3>>& into) {
        int const v[3] = {a, b, c};
        std::array<std::pair<Corner, Corner>, 3> corners;
        for (int k = 0; k < 3; ++k)
        {
            std::size_t const at = 3 * static_cast<std::size_t>(v[k]);
            corners[static_cast<std::size_t>(k)] = {Corner{xyz[at], xyz[at + 1], xyz[at + 2]},
                                                    Corner{n[at], n[at + 1], n[at + 2]}};
        }
        std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end()), corners.end());
        into[{corners[0].first, corners[1].first, corners[2].first}] = {corners[0].second, corners[1].second,
                                                                        corners[2].second};
    };
    std::map<Coordinate_Triangle, std::array<Corner, 3>> sent;
    for (std::size_t f = 0; f < part.faces.size(); f += 4)
        record(part.points, part.normals, part.faces[f + 1], part.faces[f + 2], part.faces[f + 3], sent);
    ASSERT_EQ(got.normals.size(), got.xyz.size());
    for (std::size_t f = 0; f < got.face_list.size(); f += 4)
        record(got.xyz, got.normals, got.face_list[f + 1], got.face_list[f + 2], got.face_list[f + 3], normals);
    ASSERT_EQ(normals.size(), sent.size());
    for (auto const& [triangle, corners] : sent)
        for (int k = 0; k < 3; ++k)
            for (int axis = 0; axis < 3; ++axis)
                ASSERT_NEAR(normals[triangle][static_cast<std::size_t>(k)][static_cast<std::size_t>(axis)],
                            corners[static_cast<std::size_t>(k)][static_cast<std::size_t>(axis)], 1.0f / 255 + 1e-5f);

    Mesh const soup = triangle_soup(7);
    Shell_Input declined(soup, true);
    shells = read_shells(write_stream(shell_of(declined), publisher_setup(1000)), &status);
    ASSERT_EQ(status, TK_Ended);
    ASSERT_EQ(shells.size(), 1u);
    EXPECT_EQ(shells[0].subop & TK_Polyhedron::Subop_Connectivity, 0);
    EXPECT_EQ(shells[0].xyz, soup.points);
    EXPECT_EQ(shells[0].face_list, soup.faces);
}

TEST(Shell, StripsComeBackAsStripsOrTriangles)
{
    Mesh const grid = open_grid(5, 3);
    std::vector<int> strips;
    for (int r = 0; r < 3; ++r)
    {
        strips.push_back(12);
        for (int c = 0; c <= 5; ++c)
            strips.insert(strips.end(), {(r + 1) * 6 + c, r * 6 + c});
    }
    for (int const version : {700, 1000})
        for (bool const compress : {false, true})
        {
            Shell_Input in(grid, false);
            in.strips = true;
            in.faces = strips;
            w3d_test::Setup const setup = compress ? compressing_setup(version) : plain_setup(version);
            TK_Status status = TK_Error;
            std::vector<Shell_Copy> const shells = read_shells(write_stream(shell_of(in), setup), &status);
            ASSERT_EQ(status, TK_Ended);
            ASSERT_EQ(shells.size(), 1u);
            bool const as_strips = (shells[0].subop & TK_Polyhedron::Subop_Triangle_Strips) != 0;
            EXPECT_EQ(shells[0].faces, 30) << "strips count their triangles";
            std::vector<int> map(static_cast<std::size_t>(shells[0].points));
            for (int i = 0; i < shells[0].points; ++i)
                map[static_cast<std::size_t>(i)] = nearest(grid.points, &shells[0].xyz[3 * static_cast<std::size_t>(i)]);
            EXPECT_EQ(triangles_of(shells[0].face_list, as_strips, &map), triangles_of(strips, true));
            if (!compress)
            {
                EXPECT_EQ(shells[0].face_list, strips);
            }
        }
}

// ---- the face list and the optimisation

TEST(Shell, SetFacesReallocatesAndCounts)
{
    TK_Shell shell;
    std::vector<int> const short_list = {3, 0, 1, 2};
    std::vector<int> const long_list = {3, 0, 1, 2, 4, 0, 1, 2, 3, -3, 0, 1, 2};
    ASSERT_EQ(shell.SetFaces(4, short_list.data()), TK_Done);
    EXPECT_EQ(shell.GetFaceCount(), 1);
    ASSERT_EQ(shell.SetFaces(13, long_list.data()), TK_Done) << "a longer list gets room of its own";
    EXPECT_EQ(shell.GetFacesLength(), 13);
    EXPECT_EQ(shell.GetFaceCount(), 2);
    EXPECT_EQ(shell.GetFaces()[12], 2);
    std::vector<int> const overrun = {3, 0, 1, 2, 5, 1};
    EXPECT_EQ(shell.SetFaces(6, overrun.data()), TK_Error);
    EXPECT_EQ(shell.GetFacesLength(), 13) << "the old list stays";
    shell.SetSubop(TK_Polyhedron::Subop_Triangle_Strips);
    std::vector<int> const strip = {5, 0, 1, 2, 3, 4, 3, 5, 6, 7};
    ASSERT_EQ(shell.SetFaces(10, strip.data()), TK_Done);
    EXPECT_EQ(shell.GetFaceCount(), 4);
    EXPECT_EQ(shell.SetFaces(-1, nullptr), TK_Error);
}

TEST(Shell, OptimisationMergesAndKeepsWhatItCannotImprove)
{
    // Two triangles over duplicated points: merged to four points.
    Mesh quad;
    float const corners[6][3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (auto const& p : corners)
        quad.add_point(p[0], p[1], p[2]);
    quad.add_triangle(0, 1, 2);
    quad.add_triangle(3, 4, 5);
    TK_Shell shell;
    shell.SetPoints(6, quad.points.data());
    shell.SetFaces(8, quad.faces.data());
    float const colours[6] = {1, 0, 0, 0, 1, 0};
    shell.SetFaceColors(colours);
    shell.SetOptimize(true);
    shell.serialize(0);
    EXPECT_EQ(shell.GetPointCount(), 4);
    EXPECT_EQ(shell.GetFacesLength(), 8);
    EXPECT_EQ(shell.GetFaces()[5], 0) << "point 3 became point 0";
    EXPECT_EQ(shell.GetFaceColors()[4], 1.0f) << "face colours follow their faces";

    // Nothing to merge: unchanged.
    TK_Shell plain;
    Mesh const sphere = icosphere(1);
    plain.SetPoints(sphere.point_count(), sphere.points.data());
    plain.SetFaces(sphere.face_list_length(), sphere.faces.data());
    plain.SetOptimize(true);
    plain.serialize(0);
    EXPECT_EQ(std::vector<float>(plain.GetPoints(), plain.GetPoints() + sphere.points.size()), sphere.points);

    // Every face collapses: the empty list replaces the old one (the points
    // the faces named stay, merged).
    TK_Shell collapsed;
    float const same[12] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2};
    int const faces[] = {3, 0, 1, 3, 3, 1, 2, 3};
    collapsed.SetPoints(4, same);
    collapsed.SetFaces(8, faces);
    collapsed.SetOptimize(true);
    collapsed.serialize(0);
    EXPECT_EQ(collapsed.GetFacesLength(), 0);
    EXPECT_EQ(collapsed.GetFaceCount(), 0);
    EXPECT_EQ(collapsed.GetPointCount(), 2);
}

// ---- damaged records

TEST(Shell, ReadersRefuseHostileCounts)
{
    auto const read_body = [](const Bytes& body) {
        return read_stream(write_stream(raw_record(body)), 3);
    };
    // Raw point count 2^24 + 1.
    Golden big;
    big.u8('S').u8(0x12).u8(0).i32((1 << 24) + 1);
    Read_Result result = read_body(big);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "bad Shell Point count");
    // A face index beyond the points, a width of 24 bits, a length that does
    // not fit the width.
    Golden index;
    index.u8('S').u8(0x12).u8(0).i32(1).floats({0, 0, 0}).u8(1).i32(5).u8(8).u8(3).u8(0).u8(0).u8(1);
    result = read_body(index);
    EXPECT_EQ(result.error, "bad Shell face list");
    Golden width;
    width.u8('S').u8(0x12).u8(0).i32(0).u8(1).i32(4).u8(24).u8(0).u8(0).u8(0);
    EXPECT_EQ(read_body(width).error, "bad Shell face list width");
    Golden odd;
    odd.u8('S').u8(0x12).u8(0).i32(0).u8(1).i32(4).u8(16).u8(0).u8(0).u8(0);
    EXPECT_EQ(read_body(odd).error, "bad Shell face list length");
    // A face record running past the list.
    Golden overrun;
    overrun.u8('S').u8(0x12).u8(0).i32(3).floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).u8(1).i32(4).u8(8).u8(4).u8(0).u8(1);
    EXPECT_EQ(read_body(overrun).error, "bad Shell face list");
    // An edge-breaker block of garbage.
    Golden block;
    block.u8('S').u8(0x52).u8(0).u8(5).i32(24);
    for (int i = 0; i < 24; ++i)
        block.u8(0xEE);
    EXPECT_EQ(read_body(block).error, "edgebreaker read failed, called from TK_Shell::read_advanced");
}

TEST(Shell, DamagedAndFailingStreams)
{
    Mesh const sphere = icosphere(1);
    Mesh const part = part_like(1, 6);
    for (auto const& [name, seed] : shell_seeds())
    {
        SCOPED_TRACE(name);
        read_damaged_streams(seed.second, 5, 400);
    }
    Shell_Input in(sphere, true);
    EXPECT_TRUE(write_fails_cleanly(shell_of(in), publisher_setup(1000), 64));
    Shell_Input merged(part, true);
    merged.optimise = true;
    EXPECT_TRUE(write_fails_cleanly(shell_of(merged), compressing_setup(700), 64));
}

} // namespace
