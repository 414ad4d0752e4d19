// What flushing the package to the disk costs a publication: the package is
// flushed before it replaces its target and its folder after. Each
// iteration publishes the document twice through the add-in's command, once
// as it is and once with every flush answered at once without touching the
// disk, the order alternating so that neither way always runs in the
// other's wake. The time of an iteration is the flushed publication's;
// the counters give the medians of both and of the iterations' ratios, and
// the median time spent in the flushes themselves (flush_ms), which a
// machine's noise does not hide.
//
// - The sample drawing (two sheets, every kind of content).
// - A sheet of 10^6 entities: 800,000 line segments, 150,000 arcs and
//   50,000 ellipses in one view.
//
// The packages go to $TMPDIR (else /tmp), which must be on a disk for the
// flush to cost what it costs there.
#include "addin/PublishRun.h"
#include "host/Loader.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "mixed_sketch.h"
#include "host/memory/View.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include "median.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace mem = host::memory;

namespace
{

// While false, fsync and fdatasync answer success without flushing: the
// publication without the flush, for this benchmark alone.
bool flushing = true;
// Seconds spent in the flushes since the last publication began.
double flushSeconds = 0.0;

using Flush = int (*)(int);

int Timed(Flush flush, int fd)
{
    if (!flushing)
        return 0;
    const auto start = std::chrono::steady_clock::now();
    const int result = flush(fd);
    flushSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

} // namespace

// The program's own fsync and fdatasync stand before the C library's.
extern "C" int fsync(int fd)
{
    static const Flush next = reinterpret_cast<Flush>(::dlsym(RTLD_NEXT, "fsync"));
    return Timed(next, fd);
}

extern "C" int fdatasync(int fd)
{
    static const Flush next = reinterpret_cast<Flush>(::dlsym(RTLD_NEXT, "fdatasync"));
    return Timed(next, fd);
}

namespace
{

constexpr int kEntities = 1000000;

mem::Application& SampleDrawing()
{
    static const std::unique_ptr<mem::Application> app =
        host::loadHostDocument(u"" QUILLCAST_SOURCE_DIR "/examples/sample-drawing.xml");
    return *app;
}

// One A1 sheet whose one view holds the entities in rows.
mem::Application& MillionEntitySheet()
{
    static mem::Application* app = []
    {
        auto* application = new mem::Application;
        auto* document = application->make<mem::Document>(*application);
        document->documentType = host::kDrawingDocument;
        document->documentTitle = u"million.DRW";
        application->addDocument(document);
        auto* drawing = application->make<mem::Drawing>();
        document->drawing = drawing;
        auto* sheet = application->make<mem::Sheet>();
        sheet->sheetName = u"Sheet1";
        sheet->sheetProperties[5] = 0.841;
        sheet->sheetProperties[6] = 0.594;
        drawing->sheets = {sheet};
        auto* sheetView = application->make<mem::View>();
        sheetView->viewType = 1;
        auto* view = application->make<mem::View>();
        view->viewType = 7;
        view->placement = {0.42, 0.3, 0.5};
        sheetView->nextView = view;
        sheet->views = {sheetView, view};

        auto* sketch = application->make<mem::Sketch>();
        publish_bench::FillMixedSketch(*sketch, kEntities, 0.6, 0.4);
        view->viewSketch = sketch;
        return application;
    }();
    return *app;
}

// One publication, flushed or not; its seconds on the wall clock (a flush
// waits for the disk, not the processor), or a negative number when it did
// not publish.
double PublishOnce(mem::Application& app, const PublishRequest& request, bool flushed)
{
    flushing = flushed;
    flushSeconds = 0.0;
    const auto start = std::chrono::steady_clock::now();
    const PublishOutcome outcome = RunPublishCommand(app, request);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    flushing = true;
    return outcome.status == PublishOutcome::Status::Published ? seconds : -1.0;
}

void PublishBothWays(benchmark::State& state, mem::Application& app, const char* name)
{
    platform::ui().setEcho(false);
    const char* folder = std::getenv("TMPDIR");
    const std::string target = std::string(folder && *folder ? folder : "/tmp") + "/qc-flush-" +
                               name + "-" + std::to_string(::getpid()) + ".dwf";
    PublishRequest request;
    request.target = platform::path::fromNative(target);
    request.replaceExisting = true;
    // One untimed publication of each way first.
    if (PublishOnce(app, request, false) < 0 || PublishOnce(app, request, true) < 0)
    {
        std::remove(target.c_str());
        state.SkipWithError("the document was not published");
        return;
    }
    std::vector<double> flushed;
    std::vector<double> unflushed;
    std::vector<double> ratios;
    std::vector<double> inFlushes;
    bool published = true;
    for (auto _ : state)
    {
        const bool flushedFirst = flushed.size() % 2 == 1;
        const double first = PublishOnce(app, request, flushedFirst);
        if (flushedFirst)
            inFlushes.push_back(flushSeconds);
        const double second = PublishOnce(app, request, !flushedFirst);
        if (!flushedFirst)
            inFlushes.push_back(flushSeconds);
        const double with = flushedFirst ? first : second;
        const double without = flushedFirst ? second : first;
        published = published && with >= 0 && without >= 0;
        flushed.push_back(with);
        unflushed.push_back(without);
        ratios.push_back(without > 0 ? with / without : 0.0);
        state.SetIterationTime(with > 0 ? with : 0.0);
    }
    std::FILE* package = std::fopen(target.c_str(), "rb");
    if (package)
    {
        std::fseek(package, 0, SEEK_END);
        state.counters["package_MB"] = static_cast<double>(std::ftell(package)) / 1e6;
        std::fclose(package);
    }
    std::remove(target.c_str());
    if (!published)
    {
        state.SkipWithError("a publication failed");
        return;
    }
    state.counters["flushed_s"] = bench_figures::Median(flushed);
    state.counters["unflushed_s"] = bench_figures::Median(unflushed);
    state.counters["flushed_vs_unflushed"] = bench_figures::Median(ratios);
    state.counters["flush_ms"] = bench_figures::Median(inFlushes) * 1e3;
}

void BM_SampleDrawing(benchmark::State& state)
{
    PublishBothWays(state, SampleDrawing(), "sample");
}

void BM_SheetOfAMillionEntities(benchmark::State& state)
{
    PublishBothWays(state, MillionEntitySheet(), "million");
}

} // namespace

BENCHMARK(BM_SampleDrawing)->Unit(benchmark::kMillisecond)->Iterations(20)->UseManualTime();
BENCHMARK(BM_SheetOfAMillionEntities)
    ->Unit(benchmark::kSecond)
    ->Iterations(6)
    ->UseManualTime();
