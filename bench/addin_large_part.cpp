// Publishing a large part through the quillcast program, from the host
// document on disk to the finished package: one face of n triangles, each
// with three corners of its own, a normal and texture coordinates per
// corner (a gently waved plate, numbers of seven significant digits). A
// million triangles make about 215 MB of XML.
//
// Reports the seconds per package and the program's peak resident memory
// beside the document's size and the raw triangle data (24 floats a
// triangle: 96 bytes). Goal: the peak at most 3x the document.
#include "quillcast_program.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace
{

using bench_program::PublishedDocument;
using bench_program::PublishGenerated;
using bench_program::Scratch;

Scratch& TheScratch()
{
    static Scratch scratch("qc-bench-part");
    return scratch;
}

// A corner of the plate's grid: position, normal, texture coordinates.
struct Corner
{
    double point[3];
    double normal[3];
    double uv[2];
};

Corner GridCorner(int i, int j, int columns)
{
    const double x = 0.1 * i / columns;
    const double y = 0.1 * j / columns;
    const double dx = 0.08 * std::cos(40 * x) * std::cos(30 * y);
    const double dy = -0.06 * std::sin(40 * x) * std::sin(30 * y);
    const double length = std::sqrt(dx * dx + dy * dy + 1);
    return {{x, y, 0.002 * std::sin(40 * x) * std::cos(30 * y)},
            {-dx / length, -dy / length, 1 / length},
            {static_cast<double>(i) / columns, static_cast<double>(j) / columns}};
}

// Writes the part; its path, or "" when it could not be written.
std::string WritePart(int triangles)
{
    const std::string path = TheScratch().path + "/part-" + std::to_string(triangles) + ".xml";
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return {};
    std::fprintf(out,
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
                 "<document type=\"1\" title=\"large.PRT\" active=\"1\">\n<body>\n"
                 "<face triangles=\"%d\">\n",
                 triangles);
    constexpr int kColumns = 1000;
    // Each grid square is two triangles, each triangle three corners.
    const auto corners = [&](int t, Corner (&three)[3])
    {
        const int square = t / 2;
        const int i = square % kColumns;
        const int j = square / kColumns;
        three[0] = GridCorner(i, j, kColumns);
        three[1] = t % 2 == 0 ? GridCorner(i + 1, j, kColumns) : GridCorner(i + 1, j + 1, kColumns);
        three[2] = t % 2 == 0 ? GridCorner(i + 1, j + 1, kColumns) : GridCorner(i, j + 1, kColumns);
    };
    const char* const names[3] = {"triangles", "normals", "texture-coordinates"};
    for (int array = 0; array < 3; ++array)
    {
        std::fprintf(out, "<%s>\n", names[array]);
        for (int t = 0; t < triangles; ++t)
        {
            Corner three[3];
            corners(t, three);
            for (const Corner& corner : three)
            {
                const double* values = array == 0 ? corner.point
                                        : array == 1 ? corner.normal
                                                     : corner.uv;
                for (int k = 0; k < (array == 2 ? 2 : 3); ++k)
                    std::fprintf(out, "%.7g ", values[k]);
            }
            std::fputc('\n', out);
        }
        std::fprintf(out, "</%s>\n", names[array]);
    }
    std::fprintf(out, "</face>\n</body>\n</document>\n</host-document>\n");
    const bool written = std::ferror(out) == 0;
    return std::fclose(out) == 0 && written ? path : std::string();
}

void BM_PublishLargePart(benchmark::State& state)
{
    const int triangles = static_cast<int>(state.range(0));
    PublishedDocument figures;
    if (!PublishGenerated(state, TheScratch(), [&] { return WritePart(triangles); }, figures))
        return;
    state.counters["document_MB"] = figures.documentMB;
    state.counters["raw_MB"] = 96.0 * triangles / 1e6;
    state.counters["peak_MB"] = figures.peakMB;
    state.counters["peak_per_document"] = figures.peakMB / figures.documentMB;
}

} // namespace

BENCHMARK(BM_PublishLargePart)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
