#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsTempPagingSystem.h"
#include "platform_fixtures.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Omvi;
using namespace imaging_testing;

namespace
{
using Handle = PagingSystemInterface::Handle;

std::vector<std::uint8_t> page(std::int32_t size, int seed)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(seed * 31 + i * 7 + (i >> 8));
    return bytes;
}

std::unique_ptr<WindowsTempPagingSystem> freshSystem()
{
    return std::make_unique<WindowsTempPagingSystem>(makeScratchFileSpecifier("IMG"));
}

// Allocates every page of a reservation and writes page `p` with seed base + p.
void fill(WindowsTempPagingSystem& paging, Handle h, std::int32_t rows, std::int32_t columns, std::int32_t size,
          int base)
{
    for (std::int32_t r = 0; r < rows; ++r)
        for (std::int32_t c = 0; c < columns; ++c)
        {
            const std::int64_t position = paging.allocatePosition(h, r, c);
            paging.writePosition(h, position, page(size, base + static_cast<int>(position)).data());
        }
}

bool holds(WindowsTempPagingSystem& paging, Handle h, std::int64_t pages, std::int32_t size, int base)
{
    for (std::int64_t p = 0; p < pages; ++p)
    {
        std::vector<std::uint8_t> back(static_cast<std::size_t>(size));
        paging.readPosition(h, p, back.data());
        if (back != page(size, base + static_cast<int>(p)))
            return false;
    }
    return true;
}

void freeAll(WindowsTempPagingSystem& paging, Handle h, std::int64_t pages)
{
    for (std::int64_t p = 0; p < pages; ++p)
        paging.freePosition(h, p);
}

std::string contentsOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
} // namespace

TEST(TemporaryPaging, PagesAreAddressedRowByRow)
{
    auto paging = freshSystem();
    const Handle h = paging->reserve(2, 3, 4096);
    ASSERT_FALSE(paging->isInvalidHandle(h));
    EXPECT_TRUE(paging->canPage(h));
    EXPECT_EQ(paging->allocatePosition(h, 1, 2), 5);
    EXPECT_EQ(paging->pageAddress(h, 0, 1), 1) << "the tile code's name for the same operation";
    EXPECT_EQ(paging->invalidHandle(), -1);
    EXPECT_TRUE(paging->isInvalidHandle(-1));
    EXPECT_FALSE(paging->isInvalidHandle(0xFFFFFFFFll)) << "both halves must be all ones";
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->allocatePosition(h, 2, 0); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->allocatePosition(h, 0, -1); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
}

TEST(TemporaryPaging, WrittenPagesReadBackSinglyAndInBatches)
{
    auto paging = freshSystem();
    const std::int32_t size = 3000;
    const Handle h = paging->reserve(3, 4, size);
    fill(*paging, h, 3, 4, size, 10);
    EXPECT_TRUE(holds(*paging, h, 12, size, 10));

    const std::int64_t positions[] = {4, 5, 6, 9};
    std::vector<std::uint8_t> batch(4 * size);
    const std::uint64_t before = paging->transferCount();
    paging->readPositions(h, 4, positions, batch.data());
    EXPECT_EQ(paging->transferCount() - before, 2u) << "4-6 in one transfer, 9 in another";
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(std::vector<std::uint8_t>(batch.begin() + i * size, batch.begin() + (i + 1) * size),
                  page(size, 10 + static_cast<int>(positions[i])));

    // A batch write of pages 8, 7 (not adjacent in this order: two transfers).
    std::vector<std::uint8_t> source(2 * size);
    const auto eight = page(size, 99), seven = page(size, 98);
    std::copy(eight.begin(), eight.end(), source.begin());
    std::copy(seven.begin(), seven.end(), source.begin() + size);
    const std::int64_t backwards[] = {8, 7};
    const std::uint64_t writesBefore = paging->transferCount();
    paging->writePositions(h, backwards, 2, source.data());
    EXPECT_EQ(paging->transferCount() - writesBefore, 2u);
    std::vector<std::uint8_t> back(size);
    paging->readPosition(h, 7, back.data());
    EXPECT_EQ(back, seven);
    paging->readPositions(h, 0, nullptr, nullptr); // nothing to do
}

TEST(TemporaryPaging, AReservationLivesUntilItsLastPageIsFreed)
{
    auto paging = freshSystem();
    const Handle h = paging->reserve(2, 2, 1024);
    fill(*paging, h, 2, 2, 1024, 0);
    EXPECT_TRUE(paging->freePosition(h, 3));
    EXPECT_TRUE(paging->freePosition(h, 0));
    EXPECT_TRUE(paging->freePosition(h, 0)) << "freeing a free page changes nothing";
    EXPECT_TRUE(paging->freePosition(h, 2));
    EXPECT_EQ(paging->reservationCount(), 1);
    EXPECT_FALSE(paging->freePosition(h, 1)) << "the last page: no user remains";
    EXPECT_EQ(paging->reservationCount(), 0);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->allocatePosition(h, 0, 0); }),
              TemporaryFilePagingSystemException::kInvalidRequest)
        << "the handle is gone";
    std::vector<std::uint8_t> back(1024);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->readPosition(h, 0, back.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
}

TEST(TemporaryPaging, FreedRoomIsReusedByBestFitBeforeTheFileGrows)
{
    auto paging = freshSystem();
    const std::int32_t size = 8192;
    const Handle a = paging->reserve(2, 2, size);
    const Handle b = paging->reserve(1, 4, size);
    const Handle keep = paging->reserve(1, 1, size);
    fill(*paging, a, 2, 2, size, 1);
    fill(*paging, b, 1, 4, size, 2);
    fill(*paging, keep, 1, 1, size, 3);
    const PagingVolume* volume = paging->volume(0);
    const std::uint64_t end = volume->end();
    EXPECT_EQ(end, 9u * size);

    freeAll(*paging, a, 4);
    freeAll(*paging, b, 4);
    EXPECT_EQ(volume->freeBytes(), 8u * size);
    const Handle c = paging->reserve(4, 1, size);
    ASSERT_FALSE(paging->isInvalidHandle(c));
    EXPECT_TRUE(c == a || c == b) << "a spare reservation keeps its id";
    EXPECT_EQ(volume->end(), end) << "the file did not grow";
    EXPECT_EQ(volume->freeBytes(), 4u * size);
    fill(*paging, c, 4, 1, size, 4);
    EXPECT_TRUE(holds(*paging, c, 4, size, 4));
    EXPECT_TRUE(holds(*paging, keep, 1, size, 3));

    const Handle larger = paging->reserve(1, 6, size);
    EXPECT_EQ(volume->end(), end + 6u * size) << "no free extent fits: cut at the end";
    EXPECT_NE(larger, c);
}

TEST(TemporaryPaging, CompactionMovesPagesDownAndShrinksTheFile)
{
    auto paging = freshSystem();
    const std::int32_t size = 65536;
    // Four extents of 256 KB: keep the first and the third.
    Handle h[4];
    for (int i = 0; i < 4; ++i)
    {
        h[i] = paging->reserve(2, 2, size);
        fill(*paging, h[i], 2, 2, size, 10 * i);
    }
    const PagingVolume* volume = paging->volume(0);
    EXPECT_EQ(volume->fileSize(), 16u * size);
    freeAll(*paging, h[1], 4);
    freeAll(*paging, h[3], 4);
    // 512 KB free is not yet more than the threshold: no compaction, no reuse.
    const Handle small = paging->reserve(1, 1, 4096);
    EXPECT_EQ(volume->end(), 16u * size + 4096);
    fill(*paging, small, 1, 1, 4096, 7);
    freeAll(*paging, h[0], 4);
    // Now 768 KB of 1028 KB are free: the next request compacts first.
    EXPECT_EQ(volume->freeExtents(), 3u);
    const Handle next = paging->reserve(1, 2, size);
    ASSERT_FALSE(paging->isInvalidHandle(next));
    EXPECT_EQ(volume->freeExtents(), 0u);
    EXPECT_EQ(volume->freeBytes(), 0u);
    EXPECT_EQ(volume->extentsInUse(), 3u);
    EXPECT_EQ(volume->end(), 4u * size + 4096 + 2u * size);
    EXPECT_TRUE(holds(*paging, h[2], 4, size, 20)) << "moved pages keep their bytes";
    EXPECT_TRUE(holds(*paging, small, 1, 4096, 7));
    fill(*paging, next, 1, 2, size, 50);
    EXPECT_TRUE(holds(*paging, next, 2, size, 50));
    freeAll(*paging, h[2], 4);
    freeAll(*paging, small, 1);
    freeAll(*paging, next, 2);
    EXPECT_EQ(paging->reservationCount(), 0);
}

TEST(TemporaryPaging, AfterCompactionTheFileIsExactlyItsExtentsInUse)
{
    auto paging = freshSystem();
    const std::int32_t size = 131072;
    const Handle first = paging->reserve(1, 5, size);
    const Handle second = paging->reserve(1, 5, size);
    fill(*paging, first, 1, 5, size, 1);
    fill(*paging, second, 1, 5, size, 2);
    freeAll(*paging, first, 5);
    const Handle tiny = paging->reserve(1, 1, 512); // 640 KB of 1280 KB free: compacts first
    const PagingVolume* volume = paging->volume(0);
    EXPECT_EQ(volume->fileSize(), 5u * size) << "cut where the moved extent ends";
    EXPECT_EQ(volume->end(), 5u * size + 512);
    EXPECT_TRUE(holds(*paging, second, 5, size, 2));
    fill(*paging, tiny, 1, 1, 512, 5);
    EXPECT_TRUE(holds(*paging, tiny, 1, 512, 5));
}

TEST(TemporaryPaging, ReadingPastWhatWasWrittenIsAnError)
{
    auto paging = freshSystem();
    const Handle h = paging->reserve(1, 2, 4096);
    paging->allocatePosition(h, 0, 0);
    paging->allocatePosition(h, 0, 1);
    paging->writePosition(h, 0, page(4096, 1).data());
    std::vector<std::uint8_t> back(4096);
    EXPECT_EQ(thrownCode<FileIOException>([&] { paging->readPosition(h, 1, back.data()); }),
              FileIOException::kEndOfFile)
        << "a short read is not a tile";
    const std::int64_t both[] = {0, 1};
    std::vector<std::uint8_t> two(8192);
    EXPECT_EQ(thrownCode<FileIOException>([&] { paging->readPositions(h, 2, both, two.data()); }),
              FileIOException::kEndOfFile);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->readPositions(h, -1, both, two.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->readPositions(h, 2, both, nullptr); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    const std::int64_t outside[] = {2};
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging->writePositions(h, outside, 1, two.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
}

TEST(TemporaryPaging, AFullDiskIsTheLibrarysException)
{
    auto paging = freshSystem();
    const Handle h = paging->reserve(1, 4, 4096);
    fill(*paging, h, 1, 2, 4096, 0);
    FileSizeLimit limit(10000);
    EXPECT_EQ(thrownCode<FileIOException>([&] { paging->writePosition(h, 2, page(4096, 2).data()); }),
              FileIOException::kDiskFull)
        << "a failed write must not vanish";
}

TEST(TemporaryPaging, AbsurdGridsAreRefusedWithoutAllocating)
{
    auto paging = freshSystem();
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(65536, 65536, 1))) << "2^32 pages";
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(0, 5, 100)));
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(5, 5, 0)));
    {
        ScopedVolume fat32(platform::FileSystemKind::Fat32, 1ull << 40);
        auto onFat = freshSystem();
        EXPECT_EQ(onFat->volume(0)->capacity(), 0xFFFFFFFEull);
        EXPECT_TRUE(onFat->isInvalidHandle(onFat->reserve(2, 1, INT32_MAX)))
            << "a FAT32 volume never grows beyond 0xFFFFFFFE bytes";
        const Handle fits = onFat->reserve(1, 1, INT32_MAX);
        EXPECT_FALSE(onFat->isInvalidHandle(fits));
        EXPECT_TRUE(onFat->isInvalidHandle(onFat->reserve(1, 1, INT32_MAX))) << "no second one";
    }
    {
        ScopedVolume roomy(platform::FileSystemKind::Other, 1ull << 40);
        auto big = freshSystem();
        const Handle h = big->reserve(4, 1, INT32_MAX); // 8 GB: 64-bit offsets
        ASSERT_FALSE(big->isInvalidHandle(h));
        EXPECT_EQ(big->allocatePosition(h, 3, 0), 3);
        EXPECT_EQ(big->volume(0)->end(), 4ull * INT32_MAX);
    }
}

TEST(TemporaryPaging, VolumeSizesAreLimited)
{
    ScopedVolume disk(platform::FileSystemKind::Other, 64ull << 20);
    auto paging = freshSystem();
    EXPECT_FALSE(paging->setVolumeSize(0, 65ll << 20)) << "more than the disk holds";
    EXPECT_FALSE(paging->setVolumeSize(1, 1 << 20)) << "no such volume";
    ASSERT_TRUE(paging->setVolumeSize(0, 1 << 20));
    EXPECT_EQ(paging->volume(0)->fileSize(), 1u << 20);
    const Handle a = paging->reserve(1, 8, 65536);
    ASSERT_FALSE(paging->isInvalidHandle(a));
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(1, 8, 65536))) << "1 MB reached exactly fails";
    EXPECT_FALSE(paging->setVolumeSize(0, 4096)) << "within what is allocated";
    EXPECT_EQ(paging->volume(0)->sizeLimit(), 8u * 65536);
}

namespace
{
class Supplier : public VolumeFullHandler
{
public:
    enum class Mode
    {
        Decline,
        Good,
        Broken
    };
    explicit Supplier(Mode mode) : mode_(mode) {}
    bool supplyVolume(std::uint64_t bytesNeeded, FileSpecifier& file, std::int64_t& size) override
    {
        ++asked;
        lastNeeded = bytesNeeded;
        if (mode_ == Mode::Decline)
            return false;
        file = mode_ == Mode::Good ? makeScratchFileSpecifier("IMG")
                                   : FileSpecifier(AsciiStringBuffer("/no/such/folder/IMGvol"), 0);
        size = 0;
        return true;
    }
    int asked = 0;
    std::uint64_t lastNeeded = 0;

private:
    Mode mode_;
};
} // namespace

TEST(TemporaryPaging, AFullSystemAsksItsHandlerForAnotherVolume)
{
    ScopedVolume disk(platform::FileSystemKind::Other, 64ull << 20);
    auto paging = freshSystem();
    ASSERT_TRUE(paging->setVolumeSize(0, 256 << 10));

    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(1, 8, 65536))) << "no handler: no room";

    Supplier decline(Supplier::Mode::Decline);
    EXPECT_EQ(paging->setVolumeFullHandler(&decline), nullptr);
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(1, 8, 65536)));
    EXPECT_EQ(decline.asked, 1);
    EXPECT_EQ(decline.lastNeeded, 8u * 65536);

    Supplier broken(Supplier::Mode::Broken);
    EXPECT_EQ(paging->setVolumeFullHandler(&broken), &decline);
    EXPECT_TRUE(paging->isInvalidHandle(paging->reserve(1, 8, 65536)));
    EXPECT_EQ(broken.asked, WindowsTempPagingSystem::kMaxHandlerRequests) << "asked again, but not for ever";
    EXPECT_EQ(paging->volumeCount(), 1);

    Supplier good(Supplier::Mode::Good);
    paging->setVolumeFullHandler(&good);
    const Handle h = paging->reserve(1, 8, 65536);
    ASSERT_FALSE(paging->isInvalidHandle(h));
    EXPECT_EQ(good.asked, 1);
    EXPECT_EQ(paging->volumeCount(), 2);
    fill(*paging, h, 1, 8, 65536, 3);
    EXPECT_TRUE(holds(*paging, h, 8, 65536, 3));
    EXPECT_EQ(paging->volume(1)->end(), 8u * 65536);

    std::int32_t count = 0;
    EXPECT_TRUE(paging->addVolume(makeScratchFileSpecifier("IMG"), 1 << 20, count));
    EXPECT_EQ(count, 3);
    EXPECT_EQ(paging->volume(2)->sizeLimit(), 1u << 20);
    EXPECT_FALSE(paging->addVolume(FileSpecifier(), 0, count));
    EXPECT_EQ(paging->volumeCount(), 3);
}

TEST(TemporaryPaging, VolumeFilesAreMadeExclusivelyAndUnlinked)
{
    const FileSpecifier placeholder = makeScratchFileSpecifier("IMG");
    ASSERT_TRUE(fileExists(placeholder));
    {
        WindowsTempPagingSystem paging(placeholder);
        EXPECT_FALSE(fileExists(placeholder)) << "it disappears with the system, whatever happens";
        EXPECT_EQ(paging.firstVolumeFile(), placeholder);
    }

    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([] { WindowsTempPagingSystem paging{FileSpecifier()}; }),
              TemporaryFilePagingSystemException::kPathNotFound);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([] {
                  WindowsTempPagingSystem paging(FileSpecifier(AsciiStringBuffer("/no/such/folder/IMG1"), 0));
              }),
              TemporaryFilePagingSystemException::kPathNotFound);

    // An existing file with contents is neither truncated nor adopted.
    const FileSpecifier occupied = makeScratchFileSpecifier("IMG");
    std::ofstream(occupied.nativePath()) << "somebody's data";
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { WindowsTempPagingSystem paging(occupied); }),
              TemporaryFilePagingSystemException::kAccessDenied);
    EXPECT_EQ(contentsOf(occupied.nativePath()), "somebody's data");

    // Nor is a link followed.
    const std::string link = occupied.nativePath() + ".lnk";
    ASSERT_EQ(::symlink(occupied.nativePath().c_str(), link.c_str()), 0);
    EXPECT_NE(thrownCode<TemporaryFilePagingSystemException>(
                  [&] { WindowsTempPagingSystem paging(FileSpecifier(AsciiStringBuffer(link), 0)); }),
              -100);
    EXPECT_EQ(contentsOf(occupied.nativePath()), "somebody's data");
    ::unlink(link.c_str());
    ::unlink(occupied.nativePath().c_str());

    try
    {
        WindowsTempPagingSystem paging(FileSpecifier(AsciiStringBuffer("/no/such/folder/IMG1"), 0));
    }
    catch (OMVIException* error)
    {
        OwnedException owned(error);
        EXPECT_EQ(
            owned->getMessage().text(),
            "Unable to create the paging file '/no/such/folder/IMG1': No such file or directory");
    }
}

TEST(TemporaryPaging, AReadOnlyFolderIsAccessDenied)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser writes into read-only folders";
    const FileSpecifier marker = makeScratchFileSpecifier("IMGdir");
    const std::string folder = marker.nativePath() + ".d";
    ASSERT_EQ(::mkdir(folder.c_str(), 0500), 0);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] {
                  WindowsTempPagingSystem paging(FileSpecifier(AsciiStringBuffer(folder + "/IMG1"), 0));
              }),
              TemporaryFilePagingSystemException::kAccessDenied);
    ::rmdir(folder.c_str());
    ::unlink(marker.nativePath().c_str());
}
