// Joining chained polylines: 10^6 two-point segments of one chain, written in
// chain order (each joins the end of the pending polyline) and in reverse
// order (each joins its start). Both must cost about the same per segment.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/polyline.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace
{
constexpr int Segments = 1000000;

struct Byte_Counter
{
    std::uint64_t bytes = 0;
};

WT_Result open_stream(WT_File&)
{
    return WT_Result_Success;
}

WT_Result close_stream(WT_File&)
{
    return WT_Result_Success;
}

WT_Result count_bytes(WT_File& file, std::size_t count, const void*)
{
    static_cast<Byte_Counter*>(file.stream_user_data())->bytes += count;
    return WT_Result_Success;
}

// A zig-zag, so that consecutive points differ in both coordinates.
std::vector<WT_Logical_Point> chain_points()
{
    std::vector<WT_Logical_Point> points;
    points.reserve(Segments + 1);
    for (int i = 0; i <= Segments; ++i)
        points.emplace_back(i * 10, (i % 2) * 25);
    return points;
}

void write_chain(benchmark::State& state, bool reverse)
{
    std::vector<WT_Logical_Point> const points = chain_points();
    for (auto _ : state)
    {
        Byte_Counter counter;
        WT_File file;
        file.set_stream_user_data(&counter);
        file.set_stream_open_action(&open_stream);
        file.set_stream_close_action(&close_stream);
        file.set_stream_write_action(&count_bytes);
        file.set_file_mode(WT_File::File_Write);
        if (file.open() != WT_Result_Success)
            state.SkipWithError("open failed");
        for (int n = 0; n < Segments; ++n)
        {
            int const i = reverse ? Segments - 1 - n : n;
            WT_Polyline segment(2, &points[std::size_t(i)], false);
            if (segment.serialize(file) != WT_Result_Success)
                state.SkipWithError("serialize failed");
        }
        if (file.close() != WT_Result_Success)
            state.SkipWithError("close failed");
        // One merged polyline of 10^6 + 1 points is too long for a binary
        // count and goes out in ASCII.
        state.counters["bytes"] = double(counter.bytes);
    }
    state.SetItemsProcessed(state.iterations() * Segments);
}

void BM_Polyline_Chain_Forward(benchmark::State& state)
{
    write_chain(state, false);
}

void BM_Polyline_Chain_Reverse(benchmark::State& state)
{
    write_chain(state, true);
}
} // namespace

BENCHMARK(BM_Polyline_Chain_Forward)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Polyline_Chain_Reverse)->Unit(benchmark::kMillisecond);
