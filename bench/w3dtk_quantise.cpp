// Throughput of the W3D vertex quantiser: 10^6 points and 10^6 unit normals
// quantised and packed, and unpacked again, in points per second; and a
// 1000 x 1000 mesh with normals written and read through the toolkit, which adds
// the polar conversion of the normals and the record's framing.
#include "dwf/w3dtk/geometry/mesh.h"
#include "dwf/w3dtk/geometry/quantiser.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/tests/memory_streams.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{
constexpr int Count = 1000000;

const std::vector<float>& points()
{
    static const std::vector<float> values = []
    {
        std::mt19937 random(3);
        std::uniform_real_distribution<float> coordinate(-250.0f, 250.0f);
        std::vector<float> v(3 * std::size_t(Count));
        for (float& x : v)
            x = coordinate(random);
        return v;
    }();
    return values;
}

const std::vector<float>& normals()
{
    static const std::vector<float> values = []
    {
        std::mt19937 random(4);
        std::normal_distribution<float> component;
        std::vector<float> v;
        v.reserve(3 * std::size_t(Count));
        for (int i = 0; i < Count; ++i)
        {
            float x = component(random), y = component(random), z = component(random);
            float const length = std::sqrt(x * x + y * y + z * z) + 1e-12f;
            v.insert(v.end(), {x / length, y / length, z / length});
        }
        return v;
    }();
    return values;
}

const float Unit_Box[6] = {-1, -1, -1, 1, 1, 1};

// bits 8 with three components take the byte form; other widths the bit packer.
void quantise(benchmark::State& state, const std::vector<float>& values, const float* box)
{
    int const bits = int(state.range(0));
    BStreamFileToolkit tk;
    std::vector<std::uint8_t> buffer;
    float used[6] = {};
    int packed = 0;
    for (auto _ : state)
    {
        if (w3d::eb::quantize_and_pack_floats(tk, Count, 3, values.data(), box, bits,
                                              box ? nullptr : used, buffer, &packed) != TK_Done)
            state.SkipWithError("quantising failed");
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetItemsProcessed(std::int64_t(Count) * std::int64_t(state.iterations()));
    state.counters["bytes_per_point"] = double(packed) / Count;
}

void dequantise(benchmark::State& state, const std::vector<float>& values, const float* box)
{
    int const bits = int(state.range(0));
    BStreamFileToolkit tk;
    std::vector<std::uint8_t> buffer;
    float used[6] = {};
    int packed = 0;
    w3d::eb::quantize_and_pack_floats(tk, Count, 3, values.data(), box, bits, used, buffer,
                                      &packed);
    std::vector<float> back(values.size());
    for (auto _ : state)
    {
        if (w3d::eb::unpack_and_dequantize_floats(tk, Count, 3, bits, used, buffer.data(), packed,
                                                  back.data()) != TK_Done)
            state.SkipWithError("unpacking failed");
        benchmark::DoNotOptimize(back.data());
    }
    state.SetItemsProcessed(std::int64_t(Count) * std::int64_t(state.iterations()));
}

void BM_QuantisePoints(benchmark::State& state)
{
    quantise(state, points(), nullptr);
}
void BM_UnpackPoints(benchmark::State& state)
{
    dequantise(state, points(), nullptr);
}
void BM_QuantiseNormals(benchmark::State& state)
{
    quantise(state, normals(), Unit_Box);
}
void BM_UnpackNormals(benchmark::State& state)
{
    dequantise(state, normals(), Unit_Box);
}

// A 1000 x 1000 mesh with a normal at every point: quantised points and the
// attribute section with its polar normals (the model publisher's 24 normal bits).
void fill(TK_Mesh& mesh)
{
    mesh.SetMesh(1000, 1000, points().data());
    mesh.SetSubop(TK_Polyhedron::Subop_Quantized | TK_Polyhedron::Subop_Attributes);
    mesh.SetVertexNormals(normals().data());
}

void settings(BStreamFileToolkit& tk)
{
    tk.SetNumNormalBits(24);
    tk.SetNumVertexBits(48);
}

w3d_test::Bytes mesh_stream()
{
    return w3d_test::write_stream([](BStreamFileToolkit& tk, W3DStreamWriter& writer)
                                  { w3d_test::serialize_with<TK_Mesh>(tk, writer, 'M', fill); },
                                  settings);
}

void BM_MeshWrite(benchmark::State& state)
{
    std::size_t size = 0;
    for (auto _ : state)
        size = mesh_stream().size();
    state.SetItemsProcessed(std::int64_t(Count) * std::int64_t(state.iterations()));
    state.counters["bytes_per_point"] = double(size) / Count;
}

void BM_MeshRead(benchmark::State& state)
{
    w3d_test::Bytes const stream = mesh_stream();
    for (auto _ : state)
    {
        BStreamFileToolkit tk;
        settings(tk);
        w3d_test::Trickle_Input input(stream, 1 << 16);
        W3DStreamReader reader(tk, &input, 1 << 16);
        if (reader.read() != TK_Ended)
            state.SkipWithError("reading failed");
    }
    state.SetItemsProcessed(std::int64_t(Count) * std::int64_t(state.iterations()));
}
} // namespace

BENCHMARK(BM_QuantisePoints)->Arg(8)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackPoints)->Arg(8)->Arg(16)->Arg(24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuantiseNormals)->Arg(8)->Arg(10)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnpackNormals)->Arg(8)->Arg(10)->Arg(12)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MeshRead)->Unit(benchmark::kMillisecond);
