#ifndef DWFPACKAGE_READER_OBJECTDEFINITIONREADER_H
#define DWFPACKAGE_READER_OBJECTDEFINITIONREADER_H

#include "dwf/package/XMLElementBuilder.h"
#include "dwf/package/reader/XMLCallback.h"
#include "dwfcore/String.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace DWFToolkit
{

class DWFDefinedObject;
class DWFDefinedObjectInstance;
class DWFPackageReader;
class DWFProperty;

//
// Reads an object definition document into property sets, objects and
// instances, each handed to a provide operation together with its
// ownership. The operations here keep nothing (they free what they get);
// a subclass stores what it needs. Unknown or misplaced elements are
// ignored.
//
class DWFObjectDefinitionReader : public DWFXMLCallback
{
public:
    enum : unsigned char
    {
        eProvideVersion = 1,
        eProvideProperties = 2,
        eProvideObjects = 4,
        eProvideInstances = 8,
        eProvideAll = 0xFF
    };

    typedef std::vector<DWFCore::DWFString> tIDs;
    typedef std::vector<std::unique_ptr<DWFProperty>> tProperties;

    explicit DWFObjectDefinitionReader(DWFPackageReader* packageReader = nullptr,
                                       unsigned char providerFlags = eProvideAll);
    ~DWFObjectDefinitionReader() override;

    void notifyStartElement(const char* name, const char** attributes) override;
    void notifyEndElement(const char* name) override;
    void notifyStartNamespace(const char*, const char*) override {}
    void notifyEndNamespace(const char*) override {}
    void notifyCharacters(const char*, int) override {}

    // The builder that makes the document's objects (not owned; null restores the own).
    void setElementBuilder(DWFXMLElementBuilder* builder) noexcept;
    DWFPackageReader* packageReader() const noexcept { return _packageReader; }

    virtual void provideVersion(double version);
    // One "Properties" set: its id, the ids of the sets it refers to, its properties.
    virtual void provideProperties(const DWFCore::DWFString& id, tIDs references,
                                   tProperties properties);
    virtual void provideObject(DWFDefinedObject* object);
    virtual void provideInstance(DWFDefinedObjectInstance* instance);

private:
    enum Kind : unsigned char
    {
        eNone = 0,
        eProperties = 2,
        eObjects = 4,
        eInstances = 8
    };

    DWFPackageReader* _packageReader;
    DWFXMLElementBuilder _ownBuilder;
    DWFXMLElementBuilder* _inUse;
    unsigned char _flags;
    Kind _kind = eNone;
    std::uint32_t _instanceCount = 0;
    DWFCore::DWFString _setID;
    tIDs _setReferences;
    tProperties _setProperties;
    std::unique_ptr<DWFDefinedObject> _object;
    std::unique_ptr<DWFDefinedObjectInstance> _instance;
};

} // namespace DWFToolkit

#endif
