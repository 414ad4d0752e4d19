// What measuring text in the platform's fonts costs a sheet: each sheet is
// written with its runs measured and with the estimate alone, the two
// writes side by side in every iteration, and the measured write's
// processor time is reported as a ratio of the estimated one's (the median
// of the iterations' ratios).
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

#include "median.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <string>
#include <vector>

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

// The processor time this thread has used, in seconds: unlike the clock on
// the wall it does not count the time other processes of a busy machine
// hold the processor, which would swamp a difference of a few per cent.
double ThreadSeconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Writes the sheet once, its texts measured or estimated; the processor
// seconds it took.
double WriteOnce(Sheet& sheet, bool measured)
{
    text_measure::SetFontsMeasured(measured);
    const double start = ThreadSeconds();
    CDWFxDrawingWriter writer(sheet.drawing, u"/tmp/bench.dwf", 1);
    writer.setPair(sheet.width * 1000, sheet.height * 1000);
    writer.AssignHostPointer(&sheet.app);
    benchmark::DoNotOptimize(writer.ProcessDrawingDoc());
    const double seconds = ThreadSeconds() - start;
    text_measure::SetFontsMeasured(true);
    return seconds;
}

// Each iteration writes the sheet both ways, one right after the other, and
// the order alternates: a mode that always ran first (or in a heap and caches
// the other had just grown and warmed) would carry the difference into the
// ratio, and a machine whose load changes during the run would too. One
// untimed write of each way comes first (fonts opened, heap grown). The time
// of an iteration is the measured write's; the ratio is the median of the
// iterations' own ratios.
void WriteSheetBothWays(benchmark::State& state, Sheet& sheet, int entities)
{
    platform::ui().setEcho(false);
    // The symbols come from the bundled symbol file.
    platform::processRegistry().setValue(
        platform::Hive::LocalMachine, platform::kHostSetupKey, platform::kToolboxIniFileValue,
        platform::path::fromNative(QUILLCAST_SOURCE_DIR "/examples/host-data/toolbox/toolbox.ini"));
    WriteOnce(sheet, false);
    WriteOnce(sheet, true);
    std::vector<double> estimated;
    std::vector<double> measured;
    std::vector<double> ratios;
    for (auto _ : state)
    {
        const bool measuredFirst = measured.size() % 2 == 1;
        double estimate = 0.0;
        double measure = 0.0;
        if (measuredFirst)
        {
            measure = WriteOnce(sheet, true);
            estimate = WriteOnce(sheet, false);
        }
        else
        {
            estimate = WriteOnce(sheet, false);
            measure = WriteOnce(sheet, true);
        }
        estimated.push_back(estimate);
        measured.push_back(measure);
        ratios.push_back(estimate > 0 ? measure / estimate : 0.0);
        state.SetIterationTime(measure);
    }
    state.counters["estimate_ms"] = bench_figures::Median(estimated) * 1e3;
    state.counters["measured_ms"] = bench_figures::Median(measured) * 1e3;
    state.counters["measured_vs_estimate"] = bench_figures::Median(ratios);
    state.SetItemsProcessed(state.iterations() * entities);
}

void BM_A1SheetOfAMillionEntities(benchmark::State& state)
{
    WriteSheetBothWays(state, A1Sheet(), kSegments + kShortNotes);
}

void BM_SheetOf100000NoteLines(benchmark::State& state)
{
    WriteSheetBothWays(state, NoteLinesSheet(), kNotes * 4);
}

} // namespace

BENCHMARK(BM_A1SheetOfAMillionEntities)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10)
    ->UseManualTime();
BENCHMARK(BM_SheetOf100000NoteLines)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(16)
    ->UseManualTime();
