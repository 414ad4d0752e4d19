// The shared parts of the reader contracts: the region of sub-region row
// iterators, and the errors writers raise.
#include "imaging/DataBuffer.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/codec/SubRegionRowIterator.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Omvi;

namespace
{

// A region iterator over a height x width image that delivers nothing.
class Region : public SubRegionRowIterator
{
public:
    Region(int height, int width) : SubRegionRowIterator(height, width) {}
    std::int32_t bytesPerRow() const override { return width(); }
    void getRow(DataBuffer&) override {}
    bool next() override { return true; }
    void start() override {}
    void finish() override {}
};

} // namespace

TEST(SubRegionRowIterator, CornersAreClampedIntoTheImageRowFirst)
{
    Region region(10, 20);
    EXPECT_EQ(region.rowCount(), 10);
    EXPECT_EQ(region.width(), 20);

    region.setBottomRight(30, 5);
    int row = -1;
    int column = -1;
    region.getBottomRight(&row, &column);
    EXPECT_EQ(row, 9);
    EXPECT_EQ(column, 5);
    region.setTopLeft(0, 0);
    EXPECT_EQ(region.rowCount(), 10);
    EXPECT_EQ(region.width(), 6);

    region.setTopLeft(-5, -5);
    region.getTopLeft(&row, &column);
    EXPECT_EQ(row, 0);
    EXPECT_EQ(column, 0);
    region.setTopLeft(3, 25);
    region.getTopLeft(&row, &column);
    EXPECT_EQ(row, 3);
    EXPECT_EQ(column, 19);
    EXPECT_EQ(region.width(), 0);  // the corners crossed: nothing to deliver
    EXPECT_EQ(region.rowCount(), 7);

    region.selectWholeImage();
    EXPECT_EQ(region.rowCount(), 10);
    EXPECT_EQ(region.width(), 20);
    region.getTopLeft(&row, &column);
    EXPECT_EQ(row + column, 0);

    Region empty(0, 0);
    EXPECT_EQ(empty.rowCount(), 0);
    EXPECT_EQ(empty.width(), 0);
    empty.setBottomRight(5, 5);
    EXPECT_EQ(empty.rowCount(), 0);
}

TEST(CodecErrors, WritersThrowCodedCodecExceptions)
{
    try
    {
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
        FAIL() << "nothing thrown";
    }
    catch (OMVIException* thrown)
    {
        OwnedException failure(thrown);
        EXPECT_NE(dynamic_cast<FormatCodecException*>(thrown), nullptr);
        EXPECT_EQ(failure->code(), 7);
        EXPECT_EQ(failure->getMessage().text(), "Invalid Bits Per Pixel");
    }
}
