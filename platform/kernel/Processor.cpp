#include "platform/kernel/Processor.h"

#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace platform
{

namespace
{
struct NameRule
{
    const char* vendor;
    int family;   // -1: any
    int modelLow; // inclusive range; -1: any
    int modelHigh;
    const char* name;
};

constexpr NameRule kNames[] = {
    {"AuthenticAMD", 4, -1, -1, "AMD Am486"},
    {"AuthenticAMD", 5, 0, 3, "AMD K5"},
    {"AuthenticAMD", 5, 6, 7, "AMD K6"},
    {"AuthenticAMD", 5, 8, 8, "AMD K6-2"},
    {"AuthenticAMD", 5, 9, 15, "AMD K6-3"},
    {"AuthenticAMD", 6, -1, -1, "AMD ATHLON"},
    {"GenuineIntel", 4, 0, 1, "INTEL 486DX"},
    {"GenuineIntel", 4, 2, 2, "INTEL 486SX"},
    {"GenuineIntel", 4, 3, 3, "INTEL 486DX2"},
    {"GenuineIntel", 4, 4, 4, "INTEL 486SL"},
    {"GenuineIntel", 4, 5, 5, "INTEL 486SX2"},
    {"GenuineIntel", 4, 7, 7, "INTEL 486DX2E"},
    {"GenuineIntel", 4, 8, 8, "INTEL 486DX4"},
    {"GenuineIntel", 5, 1, 3, "INTEL Pentium"},
    {"GenuineIntel", 5, 4, 4, "INTEL Pentium-MMX"},
    {"GenuineIntel", 6, 1, 1, "INTEL Pentium-Pro"},
    {"GenuineIntel", 6, 3, 3, "INTEL Pentium-II"},
    {"GenuineIntel", 6, 5, 5, "INTEL Pentium-II"},
    {"GenuineIntel", 6, 6, 6, "INTEL Celeron"},
    {"GenuineIntel", 6, 7, 8, "INTEL Pentium-III"},
    {"GenuineIntel", 6, 10, 10, "INTEL Pentium-III"},
    {"GenuineIntel", 15, 0, 0, "INTEL Pentium-4"},
    {"CyrixInstead", -1, -1, -1, "Cyrix"},
    {"CentaurHauls", -1, -1, -1, "Centaur"},
};

std::string vendorOf(const CpuRegisters& r)
{
    char text[12];
    std::memcpy(text, &r.vendorEbx, 4);
    std::memcpy(text + 4, &r.vendorEdx, 4);
    std::memcpy(text + 8, &r.vendorEcx, 4);
    return std::string(text, 12);
}
} // namespace

std::optional<CpuRegisters> readCpuRegisters()
{
#if defined(__i386__) || defined(__x86_64__)
    CpuRegisters r;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx))
        return std::nullopt;
    r.vendorEbx = ebx;
    r.vendorEdx = edx;
    r.vendorEcx = ecx;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx))
    {
        r.signature = eax;
        r.features = edx;
    }
    if (__get_cpuid(0x80000000u, &eax, &ebx, &ecx, &edx))
    {
        r.maxExtendedLeaf = eax;
        if (eax >= 0x80000001u && __get_cpuid(0x80000001u, &eax, &ebx, &ecx, &edx))
            r.extendedFeatures = edx;
    }
    return r;
#else
    return std::nullopt;
#endif
}

ProcessorInfo identifyProcessor(const CpuRegisters& r, bool systemSavesVectorState)
{
    ProcessorInfo info;
    info.vendor = vendorOf(r);
    info.family = static_cast<int>((r.signature >> 8) & 0xF);
    if (info.family == 15)
        info.family = static_cast<int>(((r.signature & 0x0FF00000u) | 0x000F0000u) >> 16);
    info.model = static_cast<int>((r.signature >> 4) & 0xF);
    info.stepping = static_cast<int>(r.signature & 0xF);

    if (r.features & (1u << 23))
        info.reported |= kCpuMmx;
    if (r.features & (1u << 25))
        info.reported |= kCpuSse;
    if (r.features & (1u << 26))
        info.reported |= kCpuSse2;
    if (r.maxExtendedLeaf >= 0x80000001u && (r.extendedFeatures & (1u << 31)))
        info.reported |= kCpu3DNow;
    info.usable = info.reported & kCpuMmx;
    if (systemSavesVectorState)
        info.usable |= info.reported & (kCpuSse | kCpuSse2);

    for (const NameRule& rule : kNames)
    {
        if (info.vendor != rule.vendor)
            continue;
        if (rule.family >= 0 && rule.family != info.family)
            continue;
        if (rule.modelLow >= 0 && (info.model < rule.modelLow || info.model > rule.modelHigh))
            continue;
        info.name = rule.name;
        break;
    }
    return info;
}

ProcessorInfo identifyThisProcessor()
{
    if (const auto registers = readCpuRegisters())
        return identifyProcessor(*registers);
    return ProcessorInfo();
}

} // namespace platform
