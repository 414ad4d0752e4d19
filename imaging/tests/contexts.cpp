// Image contexts: pixels at every width, rows and whole tiles of tiled and
// static images, with their bounds, read-only refusals, tile caches, stale
// copies, several contexts and threads on one image, and images that go
// before their contexts.
#include "PixelGrids.h"
#include "StubImages.h"
#include "TiledImageFixtures.h"

#include "imaging/contexts/DirectTileContextImp.h"
#include "imaging/contexts/ImageContext.h"
#include "imaging/contexts/ThreadSafeContextImp.h"
#include "imaging/contexts/TileCache.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/platform/Locks.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace Omvi;
using namespace OmviTest;

namespace
{
class Contexts : public TiledImageTest
{
};

const RgbModel kRgb(32);

std::unique_ptr<TiledImage> imageOf(const DataModel& model, int width, int height, std::int32_t organisation)
{
    auto image = std::make_unique<TiledImage>();
    std::unique_ptr<RowProviderInterface> rows = patternRows(model, width, height);
    image->construct(rows, BuildOrder::RowsTopDown, organisation);
    return image;
}

std::unique_ptr<ThreadSafeContextImp> contextOn(TiledImage& image, std::int32_t mode, PixelPair size = {0, 0},
                                                PixelPair origin = {0, 0}, std::int32_t cache = 4)
{
    if (size.x == 0)
        size = image.size();
    std::unique_ptr<ImageContextRep> context = image.createContext(mode, size, origin, cache);
    return std::unique_ptr<ThreadSafeContextImp>(dynamic_cast<ThreadSafeContextImp*>(context.release()));
}

template <class Action>
std::int32_t contextCode(Action action, std::string* message = nullptr)
{
    return thrownCode<ImageContextException>(action, message);
}

struct RecordingReactor : ImageReactorInterface
{
    void tileModified(std::int32_t row, std::int32_t column) override { calls.emplace_back(row, column); }
    std::vector<std::pair<int, int>> calls;
};

// Whether another thread can take the tile's lock exclusively at once.
bool freeForOtherThreads(TiledImage& image, int row, int column)
{
    bool taken = false;
    std::thread other([&] {
        ReadManyWriteOneLock* lock = image.tileTable().tileAt(row, column)->lock();
        taken = lock->writeLock(0);
        if (taken)
            lock->writeUnlock();
    });
    other.join();
    return taken;
}
} // namespace

TEST_F(Contexts, RegionsOfContextsAreCheckedWithTheImagesText)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 100, 50, kOrganisation64);
    for (const auto& [size, origin] : {std::pair<PixelPair, PixelPair>{{101, 1}, {0, 0}},
                                      {{1, 1}, {-1, 0}},
                                      {{1, 1}, {100, 49}},
                                      {{0, 1}, {0, 0}},
                                      {{INT32_MAX, 1}, {2, 0}}})
    {
        std::string message;
        EXPECT_EQ(thrownCode<ImageException>([&, s = size, o = origin] { image->createContext(1, s, o, 1); },
                                             &message),
                  0);
        EXPECT_EQ(message, "Image::createContext: Region Out Of Bounds");
    }
    EXPECT_NE(image->createContext(0, {1, 1}, {99, 49}, 1), nullptr) << "the far corner is inside";
}

TEST_F(Contexts, PixelsOutsideTheRegionThrowOrAnswerTheOutOfBoundsPixel)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 150, 100, kOrganisation64);
    std::unique_ptr<ThreadSafeContextImp> context = contextOn(*image, 1, {50, 40}, {60, 30});
    EXPECT_EQ(context->get32(109, 69), patternPixel(kDataTypeThirtyTwoBit, 109, 69)) << "the far corner";
    EXPECT_EQ(context->get32(60, 30), patternPixel(kDataTypeThirtyTwoBit, 60, 30));
    std::string message;
    for (const auto& [x, y] : {std::pair<int, int>{110, 69}, {109, 70}, {59, 30}, {60, 29}, {-1, -1}})
    {
        EXPECT_EQ(contextCode([&, px = x, py = y] { context->get32(px, py); }, &message), 2);
        EXPECT_EQ(message, "Out of bounds request");
        EXPECT_EQ(contextCode([&, px = x, py = y] { context->put32(px, py, 1); }), 2);
    }
    context->setOutOfBoundsPixel(ImagePixel(kPixelRgb, 0xAABBCCDDu));
    EXPECT_EQ(contextCode([&] { context->get32(110, 69); }), 2) << "the pixel alone answers nothing";
    context->setOutOfBoundsException(false);
    EXPECT_EQ(context->get32(110, 69), 0u) << "switching resets the pixel's value";
    context->setOutOfBoundsPixel(ImagePixel(kPixelRgb, 0xAABBCCDDu));
    EXPECT_EQ(context->get32(110, 69), 0xAABBCCDDu);
    EXPECT_EQ(context->get8(0, 0), 0xDDu) << "at the width asked";
    EXPECT_EQ(context->get16(0, 0), 0xCCDDu);
    EXPECT_EQ(context->getPixel(500, 500), ImagePixel(kPixelRgb, 0xAABBCCDDu));
    EXPECT_EQ(contextCode([&] { context->put32(110, 69, 1); }), 2) << "writes outside always throw";
    context->setOutOfBoundsException(true);
    EXPECT_EQ(contextCode([&] { context->get32(110, 69); }), 2);
}

TEST_F(Contexts, ReadOnlyContextsRefuseWritesAfterTheBoundsButRowsBeforeThem)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 70, 10, kOrganisation64);
    std::unique_ptr<ThreadSafeContextImp> reader = contextOn(*image, 0);
    EXPECT_FALSE(reader->isWritable());
    std::string message;
    EXPECT_EQ(contextCode([&] { reader->put32(3, 3, 7); }, &message), 1);
    EXPECT_EQ(message, "Attempted Write with a ReadOnly Context");
    EXPECT_EQ(contextCode([&] { reader->putPixel(3, 3, ImagePixel(kPixelRgb, 7)); }), 1);
    EXPECT_EQ(contextCode([&] { reader->put32(70, 3, 7); }), 2) << "a pixel's bounds come first";
    DataBuffer row(8 * 4);
    EXPECT_EQ(contextCode([&] { reader->putRow(3, 68, 8, row); }), 1) << "a row's mode comes first";
    EXPECT_EQ(contextCode([&] { reader->fillRow(3, 0, 1, ImagePixel(kPixelRgb, 0)); }), 1);
    std::uint8_t* pixels = nullptr;
    ASSERT_TRUE(reader->lockTile(0, 1, pixels));
    EXPECT_EQ(contextCode([&] { reader->commitTile(); }), 1);
    reader->releaseTile();
    EXPECT_TRUE(reader->commitTile()) << "nothing handed out: nothing to store";
    EXPECT_EQ(reader->get32(3, 3), patternPixel(kDataTypeThirtyTwoBit, 3, 3));
}

TEST_F(Contexts, EveryWidthReadsAndWritesTheBytesOfEveryDataType)
{
    start();
    // An 8-bit image read as 32-bit words: pixels 4x to 4x + 3 in memory order.
    std::unique_ptr<TiledImage> gray = imageOf(RgbGrayModel(), 300, 20, kOrganisation128);
    std::unique_ptr<ThreadSafeContextImp> bytes = contextOn(*gray, 1);
    std::uint32_t expected = 0;
    for (int k = 3; k >= 0; --k)
        expected = expected << 8 | std::uint32_t(patternPixel(kDataTypeEightBit, 4 * 33 + k, 5));
    EXPECT_EQ(bytes->get32(33, 5), expected);
    EXPECT_EQ(bytes->get16(66, 5), expected & 0xFFFF);
    EXPECT_EQ(bytes->get64(16, 5) >> 8, std::uint64_t(bytes->get8(129, 5)) | std::uint64_t(bytes->get16(65, 5)) << 8 |
                                             std::uint64_t(bytes->get32(33, 5)) << 24);
    // A 64-bit word across the tile edge of 128 pixels stays in its tile.
    bytes->put64(15, 6, 0x0102030405060708ull);
    EXPECT_EQ(bytes->get8(120, 6), 0x08);
    EXPECT_EQ(bytes->get8(127, 6), 0x01);
    EXPECT_EQ(bytes->getPixel(121, 6), ImagePixel(kPixelGray, 0x07));
    bytes->putPixel(128, 6, ImagePixel(kPixelGray, 0x1FF));
    EXPECT_EQ(bytes->get8(128, 6), 0xFF) << "the low byte of the value";
    bytes->flush();
    std::unique_ptr<RowProviderInterface> rows = gray->read({300, 20}, {0, 0});
    const Grid back = pullGrid(*rows);
    EXPECT_EQ(back[6][127], 0x01u);
    EXPECT_EQ(back[6][128], 0xFFu);
    EXPECT_EQ(back[6][119], patternPixel(kDataTypeEightBit, 119, 6));

    // Bits, most significant first; bitonal pixels through their kind.
    std::unique_ptr<TiledImage> bits = imageOf(BitonalModel(), 600, 3, kOrganisationDefault);
    std::unique_ptr<ThreadSafeContextImp> bitContext = contextOn(*bits, 1);
    for (int x : {0, 7, 8, 513, 599})
        EXPECT_EQ(bitContext->get1(x, 1), patternPixel(kDataTypeOneBit, x, 1) != 0) << x;
    bitContext->putPixel(513, 1, ImagePixel(kPixelBitonal, 1));
    bitContext->put1(514, 1, false);
    EXPECT_EQ(bitContext->getPixel(513, 1), ImagePixel(kPixelBitonal, 1));
    EXPECT_FALSE(bitContext->get1(514, 1));
    EXPECT_EQ((bitContext->get8(64, 1) >> 5) & 3, 2) << "pixels 513 and 514 are bits 6 and 5 of byte 64";

    // 16- and 64-bit pixels.
    for (const std::int32_t dataType : {kDataTypeSixteenBit, kDataTypeSixtyFourBit})
    {
        const DataModel plain(0, dataType, bitsPerPixelOf(dataType));
        std::unique_ptr<TiledImage> image = imageOf(plain, 130, 4, kOrganisation128);
        std::unique_ptr<ThreadSafeContextImp> context = contextOn(*image, 1);
        EXPECT_EQ(context->getPixel(129, 3).value, patternPixel(dataType, 129, 3));
        context->putPixel(129, 3, ImagePixel(dataType, 0xFEDCBA9876543210ull));
        const std::uint64_t mask = dataType == kDataTypeSixteenBit ? 0xFFFF : ~0ull;
        EXPECT_EQ(context->getPixel(129, 3).value, 0xFEDCBA9876543210ull & mask);
        EXPECT_EQ(context->getPixel(129, 3).kind, dataType);
    }
}

TEST_F(Contexts, AnUnalignedRegionReachesItsLastPartialUnit)
{
    start();
    std::unique_ptr<TiledImage> bits = imageOf(BitonalModel(), 600, 3, kOrganisationDefault);
    // Pixels 5-12: bytes 0 and 1, 16-bit word 0, nothing beyond.
    std::unique_ptr<ThreadSafeContextImp> context = contextOn(*bits, 0, {8, 1}, {5, 1});
    const ThreadSafeContextImp::Rectangle& byteUnits = context->accessRectangle(3);
    EXPECT_EQ(byteUnits.left, 0);
    EXPECT_EQ(byteUnits.right, 1);
    EXPECT_NO_FATAL_FAILURE(context->get8(1, 1));
    EXPECT_EQ(contextCode([&] { context->get8(2, 1); }), 2);
    EXPECT_EQ(context->accessRectangle(0).left, 5);
    EXPECT_EQ(context->accessRectangle(0).right, 12);
    EXPECT_EQ(context->accessRectangle(6).right, 0);
    // RGB from x = 3, 2 wide: 64-bit words 1 and 2, bytes 12-19.
    std::unique_ptr<TiledImage> rgb = imageOf(kRgb, 10, 2, kOrganisation64);
    std::unique_ptr<ThreadSafeContextImp> words = contextOn(*rgb, 0, {2, 1}, {3, 0});
    EXPECT_EQ(words->accessRectangle(6).left, 1);
    EXPECT_EQ(words->accessRectangle(6).right, 2);
    EXPECT_EQ(words->accessRectangle(3).left, 12);
    EXPECT_EQ(words->accessRectangle(3).right, 19);
    EXPECT_EQ(words->accessRectangle(5).bottom, 0);
}

TEST_F(Contexts, RowsCrossTilesInEveryDataTypeAndOneBitRowsEndInTheOutOfBoundsPixel)
{
    start();
    struct Case
    {
        std::unique_ptr<DataModel> model;
        std::int32_t organisation;
        int width;
    };
    Case cases[] = {{std::make_unique<RgbModel>(32), kOrganisation64, 200},
                    {std::make_unique<RgbGrayModel>(), kOrganisation128, 300},
                    {std::make_unique<DataModel>(0, kDataTypeSixteenBit, 16), kOrganisation128, 300},
                    {std::make_unique<DataModel>(0, kDataTypeSixtyFourBit, 64), kOrganisation64, 200},
                    {std::make_unique<BitonalModel>(), kOrganisation512, 1100}};
    for (const Case& c : cases)
    {
        const std::int32_t dataType = c.model->dataType();
        std::unique_ptr<TiledImage> image = imageOf(*c.model, c.width, 5, c.organisation);
        std::unique_ptr<ThreadSafeContextImp> context = contextOn(*image, 1);
        // From just before a tile edge over the next one and into a third.
        const int x = image->tileEdge() - 3;
        const int count = image->tileEdge() + 9;
        DataBuffer row(static_cast<std::int32_t>(rowBytes(count, dataType)));
        context->setOutOfBoundsException(false);
        context->setOutOfBoundsPixel(ImagePixel(kPixelBitonal, 1));
        context->getRow(2, x, count, row);
        for (int k = 0; k < count; ++k)
            ASSERT_EQ(pixelIn(row.data(), dataType, k), patternPixel(dataType, x + k, 2)) << dataType << " " << k;
        if (dataType == kDataTypeOneBit)
        {
            for (int k = count; k < (count + 7) / 8 * 8; ++k)
                EXPECT_EQ(pixelIn(row.data(), dataType, k), 1u) << "bit " << k << " past the row";
        }

        // Written back shifted by one, then a fill over part of it.
        DataBuffer shifted(row.size());
        std::memset(shifted.data(), 0, static_cast<std::size_t>(shifted.size()));
        for (int k = 0; k < count; ++k)
            setPixelIn(shifted.data(), dataType, k, patternPixel(dataType, x + k + 1, 2));
        context->putRow(3, x, count, shifted);
        context->fillRow(4, x + 2, 5, ImagePixel(dataType == kDataTypeOneBit ? kPixelBitonal : dataType, 1));
        std::unique_ptr<RowProviderInterface> rows = image->read(image->size(), {0, 0});
        const Grid back = pullGrid(*rows);
        for (int k = 0; k < count; ++k)
            ASSERT_EQ(back[3][std::size_t(x + k)], patternPixel(dataType, x + k + 1, 2)) << dataType << " " << k;
        EXPECT_EQ(back[3][std::size_t(x - 1)], patternPixel(dataType, x - 1, 3));
        EXPECT_EQ(back[4][std::size_t(x + 2)], 1u);
        EXPECT_EQ(back[4][std::size_t(x + 6)], 1u);
        EXPECT_EQ(back[4][std::size_t(x + 7)], patternPixel(dataType, x + 7, 4));

        EXPECT_EQ(contextCode([&] { context->getRow(2, c.width - 2, 3, row); }), 2);
        EXPECT_EQ(contextCode([&] { context->getRow(2, 0, 0, row); }), 2);
        DataBuffer tooShort(1);
        EXPECT_EQ(contextCode([&] { context->getRow(2, 0, 64, tooShort); }), 2);
    }
}

TEST_F(Contexts, WholeTilesAreHandedOutOneAtATimeAndCommittedForTheReactors)
{
    start();
    TiledImage image;
    const ImagePixel clear(kPixelRgb, 0xFF00FF00u);
    ASSERT_TRUE(image.construct({130, 70}, kRgb, clear, kOrganisation64));
    RecordingReactor reactor;
    image.addReactor(&reactor);
    std::unique_ptr<ThreadSafeContextImp> context = contextOn(image, 1);
    EXPECT_FALSE(context->isTileWritten(1, 2));
    std::uint8_t* pixels = nullptr;
    ASSERT_TRUE(context->lockTile(1, 2, pixels));
    for (int k = 0; k < 64 * 64; ++k)
    {
        std::uint32_t value = 0;
        std::memcpy(&value, pixels + 4 * k, 4);
        ASSERT_EQ(value, clear.value) << "a blank tile is the clear colour, " << k;
    }
    std::string message;
    std::uint8_t* second = nullptr;
    EXPECT_EQ(contextCode([&] { context->lockTile(0, 0, second); }, &message), 0);
    EXPECT_EQ(message, "Tile Already Allocated");
    const std::uint32_t written = 0x12345678u;
    std::memcpy(pixels + 4 * (64 * 5 + 1), &written, 4); // pixel (129, 69)
    EXPECT_TRUE(context->commitTile());
    EXPECT_TRUE(context->isTileWritten(1, 2));
    EXPECT_EQ(reactor.calls, (std::vector<std::pair<int, int>>{{1, 2}}));
    EXPECT_EQ(context->get32(129, 69), written);
    EXPECT_EQ(contextCode([&] { context->lockTile(2, 0, second); }), 2) << "outside the tile grid";
    image.removeReactor(&reactor);
}

TEST_F(Contexts, AReadOnlyCacheReplacesTheFirstTileLoadedWhateverWasUsedLast)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 200, 64, kOrganisation64);
    TileCache cache(*image, 2, false);
    EXPECT_EQ(cache.slotCount(), 2);
    ASSERT_NE(cache.load(0, 0), nullptr);
    ASSERT_NE(cache.load(0, 1), nullptr);
    ASSERT_NE(cache.find(0, 0), nullptr) << "used last, but loaded first";
    ASSERT_NE(cache.load(0, 2), nullptr);
    EXPECT_EQ(cache.find(0, 0), nullptr);
    EXPECT_NE(cache.find(0, 1), nullptr);
    EXPECT_NE(cache.find(0, 2), nullptr);
    ASSERT_NE(cache.load(0, 0), nullptr);
    EXPECT_EQ(cache.find(0, 1), nullptr) << "then the second";
    // The byte of a pixel inside its copy.
    const TileIndex index = cache.tileOf(4 * 130, 7);
    EXPECT_EQ(index, (TileIndex{0, 2}));
    std::uint32_t value = 0;
    std::memcpy(&value, cache.address(*cache.find(0, 2), 4 * 130, 7), 4);
    EXPECT_EQ(value, patternPixel(kDataTypeThirtyTwoBit, 130, 7));

    // Sizes below 1 keep one copy, sizes past the tile count no more than it.
    EXPECT_EQ(TileCache(*image, 0, false).slotCount(), 1);
    EXPECT_EQ(TileCache(*image, -5, false).slotCount(), 1);
    EXPECT_EQ(TileCache(*image, 1000, false).slotCount(), 4);
    EXPECT_EQ(TileCache(*image, 1000, true).slotCount(), 1);
    TileCache empty(*image, 3, false);
    empty.flush();
    EXPECT_FALSE(empty.holdsAny());
}

TEST_F(Contexts, AWritableCacheWritesBackOnlyChangedTilesAndLetsTheLockGoBeforeTheNext)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 200, 64, kOrganisation64);
    RecordingReactor reactor;
    image->addReactor(&reactor);
    {
        TileCache cache(*image, 5, true);
        TileCacheEntry* first = cache.load(0, 0);
        EXPECT_FALSE(freeForOtherThreads(*image, 0, 0)) << "held while cached";
        ASSERT_NE(first, nullptr);
        cache.load(0, 1);
        EXPECT_TRUE(reactor.calls.empty()) << "an unchanged tile is not written back";
        EXPECT_TRUE(freeForOtherThreads(*image, 0, 0));
        EXPECT_FALSE(freeForOtherThreads(*image, 0, 1));
        TileCacheEntry* second = cache.find(0, 1);
        ASSERT_NE(second, nullptr);
        const std::uint32_t value = 0xCAFEF00Du;
        std::memcpy(cache.address(*second, 4 * 70, 3), &value, 4);
        second->modified = true;
        cache.load(0, 2);
        EXPECT_EQ(reactor.calls, (std::vector<std::pair<int, int>>{{0, 1}}));
        EXPECT_TRUE(freeForOtherThreads(*image, 0, 1));
        EXPECT_EQ(TilePixels(*image).at(70, 3), value);
    }
    EXPECT_TRUE(freeForOtherThreads(*image, 0, 2)) << "the cache's end lets its tile go";
    image->removeReactor(&reactor);
}

TEST_F(Contexts, AReaderSeesWhatAWriterStoredSinceItsCopyWasTaken)
{
    start();
    TiledImage image;
    const ImagePixel clear(kPixelRgb, 0x11111111u);
    ASSERT_TRUE(image.construct({130, 70}, kRgb, clear, kOrganisation64));
    std::unique_ptr<ThreadSafeContextImp> reader = contextOn(image, 0, {130, 70}, {0, 0}, 3);
    std::unique_ptr<ThreadSafeContextImp> writer = contextOn(image, 1);
    EXPECT_EQ(reader->get32(5, 5), clear.value) << "a blank tile reads as the clear colour";
    writer->put32(6, 5, 0x22222222u);
    writer->flush();
    EXPECT_EQ(reader->get32(6, 5), 0x22222222u);
    EXPECT_EQ(reader->get32(5, 5), clear.value);
    // Without a flush the writer still holds the tile: a reader of the same
    // thread that has to load it is given it back first rather than
    // waiting on itself. (A copy it holds stays as it was until the writer
    // stores the tile.)
    writer->put32(7, 5, 0x33333333u);
    EXPECT_EQ(reader->get32(7, 5), clear.value) << "the reader's copy, taken before";
    std::unique_ptr<ThreadSafeContextImp> fresh = contextOn(image, 0, {130, 70}, {0, 0}, 1);
    EXPECT_EQ(fresh->get32(7, 5), 0x33333333u);
    EXPECT_EQ(reader->get32(7, 5), 0x33333333u) << "stored now: the stale copy is loaded again";
    writer->put32(8, 5, 0x44444444u);
    DataBuffer row(4 * 3);
    reader->getRow(5, 6, 3, row);
    EXPECT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, 2), 0x44444444u);
}

TEST_F(Contexts, PastesClearsAndReadsOnTheWritersThreadDoNotWaitOnIt)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({130, 70}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    std::unique_ptr<ThreadSafeContextImp> writer = contextOn(image, 1);
    writer->put32(1, 1, 0x01010101u);
    std::unique_ptr<RowProviderInterface> rows = image.read({3, 3}, {0, 0});
    EXPECT_EQ(pullGrid(*rows)[1][1], 0x01010101u) << "the read sees the context's pixel";

    writer->put32(2, 2, 0x02020202u);
    std::unique_ptr<RowProviderInterface> patch = patternRows(kRgb, 2, 2);
    image.paste(patch, {0, 0}, false);
    EXPECT_EQ(writer->get32(1, 1), patternPixel(kDataTypeThirtyTwoBit, 1, 1)) << "the paste came after";
    EXPECT_EQ(writer->get32(2, 2), 0x02020202u);

    writer->put32(3, 3, 0x03030303u);
    image.clear();
    EXPECT_EQ(writer->get32(3, 3), 0u);
    std::uint8_t* pixels = nullptr;
    writer->put32(4, 4, 0x04040404u);
    std::unique_ptr<ThreadSafeContextImp> other = contextOn(image, 1);
    ASSERT_TRUE(other->lockTile(0, 0, pixels));
    std::uint32_t seen = 0;
    std::memcpy(&seen, pixels + 4 * (64 * 4 + 4), 4);
    EXPECT_EQ(seen, 0x04040404u);
    other->releaseTile();
}

TEST_F(Contexts, ContextsOnTwoThreadsWaitForEachOthersTiles)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({130, 70}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    std::atomic<bool> held{false};
    std::atomic<bool> release{false};
    std::thread writerThread([&] {
        std::unique_ptr<ThreadSafeContextImp> writer = contextOn(image, 1);
        writer->put32(10, 10, 0xABCDEF01u); // holds tile (0, 0)
        held.store(true);
        while (!release.load())
            std::this_thread::yield();
        writer->put32(11, 10, 0xABCDEF02u);
        writer->flush();
    });
    while (!held.load())
        std::this_thread::yield();
    std::unique_ptr<ThreadSafeContextImp> reader = contextOn(image, 0);
    std::atomic<std::uint32_t> read{0};
    std::thread readerThread([&] { read.store(reader->get32(11, 10)); });
    release.store(true);
    writerThread.join();
    readerThread.join();
    EXPECT_EQ(read.load(), 0xABCDEF02u) << "the reader waited until the writer let the tile go";
    EXPECT_EQ(reader->get32(10, 10), 0xABCDEF01u);
}

TEST_F(Contexts, AContextOutlivingItsImageIsDetachedAndGoesQuietly)
{
    start();
    auto image = std::make_unique<TiledImage>();
    ASSERT_TRUE(image->construct({130, 70}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    std::unique_ptr<ThreadSafeContextImp> writer = contextOn(*image, 1);
    writer->put32(1, 1, 5); // holds a tile locked
    auto handle = std::make_unique<ImageContext>(image->createContext(0, {10, 10}, {0, 0}, 2));
    EXPECT_EQ(handle->getPixel(1, 1).kind, kPixelRgb);
    std::uint8_t* pixels = nullptr;
    std::unique_ptr<ThreadSafeContextImp> holder = contextOn(*image, 0);
    ASSERT_TRUE(holder->lockTile(1, 1, pixels));
    auto direct = std::make_unique<DirectTileContextImp>(*image, 3);
    direct->put32(100, 60, 9);

    image.reset();
    EXPECT_TRUE(writer->isDetached());
    std::string message;
    EXPECT_EQ(contextCode([&] { writer->get32(1, 1); }, &message), 3);
    EXPECT_EQ(message, "Invalid implementation. The image has been deleted.");
    EXPECT_EQ(contextCode([&] { handle->getPixel(0, 0); }), 3);
    EXPECT_EQ(contextCode([&] { holder->commitTile(); }), 3);
    EXPECT_EQ(contextCode([&] { direct->get32(0, 0); }), 3);
    EXPECT_NO_THROW(writer.reset());
    EXPECT_NO_THROW(handle.reset());
    EXPECT_NO_THROW(holder.reset());
    EXPECT_NO_THROW(direct.reset());

    // A context destroyed first leaves the image's list.
    TiledImage kept;
    ASSERT_TRUE(kept.construct({10, 10}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    {
        std::unique_ptr<ThreadSafeContextImp> brief = contextOn(kept, 1);
        brief->put32(0, 0, 1);
    }
    EXPECT_EQ(TilePixels(kept).at(0, 0), 1u) << "its change was written back";
    std::unique_ptr<ImageContextRep> next = kept.createContext(0, {1, 1}, {0, 0}, 1);
    EXPECT_EQ(dynamic_cast<ThreadSafeContextImp&>(*next).registryHandle(), 1) << "the freed handle is reused";
}

TEST_F(Contexts, AStaticImageIsReachedInPlace)
{
    start();
    const int width = 20;
    const int height = 6;
    const std::int32_t lineBytes = 4 * width + 8;
    std::vector<std::uint8_t> memory(std::size_t(lineBytes) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            setPixelIn(memory.data() + std::size_t(y) * lineBytes, kDataTypeThirtyTwoBit, x,
                       patternPixel(kDataTypeThirtyTwoBit, x, y));
    StubImage image(StaticPixelView{memory.data(), lineBytes, {width, height}}, kRgb);
    ThreadSafeContextImp context(image, {10, 4}, {5, 1}, 0, 1);
    EXPECT_TRUE(context.isWritable()) << "a static image is always writable";
    EXPECT_EQ(context.get32(14, 4), patternPixel(kDataTypeThirtyTwoBit, 14, 4));
    context.put32(14, 4, 0x77u);
    std::uint32_t stored = 0;
    std::memcpy(&stored, memory.data() + 4 * lineBytes + 4 * 14, 4);
    EXPECT_EQ(stored, 0x77u) << "written in place, no flush needed";
    context.flush();
    EXPECT_EQ(context.get32(14, 4), 0x77u) << "the flush leaves the static entry";
    EXPECT_EQ(contextCode([&] { context.get32(15, 4); }), 2);
    DataBuffer row(4 * 3);
    context.getRow(2, 5, 3, row);
    EXPECT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, 1), patternPixel(kDataTypeThirtyTwoBit, 6, 2));
    context.fillRow(3, 12, 3, ImagePixel(kPixelRgb, 0x99u));
    std::memcpy(&stored, memory.data() + 3 * lineBytes + 4 * 13, 4);
    EXPECT_EQ(stored, 0x99u);
    std::uint8_t* pixels = nullptr;
    ASSERT_TRUE(context.lockTile(0, 0, pixels));
    EXPECT_EQ(pixels, memory.data());
    EXPECT_TRUE(context.commitTile());
    EXPECT_TRUE(context.isTileWritten(0, 0));
}

TEST_F(Contexts, TheDirectContextKeepsARingOfCopiesAndChecksTheImageBounds)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(kRgb, 200, 130, kOrganisation64);
    RecordingReactor reactor;
    image->addReactor(&reactor);
    DirectTileContextImp direct(*image, 2);
    EXPECT_EQ(direct.cachedTiles(), 2);
    EXPECT_EQ(DirectTileContextImp(*image, 0).cachedTiles(), 1);
    EXPECT_EQ(DirectTileContextImp(*image, 100).cachedTiles(), 12);

    direct.put32(1, 1, 0xAAu);   // tile (0, 0), changed
    direct.get32(70, 1);         // tile (0, 1)
    EXPECT_TRUE(reactor.calls.empty());
    std::uint8_t* pixels = nullptr;
    ASSERT_TRUE(direct.lockTile(0, 0, pixels));
    std::uint32_t stored = 0;
    std::memcpy(&stored, pixels + 4 * (64 + 1), 4);
    EXPECT_EQ(stored, patternPixel(kDataTypeThirtyTwoBit, 1, 1)) << "the tile as stored, without the copy's change";
    EXPECT_EQ(contextCode([&] { direct.lockTile(0, 1, pixels); }), 0);
    direct.releaseTile();
    direct.get32(140, 1); // tile (0, 2) replaces the oldest, (0, 0), which is stored
    EXPECT_EQ(reactor.calls, (std::vector<std::pair<int, int>>{{0, 0}}));
    EXPECT_EQ(TilePixels(*image).at(1, 1), 0xAAu);
    direct.put32(150, 100, 0xBBu);
    direct.flush();
    EXPECT_EQ(TilePixels(*image).at(150, 100), 0xBBu);

    for (const auto& [x, y] : {std::pair<int, int>{200, 0}, {-1, 0}, {0, 130}, {0, -1}})
        EXPECT_EQ(contextCode([&, px = x, py = y] { direct.get32(px, py); }), 2) << x << "," << y;
    EXPECT_EQ(contextCode([&] { direct.get64(100, 0); }), 2) << "64-bit word 100 is pixels 200 and 201";
    EXPECT_EQ(direct.get64(99, 0) & 0xFFFFFFFFu, patternPixel(kDataTypeThirtyTwoBit, 198, 0));

    DataBuffer row(4 * 140);
    direct.getRow(5, 30, 140, row);
    EXPECT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, 139), patternPixel(kDataTypeThirtyTwoBit, 169, 5));
    EXPECT_EQ(contextCode([&] { direct.getRow(5, 100, 101, row); }), 2);
    StubImage notTiled;
    EXPECT_EQ(thrownCode<ImageException>([&] { DirectTileContextImp(notTiled, 1); }), 1);
    image->removeReactor(&reactor);
}

TEST_F(Contexts, AComposerMadeBeforeAContextTookATileStillReadsIt)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({130, 70}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    std::unique_ptr<RowProviderInterface> rows = image.read({130, 70}, {0, 0}, Orientation::Transpose);
    std::unique_ptr<ThreadSafeContextImp> writer = contextOn(image, 1);
    writer->put32(0, 5, 0x5A5A5A5Au); // holds tile (0, 0) for this thread
    DataBuffer row(rows->bytesPerRow());
    rows->getNextRow(row);
    EXPECT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, 5), 0x5A5A5A5Au);
    // And a paste through a decomposer over the held tile.
    writer->put32(1, 1, 1u);
    std::unique_ptr<RowProviderInterface> patch = patternRows(kRgb, 1, 1);
    image.pasteInOrder(patch, {1, 1}, Orientation::HalfTurn);
    EXPECT_EQ(writer->get32(1, 1), patternPixel(kDataTypeThirtyTwoBit, 0, 0));
}
