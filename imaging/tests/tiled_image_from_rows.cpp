// Tiled images built from the rows of a provider, in every build order and
// data type, with edge tiles that are only partly inside the image.
#include "RowSources.h"
#include "TiledImageFixtures.h"

#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{
class ImagesFromRows : public TiledImageTest
{
};

// Provider pixel (x, y) of a `dataType` provider.
std::uint64_t sourcePixel(std::int32_t dataType, int x, int y)
{
    const std::uint64_t mixed = std::uint64_t(x) * 73 + std::uint64_t(y) * 1009 + std::uint64_t(x ^ y);
    switch (dataType)
    {
    case kDataTypeOneBit:
        return (x * 5 + y * 3) % 7 < 3 ? 1 : 0;
    case kDataTypeEightBit:
        return mixed & 0xFF;
    case kDataTypeSixteenBit:
        return mixed & 0xFFFF;
    case kDataTypeThirtyTwoBit:
        return (mixed * 2654435761u) & 0xFFFFFFFFu;
    default:
        return mixed * 0x9E3779B97F4A7C15ull;
    }
}

std::unique_ptr<RowProviderInterface> rowsOf(const DataModel& model, int width, int height)
{
    const std::int32_t dataType = model.dataType();
    return std::make_unique<GeneratedRows>(model, width, height, [=](std::int32_t y, std::uint8_t* row) {
        if (dataType == kDataTypeOneBit)
        {
            std::memset(row, 0, static_cast<std::size_t>((width + 7) / 8));
            for (int x = 0; x < width; ++x)
                if (sourcePixel(dataType, x, y))
                    row[x / 8] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            return;
        }
        const int bytes = bitsPerPixelOf(dataType) / 8;
        for (int x = 0; x < width; ++x)
        {
            const std::uint64_t value = sourcePixel(dataType, x, y);
            std::memcpy(row + std::size_t(x) * bytes, &value, static_cast<std::size_t>(bytes));
        }
    });
}
} // namespace

TEST_F(ImagesFromRows, EveryBuildOrderLaysTheRowsWhereItsTableSays)
{
    start();
    const RgbModel rgb(32);
    const int width = 67;
    const int height = 45;
    for (std::int32_t code = 0; code < 8; ++code)
    {
        const BuildOrder order = *buildOrderFromCode(code);
        std::unique_ptr<RowProviderInterface> rows = rowsOf(rgb, width, height);
        TiledImage image;
        ASSERT_TRUE(image.construct(rows, order, kOrganisation64)) << code;
        EXPECT_EQ(rows, nullptr) << "the image took the provider over";
        const PixelPosition built = builtSize(order, width, height);
        ASSERT_EQ(image.size(), (PixelPair{built.x, built.y})) << code;
        EXPECT_FALSE(image.isModified()) << "building is not a modification";
        EXPECT_EQ(image.clearColor(), ImagePixel(kPixelRgb, 0));
        TilePixels pixels(image);
        for (int y = 0; y < built.y; ++y)
            for (int x = 0; x < built.x; ++x)
            {
                const PixelPosition from = providerPixel(order, width, height, x, y);
                ASSERT_EQ(pixels.at(x, y), sourcePixel(kDataTypeThirtyTwoBit, from.x, from.y))
                    << "order " << code << " at " << x << "," << y;
            }
        EXPECT_EQ(pixels.at(built.x, 0), 0u) << "the carried pixels beyond the image are 0";
    }
}

TEST_F(ImagesFromRows, EveryDataTypeSurvivesTheTilesIncludingOddBitOffsets)
{
    start();
    const BitonalModel bitonal;
    const RgbGrayModel gray;
    const DataModel sixteen(0, kDataTypeSixteenBit, 16);
    const DataModel sixtyFour(0, kDataTypeSixtyFourBit, 64);
    const DataModel* models[] = {&bitonal, &gray, &sixteen, &sixtyFour};
    for (const DataModel* model : models)
        for (BuildOrder order : {BuildOrder::RowsTopDownMirrored, BuildOrder::ColumnsRightLeftUp})
        {
            // Sizes cross the smallest tile edge each model takes.
            const int width = 600;
            const int height = 131;
            std::unique_ptr<RowProviderInterface> rows = rowsOf(*model, width, height);
            TiledImage image;
            ASSERT_TRUE(image.construct(rows, order, kOrganisationDefault));
            const PixelPosition built = builtSize(order, width, height);
            TilePixels pixels(image);
            for (int y = 0; y < built.y; y += 3)
                for (int x = 0; x < built.x; x += 5)
                {
                    const PixelPosition from = providerPixel(order, width, height, x, y);
                    ASSERT_EQ(pixels.at(x, y), sourcePixel(model->dataType(), from.x, from.y))
                        << "type " << model->dataType() << " order " << codeOf(order) << " at " << x << "," << y;
                }
        }
}

TEST_F(ImagesFromRows, AProviderIsTheCallersUntilItsRowsArePulled)
{
    start();
    const RgbGrayModel gray;
    auto flag = std::make_shared<bool>(false);
    auto memory = std::make_unique<MemoryRows>(gray, 10, 10, 16);
    memory->watchDeletion(flag);
    std::unique_ptr<RowProviderInterface> rows = std::move(memory);
    TiledImage image;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { image.construct(rows, BuildOrder::RowsTopDown, 0); }), 0)
        << "8-bit images take no 64-pixel tiles";
    EXPECT_NE(rows, nullptr);
    EXPECT_FALSE(*flag);

    auto empty = std::make_unique<MemoryRows>(gray, 0, 10, 16);
    std::unique_ptr<RowProviderInterface> none = std::move(empty);
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { image.construct(none, BuildOrder::RowsTopDown, kOrganisationDefault); }),
              2);
    std::unique_ptr<RowProviderInterface> null;
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { image.construct(null, BuildOrder::RowsTopDown, kOrganisationDefault); }),
              2);

    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisationDefault));
    EXPECT_TRUE(*flag) << "the provider went once its rows were pulled";
}

TEST_F(ImagesFromRows, AProviderThatEndsEarlyLeavesTheRestClear)
{
    // Claims ten rows of ten gray pixels, has three.
    class ShortRows : public MemoryRows
    {
    public:
        explicit ShortRows(const DataModel& model) : MemoryRows(model, 10, 10, 16) {}
        std::int32_t getNextRow(DataBuffer& row) override
        {
            MemoryRows::getNextRow(row);
            ++given_;
            return rowsRemaining();
        }
        std::int32_t rowsRemaining() const override { return given_ < 3 ? 10 - given_ : 0; }

    private:
        int given_ = 0;
    };
    start();
    const RgbGrayModel gray;
    std::unique_ptr<RowProviderInterface> rows = std::make_unique<ShortRows>(gray);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisationDefault));
    TilePixels pixels(image);
    EXPECT_EQ(pixels.at(9, 2), 0xA5u);
    EXPECT_EQ(pixels.at(9, 3), 0u) << "rows never delivered stay clear";
}
