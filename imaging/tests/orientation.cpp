#include "imaging/Orientation.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace Omvi;

namespace
{
// A provider or stored image of distinct pixel values (row-major).
struct Grid
{
    int width, height;
    std::vector<int> pixels;
    int at(PixelPosition p) const { return pixels[static_cast<std::size_t>(p.y * width + p.x)]; }
};

Grid numbered(int width, int height)
{
    Grid g{width, height, {}};
    for (int i = 0; i < width * height; ++i)
        g.pixels.push_back(i);
    return g;
}

Grid build(BuildOrder order, const Grid& provider)
{
    const PixelPosition size = builtSize(order, provider.width, provider.height);
    Grid image{size.x, size.y, {}};
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x)
            image.pixels.push_back(provider.at(providerPixel(order, provider.width, provider.height, x, y)));
    return image;
}

Grid view(Orientation orientation, const Grid& stored)
{
    const PixelPosition size = orientedSize(orientation, stored.width, stored.height);
    Grid image{size.x, size.y, {}};
    for (int y = 0; y < size.y; ++y)
        for (int x = 0; x < size.x; ++x)
            image.pixels.push_back(stored.at(storedPixel(orientation, stored.width, stored.height, x, y)));
    return image;
}

bool same(const Grid& a, const Grid& b)
{
    return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

const BuildOrder kOrders[] = {BuildOrder::RowsTopDown,          BuildOrder::RowsTopDownMirrored,
                              BuildOrder::RowsBottomUp,         BuildOrder::RowsBottomUpMirrored,
                              BuildOrder::ColumnsLeftRightDown, BuildOrder::ColumnsRightLeftDown,
                              BuildOrder::ColumnsLeftRightUp,   BuildOrder::ColumnsRightLeftUp};
const Orientation kOrientations[] = {Orientation::Transpose,       Orientation::QuarterTurnLeft,
                                     Orientation::QuarterTurnRight, Orientation::Transverse,
                                     Orientation::Identity,         Orientation::MirrorLeftRight,
                                     Orientation::MirrorTopBottom,  Orientation::HalfTurn};
} // namespace

TEST(Orientation, CodesOutsideZeroToSevenAreRefused)
{
    EXPECT_FALSE(buildOrderFromCode(-1));
    EXPECT_FALSE(buildOrderFromCode(8));
    EXPECT_FALSE(orientationFromCode(8));
    EXPECT_EQ(orientationFromCode(4), Orientation::Identity);
    EXPECT_EQ(buildOrderFromCode(0), BuildOrder::RowsTopDown);
    for (int code = 0; code < 8; ++code)
    {
        EXPECT_EQ(swapsAxes(*buildOrderFromCode(code)), code >= 4) << "build order " << code;
        EXPECT_EQ(swapsAxes(*orientationFromCode(code)), code < 4) << "orientation " << code;
    }
}

TEST(Orientation, BuildOrdersLayRowsWhereTheirNamesSay)
{
    // A provider of 3 x 2: row 0 = 0 1 2, row 1 = 3 4 5.
    const Grid provider = numbered(3, 2);
    const std::vector<int> expected[] = {
        {0, 1, 2, 3, 4, 5}, // rows top-down
        {2, 1, 0, 5, 4, 3}, // mirrored
        {3, 4, 5, 0, 1, 2}, // bottom-up
        {5, 4, 3, 2, 1, 0}, // bottom-up mirrored
        {0, 3, 1, 4, 2, 5}, // row 0 down column 0, row 1 down column 1
        {3, 0, 4, 1, 5, 2}, // row 0 down the last column
        {2, 5, 1, 4, 0, 3}, // row 0 up column 0
        {5, 2, 4, 1, 3, 0}, // row 0 up the last column
    };
    for (int code = 0; code < 8; ++code)
    {
        const Grid image = build(kOrders[code], provider);
        EXPECT_EQ(image.pixels, expected[code]) << "build order " << code;
        EXPECT_EQ(image.width, code < 4 ? 3 : 2);
    }
}

TEST(Orientation, OrientationsShowTheStoredImageAsTheirNamesSay)
{
    // Stored 3 x 2: 0 1 2 / 3 4 5.
    const Grid stored = numbered(3, 2);
    const std::vector<int> expected[] = {
        {0, 3, 1, 4, 2, 5}, // transpose
        {2, 5, 1, 4, 0, 3}, // a quarter turn counter-clockwise: the right edge comes on top
        {3, 0, 4, 1, 5, 2}, // a quarter turn clockwise: the left edge comes on top
        {5, 2, 4, 1, 3, 0}, // transverse
        {0, 1, 2, 3, 4, 5}, // identity
        {2, 1, 0, 5, 4, 3}, // mirrored left-right
        {3, 4, 5, 0, 1, 2}, // mirrored top-bottom
        {5, 4, 3, 2, 1, 0}, // half turn
    };
    for (int code = 0; code < 8; ++code)
        EXPECT_EQ(view(kOrientations[code], stored).pixels, expected[code]) << "orientation " << code;
}

TEST(Orientation, EachBuildOrderHasExactlyOneMatchingOrientation)
{
    const Grid provider = numbered(5, 3);
    std::set<Orientation> seen;
    for (BuildOrder order : kOrders)
    {
        const Orientation matching = toOrientation(order);
        EXPECT_TRUE(same(build(order, provider), view(matching, provider))) << "order " << codeOf(order);
        EXPECT_EQ(toBuildOrder(matching), order);
        seen.insert(matching);
    }
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_EQ(toOrientation(BuildOrder::RowsTopDown), Orientation::Identity);
}

TEST(Orientation, BuildingThenReadingComposesToOneOfTheEight)
{
    // Every build order followed by every read orientation is again one of
    // the eight orientations of the provider, and no two read orientations
    // of one built image agree.
    const Grid provider = numbered(5, 3);
    for (BuildOrder order : kOrders)
    {
        const Grid image = build(order, provider);
        std::set<Orientation> results;
        for (Orientation read : kOrientations)
        {
            const Grid out = view(read, image);
            int matches = 0;
            for (Orientation candidate : kOrientations)
                if (same(out, view(candidate, provider)))
                {
                    ++matches;
                    results.insert(candidate);
                }
            EXPECT_EQ(matches, 1) << "order " << codeOf(order) << " read " << codeOf(read);
        }
        EXPECT_EQ(results.size(), 8u) << "order " << codeOf(order);
        EXPECT_TRUE(same(view(Orientation::Identity, image), image));
    }
}

TEST(Orientation, InversesUndoAndDecomposersUseTheInverseView)
{
    const Grid stored = numbered(4, 3);
    for (Orientation o : kOrientations)
    {
        const Grid shown = view(o, stored);
        EXPECT_TRUE(same(view(inverse(o), shown), stored)) << "orientation " << codeOf(o);
    }
    // Building in order b is decomposing with the orientation whose read
    // gives the provider back; the decomposer tables pair build order b
    // with code (b + 4) mod 8.
    const Grid provider = numbered(4, 3);
    for (BuildOrder order : kOrders)
    {
        EXPECT_EQ(codeOf(decompositionOf(order)), (codeOf(order) + 4) % 8);
        EXPECT_TRUE(same(view(decompositionOf(order), build(order, provider)), provider)) << codeOf(order);
    }
}
