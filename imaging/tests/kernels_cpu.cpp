// Processor detection from recorded register values, the once-only decision
// of the three feature states, and the choices the factories and row
// routines make from them.
#include "KernelReference.h"

#include "imaging/kernels/CpuFeatures.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/kernels/RowRoutines.h"
#include "imaging/kernels/RowShearers.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>

using namespace Omvi;
using KernelReference::allStates;
using KernelReference::ScopedCpuStates;

namespace
{
constexpr std::uint32_t kMmxBit = 1u << 23;
constexpr std::uint32_t kSseBit = 1u << 25;
constexpr std::uint32_t kSse2Bit = 1u << 26;
constexpr std::uint32_t k3DNowBit = 1u << 31;

platform::CpuRegisters recorded(const char* vendor, std::uint32_t signature, std::uint32_t features,
                                std::uint32_t extendedFeatures = 0)
{
    platform::CpuRegisters r;
    std::memcpy(&r.vendorEbx, vendor, 4);
    std::memcpy(&r.vendorEdx, vendor + 4, 4);
    std::memcpy(&r.vendorEcx, vendor + 8, 4);
    r.signature = signature;
    r.features = features;
    r.maxExtendedLeaf = extendedFeatures != 0 ? 0x80000001u : 0x80000000u;
    r.extendedFeatures = extendedFeatures;
    return r;
}

template <class Expected, class Made>
bool isExactly(const Made* made)
{
    return made != nullptr && typeid(*made) == typeid(Expected);
}
} // namespace

TEST(ProcessorDetection, RecordedRegistersFillTheRecord)
{
    CpuInfo p4;
    const std::uint32_t reported =
        probeCpu(recorded("GenuineIntel", 0x0F27, kMmxBit | kSseBit | kSse2Bit), &p4);
    EXPECT_EQ(reported, 7u);
    EXPECT_STREQ(p4.vendor, "GenuineIntel");
    EXPECT_STREQ(p4.name, "Unknown"); // family 15 model 2 is not in the table
    EXPECT_EQ(p4.family, 15);         // extended family 0
    EXPECT_EQ(p4.model, 2);
    EXPECT_EQ(p4.stepping, 7);
    EXPECT_EQ(p4.usable, 7u);
    EXPECT_EQ(p4.last, 15);

    CpuInfo early;
    probeCpu(recorded("GenuineIntel", 0x0F07, kSse2Bit), &early);
    EXPECT_STREQ(early.name, "INTEL Pentium-4");

    CpuInfo mmx;
    probeCpu(recorded("GenuineIntel", 0x0543, kMmxBit), &mmx);
    EXPECT_STREQ(mmx.name, "INTEL Pentium-MMX"); // seventeen characters and the zero
    EXPECT_EQ(mmx.usable, 1u);

    CpuInfo cyrix;
    probeCpu(recorded("CyrixInstead", 0x0520, 0), &cyrix);
    EXPECT_STREQ(cyrix.name, "Cyrix");
    EXPECT_EQ(probeCpu(recorded("CyrixInstead", 0x0520, 0), nullptr), 0u);
}

TEST(ProcessorDetection, ThreeDNowIsReportedButNeverUsable)
{
    CpuInfo k6;
    const std::uint32_t reported = probeCpu(recorded("AuthenticAMD", 0x0580, kMmxBit, k3DNowBit), &k6);
    EXPECT_EQ(reported, static_cast<std::uint32_t>(platform::kCpuMmx | platform::kCpu3DNow));
    EXPECT_EQ(k6.usable, static_cast<std::uint32_t>(platform::kCpuMmx));
    EXPECT_STREQ(k6.name, "AMD K6-2");
}

// A processor without the identification instruction (anything but x86):
// nothing is reported and nothing is usable.
TEST(ProcessorDetection, AProcessorWithoutIdentificationIsNotUsable)
{
    CpuInfo none;
    EXPECT_EQ(probeCpu(std::nullopt, &none), 0u);
    EXPECT_STREQ(none.vendor, "");
    EXPECT_STREQ(none.name, "Unknown");
    EXPECT_EQ(none.usable, 0u);

    ScopedCpuStates pinned(allStates(kFeatureUntested));
    detectCpuFeatures(std::nullopt);
    const CpuFeatureStates states = cpuFeatureStates();
    EXPECT_EQ(states.mmx, kFeatureNotUsable);
    EXPECT_EQ(states.sse, kFeatureNotUsable);
    EXPECT_EQ(states.sse2, kFeatureNotUsable);
}

TEST(ProcessorDetection, EachStateIsDecidedOnce)
{
    CpuFeatureStates partly;
    partly.mmx = kFeatureNotUsable; // decided earlier: stays
    EXPECT_EQ(decideCpuFeatures(partly, 7).mmx, kFeatureNotUsable);
    EXPECT_EQ(decideCpuFeatures(partly, 7).sse, kFeatureUsable);
    EXPECT_EQ(decideCpuFeatures(partly, 1).sse2, kFeatureNotUsable);
    EXPECT_EQ(decideCpuFeatures(CpuFeatureStates(), 8).mmx, kFeatureNotUsable);

    ScopedCpuStates pinned(allStates(kFeatureUntested));
    detectCpuFeatures(recorded("GenuineIntel", 0x0673, kMmxBit | kSseBit));
    CpuFeatureStates expected;
    expected.mmx = kFeatureUsable;
    expected.sse = kFeatureUsable;
    expected.sse2 = kFeatureNotUsable;
    EXPECT_EQ(cpuFeatureStates(), expected);
    // A second detection, even of another processor, changes nothing.
    detectCpuFeatures(recorded("GenuineIntel", 0x0F07, kMmxBit | kSseBit | kSse2Bit));
    EXPECT_EQ(cpuFeatureStates(), expected);
    detectCpuFeatures();
    EXPECT_EQ(cpuFeatureStates(), expected);
}

TEST(ProcessorDetection, TheSessionDecidesTheStates)
{
    ScopedCpuStates pinned(allStates(kFeatureUntested));
    ASSERT_EQ(OMVISession::get(), nullptr);
    ASSERT_NE(OMVISession::create(makeScratchFileSpecifier("IMG"), 0), nullptr);
    EXPECT_TRUE(OMVISession::destroy());
    const CpuFeatureStates states = cpuFeatureStates();
    EXPECT_NE(states.mmx, kFeatureUntested);
    EXPECT_NE(states.sse, kFeatureUntested);
    EXPECT_NE(states.sse2, kFeatureUntested);
}

TEST(KernelSelection, EightBitShearersByWidthAndProcessor)
{
    {
        ScopedCpuStates pinned(allStates(kFeatureUsable));
        auto shearer = [](std::int32_t width, bool wide) {
            return std::unique_ptr<RowShearer>(createRowShearer(1, width, wide));
        };
        EXPECT_TRUE(isExactly<EightBitRowShearer>(shearer(256, true).get()));
        EXPECT_TRUE(isExactly<EightBitRowShearer>(shearer(256, false).get()));
        EXPECT_TRUE(isExactly<EightBitRowShearer>(shearer(300, false).get()));
        EXPECT_TRUE(isExactly<EightBitRowSSE2Shearer>(shearer(300, true).get()));
        EXPECT_TRUE(isExactly<EightBitRowMMXShearer>(shearer(512, false).get()));
        EXPECT_TRUE(isExactly<EightBitRowMMXShearer>(shearer(1279, false).get()));
        EXPECT_TRUE(isExactly<EightBitRowSSE2Shearer>(shearer(1280, false).get()));
    }
    {
        CpuFeatureStates mmxOnly = allStates(kFeatureNotUsable);
        mmxOnly.mmx = kFeatureUsable;
        ScopedCpuStates pinned(mmxOnly);
        std::unique_ptr<RowShearer> wide(createRowShearer(1, 300, true));
        std::unique_ptr<RowShearer> plain(createRowShearer(1, 300, false));
        std::unique_ptr<RowShearer> wideEnough(createRowShearer(1, 4096, false));
        EXPECT_TRUE(isExactly<EightBitRowMMXShearer>(wide.get()));
        EXPECT_TRUE(isExactly<EightBitRowShearer>(plain.get()));
        EXPECT_TRUE(isExactly<EightBitRowMMXShearer>(wideEnough.get()));
    }
    for (std::int32_t state : {kFeatureNotUsable, kFeatureUntested})
    {
        ScopedCpuStates pinned(allStates(state));
        std::unique_ptr<RowShearer> shearer(createRowShearer(1, 4096, true));
        EXPECT_TRUE(isExactly<EightBitRowShearer>(shearer.get()));
    }
}

TEST(KernelSelection, ThirtyTwoBitShearersTakeTheWidthInBytes)
{
    ScopedCpuStates pinned(allStates(kFeatureUsable));
    // 16 pixels: 64 bytes, always plain; 150 pixels: 600 bytes, wide either way.
    std::unique_ptr<RowShearer> narrow(createRowShearer(3, 4 * 16, true));
    std::unique_ptr<RowShearer> wideFlag(createRowShearer(3, 4 * 150, true));
    std::unique_ptr<RowShearer> noFlag(createRowShearer(3, 4 * 150, false));
    std::unique_ptr<RowShearer> between(createRowShearer(3, 100, false));
    std::unique_ptr<RowShearer> betweenWide(createRowShearer(3, 100, true));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowShearer>(narrow.get()));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowMMXShearer>(wideFlag.get()));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowMMXShearer>(noFlag.get()));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowShearer>(between.get()));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowMMXShearer>(betweenWide.get()));
    EXPECT_EQ(static_cast<ThirtyTwoBitRowShearer*>(noFlag.get())->pixels(), 150);

    ScopedCpuStates untested(allStates(kFeatureUntested));
    std::unique_ptr<RowShearer> beforeDetection(createRowShearer(3, 4 * 150, true));
    EXPECT_TRUE(isExactly<ThirtyTwoBitRowShearer>(beforeDetection.get()));
}

TEST(KernelSelection, RowRoutineFormsByCountAndProcessor)
{
    {
        ScopedCpuStates pinned(allStates(kFeatureUsable));
        EXPECT_EQ(copyBytesForm(75), RowRoutineForm::Plain);
        EXPECT_EQ(copyBytesForm(76), RowRoutineForm::Wide);
        EXPECT_EQ(row8Form(15), RowRoutineForm::Plain);
        EXPECT_EQ(row8Form(16), RowRoutineForm::Wide);
        EXPECT_EQ(row32Form(1), RowRoutineForm::Wide);
    }
    {
        CpuFeatureStates sseOnly = allStates(kFeatureNotUsable);
        sseOnly.sse = kFeatureUsable;
        ScopedCpuStates pinned(sseOnly);
        EXPECT_EQ(copyBytesForm(4096), RowRoutineForm::Wide);
        EXPECT_EQ(row8Form(4096), RowRoutineForm::Plain);
        EXPECT_EQ(row32Form(4096), RowRoutineForm::Plain);
    }
    ScopedCpuStates untested(allStates(kFeatureUntested));
    EXPECT_EQ(copyBytesForm(4096), RowRoutineForm::Plain);
    EXPECT_EQ(row8Form(4096), RowRoutineForm::Plain);
    EXPECT_EQ(row32Form(4096), RowRoutineForm::Plain);
}
