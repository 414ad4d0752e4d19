#include "imaging/kernels/CpuFeatures.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Omvi
{

namespace
{
std::atomic<std::int32_t> mmxState{kFeatureUntested};
std::atomic<std::int32_t> sseState{kFeatureUntested};
std::atomic<std::int32_t> sse2State{kFeatureUntested};

std::int32_t decide(std::int32_t state, std::uint32_t usable, std::uint32_t feature)
{
    if (state != kFeatureUntested)
        return state;
    return (usable & feature) != 0 ? kFeatureUsable : kFeatureNotUsable;
}

// Copies at most size - 1 characters and always terminates.
void copyText(char* target, std::size_t size, const std::string& text)
{
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(target, text.data(), length);
    std::memset(target + length, 0, size - length);
}

bool allDecided(const CpuFeatureStates& states)
{
    return states.mmx != kFeatureUntested && states.sse != kFeatureUntested &&
           states.sse2 != kFeatureUntested;
}

platform::ProcessorInfo identify(const std::optional<platform::CpuRegisters>& registers)
{
    return registers ? platform::identifyProcessor(*registers) : platform::ProcessorInfo();
}
} // namespace

std::uint32_t probeCpu(const std::optional<platform::CpuRegisters>& registers, CpuInfo* info)
{
    const platform::ProcessorInfo processor = identify(registers);
    if (info != nullptr)
    {
        copyText(info->vendor, sizeof info->vendor, processor.vendor);
        copyText(info->name, sizeof info->name, processor.name);
        info->family = processor.family;
        info->model = processor.model;
        info->stepping = processor.stepping;
        info->reported = processor.reported;
        info->usable = processor.usable & ~std::uint32_t{platform::kCpu3DNow};
        info->last = 15;
    }
    return processor.reported;
}

std::uint32_t probeCpu(CpuInfo* info)
{
    return probeCpu(platform::readCpuRegisters(), info);
}

CpuFeatureStates decideCpuFeatures(CpuFeatureStates current, std::uint32_t usable)
{
    CpuFeatureStates decided;
    decided.mmx = decide(current.mmx, usable, platform::kCpuMmx);
    decided.sse = decide(current.sse, usable, platform::kCpuSse);
    decided.sse2 = decide(current.sse2, usable, platform::kCpuSse2);
    return decided;
}

void detectCpuFeatures(const std::optional<platform::CpuRegisters>& registers)
{
    if (allDecided(cpuFeatureStates()))
        return;
    CpuInfo info;
    probeCpu(registers, &info);
    // Each state moves from untested once; one decided meanwhile stays.
    const CpuFeatureStates decided = decideCpuFeatures(CpuFeatureStates(), info.usable);
    std::int32_t untested = kFeatureUntested;
    mmxState.compare_exchange_strong(untested, decided.mmx);
    untested = kFeatureUntested;
    sseState.compare_exchange_strong(untested, decided.sse);
    untested = kFeatureUntested;
    sse2State.compare_exchange_strong(untested, decided.sse2);
}

void detectCpuFeatures()
{
    if (!allDecided(cpuFeatureStates()))
        detectCpuFeatures(platform::readCpuRegisters());
}

CpuFeatureStates cpuFeatureStates()
{
    CpuFeatureStates states;
    states.mmx = mmxState.load(std::memory_order_relaxed);
    states.sse = sseState.load(std::memory_order_relaxed);
    states.sse2 = sse2State.load(std::memory_order_relaxed);
    return states;
}

CpuFeatureStates overrideCpuFeatureStates(CpuFeatureStates states)
{
    CpuFeatureStates previous;
    previous.mmx = mmxState.exchange(states.mmx);
    previous.sse = sseState.exchange(states.sse);
    previous.sse2 = sse2State.exchange(states.sse2);
    return previous;
}

} // namespace Omvi
