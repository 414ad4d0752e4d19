// The image handle: its constructors list the representation with the
// session and its destructor takes it off; copies of tiled images share
// tiles, copies of static images are refused; and the whole road of a file:
// opened by the test codec into an image, read back, scaled and written
// through a writer, the result checked against ImageMagick's -sample.
#include "DescriptorFixtures.h"
#include "MagickCompare.h"
#include "PixelGrids.h"

#include "imaging/OMVIException.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/filters/Scale.h"
#include "imaging/images/Image.h"
#include "imaging/images/StaticImage.h"
#include "imaging/images/TiledImage.h"
#include "imaging/models/RgbGrayModel.h"
#include "imaging/models/RgbModel.h"

#include <gtest/gtest.h>

using namespace Omvi;
using OmviTest::Bytes;
using OmviTest::thrownCode;

namespace
{
using ImageHandleTest = OmviTest::DescriptorTest;

std::int32_t listed()
{
    return OMVISession::get()->numImages();
}
} // namespace

TEST_F(ImageHandleTest, RepresentationsAreListedForAsLongAsTheHandleHoldsThem)
{
    const RgbGrayModel gray;
    const std::int32_t before = listed();
    {
        Image blank({9, 4}, gray, ImagePixel(kPixelGray, 3), kOrganisationDefault);
        ASSERT_NE(blank.representation(), nullptr);
        EXPECT_EQ(listed(), before + 1);
        EXPECT_NE(blank.representation()->registryId(), 0);
        EXPECT_EQ(OMVISession::get()->imageAt(listed() - 1), blank.representation());

        Image fromRows(OmviTest::patternRows(gray, 5, 3).release(), BuildOrder::ColumnsLeftRightDown,
                       kOrganisationDefault);
        EXPECT_EQ(fromRows.representation()->size(), (PixelPair{3, 5}));
        EXPECT_EQ(listed(), before + 2);

        Image copy(fromRows);
        EXPECT_EQ(listed(), before + 3);
        EXPECT_NE(copy.representation(), fromRows.representation());
        auto back = copy.representation()->read({3, 5}, {0, 0});
        auto original = fromRows.representation()->read({3, 5}, {0, 0});
        EXPECT_GRID_EQ(OmviTest::pullGrid(*back), OmviTest::pullGrid(*original));

        // Assignment: the copy is made, then the old representation leaves.
        blank = fromRows;
        EXPECT_EQ(listed(), before + 3);
        EXPECT_EQ(blank.representation()->size(), (PixelPair{3, 5}));
        Image empty;
        EXPECT_TRUE(empty.isEmpty());
        Image emptyCopy(empty);
        EXPECT_TRUE(emptyCopy.isEmpty());
        blank = empty;
        EXPECT_TRUE(blank.isEmpty());
        EXPECT_EQ(listed(), before + 2);
    }
    EXPECT_EQ(listed(), before);
}

TEST_F(ImageHandleTest, StaticImagesAreNotCopied)
{
    const RgbModel rgb(32);
    std::vector<std::uint8_t> memory(static_cast<std::size_t>(rgb.bytesPerRow(4)) * 3, 0);
    auto representation = std::make_unique<StaticImage>();
    representation->construct(memory.data(), {4, 3}, rgb);
    const std::int32_t before = listed();
    Image image(std::move(representation));
    EXPECT_EQ(listed(), before + 1);
    EXPECT_TRUE(image.representation()->isStatic());

    std::string message;
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { Image copy(image); }, &message), 3);
    EXPECT_EQ(message, "Image::Image");
    EXPECT_EQ(listed(), before + 1) << "nothing more is listed";

    Image target({2, 2}, rgb, ImagePixel(kPixelRgb, 0), kOrganisationDefault);
    ImageRep* kept = target.representation();
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { target = image; }, &message), 3);
    EXPECT_EQ(message, "Image::operator=");
    EXPECT_EQ(target.representation(), kept) << "a failed assignment keeps the old image";
    EXPECT_EQ(listed(), before + 2);
}

TEST_F(ImageHandleTest, ASourceThatCannotBeBuiltStaysTheCallers)
{
    const RgbGrayModel gray;
    auto deleted = std::make_shared<bool>(false);
    auto* rows = new OmviTest::MemoryRows(gray, 0, 4, 8);
    rows->watchDeletion(deleted);
    const std::int32_t before = listed();
    EXPECT_EQ(thrownCode<ImageConstructionException>([&] { Image image(rows, kOrganisationDefault); }), 2);
    EXPECT_FALSE(*deleted);
    EXPECT_EQ(listed(), before);
    delete rows;
    EXPECT_TRUE(*deleted);
}

TEST_F(ImageHandleTest, AFileOpenedIntoAnImageScaledAndWrittenEqualsImageMagicksSample)
{
    OMVI_REQUIRE_TOOL("convert");
    OMVI_REQUIRE_TOOL("compare");
    const Bytes pixels = OmviTest::mapPixels('6', 31, 17);
    const FileSpecifier source = file("in.ppm", OmviTest::pnmBytes('6', 31, 17, pixels));

    FileReadDescriptor descriptor(source);
    Image image(descriptor, kOrganisationDefault);
    ASSERT_EQ(image.representation()->size(), (PixelPair{31, 17}));
    std::unique_ptr<RowProviderInterface> rows = image.representation()->read({31, 17}, {0, 0});
    auto* doubled = new Scale(rows.release(), {62, 34});

    FileWriteDescriptor out(codec);
    ASSERT_TRUE(out.create(specifier("out.ppm")));
    out.createImageFrame(doubled->dataModel(), 62, 34);
    ASSERT_TRUE(out.isFrameValid());
    EXPECT_EQ(out.writeImageFrame(doubled), 1);

    const OmviTest::Picture ours = OmviTest::readPortableMap(folder.file("out.ppm"));
    const OmviTest::Picture original = OmviTest::readPortableMap(folder.file("in.ppm"));
    const OmviTest::Picture theirs = OmviTest::magickConvert(folder, original, "-sample 62x34!");
    ASSERT_EQ(ours.width, 62);
    ASSERT_EQ(theirs.width, 62);
    EXPECT_EQ(OmviTest::magickDifference(folder, ours, theirs), 0);
}
