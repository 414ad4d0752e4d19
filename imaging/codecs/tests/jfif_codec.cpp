// The JFIF codec's reader and writer against themselves and libjpeg: round
// trips through files and streams, the header's density and comments, the
// colour spaces the reader converts, the writer's checks, and damaged,
// cut-off and trickled input.
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/jfif/JfifProperties.h"
#include "imaging/codecs/jfif/JfifStrings.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tests/JpegTestSupport.h"

#include <gtest/gtest.h>

using namespace Omvi;
using namespace OmviTest;

namespace
{

StringBuffer text(const char* value)
{
    return AsciiStringBuffer(value);
}

FrameSetup withProperty(const FormatCodecPropertyInterface& property)
{
    return [&property](WriteImageFileFrameInterface& frame) { EXPECT_TRUE(frame.setProperty(&property)); };
}

std::vector<std::string> commentsOf(ReadImageFileFrameInterface& frame)
{
    std::vector<std::string> comments;
    std::unique_ptr<FormatCodecPropertySetIterator> set(frame.getProperties());
    for (set->start(); !set->isDone(); set->next())
        if (const auto* comment = dynamic_cast<const JfifComment*>(set->current()))
            comments.emplace_back(comment->text().data(), static_cast<std::size_t>(comment->text().size()));
    return comments;
}

} // namespace

TEST(JfifCodec, ColourAndGreyRoundTripThroughStreamsAndFiles)
{
    const TestImage colour = withAlpha(patternImage(37, 23, 3));
    JfifCompression best;
    ASSERT_TRUE(best.setValue(100));
    const Pixels bytes = encodeJpeg(colour, withProperty(best));
    ASSERT_GT(bytes.size(), 100u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);

    OpenedJpeg opened(bytes);
    ASSERT_NE(opened.frame, nullptr);
    int height = 0;
    int width = 0;
    opened.frame->getSize(&height, &width);
    EXPECT_EQ(height, 23);
    EXPECT_EQ(width, 37);
    EXPECT_EQ(opened.frame->dataModelKind(), 1);
    EXPECT_EQ(opened.frame->sampleKind(), 3);
    EXPECT_EQ(opened.frame->bitsPerPixel(), 24);
    EXPECT_EQ(opened.frame->frameIndex(), 0);
    EXPECT_TRUE(opened.frame->isRowAccessSupported(0));
    EXPECT_FALSE(opened.frame->isRowAccessSupported(2));
    EXPECT_EQ(opened.frame->paletteCount(), 0);
    const TestImage decoded = readAllRows(*opened.frame, 4);
    EXPECT_GT(psnr(decoded, colour), 38.0);
    for (std::size_t i = 3; i < decoded.pixels.size(); i += 4)
        ASSERT_EQ(decoded.pixels[i], 255);

    // A second iterator reads the file again and gives the same rows.
    EXPECT_EQ(readAllRows(*opened.frame, 4), decoded);

    const TestImage grey = patternImage(64, 9, 1, 3);
    const Pixels greyBytes = encodeJpeg(grey, withProperty(best));
    OpenedJpeg greyOpened(greyBytes);
    ASSERT_NE(greyOpened.frame, nullptr);
    EXPECT_EQ(greyOpened.frame->dataModelKind(), 3);
    EXPECT_EQ(greyOpened.frame->bitsPerPixel(), 8);
    EXPECT_GT(psnr(readAllRows(*greyOpened.frame, 1), grey), 40.0);

    // The file writer writes the same bytes as the stream writer.
    ScratchFolder folder;
    JfifFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_NE(writer, nullptr);
    EXPECT_FALSE(writer->open(FileSpecifier(text("x.jpg"), FileSpecifier::kStream)));
    ASSERT_TRUE(writer->open(FileSpecifier(text(folder.file("out.jpg").c_str()), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describeFrame(*frame, colour);
    ASSERT_TRUE(frame->setProperty(&best));
    ImageRows rows(colour);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 0);
    EXPECT_EQ(readFileBytes(folder.file("out.jpg")), bytes);
    EXPECT_EQ(rows.starts, 1);
    EXPECT_EQ(rows.finishes, 1);
    EXPECT_EQ(rows.gets, 23);

    // A writer writes once; a second frame leaves the file as it was.
    ImageRows again(colour);
    EXPECT_EQ(writer->writeFrame(frame.get(), &again), 0);
    EXPECT_EQ(again.gets, 0);
}

TEST(JfifCodec, StreamReaderRereadsFromTheStartAndTrickledInputGivesTheSameRows)
{
    const TestImage colour = withAlpha(patternImage(50, 40, 3, 5));
    const Pixels bytes = encodeJpeg(colour);
    const TestImage reference = decodeJpeg(bytes);
    ASSERT_EQ(reference.height, 40);

    JfifFormatCodec codec;
    MemoryStream stream(bytes);
    stream.readChunk = 1;  // one byte a read
    std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->frameCount(), 1);
    EXPECT_EQ(reader->openFrame(1), nullptr);
    FileSpecifier copied;
    EXPECT_EQ(reader->copyFileSpecifier(copied).kind(), FileSpecifier::kStream);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(readAllRows(*frame, 4), reference);
    EXPECT_EQ(stream.rewinds, 0);
    EXPECT_EQ(readAllRows(*frame, 4), reference);
    EXPECT_EQ(stream.rewinds, 1);
}

TEST(JfifCodec, RowsPastTheLastAreClearedAndTheBufferIsChecked)
{
    const TestImage grey = patternImage(16, 3, 1);
    OpenedJpeg opened(encodeJpeg(grey));
    ASSERT_NE(opened.frame, nullptr);
    std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->bytesPerRow(), 16);
    EXPECT_EQ(rows->rowCount(), 3);
    EXPECT_EQ(rows->width(), 16);
    DataBuffer small(15);
    EXPECT_EQ(codeOfFailure([&] { rows->getRow(small); }), ImageFilterException::kRowBufferTooSmall);
    rows->start();
    DataBuffer row(20);
    for (int i = 0; i < 3; ++i)
    {
        rows->getRow(row);
        EXPECT_TRUE(rows->next());
    }
    std::memset(row.data(), 0x77, 20);
    rows->getRow(row);
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(row.data()[i], 0) << i;
    rows->finish();
    // Starting a finished decompressor again is a libjpeg state error.
    EXPECT_EQ(codeOfFailure([&] { rows->start(); }), kCodecCorruptImage);
}

TEST(JfifCodec, DensityIsReadAndWrittenAsTheHeaderKeepsIt)
{
    const TestImage grey = patternImage(8, 8, 1);
    // Unit 0 and 1 x 1 is the header's "nothing said": no property.
    OpenedJpeg plain(encodeJpeg(grey));
    EXPECT_EQ(plain.frame->getPropertyOfType(FormatCodecPropertyInterface::kDensity), nullptr);

    auto densityOf = [&](const Pixels& bytes, double* x, double* y) {
        OpenedJpeg opened(bytes);
        std::unique_ptr<FormatCodecPropertyInterface> property(
            opened.frame->getPropertyOfType(FormatCodecPropertyInterface::kDensity));
        auto* density = dynamic_cast<JfifDensity*>(property.get());
        if (density == nullptr)
            return -1;
        density->getDensity(x, y);
        return density->unit();
    };

    JfifDensity dpi(300.7, 150.2, FormatCodecDensity::kPerInch);
    double x = 0;
    double y = 0;
    dpi.getDensity(&x, &y);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 150);
    EXPECT_EQ(densityOf(encodeJpeg(grey, withProperty(dpi)), &x, &y), FormatCodecDensity::kPerInch);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 150);

    JfifDensity aspect(72, 72, FormatCodecDensity::kNoUnit);
    EXPECT_EQ(densityOf(encodeJpeg(grey, withProperty(aspect)), &x, &y), FormatCodecDensity::kNoUnit);
    EXPECT_EQ(x, 72);

    JfifDensity metric(40, 41, FormatCodecDensity::kPerCentimetre);
    EXPECT_EQ(densityOf(encodeJpeg(grey, withProperty(metric)), &x, &y), FormatCodecDensity::kPerCentimetre);
    EXPECT_EQ(y, 41);

    // The stored form wraps modulo 65536; the writer leaves out a density of
    // 0, which the reader would not report either.
    JfifDensity wrapped(70000, -1, FormatCodecDensity::kPerInch);
    wrapped.getDensity(&x, &y);
    EXPECT_EQ(x, 4464);
    EXPECT_EQ(y, 65535);
    JfifDensity zero(0, 300, FormatCodecDensity::kPerInch);
    EXPECT_EQ(encodeJpeg(grey, withProperty(zero)), encodeJpeg(grey));
    JfifDensity notANumber(std::nan(""), 3, FormatCodecDensity::kPerInch);
    notANumber.getDensity(&x, &y);
    EXPECT_EQ(x, 0);

    // A density of another class with the density type is taken but not
    // written, as only the codec's own density says what it holds.
    std::unique_ptr<FormatCodecPropertyInterface> copy(dpi.clone());
    EXPECT_NE(dynamic_cast<JfifDensity*>(copy.get()), nullptr);
}

TEST(JfifCodec, CommentsGoOutInOrderWithoutTheirTerminatorAndComeBackWithIt)
{
    const TestImage grey = patternImage(8, 8, 1);
    JfifComment first(text("first comment"), JfifComment::kWriterLimit);
    JfifComment second(text("second"), JfifComment::kWriterLimit);
    const Pixels bytes = encodeJpeg(grey, [&](WriteImageFileFrameInterface& frame) {
        EXPECT_TRUE(frame.setProperty(&first));
        EXPECT_TRUE(frame.setProperty(&second));
    });
    // The marker holds the text alone, right after the JFIF header.
    const std::string expectedMarker = std::string("\xFF\xFE\x00\x0F", 4) + "first comment";
    const std::string all(bytes.begin(), bytes.end());
    EXPECT_EQ(all.find(expectedMarker), 20u);

    OpenedJpeg opened(bytes);
    const auto comments = commentsOf(*opened.frame);
    ASSERT_EQ(comments.size(), 2u);
    EXPECT_EQ(comments[0], std::string("first comment", 14));  // with its NUL
    EXPECT_EQ(comments[1], std::string("second", 7));
    std::unique_ptr<FormatCodecPropertyInterface> byName(opened.frame->getProperty(first.name()));
    auto* found = dynamic_cast<JfifComment*>(byName.get());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->text().compare(first.text()), 0);  // the same text as written
    EXPECT_EQ(found->lengthLimit(), JfifComment::kReaderLimit);

    // The writer's bound: 65530 bytes of text pass, one more is refused.
    JfifFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describeFrame(*frame, grey);
    const std::string longest(JfifComment::kWriterLimit, 'c');
    JfifComment fits(text(longest.c_str()), JfifComment::kWriterLimit);
    EXPECT_TRUE(frame->setProperty(&fits));
    JfifComment tooLong(text((longest + "c").c_str()), JfifComment::kWriterLimit);
    EXPECT_FALSE(frame->setProperty(&tooLong));
    ImageRows rows(grey);
    writer->writeFrame(frame.get(), &rows);
    OpenedJpeg longOpened(stream.bytes);
    ASSERT_EQ(commentsOf(*longOpened.frame).size(), 1u);
    EXPECT_EQ(commentsOf(*longOpened.frame)[0].size(), longest.size() + 1);
}

TEST(JfifCodec, WriterFramePropertiesAndAttributeChecks)
{
    JfifFormatCodec codec;
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());

    FormatCodecPropertySetIterator* supported = frame->getProperties();
    ASSERT_NE(supported, nullptr);
    EXPECT_EQ(supported->count(), 4);  // a stream writer has no side-car files
    EXPECT_NE(supported->findByType(FormatCodecPropertyInterface::kDensity), nullptr);
    auto* quality = dynamic_cast<FormatCodecIntProperty*>(supported->findByType(FormatCodecPropertyInterface::kCompression));
    ASSERT_NE(quality, nullptr);
    EXPECT_EQ(quality->value(), 100);
    EXPECT_FALSE(quality->setValue(101));

    StringBuffer name;
    codec.getPrivatePropertyName(1, name);
    std::unique_ptr<FormatCodecPropertyInterface> progressive(frame->getProperty(name));
    EXPECT_NE(dynamic_cast<JfifProgressiveOutput*>(progressive.get()), nullptr);
    EXPECT_EQ(frame->getProperty(text("nothing")), nullptr);
    std::unique_ptr<FormatCodecPropertyInterface> byType(frame->getPropertyOfType(2));
    EXPECT_NE(dynamic_cast<JfifCompression*>(byType.get()), nullptr);
    EXPECT_EQ(frame->getPropertyOfType(7), nullptr);
    EXPECT_EQ(frame->getPropertyOfType(6), nullptr);

    // Bits: 8 grey, 32 (24 used) colour.
    EXPECT_EQ(codeOfFailure([&] { frame->setThirdValue(16); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(16); }), kCodecInvalidBitsPerPixel);
    frame->setDataModelKind(3);
    EXPECT_EQ(codeOfFailure([&] { frame->setThirdValue(32); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setThirdValue(8); }), -2);
    frame->setDataModelKind(1);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(24); }), -2);
    EXPECT_EQ(codeOfFailure([&] { frame->setBitsPerPixel(8); }), kCodecInvalidBitsPerPixel);
    EXPECT_EQ(codeOfFailure([&] { frame->setPaletteCount(2); }), kCodecInvalidColorModel);
    const std::uint8_t palette[6] = {};
    EXPECT_EQ(codeOfFailure([&] { frame->setPalette(palette); }), kCodecInvalidColorModel);

    // Properties it takes, and those it leaves.
    JfifCompression compression;
    EXPECT_TRUE(frame->setProperty(&compression));
    JfifProgressiveOutput flag(true);
    EXPECT_TRUE(frame->setProperty(&flag));
    EXPECT_FALSE(frame->setProperty(nullptr));
    class Foreign : public FormatCodecBooleanProperty
    {
    public:
        Foreign() : FormatCodecBooleanProperty(kPrivate, true, true) {}
        FormatCodecPropertyInterface* clone() const override { return new Foreign(*this); }
    } foreign;
    EXPECT_FALSE(frame->setProperty(&foreign));
    // Setting the data model starts the properties afresh.
    frame->setDataModelKind(1);
    EXPECT_FALSE(frame->requiredPropertiesSet());
    frame->setSize(2, 3);
    EXPECT_TRUE(frame->requiredPropertiesSet());
}

TEST(JfifCodec, WriterRefusesRowsThatDoNotFitTheFrame)
{
    JfifFormatCodec codec;
    const TestImage colour = withAlpha(patternImage(10, 6, 3));
    auto attempt = [&](const std::function<void(WriteImageFileFrameInterface&, ImageRows&)>& spoil) {
        MemoryStream stream;
        std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        describeFrame(*frame, colour);
        ImageRows rows(colour);
        spoil(*frame, rows);
        const int code = codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); });
        EXPECT_EQ(rows.gets, 0) << "rows were pulled before the check";
        EXPECT_TRUE(stream.bytes.empty());
        return code;
    };
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(6, 11); }), kCodecRowIteratorMismatch);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(7, 10); }), kCodecRowIteratorMismatch);
    EXPECT_EQ(attempt([](auto&, auto& rows) { rows.rowCountOverride = 0; }), kCodecInvalidRowIteratorSize);
    EXPECT_EQ(attempt([](auto&, auto& rows) { rows.widthOverride = 0; }), kCodecInvalidRowIteratorSize);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(0, 10); }), kCodecRequiredPropertiesNotSet);
    // Sides the JPEG library does not code, refused before it is asked.
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(65501, 10); }), kCodecInvalidSize);
    EXPECT_EQ(attempt([](auto& frame, auto&) { frame.setSize(6, 65501); }), kCodecInvalidSize);
    // Rows shorter than the frame's pixels would be read past their end.
    EXPECT_EQ(codeOfFailure([&] {
                  MemoryStream stream;
                  std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
                  std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
                  describeFrame(*frame, colour);
                  ImageRows shortRows(colour, 10 * 3);
                  writer->writeFrame(frame.get(), &shortRows);
              }),
              kCodecRowIteratorMismatch);

    // A frame of another codec, or no rows: nothing happens.
    MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_EQ(writer->writeFrame(frame.get(), nullptr), 0);
    EXPECT_TRUE(stream.bytes.empty());
}

TEST(JfifCodec, FileWriterFailuresLeaveNoFile)
{
    ScratchFolder folder;
    JfifFormatCodec codec;
    const TestImage grey = patternImage(8, 8, 1);
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(FileSpecifier(text(folder.file("missing/dir/out.jpg").c_str()), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describeFrame(*frame, grey);
    ImageRows rows(grey);
    EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), FileIOException::kOtherFailure);

    // Rows that throw half-way: the unfinished file is removed.
    class Failing : public ImageRows
    {
    public:
        using ImageRows::ImageRows;
        void getRow(DataBuffer& row) override
        {
            if (gets == 4)
                throw new ImageFilterException("no more rows", 1);
            ImageRows::getRow(row);
        }
    };
    const std::string path = folder.file("half.jpg");
    writeFileBytes(path, Pixels(100, 1));  // an older file is replaced
    std::unique_ptr<WriteImageFileInterface> second(codec.createWriter());
    ASSERT_TRUE(second->open(FileSpecifier(text(path.c_str()), FileSpecifier::kFile)));
    std::unique_ptr<WriteImageFileFrameInterface> secondFrame(second->createFrame());
    describeFrame(*secondFrame, grey);
    Failing failing(grey);
    EXPECT_EQ(codeOfFailure([&] { second->writeFrame(secondFrame.get(), &failing); }), 1);
    EXPECT_FALSE(fileExists(path));
}

TEST(JfifCodec, StreamFailuresSurfaceThroughTheCodecsChannel)
{
    JfifFormatCodec codec;
    const TestImage colour = withAlpha(patternImage(200, 100, 3));
    for (const bool throws : {false, true})
    {
        MemoryStream stream;
        stream.failAfterBytes = 100;
        stream.throwOnFailure = throws;
        std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        describeFrame(*frame, colour);
        ImageRows rows(colour);
        // A refused write is libjpeg's write error; a stream that throws has
        // its own exception passed on.
        EXPECT_EQ(codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }),
                  throws ? int{FileIOException::kDiskFull} : int{kCodecCorruptImage});
    }

    const Pixels bytes = encodeJpeg(colour);
    MemoryStream broken(bytes);
    broken.throwOnRead = true;
    std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&broken));
    EXPECT_EQ(codeOfFailure([&] { delete reader->openFrame(0); }), FileIOException::kOtherFailure);

    MemoryStream empty;
    std::unique_ptr<ReadImageFileInterface> emptyReader(codec.openStreamForRead(&empty));
    EXPECT_EQ(codeOfFailure([&] { delete emptyReader->openFrame(0); }), kCodecCorruptImage);

    // The stream writer closes its stream once the image is complete.
    MemoryStream out;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&out));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    describeFrame(*frame, colour);
    ImageRows rows(colour);
    writer->writeFrame(frame.get(), &rows);
    EXPECT_EQ(out.closes, 1);
    EXPECT_EQ(codec.openStreamForRead(nullptr), nullptr);
    EXPECT_EQ(codec.createStreamWriter(nullptr), nullptr);
}

TEST(JfifCodec, CmykAndYcckFilesBecomeRgbByTheInkFormula)
{
    const int width = 24;
    const int height = 16;
    const TestImage inks = noiseImage(width, height, 4, 11);
    // The reader's formula over libjpeg's own CMYK samples of the file.
    auto expected = [&](const Pixels& file, bool inverted) {
        const Pixels cmyk = libjpegDecode(file, JCS_CMYK);
        TestImage image{width, height, 4, Pixels(cmyk.size())};
        for (std::size_t i = 0; i < cmyk.size(); i += 4)
        {
            auto value = [&](int k) { return (inverted ? 255 - cmyk[i + k] : cmyk[i + k]) / 255.0; };
            const double black = value(3);
            for (int c = 0; c < 3; ++c)
                image.pixels[i + c] = static_cast<std::uint8_t>(
                    255.0 * (1.0 - std::min(1.0, value(c) * (1.0 - black) + black)) + 0.5);
            image.pixels[i + 3] = 255;
        }
        return image;
    };
    // Plain CMYK (no Adobe marker) stores its inks as they are.
    const Pixels cmykFile = libjpegEncode(inks.pixels, width, height, 4, JCS_CMYK, JCS_CMYK, 100, false, false);
    ASSERT_FALSE(cmykFile.empty());
    OpenedJpeg cmyk(cmykFile);
    EXPECT_EQ(cmyk.frame->dataModelKind(), 1);
    EXPECT_EQ(readAllRows(*cmyk.frame, 4), expected(cmykFile, false));

    // With the Adobe marker (libjpeg writes one by default), CMYK and YCCK
    // alike store them inverted.
    const Pixels adobeFile = libjpegEncode(inks.pixels, width, height, 4, JCS_CMYK, JCS_CMYK);
    ASSERT_FALSE(adobeFile.empty());
    EXPECT_EQ(decodeJpeg(adobeFile), expected(adobeFile, true));
    const Pixels ycckFile = libjpegEncode(inks.pixels, width, height, 4, JCS_CMYK, JCS_YCCK);
    ASSERT_FALSE(ycckFile.empty());
    EXPECT_EQ(decodeJpeg(ycckFile), expected(ycckFile, true));

    // Samples of 0: no ink (white) in a plain file, full ink (black) in an
    // Adobe one.
    Pixels flat(static_cast<std::size_t>(width) * height * 4, 0);
    const TestImage white = decodeJpeg(libjpegEncode(flat, width, height, 4, JCS_CMYK, JCS_CMYK, 100, false, false));
    EXPECT_EQ(white.pixels[0], 255);
    EXPECT_EQ(white.pixels[1], 255);
    const TestImage black = decodeJpeg(libjpegEncode(flat, width, height, 4, JCS_CMYK, JCS_CMYK));
    EXPECT_EQ(black.pixels[0], 0);
    EXPECT_EQ(black.pixels[1], 0);
}

TEST(JfifCodec, TwoComponentFilesHaveNoRowIterator)
{
    Pixels samples(8 * 8 * 2, 90);
    const Pixels file = libjpegEncode(samples, 8, 8, 2, JCS_UNKNOWN, JCS_UNKNOWN);
    ASSERT_FALSE(file.empty());
    OpenedJpeg opened(file);
    ASSERT_NE(opened.frame, nullptr);
    EXPECT_EQ(opened.frame->dataModelKind(), 0);
    EXPECT_EQ(opened.frame->sampleKind(), 0);
    EXPECT_EQ(opened.frame->newRowIterator(), nullptr);
}

TEST(JfifCodec, UnreadableAndDamagedFiles)
{
    JfifFormatCodec codec;
    // A file that cannot be opened: a frame of no size and no rows.
    std::unique_ptr<ReadImageFileInterface> missing(
        codec.openForRead(FileSpecifier(text("/nonexistent/file.jpg"), FileSpecifier::kFile)));
    ASSERT_NE(missing, nullptr);
    std::unique_ptr<ReadImageFileFrameInterface> nothing(missing->openFrame(0));
    ASSERT_NE(nothing, nullptr);
    int height = 0;
    int width = 0;
    nothing->getSize(&height, &width);
    EXPECT_EQ(height, -1);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(nothing->dataModelKind(), 0);
    EXPECT_EQ(nothing->newRowIterator(), nullptr);
    std::unique_ptr<FormatCodecPropertySetIterator> none(nothing->getProperties());
    EXPECT_EQ(none->count(), 0);

    // Not a JPEG: opening the frame throws.
    MemoryFile notJpeg(std::string("GIF89a and then some more bytes"));
    std::unique_ptr<ReadImageFileInterface> gif(codec.openForRead(notJpeg.specifier()));
    EXPECT_EQ(codeOfFailure([&] { delete gif->openFrame(0); }), kCodecCorruptImage);

    // Cut inside the entropy-coded data: the rows the data lacks are
    // "Corrupt image file", not made up.
    const TestImage colour = withAlpha(patternImage(64, 64, 3));
    Pixels bytes = encodeJpeg(colour);
    Pixels cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(bytes.size() * 2 / 3));
    EXPECT_EQ(codeOfFailure([&] { decodeJpeg(cut); }), kCodecCorruptImage);

    // Cut inside the header: the frame cannot be made.
    Pixels header(bytes.begin(), bytes.begin() + 100);
    EXPECT_EQ(codeOfFailure([&] { OpenedJpeg opened(header); }), kCodecCorruptImage);

    // A frame header of 65,501 rows: the format holds it, the JPEG library
    // decodes no more than 65,500, and that is no damage.
    std::size_t at = 2;
    while (at + 9 < bytes.size() && bytes[at + 1] != 0xC0)
        at += 2 + (std::size_t(bytes[at + 2]) << 8 | bytes[at + 3]);
    ASSERT_LT(at + 9, bytes.size());
    Pixels tall = bytes;
    tall[at + 5] = 65501 >> 8;
    tall[at + 6] = 65501 & 0xFF;
    EXPECT_EQ(codeOfFailure([&] { OpenedJpeg opened(tall); }), kCodecInvalidSize);
}

TEST(JfifCodec, TruncatedAndMutatedInputNeverCrashes)
{
    const TestImage colour = withAlpha(patternImage(40, 24, 3, 9));
    const Pixels bytes = encodeJpeg(colour);
    int failures = 0;
    int decoded = 0;
    auto attempt = [&](const Pixels& input) {
        const int code = codeOfFailure([&] {
            const TestImage image = decodeJpeg(input);
            if (!image.pixels.empty())
                ++decoded;
        });
        if (code != -2)
        {
            EXPECT_EQ(code, kCodecCorruptImage);
            ++failures;
        }
    };
    for (std::size_t length = 0; length < bytes.size(); length += 7)
        attempt(Pixels(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length)));
    std::uint32_t state = 12345;
    for (int round = 0; round < 300; ++round)
    {
        Pixels mutated = bytes;
        for (int k = 0; k < 1 + round % 4; ++k)
        {
            state = state * 1664525u + 1013904223u;
            mutated[(state >> 8) % mutated.size()] = static_cast<std::uint8_t>(state >> 24);
        }
        attempt(mutated);
    }
    EXPECT_GT(failures, 10);
    EXPECT_GT(decoded, 10);
}

TEST(JfifCodec, HugeMultiScanFilesAreRefusedRatherThanAllocated)
{
    // A small progressive file whose frame header claims 60000 x 60000
    // pixels: decoding it would need gigabytes of coefficient buffers.
    const TestImage colour = patternImage(16, 16, 3);
    Pixels bytes = libjpegEncode(colour.pixels, 16, 16, 3, JCS_RGB, JCS_YCbCr, 90, true);
    ASSERT_FALSE(bytes.empty());
    std::size_t frame = 0;
    for (std::size_t i = 0; i + 9 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC2)
        {
            frame = i;
            break;
        }
    ASSERT_NE(frame, 0u);
    for (const std::size_t at : {frame + 5, frame + 7})
    {
        bytes[at] = 60000 >> 8;
        bytes[at + 1] = 60000 & 0xFF;
    }
    OpenedJpeg opened(bytes);
    ASSERT_NE(opened.frame, nullptr);
    int height = 0;
    int width = 0;
    opened.frame->getSize(&height, &width);
    EXPECT_EQ(width, 60000);
    std::unique_ptr<RowIteratorInterface> rows(opened.frame->newRowIterator());
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(codeOfFailure([&] { rows->start(); }), kCodecCorruptImage);

    // The same file at its own size decodes.
    const Pixels small = libjpegEncode(colour.pixels, 16, 16, 3, JCS_RGB, JCS_YCbCr, 90, true);
    EXPECT_GT(psnr(decodeJpeg(small), withAlpha(colour)), 35.0);
}
