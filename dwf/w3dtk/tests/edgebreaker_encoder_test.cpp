// The edge-breaker encoder: golden blocks worked out by hand, the op counts and
// the declines of the corpus, capacity and allocation failures, and the
// shells it must refuse.
#include "allocation_hooks.h"
#include "edgebreaker_coding.h"

#include "dwf/w3dtk/edgebreaker/edge_allocator.h"
#include "dwf/w3dtk/edgebreaker/side_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cmath>
#include <cstring>
#include <string>

namespace
{
using namespace w3d_test;
using w3d::eb::EdgeOptions;
using w3d::eb::put_le32;

void append_float(Block& block, float value)
{
    std::uint32_t word;
    std::memcpy(&word, &value, 4);
    append_word(block, word);
}

// The unit square as two triangles: one open loop 0, 1, 2, 3.
Mesh quad()
{
    Mesh mesh;
    mesh.name = "quad";
    mesh.add_point(0, 0, 0);
    mesh.add_point(1, 0, 0);
    mesh.add_point(1, 1, 0);
    mesh.add_point(0, 1, 0);
    mesh.add_triangle(0, 1, 2);
    mesh.add_triangle(0, 2, 3);
    return mesh;
}

// The block header, ops and side table (box 0,0,0 - 1,1,0) of the quad.
Block quad_block_start(int scheme, int point_coding, int point_length)
{
    Block block = {static_cast<std::uint8_t>(scheme), 0, static_cast<std::uint8_t>(point_coding), 0};
    append_word(block, 2);  // ops
    append_word(block, 28); // side table
    append_word(block, static_cast<std::uint32_t>(point_length));
    append_word(block, 4);  // vertices
    append_word(block, 0);  // normals
    block.insert(block.end(), {3, 2, 0, 0}); // right, end; padding
    append_word(block, 0x20);
    for (float const value : {0.0f, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f})
        append_float(block, value);
    return block;
}

// The start loop is the square's boundary, vertices 0 1 2 3. The first
// triangle's right edge is on it (op 3), the second closes the loop (op 2).
// Codes (11 bits): 0 0 0, 2047 0 0, 2047 2047 0, 0 2047 0.
TEST(EdgebreakerGolden, QuadInTheGeometryStreamForm)
{
    Block expected = quad_block_start(2, 3, 24);
    // Strip flag 0; three start vertices, one predicted; the starts' codes
    // + 32767 in 16 bits; the fourth vertex predicted exactly by
    // p2 - p1 + p0, residuals 0.
    Block const stream = words_from_bits(
        "01"
        "1000000000000010 1000000000000000"
        "0111111111111111 0111111111111111 0111111111111111"
        "1000011111111110 0111111111111111 0111111111111111"
        "1000011111111110 1000011111111110 0111111111111111"
        "01 01 01");
    expected.insert(expected.end(), stream.begin(), stream.end());

    Compressed const coded = compress(quad(), 1000, true, false);
    ASSERT_TRUE(coded.ok);
    EXPECT_EQ(block_hex(coded.block), block_hex(expected));
    EXPECT_EQ(coded.vertex_map, (std::vector<int>{0, 1, 2, 3}));

    Decompressed const decoded = decompress(expected);
    ASSERT_TRUE(decoded.ok);
    EXPECT_FALSE(decoded.strips);
    EXPECT_EQ(decoded.faces, (std::vector<int>{3, 0, 1, 2, 3, 0, 2, 3}));
    EXPECT_EQ(decoded.points, quad().points);
}

// Below scheme 2 every vertex is predicted by the triple of its position: the
// start loop's vertices by the one before them, so residuals are the steps
// round the square, 2047 costing 2 + 6 + 10 escapes and 14 bits.
TEST(EdgebreakerGolden, QuadWithTripleResiduals)
{
    Block expected = quad_block_start(1, 1, 16);
    std::string const big = "11 111111 1111111111 10011111111110";   // +2047
    std::string const minus = "11 111111 1111111111 01100000000000"; // -2047
    Block const stream = words_from_bits("01 01 01" + big + "01 01" + "01" + big + "01" + minus +
                                         "01 01");
    expected.insert(expected.end(), stream.begin(), stream.end());
    Compressed const coded = compress(quad(), 700, true, false);
    ASSERT_TRUE(coded.ok);
    EXPECT_EQ(block_hex(coded.block), block_hex(expected));
    Decompressed const decoded = decompress(expected);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.points, quad().points);
}

// Version 650: a 20-byte header, the same triples; up to 600 the residuals
// are raw 16-bit values, 6 bytes a vertex.
TEST(EdgebreakerGolden, OldSchemesUseTheShortHeader)
{
    Compressed coded = compress(quad(), 650, true, false);
    ASSERT_TRUE(coded.ok);
    ASSERT_EQ(coded.block[0], 0);
    EXPECT_EQ(header_of(coded.block).size(), 20);
    EXPECT_EQ(coded.block[20], 3) << "ops right after the header";

    coded = compress(quad(), 600, true, false);
    ASSERT_TRUE(coded.ok);
    w3d::eb::ShellHeader const header = header_of(coded.block);
    EXPECT_EQ(header.point_coding, 0);
    EXPECT_EQ(header.point_length, 24);
    // Vertex 1: (2047, 0, 0) - (0, 0, 0); vertex 3: (0, 2047, 0) - (2047, 2047, 0).
    std::size_t const points = 20 + 4 + 28;
    EXPECT_EQ(coded.block[points + 6], 0xFF);
    EXPECT_EQ(coded.block[points + 7], 0x07);
    EXPECT_EQ(coded.block[points + 18], 0x01);
    EXPECT_EQ(coded.block[points + 19], 0xF8);
    Decompressed const decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(decoded.points, quad().points);
}

// A closed tetrahedron is cut open at its first triangle: the start loop
// passes the cut vertex twice (a repeat in list E), four ops code it.
TEST(EdgebreakerEncoder, TetrahedronCutsAStartTriangleOpen)
{
    Compressed const coded = compress(tetrahedron(), 1000);
    ASSERT_TRUE(coded.ok);
    w3d::eb::ShellHeader const header = header_of(coded.block);
    ASSERT_EQ(header.op_count, 4);
    EXPECT_EQ(Block(coded.block.begin() + 24, coded.block.begin() + 28), (Block{3, 0, 3, 2}));
    w3d::eb::EdgeAllocator allocator;
    w3d::eb::SideTable side(allocator);
    ASSERT_TRUE(side.read(coded.block.data() + 28, header.side_length));
    ASSERT_EQ(side.repeats.size(), 2);
    EXPECT_EQ(side.repeats[0], 3) << "the cut vertex again, at the loop's end";
    EXPECT_EQ(side.repeats[1], 1);
    EXPECT_EQ(side.dummies.size(), 0);
    EXPECT_EQ(header.vertex_count, 4);
}

// The corpus: ops, repeats and dummies as each mesh's shape calls for.
TEST(EdgebreakerEncoder, OpCountsOfTheCorpus)
{
    w3d::eb::EdgeAllocator allocator;
    for (Mesh const& mesh : test_corpus())
    {
        SCOPED_TRACE(mesh.name);
        Compressed const coded = compress(mesh, 1000);
        if (mesh.name == "triangle soup")
        {
            EXPECT_FALSE(coded.ok);
            continue;
        }
        ASSERT_TRUE(coded.ok);
        w3d::eb::ShellHeader const header = header_of(coded.block);
        w3d::eb::SideTable side(allocator);
        ASSERT_TRUE(side.read(coded.block.data() + w3d::eb::align4(24 + header.op_count),
                              header.side_length));
        std::array<int, 5> const ops = op_counts(coded.block);
        int const dummy_triangles = header.op_count - mesh.triangle_count();
        // Every op is one triangle; each component ends its last loop with one
        // op 2 more than it splits.
        EXPECT_EQ(ops[0] + ops[1] + ops[2] + ops[3] + ops[4], header.op_count);
        EXPECT_EQ(ops[2], ops[4] + 1) << "one component";
        if (mesh.name == "open grid")
        {
            EXPECT_EQ(dummy_triangles, 0);
            EXPECT_EQ(side.repeats.size(), 0);
            EXPECT_EQ(header.vertex_count, mesh.point_count());
            EXPECT_EQ(ops[0], mesh.point_count() - 2 * (12 + 9)) << "all but the boundary";
        }
        else if (mesh.name == "plate with holes")
        {
            // Four loops: three are closed by a dummy each; the one met last
            // (a hole) stays open. The outer rim is 80 edges, a hole 8.
            EXPECT_EQ(side.dummies.size(), 3);
            EXPECT_EQ(dummy_triangles, 80 + 8 + 8);
            EXPECT_EQ(header.vertex_count, mesh.point_count() - 3) << "three unused points";
        }
        else if (mesh.name == "torus")
        {
            // The handle: the loop it was met on is cut and both sides capped,
            // then the closed surface is cut open again.
            EXPECT_EQ(side.dummies.size(), 3);
            EXPECT_GT(dummy_triangles, 0);
            EXPECT_EQ(header.vertex_count, mesh.point_count());
        }
        else
        {
            EXPECT_EQ(dummy_triangles, 0);
            EXPECT_EQ(side.dummies.size(), 0);
            EXPECT_EQ(side.repeats.size(), 2) << "one cut vertex";
            EXPECT_EQ(ops[0], mesh.point_count() - 3) << "a closed genus-0 mesh: V - 3 new vertices";
        }
    }
}

// Each handle costs an attempt: two are cut, a third one makes the encoder
// decline.
TEST(EdgebreakerEncoder, HandlesUpToTwo)
{
    std::vector<std::pair<int, int>> holes;
    for (int h = 0; h < 4; ++h)
    {
        Mesh const slab = holed_slab(9, 3, holes);
        SCOPED_TRACE(std::to_string(h) + " holes");
        Compressed const coded = compress(slab, 1000);
        EXPECT_EQ(coded.ok, h <= 2);
        if (coded.ok)
        {
            Decompressed const decoded = decompress(coded.block);
            ASSERT_TRUE(decoded.ok);
            EXPECT_EQ(triangles_of(decoded.faces, decoded.strips, &coded.vertex_map),
                      triangles_of(slab.faces, false));
        }
        holes.emplace_back(1 + 2 * h, 1);
    }
}

TEST(EdgebreakerEncoder, DeclinesWhatItCannotCode)
{
    // Too little sharing.
    EXPECT_FALSE(compress(triangle_soup(10), 1000).ok);
    // Two tetrahedra sharing one point: two closed fans meet there.
    Mesh pair = tetrahedron();
    Mesh other = tetrahedron();
    for (std::size_t i = 3; i < other.points.size(); i += 3)
        other.points[i] += 2.0f;
    for (std::size_t f = 0; f < other.faces.size(); f += 4)
    {
        int v[3];
        for (int k = 0; k < 3; ++k)
        {
            int const old = other.faces[f + 1 + static_cast<std::size_t>(k)];
            v[k] = old == 0 ? 0 : old + 3;
        }
        pair.add_triangle(v[0], v[1], v[2]);
    }
    for (std::size_t i = 3; i < other.points.size(); ++i)
        pair.points.push_back(other.points[i]);
    EXPECT_FALSE(compress(pair, 1000, true, false).ok);
    // An index outside the points, a negative count.
    Mesh bad = tetrahedron();
    bad.faces[5] = 4;
    EXPECT_FALSE(compress(bad, 1000, true, false, {}, 4096).ok);
    bad = tetrahedron();
    bad.faces[4] = -3;
    EXPECT_FALSE(compress(bad, 1000, true, false, {}, 4096).ok);
    // Bit counts the version does not allow.
    EdgeOptions options;
    options.point_bits[0] = 17;
    EXPECT_FALSE(compress(icosphere(1), 999, true, false, options).ok);
    EXPECT_TRUE(compress(icosphere(1), 1000, true, false, options).ok);
}

// Blocks below scheme 2 hold a single component; scheme 2 holds any number.
TEST(EdgebreakerEncoder, SeveralComponentsOnlyInTheGeometryStreamForm)
{
    Mesh two = icosphere(1);
    Mesh const second = tetrahedron();
    int const offset = two.point_count();
    two.points.insert(two.points.end(), second.points.begin(), second.points.end());
    two.normals.insert(two.normals.end(), second.normals.begin(), second.normals.end());
    for (std::size_t f = 0; f < second.faces.size(); f += 4)
        two.add_triangle(second.faces[f + 1] + offset, second.faces[f + 2] + offset,
                         second.faces[f + 3] + offset);
    EXPECT_FALSE(compress(two, 650).ok);
    EXPECT_FALSE(compress(two, 905).ok);
    Compressed const coded = compress(two, 906);
    ASSERT_TRUE(coded.ok);
    EXPECT_EQ(op_counts(coded.block)[2], op_counts(coded.block)[4] + 2) << "two components";
    Decompressed const decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(triangles_of(decoded.faces, false, &coded.vertex_map), triangles_of(two.faces, false));
}

// Degenerate triangles are dropped; an edge of three triangles is cut loose
// and its vertices copied (given slots enough); two surfaces touching at a
// point are told apart.
TEST(EdgebreakerEncoder, DegenerateAndNonManifoldInput)
{
    Mesh with_degenerate = open_grid(4, 3);
    std::vector<int> const faces = with_degenerate.faces;
    with_degenerate.faces.insert(with_degenerate.faces.begin(), {3, 5, 5, 6});
    Compressed coded = compress(with_degenerate, 1000);
    ASSERT_TRUE(coded.ok);
    Decompressed decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(triangles_of(decoded.faces, false, &coded.vertex_map), triangles_of(faces, false));

    // A book of three pages on the edge 0-1, each page a quad.
    Mesh book;
    book.add_point(0, 0, 0);
    book.add_point(0, 0, 1);
    for (int page = 0; page < 3; ++page)
    {
        float const angle = 2.1f * static_cast<float>(page);
        int const a = book.add_point(std::cos(angle), std::sin(angle), 0);
        int const b = book.add_point(std::cos(angle), std::sin(angle), 1);
        book.add_triangle(0, a, b);
        book.add_triangle(0, b, 1);
    }
    EdgeOptions tight;
    tight.ratio = 1.0f;
    EXPECT_FALSE(compress(book, 1000, true, false, tight).ok) << "no slots for the copies";
    coded = compress(book, 1000, true, false);
    ASSERT_TRUE(coded.ok);
    decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    EXPECT_EQ(triangles_of(decoded.faces, false, &coded.vertex_map), triangles_of(book.faces, false));
    EXPECT_EQ(op_counts(coded.block)[2], 3) << "three pages, three components";
}

TEST(EdgebreakerEncoder, TriangleStripsComeBackAsStrips)
{
    // The grid's rows as strips.
    Mesh const grid = open_grid(6, 4);
    std::vector<int> strips;
    for (int r = 0; r < 4; ++r)
    {
        strips.push_back(14);
        for (int c = 0; c <= 6; ++c)
        {
            strips.push_back((r + 1) * 7 + c);
            strips.push_back(r * 7 + c);
        }
    }
    Mesh striped = grid;
    striped.faces = strips;
    EdgeOptions options;
    options.flags = EdgeOptions::Strips;
    Compressed const coded = compress(striped, 1000, true, true, options);
    ASSERT_TRUE(coded.ok);
    Decompressed const decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    EXPECT_TRUE(decoded.strips);
    EXPECT_EQ(decoded.faces.size(), strips.size());
    EXPECT_EQ(triangles_of(decoded.faces, true, &coded.vertex_map), triangles_of(strips, true));

    // The rows joined into one strip by degenerate triangles (each joint
    // repeats the last vertex of a row and the first of the next): the strip
    // form is given up, the triangles still come back.
    std::vector<int> one;
    for (std::size_t at = 0; at < strips.size(); at += 15)
    {
        if (!one.empty())
            one.insert(one.end(), {one.back(), strips[at + 1]});
        one.insert(one.end(), strips.begin() + static_cast<long>(at) + 1,
                   strips.begin() + static_cast<long>(at) + 15);
    }
    one.insert(one.begin(), static_cast<int>(one.size()));
    Mesh joined = striped;
    joined.faces = one;
    Compressed const plain = compress(joined, 1000, true, true, options);
    ASSERT_TRUE(plain.ok);
    Decompressed const back = decompress(plain.block);
    ASSERT_TRUE(back.ok);
    EXPECT_FALSE(back.strips);
    EXPECT_EQ(triangles_of(back.faces, false, &plain.vertex_map),
              triangles_of(joined.faces, true));

    // Strips on a closed mesh: the cut start triangle may stop the strips, in
    // which case triangles come back; either way the same ones.
    Mesh sphere = lumpy_sphere(8, 5);
    std::vector<int> sphere_strips;
    for (std::size_t f = 0; f < sphere.faces.size(); f += 4)
        sphere_strips.insert(sphere_strips.end(),
                             {3, sphere.faces[f + 1], sphere.faces[f + 2], sphere.faces[f + 3]});
    sphere.faces = sphere_strips;
    Compressed const closed = compress(sphere, 1000, true, true, options);
    ASSERT_TRUE(closed.ok);
    Decompressed const closed_back = decompress(closed.block);
    ASSERT_TRUE(closed_back.ok);
    EXPECT_EQ(triangles_of(closed_back.faces, closed_back.strips, &closed.vertex_map),
              triangles_of(sphere_strips, true));
}

// Every section is checked against the room given: one byte less than the
// block needs fails cleanly (the buffer is exactly that large, so the
// sanitizers see any overrun), the exact size succeeds.
TEST(EdgebreakerEncoder, EverySectionInsideItsCapacity)
{
    std::vector<Mesh> meshes = {quad(), tetrahedron(), icosphere(1), torus(8, 5),
                                plate_with_holes()};
    for (Mesh const& mesh : meshes)
        for (int const version : {600, 650, 700, 1000})
        {
            SCOPED_TRACE(mesh.name + " at " + std::to_string(version));
            Compressed const full = compress(mesh, version);
            ASSERT_TRUE(full.ok);
            int const size = static_cast<int>(full.block.size());
            int const stride = size > 400 ? 7 : 1;
            for (int capacity = 0; capacity < size; capacity += stride)
                ASSERT_FALSE(compress(mesh, version, true, true, {}, capacity).ok) << capacity;
            ASSERT_FALSE(compress(mesh, version, true, true, {}, size - 1).ok);
            Compressed const exact = compress(mesh, version, true, true, {}, size);
            ASSERT_TRUE(exact.ok);
            EXPECT_EQ(exact.block, full.block);
        }
}

// Allocation failures anywhere give a clean refusal: every buffer taken is
// given back.
TEST(EdgebreakerEncoder, AllocationFailuresAreRefusals)
{
    for (Mesh const& mesh : {tetrahedron(), torus(6, 4), plate_with_holes()})
    {
        auto const encode = [&](Allocation_Hooks& hooks)
        {
            EdgeOptions options;
            options.allocate = Allocation_Hooks::allocate;
            options.release = Allocation_Hooks::release;
            options.user_data = &hooks;
            return compress(mesh, 1000, true, true, options).ok;
        };
        expect_allocation_failures_refused(encode, mesh.name);
    }
}

// Residuals beyond the widest width of the ladder, and raw codes beyond the
// count ladder, make the encoder decline rather than write a block it cannot
// read back.
TEST(EdgebreakerEncoder, WideCodesDeclineOrRoundTrip)
{
    EdgeOptions options;
    for (int& bits : options.point_bits)
        bits = 32;
    EXPECT_FALSE(compress(icosphere(1), 1000, true, false, options).ok)
        << "codes up to 2^32 - 1 do not fit";
    for (int& bits : options.point_bits)
        bits = 26;
    Mesh const sphere = icosphere(1);
    Compressed const coded = compress(sphere, 1000, true, false, options);
    ASSERT_TRUE(coded.ok);
    Decompressed const decoded = decompress(coded.block);
    ASSERT_TRUE(decoded.ok);
    for (int i = 0; i < decoded.point_count; ++i)
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(decoded.points[3 * static_cast<std::size_t>(i) + static_cast<std::size_t>(axis)],
                        sphere.points[3 * static_cast<std::size_t>(coded.vertex_map[static_cast<std::size_t>(i)]) +
                                      static_cast<std::size_t>(axis)],
                        1e-6f);
}

} // namespace
