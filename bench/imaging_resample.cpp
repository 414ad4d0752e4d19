// Filtered resampling and three-shear rotation of a 5,000 x 5,000 RGB image,
// beside ImageMagick's convert and libvips' vips on the same file, each run
// single-threaded in a process of its own (MAGICK_THREAD_LIMIT=1,
// VIPS_CONCURRENCY=1) so that its peak memory is its own: the peak is the
// child's maximum resident set as wait4 reports it.
//
// - resample/ours_file/K: the PPM file streamed row by row through the
//   horizontal and vertical resamplers of kind K into a PPM file, to 90 %.
// - resample/ours_tiled/K: the same from a tiled image (built beforehand in
//   the child, untimed, paged to the scratch file under the default budget)
//   read a tile row at a time.
// - resample/convert/K: convert -filter F -resize 4500x4500!.
// - resample/vips/K: vips resize 0.9 --kernel, for the kinds that vips has
//   (linear, cubic = Catmull-Rom, not the same cubic as ours; lanczos3,
//   mitchell).
// - rotate30/ours, rotate30/convert: a 30-degree turn, file to file.
//
// Times are wall-clock seconds of the whole file-to-file run (the tiled run
// from its tiled image); "peak_MB" is the maximum resident set. The tools'
// runs also report the PSNR of their picture against ours of the same kind
// (16 pixels from the borders), and the tiled run whether it gave exactly
// the file run's picture.
#include "imaging/DataBuffer.h"
#include "imaging/Orientation.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/VerticalResamplers.h"
#include "imaging/session/OMVISession.h"
#include "imaging/shears/Rotate.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cctype>
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
constexpr int kTarget = 4500;
const char* const kConvertFilter[] = {"", "Triangle", "Hermite", "Quadratic", "Spline", "Lanczos", "Mitchell"};
const char* const kVipsKernel[] = {nullptr, "linear", "cubic", nullptr, nullptr, "lanczos3", "mitchell"};

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool haveTool(const char* tool)
{
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

// The scratch folder with the input picture, made once and removed at exit.
class Workspace
{
public:
    Workspace()
    {
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/omvi-bench-XXXXXX";
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
    // Smooth waves, edges and a little noise, written a row at a time.
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
        std::uint32_t noise = 12345;
        for (int y = 0; y < kSide; ++y)
        {
            for (int x = 0; x < kSide; ++x)
                for (int c = 0; c < 3; ++c)
                {
                    noise = noise * 1664525u + 1013904223u;
                    double v = 128 + 70 * std::sin(x / (40.0 + 9 * c)) * std::cos(y / 55.0);
                    v += ((x / 97 + y / 83) % 2 == 0) ? 25 : -25;
                    v += static_cast<int>(noise >> 28) - 8;
                    row[static_cast<std::size_t>(3 * x + c)] =
                        static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
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
            out[4 * x] = packed_[static_cast<std::size_t>(3 * x)];
            out[4 * x + 1] = packed_[static_cast<std::size_t>(3 * x + 1)];
            out[4 * x + 2] = packed_[static_cast<std::size_t>(3 * x + 2)];
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

// Rows of a tiled image, a tile row at a time.
class TiledRows : public Omvi::RowProviderInterface
{
public:
    explicit TiledRows(Omvi::TiledImage& image)
        : image_(image), band_(image.bytesPerTile() * tilesAcross())
    {
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        const Omvi::PixelPair size = image_.size();
        if (next_ >= size.y)
            return 0;
        const int edge = image_.tileEdge();
        const int across = tilesAcross();
        if (next_ % edge == 0)
            for (int k = 0; k < across; ++k)
            {
                Omvi::Tile* tile = image_.lockTileShared(next_ / edge, k);
                image_.loadTile(*tile, band_.data() + static_cast<std::size_t>(k) * image_.bytesPerTile());
                image_.unlockTileShared(tile);
            }
        const int line = next_ % edge;
        const int lineBytes = image_.bytesPerTileRow();
        for (int k = 0; k < across; ++k)
        {
            const int pixels = std::min(edge, size.x - k * edge);
            std::memcpy(row.data() + static_cast<std::size_t>(k) * edge * 4,
                        band_.data() + static_cast<std::size_t>(k) * image_.bytesPerTile() +
                            static_cast<std::size_t>(line) * lineBytes,
                        static_cast<std::size_t>(pixels) * 4);
        }
        return size.y - ++next_;
    }
    std::int32_t rowsRemaining() const override { return image_.size().y - next_; }
    Omvi::PixelPair size() const override { return image_.size(); }
    const Omvi::DataModel& dataModel() const override { return *image_.dataModel(); }
    std::int32_t bytesPerRow() const override
    {
        return static_cast<std::int32_t>(image_.dataModel()->bytesPerRow(image_.size().x));
    }
    bool isValid() const override { return true; }

private:
    int tilesAcross() const
    {
        std::int32_t down = 0, across = 0;
        image_.tileGrid(down, across);
        return across;
    }

    Omvi::TiledImage& image_;
    Omvi::DataBuffer band_;
    int next_ = 0;
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

// Our output of kind K, kept for the tools' runs to compare with.
std::string ours(int kind)
{
    return "ours-" + std::to_string(kind) + ".ppm";
}

Omvi::RowProviderInterface* resampled(Omvi::RowProviderInterface* source, int kind)
{
    auto* horizontal = new Omvi::RgbXResampler(source, kTarget, kind);
    return new Omvi::RgbYResampler(horizontal, kTarget, kind);
}

// Reads a P6 header (comments allowed) up to the first sample byte.
bool readPpmHeader(FILE* file, int& width, int& height)
{
    int values[3] = {0, 0, 0};
    if (std::fgetc(file) != 'P' || std::fgetc(file) != '6')
        return false;
    for (int& value : values)
    {
        int c = std::fgetc(file);
        while (c == '#' || std::isspace(c))
        {
            if (c == '#')
                while (c != '\n' && c != EOF)
                    c = std::fgetc(file);
            c = std::fgetc(file);
        }
        if (!std::isdigit(c))
            return false;
        while (std::isdigit(c))
        {
            value = value * 10 + (c - '0');
            c = std::fgetc(file);
        }
    }
    width = values[0];
    height = values[1];
    return values[2] == 255;
}

// PSNR in dB of two P6 files of the same size over the pixels at least
// `border` pixels inside; 0 when they cannot be compared, 99 when equal.
double filePsnr(const std::string& first, const std::string& second, int border)
{
    FILE* a = std::fopen(first.c_str(), "rb");
    FILE* b = std::fopen(second.c_str(), "rb");
    double result = 0;
    int wa = 0, ha = 0, wb = 0, hb = 0;
    if (a != nullptr && b != nullptr && readPpmHeader(a, wa, ha) && readPpmHeader(b, wb, hb) && wa == wb &&
        ha == hb && wa > 2 * border && ha > 2 * border)
    {
        std::vector<std::uint8_t> ra(static_cast<std::size_t>(3 * wa)), rb(ra.size());
        double squares = 0;
        double count = 0;
        for (int y = 0; y < ha; ++y)
        {
            if (std::fread(ra.data(), 1, ra.size(), a) != ra.size() || std::fread(rb.data(), 1, rb.size(), b) != rb.size())
                break;
            if (y < border || y >= ha - border)
                continue;
            for (std::size_t i = static_cast<std::size_t>(3 * border); i < ra.size() - 3 * border; ++i)
            {
                const double d = static_cast<double>(ra[i]) - rb[i];
                squares += d * d;
                count += 1;
            }
        }
        result = count == 0 ? 0 : squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * count / squares);
    }
    if (a != nullptr)
        std::fclose(a);
    if (b != nullptr)
        std::fclose(b);
    return result;
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
        ssize_t written = write(channel[1], &seconds, sizeof seconds);
        _exit(written == sizeof seconds ? 0 : 1);
    }
    close(channel[1]);
    Outcome outcome;
    double seconds = -1;
    const bool read = child > 0 && ::read(channel[0], &seconds, sizeof seconds) == sizeof seconds;
    close(channel[0]);
    int status = 0;
    rusage usage{};
    if (child > 0 && wait4(child, &status, 0, &usage) == child && read && seconds >= 0 && WIFEXITED(status) &&
        WEXITSTATUS(status) == 0)
    {
        outcome.ok = true;
        outcome.seconds = seconds;
        outcome.peakMegabytes = peakOf(usage);
    }
    return outcome;
}

// Runs a tool with the single-thread settings; its wall time and peak.
Outcome tool(const std::vector<std::string>& arguments)
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

bool ready(benchmark::State& state)
{
    if (!workspace().valid())
    {
        state.SkipWithError("no scratch folder for the input picture");
        return false;
    }
    return true;
}

void BM_ResampleOursFromFile(benchmark::State& state)
{
    if (!ready(state))
        return;
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state)
        report(state, inChild([kind] {
                   const auto start = Clock::now();
                   std::unique_ptr<Omvi::RowProviderInterface> chain(
                       resampled(new PpmRows(workspace().input()), kind));
                   if (!writePpm(*chain, workspace().file(ours(kind))))
                       return -1.0;
                   return secondsSince(start);
               }));
}

void BM_ResampleOursFromTiles(benchmark::State& state)
{
    if (!ready(state))
        return;
    const int kind = static_cast<int>(state.range(0));
    for (auto _ : state)
        report(state, inChild([kind] {
                   Omvi::OMVISession* session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
                   if (session == nullptr)
                       return -1.0;
                   double seconds = -1;
                   {
                       Omvi::TiledImage image;
                       std::unique_ptr<Omvi::RowProviderInterface> rows(new PpmRows(workspace().input()));
                       image.construct(rows, Omvi::BuildOrder::RowsTopDown, Omvi::kOrganisationDefault);
                       const auto start = Clock::now();
                       std::unique_ptr<Omvi::RowProviderInterface> chain(resampled(new TiledRows(image), kind));
                       if (writePpm(*chain, workspace().file("ours-tiled.ppm")))
                           seconds = secondsSince(start);
                   }
                   Omvi::OMVISession::destroy();
                   return seconds;
               }));
    // The tiled source gives the file source's picture, byte for byte.
    state.counters["same_as_file"] =
        filePsnr(workspace().file("ours-tiled.ppm"), workspace().file(ours(kind)), 0) == 99 ? 1 : 0;
}

void BM_ResampleConvert(benchmark::State& state)
{
    if (!ready(state))
        return;
    if (!haveTool("convert"))
    {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    const int kind = static_cast<int>(state.range(0));
    const std::string size = std::to_string(kTarget) + "x" + std::to_string(kTarget) + "!";
    for (auto _ : state)
        report(state, tool({"convert", workspace().input(), "-filter", kConvertFilter[kind], "-resize", size,
                            workspace().file("convert.ppm")}));
    state.counters["psnr_vs_ours_dB"] = filePsnr(workspace().file("convert.ppm"), workspace().file(ours(kind)), 16);
}

void BM_ResampleVips(benchmark::State& state)
{
    if (!ready(state))
        return;
    const int kind = static_cast<int>(state.range(0));
    if (kVipsKernel[kind] == nullptr)
    {
        state.SkipWithError("vips has no kernel of this kind");
        return;
    }
    if (!haveTool("vips"))
    {
        state.SkipWithError("vips is not installed");
        return;
    }
    for (auto _ : state)
        report(state, tool({"vips", "resize", workspace().input(), workspace().file("vips.ppm"), "0.9", "--kernel",
                            kVipsKernel[kind]}));
    state.counters["psnr_vs_ours_dB"] = filePsnr(workspace().file("vips.ppm"), workspace().file(ours(kind)), 16);
}

void BM_RotateOurs(benchmark::State& state)
{
    if (!ready(state))
        return;
    for (auto _ : state)
        report(state, inChild([] {
                   const auto start = Clock::now();
                   std::unique_ptr<Omvi::RowProviderInterface> chain(
                       new Omvi::Rotate(new PpmRows(workspace().input()), 30.0 * 3.14159265358979323846 / 180.0,
                                        Omvi::ImagePixel(Omvi::kPixelRgb, Omvi::RgbColor(0, 0, 0, 255).value),
                                        false));
                   if (!writePpm(*chain, workspace().file("ours-rotated.ppm")))
                       return -1.0;
                   return secondsSince(start);
               }));
}

void BM_RotateConvert(benchmark::State& state)
{
    if (!ready(state))
        return;
    if (!haveTool("convert"))
    {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    for (auto _ : state)
        report(state, tool({"convert", workspace().input(), "-background", "black", "-rotate", "30",
                            workspace().file("convert-rotated.ppm")}));
}

} // namespace

BENCHMARK(BM_ResampleOursFromFile)->Name("resample/ours_file")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleOursFromTiles)->Name("resample/ours_tiled")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleConvert)->Name("resample/convert")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleVips)->Name("resample/vips")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateOurs)->Name("rotate30/ours")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateConvert)->Name("rotate30/convert")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
