// The polyhedron's points and attribute section, through the mesh record.
#include "mesh_fixtures.h"
#include "record_bytes.h"

#include "dwf/w3dtk/geometry/bit_packer.h"
#include "dwf/w3dtk/geometry/face_regions.h"
#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{
using namespace w3d_test;
using w3d::eb::BitPacker;

// Codes of `bits` bits packed as the quantiser packs them.
Bytes packed(int bits, std::initializer_list<std::uint32_t> codes)
{
    Bytes bytes(static_cast<std::size_t>(w3d::eb::packed_size(long(codes.size()), bits)));
    BitPacker packer = BitPacker::for_writing(bytes.data(), int(bytes.size()));
    for (std::uint32_t code : codes)
        packer.put(bits, code);
    return bytes;
}

// One mesh filled by `fill`, written alone.
Bytes mesh_record(const std::function<void(TK_Mesh&)>& fill, const Setup& setup = {})
{
    return write_records([&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                         { serialize_with<TK_Mesh>(tk, writer, 'M', fill); },
                         W3DStreamWriter::Buffer_Size, setup);
}

const float One_Point[3] = {1, 2, 3};

TEST(PolyhedronAttributes, AnEmptySectionIsTheSingleByteZero)
{
    Bytes const bytes = mesh_record(
        [](TK_Mesh& m)
        {
            m.SetMesh(1, 1, One_Point);
            m.SetSubop(TK_Polyhedron::Subop_Attributes);
        });
    Golden e;
    e.u8('M').u8(0x08).i32(1).i32(1).floats({1, 2, 3}).u8(0);
    EXPECT_EQ(bytes, e.bytes);
}

TEST(PolyhedronAttributes, FaceRegionsRiseByOneFromZeroAsEightBitRuns)
{
    // A 2 x 4 grid has 6 triangles.
    std::vector<float> const points(24, 0.0f);
    int const regions[6] = {0, 0, 1, 1, 1, 2};
    auto fill = [&](TK_Mesh& m)
    {
        m.SetMesh(2, 4, points.data());
        ASSERT_EQ(m.GetFaceCount(), 6);
        m.SetSubop(TK_Polyhedron::Subop_Attributes);
        m.SetFaceRegions(regions);
    };
    Bytes const bytes = mesh_record(fill, target_version(1000));
    Bytes const tail(bytes.end() - 7, bytes.end());
    EXPECT_EQ(tail, (Bytes{0x33, 0x09, 3, 2, 3, 1, 0}));
    // Face regions arrived at 705; before, the section is empty.
    Bytes const old = mesh_record(fill, target_version(700));
    EXPECT_EQ(old.back(), 0);
    EXPECT_EQ(old.size(), bytes.size() - 6);
}

TEST(PolyhedronAttributes, FaceRegionsTakeTheMostCompactForm)
{
    using w3d::geometry::encode_face_regions;
    auto encode = [](std::vector<int> regions)
    { return encode_face_regions(regions.data(), int(regions.size())); };
    // Consecutive regions from 5: the first region, then the runs.
    EXPECT_EQ(encode({5, 5, 6, 7, 7, 7}), (Bytes{0x0A, 3, 5, 2, 1, 3}));
    // Three runs of eight faces, not consecutive: (length, region) pairs.
    EXPECT_EQ(encode({3, 3, 3, 9, 9, 9, 1, 1}), (Bytes{0x0B, 3, 3, 3, 3, 9, 2, 1}));
    // As many runs as faces: one region per face.
    EXPECT_EQ(encode({1, 2, 1, 2}), (Bytes{0x08, 1, 2, 1, 2}));
    // A region of 200 needs 16-bit entries; one of 70000, 32-bit ones.
    EXPECT_EQ(encode({200, 1, 200, 1}), (Bytes{0x10, 200, 0, 1, 0, 200, 0, 1, 0}));
    EXPECT_EQ(encode({-1, 70000}), (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x70, 0x11, 0x01, 0x00}));
    // 128 runs of one face each, rising from 0: lengths fit 8 bits, the count does not.
    std::vector<int> rising(128);
    for (int i = 0; i < 128; ++i)
        rising[std::size_t(i)] = i;
    Bytes const wide = encode(rising);
    EXPECT_EQ(wide[0], 0x11);
    EXPECT_EQ(wide.size(), 1u + 2u + 128u * 2u);
}

TEST(PolyhedronAttributes, FaceRegionRunsMustCoverTheFacesExactly)
{
    using w3d::geometry::expand_face_regions;
    std::vector<int> regions;
    ASSERT_TRUE(expand_face_regions(0x09, {2, 3, 1}, 3, 6, regions));
    EXPECT_EQ(regions, (std::vector<int>{0, 0, 1, 1, 1, 2}));
    ASSERT_TRUE(expand_face_regions(0x0A, {7, 1, 2}, 2, 3, regions));
    EXPECT_EQ(regions, (std::vector<int>{7, 8, 8}));
    EXPECT_FALSE(expand_face_regions(0x09, {2, 3}, 2, 6, regions));             // short
    EXPECT_FALSE(expand_face_regions(0x09, {2, 3, 2}, 3, 6, regions));          // long
    EXPECT_FALSE(expand_face_regions(0x09, {-1, 4, 3}, 3, 6, regions));         // negative
    EXPECT_FALSE(expand_face_regions(0x0B, {3, 1, 3}, 2, 6, regions));          // entries missing
    EXPECT_FALSE(expand_face_regions(0x02, {0x7FFFFFFF, 1, 1}, 2, 2, regions)); // region overflow
    EXPECT_EQ(regions, (std::vector<int>{7, 8, 8}));
    EXPECT_EQ(w3d::geometry::region_entry_width(0x18), 0);
    EXPECT_EQ(w3d::geometry::region_entry_width(0x20), 0);
}

TEST(PolyhedronAttributes, NormalsAreAllItemsUntilOnePointLacksOne)
{
    std::vector<float> const points(12, 0.0f);
    float const up[12] = {0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0};
    auto record = [&](bool one_missing)
    {
        return mesh_record(
            [&](TK_Mesh& m)
            {
                m.SetMesh(2, 2, points.data());
                m.SetSubop(TK_Polyhedron::Subop_Attributes);
                m.SetVertexNormals(up);
                if (one_missing)
                {
                    float const zero[3] = {0, 0, 0};
                    float normals[12];
                    std::memcpy(normals, up, sizeof normals);
                    std::memcpy(normals + 6, zero, sizeof zero);
                    m.SetVertexNormals(normals);
                    EXPECT_EQ(m.GetVertexNormalCount(), 3);
                }
            },
            target_version(1000));
    };
    std::size_t const head = 1 + 1 + 4 + 4 + 48;
    // Polar pairs at version 1000: (theta, phi) = (0, 0). theta's code is
    // trunc(pi x 31 / 2pi + 0.5) in single precision: the float scale is a hair
    // under 31 / 2pi, so 15, not 16. phi's code is 0.
    Golden all;
    all.u8(0x01).u8(7).u8(5).i32(8).append(packed(5, {15, 0, 15, 0, 15, 0, 15, 0})).u8(0);
    Bytes const whole = record(false);
    EXPECT_EQ(Bytes(whole.begin() + long(head), whole.end()), all.bytes);
    Golden some;
    some.u8(0x02)
        .u8(7)
        .u8(5)
        .u8(3)
        .u8(0)
        .u8(1)
        .u8(3)
        .i32(4)
        .append(packed(5, {15, 0, 15, 0, 15, 0}))
        .u8(0);
    Bytes const partial = record(true);
    EXPECT_EQ(Bytes(partial.begin() + long(head), partial.end()), some.bytes);
}

TEST(PolyhedronAttributes, NormalsBeforePolarPairsAreThreeQuantisedComponents)
{
    float const up[3] = {0, 1, 0};
    auto fill = [&](TK_Mesh& m)
    {
        m.SetMesh(1, 1, One_Point);
        m.SetSubop(TK_Polyhedron::Subop_Attributes);
        m.SetVertexNormals(up);
    };
    std::size_t const head = 1 + 1 + 4 + 4 + 12;
    // Default normal bits 10: 3 bits a component against (-1..1): 4, 7, 4.
    Bytes const v650 = mesh_record(fill, target_version(650));
    Golden e650;
    e650.u8(0x01).u8(1).u8(3).i32(4).append(packed(3, {4, 7, 4})).u8(0);
    EXPECT_EQ(Bytes(v650.begin() + long(head), v650.end()), e650.bytes);
    // Below 650: scheme, bits 8 and the byte form, no length.
    Bytes const v600 = mesh_record(fill, target_version(600));
    Golden e600;
    e600.u8(0x01).u8(1).u8(8).u8(128).u8(255).u8(128).u8(0);
    EXPECT_EQ(Bytes(v600.begin() + long(head), v600.end()), e600.bytes);
    // Raw normals: xyz below 907, polar pairs from 907.
    Bytes const raw = mesh_record(fill, target_version(906, TK_Option_Raw_Normals));
    Golden eraw;
    eraw.u8(0x11).floats({0, 1, 0}).u8(0);
    EXPECT_EQ(Bytes(raw.begin() + long(head), raw.end()), eraw.bytes);
    Bytes const raw_polar = mesh_record(fill, target_version(907, TK_Option_Raw_Normals));
    Golden epolar;
    epolar.u8(0x13).floats({0, 0}).u8(0);
    EXPECT_EQ(Bytes(raw_polar.begin() + long(head), raw_polar.end()), epolar.bytes);
}

TEST(PolyhedronAttributes, PolarConversionLeavesTheNormalsIntact)
{
    BStreamFileToolkit tk;
    float const normal[3] = {0.6f, 0.0f, 0.8f};
    TK_Mesh& mesh = dynamic_cast<TK_Mesh&>(tk.GetOpcodeHandler('M'));
    mesh.SetMesh(1, 1, One_Point);
    mesh.SetSubop(TK_Polyhedron::Subop_Attributes);
    mesh.SetVertexNormals(normal);
    // No buffer: every write is pending; the normals must not change meanwhile.
    for (int attempt = 0; attempt < 3; ++attempt)
        EXPECT_EQ(mesh.Write(tk), TK_Pending);
    std::vector<char> buffer(256);
    tk.PrepareBuffer(buffer.data(), 256);
    EXPECT_EQ(mesh.Write(tk), TK_Done);
    EXPECT_EQ(std::vector<float>(mesh.GetVertexNormals(), mesh.GetVertexNormals() + 3),
              (std::vector<float>{0.6f, 0.0f, 0.8f}));
}

TEST(PolyhedronAttributes, ListWidthsFollowTheNumberOfItems)
{
    // One vertex colour among 255 points: 1-byte count and index; among 256, 2 bytes.
    for (int const columns : {15, 16})
    {
        int const rows = columns == 15 ? 17 : 16; // 255 and 256 points
        std::vector<float> const points(std::size_t(3 * rows * columns), 0.0f);
        float const red[3] = {1, 0, 0};
        Bytes const bytes = mesh_record(
            [&](TK_Mesh& m)
            {
                m.SetMesh(rows, columns, points.data());
                m.SetSubop(TK_Polyhedron::Subop_Attributes);
                m.SetVertexColor(0, 200, red);
            },
            target_version(1000));
        std::size_t const head = 1 + 1 + 4 + 4 + points.size() * 4;
        Golden e;
        e.u8(0x06).u8(1).u8(8);
        if (columns == 15)
            e.u8(1).u8(200);
        else
            e.u8(1).u8(0).u8(200).u8(0);
        // Colour bits 24: 8 a component, the byte form against (0..1).
        e.i32(3).u8(255).u8(0).u8(0).u8(0);
        EXPECT_EQ(Bytes(bytes.begin() + long(head), bytes.end()), e.bytes) << columns;
    }
}

TEST(PolyhedronAttributes, ComputedBoxesAreWrittenAsSixFloats)
{
    // Parameters: scheme, box, bits, length, data; index values (one component)
    // also give six floats, the range and four zeros.
    float const parameters[6] = {0, 10, -1, 2, 30, 1};
    std::vector<float> const points(6, 0.0f);
    Bytes const bytes = mesh_record(
        [&](TK_Mesh& m)
        {
            m.SetMesh(1, 2, points.data());
            m.SetSubop(TK_Polyhedron::Subop_Attributes);
            m.SetVertexParameters(parameters);
            float const indices[2] = {4, -4};
            m.SetVertexIndices(2, indices);
        },
        [](BStreamFileToolkit& tk)
        {
            tk.SetNumParameterBits(12); // 4 bits a component
            tk.SetNumIndexBits(3);
        });
    std::size_t const head = 1 + 1 + 4 + 4 + 24;
    Golden e;
    e.u8(0x03)
        .u8(1)
        .floats({0, 10, -1, 2, 30, 1})
        .u8(4)
        .i32(4)
        .append(packed(4, {0, 0, 0, 15, 15, 15}));
    e.u8(0x0F).u8(1).floats({-4, 4, 0, 0, 0, 0}).u8(3).i32(4).append(packed(3, {7, 0}));
    e.u8(0);
    EXPECT_EQ(Bytes(bytes.begin() + long(head), bytes.end()), e.bytes);
}

TEST(PolyhedronAttributes, BelowVersion650SamplesAreBytesWithoutLengths)
{
    float const parameters[3] = {1, 2, 3};
    float const colour[3] = {0, 0.5f, 1};
    Bytes const bytes = mesh_record(
        [&](TK_Mesh& m)
        {
            m.SetMesh(1, 1, One_Point);
            m.SetSubop(TK_Polyhedron::Subop_Attributes);
            m.SetVertexParameters(parameters);
            m.SetVertexColors(1, colour);
            m.SetVertexIndices(0, parameters);
        },
        target_version(600));
    std::size_t const head = 1 + 1 + 4 + 4 + 12;
    Golden e;
    // Parameters: scheme, bits 8, the box (from the one point), 3 bytes.
    e.u8(0x03).u8(1).u8(8).floats({1, 2, 3, 1, 2, 3}).u8(0).u8(0).u8(0);
    // Colours: the 3 bytes only (0.5 x 255 + 0.5 = 128).
    e.u8(0x07).u8(0).u8(128).u8(255);
    // Index values: raw floats.
    e.u8(0x0B).f32(1);
    e.u8(0);
    EXPECT_EQ(Bytes(bytes.begin() + long(head), bytes.end()), e.bytes);
}

TEST(PolyhedronAttributes, FaceRecordsCarryTheHandlersCurrentScheme)
{
    // A mesh with raw points leaves the scheme at 0; one with quantised points
    // sets it to 1; polar normals written before leave 7.
    std::vector<float> const points(12, 0.5f);
    float const grey[6] = {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f};
    auto scheme_of_face_colours = [&](unsigned char subop, bool normals)
    {
        Bytes const bytes = mesh_record(
            [&](TK_Mesh& m)
            {
                m.SetMesh(2, 2, points.data());
                m.SetSubop(subop | TK_Polyhedron::Subop_Attributes);
                if (normals)
                {
                    float const n[3] = {1, 0, 0};
                    m.SetVertexNormal(0, n);
                }
                m.SetFaceColors(grey);
            },
            target_version(1000));
        // The face colours end the section: 0x21, scheme, bits, length, 6 bytes, 0.
        EXPECT_EQ(bytes[bytes.size() - 14], 0x21);
        return int(bytes[bytes.size() - 13]);
    };
    EXPECT_EQ(scheme_of_face_colours(0, false), 0);
    EXPECT_EQ(scheme_of_face_colours(TK_Polyhedron::Subop_Quantized, false), 1);
    EXPECT_EQ(scheme_of_face_colours(0, true), 7);
}

TEST(PolyhedronAttributes, QuantisedPointsHaveTheirLengthFrom650)
{
    float const points[9] = {0, 0, 0, 1, 2, 3, 2, 4, 6};
    auto fill = [&](TK_Mesh& m)
    {
        m.SetMesh(1, 3, points);
        m.SetSubop(TK_Polyhedron::Subop_Quantized);
    };
    Golden e;
    e.u8('M').u8(0x01).i32(1).i32(3).u8(1).i32(3).floats({0, 0, 0, 2, 4, 6}).u8(10).i32(12);
    e.append(packed(10, {0, 0, 0, 512, 512, 512, 1023, 1023, 1023}));
    EXPECT_EQ(mesh_record(fill, [](BStreamFileToolkit& tk) { tk.SetNumVertexBits(30); }), e.bytes);
    Golden old;
    old.u8('M').u8(0x01).i32(1).i32(3).u8(1).i32(3).floats({0, 0, 0, 2, 4, 6}).u8(8);
    old.append({0, 0, 0, 128, 128, 128, 255, 255, 255});
    EXPECT_EQ(mesh_record(fill, target_version(600)), old.bytes);
}

TEST(PolyhedronAttributes, GlobalQuantisationUsesTheWorldBoxAndWritesNoBox)
{
    float const points[6] = {0, 0, 0, 4, 4, 4};
    float const world[6] = {-4, -4, -4, 4, 4, 4};
    auto fill = [&](TK_Mesh& m)
    {
        m.SetMesh(1, 2, points);
        m.SetSubop(TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Second_Word);
        m.SetSubop2(TK_Polyhedron::Subop2_Global_Quantization);
    };
    auto with_world = [&](int target)
    {
        return [=](BStreamFileToolkit& tk)
        {
            tk.SetTargetVersion(target);
            tk.SetWorldBounding(world);
        };
    };
    Golden e;
    e.u8('M').u8(0x81).u8(0x08).u8(0).i32(1).i32(2).u8(1).i32(2).u8(8).i32(6);
    e.u8(128).u8(128).u8(128).u8(255).u8(255).u8(255);
    Bytes const bytes = mesh_record(fill, with_world(1000));
    EXPECT_EQ(bytes, e.bytes);
    Read_Result result;
    // Below 806 (or with no world box) the mesh quantises against its own box.
    Bytes const old = mesh_record(fill, with_world(805));
    EXPECT_EQ(old[1], 0x01);
    EXPECT_EQ(old.size(), 1 + 1 + 8 + 1 + 4 + 24 + 1 + 4 + 6u);
    Bytes const no_world = mesh_record(fill, target_version(1000));
    EXPECT_EQ(no_world, old);
    // A reader without the world box cannot read it back.
    Bytes const stream = write_stream([&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                                      { serialize_with<TK_Mesh>(tk, writer, 'M', fill); },
                                      with_world(1000));
    std::vector<Mesh_Copy> const none = read_meshes(stream, result);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error,
              "internal error: global quantization requested but no bounding is available");
    std::vector<Mesh_Copy> const back =
        read_meshes(stream, result, [&](BStreamFileToolkit& tk) { tk.SetWorldBounding(world); });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].subop2, TK_Polyhedron::Subop2_Global_Quantization);
    EXPECT_NEAR(back[0].xyz[0], 0.0f, 4.0 / 255 + 1e-6); // half a step
    EXPECT_EQ(back[0].xyz[5], 4.0f);
}

} // namespace
