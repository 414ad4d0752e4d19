#pragma once
// Walkers over the host's variable-length record arrays. Each checks that
// every record lies wholly inside the array before it is used and that
// counts are whole, non-negative and of sane size; the answer is either
// the start offset of every record or the reason the array is malformed.
#include <cstddef>
#include <string>
#include <vector>

namespace host::layout
{

// Record sizes of the fixed-size lists.
constexpr std::size_t kSketchLine = 12;
constexpr std::size_t kSketchArc = 16;
// A 3D sketch's arc may add the axis of its plane (indices 16-18).
constexpr std::size_t kSketchArcWithAxis = 19;
constexpr std::size_t kSketchEllipse = 22;
constexpr std::size_t kSketchParabola = 18;
constexpr std::size_t kDisplayLine = 10;
constexpr std::size_t kDisplayArc = 17;
constexpr std::size_t kDisplayArrow = 9;
constexpr std::size_t kWeldTriangle = 9;
constexpr std::size_t kPolylineSegment = 7;

// The largest count any record array may claim; more is taken as corrupt.
constexpr long long kMaxCount = 1000000;

struct Walk
{
    std::vector<std::size_t> offsets; // start index of each record
    std::string error;                // empty when the array is sound
    bool ok() const { return error.empty(); }
};

// `count` records of `size` doubles, nothing more or less.
Walk fixedRecords(long long count, const std::vector<double>& data, std::size_t size);
// Splines: 7 + 3n doubles each, n at record index 6.
Walk splines(long long count, const std::vector<double>& data);
// A 3D sketch's splines: 3 + 3n doubles each, n at record index 2.
Walk sketchSplines(long long count, const std::vector<double>& data);
// A B-spline block as the host gives it (see host/Geometry.h): stride 3 or
// 4, order and control point count from 1 to 1000000, and exactly
// 2 + order + count knots and points. The offsets are those of the first
// knot and of the first control point.
Walk bsplineBlock(const std::vector<double>& block);
// Polylines: index 0 not read; per group a segment count m then 7m doubles.
// The offsets are those of each group's count.
Walk polylineGroups(long long groups, const std::vector<double>& data);
// Model edges: item type, k, k geometry values, six more, n, 3n doubles.
Walk modelEdges(long long items, const std::vector<double>& data);
// Dimensions: count at index 0, records of 7m + 27 doubles from index 1.
Walk dimensions(const std::vector<double>& data);
// Detail circles: index 0 not read, records of 16 + 9n doubles from 1.
Walk detailCircles(long long count, const std::vector<double>& data);
// Break lines: a head of nine, then 12, 36, 40 or 42 values for types 1-4.
Walk breakLines(long long count, const std::vector<double>& data);
// The number of geometry values that follow a break line's head.
std::size_t breakLineGeometrySize(long long type);

// A whole, non-negative count no larger than `limit`, read from a double.
bool countFrom(double value, long long limit, long long& count);

} // namespace host::layout
