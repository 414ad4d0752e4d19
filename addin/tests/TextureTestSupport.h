#pragma once
// What the texture conversion tests share: a fixture with a private
// temporary folder (PublishFixture), the publish's output folder and a
// folder for source images; decoding the JPEG a conversion wrote; the
// independent tools' view of it.
#include "addin/tests/PublishHarness.h"
#include "addin/texture/TextureImageConverter.h"
#include "addin/texture/TextureOutputFolder.h"
#include "imaging/codecs/tests/ImageTestSupport.h"
#include "imaging/codecs/tests/JpegTestSupport.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace texture_test
{

using OmviTest::Pixels;
using OmviTest::TestImage;

// A JPEG file decoded by libjpeg as RGB; empty when it is not one.
inline TestImage JpegFileAsRgb(const std::string& path)
{
    const Pixels bytes = OmviTest::readFileBytes(path);
    TestImage image;
    if (bytes.size() < 4)
        return image;
    int components = 0;
    Pixels samples = OmviTest::libjpegDecode(bytes, JCS_RGB, &components);
    if (samples.empty() || components != 3)
        return image;
    // The size from the frame header: walk the markers to SOF0..SOF2.
    for (std::size_t at = 2; at + 9 < bytes.size();)
    {
        if (bytes[at] != 0xFF)
            return {};
        const int marker = bytes[at + 1];
        const std::size_t length = static_cast<std::size_t>(bytes[at + 2] << 8 | bytes[at + 3]);
        if (marker >= 0xC0 && marker <= 0xC2)
        {
            image.height = bytes[at + 5] << 8 | bytes[at + 6];
            image.width = bytes[at + 7] << 8 | bytes[at + 8];
            break;
        }
        at += 2 + length;
    }
    image.channels = 3;
    image.pixels = std::move(samples);
    return image;
}

// `identify -format '%m %w %h %Q'` of a file.
inline std::string Identify(const std::string& path)
{
    std::string out;
    publish_test::RunCommand(
        "identify -format '%m %w %h %Q' " + publish_test::Quoted(path) + " 2>/dev/null", &out);
    return out;
}

class TextureConversionTest : public publish_test::PublishFixture
{
protected:
    void SetUp() override
    {
        PublishFixture::SetUp();
        sources_ = root_ + "/textures";
        ::mkdir(sources_.c_str(), 0700);
        folder_ = std::make_unique<TextureOutputFolder>();
    }
    void TearDown() override
    {
        folder_.reset();
        PublishFixture::TearDown();
    }

    // Writes a source file into the textures folder; answers its path.
    std::string Source(const std::string& name, const Pixels& bytes) const
    {
        const std::string path = sources_ + "/" + name;
        EXPECT_TRUE(OmviTest::writeFileBytes(path, bytes));
        return path;
    }

    struct Outcome
    {
        std::u16string result;
        bool converted = false;
        std::u16string failure;
        TextureConversionDetails details;
        std::string path() const { return platform::path::toNative(result); }
    };

    Outcome Convert(const std::string& path, bool report = true)
    {
        TextureImageConverter converter(*folder_);
        converter.setReportFailures(report);
        Outcome outcome;
        outcome.converted = true; // the converter must clear it
        outcome.result =
            converter.ConvertTextureImage(platform::path::fromNative(path), &outcome.converted);
        outcome.failure = converter.failure();
        outcome.details = converter.details();
        return outcome;
    }

    std::string FolderPath() const
    {
        return platform::path::toNative(folder_->exists() ? folder_->path() : u"");
    }

    std::string sources_;
    std::unique_ptr<TextureOutputFolder> folder_;
};

} // namespace texture_test
