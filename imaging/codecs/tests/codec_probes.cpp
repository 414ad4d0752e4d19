// The header probes: each recognises its own files, says "unsupported" or
// "truncated" where its format calls for it, and answers "not this format"
// for anything else, including every prefix and many mutations of every
// other format's files, without reading past the end of a file.
#include "CodecTestFiles.h"
#include "MemoryFile.h"

#include <gtest/gtest.h>

#include <random>

using namespace Omvi;
using OmviTest::AllCodecs;
using OmviTest::Bytes;
using OmviTest::MemoryFile;

namespace
{

int probe(const ImageFormatCodec& codec, const Bytes& bytes)
{
    const MemoryFile file(bytes);
    return codec.probe(file.specifier(), nullptr);
}

std::string nameOf(const ImageFormatCodec& codec)
{
    StringBuffer name;
    codec.getName(name);
    return name.text();
}

// One good file of every format, with the codec that owns it.
std::vector<std::pair<Bytes, std::string>> goldenFiles()
{
    return {
        {OmviTest::bmpFile(5, 3, 8), "BMP"},       {OmviTest::jfifStart(), "JFIF"},
        {OmviTest::pngFile(3, 2), "PNG"},          {OmviTest::gifFile(), "GIF"},
        {OmviTest::flicFile(0xAF11), "FLIC"},      {OmviTest::pcxFile(1, 4, 3), "PCX"},
        {OmviTest::calsFile(), "CALS"},            {OmviTest::pictFile(1), "PICT"},
        {OmviTest::tiffFile(8, 3, 1, 2), "TIFF"},  {OmviTest::containerFile(5), "IG4"},
        {OmviTest::containerFile(2), "RLC"},       {OmviTest::rlcFile(16, {{{0, 4}, {6, 16}}}), "RLC"},
        {OmviTest::targaFile(3, 8), "Targa"},
    };
}

} // namespace

TEST(CodecProbes, EveryCodecRecognisesOnlyItsOwnGoldenFile)
{
    AllCodecs codecs;
    for (const auto& [bytes, owner] : goldenFiles())
        for (ImageFormatCodec* codec : codecs.list())
        {
            const std::string name = nameOf(*codec);
            // Targa files have no signature: its weak probe is asked only
            // after every other codec refused, so it may well accept others.
            if (name == "Targa" && owner != "Targa")
                continue;
            EXPECT_EQ(probe(*codec, bytes), name == owner ? ImageFormatCodec::kRecognised
                                                          : ImageFormatCodec::kNotThisFormat)
                << owner << " file probed by " << name;
        }
}

TEST(CodecProbes, OnlyFilesOfTheFileSystemAreOpened)
{
    AllCodecs codecs;
    const MemoryFile file(OmviTest::gifFile());
    const FileSpecifier stream(file.specifier().path(), FileSpecifier::kStream);
    const FileSpecifier oneByte(StringBuffer(1, "", 0), FileSpecifier::kFile);
    const FileSpecifier missing(AsciiStringBuffer("/nonexistent/folder/image.gif"), FileSpecifier::kFile);
    for (ImageFormatCodec* codec : codecs.list())
    {
        EXPECT_EQ(codec->probe(stream, nullptr), ImageFormatCodec::kNotThisFormat) << nameOf(*codec);
        EXPECT_EQ(codec->probe(oneByte, nullptr), ImageFormatCodec::kNotThisFormat) << nameOf(*codec);
        EXPECT_EQ(codec->probe(missing, nullptr), ImageFormatCodec::kNotThisFormat) << nameOf(*codec);
        EXPECT_EQ(codec->probe(FileSpecifier(AsciiStringBuffer("/tmp"), FileSpecifier::kFile), nullptr),
                  ImageFormatCodec::kNotThisFormat)
            << nameOf(*codec);
    }
}

TEST(CodecProbes, JfifNeedsFourBytes)
{
    JfifFormatCodec codec;
    EXPECT_EQ(probe(codec, {0xFF, 0xD8, 0xFF}), ImageFormatCodec::kNotThisFormat);
    EXPECT_EQ(probe(codec, {0xFF, 0xD8, 0xFF, 0x00}), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, {0xFF, 0xD8, 0xFE, 0xE0}), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, GifNeedsAKnownVersion)
{
    GifFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::gifFile("GIF87a")), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::gifFile("GIF89a")), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::gifFile("GIF90a")), ImageFormatCodec::kNotThisFormat);
    EXPECT_EQ(probe(codec, {'G', 'I', 'F', '8', '9'}), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, BmpTellsCompressedAndTruncatedFiles)
{
    BmpFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 24)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 1)), ImageFormatCodec::kRecognised);
    // Rows stored top-down (negative height) take the same room.
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, -4, 24)), ImageFormatCodec::kRecognised);
    // The older header keeps its sizes elsewhere.
    Bytes core = OmviTest::bmpFile(8, 8, 8, 0, true);
    EXPECT_EQ(probe(codec, core), ImageFormatCodec::kRecognised);
    core.resize(core.size() - 1);
    EXPECT_EQ(probe(codec, core), ImageFormatCodec::kTruncated);

    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 8, 1)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 4, 2)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 32, 3)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::bmpFile(4, 4, 16, 3)), ImageFormatCodec::kRecognised);

    Bytes cut = OmviTest::bmpFile(10, 10, 24);
    cut.resize(cut.size() - 1);
    EXPECT_EQ(probe(codec, cut), ImageFormatCodec::kTruncated);
    // An absurd size never reads as anything but truncated.
    Bytes huge = OmviTest::bmpFile(1, 1, 32);
    OmviTest::put32le(huge, 18, 0xFFFFFFFF);
    OmviTest::put32le(huge, 22, 0x7FFFFFFF);
    EXPECT_EQ(probe(codec, huge), ImageFormatCodec::kTruncated);
    // Fewer than 54 bytes cannot hold the headers.
    Bytes headerOnly = OmviTest::bmpFile(1, 1, 24);
    headerOnly.resize(40);
    EXPECT_EQ(probe(codec, headerOnly), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, PngVariantsAndDamagedHeaders)
{
    PngFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::pngFile(1, 1)), ImageFormatCodec::kRecognised);
    // A filter method the PNG library does not know: a PNG it cannot read.
    EXPECT_EQ(probe(codec, OmviTest::pngFile(1, 1, 0, 1)), ImageFormatCodec::kUnsupportedVariant);
    Bytes damaged = OmviTest::pngFile(2, 2);
    damaged[20] ^= 0x40;  // the header's CRC no longer fits
    EXPECT_EQ(probe(codec, damaged), ImageFormatCodec::kNotThisFormat);
    Bytes signatureOnly = OmviTest::pngFile(2, 2);
    signatureOnly.resize(8);
    EXPECT_EQ(probe(codec, signatureOnly), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, PcxDepthsAndVersions)
{
    PcxFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(8, 3)), ImageFormatCodec::kRecognised);  // 24 bits
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(1, 1, 0)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(2, 1)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(8, 4)), ImageFormatCodec::kUnsupportedVariant);
    // Depths of 4 and 8 bits in layouts no row iterator decodes.
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(4, 2)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(2, 2)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(1, 4)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::pcxFile(8, 1, 4)), ImageFormatCodec::kNotThisFormat);
    Bytes shortHeader = OmviTest::pcxFile();
    shortHeader.resize(127);
    EXPECT_EQ(probe(codec, shortHeader), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, CalsRasterTypes)
{
    CalsFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::calsFile(1)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::calsFile(2)), ImageFormatCodec::kUnsupportedVariant);
    // Without "srcdocid:" the second record must begin "dstdocid:".
    EXPECT_EQ(probe(codec, OmviTest::calsFile(1, false)), ImageFormatCodec::kRecognised);
    Bytes neither = OmviTest::calsFile(1, false);
    neither[128] = 'x';
    EXPECT_EQ(probe(codec, neither), ImageFormatCodec::kNotThisFormat);
    Bytes shortFile = OmviTest::calsFile();
    shortFile.resize(800);
    EXPECT_EQ(probe(codec, shortFile), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, FlicPictAndTheContainerFormats)
{
    FlicFormatCodec flic;
    EXPECT_EQ(probe(flic, OmviTest::flicFile(0xAF12)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(flic, OmviTest::flicFile(0xAF13)), ImageFormatCodec::kNotThisFormat);

    PictFormatCodec pict;
    EXPECT_EQ(probe(pict, OmviTest::pictFile(2)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(pict, OmviTest::pictFile(1)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(pict, OmviTest::pictFile(2, 0)), ImageFormatCodec::kNotThisFormat);  // empty frame
    Bytes preambleOnly(511, 0);
    EXPECT_EQ(probe(pict, preambleOnly), ImageFormatCodec::kNotThisFormat);
    Bytes version3 = OmviTest::pictFile(2);
    version3[524] = 3;
    EXPECT_EQ(probe(pict, version3), ImageFormatCodec::kNotThisFormat);

    RlcFormatCodec rlc;
    Ig4FormatCodec ig4;
    EXPECT_EQ(probe(rlc, OmviTest::containerFile(2)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(ig4, OmviTest::containerFile(5)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(ig4, OmviTest::containerFile(2)), ImageFormatCodec::kNotThisFormat);
    // The trailer alone (344 bytes) is no IG4 file.
    EXPECT_EQ(probe(ig4, OmviTest::containerFile(5, 0)), ImageFormatCodec::kNotThisFormat);

    EXPECT_EQ(probe(rlc, OmviTest::rlcFile(10, {{{2, 5}, {5, 10}}, {}, {{0, 0}}})), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(rlc, OmviTest::rlcFile(10, {{}, {}})), ImageFormatCodec::kNotThisFormat);        // no runs
    EXPECT_EQ(probe(rlc, OmviTest::rlcFile(10, {{{4, 6}, {5, 8}}})), ImageFormatCodec::kNotThisFormat);  // overlap
    EXPECT_EQ(probe(rlc, OmviTest::rlcFile(10, {{{4, 11}}})), ImageFormatCodec::kNotThisFormat);     // past width
    EXPECT_EQ(probe(rlc, OmviTest::rlcFile(10, {{{6, 4}}})), ImageFormatCodec::kNotThisFormat);      // backwards
    Bytes shortRuns = OmviTest::rlcFile(10, {{{1, 2}}, {{3, 4}}});
    shortRuns.resize(shortRuns.size() - 1);
    EXPECT_EQ(probe(rlc, shortRuns), ImageFormatCodec::kNotThisFormat);
    EXPECT_EQ(probe(rlc, {0, 1, 0, 1}), ImageFormatCodec::kNotThisFormat);  // under 5 bytes
}

TEST(CodecProbes, TargaWithAndWithoutFooter)
{
    TargaFormatCodec codec;
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 24)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(10, 32)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(11, 8)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(1, 8, 256)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 15)), ImageFormatCodec::kRecognised);
    // Without a footer, implausible headers are refused...
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 8)), ImageFormatCodec::kNotThisFormat);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 24, 0, false, 0x40)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 40)), ImageFormatCodec::kNotThisFormat);
    // ...with one the file is taken as a Targa file and judged.
    // True colour of one byte a pixel cannot be decoded; colour-mapped
    // files need single-byte pixels, grey ones one byte or grey and alpha.
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 8, 0, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(3, 24, 0, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(1, 16, 256, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(3, 8, 0, true)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(1, 8, 0, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(1, 8, 300, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(2, 40, 0, true)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(codec, OmviTest::targaFile(4, 8, 0, true)), ImageFormatCodec::kUnsupportedVariant);
    Bytes headerOnly = OmviTest::targaFile(2, 24);
    headerOnly.resize(17);
    EXPECT_EQ(probe(codec, headerOnly), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, TiffDirectoriesCountByLayoutAndMode)
{
    TiffFormatCodec plain(TiffFormatCodec::kWithoutLzw);
    TiffFormatCodec lzw(TiffFormatCodec::kWithLzw);
    TiffFormatCodec texture(TiffFormatCodec::kTextureMode);
    const Bytes lzwOnly = OmviTest::tiffFile(8, 1, 5);
    EXPECT_EQ(probe(plain, lzwOnly), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(lzw, lzwOnly), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(texture, lzwOnly), ImageFormatCodec::kRecognised);
    // LZW of 16-bit samples never counts.
    EXPECT_EQ(probe(texture, OmviTest::tiffFile(16, 1, 5)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(16, 1, 1)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(32, 1, 1, 1, 3)), ImageFormatCodec::kRecognised);
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(32, 1, 1, 1, 1)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(16, 3, 1, 2)), ImageFormatCodec::kUnsupportedVariant);
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(8, 1, 1, 5)), ImageFormatCodec::kUnsupportedVariant);  // CMYK
    EXPECT_EQ(probe(plain, OmviTest::tiffFile(8, 1, 6)), ImageFormatCodec::kUnsupportedVariant);     // old JPEG
    Bytes notTiff = OmviTest::tiffFile();
    notTiff[2] = 43;
    EXPECT_EQ(probe(plain, notTiff), ImageFormatCodec::kNotThisFormat);
}

TEST(CodecProbes, UnsupportedVariantsSayWhichKindTheyAre)
{
    auto kind = [](const FormatCodecBase& codec, const Bytes& bytes) {
        const MemoryFile file(bytes);
        return codec.unsupportedVariant(file.specifier());
    };
    BmpFormatCodec bmp;
    EXPECT_EQ(kind(bmp, OmviTest::bmpFile(4, 4, 8, 1)), "BMP with run-length compression (RLE8)");
    EXPECT_EQ(kind(bmp, OmviTest::bmpFile(4, 4, 4, 2)), "BMP with run-length compression (RLE4)");
    EXPECT_EQ(kind(bmp, OmviTest::bmpFile(4, 4, 32, 3)), "BMP whose 32-bit pixels are laid out by bit fields");
    EXPECT_EQ(kind(bmp, OmviTest::bmpFile(4, 4, 24, 4)), "BMP holding a JPEG image");
    EXPECT_EQ(kind(bmp, OmviTest::bmpFile(4, 4, 16, 3)), "");

    PcxFormatCodec pcx;
    EXPECT_EQ(kind(pcx, OmviTest::pcxFile(2, 1)), "PCX of 2 bits a pixel");
    EXPECT_EQ(kind(pcx, OmviTest::pcxFile(1, 2)), "PCX of 4 colours in 2 bit planes");
    EXPECT_EQ(kind(pcx, OmviTest::pcxFile(1, 3)), "PCX of 8 colours in 3 bit planes");
    EXPECT_EQ(kind(pcx, OmviTest::pcxFile(8, 4)), "PCX of 4 planes of 8 bits");
    EXPECT_EQ(kind(pcx, OmviTest::pcxFile(8, 3)), "");

    TiffFormatCodec plain(TiffFormatCodec::kWithoutLzw);
    TiffFormatCodec texture(TiffFormatCodec::kTextureMode);
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(8, 1, 1, 5)), "CMYK TIFF");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(16, 3, 1, 2)), "TIFF of 16 bits a sample (RGB)");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(8, 1, 6)), "TIFF of old-style JPEG compression");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(16, 1, 5)), "LZW-compressed TIFF of 16 bits a sample (grey)");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(32, 1, 1, 1, 1)), "TIFF of 32 bits a sample (grey)");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(16, 1, 1, 1, 2)), "TIFF of 16-bit signed samples (grey)");
    EXPECT_EQ(kind(plain, OmviTest::tiffFile(8, 1, 5)), "LZW-compressed TIFF");
    EXPECT_EQ(kind(texture, OmviTest::tiffFile(8, 1, 5)), "");

    TargaFormatCodec targa;
    EXPECT_EQ(kind(targa, OmviTest::targaFile(2, 24, 0, false, 0x40)), "Targa with interleaved rows");
    EXPECT_EQ(kind(targa, OmviTest::targaFile(3, 24, 0, true)), "grey Targa of 24 bits a pixel");
    EXPECT_EQ(kind(targa, OmviTest::targaFile(1, 8, 300, true)), "colour-mapped Targa of 300 map entries");
    EXPECT_EQ(kind(targa, OmviTest::targaFile(4, 8, 0, true)), "Targa of image type 4");

    CalsFormatCodec cals;
    EXPECT_EQ(kind(cals, OmviTest::calsFile(2)), "CALS of raster type 2");
    EXPECT_EQ(kind(cals, OmviTest::calsFile(1)), "");
}

TEST(CodecProbes, PrefixesAndMutationsNeverCrashOrMisreport)
{
    AllCodecs codecs;
    std::mt19937 random(20240601);
    for (const auto& [bytes, owner] : goldenFiles())
    {
        std::vector<Bytes> variants;
        for (std::size_t length = 0; length < bytes.size(); length += bytes.size() > 600 ? 7 : 1)
            variants.emplace_back(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(length));
        for (int round = 0; round < 40; ++round)
        {
            Bytes mutated = bytes;
            for (int flips = 1 + round % 4; flips > 0; --flips)
                mutated[random() % mutated.size()] ^= static_cast<std::uint8_t>(1 + random() % 255);
            variants.push_back(std::move(mutated));
        }
        for (const Bytes& variant : variants)
        {
            const MemoryFile file(variant);
            for (ImageFormatCodec* codec : codecs.list())
            {
                const int answer = codec->probe(file.specifier(), nullptr);
                EXPECT_TRUE(answer >= 0 && answer <= 3) << owner << " variant, " << nameOf(*codec);
            }
        }
    }
}
