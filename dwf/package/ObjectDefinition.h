#ifndef DWFPACKAGE_OBJECTDEFINITION_H
#define DWFPACKAGE_OBJECTDEFINITION_H

#include "dwf/package/DefinedObject.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/ObjectDefinitionReader.h"

#include <map>
#include <memory>
#include <vector>

namespace DWFToolkit
{

//
// What object definition documents hold, read back: property sets, objects
// and instances, each by id. A later item with the id of an earlier one
// replaces it (the earlier one is freed); a property set defined twice
// keeps the properties of both definitions.
//
class DWFObjectDefinition : public DWFObjectDefinitionReader
{
public:
    // One property set; its references point at other sets of the same definition.
    struct PropertySet
    {
        std::vector<std::unique_ptr<DWFProperty>> properties;
        std::vector<PropertySet*> references;
    };

    typedef std::map<DWFCore::DWFString, std::unique_ptr<DWFDefinedObject>> tObjects;
    typedef std::map<DWFCore::DWFString, std::unique_ptr<DWFDefinedObjectInstance>> tInstances;
    typedef std::map<DWFCore::DWFString, std::unique_ptr<PropertySet>> tPropertySets;

    explicit DWFObjectDefinition(DWFPackageReader* packageReader = nullptr);
    ~DWFObjectDefinition() override;

    double version() const noexcept { return _version; }
    const tObjects& getObjects() const noexcept { return _objects; }
    const tInstances& getInstances() const noexcept { return _instances; }
    const tPropertySets& getPropertySets() const noexcept { return _propertySets; }

    DWFDefinedObject* findObject(const DWFCore::DWFString& id) const;
    DWFDefinedObjectInstance* findInstance(const DWFCore::DWFString& id) const;
    const PropertySet* findPropertySet(const DWFCore::DWFString& id) const;

    void provideVersion(double version) override;
    void provideProperties(const DWFCore::DWFString& id, tIDs references,
                           tProperties properties) override;
    void provideObject(DWFDefinedObject* object) override;
    void provideInstance(DWFDefinedObjectInstance* instance) override;

private:
    PropertySet& _set(const DWFCore::DWFString& id);

    double _version = 0;
    tPropertySets _propertySets;
    tObjects _objects;
    tInstances _instances;
};

} // namespace DWFToolkit

#endif
