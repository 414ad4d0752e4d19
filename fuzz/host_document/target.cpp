// Host documents are read from files a user hands over: any bytes must give
// a loaded document or a LoadError, and a loaded one must walk cleanly.
#include "host/Annotation.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{
void walk(host::View* view)
{
    using namespace host::layout;
    splines(view->splineCount(), view->splineData());
    polylineGroups(view->polylineGroupCount(), view->polylineData());
    modelEdges(view->modelEdgeItemCount(0), view->modelEdgeData(0, view->modelEdgeItemCount(0)));
    dimensions(view->dimensionData());
    detailCircles(view->detailCircleCount(), view->detailCircleData());
    breakLines(view->breakLineCount(), view->breakLineData());
    for (host::Annotation* a = view->firstAnnotation(); a; a = a->next())
    {
        host::DisplayData* data = a->displayData();
        for (int i = 0; data && i < data->lineCount(); ++i)
            data->line(i);
        for (int i = 0; data && i < data->textCount(); ++i)
            data->text(i);
    }
    if (host::Sketch* sketch = view->sketch())
        fixedRecords(sketch->lineCount(1), sketch->lines(1), kSketchLine);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try
    {
        auto application = host::parseHostDocument(
            std::string_view(reinterpret_cast<const char*>(data), size), u"/nonexistent");
        host::Document* document = application->activeDocument();
        host::Drawing* drawing = document ? document->asDrawing() : nullptr;
        if (!drawing)
            return 0;
        for (const auto& name : drawing->sheetNames())
        {
            drawing->activateSheet(name);
            for (host::View* view = drawing->firstView(); view; view = view->next())
                walk(view);
        }
    }
    catch (const host::LoadError&)
    {
    }
    return 0;
}
