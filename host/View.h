#pragma once
// A drawing view (or the view that stands for a sheet) and the flat arrays
// of doubles it reports, each in the exact record layout the drawing
// writer reads (see docs/host-document.md for every layout).
#include "host/Forward.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace host
{

class View
{
public:
    virtual ~View() = default;

    virtual int stateFlag() = 0; // non-zero: the view is not drawn
    virtual int type() = 0;      // 1 the sheet's own view, 3 a detail view
    virtual View* next() = 0;
    virtual std::u16string name() = 0;
    // x offset, y offset and scale that place view coordinates on the sheet.
    virtual std::array<double, 3> transform() = 0;
    virtual double rotationAngle() = 0; // radians
    virtual std::int16_t flagA() = 0;
    virtual int displayMode() = 0;
    virtual void setDisplayMode(int first, int mode, int second, int third) = 0;

    virtual Sketch* sketch() = 0;

    // Splines: 7 + 3n doubles each (head of 6, point count n, n points).
    virtual int splineDataSize() = 0;
    virtual int splineCount() = 0;
    virtual std::vector<double> splineData() = 0;

    // Polylines: index 0 not read, then per group a segment count m and m
    // segments of 7 doubles.
    virtual int polylineGroupCount() = 0;
    virtual int polylineDataSize() = 0;
    virtual std::vector<double> polylineData() = 0;

    // Model edges, asked with 0: items of variable length.
    virtual int modelEdgeDataSize(int argument) = 0;
    virtual int modelEdgeItemCount(int argument) = 0;
    virtual std::vector<double> modelEdgeData(int argument, int itemCount) = 0;

    // Dimensions: two numbers whose product is the number of doubles; the
    // count at index 0, records of 7m + 27 doubles from index 1; one text
    // per dimension.
    virtual std::array<int, 2> dimensionDataShape() = 0;
    virtual std::vector<double> dimensionData() = 0;
    virtual std::vector<std::u16string> dimensionTexts() = 0;

    // Detail circles: index 0 not read, records of 16 + 9n doubles from
    // index 1; one label per circle.
    virtual int detailCircleDataSize() = 0;
    virtual int detailCircleCount() = 0;
    virtual std::vector<double> detailCircleData() = 0;
    virtual std::vector<std::u16string> detailCircleLabels() = 0;

    // Break lines: a head of nine values, then 12, 36, 40 or 42 values by
    // type (none for another type).
    virtual int breakLineCount() = 0;
    virtual int breakLineDataSize() = 0;
    virtual std::vector<double> breakLineData() = 0;

    virtual DetailOutline* detailOutline() = 0;
    virtual BomTable* bomTable() = 0;
    virtual DisplayData* centreLine3D() = 0;
    virtual LayerSource* blockLayerSource() = 0;

    virtual Annotation* firstAnnotation() = 0;
    // The two lists of weld-symbol items (list 1 or 2).
    virtual WeldItem* firstWeldItem(int list) = 0;
    virtual MultiJogLeader* firstMultiJogLeader() = 0;
    virtual CentreMark* firstCentreMark() = 0;
    virtual BlockInstance* firstBlockInstance() = 0;
    virtual QuadrantItem* firstQuadrantItem() = 0;
};

// The outline of a detail view: type 4 gives two points, type 2 three.
class DetailOutline
{
public:
    virtual ~DetailOutline() = default;
    virtual int type() = 0;
    virtual std::vector<double> points() = 0; // x, y, z per point
};

// A bill of materials table.
class BomTable
{
public:
    virtual ~BomTable() = default;
    virtual std::int16_t stateFlag() = 0; // 1: the table can be written
    virtual DisplayData* displayData() = 0;
    virtual void close() = 0;
};

} // namespace host
