// The RGBA blenders: exact at full and zero opacity on every pair of byte
// values, the weighted sum elsewhere, alpha bytes untouched, transparent
// source pixels skipped, and the blend splitter's mirrored direction.
#include "KernelReference.h"

#include "imaging/kernels/Blenders.h"
#include "imaging/kernels/KernelFactories.h"
#include "imaging/models/RgbColor.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>

using namespace Omvi;
using namespace KernelReference;

namespace
{
// The blended colour byte, from the exact rational weights.
std::uint8_t referenceBlend(int source, int destination, int opacity)
{
    const int sum = source * opacity / 255 + destination * (255 - opacity) / 255;
    return static_cast<std::uint8_t>(sum > 255 ? 255 : sum);
}

// Every (source, destination) pair of byte values, once in each colour byte:
// 65,536 pixels whose alpha bytes carry a pattern of their own.
struct AllPairs
{
    AllPairs()
    {
        source.resize(65536 * 4);
        destination.resize(65536 * 4);
        for (int s = 0; s < 256; ++s)
            for (int d = 0; d < 256; ++d)
            {
                const std::size_t p = static_cast<std::size_t>(s * 256 + d) * 4;
                for (int c = 0; c < 3; ++c)
                {
                    source[p + c] = static_cast<std::uint8_t>(s);
                    destination[p + c] = static_cast<std::uint8_t>(d);
                }
                source[p + 3] = 0xFF;
                destination[p + 3] = static_cast<std::uint8_t>(s ^ d);
            }
    }
    Bytes source;
    Bytes destination;
};
} // namespace

TEST(RgbaBlender, FullOpacityCopiesAndZeroOpacityKeepsEveryPair)
{
    const AllPairs pairs;
    std::unique_ptr<PixelCopier> full(createBlender(255));
    Bytes blended = pairs.destination;
    full->copy(blended.data(), 0, pairs.source.data(), 0, 65536);
    for (std::size_t p = 0; p < blended.size(); p += 4)
    {
        ASSERT_EQ(blended[p], pairs.source[p]) << "pixel " << p / 4;
        ASSERT_EQ(blended[p + 1], pairs.source[p + 1]);
        ASSERT_EQ(blended[p + 2], pairs.source[p + 2]);
        ASSERT_EQ(blended[p + 3], pairs.destination[p + 3]); // alpha untouched
    }

    std::unique_ptr<PixelCopier> none(createBlender(0));
    blended = pairs.destination;
    none->copy(blended.data(), 0, pairs.source.data(), 0, 65536);
    EXPECT_EQ(blended, pairs.destination);

    // Out-of-range opacities are clamped.
    EXPECT_EQ(RgbaBlender(400).tables().opacity, 255);
    EXPECT_EQ(RgbaBlender(-3).tables().opacity, 0);
}

TEST(RgbaBlender, BlendsEveryPairByTheWeightedSum)
{
    const AllPairs pairs;
    for (int opacity : {1, 64, 127, 128, 200, 254})
    {
        std::unique_ptr<PixelCopier> blender(createBlender(opacity));
        Bytes blended = pairs.destination;
        blender->copy(blended.data(), 0, pairs.source.data(), 0, 65536);
        for (int s = 0; s < 256; ++s)
            for (int d = 0; d < 256; ++d)
            {
                const std::size_t p = static_cast<std::size_t>(s * 256 + d) * 4;
                ASSERT_EQ(blended[p], referenceBlend(s, d, opacity)) << s << " over " << d << " at " << opacity;
                ASSERT_EQ(blended[p + 2], blended[p]);
                ASSERT_EQ(blended[p + 3], pairs.destination[p + 3]);
            }
    }
}

TEST(RgbaBlender, FillBlendsOneColourAndOffsetsCount)
{
    std::unique_ptr<PixelCopier> blender(createBlender(128));
    Bytes row = {10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 110, 120};
    blender->fill(row.data(), 1, ImagePixel(kPixelRgb, RgbColor(200, 0, 255, 7).value), 2);
    EXPECT_EQ(row, (Bytes{10, 20, 30, 40, referenceBlend(200, 50, 128), referenceBlend(0, 60, 128),
                          referenceBlend(255, 70, 128), 80, referenceBlend(200, 90, 128), referenceBlend(0, 100, 128),
                          referenceBlend(255, 110, 128), 120}));
}

TEST(RgbaBlender, TransparentFormsSkipSourcePixelsWithAlphaZero)
{
    std::mt19937 random(50);
    Bytes source(4 * 200);
    for (auto& b : source)
        b = static_cast<std::uint8_t>(random());
    for (std::size_t p = 3; p < source.size(); p += 12)
        source[p] = 0;
    Bytes destination(source.size());
    for (auto& b : destination)
        b = static_cast<std::uint8_t>(random());

    std::unique_ptr<PixelCopier> blender(createBlender(90, true, ImagePixel(kPixelRgb, 0x100)));
    Bytes blended = destination;
    blender->copy(blended.data(), 0, source.data(), 0, 200);
    for (std::size_t p = 0; p < source.size(); p += 4)
        for (int c = 0; c < 4; ++c)
        {
            const std::uint8_t expected = source[p + 3] == 0 || c == 3
                                              ? destination[p + c]
                                              : referenceBlend(source[p + c], destination[p + c], 90);
            ASSERT_EQ(blended[p + c], expected) << "pixel " << p / 4;
        }

    // The blend splitters: direction 0 as the blender, direction 1 mirrored.
    for (int direction = 0; direction < 2; ++direction)
        for (bool transparent : {false, true})
        {
            std::unique_ptr<RowSplitter> splitter(createBlendRowSplitter(direction, 90, transparent));
            ASSERT_NE(splitter, nullptr);
            Bytes line = destination;
            splitter->setSource(source.data(), 200);
            splitter->split(line.data(), 7, 20, 150);
            for (int k = 0; k < 200; ++k)
            {
                const bool inPiece = k >= 7 && k < 157;
                const int s = direction == 0 ? 20 + (k - 7) : 199 - 20 - (k - 7);
                for (int c = 0; c < 4; ++c)
                {
                    const std::size_t p = static_cast<std::size_t>(k) * 4;
                    const std::size_t q = static_cast<std::size_t>(s) * 4;
                    const bool skip = !inPiece || c == 3 || (transparent && source[q + 3] == 0);
                    const std::uint8_t expected =
                        skip ? destination[p + c] : referenceBlend(source[q + c], destination[p + c], 90);
                    ASSERT_EQ(line[p + c], expected) << "direction " << direction << " pixel " << k;
                }
            }
        }
}
