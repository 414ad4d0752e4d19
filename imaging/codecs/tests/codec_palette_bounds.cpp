// The colour-mapped readers on a pixel that names a colour past its file's
// colour table (BMP, GIF): the rows end in "Corrupt image file" with that
// reason instead of showing a colour made up.
#include "BmpTestFiles.h"
#include "GifTestSupport.h"

#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/gif/GifFormatCodec.h"

#include <gtest/gtest.h>

using namespace Omvi;

namespace
{

// The reason the rows of the file end with: empty when they are all read.
std::string RowsEndWith(const ImageFormatCodec& codec, const OmviTest::Bytes& bytes)
{
    const OmviTest::MemoryFile file(bytes);
    std::unique_ptr<ReadImageFileInterface> reader(codec.openForRead(file.specifier()));
    std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
    std::unique_ptr<RowIteratorInterface> rows(frame ? frame->newRowIterator() : nullptr);
    if (!rows)
        return "no rows";
    try
    {
        DataBuffer row(rows->bytesPerRow());
        rows->start();
        for (std::int32_t r = 0; r < rows->rowCount(); ++r, rows->next())
            rows->getRow(row);
    }
    catch (FormatCodecException* thrown)
    {
        const OwnedException owned(thrown);
        return thrown->reason();
    }
    return "";
}

} // namespace

TEST(ColourMappedReaders, APixelNamingAColourTheFileDoesNotGiveEndsTheRowsWithTheReason)
{
    // BMP of 8 and 4 bits a pixel with four colours used; the last pixel
    // names colour 9 or, in the whole file, only the four.
    const BmpFormatCodec bmpCodec;
    OmviTest::BmpSpec bmp;
    bmp.palette = OmviTest::colourPalette(4);
    for (const int bits : {8, 4})
    {
        bmp.bits = bits;
        bmp.value = [](int x, int y) { return std::uint32_t(x == 3 && y == 2 ? 9 : x); };
        EXPECT_EQ(RowsEndWith(bmpCodec, OmviTest::makeBmp(bmp)),
                  "A pixel of the BMP file names colour 9, past its colour table of 4 colours")
            << bits;
        bmp.value = [](int x, int) { return std::uint32_t(x); };
        EXPECT_EQ(RowsEndWith(bmpCodec, OmviTest::makeBmp(bmp)), "") << bits;
    }

    // GIF of a two-colour table, plain and interlaced, whose codes name
    // colour 3; codes of 9 bits name colour 300.
    const GifFormatCodec gifCodec;
    OmviRaster::GifSpec gif;
    gif.width = 4;
    gif.height = 3;
    gif.globalTable = OmviRaster::colourTable(2);
    gif.minimumCodeSize = 2;
    for (const bool interlaced : {false, true})
    {
        gif.interlaced = interlaced;
        gif.pixels = {0, 1, 0, 1, 1, 0, 3, 1, 0, 0, 1, 1};
        EXPECT_EQ(RowsEndWith(gifCodec, OmviRaster::gifFile(gif)),
                  "A pixel of the GIF file names colour 3, past its colour table of 2 colours")
            << interlaced;
        gif.pixels[6] = 1;
        EXPECT_EQ(RowsEndWith(gifCodec, OmviRaster::gifFile(gif)), "") << interlaced;
    }
    // One pixel in codes of 10 bits (clear 512, the pixel, end 513).
    gif.width = gif.height = 1;
    gif.interlaced = false;
    gif.minimumCodeSize = 9;
    gif.pixels = {1};
    OmviTest::Bytes wide = OmviRaster::gifFile(gif);
    EXPECT_EQ(RowsEndWith(gifCodec, wide), "");
    OmviRaster::detail::BitWriter codes;
    for (const int code : {512, 300, 513})
        codes.put(code, 10);
    codes.flush();
    std::copy(codes.bytes.begin(), codes.bytes.end(), wide.end() - 2 - static_cast<std::ptrdiff_t>(codes.bytes.size()));
    EXPECT_EQ(RowsEndWith(gifCodec, wide),
              "A pixel of the GIF file names colour 300, past its colour table of 2 colours");
}
