// JPEG and PNG textures, which the package takes as their own bytes: each is
// read whole before it is taken, its kind told by its content, not its
// name. Good files come from ImageMagick; the broken ones are cut or
// altered here from them, as a user's damaged copies would be.
#include "addin/tests/TextureTestSupport.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/session/OMVISession.h"
#include "imaging/tests/ToolCheck.h"
#include "platform/ui/Ui.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <map>

using namespace texture_test;
using Bytes = std::vector<std::uint8_t>;
using publish_test::Quoted;
using publish_test::RunCommand;

namespace
{

Bytes Cut(const Bytes& bytes, std::size_t size)
{
    return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

// The pictures ImageMagick writes for these tests: 96 x 64 pixels of noise,
// so that their image data is far more than their headers.
Bytes MagickPicture(const std::string& folder, const std::string& extension,
                    const std::string& options = "")
{
    const std::string path = folder + "/magick." + extension;
    if (RunCommand(OmviTest::magick() + " -seed 7 -size 96x64 plasma:fractal " + options + " " +
                   Quoted(path)) != 0)
        return {};
    return OmviTest::readFileBytes(path);
}

// A JPEG of several scans cut just before its last one: every row can be
// made from what is left, though not as the file holds it.
Bytes BeforeLastScan(const Bytes& jpeg)
{
    std::size_t last = 0;
    for (std::size_t at = 2; at + 1 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA)
            last = at;
    return last > 0 ? Cut(jpeg, last) : Bytes();
}

std::uint32_t Big32(const Bytes& bytes, std::size_t at)
{
    return std::uint32_t(bytes[at]) << 24 | std::uint32_t(bytes[at + 1]) << 16 |
           std::uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
}

void PutBig32(Bytes& bytes, std::size_t at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (24 - 8 * i));
}

// The PNG with one bit of its first image data chunk flipped, midway.
Bytes FlippedInImageData(Bytes png)
{
    for (std::size_t at = 8; at + 12 <= png.size();)
    {
        const std::uint32_t length = Big32(png, at);
        if (std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                        png.begin() + static_cast<std::ptrdiff_t>(at + 8)) == "IDAT")
        {
            png[at + 8 + length / 2] ^= 0x10;
            return png;
        }
        at += 12 + length;
    }
    return {};
}

// The PNG with a header that declares another size, its checksum made good.
Bytes DeclaringSize(Bytes png, std::uint32_t width, std::uint32_t height)
{
    PutBig32(png, 16, width);
    PutBig32(png, 20, height);
    PutBig32(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
    return png;
}

class TextureReading : public TextureConversionTest
{
protected:
    TextureFileFormat Read(const std::string& path, std::u16string* failure = nullptr,
                           TextureConversionDetails* details = nullptr)
    {
        TextureImageConverter converter(*folder_);
        const TextureFileFormat format =
            converter.ReadTextureImage(platform::path::fromNative(path));
        if (failure)
            *failure = converter.failure();
        if (details)
            *details = converter.details();
        return format;
    }
};

} // namespace

TEST_F(TextureReading, GoodFilesAreTakenAsTheKindTheirContentShowsWhateverTheirName)
{
    OMVI_REQUIRE_TOOL("convert");
    const Bytes jpeg = MagickPicture(root_, "jpg");
    const Bytes png = MagickPicture(root_, "png");
    ASSERT_GT(jpeg.size(), 1000u);
    ASSERT_GT(png.size(), 1000u);
    ASSERT_EQ(RunCommand(OmviTest::magick() + " -size 8x8 xc:navy " + Quoted(root_ + "/navy.bmp")),
              0);
    const Bytes bitmap = OmviTest::readFileBytes(root_ + "/navy.bmp");
    ASSERT_FALSE(bitmap.empty());
    const std::map<std::string, std::pair<Bytes, TextureFileFormat>> cases = {
        {"wood.jpg", {jpeg, TextureFileFormat::Jpeg}},
        {"wood.png", {png, TextureFileFormat::Png}},
        {"png named.jpg", {png, TextureFileFormat::Png}},
        {"jpeg named.png", {jpeg, TextureFileFormat::Jpeg}},
        // Converted like any other format.
        {"bitmap named.jpg", {bitmap, TextureFileFormat::Other}},
    };
    for (const auto& [name, c] : cases)
    {
        SCOPED_TRACE(name);
        TextureConversionDetails details;
        std::u16string failure;
        EXPECT_EQ(Read(Source(name, c.first), &failure, &details), c.second);
        EXPECT_EQ(failure, u"");
        if (c.second != TextureFileFormat::Other)
        {
            EXPECT_EQ(details.width, 96);
            EXPECT_EQ(details.height, 64);
        }
        EXPECT_EQ(Omvi::OMVISession::get(), nullptr);
    }
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
    // Reading leaves nothing behind and writes no converted file.
    EXPECT_FALSE(folder_->exists());
    ExpectNoTemporaryFiles();
}

TEST_F(TextureReading, BrokenFilesAreRefusedOnceNamingTheFileAndTheReason)
{
    OMVI_REQUIRE_TOOL("convert");
    const Bytes jpeg = MagickPicture(root_, "jpg");
    const Bytes png = MagickPicture(root_, "png");
    ASSERT_GT(jpeg.size(), 1000u);
    ASSERT_GT(png.size(), 1000u);
    const Bytes flipped = FlippedInImageData(png);
    ASSERT_FALSE(flipped.empty());
    const Bytes progressive = BeforeLastScan(MagickPicture(root_, "jpg", "-interlace JPEG"));
    ASSERT_FALSE(progressive.empty());
    // What each failure must say (beside the file's name).
    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"jpeg cut at half",
         {Source("half.jpg", Cut(jpeg, jpeg.size() / 2)), "Corrupt image file"}},
        {"jpeg cut near its end",
         {Source("end.jpg", Cut(jpeg, jpeg.size() * 9 / 10)), "Corrupt image file"}},
        {"progressive jpeg cut before its last scan",
         {Source("scans.jpg", progressive), "Corrupt image file"}},
        {"png cut at half", {Source("half.png", Cut(png, png.size() / 2)), "Corrupt image file"}},
        {"png with a bit flipped in its image data",
         {Source("flipped.png", flipped), "Corrupt image file"}},
        {"png declaring 100000 x 100000",
         {Source("huge.png", DeclaringSize(png, 100000, 100000)),
          "too large: 100000 x 100000 pixels"}},
        {"empty", {Source("empty.jpg", Bytes()), "no format"}},
        {"text", {Source("notes.png", Bytes{'w', 'o', 'o', 'd', '\n'}), "no format"}},
        {"missing",
         {sources_ + "/missing.jpg", "'" + sources_ + "/missing.jpg': No such file or directory"}},
    };
    for (const auto& [what, c] : cases)
    {
        SCOPED_TRACE(what);
        const std::u16string path = platform::path::fromNative(c.first);
        const std::size_t boxes = platform::ui().messageBoxes().size();
        std::u16string failure;
        EXPECT_EQ(Read(c.first, &failure), TextureFileFormat::Unreadable);
        EXPECT_NE(platform::path::toNative(failure).find(c.second), std::string::npos)
            << platform::path::toNative(failure);
        ASSERT_EQ(platform::ui().messageBoxes().size(), boxes + 1);
        const platform::MessageBoxRecord& box = platform::ui().messageBoxes().back();
        EXPECT_EQ(box.text, u"An error occurred while publishing the file. The error occurred in "
                            u"TextureImageConverter::ConvertTextureImage.");
        EXPECT_EQ(box.cause, u"Texture " + path + u": " + failure);
        EXPECT_EQ(Omvi::OMVISession::get(), nullptr);
        ExpectNoTemporaryFiles();
        // Asked again in the same publish: the same answer, not said twice.
        TextureConversionDetails details;
        std::u16string again;
        EXPECT_EQ(Read(c.first, &again, &details), TextureFileFormat::Unreadable);
        EXPECT_TRUE(details.reused);
        EXPECT_EQ(again, failure);
        EXPECT_EQ(platform::ui().messageBoxes().size(), boxes + 1);
    }
}

TEST_F(TextureReading, TheConversionsSizeLimitHoldsForTexturesTakenAsTheyAre)
{
    OMVI_REQUIRE_TOOL("convert");
    const std::string path = Source("wood.png", MagickPicture(root_, "png"));
    TextureImageConverter converter(*folder_);
    converter.setReportFailures(false);
    converter.setMaximumPixels(96 * 64 - 1);
    EXPECT_EQ(converter.ReadTextureImage(platform::path::fromNative(path)),
              TextureFileFormat::Unreadable);
    EXPECT_EQ(converter.failure(), u"the texture image is too large: 96 x 64 pixels");
    EXPECT_TRUE(platform::ui().messageBoxes().empty());
}
