// The three-shear rotation against an exact rotation of the same image with
// bilinear sampling, computed here from the rotation matrix alone: close
// inside the turned frame, the clear colour well outside it. Also its
// extent, point maps and the refusals that leave the input with its caller.
#include "RowSources.h"

#include "imaging/OMVIException.h"
#include "imaging/models/DataModel.h"
#include "imaging/models/RgbColor.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"
#include "imaging/models/RgbPaletteModel.h"
#include "imaging/shears/Rotate.h"
#include "imaging/shears/ShearPoints.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace Omvi;
using OmviTest::MemoryRows;
using OmviTest::Row;
using Image = std::vector<Row>;

namespace
{
// A smooth test picture: slow waves and a soft disc.
std::uint8_t smooth(int x, int y, int channel)
{
    const double cx = x - 31.0, cy = y - 22.0;
    const double disc = 60.0 / (1.0 + std::exp((std::sqrt(cx * cx + cy * cy) - 14.0) / 2.0));
    const double v = 110 + 50 * std::sin(x / 7.0 + channel) * std::cos(y / 9.0) + disc;
    return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0)));
}

Image picture(int width, int height, int channels)
{
    Image image(static_cast<std::size_t>(height), Row(static_cast<std::size_t>(width * channels)));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c)
                image[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels + c)] =
                    static_cast<std::uint8_t>(c == 3 ? 255 : smooth(x, y, c));
    return image;
}

// Where the three shears put the input's origin, worked out from the
// stages' sizes as the filters make them.
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

struct Comparison
{
    double psnr = 0;
    int inside = 0;
    int outsideWrong = 0;
};

// The rotated output against bilinear samples of the input at the exact
// inverse rotation of each output pixel: PSNR over the pixels at least 1.5
// pixels inside the input, and the count of pixels more than 1.5 pixels
// outside that are not the clear colour.
Comparison compare(const Image& input, int width, int height, int channels, double angle, Rotate& rotation,
                   const Image& output, const Row& clear)
{
    const Point2d origin = shearedOrigin(width, height, angle);
    const PixelRect& box = rotation.outputRect();
    const double c = std::cos(angle), s = std::sin(angle);
    double squares = 0;
    Comparison result;
    for (std::size_t Y = 0; Y < output.size(); ++Y)
    {
        for (int X = 0; X < rotation.size().x; ++X)
        {
            const double qx = X + box.x0 - origin.x, qy = static_cast<double>(Y) + box.y0 - origin.y;
            const double px = c * qx + s * qy, py = -s * qx + c * qy; // the inverse rotation
            const bool inside = px >= 1.5 && py >= 1.5 && px <= width - 2.5 && py <= height - 2.5;
            const bool outside = px < -2.0 || py < -2.0 || px > width + 1.0 || py > height + 1.0;
            for (int ch = 0; ch < channels; ++ch)
            {
                const int got = output[Y][static_cast<std::size_t>(X * channels + ch)];
                if (outside)
                {
                    result.outsideWrong += got != clear[static_cast<std::size_t>(ch)];
                    continue;
                }
                if (!inside)
                    continue;
                const int x0 = static_cast<int>(px), y0 = static_cast<int>(py);
                const double fx = px - x0, fy = py - y0;
                auto at = [&](int x, int y) {
                    return input[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels + ch)];
                };
                const double expected = (1 - fy) * ((1 - fx) * at(x0, y0) + fx * at(x0 + 1, y0)) +
                                        fy * ((1 - fx) * at(x0, y0 + 1) + fx * at(x0 + 1, y0 + 1));
                squares += (got - expected) * (got - expected);
                ++result.inside;
            }
        }
    }
    result.psnr = 10 * std::log10(255.0 * 255.0 / std::max(squares / std::max(result.inside, 1), 1e-9));
    return result;
}
} // namespace

TEST(Rotate, MatchesAnExactRotationInsideTheFrame)
{
    const int width = 64, height = 45;
    for (double degrees : {30.0, -30.0, 12.5, 45.0, -80.0})
    {
        const double angle = degrees * 3.14159265358979323846 / 180.0;
        for (int channels : {1, 4})
        {
            const Image input = picture(width, height, channels);
            std::unique_ptr<Rotate> rotation;
            Row clear;
            if (channels == 1)
            {
                rotation = std::make_unique<Rotate>(new MemoryRows(RgbGrayModel(), width, input), angle,
                                                    ImagePixel(kPixelGray, 7), false);
                clear = {7};
            }
            else
            {
                rotation = std::make_unique<Rotate>(new MemoryRows(RgbModel(24), width, input), angle,
                                                    ImagePixel(kPixelRgb, RgbColor(1, 2, 3, 4).value), false);
                clear = {1, 2, 3, 4};
            }
            // The bounding box of the turned image, give or take the
            // rounding of its corners.
            const double c = std::fabs(std::cos(angle)), s = std::fabs(std::sin(angle));
            EXPECT_NEAR(rotation->size().x, (width - 1) * c + (height - 1) * s + 1, 2.5) << degrees;
            EXPECT_NEAR(rotation->size().y, (width - 1) * s + (height - 1) * c + 1, 2.5) << degrees;
            const Image output = OmviTest::pullAll(*rotation);
            const Comparison result = compare(input, width, height, channels, angle, *rotation, output, clear);
            EXPECT_GT(result.inside, width * height * channels / 2);
            EXPECT_GT(result.psnr, 45.0) << degrees << " degrees, " << channels << " channels";
            EXPECT_EQ(result.outsideWrong, 0) << degrees << " degrees, " << channels << " channels";
        }
    }
}

TEST(Rotate, CornersAndOffsets)
{
    const int width = 40, height = 25;
    const double angle = 0.5;
    Image input(static_cast<std::size_t>(height), Row(static_cast<std::size_t>(width), 255));
    Rotate rotation(new MemoryRows(RgbGrayModel(), width, input), angle, ImagePixel(kPixelGray, 0), false);
    const Image output = OmviTest::pullAll(rotation);
    const PixelPair size = rotation.size();
    // Every corner of the input lands inside the output on a lit pixel.
    for (const Point2d& corner : {Point2d(0.0, 0.0), Point2d(width - 1.0, 0.0), Point2d(width - 1.0, height - 1.0),
                                  Point2d(0.0, height - 1.0)})
    {
        Point2d point = corner;
        rotation.mapPoint(point, true);
        ASSERT_GE(point.x, 0);
        ASSERT_GE(point.y, 0);
        ASSERT_LT(point.x, size.x);
        ASSERT_LT(point.y, size.y);
        EXPECT_GT(output[static_cast<std::size_t>(point.y)][static_cast<std::size_t>(point.x)], 100);
    }
    // The extent touches the turned corners on every side.
    EXPECT_GT(*std::max_element(output.front().begin(), output.front().end()), 0);
    EXPECT_GT(*std::max_element(output.back().begin(), output.back().end()), 0);
    // An offset is moved as a point, without rounding between the stages.
    PixelPair offset{0, 0};
    rotation.adjustOffset(offset);
    Point2d origin(0.0, 0.0);
    rotation.mapPoint(origin, true);
    EXPECT_NEAR(offset.x, origin.x, 1.0);
    EXPECT_NEAR(offset.y, origin.y, 1.0);
    // No row after the last.
    DataBuffer row(rotation.bytesPerRow());
    EXPECT_EQ(rotation.getNextRow(row), 0);
    EXPECT_EQ(rotation.rowsRemaining(), 0);
}

TEST(Rotate, PalettesTurnAsColoursAndRefusalsLeaveTheInput)
{
    const RgbColor colours[] = {RgbColor(250, 0, 0, 255), RgbColor(0, 0, 250, 255)};
    Image indices(20, Row(30, 0));
    for (int y = 10; y < 20; ++y)
        for (int x = 0; x < 30; ++x)
            indices[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = 1;
    Rotate fromPalette(new MemoryRows(RgbPaletteModel(2, colours), 30, indices), 0.3, ImagePixel(kPixelPalette, 1),
                       false);
    EXPECT_EQ(fromPalette.dataModel().colorSpace(), kColorSpaceRgb);
    const Image out = OmviTest::pullAll(fromPalette);
    // The clear pixel followed the chain: index 1 became blue.
    EXPECT_EQ(out[0][0], 0);
    EXPECT_EQ(out[0][2], 250);

    auto deleted = std::make_shared<bool>(false);
    auto code = [&](const std::function<void()>& make) {
        try
        {
            make();
        }
        catch (OMVIException* raw)
        {
            OwnedException error(raw);
            return error->code();
        }
        return -100;
    };
    // Plain 16-bit samples: no shear takes them.
    auto* words = new MemoryRows(DataModel(1, kDataTypeSixteenBit, 16), 4, Image(3, Row(8)));
    words->watchDeletion(deleted);
    EXPECT_EQ(code([&] { Rotate(words, 0.3, ImagePixel(kPixelSixteenBit, 0), false); }), 1);
    EXPECT_EQ(code([&] { Rotate(words, std::nan(""), ImagePixel(kPixelSixteenBit, 0), false); }), 2);
    EXPECT_FALSE(*deleted);
    delete words;
    // Nearly half a turn of a tall image: the first shear would be wider
    // than any row can be.
    *deleted = false;
    auto* tall = new MemoryRows(RgbGrayModel(), 4, 5000, 8);
    tall->watchDeletion(deleted);
    EXPECT_EQ(code([&] { Rotate(tall, 3.14159265, ImagePixel(kPixelGray, 0), false); }), 5);
    EXPECT_FALSE(*deleted);
    delete tall;
    // The vertical stage of a very wide image cannot hold its window: the
    // first stage, already made, gives the input back.
    *deleted = false;
    auto* wide = new MemoryRows(RgbModel(24), 100000, 2, 800000);
    wide->watchDeletion(deleted);
    EXPECT_EQ(code([&] { Rotate(wide, 1.0, ImagePixel(kPixelRgb, 0), false); }), SystemException::kOutOfMemory);
    EXPECT_FALSE(*deleted);
    delete wide;
    EXPECT_TRUE(*deleted);
}
