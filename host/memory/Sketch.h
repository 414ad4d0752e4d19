#pragma once
#include "host/Sketch.h"
#include "host/memory/Object.h"

namespace host::memory
{

class Face;

class SketchHatch : public host::SketchHatch, public Object
{
public:
    using Object::Object;
    std::int16_t solidFlag = 1;
    int hatchColour = 0;
    Face* hatchFace = nullptr;
    std::int16_t solid() override;
    int colour() override;
    host::Face* face() override;
};

class Sketch : public host::Sketch, public Object
{
public:
    using Object::Object;
    RecordArray sketchLines; // kind 1, 12 doubles each
    RecordArray hatchLines;  // kind 2, 12 doubles each
    RecordArray sketchArcs;
    RecordArray sketchEllipses;
    RecordArray sketchParabolas;
    std::vector<SketchHatch*> sketchHatches;
    std::int16_t sketchFlag = 1;
    RecordArray sketchSplines; // 3D sketches: count and data verbatim

    int lineCount(int kind) override;
    std::vector<double> lines(int kind) override;
    int arcCount() override;
    std::vector<double> arcs() override;
    int ellipseCount() override;
    std::vector<double> ellipses() override;
    int parabolaCount() override;
    std::vector<double> parabolas() override;
    std::vector<host::SketchHatch*> hatches() override;
    std::int16_t flag() override;
    int splineCount() override;
    int splineDataSize() override;
    std::vector<double> splineData() override;
};

} // namespace host::memory
