// The package publisher's visits: published objects become defined objects
// and instances of the current object definition, their property sets move
// into it, and fonts are collected for the postprocess.
#include "dwf/publisher/impl/PackagePublisher.h"

#include "dwf/package/DefinedObject.h"
#include "dwf/package/ObjectDefinitionResource.h"
#include "dwf/package/Property.h"
#include "dwfcore/Exception.h"

#include <new>
#include <string>

namespace DWFToolkit
{

namespace
{

// Ids, instance nodes and keys are written in decimal.
DWFCore::DWFString decimal(DWFPublishedObject::tKey value)
{
    return DWFCore::DWFString(std::to_string(value).c_str());
}

void addHiddenName(DWFPropertyContainer& container, const DWFCore::DWFString& name)
{
    DWFProperty property(u"_name", name, u"hidden", DWFCore::DWFString(), DWFCore::DWFString());
    container.addProperty(&property, false);
}

} // namespace

DWFObjectDefinitionResource& DWFPackagePublisher::_currentDefinition(const char* function)
{
    if (_section == nullptr || !_definition)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"No current section", function);
    }
    return *_definition;
}

DWFDefinedObjectInstance* DWFPackagePublisher::_unlistedInstance(DWFDefinedObject& object,
                                                                 const DWFCore::DWFString& nodes)
{
    // Room first, so that the new instance never lacks its keeper.
    _unlisted.reserve(_unlisted.size() + 1);
    _unlisted.emplace_back(object.instance(nodes));
    return _unlisted.back().get();
}

void DWFPackagePublisher::visitPublishedObject(DWFPublishedObject& object)
{
    const char* function = "DWFToolkit::DWFPackagePublisher::visitPublishedObject";
    DWFObjectDefinitionResource& definition = _currentDefinition(function);

    DWFDefinedObject* defined = definition.findObject(decimal(object.key()));
    DWFDefinedObjectInstance* instance = nullptr;
    if (defined == nullptr)
    {
        _definePublishedObject(object, &defined, &instance);
    }
    if (instance == nullptr)
    {
        //
        // An include object, or one defined earlier as an ancestor or as the
        // target of a reference: its includes need an instance to hang from,
        // named by its key. No container lists that instance, so it is not
        // written; only the include instances below it are.
        //
        instance = _unlistedInstance(*defined, decimal(object.key()));
    }

    for (const auto& reference : object.references())
    {
        if (!reference || reference->object == nullptr)
        {
            DWFCORE_THROW(DWFNullPointerException, u"Encounted NULL reference", function);
        }
        DWFPublishedObject& included = *reference->object;
        DWFDefinedObject* includedDefinition = definition.findObject(decimal(included.key()));
        if (includedDefinition == nullptr)
        {
            _definePublishedObject(included, &includedDefinition, nullptr);
        }
        defined->addChild(includedDefinition, included.key());

        const DWFCore::DWFString nodes = decimal(reference->index);
        std::unique_ptr<DWFDefinedObjectInstance> includedInstance(
            includedDefinition->instance(nodes));
        if (reference->name.chars() > 0)
        {
            addHiddenName(*includedInstance, reference->name);
        }
        instance->addChild(includedInstance.get(), reference->index);
        definition.addInstance(includedInstance.release(), reference->index);
    }

    DWFPublishedObject::Visitor::visitPublishedObject(object);
}

void DWFPackagePublisher::_definePublishedObject(DWFPublishedObject& object,
                                                 DWFDefinedObject** defined,
                                                 DWFDefinedObjectInstance** instance)
{
    const char* function = "DWFToolkit::DWFPackagePublisher::_definePublishedObject";
    if (defined == nullptr)
    {
        DWFCORE_THROW(DWFInvalidArgumentException, u"ppDefinedObject cannot be NULL", function);
    }
    DWFObjectDefinitionResource& definition = _currentDefinition(function);

    std::unique_ptr<DWFDefinedObject> made(new (std::nothrow)
                                               DWFDefinedObject(decimal(object.key())));
    if (!made)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate new object", function);
    }
    addHiddenName(*made, object.name());

    DWFDefinedObject* parentDefinition = nullptr;
    if (DWFPublishedObject* parent = object.parent())
    {
        parentDefinition = definition.findObject(decimal(parent->key()));
        if (parentDefinition == nullptr)
        {
            _definePublishedObject(*parent, &parentDefinition, nullptr);
        }
    }

    // From here on the definition owns the object; the parent's child list
    // only points at it.
    DWFDefinedObject* const object_ = made.get();
    definition.addObject(made.release(), object.key());
    if (parentDefinition != nullptr)
    {
        parentDefinition->addChild(object_, object.key());
    }
    *defined = object_;

    if (object.isIncluded())
    {
        // What an include object holds is written on its definition; its
        // instances are made by the references to it.
        object_->copyProperties(object, false, false);
        return;
    }

    DWFDefinedObjectInstance* parentInstance = nullptr;
    if (parentDefinition != nullptr)
    {
        parentInstance = parentDefinition->getInstance(decimal(object.parent()->instanceKey()));
        if (parentInstance == nullptr)
        {
            DWFCORE_THROW(DWFDoesNotExistException,
                          u"Inconsistent structure - expected matching parent instance", function);
        }
    }
    std::unique_ptr<DWFDefinedObjectInstance> made_instance(
        object_->instance(decimal(object.instanceKey())));
    made_instance->copyProperties(object, false, false);
    if (parentInstance != nullptr)
    {
        parentInstance->addChild(made_instance.get(), object.instanceKey());
    }
    DWFDefinedObjectInstance* const listed = made_instance.get();
    definition.addInstance(made_instance.release(), object.instanceKey());
    if (instance != nullptr)
    {
        *instance = listed;
    }
}

void DWFPackagePublisher::visitProperty(DWFProperty& property)
{
    DWFPropertyVisitor::visitProperty(property);
}

void DWFPackagePublisher::visitPropertyContainer(DWFPropertyContainer& container)
{
    DWFObjectDefinitionResource& definition =
        _currentDefinition("DWFToolkit::DWFPackagePublisher::visitPropertyContainer");

    // The object keeps references to its sets, which its defined object and
    // instance already refer to; the definition owns and writes them.
    DWFPropertyContainer::tList sets;
    container.removeOwnedPropertyContainers(sets, true);
    DWFPropertyContainer& shared = definition.getPropertyContainer();
    for (DWFPropertyContainer* set : sets)
    {
        shared.addPropertyContainer(set);
    }

    DWFPropertyVisitor::visitPropertyContainer(container);
}

void DWFPackagePublisher::visitEmbeddedFont(DWFEmbeddedFont& font)
{
    _fonts.push_back(&font);
    DWFEmbeddedFontVisitor::visitEmbeddedFont(font);
}

} // namespace DWFToolkit
