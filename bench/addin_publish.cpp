// Publishing a large drawing end to end through the add-in's command: 10
// sheets of 10^5 sketch entities each (lines, arcs and ellipses), from the
// host's records to the finished package. Reports the seconds per package
// and the process's peak memory.
#include "addin_publish_bench.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"
#include "mixed_sketch.h"
#include "host/memory/View.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <sys/resource.h>

namespace mem = host::memory;

namespace
{

constexpr int kSheets = 10;
constexpr int kEntitiesPerSheet = 100000;

double PeakMegabytes()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

struct LargeDrawing
{
    mem::Application app;

    LargeDrawing()
    {
        auto* document = app.make<mem::Document>(app);
        document->documentType = host::kDrawingDocument;
        document->documentTitle = u"large.DRW";
        document->picture = MakePreview();
        app.addDocument(document);
        auto* drawing = app.make<mem::Drawing>();
        document->drawing = drawing;
        for (int s = 0; s < kSheets; ++s)
            drawing->sheets.push_back(MakeSheet(s));
    }

    ~LargeDrawing()
    {
        if (!preview.empty())
            std::remove(platform::path::toNative(preview).c_str());
    }

    // The document's preview, which the host saves as each sheet's picture.
    std::u16string MakePreview()
    {
        platform::RgbPicture picture;
        picture.width = 256;
        picture.height = 182;
        picture.pixels.resize(static_cast<std::size_t>(picture.width) * picture.height * 3);
        for (std::size_t i = 0; i < picture.pixels.size(); ++i)
            picture.pixels[i] = static_cast<std::uint8_t>(i * 7);
        std::string error;
        const auto name = platform::createTemporaryFile("qc-bench-preview-", ".jpg");
        if (name && platform::saveJpeg(*name, picture, 90, error))
            preview = *name;
        return preview;
    }

    std::u16string preview;

    mem::Sheet* MakeSheet(int number)
    {
        auto* sheet = app.make<mem::Sheet>();
        sheet->sheetName = u"Sheet" + platform::path::fromNative(std::to_string(number + 1));
        sheet->sheetProperties[5] = 0.42;
        sheet->sheetProperties[6] = 0.297;
        auto* sheetView = app.make<mem::View>();
        sheetView->viewType = 1;
        auto* view = app.make<mem::View>();
        view->viewType = 7;
        view->placement = {0.21, 0.15, 0.5};
        sheetView->nextView = view;
        sheet->views = {sheetView, view};

        auto* sketch = app.make<mem::Sketch>();
        publish_bench::FillMixedSketch(*sketch, kEntitiesPerSheet, 0.3, 0.2);
        view->viewSketch = sketch;
        return sheet;
    }
};

void BM_PublishLargeDrawing(benchmark::State& state)
{
    platform::ui().setEcho(false);
    static LargeDrawing drawing;
    const double modelMegabytes = PeakMegabytes();
    const long bytes = publish_bench::PublishEachIteration(state, drawing.app, "qc-bench-");
    const std::int64_t entities = static_cast<std::int64_t>(kSheets) * kEntitiesPerSheet;
    state.SetItemsProcessed(state.iterations() * entities);
    state.counters["entities/s"] = benchmark::Counter(
        static_cast<double>(entities), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["host model MB"] = modelMegabytes;
    state.counters["peak MB"] = PeakMegabytes();
    state.counters["package MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PublishLargeDrawing)->Unit(benchmark::kSecond)->Iterations(3);

} // namespace
