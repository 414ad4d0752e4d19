// Shells of the mesh corpus (tetrahedron to a million triangles), in one run:
//
//  - BM_ShellWrite / BM_ShellRead: the shell record as the model publisher
//    writes it (write flags 0x1A06, version 1000, 24 normal bits, optimised):
//    merged, compressed with its normals, raw points after the block; and read
//    back through the stream reader. Triangles per second, bytes per triangle
//    of the record.
//  - BM_OursEncode / BM_OursDecode: our edge-breaker block alone, points only,
//    11 bits per coordinate;
//  - BM_DracoEncode / BM_DracoDecode (when libdraco is installed): Draco's
//    edge-breaker on the same meshes with positions quantised to 11 bits,
//    default speed settings of its command-line encoder (level 7).
//    Bits per vertex and triangles per second side by side.
//
// Meshes an encoder declines are reported as skipped.
#include "dwf/w3dtk/edgebreaker/edgebreaker.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/stream/stream_reader.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/tests/memory_streams.h"
#include "dwf/w3dtk/tests/mesh_corpus.h"

#ifdef QUILLCAST_HAVE_DRACO
#include <draco/compression/decode.h>
#include <draco/compression/encode.h>
#include <draco/mesh/mesh.h>
#endif

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
using w3d_test::Bytes;
using w3d_test::Mesh;

constexpr int Point_Bits = 11;

const std::vector<Mesh>& corpus()
{
    static const std::vector<Mesh> meshes = w3d_test::bench_corpus();
    return meshes;
}

void corpus_arguments(benchmark::internal::Benchmark* benchmark)
{
    for (std::size_t i = 0; i < corpus().size(); ++i)
        benchmark->Arg(static_cast<long>(i));
}

const Mesh& mesh_of(benchmark::State& state)
{
    const Mesh& mesh = corpus()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(mesh.name);
    return mesh;
}

void per_triangle(benchmark::State& state, const Mesh& mesh, double bytes, double vertices)
{
    state.SetItemsProcessed(state.iterations() * mesh.triangle_count());
    state.counters["triangles"] = mesh.triangle_count();
    state.counters["bytes_per_triangle"] = bytes / mesh.triangle_count();
    if (vertices > 0)
        state.counters["bpv"] = 8.0 * bytes / vertices;
}

// ---- the shell record

void publisher(BStreamFileToolkit& tk)
{
    tk.SetWriteFlags(0x1A06);
    tk.SetNumNormalBits(24);
    tk.SetTargetVersion(1000);
}

Bytes write_shell(const Mesh& mesh, int* compressed = nullptr)
{
    BStreamFileToolkit tk;
    publisher(tk);
    w3d_test::Memory_Output output;
    W3DStreamWriter writer(output, tk);
    writer.open();
    auto& shell = static_cast<TK_Shell&>(tk.GetOpcodeHandler('S'));
    shell.SetObserver(&writer);
    shell.InitSubop(tk, 0, true);
    shell.SetTolerances(0.0, 0.0, 0.0);
    shell.SetOptimize(true);
    shell.SetPoints(mesh.point_count(), mesh.points.data());
    shell.SetVertexNormals(mesh.normals.data());
    shell.SetFaces(mesh.face_list_length(), mesh.faces.data());
    shell.serialize(0);
    writer.close();
    if (compressed)
        *compressed = output.bytes.size() > 3 && output.bytes[3] == TK_Polyhedron::Scheme_Edgebreaker;
    return output.bytes;
}

void BM_ShellWrite(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    Bytes bytes;
    int compressed = 0;
    for (auto _ : state)
    {
        bytes = write_shell(mesh, &compressed);
        benchmark::DoNotOptimize(bytes.data());
    }
    per_triangle(state, mesh, static_cast<double>(bytes.size()), 0);
    state.counters["compressed"] = compressed;
}

void BM_ShellRead(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    // The record alone, framed as a stream: header, shell, terminator.
    Bytes const stream = w3d_test::write_stream(
        [&mesh](BStreamFileToolkit& tk, W3DStreamWriter& writer) {
            auto& shell = static_cast<TK_Shell&>(tk.GetOpcodeHandler('S'));
            shell.SetObserver(&writer);
            shell.InitSubop(tk, 0, true);
            shell.SetOptimize(true);
            shell.SetPoints(mesh.point_count(), mesh.points.data());
            shell.SetVertexNormals(mesh.normals.data());
            shell.SetFaces(mesh.face_list_length(), mesh.faces.data());
            shell.serialize(0);
        },
        publisher);
    int faces = 0;
    for (auto _ : state)
    {
        BStreamFileToolkit tk;
        w3d_test::Trickle_Input input(stream, 1 << 16);
        W3DStreamReader reader(tk, &input, 1 << 16);
        reader.setObserver([&faces](BBaseOpcodeHandler& handler) {
            if (auto* shell = dynamic_cast<TK_Shell*>(&handler))
                faces = shell->GetFaceCount();
        });
        if (reader.read() != TK_Ended)
        {
            state.SkipWithError("the stream did not read back");
            return;
        }
    }
    if (faces != mesh.triangle_count())
        state.SkipWithError("triangles lost");
    per_triangle(state, mesh, static_cast<double>(stream.size()), 0);
}

// ---- the edge-breaker block alone

struct Ours
{
    std::vector<std::uint8_t> block;
    int vertices = 0;
};

bool encode_ours(const Mesh& mesh, Ours& out)
{
    w3d::eb::EdgeOptions options;
    options.version = 1000;
    for (int& bits : options.point_bits)
        bits = Point_Bits;
    int estimate = 0;
    if (!w3d::eb::edgebreaker_estimate_size(mesh.point_count(), mesh.face_list_length(),
                                            mesh.faces.data(), &estimate, nullptr, &options))
        return false;
    out.block.resize(static_cast<std::size_t>(estimate));
    std::vector<int> map(static_cast<std::size_t>(mesh.point_count()));
    int size = estimate;
    if (!w3d::eb::edgebreaker_compress(mesh.point_count(), mesh.points.data(), nullptr,
                                       mesh.face_list_length(), mesh.faces.data(), &size,
                                       out.block.data(), &out.vertices, map.data(), &options))
        return false;
    out.block.resize(static_cast<std::size_t>(size));
    return true;
}

void BM_OursEncode(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    Ours ours;
    bool ok = false;
    for (auto _ : state)
    {
        ok = encode_ours(mesh, ours);
        benchmark::DoNotOptimize(ours.block.data());
    }
    if (!ok)
        return state.SkipWithError("declined by the encoder");
    per_triangle(state, mesh, static_cast<double>(ours.block.size()), ours.vertices);
}

void BM_OursDecode(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    Ours ours;
    if (!encode_ours(mesh, ours))
        return state.SkipWithError("declined by the encoder");
    int points = 0, normals = 0, faces = 0;
    w3d::eb::edgebreaker_inquire_sizes(ours.block.data(), static_cast<int>(ours.block.size()),
                                       &points, &normals, &faces);
    std::vector<float> xyz(3 * static_cast<std::size_t>(points));
    std::vector<int> face_list(static_cast<std::size_t>(faces));
    for (auto _ : state)
    {
        int count = 0, length = faces;
        bool strips = false;
        if (!w3d::eb::edgebreaker_decompress(static_cast<int>(ours.block.size()), ours.block.data(),
                                             &count, xyz.data(), nullptr, &strips, &length,
                                             face_list.data(), nullptr))
            return state.SkipWithError("the block did not decode");
        benchmark::DoNotOptimize(face_list.data());
    }
    per_triangle(state, mesh, static_cast<double>(ours.block.size()), ours.vertices);
}

#ifdef QUILLCAST_HAVE_DRACO
// ---- Draco's edge-breaker

std::unique_ptr<draco::Mesh> draco_mesh(const Mesh& mesh)
{
    auto out = std::make_unique<draco::Mesh>();
    out->set_num_points(static_cast<draco::PointIndex::ValueType>(mesh.point_count()));
    draco::GeometryAttribute position;
    position.Init(draco::GeometryAttribute::POSITION, nullptr, 3, draco::DT_FLOAT32, false,
                  sizeof(float) * 3, 0);
    int const id = out->AddAttribute(position, true,
                                     static_cast<draco::AttributeValueIndex::ValueType>(mesh.point_count()));
    for (int i = 0; i < mesh.point_count(); ++i)
        out->attribute(id)->SetAttributeValue(draco::AttributeValueIndex(i),
                                              &mesh.points[3 * static_cast<std::size_t>(i)]);
    for (std::size_t f = 0; f < mesh.faces.size(); f += 4)
        out->AddFace({draco::PointIndex(static_cast<std::uint32_t>(mesh.faces[f + 1])),
                      draco::PointIndex(static_cast<std::uint32_t>(mesh.faces[f + 2])),
                      draco::PointIndex(static_cast<std::uint32_t>(mesh.faces[f + 3]))});
    return out;
}

bool encode_draco(const draco::Mesh& mesh, draco::EncoderBuffer& buffer)
{
    draco::Encoder encoder;
    encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, Point_Bits);
    encoder.SetSpeedOptions(3, 3);
    encoder.SetEncodingMethod(draco::MESH_EDGEBREAKER_ENCODING);
    buffer.Clear();
    return encoder.EncodeMeshToBuffer(mesh, &buffer).ok();
}

// Vertices the way ours counts them: the points some face uses.
int used_points(const Mesh& mesh)
{
    std::vector<char> used(static_cast<std::size_t>(mesh.point_count()), 0);
    for (std::size_t f = 0; f < mesh.faces.size(); f += 4)
        for (std::size_t k = 1; k < 4; ++k)
            used[static_cast<std::size_t>(mesh.faces[f + k])] = 1;
    int count = 0;
    for (char const u : used)
        count += u;
    return count;
}

void BM_DracoEncode(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    std::unique_ptr<draco::Mesh> const input = draco_mesh(mesh);
    draco::EncoderBuffer buffer;
    bool ok = false;
    for (auto _ : state)
    {
        ok = encode_draco(*input, buffer);
        benchmark::DoNotOptimize(buffer.data());
    }
    if (!ok)
        return state.SkipWithError("Draco could not encode it");
    per_triangle(state, mesh, static_cast<double>(buffer.size()), used_points(mesh));
}

void BM_DracoDecode(benchmark::State& state)
{
    const Mesh& mesh = mesh_of(state);
    std::unique_ptr<draco::Mesh> const input = draco_mesh(mesh);
    draco::EncoderBuffer encoded;
    if (!encode_draco(*input, encoded))
        return state.SkipWithError("Draco could not encode it");
    for (auto _ : state)
    {
        draco::DecoderBuffer buffer;
        buffer.Init(encoded.data(), encoded.size());
        draco::Decoder decoder;
        auto decoded = decoder.DecodeMeshFromBuffer(&buffer);
        if (!decoded.ok())
            return state.SkipWithError("Draco could not decode it");
        benchmark::DoNotOptimize(decoded.value().get());
    }
    per_triangle(state, mesh, static_cast<double>(encoded.size()), used_points(mesh));
}
#endif

} // namespace

BENCHMARK(BM_ShellWrite)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShellRead)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursEncode)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursDecode)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
#ifdef QUILLCAST_HAVE_DRACO
BENCHMARK(BM_DracoEncode)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DracoDecode)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
#endif
