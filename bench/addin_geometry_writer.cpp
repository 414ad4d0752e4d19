// A body of a million triangles written through the geometry writer into a
// model, beside the shell record alone written with the same triangles.
//
//  - BM_ShellWrite: the shell record as the model publisher prepares it
//    (write flags 0x1A06, 24 normal bits, version 1000, coincident vertices
//    merged), filled with the host's triangle soup (three vertices of its
//    own per triangle) and written into memory: what the writer cannot avoid.
//  - BM_ModelShell: the same record through a model's segment, into the
//    model's temporary file, without the host.
//  - BM_WriterBody: the geometry writer's walk over an in-memory host body
//    of one face holding the same soup: the host's requests (arrays handed
//    over by value), the checks, the face list, the merge of identical
//    vertices, the body and face segments, the shell, into the model's
//    temporary file.
// Triangles per second each; the ratio of the first and the last is the
// writer's cost over the shell itself.
#include "addin/publishers/DWF3DGrWriter.h"
#include "dwf/publisher/model/Model.h"
#include "dwf/w3dtk/geometry/shell.h"
#include "dwf/w3dtk/stream/stream_writer.h"
#include "dwf/w3dtk/stream/toolkit.h"
#include "dwf/w3dtk/tests/memory_streams.h"
#include "dwf/w3dtk/tests/mesh_corpus.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace
{
// A mesh's triangles with a vertex of their own at every corner, as the
// host hands a face's tessellation over.
struct Soup
{
    int triangles = 0;
    std::vector<float> points;  // 9 per triangle
    std::vector<float> normals; // 9 per triangle
    std::vector<int> faces;     // 3, i, i + 1, i + 2 per triangle
};

const Soup& million()
{
    static const Soup soup = []
    {
        const w3d_test::Mesh mesh = w3d_test::million_triangles();
        Soup s;
        for (std::size_t at = 0; at + 3 < mesh.faces.size(); at += 4)
        {
            for (std::size_t corner = 1; corner <= 3; ++corner)
            {
                const std::size_t v = static_cast<std::size_t>(mesh.faces[at + corner]);
                s.points.insert(s.points.end(), mesh.points.begin() + 3 * v,
                                mesh.points.begin() + 3 * v + 3);
                s.normals.insert(s.normals.end(), mesh.normals.begin() + 3 * v,
                                 mesh.normals.begin() + 3 * v + 3);
            }
            const int first = 3 * s.triangles;
            s.faces.insert(s.faces.end(), {3, first, first + 1, first + 2});
            ++s.triangles;
        }
        return s;
    }();
    return soup;
}

void per_triangle(benchmark::State& state, const Soup& soup)
{
    state.SetItemsProcessed(state.iterations() * soup.triangles);
    state.counters["triangles"] = soup.triangles;
}

void BM_ShellWrite(benchmark::State& state)
{
    const Soup& soup = million();
    std::size_t bytes = 0;
    for (auto _ : state)
    {
        BStreamFileToolkit tk;
        tk.SetWriteFlags(0x1A06);
        tk.SetNumNormalBits(24);
        tk.SetTargetVersion(1000);
        w3d_test::Memory_Output output;
        W3DStreamWriter writer(output, tk);
        writer.open();
        auto& shell = static_cast<TK_Shell&>(tk.GetOpcodeHandler('S'));
        shell.SetObserver(&writer);
        shell.InitSubop(tk, 0, true);
        shell.SetTolerances(0.0, 0.0, 0.0);
        shell.SetOptimize(true);
        shell.SetPoints(3 * soup.triangles, soup.points.data());
        shell.SetVertexNormals(soup.normals.data());
        shell.SetFaces(static_cast<int>(soup.faces.size()), soup.faces.data());
        shell.serialize(0);
        writer.close();
        bytes = output.bytes.size();
        benchmark::DoNotOptimize(output.bytes.data());
    }
    per_triangle(state, soup);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_ModelShell(benchmark::State& state)
{
    const Soup& soup = million();
    for (auto _ : state)
    {
        DWFToolkit::DWFModel model(u"", u"", u"");
        model.open(0, 1, nullptr, true, true, true);
        DWFToolkit::DWFIncludeSegment segment = model.openIncludeSegment();
        segment.open(DWFCore::DWFString(u""));
        TK_Shell& shell = segment.getShellHandler(false, false);
        shell.SetPoints(3 * soup.triangles, soup.points.data());
        shell.SetVertexNormals(soup.normals.data());
        shell.SetFaces(static_cast<int>(soup.faces.size()), soup.faces.data());
        shell.serialize(0);
        segment.close();
        model.close();
    }
    per_triangle(state, soup);
}

void BM_WriterBody(benchmark::State& state)
{
    const Soup& soup = million();
    platform::ui().setEcho(false);
    host::memory::Application application;
    auto* part = application.make<host::memory::Document>(application);
    part->documentType = host::kPartDocument;
    auto* body = application.make<host::memory::Body>();
    auto* face = application.make<host::memory::Face>();
    face->triangleTotal = soup.triangles;
    face->faceTriangles = soup.points;
    face->faceNormals = soup.normals;
    body->faces = face;
    part->documentBodies = {body};

    for (auto _ : state)
    {
        DWFToolkit::DWFModel model(u"", u"", u"");
        model.open(0, 1, nullptr, true, true, true);
        DWFToolkit::DWFIncludeSegment segment = model.openIncludeSegment();
        segment.open(DWFCore::DWFString(u""));
        CDWF3DGrWriter writer(part, &segment);
        writer.GenerateShellOfBody(body, false);
        segment.close();
        model.close();
    }
    if (!platform::ui().messageBoxes().empty())
        state.SkipWithError("the writer reported a failure");
    per_triangle(state, soup);
}
} // namespace

BENCHMARK(BM_ShellWrite)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ModelShell)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_WriterBody)->Unit(benchmark::kMillisecond)->MinTime(2.0);
