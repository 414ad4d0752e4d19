#include "dwf/publisher/model/Segment.h"

#include "dwf/publisher/model/IncludeSegment.h"
#include "dwf/w3dtk/records/segments.h"
#include "dwfcore/Exception.h"

#include <string>

namespace DWFToolkit
{

const char* const DWFSegment::kPublishedEdgesStyle = "?Style Library/_dwfw3d_PublishedEdges";

std::atomic<DWFSegment::tKey> DWFSegment::_keyCounter{0};

DWFSegment::tKey DWFSegment::_nextKey() noexcept
{
    return _keyCounter.fetch_add(1, std::memory_order_relaxed) + 1;
}

DWFSegment::DWFSegment(DWFSegmentHandlerBuilder* segmentBuilder,
                       DWFGeometryHandlerBuilder* geometryBuilder,
                       DWFFeatureHandlerBuilder* featureBuilder,
                       DWFAttributeHandlerBuilder* attributeBuilder,
                       DWFPublishedObject::Factory* factory, DWFPublishedObject* parentObject)
    : DWFPropertyContainer(DWFCore::DWFString()), _segmentBuilder(segmentBuilder),
      _geometryBuilder(geometryBuilder), _featureBuilder(featureBuilder),
      _attributeBuilder(attributeBuilder), _factory(factory), _parentObject(parentObject),
      _key(_nextKey())
{
}

DWFSegment::DWFSegment(const DWFSegment& other)
    : DWFToolkitMemory(other), DWFAttributeHandlerBuilder(other), DWFGeometryHandlerBuilder(other),
      DWFFeatureHandlerBuilder(other), DWFPropertyContainer(DWFCore::DWFString()),
      _segmentBuilder(other._segmentBuilder), _geometryBuilder(other._geometryBuilder),
      _featureBuilder(other._featureBuilder), _attributeBuilder(other._attributeBuilder),
      _factory(other._factory), _object(other._object), _parentObject(other._parentObject),
      _prefix(other._prefix), _state(other._state), _key(other._key)
{
}

DWFSegment& DWFSegment::operator=(const DWFSegment& other)
{
    if (this != &other)
    {
        // The property container stays this segment's own.
        _segmentBuilder = other._segmentBuilder;
        _geometryBuilder = other._geometryBuilder;
        _featureBuilder = other._featureBuilder;
        _attributeBuilder = other._attributeBuilder;
        _factory = other._factory;
        _object = other._object;
        _parentObject = other._parentObject;
        _prefix = other._prefix;
        _state = other._state;
        _key = other._key;
    }
    return *this;
}

DWFSegment::~DWFSegment() = default;

void DWFSegment::_requireOpen(const char* function) const
{
    if (_state != _eOpen)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Segment must be open", function);
    }
}

DWFSegment DWFSegment::openSegment()
{
    _requireOpen("DWFToolkit::DWFSegment::openSegment");
    return DWFSegment(_segmentBuilder, _geometryBuilder, _featureBuilder, _attributeBuilder,
                      _factory, _propertyTarget());
}

void DWFSegment::open(const DWFCore::DWFString& name, bool publishEdges)
{
    static const char* const function = "DWFToolkit::DWFSegment::open";
    if (_state != _eNew)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Segment already open", function);
    }
    TK_Open_Segment& handler = _segmentBuilder->getOpenSegmentHandler();
    if (publishEdges)
    {
        // Before the open record: the reference belongs to the enclosing segment.
        _writeStyleReference();
    }

    DWFPublishedObject* object = _factory->makePublishedObject(_key, name);
    if (_parentObject != nullptr)
    {
        object->setParent(_parentObject);
    }
    _object = object;

    // The W3D name is the key, never the given name.
    std::string path = _prefix.toUTF8();
    path += std::to_string(_key);
    handler.SetSegment(path.c_str());
    handler.serialize(_key);
    _state = _eOpen;

    _writeUserOptions(publishEdges ? "node,edges" : "node");
}

void DWFSegment::open(const DWFCore::DWFString* name, bool publishEdges)
{
    if (name != nullptr)
    {
        open(*name, publishEdges);
        return;
    }
    if (_state != _eNew)
    {
        DWFCORE_THROW(DWFUnexpectedException, u"Segment already open",
                      "DWFToolkit::DWFSegment::open");
    }
    TK_Open_Segment& handler = _segmentBuilder->getOpenSegmentHandler();
    handler.SetSegment("");
    handler.serialize(_key);
    _state = _eOpen;
    if (publishEdges)
    {
        // After the open record: inside the new segment.
        _writeStyleReference();
        _writeUserOptions("edges");
    }
}

void DWFSegment::close()
{
    _requireOpen("DWFToolkit::DWFSegment::close");
    _segmentBuilder->getCloseSegmentHandler().serialize(0);
    _state = _eClosed;
}

DWFPublishedObject& DWFSegment::_includeTarget(DWFIncludeSegment& segment) const
{
    DWFPublishedObject* target = segment.publishedObject();
    if (target == nullptr)
    {
        DWFCORE_THROW(DWFUnexpectedException,
                      u"Include segment must be opened before it is included",
                      "DWFToolkit::DWFSegment::include");
    }
    return *target;
}

void DWFSegment::include(tKey key)
{
    static const char* const function = "DWFToolkit::DWFSegment::include";
    _requireOpen(function);
    DWFPublishedObject* target = _factory->findPublishedObject(key);
    if (!target->isIncluded())
    {
        DWFCORE_THROW(DWFUnexpectedException,
                      u"The key provided doesn't refer to an IncludeSegment", function);
    }
    _include(*target, nullptr);
}

void DWFSegment::include(DWFIncludeSegment& segment)
{
    _requireOpen("DWFToolkit::DWFSegment::include");
    _include(_includeTarget(segment), nullptr);
}

void DWFSegment::include(DWFIncludeSegment& segment, const DWFCore::DWFString& instanceName)
{
    _requireOpen("DWFToolkit::DWFSegment::include");
    _include(_includeTarget(segment), &instanceName);
}

void DWFSegment::_include(DWFPublishedObject& target, const DWFCore::DWFString* instanceName)
{
    DWFCore::DWFString path(DWFIncludeSegment::kLibraryPath);
    target.getPath(path);
    _writeIncludeReference(path.toUTF8().c_str());

    if (_object != nullptr)
    {
        // A named segment becomes what it includes.
        _object->copyProperties(target, false, false);
        return;
    }
    if (_parentObject != nullptr)
    {
        // An unnamed segment below a named one: an instance of the included
        // object under the named ancestor.
        _parentObject->addReference(&target, _key, instanceName, false);
    }
    else
    {
        _object = _factory->makePublishedObject(_key, instanceName ? *instanceName : target.name());
        _object->copyProperties(target, false, false);
    }
    _writeUserOptions("node");
}

// ---- properties

DWFPublishedObject& DWFSegment::_rootedTarget(const char16_t* message, const char* function) const
{
    _requireOpen(function);
    DWFPublishedObject* target = _propertyTarget();
    if (target == nullptr)
    {
        DWFCORE_THROW(DWFUnexpectedException, message, function);
    }
    return *target;
}

DWFProperty* DWFSegment::findProperty(const DWFCore::DWFString& name,
                                      const DWFCore::DWFString& category) const
{
    DWFPublishedObject* target = _propertyTarget();
    return target != nullptr ? target->findProperty(name, category) : nullptr;
}

DWFCore::DWFIterator<DWFProperty*>* DWFSegment::getProperties(const DWFCore::DWFString& category)
{
    DWFPublishedObject* target = _propertyTarget();
    return target != nullptr ? target->getProperties(category)
                             : DWFPropertyContainer::getProperties(category);
}

void DWFSegment::addProperty(const DWFProperty& property)
{
    // The object files a copy; the caller keeps its property.
    addProperty(const_cast<DWFProperty*>(&property), false);
}

void DWFSegment::addProperty(DWFProperty* property, bool own)
{
    _rootedTarget(u"Cannot add property to non-rooted segment",
                  "DWFToolkit::DWFSegment::addProperty")
        .addProperty(property, own);
}

void DWFSegment::addPropertyContainer(DWFPropertyContainer* container)
{
    _rootedTarget(u"Cannot add property to non-rooted segment",
                  "DWFToolkit::DWFSegment::addPropertyContainer")
        .addPropertyContainer(container);
}

void DWFSegment::referencePropertyContainer(DWFPropertyContainer* container)
{
    _rootedTarget(u"Cannot add property to non-rooted segment",
                  "DWFToolkit::DWFSegment::referencePropertyContainer")
        .referencePropertyContainer(container);
}

void DWFSegment::removeOwnedPropertyContainers(tList& containers, bool makeReferences)
{
    _rootedTarget(u"Cannot remove property from non-rooted segment",
                  "DWFToolkit::DWFSegment::removeOwnedPropertyContainers")
        .removeOwnedPropertyContainers(containers, makeReferences);
}

void DWFSegment::removeReferencedPropertyContainers(tList& containers)
{
    _rootedTarget(u"Cannot remove property from non-rooted segment",
                  "DWFToolkit::DWFSegment::removeReferencedPropertyContainers")
        .removeReferencedPropertyContainers(containers);
}

void DWFSegment::removeAllPropertyContainers(tList& containers)
{
    _rootedTarget(u"Cannot remove property from non-rooted segment",
                  "DWFToolkit::DWFSegment::removeAllPropertyContainers")
        .removeAllPropertyContainers(containers);
}

void DWFSegment::copyProperties(DWFPropertyContainer& source, bool takeOwnership,
                                bool keepReferences)
{
    _rootedTarget(u"Cannot copy property to non-rooted segment",
                  "DWFToolkit::DWFSegment::copyProperties")
        .copyProperties(source, takeOwnership, keepReferences);
}

} // namespace DWFToolkit
