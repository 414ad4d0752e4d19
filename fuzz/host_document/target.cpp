// Host documents are read from files a user hands over: any bytes must give
// a loaded document or a LoadError, and a loaded one must walk cleanly, with
// every array the loader accepted as long as its counts say. A violated
// promise traps, so that the fuzzer reports it.
#include "host/Annotation.h"
#include "host/Component.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/Geometry.h"
#include "host/Loader.h"
#include "host/RecordLayout.h"
#include "host/Sketch.h"
#include "host/View.h"

#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>

namespace
{
void require(bool promise)
{
    if (!promise)
        __builtin_trap();
}

// Lists chained through `next` must end: the loader builds no cycles.
constexpr int kMaxChain = 300000;

void walk(host::View* view)
{
    using namespace host::layout;
    splines(view->splineCount(), view->splineData());
    polylineGroups(view->polylineGroupCount(), view->polylineData());
    modelEdges(view->modelEdgeItemCount(0), view->modelEdgeData(0, view->modelEdgeItemCount(0)));
    dimensions(view->dimensionData());
    detailCircles(view->detailCircleCount(), view->detailCircleData());
    breakLines(view->breakLineCount(), view->breakLineData());
    for (host::Annotation* a = view->firstAnnotation(); a; a = a->next())
    {
        host::DisplayData* data = a->displayData();
        for (int i = 0; data && i < data->lineCount(); ++i)
            data->line(i);
        for (int i = 0; data && i < data->textCount(); ++i)
            data->text(i);
    }
    if (host::Sketch* sketch = view->sketch())
        fixedRecords(sketch->lineCount(1), sketch->lines(1), kSketchLine);
}

void walkDrawing(host::Drawing* drawing)
{
    for (const auto& name : drawing->sheetNames())
    {
        drawing->activateSheet(name);
        for (host::View* view = drawing->firstView(); view; view = view->next())
            walk(view);
    }
}

void walkTexture(host::Texture* texture)
{
    if (!texture)
        return;
    texture->angle();
    texture->scale();
    texture->fileName();
}

void walkMaterial(const std::vector<double>& values)
{
    require(values.empty() || values.size() == 9);
}

void walkEdge(host::Edge* edge)
{
    require(edge != nullptr);
    require(edge->curveParams().size() == 11);
    host::Curve* curve = edge->curve();
    if (!curve)
        return;
    curve->paramRange();
    curve->pointAt(0.5);
    require(curve->tessellate().size() % 3 == 0);
    const auto circle = curve->circleParams();
    require(circle.empty() || circle.size() == 7);
    const auto ellipse = curve->ellipseParams();
    require(ellipse.empty() || ellipse.size() == 11);
    const auto block = curve->bsplineData();
    require(curve->bsplineSize(0, 1) == static_cast<int>(block.size()));
    require(block.empty() || host::layout::bsplineBlock(block).ok());
    curve->kind();
    curve->isCircle();
}

void walkFace(host::Face* face, const std::vector<std::u16string>& configurations)
{
    const int n = face->triangleCount();
    require(n >= 0);
    const std::size_t triangles = static_cast<std::size_t>(n);
    require(face->triangles(-1).size() == 9 * triangles);
    const auto normals = face->normals();
    require(normals.empty() || normals.size() == 9 * triangles);
    const auto uv = face->textureCoordinates();
    require(uv.empty() || uv.size() == 6 * triangles);
    walkMaterial(face->materialValues());
    for (const auto& configuration : configurations)
        walkTexture(face->texture(configuration));
    if (host::Feature* feature = face->feature())
        feature->suppressed();
    for (host::Loop* loop = face->firstLoop(); loop; loop = loop->next())
        for (host::Edge* edge : loop->edges())
            walkEdge(edge);
}

void walkBody(host::Body* body, const std::vector<std::u16string>& configurations)
{
    require(body != nullptr);
    body->included();
    walkMaterial(body->materialValues());
    for (const auto& configuration : configurations)
        walkTexture(body->texture(configuration));
    int faces = 0;
    for (host::Face* face = body->firstFace(); face; face = face->next())
    {
        require(++faces < kMaxChain);
        walkFace(face, configurations);
    }
    for (host::Edge* edge : body->edges())
        walkEdge(edge);
}

void walkSketch(host::Sketch* sketch)
{
    using namespace host::layout;
    sketch->flag();
    require(fixedRecords(sketch->lineCount(1), sketch->lines(1), kSketchLine).ok());
    // A 3D sketch's arcs carry their axis or not, all alike.
    const auto arcs = sketch->arcs();
    require(fixedRecords(sketch->arcCount(), arcs, kSketchArc).ok() ||
            fixedRecords(sketch->arcCount(), arcs, kSketchArcWithAxis).ok());
    const auto splines = sketch->splineData();
    require(sketch->splineDataSize() == static_cast<int>(splines.size()));
    require(sketchSplines(sketch->splineCount(), splines).ok());
}

void walkFeatures(host::Feature* first, host::Document* document,
                  const std::vector<std::u16string>& configurations, int depth)
{
    require(depth < 80);
    int count = 0;
    for (host::Feature* feature = first; feature;
         feature = depth == 0 ? feature->next() : feature->nextSubFeature())
    {
        require(++count < kMaxChain);
        feature->suppressed();
        feature->kind();
        feature->typeName();
        feature->name();
        for (const auto& configuration : configurations)
            walkTexture(feature->texture(configuration));
        if (host::ThreadData* thread = feature->threadData())
        {
            if (thread->accessSelections(document, nullptr))
            {
                thread->setting();
                thread->diameter();
                if (host::Edge* edge = thread->edge())
                    walkEdge(edge);
                thread->releaseSelections();
            }
        }
        if (host::Sketch* sketch = feature->specificSketch())
            walkSketch(sketch);
        walkFeatures(feature->firstSubFeature(), document, configurations, depth + 1);
    }
}

void walkComponent(host::Component* component, std::set<host::Component*>& seen, int depth)
{
    require(depth < 80);
    require(seen.insert(component).second);
    component->name();
    component->excluded(0);
    component->excluded(1);
    component->state();
    require(component->boundingBox(0, 0).size() == 6);
    walkMaterial(component->materialValues());
    if (host::Transform* transform = component->transform())
        require(transform->arrayData().size() == 13);
    host::Document* model = component->modelDocument();
    const auto configurations = model ? model->configurationNames() : std::vector<std::u16string>();
    for (const auto& configuration : configurations)
        walkTexture(component->texture(configuration));
    for (host::Body* body : component->bodies(-1))
        walkBody(body, configurations);
    const auto children = component->children();
    require(component->childCount() == static_cast<int>(children.size()));
    for (host::Component* child : children)
        walkComponent(child, seen, depth + 1);
}

void walkModel(host::Document* document)
{
    document->prepare(-1);
    document->shellStatus();
    const auto box = document->boundingBox(1);
    require(box.empty() || box.size() == 6);
    walkMaterial(document->materialValues());
    document->materialName();
    document->materialId();
    const auto configurations = document->configurationNames();
    require(document->configurationCount() == static_cast<int>(configurations.size()));
    if (host::Configuration* current = document->currentConfiguration())
        current->name();
    if (host::ModelExtension* extension = document->extension())
    {
        int status = 0;
        require(extension->massProperties(2, status).size() == 13);
    }
    for (int i = 0; i < 8; ++i)
        document->summaryInfo(i);
    for (host::Body* body : document->bodies(-1, -1))
        walkBody(body, configurations);
    walkFeatures(document->firstFeature(), document, configurations, 0);
    if (host::ComponentTree* tree = document->componentTree())
        if (host::Component* root = tree->rootComponent())
        {
            std::set<host::Component*> seen;
            walkComponent(root, seen, 0);
        }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try
    {
        auto application = host::parseHostDocument(
            std::string_view(reinterpret_cast<const char*>(data), size), u"/nonexistent");
        int documents = 0;
        for (host::Document* document = application->firstDocument(); document;
             document = document->next())
        {
            require(++documents < kMaxChain);
            if (host::Drawing* drawing = document->asDrawing())
                walkDrawing(drawing);
            walkModel(document);
        }
    }
    catch (const host::LoadError&)
    {
    }
    return 0;
}
