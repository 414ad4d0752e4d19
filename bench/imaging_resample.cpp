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
#include "imaging_bench.h"

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
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace imaging_bench;

constexpr int kSide = 5000;
constexpr int kTarget = 4500;
const char* const kConvertFilter[] = {"", "Triangle", "Hermite", "Quadratic", "Spline", "Lanczos", "Mitchell"};
const char* const kVipsKernel[] = {nullptr, "linear", "cubic", nullptr, nullptr, "lanczos3", "mitchell"};

// Smooth waves, edges and a little noise, written a row at a time.
bool writeInput(const std::string& path)
{
    return writeWavesPpm(path, kSide, true);
}

// The scratch folder with the input picture, made once and removed at exit.
Workspace& workspace()
{
    static Workspace instance("omvi-bench", "in.ppm", writeInput);
    return instance;
}

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

void BM_ResampleOursFromFile(benchmark::State& state)
{
    if (!ready(state, workspace()))
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
    if (!ready(state, workspace()))
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
    if (!ready(state, workspace()))
        return;
    if (!haveTool("convert"))
    {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    const int kind = static_cast<int>(state.range(0));
    const std::string size = std::to_string(kTarget) + "x" + std::to_string(kTarget) + "!";
    for (auto _ : state)
        report(state, runTool({"convert", workspace().input(), "-filter", kConvertFilter[kind], "-resize", size,
                            workspace().file("convert.ppm")}));
    state.counters["psnr_vs_ours_dB"] = filePsnr(workspace().file("convert.ppm"), workspace().file(ours(kind)), 16);
}

void BM_ResampleVips(benchmark::State& state)
{
    if (!ready(state, workspace()))
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
        report(state, runTool({"vips", "resize", workspace().input(), workspace().file("vips.ppm"), "0.9", "--kernel",
                            kVipsKernel[kind]}));
    state.counters["psnr_vs_ours_dB"] = filePsnr(workspace().file("vips.ppm"), workspace().file(ours(kind)), 16);
}

void BM_RotateOurs(benchmark::State& state)
{
    if (!ready(state, workspace()))
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
    if (!ready(state, workspace()))
        return;
    if (!haveTool("convert"))
    {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    for (auto _ : state)
        report(state, runTool({"convert", workspace().input(), "-background", "black", "-rotate", "30",
                            workspace().file("convert-rotated.ppm")}));
}

} // namespace

BENCHMARK(BM_ResampleOursFromFile)->Name("resample/ours_file")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleOursFromTiles)->Name("resample/ours_tiled")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleConvert)->Name("resample/convert")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ResampleVips)->Name("resample/vips")->DenseRange(1, 6)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateOurs)->Name("rotate30/ours")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RotateConvert)->Name("rotate30/convert")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
