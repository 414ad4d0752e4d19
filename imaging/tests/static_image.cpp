// The static image over caller memory and its static buffer: construction,
// the answers of a one-tile image, reads in every orientation, clears,
// pastes (straight into the memory when rows fit, through kernels when they
// do not, with keys and conversions), blends, column pastes beside the
// tiled image's, progress, and every region checked against the memory,
// which carries guard bytes that must never change.
#include "PixelGrids.h"
#include "TiledImageFixtures.h"

#include "imaging/OMVIException.h"
#include "imaging/StaticBuffer.h"
#include "imaging/contexts/ImageContext.h"
#include "imaging/images/Image.h"
#include "imaging/images/StaticImage.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"

#include <gtest/gtest.h>

#include <climits>

using namespace Omvi;
using OmviTest::Grid;
using OmviTest::thrownCode;

namespace
{
constexpr std::uint8_t kGuard = 0xC7;
constexpr std::size_t kGuardBytes = 64;

// Caller memory for a static image with guard bytes on both sides.
struct Bitmap
{
    Bitmap(const DataModel& model, int width, int height, std::uint8_t fill = 0)
        : rowBytes(static_cast<std::int32_t>(model.bytesPerRow(width))), size{width, height},
          bytes(kGuardBytes * 2 + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(height), kGuard)
    {
        std::fill(bytes.begin() + kGuardBytes, bytes.end() - kGuardBytes, fill);
    }
    std::uint8_t* pixels() { return bytes.data() + kGuardBytes; }
    std::uint8_t* row(int y) { return pixels() + static_cast<std::size_t>(rowBytes) * static_cast<std::size_t>(y); }
    bool guardsIntact() const
    {
        return std::all_of(bytes.begin(), bytes.begin() + kGuardBytes, [](std::uint8_t b) { return b == kGuard; }) &&
               std::all_of(bytes.end() - kGuardBytes, bytes.end(), [](std::uint8_t b) { return b == kGuard; });
    }
    Grid grid(std::int32_t dataType)
    {
        return OmviTest::gridOf(size.x, size.y,
                                [&](int x, int y) { return OmviTest::pixelIn(row(y), dataType, x); });
    }

    std::int32_t rowBytes;
    PixelPair size;
    std::vector<std::uint8_t> bytes;
};

class StaticImageTest : public OmviTest::TiledImageTest
{
protected:
    void SetUp() override { start(); }

    std::unique_ptr<StaticImage> over(Bitmap& bitmap, const DataModel& model)
    {
        auto image = std::make_unique<StaticImage>();
        image->construct(bitmap.pixels(), bitmap.size, model);
        return image;
    }
};

// Records where each row it hands out is written.
class WhereRowsGo : public OmviTest::GeneratedRows
{
public:
    using GeneratedRows::GeneratedRows;
    std::int32_t getNextRow(DataBuffer& row) override
    {
        targets.push_back(row.data());
        sizes.push_back(row.size());
        return GeneratedRows::getNextRow(row);
    }
    std::vector<const std::uint8_t*> targets;
    std::vector<std::int32_t> sizes;
};

// Rows whose pixels lie in runs: only the runs are to be written.
class SparseRows : public OmviTest::GeneratedRows
{
public:
    SparseRows(const DataModel& model, std::int32_t width, std::int32_t height, Fill fill,
               std::vector<std::pair<std::int32_t, std::int32_t>> runs)
        : GeneratedRows(model, width, height, std::move(fill)), runs_(std::move(runs))
    {
    }
    bool hasSparseRows() const override { return true; }
    std::int32_t runCount() const override { return static_cast<std::int32_t>(runs_.size()); }
    bool nextRun(std::int32_t& first, std::int32_t& count) override
    {
        if (next_ >= runs_.size())
            return false;
        first = runs_[next_].first;
        count = runs_[next_].second;
        ++next_;
        return true;
    }
    void restartRuns() override { next_ = 0; }
    std::int32_t getNextRow(DataBuffer& row) override
    {
        next_ = 0;
        return GeneratedRows::getNextRow(row);
    }

private:
    std::vector<std::pair<std::int32_t, std::int32_t>> runs_;
    std::size_t next_ = 0;
};

class CountingReporter : public ProgressReporterInterface
{
public:
    bool reportProgress(std::int32_t row, std::int32_t rowCount) override
    {
        calls.emplace_back(row, rowCount);
        return answer;
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> calls;
    bool answer = true;
};

std::unique_ptr<RowProviderInterface> constantRows(const DataModel& model, int width, int height, std::uint64_t v)
{
    return OmviTest::rowsFrom(model, width, height, [v](int, int) { return v; });
}
} // namespace

TEST(StaticBuffer, NeverFreesOrReplacesItsMemory)
{
    std::uint8_t memory[32] = {};
    {
        StaticBuffer buffer(memory, 16);
        EXPECT_EQ(buffer.data(), memory);
        EXPECT_EQ(buffer.size(), 16);
        // Within its memory: the same bytes, shown shorter and longer again.
        EXPECT_EQ(buffer.resize(8), memory);
        EXPECT_EQ(buffer.size(), 8);
        EXPECT_EQ(buffer.resize(16), memory);
        EXPECT_EQ(thrownCode<ImageFilterException>([&] { buffer.resize(17); }), 6);
        EXPECT_EQ(buffer.data(), memory);

        DataBuffer bytes(4);
        std::memset(bytes.data(), 0x5A, 4);
        buffer = bytes;
        EXPECT_EQ(buffer.data(), memory);
        EXPECT_EQ(memory[3], 0x5A);
        EXPECT_EQ(buffer.size(), 4);
        DataBuffer tooMany(17);
        EXPECT_EQ(thrownCode<ImageFilterException>([&] { buffer = tooMany; }), 6);
        EXPECT_EQ(buffer.data(), memory);

        // Moved along, the offset accessors follow.
        buffer.resize(16);
        buffer.setData(memory + 16);
        EXPECT_EQ(buffer.data(4, 4), memory + 20);
        EXPECT_EQ(buffer.data(12, 8), nullptr);
    }
    // The stack memory was never handed to delete[] (the sanitizer would
    // have stopped the test).
    EXPECT_EQ(memory[3], 0x5A);
}

TEST_F(StaticImageTest, ConstructionAndTheAnswersOfOneTile)
{
    const RgbGrayModel gray;
    Bitmap bitmap(gray, 13, 5);
    StaticImage bare;
    EXPECT_FALSE(bare.isConstructed());
    std::string message;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { bare.construct(nullptr, {4, 4}, gray); }, &message), 7);
    EXPECT_EQ(message, "TiledImage::construct");
    for (const PixelPair size : {PixelPair{0, 4}, PixelPair{4, 0}, PixelPair{-4, 4}})
        EXPECT_EQ(thrownCode<ImageConstructionException>([&] { bare.construct(bitmap.pixels(), size, gray); }), 2);
    EXPECT_EQ(thrownCode<ImageConstructionException>(
                  [&] { bare.construct(bitmap.pixels(), {4, 4}, DataModel(0, 9, 9)); }),
              2);
    EXPECT_FALSE(bare.isConstructed());

    StaticImage image;
    ASSERT_TRUE(image.construct(bitmap.pixels(), bitmap.size, gray));
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { image.construct(bitmap.pixels(), bitmap.size, gray); }),
              3);
    EXPECT_TRUE(image.isConstructed());
    EXPECT_TRUE(image.isStatic());
    EXPECT_FALSE(image.isModified());
    EXPECT_EQ(image.bytesPerRow(), 16);
    std::int32_t down = 0;
    std::int32_t across = 0;
    EXPECT_EQ(image.tileGrid(down, across), 1);
    EXPECT_EQ(down, 1);
    EXPECT_EQ(across, 1);
    EXPECT_EQ(image.tileSize(), (PixelPair{13, 5}));
    EXPECT_EQ(image.sourceDescriptor(), nullptr);
    EXPECT_EQ(image.clearColor(), ImagePixel(kPixelGray, 0));

    // Other kinds of construction are not a static image's.
    std::unique_ptr<RowProviderInterface> rows = OmviTest::patternRows(gray, 2, 2);
    EXPECT_FALSE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisationDefault));
    EXPECT_NE(rows, nullptr);
    EXPECT_FALSE(image.construct({2, 2}, gray, ImagePixel(kPixelGray), kOrganisationDefault));
    EXPECT_FALSE(image.construct(image));

    EXPECT_EQ(thrownCode<ImageException>([&] { image.setClearColor(ImagePixel(kPixelRgb, 1)); }), 4);
    image.setClearColor(ImagePixel(kPixelGray, 200));
    EXPECT_EQ(thrownCode<ImageException>([&] { image.setDataModel(RgbModel()); }, &message), 1);
    EXPECT_EQ(message, "StaticImage::setDataModel");
    image.setDataModel(DataModel(0, kDataTypeEightBit, 8));
    EXPECT_EQ(image.clearColor().kind, kPixelEightBit) << "the clear colour follows the model's pixels";
    EXPECT_EQ(thrownCode<ImageException>([&] { image.addReactor(nullptr); }, &message), 2);
    EXPECT_EQ(message, "StaticImage::addReactor");
    EXPECT_EQ(thrownCode<ImageException>([&] { image.removeReactor(nullptr); }, &message), 2);
    EXPECT_EQ(message, "StaticImage::removeReactor");
    EXPECT_FALSE(image.setUnlocked(true));

    // The same image is whatever is listed under the same id.
    StaticImage other;
    other.construct(bitmap.pixels(), bitmap.size, gray);
    EXPECT_FALSE(image.isSameImage(other)) << "neither is listed";
    EXPECT_TRUE(image.isSameImage(image));
    image.setRegistryId(7);
    other.setRegistryId(7);
    EXPECT_TRUE(image.isSameImage(other));
    EXPECT_TRUE(bitmap.guardsIntact());
}

TEST_F(StaticImageTest, ReadsInEveryOrientationAndRegionsAreChecked)
{
    const RgbModel rgb(32);
    Bitmap bitmap(rgb, 7, 5);
    const Grid stored = OmviTest::gridOf(7, 5, [](int x, int y) { return OmviTest::patternPixel(3, x, y); });
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            OmviTest::setPixelIn(bitmap.row(y), 3, x, stored[std::size_t(y)][std::size_t(x)]);
    auto image = over(bitmap, rgb);
    for (std::int32_t code = 0; code < 8; ++code)
    {
        const Orientation orientation = *orientationFromCode(code);
        auto rows = image->read({3, 4}, {2, 1}, orientation);
        ASSERT_NE(rows, nullptr);
        EXPECT_GRID_EQ(OmviTest::pullGrid(*rows), OmviTest::viewOf(OmviTest::regionOf(stored, 2, 1, 3, 4), orientation))
            << "orientation " << code;
    }
    std::string message;
    for (const auto& [size, origin] : std::vector<std::pair<PixelPair, PixelPair>>{
             {{3, 4}, {5, 1}}, {{1, 1}, {-1, 0}}, {{0, 1}, {0, 0}}, {{8, 1}, {0, 0}}, {{1, 6}, {0, 0}},
             {{INT_MAX, 1}, {1, 0}}, {{1, INT_MAX}, {0, INT_MAX}}})
    {
        EXPECT_EQ(thrownCode<ImageException>([&] { image->read(size, origin); }, &message), 0);
        EXPECT_EQ(message, "Image::read: Region Out Of Bounds");
    }
    EXPECT_TRUE(bitmap.guardsIntact());
}

TEST_F(StaticImageTest, ClearFillsEveryPixelOfEveryDataType)
{
    for (std::int32_t dataType = 0; dataType <= 4; ++dataType)
    {
        const DataModel model(0, dataType, bitsPerPixelOf(dataType));
        Bitmap bitmap(model, 11, 3, 0x33);
        auto image = over(bitmap, model);
        image->setClearColor(ImagePixel(dataType, 0xFFFFFFFFFFFFFFFFull));
        image->clear();
        const std::uint64_t all = dataType == 0 ? 1 : (dataType == 4 ? ~0ull : (1ull << bitsPerPixelOf(dataType)) - 1);
        EXPECT_GRID_EQ(bitmap.grid(dataType), OmviTest::gridOf(11, 3, [&](int, int) { return all; }))
            << "data type " << dataType;
        EXPECT_TRUE(bitmap.guardsIntact());
        EXPECT_FALSE(image->isModified());
    }
}

TEST_F(StaticImageTest, PastesWithoutCopyingWhenTheRowsAreTheImagesRows)
{
    const RgbGrayModel gray;
    Bitmap bitmap(gray, 13, 6);
    auto image = over(bitmap, gray);
    // The source stays ours (the paste deletes only the forwarder), so that
    // it can tell where it was asked to write.
    WhereRowsGo source(gray, 13, 3, [](std::int32_t y, std::uint8_t* row) {
        for (int x = 0; x < 13; ++x)
            row[x] = static_cast<std::uint8_t>(10 * y + x);
    });
    struct Forward : RowProviderInterface
    {
        explicit Forward(RowProviderInterface& rows) : inner(rows) {}
        std::int32_t getNextRow(DataBuffer& row) override { return inner.getNextRow(row); }
        std::int32_t rowsRemaining() const override { return inner.rowsRemaining(); }
        PixelPair size() const override { return inner.size(); }
        const DataModel& dataModel() const override { return inner.dataModel(); }
        std::int32_t bytesPerRow() const override { return inner.bytesPerRow(); }
        bool isValid() const override { return true; }
        RowProviderInterface& inner;
    };
    std::unique_ptr<RowProviderInterface> forward = std::make_unique<Forward>(source);
    image->paste(forward, {0, 2}, false);
    EXPECT_EQ(forward, nullptr) << "the paste took the rows over";
    ASSERT_EQ(source.targets.size(), 3u);
    for (int r = 0; r < 3; ++r)
    {
        EXPECT_EQ(source.targets[std::size_t(r)], bitmap.row(2 + r)) << "row " << r << " is written in place";
        EXPECT_EQ(source.sizes[std::size_t(r)], 16);
    }
    const Grid expected =
        OmviTest::gridOf(13, 6, [](int x, int y) { return y < 2 || y > 4 ? 0u : std::uint64_t(10 * (y - 2) + x); });
    EXPECT_GRID_EQ(bitmap.grid(kDataTypeEightBit), expected);
    EXPECT_TRUE(bitmap.guardsIntact());

    // With a key, or off the left edge, rows go through a buffer instead.
    WhereRowsGo keyed(gray, 13, 1, [](std::int32_t, std::uint8_t* row) { std::memset(row, 1, 13); });
    std::unique_ptr<RowProviderInterface> again = std::make_unique<Forward>(keyed);
    image->paste(again, {0, 0}, true);
    ASSERT_EQ(keyed.targets.size(), 1u);
    EXPECT_NE(keyed.targets[0], bitmap.row(0));
}

TEST_F(StaticImageTest, NarrowerRowsAndOffsetsGoThroughAKernelAndLeaveTheRestAlone)
{
    const RgbGrayModel gray;
    for (const PixelPair origin : {PixelPair{0, 0}, PixelPair{6, 1}, PixelPair{10, 3}})
    {
        Bitmap bitmap(gray, 13, 4, 0x11);
        auto image = over(bitmap, gray);
        // Three pixels wide: padded to 8 bytes, which must not land on the
        // pixels right of the pasted ones.
        std::unique_ptr<RowProviderInterface> source = constantRows(gray, 3, 1, 0xEE);
        image->paste(source, origin, false);
        EXPECT_EQ(source, nullptr);
        const Grid expected = OmviTest::gridOf(13, 4, [&](int x, int y) {
            return y == origin.y && x >= origin.x && x < origin.x + 3 ? 0xEEu : 0x11u;
        });
        EXPECT_GRID_EQ(bitmap.grid(kDataTypeEightBit), expected) << "at " << origin.x << ", " << origin.y;
        EXPECT_TRUE(bitmap.guardsIntact());
    }
}

TEST_F(StaticImageTest, RectanglesOutsideTheImageAreRefusedAndTheSourceStaysTheCallers)
{
    const RgbGrayModel gray;
    Bitmap bitmap(gray, 8, 4, 0x11);
    auto image = over(bitmap, gray);
    std::string message;
    for (const auto& [size, origin] : std::vector<std::pair<PixelPair, PixelPair>>{
             {{9, 1}, {0, 0}}, {{8, 1}, {1, 0}}, {{2, 2}, {0, 3}}, {{2, 2}, {-1, 0}}, {{2, 2}, {INT_MAX, 0}}})
    {
        std::unique_ptr<RowProviderInterface> source = constantRows(gray, size.x, size.y, 0xEE);
        EXPECT_EQ(thrownCode<ImageException>([&] { image->paste(source, origin, false); }, &message), 0);
        EXPECT_EQ(message, "StaticImage::paste: Region Out Of Bounds");
        EXPECT_NE(source, nullptr);
    }
    // Column pastes cover the source's height across and its width down.
    for (const auto& [size, origin] : std::vector<std::pair<PixelPair, PixelPair>>{
             {{1, 9}, {0, 0}}, {{2, 2}, {7, 0}}, {{5, 1}, {0, 0}}, {{2, 2}, {0, 3}}})
    {
        std::unique_ptr<RowProviderInterface> source = constantRows(gray, size.x, size.y, 0xEE);
        EXPECT_EQ(thrownCode<ImageException>([&] { image->pasteColumns(source, origin); }, &message), 0);
        EXPECT_EQ(message, "StaticImage::pasteColumns: Region Out Of Bounds");
        EXPECT_NE(source, nullptr);
    }
    std::unique_ptr<RowProviderInterface> rgb = constantRows(RgbModel(32), 9, 1, 0xFF0000FF);
    Bitmap colours(RgbModel(32), 8, 2);
    auto colourImage = over(colours, RgbModel(32));
    EXPECT_EQ(thrownCode<ImageException>([&] { colourImage->blend(rgb, {0, 0}, false, 128); }, &message), 0);
    EXPECT_EQ(message, "StaticImage::blend: Region Out Of Bounds");
    EXPECT_NE(rgb, nullptr);

    // A source whose rows cannot become the image's: code 1, still the
    // caller's.
    std::unique_ptr<RowProviderInterface> plain = constantRows(DataModel(0, kDataTypeSixteenBit, 16), 2, 2, 1);
    EXPECT_EQ(thrownCode<ImageException>([&] { image->paste(plain, {0, 0}, false); }, &message), 1);
    EXPECT_EQ(message, "StaticImage::paste");
    EXPECT_NE(plain, nullptr);
    EXPECT_EQ(thrownCode<ImageException>([&] { image->pasteColumns(plain, {0, 0}); }, &message), 1);
    EXPECT_EQ(message, "StaticImage::paste");
    EXPECT_TRUE(bitmap.guardsIntact());
    EXPECT_GRID_EQ(bitmap.grid(kDataTypeEightBit), OmviTest::gridOf(8, 4, [](int, int) { return 0x11u; }));
}

TEST_F(StaticImageTest, KeysConversionsAndSparseRows)
{
    // RGB rows using their alpha byte: alpha 0 leaves the image's pixel.
    const RgbModel rgba(32);
    Bitmap bitmap(rgba, 4, 1);
    auto image = over(bitmap, rgba);
    std::unique_ptr<RowProviderInterface> first = constantRows(rgba, 4, 1, 0xFF112233);
    image->paste(first, {0, 0}, false);
    std::unique_ptr<RowProviderInterface> holes =
        OmviTest::rowsFrom(rgba, 4, 1, [](int x, int) { return x % 2 == 0 ? 0x00AABBCCu : 0xFF445566u; });
    image->paste(holes, {0, 0}, true);
    const Grid keyed = bitmap.grid(kDataTypeThirtyTwoBit);
    EXPECT_EQ(keyed[0], (std::vector<std::uint64_t>{0xFF112233, 0xFF445566, 0xFF112233, 0xFF445566}));

    // Bitonal rows over a gray image: converted, and with the key their
    // paper leaves the image alone.
    const RgbGrayModel gray;
    Bitmap grayBitmap(gray, 8, 1, 0x77);
    auto grayImage = over(grayBitmap, gray);
    std::unique_ptr<RowProviderInterface> ink =
        OmviTest::rowsFrom(BitonalModel(), 8, 1, [](int x, int) { return x < 3 ? 1u : 0u; });
    grayImage->paste(ink, {0, 0}, false);
    EXPECT_EQ(grayBitmap.grid(1)[0], (std::vector<std::uint64_t>{0, 0, 0, 255, 255, 255, 255, 255}));

    // Sparse rows: only their runs are written.
    Bitmap sparseBitmap(gray, 10, 2, 0x11);
    auto sparseImage = over(sparseBitmap, gray);
    std::unique_ptr<RowProviderInterface> sparse = std::make_unique<SparseRows>(
        gray, 6, 2, [](std::int32_t, std::uint8_t* row) { std::memset(row, 0x99, 6); },
        std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 2}, {4, 9}});
    sparseImage->paste(sparse, {3, 0}, false);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(sparseBitmap.grid(1)[std::size_t(y)],
                  (std::vector<std::uint64_t>{0x11, 0x11, 0x11, 0x99, 0x99, 0x11, 0x11, 0x99, 0x99, 0x11}))
            << "a run past the row is cut at its end";
    EXPECT_TRUE(sparseBitmap.guardsIntact());
}

TEST_F(StaticImageTest, BlendsIntoRgbImagesOnly)
{
    const RgbModel rgb(24);
    Bitmap bitmap(rgb, 3, 2);
    auto image = over(bitmap, rgb);
    std::unique_ptr<RowProviderInterface> base = constantRows(rgb, 3, 2, 0xFF000000);
    image->paste(base, {0, 0}, false);
    std::unique_ptr<RowProviderInterface> white = constantRows(rgb, 2, 1, 0xFFFFFFFF);
    image->blend(white, {1, 1}, false, 255);
    EXPECT_EQ(bitmap.grid(3)[1][2] & 0xFFFFFF, 0xFFFFFFu) << "opacity 255 copies";
    EXPECT_EQ(bitmap.grid(3)[0][2] & 0xFFFFFF, 0u);
    std::unique_ptr<RowProviderInterface> none = constantRows(rgb, 3, 1, 0xFFFFFFFF);
    image->blend(none, {0, 0}, false, 0);
    EXPECT_EQ(bitmap.grid(3)[0][0] & 0xFFFFFF, 0u) << "opacity 0 leaves the image";

    const RgbGrayModel gray;
    Bitmap grayBitmap(gray, 3, 2);
    auto grayImage = over(grayBitmap, gray);
    std::unique_ptr<RowProviderInterface> rows = constantRows(gray, 3, 2, 9);
    std::string message;
    EXPECT_EQ(thrownCode<ImageException>([&] { grayImage->blend(rows, {0, 0}, false, 100); }, &message), 3);
    EXPECT_EQ(message, "StaticImage:blend");
    EXPECT_NE(rows, nullptr);
}

TEST_F(StaticImageTest, ColumnPastesLayRowsAsTheTiledImageDoes)
{
    for (const std::int32_t dataType : {0, 1, 3})
    {
        const DataModel model(0, dataType, bitsPerPixelOf(dataType));
        Bitmap bitmap(model, 9, 7);
        auto image = over(bitmap, model);
        std::unique_ptr<RowProviderInterface> source = OmviTest::patternRows(model, 5, 3);
        image->pasteColumns(source, {2, 1});
        EXPECT_EQ(source, nullptr);

        TiledImage tiled;
        tiled.construct({9, 7}, model, ImagePixel(model.pixelKind(), 0), kOrganisationDefault);
        std::unique_ptr<RowProviderInterface> same = OmviTest::patternRows(model, 5, 3);
        tiled.pasteColumns(same, {2, 1});
        auto back = tiled.read({9, 7}, {0, 0});
        EXPECT_GRID_EQ(bitmap.grid(dataType), OmviTest::pullGrid(*back)) << "data type " << dataType;
        EXPECT_TRUE(bitmap.guardsIntact());
    }
}

TEST_F(StaticImageTest, PasteProgressEveryIntervalAndStops)
{
    CountingReporter reporter;
    OMVISession::get()->setProgressReporter(&reporter);
    const RgbGrayModel gray;
    {
        Bitmap bitmap(gray, 4, 100);
        auto image = over(bitmap, gray);
        std::unique_ptr<RowProviderInterface> rows = constantRows(gray, 4, 100, 5);
        image->paste(rows, {0, 0}, false);
        ASSERT_EQ(reporter.calls.size(), 51u);
        EXPECT_EQ(reporter.calls[0], (std::pair<std::int32_t, std::int32_t>{1, 100})) << "after the second row";
        EXPECT_EQ(reporter.calls[1], (std::pair<std::int32_t, std::int32_t>{3, 100}));
        EXPECT_EQ(reporter.calls.back(), (std::pair<std::int32_t, std::int32_t>{100, 100}));
        EXPECT_FALSE(image->wasCancelled());
    }
    reporter.calls.clear();
    {
        Bitmap bitmap(gray, 4, 1000);
        auto image = over(bitmap, gray);
        std::unique_ptr<RowProviderInterface> rows = constantRows(gray, 4, 1000, 5);
        image->paste(rows, {0, 0}, true);
        ASSERT_GE(reporter.calls.size(), 3u);
        EXPECT_EQ(reporter.calls[0].first, 10) << "after the 11th row";
        EXPECT_EQ(reporter.calls[1].first, 21);
        EXPECT_EQ(reporter.calls.size(), 1000u / 11u + 1u);
    }
    reporter.calls.clear();
    reporter.answer = false;
    {
        Bitmap bitmap(gray, 4, 100, 0x11);
        auto image = over(bitmap, gray);
        std::unique_ptr<RowProviderInterface> rows = constantRows(gray, 4, 100, 5);
        image->paste(rows, {0, 0}, false);
        EXPECT_EQ(reporter.calls.size(), 1u) << "stopped at the first answer, no final report";
        EXPECT_TRUE(image->wasCancelled());
        EXPECT_EQ(bitmap.grid(1)[1][0], 5u);
        EXPECT_EQ(bitmap.grid(1)[2][0], 0x11u) << "no row after the stop";
    }
    reporter.calls.clear();
    reporter.answer = true;
    {
        const RgbModel rgb(24);
        Bitmap bitmap(rgb, 2, 3);
        auto image = over(bitmap, rgb);
        std::unique_ptr<RowProviderInterface> rows = constantRows(rgb, 2, 3, 0xFF808080);
        image->blend(rows, {0, 0}, false, 10);
        EXPECT_EQ(reporter.calls, (std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 3}, {1, 3}, {2, 3}, {3, 3}}));
    }
    OMVISession::get()->setProgressReporter(nullptr);
}

TEST_F(StaticImageTest, ContextsReachTheMemoryInsideTheirRegionOnly)
{
    const RgbGrayModel gray;
    Bitmap bitmap(gray, 9, 5);
    auto representation = std::make_unique<StaticImage>();
    representation->construct(bitmap.pixels(), bitmap.size, gray);
    Image image(std::move(representation));
    {
        std::unique_ptr<ImageContext> context = image.createContext(0, {4, 3}, {2, 1}, 1);
        // A static image's contexts always write.
        context->putPixel(2, 1, ImagePixel(kPixelGray, 0x42));
        context->putPixel(5, 3, ImagePixel(kPixelGray, 0x43));
        EXPECT_EQ(bitmap.row(1)[2], 0x42);
        EXPECT_EQ(context->getPixel(5, 3), ImagePixel(kPixelGray, 0x43));
        EXPECT_EQ(thrownCode<ImageContextException>([&] { context->getPixel(6, 3); }), 2);
        EXPECT_EQ(thrownCode<ImageContextException>([&] { context->putPixel(1, 1, ImagePixel(kPixelGray, 1)); }), 2);
        std::unique_ptr<ImageContext> whole = image.createContext(1);
        EXPECT_EQ(whole->getPixel(8, 4), ImagePixel(kPixelGray, 0));
    }
    std::string message;
    for (const auto& [size, origin] :
         std::vector<std::pair<PixelPair, PixelPair>>{{{4, 3}, {6, 0}}, {{0, 1}, {0, 0}}, {{1, 1}, {0, -1}}})
    {
        EXPECT_EQ(thrownCode<ImageException>([&] { image.createContext(0, size, origin, 1); }, &message), 0);
        EXPECT_EQ(message, "Image::createContext: Region Out Of Bounds");
    }
    EXPECT_EQ(thrownCode<ImageException>([&] { Image().createContext(0); }), 0);

    // The image goes first: the context is detached and goes quietly.
    std::unique_ptr<ImageContext> orphan;
    {
        Bitmap other(gray, 3, 3);
        auto rep = std::make_unique<StaticImage>();
        rep->construct(other.pixels(), other.size, gray);
        Image going(std::move(rep));
        orphan = going.createContext(0);
    }
    EXPECT_EQ(thrownCode<ImageContextException>([&] { orphan->getPixel(0, 0); }), 3);
    orphan.reset();
    EXPECT_TRUE(bitmap.guardsIntact());
}
