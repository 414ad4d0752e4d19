// Frames written through the file write descriptor with the portable-map
// test codec: a file read, scaled and written back (the bytes checked
// independently), files created exclusively, data streams, the frame's
// attributes in order with a palette, and the refusals.
#include "DescriptorFixtures.h"
#include "ToolCheck.h"

#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptorImp.h"
#include "imaging/filters/Scale.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::Bytes;
using OmviTest::thrownCode;

namespace
{
using FileWriteDescriptorTest = OmviTest::DescriptorTest;

// A map scaled by whole factors, done on its bytes: pixel (x, y) of the
// result is pixel (x * w / w2, y * h / h2) of the source for enlargements.
Bytes enlarged(const Bytes& pixels, int channels, int w, int h, int factor)
{
    Bytes out;
    for (int y = 0; y < h * factor; ++y)
        for (int x = 0; x < w * factor; ++x)
            for (int c = 0; c < channels; ++c)
                out.push_back(pixels[static_cast<std::size_t>(((y / factor) * w + x / factor) * channels + c)]);
    return out;
}
} // namespace

TEST_F(FileWriteDescriptorTest, AFileReadScaledAndWrittenBack)
{
    for (const char kind : {'5', '6'})
    {
        const int channels = kind == '6' ? 3 : 1;
        const Bytes pixels = OmviTest::mapPixels(kind, 7, 5);
        const std::string name = std::string("source") + kind + ".pnm";
        FileReadDescriptor source(file(name, OmviTest::pnmBytes(kind, 7, 5, pixels)));

        auto* rows = new Scale(source.rowProvider(), {21, 15});
        FileWriteDescriptor out(codec);
        const FileSpecifier target = specifier(std::string("out") + kind + ".pnm");
        ASSERT_TRUE(out.create(target));
        out.createImageFrame(rows->dataModel(), 21, 15);
        ASSERT_TRUE(out.isFrameValid());
        EXPECT_EQ(out.writeImageFrame(rows), 1);

        Bytes written;
        ASSERT_TRUE(OmviTest::readWholeFile(folder.file(std::string("out") + kind + ".pnm"), written));
        EXPECT_EQ(written, OmviTest::pnmBytes(kind, 21, 15, enlarged(pixels, channels, 7, 5, 3)));

        FileSpecifier kept;
        out.representation().getFileSpecifier(kept);
        EXPECT_TRUE(kept == target);
    }
}

TEST_F(FileWriteDescriptorTest, WrittenFilesReadWithImageMagick)
{
    OMVI_REQUIRE_TOOL("convert");
    const Bytes bits = OmviTest::mapPixels('4', 13, 6);
    FileReadDescriptor source(file("in.pbm", OmviTest::pnmBytes('4', 13, 6, bits)));
    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("out.pbm")));
    out.createImageFrame(*source.dataModel(), 13, 6);
    EXPECT_EQ(out.writeImageFrame(source.rowProvider()), 1);
    // The tool reads our bitonal map (a set bit is black) as gray 0.
    ASSERT_EQ(OmviTest::runCommand("convert '" + folder.file("out.pbm") + "' -depth 8 '" + folder.file("gray.pgm") + "'"),
              0);
    const auto gray = OmviTest::readPortableMap(folder.file("gray.pgm"));
    ASSERT_EQ(gray.width, 13);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 13; ++x)
        {
            const bool ink = (bits[static_cast<std::size_t>(y * 2 + x / 8)] & (0x80 >> (x % 8))) != 0;
            ASSERT_EQ(gray.at(x, y, 0), ink ? 0 : 255) << x << ", " << y;
        }
}

TEST_F(FileWriteDescriptorTest, TargetsAreCreatedExclusively)
{
    FileWriteDescriptor out(codec);
    // An empty path is refused without asking the writer.
    EXPECT_FALSE(out.create(FileSpecifier()));
    EXPECT_FALSE(out.create(FileSpecifier(AsciiStringBuffer(""), FileSpecifier::kFile)));
    EXPECT_EQ(codec.lastWriter->openCalls, 0);
    // A file that exists is never overwritten.
    file("taken.pnm", {'x'});
    EXPECT_FALSE(out.create(specifier("taken.pnm")));
    EXPECT_EQ(codec.lastWriter->openCalls, 1);
    Bytes still;
    ASSERT_TRUE(OmviTest::readWholeFile(folder.file("taken.pnm"), still));
    EXPECT_EQ(still, Bytes{'x'});
    // Without an open output no frame can be made.
    const RgbGrayModel gray;
    std::string message;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { out.createImageFrame(gray, 4, 4); }, &message), 8);
    EXPECT_EQ(message, "FileWriteDescriptorImp::createImageFrame Output file or stream not valid");
    EXPECT_FALSE(out.isFrameValid());
}

TEST_F(FileWriteDescriptorTest, FramesTheCodecRefusesAreNotWritten)
{
    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("refused.pnm")));
    const DataModel plain(0, kDataTypeSixteenBit, 16);
    EXPECT_FALSE(FileWriteDescriptor::canWrite(codec, plain, {4, 4}));
    EXPECT_TRUE(FileWriteDescriptor::canWrite(codec, RgbGrayModel(), {4, 4}));
    EXPECT_FALSE(FileWriteDescriptor::canWrite(codec, RgbGrayModel(), {0, 4}));
    out.createImageFrame(plain, 4, 4);
    EXPECT_FALSE(out.isFrameValid());
    // Writing without a frame writes nothing, answers 0 and still deletes
    // the rows it was given.
    auto deleted = std::make_shared<bool>(false);
    auto* rows = new OmviTest::MemoryRows(plain, 4, 4, 8);
    rows->watchDeletion(deleted);
    EXPECT_EQ(out.writeImageFrame(rows), 0);
    EXPECT_TRUE(*deleted);
    EXPECT_EQ(out.writeImageFrame(nullptr), 0);
    Bytes written;
    ASSERT_TRUE(OmviTest::readWholeFile(folder.file("refused.pnm"), written));
    EXPECT_TRUE(written.empty());

    // Properties need a frame.
    auto& representation = dynamic_cast<FileWriteDescriptorImp&>(out.representation());
    EXPECT_EQ(representation.getFormatProperties(), nullptr);
    EXPECT_EQ(representation.createFormatProperty(2), nullptr);
    EXPECT_FALSE(out.setFormatProperty(nullptr));
    FileReadDescriptor source(file("p.pgm", OmviTest::pnmBytes('5', 2, 2, {1, 2, 3, 4})));
    EXPECT_FALSE(representation.copyFormatProperties(source));
    out.createImageFrame(RgbGrayModel(), 2, 2);
    EXPECT_FALSE(representation.copyFormatProperties(source)) << "the source frame has no property set";
}

TEST_F(FileWriteDescriptorTest, APaletteFrameGetsItsEntries)
{
    codec.acceptsPalettes = true;
    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("palette.pnm")));
    std::vector<RgbColor> colors;
    for (int i = 0; i < 16; ++i)
        colors.emplace_back(static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(2 * i),
                            static_cast<std::uint8_t>(255 - i), 0x40);
    const RgbPaletteModel palette(8, 16, colors.data());
    out.createImageFrame(palette, 9, 3);
    const OmviTest::PnmWriteFrame* frame = codec.lastWriter->lastFrame;
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->width, 9);
    EXPECT_EQ(frame->height, 3);
    EXPECT_EQ(frame->dataTypeBits, 8);
    EXPECT_EQ(frame->bitsUsed, 8);
    EXPECT_EQ(frame->kind, kColorSpacePalette);
    EXPECT_EQ(frame->calls, (std::vector<std::string>{"bits", "used", "kind", "count", "palette"}));
    EXPECT_EQ(frame->paletteCount, 16);
    ASSERT_EQ(frame->palette.size(), 48u);
    for (int i = 0; i < 16; ++i)
    {
        EXPECT_EQ(frame->palette[static_cast<std::size_t>(3 * i)], i);
        EXPECT_EQ(frame->palette[static_cast<std::size_t>(3 * i + 1)], 2 * i);
        EXPECT_EQ(frame->palette[static_cast<std::size_t>(3 * i + 2)], 255 - i);
    }

    // Other models pass no palette; the frame made before is replaced.
    out.createImageFrame(RgbModel(24), 2, 2);
    frame = codec.lastWriter->lastFrame;
    EXPECT_EQ(frame->calls, (std::vector<std::string>{"bits", "used", "kind"}));
    EXPECT_EQ(frame->dataTypeBits, 32);
    EXPECT_EQ(frame->bitsUsed, 24);
}

TEST_F(FileWriteDescriptorTest, DataStreams)
{
    const Bytes pixels = OmviTest::mapPixels('6', 3, 2);
    FileReadDescriptor source(file("s.ppm", OmviTest::pnmBytes('6', 3, 2, pixels)));
    OmviTest::MemoryDataStream stream;
    FileWriteDescriptor out(codec);
    out.createOnStream(&stream);
    out.createImageFrame(*source.dataModel(), 3, 2);
    ASSERT_TRUE(out.isFrameValid());
    EXPECT_EQ(out.writeImageFrame(source.rowProvider()), 1);
    EXPECT_EQ(stream.bytes, OmviTest::pnmBytes('6', 3, 2, pixels));
    EXPECT_EQ(stream.closes, 1);
    EXPECT_TRUE(dynamic_cast<FileWriteDescriptorImp&>(out.representation()).writesToStream());

    // A codec without data streams keeps its file writer, which has no
    // output: no frame.
    codec.streams = false;
    OmviTest::MemoryDataStream unused;
    FileWriteDescriptor refused(codec);
    refused.createOnStream(&unused);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { refused.createImageFrame(*source.dataModel(), 3, 2); }), 8);
    FileWriteDescriptor nullStream(codec);
    nullStream.createOnStream(nullptr);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { nullStream.createImageFrame(*source.dataModel(), 3, 2); }),
              8);
}

TEST_F(FileWriteDescriptorTest, FramesOneAfterAnotherMakeAFileOfFrames)
{
    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("two.pnm")));
    const Bytes first = OmviTest::mapPixels('5', 4, 3);
    const Bytes second = OmviTest::mapPixels('6', 2, 5, 9);
    FileReadDescriptor a(file("a.pgm", OmviTest::pnmBytes('5', 4, 3, first)));
    FileReadDescriptor b(file("b.ppm", OmviTest::pnmBytes('6', 2, 5, second)));
    out.createImageFrame(*a.dataModel(), 4, 3);
    EXPECT_EQ(out.writeImageFrame(a.rowProvider()), 1);
    out.createImageFrame(*b.dataModel(), 2, 5);
    EXPECT_EQ(out.writeImageFrame(b.rowProvider()), 1);

    FileReadDescriptor back(specifier("two.pnm"));
    EXPECT_EQ(back.frameCount(), 2);
    ASSERT_TRUE(back.selectFrame(1));
    EXPECT_EQ(back.size(), (PixelPair{2, 5}));
    std::unique_ptr<RowProviderInterface> rows(back.rowProvider());
    EXPECT_EQ(OmviTest::pullAll(*rows), OmviTest::deliveredRows('6', 2, 5, second));
}

TEST_F(FileWriteDescriptorTest, RowsThatDoNotFitTheFrameFailThroughTheCodec)
{
    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("misfit.pnm")));
    FileReadDescriptor source(file("m.pgm", OmviTest::pnmBytes('5', 4, 3, OmviTest::mapPixels('5', 4, 3))));
    out.createImageFrame(*source.dataModel(), 5, 3);
    EXPECT_EQ(thrownCode<FormatCodecException>([&] { out.writeImageFrame(source.rowProvider()); }), 2);
}
