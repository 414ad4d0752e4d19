// Publishing a large part end to end through the add-in's command: one body
// of 10^6 triangles (a face of the host's triangle soup, three vertices of
// its own per triangle, with normals), from the host's arrays to the finished
// package. Reports the seconds per package, the process's peak memory beside
// what the host model itself holds, and the package's size beside the raw
// triangle data (points and normals as the host hands them over, 72 bytes a
// triangle).
#include "addin/PublishRun.h"
#include "dwf/w3dtk/tests/mesh_corpus.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace mem = host::memory;

namespace
{

double PeakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
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
    const double modelMegabytes = PeakMegabytes();
    const char* folder = std::getenv("TMPDIR");
    const std::string target = std::string(folder && *folder ? folder : "/tmp") +
                               "/qc-bench-part-" + std::to_string(::getpid()) + ".dwf";
    PublishRequest request;
    request.target = platform::path::fromNative(target);
    request.replaceExisting = true;
    bool published = true;
    for (auto _ : state)
    {
        const PublishOutcome outcome = RunPublishCommand(part.app, request);
        published = published && outcome.status == PublishOutcome::Status::Published;
    }
    std::FILE* package = std::fopen(target.c_str(), "rb");
    long bytes = 0;
    if (package)
    {
        std::fseek(package, 0, SEEK_END);
        bytes = std::ftell(package);
        std::fclose(package);
    }
    std::remove(target.c_str());
    if (!published)
        state.SkipWithError("the package was not published");
    state.SetItemsProcessed(state.iterations() * part.triangles);
    state.counters["triangles/s"] = benchmark::Counter(
        static_cast<double>(part.triangles), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["raw MB"] = part.RawMegabytes();
    state.counters["package MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    state.counters["host model MB"] = modelMegabytes;
    state.counters["peak MB"] = PeakMegabytes();
    // What publishing added to the peak, beside the raw data.
    state.counters["publish peak MB"] = PeakMegabytes() - modelMegabytes;
}
BENCHMARK(BM_PublishLargePart)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace
