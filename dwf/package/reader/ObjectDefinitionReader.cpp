#include "dwf/package/reader/ObjectDefinitionReader.h"

#include "dwf/package/DefinedObject.h"
#include "dwf/package/Property.h"
#include "dwf/package/reader/ElementName.h"

namespace DWFToolkit
{

using DWFElementName::Is;

namespace
{

const unsigned int kPrefixes = DWFElementName::eDWF | DWFElementName::eCommon |
                               DWFElementName::eEModel | DWFElementName::eEPlot;

// The value of the first attribute called `wanted`, or null.
const char* attribute(const char** attributes, const char* wanted)
{
    for (std::size_t i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
    {
        if (Is(DWFElementName::Local(attributes[i], kPrefixes), wanted))
        {
            return attributes[i + 1];
        }
    }
    return nullptr;
}

} // namespace

DWFObjectDefinitionReader::DWFObjectDefinitionReader(DWFPackageReader* packageReader,
                                                     unsigned char providerFlags)
    : _packageReader(packageReader), _inUse(&_ownBuilder), _flags(providerFlags)
{
}

DWFObjectDefinitionReader::~DWFObjectDefinitionReader() = default;

void DWFObjectDefinitionReader::setElementBuilder(DWFXMLElementBuilder* builder) noexcept
{
    _inUse = builder ? builder : &_ownBuilder;
}

void DWFObjectDefinitionReader::notifyStartElement(const char* name, const char** attributes)
{
    static const char* const noAttributes[] = {nullptr};
    if (attributes == nullptr)
    {
        attributes = const_cast<const char**>(noAttributes);
    }
    const unsigned int depth = _depth;
    struct Raise
    {
        unsigned int& depth;
        ~Raise() { ++depth; }
    } raise{_depth};

    const char* local = DWFElementName::Local(name, kPrefixes);
    // The object or instance whose properties are being read, if any.
    DWFDefinedObject* const current =
        _kind == eObjects
            ? _object.get()
            : (_kind == eInstances ? static_cast<DWFDefinedObject*>(_instance.get()) : nullptr);
    switch (depth)
    {
    case 0:
        if (!Is(local, "PageObjectDefinition") && !Is(local, "SpaceObjectDefinition") &&
            !Is(local, "ObjectDefinition"))
        {
            _flags = 0;
        }
        if (_flags & eProvideVersion)
        {
            if (const char* version = attribute(attributes, "version"))
            {
                provideVersion(DWFCore::DWFString::ParseDouble(version));
            }
        }
        break;
    case 1:
        _kind = eNone;
        if ((_flags & eProvideProperties) && Is(local, "Properties"))
        {
            _kind = eProperties;
            _setID = DWFCore::DWFString();
            _setReferences.clear();
            _setProperties.clear();
            if (const char* id = attribute(attributes, "id"))
            {
                _setID = id;
            }
            if (const char* refs = attribute(attributes, "refs"))
            {
                DWFDefinedObject::SplitIDs(refs, _setReferences);
            }
        }
        else if ((_flags & eProvideObjects) && Is(local, "Objects"))
        {
            _kind = eObjects;
        }
        else if ((_flags & eProvideInstances) && Is(local, "Instances"))
        {
            _kind = eInstances;
        }
        break;
    case 2:
        if (_kind == eProperties && Is(local, "Property"))
        {
            std::unique_ptr<DWFProperty> property(_inUse->buildProperty(attributes));
            if (property)
            {
                _setProperties.push_back(std::move(property));
            }
        }
        else if (_kind == eObjects && Is(local, "Object"))
        {
            _object.reset(_inUse->buildDefinedObject(attributes));
        }
        else if (_kind == eInstances && Is(local, "Instance"))
        {
            ++_instanceCount;
            _instance.reset(_inUse->buildDefinedObjectInstance(attributes, _instanceCount));
        }
        break;
    case 3:
        if (current && (_flags & eProvideProperties) && Is(local, "Properties"))
        {
            if (const char* refs = attribute(attributes, "refs"))
            {
                DWFDefinedObject::tReferences ids;
                DWFDefinedObject::SplitIDs(refs, ids);
                for (const DWFCore::DWFString& id : ids)
                {
                    current->addPropertySetReference(id);
                }
            }
        }
        break;
    case 4:
        if (current && Is(local, "Property"))
        {
            std::unique_ptr<DWFProperty> property(_inUse->buildProperty(attributes));
            if (property)
            {
                current->addProperty(property.get(), true);
                property.release();
            }
        }
        break;
    default:
        break;
    }
}

void DWFObjectDefinitionReader::notifyEndElement(const char*)
{
    if (_depth == 0)
    {
        return;
    }
    const unsigned int depth = --_depth;
    if (depth == 1)
    {
        if (_kind == eProperties)
        {
            const DWFCore::DWFString id = _setID;
            _setID = DWFCore::DWFString();
            provideProperties(id, std::move(_setReferences), std::move(_setProperties));
            _setReferences.clear();
            _setProperties.clear();
        }
        _kind = eNone;
    }
    else if (depth == 2)
    {
        if (_kind == eObjects && _object)
        {
            provideObject(_object.release());
        }
        else if (_kind == eInstances && _instance)
        {
            provideInstance(_instance.release());
        }
    }
}

void DWFObjectDefinitionReader::provideVersion(double) {}

void DWFObjectDefinitionReader::provideProperties(const DWFCore::DWFString&, tIDs, tProperties) {}

void DWFObjectDefinitionReader::provideObject(DWFDefinedObject* object)
{
    delete object;
}

void DWFObjectDefinitionReader::provideInstance(DWFDefinedObjectInstance* instance)
{
    delete instance;
}

} // namespace DWFToolkit
