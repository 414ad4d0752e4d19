// Walks the bundled sample drawing through the host interfaces only, as the
// drawing publisher does, and checks every kind of record it holds.
#include "host/Annotation.h"
#include "host/Application.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace host;

namespace
{

std::u16string samplePath()
{
    return platform::path::fromNative(std::string(QUILLCAST_SOURCE_DIR) +
                                      "/examples/sample-drawing.xml");
}

class SampleDrawing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        application = loadHostDocument(samplePath());
        document = application->activeDocument();
        ASSERT_NE(document, nullptr);
        drawing = document->asDrawing();
        ASSERT_NE(drawing, nullptr);
    }

    View* viewNamed(const std::u16string& sheet, const std::u16string& name)
    {
        if (!drawing->activateSheet(sheet))
            return nullptr;
        for (View* view = drawing->firstView(); view; view = view->next())
            if (view->name() == name)
                return view;
        return nullptr;
    }

    std::unique_ptr<memory::Application> application;
    Document* document = nullptr;
    Drawing* drawing = nullptr;
};

} // namespace

TEST_F(SampleDrawing, DocumentAndApplication)
{
    EXPECT_EQ(document->type(), kDrawingDocument);
    EXPECT_EQ(document->title(), u"sample-drawing.DRW");
    EXPECT_EQ(document->pathName(), u"/samples/sample-drawing.DRW");
    EXPECT_EQ(document->imageQuality(), 20);
    EXPECT_EQ(document->summaryInfo(0), u"Bracket assembly drawing");
    EXPECT_EQ(document->summaryInfo(7), u"2026-12-06 21:00");
    EXPECT_EQ(document->summaryInfo(8), u"");
    EXPECT_EQ(document->menuProbe(), 1);
    EXPECT_EQ(document->next(), nullptr);
    EXPECT_EQ(application->firstDocument(), document);
    EXPECT_EQ(application->userPreferenceInt(116), 0x808080);
    EXPECT_EQ(application->userPreferenceInt(108), 0);
    EXPECT_EQ(application->menuName(0), u"File");
    EXPECT_FALSE(application->menuName(1));
    EXPECT_EQ(platform::path::lastComponent(application->toolboxIniFile), u"toolbox.ini");
    EXPECT_TRUE(platform::path::fileExists(
        platform::path::join(platform::path::cutLastComponent(
                                 platform::path::cutLastComponent(application->toolboxIniFile)),
                             u"lang/english/Gtol.sym")));

    auto* layers = document->layerManager();
    ASSERT_NE(layers, nullptr);
    EXPECT_NE(layers->layer(1)->visible(), 0);
    EXPECT_EQ(layers->layer(2)->visible(), 0);
    EXPECT_EQ(layers->layer(3), nullptr);
}

TEST_F(SampleDrawing, SheetsAndViews)
{
    ASSERT_EQ(drawing->sheetCount(), 2);
    EXPECT_EQ(drawing->sheetNames(), (std::vector<std::u16string>{u"Sheet1", u"Sheet2"}));
    EXPECT_EQ(drawing->currentSheet()->name(), u"Sheet1");
    const auto a3 = drawing->currentSheet()->properties();
    ASSERT_EQ(a3.size(), 7u);
    EXPECT_DOUBLE_EQ(a3[5], 0.42);
    EXPECT_DOUBLE_EQ(a3[6], 0.297);
    ASSERT_NE(drawing->currentSheet()->formatSketch(), nullptr);

    std::vector<std::u16string> names;
    for (View* view = drawing->firstView(); view; view = view->next())
        names.push_back(view->name());
    EXPECT_EQ(names,
              (std::vector<std::u16string>{u"Sheet1", u"Drawing View1", u"Detail View A (2 : 1)"}));
    EXPECT_EQ(drawing->firstView()->type(), 1);

    EXPECT_FALSE(drawing->activateSheet(u"Sheet9"));
    ASSERT_TRUE(drawing->activateSheet(u"Sheet2"));
    EXPECT_DOUBLE_EQ(drawing->currentSheet()->properties()[5], 0.21);
    View* hidden = viewNamed(u"Sheet2", u"Hidden View");
    ASSERT_NE(hidden, nullptr);
    EXPECT_EQ(hidden->stateFlag(), 1);
    View* rotated = viewNamed(u"Sheet2", u"Drawing View3");
    ASSERT_NE(rotated, nullptr);
    EXPECT_NEAR(rotated->rotationAngle(), M_PI / 6, 1e-12);
}

TEST_F(SampleDrawing, SketchRecordsHaveTheirFixedSizes)
{
    View* view = viewNamed(u"Sheet1", u"Drawing View1");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->type(), 7);
    EXPECT_EQ(view->displayMode(), 3);
    EXPECT_EQ(view->flagA(), 1);
    const auto transform = view->transform();
    EXPECT_DOUBLE_EQ(transform[0], 0.12);
    EXPECT_DOUBLE_EQ(transform[2], 0.5);

    Sketch* sketch = view->sketch();
    ASSERT_NE(sketch, nullptr);
    ASSERT_EQ(sketch->lineCount(kSketchLines), 5);
    const auto lines = sketch->lines(kSketchLines);
    ASSERT_EQ(lines.size(), 5u * layout::kSketchLine);
    EXPECT_EQ(lines[0], 5) << "colour 5 takes the walk's default colour";
    EXPECT_EQ(lines[4], 1) << "layer id";
    EXPECT_DOUBLE_EQ(lines[6], -0.08);
    EXPECT_EQ(lines[4 * 12 + 4], 2) << "the last line lies on the hidden layer";
    EXPECT_EQ(sketch->lineCount(kHatchLines), 3);
    EXPECT_EQ(sketch->lines(kHatchLines)[0], -1) << "hatch lines use -1 for the default colour";
    EXPECT_EQ(sketch->arcCount(), 2);
    const auto arcs = sketch->arcs();
    ASSERT_EQ(arcs.size(), 2u * layout::kSketchArc);
    EXPECT_EQ(arcs[15], 1);
    EXPECT_EQ(arcs[16 + 15], -1);
    EXPECT_EQ(sketch->ellipseCount(), 1);
    EXPECT_EQ(sketch->ellipses().size(), layout::kSketchEllipse);
    EXPECT_EQ(sketch->parabolaCount(), 1);
    const auto parabola = sketch->parabolas();
    ASSERT_EQ(parabola.size(), layout::kSketchParabola);
    EXPECT_DOUBLE_EQ(parabola[13], 0.025) << "focus y";
    EXPECT_DOUBLE_EQ(parabola[16], 0.02) << "apex y";
}

TEST_F(SampleDrawing, HatchesChainTheirEdges)
{
    Sketch* sketch = viewNamed(u"Sheet1", u"Drawing View1")->sketch();
    const auto hatches = sketch->hatches();
    ASSERT_EQ(hatches.size(), 2u);
    EXPECT_EQ(hatches[0]->solid(), 1);
    EXPECT_EQ(hatches[0]->colour(), 0xC0C0C0);
    EXPECT_EQ(hatches[1]->solid(), 0);
    Face* face = hatches[0]->face();
    ASSERT_NE(face, nullptr);
    Loop* outer = face->firstLoop();
    ASSERT_NE(outer, nullptr);
    const auto edges = outer->edges();
    ASSERT_EQ(edges.size(), 4u);
    Curve* second = edges[1]->curve();
    const auto range = second->paramRange();
    const auto start = second->pointAt(range[0]);
    const auto end = second->pointAt(range[1]);
    EXPECT_DOUBLE_EQ(start[1], -0.025);
    EXPECT_DOUBLE_EQ(end[1], -0.045);
    EXPECT_EQ(second->tessellate().size(), 9u);
    Loop* inner = outer->next();
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->edges().size(), 1u);
    EXPECT_EQ(inner->next(), nullptr);
}

TEST_F(SampleDrawing, VariableLengthArraysWalkToTheirEnds)
{
    View* view = viewNamed(u"Sheet1", u"Drawing View1");
    const auto splines = layout::splines(view->splineCount(), view->splineData());
    ASSERT_TRUE(splines.ok()) << splines.error;
    EXPECT_EQ(splines.offsets, (std::vector<std::size_t>{0, 22}));
    EXPECT_EQ(view->splineDataSize(), 22 + 16);

    const auto groups = layout::polylineGroups(view->polylineGroupCount(), view->polylineData());
    ASSERT_TRUE(groups.ok()) << groups.error;
    EXPECT_EQ(view->polylineData()[groups.offsets[0]], 2);

    EXPECT_EQ(view->modelEdgeItemCount(0), 4);
    const auto edges = layout::modelEdges(view->modelEdgeItemCount(0), view->modelEdgeData(0, 4));
    ASSERT_TRUE(edges.ok()) << edges.error;
    const auto edgeData = view->modelEdgeData(0, 4);
    EXPECT_EQ(edgeData[edges.offsets[0]], 0) << "a polyline item";
    EXPECT_EQ(edgeData[edges.offsets[1] + 1], 12) << "an arc item carries 12 geometry values";
    EXPECT_DOUBLE_EQ(edgeData[edges.offsets[2] + 13], -1) << "the arc facing away has axis z = -1";
    EXPECT_NEAR(edgeData[edges.offsets[3] + 13], 0.5, 1e-6)
        << "the tilted arc's axis is 60 degrees off";

    const auto dimensions = layout::dimensions(view->dimensionData());
    ASSERT_TRUE(dimensions.ok()) << dimensions.error;
    EXPECT_EQ(dimensions.offsets.size(), 2u);
    EXPECT_EQ(view->dimensionTexts(), (std::vector<std::u16string>{u"160", u"100"}));
    const auto shape = view->dimensionDataShape();
    EXPECT_EQ(static_cast<std::size_t>(shape[0] * shape[1]), view->dimensionData().size());
    const auto data = view->dimensionData();
    EXPECT_EQ(data[dimensions.offsets[0] + 1], 2) << "segments of the first dimension";
    EXPECT_EQ(data[dimensions.offsets[1] + 2 + 7 + 8], 2) << "first arrow style of the second";
    EXPECT_DOUBLE_EQ(data[dimensions.offsets[1] + 26 + 7], 0.0035) << "text height";

    const auto circles = layout::detailCircles(view->detailCircleCount(), view->detailCircleData());
    ASSERT_TRUE(circles.ok()) << circles.error;
    EXPECT_EQ(circles.offsets, (std::vector<std::size_t>{1}));
    EXPECT_EQ(view->detailCircleLabels(), std::vector<std::u16string>{u"A"});
    EXPECT_EQ(view->detailCircleData()[1 + 14], 0.005) << "label height";

    const auto breaks = layout::breakLines(view->breakLineCount(), view->breakLineData());
    ASSERT_TRUE(breaks.ok()) << breaks.error;
    const auto breakData = view->breakLineData();
    std::vector<double> types;
    for (auto offset : breaks.offsets)
        types.push_back(breakData[offset]);
    EXPECT_EQ(types, (std::vector<double>{1, 3, 9, 4, 2}));
    EXPECT_EQ(breaks.offsets[3], breaks.offsets[2] + 9) << "an unknown type holds only its head";
}

TEST_F(SampleDrawing, AnnotationsAndTheirLists)
{
    View* sheetView = viewNamed(u"Sheet1", u"Sheet1");
    Annotation* note = sheetView->firstAnnotation();
    ASSERT_NE(note, nullptr);
    DisplayData* data = note->displayData();
    ASSERT_EQ(data->textCount(), 1);
    EXPECT_EQ(data->text(0), u"FLATNESS <GTOL-FLAT> 0.05\nPERPENDICULAR <GTOL-PERP> 0.1 <MMC>");
    EXPECT_DOUBLE_EQ(data->textHeight(0), 0.0035);
    EXPECT_EQ(data->textFont(0), u"Arial");
    EXPECT_EQ(data->lineCount(), 1);
    EXPECT_EQ(data->line(0).size(), layout::kDisplayLine);
    EXPECT_EQ(data->line(0)[1], 9) << "line style";
    EXPECT_TRUE(data->line(1).empty());
    Annotation* second = note->next();
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->colour(), 0xFF0000);
    EXPECT_EQ(second->displayData()->textJustification(0), 2);
    EXPECT_EQ(second->displayData()->arc(0).size(), layout::kDisplayArc);
    EXPECT_EQ(second->displayData()->arrow(0)[8], 1);
    EXPECT_EQ(second->next(), nullptr);

    ASSERT_NE(sheetView->firstMultiJogLeader(), nullptr);
    EXPECT_EQ(sheetView->firstMultiJogLeader()->displayData()->lineCount(), 2);
    ASSERT_NE(sheetView->firstCentreMark(), nullptr);
    EXPECT_EQ(sheetView->firstCentreMark()->annotation()->displayData()->lineCount(), 2);
    BlockInstance* block = sheetView->firstBlockInstance();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block->annotation()->position()[0], 0.385);
    EXPECT_EQ(block->definition()->sketch()->lineCount(kSketchLines), 4);
    QuadrantItem* quadrant = sheetView->firstQuadrantItem();
    ASSERT_NE(quadrant, nullptr);
    EXPECT_EQ(quadrant->flag(), 1);
    EXPECT_EQ(quadrant->points(), (std::vector<double>{0.37, 0.2, 0.38, 0.21, 0.39, 0.2}));

    View* view = viewNamed(u"Sheet1", u"Drawing View1");
    std::vector<int> types;
    for (Annotation* a = view->firstAnnotation(); a; a = a->next())
        types.push_back(a->type());
    EXPECT_EQ(types, (std::vector<int>{2, 8}));
    WeldItem* weld = view->firstWeldItem(1);
    ASSERT_NE(weld, nullptr);
    EXPECT_EQ(weld->triangleCount(), 2);
    EXPECT_EQ(weld->filled(0), 0);
    EXPECT_EQ(weld->filled(1), 1);
    EXPECT_EQ(weld->triangle(1)[3], 0.215);
    EXPECT_EQ(view->firstWeldItem(2)->triangleCount(), 1);
    EXPECT_EQ(view->firstWeldItem(3), nullptr);
    BomTable* table = view->bomTable();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->stateFlag(), 1);
    EXPECT_EQ(table->displayData()->textCount(), 4);
    EXPECT_EQ(view->centreLine3D()->lineCount(), 3);
    ASSERT_NE(view->blockLayerSource(), nullptr);
    EXPECT_NE(view->blockLayerSource()->layerManager()->layer(1)->visible(), 0);
    EXPECT_NEAR(view->firstBlockInstance()->angle(), M_PI / 2, 1e-15);
    EXPECT_EQ(view->firstBlockInstance()->scale(), 2);
    EXPECT_EQ(view->firstQuadrantItem()->annotation()->displayData()->textCount(), 0);
}

TEST_F(SampleDrawing, DetailViewBuildsItsEdgesOnRequest)
{
    View* detail = viewNamed(u"Sheet1", u"Detail View A (2 : 1)");
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(detail->type(), 3);
    EXPECT_EQ(detail->detailOutline()->type(), 2);
    EXPECT_EQ(detail->detailOutline()->points().size(), 9u);
    EXPECT_EQ(detail->modelEdgeDataSize(0), 0)
        << "edges appear only once the display mode is applied";
    detail->setDisplayMode(0, detail->displayMode(), 1, 1);
    EXPECT_GT(detail->modelEdgeDataSize(0), 0);
    EXPECT_TRUE(
        layout::modelEdges(detail->modelEdgeItemCount(0), detail->modelEdgeData(0, 2)).ok());
}
