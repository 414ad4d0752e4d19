// The PNG writer: every data model becomes the PNG libpng reads back as the
// same pixels (bitonal ink as black), streams and files alike, and bad
// settings, failing outputs and second writes are refused without leaving a
// file behind.
#include "MemoryFile.h"
#include "PngTestSupport.h"

#include "imaging/codecs/png/PngCustomProperties.h"
#include "imaging/codecs/png/PngFormatCodec.h"
#include "imaging/codecs/png/PngProperties.h"
#include "imaging/codecs/png/PngWriteFile.h"

#include <gtest/gtest.h>

#include <random>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

// One frame to write: data model kind, the two bit counts, the palette and
// the rows in the core's layout.
struct FrameSpec
{
    int kind = kColorSpaceRgb;
    int bitsPerPixel = 32;
    int bitsUsed = 24;
    int width = 1;
    int height = 1;
    Bytes palette;
    Bytes pixels;
    std::vector<const FormatCodecPropertyInterface*> properties;
};

int rowBytesOf(const FrameSpec& s)
{
    switch (s.kind)
    {
    case kColorSpaceRgb:
        return 4 * s.width;
    case kColorSpaceBitonal:
        return (s.width + 7) / 8;
    default:
        return s.width;
    }
}

FrameSpec randomFrame(int kind, int bitsUsed, int width, int height, unsigned seed)
{
    FrameSpec s;
    s.kind = kind;
    s.bitsUsed = bitsUsed;
    s.bitsPerPixel = kind == kColorSpaceRgb ? 32 : kind == kColorSpaceBitonal ? 1 : 8;
    s.width = width;
    s.height = height;
    std::mt19937 random(seed);
    s.pixels.resize(static_cast<std::size_t>(rowBytesOf(s)) * height);
    const int limit = kind == kColorSpaceRgb || kind == kColorSpaceBitonal ? 256 : 1 << std::min(bitsUsed, 8);
    for (auto& byte : s.pixels)
        byte = static_cast<std::uint8_t>(random() % limit);
    if (kind == kColorSpaceRgb && bitsUsed == 24)
        for (std::size_t i = 3; i < s.pixels.size(); i += 4)
            s.pixels[i] = 0x5A;  // the byte RGB files leave out
    if (kind == kColorSpacePalette)
        for (int i = 0; i < limit; ++i)
            s.palette.insert(s.palette.end(), {static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i * 3),
                                               static_cast<std::uint8_t>(255 - i)});
    return s;
}

void describe(WriteImageFileFrameInterface& frame, const FrameSpec& s)
{
    frame.setSize(s.height, s.width);
    frame.setThirdValue(s.bitsPerPixel);
    frame.setBitsPerPixel(s.bitsUsed);
    frame.setDataModelKind(s.kind);
    if (!s.palette.empty())
    {
        frame.setPaletteCount(static_cast<int>(s.palette.size() / 3));
        frame.setPalette(s.palette.data());
    }
    for (const FormatCodecPropertyInterface* property : s.properties)
        EXPECT_TRUE(frame.setProperty(property));
}

// Writes the frame into a memory stream; the bytes written.
Bytes writeToStream(const FrameSpec& s, MemoryStream* stream = nullptr)
{
    PngFormatCodec codec;
    MemoryStream own;
    MemoryStream& target = stream != nullptr ? *stream : own;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&target));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describe(*frame, s);
    MemoryRowIterator rows(s.width, s.height, rowBytesOf(s), s.pixels);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 0);
    EXPECT_EQ(rows.starts, 1);
    EXPECT_EQ(rows.finishes, 1);
    return target.bytes();
}

Decoded readBack(const Bytes& file)
{
    PngFormatCodec codec;
    MemoryStream stream(file);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
    if (!reader)
        return {};
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    return readFrame(*frame);
}

// A frame of some other codec.
class ForeignFrame : public WriteImageFileFrameInterface
{
public:
    void setSize(int, int) override {}
    void setDataModelKind(int) override {}
    void setThirdValue(int) override {}
    void setBitsPerPixel(int) override {}
    void setPaletteCount(int) override {}
    void setPalette(const std::uint8_t*) override {}
    FormatCodecPropertySetIterator* getProperties() override { return nullptr; }
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }
    bool setProperty(const FormatCodecPropertyInterface*) override { return false; }
    void clearProperties() override {}
    bool requiredPropertiesSet() const override { return true; }
};

struct Header
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int depth = 0;
    int colorType = -1;
};

Header headerOf(const Bytes& file)
{
    Header header;
    const auto chunks = chunksOf(file);
    if (chunks.empty() || chunks[0].type != "IHDR")
        return header;
    header.width = be32(chunks[0].data, 0);
    header.height = be32(chunks[0].data, 4);
    header.depth = chunks[0].data[8];
    header.colorType = chunks[0].data[9];
    return header;
}

} // namespace

TEST(PngWriter, ColourFramesWriteRgbOrRgbaFiles)
{
    const FrameSpec rgb = randomFrame(kColorSpaceRgb, 24, 13, 7, 1);
    const Bytes file = writeToStream(rgb);
    const Header header = headerOf(file);
    EXPECT_EQ(header.colorType, PNG_COLOR_TYPE_RGB);
    EXPECT_EQ(header.depth, 8);
    const SimpleImage decoded = decodeSimple(file, PNG_FORMAT_RGBA);
    ASSERT_EQ(decoded.width, 13u);
    for (std::size_t i = 0; i < rgb.pixels.size(); ++i)
        ASSERT_EQ(decoded.pixels[i], i % 4 == 3 ? 255 : rgb.pixels[i]) << i;

    // 32 bits used and an alpha channel declared: RGBA.
    FrameSpec rgba = randomFrame(kColorSpaceRgb, 32, 9, 4, 2);
    const PngTransparency alpha(kPngRgbAlpha);
    rgba.properties.push_back(&alpha);
    const Bytes withAlpha = writeToStream(rgba);
    EXPECT_EQ(headerOf(withAlpha).colorType, PNG_COLOR_TYPE_RGB_ALPHA);
    EXPECT_EQ(decodeSimple(withAlpha, PNG_FORMAT_RGBA).pixels, rgba.pixels);
    EXPECT_EQ(readBack(withAlpha).pixels, rgba.pixels);

    // 32 bits used without the declaration: the fourth byte is not kept.
    FrameSpec padded = rgba;
    padded.properties.clear();
    EXPECT_EQ(headerOf(writeToStream(padded)).colorType, PNG_COLOR_TYPE_RGB);
}

TEST(PngWriter, GreyPaletteAndBitonalFramesRoundTrip)
{
    const struct
    {
        int kind;
        int bitsUsed;
        int pngDepth;
        int pngType;
    } cases[] = {{kColorSpaceGray, 8, 8, PNG_COLOR_TYPE_GRAY},      {kColorSpaceGray, 4, 4, PNG_COLOR_TYPE_GRAY},
                 {kColorSpacePalette, 8, 8, PNG_COLOR_TYPE_PALETTE}, {kColorSpacePalette, 4, 4, PNG_COLOR_TYPE_PALETTE},
                 {kColorSpacePalette, 3, 4, PNG_COLOR_TYPE_PALETTE}, {kColorSpacePalette, 2, 2, PNG_COLOR_TYPE_PALETTE},
                 {kColorSpacePalette, 1, 1, PNG_COLOR_TYPE_PALETTE}, {kColorSpaceBitonal, 1, 1, PNG_COLOR_TYPE_GRAY}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.kind << "/" << c.bitsUsed);
        const FrameSpec s = randomFrame(c.kind, c.bitsUsed, 21, 5, static_cast<unsigned>(c.kind * 10 + c.bitsUsed));
        const Bytes file = writeToStream(s);
        const Header header = headerOf(file);
        EXPECT_EQ(header.depth, c.pngDepth);
        EXPECT_EQ(header.colorType, c.pngType);
        const Decoded back = readBack(file);
        ASSERT_EQ(back.height, 5);
        if (c.kind == kColorSpaceGray && c.bitsUsed < 8)
        {
            // Low-depth grey reads back stretched to 8 bits.
            for (std::size_t i = 0; i < s.pixels.size(); ++i)
                ASSERT_EQ(back.pixels[i], s.pixels[i] * 17);
        }
        else if (c.kind == kColorSpaceBitonal)
        {
            for (int y = 0; y < 5; ++y)
            {
                ASSERT_EQ(back.row(y)[0], s.pixels[static_cast<std::size_t>(3 * y)]);
                ASSERT_EQ(back.row(y)[1], s.pixels[static_cast<std::size_t>(3 * y + 1)]);
                ASSERT_EQ(back.row(y)[2], s.pixels[static_cast<std::size_t>(3 * y + 2)] & 0xF8);
            }
            // Ink is PNG's black.
            const SimpleImage grey = decodeSimple(file, PNG_FORMAT_GRAY);
            for (int x = 0; x < 21; ++x)
                ASSERT_EQ(grey.pixels[static_cast<std::size_t>(x)], ((s.pixels[x / 8] >> (7 - x % 8)) & 1) ? 0 : 255);
        }
        else
        {
            EXPECT_EQ(back.pixels, s.pixels);
        }
        if (c.kind == kColorSpacePalette)
        {
            const std::size_t entries = std::min<std::size_t>(s.palette.size() / 3, std::size_t(1) << c.pngDepth);
            EXPECT_EQ(back.palette, Bytes(s.palette.begin(), s.palette.begin() + static_cast<std::ptrdiff_t>(3 * entries)));
        }
    }
}

TEST(PngWriter, FilesAreMadeWhenTheFrameIsWrittenAndSecondWritesDoNothing)
{
    OmviTest::ScratchFolder folder;
    PngFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer);
    EXPECT_FALSE(writer->open(FileSpecifier(AsciiStringBuffer(folder.file("x.png")), FileSpecifier::kStream)));
    const FileSpecifier target(AsciiStringBuffer(folder.file("a.png")), FileSpecifier::kFile);
    ASSERT_TRUE(writer->open(target));
    EXPECT_TRUE(writer->isOpen());
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    const FrameSpec s = randomFrame(kColorSpaceGray, 8, 6, 6, 3);
    describe(*frame, s);
    EXPECT_FALSE(folder.exists("a.png"));
    MemoryRowIterator rows(6, 6, 6, s.pixels);
    writer->writeFrame(frame.get(), &rows);
    ASSERT_TRUE(folder.exists("a.png"));
    const Bytes first = readFileBytes(folder.file("a.png"));
    EXPECT_EQ(decodeSimple(first, PNG_FORMAT_GRAY).pixels, s.pixels);

    MemoryRowIterator again(6, 6, 6, Bytes(36, 0));
    writer->writeFrame(frame.get(), &again);
    EXPECT_EQ(again.starts, 0);
    EXPECT_EQ(readFileBytes(folder.file("a.png")), first);

    // A frame of another codec, or no rows: nothing happens.
    std::unique_ptr<WriteImageFileInterface> other(codec.createWriter());
    other->open(FileSpecifier(AsciiStringBuffer(folder.file("b.png")), FileSpecifier::kFile));
    ForeignFrame foreign;
    EXPECT_EQ(other->writeFrame(&foreign, &rows), 0);
    std::unique_ptr<WriteImageFileFrameInterface> own(other->createFrame());
    EXPECT_EQ(other->writeFrame(own.get(), nullptr), 0);
    EXPECT_FALSE(folder.exists("b.png"));
}

TEST(PngWriter, BadSettingsAreRefusedBeforeAnythingIsWritten)
{
    OmviTest::ScratchFolder folder;
    PngFormatCodec codec;
    auto attempt = [&](const FrameSpec& s, RowIteratorInterface& rows, bool setPalette = true) {
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        writer->open(FileSpecifier(AsciiStringBuffer(folder.file("bad.png")), FileSpecifier::kFile));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        FrameSpec described = s;
        if (!setPalette)
            described.palette.clear();
        describe(*frame, described);
        const int code = codecErrorOf([&] { writer->writeFrame(frame.get(), &rows); });
        EXPECT_FALSE(folder.exists("bad.png"));
        return code;
    };
    FrameSpec s = randomFrame(kColorSpaceGray, 8, 4, 3, 4);
    MemoryRowIterator fitting(4, 3, 4, s.pixels);
    FrameSpec noKind = s;
    noKind.kind = 9;
    EXPECT_EQ(attempt(noKind, fitting), 1);
    MemoryRowIterator empty(0, 3, 4, s.pixels);
    EXPECT_EQ(attempt(s, empty), 2);
    MemoryRowIterator narrower(3, 3, 4, s.pixels);
    EXPECT_EQ(attempt(s, narrower), 3);
    MemoryRowIterator shorter(4, 2, 4, s.pixels);
    EXPECT_EQ(attempt(s, shorter), 3);
    const FrameSpec palette = randomFrame(kColorSpacePalette, 8, 4, 3, 5);
    EXPECT_EQ(attempt(palette, fitting, false), 4);

    // A row iterator that hands out short rows: the rest of each row is 0,
    // never bytes read past its buffer.
    MemoryRowIterator shortRows(4, 3, 2, Bytes(6, 0xFF));
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describe(*frame, s);
    writer->writeFrame(frame.get(), &shortRows);
    const SimpleImage decoded = decodeSimple(stream.bytes(), PNG_FORMAT_GRAY);
    EXPECT_EQ(decoded.pixels, (Bytes{255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0}));
}

TEST(PngWriter, PaletteCountsAreKeptWithinTheEntriesAndTheDepth)
{
    PngFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(nullptr));
    EXPECT_EQ(writer, nullptr);

    FrameSpec s = randomFrame(kColorSpacePalette, 4, 8, 2, 6);
    s.palette.resize(256 * 3, 9);
    MemoryStream stream;
    writer.reset(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describe(*frame, s);
    frame->setPaletteCount(300);  // ignored
    MemoryRowIterator rows(8, 2, 8, s.pixels);
    writer->writeFrame(frame.get(), &rows);
    const auto chunks = chunksOf(stream.bytes());
    const Chunk* plte = findChunk(chunks, "PLTE");
    ASSERT_NE(plte, nullptr);
    EXPECT_EQ(plte->data.size(), 16u * 3);
    EXPECT_EQ(stream.closes, 1);
}

TEST(PngWriter, FailingOutputsThrowAndLeaveNoFile)
{
    PngFormatCodec codec;
    const FrameSpec s = randomFrame(kColorSpaceRgb, 24, 64, 64, 7);

    MemoryStream full;
    full.writeLimit = 100;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&full));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describe(*frame, s);
    MemoryRowIterator rows(64, 64, 256, s.pixels);
    EXPECT_EQ(codecErrorOf([&] { writer->writeFrame(frame.get(), &rows); }), 8);

    std::unique_ptr<WriteImageFileInterface> nowhere(codec.createWriter());
    ASSERT_TRUE(nowhere->open(FileSpecifier(AsciiStringBuffer("/nonexistent/folder/a.png"), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> second(nowhere->createFrame());
    describe(*second, s);
    MemoryRowIterator again(64, 64, 256, s.pixels);
    EXPECT_EQ(codecErrorOf([&] { nowhere->writeFrame(second.get(), &again); }), -2);
}
