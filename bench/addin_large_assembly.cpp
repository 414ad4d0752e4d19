// Publishing a large assembly through the quillcast program, from the host
// document on disk to the finished package. The document is written as a
// host writes one: components that report their bodies, each of 40 faces
// of one triangle with its normals, placed in a grid; every four components
// show one part document of their own, so that the assembly names a
// document for each part.
//
// Reports the seconds per package and the program's peak resident memory
// beside the document's size and its number of faces. Goals: the time per
// face the same at 4,000 and at 16,000 components (it grows at most in
// proportion to the faces), the peak at most 5x the document.
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

constexpr int kFaces = 40;
constexpr int kComponentsAPart = 4;

Scratch& TheScratch()
{
    static Scratch scratch("qc-bench-assembly");
    return scratch;
}

// Face f of a part: a triangle of the fan about its axis, from the apex
// down to two neighbouring points of its rim.
void WriteFace(std::FILE* out, int f)
{
    const double pi = std::acos(-1.0);
    const double a0 = 2 * pi * f / kFaces;
    const double a1 = 2 * pi * (f + 1) / kFaces;
    const double r = 0.012;
    const double h = 0.02;
    const double p[3][3] = {{0, 0, h},
                            {r * std::cos(a0), r * std::sin(a0), 0},
                            {r * std::cos(a1), r * std::sin(a1), 0}};
    // The outward normal of the cone's side at the middle of the face.
    const double am = (a0 + a1) / 2;
    const double slant = std::sqrt(h * h + r * r);
    const double n[3] = {h / slant * std::cos(am), h / slant * std::sin(am), r / slant};
    std::fprintf(out, "<face triangles=\"1\"><triangles>");
    for (const auto& point : p)
        std::fprintf(out, "%.6g %.6g %.6g ", point[0], point[1], point[2]);
    std::fprintf(out, "</triangles><normals>");
    for (int corner = 0; corner < 3; ++corner)
        std::fprintf(out, "%.4g %.4g %.4g ", n[0], n[1], n[2]);
    std::fprintf(out, "</normals></face>\n");
}

// Writes the assembly; its path, or "" when it could not be written.
std::string WriteAssembly(int components)
{
    const std::string path =
        TheScratch().path + "/assembly-" + std::to_string(components) + ".xml";
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return {};
    std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<host-document version=\"1\">\n"
                      "<document type=\"2\" title=\"large.ASM\" active=\"1\">\n"
                      "<configuration name=\"Default\" current=\"1\"/>\n"
                      "<components><component name=\"large\">\n");
    for (int c = 0; c < components; ++c)
    {
        std::fprintf(out,
                     "<component name=\"part-%d-%d\" document=\"part-%d.PRT\" "
                     "box=\"-0.012 -0.012 0 0.012 0.012 0.02\" "
                     "transform=\"1 0 0 0 1 0 0 0 1 %g %g 0 1\">\n<body>\n",
                     c / kComponentsAPart, c % kComponentsAPart, c / kComponentsAPart,
                     0.03 * (c % 128), 0.03 * (c / 128));
        for (int f = 0; f < kFaces; ++f)
            WriteFace(out, f);
        std::fprintf(out, "</body>\n</component>\n");
    }
    std::fprintf(out, "</component></components>\n</document>\n");
    for (int part = 0; part * kComponentsAPart < components; ++part)
        std::fprintf(out,
                     "<document type=\"1\" title=\"part-%d.PRT\">\n"
                     "<configuration name=\"Default\" current=\"1\"/>\n"
                     "<material name=\"Steel\" values=\"0.75 0.75 0.78 0 1 0.6 0 0.3 0.2\"/>\n"
                     "</document>\n",
                     part);
    std::fprintf(out, "</host-document>\n");
    const bool written = std::ferror(out) == 0;
    return std::fclose(out) == 0 && written ? path : std::string();
}

void BM_PublishLargeAssembly(benchmark::State& state)
{
    const int components = static_cast<int>(state.range(0));
    PublishedDocument figures;
    if (!PublishGenerated(state, TheScratch(), [&] { return WriteAssembly(components); }, figures))
        return;
    const double faces = static_cast<double>(components) * kFaces;
    state.counters["faces"] = faces;
    state.counters["document_MB"] = figures.documentMB;
    state.counters["peak_MB"] = figures.peakMB;
    state.counters["peak_per_document"] = figures.peakMB / figures.documentMB;
    state.counters["us_per_face"] =
        figures.seconds * 1e6 / (faces * static_cast<double>(state.iterations()));
}

} // namespace

BENCHMARK(BM_PublishLargeAssembly)
    ->Arg(4000)
    ->Arg(16000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
