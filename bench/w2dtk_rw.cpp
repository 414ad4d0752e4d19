// Writing and reading W2D streams through WT_File: a sheet's worth of colour
// changes between runs of point data (kept as opcodes the reader passes over
// and records), in ASCII and binary form, through in-memory stream procedures.
#include "dwf/w2dtk/color.h"
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/unknown.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace
{
constexpr int Objects = 20000; // colours and point runs, half each

std::vector<WT_Unknown> point_runs()
{
    std::vector<WT_Unknown> runs;
    for (int i = 0; i < 64; ++i)
    {
        std::string text = "\r\n(Points 8";
        for (int p = 0; p < 8; ++p)
            text += " " + std::to_string(i * 1000 + p * 37) + "," + std::to_string(p * 4096 - i);
        text += ")";
        runs.emplace_back(text.data(), text.size());
    }
    return runs;
}

std::string write_stream(bool binary, std::vector<WT_Unknown>& runs)
{
    w2d_test::Memory_Stream stream;
    stream.output.reserve(4 << 20);
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Write);
    file.open();
    file.set_allow_binary_data(binary);
    for (int i = 0; i < Objects / 2; ++i)
    {
        WT_Color color(i % 256, (i / 256) % 256, 255 - i % 256);
        color.sync(file);
        runs[std::size_t(i) % runs.size()].serialize(file);
    }
    file.close();
    return stream.written();
}

void write(benchmark::State& state, bool binary)
{
    std::vector<WT_Unknown> runs = point_runs();
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        std::string out = write_stream(binary, runs);
        bytes += out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(bytes));
    state.counters["objects/s"] = benchmark::Counter(double(Objects) * double(state.iterations()),
                                                     benchmark::Counter::kIsRate);
}

void read(benchmark::State& state, bool binary)
{
    std::vector<WT_Unknown> runs = point_runs();
    std::string const input = write_stream(binary, runs);
    long objects = 0;
    for (auto _ : state)
    {
        w2d_test::Memory_Stream stream(input);
        WT_File file;
        w2d_test::open_for_reading(file, stream, 1, SIZE_MAX);
        file.open();
        WT_Result end = w2d_test::read_stream(file, [&objects](WT_Object&) { ++objects; });
        if (end != WT_Result_End_Of_Stream)
            state.SkipWithError("stream did not read back");
        file.close();
    }
    state.SetBytesProcessed(std::int64_t(input.size()) * std::int64_t(state.iterations()));
    state.counters["objects/s"] = benchmark::Counter(double(objects), benchmark::Counter::kIsRate);
}

void BM_Write_ASCII(benchmark::State& state)
{
    write(state, false);
}
void BM_Write_Binary(benchmark::State& state)
{
    write(state, true);
}
void BM_Read_ASCII(benchmark::State& state)
{
    read(state, false);
}
void BM_Read_Binary(benchmark::State& state)
{
    read(state, true);
}
} // namespace

BENCHMARK(BM_Write_ASCII)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Write_Binary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_ASCII)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Read_Binary)->Unit(benchmark::kMillisecond);
