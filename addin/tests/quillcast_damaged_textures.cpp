// The quillcast program publishing a part whose JPEG and PNG textures go
// into the package as their own bytes: the ones that are not whole (no end
// marker or end chunk, a damaged end chunk, damaged coded data) are left
// out and named with the decoder's reason, while whole ones go in byte for
// byte, bytes after their end included. The pictures come from ImageMagick
// and are cut or altered here, as a user's damaged copies would be. Also
// converted pictures made here: colour-mapped Targas (a pixel outside the
// map is damage) and a PICT of more than 2^25 pixels.
#include "QuillcastFaultRuns.h"
#include "addin/tests/ModelPackage.h"
#include "imaging/codecs/tests/PictTestFiles.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace
{
using namespace publish_test;
using Bytes = std::vector<std::uint8_t>;

class QuillcastDamagedTextures : public QuillcastFaultRuns
{
protected:
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = root_ + "/textures/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
};

Bytes WithoutLast(Bytes bytes, std::size_t count)
{
    bytes.resize(bytes.size() - count);
    return bytes;
}

Bytes Followed(Bytes bytes, const std::string& tail)
{
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return bytes;
}

// The JPEG with a marker written over two bytes in the middle of its last
// scan's coded data.
Bytes MarkerInCodedData(Bytes jpeg)
{
    std::size_t scan = 0;
    for (std::size_t at = 2; at + 4 < jpeg.size(); ++at)
        if (jpeg[at] == 0xFF && jpeg[at + 1] == 0xDA)
            scan = at;
    if (scan == 0)
        return {};
    const std::size_t data = scan + 2 + (std::size_t(jpeg[scan + 2]) << 8 | jpeg[scan + 3]);
    std::size_t at = data + (jpeg.size() - 2 - data) / 2;
    while (at + 2 < jpeg.size() && (jpeg[at - 1] == 0xFF || jpeg[at] == 0xFF))
        ++at;
    jpeg[at] = 0xFF;
    jpeg[at + 1] = 0xD3;
    return jpeg;
}

// A 7 x 5 colour-mapped Targa, top row first, of four bands whose map
// (red, green, blue, yellow) starts at `first`; its last pixel is `last`.
Bytes BandedTarga(int first, int last)
{
    Bytes tga = {0, 1, 1, Bytes::value_type(first), 0, 4, 0, 24, 0, 0, 0, 0, 7, 0, 5, 0, 8, 32};
    tga.insert(tga.end(), {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 255, 255}); // blue, green, red
    for (int pixel = 0; pixel < 34; ++pixel)
        tga.push_back(Bytes::value_type(first + pixel % 7 * 4 / 7));
    tga.push_back(Bytes::value_type(last));
    return tga;
}

} // namespace

TEST_F(QuillcastDamagedTextures, ATargaMapStartingPastZeroShowsItsColoursAndPixelsOutsideItAreSaid)
{
    ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    const std::vector<std::string> files = {
        Write("at 0.tga", BandedTarga(0, 3)), Write("at 16.tga", BandedTarga(16, 19)),
        Write("past.tga", BandedTarga(16, 20)), Write("before.tga", BandedTarga(16, 3))};
    std::string errors;
    EXPECT_EQ(PublishOverOld(Document("maps.xml", PartOfTexturedFaces("maps.PRT", files)), errors),
              3);
    for (const std::string entry : {"20", "3"})
        EXPECT_NE(errors.find("damaged: A pixel of the Targa file names colour-map entry " + entry +
                              ", outside its map (entries 16 to 19)\n"),
                  std::string::npos)
            << errors;
    // The map at 16 gives the picture that the map at 0 gives.
    const auto textures =
        model_package::ReadModelPackage(Target(), "", root_ + "/read").withRole("texture");
    ASSERT_EQ(textures.size(), 2u);
    EXPECT_EQ(ReadBytes(textures[0].file), ReadBytes(textures[1].file));
}

TEST_F(QuillcastDamagedTextures, APictOfMoreThanTwoToThe25PixelsIsRead)
{
    ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    // 5,793 x 5,793 pixels of one colour: the packed rows of an 8-bit map.
    OmviTest::PictRasterSpec spec;
    spec.bounds = {0, 0, 5793, 5793};
    spec.table = {{0xFFFF, 0xFFFF, 0xFFFF}, {0x3333, 0x9999, 0xCCCC}};
    OmviTest::PictBuilder picture(2, spec.bounds);
    picture.bits(spec);
    const Bytes row = OmviTest::pictPackBits(Bytes(5793, 1));
    for (int y = 0; y < 5793; ++y)
        picture.u16(static_cast<std::uint32_t>(row.size())).raw(row);
    const std::string file = Write("large.pict", picture.finish());
    std::string errors;
    EXPECT_EQ(
        PublishOverOld(Document("large.xml", PartOfTexturedFaces("large.PRT", {file})), errors), 0)
        << errors;
    EXPECT_EQ(
        model_package::ReadModelPackage(Target(), "", root_ + "/read").withRole("texture").size(),
        1u);
}

TEST_F(QuillcastDamagedTextures,
       DamagedOnesAreLeftOutWithTheDecodersReasonAndWholeOnesGoInAsTheyAre)
{
    if (!HaveTool("python3") || !HaveTool("xmllint") || !HaveTool("convert"))
        GTEST_SKIP() << "python3, xmllint and ImageMagick's convert are needed";
    ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    for (const char* name : {"made.jpg", "made.png"})
        ASSERT_EQ(RunCommand("convert -seed 5 -size 64x48 plasma:fractal " +
                             Quoted(root_ + "/textures/" + name)),
                  0);
    const Bytes jpeg = ReadBytes(root_ + "/textures/made.jpg");
    const Bytes png = ReadBytes(root_ + "/textures/made.png");
    ASSERT_GT(jpeg.size(), 1000u);
    ASSERT_GT(png.size(), 1000u);
    // The end chunk (IEND) of ImageMagick's PNG: its last 12 bytes.
    ASSERT_EQ(std::string(png.end() - 8, png.end() - 4), "IEND");
    ASSERT_EQ(jpeg[jpeg.size() - 2], 0xFF);
    ASSERT_EQ(jpeg.back(), 0xD9);
    Bytes badEnd = png;
    badEnd.back() ^= 0x01;
    const Bytes coded = MarkerInCodedData(jpeg);
    ASSERT_FALSE(coded.empty());

    // Each damaged file, with what the cause must say.
    const std::map<std::string, std::string> damaged = {
        {Write("no end chunk.png", WithoutLast(png, 12)), "damaged: Premature end of PNG file"},
        {Write("bad end chunk.png", badEnd), "damaged: IEND: CRC error"},
        {Write("cut end chunk.png", WithoutLast(png, 6)), "damaged: Premature end of PNG file"},
        {Write("no end marker.jpg", WithoutLast(jpeg, 2)), "damaged: Premature end of JPEG file"},
        {Write("damaged data.jpg", coded),
         "damaged: Corrupt JPEG data: premature end of data segment"},
    };
    const std::vector<std::string> whole = {
        Write("good.jpg", jpeg),
        Write("good.png", png),
        Write("trailing.jpg", Followed(jpeg, "bytes after the end marker")),
        Write("trailing.png", Followed(png, "bytes after the end chunk")),
    };
    // What independent tools say of the damaged files.
    if (HaveTool("pngcheck"))
    {
        std::string said;
        RunCommand("pngcheck " + Quoted(root_ + "/textures/no end chunk.png") + " 2>&1", &said);
        EXPECT_NE(said.find("doesn't end with an IEND chunk"), std::string::npos) << said;
        RunCommand("pngcheck " + Quoted(root_ + "/textures/bad end chunk.png") + " 2>&1", &said);
        EXPECT_NE(said.find("CRC error in chunk IEND"), std::string::npos) << said;
    }
    if (HaveTool("djpeg"))
    {
        std::string said;
        RunCommand("djpeg " + Quoted(root_ + "/textures/damaged data.jpg") + " 2>&1 >/dev/null",
                   &said);
        EXPECT_NE(said.find("Corrupt JPEG data: premature end of data segment"), std::string::npos)
            << said;
    }

    std::vector<std::string> files = whole;
    for (const auto& entry : damaged)
        files.push_back(entry.first);
    const std::string xml = PartOfTexturedFaces("textures.PRT", files);
    std::string errors;
    EXPECT_EQ(PublishOverOld(Document("textures.xml", xml), errors), 3) << errors;
    for (const auto& [file, reason] : damaged)
    {
        SCOPED_TRACE(file);
        EXPECT_NE(errors.find("quillcast:   cause: Texture " + file + ": the texture image is " +
                              reason + "\n"),
                  std::string::npos)
            << errors;
    }
    for (const std::string& file : whole)
        EXPECT_EQ(errors.find(file), std::string::npos) << errors;
    ExpectNoTemporaryFiles();

    // The whole ones are in the package byte for byte, bytes after their
    // end included.
    const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
    EXPECT_EQ(package.shells, 9);
    const std::vector<model_package::Resource> textures = package.withRole("texture");
    ASSERT_EQ(textures.size(), whole.size());
    std::multiset<Bytes> stored;
    for (const model_package::Resource& texture : textures)
        stored.insert(ReadBytes(texture.file));
    std::multiset<Bytes> expected;
    for (const std::string& file : whole)
        expected.insert(ReadBytes(file));
    EXPECT_TRUE(stored == expected);
    EXPECT_EQ(package.textureNames.size(), whole.size());
}

// A texture of a kind that is recognised but not read is left out, the
// run saying which file and which kind: ImageMagick's gradient (a 16-bit
// grey TIFF) and its CMYK TIFF.
TEST_F(QuillcastDamagedTextures, KindsThatAreNotReadAreLeftOutNamingTheKind)
{
    if (!HaveTool("convert"))
        GTEST_SKIP() << "ImageMagick's convert is needed";
    ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    const std::string grey = root_ + "/textures/gradient.tif";
    const std::string cmyk = root_ + "/textures/cmyk.tif";
    ASSERT_EQ(RunCommand("convert -size 64x48 gradient: " + Quoted(grey)), 0);
    ASSERT_EQ(RunCommand("convert -size 64x48 gradient:red-blue -depth 8 -colorspace CMYK " +
                         Quoted(cmyk)),
              0);
    std::string errors;
    EXPECT_EQ(PublishOverOld(Document("kinds.xml", PartOfTexturedFaces("kinds.PRT", {grey, cmyk})),
                             errors),
              3)
        << errors;
    for (const auto& [file, kind] :
         {std::pair{grey, "TIFF of 16 bits a sample"}, std::pair{cmyk, "CMYK TIFF"}})
        EXPECT_NE(errors.find("quillcast:   cause: Texture " + file +
                              ": the texture image is of a kind that cannot be read: " + kind +
                              "\n"),
                  std::string::npos)
            << errors;
    ExpectNoTemporaryFiles();
}
