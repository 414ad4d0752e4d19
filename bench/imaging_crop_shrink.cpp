// The imaging road's anchor task: a 5,000 x 5,000 RGB tiled TIFF (256-pixel
// tiles, uncompressed) is cropped by 100 pixels on each side, shrunk to 90 %
// (4,800 -> 4,320 pixels a side, linear filter) and saved as a TIFF. Each
// run is a process of its own, single-threaded (MAGICK_THREAD_LIMIT=1,
// VIPS_CONCURRENCY=1), so that its peak memory is its own (the child's
// maximum resident set as wait4 reports it).
//
// - crop_shrink/ours_tiles: the file read descriptor, a tiled image over the
//   file's own tiles (the core's direct-read paging: nothing is decoded
//   before it is used), the crop read a tile row at a time, the horizontal
//   and vertical resamplers, and the file write descriptor with the TIFF
//   codec.
// - crop_shrink/ours_rows: the same from the TIFF frame's own sub-region row
//   iterator, without a tiled image in between.
// - crop_shrink/convert: convert -crop 4800x4800+100+100 -filter Triangle
//   -resize 4320x4320!.
// - crop_shrink/vips: vips affine with a 0.9 scale, bilinear, over the
//   output area of the crop (when libvips-tools is installed).
//
// Times are wall-clock seconds of the whole file-to-file run; "peak_MB" is
// the maximum resident set; the tools' runs report the PSNR of their picture
// against ours (16 pixels from the borders), ours the ratio of its time to
// vips' ("vs_vips", goal at most 2) when vips ran first.
//
// The runs crop by reading the tiles, or the frame's rows, of the region and
// shrink with the resamplers directly; placement's own dispatch (box
// fitting, orientation, rotation) is measured in imaging_placement.
#include "imaging_bench.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/SubRegionRowIteratorInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/descriptors/ReadRowProviderImp.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowProviderInterface.h"
#include "imaging/pipeline/RowProviderToRowIterator.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/VerticalResamplers.h"
#include "imaging/session/OMVISession.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <tiffio.h>
#include <vector>

namespace
{

using namespace imaging_bench;

constexpr int kSide = 5000;
constexpr int kTile = 256;
constexpr int kMargin = 100;
constexpr int kCrop = kSide - 2 * kMargin;  // 4800
constexpr int kTarget = kCrop * 9 / 10;     // 4320
constexpr int kLinear = 1;                  // the resamplers' linear (triangle) kind

Omvi::FileSpecifier specifierOf(const std::string& path)
{
    return Omvi::FileSpecifier(Omvi::AsciiStringBuffer(path), Omvi::FileSpecifier::kFile);
}

// Smooth waves, edges and a little noise, written a tile at a time.
bool writeInput(const std::string& path)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, kSide);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, kSide);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_TILEWIDTH, kTile);
    TIFFSetField(tiff, TIFFTAG_TILELENGTH, kTile);
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(kTile) * kTile * 3);
    bool ok = true;
    for (int y0 = 0; y0 < kSide && ok; y0 += kTile)
        for (int x0 = 0; x0 < kSide && ok; x0 += kTile)
        {
            std::uint32_t noise = static_cast<std::uint32_t>(x0 * 7919 + y0);
            for (int y = 0; y < kTile; ++y)
                for (int x = 0; x < kTile; ++x)
                    for (int c = 0; c < 3; ++c)
                    {
                        noise = noise * 1664525u + 1013904223u;
                        const int gx = x0 + x;
                        const int gy = y0 + y;
                        double v = 128 + 70 * std::sin(gx / (40.0 + 9 * c)) * std::cos(gy / 55.0);
                        v += ((gx / 97 + gy / 83) % 2 == 0) ? 25 : -25;
                        v += static_cast<int>(noise >> 28) - 8;
                        tile[static_cast<std::size_t>((y * kTile + x) * 3 + c)] =
                            static_cast<std::uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
                    }
            ok = TIFFWriteTile(tiff, tile.data(), static_cast<std::uint32_t>(x0), static_cast<std::uint32_t>(y0), 0, 0) >= 0;
        }
    TIFFClose(tiff);
    return ok;
}

// The scratch folder with the input picture, made once and removed at exit.
Workspace& workspace()
{
    static Workspace instance("omvi-crop", "in.tif", writeInput);
    return instance;
}

// The crop's rows read from a tiled image, a tile row (of the tile columns
// the crop covers) at a time.
class CroppedTileRows : public Omvi::RowProviderInterface
{
public:
    explicit CroppedTileRows(Omvi::TiledImage& image)
        : image_(image), model_(24), first_(kMargin / image.tileEdge()), last_((kMargin + kCrop - 1) / image.tileEdge()),
          band_(static_cast<std::int32_t>(image.bytesPerTile()) * (last_ - first_ + 1))
    {
    }
    std::int32_t getNextRow(Omvi::DataBuffer& row) override
    {
        if (next_ >= kCrop)
            return 0;
        const int edge = image_.tileEdge();
        const int y = kMargin + next_;
        if (next_ == 0 || y % edge == 0)
            for (int k = first_; k <= last_; ++k)
            {
                Omvi::Tile* tile = image_.lockTileShared(y / edge, k);
                image_.loadTile(*tile, band_.data() + static_cast<std::size_t>(k - first_) * image_.bytesPerTile());
                image_.unlockTileShared(tile);
            }
        const int line = y % edge;
        for (int x = 0; x < kCrop;)
        {
            const int column = (kMargin + x) / edge;
            const int from = (kMargin + x) % edge;
            const int run = std::min(edge - from, kCrop - x);
            std::memcpy(row.data() + static_cast<std::size_t>(x) * 4,
                        band_.data() + static_cast<std::size_t>(column - first_) * image_.bytesPerTile() +
                            static_cast<std::size_t>(line) * image_.bytesPerTileRow() + static_cast<std::size_t>(from) * 4,
                        static_cast<std::size_t>(run) * 4);
            x += run;
        }
        return kCrop - ++next_;
    }
    std::int32_t rowsRemaining() const override { return kCrop - next_; }
    Omvi::PixelPair size() const override { return {kCrop, kCrop}; }
    const Omvi::DataModel& dataModel() const override { return model_; }
    std::int32_t bytesPerRow() const override { return static_cast<std::int32_t>(model_.bytesPerRow(kCrop)); }
    bool isValid() const override { return true; }

private:
    Omvi::TiledImage& image_;
    Omvi::RgbModel model_;
    int first_;
    int last_;
    Omvi::DataBuffer band_;
    int next_ = 0;
};

Omvi::RowProviderInterface* shrunk(Omvi::RowProviderInterface* source)
{
    auto* horizontal = new Omvi::RgbXResampler(source, kTarget, kLinear);
    return new Omvi::RgbYResampler(horizontal, kTarget, kLinear);
}

// Writes the provider's rows as a TIFF through the file write descriptor;
// takes the provider over.
bool writeTiff(Omvi::RowProviderInterface* provider, const std::string& path)
{
    std::unique_ptr<Omvi::RowProviderInterface> rows(provider);
    Omvi::TiffFormatCodec codec;
    std::remove(path.c_str());
    Omvi::FileWriteDescriptor out(codec);
    if (!out.create(specifierOf(path)))
        return false;
    const Omvi::PixelPair size = rows->size();
    out.createImageFrame(rows->dataModel(), size.x, size.y);
    return out.isFrameValid() && out.writeImageFrame(rows.release()) == 1;
}

// PSNR in dB of two RGB TIFFs of the same size over the pixels at least
// `border` pixels inside, read through the codec; 0 when they cannot be
// compared, 99 when equal.
double filePsnr(const std::string& first, const std::string& second, int border)
{
    Omvi::TiffFormatCodec codec;
    std::unique_ptr<Omvi::ReadImageFileInterface> a(codec.openForRead(specifierOf(first)));
    std::unique_ptr<Omvi::ReadImageFileInterface> b(codec.openForRead(specifierOf(second)));
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> fa(a ? a->openFrame(0) : nullptr);
    std::unique_ptr<Omvi::ReadImageFileFrameInterface> fb(b ? b->openFrame(0) : nullptr);
    if (!fa || !fb)
        return 0;
    int wa = 0, ha = 0, wb = 0, hb = 0;
    fa->getSize(&ha, &wa);
    fb->getSize(&hb, &wb);
    std::unique_ptr<Omvi::RowIteratorInterface> ra(fa->newRowIterator());
    std::unique_ptr<Omvi::RowIteratorInterface> rb(fb->newRowIterator());
    if (!ra || !rb || wa != wb || ha != hb || wa <= 2 * border || ha <= 2 * border || ra->bytesPerRow() != rb->bytesPerRow())
        return 0;
    Omvi::DataBuffer rowA(ra->bytesPerRow());
    Omvi::DataBuffer rowB(rb->bytesPerRow());
    double squares = 0;
    double count = 0;
    ra->start();
    rb->start();
    for (int y = 0; y < ha; ++y)
    {
        ra->getRow(rowA);
        rb->getRow(rowB);
        ra->next();
        rb->next();
        if (y < border || y >= ha - border)
            continue;
        for (int x = border; x < wa - border; ++x)
            for (int c = 0; c < 3; ++c)
            {
                const double d = static_cast<double>(rowA.data()[4 * x + c]) - rowB.data()[4 * x + c];
                squares += d * d;
                count += 1;
            }
    }
    return count == 0 ? 0 : squares == 0 ? 99 : 10 * std::log10(255.0 * 255.0 * count / squares);
}

double vipsSeconds = 0;

void BM_Vips(benchmark::State& state)
{
    if (!ready(state, workspace()))
        return;
    if (!haveTool("vips"))
    {
        state.SkipWithError("vips is not installed (libvips-tools)");
        return;
    }
    const std::string area = std::to_string(kMargin * 9 / 10) + " " + std::to_string(kMargin * 9 / 10) + " " +
                             std::to_string(kTarget) + " " + std::to_string(kTarget);
    Outcome outcome;
    for (auto _ : state)
    {
        outcome = runTool({"vips", "affine", workspace().input(), workspace().file("vips.tif"), "0.9 0 0 0.9",
                           "--interpolate", "bilinear", "--oarea", area});
        report(state, outcome);
    }
    if (outcome.ok)
        vipsSeconds = outcome.seconds;
}

void BM_Convert(benchmark::State& state)
{
    if (!ready(state, workspace()))
        return;
    if (!haveTool("convert"))
    {
        state.SkipWithError("ImageMagick's convert is not installed");
        return;
    }
    const std::string crop = std::to_string(kCrop) + "x" + std::to_string(kCrop) + "+" + std::to_string(kMargin) + "+" +
                             std::to_string(kMargin);
    const std::string size = std::to_string(kTarget) + "x" + std::to_string(kTarget) + "!";
    for (auto _ : state)
        report(state, runTool({"convert", workspace().input(), "-crop", crop, "+repage", "-filter", "Triangle", "-resize",
                            size, "-depth", "8", workspace().file("convert.tif")}));
}

void BM_OursTiles(benchmark::State& state)
{
    if (!ready(state, workspace()))
        return;
    for (auto _ : state)
        report(state, inChild([] {
                   Omvi::OMVISession* session = Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
                   Omvi::TiffFormatCodec codec;
                   if (session == nullptr || !session->registerCodec(&codec))
                       return -1.0;
                   double seconds = -1;
                   {
                       const auto start = Clock::now();
                       Omvi::FileReadDescriptor descriptor(specifierOf(workspace().input()));
                       Omvi::TiledImage image;
                       if (image.construct(descriptor, Omvi::kOrganisationFromFile) &&
                           writeTiff(shrunk(new CroppedTileRows(image)), workspace().file("ours.tif")))
                           seconds = secondsSince(start);
                   }
                   Omvi::OMVISession::destroy();
                   return seconds;
               }));
    if (vipsSeconds > 0)
        state.counters["vs_vips"] = state.counters["seconds"] / vipsSeconds;
    state.counters["psnr_convert_dB"] = filePsnr(workspace().file("convert.tif"), workspace().file("ours.tif"), 16);
    state.counters["psnr_vips_dB"] = filePsnr(workspace().file("vips.tif"), workspace().file("ours.tif"), 16);
}

void BM_OursRows(benchmark::State& state)
{
    if (!ready(state, workspace()))
        return;
    for (auto _ : state)
        report(state, inChild([] {
                   const auto start = Clock::now();
                   Omvi::TiffFormatCodec codec;
                   std::unique_ptr<Omvi::ReadImageFileInterface> reader(codec.openForRead(specifierOf(workspace().input())));
                   std::unique_ptr<Omvi::ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
                   if (!frame)
                       return -1.0;
                   Omvi::RowIteratorInterface* rows = frame->newRowIterator();
                   auto* region = dynamic_cast<Omvi::SubRegionRowIteratorInterface*>(rows);
                   if (!region)
                   {
                       delete rows;
                       return -1.0;
                   }
                   region->setTopLeft(kMargin, kMargin);
                   region->setBottomRight(kMargin + kCrop - 1, kMargin + kCrop - 1);
                   const Omvi::RgbModel model(24);
                   if (!writeTiff(shrunk(new Omvi::ReadRowProviderImp(rows, model)), workspace().file("ours-rows.tif")))
                       return -1.0;
                   return secondsSince(start);
               }));
    if (vipsSeconds > 0)
        state.counters["vs_vips"] = state.counters["seconds"] / vipsSeconds;
    state.counters["same_as_tiles"] =
        filePsnr(workspace().file("ours-rows.tif"), workspace().file("ours.tif"), 0) == 99 ? 1 : 0;
}

} // namespace

BENCHMARK(BM_Vips)->Name("crop_shrink/vips")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Convert)->Name("crop_shrink/convert")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursTiles)->Name("crop_shrink/ours_tiles")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OursRows)->Name("crop_shrink/ours_rows")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
