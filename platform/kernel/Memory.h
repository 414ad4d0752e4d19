#pragma once
// Memory figures and address-space reservations.
//
// The figures come from /proc/meminfo, capped by the control group's memory
// limit when the process runs under one, and can be replaced by fixed
// figures (tests, or a host that wants a predictable budget).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace platform
{

struct MemoryStatus
{
    std::uint64_t totalPhysical = 0;     // bytes
    std::uint64_t availablePhysical = 0; // bytes
    std::uint64_t totalVirtual = 0;      // address space the process may use
    std::uint64_t availableVirtual = 0;  // of which not yet used
};

MemoryStatus memoryStatus();
// Fixed figures for memoryStatus() from now on; nothing restores the
// measured ones.
void overrideMemoryStatus(std::optional<MemoryStatus> status);

// MemTotal and MemAvailable (MemFree on kernels without it) of a
// /proc/meminfo text, in bytes; nothing when MemTotal is missing.
std::optional<MemoryStatus> parseMeminfo(std::string_view text);
// A control group's limit ("max" or a byte count); nothing when unlimited
// or unreadable.
std::optional<std::uint64_t> parseMemoryLimit(std::string_view text);

// Address space reserved without memory behind it; pages are committed and
// decommitted in place. Granularity is the page size.
std::size_t pageSize();
void* reserveAddressSpace(std::size_t bytes);
void releaseAddressSpace(void* base, std::size_t bytes);
bool commitPages(void* address, std::size_t bytes);
// Returns the pages' memory to the system; the range stays reserved.
bool decommitPages(void* address, std::size_t bytes);
// The contents are no longer needed (they read back as zeros); the range
// stays usable.
bool discardPages(void* address, std::size_t bytes);

} // namespace platform
