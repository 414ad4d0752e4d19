#include "dwf/w3dtk/edgebreaker/edge_allocator.h"

#include "dwfcore/Exception.h"

#include <cstdlib>

namespace w3d::eb
{
namespace
{
void* default_allocate(std::size_t size, void*)
{
    return std::malloc(size);
}

void default_release(void* pointer, void*)
{
    std::free(pointer);
}

void default_spare() {}
} // namespace

EdgeAllocator::EdgeAllocator(EdgeAllocateHook allocate, EdgeFreeHook release, EdgeSpareHook spare,
                             void* user_data)
    : m_allocate(allocate ? allocate : default_allocate),
      m_release(release ? release : default_release), m_spare(spare ? spare : default_spare),
      m_user_data(user_data)
{
}

void* EdgeAllocator::allocate(std::size_t bytes) const
{
    void* const pointer = m_allocate(bytes ? bytes : 1, m_user_data);
    if (!pointer)
        fail();
    return pointer;
}

void EdgeAllocator::release(void* pointer) const noexcept
{
    if (pointer)
        m_release(pointer, m_user_data);
}

void EdgeAllocator::fail()
{
    DWFCORE_THROW(DWFMemoryException, u"Edge-breaker working memory could not be allocated",
                  "w3d::eb::EdgeAllocator::allocate");
}

} // namespace w3d::eb
