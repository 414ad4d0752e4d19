#include "platform/com/ClassObject.h"

namespace platform
{

const Guid IID_IClassFactory = guid(u"{00000001-0000-0000-C000-000000000046}");

HRESULT ClassFactory::createInstance(const Guid& iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    Unknown* created = creator_ ? creator_() : nullptr;
    if (!created)
        return E_OUTOFMEMORY;
    const HRESULT result = created->queryInterface(iid, object);
    created->release();
    return result;
}

HRESULT ClassFactory::queryInterface(const Guid& iid, void** object)
{
    if (object && iid == IID_IClassFactory)
    {
        addRef();
        *object = this;
        return S_OK;
    }
    return RefCounted::queryInterface(iid, object);
}

HRESULT ObjectMap::getClassObject(const Guid& clsid, const Guid& iid, void** object) const
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    for (const auto& entry : entries_)
    {
        if (entry.clsid != clsid)
            continue;
        auto* factory = new ClassFactory(entry.creator);
        const HRESULT result = factory->queryInterface(iid, object);
        factory->release();
        return result;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace platform
