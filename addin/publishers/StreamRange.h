#pragma once
// The range of a sheet's coordinates. A W2D stream carries every point as two
// signed 32-bit integers, which reach some 66 km from the sheet's corner on an
// A3 sheet. The drawing path works points out in doubles first and brings them
// into the range here: straight lines and areas are cut where they leave it,
// along their own lines, so that nothing inside the range moves; a point is
// never pressed onto the range's edge one axis at a time, which would turn
// whatever runs through it.
#include "dwf/w2dtk/logical_point.h"

#include <vector>

namespace w2dout
{

// A point in W2D logical units as worked out, before it becomes the stream's
// integers.
struct SheetPosition
{
    double x = 0.0;
    double y = 0.0;

    SheetPosition() = default;
    SheetPosition(double xIn, double yIn) : x(xIn), y(yIn) {}
    // A stream point is a position as it stands.
    SheetPosition(const WT_Logical_Point& point) : x(point.m_x), y(point.m_y) {}
};

// Whether truncation toward zero takes `value` to a signed 32-bit integer.
// Not a number lies in no range.
bool InStreamRange(double value);
bool InStreamRange(const SheetPosition& position);
// The stream point of a position that lies in the range, truncated toward
// zero.
WT_Logical_Point ToLogical(const SheetPosition& position);
// Whether both coordinates are finite numbers.
bool IsFinite(const SheetPosition& position);

// The parts of a polyline that lie in the range, each a polyline of its own
// that begins and ends where the polyline enters and leaves the range.
// A polyline with a point that is not a finite number has no parts.
std::vector<std::vector<WT_Logical_Point>> ClipPolyline(const std::vector<SheetPosition>& points);

// The part of a polygon's area that lies in the range, as one polygon (its
// outline runs along the range's edge where the area was cut); empty when
// none of it lies there or a point is not a finite number.
std::vector<WT_Logical_Point> ClipPolygon(const std::vector<SheetPosition>& points);

} // namespace w2dout
