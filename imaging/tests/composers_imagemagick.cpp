// The eight orientations against ImageMagick: a test image read in each
// orientation (row composers), and the same image decomposed into a new
// image in each orientation, both dumped as PPM, equal the image that
// `convert` makes with the matching flip, flop, transpose, transverse or
// rotation (`compare -metric AE` counts 0 differing pixels).
#include "PixelGrids.h"
#include "PortableMaps.h"
#include "TiledImageFixtures.h"
#include "ToolCheck.h"

#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

using namespace Omvi;
using namespace OmviTest;

namespace
{
const RgbModel kRgb(32);

// RGB rows (red, green, blue, alpha bytes) as a binary PPM.
bool writePpm(const std::string& path, const Grid& grid)
{
    Picture picture;
    picture.width = static_cast<int>(grid[0].size());
    picture.height = static_cast<int>(grid.size());
    picture.channels = 3;
    for (const auto& row : grid)
        for (const std::uint64_t pixel : row)
            for (int shift : {0, 8, 16})
                picture.samples.push_back(static_cast<std::uint8_t>(pixel >> shift));
    return writePortableMap(path, picture);
}

// The number of pixels in which two images differ; -1 when compare fails.
long differingPixels(const std::string& first, const std::string& second, const std::string& report)
{
    const int status = runCommand("compare -metric AE '" + first + "' '" + second + "' null: 2>'" + report + "'");
    if (status != 0 && status != 1)
        return -1;
    std::ifstream in(report);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    char* end = nullptr;
    const double count = std::strtod(text.c_str(), &end);
    return end == text.c_str() ? -1 : static_cast<long>(count);
}

// The convert operation that shows an image as `orientation` does.
const char* convertOperation(Orientation orientation)
{
    switch (orientation)
    {
    case Orientation::Transpose:
        return "-transpose";
    case Orientation::QuarterTurnLeft:
        return "-rotate 270";
    case Orientation::QuarterTurnRight:
        return "-rotate 90";
    case Orientation::Transverse:
        return "-transverse";
    case Orientation::Identity:
        return "-strip";
    case Orientation::MirrorLeftRight:
        return "-flop";
    case Orientation::MirrorTopBottom:
        return "-flip";
    case Orientation::HalfTurn:
        return "-rotate 180";
    }
    return "";
}

class ImageMagickOrientations : public TiledImageTest
{
};
} // namespace

TEST_F(ImageMagickOrientations, ComposedAndDecomposedImagesEqualConvertsFlipsAndRotations)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    start();
    ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    // Odd sizes, 64-pixel tiles: the edge tiles are partial.
    const Grid source = gridOf(67, 45, [](int x, int y) {
        return 0xFF000000u | std::uint64_t((x * 37 + y * 11) & 0xFF) | std::uint64_t((x * 5 ^ y * 29) & 0xFF) << 8 |
               std::uint64_t((x + y * 3) * 7 & 0xFF) << 16;
    });
    const std::string original = folder.file("source.ppm");
    ASSERT_TRUE(writePpm(original, source));

    std::unique_ptr<RowProviderInterface> rows = gridRows(kRgb, source);
    TiledImage image;
    ASSERT_TRUE(image.construct(rows, BuildOrder::RowsTopDown, kOrganisation64));

    for (std::int32_t code = 0; code < 8; ++code)
    {
        const Orientation orientation = *orientationFromCode(code);
        const std::string reference = folder.file("reference" + std::to_string(code) + ".ppm");
        ASSERT_EQ(runCommand("convert '" + original + "' " + convertOperation(orientation) + " '" + reference + "'"), 0)
            << convertOperation(orientation);

        // Read in the orientation.
        std::unique_ptr<RowProviderInterface> composer = image.read(image.size(), {0, 0}, orientation);
        const std::string composed = folder.file("composed" + std::to_string(code) + ".ppm");
        ASSERT_TRUE(writePpm(composed, pullGrid(*composer)));
        EXPECT_EQ(differingPixels(composed, reference, folder.file("report")), 0)
            << "composed in orientation " << code << " against convert " << convertOperation(orientation);

        // Decomposed so that the new image shows the source in the
        // orientation: laid in the inverse orientation.
        const PixelPosition size = orientedSize(orientation, 67, 45);
        TiledImage turned;
        ASSERT_TRUE(turned.construct({size.x, size.y}, kRgb, ImagePixel(kPixelRgb, 0), kOrganisation64));
        std::unique_ptr<RowProviderInterface> again = gridRows(kRgb, source);
        turned.pasteInOrder(again, {0, 0}, inverse(orientation));
        std::unique_ptr<RowProviderInterface> back = turned.read(turned.size(), {0, 0});
        const std::string decomposed = folder.file("decomposed" + std::to_string(code) + ".ppm");
        ASSERT_TRUE(writePpm(decomposed, pullGrid(*back)));
        EXPECT_EQ(differingPixels(decomposed, reference, folder.file("report")), 0)
            << "decomposed in orientation " << code << " against convert " << convertOperation(orientation);
    }
}
