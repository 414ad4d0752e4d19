#include "dwfcore/zip/Cipher.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/PackageFileDescriptor.h"
#include "dwfcore/zip/Reader.h"
#include "dwfcore/zip/Writer.h"
#include "dwfcore/zip/ZipFileDescriptor.h"
#include "dwfcore/zip/ZippingOutputStream.h"

#include "ZipTestSupport.h"

#include <memory>
#include <zlib.h>

using namespace DWFCore;
using namespace ziptest;

namespace
{

constexpr uint32_t kFixedDosDate = (46u << 25) | (3u << 21) | (14u << 16) | (9u << 11) |
                                   (26u << 5) | 53u / 2; // 2026-03-14 09:26:52

Bytes inflateRaw(const uint8_t* data, size_t size, size_t expected)
{
    Bytes out(expected + 1);
    z_stream z{};
    inflateInit2(&z, -MAX_WBITS);
    z.next_in = const_cast<uint8_t*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = out.data();
    z.avail_out = static_cast<uInt>(out.size());
    const int status = inflate(&z, Z_FINISH);
    out.resize(z.total_out);
    inflateEnd(&z);
    EXPECT_EQ(status, Z_STREAM_END);
    return out;
}

// Writes a one-entry archive into memory with a fixed date.
Bytes oneEntryArchive(const char16_t* name, const Bytes& content, int level,
                      const char16_t* password, const char* prefix = nullptr)
{
    Bytes archive;
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&archive), prefix,
                                              prefix != nullptr ? std::strlen(prefix) : 0);
    EXPECT_NE(writer, nullptr);
    zipio::ZipFileInfo info;
    info.dosDate = kFixedDosDate;
    EXPECT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(name), &info, nullptr, 0, nullptr, 0,
                                         DWFString(), zipio::kMethodDeflate, level,
                                         DWFString(password)),
              0);
    EXPECT_EQ(zipio::zipWriteInFileInZip(writer, content.data(), content.size()), 0);
    EXPECT_EQ(zipio::zipCloseFileInZip(writer), 0);
    EXPECT_EQ(zipio::zipClose(writer, nullptr), 0);
    return archive;
}

std::string hexDigest(const Bytes& bytes)
{
    ScratchDir dir;
    writeFile(dir.file("content"), bytes);
    return sha256Hex(dir.file("content"));
}

void writeEntry(DWFZipFileDescriptor& descriptor, const DWFString& name, const Bytes& content,
                const DWFString& password = DWFString())
{
    std::unique_ptr<DWFZippingOutputStream> stream(descriptor.zip(name, password));
    // Uneven chunks cross the writer's buffer boundaries.
    size_t at = 0, chunk = 1;
    while (at < content.size())
    {
        const size_t n = std::min(chunk, content.size() - at);
        stream->write(content.data() + at, n);
        at += n;
        chunk = chunk * 3 + 7;
    }
    stream->close();
}

TEST(ZipWriter, OneEntryArchivePinsEveryHeaderField)
{
    const Bytes content = {'h', 'e', 'l', 'l', 'o'};
    const Bytes a = oneEntryArchive(u"manifest.xml", content, 6, nullptr, "(DWF V06.00)");

    // Local header after the 12-byte package header.
    const size_t local = 12;
    const Bytes expectedLocalStart = {0x50, 0x4B, 0x03, 0x04, 20, 0, 0, 0, 8, 0};
    EXPECT_EQ(Bytes(a.begin() + local, a.begin() + local + 10), expectedLocalStart);
    EXPECT_EQ(le32(a, local + 10), kFixedDosDate);
    EXPECT_EQ(le32(a, local + 14), 0x3610A686u); // CRC-32 of "hello"
    const uint32_t compressed = le32(a, local + 18);
    EXPECT_EQ(le32(a, local + 22), 5u);
    EXPECT_EQ(le16(a, local + 26), 12u);
    EXPECT_EQ(le16(a, local + 28), 0u);
    EXPECT_EQ(std::string(a.begin() + local + 30, a.begin() + local + 42), "manifest.xml");
    EXPECT_EQ(inflateRaw(&a[local + 42], compressed, 5), content);

    const size_t central = local + 42 + compressed;
    const size_t end = central + 46 + 12;
    ASSERT_EQ(a.size(), end + 22);
    Bytes expectedCentral = {0x50, 0x4B, 0x01, 0x02, 20, 0, 20, 0, 0, 0, 8, 0};
    EXPECT_EQ(Bytes(a.begin() + central, a.begin() + central + 12), expectedCentral);
    EXPECT_EQ(le32(a, central + 12), kFixedDosDate);
    EXPECT_EQ(le32(a, central + 16), 0x3610A686u);
    EXPECT_EQ(le32(a, central + 20), compressed);
    EXPECT_EQ(le32(a, central + 24), 5u);
    EXPECT_EQ(le16(a, central + 28), 12u);
    EXPECT_EQ(le16(a, central + 30), 0u); // extra
    EXPECT_EQ(le16(a, central + 32), 0u); // comment
    EXPECT_EQ(le16(a, central + 34), 0u); // disk
    EXPECT_EQ(le16(a, central + 36), 0u); // internal attributes
    EXPECT_EQ(le32(a, central + 38), 0x20u);
    EXPECT_EQ(le32(a, central + 42), 12u); // counted from the start of the file
    EXPECT_EQ(std::string(a.begin() + central + 46, a.begin() + central + 58), "manifest.xml");

    const Bytes expectedEnd = {0x50, 0x4B, 0x05, 0x06, 0, 0, 0, 0, 1, 0, 1,
                               0,    58,   0,    0,    0, 0, 0, 0, 0, 0, 0};
    Bytes actualEnd(a.begin() + end, a.end());
    // The directory offset depends on the compressed size.
    EXPECT_EQ(le32(actualEnd, 16), central);
    for (int i = 16; i < 20; ++i)
    {
        actualEnd[i] = 0;
    }
    EXPECT_EQ(actualEnd, expectedEnd);
}

TEST(ZipWriter, FlagsFollowLevelAndPassword)
{
    struct Case
    {
        int level;
        const char16_t* password;
        uint16_t flag;
    } cases[] = {{6, nullptr, 0}, {9, nullptr, 2}, {8, nullptr, 2}, {2, nullptr, 4},
                 {1, nullptr, 6}, {6, u"pw", 9},   {9, u"pw", 11}};
    const Bytes content = compressibleBytes(5000);
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.level);
        const Bytes a = oneEntryArchive(u"e.bin", content, c.level, c.password);
        EXPECT_EQ(le16(a, 6), c.flag);
        const uint32_t compressed = le32(a, 18);
        const size_t dataEnd = 30 + 5 + compressed;
        const size_t central = a.size() - 22 - 46 - 5;
        EXPECT_EQ(le16(a, central + 8), c.flag);
        // Local header patched with what the central directory says.
        EXPECT_EQ(le32(a, 14), le32(a, central + 16));
        EXPECT_EQ(compressed, le32(a, central + 20));
        EXPECT_EQ(le32(a, 22), le32(a, central + 24));
        if (c.password != nullptr)
        {
            ASSERT_EQ(dataEnd + 16, central);
            EXPECT_EQ(le32(a, dataEnd), 0x08074B50u);
            EXPECT_EQ(le32(a, dataEnd + 4), le32(a, 14));
            EXPECT_EQ(le32(a, dataEnd + 8), compressed);
            EXPECT_EQ(le32(a, dataEnd + 12), 5000u);
            // The twelve header bytes count in the compressed size.
            zipio::TraditionalCipher cipher("pw", 2);
            Bytes plain(a.begin() + 35, a.begin() + 35 + compressed);
            cipher.decrypt(plain.data(), plain.size());
            EXPECT_EQ(plain[11], static_cast<uint8_t>(kFixedDosDate >> 8));
            EXPECT_EQ(inflateRaw(plain.data() + 12, compressed - 12, 5000), content);
        }
        else
        {
            EXPECT_EQ(dataEnd, central);
            EXPECT_EQ(inflateRaw(&a[35], compressed, 5000), content);
        }
    }
}

TEST(ZipWriter, EmptyNameIsStoredAsDashAndNewEntryClosesTheOpenOne)
{
    Bytes a;
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&a), nullptr, 0);
    ASSERT_NE(writer, nullptr);
    for (const char16_t* name : {u"", u"second"})
    {
        ASSERT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(name), nullptr, nullptr, 0, nullptr,
                                             0, DWFString(), 8, 6, DWFString()),
                  0);
        ASSERT_EQ(zipio::zipWriteInFileInZip(writer, "abc", 3), 0);
    }
    ASSERT_EQ(zipio::zipClose(writer, nullptr), 0);
    EXPECT_EQ(le16(a, 26), 1u);
    EXPECT_EQ(a[30], '-');
    EXPECT_EQ(le16(a, a.size() - 22 + 10), 2u);
}

TEST(ZipWriter, EncryptionHeadersDifferBetweenEntriesOfTheSameSecond)
{
    const Bytes content(100, 'x');
    const Bytes a = oneEntryArchive(u"a", content, 6, u"secret");
    const Bytes b = oneEntryArchive(u"a", content, 6, u"secret");
    EXPECT_NE(Bytes(a.begin() + 31, a.begin() + 43), Bytes(b.begin() + 31, b.begin() + 43));
}

TEST(ZipWriter, StoredEntriesAndRefusedEntryCountBeyond65535)
{
    Bytes a;
    a.reserve(8u << 20);
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&a), nullptr, 0);
    ASSERT_NE(writer, nullptr);
    for (int i = 0; i < 65535; ++i)
    {
        ASSERT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(u"s"), nullptr, nullptr, 0, nullptr,
                                             0, DWFString(), zipio::kMethodStored, 0, DWFString()),
                  0);
    }
    ASSERT_EQ(zipio::zipCloseFileInZip(writer), 0);
    EXPECT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(u"s"), nullptr, nullptr, 0, nullptr, 0,
                                         DWFString(), zipio::kMethodStored, 0, DWFString()),
              zipio::kErrTooManyEntries);
    // Nothing was written for the refused entry: the archive closes intact.
    EXPECT_EQ(zipio::zipClose(writer, nullptr), 0);
    EXPECT_EQ(le16(a, a.size() - 22 + 8), 65535u);
    EXPECT_EQ(le32(a, a.size() - 22 + 12), 65535u * 47u);
}

TEST(ZipWriter, SizesBeyond32BitsAreRefusedBeforeAnythingIsRead)
{
    Bytes a;
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&a), nullptr, 0);
    ASSERT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(u"big"), nullptr, nullptr, 0, nullptr, 0,
                                         DWFString(), 8, 6, DWFString()),
              0);
    const char small[4] = {};
    // The size check comes before the bytes are touched.
    EXPECT_EQ(zipio::zipWriteInFileInZip(writer, small, size_t(1) << 32), zipio::kErrTooLarge);
    EXPECT_TRUE(zipio::zipAbandoned(writer));
    EXPECT_NE(zipio::zipClose(writer, nullptr), 0);
    EXPECT_LT(a.size(), 100u);
}

TEST(ZipWriter, BadParametersAreRefused)
{
    EXPECT_EQ(zipio::zipOpenNewFileInZip(nullptr, DWFString(u"x"), nullptr, nullptr, 0, nullptr, 0,
                                         DWFString(), 8, 6, DWFString()),
              zipio::kErrParam);
    EXPECT_EQ(zipio::zipWriteInFileInZip(nullptr, "x", 1), zipio::kErrParam);
    EXPECT_EQ(zipio::zipCloseFileInZip(nullptr), zipio::kErrParam);
    EXPECT_EQ(zipio::zipClose(nullptr, nullptr), zipio::kErrParam);
    Bytes a;
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&a), nullptr, 0);
    EXPECT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(u"x"), nullptr, nullptr, 0, nullptr, 0,
                                         DWFString(), 12, 6, DWFString()),
              zipio::kErrParam);
    EXPECT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(u"x"), nullptr, nullptr, 0, nullptr, 0,
                                         DWFString(), 8, 10, DWFString()),
              zipio::kErrParam);
    EXPECT_EQ(zipio::zipWriteInFileInZip(writer, "x", 1), zipio::kErrParam);
    EXPECT_EQ(zipio::zipCloseFileInZip(writer), zipio::kErrParam);
    EXPECT_FALSE(zipio::zipAbandoned(writer));
    // An over-long name throws before anything is written.
    std::u16string longName(5000, u'n');
    EXPECT_THROW(zipio::zipOpenNewFileInZip(writer, DWFString(longName.c_str()), nullptr, nullptr,
                                            0, nullptr, 0, DWFString(), 8, 6, DWFString()),
                 DWFOverflowException);
    EXPECT_EQ(zipio::zipClose(writer, "archive comment"), 0);
    EXPECT_EQ(le16(a, 8), 0u);
    EXPECT_EQ(le16(a, 20), 15u);
}

// A disk that fills up part way: the failure must surface from the explicit
// close, the archive must get no central directory, and nothing may leak.
TEST(ZipWriterFailure, ShortWriteAbandonsTheArchive)
{
    const Bytes content = noiseBytes(200000);
    for (size_t limit : {size_t(5), size_t(40), size_t(20000), size_t(199000), size_t(200060)})
    {
        SCOPED_TRACE(limit);
        Bytes a;
        zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&a, limit), nullptr, 0);
        ASSERT_NE(writer, nullptr);
        bool failed = false;
        {
            DWFZippingOutputStream stream(writer, 6);
            try
            {
                stream.open(DWFString(u"entry"), DWFString());
                stream.write(content.data(), content.size());
                stream.close();
            }
            catch (const DWFIOException&)
            {
                failed = true;
            }
        }
        EXPECT_TRUE(failed);
        EXPECT_TRUE(zipio::zipAbandoned(writer));
        EXPECT_EQ(zipio::zipClose(writer, nullptr), zipio::kErrIO);
        for (size_t i = 0; i + 4 <= a.size(); ++i)
        {
            ASSERT_FALSE(le32(a, i) == 0x06054B50u) << "end record written over a failure";
        }
        if (haveTool("python3"))
        {
            ScratchDir dir;
            writeFile(dir.file("partial.zip"), a);
            EXPECT_NE(pythonListing(dir.file("partial.zip")).status, 0);
        }
    }
}

TEST(ZipWriterFailure, ThrowingDescriptorFailsCloseWithoutDoubleFree)
{
    const Bytes content = noiseBytes(100000);
    for (size_t limit : {size_t(10), size_t(50000), size_t(100070)})
    {
        SCOPED_TRACE(limit);
        Bytes a;
        auto* descriptor = new MemoryDescriptor(&a, limit, true);
        zipio::ZipWriter* writer = zipio::zipOpen(descriptor, nullptr, 0);
        ASSERT_NE(writer, nullptr);
        {
            DWFZippingOutputStream stream(writer, 6);
            try
            {
                stream.open(DWFString(u"entry"), DWFString(u"pw"));
                stream.write(content.data(), content.size());
                EXPECT_THROW(stream.close(), DWFIOException);
            }
            catch (const DWFIOException& e)
            {
                // The descriptor's own exception passes through the write.
                EXPECT_EQ(std::u16string(e.message()), u"File write error");
            }
        }
        EXPECT_NE(zipio::zipClose(writer, nullptr), 0);
    }
}

TEST(ZipWriterFailure, FullDeviceSurfacesFromExplicitClose)
{
    if (!fileExists("/dev/full"))
    {
        GTEST_SKIP() << "/dev/full is not available";
    }
    DWFZipFileDescriptor descriptor(DWFFile("/dev/full"), 6);
    descriptor.open();
    try
    {
        writeEntry(descriptor, DWFString(u"a"), noiseBytes(1 << 20));
    }
    catch (const DWFIOException&)
    {
        // Passed through from the file; the archive is abandoned.
    }
    EXPECT_THROW(descriptor.close(), DWFIOException);
    // A failed descriptor has forgotten its writer: closing again is harmless.
    EXPECT_NO_THROW(descriptor.close());
}

TEST(ZipFileDescriptor, StreamLifetimeIsGuarded)
{
    ScratchDir dir;
    const std::string path = dir.file("guard.zip");
    std::unique_ptr<DWFZippingOutputStream> first;
    {
        DWFZipFileDescriptor descriptor(DWFFile(path.c_str()), 6);
        EXPECT_THROW(descriptor.zip(DWFString(u"x")), DWFIOException);
        descriptor.open();
        EXPECT_THROW(descriptor.open(), DWFIOException);
        EXPECT_THROW(descriptor.size(), DWFNotImplementedException);
        EXPECT_THROW(descriptor.read(nullptr, 0), DWFIOException);
        first.reset(descriptor.zip(DWFString(u"one")));
        first->write("11111", 5);
        // A second stream closes the first one's entry and detaches it.
        std::unique_ptr<DWFZippingOutputStream> second(descriptor.zip(DWFString(u"two")));
        EXPECT_THROW(first->write("x", 1), DWFIOException);
        second->write("22", 2);
        // Closing with a stream alive detaches it; its entry is finished.
        descriptor.close();
        EXPECT_THROW(second->write("x", 1), DWFIOException);
    }
    // Outliving the descriptor is safe.
    EXPECT_THROW(first->write("x", 1), DWFIOException);
    first.reset();
    const ToolResult listing = pythonListing(path);
    if (listing.status == 0)
    {
        EXPECT_NE(listing.output.find("one|"), std::string::npos) << listing.output;
        EXPECT_NE(listing.output.find("two|"), std::string::npos) << listing.output;
    }
}

TEST(ZipFileDescriptor, DestructorCompletesAnArchiveLeftOpen)
{
    ScratchDir dir;
    const std::string path = dir.file("open.zip");
    {
        DWFZipFileDescriptor descriptor(DWFFile(path.c_str()), 6);
        descriptor.open();
        DWFZippingOutputStream* stream = descriptor.zip(DWFString(u"left open"));
        stream->write("abc", 3);
        delete stream; // closes the entry
        writeEntry(descriptor, DWFString(u"second"), Bytes(10, 'b'));
    }
    const Bytes a = readFile(path);
    ASSERT_GE(a.size(), 22u);
    EXPECT_EQ(le32(a, a.size() - 22), 0x06054B50u);
    EXPECT_EQ(le16(a, a.size() - 22 + 10), 2u);
}

TEST(PackageFileDescriptor, HeaderPrecedesTheArchive)
{
    ScratchDir dir;
    const std::string path = dir.file("v.dwf");
    {
        DWFToolkit::DWFPackageFileDescriptor package(DWFFile(path.c_str()), 6, 6, 1);
        package.open();
        EXPECT_THROW(package.open(), DWFIOException);
        writeEntry(package, DWFString(u"manifest.xml"), Bytes(3, 'm'));
        package.close();
    }
    const Bytes a = readFile(path);
    ASSERT_GE(a.size(), 16u);
    EXPECT_EQ(std::string(a.begin(), a.begin() + 16), std::string("(DWF V06.01)PK\x03\x04", 16));
    EXPECT_THROW(DWFToolkit::DWFPackageFileDescriptor(DWFFile("x"), 6, 100, 0),
                 DWFInvalidArgumentException);
    EXPECT_THROW(DWFToolkit::DWFPackageFileDescriptor(DWFFile("x"), 6, 6, 65535),
                 DWFInvalidArgumentException);
    // Unzip mode does nothing on open.
    DWFToolkit::DWFPackageFileDescriptor reading(DWFFile(path.c_str()),
                                                 DWFZipFileDescriptor::kUnzip, 6, 0);
    EXPECT_NO_THROW(reading.open());
}

// Archives checked by tools that share no code with ours.
class ZipWriterTools : public ::testing::TestWithParam<int>
{
protected:
    struct Entry
    {
        DWFString name;
        std::string utf8;
        Bytes content;
    };
    // Python decrypts slowly, so encrypted archives use a smaller large size.
    static std::vector<Entry> entries(size_t large)
    {
        std::vector<Entry> list;
        list.push_back({DWFString(u"empty.txt"), "empty.txt", Bytes()});
        list.push_back({DWFString(u"small.xml"), "small.xml", compressibleBytes(300)});
        list.push_back({DWFString(u"dir/text.bin"), "dir/text.bin", compressibleBytes(large)});
        list.push_back({DWFString(u"dir/noise.bin"), "dir/noise.bin", noiseBytes(large)});
        list.push_back(
            {DWFString(u"donn\u00e9es/\u65e5\u672c/\u0444\u0430\u0439\u043b-\U0001F600.txt"),
             "donn\xc3\xa9"
             "es/\xe6\x97\xa5\xe6\x9c\xac/\xd1\x84\xd0\xb0\xd0\xb9\xd0\xbb-"
             "\xf0\x9f\x98\x80.txt",
             compressibleBytes(1000)});
        return list;
    }
    static void expectOwnReaderAgrees(const std::string& path, const std::vector<Entry>& list,
                                      const DWFString& password)
    {
        zipio::ZipReader* reader = zipio::unzOpenFile(DWFString(path.c_str()));
        ASSERT_NE(reader, nullptr);
        EXPECT_EQ(zipio::unzEntryCount(reader), list.size());
        for (const Entry& e : list)
        {
            std::vector<unsigned char> out;
            EXPECT_EQ(zipio::unzExtractEntry(reader, e.name, password, out, 8u << 20), 0) << e.utf8;
            EXPECT_TRUE(Bytes(out.begin(), out.end()) == e.content) << e.utf8;
        }
        zipio::unzClose(reader);
    }
    static void checkListing(const ToolResult& listing, const std::vector<Entry>& list,
                             bool encrypted)
    {
        ASSERT_EQ(listing.status, 0) << listing.output;
        EXPECT_EQ(listing.output.find("BAD"), std::string::npos) << listing.output;
        for (const Entry& e : list)
        {
            char crc[16];
            std::snprintf(crc, sizeof crc, "%08x",
                          static_cast<unsigned>(
                              ::crc32(0, e.content.data(), static_cast<uInt>(e.content.size()))));
            const std::string line = e.utf8 + "|" + crc + "|";
            const size_t at = listing.output.find(line);
            ASSERT_NE(at, std::string::npos) << line << "\n" << listing.output;
            const std::string rest = listing.output.substr(at, listing.output.find('\n', at) - at);
            EXPECT_NE(rest.find("|" + std::to_string(e.content.size()) + "|"), std::string::npos)
                << rest;
            EXPECT_NE(rest.find(hexDigest(e.content)), std::string::npos) << rest;
            const bool flagged = rest.find(encrypted ? "|9|8|" : "|0|8|") != std::string::npos ||
                                 rest.find(encrypted ? "|11|8|" : "|2|8|") != std::string::npos ||
                                 rest.find(encrypted ? "|15|8|" : "|6|8|") != std::string::npos;
            EXPECT_TRUE(flagged) << rest;
        }
    }
};

TEST_P(ZipWriterTools, PackageReadsInPythonAndUnzip)
{
    if (!haveTool("python3"))
    {
        GTEST_SKIP() << "python3 is not installed";
    }
    ScratchDir dir;
    const std::string path = dir.file("package.dwf");
    const std::vector<Entry> list = entries(3u << 20);
    {
        DWFToolkit::DWFPackageFileDescriptor package(DWFFile(path.c_str()), GetParam(), 6, 0);
        package.open();
        for (const Entry& e : list)
        {
            writeEntry(package, e.name, e.content);
        }
        package.close();
    }
    const Bytes head = readFile(path);
    ASSERT_GE(head.size(), 12u);
    EXPECT_EQ(std::string(head.begin(), head.begin() + 12), "(DWF V06.00)");
    checkListing(pythonListing(path), list, false);
    expectOwnReaderAgrees(path, list, DWFString());
    if (haveTool("unzip"))
    {
        const ToolResult test = runTool("unzip -t '" + path + "'");
        EXPECT_EQ(test.status, 0) << test.output;
        EXPECT_NE(test.output.find("No errors detected"), std::string::npos) << test.output;
    }
}

TEST_P(ZipWriterTools, EncryptedArchiveReadsInPythonAnd7z)
{
    if (!haveTool("python3"))
    {
        GTEST_SKIP() << "python3 is not installed";
    }
    ScratchDir dir;
    const std::string path = dir.file("locked.zip");
    const std::vector<Entry> list = entries(512u << 10);
    {
        DWFZipFileDescriptor archive(DWFFile(path.c_str()), GetParam());
        archive.open();
        for (const Entry& e : list)
        {
            writeEntry(archive, e.name, e.content, DWFString(u"PASSWORD"));
        }
        archive.close();
    }
    checkListing(pythonListing(path, "PASSWORD"), list, true);
    expectOwnReaderAgrees(path, list, DWFString(u"PASSWORD"));
    const ToolResult wrong = pythonListing(path, "password");
    EXPECT_EQ(wrong.output.find(hexDigest(list[1].content)), std::string::npos);
    if (!haveTool("7z"))
    {
        GTEST_SKIP() << "7z is not installed (package p7zip-full)";
    }
    const ToolResult good = runTool("7z t -pPASSWORD '" + path + "'");
    EXPECT_EQ(good.status, 0) << good.output;
    EXPECT_NE(good.output.find("Everything is Ok"), std::string::npos) << good.output;
    const ToolResult bad = runTool("7z t -pWRONG '" + path + "'");
    EXPECT_NE(bad.status, 0) << bad.output;
}

INSTANTIATE_TEST_SUITE_P(Levels, ZipWriterTools, ::testing::Values(1, 6, 9));

} // namespace

TEST(ZipWriter, APrefixThatCannotBeWrittenSaysWhy)
{
    // The output's own failure reaches the caller; a short write without
    // one gives null. Either way the descriptor is gone.
    Bytes a;
    const char prefix[] = "(DWF V06.00)";
    EXPECT_THROW(zipio::zipOpen(new MemoryDescriptor(&a, 4, true), prefix, 12), DWFIOException);
    EXPECT_EQ(zipio::zipOpen(new MemoryDescriptor(&a, 4, false), prefix, 12), nullptr);
}
