// A 3D sketch of many splines written through the geometry writer, beside
// a sketch of as many lines: the host hands the data of all splines over
// as one array, so a spline must cost about what a line costs, whatever
// their number (time per item flat from 10,000 to 100,000).
//
//  - BM_SketchSplines/n: n one-point splines (a three-value head and one
//    point each, nothing drawn) and one two-point spline at the end, so
//    the walk reaches the last offset.
//  - BM_SketchLines/n: n sketch lines, each a colour, a pattern and a line
//    record.
#include "addin/publishers/DWF3DGrWriter.h"
#include "dwf/publisher/model/Model.h"
#include "host/memory/Application.h"
#include "host/memory/Document.h"
#include "host/memory/Geometry.h"
#include "host/memory/Sketch.h"
#include "platform/ui/Ui.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace
{
struct SketchPart
{
    host::memory::Application application;
    host::memory::Document* part = nullptr;
    host::memory::Sketch* sketch = nullptr;

    SketchPart()
    {
        part = application.make<host::memory::Document>(application);
        part->documentType = host::kPartDocument;
        auto* feature = application.make<host::memory::Feature>();
        feature->featureTypeName = u"3DProfileFeature";
        sketch = application.make<host::memory::Sketch>();
        feature->featureSketch = sketch;
        part->features = feature;
    }
};

void WriteSketch(benchmark::State& state, SketchPart& sketchPart)
{
    platform::ui().setEcho(false);
    platform::ui().reset();
    for (auto _ : state)
    {
        DWFToolkit::DWFModel model(u"", u"", u"");
        model.open(0, 1, nullptr, true, true, true);
        DWFToolkit::DWFIncludeSegment segment = model.openIncludeSegment();
        segment.open(DWFCore::DWFString(u""));
        CDWF3DGrWriter writer(sketchPart.part, &segment);
        writer.Generate3Dsketch(sketchPart.part, segment);
        segment.close();
        model.close();
    }
    if (!platform::ui().messageBoxes().empty())
        state.SkipWithError("the writer reported a failure");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_SketchSplines(benchmark::State& state)
{
    SketchPart sketchPart;
    const int count = static_cast<int>(state.range(0));
    std::vector<double>& data = sketchPart.sketch->sketchSplines.data;
    for (int s = 0; s < count; ++s)
        data.insert(data.end(), {0.0, 0.0, 1.0, 0.001 * s, 0.0, 0.0});
    data.insert(data.end(), {0.0, 0.0, 2.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0});
    sketchPart.sketch->sketchSplines.count = count + 1;
    WriteSketch(state, sketchPart);
}

void BM_SketchLines(benchmark::State& state)
{
    SketchPart sketchPart;
    const int count = static_cast<int>(state.range(0));
    std::vector<double>& data = sketchPart.sketch->sketchLines.data;
    for (int s = 0; s < count; ++s)
        data.insert(data.end(),
                    {0.0, 0.0, 0.0, 0.0, -1.0, 0.0, 0.001 * s, 0.0, 0.0, 0.001 * s, 1.0, 0.0});
    sketchPart.sketch->sketchLines.count = count;
    WriteSketch(state, sketchPart);
}
} // namespace

BENCHMARK(BM_SketchSplines)->Arg(10000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SketchLines)->Arg(10000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);
