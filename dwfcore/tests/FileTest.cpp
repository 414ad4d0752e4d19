#include "dwfcore/StreamFileDescriptor.h"
#include "dwfcore/TempFile.h"

#include "ZipTestSupport.h"

#include <memory>
#include <sys/stat.h>

using namespace DWFCore;
using namespace ziptest;

namespace
{

TEST(DWFStreamFileDescriptor, OpenReadWriteSeekAndErrors)
{
    ScratchDir dir;
    const std::string path = dir.file("f.bin");
    DWFStreamFileDescriptor writer(DWFFile(path.c_str()), DWFString(u"wb"));
    EXPECT_THROW(writer.size(), DWFIOException);
    EXPECT_THROW(writer.write("x", 1), DWFIOException);
    EXPECT_THROW(writer.read(nullptr, 1), DWFIOException);
    EXPECT_THROW(writer.seek(SEEK_SET, 0), DWFIOException);
    EXPECT_THROW(writer.flush(), DWFIOException);
    writer.open();
    EXPECT_THROW(writer.open(), DWFIOException);
    EXPECT_EQ(writer.write("0123456789", 10), 10u);
    EXPECT_EQ(writer.size(), 0u); // the size is taken at open
    EXPECT_EQ(writer.seek(SEEK_SET, 2), 10);
    writer.write("AB", 2);
    writer.flush();
    writer.close();
    writer.close(); // closing twice is harmless

    DWFStreamFileDescriptor reader(DWFFile(DWFString(path.c_str())), DWFString(u"rb"));
    reader.open();
    EXPECT_EQ(reader.size(), 10u);
    char text[16] = {};
    EXPECT_EQ(reader.read(text, sizeof text), 10u);
    EXPECT_STREQ(text, "01AB456789");
    EXPECT_THROW(reader.write("x", 1), DWFIOException);

    DWFStreamFileDescriptor missing(DWFFile(dir.file("none/x").c_str()), DWFString(u"rb"));
    EXPECT_THROW(missing.open(), DWFIOException);
    // Exclusive creation refuses an existing file.
    DWFStreamFileDescriptor exclusive(DWFFile(path.c_str()), DWFString(u"wbx"));
    EXPECT_THROW(exclusive.open(), DWFIOException);
}

TEST(DWFStreamFileDescriptor, UnicodePathsAreUTF8OnDisk)
{
    ScratchDir dir;
    const std::u16string wide = std::u16string(u"/\u00e9t\u00e9-\u65e5.bin");
    DWFString path(dir.path().c_str());
    path.append(wide.c_str());
    DWFStreamFileDescriptor writer{DWFFile(path), DWFString(u"wb")};
    writer.open();
    writer.write("x", 1);
    writer.close();
    EXPECT_TRUE(fileExists(dir.path() + "/\xc3\xa9t\xc3\xa9-\xe6\x97\xa5.bin"));
}

TEST(DWFFile, NamesThatAreNotUTF8KeepTheirBytes)
{
    // A name is the system's bytes: an ISO-8859-1 byte, a cut sequence, an
    // overlong form, an encoded surrogate, a value past U+10FFFF and stray
    // bytes come back as given, beside proper UTF-8; as text each byte that
    // is no UTF-8 is one U+DC80..U+DCFF (python3's "surrogateescape").
    for (const char* name :
         {"plan-\xe9.dwf", "x\xe2\x82y", "\xc0\xaf", "\xed\xa0\x80", "\x80\xbf\xff",
          "end\xf0\x9f\x98", "\xf4\x90\x80\x80", "\xe9\xc3\xa9\xf0\x9f\x98\x80"})
    {
        EXPECT_EQ(DWFFile(name).nativePath(), name);
    }
    EXPECT_EQ(DWFFile("x\xe2\x82y").name().toU16String(), u"x\xdce2\xdc82y");
    EXPECT_EQ(DWFFile("\xe9\xc3\xa9\xf0\x9f\x98\x80").name().toU16String(),
              u"\xdce9\u00e9\U0001F600");
}

TEST(DWFStreamFileDescriptor, FullDeviceFailureIsReported)
{
    if (!fileExists("/dev/full"))
    {
        GTEST_SKIP() << "/dev/full is not available";
    }
    DWFStreamFileDescriptor full(DWFFile("/dev/full"), DWFString(u"wb"));
    full.open();
    full.write("x", 1); // buffered
    EXPECT_THROW(full.flush(), DWFIOException);
    DWFStreamFileDescriptor again(DWFFile("/dev/full"), DWFString(u"wb"));
    again.open();
    again.write("x", 1);
    EXPECT_THROW(again.close(), DWFIOException);
}

class DWFTempFileTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const char* old = std::getenv("TMPDIR");
        _saved = old != nullptr ? old : "";
        _hadTmpdir = old != nullptr;
        ::setenv("TMPDIR", _dir.path().c_str(), 1);
    }
    void TearDown() override
    {
        if (_hadTmpdir)
        {
            ::setenv("TMPDIR", _saved.c_str(), 1);
        }
        else
        {
            ::unsetenv("TMPDIR");
        }
    }
    ScratchDir _dir;
    std::string _saved;
    bool _hadTmpdir = false;
};

TEST_F(DWFTempFileTest, CreatedExclusivelyInTmpdirWithPrefix)
{
    std::unique_ptr<DWFTempFile> temp(DWFTempFile::Create(DWFString(u"model_w3d_"), true));
    const std::string path = temp->file().nativePath();
    EXPECT_EQ(path.rfind(_dir.path() + "/model_w3d_", 0), 0u) << path;
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    std::unique_ptr<DWFTempFile> other(DWFTempFile::Create(DWFString(u"model_w3d_"), true));
    EXPECT_NE(other->file().nativePath(), path);
    // A prefix never leads out of the temporary folder.
    std::unique_ptr<DWFTempFile> sneaky(DWFTempFile::Create(DWFString(u"../x/"), true));
    EXPECT_EQ(sneaky->file().nativePath().rfind(_dir.path() + "/.._x_", 0), 0u);
    temp.reset();
    EXPECT_FALSE(fileExists(path));
}

TEST_F(DWFTempFileTest, KeptWhenAskedAndReadBack)
{
    std::string path;
    {
        std::unique_ptr<DWFTempFile> temp(DWFTempFile::Create(DWFString(u"keep"), false));
        path = temp->file().nativePath();
        const Bytes data = noiseBytes(100);
        temp->getOutputStream()->write(data.data(), data.size());
        std::unique_ptr<DWFInputStream> in(temp->getInputStream());
        EXPECT_EQ(in->available(), 100u);
        Bytes back(100);
        EXPECT_EQ(in->read(back.data(), back.size()), 100u);
        EXPECT_EQ(back, data);
        EXPECT_THROW(temp->getOutputStream(), DWFIOException);
    }
    EXPECT_TRUE(fileExists(path));
    std::remove(path.c_str());
}

TEST_F(DWFTempFileTest, MissingFolderIsAnError)
{
    ::setenv("TMPDIR", (_dir.path() + "/gone").c_str(), 1);
    EXPECT_THROW(DWFTempFile::Create(DWFString(u"p"), true), DWFIOException);
}

} // namespace

namespace
{

TEST_F(DWFTempFileTest, AllocationFailuresLeaveNoFileBehind)
{
    for (long allowed = 0; allowed < 12; ++allowed)
    {
        DWFCoreMemory::failAllocationsAfter(allowed);
        DWFTempFile* temp = nullptr;
        try
        {
            temp = DWFTempFile::Create(DWFString(u"alloc"), true);
        }
        catch (const DWFMemoryException&)
        {
        }
        DWFCoreMemory::failAllocationsAfter(-1);
        delete temp;
        const ToolResult left = runTool("ls -A '" + _dir.path() + "'");
        EXPECT_EQ(left.output, "") << "after " << allowed << " allocations";
    }
}

} // namespace
