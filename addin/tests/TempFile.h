#pragma once
// A file created exclusively in the temporary folder and removed again.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace addin_test
{

class TempFile
{
public:
    explicit TempFile(const std::string& content)
    {
        const char* folder = std::getenv("TMPDIR");
        std::string pattern = std::string(folder && *folder ? folder : "/tmp") + "/qc-sym-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0)
            return;
        path_ = pattern;
        const char* p = content.data();
        std::size_t left = content.size();
        while (left > 0)
        {
            const ssize_t n = ::write(fd, p, left);
            if (n <= 0)
                break;
            p += n;
            left -= static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    ~TempFile()
    {
        if (!path_.empty())
            std::remove(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

} // namespace addin_test
