#include "host/memory/View.h"

#include "host/memory/Annotation.h"
#include "host/memory/Document.h"
#include "host/memory/Sketch.h"

namespace host::memory
{

namespace
{
int sizeOf(const std::vector<double>& data)
{
    return static_cast<int>(data.size());
}
} // namespace

int DetailOutline::type()
{
    ask("DetailOutline::type");
    return outlineType;
}

std::vector<double> DetailOutline::points()
{
    ask("DetailOutline::points");
    return outlinePoints;
}

std::int16_t BomTable::stateFlag()
{
    ask("BomTable::stateFlag");
    return state;
}

host::DisplayData* BomTable::displayData()
{
    ask("BomTable::displayData");
    return data;
}

void BomTable::close()
{
    ask("BomTable::close");
    log("close()");
}

int View::stateFlag()
{
    ask("View::stateFlag");
    return state;
}

int View::type()
{
    ask("View::type");
    return viewType;
}

host::View* View::next()
{
    ask("View::next");
    return nextView;
}

std::u16string View::name()
{
    ask("View::name");
    return viewName;
}

std::array<double, 3> View::transform()
{
    ask("View::transform");
    return placement;
}

double View::rotationAngle()
{
    ask("View::rotationAngle");
    return rotation;
}

std::int16_t View::flagA()
{
    ask("View::flagA");
    return flag;
}

int View::displayMode()
{
    ask("View::displayMode");
    return mode;
}

void View::setDisplayMode(int first, int newMode, int second, int third)
{
    ask("View::setDisplayMode");
    log("setDisplayMode(" + std::to_string(first) + "," + std::to_string(newMode) + "," +
        std::to_string(second) + "," + std::to_string(third) + ")");
    mode = newMode;
    if (first == 0 && second == 1 && third == 1)
        edgesBuilt_ = true;
}

host::Sketch* View::sketch()
{
    ask("View::sketch");
    return viewSketch;
}

int View::splineDataSize()
{
    ask("View::splineDataSize");
    return sizeOf(splines.data);
}

int View::splineCount()
{
    ask("View::splineCount");
    return splines.count;
}

std::vector<double> View::splineData()
{
    ask("View::splineData");
    return splines.data;
}

int View::polylineGroupCount()
{
    ask("View::polylineGroupCount");
    return polylines.count;
}

int View::polylineDataSize()
{
    ask("View::polylineDataSize");
    return sizeOf(polylines.data);
}

std::vector<double> View::polylineData()
{
    ask("View::polylineData");
    return polylines.data;
}

int View::modelEdgeDataSize(int)
{
    ask("View::modelEdgeDataSize");
    if (modelEdgesNeedDisplayMode && !edgesBuilt_)
        return 0;
    return sizeOf(modelEdges.data);
}

int View::modelEdgeItemCount(int)
{
    ask("View::modelEdgeItemCount");
    if (modelEdgesNeedDisplayMode && !edgesBuilt_)
        return 0;
    return modelEdges.count;
}

std::vector<double> View::modelEdgeData(int, int)
{
    ask("View::modelEdgeData");
    if (modelEdgesNeedDisplayMode && !edgesBuilt_)
        return {};
    return modelEdges.data;
}

std::array<int, 2> View::dimensionDataShape()
{
    ask("View::dimensionDataShape");
    return {sizeOf(dimensions), dimensions.empty() ? 0 : 1};
}

std::vector<double> View::dimensionData()
{
    ask("View::dimensionData");
    return dimensions;
}

std::vector<std::u16string> View::dimensionTexts()
{
    ask("View::dimensionTexts");
    return dimensionStrings;
}

int View::detailCircleDataSize()
{
    ask("View::detailCircleDataSize");
    return sizeOf(detailCircles.data);
}

int View::detailCircleCount()
{
    ask("View::detailCircleCount");
    return detailCircles.count;
}

std::vector<double> View::detailCircleData()
{
    ask("View::detailCircleData");
    return detailCircles.data;
}

std::vector<std::u16string> View::detailCircleLabels()
{
    ask("View::detailCircleLabels");
    return detailLabels;
}

int View::breakLineCount()
{
    ask("View::breakLineCount");
    return breakLines.count;
}

int View::breakLineDataSize()
{
    ask("View::breakLineDataSize");
    return sizeOf(breakLines.data);
}

std::vector<double> View::breakLineData()
{
    ask("View::breakLineData");
    return breakLines.data;
}

host::DetailOutline* View::detailOutline()
{
    ask("View::detailOutline");
    return outline;
}

host::BomTable* View::bomTable()
{
    ask("View::bomTable");
    return table;
}

host::DisplayData* View::centreLine3D()
{
    ask("View::centreLine3D");
    return centreLines;
}

host::LayerSource* View::blockLayerSource()
{
    ask("View::blockLayerSource");
    return blockLayers;
}

host::Annotation* View::firstAnnotation()
{
    ask("View::firstAnnotation");
    return annotations;
}

host::WeldItem* View::firstWeldItem(int list)
{
    ask("View::firstWeldItem");
    return list == 1 ? weldList1 : list == 2 ? weldList2 : nullptr;
}

host::MultiJogLeader* View::firstMultiJogLeader()
{
    ask("View::firstMultiJogLeader");
    return leaders;
}

host::CentreMark* View::firstCentreMark()
{
    ask("View::firstCentreMark");
    return centreMarks;
}

host::BlockInstance* View::firstBlockInstance()
{
    ask("View::firstBlockInstance");
    return blocks;
}

host::QuadrantItem* View::firstQuadrantItem()
{
    ask("View::firstQuadrantItem");
    return quadrants;
}

} // namespace host::memory
