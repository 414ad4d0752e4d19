#pragma once

// Allocation hooks for the edge-breaker coders' tests: they count what they
// hand out and take back, and fail one allocation on demand.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <string>

namespace w3d_test
{

struct Allocation_Hooks
{
    int allocations = 0;
    int releases = 0;
    int fail_at = -1; // the allocation (from 0) that fails, or -1 for none

    static void* allocate(std::size_t size, void* user)
    {
        auto* hooks = static_cast<Allocation_Hooks*>(user);
        if (hooks->allocations == hooks->fail_at)
            return nullptr;
        ++hooks->allocations;
        return std::malloc(size);
    }
    static void release(void* pointer, void* user)
    {
        ++static_cast<Allocation_Hooks*>(user)->releases;
        std::free(pointer);
    }
};

// Runs `code` (which codes with the hooks it is handed and answers whether it
// succeeded) once to count its allocations, then once with each of them
// failing in turn: every failure must be a refusal, and every run must give
// back all it took. `what` names the case in messages.
template <class Code>
void expect_allocation_failures_refused(const Code& code, const std::string& what)
{
    Allocation_Hooks counting;
    ASSERT_TRUE(code(counting)) << what;
    ASSERT_EQ(counting.allocations, counting.releases) << what;
    for (int k = 0; k < counting.allocations; ++k)
    {
        Allocation_Hooks failing;
        failing.fail_at = k;
        EXPECT_FALSE(code(failing)) << what << ", allocation " << k;
        EXPECT_EQ(failing.allocations, failing.releases) << what << ", allocation " << k;
    }
}

} // namespace w3d_test
