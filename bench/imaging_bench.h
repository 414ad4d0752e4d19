#pragma once
// What the imaging benchmarks share: peak memory (this process's, or a
// child's as wait4 reports it), runs in a process of their own, peer tools
// run single-threaded, a scratch folder with an input picture, the wave
// picture the file-to-file runs start from, the generated RGB rows of the
// tiled-image runs, and rows read from and written to P6 files.
#include "imaging/DataBuffer.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace imaging_bench
{

using Clock = std::chrono::steady_clock;

inline double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

inline double megabytesOf(const rusage& usage)
{
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

// The peak resident set of this process so far.
inline double peakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return megabytesOf(usage);
}

// "peak MB", and "peak over baseline MB" against a peak taken before the
// runs.
inline void reportPeak(benchmark::State& state, double baselineMegabytes)
{
    const double peak = peakMegabytes();
    state.counters["peak MB"] = peak;
    state.counters["peak over baseline MB"] = peak - baselineMegabytes;
}

inline bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// One run in a process of its own: its time and the child's peak.
struct Outcome
{
    bool ok = false;
    double seconds = 0;
    double peakMegabytes = 0;
    std::vector<double> extras; // figures of its own a child run sent back
};

// Runs `work` in a child process; `work` answers the seconds it measured
// (negative on failure) and may fill `extraCount` further figures of its own
// in the array it is given, which come back as the outcome's extras.
inline Outcome inChild(std::size_t extraCount, const std::function<double(double* extras)>& work)
{
    int channel[2];
    if (pipe(channel) != 0)
        return {};
    std::vector<double> figures(1 + extraCount, 0.0);
    const std::size_t bytes = figures.size() * sizeof(double);
    const pid_t child = fork();
    if (child == 0)
    {
        close(channel[0]);
        figures[0] = -1;
        try
        {
            figures[0] = work(figures.data() + 1);
        }
        catch (...)
        {
            figures[0] = -1;
        }
        const ssize_t written = write(channel[1], figures.data(), bytes);
        _exit(written == static_cast<ssize_t>(bytes) ? 0 : 1);
    }
    close(channel[1]);
    Outcome outcome;
    figures[0] = -1;
    const bool got = child > 0 && ::read(channel[0], figures.data(), bytes) == static_cast<ssize_t>(bytes);
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child && got && figures[0] >= 0 && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0)
    {
        outcome.ok = true;
        outcome.seconds = figures[0];
        outcome.peakMegabytes = megabytesOf(usage);
        outcome.extras.assign(figures.begin() + 1, figures.end());
    }
    return outcome;
}

inline Outcome inChild(const std::function<double()>& work)
{
    return inChild(0, [&work](double*) { return work(); });
}

// Runs a peer tool single-threaded (ImageMagick, OpenMP and libvips all told
// so), its output silenced; its wall time and peak.
inline Outcome runTool(const std::vector<std::string>& arguments)
{
    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0)
    {
        setenv("MAGICK_THREAD_LIMIT", "1", 1);
        setenv("OMP_NUM_THREADS", "1", 1);
        setenv("VIPS_CONCURRENCY", "1", 1);
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
        outcome.peakMegabytes = megabytesOf(usage);
    }
    return outcome;
}

// A run's time as the iteration's (manual time), with "seconds" and
// "peak_MB"; a failed run skips with an error.
inline void report(benchmark::State& state, const Outcome& outcome)
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

// A scratch folder under $TMPDIR (`prefix`-XXXXXX) holding an input picture
// that `writeInput` makes when the folder is made; removed with what it
// holds.
class Workspace
{
public:
    Workspace(const char* prefix, const char* inputName, const std::function<bool(const std::string&)>& writeInput)
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern =
            std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        if (mkdtemp(buffer.data()) == nullptr)
            return;
        folder_ = buffer.data();
        input_ = file(inputName);
        if (!writeInput(input_))
            input_.clear();
    }
    ~Workspace()
    {
        if (!folder_.empty())
            static_cast<void>(std::system(("rm -rf '" + folder_ + "'").c_str()));
    }
    Workspace(const Workspace&) = delete;
    Workspace& operator=(const Workspace&) = delete;

    bool valid() const { return !input_.empty(); }
    const std::string& folder() const { return folder_; }
    const std::string& input() const { return input_; }
    std::string file(const std::string& name) const { return folder_ + "/" + name; }

private:
    std::string folder_;
    std::string input_;
};

// False, and the run skipped, when the workspace has no input picture.
inline bool ready(benchmark::State& state, const Workspace& workspace)
{
    if (!workspace.valid())
    {
        state.SkipWithError("no scratch folder for the input picture");
        return false;
    }
    return true;
}

// A side x side P6 picture of smooth waves and edges, with a little noise
// when `noisy`, written a row at a time.
inline bool writeWavesPpm(const std::string& path, int side, bool noisy)
{
    FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", side, side);
    std::vector<std::uint8_t> row(static_cast<std::size_t>(3 * side));
    std::uint32_t noise = 12345;
    for (int y = 0; y < side; ++y)
    {
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < 3; ++c)
            {
                double v = 128 + 70 * std::sin(x / (40.0 + 9 * c)) * std::cos(y / 55.0);
                v += ((x / 97 + y / 83) % 2 == 0) ? 25 : -25;
                if (noisy)
                {
                    noise = noise * 1664525u + 1013904223u;
                    v += static_cast<int>(noise >> 28) - 8;
                }
                row[static_cast<std::size_t>(3 * x + c)] = static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
            }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    return std::fclose(out) == 0;
}

// The pixel at (x, y) of the generated RGB images.
inline std::uint32_t pixelAt(std::int32_t x, std::int32_t y)
{
    return static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
}

// A side x side image of pixelAt, its rows made on demand, so that the
// source holds one row at most.
class GeneratedRgbRows : public Omvi::RowProviderInterface
{
public:
    explicit GeneratedRgbRows(std::int32_t side) : side_(side) {}

    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (next_ >= side_)
            return 0;
        auto* words = reinterpret_cast<std::uint32_t*>(row.data());
        for (std::int32_t x = 0; x < side_; ++x)
            words[x] = pixelAt(x, next_);
        ++next_;
        return side_ - next_;
    }
    std::int32_t rowsRemaining() const override { return side_ - next_; }
    Omvi::PixelPair size() const override { return {side_, side_}; }
    const Omvi::DataModel& dataModel() const override { return model_; }
    std::int32_t bytesPerRow() const override { return side_ * 4; }
    bool isValid() const override { return true; }

private:
    Omvi::RgbModel model_{32};
    std::int32_t side_;
    std::int32_t next_ = 0;
};

// Rows of a P6 file as 32-bit RGB pixels of 24 bits used; a short file
// reads on as black.
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

// Pulls every row of `provider` (32-bit RGB) and writes them to a P6 file.
inline bool writePpm(Omvi::RowProviderInterface& provider, const std::string& path)
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

} // namespace imaging_bench
