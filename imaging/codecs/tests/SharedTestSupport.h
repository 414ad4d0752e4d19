#pragma once
// What every test family of the codecs shares: a scratch folder of its own
// under the temporary folder, whole files read and written as bytes, and
// the standard output of a shell command (the independent tools).
#include "platform/kernel/Files.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <vector>

namespace OmviTest
{

inline std::vector<std::uint8_t> readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Replaces the file; false when it could not be written whole.
inline bool writeFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

inline bool fileExists(const std::string& path)
{
    struct stat status;
    return ::stat(path.c_str(), &status) == 0;
}

// A path quoted for the shell (paths of the scratch folder hold no quote).
inline std::string quoted(const std::string& path)
{
    return "'" + path + "'";
}

// Runs a shell command; its standard output. `status` receives the exit
// status (-1 when the command could not be run or did not exit).
inline std::vector<std::uint8_t> captureOutput(const std::string& command, int* status = nullptr)
{
    std::vector<std::uint8_t> out;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
    {
        if (status)
            *status = -1;
        return out;
    }
    std::uint8_t block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, pipe)) > 0)
        out.insert(out.end(), block, block + got);
    const int result = ::pclose(pipe);
    if (status)
        *status = WIFEXITED(result) ? WEXITSTATUS(result) : -1;
    return out;
}

// A folder of its own under the temporary folder, removed with everything
// in it.
class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::string pattern = platform::temporaryFolder() + "/codec-test-XXXXXX";
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

    // Writes `bytes` to the named file; returns its full path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
        out << bytes;
        return file(name);
    }
    std::string read(const std::string& name) const
    {
        std::ifstream in(file(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool exists(const std::string& name) const { return std::filesystem::exists(file(name)); }

private:
    std::string path_;
};

} // namespace OmviTest
