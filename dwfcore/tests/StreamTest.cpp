#include "dwfcore/BufferInputStream.h"
#include "dwfcore/BufferOutputStream.h"
#include "dwfcore/EncodingOutputStream.h"
#include "dwfcore/FileInputStream.h"
#include "dwfcore/FileOutputStream.h"
#include "dwfcore/StreamFileDescriptor.h"

#include "ZipTestSupport.h"

#include <climits>
#include <memory>
#include <unistd.h>

using namespace DWFCore;
using namespace ziptest;

namespace
{

// Collects what reaches it, for checking what a stream passes on.
class Collector : public DWFOutputStream
{
public:
    void flush() override { ++flushes; }
    size_t write(const void* buffer, size_t bytes) override
    {
        const uint8_t* p = static_cast<const uint8_t*>(buffer);
        writes.emplace_back(p, p + bytes);
        bytesSeen.insert(bytesSeen.end(), p, p + bytes);
        return bytes;
    }
    std::vector<Bytes> writes;
    Bytes bytesSeen;
    int flushes = 0;
};

TEST(DWFBufferInputStream, ReadsAreLimitedAndSeeksClamped)
{
    const Bytes data = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    DWFBufferInputStream stream(data.data(), data.size());
    uint8_t out[20];
    EXPECT_EQ(stream.read(out, 20), 10u);
    EXPECT_EQ(stream.available(), 0u);
    EXPECT_EQ(stream.read(out, 20), 0u);

    EXPECT_EQ(stream.seek(SEEK_SET, 4), 10);
    EXPECT_EQ(stream.available(), 6u);
    EXPECT_EQ(stream.seek(SEEK_CUR, 100), 4); // clamped to the end
    EXPECT_EQ(stream.available(), 0u);
    EXPECT_EQ(stream.read(out, 1), 0u);
    EXPECT_EQ(stream.seek(SEEK_END, -3), 10);
    ASSERT_EQ(stream.read(out, 5), 3u);
    EXPECT_EQ(out[0], 7);
    stream.seek(SEEK_CUR, -100); // clamped to the start
    EXPECT_EQ(stream.available(), 10u);
    stream.seek(SEEK_CUR, LONG_MAX);
    EXPECT_EQ(stream.available(), 0u);
    stream.seek(SEEK_END, LONG_MIN);
    EXPECT_EQ(stream.available(), 10u);
    EXPECT_THROW(stream.seek(7, 0), DWFInvalidArgumentException);
}

TEST(DWFBufferInputStream, ChainedStreamIsForwardedAndOwned)
{
    const Bytes data = {1, 2, 3};
    auto* inner = new DWFBufferInputStream(data.data(), data.size());
    DWFBufferInputStream outer(inner, true);
    EXPECT_EQ(outer.available(), 3u);
    uint8_t b;
    outer.read(&b, 1);
    EXPECT_EQ(inner->available(), 2u);
    // Replacing an owned stream deletes it (ASan reports a leak otherwise).
    outer.chainInputStream(new DWFBufferInputStream(data.data(), 1), true);
    EXPECT_EQ(outer.available(), 1u);
}

TEST(DWFBufferOutputStream, GrowsUpToItsMaximum)
{
    DWFBufferOutputStream stream(16, 64);
    const Bytes a = noiseBytes(10), b = noiseBytes(20, 3), c(31, 'c');
    EXPECT_EQ(stream.write(a.data(), a.size()), 10u);
    EXPECT_EQ(stream.write(b.data(), b.size()), 20u);
    EXPECT_THROW(stream.write(c.data(), c.size()), DWFIOException);
    EXPECT_EQ(stream.bytes(), 30u);
    void* copy = nullptr;
    ASSERT_EQ(stream.buffer(&copy), 30u);
    Bytes expected(30);
    std::copy(a.begin(), a.end(), expected.begin());
    std::copy(b.begin(), b.end(), expected.begin() + 10);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(copy), static_cast<uint8_t*>(copy) + 30), expected);
    delete[] static_cast<uint8_t*>(copy);
    EXPECT_EQ(std::memcmp(stream.rawBuffer(), expected.data(), 30), 0);
    // A smaller write that fits still succeeds after the refusal.
    EXPECT_EQ(stream.write("x", 1), 1u);
    EXPECT_THROW(stream.buffer(nullptr), DWFInvalidArgumentException);

    DWFBufferOutputStream unbuffered(0);
    EXPECT_THROW(unbuffered.write("x", 1), DWFNullPointerException);
    void* none = &none;
    EXPECT_EQ(unbuffered.buffer(&none), 0u);
    EXPECT_EQ(none, nullptr);
}

TEST(DWFBufferOutputStream, WriteThroughPassesBytesOnInOrder)
{
    auto* sink = new Collector;
    {
        DWFBufferOutputStream stream(sink, false, 8);
        stream.write("abcde", 5);
        EXPECT_TRUE(sink->writes.empty());
        stream.write("fghij", 5);
        ASSERT_EQ(sink->writes.size(), 1u);
        EXPECT_EQ(sink->writes[0], Bytes({'a', 'b', 'c', 'd', 'e'}));
        const Bytes big(40, 'z');
        stream.write(big.data(), big.size());
        stream.flush();
        EXPECT_EQ(sink->flushes, 1);
        stream.write("lost", 4); // never flushed: dropped by the destructor
    }
    Bytes expected = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j'};
    expected.insert(expected.end(), 40, 'z');
    EXPECT_EQ(sink->bytesSeen, expected);
    delete sink;
}

TEST(DWFEncodingOutputStreams, EncodeOnTheWay)
{
    auto* sink = new Collector;
    DWFUTF8EncodingOutputStream utf8(sink, true);
    const std::u16string text = u"a\u00e9\u20ac\U0001F600";
    EXPECT_EQ(utf8.write(text.data(), text.size() * 2), 10u);
    EXPECT_EQ(sink->bytesSeen, Bytes({'a', 0xC3, 0xA9, 0xE2, 0x82, 0xAC, 0xF0, 0x9F, 0x98, 0x80}));
    EXPECT_EQ(utf8.bytesEncoded(), 10u);
    utf8.flush();
    EXPECT_EQ(sink->flushes, 1);

    Collector wideSink;
    DWFXMLEncodingOutputStream wide(&wideSink, false, true);
    const std::u16string markup = u"a<b";
    wide.write(markup.c_str(), markup.size() * 2);
    const std::u16string expected = u"a&lt;b";
    ASSERT_EQ(wideSink.bytesSeen.size(), expected.size() * 2);
    EXPECT_EQ(std::memcmp(wideSink.bytesSeen.data(), expected.data(), expected.size() * 2), 0);

    Collector narrowSink;
    DWFXMLEncodingOutputStream narrow(&narrowSink, false);
    narrow.write("x&\"y", 4);
    EXPECT_EQ(std::string(narrowSink.bytesSeen.begin(), narrowSink.bytesSeen.end()),
              "x&amp;&quot;y");
    // A replaced stream restarts the count.
    narrow.attach(&wideSink, false);
    EXPECT_EQ(narrow.bytesEncoded(), 0u);

    DWFUTF8EncodingOutputStream unchained(nullptr, false);
    EXPECT_THROW(unchained.write(u"a", 2), DWFNullPointerException);
    EXPECT_THROW(unchained.flush(), DWFNullPointerException);
}

TEST(DWFFileStreams, ReadWriteAndClampedSeeks)
{
    ScratchDir dir;
    const std::string path = dir.file("data.bin");
    const Bytes data = noiseBytes(1000);
    {
        DWFFileOutputStream out;
        EXPECT_THROW(out.write("x", 1), DWFInvalidArgumentException);
        EXPECT_THROW(out.flush(), DWFInvalidArgumentException);
        EXPECT_THROW(out.attach(nullptr, true), DWFInvalidArgumentException);
        auto* descriptor = new DWFStreamFileDescriptor(DWFFile(path.c_str()), DWFString(u"wb"));
        descriptor->open();
        out.attach(descriptor, true);
        EXPECT_EQ(out.write(data.data(), data.size()), data.size());
        out.flush();
    }
    DWFFileInputStream in;
    EXPECT_THROW(in.available(), DWFInvalidArgumentException);
    EXPECT_THROW(in.read(nullptr, 1), DWFInvalidArgumentException);
    EXPECT_THROW(in.seek(SEEK_SET, 0), DWFInvalidArgumentException);
    auto* descriptor = new DWFStreamFileDescriptor(DWFFile(path.c_str()), DWFString(u"rb"));
    descriptor->open();
    in.attach(descriptor, true);
    EXPECT_EQ(in.available(), 1000u);
    uint8_t buffer[100];
    EXPECT_EQ(in.read(buffer, 100), 100u);
    EXPECT_EQ(in.available(), 900u);
    EXPECT_EQ(in.seek(SEEK_CUR, -50), 100);
    EXPECT_EQ(in.available(), 950u);
    ASSERT_EQ(in.read(buffer, 1), 1u);
    EXPECT_EQ(buffer[0], data[50]);
    in.seek(SEEK_END, -10);
    EXPECT_EQ(in.available(), 10u);
    in.seek(SEEK_CUR, 5000);
    EXPECT_EQ(in.available(), 0u);
    in.seek(SEEK_SET, -5);
    EXPECT_EQ(in.available(), 1000u);
    // Re-attaching releases the owned descriptor.
    auto* again = new DWFStreamFileDescriptor(DWFFile(path.c_str()), DWFString(u"rb"));
    again->open();
    in.attach(again, true);
    EXPECT_EQ(in.available(), 1000u);
}

TEST(DWFFileStreams, ShrunkenFileEndsTheCopyLoop)
{
    ScratchDir dir;
    const std::string path = dir.file("shrinks.bin");
    writeFile(path, noiseBytes(50000));
    DWFFileInputStream in;
    auto* descriptor = new DWFStreamFileDescriptor(DWFFile(path.c_str()), DWFString(u"rb"));
    descriptor->open();
    in.attach(descriptor, true);
    ASSERT_EQ(::truncate(path.c_str(), 1000), 0);
    uint8_t buffer[16384];
    size_t total = 0;
    int rounds = 0;
    while (in.available() > 0 && rounds < 100)
    {
        total += in.read(buffer, sizeof buffer);
        ++rounds;
    }
    EXPECT_LT(rounds, 100);
    EXPECT_EQ(total, 1000u);
}

} // namespace
