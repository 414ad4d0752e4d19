#include "platform/gdi/Picture.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <unistd.h>

using namespace platform;

namespace
{
// A temporary file name made exclusively and removed by the fixture.
class TempFile
{
public:
    explicit TempFile(const char* suffix)
    {
        std::string pattern =
            std::string(::testing::TempDir()) + "/quillcast-picture-XXXXXX" + suffix;
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        const int fd = ::mkstemps(buffer.data(), static_cast<int>(std::strlen(suffix)));
        if (fd >= 0)
            ::close(fd);
        name_ = buffer.data();
    }
    ~TempFile() { std::remove(name_.c_str()); }
    std::u16string path() const { return path::fromNative(name_); }
    const std::string& native() const { return name_; }

private:
    std::string name_;
};

RgbPicture gradient(int width, int height)
{
    RgbPicture picture{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            picture.pixels.push_back(static_cast<std::uint8_t>(x * 255 / width));
            picture.pixels.push_back(static_cast<std::uint8_t>(y * 255 / height));
            picture.pixels.push_back(128);
        }
    return picture;
}

std::string bytesOf(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
} // namespace

TEST(Picture, JpegRoundTripKeepsSizeAndRoughColours)
{
    TempFile file(".jpg");
    std::string error;
    ASSERT_TRUE(saveJpeg(file.path(), gradient(37, 21), 95, error)) << error;
    const auto size = readPictureSize(file.path());
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 37);
    EXPECT_EQ(size->height, 21);
    RgbPicture back;
    ASSERT_TRUE(loadPicture(file.path(), back, error)) << error;
    ASSERT_EQ(back.pixels.size(), 37u * 21 * 3);
    EXPECT_NEAR(back.pixels[(10 * 37 + 30) * 3 + 2], 128, 8);
    EXPECT_NEAR(back.pixels[(10 * 37 + 30) * 3 + 0], 30 * 255 / 37, 12);
}

TEST(Picture, DjpegReadsWhatWeWrite)
{
    if (std::system("command -v djpeg >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "djpeg is not installed";
    TempFile file(".jpg");
    TempFile decoded(".ppm");
    std::string error;
    ASSERT_TRUE(saveJpeg(file.path(), gradient(16, 9), 75, error)) << error;
    const std::string command =
        "djpeg -pnm -outfile '" + decoded.native() + "' '" + file.native() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(bytesOf(decoded.native()).substr(0, 8), "P6\n16 9\n");
}

TEST(Picture, ReadsTheSamplePreviewPng)
{
    const std::u16string preview =
        path::fromNative(std::string(QUILLCAST_SOURCE_DIR) + "/examples/sample-preview.png");
    const auto size = readPictureSize(preview);
    ASSERT_TRUE(size);
    EXPECT_EQ(size->width, 200);
    EXPECT_EQ(size->height, 141);
    RgbPicture picture;
    std::string error;
    ASSERT_TRUE(loadPicture(preview, picture, error)) << error;
    // The corner is the dark border colour of the preview.
    EXPECT_EQ(picture.pixels[0], 20);
    EXPECT_EQ(picture.pixels[2], 90);
}

TEST(Picture, NonPicturesAndDamagedFilesFailCleanly)
{
    TempFile text(".txt");
    writeBytes(text.native(), "not a picture at all");
    EXPECT_FALSE(readPictureSize(text.path()));
    EXPECT_FALSE(readPictureSize(u"/nonexistent/quillcast/picture.jpg"));
    RgbPicture picture;
    std::string error;
    EXPECT_FALSE(loadPicture(text.path(), picture, error));
    EXPECT_FALSE(error.empty());

    TempFile jpeg(".jpg");
    ASSERT_TRUE(saveJpeg(jpeg.path(), gradient(40, 30), 80, error));
    const std::string whole = bytesOf(jpeg.native());
    TempFile damaged(".jpg");
    // Every truncation gives either a decoded picture (libjpeg pads a short
    // scan) or an error: never a crash.
    for (std::size_t length = 0; length < whole.size(); length += 23)
    {
        writeBytes(damaged.native(), whole.substr(0, length));
        RgbPicture out;
        std::string why;
        if (loadPicture(damaged.path(), out, why))
        {
            EXPECT_EQ(out.pixels.size(), 40u * 30 * 3);
        }
    }
    std::string mutated = whole;
    for (std::size_t i = 2; i < mutated.size(); i += 41)
        mutated[i] = static_cast<char>(mutated[i] ^ 0x5A);
    writeBytes(damaged.native(), mutated);
    RgbPicture out;
    std::string why;
    loadPicture(damaged.path(), out, why);
}

TEST(Picture, SavingChecksItsInput)
{
    TempFile file(".jpg");
    std::string error;
    EXPECT_FALSE(saveJpeg(file.path(), RgbPicture{}, 90, error));
    RgbPicture wrong = gradient(4, 4);
    wrong.pixels.pop_back();
    EXPECT_FALSE(saveJpeg(file.path(), wrong, 90, error));
    EXPECT_FALSE(saveJpeg(file.path(), gradient(4, 4), 0, error));
    EXPECT_FALSE(saveJpeg(u"/nonexistent/quillcast/out.jpg", gradient(4, 4), 90, error));
}

TEST(Picture, TruncatedPngsFailCleanly)
{
    const std::string whole =
        bytesOf(std::string(QUILLCAST_SOURCE_DIR) + "/examples/sample-preview.png");
    ASSERT_GT(whole.size(), 100u);
    TempFile damaged(".png");
    for (std::size_t length = 0; length < whole.size(); length += 17)
    {
        writeBytes(damaged.native(), whole.substr(0, length));
        RgbPicture out;
        std::string why;
        EXPECT_FALSE(loadPicture(damaged.path(), out, why)) << length;
        readPictureSize(damaged.path());
    }
}

TEST(Picture, FailuresNameThePictureAndTheSystemsReason)
{
    RgbPicture picture;
    std::string error;
    EXPECT_FALSE(loadPicture(u"/nonexistent/quillcast/picture.jpg", picture, error));
    EXPECT_EQ(error, "cannot open the picture file '/nonexistent/quillcast/picture.jpg': No such "
                     "file or directory");
    TempFile text(".txt");
    writeBytes(text.native(), "not a picture at all");
    std::string why;
    EXPECT_FALSE(readPictureSize(text.path(), &why));
    EXPECT_EQ(why, "'" + text.native() + "' is not a JPEG or PNG picture");

    EXPECT_FALSE(saveJpeg(u"/nonexistent/quillcast/out.jpg", gradient(4, 4), 90, error));
    EXPECT_EQ(error, "cannot create the JPEG file '/nonexistent/quillcast/out.jpg': No such file "
                     "or directory");
    // A full disk is a full disk, whether libjpeg or the final flush meets it.
    if (::access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "/dev/full is not available";
    EXPECT_FALSE(saveJpeg(u"/dev/full", gradient(64, 64), 90, error));
    EXPECT_EQ(error, "cannot write the JPEG file '/dev/full': No space left on device");
    EXPECT_FALSE(saveBitmap(u"/dev/full", gradient(64, 64), error));
    EXPECT_EQ(error, "cannot write the bitmap file '/dev/full': No space left on device");
}
