#include "imaging/codecs/tiff/geotiff/GeoTiffCorrelation.h"

#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/tiff/TiffFormatCodec.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/geotiff/GeoTIFFUtils.h"

namespace Omvi
{

GeoTiffCorrelation::GeoTiffCorrelation(TIFF* tiff, bool writeFlag)
{
    read(tiff, writeFlag);
}

GeoTiffCorrelation::GeoTiffCorrelation(TIFF* tiff, const StringBuffer& tableFolder, bool writeFlag)
    : tableFolder_(tableFolder)
{
    read(tiff, writeFlag);
}

GeoTiffCorrelation::GeoTiffCorrelation(const GeoTiffCorrelation& other) = default;

FormatCodecPropertyInterface* GeoTiffCorrelation::clone() const
{
    return new GeoTiffCorrelation(*this);
}

void GeoTiffCorrelation::read(TIFF* tiff, bool writeFlag)
{
    setUnit(kUnitMetre);
    setVerticalUnit(kUnitMetre);
    setValid(writeFlag);
    loadTexts(TiffStringId::kGeoCorrelationName, TiffStringId::kGeoCorrelationDescription);

    GeoTIFFUtils utils(tiff, tableFolder_, writeFlag);
    if (!utils.hasGeoInformation())
        return;
    if (!utils.isGeoReferenced())
    {
        hasGeoKeys_ = false;
        return;
    }
    hasGeoKeys_ = true;
    utils.getCorners(upperLeft_, upperRight_, lowerLeft_, lowerRight_);
    const Point2d& origin = utils.isYFlipped() ? upperLeft_ : lowerLeft_;
    setOrigin(Point3d{origin.x, origin.y, 0.0});
    double rotation = 0.0;
    utils.getRotation(rotation);
    setRotation(rotation);
    double x = 1.0;
    double y = 1.0;
    utils.getPixelScale(x, y);
    setPixelSize(Vector2d(x, y));

    std::int32_t value = 0;
    setUnit(utils.getLinearUnit(value) ? value : kUnitNone);
    setVerticalUnit(utils.getVerticalUnit(value) ? value : 0);
    setCoordinateSystemCode(utils.getCoordinateSystemCode(value) ? value : 0);
    setVerticalCoordinateSystemCode(utils.getVerticalCoordinateSystemCode(value) ? value : 0);
    if (utils.getRasterType(value))
        setRasterType(value);
    std::string text;
    if (utils.getCitation(text) && !text.empty())
        setCitation(AsciiStringBuffer(text));
    if (utils.getCoordinateSystemName(text))
        coordinateSystemName_ = AsciiStringBuffer(text);
    else
        loadCodecString(TiffStringId::kUnknownCoordinateSystem, coordinateSystemName_);
    setValid(true);
}

bool GeoTiffCorrelation::hasCoordinateSystem() const
{
    return true;
}

StringBuffer& GeoTiffCorrelation::getCoordinateSystemName(StringBuffer& out) const
{
    if (coordinateSystemName_.size() < 1)
        return FormatCodecGeoCorrelation::getCoordinateSystemName(out);
    out = coordinateSystemName_;
    return out;
}

Point2d& GeoTiffCorrelation::getUpperLeft(Point2d& out) const
{
    out = upperLeft_;
    return out;
}

Point2d& GeoTiffCorrelation::getUpperRight(Point2d& out) const
{
    out = upperRight_;
    return out;
}

Point2d& GeoTiffCorrelation::getLowerLeft(Point2d& out) const
{
    out = lowerLeft_;
    return out;
}

Point2d& GeoTiffCorrelation::getLowerRight(Point2d& out) const
{
    out = lowerRight_;
    return out;
}

bool GeoTiffCorrelation::writeTo(TIFF* tiff) const
{
    GeoTIFFUtils utils(tiff, tableFolder_, true);
    std::int32_t value = 0;
    utils.setRasterType(getRasterType(value));
    if (hasCoordinateSystemCode())
        utils.setCoordinateSystemCode(getCoordinateSystemCode(value));
    if (hasVerticalCoordinateSystemCode())
        utils.setVerticalCoordinateSystemCode(getVerticalCoordinateSystemCode(value));
    if (hasVerticalUnit())
        utils.setVerticalUnit(getVerticalUnit(value));
    if (hasCitation())
    {
        StringBuffer citation;
        getCitation(citation);
        utils.setCitation(citation.text());
    }
    Vector2d size;
    Vector2d factor;
    getPixelSize(size);
    getScale(factor);
    utils.setPixelScale(size.x * factor.x, size.y * factor.y);
    utils.setLinearUnit(getUnit(value));
    double rotation = 0.0;
    utils.setRotation(getRotation(rotation));
    Point3d origin;
    getOrigin(origin);
    utils.setOrigin(origin.x, origin.y, origin.z);
    return utils.write();
}

std::unique_ptr<GeoTiffCorrelation> createGeoTiffCorrelation(TIFF* tiff, const ImageFormatCodec* codec,
                                                             bool writeFlag)
{
    if (dynamic_cast<const TiffFormatCodec*>(codec))
    {
        StringBuffer folder;
        TiffFormatCodec::geoTiffTableFolder(folder);
        return std::make_unique<GeoTiffCorrelation>(tiff, folder, writeFlag);
    }
    return std::make_unique<GeoTiffCorrelation>(tiff, writeFlag);
}

} // namespace Omvi
