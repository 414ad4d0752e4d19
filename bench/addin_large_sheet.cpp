// Publishing one sheet whose W2D stream passes a gigabyte, through the
// quillcast program, and the program's peak memory beside the stream's size.
// The sheet's geometry is a chain of identical long parabolas, each touching
// the one before, so that the writer may join them: memory must follow the
// largest record, not the stream. Each case runs a sheet a tenth the size
// first; the large run reports its peak as a ratio of the small one's.
//
// - Instanced: a block of 4,600 chained parabolas placed 2 and 20 times. The
//   document stays the same size while the stream grows tenfold, so the
//   peak shows what the stream costs.
// - Chained: 9,200 and 92,000 chained parabolas on the sheet itself. The
//   document grows with the stream, and the host's copy of it with it.
//
// Goals: peak memory under 200 MB for the gigabyte stream, and within 1.2x
// of the peak for the tenth (for the instanced sheet, whose document does not
// grow).
#include "quillcast_program.h"

#include "dwfcore/String.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/Reader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace
{

// About 11.8 KB of stream each: 92,000 of them make a stream above 1 GiB.
constexpr int kLargeSheetParabolas = 92000;
// A block of 4,600 placed 20 times: 1.1 GB.
constexpr int kBlockParabolas = 4600;
constexpr int kLargeSheetInstances = 20;

using bench_program::ProgramBesideThis;
using bench_program::PublishEachIteration;
using bench_program::Scratch;

Scratch& TheScratch()
{
    static Scratch scratch("qc-bench-sheet");
    return scratch;
}

const char* const kParabola = "255 0 0 1 -1 0 -0.2 0.1 0 0.2 0.1 0 0 0.05 0 0 0 0\n";

std::string WriteChainedDrawing(int parabolas)
{
    const std::string path =
        TheScratch().path + "/chained-" + std::to_string(parabolas) + ".xml";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"3\" title=\"chain.DRW\">\n<drawing>\n"
           "<sheet name=\"Sheet1\" properties=\"0 0 0 0 0 0.42 0.297\">\n"
           "<view name=\"Sheet1\" type=\"1\">\n<sketch>\n<parabolas count=\""
        << parabolas << "\">\n";
    for (int i = 0; i < parabolas; ++i)
        out << kParabola;
    out << "</parabolas>\n</sketch>\n</view>\n</sheet>\n</drawing>\n</document>\n"
           "</host-document>\n";
    return path;
}

std::string WriteInstancedDrawing(int instances)
{
    const std::string path =
        TheScratch().path + "/instanced-" + std::to_string(instances) + ".xml";
    std::ofstream out(path);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
           "<document type=\"3\" title=\"blocks.DRW\">\n"
           "<block-definition id=\"chain\">\n<sketch>\n<parabolas count=\""
        << kBlockParabolas << "\">\n";
    for (int i = 0; i < kBlockParabolas; ++i)
        out << kParabola;
    out << "</parabolas>\n</sketch>\n</block-definition>\n<drawing>\n"
           "<sheet name=\"Sheet1\" properties=\"0 0 0 0 0 0.42 0.297\">\n"
           "<view name=\"Sheet1\" type=\"1\">\n";
    for (int i = 0; i < instances; ++i)
    {
        // Each a millimetre right of the one before.
        char x[16];
        std::snprintf(x, sizeof x, "0.2%02d", i);
        out << "<block-instance definition=\"chain\" angle=\"0\" scale=\"1\">"
               "<annotation type=\"5\" position=\""
            << x << " 0.15 0\"/></block-instance>\n";
    }
    out << "</view>\n</sheet>\n</drawing>\n</document>\n</host-document>\n";
    return path;
}

// The uncompressed size of the package's W2D entry.
double StreamBytes(const std::string& package)
{
    using namespace DWFCore;
    zipio::ZipReader* reader = zipio::unzOpenFile(DWFString(package.c_str()));
    if (!reader)
        return 0;
    double bytes = 0;
    for (int status = zipio::unzFirstEntry(reader); status == zipio::kOk;
         status = zipio::unzNextEntry(reader))
    {
        zipio::ZipEntryInfo info{};
        char name[1024] = {};
        if (zipio::unzGetEntryInfo(reader, &info, name, sizeof name, nullptr, 0, nullptr, 0) ==
                zipio::kOk &&
            std::string(name).size() > 4 &&
            std::string(name).substr(std::string(name).size() - 4) == ".w2d")
            bytes += static_cast<double>(info.uncompressedSize);
    }
    zipio::unzClose(reader);
    return bytes;
}

// Peaks by case and size, for the ratio of each large run to its tenth.
std::map<std::string, std::map<int, double>>& Peaks()
{
    static std::map<std::string, std::map<int, double>> peaks;
    return peaks;
}

void PublishSheet(benchmark::State& state, const std::string& kind, const std::string& document,
                  int size)
{
    const std::string program = ProgramBesideThis();
    const std::string package = TheScratch().path + "/sheet.dwf";
    const long peakKilobytes = PublishEachIteration(state, program, document, package);
    if (peakKilobytes < 0)
        return;
    const double stream = StreamBytes(package);
    const double peak = static_cast<double>(peakKilobytes) / 1024.0;
    Peaks()[kind][size] = peak;
    state.counters["stream_MB"] = stream / 1e6;
    state.counters["peak_MB"] = peak;
    state.counters["stream_MB_per_s"] =
        benchmark::Counter(stream / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    const auto tenth = Peaks()[kind].find(size / 10);
    if (tenth != Peaks()[kind].end() && tenth->second > 0)
        state.counters["peak_vs_tenth"] = peak / tenth->second;
    std::remove(package.c_str());
    std::remove(document.c_str());
}

bool Ready(benchmark::State& state)
{
    if (::access(ProgramBesideThis().c_str(), X_OK) != 0 || TheScratch().path.empty())
    {
        state.SkipWithError("the quillcast program is not built beside this benchmark");
        return false;
    }
    return true;
}

void BM_PublishInstancedSheet(benchmark::State& state)
{
    const int instances = static_cast<int>(state.range(0));
    if (Ready(state))
        PublishSheet(state, "instanced", WriteInstancedDrawing(instances), instances);
}

void BM_PublishChainedSheet(benchmark::State& state)
{
    const int parabolas = static_cast<int>(state.range(0));
    if (Ready(state))
        PublishSheet(state, "chained", WriteChainedDrawing(parabolas), parabolas);
}

} // namespace

BENCHMARK(BM_PublishInstancedSheet)
    ->Arg(kLargeSheetInstances / 10)
    ->Arg(kLargeSheetInstances)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK(BM_PublishChainedSheet)
    ->Arg(kLargeSheetParabolas / 10)
    ->Arg(kLargeSheetParabolas)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
