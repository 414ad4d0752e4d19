// The imaging core's descriptors over real codec properties: a frame's
// sample format property in the data model it gives, and the properties of
// a frame being read handed to a frame being written (all taken, or the walk
// stopped and the frame's properties cleared at the first refusal), with a
// JPEG read and written again through the descriptors.
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/ValueProperties.h"
#include "imaging/codecs/tests/JpegTestSupport.h"
#include "imaging/descriptors/FileReadDescriptor.h"
#include "imaging/descriptors/FileReadDescriptorImp.h"
#include "imaging/descriptors/FileWriteDescriptor.h"
#include "imaging/descriptors/FileWriteDescriptorImp.h"
#include "imaging/descriptors/FrameDataModel.h"
#include "imaging/models/DataModel.h"
#include "imaging/tests/PnmTestCodec.h"
#include "imaging/tests/SyntheticImageFile.h"

#include <gtest/gtest.h>

using namespace Omvi;

namespace
{
class SampleFormat : public FormatCodecSampleFormatProperty
{
public:
    explicit SampleFormat(std::int32_t value) : FormatCodecSampleFormatProperty(value, 0) {}
    FormatCodecPropertyInterface* clone() const override { return new SampleFormat(*this); }
};

class IntProperty : public FormatCodecIntProperty
{
public:
    IntProperty(std::int32_t type, std::int32_t value) : FormatCodecIntProperty(type, 0, 100, value) {}
    FormatCodecPropertyInterface* clone() const override { return new IntProperty(*this); }
};

// A set that counts how far it was walked.
class CountingSet : public FormatCodecPropertySetIterator
{
public:
    explicit CountingSet(std::shared_ptr<int> visited) : visited_(std::move(visited)) {}
    FormatCodecPropertyInterface* current() const override
    {
        ++*visited_;
        return FormatCodecPropertySetIterator::current();
    }

private:
    std::shared_ptr<int> visited_;
};

// A plain 16-bit frame whose property 14 is the given sample format (none
// for a negative value).
class PlainFrame : public OmviTest::SyntheticFrame
{
public:
    PlainFrame(std::shared_ptr<OmviTest::SyntheticFile> file, std::int32_t format)
        : SyntheticFrame(std::move(file)), format_(format)
    {
    }
    FormatCodecPropertyInterface* getPropertyOfType(int type) override
    {
        return type == 14 && format_ >= 0 ? new SampleFormat(format_) : nullptr;
    }

private:
    std::int32_t format_;
};

// A descriptor representation whose frame hands out a given property set.
class PropertyDescriptor : public OmviTest::SyntheticDescriptorRep
{
public:
    explicit PropertyDescriptor(std::function<FormatCodecPropertySetIterator*()> make) : make_(std::move(make)) {}
    FormatCodecPropertySetIterator* getFormatProperties() override { return make_(); }

private:
    std::function<FormatCodecPropertySetIterator*()> make_;
};
} // namespace

TEST(DescriptorProperties, SampleFormatPropertyGivesThePlainModelsFormat)
{
    auto file = OmviTest::SyntheticFile::rgb(4, 4);
    file->colorSpace = 0;
    file->dataType = kDataTypeSixteenBit;
    file->bitsUsed = 16;
    for (const auto& [value, format] : std::vector<std::pair<int, int>>{{-1, 0}, {0, 1}, {1, 2}, {2, 3}, {7, 0}})
    {
        PlainFrame frame(file, value);
        const auto model = dataModelOfFrame(frame);
        ASSERT_NE(model, nullptr);
        EXPECT_EQ(model->sampleFormat(), format) << "property value " << value;
        EXPECT_EQ(model->dataType(), kDataTypeSixteenBit);
    }
}

TEST(DescriptorProperties, PropertiesAllTakenOrTheWalkStopsAtTheFirstRefusal)
{
    auto visited = std::make_shared<int>(0);
    auto setOf = [visited](std::vector<std::pair<int, int>> properties) {
        return [visited, properties] {
            auto* set = new CountingSet(visited);
            for (const auto& [type, value] : properties)
            {
                const IntProperty property(type, value);
                set->append(&property);
            }
            return static_cast<FormatCodecPropertySetIterator*>(set);
        };
    };

    // The JPEG writer takes compression properties.
    JfifFormatCodec jfif;
    OmviTest::MemoryStream stream;
    FileWriteDescriptor jpeg(jfif);
    jpeg.createOnStream(&stream);
    jpeg.createImageFrame(RgbModel(24), 8, 8);
    auto& writing = dynamic_cast<FileWriteDescriptorImp&>(jpeg.representation());
    FileReadDescriptor two(std::make_unique<PropertyDescriptor>(setOf({{2, 75}, {2, 50}})));
    EXPECT_TRUE(writing.copyFormatProperties(two));
    EXPECT_EQ(*visited, 2);
    FileReadDescriptor none(std::make_unique<PropertyDescriptor>(setOf({})));
    EXPECT_TRUE(writing.copyFormatProperties(none)) << "an empty set is copied";

    // A private property is refused: the walk stops there.
    *visited = 0;
    FileReadDescriptor refused(std::make_unique<PropertyDescriptor>(setOf({{2, 75}, {0, 1}, {2, 50}})));
    EXPECT_FALSE(writing.copyFormatProperties(refused));
    EXPECT_EQ(*visited, 2);

    // The test codec's frame refuses everything and is told to clear.
    OmviTest::PnmTestCodec pnm;
    OmviTest::MemoryDataStream target;
    FileWriteDescriptor map(pnm);
    map.createOnStream(&target);
    map.createImageFrame(RgbModel(24), 2, 2);
    *visited = 0;
    EXPECT_FALSE(dynamic_cast<FileWriteDescriptorImp&>(map.representation()).copyFormatProperties(two));
    EXPECT_EQ(*visited, 1);
    EXPECT_EQ(pnm.lastWriter->lastFrame->clears, 1);
}

TEST(DescriptorProperties, AJpegReadAndWrittenAgainThroughTheDescriptors)
{
    const OmviTest::TestImage image = OmviTest::patternImage(24, 16, 3);
    const OmviTest::MemoryFile file(OmviTest::encodeJpeg(OmviTest::withAlpha(image)));
    JfifFormatCodec jfif;
    auto representation = std::make_unique<FileReadDescriptorImp>();
    representation->construct(file.specifier(), jfif, nullptr);
    FileReadDescriptor source(std::move(representation));
    EXPECT_EQ(source.size(), (PixelPair{24, 16}));
    EXPECT_EQ(source.dataModel()->colorSpace(), kColorSpaceRgb);

    OmviTest::MemoryStream stream;
    FileWriteDescriptor out(jfif);
    out.createOnStream(&stream);
    out.createImageFrame(*source.dataModel(), 24, 16);
    ASSERT_TRUE(out.isFrameValid());
    EXPECT_TRUE(dynamic_cast<FileWriteDescriptorImp&>(out.representation()).copyFormatProperties(source));
    EXPECT_EQ(out.writeImageFrame(source.rowProvider()), 0) << "the JPEG writer answers 0 when it wrote";
    const OmviTest::TestImage again = OmviTest::decodeJpeg(stream.bytes);
    EXPECT_EQ(again.width, 24);
    EXPECT_EQ(again.height, 16);
    ASSERT_EQ(again.channels, 4);
    EXPECT_GT(OmviTest::psnr(OmviTest::withoutAlpha(again), image), 30.0);
}
