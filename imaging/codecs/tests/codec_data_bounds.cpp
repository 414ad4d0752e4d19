// Files whose headers claim far more picture than their data holds: every
// reader refuses them or stops with "Corrupt image file" after no more rows
// than the bytes present can describe, so the work a small file causes is
// bounded by its size. Rows are counted, never timed. Also: the bilevel
// decoder's diagnostics never reach standard output.
#include "CodecTestFiles.h"
#include "MemoryFile.h"

#include "imaging/DataBuffer.h"
#include "imaging/codecs/cals/CcittDecoder.h"
#include "imaging/codecs/cals/CcittDiagnostics.h"
#include "imaging/codecs/cals/CcittEncoder.h"
#include "imaging/codecs/pcx/PcxHeader.h"
#include "imaging/codecs/tests/BitonalTestImages.h"
#include "imaging/codecs/tests/JpegTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unistd.h>

using namespace Omvi;
using OmviTest::Bytes;

namespace
{

// Any frame whose row is larger than this is itself a runaway allocation.
constexpr std::int32_t kLargestRowBytes = 1 << 24;

struct Outcome
{
    bool refused = false;     // no reader, frame or row iterator
    std::int64_t rows = 0;    // rows delivered by getRow
    int code = -1;            // the codec exception's code, -1 for none
    std::int32_t rowCount = 0;
};

// Reads frame 0 row by row, at most `cap` rows, counting the rows delivered
// before the reader ends them.
Outcome readRows(ImageFormatCodec& codec, const Bytes& bytes, std::int64_t cap)
{
    Outcome outcome;
    const OmviTest::MemoryFile file(bytes);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> frame;
    std::unique_ptr<RowIteratorInterface> rows;
    try
    {
        // Some readers find the header damaged only when the frame opens.
        if (reader)
            frame.reset(reader->openFrame(0));
        if (frame)
            rows.reset(frame->newRowIterator());
        if (!rows)
        {
            outcome.refused = true;
            return outcome;
        }
        outcome.rowCount = rows->rowCount();
        EXPECT_LE(rows->bytesPerRow(), kLargestRowBytes);
        if (rows->bytesPerRow() > kLargestRowBytes)
            return outcome;
        DataBuffer row(std::max(rows->bytesPerRow(), 1));
        rows->start();
        for (std::int64_t r = 0; r < rows->rowCount() && r < cap; ++r)
        {
            rows->getRow(row);
            ++outcome.rows;
            rows->next();
        }
        rows->finish();
    }
    catch (FormatCodecException* failure)
    {
        outcome.code = failure->code();
        delete failure;
    }
    catch (OMVIException* failure)
    {
        outcome.code = -2;
        delete failure;
    }
    return outcome;
}

// Refused, or ended by "Corrupt image file" within `bound` rows.
void expectBounded(ImageFormatCodec& codec, const Bytes& bytes, std::int64_t bound, const std::string& what)
{
    const Outcome outcome = readRows(codec, bytes, bound + 1);
    if (outcome.refused)
        return;
    EXPECT_EQ(outcome.code, 8) << what << ": " << outcome.rows << " rows of " << outcome.rowCount;
    EXPECT_LE(outcome.rows, bound) << what;
}

// Bytes no coder would make: a fixed pseudo-random run.
Bytes noise(std::size_t count, std::uint32_t seed)
{
    Bytes bytes(count);
    for (std::uint8_t& byte : bytes)
    {
        seed = seed * 1664525u + 1013904223u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    return bytes;
}

// A CALS header claiming `pels` x `lines` over `data`.
Bytes calsOver(const std::string& pelCount, const Bytes& data)
{
    Bytes file = OmviTest::calsFile();
    file.resize(2048);
    std::string record = "rpelcnt: " + pelCount;
    record.resize(128, ' ');
    std::copy(record.begin(), record.end(), file.begin() + 8 * 128);
    file.insert(file.end(), data.begin(), data.end());
    return file;
}

// The code of a bilevel image in `mode`, the first code bit the most
// significant.
Bytes coded(const OmviTest::BitonalImage& image, int mode)
{
    Encoder encoder;
    EXPECT_TRUE(encoder.setup(mode, CcittFillOrder::kMostSignificantFirst, 0, image.width));
    Bytes code(static_cast<std::size_t>(Encoder::worstCaseRowBytes(image.width) * (image.height + 1)));
    std::int32_t produced = 0;
    EXPECT_TRUE(encoder.encodeBlock(image.bits.data(), static_cast<std::int32_t>(image.bits.size()), code.data(),
                                    static_cast<std::int32_t>(code.size()), &produced));
    code.resize(static_cast<std::size_t>(produced));
    return code;
}

// The Group 4 code of `rows` white rows of `width` pels, ended by the
// end-of-block code.
Bytes whiteGroup4(std::int32_t width, std::int32_t rows)
{
    return coded(OmviTest::blankBitonal(width, rows), CcittMode::kGroup4);
}

// Everything written to standard output while `work` runs.
template <typename Work>
std::string standardOutputOf(Work&& work)
{
    std::fflush(stdout);
    std::FILE* capture = std::tmpfile();
    const int saved = ::dup(1);
    ::dup2(::fileno(capture), 1);
    work();
    std::fflush(stdout);
    ::dup2(saved, 1);
    ::close(saved);
    std::string text;
    std::rewind(capture);
    for (int c = std::fgetc(capture); c != EOF; c = std::fgetc(capture))
        text.push_back(static_cast<char>(c));
    std::fclose(capture);
    return text;
}

} // namespace

TEST(CodecDataBounds, CalsLinesEndWithTheirGroup4Code)
{
    CalsFormatCodec codec;
    // The largest line count the header's numbers hold over a few bytes that
    // are no Group 4 code: refused at the first line, not 2^31 white ones.
    const Bytes garbage = noise(24, 5);
    const Bytes hostile = calsOver("002000,2147483647", garbage);
    std::string printed = standardOutputOf([&] { expectBounded(codec, hostile, 8 * 24, "garbage"); });
    EXPECT_EQ(printed, "");
    // The same in a file of ordinary size: an error, not white rows.
    expectBounded(codec, calsOver("000200,000300", garbage), 8 * 24, "ordinary garbage");
    // Valid code for 12 white rows under a claim of 999999 x 2^31 - 1: the
    // 12 rows come, then the error.
    const Outcome twelve = readRows(codec, calsOver("999999,2147483647", whiteGroup4(999999, 12)), 100);
    EXPECT_EQ(twelve.rows, 12);
    EXPECT_EQ(twelve.code, 8);
    // No data at all.
    expectBounded(codec, calsOver("999999,999999", {}), 0, "empty");
}

TEST(CodecDataBounds, Group4DecodingStopsAtADamagedCode)
{
    OmviTest::CapturedDiagnostics diagnostics;
    Decoder decoder;
    // An extension code first: no row can be read, and none is made up.
    ASSERT_TRUE(decoder.setup(CcittMode::kGroup4, CcittFillOrder::kMostSignificantFirst, 64));
    const Bytes extension = {0x02, 0x55, 0xAA, 0x55, 0xAA};
    Bytes rows(8 * 40, 0xAA);
    EXPECT_FALSE(decoder.decodeBlock(extension.data(), static_cast<std::int32_t>(extension.size()), rows.data(),
                                     static_cast<std::int32_t>(rows.size())));
    EXPECT_EQ(rows, Bytes(rows.size(), 0));
    EXPECT_TRUE(diagnostics.contains("Unsupported extentsion")) << diagnostics.text();

    // Damage in the middle of a page: the rows before it come as coded; from
    // the first row that differs on, every row is white and the answer false.
    const OmviTest::BitonalImage page = OmviTest::textLikeBitonal(200, 60);
    Bytes damaged = coded(page, CcittMode::kGroup4);
    std::fill(damaged.begin() + static_cast<std::ptrdiff_t>(damaged.size() / 2), damaged.end(), std::uint8_t{0x02});
    ASSERT_TRUE(decoder.setup(CcittMode::kGroup4, CcittFillOrder::kMostSignificantFirst, 200));
    OmviTest::BitonalImage back = OmviTest::blankBitonal(200, 60);
    EXPECT_FALSE(decoder.decodeBlock(damaged.data(), static_cast<std::int32_t>(damaged.size()), back.bits.data(),
                                     static_cast<std::int32_t>(back.bits.size())));
    int first = 0;
    while (first < 60 && std::equal(back.row(first), back.row(first) + back.rowBytes(), page.row(first)))
        ++first;
    EXPECT_GT(first, 5);
    EXPECT_LT(first, 60);
    for (int r = first + 1; r < 60; ++r)
        EXPECT_EQ(std::count(back.row(r), back.row(r) + back.rowBytes(), 0), back.rowBytes()) << r;
}

TEST(CodecDataBounds, DiagnosticsAreCappedAndNeverPrinted)
{
    // Every test puts back the sink it found: this is the one a program
    // starts with, and it reports nothing.
    const CcittDiagnosticSink initial = setCcittDiagnosticSink(nullptr);
    setCcittDiagnosticSink(initial);
    EXPECT_EQ(initial, nullptr);

    // 500 rows of 8 pels read at width 20: one complaint a row, at most
    // the cap of them a page.
    const Bytes code = coded(OmviTest::blankBitonal(8, 500), CcittMode::kGroup3OneDimensional);
    Bytes rows(3 * 500);
    Decoder decoder;
    ASSERT_TRUE(decoder.setup(CcittMode::kGroup3OneDimensional, CcittFillOrder::kMostSignificantFirst, 20));
    {
        OmviTest::CapturedDiagnostics diagnostics;
        decoder.decodeBlock(code.data(), static_cast<std::int32_t>(code.size()), rows.data(),
                            static_cast<std::int32_t>(rows.size()));
        std::size_t reports = 0;
        for (std::size_t at = diagnostics.text().find("BadLength"); at != std::string::npos;
             at = diagnostics.text().find("BadLength", at + 1))
            ++reports;
        EXPECT_EQ(reports, static_cast<std::size_t>(Decoder::kDiagnosticsPerPage));
        // A new page may report again.
        diagnostics.text().clear();
        decoder.decodeBlock(code.data(), static_cast<std::int32_t>(code.size()), rows.data(), 3);
        EXPECT_TRUE(diagnostics.contains("BadLength: (x 8) : 20")) << diagnostics.text();
    }
    // Without a sink nothing reaches standard output.
    const std::string printed = standardOutputOf([&] {
        decoder.decodeBlock(code.data(), static_cast<std::int32_t>(code.size()), rows.data(),
                            static_cast<std::int32_t>(rows.size()));
    });
    EXPECT_EQ(printed, "");
}

TEST(CodecDataBounds, PcxLineLengthsMustSuitTheWidth)
{
    PcxFormatCodec codec;
    // The 142-byte file: 1 x 62,973 pixels in 3 planes of 65,392 bytes a
    // line over 14 bytes of data.
    Bytes stalled = OmviTest::pcxFile(8, 3);
    OmviTest::put16le(stalled, 8, 0);
    OmviTest::put16le(stalled, 10, 62972);
    OmviTest::put16le(stalled, 66, 65392);
    stalled.resize(142, 0xC1);
    ASSERT_EQ(stalled.size(), 142u);
    EXPECT_TRUE(readRows(codec, stalled, 10).refused);

    // Line lengths: the bytes the width needs, up to even plus a little
    // padding; below or far above, no frame.
    const auto withLine = [](std::uint16_t width, std::uint8_t bits, std::uint16_t bytesPerLine) {
        Bytes file = OmviTest::pcxFile(bits, 1);
        OmviTest::put16le(file, 8, width - 1u);
        OmviTest::put16le(file, 10, 0);
        OmviTest::put16le(file, 66, bytesPerLine);
        file.resize(128);
        const Bytes line(bytesPerLine, 0x11);
        file.insert(file.end(), line.begin(), line.end());
        return file;
    };
    const auto opens = [&](const Bytes& file) { return !readRows(codec, file, 2).refused; };
    EXPECT_TRUE(opens(withLine(3, 8, 3)));
    EXPECT_TRUE(opens(withLine(3, 8, 4)));
    EXPECT_TRUE(opens(withLine(3, 8, 4 + PcxHeader::kLinePaddingSlack)));
    EXPECT_FALSE(opens(withLine(3, 8, 5 + PcxHeader::kLinePaddingSlack)));
    EXPECT_FALSE(opens(withLine(3, 8, 2)));
    EXPECT_TRUE(opens(withLine(17, 1, 3)));
    EXPECT_FALSE(opens(withLine(17, 1, 2)));
    EXPECT_FALSE(opens(withLine(17, 1, 100)));
}

TEST(CodecDataBounds, EveryCodecStopsWhereItsDataDoes)
{
    OmviTest::AllCodecs codecs;
    // At most 8 rows for each byte of data: more than any of these files'
    // codes can describe at their widths.
    const Bytes data = noise(16, 3);
    const std::int64_t bound = 8 * static_cast<std::int64_t>(data.size());

    Bytes bmp = OmviTest::bmpFile(1, 1, 24);
    OmviTest::put32le(bmp, 18, 0x7FFFFFFF);
    OmviTest::put32le(bmp, 22, 0x7FFFFFFF);
    bmp.resize(54);
    bmp.insert(bmp.end(), data.begin(), data.end());
    expectBounded(codecs.bmp, bmp, bound, "BMP");

    Bytes narrowBmp = OmviTest::bmpFile(8, 1, 8);
    OmviTest::put32le(narrowBmp, 22, 0x7FFFFFFF);
    narrowBmp.insert(narrowBmp.end(), data.begin(), data.end());
    expectBounded(codecs.bmp, narrowBmp, bound, "narrow BMP");

    Bytes pcx = OmviTest::pcxFile(8, 1);
    OmviTest::put16le(pcx, 8, 65534);
    OmviTest::put16le(pcx, 10, 65535);
    OmviTest::put16le(pcx, 66, 65535);
    pcx.resize(128);
    pcx.insert(pcx.end(), data.begin(), data.end());
    expectBounded(codecs.pcx, pcx, bound, "PCX");

    Bytes narrowPcx = OmviTest::pcxFile(8, 1);
    OmviTest::put16le(narrowPcx, 8, 7);
    OmviTest::put16le(narrowPcx, 10, 65535);
    narrowPcx.resize(128);
    narrowPcx.insert(narrowPcx.end(), data.begin(), data.end());
    // Runs of up to 63 bytes: 8 runs of 63 bytes over lines of 8 bytes.
    expectBounded(codecs.pcx, narrowPcx, 8 * 63 / 8, "narrow PCX");

    for (std::uint8_t type : {2, 10})
    {
        Bytes targa = OmviTest::targaFile(type, 24);
        OmviTest::put16le(targa, 12, 65535);
        OmviTest::put16le(targa, 14, 65535);
        targa.resize(18);
        targa.insert(targa.end(), data.begin(), data.end());
        expectBounded(codecs.targa, targa, bound, "Targa type " + std::to_string(type));
    }

    Bytes gif = OmviTest::gifFile();
    OmviTest::put16le(gif, 6, 65535);
    OmviTest::put16le(gif, 8, 65535);
    OmviTest::put16le(gif, 13 + 6 + 5, 65535);  // the image descriptor's width and height
    OmviTest::put16le(gif, 13 + 6 + 7, 65535);
    gif.resize(13 + 6 + 10 + 1);                // up to the minimum code size
    gif.push_back(static_cast<std::uint8_t>(data.size()));
    gif.insert(gif.end(), data.begin(), data.end());
    gif.insert(gif.end(), {0, 0x3B});
    expectBounded(codecs.gif, gif, bound, "GIF");

    Bytes png = OmviTest::pngFile(4, 4);
    png.resize(8);
    Bytes header;
    OmviTest::append32be(header, 0x7FFFFFFF);
    OmviTest::append32be(header, 0x7FFFFFFF);
    header.insert(header.end(), {8, 0, 0, 0, 0});
    OmviTest::appendPngChunk(png, "IHDR", header);
    OmviTest::appendPngChunk(png, "IDAT", data);
    OmviTest::appendPngChunk(png, "IEND", {});
    expectBounded(codecs.png, png, bound, "PNG");

    // A real JPEG's header with the frame's size made the largest the JPEG
    // library decodes (a larger one is refused at once, as too large), and
    // its scan cut to a few bytes.
    const OmviTest::TestImage small = OmviTest::patternImage(16, 16, 3);
    Bytes jpeg = OmviTest::libjpegEncode(small.pixels, 16, 16, 3, JCS_RGB, JCS_YCbCr);
    ASSERT_FALSE(jpeg.empty());
    for (std::size_t at = 2; at + 9 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xC0)
        {
            OmviTest::put16be(jpeg, at + 5, 65500);
            OmviTest::put16be(jpeg, at + 7, 65500);
            break;
        }
    for (std::size_t at = 2; at + 1 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA)
        {
            const std::size_t scan = at + 2 + (jpeg[at + 2] << 8 | jpeg[at + 3]);
            jpeg.resize(std::min(jpeg.size(), scan + data.size()));
            break;
        }
    expectBounded(codecs.jfif, jpeg, 16, "JPEG");

    Bytes tiff = OmviTest::tiffFile();
    // Width, height and rows per strip (the directory's entries 0, 1 and 7)
    // the largest a long holds; the strip keeps its few bytes.
    for (std::size_t entry : {0u, 1u, 7u})
        OmviTest::put32le(tiff, 10 + 12 * entry + 8, 0xFFFFFFFF);
    expectBounded(codecs.tiff, tiff, bound, "TIFF");

    Bytes flic = OmviTest::flicFile();
    OmviTest::put16le(flic, 8, 65535);
    OmviTest::put16le(flic, 10, 65535);
    flic.insert(flic.end(), data.begin(), data.end());
    expectBounded(codecs.flic, flic, bound, "FLIC");

    Bytes pict = OmviTest::pictFile(2, 32767, 32767);
    pict.insert(pict.end(), data.begin(), data.end());
    expectBounded(codecs.pict, pict, bound, "PICT");

    // A bare run-list raster of 65535 rows of 65535 pels holding two rows.
    Bytes rlc = OmviTest::rlcFile(65535, {{{0, 10}}, {{5, 6}}});
    OmviTest::put16be(rlc, 0, 65535);
    expectBounded(codecs.rlc, rlc, 2, "RLC");

    // A Group 4 strip raster of 65535 x 65535 in one strip of noise.
    Bytes ig4;
    OmviTest::put16be(ig4, 0, 65535);
    OmviTest::put16be(ig4, 2, 65535);
    ig4.insert(ig4.end(), data.begin(), data.end());
    const std::size_t dataEnd = ig4.size();
    Bytes table(1032, 0);
    OmviTest::put16le(table, 0, 1);
    OmviTest::put16le(table, 2, 32767);  // rows a strip: the largest the signed field holds
    OmviTest::put32le(table, 8, 4);
    ig4.insert(ig4.end(), table.begin(), table.end());
    Bytes trailer = OmviTest::containerFile(5, 0);
    OmviTest::put16le(trailer, 22, 2);
    const auto entry = [&](std::size_t index, std::uint16_t kind, std::uint32_t offset, std::uint32_t value) {
        const std::size_t at = 24 + 16 * index;
        OmviTest::put16le(trailer, at, kind);
        OmviTest::put16le(trailer, at + 2, 5);
        OmviTest::put16le(trailer, at + 4, 0);
        OmviTest::put16le(trailer, at + 6, 0);
        OmviTest::put32le(trailer, at + 8, offset);
        OmviTest::put32le(trailer, at + 12, value);
    };
    entry(0, 1, 0, static_cast<std::uint32_t>(dataEnd));
    entry(1, 3, static_cast<std::uint32_t>(dataEnd), 0);
    ig4.insert(ig4.end(), trailer.begin(), trailer.end());
    OmviTest::CapturedDiagnostics diagnostics;
    expectBounded(codecs.ig4, ig4, bound, "IG4");
}
