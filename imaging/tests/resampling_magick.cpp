// Our resampling and rotation beside ImageMagick's on the same small test
// picture: each kernel against the tool's filter of the same definition, the
// 30-degree rotation against its -rotate. The tool centres its samples half
// a pixel differently and treats edges its own way, so the pictures are
// compared away from the borders, by PSNR. Skipped when ImageMagick is not
// installed.
#include "MagickCompare.h"

#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbModel.h"
#include "imaging/resampling/HorizontalResamplers.h"
#include "imaging/resampling/ResamplingKind.h"
#include "imaging/resampling/VerticalResamplers.h"
#include "imaging/shears/Rotate.h"
#include "imaging/shears/ShearPoints.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

using namespace Omvi;
using OmviTest::Picture;

namespace
{
const char* const kToolFilter[] = {"Point", "Triangle", "Hermite", "Quadratic", "Spline", "Lanczos", "Mitchell"};

// Gentle waves with a few sharper features: enough detail that the kernels
// differ, smooth enough that a half-pixel difference in where samples sit
// stays small.
Picture testPicture(int width, int height)
{
    Picture picture{width, height, 3, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
            {
                const double r = std::hypot(x - width * 0.4, y - height * 0.55);
                double v = 120 + 60 * std::sin(x / (5.0 + c) + y / 13.0) * std::cos(y / (7.0 + c));
                v += 50 * std::exp(-r * r / 60.0);
                v += (x / 9 + y / 11) % 2 == 0 ? 12 : -12;
                picture.samples.push_back(static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))));
            }
    return picture;
}

Picture resized(const Picture& picture, int width, int height, int kind)
{
    RowProviderInterface* chain = OmviTest::rowsOfPicture(picture);
    chain = new RgbXResampler(chain, width, kind);
    chain = new RgbYResampler(chain, height, kind);
    std::unique_ptr<RowProviderInterface> owned(chain);
    return OmviTest::pictureOfRows(*chain, 3);
}

Picture toolResized(const OmviTest::ScratchFolder& folder, const char* filter, int width, int height)
{
    const std::string out = folder.file(std::string("resized-") + filter + ".ppm");
    const std::string command = "convert '" + folder.file("in.ppm") + "' -filter " + filter + " -resize " +
                                std::to_string(width) + "x" + std::to_string(height) + "! '" + out + "' 2>/dev/null";
    if (OmviTest::runCommand(command) != 0)
        return Picture();
    return OmviTest::readPortableMap(out);
}
} // namespace

TEST(ResamplingBesideImageMagick, EachKernelMatchesTheToolsFilter)
{
    OMVI_REQUIRE_TOOL("convert");
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    const Picture picture = testPicture(96, 80);
    ASSERT_TRUE(OmviTest::writePortableMap(folder.file("in.ppm"), picture));
    // Reductions, enlargements and both at once; at these ratios the tool's
    // half-pixel centring moves samples by at most a fifth of a pixel.
    const int sizes[][2] = {{72, 60}, {86, 72}, {120, 100}, {110, 70}};
    for (const auto& size : sizes)
    {
        const int width = size[0], height = size[1];
        std::vector<Picture> theirs;
        for (int kind = 0; kind <= 6; ++kind)
        {
            theirs.push_back(kind == 0 ? Picture() : toolResized(folder, kToolFilter[kind], width, height));
            if (kind > 0)
            {
                ASSERT_EQ(theirs.back().width, width) << "convert -filter " << kToolFilter[kind];
            }
        }
        for (int kind = 1; kind <= 6; ++kind)
        {
            const Picture ours = resized(picture, width, height, kind);
            const int border = std::max(resamplingWindow(96, width, kind), resamplingWindow(80, height, kind));
            auto against = [&](int other) {
                return OmviTest::psnr(ours, theirs[static_cast<std::size_t>(other)], border, border, width - border,
                                      height - border, [](int, int) { return true; });
            };
            const double matching = against(kind);
            EXPECT_GE(matching, 35.0) << width << "x" << height << " -filter " << kToolFilter[kind];
            // The tool's filter of the same definition is the closest of
            // the six (or as close as the closest).
            for (int other = 1; other <= 6; ++other)
                EXPECT_GE(matching + 0.5, against(other))
                    << width << "x" << height << " kind " << kind << " is closer to -filter " << kToolFilter[other];
        }
    }
}

namespace
{
// Where the three shears put the input's origin (see rotation.cpp).
Point2d shearedOrigin(int width, int height, double angle)
{
    const double a = -std::tan(angle / 2), b = std::sin(angle);
    const PixelPair first{width + static_cast<int>(std::ceil((height - 1) * std::fabs(a))) + 1, height};
    const PixelPair second{first.x, height + verticalShearExtraRows(first.x, -b)};
    Point2d p(0.0, 0.0);
    xShearPoint({width, height}, a, p);
    yShearPoint(first, b, p);
    xShearPoint(second, a, p);
    return p;
}
} // namespace

TEST(ResamplingBesideImageMagick, ThirtyDegreeRotationMatchesRotate)
{
    OMVI_REQUIRE_TOOL("convert");
    OmviTest::ScratchFolder folder;
    ASSERT_TRUE(folder.valid());
    const Picture picture = testPicture(96, 80);
    ASSERT_TRUE(OmviTest::writePortableMap(folder.file("in.ppm"), picture));
    const std::string out = folder.file("rotated.ppm");
    ASSERT_EQ(OmviTest::runCommand("convert '" + folder.file("in.ppm") + "' -background 'rgb(10,20,30)' -rotate 30 '" +
                                   out + "' 2>/dev/null"),
              0);
    const Picture theirs = OmviTest::readPortableMap(out);
    ASSERT_GT(theirs.width, 0);

    const double angle = 30.0 * 3.14159265358979323846 / 180.0;
    Rotate rotation(OmviTest::rowsOfPicture(picture), angle, ImagePixel(kPixelRgb, RgbColor(10, 20, 30, 255).value),
                    false);
    const Picture ours = OmviTest::pictureOfRows(rotation, 3);
    // Both frames hold the turned picture's bounding box, each rounded its
    // own way.
    EXPECT_NEAR(ours.width, theirs.width, 3);
    EXPECT_NEAR(ours.height, theirs.height, 3);

    // Compare the pixels at least two pixels inside the turned frame, with
    // the tool's picture moved by the offset that fits it best.
    const Point2d origin = shearedOrigin(96, 80, angle);
    const PixelRect& box = rotation.outputRect();
    const double c = std::cos(angle), s = std::sin(angle);
    auto inside = [&](int x, int y) {
        const double qx = x + box.x0 - origin.x, qy = y + box.y0 - origin.y;
        const double px = c * qx + s * qy, py = -s * qx + c * qy;
        return px >= 2 && py >= 2 && px <= 96 - 3 && py <= 80 - 3;
    };
    double best = 0;
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
        {
            Picture moved{ours.width, ours.height, 3, std::vector<std::uint8_t>(ours.samples.size(), 0)};
            bool fits = true;
            for (int y = 0; y < ours.height && fits; ++y)
                for (int x = 0; x < ours.width; ++x)
                {
                    if (!inside(x, y))
                        continue;
                    const int tx = x + dx, ty = y + dy;
                    if (tx < 0 || ty < 0 || tx >= theirs.width || ty >= theirs.height)
                    {
                        fits = false;
                        break;
                    }
                    for (int ch = 0; ch < 3; ++ch)
                        moved.samples[(static_cast<std::size_t>(y) * ours.width + x) * 3 + ch] = theirs.at(tx, ty, ch);
                }
            if (fits)
                best = std::max(best, OmviTest::psnr(ours, moved, 0, 0, ours.width, ours.height, inside));
        }
    EXPECT_GE(best, 35.0);
}
