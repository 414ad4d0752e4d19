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
#include "imaging_bench.h"

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
#include <memory>
#include <string>
#include <vector>

namespace
{

using namespace imaging_bench;

constexpr int kSide = 5000;
constexpr int kBox = 4096;
constexpr double kPi = 3.14159265358979323846;

// Smooth waves and edges, written a row at a time.
bool writeInput(const std::string& path)
{
    return writeWavesPpm(path, kSide, false);
}

// The scratch folder with the input picture, made once and removed at exit.
Workspace& workspace()
{
    static Workspace instance("omvi-place", "in.ppm", writeInput);
    return instance;
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
    if (!ready(state, workspace()))
        return;
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
    if (!ready(state, workspace()))
        return;
    if (!haveTool("vips"))
    {
        state.SkipWithError("vips is not installed");
        return;
    }
    const std::string scale = std::to_string(static_cast<double>(kBox) / kSide);
    for (auto _ : state)
        report(state, runTool({"vips", "resize", workspace().input(), workspace().file("vips.ppm"), scale}));
}

} // namespace

BENCHMARK(BM_PlaceUpright)->Name("placement/ours/upright")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceMirrored)->Name("placement/ours/code6")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceTurned)->Name("placement/ours/turn30")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaceUprightOneStage)->Name("placement/ours/upright_one_stage")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VipsResize)->Name("placement/vips_resize")->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
