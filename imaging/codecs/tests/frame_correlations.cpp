// What frames do with the side-car correlations of their image: copies,
// reading for the image's size, the valid ones handed out, and side-car
// files written after an image.
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/correlation/WorldCorrelation.h"
#include "imaging/codecs/tests/SharedTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

using namespace Omvi;
using OmviTest::ScratchFolder;

namespace
{

FileSpecifier fileSpecifier(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

// The correlations looked for beside `image`: a world, a resource and a
// tab correlation, valid only when their file is there.
std::unique_ptr<CorrelationPropertySetIterator> readingSet(const ScratchFolder& folder, const std::string& image)
{
    static BmpFormatCodec codec;
    return std::make_unique<CorrelationPropertySetIterator>(CorrelationPropertySetIterator::kForReading, &codec,
                                                            fileSpecifier(folder.file(image)), nullptr);
}

Point3d originOf(const FormatCodecPropertyInterface* property)
{
    Point3d origin;
    dynamic_cast<const FormatCodecCorrelation&>(*property).getOrigin(origin);
    return origin;
}

} // namespace

TEST(FrameCorrelations, OnlyCorrelationsReadFromTheirFilesAreHandedOut)
{
    ScratchFolder folder;
    folder.write("map.tfw", "2\n0\n0\n-2\n10\n20\n");
    const auto set = readingSet(folder, "map.tif");
    ASSERT_EQ(set->count(), 3);

    std::vector<std::int32_t> sizes;
    readExternalCorrelations(set.get(), 50, 80, [&sizes](FormatCodecExternalCorrelation& correlation) {
        sizes.push_back(0);
        pixelsWithoutUnit(correlation);
    });
    EXPECT_EQ(sizes.size(), 3u) << "every side-car correlation is prepared";

    FormatCodecPropertySetIterator valid;
    appendValidCorrelations(set.get(), valid);
    ASSERT_EQ(valid.count(), 1);
    EXPECT_NE(dynamic_cast<const FormatCodecWorldCorrelation*>(valid.at(0)), nullptr);
    FormatCodecPropertySetIterator all;
    appendCorrelations(set.get(), all);
    EXPECT_EQ(all.count(), 3);

    // The origin is the lower-left corner: it depends on the image's height.
    const std::unique_ptr<FormatCodecPropertyInterface> first(cloneFirstValidCorrelation(set.get()));
    ASSERT_NE(first, nullptr);
    EXPECT_NEAR(originOf(first.get()).x, 9.0, 1e-9);
    EXPECT_NEAR(originOf(first.get()).y, 21.0 - 2.0 * 50, 1e-9);
    const std::unique_ptr<FormatCodecPropertyInterface> any(cloneFirstCorrelation(set.get()));
    EXPECT_NE(any, nullptr);

    // A frame's copy is its own.
    const auto copy = copyCorrelations(set.get());
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy.get(), set.get());
    EXPECT_EQ(copy->count(), 3);
}

TEST(FrameCorrelations, NoSetMeansNothingToDo)
{
    EXPECT_EQ(copyCorrelations(nullptr), nullptr);
    readExternalCorrelations(nullptr, 1, 1, [](FormatCodecExternalCorrelation&) { ADD_FAILURE(); });
    EXPECT_EQ(firstValidCorrelation(nullptr), nullptr);
    EXPECT_EQ(cloneFirstValidCorrelation(nullptr), nullptr);
    EXPECT_EQ(cloneFirstCorrelation(nullptr), nullptr);
    FormatCodecPropertySetIterator to;
    appendValidCorrelations(nullptr, to);
    appendCorrelations(nullptr, to);
    EXPECT_EQ(to.count(), 0);
}

TEST(FrameCorrelations, OnlyValidSideCarsAreWrittenAfterTheImage)
{
    ScratchFolder folder;
    static BmpFormatCodec codec;
    CorrelationPropertySetIterator writing(CorrelationPropertySetIterator::kForWriting, &codec,
                                           fileSpecifier(folder.file("out.tif")), nullptr);
    writeExternalCorrelations(writing, 10, 20, 8);
    EXPECT_FALSE(folder.exists("out.tfw")) << "a correlation nobody set is not written";

    FormatCodecPropertySetIterator set;
    FormatCodecWorldCorrelation world(fileSpecifier(folder.file("out.tif")));
    world.setPixelSize(Vector2d(1, 1));
    world.setOrigin({0, 0, 0});
    set.append(&world);
    writeExternalCorrelations(set, 100, 200, std::nullopt);
    const std::string text = folder.read("out.tfw");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6) << text;
    EXPECT_NE(text.find("99.5"), std::string::npos) << "the origin is the lower-left corner of 100 rows";
}
