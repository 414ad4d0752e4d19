#pragma once
// Processor identification. The register values of the identification
// instruction are read once (on x86 only); everything derived from them is a
// pure function, so any processor can be described from recorded values.
#include <cstdint>
#include <optional>
#include <string>

namespace platform
{

// Vector feature bits.
enum CpuFeature : std::uint32_t
{
    kCpuMmx = 1,
    kCpuSse = 2,
    kCpuSse2 = 4,
    kCpu3DNow = 8
};

struct CpuRegisters
{
    std::uint32_t vendorEbx = 0, vendorEdx = 0, vendorEcx = 0; // leaf 0
    std::uint32_t signature = 0;                              // leaf 1 EAX
    std::uint32_t features = 0;                               // leaf 1 EDX
    std::uint32_t maxExtendedLeaf = 0;                        // leaf 0x80000000 EAX
    std::uint32_t extendedFeatures = 0;                       // leaf 0x80000001 EDX
};

struct ProcessorInfo
{
    std::string vendor;          // twelve characters, empty when unknown
    std::string name = "Unknown";
    int family = 0;
    int model = 0;
    int stepping = 0;
    std::uint32_t reported = 0;  // CpuFeature bits the processor reports
    std::uint32_t usable = 0;    // of which the system lets us use
};

// The registers of this processor; nothing where there is no such
// instruction (processors other than x86).
std::optional<CpuRegisters> readCpuRegisters();

// Vendor, name, family, model, stepping and features of recorded registers.
// 3DNow is never usable; the other features are usable when reported and
// the system saves the vector registers across task switches.
ProcessorInfo identifyProcessor(const CpuRegisters& registers, bool systemSavesVectorState = true);

// This processor; an "Unknown" record without features where nothing can be read.
ProcessorInfo identifyThisProcessor();

} // namespace platform
