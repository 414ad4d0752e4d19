// How fast host documents load: the bundled sample, and a large generated
// drawing view whose arrays dominate.
#include "host/Loader.h"
#include "host/RecordLayout.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

namespace
{
std::string sample()
{
    std::ifstream in(QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string largeDocument(int lines)
{
    std::string xml =
        "<host-document><document type=\"3\"><drawing><sheet name=\"S\" "
        "properties=\"0 0 0 0 0 0.42 0.297\"><view type=\"1\"><sketch><lines kind=\"1\" count=\"" +
        std::to_string(lines) + "\">";
    for (int i = 0; i < lines; ++i)
        xml += "5 0 0 1 -1 0 0.0125 0.25 0 0.375 0.125 0\n";
    return xml + "</lines></sketch></view></sheet></drawing></document></host-document>";
}
} // namespace

static void BM_LoadSampleDrawing(benchmark::State& state)
{
    const std::string xml = sample();
    for (auto _ : state)
        benchmark::DoNotOptimize(host::parseHostDocument(xml, u""));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(xml.size()));
}
BENCHMARK(BM_LoadSampleDrawing);

static void BM_LoadLargeSketch(benchmark::State& state)
{
    const std::string xml = largeDocument(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(host::parseHostDocument(xml, u""));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(xml.size()));
}
BENCHMARK(BM_LoadLargeSketch)->Arg(1000)->Arg(100000);

static void BM_WalkSplines(benchmark::State& state)
{
    std::vector<double> data;
    for (int i = 0; i < 10000; ++i)
    {
        data.insert(data.end(), {5, 0, 0, 1, -1, 0, 4});
        data.insert(data.end(), 12, 0.5);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(host::layout::splines(10000, data));
}
BENCHMARK(BM_WalkSplines);
