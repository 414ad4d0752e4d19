// The file read descriptor over the portable-map test codec: binding to a
// file (the codec found or given, probe answers turned into codes), frames
// selected and refused, closing and reopening, copies that share the file
// but not the frame, data streams, access kinds, rows of regions and scaled
// rows, and the data model a frame's palette gives.
#include "DescriptorFixtures.h"
#include "SyntheticImageFile.h"

#include "imaging/OMVIException.h"
#include "imaging/codecs/ReadImageFileFrameInterface.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorImp.h"
#include "imaging/descriptors/FrameDataModel.h"
#include "imaging/filters/Scale.h"
#include "imaging/models/RgbPaletteModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::Bytes;
using OmviTest::Row;
using OmviTest::thrownCode;

namespace
{
class FileReadDescriptorTest : public OmviTest::DescriptorTest
{
protected:
    // A file of three maps: 6 x 4 RGB, 5 x 3 gray, 11 x 2 bitonal.
    FileSpecifier threeFrames()
    {
        Bytes bytes = OmviTest::pnmBytes('6', 6, 4, OmviTest::mapPixels('6', 6, 4));
        const Bytes gray = OmviTest::pnmBytes('5', 5, 3, OmviTest::mapPixels('5', 5, 3, 1));
        const Bytes bits = OmviTest::pnmBytes('4', 11, 2, OmviTest::mapPixels('4', 11, 2, 2));
        bytes.insert(bytes.end(), gray.begin(), gray.end());
        bytes.insert(bytes.end(), bits.begin(), bits.end());
        return file("three.pnm", bytes);
    }
    std::vector<Row> rowsOf(FileReadDescriptor& descriptor)
    {
        std::unique_ptr<RowProviderInterface> rows(descriptor.rowProvider());
        return OmviTest::pullAll(*rows);
    }
};

// A frame with a palette and nothing else, recording what it was asked.
class PaletteFrame : public ReadImageFileFrameInterface
{
public:
    PaletteFrame(int bits, int count) : bits_(bits), count_(count) {}
    bool isRowAccessSupported(int) const override { return false; }
    int frameIndex() const override { return 0; }
    void getSize(int* height, int* width) const override { *height = *width = 1; }
    int dataModelKind() const override { return kind; }
    int sampleKind() const override { return sample; }
    int bitsPerPixel() const override { return bits_; }
    int getOrientation() const override { return 0; }
    int paletteCount() const override { return count_; }
    void getPalette(int count, std::uint8_t* rgb) const override
    {
        asked = count;
        for (int i = 0; i < count; ++i)
        {
            rgb[3 * i] = static_cast<std::uint8_t>(i);
            rgb[3 * i + 1] = static_cast<std::uint8_t>(255 - i);
            rgb[3 * i + 2] = 7;
        }
    }
    RowIteratorInterface* newRowIterator() override { return nullptr; }
    bool isTiled() const override { return false; }
    FormatCodecPropertySetIterator* getProperties() override { return nullptr; }
    FormatCodecPropertyInterface* getProperty(const StringBuffer&) override { return nullptr; }
    FormatCodecPropertyInterface* getPropertyOfType(int) override { return nullptr; }

    int kind = kColorSpacePalette;
    int sample = kDataTypeEightBit;
    mutable int asked = -1;

private:
    int bits_;
    int count_;
};
} // namespace

TEST_F(FileReadDescriptorTest, OpensAFileWithTheCodecThatRecognisesIt)
{
    const Bytes pixels = OmviTest::mapPixels('6', 6, 4);
    const FileSpecifier spec = file("rgb.pnm", OmviTest::pnmBytes('6', 6, 4, pixels));
    FileReadDescriptor descriptor(spec);
    EXPECT_EQ(descriptor.codec(), &codec);
    EXPECT_TRUE(descriptor.isValid());
    EXPECT_EQ(descriptor.size(), (PixelPair{6, 4}));
    ASSERT_NE(descriptor.dataModel(), nullptr);
    EXPECT_EQ(descriptor.dataModel()->colorSpace(), kColorSpaceRgb);
    EXPECT_EQ(descriptor.dataModel()->bitsUsedPerPixel(), 24);
    EXPECT_EQ(descriptor.representation().frameIndex(), 0);
    EXPECT_EQ(descriptor.frameCount(), 1);
    EXPECT_EQ(descriptor.accessKind(), FileReadDescriptorRep::kSequentialRows);
    EXPECT_EQ(rowsOf(descriptor), OmviTest::deliveredRows('6', 6, 4, pixels));

    FileSpecifier kept;
    descriptor.representation().fileSpecifier(kept);
    EXPECT_TRUE(kept == spec);
    EXPECT_TRUE(descriptor.representation().readFileSpecifier(0) == spec);

    ImageFormatCodec* found = nullptr;
    EXPECT_EQ(FileReadDescriptor::probeFile(spec, found), ImageFormatCodec::kRecognised);
    EXPECT_EQ(found, &codec);
    ImageFormatCodec* given = &codec;
    EXPECT_EQ(FileReadDescriptor::probeFile(file("text.pnm", {'h', 'i', '\n'}), given),
              ImageFormatCodec::kNotThisFormat);
}

TEST_F(FileReadDescriptorTest, BindingFailuresAreCoded)
{
    std::string message;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor d{FileSpecifier()}; }, &message), 8);
    EXPECT_EQ(message, "FileReadDescriptorImp::construct");
    // No registered codec recognises a text file.
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor d(file("a.txt", {'h', 'i'})); }), 8);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor d(specifier("missing.pnm")); }), 8);

    // With the codec given, its probe decides: not this format 4, a variant
    // it cannot read 5.
    auto bind = [&](const FileSpecifier& spec) {
        FileReadDescriptorImp representation;
        representation.construct(spec, codec, nullptr);
    };
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { bind(file("b.txt", {'P', '9'})); }), 4);
    const std::string deep = "P5\n2 2\n65535\n";
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { bind(file("deep.pgm", Bytes(deep.begin(), deep.end()))); }),
              5);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { bind(FileSpecifier()); }), 8);
}

TEST_F(FileReadDescriptorTest, ATruncatedFileIsOpenedAndItsRowsFailCleanly)
{
    Bytes bytes = OmviTest::pnmBytes('5', 8, 6, OmviTest::mapPixels('5', 8, 6));
    bytes.resize(bytes.size() - 20); // the last rows are missing
    const FileSpecifier spec = file("cut.pgm", bytes);
    EXPECT_EQ(codec.probe(spec, nullptr), ImageFormatCodec::kTruncated);
    FileReadDescriptor descriptor(spec);
    EXPECT_EQ(descriptor.size(), (PixelPair{8, 6}));
    std::unique_ptr<RowProviderInterface> rows(descriptor.rowProvider());
    DataBuffer row(rows->bytesPerRow());
    EXPECT_EQ(thrownCode<FileIOException>([&] {
                  for (int y = 0; y < 6; ++y)
                      rows->getNextRow(row);
              }),
              FileIOException::kEndOfFile);
}

TEST_F(FileReadDescriptorTest, SelectingFramesAndRefusals)
{
    FileReadDescriptor descriptor(threeFrames());
    EXPECT_EQ(descriptor.frameCount(), 3);
    const int opens = codec.opens;

    // The frame in use answers true without opening anything.
    EXPECT_TRUE(descriptor.selectFrame(0));
    EXPECT_EQ(codec.opens, opens);

    ASSERT_TRUE(descriptor.selectFrame(1));
    EXPECT_EQ(descriptor.size(), (PixelPair{5, 3}));
    EXPECT_EQ(descriptor.dataModel()->colorSpace(), kColorSpaceGray);
    EXPECT_EQ(rowsOf(descriptor), OmviTest::deliveredRows('5', 5, 3, OmviTest::mapPixels('5', 5, 3, 1)));

    ASSERT_TRUE(descriptor.selectFrame(2));
    EXPECT_EQ(descriptor.dataModel()->colorSpace(), kColorSpaceBitonal);
    const DataModel* model = descriptor.dataModel();

    // A frame that is not there: false, and the old index, frame and model
    // all stay, also across a close and a reopen.
    for (int missing : {3, -1, 1000})
    {
        EXPECT_FALSE(descriptor.selectFrame(missing));
        EXPECT_EQ(descriptor.representation().frameIndex(), 2);
        EXPECT_EQ(descriptor.dataModel(), model);
        EXPECT_EQ(descriptor.size(), (PixelPair{11, 2}));
    }
    descriptor.close();
    EXPECT_EQ(descriptor.representation().frameIndex(), 2);
    EXPECT_EQ(rowsOf(descriptor), OmviTest::deliveredRows('4', 11, 2, OmviTest::mapPixels('4', 11, 2, 2)));
}

TEST_F(FileReadDescriptorTest, CloseKeepsTheModelAndAnyOperationReopens)
{
    FileReadDescriptor descriptor(threeFrames());
    ASSERT_TRUE(descriptor.selectFrame(1));
    const int opens = codec.opens;
    descriptor.close();
    EXPECT_EQ(descriptor.representation().frame() != nullptr, true) << "frame() opens again";
    EXPECT_EQ(codec.opens, opens + 1);
    descriptor.close();
    ASSERT_NE(descriptor.dataModel(), nullptr) << "the model survives closing";
    EXPECT_EQ(descriptor.dataModel()->colorSpace(), kColorSpaceGray);
    EXPECT_EQ(rowsOf(descriptor), OmviTest::deliveredRows('5', 5, 3, OmviTest::mapPixels('5', 5, 3, 1)));
    EXPECT_EQ(codec.opens, opens + 2);
    // Reopening uses the session's correlation option only when it has one.
    EXPECT_EQ(codec.optionOpens, 0);
}

TEST_F(FileReadDescriptorTest, CopiesShareTheFileButNotTheFrame)
{
    FileReadDescriptor original(threeFrames());
    const int opens = codec.opens;
    FileReadDescriptor copy(original);
    EXPECT_EQ(codec.opens, opens) << "the copy reads through the same reader";
    EXPECT_EQ(copy.representation().frameIndex(), 0);
    EXPECT_NE(copy.dataModel(), original.dataModel());
    EXPECT_TRUE(*copy.dataModel() == *original.dataModel());

    // The copy moves on; the original stays where it was.
    ASSERT_TRUE(copy.selectFrame(2));
    EXPECT_EQ(original.representation().frameIndex(), 0);
    EXPECT_EQ(original.size(), (PixelPair{6, 4}));
    EXPECT_EQ(copy.size(), (PixelPair{11, 2}));
    EXPECT_EQ(rowsOf(original), OmviTest::deliveredRows('6', 6, 4, OmviTest::mapPixels('6', 6, 4)));

    // The reader outlives the original while the copy uses it.
    {
        FileReadDescriptor second(copy);
        EXPECT_EQ(second.representation().frameIndex(), 2);
    }
    copy.close();
    FileReadDescriptor ofClosed(copy);
    EXPECT_EQ(ofClosed.representation().frame() != nullptr, true);
    EXPECT_EQ(ofClosed.size(), (PixelPair{11, 2}));

    // Only a file descriptor of this kind is copied.
    OmviTest::SyntheticDescriptorRep other;
    FileReadDescriptorImp bare;
    std::string message;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { bare.construct(other); }, &message), 7);
    EXPECT_EQ(message, "FileReadDescriptor::FileReadDescriptor");
}

TEST_F(FileReadDescriptorTest, DataStreams)
{
    const Bytes pixels = OmviTest::mapPixels('5', 7, 3);
    OmviTest::MemoryDataStream stream(OmviTest::pnmBytes('5', 7, 3, pixels));
    codec.subSampling = true;
    auto representation = std::make_unique<FileReadDescriptorImp>();
    representation->construct(&stream, codec);
    FileReadDescriptor descriptor(std::move(representation));
    EXPECT_TRUE(descriptor.representation().isStreaming());
    EXPECT_EQ(descriptor.accessKind(), FileReadDescriptorRep::kStreaming) << "even though the frame sub-samples";
    EXPECT_EQ(rowsOf(descriptor), OmviTest::deliveredRows('5', 7, 3, pixels));
    std::string message;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { FileReadDescriptor copy(descriptor); }, &message), 7);
    EXPECT_EQ(message, "FileReadDescriptor::FileReadDescriptor");

    // Closed, a stream descriptor has nothing to reopen: code 8, never a
    // reopen through a missing specifier.
    descriptor.close();
    EXPECT_FALSE(descriptor.isValid());
    EXPECT_EQ(descriptor.representation().frame(), nullptr);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { descriptor.size(); }, &message), 8);
    EXPECT_EQ(message, "The image's stream is closed and cannot be read again");
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { descriptor.rowProvider(); }), 8);
    EXPECT_FALSE(descriptor.selectFrame(0));

    // A codec that does not read streams leaves nothing to read: code 8.
    codec.streams = false;
    stream.rewind();
    FileReadDescriptorImp refused;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { refused.construct(&stream, codec); }, &message), 8);
    EXPECT_EQ(message, "FileReadDescriptorImp::construct");
    EXPECT_EQ(refused.frame(), nullptr);
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { refused.size(); }), 8);
    codec.streams = true;
    FileReadDescriptorImp noStream;
    EXPECT_EQ(thrownCode<FileDescriptorException>([&] { noStream.construct(nullptr, codec); }), 8);
}

TEST_F(FileReadDescriptorTest, AccessKindsAndRegions)
{
    const Bytes pixels = OmviTest::mapPixels('6', 9, 7);
    const auto expected = OmviTest::deliveredRows('6', 9, 7, pixels);
    FileReadDescriptor plain(file("p.ppm", OmviTest::pnmBytes('6', 9, 7, pixels)));
    FileReadDescriptorRep& rep = plain.representation();
    EXPECT_TRUE(rep.supportsAccess(FileReadDescriptorRep::kSequentialRows));
    EXPECT_FALSE(rep.supportsAccess(FileReadDescriptorRep::kDirectTiles));
    EXPECT_FALSE(rep.supportsAccess(FileReadDescriptorRep::kSubRegions));
    EXPECT_TRUE(rep.supportsAccess(FileReadDescriptorRep::kDelayLoading));
    EXPECT_FALSE(rep.supportsAccess(FileReadDescriptorRep::kAssociation));
    EXPECT_FALSE(rep.supportsAccess(17));

    std::unique_ptr<RowProviderInterface> region(rep.subRegionRowProvider({3, 2}, {5, 4}));
    ASSERT_NE(region, nullptr);
    EXPECT_EQ(region->size(), (PixelPair{3, 2}));
    const auto rows = OmviTest::pullAll(*region);
    for (int y = 0; y < 2; ++y)
        EXPECT_EQ(rows[static_cast<std::size_t>(y)],
                  Row(expected[static_cast<std::size_t>(4 + y)].begin() + 20, expected[static_cast<std::size_t>(4 + y)].begin() + 32));
    for (const auto& [size, origin] : std::vector<std::pair<PixelPair, PixelPair>>{
             {{3, 2}, {7, 4}}, {{0, 2}, {0, 0}}, {{1, 1}, {-1, 0}}, {{9, 8}, {0, 0}}})
        EXPECT_EQ(thrownCode<ImageException>([&] { rep.subRegionRowProvider(size, origin); }), 0);

    codec.subSampling = true;
    FileReadDescriptor reduced(file("r.ppm", OmviTest::pnmBytes('6', 9, 7, pixels)));
    EXPECT_EQ(reduced.accessKind(), FileReadDescriptorRep::kSubRegions);
    EXPECT_TRUE(reduced.representation().supportsAccess(FileReadDescriptorRep::kSubRegions));
    std::unique_ptr<RowProviderInterface> half(reduced.representation().subSampledRowProvider({9, 7}, {0, 0}, 2));
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->size(), (PixelPair{5, 4}));
    const auto halfRows = OmviTest::pullAll(*half);
    EXPECT_EQ(Row(halfRows[1].begin() + 8, halfRows[1].begin() + 12),
              Row(expected[2].begin() + 16, expected[2].begin() + 20)) << "pixel (2, 1) is (4, 2)";
}

TEST_F(FileReadDescriptorTest, ScaledRowsDecodeReducedWhereTheFileCan)
{
    const Bytes pixels = OmviTest::mapPixels('5', 40, 20);
    const auto expected = OmviTest::deliveredRows('5', 40, 20, pixels);
    const FileSpecifier spec = file("s.pgm", OmviTest::pnmBytes('5', 40, 20, pixels));

    // Without reduced decoding: the whole frame through Scale.
    FileReadDescriptor plain(spec);
    std::unique_ptr<RowProviderInterface> half(plain.representation().scaledRowProvider(0.5, 0));
    EXPECT_NE(dynamic_cast<Scale*>(half.get()), nullptr);
    EXPECT_EQ(half->size(), (PixelPair{20, 10}));
    const auto halfRows = OmviTest::pullAll(*half);
    EXPECT_EQ(halfRows[3][5], expected[7][10]) << "row floor(3.5 * 2), column 2 x 5";

    // Tiny scales keep a pixel each way.
    std::unique_ptr<RowProviderInterface> dot(plain.representation().scaledRowProvider(0.001, 0));
    EXPECT_EQ(dot->size(), (PixelPair{1, 1}));

    codec.subSampling = true;
    FileReadDescriptor reduced(spec);
    // A quarter is decoded at a quarter exactly: no Scale at all.
    std::unique_ptr<RowProviderInterface> quarter(reduced.representation().scaledRowProvider(0.25, 0));
    EXPECT_EQ(dynamic_cast<Scale*>(quarter.get()), nullptr);
    EXPECT_EQ(quarter->size(), (PixelPair{10, 5}));
    const auto quarterRows = OmviTest::pullAll(*quarter);
    EXPECT_EQ(quarterRows[2][3], expected[8][12]);
    // 0.3 is 12 x 6: decoded at a half (20 x 10), then scaled.
    std::unique_ptr<RowProviderInterface> odd(reduced.representation().scaledRowProvider(0.3, 0));
    EXPECT_NE(dynamic_cast<Scale*>(odd.get()), nullptr);
    EXPECT_EQ(odd->size(), (PixelPair{12, 6}));

    for (double bad : {0.0, -1.0, std::nan(""), HUGE_VAL})
        EXPECT_EQ(thrownCode<ImageFilterException>([&] { reduced.representation().scaledRowProvider(bad, 0); }), 2);
    EXPECT_EQ(thrownCode<ImageFilterException>([&] { reduced.representation().scaledRowProvider(1e9, 0); }), 5);
}

TEST(FrameDataModel, PaletteEntriesStayWithinTheTable)
{
    // Entries capped by the bits used and the 256-entry table, whatever the
    // frame claims; none gives entry 0 black.
    struct Case
    {
        int bits, count, asked, entries;
    };
    for (const Case& c : {Case{4, 300, 16, 16}, Case{8, 256, 256, 256}, Case{40, 1000, 256, 256},
                          Case{32, 5, 5, 5}, Case{1, 2, 2, 2}, Case{0, 9, 2, 2}, Case{8, 0, -1, 2},
                          Case{8, -5, -1, 2}, Case{8, 1, 1, 2}})
    {
        PaletteFrame frame(c.bits, c.count);
        const auto model = dataModelOfFrame(frame);
        ASSERT_NE(model, nullptr);
        const auto& palette = dynamic_cast<const RgbPaletteModel&>(*model);
        EXPECT_EQ(frame.asked, c.asked) << c.bits << " bits, " << c.count << " entries";
        EXPECT_EQ(palette.numEntries(), c.entries) << c.bits << " bits, " << c.count << " entries";
        if (c.count <= 0)
        {
            EXPECT_EQ(palette.entry(0).value, 0u);
        }
        else
        {
            EXPECT_EQ(palette.entry(0), RgbColor(0, 255, 7, 255));
            if (c.entries > 1 && c.count > 1)
            {
                EXPECT_EQ(palette.entry(1), RgbColor(1, 254, 7, 255));
            }
        }
    }
    EXPECT_EQ(paletteEntriesToRead(8, 1 << 30), 256);
    EXPECT_EQ(paletteEntriesToRead(31, 70000), 256);
}

TEST(FrameDataModel, ModelsOfEachColourKind)
{
    PaletteFrame frame(24, 0);
    frame.kind = kColorSpaceRgb;
    EXPECT_EQ(dataModelOfFrame(frame)->bitsUsedPerPixel(), 24);
    PaletteFrame deep(48, 0);
    deep.kind = kColorSpaceRgb;
    EXPECT_EQ(dataModelOfFrame(deep)->bitsUsedPerPixel(), 32);
    frame.kind = kColorSpaceGray;
    EXPECT_EQ(dataModelOfFrame(frame)->pixelKind(), kPixelGray);
    frame.kind = kColorSpaceBitonal;
    EXPECT_EQ(dataModelOfFrame(frame)->pixelKind(), kPixelBitonal);

    // Plain frames: their data type, sample format 0 without the property.
    PaletteFrame plain(12, 0);
    plain.kind = 0;
    plain.sample = kDataTypeSixteenBit;
    const auto model = dataModelOfFrame(plain);
    EXPECT_EQ(model->colorSpace(), kColorSpaceNone);
    EXPECT_EQ(model->dataType(), kDataTypeSixteenBit);
    EXPECT_EQ(model->bitsUsedPerPixel(), 12);
    EXPECT_EQ(model->sampleFormat(), 0);
    // A data type that no row could be held in gives no model.
    plain.sample = 9;
    EXPECT_EQ(dataModelOfFrame(plain), nullptr);
}

TEST_F(FileReadDescriptorTest, DamagedFilesGiveErrorsNeverCrashes)
{
    // Files cut at every length and with bytes changed, opened and read
    // through every frame: each either reads or fails through the library's
    // exceptions.
    Bytes good = OmviTest::pnmBytes('6', 5, 3, OmviTest::mapPixels('6', 5, 3));
    const Bytes second = OmviTest::pnmBytes('4', 9, 2, OmviTest::mapPixels('4', 9, 2));
    good.insert(good.end(), second.begin(), second.end());
    std::vector<Bytes> damaged;
    for (std::size_t length = 0; length < good.size(); length += 3)
        damaged.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    std::uint32_t state = 36;
    for (int i = 0; i < 60; ++i)
    {
        Bytes mutated = good;
        for (int k = 0; k < 3; ++k)
        {
            state = state * 1664525u + 1013904223u;
            mutated[(state >> 8) % mutated.size()] = static_cast<std::uint8_t>(state >> 24);
        }
        damaged.push_back(mutated);
    }
    int opened = 0;
    for (std::size_t i = 0; i < damaged.size(); ++i)
    {
        const FileSpecifier spec = file("damaged.pnm", damaged[i]);
        try
        {
            FileReadDescriptor descriptor(spec);
            ++opened;
            for (int frame = 0; frame < descriptor.frameCount(); ++frame)
            {
                if (!descriptor.selectFrame(frame))
                    continue;
                std::unique_ptr<RowProviderInterface> rows(descriptor.rowProvider());
                DataBuffer row(rows->bytesPerRow());
                while (rows->rowsRemaining() > 0)
                    rows->getNextRow(row);
            }
        }
        catch (OMVIException* error)
        {
            OwnedException owned(error);
        }
    }
    EXPECT_GT(opened, 10);
}
