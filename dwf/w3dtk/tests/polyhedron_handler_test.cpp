// The polyhedron handler itself: setters and renumbering, subop flags, arrays
// that do not fit their counts, collections, replacements and tagging.
#include "mesh_fixtures.h"
#include "record_bytes.h"

#include "dwf/w3dtk/records/segments.h"

#include <gtest/gtest.h>

namespace
{
using namespace w3d_test;

const float One_Point[3] = {1, 2, 3};

TEST(Polyhedron, SettersKeepFlagsCountsAndSizesInStep)
{
    TK_Mesh mesh;
    std::vector<float> const points(3 * 6, 1.0f);
    ASSERT_EQ(mesh.SetMesh(2, 3, points.data()), TK_Done);
    EXPECT_EQ(mesh.GetPointCount(), 6);
    EXPECT_EQ(mesh.GetFaceCount(), 4);
    float const n[3] = {0, 0, 1};
    EXPECT_EQ(mesh.SetVertexNormal(4, n), TK_Done);
    EXPECT_EQ(mesh.SetVertexNormal(4, n), TK_Done);
    EXPECT_EQ(mesh.GetVertexNormalCount(), 1);
    EXPECT_EQ(mesh.SetVertexNormal(6, n), TK_Error);
    EXPECT_EQ(mesh.SetVertexNormal(-1, n), TK_Error);
    EXPECT_EQ(mesh.SetVertexColors(3, nullptr), TK_Error);
    EXPECT_EQ(mesh.SetFaceIndex(1, 2.5f), TK_Done);
    EXPECT_EQ(mesh.GetFaceIndexCount(), 1);
    EXPECT_EQ(mesh.GetFaceFlags()[1], TK_Polyhedron::Face_Index);
    ASSERT_EQ(mesh.SetVertexParameters(nullptr), TK_Done);
    EXPECT_EQ(mesh.GetVertexParameterCount(), 6);
    EXPECT_EQ(mesh.GetVertexFlags()[4],
              TK_Polyhedron::Vertex_Normal | TK_Polyhedron::Vertex_Parameter);
    // More points: the attribute arrays follow, the new points carry nothing.
    std::vector<float> const more(3 * 9, 2.0f);
    ASSERT_EQ(mesh.SetMesh(3, 3, more.data()), TK_Done);
    EXPECT_EQ(mesh.GetVertexParameterCount(), 6);
    EXPECT_EQ(mesh.GetVertexNormalCount(), 1);
    EXPECT_EQ(mesh.GetVertexFlags()[8], 0u);
    EXPECT_EQ(mesh.GetFaceCount(), 8);
    // Fewer: those cut off are gone.
    ASSERT_EQ(mesh.SetMesh(1, 3, more.data()), TK_Done);
    EXPECT_EQ(mesh.GetVertexParameterCount(), 3);
    EXPECT_EQ(mesh.GetVertexNormalCount(), 0);
    EXPECT_EQ(mesh.GetFaceCount(), 0);
    EXPECT_EQ(mesh.GetFaceIndices(), nullptr);
    EXPECT_EQ(TK_Mesh::FaceCount(2, 3), 4);
    EXPECT_EQ(TK_Mesh::FaceCount(1, 40), 0);
    EXPECT_EQ(TK_Mesh::FaceCount(0, 0), 0);
    EXPECT_EQ(mesh.SetMesh(-1, 3), TK_Error);
    EXPECT_EQ(mesh.SetMesh(4097, 4096), TK_Error);
}

TEST(Polyhedron, ManglingReordersEveryArrayByItsMap)
{
    BStreamFileToolkit tk;
    TK_Mesh mesh;
    float const points[9] = {0, 0, 0, 1, 1, 1, 2, 2, 2};
    mesh.SetMesh(1, 3, points);
    float const n[3] = {0, 1, 0};
    mesh.SetVertexNormal(2, n);
    float const indices[3] = {10, 11, 12};
    mesh.SetVertexIndices(1, indices);
    int const map[2] = {2, 0};
    ASSERT_EQ(mesh.mangle_points(tk, 2, map), TK_Done);
    ASSERT_EQ(mesh.mangle_point_attributes(tk, 2, map), TK_Done);
    EXPECT_EQ(mesh.GetPointCount(), 2);
    EXPECT_EQ(std::vector<float>(mesh.GetPoints(), mesh.GetPoints() + 6),
              (std::vector<float>{2, 2, 2, 0, 0, 0}));
    EXPECT_EQ(mesh.GetVertexNormals()[1], 1.0f);
    EXPECT_EQ(mesh.GetVertexNormalCount(), 1);
    EXPECT_EQ(mesh.GetVertexFlags()[0] & TK_Polyhedron::Vertex_Normal,
              TK_Polyhedron::Vertex_Normal);
    EXPECT_EQ(mesh.GetVertexIndices(1)[0], 12.0f);
    EXPECT_EQ(mesh.GetVertexIndices(1)[1], 10.0f);
    int const bad[2] = {0, 3};
    EXPECT_EQ(mesh.mangle_points(tk, 2, bad), TK_Error);
    EXPECT_EQ(mesh.GetPointCount(), 2);
    EXPECT_EQ(mesh.mangle_point_attributes(tk, 1, nullptr), TK_Error);

    TK_Mesh grid;
    std::vector<float> const flat(3 * 6, 0.0f);
    grid.SetMesh(2, 3, flat.data());
    float const red[3] = {1, 0, 0};
    grid.SetFaceColor(3, red);
    int const regions[4] = {5, 6, 7, 8};
    grid.SetFaceRegions(regions);
    int const faces[3] = {3, 3, 1};
    ASSERT_EQ(grid.mangle_faces(tk, 3, faces), TK_Done);
    EXPECT_EQ(grid.GetFaceCount(), 3);
    EXPECT_EQ(grid.GetFaceColorCount(), 2);
    EXPECT_EQ(std::vector<int>(grid.GetFaceRegions(), grid.GetFaceRegions() + 3),
              (std::vector<int>{8, 8, 6}));
    int const negative[1] = {-1};
    EXPECT_EQ(grid.mangle_faces(tk, 1, negative), TK_Error);
}

TEST(Polyhedron, InitSubopFollowsTheWriteFlags)
{
    BStreamFileToolkit tk;
    TK_Mesh mesh;
    mesh.InitSubop(tk, 0, true);
    EXPECT_EQ(mesh.GetSubop(), 0x07);
    tk.SetWriteFlags(0x1A06);
    mesh.InitSubop(tk, 0, true);
    EXPECT_EQ(mesh.GetSubop(), 0x42);
    EXPECT_EQ(mesh.GetSubop2(), 0);
    float const world[6] = {0, 0, 0, 1, 1, 1};
    tk.SetWriteFlags(TK_Option_Global_Quantisation | TK_Option_Bounding_Shells);
    mesh.InitSubop(tk, 1, true);
    EXPECT_EQ(mesh.GetSubop(), 0x27); // no world box yet
    tk.SetWorldBounding(world);
    mesh.InitSubop(tk, 1, false);
    EXPECT_EQ(mesh.GetSubop(), 0x87);
    EXPECT_EQ(mesh.GetSubop2(), TK_Polyhedron::Subop2_Global_Quantization);
}

TEST(Polyhedron, WritersRefuseArraysThatDoNotFitTheirCounts)
{
    // The mesh's rows and columns must account for its points.
    std::vector<float> const points(12, 0.0f);
    BStreamFileToolkit tk;
    TK_Mesh& mesh = dynamic_cast<TK_Mesh&>(tk.GetOpcodeHandler('M'));
    mesh.SetMesh(2, 2, points.data());
    mesh.SetPoints(3, points.data());
    std::vector<char> buffer(256);
    tk.PrepareBuffer(buffer.data(), 256);
    EXPECT_EQ(mesh.Write(tk), TK_Error);
    EXPECT_EQ(tk.LastError(), "mesh points do not match its rows and columns");
}

TEST(Polyhedron, CollectionMembersAreWrittenAndSkippedOnReading)
{
    Emit const emit = [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    {
        serialize_with<TK_Mesh>(tk, writer, 'M',
                                [](TK_Mesh& m)
                                {
                                    m.SetMesh(1, 1, One_Point);
                                    m.SetSubop(TK_Polyhedron::Subop_Attributes);
                                    auto member = std::make_unique<TK_Reopen_Segment>();
                                    member->SetIndex(7);
                                    m.AppendToCollection(std::move(member));
                                });
    };
    Bytes const bytes = write_records(emit, W3DStreamWriter::Buffer_Size, target_version(1000));
    Golden e;
    e.u8('M').u8(0x08).i32(1).i32(1).floats({1, 2, 3}).u8(0x63).u8('s').i32(7).u8(0).u8(0);
    EXPECT_EQ(bytes, e.bytes);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit, target_version(1000)));
    Read_Result result;
    std::vector<Mesh_Copy> const back =
        read_meshes(write_stream(emit, target_version(1000)), result);
    ASSERT_EQ(result.status, TK_Ended) << result.error;
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].xyz, (std::vector<float>{1, 2, 3}));
}

// A polyhedron whose record is only its attribute section, to nest collections.
class Section_Only : public TK_Polyhedron
{
public:
    Section_Only() : TK_Polyhedron('Q') {}
    TK_Status Read(BStreamFileToolkit& tk) override { return TK_Polyhedron::Read(tk); }
    TK_Status Write(BStreamFileToolkit& tk) override { return TK_Polyhedron::Write(tk); }
};

// A stream whose one record is `record`.
Bytes stream_with(const Bytes& record)
{
    Bytes stream = write_stream(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer) {
            serialize_with<TK_Mesh>(tk, writer, 'M',
                                    [](TK_Mesh& m) { m.SetMesh(1, 1, One_Point); });
        },
        target_version(1000));
    Bytes const plain = {'M', 0, 1, 0, 0, 0, 1, 0, 0, 0};
    auto at = std::search(stream.begin(), stream.end(), plain.begin(), plain.end());
    EXPECT_NE(at, stream.end());
    at = stream.erase(at, at + long(plain.size()) + 12);
    stream.insert(at, record.begin(), record.end());
    return stream;
}

TEST(Polyhedron, CollectionsCannotNestBackIntoAHandlerInUse)
{
    Golden head;
    head.u8('M').u8(0x08).i32(1).i32(1).floats({1, 2, 3});
    // A mesh inside a mesh's collection.
    Golden self = head;
    self.u8(0x63).append(head.bytes).u8(0).u8(0).u8(0);
    Read_Result result;
    read_meshes(stream_with(self.bytes), result);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "polyhedron collection holds a record of its own kind");
    // A mesh inside the collection of another polyhedron inside the mesh's collection.
    Golden cycle = head;
    cycle.u8(0x63).u8('Q').u8(0x63).append(head.bytes).u8(0).u8(0).u8(0).u8(0).u8(0);
    w3d_test::Setup const with_q = [](BStreamFileToolkit& tk)
    { tk.SetOpcodeHandler('Q', std::make_unique<Section_Only>()); };
    read_meshes(stream_with(cycle.bytes), result, with_q);
    EXPECT_EQ(result.status, TK_Error);
    EXPECT_EQ(result.error, "polyhedron collection holds a record of its own kind");
    // The same without the cycle reads.
    Golden fine = head;
    fine.u8(0x63).u8('Q').u8(0x63).u8('s').i32(1).u8(0).u8(0).u8(0).u8(0);
    read_meshes(stream_with(fine.bytes), result, with_q);
    EXPECT_EQ(result.status, TK_Ended) << result.error;
}

TEST(Polyhedron, AReplacementHandlerWritesInstead)
{
    Bytes const bytes = write_records(
        [](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            serialize_with<TK_Mesh>(tk, writer, 'M',
                                    [](TK_Mesh& m)
                                    {
                                        m.SetMesh(1, 1, One_Point);
                                        auto other = std::make_unique<TK_Reopen_Segment>();
                                        other->SetIndex(3);
                                        m.SetReplacement(std::move(other));
                                    });
        });
    EXPECT_EQ(bytes, (Bytes{'s', 3, 0, 0, 0}));
}

TEST(Polyhedron, KeyedMeshesAreTaggedAndRegisteredAsInstances)
{
    BStreamFileToolkit tk;
    Memory_Output output;
    {
        W3DStreamWriter writer(output, tk);
        writer.open();
        emit_mesh(2, 3, TK_Polyhedron::Subop_Quantized, 0, 77)(tk, writer);
        writer.close();
    }
    int index = -1;
    ASSERT_EQ(tk.KeyToIndex(77, index), TK_Done);
    EXPECT_EQ(index, 0);
    const BInstanceRecord* instance = tk.FindInstance('M', 2, 3, 0);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->key, 77);
    EXPECT_EQ(instance->variant, -1);
    EXPECT_EQ(output.bytes.back(), 'q');

    BStreamFileToolkit quiet;
    quiet.SetWriteFlags(TK_Option_No_Instances);
    Memory_Output out2;
    {
        W3DStreamWriter writer(out2, quiet);
        writer.open();
        emit_mesh(2, 3, 0)(quiet, writer);
        writer.close();
    }
    EXPECT_EQ(quiet.FindInstance('M', 2, 3, 0), nullptr);
}

} // namespace
