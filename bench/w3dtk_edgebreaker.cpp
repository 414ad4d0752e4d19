// The edge-breaker encoder over the mesh corpus (tetrahedron to a million
// triangles): triangles per second, and bits per vertex of the block, split
// into connectivity (header, op bytes, side table) and geometry (the point
// stream), at 11 bits per coordinate, scheme 2 (version 1000), points only.
// "deflated" is the whole block after zlib at the toolkit's level, as it
// travels in a compressed W3D stream. Meshes the encoder declines (the
// triangle soup) are reported as skipped.
#include "dwf/w3dtk/edgebreaker/edgebreaker.h"
#include "dwf/w3dtk/edgebreaker/shell_header.h"

#include "dwf/w3dtk/tests/mesh_corpus.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <vector>

namespace
{
using w3d_test::Mesh;

const std::vector<Mesh>& corpus()
{
    static const std::vector<Mesh> meshes = w3d_test::bench_corpus();
    return meshes;
}

struct Encoded
{
    bool ok = false;
    std::vector<std::uint8_t> block;
    int vertices = 0;
};

Encoded encode(const Mesh& mesh, std::vector<std::uint8_t>& buffer, std::vector<int>& map)
{
    w3d::eb::EdgeOptions options;
    options.version = 1000;
    int estimate = 0;
    Encoded result;
    if (!w3d::eb::edgebreaker_estimate_size(mesh.point_count(), mesh.face_list_length(),
                                            mesh.faces.data(), &estimate, nullptr, &options))
        return result;
    if (buffer.size() < static_cast<std::size_t>(estimate))
        buffer.resize(static_cast<std::size_t>(estimate));
    map.resize(static_cast<std::size_t>(mesh.point_count()));
    int size = static_cast<int>(buffer.size());
    result.ok = w3d::eb::edgebreaker_compress(mesh.point_count(), mesh.points.data(), nullptr,
                                              mesh.face_list_length(), mesh.faces.data(), &size,
                                              buffer.data(), &result.vertices, map.data(),
                                              &options) != 0;
    if (result.ok)
        result.block.assign(buffer.begin(), buffer.begin() + size);
    return result;
}

long deflated_size(const std::vector<std::uint8_t>& bytes)
{
    uLongf size = compressBound(static_cast<uLong>(bytes.size()));
    std::vector<Bytef> out(size);
    compress2(out.data(), &size, bytes.data(), static_cast<uLong>(bytes.size()), Z_DEFAULT_COMPRESSION);
    return static_cast<long>(size);
}

void BM_EdgebreakerEncode(benchmark::State& state)
{
    const Mesh& mesh = corpus()[static_cast<std::size_t>(state.range(0))];
    state.SetLabel(mesh.name);
    std::vector<std::uint8_t> buffer;
    std::vector<int> map;
    Encoded last;
    for (auto _ : state)
    {
        last = encode(mesh, buffer, map);
        benchmark::DoNotOptimize(last.block.data());
    }
    if (!last.ok)
    {
        state.SkipWithError("declined by the encoder");
        return;
    }
    w3d::eb::ShellHeader header;
    header.read(last.block.data(), static_cast<long long>(last.block.size()));
    double const vertices = last.vertices;
    double const geometry = 8.0 * header.point_length;
    double const total = 8.0 * static_cast<double>(last.block.size());
    state.SetItemsProcessed(state.iterations() * mesh.triangle_count());
    state.counters["triangles"] = mesh.triangle_count();
    state.counters["bpv"] = total / vertices;
    state.counters["bpv_connectivity"] = (total - geometry) / vertices;
    state.counters["bpv_geometry"] = geometry / vertices;
    state.counters["bpv_deflated"] = 8.0 * static_cast<double>(deflated_size(last.block)) / vertices;
}

void corpus_arguments(benchmark::internal::Benchmark* benchmark)
{
    for (std::size_t i = 0; i < corpus().size(); ++i)
        benchmark->Arg(static_cast<long>(i));
}

} // namespace

BENCHMARK(BM_EdgebreakerEncode)->Apply(corpus_arguments)->Unit(benchmark::kMillisecond);
