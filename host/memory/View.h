#pragma once
#include "host/View.h"
#include "host/memory/Object.h"

namespace host::memory
{

class Sketch;
class Annotation;
class DisplayData;
class LayerSource;

class DetailOutline : public host::DetailOutline, public Object
{
public:
    using Object::Object;
    int outlineType = 0;
    std::vector<double> outlinePoints;
    int type() override;
    std::vector<double> points() override;
};

class BomTable : public host::BomTable, public Object
{
public:
    using Object::Object;
    std::int16_t state = 1;
    DisplayData* data = nullptr;
    std::int16_t stateFlag() override;
    host::DisplayData* displayData() override;
    void close() override;
};

// A list whose element count travels apart from its data (splines,
// polylines, model edges, detail circles, break lines, dimensions).
struct CountedArray
{
    int count = 0;
    std::vector<double> data;
};

class View : public host::View, public Object
{
public:
    using Object::Object;

    std::u16string viewName;
    int state = 0;
    int viewType = 0;
    View* nextView = nullptr;
    std::array<double, 3> placement{0.0, 0.0, 1.0};
    double rotation = 0.0;
    std::int16_t flag = 0;
    int mode = 2;
    Sketch* viewSketch = nullptr;

    CountedArray splines;
    CountedArray polylines; // count = number of groups
    CountedArray modelEdges;
    // When set, the model-edge data reads as empty until the display mode
    // is applied again with (0, mode, 1, 1), as a host that builds the
    // edges lazily does.
    bool modelEdgesNeedDisplayMode = false;
    std::vector<double> dimensions; // count at index 0
    std::vector<std::u16string> dimensionStrings;
    CountedArray detailCircles;
    std::vector<std::u16string> detailLabels;
    CountedArray breakLines;

    DetailOutline* outline = nullptr;
    BomTable* table = nullptr;
    DisplayData* centreLines = nullptr;
    LayerSource* blockLayers = nullptr;
    Annotation* annotations = nullptr;
    host::WeldItem* weldList1 = nullptr;
    host::WeldItem* weldList2 = nullptr;
    host::MultiJogLeader* leaders = nullptr;
    host::CentreMark* centreMarks = nullptr;
    host::BlockInstance* blocks = nullptr;
    host::QuadrantItem* quadrants = nullptr;

    int stateFlag() override;
    int type() override;
    host::View* next() override;
    std::u16string name() override;
    std::array<double, 3> transform() override;
    double rotationAngle() override;
    std::int16_t flagA() override;
    int displayMode() override;
    void setDisplayMode(int first, int mode, int second, int third) override;
    host::Sketch* sketch() override;
    int splineDataSize() override;
    int splineCount() override;
    std::vector<double> splineData() override;
    int polylineGroupCount() override;
    int polylineDataSize() override;
    std::vector<double> polylineData() override;
    int modelEdgeDataSize(int argument) override;
    int modelEdgeItemCount(int argument) override;
    std::vector<double> modelEdgeData(int argument, int itemCount) override;
    std::array<int, 2> dimensionDataShape() override;
    std::vector<double> dimensionData() override;
    std::vector<std::u16string> dimensionTexts() override;
    int detailCircleDataSize() override;
    int detailCircleCount() override;
    std::vector<double> detailCircleData() override;
    std::vector<std::u16string> detailCircleLabels() override;
    int breakLineCount() override;
    int breakLineDataSize() override;
    std::vector<double> breakLineData() override;
    host::DetailOutline* detailOutline() override;
    host::BomTable* bomTable() override;
    host::DisplayData* centreLine3D() override;
    host::LayerSource* blockLayerSource() override;
    host::Annotation* firstAnnotation() override;
    host::WeldItem* firstWeldItem(int list) override;
    host::MultiJogLeader* firstMultiJogLeader() override;
    host::CentreMark* firstCentreMark() override;
    host::BlockInstance* firstBlockInstance() override;
    host::QuadrantItem* firstQuadrantItem() override;

private:
    bool edgesBuilt_ = false;
};

} // namespace host::memory
