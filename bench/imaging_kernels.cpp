// The pixel kernels on rows of 4 KB and 64 KB (bytes per second of output,
// shown as "bytes_per_second"): stitchers, splitters, copiers and fills at 1,
// 8, 16, 32 and 64 bits per pixel, transparent forms beside opaque ones, with
// memcpy and memset on the same rows as the yardstick; the RGBA blender in
// pixels per second; the 1-bit run routines in bits per second on
// white-heavy rows; the shearers at widths of 256, 1280 and 4096 pixels.
// Goals: copies and fills within 1.5x of memcpy/memset; the blender at 200
// Mpixel/s or more; the run routines at 1 Gbit/s or more on white-heavy rows.
// Processor detection runs first, as the session does.
#include "imaging/kernels/BitRuns.h"
#include "imaging/kernels/CpuFeatures.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/kernels/RowShearers.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<std::uint8_t>;

const int kDetected = [] {
    Omvi::detectCpuFeatures();
    return 0;
}();

const int kBits[] = {1, 8, 16, 32, 64};
const char* const kDepthNames[] = {"1bit", "8bit", "16bit", "32bit", "64bit"};

std::int32_t pixelsIn(std::int64_t bytes, int dataType)
{
    return static_cast<std::int32_t>(bytes * 8 / kBits[dataType]);
}

Bytes randomBytes(std::size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(random());
    return bytes;
}

// A 1-bit row as a scanned drawing gives it: long stretches of paper (0) with
// short strokes of ink.
Bytes whiteHeavyRow(std::size_t bytes)
{
    std::mt19937 random(7);
    Bytes row(bytes, 0);
    std::int64_t at = 0;
    const std::int64_t bits = static_cast<std::int64_t>(bytes) * 8;
    while (at < bits)
    {
        at += 200 + random() % 1800; // paper
        const std::int64_t ink = 1 + random() % 12;
        for (std::int64_t k = 0; k < ink && at < bits; ++k, ++at)
            row[static_cast<std::size_t>(at / 8)] |= static_cast<std::uint8_t>(0x80 >> (at % 8));
    }
    return row;
}

void reportBytes(benchmark::State& state, std::int64_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes);
}

// memcpy and memset on the same rows.
void Memcpy(benchmark::State& state)
{
    const std::int64_t bytes = state.range(0);
    const Bytes source = randomBytes(static_cast<std::size_t>(bytes), 1);
    Bytes destination(static_cast<std::size_t>(bytes));
    for (auto _ : state)
    {
        std::memcpy(destination.data(), source.data(), static_cast<std::size_t>(bytes));
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

void Memset(benchmark::State& state)
{
    const std::int64_t bytes = state.range(0);
    Bytes destination(static_cast<std::size_t>(bytes));
    for (auto _ : state)
    {
        std::memset(destination.data(), 0x5A, static_cast<std::size_t>(bytes));
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

// The plain and wide forms of the byte copy and the 32-bit fill.
void Form(benchmark::State& state, const std::string& which)
{
    const std::int64_t bytes = state.range(0);
    const Bytes source = randomBytes(static_cast<std::size_t>(bytes), 9);
    Bytes destination(static_cast<std::size_t>(bytes));
    const auto count = static_cast<std::int32_t>(bytes);
    for (auto _ : state)
    {
        if (which == "copyBytes_plain")
            Omvi::RowRoutineForms::copyBytesPlain(destination.data(), source.data(), count);
        else if (which == "copyBytes_wide")
            Omvi::RowRoutineForms::copyBytesWide(destination.data(), source.data(), count);
        else if (which == "fillRow32_plain")
            Omvi::RowRoutineForms::fillRow32Plain(destination.data(), 0x01020304u, count / 4);
        else
            Omvi::RowRoutineForms::fillRow32Wide(destination.data(), 0x01020304u, count / 4);
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

// A copy of a whole row by the pixel copier of the type.
void Copy(benchmark::State& state, int dataType, bool transparent)
{
    const std::int64_t bytes = state.range(0);
    const Bytes source = randomBytes(static_cast<std::size_t>(bytes), 2);
    Bytes destination(static_cast<std::size_t>(bytes));
    const Omvi::ImagePixel key(dataType == 3 ? Omvi::kPixelThirtyTwoBit : dataType, 0x5A);
    std::unique_ptr<Omvi::PixelCopier> copier(Omvi::createPixelCopier(dataType, transparent, key));
    const std::int32_t pixels = pixelsIn(bytes, dataType);
    for (auto _ : state)
    {
        copier->copy(destination.data(), 0, source.data(), 0, pixels);
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

void Fill(benchmark::State& state, int dataType)
{
    const std::int64_t bytes = state.range(0);
    Bytes destination(static_cast<std::size_t>(bytes));
    std::unique_ptr<Omvi::PixelCopier> copier(Omvi::createPixelCopier(dataType));
    const std::int32_t pixels = pixelsIn(bytes, dataType);
    const Omvi::ImagePixel value(dataType, 0x0123456789ABCDEFull);
    for (auto _ : state)
    {
        copier->fill(destination.data(), 0, value, pixels);
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

// A row stitched from 64-pixel tile runs of one tile line (directions 0, 1)
// or down a column of a tile of 512 lines of 64 bytes (directions 2, 3).
void Stitch(benchmark::State& state, int dataType, int direction)
{
    const std::int64_t bytes = state.range(0);
    const std::int32_t pixels = pixelsIn(bytes, dataType);
    constexpr std::int32_t kRun = 64;
    constexpr std::int32_t kTileLines = 512;
    const bool column = direction >= 2;
    const std::int32_t stride = column ? 64 : static_cast<std::int32_t>(bytes);
    const Bytes tile = randomBytes(static_cast<std::size_t>(column ? std::int64_t{stride} * kTileLines : bytes), 3);
    Bytes row(static_cast<std::size_t>(bytes));
    std::unique_ptr<Omvi::RowStitcher> stitcher(Omvi::createRowStitcher(dataType, direction));
    for (auto _ : state)
    {
        stitcher->setDestination(row.data(), 0, pixels);
        stitcher->setSource(stride, column ? 3 : 0);
        for (std::int32_t at = 0; at < pixels; at += kRun)
            stitcher->stitch(tile.data(), column ? at % kTileLines : at, std::min(kRun, pixels - at));
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

// A row cut into 64-pixel pieces of tile lines (directions 0, 1).
void Split(benchmark::State& state, int dataType, int direction, bool transparent)
{
    const std::int64_t bytes = state.range(0);
    const std::int32_t pixels = pixelsIn(bytes, dataType);
    constexpr std::int32_t kRun = 64;
    const Bytes source = randomBytes(static_cast<std::size_t>(bytes), 4);
    Bytes tile(static_cast<std::size_t>(bytes));
    const Omvi::ImagePixel key(dataType == 3 ? Omvi::kPixelThirtyTwoBit : dataType, 0x5A);
    std::unique_ptr<Omvi::RowSplitter> splitter(Omvi::createRowSplitter(dataType, direction, transparent, key));
    for (auto _ : state)
    {
        splitter->setSource(source.data(), pixels);
        for (std::int32_t at = 0; at < pixels; at += kRun)
            splitter->split(tile.data(), at, at, std::min(kRun, pixels - at));
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
}

// Whole rows of 32-bit pixels blended; reported in pixels per second too.
void Blend(benchmark::State& state, bool transparent)
{
    const std::int64_t bytes = state.range(0);
    const Bytes source = randomBytes(static_cast<std::size_t>(bytes), 5);
    Bytes destination = randomBytes(static_cast<std::size_t>(bytes), 6);
    std::unique_ptr<Omvi::PixelCopier> blender(Omvi::createBlender(100, transparent));
    const std::int32_t pixels = static_cast<std::int32_t>(bytes / 4);
    for (auto _ : state)
    {
        blender->copy(destination.data(), 0, source.data(), 0, pixels);
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(state.iterations()) * pixels,
                                                    benchmark::Counter::kIsRate);
}

// The run routines on white-heavy rows, in bits per second.
void BitRoutine(benchmark::State& state, const std::string& which)
{
    const std::int64_t bytes = state.range(0);
    const std::int32_t bits = static_cast<std::int32_t>(bytes * 8);
    const Bytes source = whiteHeavyRow(static_cast<std::size_t>(bytes) + 1);
    Bytes destination(static_cast<std::size_t>(bytes) + 1);
    for (auto _ : state)
    {
        if (which == "scan")
        {
            Omvi::BitCursor cursor{source.data(), 0};
            std::int32_t left = bits;
            while (left > 0)
            {
                int colour = 0;
                left -= Omvi::scanBitRun(cursor, colour, left);
            }
            benchmark::DoNotOptimize(cursor);
        }
        else if (which == "copyBitRuns")
            Omvi::copyBitRuns(source.data(), 3, destination.data(), 5, bits - 8);
        else if (which == "copyBitRunsTransparent")
            Omvi::copyBitRunsTransparent(source.data(), 3, destination.data(), 5, bits - 8);
        else if (which == "copyBitsReversed")
            Omvi::copyBitsReversed(source.data(), 3, destination.data(), bits - 1, bits - 8, false);
        else
            Omvi::copyBits(destination.data(), 5, source.data(), 3, bits - 8);
        benchmark::ClobberMemory();
    }
    reportBytes(state, bytes);
    state.counters["bits/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * bits, benchmark::Counter::kIsRate);
}

// One row sheared into itself moved right by 3 pixels (width in pixels).
void ShearRow(benchmark::State& state, const std::string& form)
{
    const std::int32_t width = static_cast<std::int32_t>(state.range(0));
    std::unique_ptr<Omvi::RowShearer> shearer;
    int size = 1;
    if (form == "8bit_plain")
        shearer = std::make_unique<Omvi::EightBitRowShearer>(width);
    else if (form == "8bit_MMX")
        shearer = std::make_unique<Omvi::EightBitRowMMXShearer>(width);
    else if (form == "8bit_SSE2")
        shearer = std::make_unique<Omvi::EightBitRowSSE2Shearer>(width);
    else
    {
        size = 4;
        if (form == "32bit_plain")
            shearer = std::make_unique<Omvi::ThirtyTwoBitRowShearer>(4 * width);
        else
            shearer = std::make_unique<Omvi::ThirtyTwoBitRowMMXShearer>(4 * width);
    }
    Bytes table(256);
    for (int v = 0; v < 256; ++v)
        table[static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v * 0.37 + 0.5);
    const Bytes original = randomBytes(static_cast<std::size_t>(width + 8) * size, 8);
    Bytes row = original;
    for (auto _ : state)
    {
        shearer->shearRow(row.data() + 3 * size, row.data(), table.data());
        benchmark::ClobberMemory();
    }
    reportBytes(state, std::int64_t{width} * size);
}

const int kRegistered = [] {
    const std::vector<std::int64_t> rows = {4096, 65536};
    auto withRows = [&rows](benchmark::internal::Benchmark* b) {
        for (std::int64_t bytes : rows)
            b->Arg(bytes);
    };
    withRows(benchmark::RegisterBenchmark("memcpy", Memcpy));
    withRows(benchmark::RegisterBenchmark("memset", Memset));
    for (const char* form : {"copyBytes_plain", "copyBytes_wide", "fillRow32_plain", "fillRow32_wide"})
        withRows(benchmark::RegisterBenchmark((std::string("form/") + form).c_str(), Form, std::string(form)));
    for (int type = 0; type <= 4; ++type)
    {
        const std::string depth = kDepthNames[type];
        withRows(benchmark::RegisterBenchmark(("copy/" + depth).c_str(), Copy, type, false));
        withRows(benchmark::RegisterBenchmark(("copy_transparent/" + depth).c_str(), Copy, type, true));
        withRows(benchmark::RegisterBenchmark(("fill/" + depth).c_str(), Fill, type));
        for (int direction = 0; direction < 4; ++direction)
            withRows(benchmark::RegisterBenchmark(
                ("stitch_dir" + std::to_string(direction) + "/" + depth).c_str(), Stitch, type, direction));
        for (int direction = 0; direction < 2; ++direction)
        {
            withRows(benchmark::RegisterBenchmark(
                ("split_dir" + std::to_string(direction) + "/" + depth).c_str(), Split, type, direction, false));
            withRows(benchmark::RegisterBenchmark(
                ("split_transparent_dir" + std::to_string(direction) + "/" + depth).c_str(), Split, type,
                direction, true));
        }
    }
    withRows(benchmark::RegisterBenchmark("blend/32bit", Blend, false));
    withRows(benchmark::RegisterBenchmark("blend_transparent/32bit", Blend, true));
    for (const char* routine : {"scan", "copyBitRuns", "copyBitRunsTransparent", "copyBitsReversed", "copyBits"})
        withRows(benchmark::RegisterBenchmark((std::string("bitruns/") + routine).c_str(), BitRoutine,
                                              std::string(routine)));
    for (const char* form : {"8bit_plain", "8bit_MMX", "8bit_SSE2", "32bit_plain", "32bit_MMX"})
        benchmark::RegisterBenchmark((std::string("shear/") + form).c_str(), ShearRow, std::string(form))
            ->Arg(256)
            ->Arg(1280)
            ->Arg(4096);
    return 0;
}();

} // namespace
