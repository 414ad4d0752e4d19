#include "platform/com/Unknown.h"

namespace platform
{

const Guid IID_IUnknown = guid(u"{00000000-0000-0000-C000-000000000046}");

namespace
{
std::atomic<long> liveCount{0};
}

RefCounted::RefCounted()
{
    ++liveCount;
}

RefCounted::~RefCounted()
{
    --liveCount;
}

long RefCounted::liveObjects()
{
    return liveCount.load();
}

std::uint32_t RefCounted::addRef()
{
    return ++references_;
}

std::uint32_t RefCounted::release()
{
    const std::uint32_t left = --references_;
    if (left == 0)
        delete this;
    return left;
}

HRESULT RefCounted::queryInterface(const Guid& iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown)
    {
        addRef();
        *object = static_cast<Unknown*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

} // namespace platform
