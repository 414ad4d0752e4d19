// GeoTIFF placement: what the reader makes of GeoTIFF tags and keys
// (written by the test through libgeotiff and checked with listgeo), the
// orientation it implies, and what the writer stores, checked with listgeo
// and read back.
#include "imaging/codecs/tests/SharedTestSupport.h"
#include "TiffTestSupport.h"

#include "imaging/codecs/WriteImageFileFrameInterface.h"
#include "imaging/codecs/WriteImageFileInterface.h"
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/geotiff/GeoTIFFUtils.h"
#include "imaging/codecs/tiff/geotiff/GeoTiffCorrelation.h"
#include "imaging/tests/ToolCheck.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <geotiff.h>
#include <geovalues.h>

using namespace Omvi;
using namespace OmviTest::Tiff;
using OmviTest::ScratchFolder;

namespace
{

constexpr double kPi = 3.14159265358979323846;
constexpr std::uint32_t kWidth = 40;
constexpr std::uint32_t kHeight = 30;

struct GeoTags
{
    std::vector<double> scale;
    std::vector<double> ties;
    std::vector<double> matrix;
    std::vector<std::pair<int, int>> keys;  // short keys
    std::string citation;
};

TiffSpec geoSpec(const GeoTags& geo)
{
    TiffSpec spec;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.tags = [geo](TIFF* tiff) {
        if (!geo.scale.empty())
            TIFFSetField(tiff, 33550, static_cast<int>(geo.scale.size()), geo.scale.data());
        if (!geo.ties.empty())
            TIFFSetField(tiff, 33922, static_cast<int>(geo.ties.size()), geo.ties.data());
        if (!geo.matrix.empty())
            TIFFSetField(tiff, 34264, static_cast<int>(geo.matrix.size()), geo.matrix.data());
        if (geo.keys.empty() && geo.citation.empty())
            return;
        GTIF* keys = GTIFNew(tiff);
        for (const auto& [key, value] : geo.keys)
            GTIFKeySet(keys, static_cast<geokey_t>(key), TYPE_SHORT, 1, value);
        if (!geo.citation.empty())
            GTIFKeySet(keys, GTCitationGeoKey, TYPE_ASCII, 0, geo.citation.c_str());
        GTIFWriteKeys(keys);
        GTIFFree(keys);
    };
    return spec;
}

class TiffGeoTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

    std::string generate(const std::string& name, const GeoTags& geo)
    {
        const std::string path = folder_.file(name);
        const TiffSpec spec = geoSpec(geo);
        EXPECT_TRUE(writeTiff(path, {spec}, {Bytes(planeRowBytes(spec) * spec.height, 0)}));
        return path;
    }

    // The frame's GeoTIFF correlation (null when it has none) and its
    // orientation.
    std::unique_ptr<GeoTiffCorrelation> correlationOf(const std::string& path, int* orientation = nullptr)
    {
        std::unique_ptr<ReadImageFileInterface> reader(codec_.openForRead(specifierOf(path)));
        std::unique_ptr<ReadImageFileFrameInterface> frame(reader ? reader->openFrame(0) : nullptr);
        EXPECT_TRUE(frame);
        if (!frame)
            return nullptr;
        if (orientation)
            *orientation = frame->getOrientation();
        std::unique_ptr<FormatCodecPropertySetIterator> set(frame->getProperties());
        for (set->start(); !set->isDone(); set->next())
            if (const auto* geo = dynamic_cast<const GeoTiffCorrelation*>(set->current()))
                return std::unique_ptr<GeoTiffCorrelation>(static_cast<GeoTiffCorrelation*>(geo->clone()));
        return nullptr;
    }

    std::string listgeo(const std::string& path)
    {
        return capture("listgeo -no_norm -no_corners " + quoted(path)).value_or("");
    }

    TiffFormatCodec codec_{TiffFormatCodec::kWithLzw};
    ScratchFolder folder_;
};

// A short key as libgeotiff reads it from the file (-1 when absent).
int keyOf(const std::string& path, int key)
{
    TIFF* tiff = XTIFFOpen(path.c_str(), "r");
    if (!tiff)
        return -2;
    GTIF* keys = GTIFNew(tiff);
    unsigned short value = 0;
    const int found = keys ? GTIFKeyGetSHORT(keys, static_cast<geokey_t>(key), &value, 0, 1) : 0;
    if (keys)
        GTIFFree(keys);
    XTIFFClose(tiff);
    return found == 1 ? value : -1;
}

} // namespace

TEST_F(TiffGeoTest, ScaleAndTiePointPlaceTheImage)
{
    // A y scale of -3: rows run up the model, so the origin is the model
    // point of raster (0, 0) and the rows are stored bottom up.
    const std::string path =
        generate("flipped.tif", {{2.0, -3.0, 0.0},
                                 {0.0, 0.0, 0.0, 1000.0, 2000.0, 0.0},
                                 {},
                                 {{GTModelTypeGeoKey, ModelTypeProjected},
                                  {ProjectedCSTypeGeoKey, 32631},
                                  {ProjLinearUnitsGeoKey, 9001},
                                  {GTRasterTypeGeoKey, RasterPixelIsPoint},
                                  {VerticalCSTypeGeoKey, 5703},
                                  {VerticalUnitsGeoKey, 9002}},
                                 "test placement"});
    if (OmviTest::haveTool("listgeo"))
    {
        const std::string report = listgeo(path);
        EXPECT_NE(report.find("ModelPixelScaleTag (1,3)"), std::string::npos) << report;
        EXPECT_NE(report.find("ProjectedCSTypeGeoKey (Short,1)"), std::string::npos);
    }
    int orientation = -1;
    const std::unique_ptr<GeoTiffCorrelation> geo = correlationOf(path, &orientation);
    ASSERT_TRUE(geo);
    EXPECT_TRUE(geo->isValid());
    EXPECT_TRUE(geo->hasGeoKeys());
    EXPECT_TRUE(geo->hasCoordinateSystem());
    EXPECT_EQ(orientation, 2);
    Vector2d size;
    geo->getPixelSize(size);
    EXPECT_EQ(size.x, 2.0);
    EXPECT_EQ(size.y, 3.0);
    double rotation = 1.0;
    EXPECT_EQ(geo->getRotation(rotation), 0.0);
    Point3d origin;
    geo->getOrigin(origin);
    EXPECT_EQ(origin.x, 1000.0);
    EXPECT_EQ(origin.y, 2000.0);
    Point2d corner;
    geo->getLowerRight(corner);
    EXPECT_EQ(corner.x, 1000.0 + 2.0 * kWidth);
    EXPECT_EQ(corner.y, 2000.0 + 3.0 * kHeight);
    std::int32_t value = 0;
    EXPECT_EQ(geo->getUnit(value), FormatCodecCorrelation::kUnitMetre);
    EXPECT_EQ(geo->getCoordinateSystemCode(value), 32631);
    EXPECT_EQ(geo->getVerticalCoordinateSystemCode(value), 5703);
    EXPECT_EQ(geo->getVerticalUnit(value), FormatCodecCorrelation::kUnitFoot);
    EXPECT_EQ(geo->getRasterType(value), FormatCodecGeoCorrelation::kPixelIsPoint);
    StringBuffer text;
    EXPECT_EQ(geo->getCitation(text).text(), "test placement");
    // The coordinate system has a name (whatever the database calls it).
    EXPECT_FALSE(geo->getCoordinateSystemName(text).text().empty());

    // A mirrored x axis too: both axes flipped.
    const std::string both =
        generate("both.tif", {{-2.0, -3.0, 0.0}, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0}, {}, {{GTModelTypeGeoKey, 1}}, ""});
    correlationOf(both, &orientation);
    EXPECT_EQ(orientation, 3);
    const std::string mirrored =
        generate("mirrored.tif", {{-2.0, 3.0, 0.0}, {0.0, 0.0, 0.0, 0.0, 0.0, 0.0}, {}, {{GTModelTypeGeoKey, 1}}, ""});
    correlationOf(mirrored, &orientation);
    EXPECT_EQ(orientation, 1);
    const std::string upright =
        generate("upright.tif", {{2.0, 3.0, 0.0}, {0.0, 0.0, 0.0, 10.0, 500.0, 0.0}, {}, {{GTModelTypeGeoKey, 2}}, ""});
    const std::unique_ptr<GeoTiffCorrelation> plain = correlationOf(upright, &orientation);
    EXPECT_EQ(orientation, 0);
    ASSERT_TRUE(plain);
    // Not flipped: the origin is the lower-left corner.
    plain->getOrigin(origin);
    EXPECT_EQ(origin.x, 10.0);
    EXPECT_EQ(origin.y, 500.0 - 3.0 * kHeight);
}

TEST_F(TiffGeoTest, TransformationGivesRotationAndSize)
{
    // The first edge (along a row) points along the model's y axis: a
    // quarter turn. Pixels 2 wide, 4 high.
    const std::string path = generate(
        "turned.tif",
        {{}, {}, {0.0, 4.0, 0.0, 100.0, 2.0, 0.0, 0.0, 200.0, 0.0, 0.0, 1.0, 0.0, 0.0, 0.0, 0.0, 1.0}, {{GTModelTypeGeoKey, 2}}, ""});
    int orientation = -1;
    const std::unique_ptr<GeoTiffCorrelation> geo = correlationOf(path, &orientation);
    ASSERT_TRUE(geo);
    double rotation = 0.0;
    EXPECT_NEAR(geo->getRotation(rotation), kPi / 2, 1e-12);
    Vector2d size;
    geo->getPixelSize(size);
    EXPECT_NEAR(size.x, 2.0, 1e-12);
    EXPECT_NEAR(size.y, 4.0, 1e-12);

    // Scale and tie points without a key directory, or several tie points:
    // information, but no placement.
    const std::string loose =
        generate("loose.tif", {{1.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0, 1.0, 0.0}, {}, {}, ""});
    EXPECT_FALSE(correlationOf(loose));
    const std::string many = generate(
        "many.tif", {{1.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0, 1.0, 0.0, 5.0, 5.0, 0.0, 6.0, 6.0, 0.0}, {}, {{GTModelTypeGeoKey, 1}}, ""});
    EXPECT_FALSE(correlationOf(many));
    const std::string nothing = generate("nothing.tif", {});
    EXPECT_FALSE(correlationOf(nothing));

    // A citation longer than 1024 characters is cut.
    const std::string cited =
        generate("cited.tif", {{1.0, 1.0, 0.0}, {0.0, 0.0, 0.0, 1.0, 1.0, 0.0}, {}, {{GTModelTypeGeoKey, 1}},
                               std::string(1500, 'c')});
    const std::unique_ptr<GeoTiffCorrelation> long_ = correlationOf(cited);
    ASSERT_TRUE(long_);
    StringBuffer citation;
    EXPECT_EQ(long_->getCitation(citation).text().size(), GeoTIFFUtils::kCitationLimit);
}

TEST_F(TiffGeoTest, WrittenPlacementIsReadByListgeoAndBack)
{
    TiffFormatCodec writerCodec(TiffFormatCodec::kTextureMode);
    struct Placement
    {
        std::int32_t code;
        std::int32_t unit;
        double rotation;
        int modelType;     // -1: no model type key
        int unitKey;       // the key the linear unit goes under
        int unitValue;
    };
    const Placement placements[] = {
        {32631, FormatCodecCorrelation::kUnitMetre, 0.0, ModelTypeProjected, ProjLinearUnitsGeoKey, 9001},
        {4326, FormatCodecCorrelation::kUnitFoot, 0.0, ModelTypeGeographic, GeogLinearUnitsGeoKey, 9002},
        {5000, FormatCodecCorrelation::kUnitMetre, 0.0, -1, GeogLinearUnitsGeoKey, 9001},
        {32631, FormatCodecCorrelation::kUnitMetre, kPi / 6, ModelTypeProjected, ProjLinearUnitsGeoKey, 9001},
    };
    int n = 0;
    for (const Placement& p : placements)
    {
        SCOPED_TRACE(n);
        const std::string path = folder_.file("placed" + std::to_string(n++) + ".tif");
        std::unique_ptr<WriteImageFileInterface> writer(writerCodec.createWriter());
        ASSERT_TRUE(writer->open(specifierOf(path)));
        std::unique_ptr<WriteImageFileFrameInterface> frame(writer->createFrame());
        frame->setSize(static_cast<int>(kHeight), static_cast<int>(kWidth));
        frame->setThirdValue(8);
        frame->setBitsPerPixel(8);
        frame->setDataModelKind(3);
        std::unique_ptr<FormatCodecPropertyInterface> property(frame->getPropertyOfType(FormatCodecPropertyInterface::kCorrelation));
        auto* geo = dynamic_cast<GeoTiffCorrelation*>(property.get());
        ASSERT_TRUE(geo);
        geo->setOrigin(Point3d{5000.0, 7000.0, 0.0});
        geo->setPixelSize(Vector2d(0.5, 0.5));
        geo->setScale(Vector2d(2.0, 4.0));  // pixels of 1 by 2 model units
        geo->setRotation(p.rotation);
        geo->setUnit(p.unit);
        geo->setCoordinateSystemCode(p.code);
        geo->setCitation(AsciiStringBuffer("written"));
        ASSERT_TRUE(frame->setProperty(geo));
        // Correlations in other units are not taken.
        std::unique_ptr<FormatCodecPropertyInterface> other(geo->clone());
        static_cast<GeoTiffCorrelation*>(other.get())->setUnit(5);
        EXPECT_FALSE(frame->setProperty(other.get()));

        struct Rows : RowIteratorInterface
        {
            std::int32_t bytesPerRow() const override { return kWidth; }
            void getRow(DataBuffer& row) override { std::memset(row.data(), 128, kWidth); }
            bool next() override { return true; }
            std::int32_t rowCount() const override { return kHeight; }
            std::int32_t width() const override { return kWidth; }
            void start() override {}
            void finish() override {}
        } rows;
        ASSERT_EQ(writer->writeFrame(frame.get(), &rows), 1);
        frame.reset();
        writer.reset();

        if (OmviTest::haveTool("listgeo"))
        {
            const std::string report = listgeo(path);
            if (p.rotation == 0.0)
            {
                EXPECT_NE(report.find("ModelTiepointTag (2,3)"), std::string::npos) << report;
                EXPECT_NE(report.find("ModelPixelScaleTag (1,3)"), std::string::npos);
            }
            else
                EXPECT_NE(report.find("ModelTransformationTag (4,4)"), std::string::npos) << report;
            EXPECT_NE(report.find("GTCitationGeoKey (Ascii,8): \"written\""), std::string::npos);
            EXPECT_EQ(report.find("GTModelTypeGeoKey") != std::string::npos, p.modelType >= 0);
        }
        EXPECT_EQ(keyOf(path, GTModelTypeGeoKey), p.modelType);
        EXPECT_EQ(keyOf(path, p.unitKey), p.unitValue);
        EXPECT_EQ(keyOf(path, GTRasterTypeGeoKey), RasterPixelIsArea);
        if (p.modelType == ModelTypeProjected)
        {
            EXPECT_EQ(keyOf(path, ProjectedCSTypeGeoKey), p.code);
        }
        if (p.modelType == ModelTypeGeographic)
        {
            EXPECT_EQ(keyOf(path, GeographicTypeGeoKey), p.code);
        }

        // Read back: the same lower-left origin, pixel size and turn.
        if (p.modelType < 0)
            continue;  // without a model type the file names no system
        const std::unique_ptr<GeoTiffCorrelation> back = correlationOf(path);
        ASSERT_TRUE(back);
        Point3d origin;
        back->getOrigin(origin);
        EXPECT_NEAR(origin.x, 5000.0, 1e-9);
        EXPECT_NEAR(origin.y, 7000.0, 1e-9);
        Vector2d size;
        back->getPixelSize(size);
        EXPECT_NEAR(size.x, 1.0, 1e-9);
        EXPECT_NEAR(size.y, 2.0, 1e-9);
        double rotation = 0.0;
        EXPECT_NEAR(back->getRotation(rotation), p.rotation, 1e-12);
        std::int32_t unit = 0;
        EXPECT_EQ(back->getUnit(unit), p.unit);
    }
}

TEST_F(TiffGeoTest, UnitCodesOfTheWriter)
{
    // Unit 0 is written as user-defined (32767).
    const std::string path = folder_.file("user.tif");
    TiffSpec spec = geoSpec({});
    spec.tags = [](TIFF* tiff) {
        GeoTIFFUtils utils(tiff, true);
        utils.setCoordinateSystemCode(32631);
        utils.setLinearUnit(GeoTIFFUtils::kUnitNone);
        utils.setVerticalUnit(GeoTIFFUtils::kUnitFoot);
        utils.setPixelScale(1.0, 1.0);
        utils.setOrigin(0.0, 0.0, 0.0);
        EXPECT_TRUE(utils.write());
        EXPECT_TRUE(utils.write());  // once only
    };
    ASSERT_TRUE(writeTiff(path, {spec}, {Bytes(planeRowBytes(spec) * spec.height, 0)}));
    EXPECT_EQ(keyOf(path, ProjLinearUnitsGeoKey), 32767);
    EXPECT_EQ(keyOf(path, VerticalUnitsGeoKey), 9002);
    EXPECT_EQ(keyOf(path, GTRasterTypeGeoKey), -1);

    // Read back, a user-defined unit is unit 0 and a foot is 6.
    TIFF* tiff = XTIFFOpen(path.c_str(), "r");
    ASSERT_TRUE(tiff);
    {
        GeoTIFFUtils utils(tiff, false);
        EXPECT_TRUE(utils.hasGeoInformation());
        EXPECT_TRUE(utils.isGeoReferenced());
        EXPECT_FALSE(utils.isXFlipped());
        EXPECT_FALSE(utils.isYFlipped());
        std::int32_t unit = -1;
        ASSERT_TRUE(utils.getLinearUnit(unit));
        EXPECT_EQ(unit, GeoTIFFUtils::kUnitNone);
        ASSERT_TRUE(utils.getVerticalUnit(unit));
        EXPECT_EQ(unit, GeoTIFFUtils::kUnitFoot);
        EXPECT_FALSE(utils.getRasterType(unit));
        Point2d ul, ur, ll, lr;
        ASSERT_TRUE(utils.getCorners(ul, ur, ll, lr));
        EXPECT_EQ(ll.x, 0.0);
        EXPECT_EQ(ll.y, 0.0);
        EXPECT_EQ(ur.x, static_cast<double>(kWidth));
        EXPECT_EQ(ur.y, static_cast<double>(kHeight));
    }
    XTIFFClose(tiff);
}
