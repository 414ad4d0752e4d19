#pragma once
// Which vector instruction sets the kernels may use. Detection runs once, when
// the session is made, and decides three process-wide states; the kernel
// factories and the row routines read them on every call. Before detection
// every state is "untested" and the plain kernels are chosen.
//
// The processor is identified by the platform layer from the register values
// of its identification instruction (platform/kernel/Processor.h); every
// decision here is a function of those values, so tests feed recorded ones.
#include "platform/kernel/Processor.h"

#include <cstdint>
#include <optional>

namespace Omvi
{

// Feature bits, as the platform layer numbers them: 1 MMX, 2 SSE, 4 SSE2,
// 8 3DNow.
using CpuFeature = platform::CpuFeature;

// Note the sense: 0 means usable.
enum CpuFeatureState : std::int32_t
{
    kFeatureUsable = 0,
    kFeatureNotUsable = 1,
    kFeatureUntested = 2
};

struct CpuFeatureStates
{
    std::int32_t mmx = kFeatureUntested;
    std::int32_t sse = kFeatureUntested;
    std::int32_t sse2 = kFeatureUntested;

    bool operator==(const CpuFeatureStates& other) const
    {
        return mmx == other.mmx && sse == other.sse && sse2 == other.sse2;
    }
};

// What probeCpu fills in.
struct CpuInfo
{
    char vendor[13] = {};     // twelve characters and a zero; empty when unknown
    char name[18] = {};       // from the name table, "Unknown" when not listed
    std::int32_t family = 0;
    std::int32_t model = 0;
    std::int32_t stepping = 0;
    std::uint32_t reported = 0; // CpuFeature bits the processor reports
    std::uint32_t usable = 0;   // of which the system lets us use (never 3DNow)
    std::int32_t last = 0;      // 15 once filled
};

// The processor described by `registers` (none: a processor without the
// identification instruction, whose features are all unusable). Fills `info`
// when given; answers the reported feature bits.
std::uint32_t probeCpu(const std::optional<platform::CpuRegisters>& registers, CpuInfo* info);
// The same for this processor.
std::uint32_t probeCpu(CpuInfo* info);

// `current` with every untested state decided from the usable feature bits
// (usable when the bit is set, else not usable); decided states stay.
CpuFeatureStates decideCpuFeatures(CpuFeatureStates current, std::uint32_t usable);

// Decides the process-wide states that are still untested, from this
// processor, or from recorded registers.
void detectCpuFeatures();
void detectCpuFeatures(const std::optional<platform::CpuRegisters>& registers);

// The process-wide states.
CpuFeatureStates cpuFeatureStates();
inline bool mmxUsable() { return cpuFeatureStates().mmx == kFeatureUsable; }
inline bool sseUsable() { return cpuFeatureStates().sse == kFeatureUsable; }
inline bool sse2Usable() { return cpuFeatureStates().sse2 == kFeatureUsable; }

// Replaces the process-wide states (tests, and callers that must pin the
// plain kernels); answers the states it replaced.
CpuFeatureStates overrideCpuFeatureStates(CpuFeatureStates states);

} // namespace Omvi
