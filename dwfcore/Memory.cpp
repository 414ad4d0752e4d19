#include "dwfcore/Memory.h"

#include "dwfcore/Exception.h"

#include <cstdlib>

namespace DWFCore
{

namespace
{
long remainingAllocations = -1;

void* allocateRaw(std::size_t bytes) noexcept
{
    if (!DWFCoreMemory::allocationPermitted())
    {
        return nullptr;
    }
    return ::operator new(bytes, std::nothrow);
}

void* allocateOrThrow(std::size_t bytes)
{
    void* pointer = allocateRaw(bytes);
    if (pointer == nullptr)
    {
        DWFCORE_THROW(DWFMemoryException, u"Failed to allocate memory",
                      "DWFCore::DWFCoreMemory::operator new");
    }
    return pointer;
}
} // namespace

void DWFCoreMemory::failAllocationsAfter(long allocations) noexcept
{
    remainingAllocations = allocations;
}

bool DWFCoreMemory::allocationPermitted() noexcept
{
    if (remainingAllocations < 0)
    {
        return true;
    }
    if (remainingAllocations == 0)
    {
        return false;
    }
    --remainingAllocations;
    return true;
}

void* DWFCoreMemory::operator new(std::size_t bytes)
{
    return allocateOrThrow(bytes);
}

void* DWFCoreMemory::operator new(std::size_t bytes, const std::nothrow_t&) noexcept
{
    return allocateRaw(bytes);
}

void* DWFCoreMemory::operator new[](std::size_t bytes)
{
    return allocateOrThrow(bytes);
}

void* DWFCoreMemory::operator new[](std::size_t bytes, const std::nothrow_t&) noexcept
{
    return allocateRaw(bytes);
}

void DWFCoreMemory::operator delete(void* pointer) noexcept
{
    ::operator delete(pointer);
}

void DWFCoreMemory::operator delete(void* pointer, const std::nothrow_t&) noexcept
{
    ::operator delete(pointer);
}

void DWFCoreMemory::operator delete[](void* pointer) noexcept
{
    ::operator delete(pointer);
}

void DWFCoreMemory::operator delete[](void* pointer, const std::nothrow_t&) noexcept
{
    ::operator delete(pointer);
}

} // namespace DWFCore
