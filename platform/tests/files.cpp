#include "dwfcore/TempFileRegistry.h"
#include "platform/gdi/Picture.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Path.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <iterator>

using namespace platform;

TEST(Files, TemporaryFilesAreCreatedEmptyAndUnique)
{
    const auto first = createTemporaryFile("swt", ".bmp");
    const auto second = createTemporaryFile("swt", ".bmp");
    ASSERT_TRUE(first);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_TRUE(path::fileExists(*first));
    EXPECT_EQ(path::lastComponent(*first).substr(0, 3), u"swt");
    EXPECT_EQ(path::extension(*first), u"bmp");
    std::ifstream in(path::toNative(*first), std::ios::binary);
    EXPECT_EQ(in.peek(), std::char_traits<char>::eof());
    // Listed for removal on interrupting signals until they are removed.
    EXPECT_TRUE(DWFCore::DWFTempFileRegistry::listed(path::toNative(*first)));
    EXPECT_TRUE(removeTemporaryFile(*first));
    EXPECT_FALSE(DWFCore::DWFTempFileRegistry::listed(path::toNative(*first)));
    EXPECT_FALSE(path::fileExists(*first));
    EXPECT_TRUE(removeTemporaryFile(*second));
    EXPECT_TRUE(removeTemporaryFile(*second)) << "removing a missing file is not an error";

    // A file its maker removed (or keeps) itself only leaves the list.
    const auto kept = createTemporaryFile("swt");
    ASSERT_TRUE(kept);
    forgetTemporaryFile(path::toNative(*kept));
    EXPECT_FALSE(DWFCore::DWFTempFileRegistry::listed(path::toNative(*kept)));
    EXPECT_TRUE(path::fileExists(*kept));
    EXPECT_TRUE(path::removeFile(*kept));
}

TEST(Files, AFolderThatCannotHoldTemporaryFilesSaysWhy)
{
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    ::setenv("TMPDIR", "/nonexistent-quillcast-folder", 1);
    errno = 0;
    EXPECT_FALSE(createTemporaryFile("swt"));
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(temporaryFolder(), "/nonexistent-quillcast-folder");
    if (previous)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
}

TEST(Files, TheModuleNameCanBeSetByTheCommandLine)
{
    EXPECT_FALSE(moduleFileName().empty());
    setModuleFileName(u"/opt/quillcast/lib/addin.so");
    EXPECT_EQ(path::cutLastComponent(moduleFileName()), u"/opt/quillcast/lib");
    setModuleFileName(u"");
    EXPECT_NE(moduleFileName(), u"/opt/quillcast/lib/addin.so");
}

TEST(Files, BitmapsAreBottomUpBgrWithPaddedRows)
{
    const auto name = createTemporaryFile("quillcast-", ".bmp");
    ASSERT_TRUE(name);
    // 2 x 2: top row red, green; bottom row blue, white.
    RgbPicture picture{2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}};
    std::string error;
    ASSERT_TRUE(saveBitmap(*name, picture, error)) << error;
    std::ifstream in(path::toNative(*name), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    path::removeFile(*name);
    ASSERT_EQ(bytes.size(), 54u + 2 * 8);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(static_cast<unsigned char>(bytes[2]), 70);
    EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);
    // First stored row is the bottom one: blue, white, two padding bytes.
    const std::string bottom = bytes.substr(54, 8);
    EXPECT_EQ(bottom, std::string("\xff\x00\x00\xff\xff\xff\x00\x00", 8));
    const std::string top = bytes.substr(62, 8);
    EXPECT_EQ(top, std::string("\x00\x00\xff\x00\xff\x00\x00\x00", 8));
    EXPECT_FALSE(saveBitmap(*name, RgbPicture{}, error));
    path::removeFile(*name);
}
