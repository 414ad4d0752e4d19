// The image record: raw, run-length and JPEG forms, names, fallbacks, and
// what a reader does with damaged or inconsistent images.
#include "stream_harness.h"

#include "dwf/w3dtk/records/image.h"
#include "dwf/w3dtk/records/image_jpeg.h"
#include "dwf/w3dtk/records/image_rle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <unistd.h>

namespace
{
using namespace w3d_test;

struct Image
{
    int format = TK_Image::TK_Image_Mapped;
    int compression = TK_Image::TK_Image_None;
    int width = 0;
    int height = 0;
    Bytes pixels;
    std::string name;
    float position[3] = {1, 2, 3};
};

void fill(TK_Image& h, const Image& image)
{
    h.SetFormat(image.format);
    h.SetCompression(image.compression);
    h.SetSize(image.width, image.height);
    h.SetBytes(image.pixels.data(), image.pixels.size());
    h.SetName(image.name.c_str());
    h.SetPosition(image.position);
}

Emit emit_image(const Image& image)
{
    return [image](BStreamFileToolkit& tk, W3DStreamWriter& writer)
    { serialize_with<TK_Image>(tk, writer, 'i', [&](TK_Image& h) { fill(h, image); }); };
}

// The record's bytes after the opcode, position and format byte as a
// reader would expect them, for golden comparisons.
Bytes head(const Image& image, int compression)
{
    Bytes bytes = {'i'};
    for (float const value : image.position)
    {
        std::uint8_t raw[4];
        std::memcpy(raw, &value, 4);
        bytes.insert(bytes.end(), raw, raw + 4);
    }
    bytes.push_back(static_cast<std::uint8_t>(image.format | (image.name.empty() ? 0 : 0x80)));
    if (!image.name.empty())
    {
        bytes.push_back(static_cast<std::uint8_t>(image.name.size()));
        bytes.insert(bytes.end(), image.name.begin(), image.name.end());
    }
    for (int const value : {image.width, image.height})
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    bytes.push_back(static_cast<std::uint8_t>(compression));
    return bytes;
}

void append_int(Bytes& bytes, int value)
{
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
}

// What a reader found in the image record of a stream.
struct Read_Image
{
    Read_Result result;
    bool seen = false;
    int format = -1;
    int compression = -1;
    int width = -1;
    int height = -1;
    std::string name;
    Bytes pixels;
    Bytes compressed;
};

Read_Image read_image(const Bytes& stream, std::size_t chunk = 1)
{
    Read_Image got;
    got.result = read_stream(stream, chunk,
                             [&](BBaseOpcodeHandler& handler, BStreamFileToolkit&)
                             {
                                 auto* h = dynamic_cast<TK_Image*>(&handler);
                                 if (!h)
                                     return;
                                 got.seen = true;
                                 got.format = h->GetFormat();
                                 got.compression = h->GetCompression();
                                 got.width = h->GetWidth();
                                 got.height = h->GetHeight();
                                 got.name = h->GetName();
                                 got.pixels = h->GetBytes();
                                 got.compressed = h->GetCompressedData();
                             });
    return got;
}

// A smooth RGB picture that JPEG codes well.
Bytes gradient(int width, int height)
{
    Bytes pixels;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
        {
            pixels.push_back(static_cast<std::uint8_t>(x * 255 / std::max(width - 1, 1)));
            pixels.push_back(static_cast<std::uint8_t>(y * 255 / std::max(height - 1, 1)));
            pixels.push_back(128);
        }
    return pixels;
}

Bytes jpeg_payload(const Bytes& record)
{
    // opcode, 12 position bytes, format, 8 size bytes, compression, size
    std::size_t const at = 1 + 12 + 1 + 8 + 1;
    int size = 0;
    std::memcpy(&size, record.data() + at, 4);
    return Bytes(record.begin() + long(at + 4), record.begin() + long(at + 4) + size);
}

TEST(Image, RunLengthPiecesArePinned)
{
    std::vector<unsigned char> code;
    Bytes const three_hundred(300, 7);
    ASSERT_TRUE(BRunLengthCodec::Encode(three_hundred.data(), three_hundred.size(), code));
    EXPECT_EQ(Bytes(code.begin(), code.end()), (Bytes{0x80, 7, 0x80, 7, 0xDD, 7}));

    Bytes const run_133(133, 9);
    ASSERT_TRUE(BRunLengthCodec::Encode(run_133.data(), run_133.size(), code));
    EXPECT_EQ(Bytes(code.begin(), code.end()), (Bytes{0x83, 9, 0xFE, 9})); // 128 and 5

    // Literals around runs, a short run kept in the literal stretch, and a
    // literal stretch longer than one piece.
    Bytes mixed = {1, 2, 2, 2, 3, 5, 5, 5, 5, 4};
    for (int i = 0; i < 130; ++i)
        mixed.push_back(static_cast<std::uint8_t>(i));
    mixed.insert(mixed.end(), 200, 0);
    ASSERT_TRUE(BRunLengthCodec::Encode(mixed.data(), mixed.size(), code));
    Bytes expected = {5, 1, 2, 2, 2, 3, 0xFF, 5, 127, 4};
    for (int i = 0; i < 126; ++i)
        expected.push_back(static_cast<std::uint8_t>(i));
    expected.insert(expected.end(), {4, 126, 127, 128, 129, 0x80, 0, 0xBE, 0}); // 131 + 69
    EXPECT_EQ(Bytes(code.begin(), code.end()), expected);

    Bytes decoded(mixed.size());
    EXPECT_EQ(BRunLengthCodec::Decode(code.data(), code.size(), decoded.data(), decoded.size()),
              BRunLengthCodec::Decoded);
    EXPECT_EQ(decoded, mixed);

    // No run of four: one literal piece, longer than the input.
    Bytes const no_run = {1, 2, 2, 2, 3};
    EXPECT_FALSE(BRunLengthCodec::Encode(no_run.data(), no_run.size(), code));
}

TEST(Image, RunLengthRecordIsPinnedAndReadsBack)
{
    Image image;
    image.width = 20;
    image.height = 15;
    image.pixels.assign(300, 7);
    image.compression = TK_Image::TK_Image_RLE;
    Bytes expected = head(image, TK_Image::TK_Image_RLE);
    append_int(expected, 6);
    expected.insert(expected.end(), {0x80, 7, 0x80, 7, 0xDD, 7});
    Emit const emit = emit_image(image);
    EXPECT_EQ(write_records(emit), expected);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));

    Read_Image const got = read_image(write_stream(emit));
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    ASSERT_TRUE(got.seen);
    EXPECT_EQ(got.compression, TK_Image::TK_Image_RLE);
    EXPECT_EQ(got.pixels, image.pixels);
    EXPECT_EQ(got.width, 20);
    EXPECT_EQ(got.height, 15);
}

TEST(Image, CompressionThatDoesNotApplyOrPayWritesRaw)
{
    Image image;
    image.width = 5;
    image.height = 1;
    image.pixels = {1, 2, 2, 2, 3};
    image.compression = TK_Image::TK_Image_RLE;
    Bytes expected = head(image, TK_Image::TK_Image_None);
    expected.insert(expected.end(), {1, 2, 2, 2, 3});
    EXPECT_EQ(write_records(emit_image(image)), expected);

    // JPEG asked of one-byte pixels, run-length of RGB pixels: raw.
    image.compression = TK_Image::TK_Image_JPEG;
    EXPECT_EQ(write_records(emit_image(image)), expected);
    Image rgb;
    rgb.format = TK_Image::TK_Image_RGB;
    rgb.compression = TK_Image::TK_Image_RLE;
    rgb.width = 2;
    rgb.height = 1;
    rgb.pixels = {9, 9, 9, 9, 9, 9};
    expected = head(rgb, TK_Image::TK_Image_None);
    expected.insert(expected.end(), rgb.pixels.begin(), rgb.pixels.end());
    EXPECT_EQ(write_records(emit_image(rgb)), expected);
}

TEST(Image, EveryRawFormatAndNamesRoundTrip)
{
    for (int format = 0; format <= 4; ++format)
        for (std::string const& name : {std::string(), std::string("n"), std::string(255, 'x')})
        {
            Image image;
            image.format = format;
            image.width = 3;
            image.height = 2;
            image.name = name;
            for (int i = 0; i < 6 * TK_Image::BytesPerPixel(format); ++i)
                image.pixels.push_back(static_cast<std::uint8_t>(i * 37 + format));
            Bytes expected = head(image, TK_Image::TK_Image_None);
            expected.insert(expected.end(), image.pixels.begin(), image.pixels.end());
            Emit const emit = emit_image(image);
            ASSERT_EQ(write_records(emit), expected) << format << " " << name.size();
            Read_Image const got = read_image(write_stream(emit), name.size() == 1 ? 1 : 5);
            ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
            EXPECT_EQ(got.format, format); // bit 0x80 cleared
            EXPECT_EQ(got.name, name);
            EXPECT_EQ(got.pixels, image.pixels);
        }
}

TEST(Image, WriterRefusesBadImagesBeforeAnyByte)
{
    auto refused = [](const Image& image, const std::string& message)
    {
        BStreamFileToolkit tk;
        std::vector<char> buffer(64);
        tk.PrepareBuffer(buffer.data(), 64);
        TK_Image h;
        fill(h, image);
        EXPECT_EQ(h.Write(tk), TK_Error) << message;
        EXPECT_EQ(tk.CurrentBufferLength(), 0) << message;
        EXPECT_NE(tk.LastError().find(message), std::string::npos) << tk.LastError();
    };
    Image image;
    image.width = 2;
    image.height = 2;
    image.pixels.assign(4, 1);
    image.format = TK_Image::TK_Image_Unset;
    refused(image, "bad (perhaps uninitialized) image format");
    image.format = 5;
    refused(image, "bad (perhaps uninitialized) image format");
    image.format = TK_Image::TK_Image_Mapped;
    image.pixels.assign(3, 1);
    refused(image, "holds 3 bytes instead of 4");
    image.pixels.assign(4, 1);
    image.name.assign(256, 'n');
    refused(image, "image name of 256 bytes");
    image.name.clear();
    image.width = 1 << 13;
    image.height = (1 << 11) + 1;
    image.pixels.clear();
    refused(image, "bad image size");
    image.width = -1;
    image.height = -1;
    refused(image, "bad image size");
}

TEST(Image, JpegRecordIsReadByIndependentTools)
{
    Image image;
    image.format = TK_Image::TK_Image_RGB;
    image.compression = TK_Image::TK_Image_JPEG;
    image.width = 40;
    image.height = 24;
    image.pixels = gradient(40, 24);
    Bytes const record = write_records(emit_image(image));
    Bytes const payload = jpeg_payload(record);
    ASSERT_GT(payload.size(), 100u);
    EXPECT_EQ(Bytes(record.begin(), record.begin() + 23), head(image, TK_Image::TK_Image_JPEG));
    EXPECT_EQ(record.size(), 23 + 4 + payload.size());
    EXPECT_EQ(payload[0], 0xFF);
    EXPECT_EQ(payload[1], 0xD8);

    std::string const base = ::testing::TempDir() + "w3dtk_image_" + std::to_string(getpid());
    {
        std::ofstream out(base + ".jpg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(payload.data()), long(payload.size()));
    }
    bool checked = false;
    if (std::system("command -v djpeg >/dev/null 2>&1") == 0)
    {
        std::string const command =
            "djpeg -pnm -outfile '" + base + ".ppm' '" + base + ".jpg' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(base + ".ppm", std::ios::binary);
        std::string magic;
        int width = 0, height = 0, maximum = 0;
        in >> magic >> width >> height >> maximum;
        in.get();
        EXPECT_EQ(magic, "P6");
        EXPECT_EQ(width, 40);
        EXPECT_EQ(height, 24);
        EXPECT_EQ(maximum, 255);
        Bytes decoded((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(decoded.size(), image.pixels.size());
        int worst = 0;
        for (std::size_t i = 0; i < decoded.size(); ++i)
            worst = std::max(worst, std::abs(int(decoded[i]) - int(image.pixels[i])));
        EXPECT_LT(worst, 24);
        checked = true;
    }
    if (std::system("command -v identify >/dev/null 2>&1") == 0)
    {
        std::string const command = "identify -format '%m %w %h %[colorspace]' '" + base +
                                    ".jpg' > '" + base + ".txt' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        std::ifstream in(base + ".txt");
        std::string const said((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
        EXPECT_EQ(said, "JPEG 40 24 sRGB");
        checked = true;
    }
    for (char const* ending : {".jpg", ".ppm", ".txt"})
        std::remove((base + ending).c_str());
    if (!checked)
        GTEST_SKIP() << "neither djpeg nor identify is installed";
}

TEST(Image, JpegRoundTripsAtTheToolkitsQuality)
{
    Image image;
    image.format = TK_Image::TK_Image_RGB;
    image.compression = TK_Image::TK_Image_JPEG;
    image.width = 33; // not a multiple of the coding blocks
    image.height = 17;
    image.pixels = gradient(33, 17);
    Emit const emit = emit_image(image);
    EXPECT_TRUE(writes_alike_in_every_buffer(emit));
    Read_Image const got = read_image(write_stream(emit));
    ASSERT_EQ(got.result.status, TK_Ended) << got.result.error;
    EXPECT_EQ(got.compression, TK_Image::TK_Image_JPEG);
    ASSERT_EQ(got.pixels.size(), image.pixels.size());
    for (std::size_t i = 0; i < got.pixels.size(); ++i)
        ASSERT_NEAR(got.pixels[i], image.pixels[i], 24) << i;

    // A lower quality gives fewer bytes.
    auto size_at = [&](int quality)
    {
        return write_records(emit, W3DStreamWriter::Buffer_Size,
                             [=](BStreamFileToolkit& tk) { tk.SetJpegQuality(quality); })
            .size();
    };
    EXPECT_LT(size_at(10), size_at(95));
}

TEST(Image, JpegOfAnotherSizeOrDamagedIsRefused)
{
    Bytes const pixels = gradient(16, 8);
    std::vector<unsigned char> jpeg;
    ASSERT_TRUE(BJpegCodec::Compress(pixels.data(), 16, 8, 75, jpeg));
    std::vector<unsigned char> out;
    EXPECT_TRUE(BJpegCodec::Decompress(jpeg.data(), jpeg.size(), 16, 8, out));
    EXPECT_EQ(out.size(), pixels.size());
    // Rows are stored at the record's stride: another size would not fit.
    EXPECT_FALSE(BJpegCodec::Decompress(jpeg.data(), jpeg.size(), 8, 16, out));
    EXPECT_FALSE(BJpegCodec::Decompress(jpeg.data(), jpeg.size(), 16, 7, out));
    for (std::size_t cut = 0; cut + 2 < jpeg.size(); cut += 7)
        EXPECT_FALSE(BJpegCodec::Decompress(jpeg.data(), cut, 16, 8, out)) << cut;
    EXPECT_FALSE(BJpegCodec::Compress(pixels.data(), 0, 8, 75, jpeg));

    // The same through the record: a JPEG image whose record says 8 x 16.
    Image image;
    image.format = TK_Image::TK_Image_RGB;
    image.compression = TK_Image::TK_Image_JPEG;
    image.width = 16;
    image.height = 8;
    image.pixels = pixels;
    Bytes stream = write_stream(emit_image(image));
    std::size_t const at =
        std::search(stream.begin(), stream.end(), jpeg.begin(), jpeg.begin() + 4) - stream.begin() -
        4 - 1 - 8;
    ASSERT_EQ(stream[at], 16);
    stream[at] = 8;
    stream[at + 4] = 16;
    Read_Image const got = read_image(stream, 64);
    EXPECT_EQ(got.result.status, TK_Error);
    EXPECT_EQ(got.result.error, "-- jpeg decompression failure");
}

TEST(Image, DamagedRunLengthCodesGiveTheirMessages)
{
    struct Case
    {
        Bytes code;
        int pixels;
        std::string message;
    };
    std::vector<Case> const cases = {
        {{3, 1, 2}, 3, "RLE literal data exhausted"},
        {{3, 1, 2, 3}, 2, "RLE literal output overflow"},
        {{2, 1, 2, 0xFF}, 6, "RLE run data exhausted"},
        {{0xFF, 1}, 3, "RLE run output overflow"},
        {{2, 1, 2}, 3, "RLE did not fill image"},
        {{0x80, 1}, 100000, "RLE did not fill image"}, // refused before allocating
    };
    for (Case const& c : cases)
    {
        Image image;
        image.width = c.pixels;
        image.height = 1;
        Bytes record = head(image, TK_Image::TK_Image_RLE);
        append_int(record, static_cast<int>(c.code.size()));
        record.insert(record.end(), c.code.begin(), c.code.end());
        Read_Image const got = read_image(write_stream(
            [&](BStreamFileToolkit& tk, W3DStreamWriter&)
            {
                tk.Accumulator().write(reinterpret_cast<const char*>(record.data()),
                                       static_cast<int>(record.size()));
            }));
        EXPECT_EQ(got.result.status, TK_Error) << c.message;
        EXPECT_EQ(got.result.error, c.message);
    }
}

TEST(Image, ReaderRefusesWhatNoImageCanHold)
{
    auto read_record = [](const Bytes& record)
    {
        return read_image(write_stream(
            [&](BStreamFileToolkit& tk, W3DStreamWriter&)
            {
                tk.Accumulator().write(reinterpret_cast<const char*>(record.data()),
                                       static_cast<int>(record.size()));
            }));
    };
    Image image;
    image.width = 4;
    image.height = 4;
    Bytes record = head(image, 0);
    record[13] = 5; // format 5 has no pixel size
    EXPECT_EQ(read_record(record).result.error, "bad image format 5");

    image.width = 1 << 16;
    image.height = 1 << 9; // 2^25 pixels
    EXPECT_EQ(read_record(head(image, 0)).result.error, "bad image size");
    image.width = -3;
    image.height = -3; // a positive product of negative sides
    EXPECT_EQ(read_record(head(image, 0)).result.error, "bad image size");

    image.width = 4;
    image.height = 4;
    EXPECT_EQ(read_record(head(image, 3)).result.error,
              "Unexpected image compression/format combination");
    image.format = TK_Image::TK_Image_RGB;
    EXPECT_EQ(read_record(head(image, TK_Image::TK_Image_RLE)).result.error,
              "Unexpected image compression/format combination");
    record = head(image, TK_Image::TK_Image_JPEG);
    append_int(record, -1);
    EXPECT_EQ(read_record(record).result.error, "bad image compressed size");

    // A large raw image whose pixels never arrive: the reader asks for more
    // input and fails at the end of the stream without holding the image.
    image.format = TK_Image::TK_Image_RGBA;
    image.width = 4096;
    image.height = 4096;
    Read_Image const got = read_record(head(image, 0));
    EXPECT_EQ(got.result.status, TK_Error);
    EXPECT_FALSE(got.seen);
}

TEST(Image, DamagedImageStreamsFailCleanly)
{
    Image rle;
    rle.width = 30;
    rle.height = 3;
    for (int i = 0; i < 90; ++i)
        rle.pixels.push_back(static_cast<std::uint8_t>(i < 40 ? 5 : i % 7));
    rle.compression = TK_Image::TK_Image_RLE;
    rle.name = "tex";
    Image jpeg;
    jpeg.format = TK_Image::TK_Image_RGB;
    jpeg.compression = TK_Image::TK_Image_JPEG;
    jpeg.width = 16;
    jpeg.height = 16;
    jpeg.pixels = gradient(16, 16);
    Bytes const stream = write_stream(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            emit_image(rle)(tk, writer);
            emit_image(jpeg)(tk, writer);
        });
    ASSERT_EQ(read_image(stream, 3).result.status, TK_Ended);
    read_damaged_streams(stream, 1, 600);
    read_damaged_streams(stream, 97, 600);
}

TEST(Image, WritesFailCleanlyAndTagWhenAsked)
{
    Image image;
    image.width = 6;
    image.height = 2;
    image.pixels.assign(12, 3);
    image.compression = TK_Image::TK_Image_RLE;
    EXPECT_TRUE(write_fails_cleanly(emit_image(image)));

    Bytes const tagged = write_records(
        [&](BStreamFileToolkit& tk, W3DStreamWriter& writer)
        {
            serialize_with<TK_Image>(
                tk, writer, 'i', [&](TK_Image& h) { fill(h, image); }, 42);
        },
        W3DStreamWriter::Buffer_Size,
        [](BStreamFileToolkit& tk) { tk.SetWriteFlags(TK_Option_Tag_All); });
    EXPECT_EQ(tagged.back(), 'q');
    EXPECT_EQ(std::count(tagged.begin(), tagged.end(), 'q'), 1);
}

} // namespace
