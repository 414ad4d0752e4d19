#include "dwf/publisher/PublishedObject.h"

#include "dwf/publisher/PropertyVisitor.h"
#include "dwfcore/Exception.h"

#include <new>
#include <string>

namespace DWFToolkit
{

DWFPublishedObject::Factory::~Factory() = default;

DWFPublishedObject::Visitor::~Visitor() = default;

void DWFPublishedObject::Visitor::visitPublishedObject(DWFPublishedObject& object)
{
    if (_chained != nullptr)
    {
        _chained->visitPublishedObject(object);
    }
}

DWFPublishedObject::DWFPublishedObject(tKey key, const DWFCore::DWFString& name)
    : DWFPropertyContainer(DWFCore::DWFString()), _key(key), _name(name)
{
}

DWFPublishedObject::~DWFPublishedObject() = default;

void DWFPublishedObject::accept(Visitor& visitor)
{
    visitor.visitPublishedObject(*this);
}

void DWFPublishedObject::accept(DWFPropertyVisitor& visitor)
{
    visitor.visitPropertyContainer(*this);
}

void DWFPublishedObject::addReference(DWFPublishedObject* object, tKey key,
                                      const DWFCore::DWFString* name, bool copyInstead)
{
    if (object == nullptr)
    {
        DWFCORE_THROW(DWFNullPointerException, u"Object was null",
                      "DWFToolkit::DWFPublishedObject::addReference");
    }
    if (copyInstead)
    {
        copyProperties(*object, false, false);
        return;
    }
    std::unique_ptr<Reference> reference(new (std::nothrow) Reference);
    if (!reference)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate reference",
                      "DWFToolkit::DWFPublishedObject::addReference");
    }
    reference->key = key;
    reference->object = object;
    if (name != nullptr)
    {
        reference->name = *name;
    }
    _references.push_back(std::move(reference));
}

void DWFPublishedObject::getPath(DWFCore::DWFString& path) const
{
    // Collected from this object upwards, written from the top down. A chain
    // that comes back to an object already seen is cut there.
    std::vector<const DWFPublishedObject*> chain;
    for (const DWFPublishedObject* object = this; object != nullptr; object = object->_parent)
    {
        for (const DWFPublishedObject* seen : chain)
        {
            if (seen == object)
            {
                DWFCORE_THROW(DWFUnexpectedException, u"Published objects form a cycle",
                              "DWFToolkit::DWFPublishedObject::getPath");
            }
        }
        chain.push_back(object);
    }
    std::string text;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    {
        if (!text.empty())
        {
            text.push_back('/');
        }
        text += std::to_string((*it)->_key);
    }
    path.append(text.c_str());
}

} // namespace DWFToolkit
