// The delay-load and direct-read paging systems over a synthetic image
// file: tiles decoded once (or every time), batches served in runs, edge
// tiles padded with zeros, states that end with their last page, handed
// over pages, and damaged files reported through the library's exceptions.
#include "SyntheticImageFile.h"
#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/platform/WindowsTempPagingSystem.h"

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

using namespace Omvi;
using namespace OmviTest;

namespace
{
using Handle = PagingSystemInterface::Handle;
constexpr int kEdge = 128; // organisation 1

// Tile (row, column) of a gray synthetic file as the paging systems deliver
// it: lines of kEdge bytes, zero beyond the image.
std::vector<std::uint8_t> expectedTile(const SyntheticFile& file, int row, int column)
{
    std::vector<std::uint8_t> tile(kEdge * kEdge, 0);
    for (int line = 0; line < kEdge; ++line)
    {
        const int y = row * kEdge + line;
        const int left = column * kEdge;
        if (y < file.height && left < file.width)
            file.writePixels(y, left, std::min(kEdge, file.width - left), tile.data() + line * kEdge);
    }
    return tile;
}

class PagingAdapters : public ::testing::Test
{
protected:
    PagingAdapters() : temporary(makeScratchFileSpecifier("IMG")) {}

    // Allocates every page of the state; answers the indices.
    std::vector<std::int64_t> allocateAll(PagingSystemInterface& paging, Handle state, int down, int across)
    {
        std::vector<std::int64_t> indices;
        for (int r = 0; r < down; ++r)
            for (int c = 0; c < across; ++c)
                indices.push_back(paging.allocatePosition(state, r, c));
        return indices;
    }

    WindowsTempPagingSystem temporary;
};
} // namespace

TEST_F(PagingAdapters, ATileIsDecodedOnceWhenThePagingFileKeepsIt)
{
    SyntheticSource source(SyntheticFile::gray(300, 200));
    DelayLoadPageSystem paging(&temporary);
    const Handle state = paging.createState(*source.descriptor, 1, {300, 200}, kDataTypeEightBit, true);
    EXPECT_TRUE(paging.canPage(state));
    EXPECT_EQ(temporary.reservationCount(), 1) << "room for every tile is reserved at once";
    const std::vector<std::int64_t> indices = allocateAll(paging, state, 2, 3);
    EXPECT_EQ(indices, (std::vector<std::int64_t>{0, 1, 2, 3, 4, 5}));

    std::vector<std::uint8_t> tile(kEdge * kEdge);
    for (int twice = 0; twice < 2; ++twice)
    {
        paging.readPosition(state, 4, tile.data());
        EXPECT_EQ(tile, expectedTile(*source.file, 1, 1));
    }
    EXPECT_EQ(source.file->decodesOf(1, 1, kEdge), 1);
    ASSERT_EQ(source.file->passes.size(), 1u);
    const SyntheticFile::Pass pass = source.file->passes[0];
    EXPECT_EQ(pass.top, 128);
    EXPECT_EQ(pass.left, 128);
    EXPECT_EQ(pass.bottom, 199) << "the band stops at the image's last line";
    EXPECT_EQ(pass.right, 255);

    // The edge tile: lines below the image and columns right of it are zero.
    paging.readPosition(state, 5, tile.data());
    EXPECT_EQ(tile, expectedTile(*source.file, 1, 2));
    EXPECT_EQ(tile[71 * kEdge + 44], 0) << "column 300 lies beyond the image";
    EXPECT_EQ(tile[127 * kEdge], 0);

    for (std::int64_t index : indices)
        paging.freePosition(state, index);
    EXPECT_EQ(paging.stateCount(), 0u);
    EXPECT_EQ(temporary.reservationCount(), 0) << "the paging file's room went with the state";
}

TEST_F(PagingAdapters, WithoutThePagingFileEveryReadDecodesAgain)
{
    SyntheticSource source(SyntheticFile::gray(130, 130));
    DelayLoadPageSystem paging(&temporary);
    const Handle state = paging.createState(*source.descriptor, 1, {130, 130}, kDataTypeEightBit, false);
    EXPECT_FALSE(paging.canPage(state));
    EXPECT_EQ(temporary.reservationCount(), 0);
    allocateAll(paging, state, 2, 2);
    std::vector<std::uint8_t> tile(kEdge * kEdge);
    paging.readPosition(state, 0, tile.data());
    paging.readPosition(state, 0, tile.data());
    EXPECT_EQ(source.file->decodesOf(0, 0, kEdge), 2);
    EXPECT_EQ(tile, expectedTile(*source.file, 0, 0));
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.writePosition(state, 0, tile.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest)
        << "pages of a file that keeps nothing cannot be written";

    // A system without a paging file answers the null handle itself.
    DelayLoadPageSystem bare(nullptr);
    EXPECT_EQ(bare.invalidHandle(), -1);
    EXPECT_TRUE(bare.isInvalidHandle(-1));
    EXPECT_FALSE(bare.isInvalidHandle(0xFFFFFFFFll));
    EXPECT_TRUE(bare.isInvalidHandle(bare.reserve(1, 1, 16))) << "states are made by createState only";
    const Handle keepsNothing = bare.createState(*source.descriptor, 1, {130, 130}, kDataTypeEightBit, true);
    EXPECT_FALSE(bare.canPage(keepsNothing));
    EXPECT_TRUE(bare.discardState(keepsNothing));
}

TEST_F(PagingAdapters, ABatchIsServedInRunsOfKeptTilesAndOfAdjacentTilesOfOneRow)
{
    SyntheticSource source(SyntheticFile::gray(300, 200));
    DelayLoadPageSystem paging(&temporary);
    const Handle state = paging.createState(*source.descriptor, 1, {300, 200}, kDataTypeEightBit, true);
    const std::vector<std::int64_t> indices = allocateAll(paging, state, 2, 3);
    std::vector<std::uint8_t> one(kEdge * kEdge);
    paging.readPosition(state, 1, one.data());
    ASSERT_EQ(source.file->passes.size(), 1u);

    std::vector<std::uint8_t> batch(6 * kEdge * kEdge);
    paging.readPositions(state, 6, indices.data(), batch.data());
    // Tile 0 alone (tile 1 is kept), tile 2 alone, then row 1 in one pass.
    ASSERT_EQ(source.file->passes.size(), 4u);
    EXPECT_EQ(source.file->passes[1].left, 0);
    EXPECT_EQ(source.file->passes[1].right, 127);
    EXPECT_EQ(source.file->passes[2].left, 256);
    EXPECT_EQ(source.file->passes[3].top, 128);
    EXPECT_EQ(source.file->passes[3].left, 0);
    EXPECT_EQ(source.file->passes[3].right, 299);
    for (int i = 0; i < 6; ++i)
    {
        const std::vector<std::uint8_t> expected = expectedTile(*source.file, i / 3, i % 3);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), batch.begin() + i * kEdge * kEdge)) << i;
    }

    // Everything is kept now: a second batch, in any order, decodes nothing.
    const std::vector<std::int64_t> shuffled = {5, 0, 3, 3};
    std::vector<std::uint8_t> again(4 * kEdge * kEdge);
    paging.readPositions(state, 4, shuffled.data(), again.data());
    EXPECT_EQ(source.file->passes.size(), 4u);
    const std::vector<std::uint8_t> last = expectedTile(*source.file, 1, 2);
    EXPECT_TRUE(std::equal(last.begin(), last.end(), again.begin()));

    // Written tiles are what later reads give.
    std::vector<std::uint8_t> written(kEdge * kEdge, 0x3C);
    paging.writePositions(state, shuffled.data(), 1, written.data());
    paging.readPosition(state, 5, one.data());
    EXPECT_EQ(one, written);
    EXPECT_EQ(source.file->passes.size(), 4u);
}

TEST_F(PagingAdapters, TheLastReleaseEndsTheStateAndNothingCanReachItAfterwards)
{
    SyntheticSource source(SyntheticFile::gray(200, 100));
    DelayLoadPageSystem paging(&temporary);
    const Handle state = paging.createState(*source.descriptor, 1, {200, 100}, kDataTypeEightBit, true);
    allocateAll(paging, state, 1, 2);
    EXPECT_TRUE(paging.freePosition(state, 0));
    EXPECT_TRUE(paging.freePosition(state, 0)) << "releasing a page twice changes nothing";
    std::vector<std::uint8_t> tile(kEdge * kEdge);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.readPosition(state, 0, tile.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest)
        << "a released page cannot be read";
    EXPECT_FALSE(paging.freePosition(state, 1));
    EXPECT_EQ(paging.stateCount(), 0u);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.allocatePosition(state, 0, 0); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.canPage(state); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.allocatePosition(12345, 0, 0); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
    EXPECT_EQ(temporary.reservationCount(), 0);

    const Handle other = paging.createState(*source.descriptor, 1, {200, 100}, kDataTypeEightBit, true);
    EXPECT_NE(other, state) << "handles are never handed out twice";
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.allocatePosition(other, 1, 0); }),
              TemporaryFilePagingSystemException::kInvalidRequest)
        << "outside the grid";
    EXPECT_TRUE(paging.discardState(other)) << "a state never used can be let go";
    EXPECT_EQ(temporary.reservationCount(), 0) << "and its reservation with it";
}

TEST_F(PagingAdapters, HandedOverPagesBelongToTheirTilesAfterTheStateEnds)
{
    SyntheticSource source(SyntheticFile::gray(256, 128));
    DelayLoadPageSystem paging(&temporary);
    const Handle state = paging.createState(*source.descriptor, 1, {256, 128}, kDataTypeEightBit, true);
    allocateAll(paging, state, 1, 2);
    std::vector<std::uint8_t> scratch(kEdge * kEdge);
    paging.readPosition(state, 1, scratch.data());

    Handle volume = 0;
    const std::int64_t first = paging.pagePosition(state, 0, scratch.data(), volume);
    EXPECT_EQ(scratch, expectedTile(*source.file, 0, 0)) << "an undecoded page is decoded for the hand-over";
    const std::int64_t second = paging.pagePosition(state, 1, scratch.data(), volume);
    EXPECT_EQ(paging.stateCount(), 0u) << "both pages handed over: the state ended";
    EXPECT_EQ(source.file->passes.size(), 2u) << "the kept tile was not decoded again";

    std::vector<std::uint8_t> kept(kEdge * kEdge);
    temporary.readPosition(volume, first, kept.data());
    EXPECT_EQ(kept, expectedTile(*source.file, 0, 0));
    temporary.readPosition(volume, second, kept.data());
    EXPECT_EQ(kept, expectedTile(*source.file, 0, 1));
    EXPECT_EQ(temporary.reservationCount(), 1);
    temporary.freePosition(volume, first);
    EXPECT_FALSE(temporary.freePosition(volume, second));
    EXPECT_EQ(temporary.reservationCount(), 0);
}

TEST_F(PagingAdapters, DamagedFilesAreReportedAndNeverOverrunATile)
{
    struct Damage
    {
        const char* what;
        std::function<void(SyntheticFile&)> apply;
        std::int32_t code;
    };
    const Damage damages[] = {
        {"rows longer than the band", [](SyntheticFile& f) { f.extraRowBytes = 4096; }, FileIOException::kOtherFailure},
        {"rows that stop early", [](SyntheticFile& f) { f.stopAfterRows = 10; }, FileIOException::kEndOfFile},
        {"no row iterator", [](SyntheticFile& f) { f.noIterator = true; }, FileIOException::kOtherFailure},
    };
    for (const Damage& damage : damages)
    {
        SyntheticSource source(SyntheticFile::gray(300, 200));
        damage.apply(*source.file);
        DelayLoadPageSystem paging(&temporary);
        const Handle state = paging.createState(*source.descriptor, 1, {300, 200}, kDataTypeEightBit, true);
        const std::vector<std::int64_t> indices = allocateAll(paging, state, 2, 3);
        std::vector<std::uint8_t> tiles(6 * kEdge * kEdge);
        EXPECT_EQ(thrownCode<FileIOException>([&] { paging.readPosition(state, 0, tiles.data()); }), damage.code)
            << damage.what;
        EXPECT_EQ(thrownCode<FileIOException>([&] { paging.readPositions(state, 6, indices.data(), tiles.data()); }),
                  damage.code)
            << damage.what;
        for (std::int64_t index : indices)
            paging.freePosition(state, index);
    }
    EXPECT_EQ(temporary.reservationCount(), 0);

    SyntheticSource source(SyntheticFile::gray(300, 200));
    DelayLoadPageSystem paging(&temporary);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>(
                  [&] { paging.createState(*source.descriptor, 1, {INT32_MAX, INT32_MAX}, kDataTypeEightBit, true); }),
              TemporaryFilePagingSystemException::kInvalidRequest)
        << "a grid too large to page";
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>(
                  [&] { paging.createState(*source.descriptor, 9, {300, 200}, kDataTypeEightBit, true); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
}

TEST_F(PagingAdapters, DirectReadingAsksTheFilesOwnTilesAndWritesNothing)
{
    auto file = SyntheticFile::gray(300, 200);
    file->directTileSize = kEdge;
    SyntheticSource source(file);
    DirectReadPagingSystem paging;
    EXPECT_EQ(paging.invalidHandle(), -1);
    EXPECT_TRUE(paging.isInvalidHandle(paging.reserve(2, 3, kEdge * kEdge)));
    EXPECT_TRUE(paging.isInvalidHandle(-1));
    EXPECT_FALSE(paging.isInvalidHandle(0x00000000FFFFFFFFll)) << "both halves must be all ones";

    const Handle state = paging.createState(*source.descriptor, 1, {300, 200}, kDataTypeEightBit);
    EXPECT_FALSE(paging.canPage(state));
    const std::vector<std::int64_t> indices = allocateAll(paging, state, 2, 3);
    std::vector<std::uint8_t> tile(kEdge * kEdge);
    paging.readPosition(state, 5, tile.data());
    EXPECT_EQ(tile, expectedTile(*file, 1, 2));
    std::vector<std::uint8_t> junk(kEdge * kEdge, 0xEE);
    paging.writePosition(state, 5, junk.data());
    paging.writePositions(state, indices.data(), 1, junk.data());
    paging.readPosition(state, 5, tile.data());
    EXPECT_EQ(tile, expectedTile(*file, 1, 2)) << "writes have no effect";

    std::vector<std::uint8_t> batch(3 * kEdge * kEdge);
    paging.readPositions(state, 3, indices.data() + 3, batch.data());
    EXPECT_EQ(file->tileReads, (std::vector<std::pair<int, int>>{{1, 2}, {1, 2}, {1, 0}, {1, 1}, {1, 2}}));
    EXPECT_TRUE(file->passes.empty()) << "no row was decoded";

    file->failTileReads = true;
    EXPECT_EQ(thrownCode<FileIOException>([&] { paging.readPosition(state, 0, tile.data()); }),
              FileIOException::kOtherFailure);
    for (std::size_t i = 0; i + 1 < indices.size(); ++i)
        EXPECT_TRUE(paging.freePosition(state, indices[i]));
    EXPECT_FALSE(paging.freePosition(state, indices.back()));
    EXPECT_EQ(paging.stateCount(), 0u);
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>([&] { paging.readPosition(state, 0, tile.data()); }),
              TemporaryFilePagingSystemException::kInvalidRequest);

    // A file without tiles of its own cannot be paged directly.
    SyntheticSource untiled(SyntheticFile::gray(300, 200));
    EXPECT_EQ(thrownCode<TemporaryFilePagingSystemException>(
                  [&] { paging.createState(*untiled.descriptor, 1, {300, 200}, kDataTypeEightBit); }),
              TemporaryFilePagingSystemException::kInvalidRequest);
}
