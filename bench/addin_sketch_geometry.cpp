// How fast the 2D graphics writer turns sketch geometry into W2D: a view
// with many sketch lines and arcs, written into a stream that discards its
// bytes, so that the writer and the toolkit's encoding are what is measured.
#include "addin/publishers/DWF2DGrWriter.h"
#include "dwf/w2dtk/file.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

namespace
{
WT_Result Discard(WT_File&, std::size_t, const void*)
{
    return WT_Result_Success;
}
WT_Result Succeed(WT_File&)
{
    return WT_Result_Success;
}

struct LargeView
{
    host::memory::Application application;
    host::memory::View* view = nullptr;

    LargeView(int lines, int arcs)
    {
        auto* document = application.make<host::memory::Document>(application);
        application.addDocument(document);
        auto* sketch = application.make<host::memory::Sketch>();
        for (int i = 0; i < lines; ++i)
        {
            const double x = 0.001 * (i % 400);
            const double y = 0.0007 * (i / 400 % 400);
            sketch->sketchLines.data.insert(
                sketch->sketchLines.data.end(),
                {5, 0, double(i % 6), double(i % 8), -1, 0, x, y, 0, x + 0.01, y, 0});
        }
        sketch->sketchLines.count = lines;
        for (int i = 0; i < arcs; ++i)
        {
            const double x = 0.001 * (i % 400);
            sketch->sketchArcs.data.insert(sketch->sketchArcs.data.end(),
                                           {255, 0, 0, 1, -1, 0, x + 0.002, 0.1, 0, x, 0.102, 0, x,
                                            0.1, 0, i % 2 ? 1.0 : -1.0});
        }
        sketch->sketchArcs.count = arcs;
        view = application.make<host::memory::View>();
        view->viewType = 7;
        view->viewSketch = sketch;
        view->placement = {0.2, 0.15, 0.5};
    }
};

void BM_ViewSketch(benchmark::State& state)
{
    platform::ui().setEcho(false);
    const int lines = static_cast<int>(state.range(0));
    const int arcs = lines / 10;
    LargeView source(lines, arcs);
    const w2dout::SheetContext sheet{32467.907};
    for (auto _ : state)
    {
        WT_File file;
        file.set_stream_open_action(&Succeed);
        file.set_stream_close_action(&Succeed);
        file.set_stream_write_action(&Discard);
        file.set_file_mode(WT_File::File_Write);
        file.open();
        benchmark::DoNotOptimize(
            ProcessViewFromDrawingDoc(file, source.view, &source.application, sheet));
        file.close();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * (lines + arcs));
    state.SetLabel("sketch entities");
}
} // namespace

BENCHMARK(BM_ViewSketch)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
