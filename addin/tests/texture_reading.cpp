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

#include <cstdio>
#include <map>

using namespace texture_test;
using Bytes = std::vector<std::uint8_t>;
using publish_test::HaveTool;
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
    // What each failure must say (beside the file's name): the decoder's
    // reason where it gives one.
    const std::map<std::string, std::pair<std::string, std::string>> cases = {
        {"jpeg cut at half",
         {Source("half.jpg", Cut(jpeg, jpeg.size() / 2)), "damaged: Premature end of JPEG file"}},
        {"jpeg cut near its end",
         {Source("end.jpg", Cut(jpeg, jpeg.size() * 9 / 10)),
          "damaged: Premature end of JPEG file"}},
        {"progressive jpeg cut before its last scan",
         {Source("scans.jpg", progressive), "damaged: Premature end of JPEG file"}},
        {"png cut at half",
         {Source("half.png", Cut(png, png.size() / 2)), "damaged: Premature end of PNG file"}},
        {"png with a bit flipped in its image data",
         {Source("flipped.png", flipped), "damaged: IDAT: CRC error"}},
        {"png declaring 100000 x 100000",
         {Source("huge.png", DeclaringSize(png, 100000, 100000)),
          "too large: 100000 x 100000 pixels"}},
        {"empty", {Source("empty.jpg", Bytes()), "the texture file is empty"}},
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

namespace
{

// The PNG with one bit flipped in the data of its first chunk of `type`, so
// that the chunk's CRC no longer fits.
Bytes FlippedInChunk(Bytes png, const std::string& type)
{
    for (std::size_t at = 8; at + 12 <= png.size();)
    {
        const std::uint32_t length = Big32(png, at);
        if (length > 0 && std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                      png.begin() + static_cast<std::ptrdiff_t>(at + 8)) == type)
        {
            png[at + 8] ^= 0x02;
            return png;
        }
        at += 12 + length;
    }
    return {};
}

Bytes Followed(Bytes bytes, const std::string& tail)
{
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

} // namespace

TEST_F(TextureReading, WhatADecoderWorksAroundIsDamageToATextureTakenAsItIsNotToAConvertedOne)
{
    OMVI_REQUIRE_TOOL("convert");
    const Bytes jpeg = MagickPicture(root_, "jpg");
    const Bytes png = MagickPicture(root_, "png");
    ASSERT_GT(jpeg.size(), 1000u);
    ASSERT_GT(png.size(), 1000u);
    // ImageMagick's PNG holds a bKGD chunk before its image data and tEXt
    // chunks after it; libpng skips such a chunk with a wrong CRC, libjpeg
    // passes over bytes out of place with a warning.
    const Bytes background = FlippedInChunk(png, "bKGD");
    const Bytes text = FlippedInChunk(png, "tEXt");
    ASSERT_FALSE(background.empty());
    ASSERT_FALSE(text.empty());
    // Three bytes between the first marker segment after the start of the
    // image and the next marker.
    Bytes extraneous = jpeg;
    const std::size_t segment = 4 + (std::size_t(jpeg[4]) << 8 | jpeg[5]);
    ASSERT_EQ(jpeg[segment], 0xFF);
    const std::uint8_t next = jpeg[segment + 1];
    extraneous.insert(extraneous.begin() + static_cast<std::ptrdiff_t>(segment), {'o', 'a', 'k'});
    char marker[8];
    std::snprintf(marker, sizeof marker, "0x%02x", next);

    const std::map<std::string, std::pair<Bytes, std::string>> damaged = {
        {"background",
         {background, "the texture image cannot be read: "
                      "The PNG file is damaged: bKGD: CRC error"}},
        {"text", {text, "the texture image is damaged: tEXt: CRC error"}},
        {"extraneous",
         {extraneous, "the texture image is damaged: Corrupt JPEG data: 3 extraneous bytes before "
                      "marker " +
                          std::string(marker)}},
    };
    for (const auto& [name, c] : damaged)
    {
        SCOPED_TRACE(name);
        const bool isJpeg = name == "extraneous";
        std::u16string failure;
        EXPECT_EQ(Read(Source(name + (isJpeg ? ".jpg" : ".png"), c.first), &failure),
                  TextureFileFormat::Unreadable);
        EXPECT_EQ(platform::path::toNative(failure), c.second);
        // Converted (its name not in lower case), it makes a new whole JPEG
        // of what the decoder made of it.
        const Outcome converted =
            Convert(Source(name + (isJpeg ? ".JPG" : ".PNG"), c.first), false);
        EXPECT_TRUE(converted.converted) << platform::path::toNative(converted.failure);
    }
    if (HaveTool("djpeg"))
    {
        std::string said;
        RunCommand("djpeg " + Quoted(sources_ + "/extraneous.jpg") + " 2>&1 >/dev/null", &said);
        EXPECT_NE(said.find("3 extraneous bytes before marker " + std::string(marker)),
                  std::string::npos)
            << said;
    }
    if (HaveTool("pngcheck"))
    {
        std::string said;
        RunCommand("pngcheck " + Quoted(sources_ + "/text.png") + " 2>&1", &said);
        EXPECT_NE(said.find("CRC error in chunk tEXt"), std::string::npos) << said;
    }

    // Bytes after a whole image's end stay: they are no damage to it.
    std::u16string failure;
    EXPECT_EQ(Read(Source("after.jpg", Followed(jpeg, "trailing bytes")), &failure),
              TextureFileFormat::Jpeg);
    EXPECT_EQ(failure, u"");
    EXPECT_EQ(Read(Source("after.png", Followed(png, "trailing bytes")), &failure),
              TextureFileFormat::Png);
    EXPECT_EQ(failure, u"");
}
