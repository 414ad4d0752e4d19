#include "dwfcore/BufferInputStream.h"
#include "dwfcore/zip/Format.h"
#include "dwfcore/zip/PackageFileDescriptor.h"
#include "dwfcore/zip/Reader.h"
#include "dwfcore/zip/Writer.h"
#include "dwfcore/zip/ZipFileDescriptor.h"

#include "ZipTestSupport.h"

#include <memory>

using namespace DWFCore;
using namespace ziptest;

namespace
{

struct Item
{
    const char16_t* name;
    Bytes content;
};

// An archive in memory, written by our writer; `prefix` bytes precede it and
// count in its offsets.
Bytes buildArchive(const std::vector<Item>& items, const char16_t* password = nullptr,
                   const char* prefix = nullptr, int method = zipio::kMethodDeflate)
{
    Bytes archive;
    zipio::ZipWriter* writer = zipio::zipOpen(new MemoryDescriptor(&archive), prefix,
                                              prefix != nullptr ? std::strlen(prefix) : 0);
    for (const Item& item : items)
    {
        EXPECT_EQ(zipio::zipOpenNewFileInZip(writer, DWFString(item.name), nullptr, nullptr, 0,
                                             nullptr, 0, DWFString(), method, 6,
                                             DWFString(password)),
                  0);
        EXPECT_EQ(zipio::zipWriteInFileInZip(writer, item.content.data(), item.content.size()), 0);
    }
    EXPECT_EQ(zipio::zipClose(writer, nullptr), 0);
    return archive;
}

// Owns the stream and the reader over a byte vector.
struct OpenedArchive
{
    explicit OpenedArchive(const Bytes& bytes)
        : stream(bytes.data(), bytes.size()), reader(zipio::unzOpenStream(&stream))
    {
    }
    ~OpenedArchive() { zipio::unzClose(reader); }
    DWFBufferInputStream stream;
    zipio::ZipReader* reader;
};

std::vector<Item> sampleItems()
{
    return {{u"manifest.xml", compressibleBytes(2000)},
            {u"dir/noise.bin", noiseBytes(70000)},
            {u"empty", Bytes()},
            {u"\u00e9t\u00e9.txt", compressibleBytes(100)}};
}

TEST(ZipReader, ReadsBackWhatTheWriterWrote)
{
    for (const char16_t* password : {static_cast<const char16_t*>(nullptr), u"s3cret"})
    {
        const std::vector<Item> items = sampleItems();
        const Bytes archive = buildArchive(items, password, "(DWF V06.00)");
        OpenedArchive opened(archive);
        ASSERT_NE(opened.reader, nullptr);
        EXPECT_EQ(zipio::unzEntryCount(opened.reader), items.size());
        // Offsets count the header, so nothing lies before the archive.
        EXPECT_EQ(zipio::unzBytesBeforeArchive(opened.reader), 0u);
        for (const Item& item : items)
        {
            std::vector<unsigned char> out;
            EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(item.name),
                                             DWFString(password), out, 1 << 20),
                      0);
            EXPECT_EQ(Bytes(out.begin(), out.end()), item.content);
        }
    }
}

TEST(ZipReader, ToleratesBytesBeforeAnArchiveThatDoesNotCountThem)
{
    const std::vector<Item> items = sampleItems();
    Bytes archive = buildArchive(items);
    const std::string header = "(DWF V06.00)";
    archive.insert(archive.begin(), header.begin(), header.end());
    OpenedArchive opened(archive);
    ASSERT_NE(opened.reader, nullptr);
    EXPECT_EQ(zipio::unzBytesBeforeArchive(opened.reader), 12u);
    std::vector<unsigned char> out;
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"dir/noise.bin"), DWFString(), out,
                                     1 << 20),
              0);
    EXPECT_EQ(Bytes(out.begin(), out.end()), items[1].content);
}

TEST(ZipReader, IndexNormalisesAndSortsNamesWithoutCase)
{
    const Bytes archive = buildArchive({{u"/Top/Inner/File.TXT", {1}},
                                        {u"zeta", {2}},
                                        {u"Apple", {3}},
                                        {u"\\\\lead", {4}},
                                        {u"apple", {5}},
                                        {u"banana", {6}}});
    OpenedArchive opened(archive);
    ASSERT_NE(opened.reader, nullptr);
    std::vector<std::string> names;
    for (const zipio::ZipIndexRecord& r : zipio::unzIndex(opened.reader))
    {
        names.push_back(r.name);
    }
    const std::vector<std::string> expected = {
        "Apple", "apple", "banana", "lead", "Top\\Inner\\File.TXT", "zeta"};
    EXPECT_EQ(names, expected);
    // Lookup takes either separator and any case; an exact-case name wins.
    std::vector<unsigned char> out;
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"top/inner/file.txt"), DWFString(),
                                     out, 16),
              0);
    EXPECT_EQ(out, std::vector<unsigned char>{1});
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"apple"), DWFString(), out, 16), 0);
    EXPECT_EQ(out, std::vector<unsigned char>{5});
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"APPLE"), DWFString(), out, 16), 0);
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"missing"), DWFString(), out, 16),
              zipio::kEndOfList);
}

TEST(ZipReader, WalksEntriesInDirectoryOrder)
{
    const Bytes archive = buildArchive({{u"b", {1}}, {u"a", {2, 2}}});
    OpenedArchive opened(archive);
    ASSERT_NE(opened.reader, nullptr);
    char name[8];
    zipio::ZipEntryInfo info;
    ASSERT_EQ(zipio::unzFirstEntry(opened.reader), 0);
    ASSERT_EQ(
        zipio::unzGetEntryInfo(opened.reader, &info, name, sizeof name, nullptr, 0, nullptr, 0), 0);
    EXPECT_STREQ(name, "b");
    EXPECT_EQ(info.uncompressedSize, 1u);
    EXPECT_GE(info.year, 2020);
    EXPECT_LE(info.month, 11);
    ASSERT_EQ(zipio::unzNextEntry(opened.reader), 0);
    ASSERT_EQ(
        zipio::unzGetEntryInfo(opened.reader, &info, name, sizeof name, nullptr, 0, nullptr, 0), 0);
    EXPECT_STREQ(name, "a");
    EXPECT_EQ(zipio::unzNextEntry(opened.reader), zipio::kEndOfList);
}

TEST(ZipReader, LongNamesAreCutToTheCallersBufferAndTerminated)
{
    std::u16string longName(300, u'n');
    longName[299] = u'z';
    const Bytes archive = buildArchive({{longName.c_str(), {7}}});
    OpenedArchive opened(archive);
    ASSERT_NE(opened.reader, nullptr);
    char name[256];
    std::memset(name, 'X', sizeof name);
    ASSERT_EQ(
        zipio::unzGetEntryInfo(opened.reader, nullptr, name, sizeof name, nullptr, 0, nullptr, 0),
        0);
    EXPECT_EQ(std::strlen(name), 255u);
    // The index keeps the whole name, so the entry is still found.
    std::vector<unsigned char> out;
    EXPECT_EQ(
        zipio::unzExtractEntry(opened.reader, DWFString(longName.c_str()), DWFString(), out, 4), 0);
}

TEST(ZipReader, PasswordsAndCorruptDataAreReported)
{
    const Bytes archive = buildArchive({{u"locked", compressibleBytes(5000)}}, u"right");
    {
        OpenedArchive opened(archive);
        std::vector<unsigned char> out;
        EXPECT_EQ(
            zipio::unzExtractEntry(opened.reader, DWFString(u"locked"), DWFString(), out, 1 << 20),
            zipio::kErrPassword);
        // A wrong password fails the check byte, or (1 in 256) the data.
        EXPECT_NE(zipio::unzExtractEntry(opened.reader, DWFString(u"locked"), DWFString(u"wrong"),
                                         out, 1 << 20),
                  0);
        EXPECT_TRUE(out.empty());
        // Declared sizes above the caller's cap are refused before reading.
        EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"locked"), DWFString(u"right"),
                                         out, 100),
                  zipio::kErrParam);
    }
    // A stored entry whose recorded CRC is wrong fails on close.
    Bytes stored = buildArchive({{u"s", Bytes(64, 's')}}, nullptr, nullptr, zipio::kMethodStored);
    const size_t central = stored.size() - 22 - 47;
    stored[central + 16] ^= 0x01;
    OpenedArchive opened(stored);
    ASSERT_NE(opened.reader, nullptr);
    std::vector<unsigned char> out;
    EXPECT_EQ(zipio::unzExtractEntry(opened.reader, DWFString(u"s"), DWFString(), out, 1 << 20),
              zipio::kErrCRC);
}

TEST(ZipReaderHostile, MissingEndRecordGivesNullAndLyingRecordsThrow)
{
    const Bytes noise = noiseBytes(100000, 5);
    {
        DWFBufferInputStream stream(noise.data(), noise.size());
        EXPECT_EQ(zipio::unzOpenStream(&stream), nullptr);
    }
    const Bytes good = buildArchive({{u"a", {1}}, {u"b", {2}}});
    const size_t end = good.size() - 22;
    auto expectBad = [](Bytes bytes)
    {
        DWFBufferInputStream stream(bytes.data(), bytes.size());
        try
        {
            zipio::ZipReader* reader = zipio::unzOpenStream(&stream);
            zipio::unzClose(reader);
            ADD_FAILURE() << "opened";
        }
        catch (const DWFInvalidTypeException& e)
        {
            EXPECT_EQ(std::u16string(e.message()), u"Bad zip file");
        }
    };
    Bytes counts = good;
    counts[end + 8] = 1; // entries on this disk differ from the total
    expectBad(counts);
    Bytes more = good;
    more[end + 8] = more[end + 10] = 3; // more entries than records
    expectBad(more);
    Bytes many = good;
    many[end + 8] = many[end + 10] = 0xFF; // more than the directory can hold
    expectBad(many);
    Bytes offset = good;
    offset[end + 19] = 0x7F; // directory beyond the end record
    expectBad(offset);
    Bytes disk = good;
    disk[end + 4] = 1;
    expectBad(disk);
    Bytes signature = good;
    signature[le32(good, end + 16)] = 'Q'; // first central record damaged
    expectBad(signature);
    Bytes nameLength = good;
    nameLength[le32(good, end + 16) + 29] = 0x40; // name runs past the directory
    expectBad(nameLength);
}

// Every truncation and every single-byte change of a valid archive gives an
// error or a result, never a crash, an over-read or a hang.
TEST(ZipReaderHostile, TruncatedAndMutatedArchives)
{
    const Bytes archive =
        buildArchive({{u"one.txt", compressibleBytes(600)}, {u"two/noise", noiseBytes(300)}},
                     nullptr, "(DWF V06.00)");
    auto exercise = [](const Bytes& bytes)
    {
        DWFBufferInputStream stream(bytes.data(), bytes.size());
        zipio::ZipReader* reader = nullptr;
        try
        {
            reader = zipio::unzOpenStream(&stream);
        }
        catch (const DWFInvalidTypeException&)
        {
            return;
        }
        if (reader == nullptr)
        {
            return;
        }
        for (const zipio::ZipIndexRecord& record : zipio::unzIndex(reader))
        {
            std::vector<unsigned char> out;
            zipio::unzExtractEntry(reader, DWFString(record.name.c_str()), DWFString(u"pw"), out,
                                   1 << 16);
        }
        zipio::unzClose(reader);
    };
    for (size_t length = 0; length < archive.size(); ++length)
    {
        exercise(Bytes(archive.begin(), archive.begin() + length));
    }
    for (size_t at = 0; at < archive.size(); ++at)
    {
        for (uint8_t flip : {0x01, 0x80, 0xFF})
        {
            Bytes mutated = archive;
            mutated[at] ^= flip;
            exercise(mutated);
        }
    }
}

TEST(ZipReaderHostile, OneByteAtATimeReadsTheSame)
{
    const std::vector<Item> items = sampleItems();
    const Bytes archive = buildArchive(items, u"pw");
    DWFBufferInputStream source(archive.data(), archive.size());
    TrickleStream trickle(source);
    zipio::ZipReader* reader = zipio::unzOpenStream(&trickle);
    ASSERT_NE(reader, nullptr);
    for (const Item& item : items)
    {
        std::vector<unsigned char> out;
        EXPECT_EQ(
            zipio::unzExtractEntry(reader, DWFString(item.name), DWFString(u"pw"), out, 1 << 20),
            0);
        EXPECT_EQ(Bytes(out.begin(), out.end()), item.content);
    }
    zipio::unzClose(reader);
}

TEST(ZipReader, ReadsInSmallChunksAndReportsTheOffset)
{
    const Bytes content = compressibleBytes(40000);
    const Bytes archive = buildArchive({{u"chunked", content}});
    OpenedArchive opened(archive);
    ASSERT_EQ(zipio::unzLocateEntry(opened.reader, DWFString(u"chunked")), 0);
    EXPECT_EQ(zipio::unzEntryOffset(opened.reader), zipio::kErrParam);
    ASSERT_EQ(zipio::unzOpenEntry(opened.reader, DWFString()), 0);
    Bytes read;
    unsigned char chunk[777];
    long got;
    while ((got = zipio::unzReadEntry(opened.reader, chunk, sizeof chunk)) > 0)
    {
        read.insert(read.end(), chunk, chunk + got);
        EXPECT_EQ(zipio::unzEntryOffset(opened.reader), static_cast<long>(read.size()));
    }
    EXPECT_EQ(got, 0);
    EXPECT_EQ(read, content);
    EXPECT_EQ(zipio::unzCloseEntry(opened.reader), 0);
}

TEST(ZipFileDescriptorUnzip, OpensPackagesFromFiles)
{
    ScratchDir dir;
    const std::string path = dir.file("p.dwf");
    writeFile(path, buildArchive(sampleItems(), nullptr, "(DWF V06.00)"));
    DWFZipFileDescriptor descriptor(DWFFile(path.c_str()), DWFZipFileDescriptor::kUnzip);
    EXPECT_THROW(descriptor.read(nullptr, 0), DWFIOException);
    descriptor.open();
    EXPECT_THROW(descriptor.open(), DWFIOException);
    ASSERT_NE(descriptor.reader(), nullptr);
    EXPECT_EQ(zipio::unzEntryCount(descriptor.reader()), 4u);
    EXPECT_EQ(descriptor.seek(SEEK_SET, 0), zipio::kErrParam);
    char head[12];
    EXPECT_EQ(descriptor.read(head, sizeof head), sizeof head);
    EXPECT_EQ(std::string(head, sizeof head), "(DWF V06.00)");
    EXPECT_THROW(descriptor.zip(DWFString(u"x")), DWFIOException);
    descriptor.close();
    EXPECT_EQ(descriptor.reader(), nullptr);

    const std::string bad = dir.file("bad.dwf");
    writeFile(bad, noiseBytes(5000));
    DWFZipFileDescriptor other(DWFFile(bad.c_str()), DWFZipFileDescriptor::kUnzip);
    try
    {
        other.open();
        ADD_FAILURE() << "opened noise";
    }
    catch (const DWFIOException& e)
    {
        EXPECT_EQ(std::u16string(e.message()), u"Failed to open zip archive for unzipping");
    }
}

} // namespace
