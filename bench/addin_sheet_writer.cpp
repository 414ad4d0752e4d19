// Writing one large drawing sheet: 10^5 annotations (a note and a leader
// line each) on the sheet and 10^6 sketch line segments in one view, from
// the host's records to the finished W2D file. Reports entities per second.
#include "addin/publishers/DrawingWriter.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

namespace mem = host::memory;

namespace
{

constexpr int kAnnotations = 100000;
constexpr int kSegments = 1000000;

struct LargeSheet
{
    mem::Application app;
    mem::Drawing* drawing = nullptr;

    LargeSheet()
    {
        auto* document = app.make<mem::Document>(app);
        app.addDocument(document);
        drawing = app.make<mem::Drawing>();
        auto* sheet = app.make<mem::Sheet>();
        sheet->sheetProperties[5] = 0.42;
        sheet->sheetProperties[6] = 0.297;
        drawing->sheets = {sheet};

        auto* sheetView = app.make<mem::View>();
        sheetView->viewType = 1;
        auto* view = app.make<mem::View>();
        view->viewType = 7;
        view->placement = {0.21, 0.15, 0.5};
        sheetView->nextView = view;
        sheet->views = {sheetView, view};

        // Short segments in rows, none meeting the next end to end.
        auto* sketch = app.make<mem::Sketch>();
        sketch->sketchLines.count = kSegments;
        sketch->sketchLines.data.reserve(static_cast<std::size_t>(kSegments) * 12);
        for (int i = 0; i < kSegments; ++i)
        {
            const double x = -0.3 + (i % 1000) * 0.0006;
            const double y = -0.2 + (i / 1000) * 0.0004;
            sketch->sketchLines.data.insert(
                sketch->sketchLines.data.end(),
                {5, 0, double(i % 6), double(i % 8), -1, 0, x, y, 0, x + 0.0004, y + 0.0002, 0});
        }
        view->viewSketch = sketch;

        mem::Annotation* previous = nullptr;
        for (int i = 0; i < kAnnotations; ++i)
        {
            const double x = 0.01 + (i % 400) * 0.001;
            const double y = 0.01 + (i / 400) * 0.001;
            auto* data = app.make<mem::DisplayData>();
            mem::DisplayText text;
            text.height = 0.0025;
            text.position = {x, y, 0};
            text.text = u"NOTE";
            text.font = u"Arial";
            data->texts.push_back(text);
            data->lines.count = 1;
            data->lines.data = {0, 0, 0, 0, x, y, 0, x + 0.0008, y + 0.0005, 0};
            auto* note = app.make<mem::Annotation>();
            note->data = data;
            note->annotationColour = i % 3 == 0 ? 255 : 0;
            if (previous)
                previous->nextAnnotation = note;
            else
                sheetView->annotations = note;
            previous = note;
        }
    }
};

void BM_WriteLargeSheet(benchmark::State& state)
{
    platform::ui().setEcho(false);
    static LargeSheet sheet;
    for (auto _ : state)
    {
        CDWFxDrawingWriter writer(sheet.drawing, u"/tmp/bench.dwf", 1);
        writer.setPair(420, 297);
        writer.AssignHostPointer(&sheet.app);
        benchmark::DoNotOptimize(writer.ProcessDrawingDoc());
    }
    const auto entities = static_cast<std::int64_t>(kAnnotations) + kSegments;
    state.SetItemsProcessed(state.iterations() * entities);
    state.counters["entities/s"] = benchmark::Counter(
        static_cast<double>(entities), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_WriteLargeSheet)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
