#include "host/memory/Geometry.h"

#include <algorithm>
#include <cmath>

namespace host::memory
{

std::array<double, 2> Curve::paramRange()
{
    ask("Curve::paramRange");
    return range;
}

std::array<double, 3> Curve::pointAt(double parameter)
{
    ask("Curve::pointAt");
    const std::size_t count = points.size() / 3;
    if (count == 0)
        return {};
    auto point = [&](std::size_t i) {
        return std::array<double, 3>{points[3 * i], points[3 * i + 1], points[3 * i + 2]};
    };
    const double span = range[1] - range[0];
    if (count == 1 || span == 0.0 || !std::isfinite(parameter))
        return point(0);
    // The parameter runs over the polyline's length in proportion.
    const double fraction = std::clamp((parameter - range[0]) / span, 0.0, 1.0);
    double total = 0.0;
    for (std::size_t i = 1; i < count; ++i)
        total +=
            std::hypot(points[3 * i] - points[3 * i - 3], points[3 * i + 1] - points[3 * i - 2],
                       points[3 * i + 2] - points[3 * i - 1]);
    if (total == 0.0)
        return point(0);
    double wanted = fraction * total;
    for (std::size_t i = 1; i < count; ++i)
    {
        const auto a = point(i - 1);
        const auto b = point(i);
        const double length = std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]);
        if (wanted <= length || i + 1 == count)
        {
            const double t = length == 0.0 ? 0.0 : std::min(wanted / length, 1.0);
            return {a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1]), a[2] + t * (b[2] - a[2])};
        }
        wanted -= length;
    }
    return point(count - 1);
}

std::vector<double> Curve::tessellate()
{
    ask("Curve::tessellate");
    return points;
}

int Curve::kind()
{
    ask("Curve::kind");
    return curveKind;
}

std::vector<double> Curve::circleParams()
{
    ask("Curve::circleParams");
    return circle;
}

std::vector<double> Curve::ellipseParams()
{
    ask("Curve::ellipseParams");
    return ellipse;
}

int Curve::bsplineSize(int, int)
{
    ask("Curve::bsplineSize");
    return static_cast<int>(bspline.size());
}

std::vector<double> Curve::bsplineData()
{
    ask("Curve::bsplineData");
    return bspline;
}

bool Curve::isCircle()
{
    ask("Curve::isCircle");
    return circular;
}

host::Curve* Edge::curve()
{
    ask("Edge::curve");
    return edgeCurve;
}

std::vector<double> Edge::curveParams()
{
    ask("Edge::curveParams");
    return parameters;
}

std::vector<host::Edge*> Loop::edges()
{
    ask("Loop::edges");
    return loopEdges;
}

host::Loop* Loop::next()
{
    ask("Loop::next");
    return nextLoop;
}

double Texture::angle()
{
    ask("Texture::angle");
    return textureAngle;
}

double Texture::scale()
{
    ask("Texture::scale");
    return textureScale;
}

std::u16string Texture::fileName()
{
    ask("Texture::fileName");
    return file;
}

host::Texture* TextureTable::find(const std::u16string& configuration) const
{
    const auto found = byConfiguration.find(configuration);
    return found == byConfiguration.end() ? nullptr : found->second;
}

host::Loop* Face::firstLoop()
{
    ask("Face::firstLoop");
    return loops;
}

host::Face* Face::next()
{
    ask("Face::next");
    return nextFace;
}

host::Feature* Face::feature()
{
    ask("Face::feature");
    return source;
}

int Face::triangleCount()
{
    ask("Face::triangleCount");
    return triangleTotal;
}

std::vector<float> Face::normals()
{
    ask("Face::normals");
    return faceNormals;
}

std::vector<float> Face::triangles(int)
{
    ask("Face::triangles");
    return faceTriangles;
}

std::vector<float> Face::textureCoordinates()
{
    ask("Face::textureCoordinates");
    return uv;
}

std::vector<double> Face::materialValues()
{
    ask("Face::materialValues");
    return material;
}

host::Texture* Face::texture(const std::u16string& configuration)
{
    ask("Face::texture");
    return textures.find(configuration);
}

host::Face* Body::firstFace()
{
    ask("Body::firstFace");
    return faces;
}

std::vector<host::Edge*> Body::edges()
{
    ask("Body::edges");
    return bodyEdges;
}

bool Body::included()
{
    ask("Body::included");
    return include;
}

std::vector<double> Body::materialValues()
{
    ask("Body::materialValues");
    return material;
}

host::Texture* Body::texture(const std::u16string& configuration)
{
    ask("Body::texture");
    return textures.find(configuration);
}

bool ThreadData::accessSelections(host::Document*, host::Component*)
{
    ask("ThreadData::accessSelections");
    log("accessSelections()");
    return grantsAccess;
}

void ThreadData::releaseSelections()
{
    ask("ThreadData::releaseSelections");
    log("releaseSelections()");
}

int ThreadData::setting()
{
    ask("ThreadData::setting");
    return threadSetting;
}

double ThreadData::diameter()
{
    ask("ThreadData::diameter");
    return threadDiameter;
}

host::Edge* ThreadData::edge()
{
    ask("ThreadData::edge");
    return threadEdge;
}

host::Feature* Feature::next()
{
    ask("Feature::next");
    return nextFeature;
}

host::Feature* Feature::firstSubFeature()
{
    ask("Feature::firstSubFeature");
    return firstChild;
}

host::Feature* Feature::nextSubFeature()
{
    ask("Feature::nextSubFeature");
    return nextSibling;
}

bool Feature::suppressed()
{
    ask("Feature::suppressed");
    return isSuppressed;
}

int Feature::kind()
{
    ask("Feature::kind");
    return featureKind;
}

std::u16string Feature::typeName()
{
    ask("Feature::typeName");
    return featureTypeName;
}

std::u16string Feature::name()
{
    ask("Feature::name");
    return featureName;
}

host::ThreadData* Feature::threadData()
{
    ask("Feature::threadData");
    return thread;
}

host::Sketch* Feature::specificSketch()
{
    ask("Feature::specificSketch");
    return featureSketch;
}

host::Texture* Feature::texture(const std::u16string& configuration)
{
    ask("Feature::texture");
    return textures.find(configuration);
}

std::u16string Configuration::name()
{
    ask("Configuration::name");
    return configurationName;
}

std::vector<double> ModelExtension::massProperties(int, int& status)
{
    ask("ModelExtension::massProperties");
    status = massStatus;
    return mass;
}

std::vector<double> Transform::arrayData()
{
    ask("Transform::arrayData");
    return values;
}

int Component::childCount()
{
    ask("Component::childCount");
    return static_cast<int>(childComponents.size());
}

std::vector<host::Component*> Component::children()
{
    ask("Component::children");
    return std::vector<host::Component*>(childComponents.begin(), childComponents.end());
}

int Component::state()
{
    ask("Component::state");
    return componentState;
}

void Component::setState(int newState, int& status)
{
    ask("Component::setState");
    log("setState(" + std::to_string(newState) + ")");
    status = setStateStatus;
    if (setStateStatus == 2)
        componentState = newState;
}

bool Component::stateSettled()
{
    ask("Component::stateSettled");
    return true;
}

std::u16string Component::name()
{
    ask("Component::name");
    return componentName;
}

bool Component::excluded(int which)
{
    ask("Component::excluded");
    return which >= 0 && which < 2 && exclusions[static_cast<std::size_t>(which)];
}

host::Document* Component::modelDocument()
{
    ask("Component::modelDocument");
    return model;
}

std::vector<host::Body*> Component::bodies(int)
{
    ask("Component::bodies");
    return componentBodies;
}

std::vector<double> Component::boundingBox(int, int)
{
    ask("Component::boundingBox");
    return box;
}

std::vector<double> Component::materialValues()
{
    ask("Component::materialValues");
    return material;
}

host::Texture* Component::texture(const std::u16string& configuration)
{
    ask("Component::texture");
    return textures.find(configuration);
}

host::Transform* Component::transform()
{
    ask("Component::transform");
    return placement;
}

} // namespace host::memory
