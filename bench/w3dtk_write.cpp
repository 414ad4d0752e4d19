// Writing W3D records through the toolkit and the stream writer: 10^6 small
// records (segments opened, reopened and closed) per run, plain and compressed,
// reported as records per second and bytes of stream per second. Beside them,
// bare zlib deflate at the toolkit's level over the same record bytes: the
// compressed write should take no more than 1.1 times as long. On a shared
// machine compare them with --benchmark_enable_random_interleaving=true
// --benchmark_repetitions=6, so that load falls on both alike.
#include "dwf/w3dtk/records/segments.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwf/w3dtk/stream/toolkit.h"

#include "dwf/w3dtk/tests/memory_streams.h"

#include "dwfcore/OutputStream.h"

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace
{
constexpr int Records = 1000000;
constexpr int Names = 1000;

// Counts what it is given and keeps one byte of it, so nothing is optimised away.
class Counting_Output : public DWFCore::DWFOutputStream
{
public:
    std::size_t bytes = 0;
    unsigned char last = 0;

    void flush() override {}
    size_t write(const void* buffer, size_t count) override
    {
        bytes += count;
        if (count > 0)
            last = static_cast<const unsigned char*>(buffer)[count - 1];
        return count;
    }
};

const std::vector<std::string>& names()
{
    static const std::vector<std::string> all = []
    {
        std::vector<std::string> n;
        for (int i = 0; i < Names; ++i)
            n.push_back(std::to_string(100000 + (i * 7919) % 900000));
        return n;
    }();
    return all;
}

// One third each: open a named segment, reopen one by index, close one.
void write_records(BStreamFileToolkit& tk, W3DStreamWriter& writer, bool compressed)
{
    auto& open = static_cast<TK_Open_Segment&>(tk.GetOpcodeHandler('('));
    auto& reopen = static_cast<TK_Reopen_Segment&>(tk.GetOpcodeHandler('s'));
    BBaseOpcodeHandler& close = tk.GetOpcodeHandler(')');
    open.SetObserver(&writer);
    reopen.SetObserver(&writer);
    close.SetObserver(&writer);
    if (compressed)
    {
        tk.GetOpcodeHandler('Z').SetObserver(&writer);
        tk.GetOpcodeHandler('Z').serialize();
    }
    std::vector<std::string> const& n = names();
    for (int i = 0; i < Records; ++i)
    {
        switch (i % 3)
        {
        case 0:
            open.SetSegment(n[static_cast<std::size_t>(i / 3 % Names)].c_str());
            open.serialize();
            break;
        case 1:
            // indices scattered the way a model's segments are revisited
            reopen.SetIndex(static_cast<int>((static_cast<unsigned>(i) * 2654435761u) >> 12));
            reopen.serialize();
            break;
        default:
            close.serialize();
        }
    }
    if (compressed)
    {
        tk.GetOpcodeHandler('z').SetObserver(&writer);
        tk.GetOpcodeHandler('z').serialize();
    }
}

// The bytes of the records as the plain write produces them.
const std::vector<unsigned char>& record_bytes()
{
    static const std::vector<unsigned char> bytes = []
    {
        BStreamFileToolkit tk;
        w3d_test::Memory_Output output;
        W3DStreamWriter writer(output, tk);
        writer.open();
        write_records(tk, writer, false);
        writer.close();
        return output.bytes;
    }();
    return bytes;
}

void BM_WriteRecords(benchmark::State& state)
{
    bool const compressed = state.range(0) != 0;
    std::size_t produced = 0;
    for (auto _ : state)
    {
        BStreamFileToolkit tk;
        Counting_Output output;
        W3DStreamWriter writer(output, tk);
        writer.open();
        write_records(tk, writer, compressed);
        writer.close();
        produced = output.bytes;
        benchmark::DoNotOptimize(output.last);
    }
    state.SetItemsProcessed(state.iterations() * Records);
    // Bytes of record content, so plain and compressed compare as throughput.
    state.SetBytesProcessed(state.iterations() * static_cast<long>(record_bytes().size()));
    state.counters["stream_bytes"] = static_cast<double>(produced);
}
BENCHMARK(BM_WriteRecords)->ArgName("compressed")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Deflate at level 9 over the same bytes, into 4096-byte buffers handed to the
// same kind of sink: what the compressed write cannot do faster than.
void BM_BareDeflate(benchmark::State& state)
{
    std::vector<unsigned char> const& input = record_bytes();
    std::vector<unsigned char> buffer(4096);
    std::size_t produced = 0;
    for (auto _ : state)
    {
        Counting_Output output;
        z_stream z{};
        deflateInit(&z, 9);
        z.next_in = const_cast<Bytef*>(input.data());
        z.avail_in = static_cast<uInt>(input.size());
        int result;
        do
        {
            z.next_out = buffer.data();
            z.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&z, Z_FINISH);
            output.write(buffer.data(), buffer.size() - z.avail_out);
        } while (result == Z_OK);
        deflateEnd(&z);
        produced = output.bytes;
        benchmark::DoNotOptimize(output.last);
    }
    state.SetItemsProcessed(state.iterations() * Records);
    state.SetBytesProcessed(state.iterations() * static_cast<long>(input.size()));
    state.counters["stream_bytes"] = static_cast<double>(produced);
}
BENCHMARK(BM_BareDeflate)->Unit(benchmark::kMillisecond);

} // namespace
