// The PNG reader: every colour type and depth arrives in the core's layouts,
// interlaced files read as their plain twins, gamma is corrected only where
// the file asks for it, and damaged or cut files give the codec exception
// (or no reader), never a crash.
#include "MemoryFile.h"
#include "PngTestSupport.h"

#include "imaging/codecs/png/PngErrorGuard.h"
#include "imaging/codecs/png/PngFormatCodec.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <zlib.h>

using namespace Omvi;
using namespace OmviRaster;

namespace
{

struct Opened
{
    std::unique_ptr<OmviTest::MemoryFile> file;
    std::unique_ptr<ReadImageFileInterface> reader;
    std::unique_ptr<ReadImageFileFrameInterface> frame;
};

Opened open(const PngFormatCodec& codec, const Bytes& bytes)
{
    Opened opened;
    opened.file = std::make_unique<OmviTest::MemoryFile>(bytes);
    opened.reader.reset(codec.openForRead(opened.file->specifier()));
    if (opened.reader)
        opened.frame.reset(opened.reader->openFrame(0));
    return opened;
}

Decoded decode(const Bytes& bytes)
{
    PngFormatCodec codec;
    Opened opened = open(codec, bytes);
    if (!opened.frame)
        return {};
    return readFrame(*opened.frame);
}

std::vector<std::uint16_t> randomSamples(std::size_t count, int bitDepth, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<std::uint16_t> samples(count);
    const std::uint32_t limit = bitDepth == 16 ? 65536u : (1u << bitDepth);
    for (auto& sample : samples)
        sample = static_cast<std::uint16_t>(random() % limit);
    return samples;
}

PngSpec spec(std::uint32_t width, std::uint32_t height, int colorType, int bitDepth, unsigned seed = 1)
{
    PngSpec s;
    s.width = width;
    s.height = height;
    s.colorType = colorType;
    s.bitDepth = bitDepth;
    s.samples = randomSamples(std::size_t(width) * height * channelsOf(colorType), bitDepth, seed);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        for (int i = 0; i < (1 << bitDepth); ++i)
            s.palette.push_back({static_cast<png_byte>(i * 7), static_cast<png_byte>(255 - i),
                                 static_cast<png_byte>(i * 3)});
    return s;
}

std::uint16_t sampleAt(const PngSpec& s, std::uint32_t x, std::uint32_t y, int c)
{
    return s.samples[(std::size_t(y) * s.width + x) * channelsOf(s.colorType) + c];
}

std::uint8_t to8(std::uint16_t sample, int bitDepth)
{
    if (bitDepth == 16)
        return static_cast<std::uint8_t>(sample >> 8);
    return static_cast<std::uint8_t>(sample * 255 / ((1 << bitDepth) - 1));
}

} // namespace

TEST(PngReader, ColourFilesArriveAsRgbaWords)
{
    for (int depth : {8, 16})
    {
        SCOPED_TRACE(depth);
        const PngSpec rgb = spec(7, 5, PNG_COLOR_TYPE_RGB, depth);
        const Decoded image = decode(encodePng(rgb));
        ASSERT_EQ(image.kind, kColorSpaceRgb);
        EXPECT_EQ(image.bitsPerPixel, 24);
        ASSERT_EQ(image.rowBytes, 28);
        for (std::uint32_t y = 0; y < 5; ++y)
            for (std::uint32_t x = 0; x < 7; ++x)
            {
                for (int c = 0; c < 3; ++c)
                    ASSERT_EQ(image.row(y)[4 * x + c], to8(sampleAt(rgb, x, y, c), depth));
                ASSERT_EQ(image.row(y)[4 * x + 3], 255);
            }

        const PngSpec rgba = spec(6, 3, PNG_COLOR_TYPE_RGB_ALPHA, depth, 2);
        const Decoded withAlpha = decode(encodePng(rgba));
        EXPECT_EQ(withAlpha.bitsPerPixel, 32);
        for (std::uint32_t y = 0; y < 3; ++y)
            for (std::uint32_t x = 0; x < 6; ++x)
                for (int c = 0; c < 4; ++c)
                    ASSERT_EQ(withAlpha.row(y)[4 * x + c], to8(sampleAt(rgba, x, y, c), depth));
    }
}

TEST(PngReader, ColourKeyBecomesAlphaZero)
{
    PngSpec s = spec(4, 1, PNG_COLOR_TYPE_RGB, 8);
    s.samples = {10, 20, 30, 1, 2, 3, 10, 20, 30, 10, 20, 31};
    s.chunks = [](png_structp png, png_infop info) {
        png_color_16 key{};
        key.red = 10;
        key.green = 20;
        key.blue = 30;
        png_set_tRNS(png, info, nullptr, 1, &key);
    };
    const Decoded image = decode(encodePng(s));
    ASSERT_EQ(image.rowBytes, 16);
    const Bytes expected = {10, 20, 30, 0, 1, 2, 3, 255, 10, 20, 30, 0, 10, 20, 31, 255};
    EXPECT_EQ(Bytes(image.row(0), image.row(0) + 16), expected);
}

TEST(PngReader, GreyFilesArriveAsBytesAndOneBitAsInk)
{
    for (int depth : {2, 4, 8, 16})
    {
        SCOPED_TRACE(depth);
        const PngSpec grey = spec(11, 3, PNG_COLOR_TYPE_GRAY, depth);
        const Decoded image = decode(encodePng(grey));
        ASSERT_EQ(image.kind, kColorSpaceGray);
        EXPECT_EQ(image.bitsPerPixel, 8);
        ASSERT_EQ(image.rowBytes, 11);
        for (std::uint32_t y = 0; y < 3; ++y)
            for (std::uint32_t x = 0; x < 11; ++x)
                ASSERT_EQ(image.row(y)[x], to8(sampleAt(grey, x, y, 0), depth));
    }

    // Grey with alpha: the alpha is dropped.
    const PngSpec greyAlpha = spec(5, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8);
    const Decoded dropped = decode(encodePng(greyAlpha));
    ASSERT_EQ(dropped.kind, kColorSpaceGray);
    for (std::uint32_t x = 0; x < 5; ++x)
        EXPECT_EQ(dropped.row(1)[x], sampleAt(greyAlpha, x, 1, 0));

    // One bit: PNG's black (0) is ink (1); the padding bits stay clear.
    const PngSpec bits = spec(13, 4, PNG_COLOR_TYPE_GRAY, 1);
    const Decoded bitonal = decode(encodePng(bits));
    ASSERT_EQ(bitonal.kind, kColorSpaceBitonal);
    EXPECT_EQ(bitonal.bitsPerPixel, 1);
    ASSERT_EQ(bitonal.rowBytes, 2);
    for (std::uint32_t y = 0; y < 4; ++y)
    {
        for (std::uint32_t x = 0; x < 13; ++x)
            ASSERT_EQ((bitonal.row(y)[x / 8] >> (7 - x % 8)) & 1, 1 - sampleAt(bits, x, y, 0));
        EXPECT_EQ(bitonal.row(y)[1] & 0x07, 0);
    }
}

TEST(PngReader, LowDepthGreyWithTransparentLevelStaysOneBytePerPixel)
{
    // A transparent grey level must not turn the rows into grey and alpha
    // pairs, which would not fit a row of width bytes.
    for (int depth : {1, 2, 4})
    {
        SCOPED_TRACE(depth);
        PngSpec s = spec(37, 9, PNG_COLOR_TYPE_GRAY, depth, 5);
        s.chunks = [](png_structp png, png_infop info) {
            png_color_16 key{};
            key.gray = 1;
            png_set_tRNS(png, info, nullptr, 1, &key);
        };
        const Decoded image = decode(encodePng(s));
        ASSERT_EQ(image.height, 9);
        ASSERT_EQ(image.rowBytes, depth == 1 ? 5 : 37);
        ASSERT_EQ(image.pixels.size(), std::size_t(image.rowBytes) * 9);
        for (std::uint32_t x = 0; depth > 1 && x < 37; ++x)
            ASSERT_EQ(image.row(8)[x], to8(sampleAt(s, x, 8, 0), depth));
    }
}

TEST(PngReader, PaletteFilesArriveAsIndexBytesWithTheirPalette)
{
    for (int depth : {1, 2, 4, 8})
    {
        SCOPED_TRACE(depth);
        const PngSpec s = spec(9, 3, PNG_COLOR_TYPE_PALETTE, depth);
        const Decoded image = decode(encodePng(s));
        ASSERT_EQ(image.kind, kColorSpacePalette);
        EXPECT_EQ(image.bitsPerPixel, depth);
        ASSERT_EQ(image.palette.size(), s.palette.size() * 3);
        for (std::size_t i = 0; i < s.palette.size(); ++i)
        {
            EXPECT_EQ(image.palette[3 * i], s.palette[i].red);
            EXPECT_EQ(image.palette[3 * i + 1], s.palette[i].green);
            EXPECT_EQ(image.palette[3 * i + 2], s.palette[i].blue);
        }
        ASSERT_EQ(image.rowBytes, 9);
        for (std::uint32_t y = 0; y < 3; ++y)
            for (std::uint32_t x = 0; x < 9; ++x)
                ASSERT_EQ(image.row(y)[x], sampleAt(s, x, y, 0));
    }
}

TEST(PngReader, InterlacedFilesReadAsTheirPlainTwins)
{
    const struct
    {
        int colorType;
        int depth;
    } kinds[] = {{PNG_COLOR_TYPE_RGB, 8},     {PNG_COLOR_TYPE_RGB_ALPHA, 16}, {PNG_COLOR_TYPE_GRAY, 1},
                 {PNG_COLOR_TYPE_GRAY, 4},    {PNG_COLOR_TYPE_PALETTE, 2},    {PNG_COLOR_TYPE_GRAY_ALPHA, 8}};
    const std::pair<std::uint32_t, std::uint32_t> sizes[] = {{1, 1}, {1, 9}, {9, 1}, {3, 5}, {17, 13}};
    for (const auto& kind : kinds)
        for (const auto& size : sizes)
        {
            SCOPED_TRACE(testing::Message() << kind.colorType << "/" << kind.depth << " " << size.first << "x"
                                            << size.second);
            PngSpec plain = spec(size.first, size.second, kind.colorType, kind.depth, size.first * 31 + size.second);
            PngSpec interlaced = plain;
            interlaced.interlaced = true;
            const Decoded a = decode(encodePng(plain));
            const Decoded b = decode(encodePng(interlaced));
            ASSERT_FALSE(a.pixels.empty());
            EXPECT_EQ(a.pixels, b.pixels);
            EXPECT_EQ(a.kind, b.kind);
        }
}

TEST(PngReader, GammaIsCorrectedOnlyWhereTheFileAsksForIt)
{
    PngSpec s = spec(256, 1, PNG_COLOR_TYPE_GRAY, 8);
    for (int i = 0; i < 256; ++i)
        s.samples[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i);

    PngSpec display = s;
    display.chunks = [](png_structp png, png_infop info) { png_set_gAMA(png, info, 0.45455); };
    const Decoded unchanged = decode(encodePng(display));
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ(unchanged.row(0)[i], i);

    PngSpec linear = s;
    linear.chunks = [](png_structp png, png_infop info) { png_set_gAMA(png, info, 1.0); };
    const Decoded corrected = decode(encodePng(linear));
    for (int i = 0; i < 256; ++i)
    {
        const double expected = 255.0 * std::pow(i / 255.0, 1.0 / 2.2);
        ASSERT_NEAR(corrected.row(0)[i], expected, 1.0) << i;
    }
}

TEST(PngReader, FrameAnswersAndStartingAgain)
{
    PngFormatCodec codec;
    const PngSpec s = spec(5, 4, PNG_COLOR_TYPE_RGB, 8);
    Opened opened = open(codec, encodePng(s));
    ASSERT_TRUE(opened.frame);
    EXPECT_EQ(opened.reader->frameCount(), 1);
    EXPECT_EQ(opened.reader->isValid(), 1);
    EXPECT_EQ(opened.reader->openFrame(1), nullptr);
    EXPECT_EQ(opened.reader->codec(), &codec);
    ReadImageFileFrameInterface& frame = *opened.frame;
    EXPECT_TRUE(frame.isRowAccessSupported(0));
    EXPECT_FALSE(frame.isRowAccessSupported(2));
    EXPECT_EQ(frame.frameIndex(), 0);
    EXPECT_EQ(frame.sampleKind(), kDataTypeThirtyTwoBit);
    EXPECT_EQ(frame.getOrientation(), 0);
    EXPECT_EQ(frame.paletteCount(), 0);
    EXPECT_FALSE(frame.isTiled());
    int height = 0;
    int width = 0;
    frame.getSize(&height, &width);
    EXPECT_EQ(height, 4);
    EXPECT_EQ(width, 5);

    // A second pass over the rows starts the file again.
    const Decoded first = readFrame(frame);
    const Decoded second = readFrame(frame);
    EXPECT_EQ(first.pixels, second.pixels);
    EXPECT_EQ(first.pixels.size(), 80u);
}

TEST(PngReader, StreamReadOneByteAtATime)
{
    PngFormatCodec codec;
    for (bool interlaced : {false, true})
    {
        PngSpec s = spec(23, 19, PNG_COLOR_TYPE_RGB_ALPHA, 8, 9);
        s.interlaced = interlaced;
        const Bytes file = encodePng(s);
        MemoryStream stream(file, 1);
        Decoded streamed;
        {
            std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
            ASSERT_TRUE(reader);
            EXPECT_EQ(reader->fileSpecifier().kind(), FileSpecifier::kStream);
            std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
            ASSERT_TRUE(frame);
            streamed = readFrame(*frame);
        }
        EXPECT_EQ(stream.closes, 1);
        // Every byte up to the final chunk came in a read of its own.
        EXPECT_GE(stream.reads, static_cast<int>(file.size()) - 12);
        EXPECT_EQ(streamed.pixels, decode(file).pixels);
    }
    EXPECT_EQ(codec.openStreamForRead(nullptr), nullptr);
}

TEST(PngReader, MissingFilesAndDamagedHeadersGiveNoFrame)
{
    PngFormatCodec codec;
    const FileSpecifier missing(AsciiStringBuffer("/nonexistent/folder/image.png"), FileSpecifier::kFile);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(missing));
    if (reader)
    {
        EXPECT_EQ(reader->frameCount(), 0);
        EXPECT_EQ(reader->openFrame(0), nullptr);
        ASSERT_NE(reader->frameRefusal(), nullptr);
        EXPECT_STREQ(reader->frameRefusal(), "The PNG file cannot be opened");
    }
    // A header libpng refuses: no frame, and libpng's reason why.
    Bytes file = encodePng(spec(4, 4, PNG_COLOR_TYPE_RGB, 8));
    file[16] ^= 0x80;  // the width, so the header's check fails
    const Opened damaged = open(codec, file);
    ASSERT_TRUE(damaged.reader);
    EXPECT_EQ(damaged.reader->frameCount(), 0);
    EXPECT_FALSE(damaged.frame);
    ASSERT_NE(damaged.reader->frameRefusal(), nullptr);
    EXPECT_STREQ(damaged.reader->frameRefusal(), "The PNG file is damaged: IHDR: CRC error");
    MemoryStream stream(Bytes(file.begin(), file.begin() + 20));
    EXPECT_EQ(codec.openStreamForRead(&stream), nullptr);
}

TEST(PngReader, CutAndMutatedFilesFailThroughTheCodecException)
{
    PngFormatCodec codec;
    for (bool interlaced : {false, true})
    {
        PngSpec s = spec(19, 11, PNG_COLOR_TYPE_PALETTE, 4, 3);
        s.interlaced = interlaced;
        s.chunks = [](png_structp png, png_infop info) {
            png_set_gAMA(png, info, 1.0);
            png_text text{};
            text.compression = PNG_TEXT_COMPRESSION_zTXt;
            text.key = const_cast<char*>("Comment");
            text.text = const_cast<char*>("some words to squeeze");
            png_set_text(png, info, &text, 1);
        };
        const Bytes file = encodePng(s);
        const Decoded whole = decode(file);
        ASSERT_FALSE(whole.pixels.empty());
        for (std::size_t length = 0; length < file.size(); length += 1 + length / 64)
        {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
            Opened opened = open(codec, cut);
            if (!opened.frame)
                continue;
            const int code = codecErrorOf([&] { readFrame(*opened.frame); });
            // Only the final chunk (IEND) may be missing from a file whose
            // rows all arrived.
            if (code == -1)
                EXPECT_GE(length, file.size() - 12) << length;
            else
                EXPECT_EQ(code, 8) << length;
        }
        std::mt19937 random(interlaced ? 7 : 8);
        for (int round = 0; round < 80; ++round)
        {
            Bytes mutated = file;
            for (int flips = 0; flips < 3; ++flips)
                mutated[random() % mutated.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
            Opened opened = open(codec, mutated);
            if (!opened.frame)
                continue;
            const int code = codecErrorOf([&] { readFrame(*opened.frame); });
            EXPECT_TRUE(code == -1 || code == 8) << code;
        }
    }
}

TEST(PngReader, OneByteStreamsThatEndEarlyFailCleanly)
{
    PngFormatCodec codec;
    const Bytes file = encodePng(spec(8, 8, PNG_COLOR_TYPE_GRAY, 8));
    for (std::size_t length = 0; length < file.size() - 12; length += 3)
    {
        MemoryStream stream(Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length)), 1);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
        if (!reader)
            continue;
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        ASSERT_TRUE(frame);
        EXPECT_EQ(codecErrorOf([&] { readFrame(*frame); }), 8) << length;
    }
}

TEST(PngReader, HugeDeclaredSizesAreRefusedOrFailWithoutTheirMemory)
{
    PngFormatCodec codec;
    // Past libpng's limit of 1,000,000 pixels a side: no frame, and
    // libpng's reason (its error; the limit is named only in a warning).
    PngSpec wide = spec(1, 1, PNG_COLOR_TYPE_GRAY, 8);
    Bytes file = encodePng(wide);
    file[16] = 0x00;
    file[17] = 0x10;  // width 0x00100001
    std::uint32_t crc = crc32(0, file.data() + 12, 17);
    file[29] = static_cast<std::uint8_t>(crc >> 24);
    file[30] = static_cast<std::uint8_t>(crc >> 16);
    file[31] = static_cast<std::uint8_t>(crc >> 8);
    file[32] = static_cast<std::uint8_t>(crc);
    const Opened tooWide = open(codec, file);
    ASSERT_TRUE(tooWide.reader);
    EXPECT_EQ(tooWide.reader->frameCount(), 0);
    EXPECT_FALSE(tooWide.frame);
    ASSERT_NE(tooWide.reader->frameRefusal(), nullptr);
    EXPECT_STREQ(tooWide.reader->frameRefusal(), "The PNG file is damaged: Invalid IHDR data");

    // An interlaced RGBA file that claims 20,000 x 20,000 pixels (1.6 GB
    // delivered) offers no row iterator; 1,000 x 100,000 fails on its
    // missing data after the few rows it holds.
    for (const auto& size : {std::pair<std::uint32_t, std::uint32_t>{20000, 20000}, {1000, 100000}})
    {
        PngSpec s = spec(1, 1, PNG_COLOR_TYPE_RGB_ALPHA, 8);
        s.interlaced = true;
        Bytes small = encodePng(s);
        for (int i = 0; i < 4; ++i)
        {
            small[16 + i] = static_cast<std::uint8_t>(size.first >> (24 - 8 * i));
            small[20 + i] = static_cast<std::uint8_t>(size.second >> (24 - 8 * i));
        }
        crc = crc32(0, small.data() + 12, 17);
        for (int i = 0; i < 4; ++i)
            small[29 + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        Opened opened = open(codec, small);
        ASSERT_TRUE(opened.frame);
        std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
        if (size.first == 20000)
        {
            EXPECT_EQ(rows, nullptr);
            continue;
        }
        ASSERT_TRUE(rows);
        EXPECT_EQ(codecErrorOf([&] { rows->start(); }), 8);
    }
}

TEST(PngReader, ChunksDeclaringHugeLengthsAreNotAllocated)
{
    // libpng only warns about a chunk longer than its chunk limit and then
    // allocates what the length says; the codec's memory functions refuse
    // such blocks, so the chunk is skipped.
    EXPECT_EQ(allocatePngMemory(nullptr, kPngAllocationLimit + 1), nullptr);
    void* block = allocatePngMemory(nullptr, 16);
    EXPECT_NE(block, nullptr);
    freePngMemory(nullptr, block);

    PngSpec s = spec(3, 2, PNG_COLOR_TYPE_GRAY, 8);
    Bytes file = encodePng(s);
    // A zTXt chunk that claims 0x70000000 bytes, right after the header.
    const Bytes huge = {0x70, 0x00, 0x00, 0x00, 'z', 'T', 'X', 't', 'T', 'i', 't', 'l', 'e', 0, 0, 0x78, 0x9C};
    file.insert(file.begin() + 33, huge.begin(), huge.end());
    PngFormatCodec codec;
    const OmviTest::MemoryFile memory(file);
    EXPECT_NE(codec.probe(memory.specifier(), nullptr), ImageFormatCodec::kRecognised);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    ASSERT_TRUE(reader);
    EXPECT_EQ(reader->frameCount(), 0);
    EXPECT_EQ(reader->openFrame(0), nullptr);
    MemoryStream stream(file);
    EXPECT_EQ(codec.openStreamForRead(&stream), nullptr);
}
