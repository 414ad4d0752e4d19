// The texture conversion: the growable stream, the name rule, the private
// folder, the frame scan, the W2D stream, and whole conversions of files
// built in the tests (their output read back by libjpeg), with every way a
// conversion can fail leaving the path as it was, saying why and leaving
// nothing behind.
#include "addin/tests/TextureTestSupport.h"
#include "addin/texture/TextureBstr.h"
#include "addin/texture/TextureFrameSelection.h"
#include "addin/texture/TextureJpegEncoder.h"
#include "addin/texture/TextureNames.h"
#include "addin/texture/TextureW2DFile.h"
#include "addin/texture/WriteBufferedStream.h"
#include "dwf/w2dtk/image.h"
#include "dwf/w2dtk/tests/raster_harness.h"
#include "dwf/w2dtk/units.h"
#include "dwfcore/TempFileRegistry.h"
#include "imaging/codecs/jfif/JfifFormatCodec.h"
#include "imaging/codecs/tests/BmpTestFiles.h"
#include "imaging/codecs/tests/FlicTestFiles.h"
#include "imaging/codecs/tests/PictTestFiles.h"
#include "imaging/codecs/tests/TargaTestFiles.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/platform/ScratchFile.h"
#include "imaging/session/OMVISession.h"
#include "imaging/tests/PageWriteFaults.h"
#include "imaging/tests/RowSources.h"
#include "platform/kernel/Volume.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

using namespace texture_test;
using OmviTest::BmpSpec;
using OmviTest::Bytes;
using publish_test::FilesIn;

namespace
{

// A 24-bit bitmap of the pattern image; `perMetre` pixels per metre.
Bytes PatternBmp(int width, int height, std::int32_t perMetre = 0, unsigned seed = 1)
{
    const TestImage image = OmviTest::patternImage(width, height, 3, seed);
    BmpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.xPerMetre = spec.yPerMetre = perMetre;
    spec.value = [image](int x, int y)
    {
        const std::uint8_t* p = image.row(y) + 3 * x;
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
    return OmviTest::makeBmp(spec);
}

bool StartsAndEndsAsJpeg(const Pixels& bytes)
{
    return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 &&
           bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9;
}

std::size_t BoxesShown()
{
    return platform::ui().messageBoxes().size();
}

// Frames as a test lays them out: the association values of each.
class FakeFrames : public TextureFrameSource
{
public:
    FakeFrames(std::vector<std::vector<std::int32_t>> frames, std::int32_t count,
               bool endless = false)
        : frames_(std::move(frames)), count_(count), endless_(endless)
    {
    }
    std::int32_t frameCount() override { return count_; }
    bool selectFrame(std::int32_t index) override
    {
        selected.push_back(index);
        current_ = index;
        return endless_ || index < static_cast<std::int32_t>(frames_.size());
    }
    std::vector<std::int32_t> associations() override
    {
        return endless_ ? std::vector<std::int32_t>{2}
                        : frames_[static_cast<std::size_t>(current_)];
    }
    std::vector<std::int32_t> selected;

private:
    std::vector<std::vector<std::int32_t>> frames_;
    std::int32_t count_;
    bool endless_;
    std::int32_t current_ = 0;
};

// The JPEG codec without its data-stream organisation: it writes files only.
class FileOnlyJfifCodec : public Omvi::JfifFormatCodec
{
public:
    bool isDataOrganizationSupported(int organisation) const override
    {
        return organisation != 6 && JfifFormatCodec::isDataOrganizationSupported(organisation);
    }
};

} // namespace

TEST(WriteBufferedStream, GrowsByADoublingStepOrByTheCountAndRefusesWhatItCannotHold)
{
    WriteBufferedStream stream;
    std::vector<std::uint8_t> bytes(70000);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7);
    // 100 bytes at a time: capacities 1024, 3072, 7168, ... (steps 1024,
    // 2048, 4096, ...), so 70000 bytes take 7 growths, not 70.
    for (std::size_t at = 0; at < bytes.size(); at += 100)
        ASSERT_TRUE(stream.write(100, bytes.data() + at));
    EXPECT_EQ(stream.size(), bytes.size());
    EXPECT_EQ(stream.growths(), 7u);
    EXPECT_EQ(stream.capacity(), 1024u * 127);
    EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), stream.data()));

    // A write larger than the step grows by its own count.
    WriteBufferedStream big;
    ASSERT_TRUE(big.write(5000, bytes.data()));
    EXPECT_EQ(big.capacity(), 5000u);
    ASSERT_TRUE(big.write(10, bytes.data()));
    EXPECT_EQ(big.capacity(), 7048u);

    // Refusals change nothing; reading says the stream is not for reading.
    EXPECT_FALSE(big.write(-1, bytes.data()));
    EXPECT_FALSE(big.write(3, nullptr));
    EXPECT_TRUE(big.write(0, nullptr));
    EXPECT_EQ(big.size(), 5010u);
    std::int32_t got = 99;
    std::uint8_t buffer[4];
    big.read(4, buffer, &got);
    EXPECT_EQ(got, -1);
    EXPECT_TRUE(big.open(2));
    EXPECT_TRUE(big.rewind());
    EXPECT_EQ(big.size(), 0u);
    ASSERT_TRUE(big.write(2, bytes.data() + 1));
    EXPECT_EQ(big.data()[0], bytes[1]);
}

TEST(TextureNames, AThreeCharacterExtensionGivesWayToTheSuffix)
{
    EXPECT_EQ(ConvertedTextureName(u"tex.bmp"), u"texxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u"wood.tiff"), u"wood.tiffxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u"wood.bmp"), u"woodxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u"a.b"), u"a.bxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u"noextension"), u"noextensionxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u".pcx"), u"xos_a1d9A_w2w95.jpg");
    EXPECT_EQ(ConvertedTextureName(u"Bild.TGA"), u"Bildxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(std::u16string(kConvertedSuffix).size(), 19u);
}

TEST_F(TextureConversionTest, ThePrivateFolderIsMadeOnceOwnedAndRemovedWithItsContents)
{
    EXPECT_FALSE(folder_->exists());
    EXPECT_TRUE(folder_->remove()); // nothing made yet
    const std::u16string first = folder_->placeFor(u"axos_a1d9A_w2w95.jpg");
    ASSERT_FALSE(first.empty());
    const std::string folder = FolderPath();
    EXPECT_EQ(folder.rfind(temporary_ + "/dwfTex", 0), 0u) << folder;
    struct stat status;
    ASSERT_EQ(::stat(folder.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    EXPECT_EQ(platform::path::toNative(first), folder + "/axos_a1d9A_w2w95.jpg");

    // A name used already goes into numbered subfolders; names that are
    // not plain file names are refused.
    EXPECT_EQ(platform::path::toNative(folder_->placeFor(u"axos_a1d9A_w2w95.jpg")),
              folder + "/1/axos_a1d9A_w2w95.jpg");
    EXPECT_EQ(platform::path::toNative(folder_->placeFor(u"axos_a1d9A_w2w95.jpg")),
              folder + "/2/axos_a1d9A_w2w95.jpg");
    EXPECT_EQ(platform::path::toNative(folder_->placeFor(u"bxos_a1d9A_w2w95.jpg")),
              folder + "/bxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(platform::path::toNative(folder_->placeFor(u"bxos_a1d9A_w2w95.jpg")),
              folder + "/1/bxos_a1d9A_w2w95.jpg");
    EXPECT_TRUE(folder_->placeFor(u"").empty());
    EXPECT_TRUE(folder_->placeFor(u"..").empty());
    EXPECT_TRUE(folder_->placeFor(u"x/y.jpg").empty());
    EXPECT_TRUE(folder_->placeFor(u"x\\y.jpg").empty());

    // Remembered conversions are found only while their file is there.
    OmviTest::writeFileBytes(folder + "/bxos_a1d9A_w2w95.jpg", {1, 2});
    folder_->remember(u"/src/b.bmp", platform::path::fromNative(folder + "/bxos_a1d9A_w2w95.jpg"));
    folder_->remember(u"/src/a.bmp", first);
    EXPECT_EQ(folder_->convertedFrom(u"/src/b.bmp"),
              platform::path::fromNative(folder + "/bxos_a1d9A_w2w95.jpg"));
    EXPECT_TRUE(folder_->convertedFrom(u"/src/a.bmp").empty());
    EXPECT_TRUE(folder_->convertedFrom(u"/src/c.bmp").empty());

    // The folder, its subfolders and every place given are listed with the
    // process's temporary files while they may exist, so that a signal
    // removes them.
    using DWFCore::DWFTempFileRegistry;
    for (const std::string& listed :
         {folder, folder + "/1", folder + "/2", folder + "/axos_a1d9A_w2w95.jpg",
          folder + "/1/axos_a1d9A_w2w95.jpg", folder + "/1/bxos_a1d9A_w2w95.jpg"})
        EXPECT_TRUE(DWFTempFileRegistry::listed(listed)) << listed;

    // Read-only files and subfolders go too.
    OmviTest::writeFileBytes(folder + "/1/bxos_a1d9A_w2w95.jpg", {3});
    ::chmod((folder + "/1/bxos_a1d9A_w2w95.jpg").c_str(), 0400);
    EXPECT_TRUE(folder_->remove());
    EXPECT_FALSE(folder_->exists());
    ExpectNoTemporaryFiles();
    EXPECT_FALSE(DWFTempFileRegistry::listed(folder));
    EXPECT_FALSE(DWFTempFileRegistry::listed(folder + "/1/bxos_a1d9A_w2w95.jpg"));
    // The folder can be made again, and its destructor removes it.
    EXPECT_FALSE(folder_->placeFor(u"cxos_a1d9A_w2w95.jpg").empty());
    EXPECT_EQ(FilesIn(temporary_).size(), 1u);
    folder_.reset();
    ExpectNoTemporaryFiles();
}

TEST(TextureFrameSelection, ReducedCopiesAndMasksArePassedOver)
{
    struct Case
    {
        const char* what;
        std::vector<std::vector<std::int32_t>> frames;
        std::int32_t count;
        std::vector<std::int32_t> expected;
        std::int32_t selectedCount;
    } cases[] = {
        {"one plain frame", {{}}, 1, {0}, 1},
        {"a reduced copy, then the image", {{0}, {}}, 2, {1}, 1},
        {"a mask, then the image", {{2}, {}}, 2, {1}, 1},
        {"an image with other associations", {{1}, {3}}, 2, {0, 1}, 2},
        {"the image between reduced copies", {{0}, {}, {0}}, 3, {1}, 1},
        {"only reduced copies", {{0}, {0}}, 2, {0}, 2},
        {"only masks", {{2}, {2}}, 2, {0}, 2},
        {"a mask reaches one frame past the count", {{2}, {}}, 1, {1}, 1},
        {"a reduced copy does not", {{0}, {}}, 1, {0}, 1},
        {"no frames", {}, 0, {0}, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        FakeFrames frames(c.frames, c.count);
        const TextureFrameSelection selection = SelectTextureFrames(frames);
        EXPECT_EQ(selection.frames, c.expected);
        EXPECT_EQ(selection.selectedCount, c.selectedCount);
    }
    // A source that selects every frame it is asked for and calls each a
    // mask: the scan still ends, at twice the count.
    FakeFrames endless({}, 5, true);
    const TextureFrameSelection selection = SelectTextureFrames(endless);
    EXPECT_EQ(endless.selected.size(), 10u);
    EXPECT_EQ(selection.frames, std::vector<std::int32_t>{0});
}

TEST_F(TextureConversionTest, TheW2DStreamHoldsTheUnitsAndOneJpegImage)
{
    const Pixels jpeg = OmviTest::libjpegEncode(OmviTest::patternImage(100, 50, 3).pixels, 100, 50,
                                                3, JCS_RGB, JCS_YCbCr, 80);
    const std::u16string path = platform::path::fromNative(root_ + "/image.w2d");
    ASSERT_EQ(WriteTextureW2DFile(path, 100, 50, 254.0, jpeg.data(), jpeg.size()),
              WT_Result_Success);
    const Pixels bytes = OmviTest::readFileBytes(platform::path::toNative(path));
    raster_test::Read_Back back = raster_test::read_back(std::string(bytes.begin(), bytes.end()));
    const auto units = back.all<WT_Units>(WT_Object::Units_ID);
    ASSERT_EQ(units.size(), 1u);
    EXPECT_TRUE(units[0]->units() == WT_String("inches"));
    const WT_Matrix& matrix = units[0]->application_to_dwf_transform();
    EXPECT_EQ(matrix(0, 0), 254000.0);
    EXPECT_EQ(matrix(1, 1), 254000.0);
    EXPECT_EQ(matrix(2, 2), 1.0);
    EXPECT_EQ(matrix(3, 3), 1.0);
    EXPECT_EQ(matrix(0, 1), 0.0);
    EXPECT_EQ(matrix(3, 0), 0.0);
    const auto images = back.all<WT_Image>(WT_Object::Image_ID);
    ASSERT_EQ(images.size(), 1u);
    EXPECT_EQ(images[0]->format(), WT_Image::JPEG);
    EXPECT_EQ(images[0]->rows(), 50);
    EXPECT_EQ(images[0]->columns(), 100);
    EXPECT_EQ(images[0]->min_corner(), WT_Logical_Point(0, 0));
    EXPECT_EQ(images[0]->max_corner(), WT_Logical_Point(100000, 50000));
    ASSERT_EQ(images[0]->data_size(), jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), images[0]->data()));

    // Sizes the image object cannot hold are refused before a file is made;
    // a name the system cannot open is the open's failure.
    const std::u16string refused = platform::path::fromNative(root_ + "/refused.w2d");
    EXPECT_EQ(WriteTextureW2DFile(refused, 65536, 1, 150, jpeg.data(), jpeg.size()),
              WT_Result_Usage_Error);
    EXPECT_EQ(WriteTextureW2DFile(refused, 1, 0, 150, jpeg.data(), jpeg.size()),
              WT_Result_Usage_Error);
    EXPECT_EQ(WriteTextureW2DFile(refused, 1, 1, 150, jpeg.data(), 0), WT_Result_Usage_Error);
    EXPECT_FALSE(OmviTest::fileExists(root_ + "/refused.w2d"));
    // The system's reason for the failure comes back with it; a refusal has
    // none.
    int error = -1;
    EXPECT_NE(WriteTextureW2DFile(platform::path::fromNative(root_), 1, 1, 150, jpeg.data(),
                                  jpeg.size(), &error),
              WT_Result_Success);
    EXPECT_EQ(error, EISDIR);
    EXPECT_EQ(WriteTextureW2DFile(refused, 1, 1, 150, jpeg.data(), 0, &error),
              WT_Result_Usage_Error);
    EXPECT_EQ(error, 0);
    if (::access("/dev/full", W_OK) == 0)
    {
        // A full device takes the bytes into the buffer and refuses them
        // when they are flushed at the close.
        EXPECT_NE(WriteTextureW2DFile(u"/dev/full", 100, 50, 254.0, jpeg.data(), jpeg.size(),
                                      &error),
                  WT_Result_Success);
        EXPECT_EQ(error, ENOSPC);
    }
}

TEST_F(TextureConversionTest, ABitmapBecomesAJpegOfItsPixelsInThePrivateFolder)
{
    const std::string source = Source("tex.bmp", PatternBmp(40, 30));
    const std::vector<std::string> before = FilesIn(sources_);
    const Outcome outcome = Convert(source);
    ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
    EXPECT_TRUE(outcome.failure.empty());
    EXPECT_EQ(outcome.path(), FolderPath() + "/texxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(FilesIn(sources_), before);

    // The file holds the JPEG alone (the W2D stream written first is gone),
    // of the bitmap's size and rows, top row first.
    const Pixels bytes = OmviTest::readFileBytes(outcome.path());
    EXPECT_TRUE(StartsAndEndsAsJpeg(bytes));
    EXPECT_EQ(outcome.details.jpegBytes, bytes.size());
    const TestImage decoded = JpegFileAsRgb(outcome.path());
    const TestImage expected = OmviTest::patternImage(40, 30, 3, 1);
    EXPECT_EQ(decoded.width, 40);
    EXPECT_EQ(decoded.height, 30);
    EXPECT_GT(OmviTest::psnr(decoded, expected), 30.0);
    EXPECT_EQ(outcome.details.dotsPerInch, 150.0);
    EXPECT_EQ(outcome.details.fileFrames, 1);
    EXPECT_EQ(outcome.details.frame, 0);
    EXPECT_FALSE(outcome.details.fileBytesInW2D);
    EXPECT_EQ(Omvi::OMVISession::get(), nullptr);

    // The same source again is the same file, converted once.
    const Outcome again = Convert(source);
    EXPECT_TRUE(again.converted);
    EXPECT_TRUE(again.details.reused);
    EXPECT_EQ(again.result, outcome.result);

    folder_->remove();
    ExpectNoTemporaryFiles();
}

TEST_F(TextureConversionTest, TheResolutionComesFromTheFilesDensity)
{
    // 10000 pixels per metre is 100 per centimetre: 254 dots per inch.
    EXPECT_DOUBLE_EQ(Convert(Source("dense.bmp", PatternBmp(8, 8, 10000))).details.dotsPerInch,
                     254.0);
    EXPECT_DOUBLE_EQ(Convert(Source("coarse.bmp", PatternBmp(8, 8, 3937))).details.dotsPerInch,
                     39.37 * 2.54);
    // One dot per inch or less is no resolution: 150.
    EXPECT_EQ(Convert(Source("thin.bmp", PatternBmp(8, 8, 30))).details.dotsPerInch, 150.0);
    EXPECT_EQ(Convert(Source("none.bmp", PatternBmp(8, 8, 0))).details.dotsPerInch, 150.0);
}

TEST_F(TextureConversionTest, PalettePicturesAndAnimationsArePromotedToColour)
{
    // An 8-bit picture with a colour table of one entry gives palette
    // output; a FLIC frame is palette indices too.
    OmviTest::PictRasterSpec spec = OmviTest::indexedSpec(
        OmviTest::noiseImage(16, 8, 1, 3, 4).pixels, 16, 8, 8, {OmviTest::pictRgb(10, 200, 30)});
    const Outcome pict =
        Convert(Source("one.pct", OmviTest::PictBuilder(2, {0, 0, 8, 16}).bits(spec).finish()));
    ASSERT_TRUE(pict.converted) << platform::path::toNative(pict.failure);
    const TestImage fromPict = JpegFileAsRgb(pict.path());
    ASSERT_EQ(fromPict.width, 16);
    ASSERT_EQ(fromPict.height, 8);

    const TestImage indices = OmviTest::flicIndices(24, 10, 9);
    Bytes palette(768, 0);
    for (int i = 0; i < 256; ++i)
        palette[3 * i] = palette[3 * i + 1] = palette[3 * i + 2] = static_cast<std::uint8_t>(i);
    const Outcome flic = Convert(Source(
        "anim.flc",
        OmviTest::flicAnimation(24, 10,
                                {OmviTest::flicFrame({OmviTest::flicColours({{0, palette, 0}}),
                                                      OmviTest::flicByteRun(indices)})})));
    ASSERT_TRUE(flic.converted) << platform::path::toNative(flic.failure);
    EXPECT_EQ(flic.path(), FolderPath() + "/animxos_a1d9A_w2w95.jpg");
    TestImage grey = indices;
    EXPECT_GT(OmviTest::psnr(JpegFileAsRgb(flic.path()), OmviTest::asRgb(grey)), 28.0);
}

TEST_F(TextureConversionTest, FailuresLeaveThePathSayWhyAndLeaveNothingBehind)
{
    BmpSpec rle;
    rle.width = 8;
    rle.height = 8;
    rle.bits = 8;
    rle.compression = 1;
    rle.palette = OmviTest::colourPalette(4);
    const Bytes bitmap = PatternBmp(30, 20);
    OmviTest::PictRasterSpec scaled = OmviTest::directSpec(OmviTest::patternImage(4, 4, 3));
    scaled.destination = {0, 0, 8, 8};
    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"text", {Source("notes.bmp", Bytes{'h', 'e', 'l', 'l', 'o', '\n'}), "no format"}},
        {"truncated", {Source("cut.bmp", Bytes(bitmap.begin(), bitmap.end() - 200)), "cut short"}},
        {"unsupported", {Source("rle.bmp", OmviTest::makeBmp(rle)), "cannot be read"}},
        {"missing",
         {sources_ + "/missing.bmp",
          "cannot be opened: '" + sources_ + "/missing.bmp': No such file or directory"}},
        {"too long", {sources_ + "/" + std::string(260, 'x') + ".bmp", "longer than 259 bytes"}},
        {"no rows",
         {Source("scaled.pct", OmviTest::PictBuilder(2, {0, 0, 8, 8}).directBits(scaled).finish()),
          ""}},
        {"damaged", {Source("damaged.flc", OmviTest::flicAnimation(8, 8, {}, 1)), ""}},
    };
    for (const auto& [what, c] : cases)
    {
        SCOPED_TRACE(what);
        const std::size_t boxes = BoxesShown();
        const Outcome outcome = Convert(c.first);
        EXPECT_FALSE(outcome.converted);
        EXPECT_EQ(outcome.path(), c.first);
        EXPECT_FALSE(outcome.failure.empty());
        EXPECT_NE(platform::path::toNative(outcome.failure).find(c.second), std::string::npos)
            << platform::path::toNative(outcome.failure);
        ASSERT_EQ(BoxesShown(), boxes + 1);
        const platform::MessageBoxRecord& box = platform::ui().messageBoxes().back();
        EXPECT_EQ(box.text, u"An error occurred while publishing the file. The error occurred in "
                            u"TextureImageConverter::ConvertTextureImage.");
        EXPECT_NE(box.cause.find(outcome.failure), std::u16string::npos);
        EXPECT_EQ(Omvi::OMVISession::get(), nullptr);
        // No folder, no paging file, no scratch JPEG.
        ExpectNoTemporaryFiles();
    }
    // An empty path, and failures the caller reports itself.
    const std::size_t boxes = BoxesShown();
    EXPECT_FALSE(Convert("", false).converted);
    EXPECT_EQ(BoxesShown(), boxes);
    const Outcome empty = Convert("");
    EXPECT_EQ(empty.result, u"");
    EXPECT_EQ(BoxesShown(), boxes + 1);
}

TEST_F(TextureConversionTest, TexturesAboveTheSizeLimitAreRefusedBeforeTheyAreRead)
{
    const std::string source = Source("big.bmp", PatternBmp(20, 20));
    TextureImageConverter converter(*folder_);
    converter.setMaximumPixels(399);
    bool converted = true;
    EXPECT_EQ(converter.ConvertTextureImage(platform::path::fromNative(source), &converted),
              platform::path::fromNative(source));
    EXPECT_FALSE(converted);
    EXPECT_EQ(platform::path::toNative(converter.failure()),
              "the texture image is too large: 20 x 20 pixels");
    converter.setMaximumPixels(400);
    EXPECT_NE(converter.ConvertTextureImage(platform::path::fromNative(source), &converted),
              platform::path::fromNative(source));
    EXPECT_TRUE(converted);
    EXPECT_EQ(TextureImageConverter::kMaxPixels, 1 << 26);
}

TEST_F(TextureConversionTest, AReadOnlyTextureFolderConvertsAndTheUsersFilesAreNeverTouched)
{
    const std::string source = Source("tex.bmp", PatternBmp(12, 9));
    const std::string users = sources_ + "/texxos_a1d9A_w2w95.jpg";
    ASSERT_TRUE(OmviTest::writeFileBytes(users, {'m', 'i', 'n', 'e'}));
    ASSERT_EQ(::chmod(sources_.c_str(), 0555), 0);
    const Outcome outcome = Convert(source);
    ::chmod(sources_.c_str(), 0700);
    ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
    EXPECT_NE(outcome.path(), users);
    EXPECT_EQ(OmviTest::readFileBytes(users), (Pixels{'m', 'i', 'n', 'e'}));
    EXPECT_EQ(FilesIn(sources_).size(), 2u);
}

TEST_F(TextureConversionTest, TexturesOfOneNameFromTwoFoldersStayApart)
{
    ::mkdir((sources_ + "/a").c_str(), 0700);
    ::mkdir((sources_ + "/b").c_str(), 0700);
    const Outcome first = Convert(Source("a/tex.bmp", PatternBmp(10, 10, 0, 1)));
    const Outcome second = Convert(Source("b/tex.bmp", PatternBmp(12, 6, 0, 2)));
    ASSERT_TRUE(first.converted);
    ASSERT_TRUE(second.converted);
    EXPECT_EQ(first.path(), FolderPath() + "/texxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(second.path(), FolderPath() + "/1/texxos_a1d9A_w2w95.jpg");
    EXPECT_EQ(JpegFileAsRgb(first.path()).width, 10);
    EXPECT_EQ(JpegFileAsRgb(second.path()).width, 12);
}

TEST_F(TextureConversionTest, ASourceIsKnownByTheFileItIsNotByItsPath)
{
    ::mkdir((sources_ + "/real").c_str(), 0700);
    ASSERT_EQ(::symlink("real", (sources_ + "/alias").c_str()), 0);
    const std::string source = Source("real/tex.bmp", PatternBmp(10, 10, 0, 1));
    const Outcome first = Convert(source);
    ASSERT_TRUE(first.converted) << platform::path::toNative(first.failure);
    // Other spellings of the one file find its conversion.
    for (const std::string& spelling :
         {sources_ + "/real/./tex.bmp", sources_ + "//real//tex.bmp",
          sources_ + "/real/../real/tex.bmp", sources_ + "/alias/tex.bmp"})
    {
        SCOPED_TRACE(spelling);
        const Outcome again = Convert(spelling);
        EXPECT_TRUE(again.converted);
        EXPECT_TRUE(again.details.reused);
        EXPECT_EQ(again.result, first.result);
    }

    // Another file put in its place is another texture: converted anew,
    // with its own pixels.
    const std::string other = Source("other.bmp", PatternBmp(12, 6, 0, 2));
    ASSERT_EQ(::rename(other.c_str(), source.c_str()), 0);
    const Outcome replaced = Convert(sources_ + "/alias/tex.bmp");
    ASSERT_TRUE(replaced.converted);
    EXPECT_FALSE(replaced.details.reused);
    EXPECT_NE(replaced.result, first.result);
    EXPECT_EQ(JpegFileAsRgb(replaced.path()).width, 12);
    EXPECT_EQ(JpegFileAsRgb(first.path()).width, 10);

    // A texture taken as it is that cannot be read is read, and reported,
    // once whatever the spelling; a missing one is known by its spelling.
    const std::string notes = Source("real/notes.png", Bytes{'h', 'e', 'l', 'l', 'o', '\n'});
    const std::size_t boxes = BoxesShown();
    for (const std::string& spelling : {notes, sources_ + "/alias/notes.png"})
    {
        TextureImageConverter converter(*folder_);
        EXPECT_EQ(converter.ReadTextureImage(platform::path::fromNative(spelling)),
                  TextureFileFormat::Unreadable);
    }
    EXPECT_EQ(BoxesShown(), boxes + 1);
    for (const std::string& spelling : {sources_ + "/gone.png", sources_ + "/./gone.png"})
    {
        TextureImageConverter converter(*folder_);
        EXPECT_EQ(converter.ReadTextureImage(platform::path::fromNative(spelling)),
                  TextureFileFormat::Unreadable);
    }
    EXPECT_EQ(BoxesShown(), boxes + 3);
}

TEST_F(TextureConversionTest, AW2DFailureEndsTheConversion)
{
    // A folder where the output file would go: the W2D stream cannot be
    // opened there.
    ASSERT_FALSE(folder_->path().empty());
    ASSERT_EQ(::mkdir((FolderPath() + "/texxos_a1d9A_w2w95.jpg").c_str(), 0700), 0);
    const Outcome outcome = Convert(Source("tex.bmp", PatternBmp(6, 6)));
    EXPECT_FALSE(outcome.converted);
    EXPECT_NE(platform::path::toNative(outcome.failure).find("W2D"), std::string::npos);
}

TEST_F(TextureConversionTest, AStringThatCannotBeAllocatedEndsTheConversionWithoutAFile)
{
    const std::string source = Source("tex.bmp", PatternBmp(6, 6));
    platform::Bstr::failAllocations(1);
    const Outcome outcome = Convert(source);
    platform::Bstr::failAllocations(0);
    EXPECT_FALSE(outcome.converted);
    EXPECT_NE(platform::path::toNative(outcome.failure).find("E_OUTOFMEMORY"), std::string::npos);
    EXPECT_EQ(FilesIn(FolderPath()), std::vector<std::string>{});
    // The next conversion of the same source goes through.
    EXPECT_TRUE(Convert(source).converted);
}

TEST_F(TextureConversionTest, ASessionSomeoneElseHoldsIsLeftAlone)
{
    Omvi::OMVISession* session =
        Omvi::OMVISession::create(Omvi::makeScratchFileSpecifier("IMG"), 0);
    ASSERT_NE(session, nullptr);
    const Outcome outcome = Convert(Source("tex.bmp", PatternBmp(6, 6)));
    EXPECT_FALSE(outcome.converted);
    EXPECT_NE(platform::path::toNative(outcome.failure).find("in use"), std::string::npos);
    EXPECT_EQ(Omvi::OMVISession::get(), session);
    EXPECT_EQ(session->numCodecs(), 0);
    EXPECT_TRUE(Omvi::OMVISession::destroy());
}

TEST_F(TextureConversionTest, ACodecThatWritesOnlyFilesGoesThroughAScratchFileThatIsRemoved)
{
    FileOnlyJfifCodec codec;
    const TestImage image = OmviTest::patternImage(20, 10, 3, 4);
    std::vector<OmviTest::Row> rows;
    for (int y = 0; y < 10; ++y)
    {
        OmviTest::Row row;
        for (int x = 0; x < 20; ++x)
            row.insert(row.end(), {image.row(y)[3 * x], image.row(y)[3 * x + 1],
                                   image.row(y)[3 * x + 2], 255});
        rows.push_back(row);
    }
    WriteBufferedStream out;
    EXPECT_EQ(EncodeTextureJpeg(
                  codec, std::make_unique<OmviTest::MemoryRows>(Omvi::RgbModel(24), 20, rows), out),
              u"");
    const Pixels bytes(out.data(), out.data() + out.size());
    EXPECT_TRUE(StartsAndEndsAsJpeg(bytes));
    int components = 0;
    const Pixels decoded = OmviTest::libjpegDecode(bytes, JCS_RGB, &components);
    EXPECT_GT(OmviTest::psnr(TestImage{20, 10, 3, decoded}, image), 30.0);
    ExpectNoTemporaryFiles();

    // A scratch name that cannot be held as a string raises E_OUTOFMEMORY
    // and leaves no scratch file.
    platform::Bstr::failAllocations(1);
    WriteBufferedStream unnamed;
    EXPECT_THROW(
        EncodeTextureJpeg(
            codec, std::make_unique<OmviTest::MemoryRows>(Omvi::RgbModel(24), 20, rows), unnamed),
        BstrOutOfMemory);
    platform::Bstr::failAllocations(0);
    ExpectNoTemporaryFiles();

    // A grey image goes as it is; rows that cannot be read are refused.
    std::vector<OmviTest::Row> grey(5, OmviTest::Row(7, 128));
    WriteBufferedStream greyOut;
    Omvi::JfifFormatCodec streaming;
    EXPECT_EQ(EncodeTextureJpeg(
                  streaming, std::make_unique<OmviTest::MemoryRows>(Omvi::RgbGrayModel(), 7, grey),
                  greyOut),
              u"");
    EXPECT_TRUE(StartsAndEndsAsJpeg(Pixels(greyOut.data(), greyOut.data() + greyOut.size())));
    WriteBufferedStream none;
    EXPECT_FALSE(EncodeTextureJpeg(streaming, nullptr, none).empty());
}

TEST_F(TextureConversionTest, FramesStoredBottomUpComeOutUpright)
{
    // A Targa file with its origin at the bottom left: the first stored
    // row is the picture's last. Smooth rows, so that JPEG keeps them.
    const TestImage stored = OmviTest::patternImage(32, 24, 3, 5);
    OmviTest::TgaSpec spec;
    spec.width = 32;
    spec.height = 24;
    spec.value = [stored](int x, int y)
    {
        const std::uint8_t* p = stored.row(y) + 3 * x;
        return std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2];
    };
    const Outcome outcome = Convert(Source("upside.tga", OmviTest::makeTga(spec)));
    ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
    const TestImage decoded = JpegFileAsRgb(outcome.path());
    EXPECT_GT(OmviTest::psnr(decoded, OmviTest::topDown(stored, 2)), 30.0);
    EXPECT_LT(OmviTest::psnr(decoded, stored), 20.0);
}

TEST_F(TextureConversionTest, TwoColourBitmapsKeepTheirColours)
{
    // 1-bit bitmaps of yellow and navy, and of two colours neither light
    // nor dark, in squares JPEG keeps: the middle of every square shows its
    // colour, not black or white.
    int index = 0;
    for (const std::vector<std::array<std::uint8_t, 3>>& palette :
         {std::vector<std::array<std::uint8_t, 3>>{{255, 255, 0}, {0, 0, 128}},
          std::vector<std::array<std::uint8_t, 3>>{{13, 101, 200}, {84, 250, 237}}})
    {
        BmpSpec spec;
        spec.width = 48;
        spec.height = 32;
        spec.bits = 1;
        spec.palette = palette;
        spec.value = [](int x, int y) { return std::uint32_t((x / 16 + y / 16) % 2); };
        const Outcome outcome = Convert(Source("two" + std::to_string(index++) + ".bmp", OmviTest::makeBmp(spec)));
        ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        const TestImage decoded = JpegFileAsRgb(outcome.path());
        ASSERT_EQ(decoded.width, 48);
        ASSERT_EQ(decoded.height, 32);
        for (int y = 8; y < 32; y += 16)
            for (int x = 8; x < 48; x += 16)
            {
                const auto& colour = palette[static_cast<std::size_t>((x / 16 + y / 16) % 2)];
                for (int c = 0; c < 3; ++c)
                    EXPECT_NEAR(decoded.row(y)[3 * x + c], colour[static_cast<std::size_t>(c)], 12)
                        << "square at " << x << "," << y << " channel " << c;
            }
    }
}

TEST_F(TextureConversionTest, APageFileThatCannotBeWrittenIsNamedWithTheSystemsReason)
{
    // A frame stored bottom up is turned upright through the imaging
    // library's page file; writes to it fail as an I/O error or a full
    // disk do.
    OmviTest::TgaSpec spec;
    spec.width = 32;
    spec.height = 24;
    const std::string source = Source("upside.tga", OmviTest::makeTga(spec));
    for (const int error : {EIO, ENOSPC})
    {
        SCOPED_TRACE(std::strerror(error));
        Outcome outcome;
        {
            const OmviTest::PageWriteFault failing(error);
            outcome = Convert(source, false);
        }
        EXPECT_FALSE(outcome.converted);
        const std::string failure = platform::path::toNative(outcome.failure);
        EXPECT_NE(failure.find("the texture image's rows cannot be read: "), std::string::npos) << failure;
        EXPECT_NE(failure.find(" '" + temporary_ + "/IMG"), std::string::npos) << failure;
        EXPECT_NE(failure.find(std::string("': ") + std::strerror(error)), std::string::npos) << failure;
        EXPECT_EQ(failure.find("found no room"), std::string::npos) << failure;
        ExpectNoTemporaryFiles();
    }
    EXPECT_TRUE(Convert(source, false).converted);
}

TEST_F(TextureConversionTest, APageFileWithoutRoomNamesItsFolderAndTheReason)
{
    // A frame stored bottom up is turned upright through the imaging
    // library's page file, which takes no more room than its folder's file
    // system has free: here less than the frame needs.
    OmviTest::TgaSpec spec;
    spec.width = 64;
    spec.height = 48;
    const std::string source = Source("upside.tga", OmviTest::makeTga(spec));
    platform::overrideVolumeFigures(platform::VolumeFigures{platform::FileSystemKind::Other, 1000});
    const Outcome outcome = Convert(source, false);
    platform::overrideVolumeFigures(std::nullopt);
    EXPECT_FALSE(outcome.converted);
    const std::string failure = platform::path::toNative(outcome.failure);
    EXPECT_NE(failure.find("found no room for the image in its page file in '" + temporary_ +
                           "': " + std::strerror(ENOSPC) + " (1000 bytes free)"),
              std::string::npos)
        << failure;
    ExpectNoTemporaryFiles();
    EXPECT_TRUE(Convert(source, false).converted);
}

TEST_F(TextureConversionTest, TheSampleTexturesConvert)
{
    const std::string folder = QUILLCAST_SOURCE_DIR "/examples/host-data/data/textures";
    const TestImage oak =
        JpegFileAsRgb(QUILLCAST_SOURCE_DIR "/examples/host-data/data/wood/oak.jpg");
    ASSERT_EQ(oak.width, 32);
    std::vector<std::string> names = FilesIn(folder);
    std::sort(names.begin(), names.end());
    EXPECT_GE(names.size(), 8u);
    for (const std::string& name : names)
    {
        SCOPED_TRACE(name);
        const Outcome outcome = Convert(folder + "/" + name);
        ASSERT_TRUE(outcome.converted) << platform::path::toNative(outcome.failure);
        const TestImage decoded = JpegFileAsRgb(outcome.path());
        EXPECT_EQ(decoded.width, 32);
        EXPECT_EQ(decoded.height, 32);
        // All but the bilevel one show the oak picture.
        if (name.find("_cal") == std::string::npos)
        {
            EXPECT_GT(OmviTest::psnr(decoded, oak), 24.0);
        }
    }
}
