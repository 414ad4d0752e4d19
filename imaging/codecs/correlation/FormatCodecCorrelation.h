#pragma once
// Correlations tie the pixels of an image to model coordinates: the model
// position of the image's reference corner (the lower-left corner for the
// side-car and GeoTIFF readers), the size of a pixel (scale x pixelSize,
// component by component), the turn of the image's x axis against the
// model's (counter-clockwise, radians) and the linear unit. They travel as
// properties of type kCorrelation.
//
// Three abstract bases carry the shared parts: FormatCodecCorrelation the
// plain correlation, FormatCodecGeoCorrelation adds the coordinate-system
// codes of a geo-referenced image, FormatCodecExternalCorrelation one kept
// in a side-car file beside the image (correlation/SideCarCorrelations.h).
// All copy by value.
#include "imaging/FileSpecifier.h"
#include "imaging/StringBuffer.h"
#include "imaging/codecs/correlation/Point3d.h"
#include "imaging/codecs/properties/FormatCodecPropertyInterface.h"
#include "imaging/geometry/Vector2d.h"

#include <cstdint>

namespace Omvi
{

class FormatCodecCorrelation : public FormatCodecPropertyInterface
{
public:
    // Linear units of origins and sizes.
    enum Unit : std::int32_t
    {
        kUnitNone = 0,  // none, or user-defined
        kUnitMetre = 3,
        kUnitFoot = 6
    };

    // 11-20; the getters copy into `out` and return it.
    virtual Point3d& getOrigin(Point3d& out) const;
    virtual void setOrigin(const Point3d& origin);
    virtual Vector2d& getScale(Vector2d& out) const;
    virtual void setScale(const Vector2d& scale);
    virtual double& getRotation(double& out) const;
    virtual void setRotation(const double& radians);
    virtual Vector2d& getPixelSize(Vector2d& out) const;
    virtual void setPixelSize(const Vector2d& size);
    virtual std::int32_t getUnit(std::int32_t& out) const;
    virtual void setUnit(std::int32_t unit);
    // 21 and 22: whether a coordinate system is named (false here), and its
    // name (an empty text here: one NUL byte, encoding 0).
    virtual bool hasCoordinateSystem() const;
    virtual StringBuffer& getCoordinateSystemName(StringBuffer& out) const;
    // 23
    virtual bool isValid() const;

protected:
    // Origin (0, 0, 0), scale and pixel size (1, 1), rotation 0, unit 0,
    // valid.
    FormatCodecCorrelation();
    FormatCodecCorrelation(const FormatCodecCorrelation& other);

    void setValid(bool valid) { valid_ = valid; }
    // The fields as they stand, for the classes that compute them.
    const Point3d& origin() const { return origin_; }
    const Vector2d& scale() const { return scale_; }
    double rotation() const { return rotation_; }
    const Vector2d& pixelSize() const { return pixelSize_; }
    std::int32_t unit() const { return unit_; }

private:
    Point3d origin_;
    Vector2d scale_{1.0, 1.0};
    double rotation_ = 0.0;
    Vector2d pixelSize_{1.0, 1.0};
    std::int32_t unit_ = kUnitNone;
    bool valid_ = true;
};

class FormatCodecGeoCorrelation : public FormatCodecCorrelation
{
public:
    enum RasterType : std::int32_t
    {
        kRasterTypeNotGiven = 0,
        kPixelIsArea = 1,
        kPixelIsPoint = 2
    };

    // 24-39
    virtual std::int32_t getRasterType(std::int32_t& out) const;
    virtual void setRasterType(std::int32_t type);
    virtual bool hasCoordinateSystemCode() const;
    virtual std::int32_t getCoordinateSystemCode(std::int32_t& out) const;
    virtual void setCoordinateSystemCode(std::int32_t code);
    virtual bool hasVerticalCoordinateSystemCode() const;
    virtual std::int32_t getVerticalCoordinateSystemCode(std::int32_t& out) const;
    virtual void setVerticalCoordinateSystemCode(std::int32_t code);
    virtual void getCoordinatePair(std::int32_t out[2]) const;
    virtual void setCoordinatePair(const std::int32_t pair[2]);
    virtual bool hasVerticalUnit() const;
    virtual std::int32_t getVerticalUnit(std::int32_t& out) const;
    virtual void setVerticalUnit(std::int32_t unit);
    virtual bool hasCitation() const;
    virtual StringBuffer& getCitation(StringBuffer& out) const;
    virtual void setCitation(const StringBuffer& citation);

protected:
    FormatCodecGeoCorrelation();
    FormatCodecGeoCorrelation(const FormatCodecGeoCorrelation& other);

private:
    std::int32_t rasterType_ = kPixelIsArea;
    std::int32_t coordinateSystemCode_ = 0;
    std::int32_t verticalCoordinateSystemCode_ = 0;
    std::int32_t coordinatePair_[2] = {0, 0};
    std::int32_t verticalUnit_ = 0;
    StringBuffer citation_;
};

class FormatCodecExternalCorrelation : public FormatCodecCorrelation
{
public:
    // 24: the side-car file found (reading) or to be written.
    virtual FileSpecifier& getSideCarFile(FileSpecifier& out) const;
    // 25: its name with extension, without folder.
    virtual StringBuffer& getSideCarName(StringBuffer& out) const;
    // 26: a file name whose base name write uses.
    virtual void setOutputName(const StringBuffer& name);
    // 27: the folder write puts the file in (its folder part is used).
    virtual void setOutputFolder(const FileSpecifier& folder);
    // 28 and 29: read the side-car file into the correlation, write it out.
    // Nothing here; reading never throws, writing throws FileIOException
    // (code 5) when the file cannot be made or written.
    virtual void read();
    virtual void write();
    // 30
    virtual void setQuarterTurnMode(std::int32_t mode);
    // 31: rows first.
    virtual void setImageSize(std::int32_t height, std::int32_t width);
    // 32
    virtual void setBitsPerPixel(std::int32_t bits);

protected:
    FormatCodecExternalCorrelation();
    FormatCodecExternalCorrelation(const FormatCodecExternalCorrelation& other);

    const FileSpecifier& sideCarFile() const { return sideCarFile_; }
    const StringBuffer& sideCarName() const { return sideCarName_; }
    const FileSpecifier& outputFolder() const { return outputFolder_; }
    const StringBuffer& outputName() const { return outputName_; }
    std::int32_t quarterTurnMode() const { return quarterTurnMode_; }
    std::int32_t imageHeight() const { return imageHeight_; }
    std::int32_t imageWidth() const { return imageWidth_; }
    std::int32_t bitsPerPixel() const { return bitsPerPixel_; }
    void setSideCarFile(const FileSpecifier& file) { sideCarFile_ = file; }
    void setSideCarName(const StringBuffer& name) { sideCarName_ = name; }

private:
    FileSpecifier sideCarFile_;
    StringBuffer sideCarName_;
    FileSpecifier outputFolder_;
    StringBuffer outputName_;
    std::int32_t quarterTurnMode_ = 0;
    std::int32_t imageHeight_ = 0;
    std::int32_t imageWidth_ = 0;
    std::int32_t bitsPerPixel_ = 0;
};

} // namespace Omvi
