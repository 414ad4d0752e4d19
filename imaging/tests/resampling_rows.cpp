// The horizontal and vertical resamplers: the worked rows, every kernel and
// model against the reference resampler written out in ResamplingReference.h,
// the alpha and no-data rules, the ring of the vertical pass (never a row past
// the input's end), row skipping, and the refusals that leave the input with
// its caller.
#include "ResamplingReference.h"
#include "RowSources.h"

#include "imaging/OMVIException.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/RowComposer.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/resampling/SampleBlending.h"
#include "imaging/resampling/VerticalResamplers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <memory>
#include <random>

using namespace Omvi;
using OmviTest::MemoryRows;
using OmviTest::randomRows;
using OmviTest::Row;
using ResamplingReference::Image;

namespace
{
// Calls `make` and expects it to throw an ImageFilterException of `code`.
void expectFilterError(const std::function<void()>& make, std::int32_t code, const char* message = nullptr)
{
    try
    {
        make();
        ADD_FAILURE() << "no exception";
    }
    catch (OMVIException* raw)
    {
        OwnedException error(raw);
        ASSERT_NE(dynamic_cast<ImageFilterException*>(raw), nullptr);
        EXPECT_EQ(error->code(), code);
        if (message != nullptr)
        {
            EXPECT_STREQ(error->getMessage().data(), message);
        }
    }
}

// A provider that says it is a row composer: skipped rows are counted, not
// pulled.
class ComposerRows : public MemoryRows, public RowComposer
{
public:
    using MemoryRows::MemoryRows;
    void skipRow() override
    {
        ++skipped;
        Omvi::DataBuffer scratch(bytesPerRow());
        MemoryRows::getNextRow(scratch);
        --pulls;
    }
    int skipped = 0;
};

std::unique_ptr<RowProviderInterface> grayRows(const Image& image, int width)
{
    return std::make_unique<MemoryRows>(RgbGrayModel(), width, image);
}
} // namespace

TEST(HorizontalResamplers, WorkedRows)
{
    // 0, 100, 200 to width 6 with the Triangle: output 1 is 50.5 truncated,
    // output 5 folds position 3 back onto 2.
    GrayXResampler resampler(new MemoryRows(RgbGrayModel(), 3, {{0, 100, 200}}), 6, kResampleTriangle);
    EXPECT_EQ(resampler.size(), (PixelPair{6, 1}));
    EXPECT_EQ(OmviTest::pullAll(resampler)[0], (Row{0, 50, 100, 150, 200, 200}));
    EXPECT_EQ(resampler.rowsRemaining(), 0);

    // Ringing below 0 and above 255 is clamped: an edge from 0 to 255,
    // enlarged with Lanczos3, overshoots on both sides.
    Row edge = {0, 0, 0, 0, 255, 255, 255, 255};
    GrayXResampler lanczos(new MemoryRows(RgbGrayModel(), 8, {edge}), 29, kResampleLanczos3);
    const Row out = OmviTest::pullAll(lanczos)[0];
    const Image expected = ResamplingReference::resize({edge}, 8, 1, 29, 1, kResampleLanczos3);
    EXPECT_EQ(out, expected[0]);
    int zeros = 0, full = 0;
    for (auto v : out)
        zeros += v == 0, full += v == 255;
    EXPECT_GE(zeros, 4);
    EXPECT_GE(full, 4);
}

TEST(HorizontalResamplers, BitonalInkIsBlack)
{
    // A set bit is ink: all ink resamples to black everywhere, all paper to
    // white (weights summing to 1, plus 0.5, truncated).
    BitonalXResampler ink(new MemoryRows(BitonalModel(), 10, {{0xFF, 0xC0}}), 25, kResampleTriangle);
    EXPECT_EQ(ink.dataModel().colorSpace(), kColorSpaceGray);
    EXPECT_EQ(OmviTest::pullAll(ink)[0], Row(25, 0));
    BitonalXResampler paper(new MemoryRows(BitonalModel(), 10, {{0x00, 0x00}}), 25, kResampleTriangle);
    EXPECT_EQ(OmviTest::pullAll(paper)[0], Row(25, 255));

    // Any pattern gives what the gray resampler gives on the bits' levels.
    std::mt19937 random(5);
    for (int kind = 1; kind <= 6; ++kind)
    {
        Row bits = {static_cast<std::uint8_t>(random()), static_cast<std::uint8_t>(random()),
                    static_cast<std::uint8_t>(random())};
        Row levels;
        for (int i = 0; i < 21; ++i)
            levels.push_back((bits[static_cast<std::size_t>(i >> 3)] & (0x80 >> (i & 7))) ? 0 : 255);
        BitonalXResampler resampler(new MemoryRows(BitonalModel(), 21, {bits}), 13, kind);
        EXPECT_EQ(OmviTest::pullAll(resampler)[0], ResamplingReference::resize({levels}, 21, 1, 13, 1, kind)[0])
            << kind;
    }

    // A bitonal clear pixel becomes the level its bit is resampled as.
    ImagePixel pixel(kPixelBitonal, 1);
    ink.convertSourcePixel(pixel);
    EXPECT_EQ(pixel, ImagePixel(kPixelGray, 0));
    pixel = ImagePixel(kPixelBitonal, 0);
    ink.convertSourcePixel(pixel);
    EXPECT_EQ(pixel, ImagePixel(kPixelGray, 255));
}

TEST(Resamplers, GrayAndRgbMatchTheReference)
{
    struct Case
    {
        int width, height, newWidth, newHeight;
    };
    const Case cases[] = {{23, 17, 9, 40}, {23, 17, 51, 8}, {13, 11, 13, 29}, {30, 20, 12, 20},
                          {16, 16, 32, 32}, {40, 30, 20, 15}, {7, 9, 3, 4}};
    std::mt19937 random(11);
    for (int kind = 1; kind <= 6; ++kind)
    {
        for (const Case& c : cases)
        {
            const std::string what = "kind " + std::to_string(kind) + " " + std::to_string(c.width) + "x" +
                                     std::to_string(c.height) + " -> " + std::to_string(c.newWidth) + "x" +
                                     std::to_string(c.newHeight);
            // Gray: horizontal, then vertical over it.
            const Image gray = randomRows(random, c.width, c.height);
            RowProviderInterface* chain = new MemoryRows(RgbGrayModel(), c.width, gray);
            if (c.newWidth != c.width)
                chain = new GrayXResampler(chain, c.newWidth, kind);
            if (c.newHeight != c.height)
                chain = new GrayYResampler(chain, c.newHeight, kind);
            std::unique_ptr<RowProviderInterface> owned(chain);
            EXPECT_EQ(OmviTest::pullAll(*chain),
                      ResamplingReference::resize(gray, c.width, 1, c.newWidth, c.newHeight, kind))
                << "gray " << what;

            // RGB of 24 bits used: all four bytes resampled alike.
            const Image rgb = randomRows(random, 4 * c.width, c.height);
            chain = new MemoryRows(RgbModel(24), c.width, rgb);
            if (c.newWidth != c.width)
                chain = new RgbXResampler(chain, c.newWidth, kind);
            if (c.newHeight != c.height)
                chain = new RgbYResampler(chain, c.newHeight, kind);
            owned.reset(chain);
            EXPECT_EQ(OmviTest::pullAll(*chain),
                      ResamplingReference::resize(rgb, c.width, 4, c.newWidth, c.newHeight, kind))
                << "rgb " << what;

            // RGB of 32 bits used: the alpha rule, with a third of the
            // colours transparent.
            Image rgba = randomRows(random, 4 * c.width, c.height);
            for (auto& row : rgba)
                for (std::size_t x = 3; x < row.size(); x += 4)
                    row[x] = random() % 3 == 0 ? 0 : row[x] % 2 ? 255 : row[x];
            chain = new MemoryRows(RgbModel(32), c.width, rgba);
            if (c.newWidth != c.width)
                chain = new RgbXResampler(chain, c.newWidth, kind);
            if (c.newHeight != c.height)
                chain = new RgbYResampler(chain, c.newHeight, kind);
            owned.reset(chain);
            EXPECT_EQ(OmviTest::pullAll(*chain),
                      ResamplingReference::resize(rgba, c.width, 4, c.newWidth, c.newHeight, kind, true))
                << "rgba " << what;
        }
    }
}

TEST(Resamplers, AlphaRuleWorkedValues)
{
    using SampleBlending::blendRgb;
    const std::uint8_t opaque[4] = {100, 150, 200, 255};
    const std::uint8_t clear[4] = {0, 0, 0, 0};
    // One transparent colour of weight 0.1 among opaque ones of 0.9: the
    // alpha sum is 0.5 + 255 * 0.9 - 10 * 0.1 = 229, stored as 255, and the
    // colour lends its weight to the opaque neighbour after it.
    const std::uint8_t* pixels[] = {clear, opaque, opaque};
    Contribution entries[] = {{0.1f, 0}, {0.45f, 1}, {0.45f, 2}};
    std::uint8_t out[4];
    blendRgb(pixels, entries, 3, true, out);
    EXPECT_EQ(out[3], 255);
    EXPECT_EQ(out[0], 100);
    EXPECT_EQ(out[1], 150);
    EXPECT_EQ(out[2], 200);
    // Weights 0.6 transparent and 0.4 opaque: 0.5 + 102 - 6 = 96.5, stored 0.
    const std::uint8_t* pair[] = {clear, opaque};
    Contribution weights[] = {{0.6f, 0}, {0.4f, 1}};
    blendRgb(pair, weights, 2, true, out);
    EXPECT_EQ(out[3], 0);
    EXPECT_EQ(out[0], 100); // (0.6 + 0.4) * 100 + 0.5
    // Every colour transparent: the first one, alpha 0.
    const std::uint8_t tinted[4] = {9, 8, 7, 0};
    const std::uint8_t* none[] = {tinted, clear};
    blendRgb(none, weights, 2, true, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{9, 8, 7, 0}));
    // The substitute is looked for after the transparent colour first.
    const std::uint8_t red[4] = {255, 0, 0, 255};
    const std::uint8_t blue[4] = {0, 0, 255, 255};
    const std::uint8_t* around[] = {red, clear, blue};
    Contribution even[] = {{0.25f, 0}, {0.5f, 1}, {0.25f, 2}};
    blendRgb(around, even, 3, true, out);
    EXPECT_EQ(out[0], 64);  // 0.5 + 255 * 0.25
    EXPECT_EQ(out[2], 191); // 0.5 + 255 * 0.75: blue took the weight
}

TEST(Resamplers, FloatsAndNoData)
{
    using SampleBlending::blendFloat;
    // No-data weighing more than half: no-data; half: the rest goes to the
    // strongest valid neighbour.
    const float samples[] = {-9999.0f, 10.0f, 20.0f};
    Contribution heavy[] = {{0.6f, 0}, {0.3f, 1}, {0.1f, 2}};
    EXPECT_EQ(blendFloat(samples, heavy, 3, true, -9999.0), -9999.0f);
    Contribution half[] = {{0.5f, 0}, {0.3f, 1}, {0.2f, 2}};
    // A = 10 * 0.3 + 20 * 0.2 = 7, plus the strongest (10) times 0.5.
    EXPECT_FLOAT_EQ(blendFloat(samples, half, 3, true, -9999.0), 12.0f);
    // Without a no-data value the same sample is an ordinary one, and the
    // sum is clamped to the samples' range.
    EXPECT_FLOAT_EQ(blendFloat(samples, half, 3, false, 0.0), -4992.5f);
    const float ring[] = {0.0f, 10.0f};
    Contribution over[] = {{-0.2f, 0}, {1.2f, 1}};
    EXPECT_EQ(blendFloat(ring, over, 2, false, 0.0), 10.0f);

    // End to end: a float image enlarged exactly two times keeps every
    // sample at the even columns (one contribution of weight 1), and
    // no-data samples stay no-data where they dominate.
    const float noData = -1.0f;
    const DataModel model(3, kDataTypeThirtyTwoBit, 32);
    std::vector<float> values = {1.5f, -1.0f, 3.25f, 8.0f, 2.0f};
    Row bytes(values.size() * 4);
    std::memcpy(bytes.data(), values.data(), bytes.size());
    Float32XResampler resampler(new MemoryRows(model, 5, {bytes}), 10, kResampleTriangle, &noData);
    const Row out = OmviTest::pullAll(resampler)[0];
    std::vector<float> result(10);
    std::memcpy(result.data(), out.data(), 40);
    EXPECT_EQ(result[0], 1.5f);
    EXPECT_EQ(result[2], -1.0f);
    EXPECT_EQ(result[4], 3.25f);
    EXPECT_EQ(result[6], 8.0f);
    EXPECT_EQ(result[1], 1.5f);  // half no-data: A (0.75) + 1.5 * 0.5
    EXPECT_EQ(result[7], 5.0f);  // (8 + 2) / 2
    // Vertically too, with a 0 that counts as a value when there is no
    // no-data value.
    std::vector<Row> rows;
    for (float v : {0.0f, 4.0f, 8.0f})
    {
        Row row(4);
        std::memcpy(row.data(), &v, 4);
        rows.push_back(row);
    }
    Float32YResampler vertical(new MemoryRows(model, 1, rows), 6, kResampleTriangle, nullptr);
    std::vector<float> column;
    for (const Row& row : OmviTest::pullAll(vertical))
    {
        float v;
        std::memcpy(&v, row.data(), 4);
        column.push_back(v);
    }
    EXPECT_EQ(column, (std::vector<float>{0.0f, 2.0f, 4.0f, 6.0f, 8.0f, 8.0f}));
}

TEST(Resamplers, SixteenBitSamplesClampToTheBitsUsed)
{
    const DataModel twelveBits(1, kDataTypeSixteenBit, 12);
    std::vector<std::uint16_t> words = {0, 0, 0, 4095, 4095, 4095, 4095, 0, 0};
    Row bytes(words.size() * 2);
    std::memcpy(bytes.data(), words.data(), bytes.size());
    Data16XResampler resampler(new MemoryRows(twelveBits, 9, {bytes}), 31, kResampleLanczos3);
    EXPECT_EQ(resampler.maxValue(), 4095);
    const Row out = OmviTest::pullAll(resampler)[0];
    std::vector<std::uint16_t> result(31);
    std::memcpy(result.data(), out.data(), 62);
    // The reference: the gray arithmetic over words, clamped to 0..4095.
    std::unique_ptr<Resampler> kernel = createResampler(kResampleLanczos3, 0.000001);
    const auto lists = ResamplingReference::horizontalLists(*kernel, 9, 31);
    int clamped = 0;
    for (int x = 0; x < 31; ++x)
    {
        const auto& e = lists[static_cast<std::size_t>(x)];
        double sum = words[static_cast<std::size_t>(e[0].second)] * static_cast<double>(e[0].first) + 0.5;
        for (std::size_t k = 1; k < e.size(); ++k)
            sum += words[static_cast<std::size_t>(e[k].second)] * static_cast<double>(e[k].first);
        const double v = std::trunc(sum);
        EXPECT_EQ(result[static_cast<std::size_t>(x)], v < 0 ? 0 : v > 4095 ? 4095 : v) << x;
        clamped += v > 4095;
    }
    EXPECT_GT(clamped, 0);

    // Vertically: the same words down a column.
    std::vector<Row> rows;
    for (auto w : words)
    {
        Row row(2);
        std::memcpy(row.data(), &w, 2);
        rows.push_back(row);
    }
    Data16YResampler vertical(new MemoryRows(twelveBits, 1, rows), 31, kResampleLanczos3);
    const auto column = OmviTest::pullAll(vertical);
    for (int y = 0; y < 31; ++y)
    {
        std::uint16_t v;
        std::memcpy(&v, column[static_cast<std::size_t>(y)].data(), 2);
        EXPECT_EQ(v, result[static_cast<std::size_t>(y)]) << y;
    }
}

TEST(VerticalResamplers, RingAndWorkedRows)
{
    std::mt19937 random(3);
    // 100 rows to 50 with Mitchell: a ring of 9; output row 0 draws on
    // positions -3 .. 3 (4 weighs 0), the negative ones folded to 3, 2, 1.
    const Image tall = randomRows(random, 4, 100);
    GrayYResampler mitchell(grayRows(tall, 4).release(), 50, kResampleMitchell);
    EXPECT_EQ(mitchell.ringSize(), 9);
    EXPECT_EQ(mitchell.lastRead(), 8);
    DataBuffer row(mitchell.bytesPerRow());
    mitchell.getNextRow(row);
    std::vector<int> indices;
    for (int k = 0; k < mitchell.lastEntryCount(); ++k)
        indices.push_back(mitchell.lastEntries()[k].index);
    EXPECT_EQ(indices, (std::vector<int>{3, 2, 1, 0, 1, 2, 3}));

    // Bell, 10 rows to 20: a ring of 4.
    GrayYResampler bell(grayRows(randomRows(random, 3, 10), 3).release(), 20, kResampleBell);
    EXPECT_EQ(bell.ringSize(), 4);

    // Triangle, 3 rows to 6: row 1 halfway between rows 0 and 1; the last
    // row folds position 3 back onto row 2.
    Image three = {{10, 0}, {20, 255}, {40, 100}};
    GrayYResampler triangle(grayRows(three, 2).release(), 6, kResampleTriangle);
    const Image out = OmviTest::pullAll(triangle);
    EXPECT_EQ(out[1], (Row{15, 128}));
    EXPECT_EQ(out[5], (Row{40, 100}));
}

TEST(VerticalResamplers, ShortInputsAreHeldWholeAndNeverOverread)
{
    // Bell enlarging 3 rows wants a ring of 4: the 3 rows are held and no
    // fourth is asked for.
    std::mt19937 random(8);
    for (int kind = 1; kind <= 6; ++kind)
    {
        for (int rows = 1; rows <= 3; ++rows)
        {
            for (int target : {1, 2, 6, 13})
            {
                if (target == rows)
                    continue;
                const Image image = randomRows(random, 5, rows);
                auto* source = new MemoryRows(RgbGrayModel(), 5, image);
                GrayYResampler resampler(source, target, kind);
                EXPECT_LE(resampler.ringSize(), rows);
                EXPECT_EQ(OmviTest::pullAll(resampler), ResamplingReference::resize(image, 5, 1, 5, target, kind))
                    << "kind " << kind << " " << rows << " -> " << target;
                EXPECT_EQ(source->pulls, rows);
            }
        }
    }
}

TEST(HorizontalResamplers, SkipRowDropsSourceRows)
{
    // Over a plain provider the row is pulled into the scratch buffer, which
    // grows to a whole source row.
    Image image = {{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}, {13, 14, 15, 16, 17, 18}};
    auto* source = new MemoryRows(RgbGrayModel(), 6, image);
    GrayXResampler resampler(source, 2, kResampleTriangle);
    DataBuffer scratch;
    resampler.skipRow(scratch);
    EXPECT_GE(scratch.size(), source->bytesPerRow());
    EXPECT_EQ(source->pulls, 1);
    EXPECT_EQ(resampler.rowsRemaining(), 2);
    DataBuffer row(resampler.bytesPerRow());
    resampler.getNextRow(row);
    // The row delivered is the second one.
    EXPECT_EQ(Row(row.data(), row.data() + 2),
              ResamplingReference::resize({image[1]}, 6, 1, 2, 1, kResampleTriangle)[0]);
    resampler.skipRow(scratch);
    EXPECT_EQ(resampler.rowsRemaining(), 0);
    resampler.skipRow(scratch); // nothing left: nothing pulled
    EXPECT_EQ(source->pulls, 3);
    EXPECT_EQ(resampler.getNextRow(row), 0);

    // Over a row composer, its own skipRow drops the row unread.
    auto* composer = new ComposerRows(RgbGrayModel(), 6, image);
    GrayXResampler overComposer(composer, 3, kResampleCubic);
    DataBuffer none;
    overComposer.skipRow(none);
    EXPECT_EQ(composer->skipped, 1);
    EXPECT_EQ(composer->pulls, 0);
    EXPECT_EQ(none.size(), 0);
}

TEST(Resamplers, RefusalsLeaveTheInputWithItsCaller)
{
    auto deleted = std::make_shared<bool>(false);
    auto watched = [&](const DataModel& model, int width = 4) {
        auto* rows = new MemoryRows(model, width, Image(3, Row(static_cast<std::size_t>(width) * 8, 1)));
        rows->watchDeletion(deleted);
        return rows;
    };
    const DataModel plain16(1, kDataTypeSixteenBit, 16);
    const DataModel plain8(1, kDataTypeEightBit, 8);
    const DataModel plain1(1, kDataTypeOneBit, 1);
    struct Refusal
    {
        std::function<void(RowProviderInterface*)> make;
        std::int32_t code;
        const DataModel* model;
    };
    const Refusal refusals[] = {
        {[](RowProviderInterface* in) { GrayXResampler(in, 5, 0); }, 2, nullptr},
        {[](RowProviderInterface* in) { GrayYResampler(in, 5, 7); }, 2, nullptr},
        {[](RowProviderInterface* in) { RgbXResampler(in, 0, 1); }, 5, nullptr},
        {[](RowProviderInterface* in) { RgbYResampler(in, -3, 1); }, 5, nullptr},
        {[](RowProviderInterface* in) { GrayXResampler(in, 5, 1); }, 1, &plain16},
        {[](RowProviderInterface* in) { GrayYResampler(in, 5, 1); }, 1, &plain1},
        {[](RowProviderInterface* in) { Data16XResampler(in, 5, 1); }, 1, &plain8},
        {[](RowProviderInterface* in) { Float32YResampler(in, 5, 1, nullptr); }, 1, &plain16},
        {[](RowProviderInterface* in) { BitonalXResampler(in, 5, 1); }, 1, &plain1},
        {[](RowProviderInterface* in) { RgbXResampler(in, 5, 1); }, 1, &plain8},
    };
    const RgbModel rgb(24);
    for (const Refusal& refusal : refusals)
    {
        *deleted = false;
        MemoryRows* input = watched(refusal.model != nullptr ? *refusal.model : rgb);
        expectFilterError([&] { refusal.make(input); }, refusal.code);
        EXPECT_FALSE(*deleted);
        delete input;
    }
    // Code 2 names the class.
    MemoryRows* input = watched(RgbGrayModel());
    expectFilterError([&] { GrayXResampler(input, 5, 9); }, 2, "GrayXResampler");
    delete input;
    // A conversion put in front of the input lets go of it as well: here
    // the lists of a row of a hundred million samples are refused after
    // the RGB input was put behind a gray conversion.
    *deleted = false;
    input = watched(rgb, 1);
    try
    {
        GrayXResampler(input, 100000000, 1);
        ADD_FAILURE() << "no exception";
    }
    catch (OMVIException* raw)
    {
        OwnedException error(raw);
        ASSERT_NE(dynamic_cast<SystemException*>(raw), nullptr);
        EXPECT_EQ(error->code(), SystemException::kOutOfMemory);
    }
    EXPECT_FALSE(*deleted);
    delete input;
    EXPECT_TRUE(*deleted);
}

TEST(Resamplers, ConvertTheirInputsAndCheckTheirBuffers)
{
    std::mt19937 random(21);
    // RGB rows into the gray resampler are made gray first: the same as
    // resampling the gray rows.
    Image rgb = randomRows(random, 4 * 9, 6);
    RgbGrayModel grayModel;
    auto* rgbRows = new MemoryRows(RgbModel(24), 9, rgb);
    GrayXResampler fromRgb(rgbRows, 4, kResampleMitchell);
    EXPECT_EQ(fromRgb.dataModel().colorSpace(), kColorSpaceGray);
    auto* converted = RgbModel(24).convertTo(grayModel, new MemoryRows(RgbModel(24), 9, rgb));
    GrayXResampler fromGray(converted, 4, kResampleMitchell);
    EXPECT_EQ(OmviTest::pullAll(fromRgb), OmviTest::pullAll(fromGray));

    // A palette into the RGB resamplers becomes colours.
    const RgbColor colours[] = {RgbColor(255, 0, 0, 255), RgbColor(0, 0, 255, 255)};
    RgbPaletteModel palette(2, colours);
    RgbYResampler fromPalette(new MemoryRows(palette, 3, {{0, 1, 0}, {1, 1, 0}, {0, 0, 0}}), 5, kResampleTriangle);
    EXPECT_EQ(fromPalette.dataModel().colorSpace(), kColorSpaceRgb);
    const Image out = OmviTest::pullAll(fromPalette);
    EXPECT_EQ(out[0][0], 255); // row 0, pixel 0: red
    EXPECT_EQ(out[0][2], 0);
    EXPECT_EQ(out[0][4 + 2], 255); // pixel 1: blue
    EXPECT_EQ(out[0][4 + 0], 0);

    // A buffer shorter than a row is refused; past the last row nothing is
    // written.
    GrayYResampler vertical(grayRows(randomRows(random, 40, 5), 40).release(), 3, kResampleBSpline);
    DataBuffer small(4);
    expectFilterError([&] { vertical.getNextRow(small); }, ImageFilterException::kRowBufferTooSmall);
    DataBuffer row(vertical.bytesPerRow());
    while (vertical.getNextRow(row) > 0)
    {
    }
    std::memset(row.data(), 0x5A, static_cast<std::size_t>(row.size()));
    EXPECT_EQ(vertical.getNextRow(row), 0);
    EXPECT_EQ(row.data()[0], 0x5A);
    GrayXResampler horizontal(grayRows(randomRows(random, 40, 2), 40).release(), 3, kResampleBSpline);
    expectFilterError([&] { horizontal.getNextRow(small); }, ImageFilterException::kRowBufferTooSmall);
}

TEST(Resamplers, FlatImagesStayFlat)
{
    // Every list's weights sum to 1, so a flat image stays flat at every
    // ratio and at the edges: no bands where a stretched kernel's samples
    // would sum to more or less than 1.
    for (int kind = 1; kind <= 6; ++kind)
    {
        for (int target : {5, 17, 24, 36, 47, 48, 50, 71, 72, 73, 96, 127, 160})
        {
            const Image flat(9, Row(48, 200));
            std::unique_ptr<RowProviderInterface> chain(
                new GrayXResampler(new MemoryRows(RgbGrayModel(), 48, flat), target, kind));
            for (const Row& row : OmviTest::pullAll(*chain))
                EXPECT_EQ(row, Row(static_cast<std::size_t>(target), 200)) << "kind " << kind << " to " << target;
            const Image column(48, Row(3, 77));
            chain.reset(new GrayYResampler(new MemoryRows(RgbGrayModel(), 3, column), target, kind));
            for (const Row& row : OmviTest::pullAll(*chain))
                EXPECT_EQ(row, Row(3, 77)) << "kind " << kind << " to " << target;
        }
    }
}
