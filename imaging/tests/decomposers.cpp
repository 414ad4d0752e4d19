// Decomposers: rows written into tiled images in the eight orientations, by
// paste, blend and pasteColumns, with key colours, sparse rows, progress and
// cancelling, under the default budget and a budget of two units.
#include "PixelGrids.h"
#include "StubImages.h"
#include "TiledImageFixtures.h"

#include "imaging/decomposers/ClippedDraw.h"
#include "imaging/decomposers/DecomposerFactory.h"
#include "imaging/decomposers/TiledImageDecomposers.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/BitonalModel.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/pipeline/ProgressReporterInterface.h"
#include "imaging/platform/WindowsJobManager.h"

#include <gtest/gtest.h>

#include <array>
#include <utility>

using namespace Omvi;
using namespace OmviTest;

namespace
{
class Decomposers : public TiledImageTest
{
protected:
    void TearDown() override
    {
        if (OMVISession* session = OMVISession::get())
            session->setProgressReporter(nullptr);
        TiledImageTest::TearDown();
    }
};

const RgbModel kRgb(32);

// An image of `width` × `height` RGB pixels holding `grid`.
std::unique_ptr<TiledImage> imageOf(const Grid& grid, std::int32_t organisation = kOrganisation64)
{
    auto image = std::make_unique<TiledImage>();
    std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, grid);
    image->construct(rows, BuildOrder::RowsTopDown, organisation);
    return image;
}

Grid readBack(TiledImage& image)
{
    std::unique_ptr<RowProviderInterface> rows = image.read(image.size(), {0, 0});
    return pullGrid(*rows);
}

// `under` with the rows of `source` laid from `origin` in `orientation`
// (reading the covered region back in `orientation` gives `source`).
Grid pastedInOrder(Grid under, const Grid& source, int x0, int y0, Orientation orientation)
{
    const int width = static_cast<int>(source[0].size());
    const int height = static_cast<int>(source.size());
    const PixelPosition covered = orientedSize(orientation, width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            const PixelPosition at = storedPixel(orientation, covered.x, covered.y, x, y);
            under[std::size_t(y0 + at.y)][std::size_t(x0 + at.x)] = source[std::size_t(y)][std::size_t(x)];
        }
    return under;
}

std::uint64_t background(int x, int y)
{
    return 0xFF000000u | std::uint64_t(x * 7 + y * 131);
}

std::uint64_t foreground(int x, int y)
{
    return 0xFF000000u | (patternPixel(kDataTypeThirtyTwoBit, x, y) & 0x00FFFFFFu);
}

// Records the progress reports; answers false from the `stopAt`-th report.
class Reporter : public ProgressReporterInterface
{
public:
    explicit Reporter(int stopAt = 0) : stopAt_(stopAt) {}
    bool reportProgress(std::int32_t row, std::int32_t rowCount) override
    {
        reports.emplace_back(row, rowCount);
        return stopAt_ == 0 || static_cast<int>(reports.size()) < stopAt_;
    }
    std::vector<std::pair<int, int>> reports;

private:
    int stopAt_;
};

// Rows that carry pixels only in runs: each row's runs are given.
class SparseRows : public MemoryRows
{
public:
    SparseRows(const DataModel& model, const Grid& grid, std::vector<std::vector<std::pair<int, int>>> runs)
        : MemoryRows(model, static_cast<std::int32_t>(grid[0].size()), rowsOfGrid(model, grid)),
          runs_(std::move(runs))
    {
    }
    std::int32_t getNextRow(DataBuffer& row) override
    {
        current_ = static_cast<int>(size().y - rowsRemaining());
        next_ = 0;
        return MemoryRows::getNextRow(row);
    }
    bool hasSparseRows() const override { return true; }
    std::int32_t runCount() const override { return static_cast<std::int32_t>(runs_[std::size_t(current_)].size()); }
    bool nextRun(std::int32_t& first, std::int32_t& count) override
    {
        const auto& runs = runs_[std::size_t(current_)];
        if (next_ >= runs.size())
            return false;
        first = runs[next_].first;
        count = runs[next_].second;
        ++next_;
        return true;
    }
    void restartRuns() override { next_ = 0; }

private:
    static std::vector<Row> rowsOfGrid(const DataModel& model, const Grid& grid)
    {
        std::vector<Row> rows;
        for (const auto& values : grid)
        {
            Row row(std::size_t(model.bytesPerRow(static_cast<std::int64_t>(values.size()))), 0);
            for (std::size_t x = 0; x < values.size(); ++x)
                setPixelIn(row.data(), model.dataType(), static_cast<int>(x), values[x]);
            rows.push_back(std::move(row));
        }
        return rows;
    }
    std::vector<std::vector<std::pair<int, int>>> runs_;
    int current_ = 0;
    std::size_t next_ = 0;
};
} // namespace

TEST_F(Decomposers, RowsPastedInEveryOrientationReadBackInEveryOrientationAlsoOnTwoUnits)
{
    OMVISession& session = start();
    const Grid under = gridOf(150, 140, background);
    const Grid source = gridOf(67, 45, foreground);
    for (const bool twoUnits : {false, true})
    {
        ASSERT_TRUE(session.setMemoryLimit(twoUnits ? 32 : 0));
        for (std::int32_t paste = 0; paste < 8; ++paste)
        {
            const Orientation laid = *orientationFromCode(paste);
            std::unique_ptr<TiledImage> image = imageOf(under);
            // An odd origin: the source covers some tiles only partly.
            std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, source);
            image->pasteInOrder(rows, {61, 63}, laid);
            EXPECT_EQ(rows, nullptr);
            EXPECT_TRUE(image->isModified());
            const Grid expected = pastedInOrder(under, source, 61, 63, laid);
            for (std::int32_t read = 0; read < 8; ++read)
            {
                const Orientation orientation = *orientationFromCode(read);
                std::unique_ptr<RowProviderInterface> back = image->read(image->size(), {0, 0}, orientation);
                ASSERT_GRID_EQ(pullGrid(*back), viewOf(expected, orientation))
                    << "pasted in " << paste << ", read in " << read << (twoUnits ? " on two units" : "");
            }
            // Reading the covered region in the paste's orientation gives
            // the rows again.
            const PixelPosition covered = orientedSize(laid, 67, 45);
            std::unique_ptr<RowProviderInterface> region = image->read({covered.x, covered.y}, {61, 63}, laid);
            EXPECT_GRID_EQ(pullGrid(*region), source) << paste;
        }
    }
}

TEST_F(Decomposers, APastePartlyOverATileKeepsTheRestAndBlankTilesStayBlank)
{
    start();
    TiledImage image;
    const ImagePixel clear(kPixelRgb, 0xFF102030u);
    ASSERT_TRUE(image.construct({200, 130}, kRgb, clear, kOrganisation64));
    // A 10 × 10 square from (60, 60): four tiles, each only partly.
    std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, gridOf(10, 10, foreground));
    image.paste(rows, {60, 60}, false);
    TilePixels pixels(image);
    EXPECT_EQ(pixels.at(59, 60), clear.value);
    EXPECT_EQ(pixels.at(60, 60), foreground(0, 0));
    EXPECT_EQ(pixels.at(69, 69), foreground(9, 9));
    EXPECT_EQ(pixels.at(70, 69), clear.value);
    EXPECT_EQ(pixels.at(0, 0), clear.value);
    for (const TileIndex written : {TileIndex{0, 0}, TileIndex{0, 1}, TileIndex{1, 0}, TileIndex{1, 1}})
        EXPECT_FALSE(image.tileTable().tileAt(written.row, written.column)->isBlank());
    EXPECT_TRUE(image.tileTable().tileAt(0, 2)->isBlank()) << "a tile the rows never reach stays blank";
    EXPECT_TRUE(image.tileTable().tileAt(2, 0)->isBlank());

    // A region ending exactly on a tile edge uses the whole last tile.
    std::unique_ptr<RowProviderInterface> edge = gridRows(kRgb, gridOf(64, 2, foreground));
    image.paste(edge, {64, 0}, false);
    EXPECT_EQ(TilePixels(image).at(127, 1), foreground(63, 1));
    EXPECT_EQ(TilePixels(image).at(128, 1), clear.value);
}

TEST_F(Decomposers, ProgressIsReportedEveryFewRowsAndACancelStopsAfterTheBand)
{
    OMVISession& session = start();
    for (const auto& [rows, step] : {std::pair<int, int>{100, 2}, {101, 2}, {250, 3}})
    {
        Reporter reporter;
        session.setProgressReporter(&reporter);
        TiledImage image;
        std::unique_ptr<RowProviderInterface> source = patternRows(kRgb, 10, rows);
        ASSERT_TRUE(image.construct(source, BuildOrder::RowsTopDown, kOrganisation64));
        ASSERT_FALSE(reporter.reports.empty());
        // Asked before row k (1-based) is pulled, every `step` rows: k-1
        // rows are done.
        for (std::size_t i = 0; i + 1 < reporter.reports.size(); ++i)
            EXPECT_EQ(reporter.reports[i], std::make_pair(int(step * (i + 1)) - 1, rows)) << rows << " rows, report " << i;
        EXPECT_EQ(reporter.reports.back(), std::make_pair(rows, rows)) << "the last report is (total, total)";
        EXPECT_FALSE(image.wasCancelled());
    }

    // A false answer to the first report (before row 3) stops once the
    // first band (64 rows) is stored: the rest stays clear.
    Reporter stopper(1);
    session.setProgressReporter(&stopper);
    TiledImage image;
    std::unique_ptr<RowProviderInterface> source = patternRows(kRgb, 10, 200);
    ASSERT_TRUE(image.construct(source, BuildOrder::RowsTopDown, kOrganisation64));
    EXPECT_TRUE(image.wasCancelled());
    EXPECT_EQ(stopper.reports.size(), 1u) << "no (total, total) after a cancel";
    TilePixels pixels(image);
    EXPECT_EQ(pixels.at(3, 1), patternPixel(kDataTypeThirtyTwoBit, 3, 1));
    EXPECT_EQ(pixels.at(3, 2), 0u) << "the row asked about is not drawn";
    EXPECT_TRUE(image.tileTable().tileAt(1, 0)->isBlank());

    // The next paste starts afresh.
    session.setProgressReporter(nullptr);
    std::unique_ptr<RowProviderInterface> more = patternRows(kRgb, 10, 10);
    image.paste(more, {0, 100}, false);
    EXPECT_FALSE(image.wasCancelled());
}

TEST_F(Decomposers, KeyColoursLeaveTheImageAloneWhereTheSourceIsTransparent)
{
    start();
    const ImagePixel clear(kPixelRgb, 0xFF0000FFu);
    // RGB with its alpha byte used: alpha 0 is transparent.
    {
        TiledImage image;
        ASSERT_TRUE(image.construct({70, 5}, kRgb, clear, kOrganisation64));
        const Grid source = gridOf(70, 5, [](int x, int y) { return (x + y) % 3 == 0 ? 0x00ABCDEFu : foreground(x, y); });
        std::unique_ptr<RowProviderInterface> keyed = gridRows(kRgb, source);
        image.paste(keyed, {0, 0}, true);
        const Grid back = readBack(image);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 70; ++x)
                ASSERT_EQ(back[std::size_t(y)][std::size_t(x)], (x + y) % 3 == 0 ? clear.value : foreground(x, y));
        // Without the flag every pixel is copied.
        std::unique_ptr<RowProviderInterface> opaque = gridRows(kRgb, source);
        image.paste(opaque, {0, 0}, false);
        EXPECT_GRID_EQ(readBack(image), source);
        // With 24 bits used the alpha byte means nothing: the flag is dropped.
        const RgbModel rgb24(24);
        std::unique_ptr<RowProviderInterface> noAlpha = gridRows(rgb24, gridOf(70, 5, [](int, int) { return 0x00123456u; }));
        image.paste(noAlpha, {0, 0}, true);
        EXPECT_EQ(readBack(image)[0][0], 0x00123456u);
    }
    // Gray with a transparent level: the level's pixels are left out.
    {
        RgbGrayModel gray;
        gray.setAlpha(7, 0);
        EXPECT_TRUE(hasTransparency(gray));
        TiledImage image;
        ASSERT_TRUE(image.construct({130, 3}, gray, ImagePixel(kPixelGray, 200), kOrganisation128));
        std::unique_ptr<RowProviderInterface> rows =
            rowsFrom(gray, 130, 3, [](int x, int) { return x % 2 ? 7u : std::uint64_t(x % 200); });
        image.paste(rows, {0, 0}, true);
        std::unique_ptr<RowProviderInterface> back = image.read({130, 3}, {0, 0});
        const Grid grid = pullGrid(*back);
        for (int x = 0; x < 130; ++x)
            ASSERT_EQ(grid[1][std::size_t(x)], x % 2 ? 200u : std::uint64_t(x % 200)) << x;
    }
    // Bitonal: 0 bits (paper) are transparent, the ink is merged in.
    {
        const BitonalModel bitonal;
        EXPECT_FALSE(hasTransparency(bitonal));
        TiledImage image;
        ASSERT_TRUE(image.construct({600, 2}, bitonal, ImagePixel(kPixelBitonal, 0), kOrganisationDefault));
        std::unique_ptr<RowProviderInterface> first = rowsFrom(bitonal, 600, 2, [](int x, int) { return x % 3 == 0; });
        image.paste(first, {0, 0}, true);
        std::unique_ptr<RowProviderInterface> second = rowsFrom(bitonal, 600, 2, [](int x, int) { return x % 5 == 0; });
        image.paste(second, {0, 0}, true);
        const Grid grid = readBack(image);
        for (int x = 0; x < 600; ++x)
            ASSERT_EQ(grid[0][std::size_t(x)], std::uint64_t(x % 3 == 0 || x % 5 == 0)) << x;
    }
    // A palette is transparent only through an entry it counts.
    {
        std::vector<RgbColor> colours(16, RgbColor(1, 2, 3, 255));
        RgbPaletteModel palette(16, colours.data());
        EXPECT_FALSE(hasTransparency(palette)) << "the uncounted entries are not the palette's";
        colours[4] = RgbColor(0, 0, 0, 0);
        palette.setEntries(0, 16, colours.data());
        EXPECT_TRUE(hasTransparency(palette));
        EXPECT_TRUE(hasTransparency(RgbModel(32)));
        EXPECT_FALSE(hasTransparency(RgbModel(24)));
        EXPECT_FALSE(hasTransparency(DataModel(0, kDataTypeEightBit, 8)));
    }
}

TEST_F(Decomposers, BlendsMixRgbRowsAndRefuseOtherImagesBeforeTouchingTheRows)
{
    start();
    const Grid under = gridOf(70, 4, background);
    const Grid over = gridOf(70, 4, foreground);
    for (const int opacity : {255, 300})
    {
        std::unique_ptr<TiledImage> image = imageOf(under);
        std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, over);
        image->blend(rows, {0, 0}, false, opacity);
        EXPECT_GRID_EQ(readBack(*image), over) << "opacity " << opacity << " copies";
    }
    for (const int opacity : {0, -4})
    {
        std::unique_ptr<TiledImage> image = imageOf(under);
        std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, over);
        image->blend(rows, {0, 0}, false, opacity);
        EXPECT_GRID_EQ(readBack(*image), under) << "opacity " << opacity << " leaves the image";
    }

    TiledImage gray;
    ASSERT_TRUE(gray.construct({10, 10}, RgbGrayModel(), ImagePixel(kPixelGray, 0), kOrganisation128));
    auto flag = std::make_shared<bool>(false);
    auto memory = std::make_unique<MemoryRows>(kRgb, 10, 10, 40);
    memory->watchDeletion(flag);
    std::unique_ptr<RowProviderInterface> rows = std::move(memory);
    std::string message;
    EXPECT_EQ(thrownCode<ImageException>([&] { gray.blend(rows, {0, 0}, false, 128); }, &message), 3);
    EXPECT_EQ(message, "TiledImage:blend");
    EXPECT_NE(rows, nullptr);
    EXPECT_FALSE(*flag);
}

TEST_F(Decomposers, RowsOfAnotherModelAreConvertedOrRefusedAndRefusedRowsStayTheCallers)
{
    start();
    // Gray rows into an RGB image: level g becomes (g, g, g) opaque.
    TiledImage image;
    ASSERT_TRUE(image.construct({20, 2}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    const RgbGrayModel gray;
    std::unique_ptr<RowProviderInterface> levels = rowsFrom(gray, 20, 2, [](int x, int) { return std::uint64_t(x * 10); });
    image.paste(levels, {0, 0}, false);
    EXPECT_EQ(readBack(image)[1][5], 0xFF323232u);

    // RGB rows into a bitonal image: no conversion.
    TiledImage bitonal;
    ASSERT_TRUE(bitonal.construct({20, 20}, BitonalModel(), ImagePixel(kPixelBitonal, 0), kOrganisationDefault));
    auto flag = std::make_shared<bool>(false);
    auto memory = std::make_unique<MemoryRows>(kRgb, 20, 2, 80);
    memory->watchDeletion(flag);
    std::unique_ptr<RowProviderInterface> rows = std::move(memory);
    std::string message;
    EXPECT_EQ(thrownCode<ImageException>([&] { bitonal.paste(rows, {0, 0}, false); }, &message), 1);
    EXPECT_EQ(message, "TiledImage::paste");
    EXPECT_EQ(thrownCode<ImageException>([&] { bitonal.pasteColumns(rows, {0, 0}); }), 1);
    EXPECT_EQ(thrownCode<ImageException>([&] { bitonal.pasteInOrder(rows, {0, 0}, Orientation::HalfTurn); }), 1);
    EXPECT_NE(rows, nullptr);
    EXPECT_FALSE(*flag);

    // Regions that do not fit are refused before the rows are touched.
    EXPECT_EQ(thrownCode<ImageException>([&] { image.paste(rows, {1, 0}, false); }, &message), 0);
    EXPECT_EQ(message, "TiledImage::paste: Region Out Of Bounds");
    EXPECT_EQ(thrownCode<ImageException>([&] { image.blend(rows, {0, 1}, false, 9); }), 0);
    EXPECT_EQ(thrownCode<ImageException>([&] { image.pasteColumns(rows, {0, 0}); }), 0)
        << "two columns of 20 pixels do not fit 2 lines";
    EXPECT_EQ(thrownCode<ImageException>([&] { image.pasteInOrder(rows, {0, 0}, Orientation::Transpose); }), 0);
    EXPECT_EQ(thrownCode<ImageException>([&] { image.paste(rows, {-1, 0}, false); }), 0);
    EXPECT_FALSE(*flag);
    EXPECT_EQ(rows->rowsRemaining(), 2);
    std::unique_ptr<RowProviderInterface> none;
    EXPECT_EQ(thrownCode<ImageException>([&] { image.paste(none, {0, 0}, false); }), 1);
}

TEST_F(Decomposers, PasteColumnsLaysEachRowAsAColumnFromTheBottomUp)
{
    start();
    std::unique_ptr<TiledImage> image = imageOf(gridOf(100, 90, background));
    const Grid source = gridOf(70, 3, foreground); // three columns of 70 pixels
    std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, source);
    image->pasteColumns(rows, {63, 10});
    const Grid back = readBack(*image);
    for (int r = 0; r < 3; ++r)
        for (int k = 0; k < 70; ++k)
            ASSERT_EQ(back[std::size_t(10 + 69 - k)][std::size_t(63 + r)], source[std::size_t(r)][std::size_t(k)]);
    EXPECT_EQ(back[9][63], background(63, 9));
    EXPECT_EQ(back[10][66], background(66, 10));
}

TEST_F(Decomposers, SparseRowsDrawOnlyTheirRunsInEveryOrientationAsKeyedRowsWould)
{
    OMVISession& session = start();
    const Grid under = gridOf(150, 140, background);
    const Grid source = gridOf(67, 45, foreground);
    // Runs that start and end anywhere, some across tile edges once laid,
    // one row without runs, some runs partly outside the row.
    std::vector<std::vector<std::pair<int, int>>> runs(45);
    for (int y = 0; y < 45; ++y)
    {
        if (y == 7)
            continue;
        runs[std::size_t(y)] = {{y % 5, 3 + y % 4}, {10 + y, 20}, {50, 30}, {-3, 2}};
        if (y % 2)
            std::swap(runs[std::size_t(y)][0], runs[std::size_t(y)][2]);
    }
    // The same pixels, marked transparent by alpha 0 instead.
    const Grid keyed = gridOf(67, 45, [&](int x, int y) {
        for (const auto& run : runs[std::size_t(y)])
            if (x >= run.first && x < run.first + run.second)
                return foreground(x, y);
        return std::uint64_t{0x00000000u};
    });
    for (const bool twoUnits : {false, true})
    {
        ASSERT_TRUE(session.setMemoryLimit(twoUnits ? 32 : 0));
        for (std::int32_t code = 0; code < 8; ++code)
        {
            const Orientation orientation = *orientationFromCode(code);
            std::unique_ptr<TiledImage> sparseImage = imageOf(under);
            SparseRows sparse(kRgb, source, runs);
            std::unique_ptr<TiledImageDecomposer> clipped =
                createDecomposer(*sparseImage, sparse, {61, 63}, orientation, false, ImagePixel());
            clipped->decompose();

            std::unique_ptr<TiledImage> keyedImage = imageOf(under);
            std::unique_ptr<RowProviderInterface> keyedRows = gridRows(kRgb, keyed);
            std::unique_ptr<TiledImageDecomposer> transparent =
                createDecomposer(*keyedImage, *keyedRows, {61, 63}, orientation, true, ImagePixel());
            transparent->decompose();

            const Grid expected = readBack(*keyedImage);
            const Grid actual = readBack(*sparseImage);
            EXPECT_GRID_EQ(actual, expected) << "orientation " << code;
            EXPECT_NE(gridDifference(expected, under), "");
            // The row without runs leaves what was under it.
            const PixelPosition covered = orientedSize(orientation, 67, 45);
            const PixelPosition at = storedPixel(orientation, covered.x, covered.y, 30, 7);
            EXPECT_EQ(expected[std::size_t(63 + at.y)][std::size_t(61 + at.x)], background(61 + at.x, 63 + at.y));
        }
    }
}

TEST_F(Decomposers, TheClippedDrawCutsRunsToPiecesInEitherDirection)
{
    // A recording splitter stands for a kernel: each split is noted.
    struct Recorder : RowSplitter
    {
        void setSource(const std::uint8_t*, std::int32_t length) override { rowLength = length; }
        void split(std::uint8_t*, std::int32_t position, std::int32_t offset, std::int32_t count) override
        {
            splits.push_back({position, offset, count});
        }
        std::int32_t rowLength = 0;
        std::vector<std::array<int, 3>> splits;
    };
    const Grid source = gridOf(20, 1, foreground);
    for (const std::int32_t direction : {0, 1})
    {
        SparseRows sparse(kRgb, source, {{{2, 3}, {8, 6}, {18, 9}}});
        auto recorder = std::make_unique<Recorder>();
        Recorder* seen = recorder.get();
        ClippedDraw draw(std::move(recorder), sparse, direction);
        DataBuffer row(sparse.bytesPerRow());
        sparse.getNextRow(row);
        draw.setSource(row.data(), 20);
        // Pieces of 10 pixels: tile positions 5.. and 0..
        draw.split(nullptr, 5, 0, 10);
        draw.split(nullptr, 0, 10, 10);
        using Split = std::array<int, 3>;
        if (direction == 0)
        {
            // Runs [2,5) [8,14) [18,20) (the last cut to the row).
            EXPECT_EQ(seen->splits, (std::vector<Split>{{7, 2, 3}, {13, 8, 2}, {0, 10, 4}, {8, 18, 2}}));
        }
        else
        {
            // Mirrored offsets: [0,2) [6,12) [15,18).
            EXPECT_EQ(seen->splits, (std::vector<Split>{{5, 0, 2}, {11, 6, 4}, {0, 10, 2}, {5, 15, 3}}));
        }
    }
}

TEST_F(Decomposers, TheFactoryAndTheDecomposersGuardTheirInputs)
{
    OMVISession& session = start();
    TiledImage image;
    ASSERT_TRUE(image.construct({300, 200}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
    std::unique_ptr<RowProviderInterface> rows = patternRows(kRgb, 130, 70);
    StubImage other;
    EXPECT_EQ(createDecomposer(other, *rows, {0, 0}, Orientation::Identity, false, ImagePixel()), nullptr);

    const RgbGrayModel gray;
    std::unique_ptr<RowProviderInterface> levels = patternRows(gray, 10, 10);
    EXPECT_EQ(thrownCode<ImageException>(
                  [&] { createDecomposer(image, *levels, {0, 0}, Orientation::Identity, false, ImagePixel()); }),
              1);
    EXPECT_EQ(thrownCode<ImageException>(
                  [&] { createDecomposer(image, *rows, {200, 0}, Orientation::Identity, false, ImagePixel()); }),
              0);
    EXPECT_EQ(thrownCode<ImageException>(
                  [&] { createDecomposer(image, *rows, {0, 150}, Orientation::Transpose, false, ImagePixel()); }),
              0)
        << "as columns the rows cover 70 × 130";

    auto& jobs = dynamic_cast<WindowsJobManager&>(session.jobManager());
    std::unique_ptr<TiledImageDecomposer> columns =
        createDecomposer(image, *rows, {60, 10}, Orientation::QuarterTurnLeft, false, ImagePixel());
    EXPECT_EQ(jobs.jobCount(), 1) << "a decomposer registers when it is made";
    std::int32_t bands = 0;
    std::int32_t tiles = 0;
    columns->unitRequest(bands, tiles);
    // The 70 rows become columns 60-129 (three tile columns, the bands),
    // each 130 lines long from line 10 (three tile rows a band).
    EXPECT_EQ(tiles, 3);
    EXPECT_EQ(bands, 3);
    EXPECT_EQ(columns->unitSize(), 64 * 64 * 4);
    EXPECT_TRUE(columns->walksBackwards());
    EXPECT_EQ(columns->direction(), 2);
    columns->decompose();
    EXPECT_EQ(jobs.jobCount(), 0) << "the memory goes back when it ends";
    std::int32_t done = 0;
    std::int32_t total = 0;
    columns->progress(done, total);
    EXPECT_EQ(done, 70);
    EXPECT_EQ(total, 70);
    columns->decompose();
    EXPECT_EQ(rows->rowsRemaining(), 0);
}
