// The CALS codec: its header records and their values, reading and writing
// files and streams, the frame's properties, the writer's refusals (which
// come before anything is written), and damaged files.
#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/codecs/ReadImageFileInterface.h"
#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/cals/CalsFormatCodec.h"
#include "imaging/codecs/cals/CalsHeader.h"
#include "imaging/codecs/cals/CalsProperties.h"
#include "imaging/codecs/cals/CalsStreamIo.h"
#include "imaging/codecs/cals/CalsStrings.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tests/CalsTestSupport.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/MemoryFile.h"
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "imaging/pipeline/RowIteratorInterface.h"

#include <gtest/gtest.h>

#include <csignal>
#include <string>
#include <sys/resource.h>

namespace
{

using namespace Omvi;
using OmviTest::BitonalImage;
using Bytes = std::vector<std::uint8_t>;

FileSpecifier specifierOf(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

std::string recordText(const Bytes& file, int record)
{
    return std::string(file.begin() + record * 128, file.begin() + record * 128 + 128);
}

std::string padded(const std::string& text)
{
    return text + std::string(128 - text.size(), ' ');
}

// Writes the image through the writer (a new frame sized for it); answers
// the exception code, or -2 when it wrote.
int writeImage(WriteImageFileInterface& writer, const BitonalImage& image,
               const std::vector<const FormatCodecPropertyInterface*>& properties = {})
{
    return OmviTest::codeOfFailure([&] {
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer.createFrame());
        frame->setSize(image.height, image.width);
        frame->setDataModelKind(4);
        frame->setBitsPerPixel(1);
        for (const auto* property : properties)
            EXPECT_TRUE(frame->setProperty(property));
        OmviTest::BitonalRows rows(image);
        EXPECT_EQ(writer.writeFrame(frame.get(), &rows), 1);
    });
}

Bytes calsBytes(const BitonalImage& image, const std::vector<const FormatCodecPropertyInterface*>& properties = {})
{
    CalsFormatCodec codec;
    OmviTest::MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    EXPECT_EQ(writeImage(*writer, image, properties), -2);
    return stream.bytes;
}

BitonalImage readCals(const Bytes& bytes, int* orientation = nullptr)
{
    CalsFormatCodec codec;
    const OmviTest::MemoryFile file(bytes);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    EXPECT_NE(reader, nullptr);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    if (orientation)
        *orientation = frame->getOrientation();
    return OmviTest::readBitonalRows(*frame);
}

TEST(CalsHeader, NewHeadersHoldTheDefaultRecords)
{
    const CalsHeader header;
    const Bytes block(header.block(), header.block() + CalsHeader::kSize);
    EXPECT_EQ(recordText(block, 0), padded("srcdocid: NONE"));
    EXPECT_EQ(recordText(block, 6), padded("rtype: 1"));
    EXPECT_EQ(recordText(block, 7), padded("rorient: 000, 270"));
    EXPECT_EQ(recordText(block, 8), padded("rpelcnt: 000001, 000001"));
    EXPECT_EQ(recordText(block, 9), padded("rdensty: 0300"));
    EXPECT_EQ(recordText(block, 10), padded("notes: NONE"));
    for (int record = 11; record < 16; ++record)
        EXPECT_EQ(recordText(block, record), std::string(128, ' '));
}

TEST(CalsHeader, ValuesAreParsedAsTheRecordsHoldThem)
{
    CalsHeader header;
    auto put = [&header](int record, const std::string& text) {
        std::memset(header.block() + record * 128, ' ', 128);
        std::memcpy(header.block() + record * 128, text.data(), text.size());
    };
    put(CalsHeader::kPelCount, "rpelcnt: 002560,003300");
    std::int32_t pels = 0, lines = 0;
    header.pelCount(&pels, &lines);
    EXPECT_EQ(pels, 2560);
    EXPECT_EQ(lines, 3300);
    put(CalsHeader::kOrientation, "rorient: 090,270");
    EXPECT_EQ(header.orientationCode(), 6);
    put(CalsHeader::kOrientation, "rorient: 045,090");
    EXPECT_EQ(header.orientationCode(), 0);
    const int expected[4][2] = {{2, 0}, {4, 6}, {1, 3}, {7, 5}};
    for (int p = 0; p < 4; ++p)
        for (int s = 0; s < 2; ++s)
        {
            put(CalsHeader::kOrientation, "rorient: " + std::to_string(p * 90) + "," + (s == 0 ? "90" : "180"));
            EXPECT_EQ(header.orientationCode(), expected[p][s]) << p << " " << s;
        }
    put(CalsHeader::kNotes, "notes:    two words   ");
    EXPECT_EQ(header.text(CalsHeader::kNotes), "two words");
    put(CalsHeader::kFigure, "figid:");
    EXPECT_EQ(header.text(CalsHeader::kFigure), "");
    put(CalsHeader::kDensity, "rdensty: 99999999999999");
    EXPECT_EQ(header.density(), 0x7FFFFFFF);
    put(CalsHeader::kPelCount, "rpelcnt");
    header.pelCount(&pels, &lines);
    EXPECT_EQ(pels, 0);
    EXPECT_EQ(lines, 0);
}

TEST(CalsHeader, SettersKeepEveryValueInsideItsRecord)
{
    CalsHeader header;
    header.setText(CalsHeader::kSourceDocument, std::string(300, 'x'));
    const Bytes block(header.block(), header.block() + CalsHeader::kSize);
    EXPECT_EQ(recordText(block, 0), "srcdocid: " + std::string(118, 'x'));
    EXPECT_EQ(recordText(block, 1), padded("dstdocid: NONE"));
    EXPECT_FALSE(header.setPelCount(1000000, 5));
    EXPECT_FALSE(header.setPelCount(5, -1));
    EXPECT_FALSE(header.setDensity(10000));
    EXPECT_FALSE(header.setOrientation(1000, 0));
    std::int32_t pels = 0;
    header.pelCount(&pels, nullptr);
    EXPECT_EQ(pels, 1);
    EXPECT_TRUE(header.setPelCount(999999, 999999));
}

TEST(CalsReader, TheRpelcntVectorSizesTheFrame)
{
    Bytes file(2048, ' ');
    const std::string pelCount = "rpelcnt: 002560,003300";
    std::memcpy(&file[8 * 128], pelCount.data(), pelCount.size());
    const OmviTest::MemoryFile memory(file);
    CalsFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->frameCount(), 1);
    EXPECT_EQ(reader->openFrame(1), nullptr);
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    int height = 0, width = 0;
    frame->getSize(&height, &width);
    EXPECT_EQ(height, 3300);
    EXPECT_EQ(width, 2560);
    EXPECT_EQ(frame->dataModelKind(), 4);
    EXPECT_EQ(frame->sampleKind(), 0);
    EXPECT_EQ(frame->bitsPerPixel(), 1);
    EXPECT_EQ(frame->frameIndex(), 0);
    EXPECT_TRUE(frame->isRowAccessSupported(0));
    EXPECT_FALSE(frame->isRowAccessSupported(2));
    std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
    ASSERT_NE(rows, nullptr);
    EXPECT_EQ(rows->bytesPerRow(), 320);
}

TEST(CalsReader, ShortHeadersKeepTheDefaultsAndEmptySizesGiveNoRows)
{
    CalsFormatCodec codec;
    // 300 bytes: the two first records only.
    Bytes shortFile(300, ' ');
    std::memcpy(shortFile.data(), "srcdocid: A1", 12);
    const OmviTest::MemoryFile memory(shortFile);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    int height = 0, width = 0;
    frame->getSize(&height, &width);
    EXPECT_EQ(height, 1);
    EXPECT_EQ(width, 1);
    std::unique_ptr<FormatCodecPropertyInterface> text(frame->getProperty(AsciiStringBuffer("srcdocid:")));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(static_cast<CalsStringProperty*>(text.get())->value(), "A1");
    std::unique_ptr<FormatCodecPropertyInterface> density(frame->getPropertyOfType(3));
    ASSERT_NE(density, nullptr);
    EXPECT_EQ(static_cast<CalsDensityProperty*>(density.get())->density(), 300);
    // No lines, no pels, or more pels than a line can hold: no rows.
    for (const char* count : {"rpelcnt: 000000,000010", "rpelcnt: 000010,000000", "rpelcnt: 99999999,000010"})
    {
        Bytes file(2048, ' ');
        std::memcpy(&file[8 * 128], count, std::strlen(count));
        const OmviTest::MemoryFile empty(file);
        std::unique_ptr<ReadImageFileInterface> emptyReader(codec.openForRead(empty.specifier()));
        std::unique_ptr<ReadImageFileFrameInterface> emptyFrame(emptyReader->openFrame(0));
        EXPECT_EQ(emptyFrame->newRowIterator(), nullptr) << count;
    }
}

TEST(CalsWriter, WritesTheHeaderRecordsAndTheRaster)
{
    const BitonalImage image = OmviTest::textLikeBitonal(100, 50);
    const Bytes file = calsBytes(image);
    ASSERT_GT(file.size(), 2048u);
    EXPECT_EQ(recordText(file, 6), padded("rtype: 1"));
    EXPECT_EQ(recordText(file, 7), padded("rorient: 000, 270"));
    EXPECT_EQ(recordText(file, 8), padded("rpelcnt: 000100, 000050"));
    EXPECT_EQ(recordText(file, 9), padded("rdensty: 0300"));
    for (int record = 11; record < 16; ++record)
        EXPECT_EQ(recordText(file, record), std::string(128, ' '));
    // The code ends with the end-of-block code and zero fill.
    int orientation = -1;
    EXPECT_EQ(readCals(file, &orientation), image);
    EXPECT_EQ(orientation, 0);
    CalsFormatCodec codec;
    const OmviTest::MemoryFile memory(file);
    EXPECT_EQ(codec.probe(memory.specifier(), nullptr), ImageFormatCodec::kRecognised);
}

TEST(CalsWriter, RoundTripsImagesOfEveryShapeThroughFilesAndStreams)
{
    OmviTest::ScratchFolder folder;
    CalsFormatCodec codec;
    int index = 0;
    for (const BitonalImage& image :
         {OmviTest::textLikeBitonal(1, 1), OmviTest::noiseBitonal(2, 3, 4), OmviTest::checkerBitonal(1024, 33, 1),
          OmviTest::noiseBitonal(4099, 20, 6, 50), OmviTest::textLikeBitonal(1700, 300, 2)})
    {
        const std::string path = folder.file("image" + std::to_string(index++) + ".cal");
        std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
        ASSERT_TRUE(writer->open(specifierOf(path)));
        ASSERT_EQ(writeImage(*writer, image), -2);
        EXPECT_EQ(readCals(OmviTest::readFileBytes(path)), image) << image.width;
        // Read through the caller's stream, a byte at a time.
        OmviTest::MemoryStream stream(OmviTest::readFileBytes(path));
        stream.readChunk = 1;
        std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        EXPECT_EQ(OmviTest::readBitonalRows(*frame), image);
    }
}

TEST(CalsWriter, TextsAndDensityTravelAsProperties)
{
    const CalsStringProperty source(CalsHeader::kSourceDocument, "DOC-17");
    const CalsStringProperty notes(CalsHeader::kNotes, "first sheet");
    CalsDensityProperty density;
    EXPECT_FALSE(density.setDensity(200, 150));
    EXPECT_FALSE(density.setDensity(150.5, 150.5));
    EXPECT_FALSE(density.setDensity(10000, 10000));
    EXPECT_TRUE(density.setDensity(150, 150));
    EXPECT_FALSE(density.setUnit(1));
    EXPECT_TRUE(density.setUnit(2));
    const Bytes file = calsBytes(OmviTest::textLikeBitonal(20, 5), {&source, &notes, &density});
    EXPECT_EQ(recordText(file, 0), padded("srcdocid: DOC-17"));
    EXPECT_EQ(recordText(file, 9), padded("rdensty: 0150"));
    EXPECT_EQ(recordText(file, 10), padded("notes: first sheet"));

    CalsFormatCodec codec;
    const OmviTest::MemoryFile memory(file);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    std::unique_ptr<FormatCodecPropertySetIterator> properties(frame->getProperties());
    ASSERT_EQ(properties->count(), 8);
    EXPECT_EQ(properties->at(0)->name().text(), "srcdocid:");
    EXPECT_EQ(static_cast<CalsStringProperty*>(properties->at(0))->value(), "DOC-17");
    EXPECT_EQ(static_cast<CalsStringProperty*>(properties->at(6))->value(), "first sheet");
    auto* readDensity = dynamic_cast<CalsDensityProperty*>(properties->at(7));
    ASSERT_NE(readDensity, nullptr);
    EXPECT_EQ(readDensity->density(), 150);
    EXPECT_EQ(readDensity->name().text(), "rdensty:");
    EXPECT_EQ(frame->getProperty(AsciiStringBuffer("rtype:")), nullptr);
    EXPECT_EQ(frame->getPropertyOfType(7), nullptr);
}

TEST(CalsWriter, FrameSettersRefuseWhatTheFormatCannotHold)
{
    CalsFormatCodec codec;
    OmviTest::MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    EXPECT_EQ(OmviTest::codeOfFailure([&] { frame->setDataModelKind(3); }), 6);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { frame->setBitsPerPixel(8); }), 7);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { frame->setThirdValue(0); }), 7);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { frame->setSize(10, 1000000); }), 9);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { frame->setDataModelKind(4); }), -2);
    // A text property of another key, and anything else, is refused.
    EXPECT_FALSE(frame->setProperty(nullptr));
    CalsCompatabilityProperty compatibility(true);
    EXPECT_TRUE(frame->setProperty(&compatibility));
    std::unique_ptr<FormatCodecPropertyInterface> back(frame->getProperty([] {
        StringBuffer name;
        loadCodecString(CalsStringId::kCompatibilityName, name);
        return name;
    }()));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(static_cast<CalsCompatabilityProperty*>(back.get())->value());
    FormatCodecPropertySetIterator* offered = frame->getProperties();
    EXPECT_EQ(offered->count(), 9);
    // Reset puts the texts and the density back.
    const CalsStringProperty figure(CalsHeader::kFigure, "F1");
    EXPECT_TRUE(frame->setProperty(&figure));
    frame->clearProperties();
    std::unique_ptr<FormatCodecPropertyInterface> density(frame->getPropertyOfType(3));
    EXPECT_EQ(static_cast<CalsDensityProperty*>(density.get())->density(), 200);
    std::unique_ptr<FormatCodecPropertyInterface> text(frame->getProperty(AsciiStringBuffer("figid:")));
    EXPECT_EQ(static_cast<CalsStringProperty*>(text.get())->value(), "NONE");
}

TEST(CalsWriter, RefusalsComeBeforeAnyByte)
{
    CalsFormatCodec codec;
    const BitonalImage image = OmviTest::textLikeBitonal(30, 10);
    OmviTest::MemoryStream stream;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createStreamWriter(&stream));
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    OmviTest::BitonalRows rows(image);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { writer->writeFrame(nullptr, &rows); }), 0);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { writer->writeFrame(frame.get(), nullptr); }), 0);
    frame->setSize(10, 31);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), 3);
    const BitonalImage empty = OmviTest::blankBitonal(0, 0);
    OmviTest::BitonalRows none(empty);
    EXPECT_EQ(OmviTest::codeOfFailure([&] { writer->writeFrame(frame.get(), &none); }), 2);
    EXPECT_TRUE(stream.bytes.empty());
    frame->setSize(10, 30);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    const std::size_t written = stream.bytes.size();
    EXPECT_EQ(OmviTest::codeOfFailure([&] { writer->writeFrame(frame.get(), &rows); }), 5);
    EXPECT_EQ(stream.bytes.size(), written);
    // A stream that takes no bytes: the header write fails and throws.
    OmviTest::MemoryStream full;
    full.failAfterBytes = 0;
    std::unique_ptr<WriteImageFileInterface> failing(codec.createStreamWriter(&full));
    EXPECT_EQ(writeImage(*failing, image), 8);
    // One that fails in the raster.
    OmviTest::MemoryStream half;
    half.failAfterBytes = 2048 + 3;
    std::unique_ptr<WriteImageFileInterface> failingLater(codec.createStreamWriter(&half));
    EXPECT_EQ(writeImage(*failingLater, OmviTest::checkerBitonal(2000, 40)), 8);
}

// A world correlation the frame offers, made valid, to be written beside
// the image.
void setWorldFile(WriteImageFileFrameInterface& frame)
{
    FormatCodecPropertySetIterator* offered = frame.getProperties();
    for (std::int32_t i = 0; i < offered->count(); ++i)
        if (auto* correlation = dynamic_cast<FormatCodecExternalCorrelation*>(offered->at(i)))
        {
            correlation->setOrigin(Point3d{10, 20, 0});
            EXPECT_TRUE(frame.setProperty(correlation));
        }
}

TEST(CalsWriter, AnExistingFileIsLeftAloneAndNoSideCarAppears)
{
    OmviTest::ScratchFolder folder;
    const std::string path = folder.write("taken.cal", "somebody else's");
    CalsFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(specifierOf(path)));
    const BitonalImage image = OmviTest::textLikeBitonal(30, 10);
    const int code = OmviTest::codeOfFailure([&] {
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(10, 30);
        setWorldFile(*frame);
        OmviTest::BitonalRows rows(image);
        writer->writeFrame(frame.get(), &rows);
    });
    EXPECT_EQ(code, 8);
    EXPECT_EQ(folder.read("taken.cal"), "somebody else's");
    EXPECT_FALSE(folder.exists("taken.cfw"));
    EXPECT_FALSE(folder.exists("taken.res"));
    EXPECT_FALSE(folder.exists("taken.caw"));
}

// The process may write at most `bytes` into any file while it lives.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous_);
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

TEST(CalsWriter, AFailingHeaderWriteLeavesNoFileAndNoSideCar)
{
    OmviTest::ScratchFolder folder;
    const std::string path = folder.file("cut.cal");
    CalsFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(specifierOf(path)));
    const BitonalImage image = OmviTest::textLikeBitonal(30, 10);
    int code = 0;
    {
        const FileSizeLimit limit(1000);
        code = OmviTest::codeOfFailure([&] {
            std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
            frame->setSize(10, 30);
            setWorldFile(*frame);
            OmviTest::BitonalRows rows(image);
            writer->writeFrame(frame.get(), &rows);
        });
    }
    EXPECT_EQ(code, 8);
    EXPECT_FALSE(folder.exists("cut.cal"));
    EXPECT_FALSE(folder.exists("cut.cfw"));
    EXPECT_FALSE(folder.exists("cut.res"));
}

TEST(CalsWriter, SideCarFilesFollowAWrittenImage)
{
    OmviTest::ScratchFolder folder;
    const std::string path = folder.file("placed.cal");
    CalsFormatCodec codec;
    std::unique_ptr<WriteImageFileInterface> writer(codec.createWriter());
    ASSERT_TRUE(writer->open(specifierOf(path)));
    const BitonalImage image = OmviTest::textLikeBitonal(30, 10);
    std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
    frame->setSize(10, 30);
    setWorldFile(*frame);
    OmviTest::BitonalRows rows(image);
    EXPECT_EQ(writer->writeFrame(frame.get(), &rows), 1);
    EXPECT_TRUE(folder.exists("placed.cal"));
    EXPECT_TRUE(folder.exists("placed.clw"));
    EXPECT_TRUE(folder.exists("placed.res"));
    // Read back with the image.
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(specifierOf(path)));
    std::unique_ptr<ReadImageFileFrameInterface> readFrame(reader->openFrame(0));
    std::unique_ptr<FormatCodecPropertyInterface> correlation(readFrame->getPropertyOfType(7));
    ASSERT_NE(correlation, nullptr);
    Point3d origin;
    static_cast<FormatCodecCorrelation*>(correlation.get())->getOrigin(origin);
    EXPECT_NEAR(origin.x, 10, 1e-9);
}

TEST(CalsReader, TruncatedRastersThrowTheCodecException)
{
    const BitonalImage image = OmviTest::textLikeBitonal(200, 60);
    const Bytes file = calsBytes(image);
    CalsFormatCodec codec;
    for (std::size_t size : {std::size_t{2048}, std::size_t{2050}, file.size() / 2, file.size() - 4})
    {
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
        const OmviTest::MemoryFile memory(cut);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        OmviTest::CapturedDiagnostics diagnostics;
        EXPECT_EQ(OmviTest::codeOfFailure([&] { OmviTest::readBitonalRows(*frame); }), 8) << size;
    }
}

TEST(CalsReader, MutatedFilesNeverCrash)
{
    const BitonalImage image = OmviTest::textLikeBitonal(120, 40);
    const Bytes file = calsBytes(image);
    CalsFormatCodec codec;
    OmviTest::CapturedDiagnostics diagnostics;
    std::uint32_t state = 99;
    for (int round = 0; round < 200; ++round)
    {
        Bytes mutated = file;
        for (int i = 0; i < 1 + round % 5; ++i)
        {
            state = state * 1664525u + 1013904223u;
            const std::size_t at = 2048 + (state >> 8) % (mutated.size() - 2048);
            mutated[at] = static_cast<std::uint8_t>(state >> 3);
        }
        const OmviTest::MemoryFile memory(mutated);
        std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        const int code = OmviTest::codeOfFailure([&] {
            const BitonalImage back = OmviTest::readBitonalRows(*frame);
            EXPECT_EQ(back.width, 120);
        });
        EXPECT_TRUE(code == -2 || code == 8);
    }
}

TEST(CalsReader, FramesOpenedAgainReadTheSameRows)
{
    const BitonalImage image = OmviTest::textLikeBitonal(64, 20);
    const OmviTest::MemoryFile memory(calsBytes(image));
    CalsFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(memory.specifier()));
    for (int pass = 0; pass < 2; ++pass)
    {
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
        std::unique_ptr<RowIteratorInterface> rows(frame->newRowIterator());
        DataBuffer row(rows->bytesPerRow());
        for (int start = 0; start < 2; ++start)
        {
            rows->start();
            for (int r = 0; r < 20; ++r)
            {
                rows->getRow(row);
                EXPECT_TRUE(std::equal(row.data(), row.data() + 8, image.row(r))) << pass << start << r;
                rows->next();
            }
            rows->finish();
        }
    }
}

TEST(CalsReader, TheDecoderReadsInBlocks)
{
    const Bytes file = calsBytes(OmviTest::noiseBitonal(2000, 100, 3, 30));
    OmviTest::MemoryStream stream(file);
    CalsFormatCodec codec;
    std::unique_ptr<ReadImageFileInterface> reader(codec.openStreamForRead(&stream));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader->openFrame(0));
    const BitonalImage back = OmviTest::readBitonalRows(*frame);
    EXPECT_EQ(back.height, 100);
    EXPECT_LT(stream.reads, static_cast<int>(file.size() / 1000) + 10);
}

} // namespace
