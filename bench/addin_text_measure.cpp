// What measuring text in the platform's fonts costs a sheet: each sheet is
// written with its runs measured and with the estimate alone, in one run,
// and the measured run reports its time as a ratio of the estimated one's.
//
// - A1 sheet of 10^6 entities: 900,000 sketch line segments in one view and
//   100,000 short right-justified notes on the sheet (a note and a leader
//   line each).
// - Note lines: 25,000 notes of four lines each (10^5 lines), capitals,
//   mixed case and digits with symbols between, justified three ways, in
//   Arial and Times New Roman.
//
// Goal: measuring adds at most 20 % (measured_vs_estimate <= 1.2).
#include "addin/publishers/DrawingWriter.h"
#include "addin/publishers/TextMeasure.h"
#include "host/memory/Annotation.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "host/memory/View.h"
#include "platform/kernel/HostSettings.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <string>

namespace mem = host::memory;

namespace
{

constexpr int kSegments = 900000;
constexpr int kShortNotes = 100000;
constexpr int kNotes = 25000; // four lines each

struct Sheet
{
    mem::Application app;
    mem::Drawing* drawing = nullptr;
    mem::View* sheetView = nullptr;
    mem::Annotation* last = nullptr;
    double width = 0.0;
    double height = 0.0;

    Sheet(double w, double h) : width(w), height(h)
    {
        auto* document = app.make<mem::Document>(app);
        app.addDocument(document);
        drawing = app.make<mem::Drawing>();
        auto* sheet = app.make<mem::Sheet>();
        sheet->sheetProperties[5] = w;
        sheet->sheetProperties[6] = h;
        drawing->sheets = {sheet};
        sheetView = app.make<mem::View>();
        sheetView->viewType = 1;
        sheet->views = {sheetView};
    }

    void AddNote(const mem::DisplayText& text, bool leader)
    {
        auto* data = app.make<mem::DisplayData>();
        data->texts.push_back(text);
        if (leader)
        {
            const double x = text.position[0];
            const double y = text.position[1];
            data->lines.count = 1;
            data->lines.data = {0, 0, 0, 0, x, y, 0, x + 0.0008, y + 0.0005, 0};
        }
        auto* note = app.make<mem::Annotation>();
        note->data = data;
        if (last)
            last->nextAnnotation = note;
        else
            sheetView->annotations = note;
        last = note;
    }
};

// 841 × 594 mm.
Sheet& A1Sheet()
{
    static Sheet* sheet = []
    {
        auto* s = new Sheet(0.841, 0.594);
        auto* view = s->app.make<mem::View>();
        view->viewType = 7;
        view->placement = {0.42, 0.3, 0.5};
        s->sheetView->nextView = view;
        s->drawing->sheets.front()->views.push_back(view);
        auto* sketch = s->app.make<mem::Sketch>();
        sketch->sketchLines.count = kSegments;
        sketch->sketchLines.data.reserve(static_cast<std::size_t>(kSegments) * 12);
        for (int i = 0; i < kSegments; ++i)
        {
            const double x = -0.6 + (i % 1000) * 0.0012;
            const double y = -0.4 + (i / 1000) * 0.0008;
            sketch->sketchLines.data.insert(
                sketch->sketchLines.data.end(),
                {5, 0, double(i % 6), double(i % 8), -1, 0, x, y, 0, x + 0.0004, y + 0.0002, 0});
        }
        view->viewSketch = sketch;
        for (int i = 0; i < kShortNotes; ++i)
        {
            mem::DisplayText text;
            text.height = 0.0025;
            text.position = {0.02 + (i % 400) * 0.002, 0.02 + (i / 400) * 0.002, 0};
            text.justification = 5;
            text.text = u"NOTE " + platform::path::fromNative(std::to_string(i % 100));
            text.font = u"Arial";
            s->AddNote(text, true);
        }
        return s;
    }();
    return *sheet;
}

Sheet& NoteLinesSheet()
{
    static Sheet* sheet = []
    {
        auto* s = new Sheet(0.841, 0.594);
        const int justifications[] = {5, 2, 0};
        for (int i = 0; i < kNotes; ++i)
        {
            mem::DisplayText text;
            text.height = 0.003;
            text.position = {0.05 + (i % 100) * 0.0075, 0.05 + (i / 100) * 0.002, 0};
            text.justification = justifications[i % 3];
            text.angle = i % 2 ? 0.5235987755982988 : 0.0;
            text.text = u"UNLESS OTHERWISE SPECIFIED\n"
                        u"PERPENDICULAR <GTOL-PERP> 0.05 <GTOL-MMC> A\n"
                        u"Mixed case text 0123456789\n"
                        u"FLATNESS <GTOL-FLAT> 0.02";
            text.font = i % 2 ? u"Times New Roman" : u"Arial";
            s->AddNote(text, false);
        }
        return s;
    }();
    return *sheet;
}

// Seconds per write of each sheet with the estimate alone, for the ratio.
std::map<std::string, double>& EstimatedSeconds()
{
    static std::map<std::string, double> seconds;
    return seconds;
}

void WriteSheet(benchmark::State& state, const std::string& name, Sheet& sheet, int entities)
{
    platform::ui().setEcho(false);
    // The symbols come from the bundled symbol file, beside this source.
    std::string here = __FILE__;
    here = here.substr(0, here.rfind('/'));
    platform::processRegistry().setValue(
        platform::Hive::LocalMachine, platform::kHostSetupKey, platform::kToolboxIniFileValue,
        platform::path::fromNative(here + "/../examples/host-data/toolbox/toolbox.ini"));
    const bool measured = state.range(0) != 0;
    text_measure::SetFontsMeasured(measured);
    double total = 0.0;
    for (auto _ : state)
    {
        const auto start = std::chrono::steady_clock::now();
        CDWFxDrawingWriter writer(sheet.drawing, u"/tmp/bench.dwf", 1);
        writer.setPair(sheet.width * 1000, sheet.height * 1000);
        writer.AssignHostPointer(&sheet.app);
        benchmark::DoNotOptimize(writer.ProcessDrawingDoc());
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    text_measure::SetFontsMeasured(true);
    const double perWrite = total / static_cast<double>(state.iterations());
    if (!measured)
        EstimatedSeconds()[name] = perWrite;
    else if (EstimatedSeconds()[name] > 0)
        state.counters["measured_vs_estimate"] = perWrite / EstimatedSeconds()[name];
    state.SetItemsProcessed(state.iterations() * entities);
}

void BM_A1SheetOfAMillionEntities(benchmark::State& state)
{
    WriteSheet(state, "a1", A1Sheet(), kSegments + kShortNotes);
}

void BM_SheetOf100000NoteLines(benchmark::State& state)
{
    WriteSheet(state, "lines", NoteLinesSheet(), kNotes * 4);
}

// Each sheet with the estimate first, so that the measured run can report
// the ratio.
void EstimatedThenMeasured(benchmark::internal::Benchmark* sheet)
{
    sheet->ArgName("measured")
        ->Arg(0)
        ->Arg(1)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3)
        ->UseRealTime();
}

} // namespace

BENCHMARK(BM_A1SheetOfAMillionEntities)->Apply(EstimatedThenMeasured);
BENCHMARK(BM_SheetOf100000NoteLines)->Apply(EstimatedThenMeasured);
