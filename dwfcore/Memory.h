#ifndef DWFCORE_MEMORY_H
#define DWFCORE_MEMORY_H

#include <cstddef>
#include <new>

namespace DWFCore
{

//
// Allocation base of the core classes. Allocating a core object never throws
// std::bad_alloc: the plain form throws DWFMemoryException, the nothrow form
// returns null so that call sites can throw their own, more precise message.
//
class DWFCoreMemory
{
public:
    static void* operator new(std::size_t bytes);
    static void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept;
    static void* operator new[](std::size_t bytes);
    static void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept;
    static void operator delete(void* pointer) noexcept;
    static void operator delete(void* pointer, const std::nothrow_t&) noexcept;
    static void operator delete[](void* pointer) noexcept;
    static void operator delete[](void* pointer, const std::nothrow_t&) noexcept;
    // Placement forms, which the class-specific forms above would otherwise hide.
    static void* operator new(std::size_t, void* place) noexcept { return place; }
    static void operator delete(void*, void*) noexcept {}

    //
    // Test seam: the next `allocations` core allocations succeed and every one
    // after them fails, until the countdown is reset with a negative value.
    // Covers core objects and every buffer obtained through allocateArray.
    //
    static void failAllocationsAfter(long allocations) noexcept;

    // Consumes one step of the countdown; false when this allocation must fail.
    static bool allocationPermitted() noexcept;
};

//
// Allocates an array of `count` default-initialised elements, or returns null
// when memory (or the test countdown) runs out.
//
template <class T> T* allocateArray(std::size_t count) noexcept
{
    if (!DWFCoreMemory::allocationPermitted())
    {
        return nullptr;
    }
    return new (std::nothrow) T[count];
}

} // namespace DWFCore

#endif
