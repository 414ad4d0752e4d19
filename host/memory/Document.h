#pragma once
#include "host/Component.h"
#include "host/Document.h"
#include "host/Drawing.h"
#include "host/memory/Object.h"

#include <map>
#include <optional>
#include <vector>

namespace host::memory
{

class Application;
class View;
class Sketch;
class Configuration;
class ModelExtension;
class Feature;

class Layer : public host::Layer, public Object
{
public:
    using Object::Object;
    std::int16_t shown = 1;
    std::int16_t visible() override;
};

class LayerManager : public host::LayerManager, public Object
{
public:
    using Object::Object;
    std::map<int, Layer*> layers;
    host::Layer* layer(int id) override;
};

// A layer source other than a document: what a view gives for its blocks.
class LayerSource : public host::LayerSource, public Object
{
public:
    using Object::Object;
    LayerManager* manager = nullptr;
    host::LayerManager* layerManager() override;
};

class ComponentTree : public host::ComponentTree, public Object
{
public:
    using Object::Object;
    host::Component* root = nullptr;
    host::Component* rootComponent() override;
};

class Sheet : public host::Sheet, public Object
{
public:
    using Object::Object;
    std::vector<double> sheetProperties = std::vector<double>(7, 0.0);
    std::u16string sheetName;
    Sketch* format = nullptr;
    std::vector<View*> views; // the sheet's own view first

    std::vector<double> properties() override;
    std::u16string name() override;
    host::Sketch* formatSketch() override;
};

class Drawing : public host::Drawing, public Object
{
public:
    using Object::Object;
    std::vector<Sheet*> sheets;
    int current = 0; // index into sheets
    // When set, sheetCount reports this instead of the number of sheets
    // (to exercise the add-in's check of names against the count).
    std::optional<int> reportedSheetCount;

    int sheetCount() override;
    std::vector<std::u16string> sheetNames() override;
    bool activateSheet(const std::u16string& name) override;
    host::Sheet* currentSheet() override;
    host::View* firstView() override;
};

class Document : public host::Document, public Object
{
public:
    Document(Session& session, Application& application)
        : Object(session), application_(&application)
    {
    }

    int documentType = kDrawingDocument;
    std::u16string documentTitle;
    std::u16string path;
    int quality = 0;
    // The preview picture that savePicture writes out; empty: none.
    std::u16string picture;
    // Why the last savePicture failed; empty after a success.
    std::u16string lastPictureFailure;
    std::vector<std::u16string> summary = std::vector<std::u16string>(8);
    int probe = 1;
    LayerManager* layers = nullptr;
    ComponentTree* tree = nullptr;
    Drawing* drawing = nullptr;

    // Part and assembly content.
    std::int16_t shellStatusFlag = 0;
    std::vector<double> box;
    std::vector<host::Body*> documentBodies;
    std::vector<double> material;
    std::u16string materialNameText;
    std::u16string materialIdText;
    std::vector<std::u16string> configurations;
    Configuration* configuration = nullptr;
    ModelExtension* modelExtension = nullptr;
    Feature* features = nullptr;

    std::size_t documentSinks() const { return sinks_.size(); }

    int type() override;
    std::u16string title() override;
    std::u16string pathName() override;
    host::Document* next() override;
    int imageQuality() override;
    void setImageQuality(int quality) override;
    void refresh() override;
    bool savePicture(const std::u16string& fileName, int& status) override;
    std::u16string pictureFailure() override;
    std::u16string summaryInfo(int index) override;
    int menuProbe() override;
    host::ComponentTree* componentTree() override;
    host::Drawing* asDrawing() override;
    host::LayerManager* layerManager() override;
    std::uint32_t adviseDocumentEvents(int documentType, DocumentEvents* sink) override;
    bool unadviseDocumentEvents(std::uint32_t cookie) override;

    void prepare(int argument) override;
    std::int16_t shellStatus() override;
    std::vector<double> boundingBox(int argument) override;
    std::vector<host::Body*> bodies(int kind, int options) override;
    std::vector<double> materialValues() override;
    std::u16string materialName() override;
    std::u16string materialId() override;
    int configurationCount() override;
    std::vector<std::u16string> configurationNames() override;
    host::Configuration* currentConfiguration() override;
    host::ModelExtension* extension() override;
    host::Feature* firstFeature() override;

private:
    Application* application_;
    std::map<std::uint32_t, std::pair<int, DocumentEvents*>> sinks_;
    std::uint32_t nextCookie_ = 1;
};

} // namespace host::memory
