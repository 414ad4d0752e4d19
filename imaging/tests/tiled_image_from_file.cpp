// Tiled images built from an image file: read whole through its rows, over
// tiles decoded when first touched, or straight over the file's own tiles;
// copies of them; and the pass that lets the file go.
#include "StubImages.h"
#include "SyntheticImageFile.h"
#include "TiledImageFixtures.h"

#include "imaging/paging/DelayLoadPageSystem.h"
#include "imaging/paging/DirectReadPagingSystem.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{
class ImagesFromFiles : public TiledImageTest
{
protected:
    // Every `step`-th pixel of the image equals the file's.
    static void expectFilePixels(TiledImage& image, const SyntheticFile& file, int step)
    {
        TilePixels pixels(image);
        for (int y = 0; y < file.height; y += step)
            for (int x = 0; x < file.width; x += step)
                ASSERT_EQ(pixels.at(x, y), file.pixel(x, y)) << x << "," << y;
        ASSERT_EQ(pixels.at(file.width - 1, file.height - 1), file.pixel(file.width - 1, file.height - 1));
    }
    static PagingSystemInterface* identityOf(const TiledImage& image)
    {
        PagingSystemInterface* paging = nullptr;
        PagingSystemInterface::Handle set = 0;
        image.pagingIdentity(paging, set);
        return paging;
    }
    static int tilesOn(const TiledImage& image, const PagingSystemInterface* paging)
    {
        std::int32_t down = 0;
        std::int32_t across = 0;
        int count = 0;
        const std::int32_t tiles = image.tileGrid(down, across);
        for (std::int32_t i = 0; i < tiles; ++i)
            count += image.tileTable().tileAt(i / across, i % across)->pagingSystem() == paging;
        return count;
    }
};
} // namespace

TEST_F(ImagesFromFiles, AnImageOfExactlyOneMegapixelIsReadThroughRowsNotDelayLoaded)
{
    OMVISession& session = start();
    SyntheticSource source(SyntheticFile::gray(1024, 1024));
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisationDefault));
    EXPECT_EQ(identityOf(image), &session.temporaryPagingSystem());
    ASSERT_EQ(source.file->passes.size(), 1u) << "one pass over the whole file";
    EXPECT_EQ(source.file->passes[0].bottom, 1023);
    EXPECT_EQ(source.file->passes[0].right, 1023);
    EXPECT_FALSE(image.isModified());
    ASSERT_NE(image.sourceDescriptor(), nullptr) << "the default keeps the descriptor";
    expectFilePixels(image, *source.file, 37);
}

TEST_F(ImagesFromFiles, ALargerImageDecodesEachTileOnceWhenFirstTouched)
{
    OMVISession& session = start();
    auto file = SyntheticFile::gray(1024, 1025);
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisationDefault));
    EXPECT_EQ(identityOf(image), &session.delayLoadPagingSystem());
    EXPECT_TRUE(file->passes.empty()) << "nothing is decoded until a tile is read";
    EXPECT_EQ(image.tileEdge(), 256);
    std::int32_t down = 0;
    std::int32_t across = 0;
    EXPECT_EQ(image.tileGrid(down, across), 20);
    EXPECT_FALSE(image.tileTable().tileAt(4, 3)->isBlank());

    expectFilePixels(image, *file, 29);
    std::vector<std::uint8_t> tile(static_cast<std::size_t>(image.bytesPerTile()));
    for (int twice = 0; twice < 2; ++twice)
        for (int row = 0; row < down; ++row)
            for (int column = 0; column < across; ++column)
            {
                Tile* held = image.lockTileShared(row, column);
                image.loadTile(*held, tile.data());
                image.unlockTileShared(held);
                EXPECT_EQ(tile[0], file->pixel(column * 256, row * 256));
            }
    for (int row = 0; row < down; ++row)
        for (int column = 0; column < across; ++column)
            EXPECT_EQ(file->decodesOf(row, column, 256), 1) << row << "," << column;
    EXPECT_EQ(file->passes.size(), 20u);
}

TEST_F(ImagesFromFiles, CopiesOfADelayLoadedImageShareItsTilesAndTheFileIsLetGoForAll)
{
    OMVISession& session = start();
    auto file = SyntheticFile::gray(1100, 1000);
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisationDefault));
    enlist(image);
    TiledImage copy;
    ASSERT_TRUE(copy.construct(image));
    enlist(copy);
    ASSERT_NE(copy.sourceDescriptor(), nullptr);
    EXPECT_EQ(identityOf(copy), identityOf(image));

    // The copy writes one tile: it leaves the file's pages for the copy
    // alone, and the original still decodes its own.
    copy.writeTile({1, 1}, uniformTile(copy, 0x5E).data());
    EXPECT_NE(copy.tileTable().tileAt(1, 1), image.tileTable().tileAt(1, 1));
    EXPECT_EQ(copy.tileTable().tileAt(1, 1)->pagingSystem(), &session.temporaryPagingSystem());
    TilePixels written(copy);
    EXPECT_EQ(written.at(300, 300), 0x5Eu);
    TilePixels before(image);
    EXPECT_EQ(before.at(300, 300), file->pixel(300, 300));
    const std::size_t decodedSoFar = file->passes.size();

    DelayLoadPageSystem& delayLoad = session.delayLoadPagingSystem();
    EXPECT_EQ(delayLoad.stateCount(), 1u);
    const int closesBefore = file->closes;
    session.releaseSharedSources(image);
    EXPECT_EQ(delayLoad.stateCount(), 0u) << "no tile pages from the file any more";
    EXPECT_EQ(tilesOn(image, &delayLoad), 0);
    EXPECT_EQ(tilesOn(copy, &delayLoad), 0);
    EXPECT_EQ(file->closes - closesBefore, 2) << "both images closed their descriptors";
    expectFilePixels(image, *file, 41);
    TilePixels after(copy);
    EXPECT_EQ(after.at(300, 300), 0x5Eu);
    EXPECT_EQ(after.at(0, 0), file->pixel(0, 0));
    EXPECT_EQ(file->passes.size(), decodedSoFar + 19)
        << "tiles decoded before kept their pages; the others were decoded once to move";

    // Writing a moved tile works in place, and nothing is decoded again.
    image.writeTile({0, 0}, uniformTile(image, 1).data());
    expectFilePixels(copy, *file, 997);
    EXPECT_EQ(file->passes.size(), decodedSoFar + 19);
}

TEST_F(ImagesFromFiles, FilesThatReadSubRegionsUseTheLargestTilesAndKeepNothing)
{
    OMVISession& session = start();
    auto file = SyntheticFile::gray(1500, 800);
    file->subSampling = true;
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisation128));
    EXPECT_EQ(image.tileEdge(), 1024) << "1024-pixel tiles whatever was asked";
    EXPECT_FALSE(session.delayLoadPagingSystem().canPage(image.tileTable().tileAt(0, 0)->pageSet()));
    expectFilePixels(image, *file, 101);
    expectFilePixels(image, *file, 103);
    EXPECT_EQ(file->decodesOf(0, 1, 1024), 2) << "decoded on every read";

    enlist(image);
    session.releaseSharedSources(image);
    EXPECT_EQ(session.delayLoadPagingSystem().stateCount(), 0u);
    const std::size_t passes = file->passes.size();
    expectFilePixels(image, *file, 107);
    EXPECT_EQ(file->passes.size(), passes) << "moved tiles come from the paging file";
}

TEST_F(ImagesFromFiles, TheFilesOwnTilesAreUsedWhenTheirSizeSuitsTheModel)
{
    OMVISession& session = start();
    auto file = SyntheticFile::rgb(300, 200);
    file->directTileSize = 128;
    {
        SyntheticSource source(file);
        TiledImage fromFile;
        ASSERT_TRUE(fromFile.construct(*source.descriptor, kOrganisationFromFile));
        EXPECT_EQ(identityOf(fromFile), &session.directReadPagingSystem());
        EXPECT_EQ(fromFile.tileEdge(), 128) << "the first code whose tiles match";
        EXPECT_TRUE(file->passes.empty());
        expectFilePixels(fromFile, *file, 7);
        EXPECT_EQ(file->tileReads.size(), 6u);
        ASSERT_NE(fromFile.sourceDescriptor(), nullptr);

        // A write moves that tile to the paging file; the file is never
        // written.
        fromFile.writeTile({1, 2}, uniformTile(fromFile, 0x33).data());
        EXPECT_EQ(fromFile.tileTable().tileAt(1, 2)->pagingSystem(), &session.temporaryPagingSystem());
        TilePixels pixels(fromFile);
        EXPECT_EQ(pixels.at(299, 199), 0x33333333u);
        EXPECT_EQ(pixels.at(0, 0), file->pixel(0, 0));

        enlist(fromFile);
        session.releaseSharedSources(fromFile);
        EXPECT_EQ(session.directReadPagingSystem().stateCount(), 0u);
        const std::size_t reads = file->tileReads.size();
        TilePixels moved(fromFile);
        EXPECT_EQ(moved.at(5, 5), file->pixel(5, 5));
        EXPECT_EQ(moved.at(299, 199), 0x33333333u);
        EXPECT_EQ(file->tileReads.size(), reads);
    }
    {
        SyntheticSource source(file);
        TiledImage byDefault;
        ASSERT_TRUE(byDefault.construct(*source.descriptor, kOrganisationDefault));
        EXPECT_EQ(identityOf(byDefault), &session.directReadPagingSystem()) << "RGB's default is 128";
    }
    file->directTileSize = 256;
    {
        SyntheticSource source(file);
        TiledImage notMatching;
        ASSERT_TRUE(notMatching.construct(*source.descriptor, kOrganisationDefault));
        EXPECT_EQ(identityOf(notMatching), &session.temporaryPagingSystem()) << "read through rows instead";
        expectFilePixels(notMatching, *file, 11);
    }
    session.setFlag(true);
    {
        SyntheticSource source(file);
        TiledImage flagged;
        ASSERT_TRUE(flagged.construct(*source.descriptor, kOrganisation256));
        EXPECT_EQ(identityOf(flagged), &session.temporaryPagingSystem()) << "the session's flag forbids direct tiles";
    }
}

TEST_F(ImagesFromFiles, AnOrientedFrameIsLaidInItsOrderAndKeepsItsDescriptor)
{
    OMVISession& session = start();
    session.setIntegerSetting(0);
    auto file = SyntheticFile::rgb(70, 40);
    file->orientation = codeOf(BuildOrder::ColumnsRightLeftDown);
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisation64));
    EXPECT_EQ(image.size(), (PixelPair{40, 70}));
    EXPECT_NE(image.sourceDescriptor(), nullptr);
    TilePixels pixels(image);
    for (int y = 0; y < 70; y += 3)
        for (int x = 0; x < 40; x += 3)
        {
            const PixelPosition from = providerPixel(BuildOrder::ColumnsRightLeftDown, 70, 40, x, y);
            ASSERT_EQ(pixels.at(x, y), file->pixel(from.x, from.y)) << x << "," << y;
        }

    file->orientation = 9;
    SyntheticSource odd(file);
    TiledImage refused;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { refused.construct(*odd.descriptor, 0); }), 0);
}

TEST_F(ImagesFromFiles, TheSessionsSettingsDecideWhatIsKeptAndWhatIsDelayLoaded)
{
    OMVISession& session = start();
    session.setImageSetting(2);
    session.setIntegerSetting(0);
    auto large = SyntheticFile::gray(1100, 1000);
    SyntheticSource source(large);
    {
        TiledImage whole;
        ASSERT_TRUE(whole.construct(*source.descriptor, kOrganisationDefault));
        EXPECT_EQ(identityOf(whole), &session.temporaryPagingSystem()) << "image setting 2: never delay loaded";
        EXPECT_EQ(whole.sourceDescriptor(), nullptr) << "integer setting 0 drops the descriptor";
    }
    session.setIntegerSetting(2);
    {
        TiledImage whole;
        ASSERT_TRUE(whole.construct(*source.descriptor, kOrganisationDefault));
        EXPECT_EQ(whole.sourceDescriptor(), nullptr) << "2 keeps only descriptors that read sub-regions";
    }
    large->subSampling = true;
    {
        TiledImage whole;
        ASSERT_TRUE(whole.construct(*source.descriptor, kOrganisationDefault));
        ASSERT_NE(whole.sourceDescriptor(), nullptr);
        session.setIntegerSetting(0);
        TiledImage copy;
        ASSERT_TRUE(copy.construct(whole));
        EXPECT_EQ(copy.sourceDescriptor(), nullptr) << "copies follow the same setting";
        session.setIntegerSetting(1);
        TiledImage kept;
        ASSERT_TRUE(kept.construct(whole));
        EXPECT_NE(kept.sourceDescriptor(), nullptr);
    }

    const RgbGrayModel gray;
    TiledImage unsupported;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { unsupported.construct(*source.descriptor, 0); }), 0)
        << "8-bit models take no 64-pixel tiles";

    // A descriptor over a data stream is read through its rows and not kept.
    auto streamed = std::make_unique<SyntheticDescriptorRep>();
    SyntheticCodec codec(SyntheticFile::gray(20, 20));
    streamed->construct(FileSpecifier(), codec, nullptr);
    streamed->streaming = true;
    FileReadDescriptor stream(std::move(streamed));
    session.setIntegerSetting(1);
    TiledImage fromStream;
    ASSERT_TRUE(fromStream.construct(stream, kOrganisationDefault));
    EXPECT_EQ(fromStream.sourceDescriptor(), nullptr);
    (void)gray;
}

TEST_F(ImagesFromFiles, ADescriptorThatCannotBeCopiedIsRefused)
{
    class Uncopyable : public SyntheticDescriptorRep
    {
    public:
        std::unique_ptr<FileReadDescriptorRep> newRepresentation() const override { return nullptr; }
    };
    SyntheticCodec codec(SyntheticFile::gray(20, 20));
    auto representation = std::make_unique<Uncopyable>();
    representation->construct(FileSpecifier(), codec, nullptr);
    FileReadDescriptor descriptor(std::move(representation));
    std::string message;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor copy(descriptor); }, &message), 7);
    EXPECT_EQ(message, "FileReadDescriptor::FileReadDescriptor");
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor none(nullptr); }), 7);
    EXPECT_EQ(descriptor.size(), (PixelPair{20, 20}));
    EXPECT_EQ(descriptor.accessKind(), FileReadDescriptorRep::kSequentialRows);
}

TEST_F(ImagesFromFiles, TheSessionMakesEachFilePagingSystemOnceOverItsPagingFile)
{
    OMVISession& session = start();
    DelayLoadPageSystem& delayLoad = session.delayLoadPagingSystem();
    EXPECT_EQ(&session.delayLoadPagingSystem(), &delayLoad);
    EXPECT_EQ(delayLoad.temporaryPagingSystem(), &session.temporaryPagingSystem());
    EXPECT_EQ(delayLoad.invalidHandle(), session.temporaryPagingSystem().invalidHandle());
    DirectReadPagingSystem& directRead = session.directReadPagingSystem();
    EXPECT_EQ(&session.directReadPagingSystem(), &directRead);

    // An image that is not tiled has no shared source to let go of.
    StubImage plain;
    session.releaseSharedSources(plain);

    // A tiled image of the paging file's own: letting go changes nothing.
    TiledImage blank;
    ASSERT_TRUE(blank.construct({100, 100}, RgbModel(32), ImagePixel(kPixelRgb, 7), kOrganisation64));
    enlist(blank);
    const Tile* before = blank.tileTable().tileAt(0, 0);
    const std::int64_t page = before->page();
    session.refreshSharedImages(blank);
    EXPECT_EQ(blank.tileTable().tileAt(0, 0), before);
    EXPECT_EQ(before->page(), page);
    EXPECT_EQ(session.numImages(), 1);
}

TEST_F(ImagesFromFiles, AClearedDelayLoadedImageStaysClearWhenItLetsItsFileGo)
{
    OMVISession& session = start();
    auto file = SyntheticFile::gray(1100, 1000);
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisationDefault));
    enlist(image);
    image.setClearColor(ImagePixel(kPixelGray, 0x80));
    image.clear();
    session.releaseSharedSources(image);
    EXPECT_TRUE(file->passes.empty()) << "cleared tiles are not decoded to be moved";
    EXPECT_EQ(session.delayLoadPagingSystem().stateCount(), 0u);
    TilePixels pixels(image);
    EXPECT_EQ(pixels.at(0, 0), 0x80u);
    EXPECT_EQ(pixels.at(1099, 999), 0x80u);
    image.writeTile({3, 4}, uniformTile(image, 9).data());
    TilePixels written(image);
    EXPECT_EQ(written.at(1099, 999), 9u);
}
