#include "platform/kernel/FileTransfer.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Memory.h"
#include "platform/kernel/Path.h"
#include "platform/kernel/Processor.h"
#include "platform/kernel/Volume.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace platform;

TEST(KernelMemory, MeminfoAndGroupLimitsAreParsed)
{
    const auto status = parseMeminfo("MemTotal:        8056780 kB\n"
                                     "MemFree:          512000 kB\n"
                                     "MemAvailable:    4028390 kB\n"
                                     "Buffers:           10 kB\n");
    ASSERT_TRUE(status);
    EXPECT_EQ(status->totalPhysical, 8056780ull * 1024);
    EXPECT_EQ(status->availablePhysical, 4028390ull * 1024);

    const auto old = parseMeminfo("MemTotal: 1000 kB\nMemFree: 300 kB\n");
    ASSERT_TRUE(old);
    EXPECT_EQ(old->availablePhysical, 300ull * 1024) << "kernels without MemAvailable";
    EXPECT_FALSE(parseMeminfo("MemFree: 300 kB\n"));
    EXPECT_FALSE(parseMeminfo("MemTotal: kB\n"));
    EXPECT_FALSE(parseMeminfo("MemTotal: 99999999999999999999999 kB\n")) << "overflow is refused";
    EXPECT_FALSE(parseMeminfo("MemTotalX: 5 kB\n"));

    EXPECT_EQ(parseMemoryLimit("1073741824\n"), 1073741824ull);
    EXPECT_FALSE(parseMemoryLimit("max\n"));
    EXPECT_FALSE(parseMemoryLimit("9223372036854771712\n")) << "the v1 spelling of no limit";
    EXPECT_FALSE(parseMemoryLimit(""));
    EXPECT_FALSE(parseMemoryLimit("12k"));
}

TEST(KernelMemory, FiguresAreMeasuredOrInjected)
{
    const MemoryStatus measured = memoryStatus();
    EXPECT_GT(measured.totalPhysical, 0u);
    EXPECT_LE(measured.availablePhysical, measured.totalPhysical);
    EXPECT_GT(measured.availableVirtual, 0u);
    EXPECT_LE(measured.availableVirtual, measured.totalVirtual);

    MemoryStatus fixed;
    fixed.totalPhysical = 256ull << 20;
    fixed.availablePhysical = 64ull << 20;
    overrideMemoryStatus(fixed);
    EXPECT_EQ(memoryStatus().availablePhysical, 64ull << 20);
    overrideMemoryStatus(std::nullopt);
    EXPECT_EQ(memoryStatus().totalPhysical, measured.totalPhysical);
}

TEST(KernelMemory, ReservedPagesAreCommittedAndDecommittedInPlace)
{
    const std::size_t page = pageSize();
    ASSERT_GE(page, 4096u);
    const std::size_t bytes = 64 * page;
    auto* base = static_cast<unsigned char*>(reserveAddressSpace(bytes));
    ASSERT_NE(base, nullptr);
    ASSERT_TRUE(commitPages(base + page, 2 * page));
    std::memset(base + page, 0x5A, 2 * page);
    ASSERT_TRUE(discardPages(base + page, page));
    EXPECT_EQ(base[page], 0) << "discarded contents read back as zeros";
    EXPECT_EQ(base[2 * page], 0x5A);
    ASSERT_TRUE(decommitPages(base + page, 2 * page));
    ASSERT_TRUE(commitPages(base + page, page));
    EXPECT_EQ(base[page + 7], 0);
    releaseAddressSpace(base, bytes);
    EXPECT_EQ(reserveAddressSpace(0), nullptr);
}

TEST(KernelVolume, FiguresForAFileThatDoesNotExistYetComeFromItsFolder)
{
    const auto temp = createTemporaryFile("vol");
    ASSERT_TRUE(temp);
    const std::string file = path::toNative(*temp);
    const auto ofFile = volumeFigures(file);
    const auto ofMissing = volumeFigures(file + ".missing");
    ASSERT_TRUE(ofFile);
    ASSERT_TRUE(ofMissing);
    EXPECT_GT(ofFile->freeBytes, 0u);
    EXPECT_EQ(ofFile->kind, ofMissing->kind);
    EXPECT_TRUE(volumeFigures("relative-name.tmp")) << "a bare name lies in the working folder";
    EXPECT_FALSE(volumeFigures("/no/such/folder/file"));
    path::removeFile(*temp);

    overrideVolumeFigures(VolumeFigures{FileSystemKind::Fat16, 12345});
    const auto fixed = volumeFigures("/no/such/folder/file");
    ASSERT_TRUE(fixed);
    EXPECT_EQ(fixed->kind, FileSystemKind::Fat16);
    EXPECT_EQ(fixed->freeBytes, 12345u);
    overrideVolumeFigures(std::nullopt);
}

namespace
{
struct TempFd
{
    std::u16string name;
    int fd = -1;
    TempFd()
    {
        name = createTemporaryFile("xfer").value_or(u"");
        fd = ::open(path::toNative(name).c_str(), O_RDWR | O_CLOEXEC);
    }
    ~TempFd()
    {
        if (fd >= 0)
            ::close(fd);
        path::removeFile(name);
    }
};

// A file size limit for the scope of a test; writes past it fail with EFBIG
// instead of killing the process.
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
} // namespace

TEST(KernelFileTransfer, RoundTripsAndReportsShortReads)
{
    TempFd file;
    ASSERT_GE(file.fd, 0);
    std::vector<unsigned char> data(100000);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<unsigned char>(i * 7 + 3);
    const TransferResult written = writeAt(file.fd, data.data(), data.size(), 4096);
    EXPECT_TRUE(written.complete(data.size()));

    std::vector<unsigned char> back(data.size());
    const TransferResult read = readAt(file.fd, back.data(), back.size(), 4096);
    EXPECT_TRUE(read.complete(back.size()));
    EXPECT_EQ(back, data);

    std::vector<unsigned char> hole(4096, 0xFF);
    EXPECT_TRUE(readAt(file.fd, hole.data(), hole.size(), 0).complete(hole.size()));
    EXPECT_EQ(hole[100], 0) << "the gap before the data reads as zeros";

    const TransferResult shortRead = readAt(file.fd, back.data(), 1000, 4096 + data.size() - 10);
    EXPECT_EQ(shortRead.bytes, 10u);
    EXPECT_TRUE(shortRead.endOfFile);
    EXPECT_EQ(shortRead.error, 0);
    EXPECT_FALSE(shortRead.complete(1000));

    const TransferResult bad = readAt(-1, back.data(), 10, 0);
    EXPECT_EQ(bad.error, EBADF);
    EXPECT_EQ(writeAt(file.fd, data.data(), 10, UINT64_MAX - 4).error, EOVERFLOW);
}

TEST(KernelFileTransfer, AFullDiskStopsAWriteWithItsErrorAndCount)
{
    TempFd file;
    ASSERT_GE(file.fd, 0);
    std::vector<unsigned char> data(10000, 0x42);
    FileSizeLimit limit(8192);
    const TransferResult result = writeAt(file.fd, data.data(), data.size(), 4096);
    EXPECT_EQ(result.bytes, 4096u) << "what fitted was written";
    EXPECT_EQ(result.error, EFBIG);
}

namespace
{
CpuRegisters registersOf(const char* vendor, std::uint32_t signature, std::uint32_t features,
                         std::uint32_t extended = 0)
{
    CpuRegisters r;
    std::memcpy(&r.vendorEbx, vendor, 4);
    std::memcpy(&r.vendorEdx, vendor + 4, 4);
    std::memcpy(&r.vendorEcx, vendor + 8, 4);
    r.signature = signature;
    r.features = features;
    r.maxExtendedLeaf = extended ? 0x80000001u : 0x80000000u;
    r.extendedFeatures = extended;
    return r;
}
constexpr std::uint32_t kMmxBit = 1u << 23, kSseBit = 1u << 25, kSse2Bit = 1u << 26;
} // namespace

TEST(KernelProcessor, RecordedRegistersNameTheProcessor)
{
    const ProcessorInfo p3 = identifyProcessor(registersOf("GenuineIntel", 0x0673, kMmxBit | kSseBit));
    EXPECT_EQ(p3.vendor, "GenuineIntel");
    EXPECT_EQ(p3.name, "INTEL Pentium-III");
    EXPECT_EQ(p3.family, 6);
    EXPECT_EQ(p3.model, 7);
    EXPECT_EQ(p3.stepping, 3);
    EXPECT_EQ(p3.reported, kCpuMmx | kCpuSse);
    EXPECT_EQ(p3.usable, kCpuMmx | kCpuSse);

    EXPECT_EQ(identifyProcessor(registersOf("GenuineIntel", 0x0650, 0)).name, "INTEL Pentium-II");
    EXPECT_EQ(identifyProcessor(registersOf("GenuineIntel", 0x0640, 0)).name, "Unknown");
    EXPECT_EQ(identifyProcessor(registersOf("GenuineIntel", 0x0480, 0)).name, "INTEL 486DX4");

    const ProcessorInfo p4 = identifyProcessor(registersOf("GenuineIntel", 0x0F07, kSse2Bit));
    EXPECT_EQ(p4.family, 15) << "extended family 0 stays 15";
    EXPECT_EQ(p4.name, "INTEL Pentium-4");
    EXPECT_EQ(identifyProcessor(registersOf("GenuineIntel", 0x00100F00, 0)).family, 0x1F);

    const ProcessorInfo k6 = identifyProcessor(registersOf("AuthenticAMD", 0x0580, kMmxBit, 1u << 31));
    EXPECT_EQ(k6.name, "AMD K6-2");
    EXPECT_EQ(k6.reported, kCpuMmx | kCpu3DNow);
    EXPECT_EQ(k6.usable, kCpuMmx) << "3DNow is never used";
    EXPECT_EQ(identifyProcessor(registersOf("AuthenticAMD", 0x06A0, 0)).name, "AMD ATHLON");
    EXPECT_EQ(identifyProcessor(registersOf("CyrixInstead", 0x0999, 0)).name, "Cyrix");
    EXPECT_EQ(identifyProcessor(registersOf("GenuineIotel", 0x0673, 0)).name, "Unknown");

    const ProcessorInfo noOs = identifyProcessor(registersOf("GenuineIntel", 0x0673, kMmxBit | kSseBit | kSse2Bit), false);
    EXPECT_EQ(noOs.usable, kCpuMmx) << "vector state the system does not save is unusable";
}

TEST(KernelProcessor, ThisProcessorIsDescribed)
{
    const ProcessorInfo self = identifyThisProcessor();
#if defined(__x86_64__)
    EXPECT_EQ(self.vendor.size(), 12u);
    EXPECT_TRUE(self.usable & kCpuSse2) << "every 64-bit x86 has SSE2";
#else
    EXPECT_EQ(self.usable, 0u);
#endif
    EXPECT_FALSE(self.name.empty());
}
