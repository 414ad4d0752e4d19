#include "addin/publishers/DWF2DGrWriter.h"

#include "addin/ErrorReport.h"
#include "host/Application.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/View.h"

#include <cmath>

CDWF2DGrWriter::CDWF2DGrWriter(const w2dout::SheetContext& sheet, host::Application* application)
    : sheet_(sheet), application_(application)
{
}

CDWF2DGrWriter::~CDWF2DGrWriter() = default;

CSymbolDrawer& CDWF2DGrWriter::SymbolDrawer()
{
    if (!symbolDrawer_)
        symbolDrawer_ = std::make_unique<CSymbolDrawer>();
    return *symbolDrawer_;
}

void CDWF2DGrWriter::SetDetailView(host::View* view)
{
    detailView_ = view != nullptr && view->type() == 3;
}

void CDWF2DGrWriter::ProcessViewRotate(const w2dout::HostPoint* in, w2dout::HostPoint* out,
                                       std::size_t count)
{
    const double viewAngle = view_ ? view_->rotationAngle() : 0.0;
    for (std::size_t i = 0; i < count; ++i)
    {
        w2dout::HostPoint point = in[i];
        if (view_)
            point = w2dout::Rotate(point, viewAngle);
        if (rotation_ != 0.0)
            point = w2dout::Rotate(point, rotation_);
        out[i] = point;
    }
}

namespace
{
// The view's position on the sheet and its scale.
w2dout::ViewTransform TransformOf(host::View* view)
{
    const std::array<double, 3> values = view->transform();
    return w2dout::ViewTransform{values[0], values[1], values[2]};
}

// A view in display mode 3 is walked in mode 2; this puts mode 3 back on
// every way out of the walk.
class DisplayModeRestorer
{
public:
    explicit DisplayModeRestorer(host::View* view) : view_(view)
    {
        flagA_ = view_->flagA() == 1;
        if (view_->displayMode() == 3)
        {
            view_->setDisplayMode(0, 2, 0, 1);
            switched_ = true;
        }
    }
    ~DisplayModeRestorer()
    {
        if (!switched_)
            return;
        try
        {
            view_->setDisplayMode(0, 3, 1, flagA_ ? 1 : 0);
        }
        catch (...)
        {
            ReportPublishError("ProcessViewFromDrawingDoc");
        }
    }
    DisplayModeRestorer(const DisplayModeRestorer&) = delete;
    DisplayModeRestorer& operator=(const DisplayModeRestorer&) = delete;

private:
    host::View* view_;
    bool flagA_ = false;
    bool switched_ = false;
};
} // namespace

WT_Result ProcessSheetFormatFromDrawingDoc(WT_File& file, host::Sheet* sheet, host::View* view,
                                           host::Application* application,
                                           const w2dout::SheetContext& context)
{
    if (!sheet || !view || !application)
        return WT_Result_Success;
    try
    {
        host::LayerSource* layers = application->activeDocument();
        CDWF2DGrWriter writer(context, application);
        w2dout::ViewTransform transform; // the sheet itself: (0, 0, 1)

        WT_CHECK(writer.ProcessDisplayData(file, view, transform));
        WT_CHECK(writer.GenerateMultiJogLeader(file, transform, view));
        WT_CHECK(writer.GenerateBlock(file, transform, view)); // quadrant circles
        WT_CHECK(writer.GenerateBlock(file, view));            // block instances
        WT_CHECK(writer.GenerateCenterMark(file, view, transform));
        WT_CHECK(writer.GeneratePolylineFromCurve(file, view));
        if (host::Sketch* format = sheet->formatSketch())
            WT_CHECK(writer.ProcessDrawingDocSketch(file, format, transform, 0, layers));

        transform = TransformOf(view);
        const std::int32_t sketchColour = application->userPreferenceInt(116);
        WT_CHECK(writer.ProcessDrawingSketch(file, view, transform, sketchColour, application));
        WT_CHECK(writer.GenerateSpline(file, view, transform, sketchColour, layers));
        const std::int32_t edgeColour = application->userPreferenceInt(108);
        WT_CHECK(writer.GenerateCrossHatchLine(file, view, transform, edgeColour));
    }
    catch (...)
    {
        ReportPublishError("ProcessSheetFormatFromDrawingDoc");
    }
    return WT_Result_Success;
}

WT_Result ProcessViewFromDrawingDoc(WT_File& file, host::View* view, host::Application* application,
                                    const w2dout::SheetContext& context)
{
    if (!view || !application)
        return WT_Result_Success;
    try
    {
        host::LayerSource* layers = application->activeDocument();
        DisplayModeRestorer displayMode(view);
        CDWF2DGrWriter writer(context, application);
        const w2dout::ViewTransform transform = TransformOf(view);
        const std::int32_t edgeColour = application->userPreferenceInt(108);

        // Sketch geometry lies beneath annotations; model edges come last.
        writer.SetView(view);
        WT_CHECK(writer.ProcessDrawingSketch(file, view, transform, 0, application));
        WT_CHECK(writer.GenerateCrossHatchLine(file, view, transform, 10));
        WT_CHECK(writer.GenerateMultiJogLeader(file, transform, view));
        WT_CHECK(writer.GenerateDetailCircle(file));
        WT_CHECK(writer.GenerateDetailCircleOther(file));
        WT_CHECK(writer.GenerateBreakLine(file));
        WT_CHECK(writer.GenerateBomTable(file, transform));
        WT_CHECK(writer.GenerateBlock(file, view)); // block instances
        WT_CHECK(writer.GenerateSpline(file, view, transform, 0, layers));
        WT_CHECK(writer.GenerateDimension(file, view, transform));
        WT_CHECK(writer.GenerateCenterMark(file, view, transform));
        WT_CHECK(writer.GeneratePolylineFromCurve(file, view));
        WT_CHECK(writer.Generate3DCenterLine(file, view, transform));
        writer.SetView(nullptr);
        WT_CHECK(writer.GenerateBlock(file, transform, view)); // quadrant circles
        WT_CHECK(writer.ProcessDisplayData(file, view, transform));
        WT_CHECK(writer.ProcessDrawingView(file, view, transform, edgeColour));
    }
    catch (...)
    {
        ReportPublishError("ProcessViewFromDrawingDoc");
    }
    return WT_Result_Success;
}
