#pragma once
// A failed write of the imaging library's paging file, on demand: the test
// program's own pwrite stands before the C library's and, while a
// PageWriteFault is alive, fails every write to a paging file (a file whose
// name starts with "IMG", as the session's and the tests' are named) with
// the error number it was given. Other files are written as ever.
//
// The header defines pwrite itself: include it in one source file of a
// test program only.
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <sys/types.h>
#include <unistd.h>

namespace OmviTest
{

inline std::atomic<int>& pageWriteError()
{
    static std::atomic<int> error{0};
    return error;
}

// Arms the failure for the scope.
struct PageWriteFault
{
    explicit PageWriteFault(int error) { pageWriteError() = error; }
    ~PageWriteFault() { pageWriteError() = 0; }
    PageWriteFault(const PageWriteFault&) = delete;
    PageWriteFault& operator=(const PageWriteFault&) = delete;
};

// Whether the descriptor is open on a paging file (unlinked or not).
inline bool isPagingFile(int fd)
{
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[PATH_MAX];
    const ssize_t length = ::readlink(link, target, sizeof target - 1);
    if (length <= 0)
        return false;
    target[length] = '\0';
    const char* name = std::strrchr(target, '/');
    return name != nullptr && std::strncmp(name + 1, "IMG", 3) == 0;
}

} // namespace OmviTest

extern "C" ssize_t pwrite(int fd, const void* buffer, size_t count, off_t offset)
{
    const int error = OmviTest::pageWriteError().load();
    if (error != 0 && OmviTest::isPagingFile(fd))
    {
        errno = error;
        return -1;
    }
    using Write = ssize_t (*)(int, const void*, size_t, off_t);
    static const Write next = reinterpret_cast<Write>(::dlsym(RTLD_NEXT, "pwrite"));
    return next(fd, buffer, count, offset);
}
