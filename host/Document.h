#pragma once
// A host document of any type, its layers, its event connection and the
// object that holds an assembly's component tree.
#include "host/Forward.h"

#include <cstdint>
#include <string>
#include <vector>

namespace host
{

enum DocumentType : int
{
    kPartDocument = 1,
    kAssemblyDocument = 2,
    kDrawingDocument = 3
};

// Anything that can tell whether a layer is shown: a document, or the
// object a view gives for its blocks.
class LayerSource
{
public:
    virtual ~LayerSource() = default;
    virtual LayerManager* layerManager() = 0;
};

class LayerManager
{
public:
    virtual ~LayerManager() = default;
    virtual Layer* layer(int id) = 0; // null for an unknown id
};

class Layer
{
public:
    virtual ~Layer() = default;
    virtual std::int16_t visible() = 0; // 16-bit boolean: non-zero is shown
};

// Receives a document's events (the add-in's handlers do nothing).
class DocumentEvents
{
public:
    virtual ~DocumentEvents() = default;
    virtual std::int32_t onDocumentEvent(int eventId) = 0;
};

class ComponentTree
{
public:
    virtual ~ComponentTree() = default;
    virtual Component* rootComponent() = 0;
};

class Document : public LayerSource
{
public:
    virtual int type() = 0;
    // The file name with its extension once saved; no dot before.
    virtual std::u16string title() = 0;
    virtual std::u16string pathName() = 0;
    virtual Document* next() = 0;

    virtual int imageQuality() = 0;
    virtual void setImageQuality(int quality) = 0;
    virtual void refresh() = 0;
    // Writes a JPEG picture of the active sheet or model to the file;
    // `status` is the host's answer (1 success). Answers false on failure.
    virtual bool savePicture(const std::u16string& fileName, int& status) = 0;
    // Why the last savePicture failed, naming the picture and giving the
    // system's reason where there is one; empty when the host cannot tell.
    virtual std::u16string pictureFailure() { return {}; }
    // Summary information entries 0-7: title, subject, author, keywords,
    // comment, saved by, creation date, save date.
    virtual std::u16string summaryInfo(int index) = 0;
    // The integer the menu placement asks of the active document.
    virtual int menuProbe() = 0;

    virtual ComponentTree* componentTree() = 0;
    virtual Drawing* asDrawing() = 0; // null unless a drawing

    // Connects a sink to the document's events of the given document type;
    // answers a cookie, 0 when refused.
    virtual std::uint32_t adviseDocumentEvents(int documentType, DocumentEvents* sink) = 0;
    virtual bool unadviseDocumentEvents(std::uint32_t cookie) = 0;

    // --- What the part and assembly road asks of a document ---
    virtual void prepare(int argument) = 0; // the preparatory request with -1
    virtual std::int16_t shellStatus() = 0; // 1 suppresses shells
    // Six doubles: one corner, then the opposite (argument 1).
    virtual std::vector<double> boundingBox(int argument) = 0;
    virtual std::vector<Body*> bodies(int kind, int options) = 0;
    // Nine material values, or nothing when the document has none.
    virtual std::vector<double> materialValues() = 0;
    // The material's name as the host shows it: "Steel", or a library
    // material's name followed by the 21 characters the host appends to it.
    virtual std::u16string materialName() = 0;
    // Where the material stands in the host's material library: a text that
    // ends in "|" and the material's number there (1 the first); empty when
    // the document names no library material.
    virtual std::u16string materialId() = 0;
    virtual int configurationCount() = 0;
    virtual std::vector<std::u16string> configurationNames() = 0;
    virtual Configuration* currentConfiguration() = 0;
    virtual ModelExtension* extension() = 0;
    virtual Feature* firstFeature() = 0;
};

} // namespace host
