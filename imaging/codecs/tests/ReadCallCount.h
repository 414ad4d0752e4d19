#pragma once
// The read calls this process has made so far, as the kernel counts them
// ("syscr" of /proc/self/io). A reader's work on a file is the difference
// across the call: it measures what a reader does without timing it and
// without the reader's help. Absent (the kernel keeps no such count), a
// test that needs it skips with a message:
//
//     OMVI_REQUIRE_READ_CALL_COUNT();
//
// The header needs no test framework (benchmarks count read calls too); the
// macro is for files that include gtest.
#include <cstdint>
#include <fstream>
#include <optional>
#include <string>

namespace OmviTest
{

inline std::optional<std::uint64_t> readCallsSoFar()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
        if (key == "syscr:")
            return value;
    return std::nullopt;
}

} // namespace OmviTest

#define OMVI_REQUIRE_READ_CALL_COUNT()                                                             \
    do                                                                                             \
    {                                                                                              \
        if (!OmviTest::readCallsSoFar())                                                           \
            GTEST_SKIP() << "skipped: the kernel keeps no count of read calls (/proc/self/io)";    \
    } while (false)
