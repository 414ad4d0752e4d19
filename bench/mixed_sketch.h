#pragma once
// The sketch the large-drawing benchmarks publish: `entities` entities in
// rows, 80 % short line segments, 15 % quarter arcs and 5 % ellipses, each
// family's rows spread over the rectangle from (-halfWidth, -halfHeight) to
// (halfWidth, halfHeight) of the view. Line segments are drawn in six
// colours and eight line styles, none meeting the next end to end.
#include "host/memory/Sketch.h"

#include <cstddef>

namespace publish_bench
{

inline void FillMixedSketch(host::memory::Sketch& sketch, int entities, double halfWidth,
                            double halfHeight)
{
    const int lines = entities * 80 / 100;
    const int arcs = entities * 15 / 100;
    const int ellipses = entities - lines - arcs;
    // Where entity i of a family of `count`, `perRow` to a row, stands.
    const auto place = [&](int i, int count, int perRow, double& x, double& y)
    {
        const int rows = (count + perRow - 1) / perRow;
        x = -halfWidth + (i % perRow) * (2 * halfWidth / perRow);
        y = -halfHeight + (i / perRow) * (2 * halfHeight / rows);
    };
    double x = 0;
    double y = 0;

    sketch.sketchLines.data.reserve(static_cast<std::size_t>(lines) * 12);
    for (int i = 0; i < lines; ++i)
    {
        place(i, lines, 1000, x, y);
        sketch.sketchLines.data.insert(
            sketch.sketchLines.data.end(),
            {5, 0, double(i % 6), double(i % 8), -1, 0, x, y, 0, x + 0.0004, y + 0.0002, 0});
    }
    sketch.sketchLines.count = lines;

    sketch.sketchArcs.data.reserve(static_cast<std::size_t>(arcs) * 16);
    for (int i = 0; i < arcs; ++i)
    {
        place(i, arcs, 500, x, y);
        sketch.sketchArcs.data.insert(
            sketch.sketchArcs.data.end(),
            {5, 0, 0, 1, -1, 0, x + 0.0005, y, 0, x, y + 0.0005, 0, x, y, 0, 1});
    }
    sketch.sketchArcs.count = arcs;

    sketch.sketchEllipses.data.reserve(static_cast<std::size_t>(ellipses) * 22);
    for (int i = 0; i < ellipses; ++i)
    {
        place(i, ellipses, 250, x, y);
        sketch.sketchEllipses.data.insert(sketch.sketchEllipses.data.end(),
                                          {5, 0, 0, 1, -1, 0, x + 0.001, y, 0, x + 0.001, y, 0,
                                           x, y, 0, x + 0.001, y, 0, x, y + 0.0005, 0, 0});
    }
    sketch.sketchEllipses.count = ellipses;
}

} // namespace publish_bench
