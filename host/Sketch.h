#pragma once
// Sketches: flat record arrays of lines, arcs, ellipses and parabolas, and
// the sketch's hatches.
#include "host/Forward.h"

#include <cstdint>
#include <vector>

namespace host
{

enum SketchLineKind : int
{
    kSketchLines = 1,
    kHatchLines = 2
};

class Sketch
{
public:
    virtual ~Sketch() = default;
    // Lines of 12 doubles; kind 1 sketch lines, kind 2 hatch lines.
    virtual int lineCount(int kind) = 0;
    virtual std::vector<double> lines(int kind) = 0;
    virtual int arcCount() = 0;
    // 16 doubles each; the arcs of a 3D sketch may all carry 19, the last
    // three the axis of the arc's plane.
    virtual std::vector<double> arcs() = 0;
    virtual int ellipseCount() = 0;
    virtual std::vector<double> ellipses() = 0; // 22 doubles each
    virtual int parabolaCount() = 0;
    virtual std::vector<double> parabolas() = 0; // 18 doubles each
    virtual std::vector<SketchHatch*> hatches() = 0;

    // --- What the part and assembly road asks of a 3D sketch ---
    virtual std::int16_t flag() = 0; // 1 lets the sketch be written
    // Splines of 3 + 3n doubles each: two values not read, the point count
    // n, then n points. The size is the number of doubles of all of them.
    virtual int splineCount() = 0;
    virtual int splineDataSize() = 0;
    virtual std::vector<double> splineData() = 0;
};

class SketchHatch
{
public:
    virtual ~SketchHatch() = default;
    virtual std::int16_t solid() = 0;
    virtual int colour() = 0;
    virtual Face* face() = 0;
};

} // namespace host
