// Placement of a 5,000 x 5,000 RGB tiled image into a 4,096 x 4,096 box as
// the texture conversion asks for it (Mitchell, two stages, interpolating
// rotation): upright, mirrored top to bottom (orientation code 6), and
// turned by 30 degrees (scaled to fit the box), beside libvips' `vips
// resize` of the same picture to the same size. Every run is single-threaded
// in a process of its own (VIPS_CONCURRENCY=1) so that its peak memory is
// its own: the peak is the child's maximum resident set as wait4 reports it.
//
// - placement/ours/upright, placement/ours/code6, placement/ours/turn30: the
//   tiled image is built in the child from the PPM file beforehand (untimed,
//   paged to the scratch file under the session's default budget); the time
//   is the render and every row of the box written to a PPM file.
// - placement/ours/upright_one_stage: upright again, in one stage, so that
//   the reduction (0.82) is filtered with Mitchell rather than scaled
//   (which the two stages do for ratios between 0.3 and 3).
// - placement/vips_resize: `vips resize in.ppm out.ppm 0.8192`, file to
//   file.
//
// Counters: "seconds" (wall clock), "peak_MB" (maximum resident set of the
// whole child, building the tiled image included).
#include "imaging/DataBuffer.h"
#include "imaging/images/Image.h"
#include "imaging/images/ImageRep.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/placement/ImagePlacement.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/session/OMVISession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{

constexpr int kSide = 5000;
constexpr int kBox = 4096;
constexpr double kPi = 3.14159265358979323846;

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The scratch folder with the input picture, made once and removed at exit.
class Workspace
{
public:
    Workspace()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/omvi-place-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr)
            return;
        folder_ = buffer.data();
        input_ = folder_ + "/in.ppm";
        writeInput();
    }
    ~Workspace()
    {
        if (!folder_.empty())
            static_cast<void>(std::system(("rm -rf '" + folder_ + "'").c_str()));
    }
    bool valid() const { return !input_.empty(); }
    const std::string& input() const { return input_; }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

private:
    // Smooth waves and edges, written a row at a time.
    void writeInput()
    {
        FILE* out = std::fopen(input_.c_str(), "wb");
        if (out == nullptr)
        {
            input_.clear();
            return;
        }
        std::fprintf(out, "P6\n%d %d\n255\n", kSide, kSide);
        std::vector<std::uint8_t> row(3 * kSide);
        for (int y = 0; y < kSide; ++y)
        {
            for (int x = 0; x < kSide; ++x)
                for (int c = 0; c < 3; ++c)
                {
                    double v = 128 + 70 * std::sin(x / (40.0 + 9 * c)) * std::cos(y / 55.0);
                    v += ((x / 97 + y / 83) % 2 == 0) ? 25 : -25;
                    row[static_cast<std::size_t>(3 * x + c)] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
                }
            std::fwrite(row.data(), 1, row.size(), out);
        }
        if (std::fclose(out) != 0)
            input_.clear();
    }

    std::string folder_;
    std::string input_;
};

Workspace& workspace()
{
    static Workspace instance;
    return instance;
}

// Rows of a P6 file as 32-bit RGB pixels of 24 bits used.
class PpmRows : public Omvi::RowProviderInterface
{
public:
    explicit PpmRows(const std::string& path) : model_(24)
    {
        file_ = std::fopen(path.c_str(), "rb");
        int maximum = 0;
        if (file_ == nullptr || std::fscanf(file_, "P6 %d %d %d", &width_, &height_, &maximum) != 3)
            height_ = 0;
        else
            std::fgetc(file_);
        packed_.resize(static_cast<std::size_t>(3 * width_));
    }
    ~PpmRows() override
    {
        if (file_ != nullptr)
            std::fclose(file_);
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (next_ >= height_)
            return 0;
        if (std::fread(packed_.data(), 1, packed_.size(), file_) != packed_.size())
            std::memset(packed_.data(), 0, packed_.size());
        std::uint8_t* out = row.data();
        for (int x = 0; x < width_; ++x)
        {
            std::memcpy(out + 4 * x, &packed_[static_cast<std::size_t>(3 * x)], 3);
            out[4 * x + 3] = 255;
        }
        return height_ - ++next_;
    }
    std::int32_t rowsRemaining() const override { return height_ - next_; }
    Omvi::PixelPair size() const override { return {width_, height_}; }
    const Omvi::DataModel& dataModel() const override { return model_; }
    std::int32_t bytesPerRow() const override { return static_cast<std::int32_t>(model_.bytesPerRow(width_)); }
    bool isValid() const override { return file_ != nullptr && height_ > 0; }

private:
    Omvi::RgbModel model_;
    FILE* file_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    int next_ = 0;
    std::vector<std::uint8_t> packed_;
};

// Pulls every row of `provider` and writes them to a P6 file.
bool writePpm(Omvi::RowProviderInterface& provider, const std::string& path)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    const Omvi::PixelPair size = provider.size();
    std::fprintf(out, "P6\n%d %d\n255\n", size.x, size.y);
    Omvi::DataBuffer row(provider.bytesPerRow());
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(3 * size.x));
    for (int y = 0; y < size.y; ++y)
    {
        provider.getNextRow(row);
        for (int x = 0; x < size.x; ++x)
            std::memcpy(&packed[static_cast<std::size_t>(3 * x)], row.data() + 4 * x, 3);
        std::fwrite(packed.data(), 1, packed.size(), out);
    }
    return std::fclose(out) == 0;
}

struct Outcome
{
    bool ok = false;
    double seconds = 0;
    double peakMegabytes = 0;
};

double peakOf(const rusage& usage)
{
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// Runs `work` in a child process; `work` answers the seconds it measured
// (negative on failure).
Outcome inChild(const std::function<double()>& work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0)
    {
        close(channel[0]);
        double seconds = -1;
        try
        {
            seconds = work();
        }
        catch (...)
        {
        }
        const ssize_t written = write(channel[1], &seconds, sizeof seconds);
        _exit(written == sizeof seconds ? 0 : 1);
    }
    close(channel[1]);
    Outcome outcome;
    double seconds = -1;
    const bool got = child > 0 && ::read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child && got && seconds >= 0 && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0)
    {
        outcome.ok = true;
        outcome.seconds = seconds;
        outcome.peakMegabytes = peakOf(usage);
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
        setenv("VIPS_CONCURRENCY", "1", 1);
        setenv("OMP_NUM_THREADS", "1", 1);
        if (freopen("/dev/null", "w", stdout) == nullptr || freopen("/dev/null", "w", stderr) == nullptr)
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
    if (child > 0 && wait4(child, &status, 0, &usage) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0)
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
}

struct Destination
{
    Omvi::Point2d origin;
    Omvi::Vector2d widthAxis;
    Omvi::Vector2d heightAxis;
};

Destination destinationFor(int layout)
{
    switch (layout)
    {
    case 0: // upright
        return {Omvi::Point2d(0.0, 0.0), Omvi::Vector2d(kBox, 0.0), Omvi::Vector2d(0.0, kBox)};
    case 1: // mirrored top to bottom: orientation code 6
        return {Omvi::Point2d(0.0, double(kBox)), Omvi::Vector2d(kBox, 0.0), Omvi::Vector2d(0.0, -kBox)};
    default:
    {
        // Turned by 30 degrees, scaled so that the turned square fills the
        // box, centred.
        const double a = 30.0 * kPi / 180.0;
        const double side = kBox / (std::cos(a) + std::sin(a));
        const Omvi::Vector2d width(side * std::cos(a), side * std::sin(a));
        const Omvi::Vector2d height(-side * std::sin(a), side * std::cos(a));
        return {Omvi::Point2d(kBox / 2.0 - (width.x + height.x) / 2, kBox / 2.0 - (width.y + height.y) / 2), width,
                height};
    }
    }
}

void place(benchmark::State& state, int layout, bool twoStage)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no scratch folder for the input picture");
        return;
    }
    for (auto _ : state)
        report(state, inChild([layout, twoStage] {
                   Omvi::OMVISession* session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
                   if (session == nullptr)
                       return -1.0;
                   double seconds = -1;
                   {
                       Omvi::Image image(new PpmRows(workspace().input()), Omvi::BuildOrder::RowsTopDown,
                                         Omvi::kOrganisationDefault);
                       const auto start = Clock::now();
                       Omvi::ImagePlacement placement(&image, {kBox, kBox});
                       const Destination d = destinationFor(layout);
                       placement.setDestination(d.origin, d.widthAxis, d.heightAxis);
                       std::unique_ptr<Omvi::RowProviderInterface> chain(
                           placement.render(Omvi::kResampleMitchell, twoStage, 0));
                       if (chain && writePpm(*chain, workspace().file("ours.ppm")))
                           seconds = secondsSince(start);
                   }
                   Omvi::OMVISession::destroy();
                   return seconds;
               }));
}

void BM_PlaceUpright(benchmark::State& state)
{
    place(state, 0, true);
}

void BM_PlaceMirrored(benchmark::State& state)
{
    place(state, 1, true);
}

void BM_PlaceTurned(benchmark::State& state)
{
    place(state, 2, true);
}

void BM_PlaceUprightOneStage(benchmark::State& state)
{
    place(state, 0, false);
}

void BM_VipsResize(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no scratch folder for the input picture");
        return;
    }
    if (std::system("command -v vips >/dev/null 2>&1") != 0)
    {
        state.SkipWithError("vips is not installed");
        return;
    }
    const std::string scale = std::to_string(static_cast<double>(kBox) / kSide);
    for (auto _ : state)
        report(state, tool({"vips", "resize", workspace().input(), workspace().file("vips.ppm"), scale}));
}

} // namespace

BENCHMARK(BM_PlaceUpright)->Name("placement/ours/upright")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceMirrored)->Name("placement/ours/code6")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceTurned)->Name("placement/ours/turn30")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceUprightOneStage)->Name("placement/ours/upright_one_stage")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsResize)->Name("placement/vips_resize")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
