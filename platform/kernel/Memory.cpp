#include "platform/kernel/Memory.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>

namespace platform
{

namespace
{
std::mutex overrideGuard;
std::optional<MemoryStatus> fixedStatus;

std::string readSmallFile(const std::string& name)
{
    std::ifstream in(name);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The value of a "Name:   1234 kB" line, in bytes.
std::optional<std::uint64_t> meminfoField(std::string_view text, std::string_view name)
{
    std::size_t at = 0;
    while (at < text.size())
    {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (line.size() <= name.size() || line.substr(0, name.size()) != name || line[name.size()] != ':')
            continue;
        std::uint64_t value = 0;
        bool digits = false;
        for (char c : line.substr(name.size() + 1))
        {
            if (c >= '0' && c <= '9')
            {
                if (value > (UINT64_MAX - 9) / 10)
                    return std::nullopt;
                value = value * 10 + static_cast<std::uint64_t>(c - '0');
                digits = true;
            }
            else if (digits)
                break;
        }
        if (!digits)
            return std::nullopt;
        const bool kilobytes = line.find("kB") != std::string_view::npos;
        if (kilobytes && value > UINT64_MAX / 1024)
            return std::nullopt;
        return kilobytes ? value * 1024 : value;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> limitOfOwnGroup(std::uint64_t* usage)
{
    // cgroup v2: "0::/path" names the group under /sys/fs/cgroup.
    const std::string groups = readSmallFile("/proc/self/cgroup");
    std::string folder = "/sys/fs/cgroup";
    const auto v2 = groups.find("0::");
    if (v2 != std::string::npos)
    {
        const auto end = groups.find('\n', v2);
        const std::string path = groups.substr(v2 + 3, end == std::string::npos ? std::string::npos : end - v2 - 3);
        if (path != "/" && !readSmallFile(folder + path + "/memory.max").empty())
            folder += path;
    }
    auto limit = parseMemoryLimit(readSmallFile(folder + "/memory.max"));
    std::string current = readSmallFile(folder + "/memory.current");
    if (!limit)
    {
        limit = parseMemoryLimit(readSmallFile("/sys/fs/cgroup/memory/memory.limit_in_bytes"));
        current = readSmallFile("/sys/fs/cgroup/memory/memory.usage_in_bytes");
    }
    if (limit)
        *usage = parseMemoryLimit(current).value_or(0);
    return limit;
}

MemoryStatus measure()
{
    MemoryStatus status;
    if (auto figures = parseMeminfo(readSmallFile("/proc/meminfo")))
        status = *figures;
    else
    {
        const long pages = ::sysconf(_SC_PHYS_PAGES);
        const long available = ::sysconf(_SC_AVPHYS_PAGES);
        const long size = ::sysconf(_SC_PAGESIZE);
        status.totalPhysical = pages > 0 && size > 0 ? std::uint64_t(pages) * std::uint64_t(size) : 0;
        status.availablePhysical = available > 0 && size > 0 ? std::uint64_t(available) * std::uint64_t(size) : 0;
    }
    std::uint64_t usage = 0;
    if (const auto limit = limitOfOwnGroup(&usage))
    {
        status.totalPhysical = std::min(status.totalPhysical, *limit);
        status.availablePhysical = std::min(status.availablePhysical, *limit > usage ? *limit - usage : 0);
    }

    // Address space: the process limit when one is set, else the 47 bits a
    // user process has on current 64-bit systems.
    rlimit limit{};
    std::uint64_t space = sizeof(void*) == 8 ? (std::uint64_t(1) << 47) : (std::uint64_t(3) << 30);
    if (::getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        space = std::min<std::uint64_t>(space, limit.rlim_cur);
    std::uint64_t used = 0;
    std::istringstream statm(readSmallFile("/proc/self/statm"));
    if (statm >> used)
        used *= static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    status.totalVirtual = space;
    status.availableVirtual = space > used ? space - used : 0;
    return status;
}
} // namespace

MemoryStatus memoryStatus()
{
    {
        std::lock_guard<std::mutex> hold(overrideGuard);
        if (fixedStatus)
            return *fixedStatus;
    }
    return measure();
}

void overrideMemoryStatus(std::optional<MemoryStatus> status)
{
    std::lock_guard<std::mutex> hold(overrideGuard);
    fixedStatus = status;
}

std::optional<MemoryStatus> parseMeminfo(std::string_view text)
{
    const auto total = meminfoField(text, "MemTotal");
    if (!total)
        return std::nullopt;
    MemoryStatus status;
    status.totalPhysical = *total;
    auto available = meminfoField(text, "MemAvailable");
    if (!available)
        available = meminfoField(text, "MemFree");
    status.availablePhysical = std::min(available.value_or(0), *total);
    return status;
}

std::optional<std::uint64_t> parseMemoryLimit(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
        text.remove_suffix(1);
    if (text.empty() || text == "max")
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text)
    {
        if (c < '0' || c > '9' || value > (UINT64_MAX - 9) / 10)
            return std::nullopt;
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // Version 1 groups write "no limit" as a huge page-rounded number.
    if (value >= (std::uint64_t(1) << 62))
        return std::nullopt;
    return value;
}

std::size_t pageSize()
{
    static const std::size_t size = [] {
        const long value = ::sysconf(_SC_PAGESIZE);
        return value > 0 ? static_cast<std::size_t>(value) : std::size_t(4096);
    }();
    return size;
}

void* reserveAddressSpace(std::size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    void* base = ::mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    return base == MAP_FAILED ? nullptr : base;
}

void releaseAddressSpace(void* base, std::size_t bytes)
{
    if (base && bytes)
        ::munmap(base, bytes);
}

bool commitPages(void* address, std::size_t bytes)
{
    return bytes == 0 || ::mprotect(address, bytes, PROT_READ | PROT_WRITE) == 0;
}

bool decommitPages(void* address, std::size_t bytes)
{
    if (bytes == 0)
        return true;
    const bool dropped = ::madvise(address, bytes, MADV_DONTNEED) == 0;
    return ::mprotect(address, bytes, PROT_NONE) == 0 && dropped;
}

bool discardPages(void* address, std::size_t bytes)
{
    return bytes == 0 || ::madvise(address, bytes, MADV_DONTNEED) == 0;
}

} // namespace platform
