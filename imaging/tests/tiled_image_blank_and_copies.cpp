// Tile geometry, blank images, copies that share tiles until one writes,
// clearing, a full paging file and the tile locks.
#include "StubImages.h"
#include "TiledImageFixtures.h"

#include "imaging/DataBuffer.h"
#include "imaging/images/RegionCheck.h"
#include "imaging/images/TileGeometry.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <thread>

using namespace Omvi;
using namespace OmviTest;

namespace
{
const RgbModel kRgb(32);
const ImagePixel kWhite(kPixelRgb, 0xFFFFFFFFu);

class BlankImages : public TiledImageTest
{
};

// A representation of another kind, for the copy check.
class NotTiled : public StubImage
{
};

struct RecordingReactor : ImageReactorInterface
{
    void tileModified(std::int32_t row, std::int32_t column) override { calls.emplace_back(row, column); }
    std::vector<std::pair<int, int>> calls;
};

struct RecordingContext : StubContext
{
    void detachImage() override { ++detached; }
    int detached = 0;
};
} // namespace

TEST(TileGeometry, EdgesLinesAndGridsFollowTheOrganisationAndDataType)
{
    TileGeometry g;
    ASSERT_TRUE(TileGeometry::of(kOrganisation64, kDataTypeOneBit, {1, 1}, g));
    EXPECT_EQ(g.edge, 64);
    EXPECT_EQ(g.lineBytes, 8) << "a 1-bit tile line of 64 pixels";
    EXPECT_EQ(g.tileBytes, 512);
    EXPECT_EQ(g.tileCount, 1);

    ASSERT_TRUE(TileGeometry::of(kOrganisation64, kDataTypeThirtyTwoBit, {65, 64}, g));
    EXPECT_EQ(g.tilesAcross, 2);
    EXPECT_EQ(g.tilesDown, 1);
    EXPECT_EQ(g.tileBytes, 64 * 64 * 4);

    ASSERT_TRUE(TileGeometry::of(kOrganisation1024, kDataTypeSixtyFourBit, {1024, 1025}, g));
    EXPECT_EQ(g.lineBytes, 8192);
    EXPECT_EQ(g.tilesDown, 2);
    ASSERT_TRUE(TileGeometry::of(kOrganisation256, kDataTypeSixteenBit, {513, 256}, g));
    EXPECT_EQ(g.tileCount, 3);

    EXPECT_FALSE(TileGeometry::of(5, kDataTypeEightBit, {10, 10}, g)) << "no geometry for code 5";
    EXPECT_FALSE(TileGeometry::of(kOrganisation64, 7, {10, 10}, g));
    EXPECT_FALSE(TileGeometry::of(kOrganisation64, kDataTypeEightBit, {0, 10}, g));
    EXPECT_FALSE(TileGeometry::of(kOrganisation64, kDataTypeEightBit, {INT32_MAX, INT32_MAX}, g))
        << "a grid past the tile limit is refused before anything is allocated";
}

TEST(RegionCheck, FarCornerInsideOneFurtherOutAndNoWrapAround)
{
    const PixelPair image{100, 50};
    EXPECT_TRUE(regionInside(image, {100, 50}, {0, 0}));
    EXPECT_TRUE(regionInside(image, {1, 1}, {99, 49}));
    EXPECT_FALSE(regionInside(image, {2, 1}, {99, 49}));
    EXPECT_FALSE(regionInside(image, {1, 2}, {99, 49}));
    EXPECT_FALSE(regionInside(image, {1, 1}, {-1, 0}));
    EXPECT_FALSE(regionInside(image, {0, 5}, {0, 0})) << "an empty region is not a region";
    EXPECT_FALSE(regionInside(image, {-5, 5}, {10, 0}));
    EXPECT_FALSE(regionInside(image, {INT32_MAX, 1}, {INT32_MAX, 0})) << "32-bit sums would wrap into the image";
    EXPECT_FALSE(regionInside(image, {2, 1}, {INT32_MAX, 0}));

    std::string message;
    EXPECT_EQ(thrownCode<ImageException>([&] { requireRegionInside(image, {101, 1}, {0, 0}, "Image::read: Region Out Of Bounds"); },
                                         &message),
              0);
    EXPECT_EQ(message, "Image::read: Region Out Of Bounds");
}

TEST_F(BlankImages, SmallestImagesHaveOneTileAndBlankTilesReadAsTheClearColour)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({1, 1}, kRgb, kWhite, kOrganisation64));
    std::int32_t down = 0;
    std::int32_t across = 0;
    EXPECT_EQ(image.tileGrid(down, across), 1);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(across, 1);
    EXPECT_EQ(image.tileSize(), (PixelPair{64, 64}));
    EXPECT_TRUE(image.isConstructed());
    EXPECT_FALSE(image.isModified());
    EXPECT_FALSE(image.isStatic());
    TilePixels pixels(image);
    EXPECT_EQ(pixels.at(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pixels.at(63, 63), 0xFFFFFFFFu) << "the carried pixels of the tile are clear too";

    // Every data type fills its blank tiles with its own clear value.
    struct Case
    {
        const DataModel& model;
        ImagePixel clear;
        std::int32_t organisation;
        std::uint64_t expected;
    };
    const RgbGrayModel gray;
    const BitonalModel bitonal;
    const DataModel sixteen(0, kDataTypeSixteenBit, 16);
    const DataModel sixtyFour(0, kDataTypeSixtyFourBit, 64);
    const Case cases[] = {
        {gray, ImagePixel(kPixelGray, 0x7F), kOrganisation128, 0x7F},
        {bitonal, ImagePixel(kPixelBitonal, 1), kOrganisationDefault, 1},
        {sixteen, ImagePixel(kPixelSixteenBit, 0xBEEF), kOrganisationDefault, 0xBEEF},
        {sixtyFour, ImagePixel(kPixelSixtyFourBit, 0x0123456789ABCDEFull), kOrganisation64, 0x0123456789ABCDEFull},
    };
    for (const Case& c : cases)
    {
        TiledImage blank;
        ASSERT_TRUE(blank.construct({70, 3}, c.model, c.clear, c.organisation));
        TilePixels read(blank);
        EXPECT_EQ(read.at(0, 0), c.expected) << c.model.dataType();
        EXPECT_EQ(read.at(69, 2), c.expected) << c.model.dataType();
    }
}

TEST_F(BlankImages, ConstructionChecksSizeOrganisationAndClearColour)
{
    start();
    std::string message;
    TiledImage a;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { a.construct({0, 5}, kRgb, kWhite, 0); }, &message), 2);
    EXPECT_EQ(message, "TiledImage::construct");
    EXPECT_FALSE(a.isConstructed());
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { a.construct({5, -1}, kRgb, kWhite, 0); }), 2);
    const RgbGrayModel gray;
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { a.construct({5, 5}, gray, ImagePixel(kPixelGray, 0), kOrganisation64); }),
              0)
        << "8-bit models do not take 64-pixel tiles";
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { a.construct({5, 5}, kRgb, ImagePixel(kPixelGray, 0), 0); }), 1);
    EXPECT_EQ(paging().reservationCount(), 0) << "a refused construction reserves nothing";

    // Codes 5 and 6 take the model's default organisation.
    TiledImage b;
    ASSERT_TRUE(b.construct({5, 5}, gray, ImagePixel(kPixelGray, 0), kOrganisationFromFile));
    EXPECT_EQ(b.tileEdge(), 256);
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { b.construct({5, 5}, kRgb, kWhite, 0); }), 3)
        << "a representation is constructed once";
}

TEST_F(BlankImages, ACopySharesEveryTileAndAWriteDetachesOnlyThatTile)
{
    start();
    const std::int32_t reservationsBefore = paging().reservationCount();
    {
        TiledImage original;
        ASSERT_TRUE(original.construct({65, 64}, kRgb, kWhite, kOrganisation64));
        std::int32_t down = 0;
        std::int32_t across = 0;
        EXPECT_EQ(original.tileGrid(down, across), 2) << "a 65 x 64 image has two tiles";
        const std::vector<std::uint8_t> first = uniformTile(original, 0x11);
        original.writeTile({0, 0}, first.data());
        EXPECT_TRUE(original.isModified());

        TiledImage copy;
        ASSERT_TRUE(copy.construct(original));
        EXPECT_TRUE(copy.isConstructed());
        EXPECT_FALSE(copy.isModified());
        EXPECT_EQ(copy.size(), original.size());
        EXPECT_EQ(copy.clearColor(), original.clearColor());
        for (int column = 0; column < 2; ++column)
        {
            EXPECT_EQ(copy.tileTable().tileAt(0, column), original.tileTable().tileAt(0, column));
            EXPECT_EQ(copy.tileTable().tileAt(0, column)->holders(), 2);
        }
        PagingSystemInterface* originalPaging = nullptr;
        PagingSystemInterface* copyPaging = nullptr;
        PagingSystemInterface::Handle originalSet = 0;
        PagingSystemInterface::Handle copySet = 0;
        original.pagingIdentity(originalPaging, originalSet);
        copy.pagingIdentity(copyPaging, copySet);
        EXPECT_EQ(originalPaging, copyPaging);
        EXPECT_EQ(originalSet, copySet);

        const Tile* originalTile = original.tileTable().tileAt(0, 0);
        const std::int64_t originalPage = originalTile->page();
        const std::vector<std::uint8_t> second = uniformTile(copy, 0x22);
        copy.writeTile({0, 0}, second.data());

        EXPECT_NE(copy.tileTable().tileAt(0, 0), originalTile) << "the written tile was detached";
        EXPECT_EQ(copy.tileTable().tileAt(0, 1), original.tileTable().tileAt(0, 1)) << "the other stays shared";
        EXPECT_EQ(original.tileTable().tileAt(0, 0), originalTile);
        EXPECT_EQ(originalTile->holders(), 1);
        EXPECT_EQ(originalTile->page(), originalPage) << "the original keeps its page";
        TilePixels before(original);
        TilePixels after(copy);
        EXPECT_EQ(before.at(3, 3), 0x11111111u);
        EXPECT_EQ(after.at(3, 3), 0x22222222u);
        EXPECT_EQ(before.at(64, 0), 0xFFFFFFFFu);
        EXPECT_EQ(after.at(64, 0), 0xFFFFFFFFu);
    }
    EXPECT_EQ(paging().reservationCount(), reservationsBefore) << "each page released once, every set ended";
}

TEST_F(BlankImages, ACopyOfACopyAndWritesOnBothSidesKeepEveryImageItsOwnPixels)
{
    start();
    TiledImage a;
    ASSERT_TRUE(a.construct({100, 70}, kRgb, kWhite, kOrganisation64));
    const std::vector<std::uint8_t> ones = uniformTile(a, 1);
    a.writeTile({1, 1}, ones.data());
    TiledImage b;
    ASSERT_TRUE(b.construct(a));
    TiledImage c;
    ASSERT_TRUE(c.construct(b));
    EXPECT_EQ(a.tileTable().tileAt(1, 1)->holders(), 3);

    // a writes the tile that lies in its own source set, then again once it
    // is detached; b and c write theirs.
    const std::vector<std::uint8_t> twos = uniformTile(a, 2);
    const std::vector<std::uint8_t> threes = uniformTile(a, 3);
    a.writeTile({1, 1}, twos.data());
    a.writeTile({1, 1}, threes.data());
    b.writeTileRun({1, 0}, 2, std::vector<std::uint8_t>(2 * ones.size(), 4).data());
    TilePixels pa(a);
    TilePixels pb(b);
    TilePixels pc(c);
    EXPECT_EQ(pa.at(70, 70), 0x03030303u);
    EXPECT_EQ(pb.at(70, 70), 0x04040404u);
    EXPECT_EQ(pb.at(0, 64), 0x04040404u);
    EXPECT_EQ(pc.at(70, 70), 0x01010101u);
    EXPECT_EQ(pc.at(0, 64), 0xFFFFFFFFu);
}

TEST_F(BlankImages, AFullPagingFileGivesCodeFiveAndNeverWritesThroughANullPageSet)
{
    // Room for one 65 x 64 RGB image (two 16 KB tiles) and little more.
    start(40 * 1024);
    TiledImage tooLarge;
    std::string message;
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { tooLarge.construct({200, 200}, kRgb, kWhite, kOrganisation64); }, &message),
              5);
    EXPECT_EQ(message, "TiledImage::construct");
    EXPECT_FALSE(tooLarge.isConstructed());

    TiledImage original;
    ASSERT_TRUE(original.construct({65, 64}, kRgb, kWhite, kOrganisation64));
    const std::vector<std::uint8_t> first = uniformTile(original, 0x5A);
    original.writeTileRun({0, 0}, 2, std::vector<std::uint8_t>(2 * first.size(), 0x5A).data());
    auto copy = std::make_unique<TiledImage>();
    ASSERT_TRUE(copy->construct(original));

    // The copy needs a set of its own to write: there is no room for one.
    const std::vector<std::uint8_t> other = uniformTile(*copy, 0xC3);
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { copy->writeTile({0, 1}, other.data()); }, &message), 5);
    EXPECT_EQ(message, "TiledImage::writeTile");
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { copy->writeTileRun({0, 0}, 2, std::vector<std::uint8_t>(2 * other.size(), 1).data()); }),
              5);
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { copy->clear(); }), 5);
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { original.writeTile({0, 1}, other.data()); }), 5)
        << "the original shares its tiles too";
    EXPECT_EQ(copy->tileTable().tileAt(0, 1), original.tileTable().tileAt(0, 1)) << "nothing was detached";
    EXPECT_EQ(original.tileTable().tileAt(0, 1)->holders(), 2);
    TilePixels a(original);
    TilePixels b(*copy);
    EXPECT_EQ(a.at(64, 10), 0x5A5A5A5Au);
    EXPECT_EQ(b.at(64, 10), 0x5A5A5A5Au);

    // The original owns its tiles alone once the copy is gone, and writes
    // in place without needing room.
    copy.reset();
    original.writeTile({0, 1}, other.data());
    TilePixels again(original);
    EXPECT_EQ(again.at(64, 10), 0xC3C3C3C3u);
}

TEST_F(BlankImages, ClearingBlanksUnsharedTilesAndGivesSharedOnesUpToTheCopies)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({130, 64}, kRgb, kWhite, kOrganisation64));
    const std::vector<std::uint8_t> tile = uniformTile(image, 0x44);
    image.writeTileRun({0, 0}, 3, std::vector<std::uint8_t>(3 * tile.size(), 0x44).data());
    TiledImage copy;
    ASSERT_TRUE(copy.construct(image));
    copy.writeTile({0, 2}, uniformTile(copy, 0x66).data()); // no longer shared
    RecordingReactor reactor;
    copy.addReactor(&reactor);

    copy.clear();
    EXPECT_EQ(reactor.calls.size(), 3u) << "every cleared tile is reported";
    TilePixels cleared(copy);
    TilePixels kept(image);
    for (int x : {0, 64, 129})
    {
        EXPECT_EQ(cleared.at(x, 5), 0xFFFFFFFFu) << x;
        EXPECT_EQ(kept.at(x, 5), 0x44444444u) << x;
    }
    EXPECT_TRUE(copy.tileTable().tileAt(0, 2)->isBlank());
    EXPECT_FALSE(image.tileTable().tileAt(0, 0)->isBlank());

    // A cleared tile reads as the clear colour until it is written again.
    copy.setClearColor(ImagePixel(kPixelRgb, 0x01020304));
    TilePixels recoloured(copy);
    EXPECT_EQ(recoloured.at(1, 1), 0x01020304u);
    copy.writeTile({0, 0}, uniformTile(copy, 0x77).data());
    TilePixels written(copy);
    EXPECT_EQ(written.at(1, 1), 0x77777777u);
    copy.removeReactor(&reactor);
}

TEST_F(BlankImages, ClearColourAndDataModelKeepTheirKindsInStep)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({10, 10}, kRgb, kWhite, kOrganisation64));
    std::string message;
    EXPECT_EQ(thrownCode<ImageException>([&] { image.setClearColor(ImagePixel(kPixelGray, 1)); }, &message), 4);
    EXPECT_EQ(message, "TiledImage::setClearColor");
    EXPECT_EQ(image.clearColor(), kWhite);

    image.setDataModel(RgbModel(24));
    EXPECT_EQ(image.dataModel()->bitsUsedPerPixel(), 24) << "same data type: accepted";
    EXPECT_EQ(thrownCode<ImageException>([&] { image.setDataModel(RgbGrayModel()); }, &message), 1);
    EXPECT_EQ(message, "TiledImage::setDataModel");
    image.setDataModel(DataModel(0, kDataTypeThirtyTwoBit, 32));
    EXPECT_EQ(image.clearColor().kind, kPixelThirtyTwoBit) << "the clear colour follows the pixels' kind";
    EXPECT_EQ(image.clearColor().value, 0xFFFFFFFFu);
    image.setClearColor(ImagePixel(kPixelThirtyTwoBit, 5));
}

TEST_F(BlankImages, TileLockingCanBeSwitchedOffExceptForPrivateImages)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({10, 10}, kRgb, kWhite, kOrganisation64));
    EXPECT_TRUE(image.setUnlocked(true));
    EXPECT_FALSE(image.setUnlocked(false));

    TiledImage priv;
    priv.constructUnlocked({100, 100}, kRgb, kWhite, kOrganisation64);
    EXPECT_EQ(priv.tileTable().tileAt(0, 0)->lock(), nullptr);
    EXPECT_TRUE(priv.setUnlocked(false)) << "locking stays off";
    priv.writeTile({1, 1}, uniformTile(priv, 9).data());
    TilePixels pixels(priv);
    EXPECT_EQ(pixels.at(99, 99), 0x09090909u);
    EXPECT_EQ(pixels.at(0, 0), 0xFFFFFFFFu);

    TiledImage copyOfPrivate;
    ASSERT_TRUE(copyOfPrivate.construct(priv));
    copyOfPrivate.writeTile({1, 1}, uniformTile(priv, 8).data());
    TilePixels copied(copyOfPrivate);
    EXPECT_EQ(copied.at(99, 99), 0x08080808u);
}

TEST_F(BlankImages, ATileTheThreadHoldsIsRefusedInsteadOfWaitingForever)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({10, 10}, kRgb, kWhite, kOrganisation64));
    Tile* held = image.lockTileExclusive(0, 0);
    const std::vector<std::uint8_t> pixels = uniformTile(image, 1);
    EXPECT_EQ(thrownCode<ImageException>([&] { image.writeTile({0, 0}, pixels.data()); }), 5);
    EXPECT_EQ(thrownCode<ImageException>([&] { image.lockTileShared(0, 0); }), 5);
    image.writeLockedTile(held, pixels.data());
    image.unlockTileExclusive(held);
    EXPECT_EQ(thrownCode<ImageException>([&] { image.lockTileShared(0, 1); }), 0) << "outside the grid";

    // Another thread waits for the tile and gets it once it is given back.
    Tile* reading = image.lockTileShared(0, 0);
    std::thread writer([&] { image.writeTile({0, 0}, uniformTile(image, 2).data()); });
    image.unlockTileShared(reading);
    writer.join();
    TilePixels after(image);
    EXPECT_EQ(after.at(0, 0), 0x02020202u);
}

TEST_F(BlankImages, AWriteOfAHeldSharedTileMovesTheHoldToItsReplacement)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({10, 10}, kRgb, kWhite, kOrganisation64));
    TiledImage copy;
    ASSERT_TRUE(copy.construct(image));
    Tile* held = copy.lockTileExclusive(0, 0);
    Tile* const shared = held;
    copy.writeLockedTile(held, uniformTile(copy, 3).data());
    EXPECT_NE(held, shared);
    EXPECT_TRUE(held->lock()->writeLock(0) == false) << "the replacement is held by this thread";
    copy.unlockTileExclusive(held);
    EXPECT_TRUE(shared->lock()->writeLock(0)) << "the shared tile was given back";
    shared->lock()->writeUnlock();
    TilePixels a(image);
    TilePixels b(copy);
    EXPECT_EQ(a.at(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(b.at(0, 0), 0x03030303u);
}

TEST_F(BlankImages, ReactorsHearOfEveryWrittenTileInListOrder)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({200, 70}, kRgb, kWhite, kOrganisation64));
    RecordingReactor first;
    RecordingReactor second;
    EXPECT_EQ(image.addReactor(&first), 1);
    EXPECT_EQ(image.addReactor(&second), 2);
    EXPECT_EQ(image.addReactor(nullptr), 0);
    image.writeTile({1, 2}, uniformTile(image, 1).data());
    image.writeTileRun({0, 1}, 3, std::vector<std::uint8_t>(3 * 16384u, 1).data());
    const std::vector<std::pair<int, int>> expected = {{1, 2}, {0, 1}, {0, 2}, {0, 3}};
    EXPECT_EQ(first.calls, expected);
    EXPECT_EQ(second.calls, expected);
    image.removeReactor(&first);
    image.writeTile({0, 0}, uniformTile(image, 1).data());
    EXPECT_EQ(first.calls.size(), 4u);
    EXPECT_EQ(second.calls.size(), 5u);
    RecordingReactor third;
    EXPECT_EQ(image.addReactor(&third), 1) << "a freed handle is handed out again";
    image.removeReactor(&second);
    image.removeReactor(&third);
}

TEST_F(BlankImages, AnImageDetachesItsContextsWhenItGoesFirst)
{
    start();
    RecordingContext open;
    RecordingContext released;
    {
        TiledImage image;
        ASSERT_TRUE(image.construct({10, 10}, kRgb, kWhite, kOrganisation64));
        EXPECT_EQ(image.registerContext(&open), 1);
        const std::int32_t handle = image.registerContext(&released);
        image.releaseContext(handle);
    }
    EXPECT_EQ(open.detached, 1);
    EXPECT_EQ(released.detached, 0);
}

TEST_F(BlankImages, ACopyNeedsATiledSourceWhoseLockItCanTake)
{
    start();
    NotTiled other;
    TiledImage copy;
    std::string message;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { copy.construct(other); }, &message), 3);
    EXPECT_EQ(message, "TiledImage::construct");

    // A bare source makes a bare copy.
    TiledImage bare;
    TiledImage copyOfBare;
    ASSERT_TRUE(copyOfBare.construct(bare));
    EXPECT_FALSE(copyOfBare.isConstructed());
    std::int32_t down = 0;
    std::int32_t across = 0;
    EXPECT_EQ(copyOfBare.tileGrid(down, across), 0);
}

TEST_F(BlankImages, ImagesOfManyTilesPageOutAndBackInUnderATightBudget)
{
    OMVISession& session = start();
    ASSERT_TRUE(session.setMemoryLimit(64));
    const RgbGrayModel gray;
    TiledImage image;
    ASSERT_TRUE(image.construct({600, 300}, gray, ImagePixel(kPixelGray, 0), kOrganisation128));
    std::int32_t down = 0;
    std::int32_t across = 0;
    ASSERT_EQ(image.tileGrid(down, across), 15);
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(image.bytesPerTile()));
    for (int row = 0; row < down; ++row)
        for (int column = 0; column < across; ++column)
        {
            for (std::size_t i = 0; i < tile.size(); ++i)
                tile[i] = static_cast<std::uint8_t>(i * 7 + row * 31 + column * 3);
            image.writeTile({row, column}, tile.data());
        }
    DataBuffer back(image.bytesPerTile());
    for (int row = 0; row < down; ++row)
        for (int column = 0; column < across; ++column)
        {
            Tile* held = image.lockTileShared(row, column);
            ASSERT_TRUE(image.readTile(*held, back));
            image.unlockTileShared(held);
            for (std::size_t i = 0; i < tile.size(); i += 97)
                ASSERT_EQ(back.data()[i], static_cast<std::uint8_t>(i * 7 + row * 31 + column * 3))
                    << row << "," << column << " byte " << i;
        }
    DataBuffer tooSmall(image.bytesPerTile() - 1);
    Tile* held = image.lockTileShared(0, 0);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { image.readTile(*held, tooSmall); }),
              ImageFilterException::kRowBufferTooSmall);
    image.unlockTileShared(held);
}

TEST_F(BlankImages, ReadersNeverSeeAHalfWrittenTileWhileAnotherThreadWrites)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({256, 64}, kRgb, kWhite, kOrganisation64));
    std::atomic<bool> torn{false};
    std::thread writer([&] {
        std::vector<std::uint8_t> tiles(4 * 16384u);
        for (int round = 1; round <= 60; ++round)
        {
            std::fill(tiles.begin(), tiles.end(), static_cast<std::uint8_t>(round));
            image.writeTileRun({0, 0}, 4, tiles.data());
        }
    });
    std::thread reader([&] {
        std::vector<std::uint8_t> tile(16384u);
        for (int round = 0; round < 240; ++round)
        {
            Tile* held = image.lockTileShared(0, round % 4);
            image.loadTile(*held, tile.data());
            image.unlockTileShared(held);
            if (std::count(tile.begin(), tile.end(), tile[0]) != static_cast<long>(tile.size()))
                torn = true;
        }
    });
    writer.join();
    reader.join();
    EXPECT_FALSE(torn);
    TilePixels last(image);
    EXPECT_EQ(last.at(255, 63), 0x3C3C3C3Cu);
}
