// The key-colour mapper and the promotion filter: what they do to rows and
// pixels of each model, the counts they answer, and the inputs they refuse.
#include "RowSources.h"

#include "imaging/DataBuffer.h"
#include "imaging/OMVIException.h"
#include "imaging/filters/KeyColorMapper.h"
#include "imaging/filters/PromoteDataModel.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace Omvi;
using OmviTest::MemoryRows;
using OmviTest::Row;

namespace
{
Row rgbRow(const std::vector<RgbColor>& colours)
{
    Row row(colours.size() * 4);
    for (std::size_t i = 0; i < colours.size(); ++i)
        colours[i].write(row.data() + 4 * i);
    return row;
}

// Palette of 256 entries: index i is grey i, with the alphas given (255
// elsewhere).
RgbPaletteModel paletteWithAlphas(const std::vector<std::pair<int, std::uint8_t>>& alphas)
{
    std::vector<RgbColor> colours(256);
    for (int i = 0; i < 256; ++i)
        colours[static_cast<std::size_t>(i)] =
            RgbColor(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i), 255);
    for (const auto& [index, alpha] : alphas)
        colours[static_cast<std::size_t>(index)] = RgbColor(1, 2, 3, alpha);
    return RgbPaletteModel(256, colours.data());
}

Row firstRow(RowProviderInterface& provider, std::size_t bytes)
{
    DataBuffer buffer(provider.bytesPerRow());
    provider.getNextRow(buffer);
    return Row(buffer.data(), buffer.data() + bytes);
}
} // namespace

TEST(KeyColorMapper, RgbWithoutAlphaPassesUnchanged)
{
    const Row row = rgbRow({RgbColor(1, 2, 3, 0), RgbColor(0, 1, 0, 0), RgbColor(9, 9, 9, 128)});
    KeyColorMapper mapper(new MemoryRows(RgbModel(24), 3, {row}));
    EXPECT_FALSE(mapper.isActive());
    EXPECT_EQ(firstRow(mapper, 12), row);
}

TEST(KeyColorMapper, RgbAlphaZeroBecomesTheKeyAndCollisionsMove)
{
    const Row row = rgbRow({RgbColor(1, 2, 3, 0), RgbColor(0, 1, 0, 255), RgbColor(0, 1, 0, 7),
                            RgbColor(9, 8, 7, 128), RgbColor(4, 5, 6, 255)});
    KeyColorMapper mapper(new MemoryRows(RgbModel(32), 5, {row}));
    EXPECT_TRUE(mapper.isActive());
    EXPECT_EQ(mapper.keyColour(), ImagePixel(kPixelRgb, 0x00000100));
    EXPECT_EQ(mapper.replacementColour(), ImagePixel(kPixelRgb, 0xFF000000));
    EXPECT_EQ(firstRow(mapper, 20), rgbRow({RgbColor(0, 1, 0, 0), RgbColor(0, 0, 0, 255), RgbColor(0, 0, 0, 255),
                                            RgbColor(9, 8, 7, 255), RgbColor(4, 5, 6, 255)}));

    ImagePixel transparent(kPixelRgb, 0x00FFFFFF);
    mapper.convertSourcePixel(transparent);
    EXPECT_EQ(transparent, mapper.keyColour());
    ImagePixel collision(kPixelRgb, 0xFF000100);
    mapper.convertSourcePixel(collision);
    EXPECT_EQ(collision, mapper.replacementColour());
    ImagePixel other(kPixelRgb, 0x80112233);
    mapper.convertSourcePixel(other);
    EXPECT_EQ(other.value, 0x80112233u);
}

TEST(KeyColorMapper, TransparentPaletteEntriesShareTheFirstOnesIndex)
{
    // Entries 0-9 opaque, 10 and 20 transparent, 15 half transparent.
    const RgbPaletteModel palette = paletteWithAlphas({{10, 0}, {15, 128}, {20, 0}});
    const Row row = {0, 9, 10, 15, 20, 21, 255};
    KeyColorMapper mapper(new MemoryRows(palette, 7, {row}));
    EXPECT_TRUE(mapper.isActive());
    EXPECT_EQ(mapper.keyColour(), ImagePixel(kPixelPalette, 10));
    EXPECT_EQ(mapper.replacementColour(), ImagePixel(kPixelPalette, 9));
    EXPECT_EQ(mapper.mapIndex(20), 10);
    EXPECT_EQ(mapper.mapIndex(15), 15);
    EXPECT_EQ(firstRow(mapper, 7), (Row{0, 9, 10, 15, 10, 21, 255}));

    ImagePixel index(kPixelPalette, 20);
    mapper.convertSourcePixel(index);
    EXPECT_EQ(index.value, 10u);
    ImagePixel bit(kPixelBitonal, 20); // kind 5 is left alone
    mapper.convertSourcePixel(bit);
    EXPECT_EQ(bit.value, 20u);
}

TEST(KeyColorMapper, ReplacementIsTheFirstOpaqueEntryWhenEntryZeroIsTransparent)
{
    const RgbPaletteModel palette = paletteWithAlphas({{0, 0}, {1, 100}, {2, 0}});
    KeyColorMapper mapper(new MemoryRows(palette, 1, {Row{2}}));
    EXPECT_EQ(mapper.keyColour().value, 0u);
    EXPECT_EQ(mapper.replacementColour().value, 3u);
    EXPECT_EQ(firstRow(mapper, 1), Row{0});
}

TEST(KeyColorMapper, GrayAlphasAndOtherModels)
{
    RgbGrayModel gray;
    gray.setAlpha(200, 0);
    gray.setAlpha(201, 0);
    KeyColorMapper grayMapper(new MemoryRows(gray, 4, {Row{200, 201, 202, 0}}));
    EXPECT_EQ(grayMapper.keyColour(), ImagePixel(kPixelGray, 200));
    EXPECT_EQ(grayMapper.replacementColour().value, 199u);
    EXPECT_EQ(firstRow(grayMapper, 4), (Row{200, 200, 202, 0}));

    KeyColorMapper opaqueGray(new MemoryRows(RgbGrayModel(), 2, {Row{5, 6}}));
    EXPECT_FALSE(opaqueGray.isActive());
    EXPECT_EQ(opaqueGray.replacementColour().value, 255u);

    KeyColorMapper bitonal(new MemoryRows(BitonalModel(), 8, {Row{0xA5}}));
    EXPECT_FALSE(bitonal.isActive());
    EXPECT_EQ(firstRow(bitonal, 1), Row{0xA5});
}

TEST(KeyColorMapper, AnswersTheRowsStillToCome)
{
    auto deleted = std::make_shared<bool>(false);
    auto* rows = new MemoryRows(RgbModel(32), 1, {rgbRow({RgbColor(1, 1, 1, 0)}), rgbRow({RgbColor(2, 2, 2, 2)}),
                                                  rgbRow({RgbColor(3, 3, 3, 3)})});
    rows->watchDeletion(deleted);
    {
        KeyColorMapper mapper(rows);
        DataBuffer buffer(mapper.bytesPerRow());
        EXPECT_EQ(mapper.rowsRemaining(), 3);
        EXPECT_EQ(mapper.getNextRow(buffer), 2);
        EXPECT_EQ(mapper.getNextRow(buffer), 1);
        EXPECT_EQ(mapper.getNextRow(buffer), 0);
        std::fill(buffer.data(), buffer.data() + buffer.size(), 0x77);
        EXPECT_EQ(mapper.getNextRow(buffer), 0);
        EXPECT_EQ(buffer.data()[0], 0x77);
        EXPECT_EQ(rows->pulls, 3);

        DataBuffer tooShort(2);
        KeyColorMapper fresh(new MemoryRows(RgbModel(32), 1, {rgbRow({RgbColor(1, 1, 1, 0)})}));
        try
        {
            fresh.getNextRow(tooShort);
            ADD_FAILURE() << "a short buffer was accepted";
        }
        catch (OMVIException* error)
        {
            EXPECT_EQ(OwnedException(error)->code(), ImageFilterException::kRowBufferTooSmall);
        }
    }
    EXPECT_TRUE(*deleted); // the mapper owned its input
}

TEST(KeyColorMapper, RefusesANullInput)
{
    try
    {
        KeyColorMapper mapper(nullptr);
        ADD_FAILURE() << "no input was accepted";
    }
    catch (OMVIException* error)
    {
        EXPECT_EQ(OwnedException(error)->code(), ImageFilterException::kNoValidInputs);
    }
}

TEST(PromoteDataModel, WidensGrayPaletteAndBitonalRows)
{
    {
        OmviFilters::PromoteDataModel promote(new MemoryRows(RgbGrayModel(), 3, {Row{0, 128, 255}}), RgbModel(24));
        ASSERT_TRUE(promote.isValid());
        EXPECT_EQ(promote.dataModel().colorSpace(), kColorSpaceRgb);
        EXPECT_EQ(promote.dataModel().bitsUsedPerPixel(), 24);
        EXPECT_EQ(promote.rowsRemaining(), 1);
        EXPECT_EQ(firstRow(promote, 12), (Row{0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255}));
        EXPECT_EQ(promote.rowsRemaining(), 0);
    }
    {
        const RgbColor colours[] = {RgbColor(10, 20, 30, 255), RgbColor(40, 50, 60, 255)};
        OmviFilters::PromoteDataModel promote(new MemoryRows(RgbPaletteModel(2, colours), 2, {Row{1, 0}}),
                                              RgbModel(24));
        ASSERT_TRUE(promote.isValid());
        EXPECT_EQ(firstRow(promote, 8), (Row{40, 50, 60, 255, 10, 20, 30, 255}));
    }
    {
        // Ink (1) is black, paper (0) white.
        OmviFilters::PromoteDataModel promote(new MemoryRows(BitonalModel(), 2, {Row{0x80}}), RgbGrayModel());
        ASSERT_TRUE(promote.isValid());
        EXPECT_EQ(promote.dataModel().colorSpace(), kColorSpaceGray);
        EXPECT_EQ(firstRow(promote, 2), (Row{0, 255}));
    }
}

TEST(PromoteDataModel, TheSameModelPassesUnconverted)
{
    const Row row = rgbRow({RgbColor(1, 2, 3, 4)});
    OmviFilters::PromoteDataModel promote(new MemoryRows(RgbModel(24), 1, {row}), RgbModel(24));
    ASSERT_TRUE(promote.isValid());
    EXPECT_EQ(firstRow(promote, 4), row);
}

// Unconverted rows of another model would be labelled with the target's and
// read wrongly downstream: such a filter is invalid and delivers nothing.
TEST(PromoteDataModel, AnythingElseIsInvalidAndDeliversNothing)
{
    auto deleted = std::make_shared<bool>(false);
    auto* rgb = new MemoryRows(RgbModel(32), 1, {rgbRow({RgbColor(1, 2, 3, 4)})});
    rgb->watchDeletion(deleted);
    {
        OmviFilters::PromoteDataModel demote(rgb, RgbGrayModel());
        EXPECT_FALSE(demote.isValid());
        EXPECT_EQ(demote.rowsRemaining(), 0);
        DataBuffer buffer(8);
        std::fill(buffer.data(), buffer.data() + 8, 0x55);
        EXPECT_EQ(demote.getNextRow(buffer), 0);
        EXPECT_EQ(buffer.data()[0], 0x55);
        EXPECT_EQ(rgb->pulls, 0);
    }
    EXPECT_TRUE(*deleted);

    OmviFilters::PromoteDataModel widerRgb(new MemoryRows(RgbModel(32), 1, {rgbRow({RgbColor()})}), RgbModel(24));
    EXPECT_FALSE(widerRgb.isValid());
    OmviFilters::PromoteDataModel grayToBits(new MemoryRows(RgbGrayModel(), 1, {Row{0}}), BitonalModel());
    EXPECT_FALSE(grayToBits.isValid());
    OmviFilters::PromoteDataModel nothing(nullptr, RgbModel(24));
    EXPECT_FALSE(nothing.isValid());
    DataBuffer buffer(8);
    EXPECT_EQ(nothing.getNextRow(buffer), 0);
}
