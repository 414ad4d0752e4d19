// The quillcast program publishing parts whose textures are converted from
// pictures made here byte by byte: a colour-mapped Targa whose map starts
// past entry 0 shows the colours its pixels name, one with a pixel outside
// its map is left out with the reason, and a PICT of more than 2^25 pixels
// (as ImageMagick writes them) is read whole.
#include "QuillcastFaultRuns.h"
#include "addin/tests/ModelPackage.h"
#include "imaging/codecs/tests/PictTestFiles.h"

#include <gtest/gtest.h>

#include <array>
#include <sstream>

namespace
{
using namespace publish_test;
using Bytes = std::vector<std::uint8_t>;

class QuillcastTexturePixels : public QuillcastFaultRuns
{
protected:
    void SetUp() override
    {
        QuillcastFaultRuns::SetUp();
        if (IsSkipped())
            return;
        if (!HaveTool("python3") || !HaveTool("convert"))
            GTEST_SKIP() << "python3 and ImageMagick's convert are needed";
        ASSERT_EQ(::mkdir((root_ + "/textures").c_str(), 0700), 0);
    }
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        const std::string path = root_ + "/textures/" + name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    // Publishes a part of one face a file; answers the exit status.
    int PublishFaces(const std::vector<std::string>& files, std::string& errors)
    {
        return Quillcast("publish " + Quoted(Document("part.xml", PartOfTexturedFaces("part.PRT", files))) +
                             " -o " + Quoted(Target()),
                         errors);
    }
    // The stored texture image of each face that has one, in face order.
    std::vector<std::string> StoredTextures() const
    {
        const auto package = model_package::ReadModelPackage(Target(), "", root_ + "/read");
        std::map<std::string, std::string> stored;
        for (const model_package::Resource& resource : package.withRole("texture"))
            stored[resource.title] = resource.file;
        std::vector<std::string> files;
        for (const std::string& image : package.textureImages)
            files.push_back(stored[image]);
        return files;
    }
};

// A 7 x 5 colour-mapped Targa, top row first, of four bands (red, green,
// blue, yellow) whose map of four entries starts at `first`; the last pixel
// is `last` when one is given.
Bytes BandedTarga(int first, int last = -1)
{
    Bytes tga = {0, 1, 1, std::uint8_t(first), std::uint8_t(first >> 8), 4, 0, 24, 0, 0, 0, 0, 7, 0, 5, 0,
                 8, 0x20};
    for (const std::uint32_t rgb : {0xFF0000u, 0x00FF00u, 0x0000FFu, 0xFFFF00u})
        tga.insert(tga.end(), {std::uint8_t(rgb), std::uint8_t(rgb >> 8), std::uint8_t(rgb >> 16)});
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x)
            tga.push_back(std::uint8_t(first + x * 4 / 7));
    if (last >= 0)
        tga.back() = std::uint8_t(last);
    return tga;
}

} // namespace

TEST_F(QuillcastTexturePixels, ATargaMapStartingPastZeroShowsItsColoursAndAPixelOutsideItIsSaid)
{
    const std::vector<std::string> files = {
        Write("map at 0.tga", BandedTarga(0)),
        Write("map at 16.tga", BandedTarga(16)),
        Write("past the map.tga", BandedTarga(16, 20)),
        Write("before the map.tga", BandedTarga(16, 3)),
    };
    std::string errors;
    EXPECT_EQ(PublishFaces(files, errors), 3) << errors;
    EXPECT_NE(errors.find("Texture " + files[2] +
                          ": the texture image is damaged: A pixel of the Targa file names colour-map "
                          "entry 20, outside its map (entries 16 to 19)\n"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("Texture " + files[3] + ": the texture image is damaged: A pixel of the Targa "
                                                  "file names colour-map entry 3, outside its map"),
              std::string::npos)
        << errors;
    // The map at 16 gives the picture the map at 0 gives, to the byte.
    const std::vector<std::string> stored = StoredTextures();
    ASSERT_EQ(stored.size(), 2u);
    EXPECT_EQ(ReadBytes(stored[1]), ReadBytes(stored[0]));
}

TEST_F(QuillcastTexturePixels, APictOfMoreThanTwoToThe25PixelsIsRead)
{
    // 5,793 x 5,793 pixels of one colour: an 8-bit pixel map of a
    // two-entry table whose packed rows (16-bit lengths) repeat index 1.
    const int side = 5793;
    OmviTest::PictRasterSpec spec;
    spec.bounds = {0, 0, side, side};
    spec.table = {{0xFFFF, 0xFFFF, 0xFFFF}, {0x3333, 0x9999, 0xCCCC}};
    OmviTest::PictBuilder picture(2, spec.bounds);
    picture.bits(spec);
    const Bytes row = OmviTest::pictPackBits(Bytes(side, 1));
    for (int y = 0; y < side; ++y)
        picture.u16(static_cast<std::uint32_t>(row.size())).raw(row);
    const std::string file = Write("large.pict", picture.finish());

    std::string errors;
    EXPECT_EQ(PublishFaces({file}, errors), 0) << errors;
    const std::vector<std::string> stored = StoredTextures();
    ASSERT_EQ(stored.size(), 1u);
    std::string seen;
    RunCommand("identify -format '%w %h' " + Quoted(stored[0]), &seen);
    EXPECT_EQ(seen, "5793 5793");
    // Its colour, from a reduced decode (libjpeg's scaling) to stay quick.
    RunCommand("convert -define jpeg:size=64x64 " + Quoted(stored[0]) +
                   " -format '%[fx:round(255*mean.r)] %[fx:round(255*mean.g)] %[fx:round(255*mean.b)]' info:",
               &seen);
    std::istringstream values(seen);
    std::array<int, 3> found{};
    values >> found[0] >> found[1] >> found[2];
    const std::array<int, 3> colour = {0x33, 0x99, 0xCC};
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(found[channel], colour[channel], 4) << seen;
}
