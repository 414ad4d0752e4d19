// How fast host documents load: the bundled sample, a large generated
// drawing view whose arrays dominate, and a large part whose face arrays
// are nearly all of it, number after number.
#include "host/Loader.h"
#include "host/RecordLayout.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
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
// One face of `triangles` triangles on a waved plate: corners, normals and
// texture coordinates written with seven significant digits, as a host
// exports them.
std::string largePart(int triangles)
{
    std::string xml = "<host-document><document type=\"1\" title=\"large.PRT\" "
                      "active=\"1\"><body><face triangles=\"" +
                      std::to_string(triangles) + "\">";
    const char* const arrays[3] = {"triangles", "normals", "texture-coordinates"};
    char number[32];
    for (int array = 0; array < 3; ++array)
    {
        xml += std::string("<") + arrays[array] + ">";
        for (int corner = 0; corner < 3 * triangles; ++corner)
        {
            const double x = 1e-4 * (corner % 1000), y = 1e-4 * (corner / 1000);
            const double values[3] = {x, y, 0.002 * std::sin(40 * x) * std::cos(30 * y)};
            for (int i = 0; i < (array == 2 ? 2 : 3); ++i)
            {
                std::snprintf(number, sizeof number, "%.7g ",
                              array == 1 ? values[i] - 0.5 : values[i]);
                xml += number;
            }
            xml += '\n';
        }
        xml += std::string("</") + arrays[array] + ">";
    }
    return xml + "</face></body></document></host-document>";
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

static void BM_LoadLargePart(benchmark::State& state)
{
    const std::string xml = largePart(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(host::parseHostDocument(xml, u""));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(xml.size()));
    state.counters["numbers"] = benchmark::Counter(24.0 * static_cast<double>(state.range(0)) *
                                                       static_cast<double>(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadLargePart)->Arg(100000)->Unit(benchmark::kMillisecond);

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
