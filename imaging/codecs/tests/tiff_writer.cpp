// The TIFF writer: every data model it takes, the compression and
// organisation properties, several frames, and the files checked by
// libtiff-tools, netpbm, ImageMagick and the codec's own reader.
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffTestSupport.h"

#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/tiff/properties/TiffChoiceProperties.h"
#include "imaging/codecs/tiff/properties/TiffCompression.h"
#include "imaging/codecs/tiff/properties/TiffLayoutProperties.h"
#include "imaging/codecs/tiff/properties/TiffPrivateTag.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"
#include "imaging/codecs/tiff/writer/TiffWriteFile.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

using namespace Omvi;
using namespace OmviTest::Tiff;
using OmviTest::ScratchFolder;

namespace
{

constexpr int kWidth = 29;
constexpr int kHeight = 19;

// Rows held in memory, handed to a writer.
class MemoryRows : public RowIteratorInterface
{
public:
    MemoryRows(std::vector<Bytes> rows, int width) : rows_(std::move(rows)), width_(width) {}

    std::int32_t bytesPerRow() const override { return rows_.empty() ? 0 : static_cast<std::int32_t>(rows_[0].size()); }
    void getRow(DataBuffer& row) override
    {
        ++delivered_;
        std::memcpy(row.data(), rows_.at(static_cast<std::size_t>(current_)).data(), rows_[0].size());
    }
    bool next() override { return ++current_ < static_cast<int>(rows_.size()); }
    std::int32_t rowCount() const override { return static_cast<std::int32_t>(rows_.size()); }
    std::int32_t width() const override { return width_; }
    void start() override
    {
        current_ = 0;
        ++starts_;
    }
    void finish() override { ++finishes_; }

    int starts_ = 0;
    int finishes_ = 0;
    int delivered_ = 0;

private:
    std::vector<Bytes> rows_;
    int width_;
    int current_ = 0;
};

std::vector<Bytes> rowsOf(const Bytes& data, int height)
{
    std::vector<Bytes> rows;
    const std::size_t bytes = data.size() / static_cast<std::size_t>(height);
    for (int y = 0; y < height; ++y)
        rows.emplace_back(data.begin() + static_cast<std::ptrdiff_t>(y * bytes),
                          data.begin() + static_cast<std::ptrdiff_t>((y + 1) * bytes));
    return rows;
}

// What a frame is told about its image.
struct Model
{
    int kind;
    int bitsPerPixel;
    int bitsUsed;
};

class TiffWriterTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    std::unique_ptr<WriteImageFileInterface> openWriter(const std::string& name)
    {
        std::unique_ptr<WriteImageFileInterface> writer(codec_.createWriter());
        EXPECT_TRUE(writer);
        if (writer)
        {
            EXPECT_TRUE(writer->open(specifierOf(folder_.file(name))));
        }
        return writer;
    }

    std::unique_ptr<WriteImageFileFrameInterface> frameFor(WriteImageFileInterface& writer, const Model& model,
                                                           int width = kWidth, int height = kHeight)
    {
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer.createFrame());
        EXPECT_TRUE(frame);
        if (!frame)
            return frame;
        frame->setSize(height, width);
        frame->setThirdValue(model.bitsPerPixel);
        frame->setBitsPerPixel(model.bitsUsed);
        frame->setDataModelKind(model.kind);
        return frame;
    }

    // Writes one frame of `data` (rows of the delivered layout) with the
    // properties given; the frames written.
    int write(const std::string& name, const Model& model, const Bytes& data,
              const std::vector<const FormatCodecPropertyInterface*>& properties = {}, const Bytes& palette = {})
    {
        std::unique_ptr<WriteImageFileInterface> writer = openWriter(name);
        std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*writer, model);
        if (!palette.empty())
        {
            frame->setPaletteCount(static_cast<int>(palette.size() / 3));
            frame->setPalette(palette.data());
        }
        for (const FormatCodecPropertyInterface* property : properties)
            EXPECT_TRUE(frame->setProperty(property));
        MemoryRows rows(rowsOf(data, kHeight), kWidth);
        const int written = writer->writeFrame(frame.get(), &rows);
        EXPECT_EQ(rows.starts_, 1);
        EXPECT_EQ(rows.finishes_, 1);
        return written;
    }

    // tiffinfo's report of a file (empty when tiffinfo refuses it).
    std::string tiffinfo(const std::string& name)
    {
        return capture("tiffinfo " + quoted(folder_.file(name))).value_or("");
    }

    std::optional<Pnm> tifftopnm(const std::string& name, bool byRow = false)
    {
        const std::optional<std::string> out =
            capture(std::string("tifftopnm ") + (byRow ? "-byrow " : "") + quoted(folder_.file(name)));
        return out ? parsePnm(*out) : std::nullopt;
    }

    std::string path(const std::string& name) const { return folder_.file(name); }

    TiffFormatCodec codec_{TiffFormatCodec::kTextureMode};
    ScratchFolder folder_;
};

// A compression property of the writer's frame, set to `code`.
std::unique_ptr<TiffCompression> compression(WriteImageFileFrameInterface& frame, std::int32_t code)
{
    std::unique_ptr<FormatCodecPropertyInterface> property(frame.getPropertyOfType(FormatCodecPropertyInterface::kCompression));
    auto* choices = dynamic_cast<TiffCompression*>(property.get());
    if (!choices || !choices->selectCode(code))
        return nullptr;
    property.release();
    return std::unique_ptr<TiffCompression>(choices);
}

// Bit rows of the test size with the bits past the last pixel clear (paper),
// as the reader hands them out.
Bytes bitRows(std::uint32_t seed)
{
    const std::size_t stride = (kWidth + 7) / 8;
    Bytes bits = pattern(stride * kHeight, seed);
    for (int y = 0; y < kHeight; ++y)
        bits[static_cast<std::size_t>(y) * stride + stride - 1] &= static_cast<std::uint8_t>(0xFF00 >> (kWidth % 8));
    return bits;
}

Bytes greyLevels(int count, int top)
{
    Bytes data = pattern(static_cast<std::size_t>(count), 5);
    for (std::uint8_t& value : data)
        value = static_cast<std::uint8_t>(value % (top + 1));
    return data;
}

} // namespace

TEST_F(TiffWriterTest, EveryModelIsWrittenAsIndependentDecodersReadIt)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    OMVI_REQUIRE_TOOL("tiffinfo");
    const std::size_t pixels = static_cast<std::size_t>(kWidth) * kHeight;
    const std::size_t bitRow = (kWidth + 7) / 8;

    // Bitonal: a set bit is ink; the file says min-is-white.
    const Bytes bits = bitRows(2);
    ASSERT_EQ(write("bits.tif", {4, 1, 1}, bits), 1);
    EXPECT_NE(tiffinfo("bits.tif").find("min-is-white"), std::string::npos);
    const std::optional<Pnm> bitsPnm = tifftopnm("bits.tif");
    ASSERT_TRUE(bitsPnm);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            ASSERT_EQ(bitsPnm->samples[static_cast<std::size_t>(y * kWidth + x)], (bits[y * bitRow + x / 8] >> (7 - x % 8)) & 1);
    EXPECT_TRUE(decodeChecked(codec_, path("bits.tif"))->rows == rowsOf(bits, kHeight));

    // Grey of 8, 4 and 2 bits used.
    for (const int used : {8, 4, 2})
    {
        SCOPED_TRACE(used);
        const std::string name = "grey" + std::to_string(used) + ".tif";
        const Bytes grey = greyLevels(static_cast<int>(pixels), (1 << used) - 1);
        ASSERT_EQ(write(name, {3, 8, used}, grey), 1);
        EXPECT_NE(tiffinfo(name).find("Bits/Sample: " + std::to_string(used)), std::string::npos);
        const std::optional<Pnm> pnm = tifftopnm(name);
        ASSERT_TRUE(pnm);
        EXPECT_EQ(pnm->maxval, (1 << used) - 1);
        EXPECT_EQ(pnm->samples, std::vector<std::uint16_t>(grey.begin(), grey.end()));
    }

    // Palette: 8-bit indices into 16 colours.
    const Bytes palette = pattern(16 * 3, 8);
    const Bytes indices = greyLevels(static_cast<int>(pixels), 15);
    ASSERT_EQ(write("palette.tif", {2, 8, 8}, indices, {}, palette), 1);
    const std::optional<Pnm> palettePnm = tifftopnm("palette.tif");
    ASSERT_TRUE(palettePnm);
    Bytes expected;
    for (const std::uint8_t index : indices)
        expected.insert(expected.end(), palette.begin() + index * 3, palette.begin() + index * 3 + 3);
    EXPECT_EQ(rgbOf(*palettePnm), expected);
    const std::optional<Decoded> paletteRead = decodeChecked(codec_, path("palette.tif"));
    ASSERT_TRUE(paletteRead);
    EXPECT_EQ(rgbOf(*paletteRead), expected);

    // RGB: 32-bit rows stored as three samples (24 used) or four (32).
    const Bytes rgba = pattern(pixels * 4, 4);
    ASSERT_EQ(write("rgb.tif", {1, 32, 24}, rgba), 1);
    EXPECT_NE(tiffinfo("rgb.tif").find("Samples/Pixel: 3"), std::string::npos);
    Bytes rgb;
    for (std::size_t i = 0; i < pixels; ++i)
        rgb.insert(rgb.end(), rgba.begin() + static_cast<std::ptrdiff_t>(i * 4), rgba.begin() + static_cast<std::ptrdiff_t>(i * 4 + 3));
    EXPECT_EQ(rgbOf(*tifftopnm("rgb.tif")), rgb);
    ASSERT_EQ(write("rgba.tif", {1, 32, 32}, rgba), 1);
    const std::string rgbaInfo = tiffinfo("rgba.tif");
    EXPECT_NE(rgbaInfo.find("Samples/Pixel: 4"), std::string::npos);
    EXPECT_NE(rgbaInfo.find("Extra Samples: 1<unassoc-alpha>"), std::string::npos);
    const std::optional<Decoded> rgbaRead = decodeChecked(codec_, path("rgba.tif"));
    ASSERT_TRUE(rgbaRead);
    EXPECT_EQ(rgbaRead->bitsPerPixel, 32);
    EXPECT_TRUE(rgbaRead->rows == rowsOf(rgba, kHeight));

    // Plain 16-bit with 12 bits used.
    Bytes deep(pixels * 2);
    for (std::size_t i = 0; i < pixels; ++i)
    {
        const auto value = static_cast<std::uint16_t>((i * 151) % 4096);
        std::memcpy(deep.data() + i * 2, &value, 2);
    }
    ASSERT_EQ(write("deep.tif", {0, 16, 12}, deep), 1);
    const std::optional<Pnm> deepPnm = tifftopnm("deep.tif", true);
    ASSERT_TRUE(deepPnm);
    for (std::size_t i = 0; i < pixels; ++i)
        ASSERT_EQ(deepPnm->samples[i], (i * 151) % 4096);
    EXPECT_EQ(decodeChecked(codec_, path("deep.tif"))->bitsPerPixel, 12);

    // Plain 32-bit floats, told so by a sample-format property.
    Bytes floats(pixels * 4);
    for (std::size_t i = 0; i < pixels; ++i)
    {
        const float value = static_cast<float>(i) / 7.0f - 3.0f;
        std::memcpy(floats.data() + i * 4, &value, 4);
    }
    const TiffSampleFormatProperty ieee(2);
    ASSERT_EQ(write("float.tif", {0, 32, 32}, floats, {&ieee}), 1);
    EXPECT_NE(tiffinfo("float.tif").find("IEEE floating point"), std::string::npos);
    const std::optional<Decoded> floatRead = decodeChecked(codec_, path("float.tif"));
    ASSERT_TRUE(floatRead);
    EXPECT_TRUE(floatRead->rows == rowsOf(floats, kHeight));
}

TEST_F(TiffWriterTest, RowsArePackedAsStored)
{
    // Five 4-bit grey pixels 1-5 are the bytes 12 34 50; libtiff hands the
    // stored strip back as it is.
    std::unique_ptr<WriteImageFileInterface> writer = openWriter("nibbles.tif");
    std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*writer, {3, 8, 4}, 5, 1);
    MemoryRows rows({Bytes{1, 2, 3, 4, 5}}, 5);
    ASSERT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    frame.reset();
    writer.reset();
    TIFF* tiff = TIFFOpen(path("nibbles.tif").c_str(), "r");
    ASSERT_TRUE(tiff);
    Bytes raw(16);
    ASSERT_EQ(TIFFReadRawStrip(tiff, 0, raw.data(), static_cast<tmsize_t>(raw.size())), 3);
    EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 3), (Bytes{0x12, 0x34, 0x50}));
    std::uint16_t maximum = 0;
    EXPECT_EQ(TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &maximum), 0);
    TIFFClose(tiff);

    // A plain 16-bit image that uses 12 bits says so.
    ASSERT_EQ(write("twelve.tif", {0, 16, 12}, Bytes(static_cast<std::size_t>(kWidth) * kHeight * 2, 0)), 1);
    tiff = TIFFOpen(path("twelve.tif").c_str(), "r");
    ASSERT_TRUE(tiff);
    double smax = 0.0;
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_MAXSAMPLEVALUE, &maximum));
    ASSERT_TRUE(TIFFGetField(tiff, TIFFTAG_SMAXSAMPLEVALUE, &smax));
    EXPECT_EQ(maximum, 4095);
    EXPECT_EQ(smax, 4095.0);
    TIFFClose(tiff);
}

TEST_F(TiffWriterTest, CompressionChoicesAreWrittenAndRead)
{
    OMVI_REQUIRE_TOOL("tiffinfo");
    OMVI_REQUIRE_TOOL("tifftopnm");
    struct Choice
    {
        Model model;
        std::int32_t code;
        const char* scheme;
        bool lossy;
    };
    const Choice choices[] = {
        {{4, 1, 1}, TiffCompression::kNone, "None", false},
        {{4, 1, 1}, TiffCompression::kDeflate, "AdobeDeflate", false},
        {{4, 1, 1}, TiffCompression::kHuffman, "CCITT RLE", false},
        {{4, 1, 1}, TiffCompression::kGroup3, "CCITT Group 3", false},
        {{4, 1, 1}, TiffCompression::kGroup4, "CCITT Group 4", false},
        {{3, 8, 8}, TiffCompression::kPackBits, "PackBits", false},
        {{3, 8, 8}, TiffCompression::kJpeg, "JPEG", true},
        {{3, 8, 8}, TiffCompression::kLzw, "LZW", false},
        {{1, 32, 24}, TiffCompression::kDeflate, "AdobeDeflate", false},
        {{1, 32, 24}, TiffCompression::kJpeg, "JPEG", true},
        {{1, 32, 24}, TiffCompression::kLzw, "LZW", false},
        {{1, 32, 32}, TiffCompression::kLzw, "LZW", false},
    };
    int n = 0;
    for (const Choice& choice : choices)
    {
        SCOPED_TRACE(n);
        const std::string name = "compressed" + std::to_string(n++) + ".tif";
        const int bytesPerPixel = choice.model.bitsPerPixel / 8;
        const Bytes data = choice.model.kind == 4 ? bitRows(3)
                                                  : pattern(static_cast<std::size_t>(kWidth * bytesPerPixel) * kHeight, 3);
        std::unique_ptr<WriteImageFileInterface> writer = openWriter(name);
        std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*writer, choice.model);
        std::unique_ptr<TiffCompression> property = compression(*frame, choice.code);
        ASSERT_TRUE(property);
        ASSERT_TRUE(frame->setProperty(property.get()));
        MemoryRows rows(rowsOf(data, kHeight), kWidth);
        ASSERT_EQ(writer->writeFrame(frame.get(), &rows), 1);
        frame.reset();
        writer.reset();
        EXPECT_NE(tiffinfo(name).find(std::string("Compression Scheme: ") + choice.scheme), std::string::npos);
        const std::optional<Decoded> decoded = decodeChecked(codec_, path(name));
        ASSERT_TRUE(decoded);
        if (choice.model.bitsUsed == 32)
        {
            // tifftopnm shows colours with their alpha applied; the rows are
            // what was written.
            EXPECT_TRUE(decoded->rows == rowsOf(data, kHeight));
            continue;
        }
        const std::optional<Pnm> reference = tifftopnm(name);
        ASSERT_TRUE(reference);
        if (choice.lossy)
            EXPECT_GT(psnr(rgbOf(*decoded), rgbOf(*reference)), 30.0);
        else
        {
            EXPECT_TRUE(rgbOf(*decoded) == rgbOf(*reference));
            if (choice.model.kind != 1)
            {
                EXPECT_TRUE(decoded->rows == rowsOf(data, kHeight));
            }
        }
    }
}

TEST_F(TiffWriterTest, TilesAndStripsAreWrittenAsOrganised)
{
    OMVI_REQUIRE_TOOL("tiffinfo");
    const std::size_t pixels = static_cast<std::size_t>(kWidth) * kHeight;
    struct Organised
    {
        Model model;
        std::int32_t organisation;
        std::int32_t size;  // tile side or rows per strip
        const char* report;
    };
    const Organised cases[] = {
        {{1, 32, 24}, TiffDataOrganization::kTiles, 16, "Tile Width: 16 Tile Length: 16"},
        {{3, 8, 8}, TiffDataOrganization::kTiles, 16, "Tile Width: 16 Tile Length: 16"},
        {{3, 8, 4}, TiffDataOrganization::kTiles, 16, "Tile Width: 16 Tile Length: 16"},
        {{4, 1, 1}, TiffDataOrganization::kTiles, 16, "Tile Width: 16 Tile Length: 16"},
        {{3, 8, 8}, TiffDataOrganization::kStrips, 5, "Rows/Strip: 5"},
        {{1, 32, 32}, TiffDataOrganization::kOneStrip, 0, "Rows/Strip: (infinite)"},
    };
    int n = 0;
    for (const Organised& c : cases)
    {
        SCOPED_TRACE(n);
        const std::string name = "organised" + std::to_string(n++) + ".tif";
        Bytes data =
            c.model.kind == 4 ? bitRows(6) : pattern(pixels * static_cast<std::size_t>(c.model.bitsPerPixel / 8), 6);
        if (c.model.bitsUsed == 4)
            for (std::uint8_t& value : data)
                value &= 0x0F;
        std::unique_ptr<WriteImageFileInterface> writer = openWriter(name);
        std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*writer, c.model);
        std::unique_ptr<FormatCodecPropertyInterface> property(
            frame->getPropertyOfType(FormatCodecPropertyInterface::kDataOrganization));
        auto* organisation = dynamic_cast<TiffDataOrganization*>(property.get());
        ASSERT_TRUE(organisation);
        ASSERT_TRUE(organisation->setCode(c.organisation));
        if (c.organisation == TiffDataOrganization::kTiles)
        {
            ASSERT_TRUE(organisation->setTileSize(c.size, 0));
        }
        else if (c.organisation == TiffDataOrganization::kStrips)
        {
            ASSERT_TRUE(organisation->setThirdSize(c.size));
        }
        ASSERT_TRUE(frame->setProperty(organisation));
        MemoryRows rows(rowsOf(data, kHeight), kWidth);
        ASSERT_EQ(writer->writeFrame(frame.get(), &rows), 1);
        frame.reset();
        writer.reset();
        EXPECT_NE(tiffinfo(name).find(c.report), std::string::npos) << tiffinfo(name);
        const std::optional<Decoded> decoded = decodeChecked(codec_, path(name));
        ASSERT_TRUE(decoded);
        if (c.model.kind == 1 && c.model.bitsUsed == 24)
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(0, std::memcmp(decoded->rows[static_cast<std::size_t>(y)].data() + x * 4,
                                             data.data() + (static_cast<std::size_t>(y) * kWidth + x) * 4, 3));
        else if (c.model.bitsUsed == 4)
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x)
                    ASSERT_EQ(decoded->rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)],
                              data[static_cast<std::size_t>(y) * kWidth + x] * 17);
        else
            EXPECT_TRUE(decoded->rows == rowsOf(data, kHeight));
    }
}

TEST_F(TiffWriterTest, SeveralFramesBecomeDirectories)
{
    OMVI_REQUIRE_TOOL("tiffinfo");
    const Bytes grey = pattern(static_cast<std::size_t>(kWidth) * kHeight, 1);
    const Bytes rgba = pattern(static_cast<std::size_t>(kWidth) * kHeight * 4, 2);
    std::unique_ptr<WriteImageFileInterface> writer = openWriter("pages.tif");
    std::unique_ptr<WriteImageFileFrameInterface> first = frameFor(*writer, {3, 8, 8});
    MemoryRows greyRows(rowsOf(grey, kHeight), kWidth);
    ASSERT_EQ(writer->writeFrame(first.get(), &greyRows), 1);
    // A frame described but never written leaves no directory behind.
    std::unique_ptr<WriteImageFileFrameInterface> abandoned = frameFor(*writer, {4, 1, 1});
    std::unique_ptr<WriteImageFileFrameInterface> second = frameFor(*writer, {1, 32, 32});
    MemoryRows rgbaRows(rowsOf(rgba, kHeight), kWidth);
    // The abandoned frame can no longer be written.
    EXPECT_EQ(writer->writeFrame(abandoned.get(), &rgbaRows), 1);
    ASSERT_EQ(writer->writeFrame(second.get(), &rgbaRows), 2);
    // Nor can a frame be written twice.
    EXPECT_EQ(writer->writeFrame(second.get(), &rgbaRows), 2);
    first.reset();
    abandoned.reset();
    second.reset();
    auto* tiffWriter = dynamic_cast<TiffWriteFile*>(writer.get());
    ASSERT_TRUE(tiffWriter);
    EXPECT_TRUE(tiffWriter->close());
    EXPECT_FALSE(writer->isOpen());
    writer.reset();

    const std::string info = tiffinfo("pages.tif");
    EXPECT_NE(info.find("TIFF Directory at offset"), std::string::npos);
    EXPECT_EQ(info.find("=== TIFF directory 2 ==="), std::string::npos);
    EXPECT_NE(info.find("=== TIFF directory 1 ==="), std::string::npos);
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path("pages.tif"))));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->frameCount(), 2);
    EXPECT_TRUE(decodeChecked(codec_, path("pages.tif"), 0)->rows == rowsOf(grey, kHeight));
    EXPECT_TRUE(decodeChecked(codec_, path("pages.tif"), 1)->rows == rowsOf(rgba, kHeight));
}

TEST_F(TiffWriterTest, FilesAreCreatedNewAndLeftOnlyWithFrames)
{
    // An existing file is never written over.
    const std::string existing = folder_.write("existing.tif", "keep me");
    std::unique_ptr<WriteImageFileInterface> writer(codec_.createWriter());
    EXPECT_FALSE(writer->open(specifierOf(existing)));
    EXPECT_FALSE(writer->isOpen());
    EXPECT_EQ(writer->createFrame(), nullptr);
    EXPECT_EQ(folder_.read("existing.tif"), "keep me");
    EXPECT_FALSE(writer->open(FileSpecifier(AsciiStringBuffer(path("stream.tif")), FileSpecifier::kStream)));
    writer.reset();

    // A writer that wrote no frame leaves no file.
    {
        std::unique_ptr<WriteImageFileInterface> empty = openWriter("empty.tif");
        EXPECT_TRUE(folder_.exists("empty.tif"));
        std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*empty, {3, 8, 8});
    }
    EXPECT_FALSE(folder_.exists("empty.tif"));

    // Rows that do not fit the frame are refused; nothing is written.
    std::unique_ptr<WriteImageFileInterface> mismatched = openWriter("mismatch.tif");
    std::unique_ptr<WriteImageFileFrameInterface> frame = frameFor(*mismatched, {3, 8, 8});
    MemoryRows narrow(rowsOf(Bytes(static_cast<std::size_t>(kWidth - 1) * kHeight), kHeight), kWidth - 1);
    EXPECT_EQ(mismatched->writeFrame(frame.get(), &narrow), 0);
    MemoryRows shorter(rowsOf(Bytes(static_cast<std::size_t>(kWidth) * (kHeight - 1)), kHeight - 1), kWidth);
    EXPECT_EQ(mismatched->writeFrame(frame.get(), &shorter), 0);
    EXPECT_EQ(mismatched->writeFrame(frame.get(), nullptr), 0);
    EXPECT_EQ(narrow.delivered_ + shorter.delivered_, 0);
}

TEST_F(TiffWriterTest, PolarityHoldsWhateverInterpretationIsChosen)
{
    OMVI_REQUIRE_TOOL("convert");
    const std::size_t bitRow = (kWidth + 7) / 8;
    const Bytes bits = bitRows(12);
    const Bytes grey = pattern(static_cast<std::size_t>(kWidth) * kHeight, 13);
    for (const int photometric : {PHOTOMETRIC_MINISWHITE, PHOTOMETRIC_MINISBLACK})
    {
        SCOPED_TRACE(photometric);
        const TiffPhotometricInterpretation interpretation(photometric);
        const std::string bitsName = "bits" + std::to_string(photometric) + ".tif";
        ASSERT_EQ(write(bitsName, {4, 1, 1}, bits, {&interpretation}), 1);
        const std::optional<std::string> pbm = capture("convert " + quoted(path(bitsName)) + " pbm:-");
        ASSERT_TRUE(pbm);
        const std::optional<Pnm> ink = parsePnm(*pbm);
        ASSERT_TRUE(ink);
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x)
                ASSERT_EQ(ink->samples[static_cast<std::size_t>(y * kWidth + x)], (bits[y * bitRow + x / 8] >> (7 - x % 8)) & 1);
        EXPECT_TRUE(decodeChecked(codec_, path(bitsName))->rows == rowsOf(bits, kHeight));

        const std::string greyName = "grey" + std::to_string(photometric) + ".tif";
        ASSERT_EQ(write(greyName, {3, 8, 8}, grey, {&interpretation}), 1);
        const std::optional<std::string> pgm = capture("convert " + quoted(path(greyName)) + " pgm:-");
        ASSERT_TRUE(pgm);
        EXPECT_EQ(parsePnm(*pgm)->samples, std::vector<std::uint16_t>(grey.begin(), grey.end()));
    }
}

TEST_F(TiffWriterTest, PaletteMapsCoverEveryIndexOfTheStoredDepth)
{
    OMVI_REQUIRE_TOOL("tifftopnm");
    // Four colours, 2 bits used of 8: the colour map holds 256 entries, the
    // rest black, and the rows keep one index a byte.
    const Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    const Bytes indices = greyLevels(kWidth * kHeight, 3);
    ASSERT_EQ(write("four.tif", {2, 8, 2}, indices, {}, palette), 1);
    const std::optional<Pnm> pnm = tifftopnm("four.tif");
    ASSERT_TRUE(pnm);
    Bytes expected;
    for (const std::uint8_t index : indices)
        expected.insert(expected.end(), palette.begin() + index * 3, palette.begin() + index * 3 + 3);
    EXPECT_EQ(rgbOf(*pnm), expected);
}

TEST_F(TiffWriterTest, TagPropertiesAreStored)
{
    OMVI_REQUIRE_TOOL("tiffinfo");
    OMVI_REQUIRE_TOOL("tiffdump");
    const TiffText artist(TiffProperty::kKindArtist, nullptr);
    const StringBuffer description = AsciiStringBuffer("a test image");
    const TiffText text(TiffProperty::kKindImageDescription, &description);
    const TiffDensity density(300.0, 150.0, FormatCodecDensity::kPerInch);
    TiffPrivateTag tag(65000, TIFF_SHORT);
    const std::uint16_t values[3] = {7, 8, 9};
    tag.setData(values, 3);
    const TiffFillOrder lowBitFirst(false);
    const Bytes bits = bitRows(17);
    ASSERT_EQ(write("tagged.tif", {4, 1, 1}, bits, {&artist, &text, &density, &tag, &lowBitFirst}), 1);
    const std::string info = tiffinfo("tagged.tif");
    EXPECT_NE(info.find("Artist: Unknown artist"), std::string::npos) << info;
    EXPECT_NE(info.find("ImageDescription: a test image"), std::string::npos);
    EXPECT_NE(info.find("Resolution: 300, 150 pixels/inch"), std::string::npos);
    EXPECT_NE(info.find("FillOrder: lsb-to-msb"), std::string::npos);
    const std::string dump = capture("tiffdump " + quoted(path("tagged.tif"))).value_or("");
    EXPECT_NE(dump.find("65000 (0xfde8) SHORT (3) 3<7 8 9>"), std::string::npos) << dump;
    // The bits read back whatever the fill order.
    EXPECT_TRUE(decodeChecked(codec_, path("tagged.tif"))->rows == rowsOf(bits, kHeight));

    // The private tag comes back as a property of the frame.
    std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path("tagged.tif"))));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    StringBuffer name;
    TiffFormatCodec::privateTagName(65000, name);
    std::unique_ptr<FormatCodecPropertyInterface> read(frame->getProperty(name));
    auto* readTag = dynamic_cast<TiffPrivateTag*>(read.get());
    ASSERT_TRUE(readTag);
    EXPECT_EQ(readTag->dataType(), TIFF_SHORT);
    ASSERT_EQ(readTag->valueCount(), 3u);
    std::uint16_t back[3] = {};
    ASSERT_TRUE(readTag->getData(back));
    EXPECT_EQ(back[2], 9);

    // Properties the frame cannot store are refused.
    std::unique_ptr<WriteImageFileInterface> writer = openWriter("refusals.tif");
    std::unique_ptr<WriteImageFileFrameInterface> greyFrame = frameFor(*writer, {3, 8, 8});
    const TiffTransparency alpha;
    EXPECT_FALSE(greyFrame->setProperty(&alpha));
    EXPECT_FALSE(greyFrame->setProperty(nullptr));
    const TiffText order(TiffProperty::kKindByteOrder, nullptr);
    EXPECT_FALSE(greyFrame->setProperty(&order));
    TiffPrivateTag width(256, TIFF_SHORT);  // a tag libtiff takes otherwise
    width.setData(values, 1);
    EXPECT_FALSE(greyFrame->setProperty(&width));
    MemoryRows rows(rowsOf(pattern(static_cast<std::size_t>(kWidth) * kHeight, 1), kHeight), kWidth);
    EXPECT_EQ(writer->writeFrame(greyFrame.get(), &rows), 1);
}
