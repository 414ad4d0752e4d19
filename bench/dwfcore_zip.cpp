// ZIP entry write throughput: one 64 MiB entry through the zipping stream,
// beside zlib's own raw deflate of the same bytes at the same level, so the
// overhead of our writer (CRC, buffering, file output) shows as a ratio.

#include "dwfcore/zip/ZipFileDescriptor.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>
#include <zlib.h>

namespace
{

constexpr size_t kEntrySize = 64u << 20;
constexpr size_t kChunk = 16384; // what the package writer copies at a time

// Text-like bytes with some noise, compressing to roughly a third.
const std::vector<uint8_t>& entryBytes()
{
    static const std::vector<uint8_t> bytes = []
    {
        static const char words[] = "<Resource role=\"graphics\" mime=\"application/x-w2d\" ";
        std::vector<uint8_t> out(kEntrySize);
        uint64_t x = 88172645463325252ull;
        for (size_t i = 0; i < out.size(); ++i)
        {
            x ^= x << 13;
            x ^= x >> 7;
            x ^= x << 17;
            out[i] = (x & 7) == 0 ? static_cast<uint8_t>(x >> 32)
                                  : static_cast<uint8_t>(words[i % (sizeof words - 1)]);
        }
        return out;
    }();
    return bytes;
}

void ZipWriterEntry(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const bool encrypted = state.range(1) != 0;
    const std::vector<uint8_t>& data = entryBytes();
    for (auto _ : state)
    {
        DWFCore::DWFZipFileDescriptor archive(DWFCore::DWFFile("/dev/null"), level);
        archive.open();
        std::unique_ptr<DWFCore::DWFZippingOutputStream> stream(
            archive.zip(DWFCore::DWFString(u"section\\graphics.w2d"),
                        encrypted ? DWFCore::DWFString(u"password") : DWFCore::DWFString()));
        for (size_t at = 0; at < data.size(); at += kChunk)
        {
            stream->write(data.data() + at, kChunk);
        }
        stream->close();
        stream.reset();
        archive.close();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(data.size()));
}

void ZlibRawDeflate(benchmark::State& state)
{
    const int level = static_cast<int>(state.range(0));
    const std::vector<uint8_t>& data = entryBytes();
    std::vector<uint8_t> out(kChunk);
    for (auto _ : state)
    {
        z_stream z{};
        deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
        size_t produced = 0;
        for (size_t at = 0; at < data.size(); at += kChunk)
        {
            z.next_in = const_cast<uint8_t*>(data.data() + at);
            z.avail_in = kChunk;
            const int flush = at + kChunk >= data.size() ? Z_FINISH : Z_NO_FLUSH;
            int status;
            do
            {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                status = deflate(&z, flush);
                produced += out.size() - z.avail_out;
            } while (z.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
        }
        deflateEnd(&z);
        benchmark::DoNotOptimize(produced);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(data.size()));
}

} // namespace

BENCHMARK(ZipWriterEntry)->Args({1, 0})->Args({6, 0})->Args({6, 1})->Unit(benchmark::kMillisecond);
BENCHMARK(ZlibRawDeflate)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
