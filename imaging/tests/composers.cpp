// Row composers: regions of tiled and static images read in the eight
// orientations, under the default budget and under a budget of two units
// (which makes every row of a band of two tiles come from one-tile reads).
#include "PixelGrids.h"
#include "StubImages.h"
#include "SyntheticImageFile.h"
#include "TiledImageFixtures.h"

#include "imaging/composers/RowComposerFactory.h"
#include "imaging/composers/TiledRowComposers.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/RowComposer.h"
#include "imaging/platform/WindowsJobManager.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{
class Composers : public TiledImageTest
{
protected:
    WindowsJobManager& manager()
    {
        return dynamic_cast<WindowsJobManager&>(OMVISession::get()->jobManager());
    }
};

// A model of each data type, with the smallest tiles it takes and a size
// whose edge tiles are only partly inside the image.
struct Case
{
    std::unique_ptr<DataModel> model;
    std::int32_t organisation;
    int width;
    int height;
};

std::vector<Case> everyDataType()
{
    std::vector<Case> cases;
    cases.push_back({std::make_unique<RgbModel>(32), kOrganisation64, 67, 45});
    cases.push_back({std::make_unique<DataModel>(0, kDataTypeSixtyFourBit, 64), kOrganisation64, 67, 45});
    cases.push_back({std::make_unique<RgbGrayModel>(), kOrganisation128, 131, 77});
    cases.push_back({std::make_unique<DataModel>(0, kDataTypeSixteenBit, 16), kOrganisation128, 131, 77});
    cases.push_back({std::make_unique<BitonalModel>(), kOrganisation512, 515, 45});
    return cases;
}

// The image built in `order` from the pattern rows, as a grid.
Grid builtGrid(std::int32_t dataType, BuildOrder order, int width, int height)
{
    const PixelPosition built = builtSize(order, width, height);
    return gridOf(built.x, built.y, [&](int x, int y) {
        const PixelPosition from = providerPixel(order, width, height, x, y);
        return patternPixel(dataType, from.x, from.y);
    });
}

std::string describe(std::int32_t dataType, std::int32_t build, std::int32_t read)
{
    return "data type " + std::to_string(dataType) + ", built in order " + std::to_string(build) +
           ", read in orientation " + std::to_string(read);
}
} // namespace

TEST_F(Composers, EveryBuildOrderReadsBackInEveryOrientationOfEveryDataTypeAlsoOnTwoUnits)
{
    OMVISession& session = start();
    for (const bool twoUnits : {false, true})
    {
        // 32 KB: two blocks of 16 KB, which hold two tiles of 64 × 64 RGB
        // pixels, one of the bigger tiles, or (for a second job) none.
        ASSERT_TRUE(session.setMemoryLimit(twoUnits ? 32 : 0));
        if (twoUnits)
        {
            ASSERT_EQ(manager().budgetBlocks(), 2);
        }
        for (const Case& c : everyDataType())
        {
            const std::int32_t dataType = c.model->dataType();
            for (std::int32_t build = 0; build < 8; ++build)
            {
                const BuildOrder order = *buildOrderFromCode(build);
                std::unique_ptr<RowProviderInterface> rows = patternRows(*c.model, c.width, c.height);
                TiledImage image;
                ASSERT_TRUE(image.construct(rows, order, c.organisation));
                const Grid stored = builtGrid(dataType, order, c.width, c.height);
                for (std::int32_t read = 0; read < 8; ++read)
                {
                    const Orientation orientation = *orientationFromCode(read);
                    std::unique_ptr<RowProviderInterface> composer = image.read(image.size(), {0, 0}, orientation);
                    ASSERT_NE(composer, nullptr);
                    const PixelPosition expectedSize = orientedSize(orientation, image.size().x, image.size().y);
                    ASSERT_EQ(composer->size(), (PixelPair{expectedSize.x, expectedSize.y}));
                    ASSERT_GRID_EQ(pullGrid(*composer), viewOf(stored, orientation))
                        << describe(dataType, build, read) << (twoUnits ? " on two units" : "");
                    EXPECT_EQ(composer->rowsRemaining(), 0);
                    EXPECT_EQ(manager().jobCount(), 0) << "the memory went back after the last row";
                }
            }
        }
    }
}

TEST_F(Composers, OnTwoUnitsABandOfTwoTilesIsReadOneTileAtATime)
{
    OMVISession& session = start();
    ASSERT_TRUE(session.setMemoryLimit(32));
    const RgbModel rgb(32);
    std::unique_ptr<RowProviderInterface> rows = patternRows(rgb, 67, 45);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisation64));

    std::unique_ptr<RowProviderInterface> first = image.read({67, 45}, {0, 0});
    DataBuffer row(first->bytesPerRow());
    first->getNextRow(row);
    auto& job = dynamic_cast<Job&>(*first);
    std::int32_t bands = 0;
    std::int32_t wanted = 0;
    job.extent(bands, wanted);
    EXPECT_EQ(wanted, 2);
    EXPECT_EQ(bands, 1);
    EXPECT_EQ(job.grant().units, 1) << "half of what it wants: the low-memory path";

    // A second reader at the same time is granted one unit over the budget
    // rather than made to wait.
    std::unique_ptr<RowProviderInterface> second = image.read({67, 45}, {0, 0}, Orientation::Transpose);
    const Grid transposed = pullGrid(*second);
    EXPECT_GRID_EQ(transposed, viewOf(builtGrid(kDataTypeThirtyTwoBit, BuildOrder::RowsTopDown, 67, 45),
                                 Orientation::Transpose));
    EXPECT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, 66), patternPixel(kDataTypeThirtyTwoBit, 66, 0));
}

TEST_F(Composers, ABandOfThreeTilesOnOneUnitGivesTheSameRows)
{
    OMVISession& session = start();
    ASSERT_TRUE(session.setMemoryLimit(24));
    // Tiles of 256 × 256 RGB pixels (256 KB) are bigger than the budget:
    // the job gets one unit over it.
    const RgbModel rgb(32);
    for (const bool tall : {false, true})
    {
        const int width = tall ? 20 : 600;
        const int height = tall ? 600 : 20;
        std::unique_ptr<RowProviderInterface> rows = patternRows(rgb, width, height);
        TiledImage image;
        ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisation256));
        const Grid stored = builtGrid(kDataTypeThirtyTwoBit, BuildOrder::RowsTopDown, width, height);
        for (const Orientation orientation : {Orientation::Identity, Orientation::Transpose, Orientation::HalfTurn,
                                              Orientation::QuarterTurnLeft})
        {
            std::unique_ptr<RowProviderInterface> composer = image.read(image.size(), {0, 0}, orientation);
            EXPECT_GRID_EQ(pullGrid(*composer), viewOf(stored, orientation)) << codeOf(orientation);
        }
        std::unique_ptr<RowProviderInterface> across =
            image.read(image.size(), {0, 0}, tall ? Orientation::Transpose : Orientation::Identity);
        DataBuffer row(across->bytesPerRow());
        across->getNextRow(row);
        auto& job = dynamic_cast<Job&>(*across);
        std::int32_t bands = 0;
        std::int32_t wanted = 0;
        job.extent(bands, wanted);
        EXPECT_EQ(wanted, 3);
        EXPECT_EQ(job.grant().units, 1);
    }
}

TEST_F(Composers, RegionsInsideOneTileOnTileEdgesAndAcrossTilesInEveryOrientation)
{
    start();
    const RgbModel rgb(32);
    std::unique_ptr<RowProviderInterface> rows = patternRows(rgb, 200, 150);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisation64));
    const Grid stored = builtGrid(kDataTypeThirtyTwoBit, BuildOrder::RowsTopDown, 200, 150);
    struct Region
    {
        int x, y, width, height;
    };
    const Region regions[] = {
        {3, 5, 61, 38},    // inside one tile: one stitch per row
        {64, 0, 64, 64},   // exactly one tile, its last pixel on the edge
        {10, 20, 118, 44}, // ends on a tile edge (x 127): a full last tile
        {5, 7, 190, 140},  // three tiles across, three down, partial at both ends
        {199, 149, 1, 1},  // the far corner
    };
    for (const Region& r : regions)
        for (std::int32_t code = 0; code < 8; ++code)
        {
            const Orientation orientation = *orientationFromCode(code);
            std::unique_ptr<RowProviderInterface> composer =
                image.read({r.width, r.height}, {r.x, r.y}, orientation);
            EXPECT_GRID_EQ(pullGrid(*composer), viewOf(regionOf(stored, r.x, r.y, r.width, r.height), orientation))
                << "region " << r.x << "," << r.y << " " << r.width << "x" << r.height << " orientation " << code;
        }
}

TEST_F(Composers, RegionsOutsideTheImageAreRefusedWithTheImagesText)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({100, 50}, RgbModel(32), ImagePixel(kPixelRgb, 0), kOrganisation64));
    const struct
    {
        PixelPair size;
        PixelPair origin;
    } refused[] = {{{101, 1}, {0, 0}},  {{1, 1}, {-1, 0}},         {{2, 1}, {99, 0}},
                   {{0, 5}, {0, 0}},    {{1, INT32_MAX}, {0, 1}},  {{-5, 5}, {10, 10}}};
    for (const auto& r : refused)
    {
        std::string message;
        EXPECT_EQ(thrownCode<ImageException>([&] { image.read(r.size, r.origin, Orientation::Transpose); }, &message),
                  0);
        EXPECT_EQ(message, "Image::read: Region Out Of Bounds");
    }
    EXPECT_NE(image.read({100, 50}, {0, 0}), nullptr);

    TiledImage bare;
    EXPECT_EQ(thrownCode<ImageException>([&] { bare.read({1, 1}, {0, 0}); }), 0);
}

TEST_F(Composers, NothingAfterTheLastRowAndTooShortBuffersRefused)
{
    start();
    const RgbGrayModel gray;
    std::unique_ptr<RowProviderInterface> rows = patternRows(gray, 130, 3);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisationDefault));
    for (const Orientation orientation : {Orientation::Identity, Orientation::QuarterTurnRight})
    {
        std::unique_ptr<RowProviderInterface> composer = image.read({130, 3}, {0, 0}, orientation);
        DataBuffer shortRow(composer->bytesPerRow() - 8);
        EXPECT_EQ(thrownCode<ImageFilterException>([&] { composer->getNextRow(shortRow); }),
                  ImageFilterException::kRowBufferTooSmall);
        DataBuffer row(composer->bytesPerRow());
        const std::int32_t count = composer->size().y;
        for (std::int32_t k = count - 1; k >= 0; --k)
            EXPECT_EQ(composer->getNextRow(row), k);
        std::memset(row.data(), 0x5A, static_cast<std::size_t>(row.size()));
        EXPECT_EQ(composer->getNextRow(row), 0);
        EXPECT_EQ(row.data()[0], 0x5A) << "nothing is written after the last row";
        dynamic_cast<RowComposer&>(*composer).skipRow();
        EXPECT_EQ(composer->rowsRemaining(), 0);
        EXPECT_TRUE(composer->isValid());
        EXPECT_EQ(composer->dataModel(), gray);
    }
}

TEST_F(Composers, SkippedRowsAreLeftOutInEveryOrientationAlsoFromTheColumnStrip)
{
    OMVISession& session = start();
    const RgbModel rgb(32);
    std::unique_ptr<RowProviderInterface> rows = patternRows(rgb, 67, 45);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisation64));
    const Grid stored = builtGrid(kDataTypeThirtyTwoBit, BuildOrder::RowsTopDown, 67, 45);
    for (const bool twoUnits : {false, true})
    {
        ASSERT_TRUE(session.setMemoryLimit(twoUnits ? 32 : 0));
        for (std::int32_t code = 0; code < 8; ++code)
            for (const int pattern : {2, 3})
            {
                // Rows whose index is a multiple of `pattern` are skipped.
                const Orientation orientation = *orientationFromCode(code);
                std::unique_ptr<RowProviderInterface> composer = image.read({67, 45}, {0, 0}, orientation);
                auto& skipper = dynamic_cast<RowComposer&>(*composer);
                const Grid view = viewOf(stored, orientation);
                DataBuffer row(composer->bytesPerRow());
                for (int y = 0; y < composer->size().y; ++y)
                {
                    if (y % pattern == 0)
                    {
                        skipper.skipRow();
                        continue;
                    }
                    composer->getNextRow(row);
                    for (int x = 0; x < composer->size().x; ++x)
                        ASSERT_EQ(pixelIn(row.data(), kDataTypeThirtyTwoBit, x), view[std::size_t(y)][std::size_t(x)])
                            << "orientation " << code << " row " << y;
                }
                EXPECT_EQ(composer->rowsRemaining(), 0);
            }
    }
}

TEST_F(Composers, TheFactoryPicksTheComposerTheJobAndTheDirectionOfEachOrientation)
{
    start();
    TiledImage image;
    ASSERT_TRUE(image.construct({300, 200}, RgbModel(32), ImagePixel(kPixelRgb, 0), kOrganisation64));
    struct Expected
    {
        const char* kind;
        std::int32_t direction;
        bool backwards;
    };
    const Expected expected[] = {{"lr", 2, false}, {"rl", 2, true}, {"lr", 3, false}, {"rl", 3, true},
                                 {"td", 0, false}, {"td", 1, false}, {"bu", 0, true}, {"bu", 1, true}};
    for (std::int32_t code = 0; code < 8; ++code)
    {
        std::unique_ptr<RowProviderInterface> composer =
            createRowComposer(image, {130, 70}, {60, 10}, *orientationFromCode(code));
        auto* base = dynamic_cast<TiledRowComposerBase*>(composer.get());
        ASSERT_NE(base, nullptr);
        const std::string kind = dynamic_cast<TiledRowComposerLeftRight*>(base)   ? "lr"
                                 : dynamic_cast<TiledRowComposerRightLeft*>(base) ? "rl"
                                 : dynamic_cast<TiledRowComposerTopDown*>(base)   ? "td"
                                                                                  : "bu";
        EXPECT_EQ(kind, expected[code].kind) << code;
        EXPECT_EQ(base->direction(), expected[code].direction) << code;
        EXPECT_EQ(base->walksBackwards(), expected[code].backwards) << code;
        EXPECT_EQ(base->bytesPerUnit(), 64 * 64 * 4);
        std::int32_t other = 0;
        std::int32_t wanted = 0;
        base->extent(other, wanted);
        // x 60-189 spans tile columns 0-2; y 10-79 tile rows 0-1.
        const bool columns = code < 4;
        EXPECT_EQ(wanted, columns ? 2 : 3) << code;
        EXPECT_EQ(other, columns ? 3 : 2) << code;
        std::int32_t position = 0;
        std::int32_t rows = 0;
        base->progress(position, rows);
        const std::int32_t start = columns ? (expected[code].backwards ? 189 : 60) : (expected[code].backwards ? 79 : 10);
        EXPECT_EQ(position, start) << code;
        EXPECT_EQ(rows, 0);
    }
    StubImage other;
    EXPECT_EQ(createRowComposer(other, {1, 1}, {0, 0}, Orientation::Identity), nullptr)
        << "an image that is neither tiled nor over memory has no composer";
}

TEST_F(Composers, AStaticImageIsReadInPlaceInEveryOrientation)
{
    start();
    for (const Case& c : everyDataType())
    {
        const std::int32_t dataType = c.model->dataType();
        const int width = c.width;
        const int height = c.height;
        // Lines a little longer than the pixels need, as a caller's buffer
        // may have.
        const auto lineBytes = static_cast<std::int32_t>(rowBytes(width, dataType) + 8);
        std::vector<std::uint8_t> memory(std::size_t(lineBytes) * std::size_t(height), 0);
        const Grid stored = gridOf(width, height, [&](int x, int y) { return patternPixel(dataType, x, y); });
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                setPixelIn(memory.data() + std::size_t(y) * std::size_t(lineBytes), dataType, x,
                           stored[std::size_t(y)][std::size_t(x)]);
        StubImage image(StaticPixelView{memory.data(), lineBytes, {width, height}}, *c.model);
        for (std::int32_t code = 0; code < 8; ++code)
        {
            const Orientation orientation = *orientationFromCode(code);
            std::unique_ptr<RowProviderInterface> composer =
                createRowComposer(image, {width - 4, height - 3}, {3, 2}, orientation);
            ASSERT_NE(composer, nullptr);
            EXPECT_GRID_EQ(pullGrid(*composer), viewOf(regionOf(stored, 3, 2, width - 4, height - 3), orientation))
                << "data type " << dataType << " orientation " << code;
            DataBuffer row(composer->bytesPerRow());
            EXPECT_EQ(composer->getNextRow(row), 0);
        }
        // Orientation 7: the region's last line first, mirrored.
        std::unique_ptr<RowProviderInterface> halfTurn =
            createRowComposer(image, {width, height}, {0, 0}, Orientation::HalfTurn);
        DataBuffer row(halfTurn->bytesPerRow());
        halfTurn->getNextRow(row);
        EXPECT_EQ(pixelIn(row.data(), dataType, 0), stored[std::size_t(height - 1)][std::size_t(width - 1)]);
        EXPECT_EQ(thrownCode<ImageException>(
                      [&] { createRowComposer(image, {width, height}, {1, 0}, Orientation::Identity); }),
                  0);
    }
}

TEST_F(Composers, AnUnchangedImageReadsItsRegionsStraightFromAFileThatOffersThem)
{
    start();
    auto file = SyntheticFile::rgb(300, 200);
    file->subSampling = true;
    SyntheticSource source(file);
    TiledImage image;
    ASSERT_TRUE(image.construct(*source.descriptor, kOrganisationDefault));
    ASSERT_NE(image.sourceDescriptor(), nullptr);
    const Grid pixels = gridOf(300, 200, [&](int x, int y) { return file->pixel(x, y); });

    std::unique_ptr<RowProviderInterface> straight = image.read({50, 40}, {10, 20});
    EXPECT_EQ(dynamic_cast<RowComposer*>(straight.get()), nullptr) << "the file's own rows";
    ASSERT_EQ(file->subRegionReads.size(), 1u);
    EXPECT_EQ(file->subRegionReads[0], (std::array<int, 4>{10, 20, 50, 40}));
    EXPECT_GRID_EQ(pullGrid(*straight), regionOf(pixels, 10, 20, 50, 40));

    // Another orientation comes from the tiles.
    std::unique_ptr<RowProviderInterface> turned = image.read({50, 40}, {10, 20}, Orientation::Transverse);
    EXPECT_NE(dynamic_cast<RowComposer*>(turned.get()), nullptr);
    EXPECT_GRID_EQ(pullGrid(*turned), viewOf(regionOf(pixels, 10, 20, 50, 40), Orientation::Transverse));

    // Once written, the image no longer shows the file.
    std::unique_ptr<RowProviderInterface> patch = patternRows(RgbModel(32), 5, 5);
    image.paste(patch, {0, 0}, false);
    std::unique_ptr<RowProviderInterface> afterwards = image.read({50, 40}, {0, 0});
    EXPECT_NE(dynamic_cast<RowComposer*>(afterwards.get()), nullptr);
    EXPECT_EQ(file->subRegionReads.size(), 1u);
    const Grid back = pullGrid(*afterwards);
    EXPECT_EQ(back[4][4], patternPixel(kDataTypeThirtyTwoBit, 4, 4));
    EXPECT_EQ(back[5][5], file->pixel(5, 5));
}
