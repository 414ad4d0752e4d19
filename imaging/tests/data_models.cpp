#include "Thrown.h"

#include "imaging/OMVIException.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/ImagePixel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

using namespace Omvi;
using OmviTest::thrownBy;

namespace
{
std::vector<RgbColor> ramp(int count)
{
    std::vector<RgbColor> colors;
    for (int i = 0; i < count; ++i)
        colors.emplace_back(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                            static_cast<std::uint8_t>(i / 2), 255);
    return colors;
}
} // namespace

TEST(DataModel, RowBytesArePaddedToEightBytes)
{
    struct Case
    {
        std::int64_t width;
        std::int32_t type;
        std::int64_t bytes;
    };
    const Case cases[] = {
        {1, kDataTypeOneBit, 8},         {64, kDataTypeOneBit, 8},          {65, kDataTypeOneBit, 16},
        {9, kDataTypeOneBit, 8},         {1, kDataTypeEightBit, 8},         {8, kDataTypeEightBit, 8},
        {9, kDataTypeEightBit, 16},      {5000, kDataTypeEightBit, 5000},   {3, kDataTypeSixteenBit, 8},
        {5, kDataTypeSixteenBit, 16},    {1, kDataTypeThirtyTwoBit, 8},     {3, kDataTypeThirtyTwoBit, 16},
        {1, kDataTypeSixtyFourBit, 8},   {3, kDataTypeSixtyFourBit, 24},    {0, kDataTypeEightBit, 0},
        {-5, kDataTypeEightBit, 0},      {10, 5, 0},                        {10, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(rowBytes(c.width, c.type), c.bytes) << c.width << " pixels of type " << c.type;

    EXPECT_EQ(pixelBytes(9, kDataTypeOneBit), 2);
    EXPECT_EQ(pixelBytes(9, kDataTypeThirtyTwoBit), 36);
    EXPECT_EQ(pixelBytes(0, kDataTypeEightBit), 0);
    // Widths beyond the 32-bit range are computed without wrapping.
    EXPECT_EQ(rowBytes(std::int64_t{1} << 31, kDataTypeSixtyFourBit), std::int64_t{1} << 34);
}

TEST(DataModel, OrganisationsByDataType)
{
    const bool supported[5][5] = {
        {false, false, false, true, true},  // 1-bit: 3 and 4
        {false, true, true, true, true},    // 8-bit: 1 to 4
        {false, true, true, true, false},   // 16-bit: 1 to 3
        {true, true, true, true, true},     // 32-bit: 0 to 4
        {true, true, true, false, false},   // 64-bit: 0 to 2
    };
    const std::int32_t defaults[5] = {3, 2, 1, 1, 0};
    for (std::int32_t type = 0; type < 5; ++type)
    {
        const DataModel model(1, type, bitsPerPixelOf(type));
        EXPECT_EQ(model.defaultOrganisation(), defaults[type]) << type;
        EXPECT_TRUE(model.supportsOrganisation(model.defaultOrganisation())) << type;
        for (std::int32_t code = 0; code < 5; ++code)
            EXPECT_EQ(model.supportsOrganisation(code), supported[type][code]) << type << "/" << code;
        EXPECT_FALSE(model.supportsOrganisation(5));
        EXPECT_FALSE(model.supportsOrganisation(-1));
    }
    EXPECT_FALSE(DataModel(1, 7, 8).supportsOrganisation(2));
    EXPECT_EQ(tileSizeOfOrganisation(RgbGrayModel().defaultOrganisation()), 256);
    EXPECT_EQ(tileSizeOfOrganisation(0), 64);
    EXPECT_EQ(tileSizeOfOrganisation(4), 1024);
    EXPECT_EQ(tileSizeOfOrganisation(5), 0);
}

TEST(DataModel, AttributesOfTheColourModels)
{
    struct Expect
    {
        const DataModel* model;
        std::int32_t colorSpace, dataType, bitsUsed, bitsPerPixel, pixelKind;
    };
    const RgbModel rgb;
    const RgbModel rgb24(24);
    const RgbPaletteModel palette(16);
    const RgbGrayModel gray;
    const BitonalModel bitonal;
    const Expect cases[] = {
        {&rgb, 1, 3, 32, 32, kPixelRgb},         {&rgb24, 1, 3, 24, 32, kPixelRgb},
        {&palette, 2, 1, 8, 8, kPixelPalette},   {&gray, 3, 1, 8, 8, kPixelGray},
        {&bitonal, 4, 0, 1, 1, kPixelBitonal},
    };
    for (const Expect& e : cases)
    {
        EXPECT_EQ(e.model->colorSpace(), e.colorSpace);
        EXPECT_EQ(e.model->dataType(), e.dataType);
        EXPECT_EQ(e.model->bitsUsedPerPixel(), e.bitsUsed);
        EXPECT_EQ(e.model->bitsPerPixel(), e.bitsPerPixel);
        EXPECT_EQ(e.model->pixelKind(), e.pixelKind);
        EXPECT_EQ(e.model->sampleFormat(), 1);
        EXPECT_TRUE(e.model->isDataType(e.dataType));
        EXPECT_NE(ColorModelInterface::of(*e.model), nullptr);
        // A clone is of the same class and equal.
        const std::unique_ptr<DataModel> copy = e.model->clone();
        EXPECT_TRUE(*copy == *e.model);
        EXPECT_EQ(copy->pixelKind(), e.pixelKind);
    }

    // Plain models answer their data type as pixel kind and are no colour
    // models; an unknown data type stores the colour space or the data type
    // as its bits per pixel.
    const DataModel plain(0, kDataTypeSixteenBit, 12);
    EXPECT_EQ(plain.pixelKind(), kDataTypeSixteenBit);
    EXPECT_EQ(plain.colorSpace(), 0);
    EXPECT_EQ(plain.sampleFormat(), 0);
    EXPECT_EQ(ColorModelInterface::of(plain), nullptr);
    EXPECT_EQ(DataModel(2, 1, 9, 8).bitsPerPixel(), 2);
    EXPECT_EQ(DataModel(1, 9, 8).bitsPerPixel(), 9);
}

TEST(DataModel, EqualityComparesSpaceTypeAndBitsUsedButNotSampleFormat)
{
    EXPECT_TRUE(RgbModel(32) == RgbModel(32));
    EXPECT_TRUE(RgbModel(24) != RgbModel(32));
    EXPECT_TRUE(DataModel(1, 2, 16) == DataModel(3, 2, 16));
    EXPECT_TRUE(DataModel(1, 2, 16) != DataModel(1, 2, 12));
    EXPECT_TRUE(RgbGrayModel() != BitonalModel());
    EXPECT_TRUE(DataModel(3, 1, 1, 8) == RgbGrayModel());

    // Gray models equal whatever their alphas.
    RgbGrayModel translucent;
    translucent.setAlpha(7, 0);
    EXPECT_TRUE(translucent == RgbGrayModel());
    EXPECT_FALSE(translucent.isOpaque());
    EXPECT_TRUE(RgbGrayModel().isOpaque());
}

TEST(RgbPaletteModel, EqualityIgnoresAlphaButNotColoursCountOrBits)
{
    std::vector<RgbColor> colors = ramp(16);
    const RgbPaletteModel a(16, colors.data());
    colors[3] = RgbColor(colors[3].red(), colors[3].green(), colors[3].blue(), 0);
    const RgbPaletteModel alphaOnly(16, colors.data());
    EXPECT_TRUE(a == alphaOnly);
    colors[3] = RgbColor(1, 2, 3, 255);
    EXPECT_FALSE(a == RgbPaletteModel(16, colors.data()));
    EXPECT_FALSE(a == RgbPaletteModel(15, ramp(16).data()));
    EXPECT_FALSE(a == RgbPaletteModel(4, 16, ramp(16).data()));
    EXPECT_FALSE(a == RgbGrayModel());
    EXPECT_FALSE(a == DataModel(2, 1, 1, 8));
    EXPECT_TRUE(*a.clone() == a);
}

TEST(RgbPaletteModel, CountsAndBitsUsedAtConstruction)
{
    EXPECT_EQ(RgbPaletteModel(300).numEntries(), 256);
    EXPECT_EQ(RgbPaletteModel(300).bitsUsedPerPixel(), 8);
    EXPECT_EQ(RgbPaletteModel(1).numEntries(), 2);
    EXPECT_EQ(RgbPaletteModel(1).bitsUsedPerPixel(), 2);
    EXPECT_EQ(RgbPaletteModel(-4).numEntries(), 2);
    EXPECT_EQ(RgbPaletteModel(37).numEntries(), 37);
    EXPECT_EQ(RgbPaletteModel(37).entry(36), RgbColor());

    const std::vector<RgbColor> colors = ramp(256);
    const RgbPaletteModel capped(300, colors.data());
    EXPECT_EQ(capped.numEntries(), 256);
    EXPECT_EQ(capped.entry(255), colors[255]);

    // One colour: two entries, the second opaque mid gray, 2 bits used, so up
    // to four entries can be set.
    RgbPaletteModel single(1, colors.data() + 5);
    EXPECT_EQ(single.numEntries(), 2);
    EXPECT_EQ(single.entry(0), colors[5]);
    EXPECT_EQ(single.entry(1), RgbColor(0xFF808080u));
    EXPECT_EQ(single.bitsUsedPerPixel(), 2);
    single.setEntries(0, 4, colors.data());
    EXPECT_EQ(single.entry(3), colors[3]);
    EXPECT_EQ(single.numEntries(), 2);
    EXPECT_TRUE(thrownBy([&] { single.setEntries(2, 3, colors.data()); }));
}

TEST(RgbPaletteModel, SizesFromFilesAreBoundedBeforeUse)
{
    const std::vector<RgbColor> colors = ramp(256);
    // No colour at all: entry 0 is black, nothing is read from the array.
    const RgbPaletteModel none(0, nullptr);
    EXPECT_EQ(none.numEntries(), 2);
    EXPECT_EQ(none.entry(0), RgbColor());
    EXPECT_EQ(none.entry(1), RgbPaletteModel::kFillerEntry);
    const RgbPaletteModel negative(8, -3, colors.data());
    EXPECT_EQ(negative.numEntries(), 2);
    EXPECT_EQ(negative.entry(0), RgbColor());
    EXPECT_EQ(negative.bitsUsedPerPixel(), 8);

    // The count is capped by the bits used, and the bits used by the table.
    EXPECT_EQ(RgbPaletteModel(4, 200, colors.data()).numEntries(), 16);
    EXPECT_EQ(RgbPaletteModel(1, 200, colors.data()).numEntries(), 2);
    EXPECT_EQ(RgbPaletteModel(0, 200, colors.data()).numEntries(), 2);
    EXPECT_EQ(RgbPaletteModel(32, 1000, colors.data()).numEntries(), 256);
    RgbPaletteModel wide(40, 256, colors.data());
    EXPECT_EQ(wide.numEntries(), 256);
    EXPECT_EQ(wide.bitsUsedPerPixel(), 40);
    // setEntries keeps within the 256-entry table however many bits are used.
    EXPECT_TRUE(thrownBy([&] { wide.setEntries(255, 2, colors.data()); }));
    wide.setEntries(255, 1, colors.data());
    EXPECT_EQ(wide.entry(255), colors[0]);
}

TEST(RgbPaletteModel, RangeErrors)
{
    const std::vector<RgbColor> colors = ramp(16);
    RgbPaletteModel palette(4, 16, colors.data());
    std::vector<RgbColor> out(16);
    palette.getEntries(0, 16, out.data());
    EXPECT_EQ(out, colors);

    struct Case
    {
        bool set;
        std::int32_t first, count;
    };
    const Case bad[] = {{true, 15, 2},  {true, -1, 1},  {true, 0, -1},  {true, 0x7FFFFFFF, 2},
                        {false, 10, 7}, {false, -2, 1}, {false, 1, -1}, {false, 0x7FFFFFFF, 1}};
    for (const Case& c : bad)
    {
        OwnedException error = thrownBy([&] {
            if (c.set)
                palette.setEntries(c.first, c.count, colors.data());
            else
                palette.getEntries(c.first, c.count, out.data());
        });
        ASSERT_TRUE(error) << c.first << "+" << c.count;
        EXPECT_NE(dynamic_cast<RgbPaletteModelException*>(error.get()), nullptr);
        EXPECT_EQ(error->code(), 0);
        EXPECT_EQ(error->getMessage().text(), c.set ? "Attempt to set invalid palette entries"
                                                    : "Attempt to get invalid palette entries");
    }
    // Nothing changed.
    palette.getEntries(0, 16, out.data());
    EXPECT_EQ(out, colors);
}

TEST(ImagePixel, ClearZeroesTheKindsWidthOnly)
{
    struct Case
    {
        std::int32_t kind;
        std::uint64_t after;
    };
    const std::uint64_t all = 0x1122334455667788ull;
    const Case cases[] = {{0, 0x1122334455667700ull}, {1, 0x1122334455667700ull},
                          {2, 0x1122334455660000ull}, {3, 0x1122334400000000ull},
                          {4, 0},                     {5, 0x1122334455667700ull},
                          {6, 0x1122334455667700ull}, {7, 0x1122334455667700ull},
                          {8, 0x1122334400000000ull}, {9, all},
                          {-1, all}};
    for (const Case& c : cases)
    {
        ImagePixel pixel(c.kind, all);
        pixel.clear();
        EXPECT_EQ(pixel.value, c.after) << c.kind;
        EXPECT_EQ(pixel.kind, c.kind);
    }
    EXPECT_EQ(ImagePixel(kPixelRgb).value, 0u);
}

TEST(RgbColor, ByteOrder)
{
    const RgbColor c(0x11, 0x22, 0x33, 0x44);
    EXPECT_EQ(c.value, 0x44332211u);
    std::uint8_t bytes[4];
    c.write(bytes);
    EXPECT_EQ(bytes[0], 0x11);
    EXPECT_EQ(bytes[3], 0x44);
    EXPECT_EQ(RgbColor::read(bytes), c);
    std::uint8_t viaWord[4];
    const std::uint32_t word = c.rowWord();
    std::memcpy(viaWord, &word, 4);
    EXPECT_EQ(std::vector<std::uint8_t>(viaWord, viaWord + 4), std::vector<std::uint8_t>(bytes, bytes + 4));
}
