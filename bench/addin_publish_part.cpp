// Publishing a large part end to end through the add-in's command: one body
// of 10^6 triangles (a face of the host's triangle soup, three vertices of
// its own per triangle, with normals), from the host's arrays to the finished
// package. Reports the seconds per package, what publishing adds to the
// process's resident memory at its peak, and the package's size, each beside
// the raw triangle data (points and normals as the host hands them over, 72
// bytes a triangle).
#include "addin_publish_bench.h"
#include "dwf/w3dtk/tests/mesh_corpus.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mem = host::memory;

namespace
{

// A line of /proc/self/status ("VmHWM", the peak resident size, or
// "VmRSS", the current one) in megabytes.
double StatusMegabytes(const char* key)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (!status)
        return 0.0;
    char line[256];
    double kilobytes = 0.0;
    const std::size_t length = std::strlen(key);
    while (std::fgets(line, sizeof line, status))
        if (std::strncmp(line, key, length) == 0 && line[length] == ':')
            kilobytes = std::atof(line + length + 1);
    std::fclose(status);
    return kilobytes / 1024.0;
}

// Starts the peak resident size afresh from the current one, so that the
// peak afterwards is publishing's, not the host model's construction's.
bool ResetPeak()
{
    std::FILE* clear = std::fopen("/proc/self/clear_refs", "w");
    if (!clear)
        return false;
    const bool written = std::fputs("5", clear) >= 0;
    return std::fclose(clear) == 0 && written;
}

struct LargePart
{
    mem::Application app;
    int triangles = 0;

    LargePart()
    {
        auto* document = app.make<mem::Document>(app);
        document->documentType = host::kPartDocument;
        document->documentTitle = u"large.PRT";
        app.addDocument(document);
        auto* body = app.make<mem::Body>();
        auto* face = app.make<mem::Face>();
        // The shell benchmark's mesh of a million triangles, as a soup.
        const w3d_test::Mesh mesh = w3d_test::million_triangles();
        for (std::size_t at = 0; at + 3 < mesh.faces.size(); at += 4)
        {
            for (std::size_t corner = 1; corner <= 3; ++corner)
            {
                const std::size_t v = static_cast<std::size_t>(mesh.faces[at + corner]);
                face->faceTriangles.insert(face->faceTriangles.end(), mesh.points.begin() + 3 * v,
                                           mesh.points.begin() + 3 * v + 3);
                face->faceNormals.insert(face->faceNormals.end(), mesh.normals.begin() + 3 * v,
                                         mesh.normals.begin() + 3 * v + 3);
            }
            ++triangles;
        }
        face->triangleTotal = triangles;
        body->faces = face;
        document->documentBodies = {body};
    }

    double RawMegabytes() const
    {
        // Points and normals: two times three floats per corner.
        return static_cast<double>(triangles) * 3 * 2 * 3 * sizeof(float) / (1024.0 * 1024.0);
    }
};

void BM_PublishLargePart(benchmark::State& state)
{
    platform::ui().setEcho(false);
    static LargePart part;
    const bool peakReset = ResetPeak();
    const double before = StatusMegabytes("VmRSS");
    const long bytes = publish_bench::PublishEachIteration(state, part.app, "qc-bench-part-");
    state.SetItemsProcessed(state.iterations() * part.triangles);
    state.counters["triangles/s"] = benchmark::Counter(
        static_cast<double>(part.triangles), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["raw MB"] = part.RawMegabytes();
    state.counters["package MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    // The resident size before publishing (the host model, 72 bytes a
    // triangle of it the raw data), and what publishing added at its peak.
    const double peak = StatusMegabytes("VmHWM");
    state.counters["resident before MB"] = before;
    state.counters["peak MB"] = peak;
    state.counters["publish peak MB"] = peak - before;
    state.counters["publish peak / raw"] = (peak - before) / part.RawMegabytes();
    state.counters["package / raw"] =
        static_cast<double>(bytes) / (1024.0 * 1024.0) / part.RawMegabytes();
    if (!peakReset)
        state.SetLabel("peak not reset: it includes building the host model");
}
BENCHMARK(BM_PublishLargePart)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace
