#include "imaging/codecs/correlation/FormatCodecCorrelation.h"

namespace Omvi
{

FormatCodecCorrelation::FormatCodecCorrelation() : FormatCodecPropertyInterface(kCorrelation, kCompound)
{
    setCodes(1, 1);
}

FormatCodecCorrelation::FormatCodecCorrelation(const FormatCodecCorrelation& other) = default;

Point3d& FormatCodecCorrelation::getOrigin(Point3d& out) const
{
    out = origin_;
    return out;
}

void FormatCodecCorrelation::setOrigin(const Point3d& origin)
{
    origin_ = origin;
}

Vector2d& FormatCodecCorrelation::getScale(Vector2d& out) const
{
    out.set(scale_.x, scale_.y);
    return out;
}

void FormatCodecCorrelation::setScale(const Vector2d& scale)
{
    scale_.set(scale.x, scale.y);
}

double& FormatCodecCorrelation::getRotation(double& out) const
{
    out = rotation_;
    return out;
}

void FormatCodecCorrelation::setRotation(const double& radians)
{
    rotation_ = radians;
}

Vector2d& FormatCodecCorrelation::getPixelSize(Vector2d& out) const
{
    out.set(pixelSize_.x, pixelSize_.y);
    return out;
}

void FormatCodecCorrelation::setPixelSize(const Vector2d& size)
{
    pixelSize_.set(size.x, size.y);
}

std::int32_t FormatCodecCorrelation::getUnit(std::int32_t& out) const
{
    out = unit_;
    return out;
}

void FormatCodecCorrelation::setUnit(std::int32_t unit)
{
    unit_ = unit;
}

bool FormatCodecCorrelation::hasCoordinateSystem() const
{
    return false;
}

StringBuffer& FormatCodecCorrelation::getCoordinateSystemName(StringBuffer& out) const
{
    const char nul = 0;
    out.set(1, &nul, StringBuffer::kSingleByte);
    return out;
}

bool FormatCodecCorrelation::isValid() const
{
    return valid_;
}

FormatCodecGeoCorrelation::FormatCodecGeoCorrelation() = default;

FormatCodecGeoCorrelation::FormatCodecGeoCorrelation(const FormatCodecGeoCorrelation& other) = default;

std::int32_t FormatCodecGeoCorrelation::getRasterType(std::int32_t& out) const
{
    out = rasterType_;
    return out;
}

void FormatCodecGeoCorrelation::setRasterType(std::int32_t type)
{
    rasterType_ = type;
}

bool FormatCodecGeoCorrelation::hasCoordinateSystemCode() const
{
    return coordinateSystemCode_ != 0;
}

std::int32_t FormatCodecGeoCorrelation::getCoordinateSystemCode(std::int32_t& out) const
{
    out = coordinateSystemCode_;
    return out;
}

void FormatCodecGeoCorrelation::setCoordinateSystemCode(std::int32_t code)
{
    coordinateSystemCode_ = code;
}

bool FormatCodecGeoCorrelation::hasVerticalCoordinateSystemCode() const
{
    return verticalCoordinateSystemCode_ != 0;
}

std::int32_t FormatCodecGeoCorrelation::getVerticalCoordinateSystemCode(std::int32_t& out) const
{
    out = verticalCoordinateSystemCode_;
    return out;
}

void FormatCodecGeoCorrelation::setVerticalCoordinateSystemCode(std::int32_t code)
{
    verticalCoordinateSystemCode_ = code;
}

void FormatCodecGeoCorrelation::getCoordinatePair(std::int32_t out[2]) const
{
    out[0] = coordinatePair_[0];
    out[1] = coordinatePair_[1];
}

void FormatCodecGeoCorrelation::setCoordinatePair(const std::int32_t pair[2])
{
    coordinatePair_[0] = pair[0];
    coordinatePair_[1] = pair[1];
}

bool FormatCodecGeoCorrelation::hasVerticalUnit() const
{
    return verticalUnit_ != 0;
}

std::int32_t FormatCodecGeoCorrelation::getVerticalUnit(std::int32_t& out) const
{
    out = verticalUnit_;
    return out;
}

void FormatCodecGeoCorrelation::setVerticalUnit(std::int32_t unit)
{
    verticalUnit_ = unit;
}

bool FormatCodecGeoCorrelation::hasCitation() const
{
    return citation_.size() > 0;
}

StringBuffer& FormatCodecGeoCorrelation::getCitation(StringBuffer& out) const
{
    out = citation_;
    return out;
}

void FormatCodecGeoCorrelation::setCitation(const StringBuffer& citation)
{
    citation_ = citation;
}

FormatCodecExternalCorrelation::FormatCodecExternalCorrelation() = default;

FormatCodecExternalCorrelation::FormatCodecExternalCorrelation(const FormatCodecExternalCorrelation& other) =
    default;

FileSpecifier& FormatCodecExternalCorrelation::getSideCarFile(FileSpecifier& out) const
{
    out = sideCarFile_;
    return out;
}

StringBuffer& FormatCodecExternalCorrelation::getSideCarName(StringBuffer& out) const
{
    out = sideCarName_;
    return out;
}

void FormatCodecExternalCorrelation::setOutputName(const StringBuffer& name)
{
    outputName_ = name;
}

void FormatCodecExternalCorrelation::setOutputFolder(const FileSpecifier& folder)
{
    outputFolder_ = folder;
}

void FormatCodecExternalCorrelation::read() {}

void FormatCodecExternalCorrelation::write() {}

void FormatCodecExternalCorrelation::setQuarterTurnMode(std::int32_t mode)
{
    quarterTurnMode_ = mode;
}

void FormatCodecExternalCorrelation::setImageSize(std::int32_t height, std::int32_t width)
{
    imageHeight_ = height;
    imageWidth_ = width;
}

void FormatCodecExternalCorrelation::setBitsPerPixel(std::int32_t bits)
{
    bitsPerPixel_ = bits;
}

} // namespace Omvi
