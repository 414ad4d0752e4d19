#pragma once
// Independent tools that the imaging tests compare against (ImageMagick,
// netpbm, libtiff-tools, python3 with PIL, djpeg, pngcheck ...). A test that
// needs one skips with a message when it is not installed:
//
//     OMVI_REQUIRE_TOOL("tiffinfo");
//     OMVI_REQUIRE_PYTHON_MODULE("PIL");
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <sys/wait.h>

namespace OmviTest
{

// Runs a shell command; its exit status, or -1 when it did not exit normally.
inline int runCommand(const std::string& command)
{
    const int status = std::system(command.c_str());
    if (status == -1)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline bool haveTool(const std::string& tool)
{
    return runCommand("command -v '" + tool + "' >/dev/null 2>&1") == 0;
}

// The Debian python (/usr/bin/python3) is the one with the distribution's
// modules; the first python3 on PATH may be another. Empty when none has
// the module.
inline std::string pythonWith(const std::string& module)
{
    for (const char* python : {"/usr/bin/python3", "python3"})
        if (runCommand(std::string(python) + " -c 'import " + module + "' >/dev/null 2>&1") == 0)
            return python;
    return {};
}

} // namespace OmviTest

#define OMVI_REQUIRE_TOOL(tool)                                                                    \
    do                                                                                             \
    {                                                                                              \
        if (!OmviTest::haveTool(tool))                                                             \
            GTEST_SKIP() << "skipped: " << (tool) << " is not installed";                          \
    } while (false)

#define OMVI_REQUIRE_PYTHON_MODULE(module, pythonVariable)                                         \
    const std::string pythonVariable = OmviTest::pythonWith(module);                               \
    if (pythonVariable.empty())                                                                    \
    GTEST_SKIP() << "skipped: no python3 with " << (module) << " is installed"
