#pragma once
// The module's object map: which classes it serves, how to make them, and
// which registration script belongs to each.
#include "platform/com/Guid.h"
#include "platform/com/Result.h"
#include "platform/com/Unknown.h"

#include <functional>
#include <vector>

namespace platform
{

extern const Guid IID_IClassFactory;

class ClassFactory : public RefCounted
{
public:
    using Creator = std::function<Unknown*()>; // new object with one reference, or null

    explicit ClassFactory(Creator creator) : creator_(std::move(creator)) {}
    // E_OUTOFMEMORY when the creator gives nothing; otherwise the new
    // object's answer to the interface query.
    HRESULT createInstance(const Guid& iid, void** object);
    HRESULT queryInterface(const Guid& iid, void** object) override;

private:
    Creator creator_;
};

struct ObjectMapEntry
{
    Guid clsid;
    int registryScript = 0;
    Guid typeLibrary;
    ClassFactory::Creator creator;
};

class ObjectMap
{
public:
    void add(ObjectMapEntry entry) { entries_.push_back(std::move(entry)); }
    const std::vector<ObjectMapEntry>& entries() const { return entries_; }

    // A class factory for the class; CLASS_E_CLASSNOTAVAILABLE for a class
    // the map does not hold.
    HRESULT getClassObject(const Guid& clsid, const Guid& iid, void** object) const;

private:
    std::vector<ObjectMapEntry> entries_;
};

} // namespace platform
