#pragma once
// The GeoTIFF tags and keys of one TIFF directory, read and written through
// libgeotiff: where the image lies in model space (tie points and pixel
// scale, or a transformation), how it is turned or mirrored, and its
// coordinate systems, units, raster type and citation.
//
// Getters compute their value on first use and keep it; each answers
// whether the value is present. Setters store a value for writing; a
// utility opened in write mode writes what was set when write() is called
// (or, failing that, when it is destroyed).
#include "imaging/geometry/Point2d.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

typedef struct tiff TIFF;
typedef struct gtiff GTIF;

namespace Omvi
{

class StringBuffer;

class GeoTIFFUtils
{
public:
    // Unit codes (of lengths and heights).
    enum Unit : std::int32_t
    {
        kUnitNone = 0,
        kUnitMetre = 3,
        kUnitFoot = 6
    };
    // Raster types.
    enum RasterType : std::int32_t
    {
        kRasterTypeNotGiven = 0,
        kPixelIsArea = 1,
        kPixelIsPoint = 2
    };

    GeoTIFFUtils(TIFF* tiff, bool writeMode);
    // The table folder is accepted for callers that name one; codes are
    // resolved through libgeotiff's own database whatever it says.
    GeoTIFFUtils(TIFF* tiff, const StringBuffer& tableFolder, bool writeMode);
    virtual ~GeoTIFFUtils();
    GeoTIFFUtils(const GeoTIFFUtils&) = delete;
    GeoTIFFUtils& operator=(const GeoTIFFUtils&) = delete;

    // The file holds a GeoKey directory, a pixel scale, tie points or a
    // transformation.
    bool hasGeoInformation() const;
    // The file holds a GeoKey directory and either a pixel scale with exactly
    // one tie point or a transformation.
    bool isGeoReferenced() const;
    // Model x decreases along a row (a negative x scale).
    bool isXFlipped() const;
    // Model y grows with the row (a negative y scale, or a transformation
    // whose edges turn the other way).
    bool isYFlipped() const;

    // The model points of the raster corners (0, 0), (width, 0), (0, height)
    // and (width, height); false without geo-referencing.
    bool getCorners(Point2d& upperLeft, Point2d& upperRight, Point2d& lowerLeft, Point2d& lowerRight);
    // Radians, counter-clockwise.
    bool getRotation(double& out);
    void setRotation(double radians);
    // The model size of a pixel along x and y (positive).
    bool getPixelScale(double& x, double& y);
    void setPixelScale(double x, double y);
    bool getLinearUnit(std::int32_t& out);
    void setLinearUnit(std::int32_t unit);
    bool getVerticalUnit(std::int32_t& out);
    void setVerticalUnit(std::int32_t unit);
    bool getCoordinateSystemCode(std::int32_t& out);
    void setCoordinateSystemCode(std::int32_t code);
    bool getVerticalCoordinateSystemCode(std::int32_t& out);
    void setVerticalCoordinateSystemCode(std::int32_t code);
    bool getRasterType(std::int32_t& out);
    void setRasterType(std::int32_t type);
    // At most kCitationLimit characters.
    bool getCitation(std::string& out);
    void setCitation(const std::string& citation);
    // The name of the horizontal coordinate system; false when there is none.
    bool getCoordinateSystemName(std::string& out);
    // The model point of the image's lower-left corner: the only tie point,
    // at raster (0, height).
    void setOrigin(double x, double y, double z);

    // Write mode: stores what was set (tags, then keys) into the directory
    // being written; false when libgeotiff or libtiff refused. Nothing to
    // do outside write mode, or a second time.
    bool write();

    static constexpr std::size_t kCitationLimit = 1024;

private:
    struct TiePoint
    {
        double i, j, k, x, y, z;
    };

    void initialise(TIFF* tiff, bool writeMode);
    bool hasKeys() const { return gtif_ != nullptr; }
    std::optional<std::uint16_t> shortKey(int key) const;
    // The model point of a raster point.
    Point2d toModel(double column, double row) const;
    void computeCorners();
    void computeCoordinateSystem();
    void* projContext() const;

    TIFF* tiff_ = nullptr;
    GTIF* gtif_ = nullptr;
    bool writeMode_ = false;
    bool written_ = false;

    bool hasPixelScale_ = false;
    bool hasTiePoints_ = false;
    bool hasTransformation_ = false;
    bool hasKeyDirectory_ = false;
    std::array<double, 3> pixelScale_{1.0, 1.0, 0.0};
    std::vector<TiePoint> tiePoints_;
    std::array<double, 16> transformation_{};
    double width_ = 0.0;
    double height_ = 0.0;

    bool cornersComputed_ = false;
    std::array<Point2d, 4> corners_;  // upper left, upper right, lower left, lower right
    bool coordinateSystemComputed_ = false;

    std::optional<double> rotation_;
    std::optional<std::array<double, 2>> scale_;
    std::optional<std::int32_t> linearUnit_;
    std::optional<std::int32_t> verticalUnit_;
    std::optional<std::int32_t> coordinateSystemCode_;
    std::optional<std::int32_t> verticalCoordinateSystemCode_;
    std::optional<std::int32_t> rasterType_;
    std::optional<std::string> citation_;
    std::optional<std::string> coordinateSystemName_;
    std::optional<std::array<double, 3>> origin_;
};

} // namespace Omvi
