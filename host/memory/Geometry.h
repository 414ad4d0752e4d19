#pragma once
#include "host/Component.h"
#include "host/Geometry.h"
#include "host/memory/Object.h"

#include <map>

namespace host::memory
{

class Curve : public host::Curve, public Object
{
public:
    using Object::Object;
    std::array<double, 2> range{0.0, 1.0};
    // The tessellation points; pointAt follows this polyline, the start
    // parameter at its first point and the end parameter at its last.
    std::vector<double> points;
    int curveKind = kLineCurve;
    std::vector<double> circle;
    std::vector<double> ellipse;
    std::vector<double> bspline;
    bool circular = false;

    std::array<double, 2> paramRange() override;
    std::array<double, 3> pointAt(double parameter) override;
    std::vector<double> tessellate() override;
    int kind() override;
    std::vector<double> circleParams() override;
    std::vector<double> ellipseParams() override;
    int bsplineSize(int first, int second) override;
    std::vector<double> bsplineData() override;
    bool isCircle() override;
};

class Edge : public host::Edge, public Object
{
public:
    using Object::Object;
    Curve* edgeCurve = nullptr;
    std::vector<double> parameters = std::vector<double>(11, 0.0);
    host::Curve* curve() override;
    std::vector<double> curveParams() override;
};

class Loop : public host::Loop, public Object
{
public:
    using Object::Object;
    std::vector<host::Edge*> loopEdges;
    Loop* nextLoop = nullptr;
    std::vector<host::Edge*> edges() override;
    host::Loop* next() override;
};

class Texture : public host::Texture, public Object
{
public:
    using Object::Object;
    double textureAngle = 0.0;
    double textureScale = 1.0;
    std::u16string file;
    double angle() override;
    double scale() override;
    std::u16string fileName() override;
};

// Textures by configuration name, shared by faces, bodies, features and
// components.
struct TextureTable
{
    std::map<std::u16string, host::Texture*> byConfiguration;
    host::Texture* find(const std::u16string& configuration) const;
};

class Face : public host::Face, public Object
{
public:
    using Object::Object;
    Loop* loops = nullptr;
    Face* nextFace = nullptr;
    host::Feature* source = nullptr;
    int triangleTotal = 0;
    std::vector<float> faceNormals;
    std::vector<float> faceTriangles;
    std::vector<float> uv;
    std::vector<double> material;
    TextureTable textures;

    host::Loop* firstLoop() override;
    host::Face* next() override;
    host::Feature* feature() override;
    int triangleCount() override;
    std::vector<float> normals() override;
    std::vector<float> triangles(int argument) override;
    std::vector<float> textureCoordinates() override;
    std::vector<double> materialValues() override;
    host::Texture* texture(const std::u16string& configuration) override;
};

class Body : public host::Body, public Object
{
public:
    using Object::Object;
    Face* faces = nullptr;
    std::vector<host::Edge*> bodyEdges;
    bool include = true;
    std::vector<double> material;
    TextureTable textures;

    host::Face* firstFace() override;
    std::vector<host::Edge*> edges() override;
    bool included() override;
    std::vector<double> materialValues() override;
    host::Texture* texture(const std::u16string& configuration) override;
};

class ThreadData : public host::ThreadData, public Object
{
public:
    using Object::Object;
    bool grantsAccess = true;
    int threadSetting = 0;
    double threadDiameter = 0.0;
    host::Edge* threadEdge = nullptr;
    bool accessSelections(host::Document* document, host::Component* component) override;
    void releaseSelections() override;
    int setting() override;
    double diameter() override;
    host::Edge* edge() override;
};

class Feature : public host::Feature, public Object
{
public:
    using Object::Object;
    Feature* nextFeature = nullptr;
    Feature* firstChild = nullptr;
    Feature* nextSibling = nullptr; // among its parent's sub-features
    bool isSuppressed = false;
    int featureKind = 0;
    std::u16string featureTypeName;
    std::u16string featureName;
    ThreadData* thread = nullptr;
    host::Sketch* featureSketch = nullptr;
    TextureTable textures;

    host::Feature* next() override;
    host::Feature* firstSubFeature() override;
    host::Feature* nextSubFeature() override;
    bool suppressed() override;
    int kind() override;
    std::u16string typeName() override;
    std::u16string name() override;
    host::ThreadData* threadData() override;
    host::Sketch* specificSketch() override;
    host::Texture* texture(const std::u16string& configuration) override;
};

class Configuration : public host::Configuration, public Object
{
public:
    using Object::Object;
    std::u16string configurationName;
    std::u16string name() override;
};

class ModelExtension : public host::ModelExtension, public Object
{
public:
    using Object::Object;
    std::vector<double> mass = std::vector<double>(13, 0.0);
    int massStatus = 0;
    std::vector<double> massProperties(int argument, int& status) override;
};

class Transform : public host::Transform, public Object
{
public:
    using Object::Object;
    std::vector<double> values = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1};
    std::vector<double> arrayData() override;
};

class Component : public host::Component, public Object
{
public:
    using Object::Object;
    std::u16string componentName;
    std::vector<Component*> childComponents;
    int componentState = 2;
    // What setState answers; the host answers 2 when the change succeeded.
    int setStateStatus = 2;
    std::array<bool, 2> exclusions{false, false};
    host::Document* model = nullptr;
    std::vector<host::Body*> componentBodies;
    std::vector<double> box = std::vector<double>(6, 0.0);
    std::vector<double> material;
    TextureTable textures;
    Transform* placement = nullptr;

    int childCount() override;
    std::vector<host::Component*> children() override;
    int state() override;
    void setState(int state, int& status) override;
    bool stateSettled() override;
    std::u16string name() override;
    bool excluded(int which) override;
    host::Document* modelDocument() override;
    std::vector<host::Body*> bodies(int argument) override;
    std::vector<double> boundingBox(int first, int second) override;
    std::vector<double> materialValues() override;
    host::Texture* texture(const std::u16string& configuration) override;
    host::Transform* transform() override;
};

} // namespace host::memory
