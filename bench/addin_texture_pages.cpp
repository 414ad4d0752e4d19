// The texture conversion of TIFF files of many pages: 1,000, 4,000 and
// 20,000 pages of 8 x 8 grey pixels, written by libtiff, each converted
// whole (every page counted and looked at, the first converted) by
// ConvertTextureImage into a private folder.
//
// Reports the seconds of a conversion (the median of the iterations), the
// read calls it made as the kernel counts them ("syscr" of /proc/self/io)
// and those per page. Work in proportion to the pages keeps the read calls
// per page the same from 1,000 pages to 20,000 and the time growing with
// the pages, not with their square.
#include "imaging_bench.h"
#include "median.h"

#include "addin/texture/TextureImageConverter.h"
#include "addin/texture/TextureOutputFolder.h"
#include "imaging/codecs/tests/ReadCallCount.h"
#include "platform/kernel/Path.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tiffio.h>
#include <vector>

namespace
{

using namespace imaging_bench;

const int kPageCounts[] = {1000, 4000, 20000};

// `pages` pages of 8 x 8 grey pixels, page p all of level p % 256.
bool writePages(const std::string& path, int pages)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr)
        return false;
    bool ok = true;
    std::vector<std::uint8_t> row(8);
    for (int p = 0; p < pages && ok; ++p)
    {
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, 8);
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, 8);
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
        TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 8);
        row.assign(8, static_cast<std::uint8_t>(p));
        for (std::uint32_t y = 0; y < 8 && ok; ++y)
            ok = TIFFWriteScanline(tiff, row.data(), y, 0) == 1;
        ok = ok && TIFFWriteDirectory(tiff) == 1;
    }
    TIFFClose(tiff);
    return ok;
}

std::string pagesName(int pages)
{
    return "pages" + std::to_string(pages) + ".tif";
}

bool writeInputs(const std::string& first)
{
    const std::string folder = first.substr(0, first.rfind('/'));
    for (const int pages : kPageCounts)
        if (!writePages(folder + "/" + pagesName(pages), pages))
            return false;
    return true;
}

Workspace& workspace()
{
    static Workspace instance("texture-pages-bench", pagesName(kPageCounts[0]).c_str(), writeInputs);
    return instance;
}

// The read calls of this process so far; 0 when the kernel does not say.
double readCalls()
{
    return static_cast<double>(OmviTest::readCallsSoFar().value_or(0));
}

void BM_TexturePages(benchmark::State& state)
{
    if (!ready(state, workspace()))
        return;
    const int pages = static_cast<int>(state.range(0));
    const std::string input = workspace().file(pagesName(pages));
    setenv("TMPDIR", workspace().folder().c_str(), 1);
    std::vector<double> seconds;
    double calls = 0;
    for (auto _ : state)
    {
        TextureOutputFolder folder;
        TextureImageConverter converter(folder);
        converter.setReportFailures(false);
        bool converted = false;
        const double callsBefore = readCalls();
        const auto start = Clock::now();
        converter.ConvertTextureImage(platform::path::fromNative(input), &converted);
        const double taken = secondsSince(start);
        calls = readCalls() - callsBefore;
        folder.remove();
        if (!converted || converter.details().fileFrames != pages)
        {
            state.SkipWithError("the conversion failed or did not count every page");
            return;
        }
        state.SetIterationTime(taken);
        seconds.push_back(taken);
    }
    state.counters["seconds"] = bench_figures::Median(seconds);
    state.counters["read_calls"] = calls;
    state.counters["read_calls_per_page"] = calls / pages;
}

BENCHMARK(BM_TexturePages)
    ->Name("texture/pages")
    ->Arg(kPageCounts[0])
    ->Arg(kPageCounts[1])
    ->Arg(kPageCounts[2])
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond);

} // namespace
