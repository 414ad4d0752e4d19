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
// Goal: at most twice libvips' time and a peak under 100 MB.
#include "addin/texture/TextureImageConverter.h"
#include "addin/texture/TextureOutputFolder.h"
#include "platform/kernel/Path.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kSide = 5000;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// The scratch folder with the two TIFF inputs, made once, removed at exit.
class Workspace
{
public:
    Workspace()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/texture-bench-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr)
            return;
        folder_ = buffer.data();
        const std::string ppm = file("in.ppm");
        if (!writePicture(ppm) || !haveTool("convert"))
            return;
        // The inputs are made by the tools themselves, so that every reader
        // in the comparison sees a file an independent writer made.
        const std::string strips = file("strips.tif");
        const std::string tiles = file("tiles.tif");
        if (std::system(("convert " + quoted(ppm) + " -compress lzw " + quoted(strips)).c_str()) !=
            0)
            return;
        const std::string tiling =
            haveTool("tiffcp")
                ? "tiffcp -c lzw -t -w 256 -l 256 " + quoted(strips) + " " + quoted(tiles)
                : "convert " + quoted(ppm) + " -compress lzw -define tiff:tile-geometry=256x256 " +
                      quoted(tiles);
        if (std::system(tiling.c_str()) != 0)
            return;
        std::remove(ppm.c_str());
        ready_ = true;
    }
    ~Workspace()
    {
        if (!folder_.empty())
            static_cast<void>(std::system(("rm -rf " + quoted(folder_)).c_str()));
    }
    bool ready() const { return ready_; }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }
    const std::string& folder() const { return folder_; }

private:
    // Smooth waves and edges, written a row at a time.
    static bool writePicture(const std::string& path)
    {
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr)
            return false;
        std::fprintf(out, "P6\n%d %d\n255\n", kSide, kSide);
        std::vector<std::uint8_t> row(3 * kSide);
        for (int y = 0; y < kSide; ++y)
        {
            for (int x = 0; x < kSide; ++x)
                for (int c = 0; c < 3; ++c)
                {
                    double v = 128 + 70 * std::sin(x / (40.0 + 9 * c)) * std::cos(y / 55.0);
                    v += ((x / 97 + y / 83) % 2 == 0) ? 25 : -25;
                    row[static_cast<std::size_t>(3 * x + c)] =
                        static_cast<std::uint8_t>(v < 0     ? 0
                                                  : v > 255 ? 255
                                                            : v);
                }
            std::fwrite(row.data(), 1, row.size(), out);
        }
        return std::fclose(out) == 0;
    }

    std::string folder_;
    bool ready_ = false;
};

Workspace& workspace()
{
    static Workspace instance;
    return instance;
}

struct Outcome
{
    bool ok = false;
    double seconds = 0;
    double peakMegabytes = 0;
    double w2dShare = -1;
    double jpegMegabytes = -1;
};

double peakOf(const rusage& usage)
{
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Converts `input` in a child process; the child sends back the seconds
// of the whole conversion and those of its W2D stream.
Outcome ours(const std::string& input)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0)
    {
        close(channel[0]);
        double figures[3] = {-1, 0, 0};
        setenv("TMPDIR", workspace().folder().c_str(), 1);
        {
            TextureOutputFolder folder;
            TextureImageConverter converter(folder);
            converter.setReportFailures(false);
            bool converted = false;
            const auto start = Clock::now();
            converter.ConvertTextureImage(platform::path::fromNative(input), &converted);
            if (converted)
            {
                figures[0] = secondsSince(start);
                figures[1] = converter.details().secondsWritingW2D;
                figures[2] = static_cast<double>(converter.details().jpegBytes);
            }
            else
            {
                std::fprintf(stderr, "conversion failed: %s\n",
                             platform::path::toNative(converter.failure()).c_str());
            }
            folder.remove();
        }
        const ssize_t written = write(channel[1], figures, sizeof figures);
        _exit(written == sizeof figures ? 0 : 1);
    }
    close(channel[1]);
    double figures[3] = {-1, 0, 0};
    const bool read = child > 0 && ::read(channel[0], figures, sizeof figures) == sizeof figures;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    Outcome outcome;
    if (child > 0 && wait4(child, &status, 0, &usage) == child && read && figures[0] >= 0 &&
        WIFEXITED(status) && WEXITSTATUS(status) == 0)
    {
        outcome.ok = true;
        outcome.seconds = figures[0];
        outcome.peakMegabytes = peakOf(usage);
        outcome.w2dShare = figures[1] / figures[0];
        outcome.jpegMegabytes = figures[2] / 1e6;
    }
    return outcome;
}

// Runs a tool single-threaded; its wall time and peak.
Outcome tool(const std::vector<std::string>& arguments)
{
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        setenv("MAGICK_THREAD_LIMIT", "1", 1);
        setenv("OMP_NUM_THREADS", "1", 1);
        setenv("VIPS_CONCURRENCY", "1", 1);
        if (freopen("/dev/null", "w", stdout) == nullptr ||
            freopen("/dev/null", "w", stderr) == nullptr)
            _exit(126);
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0)
    {
        outcome.ok = true;
        outcome.seconds = secondsSince(start);
        outcome.peakMegabytes = peakOf(usage);
    }
    return outcome;
}

void report(benchmark::State& state, const Outcome& outcome)
{
    if (!outcome.ok)
    {
        state.SkipWithError("run failed");
        return;
    }
    state.SetIterationTime(outcome.seconds);
    state.counters["seconds"] = outcome.seconds;
    state.counters["peak_MB"] = outcome.peakMegabytes;
    state.counters["Mpixel_per_s"] = double(kSide) * kSide / 1e6 / outcome.seconds;
    if (outcome.w2dShare >= 0)
        state.counters["w2d_share"] = outcome.w2dShare;
    if (outcome.jpegMegabytes >= 0)
        state.counters["jpeg_MB"] = outcome.jpegMegabytes;
}

const char* const kLayouts[] = {"strips", "tiles"};

std::string input(benchmark::State& state)
{
    return workspace().file(std::string(kLayouts[state.range(0)]) + ".tif");
}

void BM_TextureOurs(benchmark::State& state)
{
    if (!workspace().ready())
    {
        state.SkipWithError("no inputs (ImageMagick's convert is needed to write them)");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        report(state, ours(input(state)));
}

void BM_TextureConvert(benchmark::State& state)
{
    if (!workspace().ready())
    {
        state.SkipWithError("no inputs");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        report(state,
               tool({"convert", input(state), "-quality", "75", workspace().file("convert.jpg")}));
}

void BM_TextureVips(benchmark::State& state)
{
    if (!workspace().ready() || !haveTool("vips"))
    {
        state.SkipWithError("libvips' vips is not installed");
        return;
    }
    state.SetLabel(kLayouts[state.range(0)]);
    for (auto _ : state)
        report(state,
               tool({"vips", "copy", input(state), workspace().file("vips.jpg") + "[Q=75]"}));
}

BENCHMARK(BM_TextureOurs)
    ->Name("texture/ours")
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_TextureConvert)
    ->Name("texture/convert")
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(BM_TextureVips)
    ->Name("texture/vips")
    ->DenseRange(0, 1)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

} // namespace
