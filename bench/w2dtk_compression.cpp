// Throughput of the W2D stream coders: bytes of sheet content per second
// through a compressing WT_File (deflate at version 6.00, LZ at 0.38), and back
// through the decompressing reader; the uncompressed stream for comparison.
#include "dwf/w2dtk/file.h"
#include "dwf/w2dtk/object.h"

#include "dwf/w2dtk/tests/stream_harness.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace
{
constexpr std::size_t Content_Size = 8 << 20;
constexpr std::size_t Piece = 4096;

// ASCII opcodes as a drawing sheet carries them: lines, polygons, circles,
// colours and text with coordinates of a few million logical units.
const std::string& ascii_sheet()
{
    static const std::string sheet = []
    {
        std::mt19937 random(6);
        auto n = [&random](unsigned range) { return int(random() % range); };
        std::string s;
        char line[160];
        while (s.size() < Content_Size)
        {
            switch (n(6))
            {
            case 0:
                std::snprintf(line, sizeof line, "\r\n(Color %d,%d,%d,255)", n(256), n(256),
                              n(256));
                break;
            case 1:
                std::snprintf(line, sizeof line, "\r\nC %d", n(256));
                break;
            case 2:
                std::snprintf(line, sizeof line, "\r\n(Text %d,%d 'DETAIL %c')", n(8000000),
                              n(8000000), 'A' + n(26));
                break;
            case 3:
                std::snprintf(line, sizeof line, "\r\n   R %d,%d %d", n(8000000), n(8000000),
                              n(100000));
                break;
            default:
                std::snprintf(line, sizeof line, "\r\n   L %d,%d %d,%d", n(8000000), n(8000000),
                              n(8000000), n(8000000));
                break;
            }
            s += line;
        }
        return s;
    }();
    return sheet;
}

// Binary opcodes: relative 16-bit lines and RGBA colours, denser and less
// repetitive than their ASCII form.
const std::string& binary_sheet()
{
    static const std::string sheet = []
    {
        std::mt19937 random(7);
        std::string s;
        while (s.size() < Content_Size)
        {
            if (random() % 5 == 0)
            {
                s += char(0x03);
                for (int i = 0; i < 3; ++i)
                    s += char(random() % 256);
                s += char(255);
            }
            else
            {
                s += char(0x0C);
                for (int i = 0; i < 4; ++i)
                {
                    int const delta = int(random() % 4000) - 2000;
                    s += char(delta & 0xFF);
                    s += char((delta >> 8) & 0xFF);
                }
            }
        }
        return s;
    }();
    return sheet;
}

const std::string& content(int kind)
{
    return kind == 0 ? ascii_sheet() : binary_sheet();
}

std::vector<std::uint8_t> write_stream(const std::string& bytes, int version, bool compress)
{
    w2d_test::Memory_Stream stream;
    stream.output.reserve(bytes.size() + 1024);
    WT_File file;
    stream.install(file);
    file.set_target_version(version);
    file.set_file_mode(WT_File::File_Write);
    if (file.open() != WT_Result_Success)
        return {};
    file.set_allow_data_compression(compress);
    for (std::size_t at = 0; at < bytes.size(); at += Piece)
        if (file.write(std::min(Piece, bytes.size() - at), bytes.data() + at) != WT_Result_Success)
            return {};
    if (file.close() != WT_Result_Success)
        return {};
    return stream.output;
}

// Reads the header object (which sets the stream version) and, in compressed
// streams, the marker (which starts the decompressor); then plain bytes.
std::size_t read_stream(const std::vector<std::uint8_t>& stream_bytes, bool compressed)
{
    w2d_test::Memory_Stream stream(stream_bytes);
    WT_File file;
    stream.install(file);
    file.set_file_mode(WT_File::File_Read);
    if (file.open() != WT_Result_Success)
        return 0;
    for (int object = 0; object < (compressed ? 2 : 1); ++object)
        if (file.get_next_object() != WT_Result_Success ||
            file.object()->materialize(file.current_opcode(), file) != WT_Result_Success ||
            file.object()->process(file) != WT_Result_Success)
            return 0;
    std::vector<std::uint8_t> buffer(Piece);
    std::size_t total = 0;
    while (file.read(Piece, buffer.data()) == WT_Result_Success)
        total += Piece;
    while (file.read(1, buffer.data()) == WT_Result_Success)
        ++total;
    file.close();
    return total;
}

// Arguments: content kind (0 ASCII, 1 binary) and coder (0 none, 1 deflate, 2 LZ).
int version_for(int coder)
{
    return coder == 2 ? 38 : 600;
}

void BM_Write(benchmark::State& state)
{
    const std::string& bytes = content(int(state.range(0)));
    int const coder = int(state.range(1));
    std::size_t written = 0;
    for (auto _ : state)
    {
        std::vector<std::uint8_t> out = write_stream(bytes, version_for(coder), coder != 0);
        if (out.empty())
            state.SkipWithError("writing failed");
        written = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
    state.counters["ratio"] = double(written) / double(bytes.size());
}

void BM_Read(benchmark::State& state)
{
    const std::string& bytes = content(int(state.range(0)));
    int const coder = int(state.range(1));
    std::vector<std::uint8_t> const stream = write_stream(bytes, version_for(coder), coder != 0);
    for (auto _ : state)
    {
        std::size_t const got = read_stream(stream, coder != 0);
        // The content plus the end object's bytes.
        if (got < bytes.size())
            state.SkipWithError("reading failed");
        benchmark::DoNotOptimize(got);
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}

void coder_arguments(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"binary", "coder"});
    for (int kind : {0, 1})
        for (int coder : {0, 1, 2})
            b->Args({kind, coder});
    b->Unit(benchmark::kMillisecond);
}
} // namespace

BENCHMARK(BM_Write)->Apply(coder_arguments);
BENCHMARK(BM_Read)->Apply(coder_arguments);
