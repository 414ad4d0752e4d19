#include "host/memory/Sketch.h"

#include "host/memory/Geometry.h"

namespace host::memory
{

std::int16_t SketchHatch::solid()
{
    ask("SketchHatch::solid");
    return solidFlag;
}

int SketchHatch::colour()
{
    ask("SketchHatch::colour");
    return hatchColour;
}

host::Face* SketchHatch::face()
{
    ask("SketchHatch::face");
    return hatchFace;
}

int Sketch::lineCount(int kind)
{
    ask("Sketch::lineCount");
    return kind == kHatchLines ? hatchLines.count : kind == kSketchLines ? sketchLines.count : 0;
}

std::vector<double> Sketch::lines(int kind)
{
    ask("Sketch::lines");
    return kind == kHatchLines    ? hatchLines.data
           : kind == kSketchLines ? sketchLines.data
                                  : std::vector<double>();
}

int Sketch::arcCount()
{
    ask("Sketch::arcCount");
    return sketchArcs.count;
}

std::vector<double> Sketch::arcs()
{
    ask("Sketch::arcs");
    return sketchArcs.data;
}

int Sketch::ellipseCount()
{
    ask("Sketch::ellipseCount");
    return sketchEllipses.count;
}

std::vector<double> Sketch::ellipses()
{
    ask("Sketch::ellipses");
    return sketchEllipses.data;
}

int Sketch::parabolaCount()
{
    ask("Sketch::parabolaCount");
    return sketchParabolas.count;
}

std::vector<double> Sketch::parabolas()
{
    ask("Sketch::parabolas");
    return sketchParabolas.data;
}

std::vector<host::SketchHatch*> Sketch::hatches()
{
    ask("Sketch::hatches");
    return std::vector<host::SketchHatch*>(sketchHatches.begin(), sketchHatches.end());
}

std::int16_t Sketch::flag()
{
    ask("Sketch::flag");
    return sketchFlag;
}

int Sketch::splineCount()
{
    ask("Sketch::splineCount");
    return sketchSplines.count;
}

int Sketch::splineDataSize()
{
    ask("Sketch::splineDataSize");
    return static_cast<int>(sketchSplines.data.size());
}

std::vector<double> Sketch::splineData()
{
    ask("Sketch::splineData");
    return sketchSplines.data;
}

} // namespace host::memory
