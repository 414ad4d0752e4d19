#pragma once
// Where the quillcast program is for the tests and the benchmarks that run
// it: built beside them, in the folder of the running executable (no test
// framework needed).
#include <climits>
#include <string>
#include <unistd.h>

namespace addin_test
{

// The quillcast program beside this executable; empty when this
// executable's own path cannot be read.
inline std::string ProgramBesideThis()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    std::string self(buffer, static_cast<std::size_t>(length));
    return self.substr(0, self.rfind('/')) + "/quillcast";
}

} // namespace addin_test
