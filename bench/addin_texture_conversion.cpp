// The texture conversion of a 5,000 x 5,000 TIFF texture (LZW, in strips and
// in 256 x 256 tiles) to JPEG at quality 75, beside ImageMagick's convert
// and (when installed) libvips' vips copy of the same file, in the same run.
// Every run is a process of its own, single-threaded for the tools
// (MAGICK_THREAD_LIMIT=1, VIPS_CONCURRENCY=1), so that its peak memory is
// its own: the peak is the child's maximum resident set as wait4 reports.
//
// - texture/ours/strips, texture/ours/tiles: ConvertTextureImage into a
//   private folder, file to file; "w2d_share" is the part of the time spent
//   writing the W2D stream that the JPEG then replaces.
// - texture/convert/...: convert in.tif -quality 75 out.jpg.
// - texture/vips/...: vips copy in.tif out.jpg[Q=75].
//
// - texture/read/ours/jpeg, .../png: ReadTextureImage of a 5,000 x 5,000
//   JPEG (quality 90) and PNG of the same pixels, the whole-file decode a
//   texture taken without conversion gets before it goes into the package.
// - texture/read/convert/...: convert in.jpg null:, ImageMagick decoding
//   the same file.
//
// Goal: at most twice libvips' time and a peak under 100 MB; a read at most
// ImageMagick's decoding time, its peak that of a few rows.
#include "imaging_bench.h"

#include "addin/texture/TextureImageConverter.h"
#include "addin/texture/TextureOutputFolder.h"
#include "platform/kernel/Path.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{

using namespace imaging_bench;

constexpr int kSide = 5000;

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// Writes the two TIFF inputs, strips at `strips` and tiles beside it.
// The inputs are made by the tools themselves, so that every reader in the
// comparison sees a file an independent writer made.
bool writeInputs(const std::string& strips)
{
    const std::string folder = strips.substr(0, strips.rfind('/'));
    const std::string ppm = folder + "/in.ppm";
    const std::string tiles = folder + "/tiles.tif";
    if (!writeWavesPpm(ppm, kSide, false) || !haveTool("convert"))
        return false;
    if (std::system(("convert " + quoted(ppm) + " -compress lzw " + quoted(strips)).c_str()) != 0)
        return false;
    const std::string tiling =
        haveTool("tiffcp")
            ? "tiffcp -c lzw -t -w 256 -l 256 " + quoted(strips) + " " + quoted(tiles)
            : "convert " + quoted(ppm) + " -compress lzw -define tiff:tile-geometry=256x256 " + quoted(tiles);
    if (std::system(tiling.c_str()) != 0)
        return false;
    for (const char* name : {"big.jpg", "big.png"})
        if (std::system(("convert " + quoted(ppm) + " -quality 90 " + quoted(folder + "/" + name)).c_str()) != 0)
            return false;
    std::remove(ppm.c_str());
    return true;
}

// The scratch folder with the two TIFF inputs, made once, removed at exit.
Workspace& workspace()
{
    static Workspace instance("texture-bench", "strips.tif", writeInputs);
    return instance;
}

// Converts `input` in a child process; the child sends back the seconds
// of the whole conversion, and as extras those of its W2D stream and the
// JPEG's size in bytes.
Outcome ours(const std::string& input)
{
    return inChild(2, [&input](double* extras) {
        setenv("TMPDIR", workspace().folder().c_str(), 1);
        TextureOutputFolder folder;
        TextureImageConverter converter(folder);
        converter.setReportFailures(false);
        bool converted = false;
        const auto start = Clock::now();
        converter.ConvertTextureImage(platform::path::fromNative(input), &converted);
        double seconds = -1;
        if (converted)
        {
            seconds = secondsSince(start);
            extras[0] = converter.details().secondsWritingW2D;
            extras[1] = static_cast<double>(converter.details().jpegBytes);
        }
        else
        {
            std::fprintf(stderr, "conversion failed: %s\n", platform::path::toNative(converter.failure()).c_str());
        }
        folder.remove();
        return seconds;
    });
}

// The run's time and peak, its pixel rate, and for our runs the W2D share
// of the time and the JPEG's size.
void reportConversion(benchmark::State& state, const Outcome& outcome)
{
    report(state, outcome);
    if (!outcome.ok)
        return;
    state.counters["Mpixel_per_s"] = double(kSide) * kSide / 1e6 / outcome.seconds;
    if (outcome.extras.size() == 2)
    {
        state.counters["w2d_share"] = outcome.extras[0] / outcome.seconds;
        state.counters["jpeg_MB"] = outcome.extras[1] / 1e6;
    }
}

const char* const kLayouts[] = {"strips", "tiles"};

std::string input(benchmark::State& state)
{
    return workspace().file(std::string(kLayouts[state.range(0)]) + ".tif");
}

void BM_TextureOurs(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no inputs (ImageMagick's convert is needed to write them)");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        reportConversion(state, ours(input(state)));
}

void BM_TextureConvert(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no inputs");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        reportConversion(state, runTool({"convert", input(state), "-quality", "75", workspace().file("convert.jpg")}));
}

void BM_TextureVips(benchmark::State& state)
{
    if (!workspace().valid() || !haveTool("vips"))
    {
        state.SkipWithError("libvips' vips is not installed");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        reportConversion(state, runTool({"vips", "copy", input(state), workspace().file("vips.jpg") + "[Q=75]"}));
}

const char* const kTakenAsTheyAre[] = {"jpg", "png"};

std::string takenAsItIs(benchmark::State& state)
{
    return workspace().file(std::string("big.") + kTakenAsTheyAre[state.range(0)]);
}

void BM_TextureReadOurs(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no inputs (ImageMagick's convert is needed to write them)");
        return;
    }
    state.SetLabel(kTakenAsTheyAre[state.range(0)]);
    for (auto _ : state)
    {
        const std::string path = takenAsItIs(state);
        const Outcome outcome = inChild([&path] {
            setenv("TMPDIR", workspace().folder().c_str(), 1);
            TextureOutputFolder folder;
            TextureImageConverter converter(folder);
            converter.setReportFailures(false);
            const auto start = Clock::now();
            const TextureFileFormat format = converter.ReadTextureImage(platform::path::fromNative(path));
            if (format != TextureFileFormat::Jpeg && format != TextureFileFormat::Png)
            {
                std::fprintf(stderr, "reading failed: %s\n", platform::path::toNative(converter.failure()).c_str());
                return -1.0;
            }
            return secondsSince(start);
        });
        reportConversion(state, outcome);
    }
}

void BM_TextureReadConvert(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no inputs");
        return;
    }
    state.SetLabel(kTakenAsTheyAre[state.range(0)]);
    for (auto _ : state)
        reportConversion(state, runTool({"convert", takenAsItIs(state), "null:"}));
}

// Every case runs once for each of its two inputs and is timed by hand: a
// conversion takes seconds, and each run is a process of its own.
void oncePerInput(benchmark::internal::Benchmark* b)
{
    b->DenseRange(0, 1)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);
}

BENCHMARK(BM_TextureReadOurs)->Name("texture/read/ours")->Apply(oncePerInput);
BENCHMARK(BM_TextureReadConvert)->Name("texture/read/convert")->Apply(oncePerInput);
BENCHMARK(BM_TextureOurs)->Name("texture/ours")->Apply(oncePerInput);
BENCHMARK(BM_TextureConvert)->Name("texture/convert")->Apply(oncePerInput);
BENCHMARK(BM_TextureVips)->Name("texture/vips")->Apply(oncePerInput);

} // namespace
