#pragma once
// Scoped stand-ins for the machine's figures and limits, for tests of the
// platform layer.
#include "Thrown.h"

#include "imaging/FileSpecifier.h"
#include "imaging/OMVIException.h"

#include "platform/kernel/Memory.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Volume.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <sys/resource.h>

namespace imaging_testing
{

// Fixed memory figures for the scope.
struct ScopedMemory
{
    ScopedMemory(std::uint64_t totalBytes, std::uint64_t availableBytes,
                 std::uint64_t virtualBytes = std::uint64_t(1) << 40)
    {
        platform::MemoryStatus status;
        status.totalPhysical = totalBytes;
        status.availablePhysical = availableBytes;
        status.totalVirtual = virtualBytes;
        status.availableVirtual = virtualBytes;
        platform::overrideMemoryStatus(status);
    }
    ~ScopedMemory() { platform::overrideMemoryStatus(std::nullopt); }
};

// Fixed volume figures for the scope.
struct ScopedVolume
{
    ScopedVolume(platform::FileSystemKind kind, std::uint64_t freeBytes)
    {
        platform::overrideVolumeFigures(platform::VolumeFigures{kind, freeBytes});
    }
    ~ScopedVolume() { platform::overrideVolumeFigures(std::nullopt); }
};

// Writes past `bytes` into any file fail with EFBIG for the scope (the
// signal that would end the process is ignored meanwhile).
struct FileSizeLimit
{
    rlimit saved{};
    void (*savedHandler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
};

using OmviTest::thrownCode;

inline bool fileExists(const Omvi::FileSpecifier& file)
{
    return platform::path::fileExists(platform::path::fromNative(file.nativePath()));
}

} // namespace imaging_testing
