// The correlation bases and the set of side-car correlations a codec
// attaches to an image.
#include "imaging/codecs/tests/SharedTestSupport.h"

#include "imaging/codecs/CorrelationOptionInterface.h"
#include "imaging/codecs/bmp/BmpFormatCodec.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/ResourceCorrelation.h"
#include "imaging/codecs/correlation/TabCorrelation.h"
#include "imaging/codecs/correlation/WorldCorrelation.h"

#include <gtest/gtest.h>

#include <memory>

using namespace Omvi;

namespace
{

class PlainCorrelation : public FormatCodecCorrelation
{
public:
    PlainCorrelation* clone() const override { return new PlainCorrelation(*this); }
};

class GeoCorrelation : public FormatCodecGeoCorrelation
{
public:
    GeoCorrelation* clone() const override { return new GeoCorrelation(*this); }
};

class ExternalCorrelation : public FormatCodecExternalCorrelation
{
public:
    ExternalCorrelation* clone() const override { return new ExternalCorrelation(*this); }
};

FileSpecifier fileSpecifier(const std::string& path)
{
    return FileSpecifier(AsciiStringBuffer(path), FileSpecifier::kFile);
}

// An option that sends every side-car request to one folder, and records
// what it was asked.
class FolderOption : public CorrelationOptionInterface
{
public:
    explicit FolderOption(std::string folder) : folder_(std::move(folder)) {}
    bool resolveSideCar(const ImageFormatCodec&, const FileSpecifier&, const StringBuffer& extension,
                        FileSpecifier& sideCar) const override
    {
        asked.push_back(extension.text());
        sideCar = fileSpecifier(folder_ + "/resolved" + extension.text());
        return true;
    }
    mutable std::vector<std::string> asked;

private:
    std::string folder_;
};

} // namespace

TEST(Correlation, FreshCorrelationsHoldTheDefaults)
{
    PlainCorrelation correlation;
    EXPECT_EQ(correlation.propertyType(), FormatCodecPropertyInterface::kCorrelation);
    EXPECT_EQ(correlation.valueType(), FormatCodecPropertyInterface::kCompound);
    EXPECT_EQ(correlation.firstCode(), 1);
    EXPECT_EQ(correlation.secondCode(), 1);
    Point3d origin{5, 5, 5};
    EXPECT_EQ(correlation.getOrigin(origin), (Point3d{0, 0, 0}));
    Vector2d vector;
    EXPECT_EQ(correlation.getScale(vector), Vector2d(1, 1));
    EXPECT_EQ(correlation.getPixelSize(vector), Vector2d(1, 1));
    double rotation = 9;
    EXPECT_EQ(correlation.getRotation(rotation), 0.0);
    std::int32_t unit = 9;
    EXPECT_EQ(correlation.getUnit(unit), 0);
    EXPECT_EQ(unit, 0);
    EXPECT_TRUE(correlation.isValid());
    EXPECT_FALSE(correlation.hasCoordinateSystem());
    StringBuffer name(3, "ab", 4);
    correlation.getCoordinateSystemName(name);
    EXPECT_EQ(name.size(), 1);
    EXPECT_EQ(name.encoding(), 0u);
    StringBuffer text;
    EXPECT_FALSE(correlation.valueAsText(text));

    correlation.setOrigin({1, 2, 3});
    correlation.setScale(Vector2d(2, 4));
    correlation.setUnit(FormatCodecCorrelation::kUnitMetre);
    const std::unique_ptr<PlainCorrelation> copy(correlation.clone());
    EXPECT_EQ(copy->getOrigin(origin), (Point3d{1, 2, 3}));
    EXPECT_EQ(copy->getScale(vector), Vector2d(2, 4));
    EXPECT_EQ(copy->getUnit(unit), 3);
}

TEST(Correlation, GeoCodesAndCitationReportTheirPresence)
{
    GeoCorrelation geo;
    std::int32_t value = 0;
    EXPECT_EQ(geo.getRasterType(value), FormatCodecGeoCorrelation::kPixelIsArea);
    EXPECT_FALSE(geo.hasCoordinateSystemCode());
    EXPECT_FALSE(geo.hasVerticalCoordinateSystemCode());
    EXPECT_FALSE(geo.hasVerticalUnit());
    EXPECT_FALSE(geo.hasCitation());
    geo.setCitation(StringBuffer());
    EXPECT_FALSE(geo.hasCitation());
    geo.setCitation(AsciiStringBuffer("UTM zone 32N"));
    geo.setCoordinateSystemCode(32632);
    geo.setVerticalUnit(FormatCodecCorrelation::kUnitMetre);
    const std::int32_t pair[2] = {7, 8};
    geo.setCoordinatePair(pair);

    const std::unique_ptr<GeoCorrelation> copy(geo.clone());
    geo.setCitation(AsciiStringBuffer("changed"));
    EXPECT_TRUE(copy->hasCitation());
    StringBuffer citation;
    EXPECT_EQ(copy->getCitation(citation).text(), "UTM zone 32N");
    EXPECT_TRUE(copy->hasCoordinateSystemCode());
    EXPECT_EQ(copy->getCoordinateSystemCode(value), 32632);
    EXPECT_EQ(copy->getVerticalUnit(value), 3);
    std::int32_t out[2] = {};
    copy->getCoordinatePair(out);
    EXPECT_EQ(out[0], 7);
    EXPECT_EQ(out[1], 8);
}

TEST(Correlation, BaseSideCarOperationsDoNothing)
{
    ExternalCorrelation external;
    external.setImageSize(10, 20);
    external.read();
    external.write();
    EXPECT_TRUE(external.isValid());
    FileSpecifier file;
    EXPECT_TRUE(external.getSideCarFile(file).path().isEmpty());
}

TEST(Correlation, ReadingSetsHoldThreeMembersAndWritingSetsTwo)
{
    OmviTest::ScratchFolder folder;
    BmpFormatCodec codec;
    const FileSpecifier image = fileSpecifier(folder.file("plan.bmp"));

    CorrelationPropertySetIterator reading(CorrelationPropertySetIterator::kForReading, &codec, image, nullptr);
    ASSERT_EQ(reading.count(), 3);
    EXPECT_NE(dynamic_cast<FormatCodecWorldCorrelation*>(reading.at(0)), nullptr);
    EXPECT_NE(dynamic_cast<FormatCodecResourceCorrelation*>(reading.at(1)), nullptr);
    EXPECT_NE(dynamic_cast<FormatCodecTabCorrelation*>(reading.at(2)), nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(static_cast<FormatCodecCorrelation*>(reading.at(i))->isValid()) << i;

    CorrelationPropertySetIterator writing(CorrelationPropertySetIterator::kForWriting, &codec, image, nullptr);
    ASSERT_EQ(writing.count(), 2);
    EXPECT_NE(dynamic_cast<FormatCodecWorldCorrelation*>(writing.at(0)), nullptr);
    EXPECT_NE(dynamic_cast<FormatCodecResourceCorrelation*>(writing.at(1)), nullptr);
    CorrelationPropertySetIterator other(7, &codec, image, nullptr);
    EXPECT_EQ(other.count(), 2);

    // With the side-car files there, the reading members are valid.
    folder.write("plan.bpw", "1\n0\n0\n-1\n0.5\n9.5\n");
    folder.write("plan.res", "x");
    folder.write("plan.tab", "(0,0) (0,0)\n");
    CorrelationPropertySetIterator found(CorrelationPropertySetIterator::kForReading, &codec, image, nullptr);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(static_cast<FormatCodecCorrelation*>(found.at(i))->isValid()) << i;
    const CorrelationPropertySetIterator copy(found);
    EXPECT_EQ(copy.count(), 3);
}

TEST(Correlation, AnOptionResolvesSideCarsInsteadOfTheFileSystem)
{
    OmviTest::ScratchFolder folder;
    BmpFormatCodec codec;
    folder.write("resolved.res", "x");
    folder.write("resolved.tiw", "1\n0\n0\n-1\n0\n0\n");
    FolderOption option(folder.path());

    CorrelationPropertySetIterator set(CorrelationPropertySetIterator::kForReading, &codec,
                                       fileSpecifier("/elsewhere/image.tif"), &option);
    // World candidates one at a time until one is readable, then .res and .tab.
    EXPECT_EQ(option.asked, (std::vector<std::string>{".tfw", ".tiw", ".res", ".tab"}));
    EXPECT_TRUE(static_cast<FormatCodecCorrelation*>(set.at(0))->isValid());
    EXPECT_TRUE(static_cast<FormatCodecCorrelation*>(set.at(1))->isValid());
    EXPECT_FALSE(static_cast<FormatCodecCorrelation*>(set.at(2))->isValid());
    StringBuffer name;
    static_cast<FormatCodecExternalCorrelation*>(set.at(0))->getSideCarName(name);
    EXPECT_EQ(name.text(), "resolved.tiw");

    // An image that is no file asks for its world file as "WLD".
    FolderOption streamOption(folder.path());
    CorrelationPropertySetIterator stream(CorrelationPropertySetIterator::kForReading, &codec, FileSpecifier(),
                                          &streamOption);
    EXPECT_EQ(streamOption.asked.front(), "WLD");
    EXPECT_TRUE(static_cast<FormatCodecCorrelation*>(stream.at(0))->isValid());
}
