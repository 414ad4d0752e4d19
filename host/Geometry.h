#pragma once
// Topology and geometry: faces with their loops, edges and curves (used by
// hatches of drawings and by the bodies of parts), bodies, features,
// textures and the other objects the part and assembly road reads.
#include "host/Forward.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace host
{

enum CurveKind : int
{
    kLineCurve = 3001,
    kCircleCurve = 3002,
    kEllipseCurve = 3003,
    kBSplineCurve = 3005
};

// A B-spline block begins with four 32-bit integers held in the memory of
// its first two doubles: the stride of a control point (3, or 4 with a
// weight), the order, the number of control points, and one value that is
// not used. The knots and the control points follow from double 2 on.
struct BsplineHeader
{
    std::int32_t stride = 0;
    std::int32_t order = 0;
    std::int32_t count = 0;
    std::int32_t unused = 0;
};

inline std::array<double, 2> packBsplineHeader(const BsplineHeader& header)
{
    const std::int32_t values[4] = {header.stride, header.order, header.count, header.unused};
    std::array<double, 2> packed{};
    static_assert(sizeof values == sizeof packed, "four integers fill two doubles");
    std::memcpy(packed.data(), values, sizeof values);
    return packed;
}

// The header of a block; all zero when the block is shorter than two doubles.
inline BsplineHeader readBsplineHeader(const std::vector<double>& block)
{
    BsplineHeader header;
    if (block.size() < 2)
        return header;
    std::int32_t values[4];
    std::memcpy(values, block.data(), sizeof values);
    header.stride = values[0];
    header.order = values[1];
    header.count = values[2];
    header.unused = values[3];
    return header;
}

class Curve
{
public:
    virtual ~Curve() = default;
    // Start and end parameter.
    virtual std::array<double, 2> paramRange() = 0;
    // The point (x, y, z) at a parameter.
    virtual std::array<double, 3> pointAt(double parameter) = 0;
    // Tessellation points, x, y, z each.
    virtual std::vector<double> tessellate() = 0;

    virtual int kind() = 0;
    virtual std::vector<double> circleParams() = 0;  // 7 doubles
    virtual std::vector<double> ellipseParams() = 0; // 11 doubles
    // The number of doubles of the B-spline block, and the block itself.
    virtual int bsplineSize(int first, int second) = 0;
    virtual std::vector<double> bsplineData() = 0;
    virtual bool isCircle() = 0;
};

class Edge
{
public:
    virtual ~Edge() = default;
    virtual Curve* curve() = 0;
    // Eleven doubles: start, end, start and end parameter, three more.
    virtual std::vector<double> curveParams() = 0;
};

class Loop
{
public:
    virtual ~Loop() = default;
    virtual std::vector<Edge*> edges() = 0;
    virtual Loop* next() = 0;
};

class Texture
{
public:
    virtual ~Texture() = default;
    virtual double angle() = 0; // degrees
    virtual double scale() = 0;
    virtual std::u16string fileName() = 0;
};

class Face
{
public:
    virtual ~Face() = default;
    virtual Loop* firstLoop() = 0;

    // --- What the part and assembly road asks of a face ---
    virtual Face* next() = 0; // the next face of the same body
    virtual Feature* feature() = 0;
    virtual int triangleCount() = 0;
    virtual std::vector<float> normals() = 0;               // 9 per triangle
    virtual std::vector<float> triangles(int argument) = 0; // 9 per triangle
    virtual std::vector<float> textureCoordinates() = 0;    // 6 per triangle
    virtual std::vector<double> materialValues() = 0;       // 9, or nothing
    virtual Texture* texture(const std::u16string& configuration) = 0;
};

class Body
{
public:
    virtual ~Body() = default;
    virtual Face* firstFace() = 0;
    virtual std::vector<Edge*> edges() = 0;
    virtual bool included() = 0; // the yes/no query the assembly writer makes
    virtual std::vector<double> materialValues() = 0;
    virtual Texture* texture(const std::u16string& configuration) = 0;
};

class ThreadData
{
public:
    virtual ~ThreadData() = default;
    virtual bool accessSelections(Document* document, Component* component) = 0;
    virtual void releaseSelections() = 0;
    virtual int setting() = 0;
    virtual double diameter() = 0;
    virtual Edge* edge() = 0;
};

class Feature
{
public:
    virtual ~Feature() = default;
    virtual Feature* next() = 0;
    virtual Feature* firstSubFeature() = 0;
    virtual Feature* nextSubFeature() = 0;
    virtual bool suppressed() = 0;
    virtual int kind() = 0;
    virtual std::u16string typeName() = 0;
    // The name the user gave the feature; what messages call it by.
    virtual std::u16string name() = 0;
    virtual ThreadData* threadData() = 0; // through its definition; may be null
    virtual Sketch* specificSketch() = 0; // its specific object as a sketch; may be null
    virtual Texture* texture(const std::u16string& configuration) = 0;
};

class Configuration
{
public:
    virtual ~Configuration() = default;
    virtual std::u16string name() = 0;
};

class ModelExtension
{
public:
    virtual ~ModelExtension() = default;
    // Thirteen doubles; `status` 0 on success.
    virtual std::vector<double> massProperties(int argument, int& status) = 0;
};

class Transform
{
public:
    virtual ~Transform() = default;
    virtual std::vector<double> arrayData() = 0; // 13 doubles
};

} // namespace host
