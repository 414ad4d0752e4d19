// The mesh record: round trips of a mesh with every attribute at every version
// that changes the encoding, in buffers of every size, and readers fed damaged
// or hostile records.
#include "mesh_fixtures.h"
#include "record_bytes.h"

#include "dwf/w3dtk/geometry/bit_packer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace
{
using namespace w3d_test;
using w3d::eb::Bit_Mask;

constexpr double Pi = 3.14159265358979323846;
const float World[6] = {-1, -1, -2, 5, 7, 2};

// How a stream is written: version, toolkit bit counts, flags.
struct Settings
{
    int version = 1000;
    bool fine = false; // more bits than the defaults, so the general form is used
    bool global = false;
    bool raw_normals = false;
    unsigned char subop = TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Attributes;

    int vertex_bits() const { return fine ? 48 : 24; }
    int normal_bits() const { return fine ? 36 : 10; }
    int parameter_bits() const { return fine ? 45 : 24; }
    int color_bits() const { return fine ? 30 : 24; }
    int index_bits() const { return fine ? 16 : 8; }

    void apply(BStreamFileToolkit& tk) const
    {
        tk.SetTargetVersion(version);
        tk.SetNumVertexBits(vertex_bits());
        tk.SetNumNormalBits(normal_bits());
        tk.SetNumParameterBits(parameter_bits());
        tk.SetNumColorBits(color_bits());
        tk.SetNumIndexBits(index_bits());
        tk.SetWriteFlags(raw_normals ? TK_Option_Raw_Normals : 0);
        if (global)
            tk.SetWorldBounding(World);
    }
    unsigned char mesh_subop() const
    {
        return static_cast<unsigned char>(subop | (global ? TK_Polyhedron::Subop_Second_Word : 0));
    }
    unsigned short mesh_subop2() const
    {
        return global ? TK_Polyhedron::Subop2_Global_Quantization : 0;
    }
};

std::string describe(const Settings& s)
{
    return "version " + std::to_string(s.version) + (s.fine ? " fine" : " default") +
           (s.global ? " global" : "") + (s.raw_normals ? " raw normals" : "") + " subop " +
           std::to_string(s.subop);
}

// Half a quantisation step of `bits` over [min, max], plus float rounding.
double half_step(double min, double max, int bits)
{
    return 0.5 * (max - min) / double(Bit_Mask[std::size_t(bits)]) + 2e-5 * (1 + std::fabs(max));
}

// Range of component c of the items of `values` (width w) that carry `flag`.
std::pair<double, double> range(const std::vector<float>& values, int w, int c,
                                const std::vector<std::uint32_t>& flags, std::uint32_t flag)
{
    double low = 1e30, high = -1e30;
    for (std::size_t i = 0; i < flags.size(); ++i)
        if (flags[i] & flag)
        {
            low = std::min(low, double(values[i * std::size_t(w) + std::size_t(c)]));
            high = std::max(high, double(values[i * std::size_t(w) + std::size_t(c)]));
        }
    return {low, high};
}

// Every value of an attribute within `tolerance(component)` of what was sent, on
// the items that carry it; the flags the same.
template <class Tolerance>
void expect_attribute(const char* what, const std::vector<float>& sent,
                      const std::vector<float>& got, int w, const std::vector<std::uint32_t>& sf,
                      const std::vector<std::uint32_t>& gf, std::uint32_t flag,
                      const Tolerance& tolerance)
{
    ASSERT_EQ(sent.size(), got.size()) << what;
    ASSERT_EQ(sf.size(), gf.size()) << what;
    for (int c = 0; c < w; ++c)
    {
        // The worst item, so that one assertion covers them all.
        double worst = 0;
        std::size_t worst_item = 0;
        for (std::size_t i = 0; i < sf.size(); ++i)
        {
            if ((sf[i] & flag) != (gf[i] & flag))
                FAIL() << what << ": flags differ at item " << i;
            if (!(sf[i] & flag))
                continue;
            std::size_t const at = i * std::size_t(w) + std::size_t(c);
            double const error = std::fabs(double(got[at]) - double(sent[at]));
            if (error > worst)
            {
                worst = error;
                worst_item = i;
            }
        }
        ASSERT_LE(worst, tolerance(c)) << what << " item " << worst_item << " component " << c;
    }
}

void expect_round_trip(const Mesh_Copy& s, const Mesh_Copy& g, const Settings& settings)
{
    int const v = settings.version;
    ASSERT_EQ(g.rows, s.rows);
    ASSERT_EQ(g.columns, s.columns);
    ASSERT_EQ(g.points, s.points);
    ASSERT_EQ(g.faces, s.faces);
    // Global quantisation needs version 806; below, the writer drops it.
    bool const global = settings.global && v >= 806;
    EXPECT_EQ(g.subop, global || !settings.global
                           ? settings.mesh_subop()
                           : settings.mesh_subop() & ~TK_Polyhedron::Subop_Second_Word);

    // Points.
    int const point_bits = v < 650 ? 8 : settings.vertex_bits() / 3;
    std::vector<std::uint32_t> const every(std::size_t(s.points), 1);
    for (int c = 0; c < 3; ++c)
    {
        auto [low, high] = range(s.xyz, 3, c, every, 1);
        if (global)
        {
            low = World[c];
            high = World[3 + c];
        }
        double const tolerance =
            settings.subop & TK_Polyhedron::Subop_Quantized ? half_step(low, high, point_bits) : 0;
        double worst = 0;
        for (int i = 0; i < s.points; ++i)
        {
            std::size_t const at = std::size_t(3 * i + c);
            worst = std::max(worst, std::fabs(double(g.xyz[at]) - double(s.xyz[at])));
        }
        ASSERT_LE(worst, tolerance) << "points, axis " << c;
    }
    if (!(settings.subop & TK_Polyhedron::Subop_Attributes))
        return;

    // Normals: the byte form below 650, three components to 906, polar pairs from 907.
    auto normal_tolerance = [&](int)
    {
        if (settings.raw_normals)
            return v >= 907 ? 2e-6 : 0.0;
        if (v < 650)
            return half_step(-1, 1, 8);
        if (v < 907)
            return half_step(-1, 1, settings.normal_bits() / 3);
        int const bits = settings.normal_bits() / 2;
        return half_step(-Pi, Pi, bits) + half_step(0, Pi, bits);
    };
    expect_attribute("normals", s.normals, g.normals, 3, s.vertex_flags, g.vertex_flags,
                     TK_Polyhedron::Vertex_Normal, normal_tolerance);
    EXPECT_EQ(g.normal_count, s.normal_count);

    int const parameter_bits = v < 650 ? 8 : settings.parameter_bits() / 3;
    expect_attribute("parameters", s.parameters, g.parameters, 3, s.vertex_flags, g.vertex_flags,
                     TK_Polyhedron::Vertex_Parameter,
                     [&](int c)
                     {
                         auto const [low, high] = range(s.parameters, 3, c, s.vertex_flags,
                                                        TK_Polyhedron::Vertex_Parameter);
                         return half_step(low, high, parameter_bits);
                     });
    EXPECT_EQ(g.parameter_count, s.parameter_count);

    int const color_bits = v < 650 ? 8 : settings.color_bits() / 3;
    auto colour_tolerance = [&](int) { return half_step(0, 1, color_bits); };
    for (int k = 0; k < 3; ++k)
    {
        std::uint32_t const colour = std::uint32_t{TK_Polyhedron::Vertex_Color} << k;
        expect_attribute("vertex colours", s.vertex_colors[k], g.vertex_colors[k], 3,
                         s.vertex_flags, g.vertex_flags, colour, colour_tolerance);
        EXPECT_EQ(g.vertex_color_count[k], s.vertex_color_count[k]);
        std::uint32_t const index = std::uint32_t{TK_Polyhedron::Vertex_Index} << k;
        expect_attribute("vertex indices", s.vertex_indices[k], g.vertex_indices[k], 1,
                         s.vertex_flags, g.vertex_flags, index,
                         [&](int)
                         {
                             if (v < 650)
                                 return 0.0;
                             auto const [low, high] =
                                 range(s.vertex_indices[k], 1, 0, s.vertex_flags, index);
                             return half_step(low, high, settings.index_bits());
                         });
        EXPECT_EQ(g.vertex_index_count[k], s.vertex_index_count[k]);
    }
    expect_attribute("face colours", s.face_colors, g.face_colors, 3, s.face_flags, g.face_flags,
                     TK_Polyhedron::Face_Color, colour_tolerance);
    EXPECT_EQ(g.face_color_count, s.face_color_count);
    expect_attribute("face indices", s.face_indices, g.face_indices, 1, s.face_flags, g.face_flags,
                     TK_Polyhedron::Face_Index,
                     [&](int)
                     {
                         if (v < 650)
                             return 0.0;
                         auto const [low, high] =
                             range(s.face_indices, 1, 0, s.face_flags, TK_Polyhedron::Face_Index);
                         return half_step(low, high, settings.index_bits());
                     });
    EXPECT_EQ(g.face_index_count, s.face_index_count);
    // Face regions exist from 705.
    if (v >= 705)
        EXPECT_EQ(g.regions, s.regions);
    else
        EXPECT_TRUE(g.regions.empty());
}

// The mesh as filled, before writing.
Mesh_Copy filled(int rows, int columns, unsigned char subop)
{
    TK_Mesh mesh;
    fill_mesh(mesh, rows, columns, subop);
    return copy_mesh(mesh);
}

void round_trip(int rows, int columns, const Settings& settings)
{
    SCOPED_TRACE(describe(settings));
    Setup const setup = [&](BStreamFileToolkit& tk) { settings.apply(tk); };
    Bytes const stream = write_stream(
        emit_mesh(rows, columns, settings.mesh_subop(), settings.mesh_subop2()), setup);
    Read_Result result;
    std::vector<Mesh_Copy> const meshes = read_meshes(stream, result, setup); // a byte at a time
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_EQ(meshes.size(), 1u);
    expect_round_trip(filled(rows, columns, settings.mesh_subop()), meshes[0], settings);
}

TEST(Mesh, FiftyByFortyWithEveryAttributeRoundTripsAtEveryVersion)
{
    Mesh_Copy const sent = filled(50, 40, 0);
    ASSERT_EQ(sent.points, 2000);
    ASSERT_EQ(sent.faces, 78 * 49);
    ASSERT_GT(sent.normal_count, 0);
    ASSERT_LT(sent.normal_count, sent.points); // a some-items record
    for (int const version : {600, 650, 705, 806, 906, 907, 1000})
        for (bool const fine : {false, true})
            for (bool const global : {false, true})
            {
                Settings s;
                s.version = version;
                s.fine = fine;
                s.global = global;
                round_trip(50, 40, s);
            }
}

TEST(Mesh, RawPointsAndRawNormalsRoundTrip)
{
    for (int const version : {600, 906, 907, 1000})
    {
        Settings s;
        s.version = version;
        s.subop = TK_Polyhedron::Subop_Attributes;
        s.raw_normals = true;
        round_trip(50, 40, s);
    }
    Settings bare;
    bare.subop = 0;
    round_trip(7, 5, bare);
}

TEST(Mesh, WritesAlikeInEveryBufferSize)
{
    for (int const version : {600, 1000})
    {
        Settings s;
        s.version = version;
        s.global = version == 1000;
        EXPECT_TRUE(writes_alike_in_every_buffer(emit_mesh(50, 40, s.mesh_subop(), s.mesh_subop2()),
                                                 [&](BStreamFileToolkit& tk) { s.apply(tk); }))
            << version;
    }
}

TEST(Mesh, ASecondSubOptionWordIsReadWhenTheFlagSaysSo)
{
    Settings s;
    s.subop = TK_Polyhedron::Subop_Second_Word | TK_Polyhedron::Subop_Quantized;
    Bytes const stream =
        write_stream(emit_mesh(2, 3, s.subop, TK_Polyhedron::Subop2_Negative_Faces));
    Read_Result result;
    std::vector<Mesh_Copy> const meshes = read_meshes(stream, result);
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_EQ(meshes.size(), 1u);
    EXPECT_EQ(meshes[0].subop2, TK_Polyhedron::Subop2_Negative_Faces);
    EXPECT_EQ(meshes[0].points, 6);
    EXPECT_EQ(meshes[0].faces, 4);
}

TEST(Mesh, DamagedRecordsEndInAnError)
{
    for (int const version : {600, 705, 1000})
    {
        Settings s;
        s.version = version;
        w3d_test::Setup const setup = [&](BStreamFileToolkit& tk) { s.apply(tk); };
        read_damaged_streams(write_stream(emit_mesh(3, 4, s.mesh_subop()), setup), 7, 600);
        s.subop = TK_Polyhedron::Subop_Attributes;
        s.raw_normals = true;
        read_damaged_streams(write_stream(emit_mesh(2, 3, s.mesh_subop()), setup), 1, 300);
    }
}

TEST(Mesh, FailingOutputLeavesTheHandlerReset)
{
    EXPECT_TRUE(write_fails_cleanly(
        emit_mesh(2, 3, TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Attributes)));
}

// ---- hostile records

// A stream at `version` holding `record` (and the terminator after it).
Read_Result read_record(const Bytes& record, int version = 1000)
{
    Bytes stream = write_stream({}, target_version(version));
    stream.insert(stream.end() - 1, record.begin(), record.end());
    return read_stream(stream, 3);
}

// A 2 x 2 mesh of raw points whose attribute section follows.
Golden mesh_2x2()
{
    Golden r;
    r.u8('M').u8(TK_Polyhedron::Subop_Attributes).i32(2).i32(2).f32(0.5f, 12);
    return r;
}

TEST(Mesh, PointCountsAreCheckedBeforeAnythingIsAllocated)
{
    Golden exact;
    exact.u8('M').u8(0).i32(4096).i32(4096); // 2^24 points: accepted, then the data is missing
    Read_Result const at_limit = read_record(exact.bytes);
    EXPECT_EQ(at_limit.status, TK_Error);
    EXPECT_NE(at_limit.error, "bad Mesh Point count");
    for (auto const& [rows, columns] : std::vector<std::pair<int, int>>{
             {16777217, 1}, {65536, 65537}, {-1, -1}, {-2, 3}, {4097, 4096}})
    {
        Golden r;
        r.u8('M').u8(0).i32(rows).i32(columns);
        Read_Result const result = read_record(r.bytes);
        EXPECT_EQ(result.status, TK_Error) << rows << " x " << columns;
        EXPECT_EQ(result.error, "bad Mesh Point count") << rows << " x " << columns;
    }
    // Quantised points must be as many as the grid has.
    Golden mismatch;
    mismatch.u8('M').u8(1).i32(1).i32(2).u8(1).i32(1).f32(0, 6).u8(8).i32(3).u8(1).u8(2).u8(3);
    EXPECT_EQ(read_record(mismatch.bytes).error, "bad Mesh Point count");
    Golden negative;
    negative.u8('M').u8(1).i32(1).i32(2).u8(1).i32(-5);
    EXPECT_EQ(read_record(negative.bytes).error, "bad point count");
}

TEST(Mesh, PackedPointsMustHoldEveryCode)
{
    auto points = [](int bits, int length)
    {
        Golden r;
        r.u8('M')
            .u8(1)
            .i32(1)
            .i32(3)
            .u8(1)
            .i32(3)
            .f32(0, 6)
            .u8(static_cast<unsigned>(bits))
            .i32(length);
        r.bytes.resize(r.bytes.size() + 64, 0);
        return read_record(r.bytes);
    };
    EXPECT_EQ(points(10, 12).status, TK_Ended); // 90 bits: three words
    EXPECT_EQ(points(10, 8).error, "bad packed length in TK_Polyhedron::read_trivial_points");
    EXPECT_EQ(points(10, -4).error, "bad packed length in TK_Polyhedron::read_trivial_points");
    EXPECT_EQ(points(0, 12).error, "bad bits per sample in TK_Polyhedron::read_trivial_points");
    EXPECT_EQ(points(33, 64).error, "bad bits per sample in TK_Polyhedron::read_trivial_points");
    EXPECT_EQ(points(8, 8).error, "bad packed length in TK_Polyhedron::read_trivial_points");
    // A length far beyond the stream: an error at its end, without taking
    // memory for what never came.
    EXPECT_EQ(points(10, 0x7FFFFFF0).status, TK_Error);
}

TEST(Mesh, AttributeRecordsAreCheckedAgainstTheItems)
{
    auto section = [](std::initializer_list<unsigned> bytes)
    {
        Golden r = mesh_2x2();
        for (unsigned b : bytes)
            r.u8(b);
        return read_record(r.bytes);
    };
    EXPECT_EQ(section({0x40, 0}).error, "unrecognized case in TK_Polyhedron::Read");
    // Some normals: count 1, index 4 of 4 points.
    EXPECT_EQ(section({0x02, 1, 3, 1, 4, 4, 0, 0, 0, 0, 0, 0, 0, 0}).error,
              "invalid vertex normal index");
    EXPECT_EQ(section({0x12, 1, 9, 0}).error, "invalid vertex normal index (2)");
    EXPECT_EQ(section({0x06, 1, 8, 1, 4, 3, 0, 0, 0, 0, 0, 0, 0}).error,
              "invalid vertex index during set color");
    EXPECT_EQ(section({0x22, 1, 8, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0}).error,
              "invalid face index during set color");
    // More listed items than there are.
    EXPECT_EQ(section({0x02, 1, 3, 5, 0, 1, 2, 3, 0}).error,
              "bad attribute count in TK_Polyhedron::Read");
    EXPECT_EQ(section({0x01, 1, 0, 4, 0, 0, 0}).error,
              "bad bits per sample in TK_Polyhedron::Read");
    EXPECT_EQ(section({0x01, 1, 3, 3, 0, 0, 0}).error, "bad packed length in TK_Polyhedron::Read");
    EXPECT_EQ(section({0x01, 3, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}).error,
              "Function not implemented build with repulse compression disabled");
    // Face regions: an unknown width, runs not covering the 2 faces, too many runs.
    EXPECT_EQ(section({0x33, 0x18, 0}).error, "unknown region compression");
    EXPECT_EQ(section({0x33, 0x09, 1, 3, 0}).error,
              "bad face regions in TK_Polyhedron::read_face_regions");
    EXPECT_EQ(section({0x33, 0x09, 3, 1, 1, 1, 0}).error,
              "bad face region count in TK_Polyhedron::read_face_regions");
    // A good one of each for comparison.
    EXPECT_EQ(section({0x33, 0x09, 1, 2, 0}).status, TK_Ended);
    EXPECT_EQ(section({0x12, 1, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).status, TK_Ended);
    EXPECT_EQ(section({0x02, 1, 3, 1, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0}).status, TK_Ended);
}

TEST(Mesh, SomeItemsRecordsReadBackOnlyTheirItems)
{
    Golden r = mesh_2x2();
    // Vertex index channel 2, some items: scheme, box (0..8), bits 4, items 1 and 3,
    // length 4, codes 15 and 0.
    r.u8(0x10).u8(1).f32(0).f32(8).f32(0, 4).u8(4).u8(2).u8(1).u8(3).i32(4);
    r.u8(0x00).u8(0x00).u8(0x00).u8(0xF0).u8(0);
    TK_Status status = TK_Error;
    std::vector<float> indices;
    std::vector<std::uint32_t> flags;
    int count = -1;
    Bytes stream = write_stream({});
    stream.insert(stream.end() - 1, r.bytes.begin(), r.bytes.end());
    Read_Result const result = read_stream(stream, 1,
                                           [&](BBaseOpcodeHandler& h, BStreamFileToolkit&)
                                           {
                                               if (auto* mesh = dynamic_cast<TK_Mesh*>(&h))
                                               {
                                                   indices = copy_of(mesh->GetVertexIndices(2), 4);
                                                   flags = copy_of(mesh->GetVertexFlags(), 4);
                                                   count = mesh->GetVertexIndexCount(2);
                                                   status = TK_Done;
                                               }
                                           });
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_EQ(status, TK_Done);
    EXPECT_EQ(indices, (std::vector<float>{0, 8, 0, 0}));
    EXPECT_EQ(flags, (std::vector<std::uint32_t>{0, 0x80, 0, 0x80}));
    EXPECT_EQ(count, 2);
}

} // namespace
