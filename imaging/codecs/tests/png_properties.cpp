// PNG chunks as properties: what a reader frame reports for each ancillary
// chunk, what a writer frame offers and takes, and the chunks it writes
// (values in the image's bit depth, a histogram only when it fits the
// palette, densities per metre and within the chunk's range).
#include "PngTestSupport.h"

#include "imaging/codecs/png/PngChunks.h"
#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/png/PngProperties.h"
#include "imaging/codecs/png/PngStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <typeinfo>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

StringBuffer text(const char* value)
{
    return AsciiStringBuffer(value);
}

StringBuffer nameOf(std::int32_t id)
{
    StringBuffer name;
    loadCodecString(id, name);
    return name;
}

// A reader frame over a file made by libpng with the given chunks.
struct FrameOver
{
    explicit FrameOver(const Bytes& file) : stream(file)
    {
        reader.reset(codec.openStreamForRead(&stream));
        if (reader)
            frame.reset(reader->openFrame(0));
    }
    PngFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<ReadImageFileInterface> reader;
    std::unique_ptr<ReadImageFileFrameInterface> frame;
};

PngSpec plain(int colorType, int bitDepth)
{
    PngSpec s;
    s.width = 2;
    s.height = 2;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.samples.assign(16, 1);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (int i = 0; i < (1 << bitDepth); ++i)
            s.palette.push_back({static_cast<png_byte>(i), 0, 0});
    return s;
}

template <typename T>
const T* findOf(const FormatCodecPropertySetIterator& set)
{
    for (std::int32_t i = 0; i < set.count(); ++i)
        if (const auto* found = dynamic_cast<const T*>(set.at(i)))
            return found;
    return nullptr;
}

// Writes a 4 x 2 frame of the kind with the properties; the file's chunks.
std::vector<Chunk> writtenChunks(int kind, int bitsUsed, const std::vector<const FormatCodecPropertyInterface*>& properties,
                                 int paletteEntries = 4, bool* accepted = nullptr)
{
    PngFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(2, 4);
    frame->setThirdValue(kind == kColorSpaceRgb ? 32 : kind == kColorSpaceBitonal ? 1 : 8);
    frame->setBitsPerPixel(bitsUsed);
    frame->setDataModelKind(kind);
    if (kind == kColorSpacePalette)
    {
        Bytes palette(static_cast<std::size_t>(paletteEntries) * 3, 7);
        frame->setPaletteCount(paletteEntries);
        frame->setPalette(palette.data());
    }
    bool all = true;
    for (const FormatCodecPropertyInterface* property : properties)
        all = frame->setProperty(property) && all;
    if (accepted)
        *accepted = all;
    const int rowBytes = kind == kColorSpaceRgb ? 16 : kind == kColorSpaceBitonal ? 1 : 4;
    MemoryRowIterator rows(4, 2, rowBytes, Bytes(static_cast<std::size_t>(rowBytes) * 2, 0));
    writer->writeFrame(frame.get(), &rows);
    return chunksOf(stream.bytes());
}

} // namespace

TEST(PngProperties, ReaderReportsEveryChunkInOrder)
{
    PngSpec s = plain(PNG_COLOR_TYPE_GRAY, 8);
    s.chunks = [](png_structp png, png_infop info) {
        png_color_16 key{};
        key.gray = 200;
        png_set_tRNS(png, info, nullptr, 1, &key);
        png_set_gAMA(png, info, 0.45455);
        png_set_pHYs(png, info, 3780, 3780, PNG_RESOLUTION_METER);
        png_color_16 background{};
        background.gray = 77;
        png_set_bKGD(png, info, &background);
        png_set_sRGB(png, info, 2);
        png_set_sCAL(png, info, PNG_SCALE_METER, 0.25, 0.5);
        png_set_oFFs(png, info, 120, 340, PNG_OFFSET_MICROMETER);
        png_color_8 significant{};
        significant.gray = 5;
        png_set_sBIT(png, info, &significant);
        png_text texts[3] = {};
        texts[0].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[0].key = const_cast<char*>("Warning");
        texts[0].text = const_cast<char*>("hot");
        texts[1].compression = PNG_TEXT_COMPRESSION_zTXt;
        texts[1].key = const_cast<char*>("Mood");
        texts[1].text = const_cast<char*>("calm");
        texts[2].compression = PNG_ITXT_COMPRESSION_NONE;
        texts[2].key = const_cast<char*>("Author");
        texts[2].text = const_cast<char*>("not read");
        png_set_text(png, info, texts, 3);
    };
    FrameOver over(encodePng(s));
    ASSERT_TRUE(over.frame);
    std::unique_ptr<FormatCodecPropertySetIterator> set(over.frame->getProperties());
    ASSERT_EQ(set->count(), 10);

    const auto* transparency = dynamic_cast<const PngTransparency*>(set->at(0));
    ASSERT_NE(transparency, nullptr);
    EXPECT_EQ(transparency->kind(), FormatCodecTransparency::kGrayAlpha);
    std::uint8_t table[256];
    ASSERT_TRUE(transparency->getAlphaTable(table));
    EXPECT_EQ(table[200], 0);
    EXPECT_EQ(table[199], 255);

    const auto* gamma = dynamic_cast<const PngGamma*>(set->at(1));
    ASSERT_NE(gamma, nullptr);
    EXPECT_NEAR(gamma->value(), 0.45455, 1e-5);

    const auto* density = dynamic_cast<const PngDensity*>(set->at(2));
    ASSERT_NE(density, nullptr);
    double x = 0;
    double y = 0;
    density->getDensity(&x, &y);
    EXPECT_DOUBLE_EQ(x, 37.8);
    EXPECT_EQ(density->unit(), FormatCodecDensity::kPerCentimetre);

    const auto* background = dynamic_cast<const PngBackground*>(set->at(3));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->code(), PngBackground::kGray);
    EXPECT_EQ(background->getColor().red(), 77);

    const auto* srgb = dynamic_cast<const PngSRGB*>(set->at(4));
    ASSERT_NE(srgb, nullptr);
    EXPECT_EQ(srgb->intent(), 2);

    const auto* scale = dynamic_cast<const PngScale*>(set->at(5));
    ASSERT_NE(scale, nullptr);
    EXPECT_DOUBLE_EQ(scale->width(), 0.25);
    EXPECT_DOUBLE_EQ(scale->height(), 0.5);
    EXPECT_EQ(scale->unit(), PngScale::kMetre);

    const auto* offset = dynamic_cast<const PngPageOffset*>(set->at(6));
    ASSERT_NE(offset, nullptr);
    EXPECT_EQ(offset->x(), 120);
    EXPECT_EQ(offset->y(), 340);
    EXPECT_EQ(offset->unit(), PngPageOffset::kMicrometre);

    const auto* significant = dynamic_cast<const PngGraySignificantBits*>(set->at(7));
    ASSERT_NE(significant, nullptr);
    EXPECT_EQ(significant->value(), 5);

    // Text chunks of the ten keywords; another keyword reads as keyword 0;
    // international text is not read.
    const auto* warning = dynamic_cast<const PngText*>(set->at(8));
    ASSERT_NE(warning, nullptr);
    EXPECT_EQ(warning->keywordIndex(), 7);
    EXPECT_EQ(warning->text().text(), "hot");
    EXPECT_EQ(warning->lengthLimit(), 4);
    const auto* other = dynamic_cast<const PngText*>(set->at(9));
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->keywordIndex(), 0);
    EXPECT_EQ(other->text().text(), "calm");

    // By type and by name, as copies.
    std::unique_ptr<FormatCodecPropertyInterface> byType(over.frame->getPropertyOfType(3));
    EXPECT_NE(dynamic_cast<PngDensity*>(byType.get()), nullptr);
    byType.reset(over.frame->getPropertyOfType(8));
    EXPECT_NE(dynamic_cast<PngBackground*>(byType.get()), nullptr);
    byType.reset(over.frame->getPropertyOfType(2));
    EXPECT_EQ(byType, nullptr);
    std::unique_ptr<FormatCodecPropertyInterface> byName(over.frame->getProperty(nameOf(PngStringId::kTextWarningName)));
    ASSERT_NE(dynamic_cast<PngText*>(byName.get()), nullptr);
    byName.reset(over.frame->getProperty(nameOf(PngStringId::kTextAuthorName)));
    EXPECT_EQ(byName, nullptr);
    byName.reset(over.frame->getProperty(nameOf(PngStringId::kHistogramName)));
    EXPECT_EQ(byName, nullptr);
}

TEST(PngProperties, TransparencyAndBackgroundAsThePixelsArrive)
{
    // RGBA: an alpha channel. RGB: one key of 8-bit samples (a 16-bit file
    // by the high bytes, as its pixels arrive).
    FrameOver rgba(encodePng(plain(PNG_COLOR_TYPE_RGB_ALPHA, 8)));
    std::unique_ptr<FormatCodecPropertyInterface> property(rgba.frame->getPropertyOfType(6));
    const auto* alpha = dynamic_cast<const PngTransparency*>(property.get());
    ASSERT_NE(alpha, nullptr);
    EXPECT_EQ(alpha->kind(), FormatCodecTransparency::kAlphaChannel);

    PngSpec rgb16 = plain(PNG_COLOR_TYPE_RGB, 16);
    rgb16.chunks = [](png_structp png, png_infop info) {
        png_color_16 key{};
        key.red = 0x1234;
        key.green = 0xABCD;
        key.blue = 0x00FF;
        png_set_tRNS(png, info, nullptr, 1, &key);
        png_color_16 background{};
        background.red = 0xFF00;
        background.green = 0x8000;
        background.blue = 0x0100;
        png_set_bKGD(png, info, &background);
    };
    FrameOver keyed(encodePng(rgb16));
    property.reset(keyed.frame->getPropertyOfType(6));
    const auto* key = dynamic_cast<const PngTransparency*>(property.get());
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->kind(), FormatCodecTransparency::kColorKeys);
    std::uint8_t rgb[3] = {};
    ASSERT_TRUE(key->getRgbKeys(rgb, 1));
    EXPECT_EQ(Bytes(rgb, rgb + 3), (Bytes{0x12, 0xAB, 0x00}));
    property.reset(keyed.frame->getPropertyOfType(8));
    const auto* background = dynamic_cast<const PngBackground*>(property.get());
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->code(), PngBackground::kRgb);
    EXPECT_EQ(background->getColor(), RgbColor(0xFF, 0x80, 0x01, 255));

    // Palette: the alphas of the first entries; the background index.
    PngSpec palette = plain(PNG_COLOR_TYPE_PALETTE, 4);
    palette.chunks = [](png_structp png, png_infop info) {
        png_byte alphas[3] = {0, 128, 255};
        png_set_tRNS(png, info, alphas, 3, nullptr);
        png_color_16 background{};
        background.index = 5;
        png_set_bKGD(png, info, &background);
        png_uint_16 frequencies[16] = {1, 2, 3};
        png_set_hIST(png, info, frequencies);
    };
    FrameOver indexed(encodePng(palette));
    property.reset(indexed.frame->getPropertyOfType(6));
    const auto* table = dynamic_cast<const PngTransparency*>(property.get());
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->kind(), FormatCodecTransparency::kPaletteAlpha);
    std::uint8_t alphas[256];
    ASSERT_TRUE(table->getAlphaTable(alphas));
    EXPECT_EQ(Bytes(alphas, alphas + 4), (Bytes{0, 128, 255, 255}));
    property.reset(indexed.frame->getPropertyOfType(8));
    EXPECT_EQ(dynamic_cast<const PngBackground*>(property.get())->getColor().red(), 5);
    EXPECT_EQ(dynamic_cast<const PngBackground*>(property.get())->code(), PngBackground::kPaletteIndex);
    property.reset(indexed.frame->getProperty(nameOf(PngStringId::kHistogramName)));
    const auto* histogram = dynamic_cast<const PngHistogram*>(property.get());
    ASSERT_NE(histogram, nullptr);
    ASSERT_EQ(histogram->frequencies().size(), 16u);
    EXPECT_EQ(histogram->frequencies()[2], 3);

    // One-bit grey: the transparent level by the delivered bit (PNG's white
    // is paper, 0); low-depth grey levels stretched to 8 bits.
    PngSpec bits = plain(PNG_COLOR_TYPE_GRAY, 1);
    bits.chunks = [](png_structp png, png_infop info) {
        png_color_16 key{};
        key.gray = 1;
        png_set_tRNS(png, info, nullptr, 1, &key);
    };
    FrameOver bitonal(encodePng(bits));
    property.reset(bitonal.frame->getPropertyOfType(6));
    ASSERT_TRUE(dynamic_cast<const PngTransparency*>(property.get())->getAlphaTable(alphas));
    EXPECT_EQ(alphas[0], 0);
    EXPECT_EQ(alphas[1], 255);
    std::unique_ptr<FormatCodecPropertySetIterator> set(bitonal.frame->getProperties());
    const auto* significant = findOf<PngGraySignificantBits>(*set);
    ASSERT_NE(significant, nullptr);
    EXPECT_EQ(significant->value(), 1);

    PngSpec twoBit = plain(PNG_COLOR_TYPE_GRAY, 2);
    twoBit.chunks = [](png_structp png, png_infop info) {
        png_color_16 key{};
        key.gray = 2;
        png_set_tRNS(png, info, nullptr, 1, &key);
    };
    FrameOver stretched(encodePng(twoBit));
    property.reset(stretched.frame->getPropertyOfType(6));
    ASSERT_TRUE(dynamic_cast<const PngTransparency*>(property.get())->getAlphaTable(alphas));
    EXPECT_EQ(alphas[170], 0);
}

TEST(PngProperties, WriterOffersAndTakesItsOwnProperties)
{
    PngFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setDataModelKind(kColorSpaceGray);
    FormatCodecPropertySetIterator* offered = frame->getProperties();
    ASSERT_EQ(offered->count(), 19);
    EXPECT_EQ(dynamic_cast<PngTransparency*>(offered->at(0))->kind(), FormatCodecTransparency::kGrayAlpha);
    EXPECT_EQ(dynamic_cast<PngCompression*>(offered->at(1))->level(), 6);
    EXPECT_NE(dynamic_cast<PngGamma*>(offered->at(2)), nullptr);
    EXPECT_NE(dynamic_cast<PngDensity*>(offered->at(3)), nullptr);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(dynamic_cast<PngText*>(offered->at(6 + i))->keywordIndex(), i);
    EXPECT_NE(dynamic_cast<PngBackground*>(offered->at(16)), nullptr);
    EXPECT_NE(dynamic_cast<PngSRGB*>(offered->at(17)), nullptr);
    EXPECT_NE(dynamic_cast<PngGraySignificantBits*>(offered->at(18)), nullptr);

    // Every offered property is found again by its name.
    for (std::int32_t i = 0; i < offered->count(); ++i)
    {
        std::unique_ptr<FormatCodecPropertyInterface> made(frame->getProperty(offered->at(i)->name()));
        ASSERT_NE(made, nullptr) << offered->at(i)->name().text();
        EXPECT_EQ(typeid(*made), typeid(*offered->at(i)));
    }
    EXPECT_EQ(frame->getProperty(text("Nothing")), nullptr);

    frame->setDataModelKind(kColorSpaceRgb);
    EXPECT_EQ(frame->getProperty(nameOf(PngStringId::kGraySignificantBitsName)), nullptr);
    EXPECT_EQ(frame->getProperties()->count(), 18);
    const PngGraySignificantBits significant(3);
    EXPECT_FALSE(frame->setProperty(&significant));
    const PngHistogram histogram({1, 2});
    EXPECT_FALSE(frame->setProperty(&histogram));
    frame->setDataModelKind(kColorSpacePalette);
    EXPECT_TRUE(frame->setProperty(&histogram));
    const PngDensity density(2, 2, 1);
    EXPECT_TRUE(frame->setProperty(&density));
    std::unique_ptr<FormatCodecPropertyInterface> foreignType(frame->getPropertyOfType(5));
    EXPECT_EQ(foreignType, nullptr);
    EXPECT_EQ(frame->getPropertyOfType(7), nullptr);  // a stream writer has no side-car files
    EXPECT_FALSE(frame->setProperty(nullptr));
}

TEST(PngProperties, DensityChunkValues)
{
    png_uint_32 x = 0;
    png_uint_32 y = 0;
    int unit = -1;
    ASSERT_TRUE(pngDensityChunk(96, 96, FormatCodecDensity::kPerInch, &x, &y, &unit));
    EXPECT_EQ(x, 3779u);
    EXPECT_EQ(unit, PNG_RESOLUTION_METER);
    ASSERT_TRUE(pngDensityChunk(37.8, 10, FormatCodecDensity::kPerCentimetre, &x, &y, &unit));
    EXPECT_EQ(x, 3780u);
    EXPECT_EQ(y, 1000u);
    ASSERT_TRUE(pngDensityChunk(2, 3, FormatCodecDensity::kNoUnit, &x, &y, &unit));
    EXPECT_EQ(x, 2000u);
    EXPECT_EQ(y, 3000u);
    EXPECT_EQ(unit, PNG_RESOLUTION_UNKNOWN);
    ASSERT_TRUE(pngDensityChunk(1e15, 1e300, FormatCodecDensity::kPerInch, &x, &y, &unit));
    EXPECT_EQ(x, 2147483647u);
    EXPECT_EQ(y, 2147483647u);
    EXPECT_FALSE(pngDensityChunk(0, 5, FormatCodecDensity::kPerInch, &x, &y, &unit));
    EXPECT_FALSE(pngDensityChunk(5, -1, FormatCodecDensity::kPerInch, &x, &y, &unit));
    EXPECT_FALSE(pngDensityChunk(std::nan(""), 5, FormatCodecDensity::kPerInch, &x, &y, &unit));
}

TEST(PngProperties, WrittenChunksHoldValuesInTheImagesTerms)
{
    // Grey 8: the first transparent table entry is the grey value; the
    // background is the red byte's level.
    std::uint8_t table[256];
    std::fill(table, table + 256, 255);
    table[40] = 0;
    table[90] = 0;
    PngTransparency grey(kPngGray);
    grey.setAlphaTable(FormatCodecTransparency::kGrayAlpha, table);
    const PngBackground greyBackground(RgbColor(200, 0, 0, 255), PngBackground::kGray);
    auto chunks = writtenChunks(kColorSpaceGray, 8, {&grey, &greyBackground});
    ASSERT_NE(findChunk(chunks, "tRNS"), nullptr);
    EXPECT_EQ(findChunk(chunks, "tRNS")->data, (Bytes{0, 40}));
    ASSERT_NE(findChunk(chunks, "bKGD"), nullptr);
    EXPECT_EQ(findChunk(chunks, "bKGD")->data, (Bytes{0, 200}));

    // Bitonal: ink (entry 1) is PNG's black (0); a white background is 1.
    std::fill(table, table + 256, 255);
    table[1] = 0;
    PngTransparency ink(kPngGray);
    ink.setAlphaTable(FormatCodecTransparency::kGrayAlpha, table);
    const PngBackground white(RgbColor(255, 255, 255, 255), PngBackground::kLowDepthGray);
    chunks = writtenChunks(kColorSpaceBitonal, 1, {&ink, &white});
    EXPECT_EQ(findChunk(chunks, "tRNS")->data, (Bytes{0, 0}));
    EXPECT_EQ(findChunk(chunks, "bKGD")->data, (Bytes{0, 1}));
    // A background of the wrong form is not written.
    const PngBackground rgbForm(RgbColor(1, 2, 3, 255), PngBackground::kRgb);
    EXPECT_EQ(findChunk(writtenChunks(kColorSpaceGray, 8, {&rgbForm}), "bKGD"), nullptr);

    // RGB: the key's red, green, blue bytes; the background's colour.
    PngTransparency key(kPngRgb);
    const std::uint8_t rgb[3] = {9, 8, 7};
    key.setRgbKeys(1, rgb);
    chunks = writtenChunks(kColorSpaceRgb, 24, {&key, &rgbForm});
    EXPECT_EQ(findChunk(chunks, "tRNS")->data, (Bytes{0, 9, 0, 8, 0, 7}));
    EXPECT_EQ(findChunk(chunks, "bKGD")->data, (Bytes{0, 1, 0, 2, 0, 3}));

    // Palette: the alphas up to the last one that is not opaque, never more
    // than the palette holds; an index within the palette.
    std::fill(table, table + 256, 255);
    table[1] = 10;
    table[3] = 30;
    table[9] = 90;
    PngTransparency alphas(kPngPalette);
    alphas.setAlphaTable(FormatCodecTransparency::kPaletteAlpha, table);
    const PngBackground index(RgbColor(3, 0, 0, 255), PngBackground::kPaletteIndex);
    chunks = writtenChunks(kColorSpacePalette, 8, {&alphas, &index}, 4);
    EXPECT_EQ(findChunk(chunks, "tRNS")->data, (Bytes{255, 10, 255, 30}));
    EXPECT_EQ(findChunk(chunks, "bKGD")->data, (Bytes{3}));
    const PngBackground outside(RgbColor(4, 0, 0, 255), PngBackground::kPaletteIndex);
    EXPECT_EQ(findChunk(writtenChunks(kColorSpacePalette, 8, {&outside}, 4), "bKGD"), nullptr);
}

TEST(PngProperties, WrittenChunkProperties)
{
    const PngDensity perInch(96, 96, FormatCodecDensity::kPerInch);
    const PngGamma gamma(1.0);
    const PngSRGB srgb(1);
    const PngScale scale(0.5, 0.25, PngScale::kMetre);
    const PngPageOffset offset(10, 20, PngPageOffset::kMicrometre);
    const PngText title(0, text("A title"));
    const PngText empty(3);
    const PngCompression fastest(1);
    const PngGraySignificantBits five(5);
    auto chunks = writtenChunks(kColorSpaceGray, 8, {&perInch, &gamma, &srgb, &scale, &offset, &title, &empty,
                                                     &fastest, &five});
    const Chunk* phys = findChunk(chunks, "pHYs");
    ASSERT_NE(phys, nullptr);
    EXPECT_EQ(be32(phys->data, 0), 3779u);
    EXPECT_EQ(be32(phys->data, 4), 3779u);
    EXPECT_EQ(phys->data[8], 1);
    EXPECT_NE(findChunk(chunks, "sRGB"), nullptr);
    // The gamma of the sRGB chunk, not the property's 1.0.
    ASSERT_NE(findChunk(chunks, "gAMA"), nullptr);
    EXPECT_EQ(be32(findChunk(chunks, "gAMA")->data, 0), 45455u);
    ASSERT_NE(findChunk(chunks, "sCAL"), nullptr);
    EXPECT_EQ(findChunk(chunks, "sCAL")->data[0], 1);
    ASSERT_NE(findChunk(chunks, "oFFs"), nullptr);
    EXPECT_EQ(be32(findChunk(chunks, "oFFs")->data, 4), 20u);
    EXPECT_EQ(findChunk(chunks, "sBIT")->data, (Bytes{5}));
    int texts = 0;
    for (const Chunk& chunk : chunks)
        texts += chunk.type == "zTXt";
    EXPECT_EQ(texts, 1);
    // The chunks before the palette come before it; the rest after it.
    std::vector<std::string> order;
    for (const Chunk& chunk : chunks)
        order.push_back(chunk.type);
    EXPECT_LT(std::find(order.begin(), order.end(), "gAMA"), std::find(order.begin(), order.end(), "IDAT"));

    // Values the chunks cannot hold are not written: sCAL without a unit,
    // grey significant bits of 2 and 4 or above the depth.
    const PngScale unitless(0.5, 0.25, PngScale::kUnknownUnit);
    const PngGraySignificantBits four(4);
    chunks = writtenChunks(kColorSpaceGray, 8, {&unitless, &four});
    EXPECT_EQ(findChunk(chunks, "sCAL"), nullptr);
    EXPECT_EQ(findChunk(chunks, "sBIT"), nullptr);
    const PngGraySignificantBits nine(9);
    EXPECT_EQ(findChunk(writtenChunks(kColorSpaceGray, 8, {&nine}), "sBIT"), nullptr);

    // A histogram is written only when it holds one frequency per entry.
    const PngHistogram shortHistogram({1, 2, 3});
    const PngHistogram fitting({1, 2, 3, 4});
    EXPECT_EQ(findChunk(writtenChunks(kColorSpacePalette, 8, {&shortHistogram}, 4), "hIST"), nullptr);
    chunks = writtenChunks(kColorSpacePalette, 8, {&fitting}, 4);
    const Chunk* hist = findChunk(chunks, "hIST");
    ASSERT_NE(hist, nullptr);
    EXPECT_EQ(hist->data, (Bytes{0, 1, 0, 2, 0, 3, 0, 4}));
}

TEST(PngProperties, ClonesAreTheSameClassWithTheSameValues)
{
    std::vector<std::unique_ptr<FormatCodecPropertyInterface>> originals;
    originals.emplace_back(new PngTransparency(kPngPalette));
    originals.emplace_back(new PngDensity(3, 4, 2));
    originals.emplace_back(new PngBackground(RgbColor(1, 2, 3, 4), PngBackground::kRgb));
    originals.emplace_back(new PngCompression(9));
    originals.emplace_back(new PngGamma(2.5));
    originals.emplace_back(new PngScale(2, 3, 2));
    originals.emplace_back(new PngPageOffset(5, 6, 1));
    originals.emplace_back(new PngSRGB(3));
    originals.emplace_back(new PngHistogram({4, 5}));
    originals.emplace_back(new PngGraySignificantBits(6));
    originals.emplace_back(new PngText(9, text("words")));
    for (const auto& original : originals)
    {
        std::unique_ptr<FormatCodecPropertyInterface> copy(original->clone());
        ASSERT_EQ(typeid(*copy), typeid(*original));
        EXPECT_TRUE(stringBuffersEqual(copy->name(), original->name()));
        StringBuffer a;
        StringBuffer b;
        EXPECT_EQ(copy->valueAsText(a), original->valueAsText(b));
    }
    std::unique_ptr<FormatCodecPropertyInterface> scale(originals[5]->clone());
    EXPECT_DOUBLE_EQ(dynamic_cast<PngScale&>(*scale).height(), 3);
    EXPECT_EQ(dynamic_cast<PngScale&>(*scale).unit(), 2);
    std::unique_ptr<FormatCodecPropertyInterface> compression(originals[3]->clone());
    EXPECT_EQ(dynamic_cast<PngCompression&>(*compression).level(), 9);
    EXPECT_EQ(PngCompression(4).level(), 6);
    std::unique_ptr<FormatCodecPropertyInterface> words(originals[10]->clone());
    EXPECT_EQ(dynamic_cast<PngText&>(*words).text().text(), "words");
    EXPECT_EQ(dynamic_cast<PngText&>(*words).customKind(), 14);
    EXPECT_EQ(PngText(0).customKind(), 15);
    EXPECT_EQ(PngText(1).customKind(), 6);
    EXPECT_FALSE(PngGamma().isBeforePalette() == PngText(1).isBeforePalette());
}
