#include "imaging/codecs/tiff/geotiff/GeoTIFFUtils.h"

#include "imaging/StringBuffer.h"
#include "imaging/geometry/Vector2d.h"

#include <cmath>
#include <cstdarg>
#include <geo_normalize.h>
#include <geotiff.h>
#include <geovalues.h>
#include <proj.h>
#include <tiffio.h>

namespace Omvi
{
namespace
{

constexpr std::uint32_t kPixelScaleTag = 33550;
constexpr std::uint32_t kTiePointsTag = 33922;
constexpr std::uint32_t kTransformationTag = 34264;
constexpr std::uint32_t kKeyDirectoryTag = 34735;

// EPSG codes of the units this library names.
constexpr int kEpsgMetre = 9001;
constexpr int kEpsgFootFirst = 9002;
constexpr int kEpsgFootLast = 9006;
constexpr int kUserDefined = 32767;

bool isGeographicCode(std::int32_t code)
{
    return code >= 4000 && code <= 4999;
}

bool isProjectedCode(std::int32_t code)
{
    return code >= 20000 && code <= 32760;
}

// libgeotiff's complaints about a damaged key directory are not printed.
void silentGeoTiffError(GTIF*, int, const char*, ...)
{
}

// The doubles of a GeoTIFF tag (registered with a count of 16 or 32 bits).
std::vector<double> doublesOf(TIFF* tiff, std::uint32_t tag)
{
    const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
    if (!field || !TIFFFieldPassCount(field) || TIFFFieldDataType(field) != TIFF_DOUBLE)
        return {};
    double* values = nullptr;
    std::uint32_t count = 0;
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2)
    {
        if (!TIFFGetField(tiff, tag, &count, &values))
            return {};
    }
    else
    {
        std::uint16_t shortCount = 0;
        if (!TIFFGetField(tiff, tag, &shortCount, &values))
            return {};
        count = shortCount;
    }
    if (!values)
        return {};
    return std::vector<double>(values, values + count);
}

bool hasTag(TIFF* tiff, std::uint32_t tag)
{
    const TIFFField* field = TIFFFindField(tiff, tag, TIFF_ANY);
    if (!field || !TIFFFieldPassCount(field))
        return false;
    void* values = nullptr;
    if (TIFFFieldReadCount(field) == TIFF_VARIABLE2)
    {
        std::uint32_t count = 0;
        return TIFFGetField(tiff, tag, &count, &values) && count > 0;
    }
    std::uint16_t count = 0;
    return TIFFGetField(tiff, tag, &count, &values) && count > 0;
}

// The unit code of an EPSG unit code; nothing for 0.
std::optional<std::int32_t> unitOfEpsg(int code)
{
    if (code == 0)
        return std::nullopt;
    if (code == kEpsgMetre)
        return GeoTIFFUtils::kUnitMetre;
    if (code >= kEpsgFootFirst && code <= kEpsgFootLast)
        return GeoTIFFUtils::kUnitFoot;
    return GeoTIFFUtils::kUnitNone;
}

// The EPSG unit code written for a unit code.
int epsgOfUnit(std::int32_t unit)
{
    switch (unit)
    {
    case GeoTIFFUtils::kUnitNone:
        return kUserDefined;
    case GeoTIFFUtils::kUnitMetre:
        return kEpsgMetre;
    case GeoTIFFUtils::kUnitFoot:
        return kEpsgFootFirst;
    default:
        return 0;
    }
}

// The readable part of a libgeotiff value name: what follows its first "_",
// with the other "_" made spaces ("PCS_NAD27_UTM_zone_11N" gives "NAD27 UTM
// zone 11N").
std::string readableName(const char* valueName)
{
    if (!valueName)
        return {};
    std::string name(valueName);
    const std::size_t underscore = name.find('_');
    if (underscore != std::string::npos)
        name.erase(0, underscore + 1);
    for (char& c : name)
        if (c == '_')
            c = ' ';
    return name;
}

} // namespace

GeoTIFFUtils::GeoTIFFUtils(TIFF* tiff, bool writeMode)
{
    initialise(tiff, writeMode);
}

GeoTIFFUtils::GeoTIFFUtils(TIFF* tiff, const StringBuffer&, bool writeMode)
{
    // libgeotiff resolves codes through its own database; there are no
    // tables to point it to.
    initialise(tiff, writeMode);
}

GeoTIFFUtils::~GeoTIFFUtils()
{
    write();
    if (gtif_)
        GTIFFree(gtif_);
}

void GeoTIFFUtils::initialise(TIFF* tiff, bool writeMode)
{
    tiff_ = tiff;
    writeMode_ = writeMode;
    if (!tiff_)
        return;
    gtif_ = GTIFNewEx(tiff_, &silentGeoTiffError, nullptr);
    if (!gtif_)
        return;

    const std::vector<double> scale = doublesOf(tiff_, kPixelScaleTag);
    if (scale.size() >= 3)
    {
        hasPixelScale_ = true;
        pixelScale_ = {scale[0], scale[1], scale[2]};
    }
    const std::vector<double> ties = doublesOf(tiff_, kTiePointsTag);
    if (!ties.empty() && ties.size() % 6 == 0)
    {
        hasTiePoints_ = true;
        for (std::size_t i = 0; i < ties.size(); i += 6)
            tiePoints_.push_back({ties[i], ties[i + 1], ties[i + 2], ties[i + 3], ties[i + 4], ties[i + 5]});
    }
    const std::vector<double> matrix = doublesOf(tiff_, kTransformationTag);
    if (matrix.size() == 16)
    {
        hasTransformation_ = true;
        std::copy(matrix.begin(), matrix.end(), transformation_.begin());
    }
    hasKeyDirectory_ = hasTag(tiff_, kKeyDirectoryTag);

    std::uint32_t length = 0;
    std::uint32_t width = 0;
    TIFFGetField(tiff_, TIFFTAG_IMAGELENGTH, &length);
    TIFFGetField(tiff_, TIFFTAG_IMAGEWIDTH, &width);
    height_ = length;
    width_ = width;

    if (writeMode_)
        return;

    // What needs no coordinate-system database is read at once.
    const Point2d origin = toModel(0.0, 0.0);
    const Vector2d firstEdge = toModel(width_, 0.0) - origin;
    const Vector2d secondEdge = toModel(0.0, height_) - origin;
    rotation_ = hasTransformation_ && !hasPixelScale_ ? firstEdge.angle() : 0.0;
    if (hasPixelScale_)
        scale_ = std::array<double, 2>{std::fabs(pixelScale_[0]), std::fabs(pixelScale_[1])};
    else if (hasTransformation_ && width_ > 0 && height_ > 0)
        scale_ = std::array<double, 2>{firstEdge.length() / width_, secondEdge.length() / height_};
    else
        scale_ = std::array<double, 2>{1.0, 1.0};

    if (!hasKeyDirectory_)
        return;
    std::optional<std::uint16_t> unit = shortKey(GeogLinearUnitsGeoKey);
    if (!unit)
        unit = shortKey(ProjLinearUnitsGeoKey);
    if (unit)
        linearUnit_ = unitOfEpsg(*unit);
    if (const std::optional<std::uint16_t> vertical = shortKey(VerticalUnitsGeoKey))
        verticalUnit_ = unitOfEpsg(*vertical);
    if (const std::optional<std::uint16_t> vertical = shortKey(VerticalCSTypeGeoKey))
        verticalCoordinateSystemCode_ = *vertical;
    if (const std::optional<std::uint16_t> raster = shortKey(GTRasterTypeGeoKey))
        rasterType_ = *raster == RasterPixelIsArea ? kPixelIsArea : *raster == RasterPixelIsPoint ? kPixelIsPoint
                                                                                               : kRasterTypeNotGiven;
    char citation[kCitationLimit + 1] = {};
    if (GTIFKeyGetASCII(gtif_, GTCitationGeoKey, citation, static_cast<int>(sizeof citation)) > 0)
        citation_ = std::string(citation);
}

std::optional<std::uint16_t> GeoTIFFUtils::shortKey(int key) const
{
    if (!gtif_)
        return std::nullopt;
    int size = 0;
    tagtype_t type = TYPE_UNKNOWN;
    if (GTIFKeyInfo(gtif_, static_cast<geokey_t>(key), &size, &type) < 1 || type != TYPE_SHORT)
        return std::nullopt;
    std::uint16_t value = 0;
    if (GTIFKeyGetSHORT(gtif_, static_cast<geokey_t>(key), &value, 0, 1) != 1)
        return std::nullopt;
    return value;
}

bool GeoTIFFUtils::hasGeoInformation() const
{
    return hasKeys() && (hasKeyDirectory_ || hasPixelScale_ || hasTiePoints_ || hasTransformation_);
}

bool GeoTIFFUtils::isGeoReferenced() const
{
    return hasKeys() && hasKeyDirectory_ &&
           ((hasPixelScale_ && hasTiePoints_ && tiePoints_.size() == 1) || hasTransformation_);
}

bool GeoTIFFUtils::isXFlipped() const
{
    return hasPixelScale_ && pixelScale_[0] < 0.0;
}

bool GeoTIFFUtils::isYFlipped() const
{
    if (hasPixelScale_)
        return pixelScale_[1] < 0.0;
    if (hasTransformation_)
    {
        const Point2d origin = toModel(0.0, 0.0);
        const Vector2d e1 = toModel(width_, 0.0) - origin;
        const Vector2d e2 = toModel(0.0, height_) - origin;
        return e1.y * e2.x - e1.x * e2.y < 0.0;
    }
    return false;
}

Point2d GeoTIFFUtils::toModel(double column, double row) const
{
    if (hasTransformation_)
    {
        const std::array<double, 16>& m = transformation_;
        return Point2d(m[0] * column + m[1] * row + m[3], m[4] * column + m[5] * row + m[7]);
    }
    if (hasPixelScale_ && hasTiePoints_)
    {
        const TiePoint& tie = tiePoints_.front();
        return Point2d((column - tie.i) * pixelScale_[0] + tie.x, (row - tie.j) * -pixelScale_[1] + tie.y);
    }
    return Point2d(column, row);
}

void GeoTIFFUtils::computeCorners()
{
    if (cornersComputed_)
        return;
    cornersComputed_ = true;
    const double columns[4] = {0.0, width_, 0.0, width_};
    const double rows[4] = {0.0, 0.0, height_, height_};
    // A y-flipped transformation is taken with its row coefficients negated.
    const bool flipped = hasTransformation_ && isYFlipped();
    for (int i = 0; i < 4; ++i)
    {
        double x = columns[i];
        double y = rows[i];
        if (flipped)
        {
            const std::array<double, 16>& m = transformation_;
            corners_[static_cast<std::size_t>(i)] = Point2d(m[0] * x - m[1] * y + m[3], m[4] * x - m[5] * y + m[7]);
        }
        else if (gtif_ && GTIFImageToPCS(gtif_, &x, &y))
            corners_[static_cast<std::size_t>(i)] = Point2d(x, y);
        else
            corners_[static_cast<std::size_t>(i)] = toModel(columns[i], rows[i]);
    }
}

bool GeoTIFFUtils::getCorners(Point2d& upperLeft, Point2d& upperRight, Point2d& lowerLeft, Point2d& lowerRight)
{
    if (!isGeoReferenced())
        return false;
    computeCorners();
    upperLeft = corners_[0];
    upperRight = corners_[1];
    lowerLeft = corners_[2];
    lowerRight = corners_[3];
    return true;
}

void* GeoTIFFUtils::projContext() const
{
    if (!gtif_)
        return nullptr;
    auto* context = static_cast<PJ_CONTEXT*>(GTIFGetPROJContext(gtif_, 1, nullptr));
    // A code the database does not know is an answer here, not a message.
    if (context)
        proj_log_level(context, PJ_LOG_NONE);
    return context;
}

void GeoTIFFUtils::computeCoordinateSystem()
{
    if (coordinateSystemComputed_ || writeMode_)
        return;
    coordinateSystemComputed_ = true;
    if (!gtif_ || !hasKeyDirectory_)
        return;
    projContext();
    GTIFDefn definition{};
    if (!GTIFGetDefn(gtif_, &definition))
        definition.DefnSet = 0;
    if (!linearUnit_ && definition.DefnSet)
        linearUnit_ = unitOfEpsg(definition.UOMLength);

    const std::optional<std::uint16_t> model = shortKey(GTModelTypeGeoKey);
    if (!model)
        return;
    int code = 0;
    int nameKey = 0;
    char* epsgName = nullptr;
    if (*model == ModelTypeProjected)
    {
        code = definition.PCS;
        nameKey = ProjectedCSTypeGeoKey;
        if (void* context = projContext())
            GTIFGetPCSInfoEx(context, code, &epsgName, nullptr, nullptr, nullptr);
    }
    else if (*model == ModelTypeGeographic || *model == ModelTypeGeocentric)
    {
        code = definition.GCS;
        nameKey = GeographicTypeGeoKey;
        if (void* context = projContext())
            GTIFGetGCSInfoEx(context, code, &epsgName, nullptr, nullptr, nullptr);
    }
    else
        return;
    coordinateSystemCode_ = code;
    std::string name;
    if (epsgName)
    {
        name = epsgName;
        GTIFFreeMemory(epsgName);
    }
    if (name.empty())
        name = readableName(GTIFValueNameEx(gtif_, static_cast<geokey_t>(nameKey), code));
    if (!name.empty())
        coordinateSystemName_ = name;
}

bool GeoTIFFUtils::getRotation(double& out)
{
    if (!rotation_)
        return false;
    out = *rotation_;
    return true;
}

void GeoTIFFUtils::setRotation(double radians)
{
    rotation_ = radians;
}

bool GeoTIFFUtils::getPixelScale(double& x, double& y)
{
    if (!scale_)
        return false;
    x = (*scale_)[0];
    y = (*scale_)[1];
    return true;
}

void GeoTIFFUtils::setPixelScale(double x, double y)
{
    scale_ = std::array<double, 2>{x, y};
}

bool GeoTIFFUtils::getLinearUnit(std::int32_t& out)
{
    if (!linearUnit_)
        computeCoordinateSystem();
    if (!linearUnit_)
        return false;
    out = *linearUnit_;
    return true;
}

void GeoTIFFUtils::setLinearUnit(std::int32_t unit)
{
    linearUnit_ = unit;
}

bool GeoTIFFUtils::getVerticalUnit(std::int32_t& out)
{
    if (!verticalUnit_)
        return false;
    out = *verticalUnit_;
    return true;
}

void GeoTIFFUtils::setVerticalUnit(std::int32_t unit)
{
    verticalUnit_ = unit;
}

bool GeoTIFFUtils::getCoordinateSystemCode(std::int32_t& out)
{
    computeCoordinateSystem();
    if (!coordinateSystemCode_)
        return false;
    out = *coordinateSystemCode_;
    return true;
}

void GeoTIFFUtils::setCoordinateSystemCode(std::int32_t code)
{
    coordinateSystemCode_ = code;
}

bool GeoTIFFUtils::getVerticalCoordinateSystemCode(std::int32_t& out)
{
    if (!verticalCoordinateSystemCode_)
        return false;
    out = *verticalCoordinateSystemCode_;
    return true;
}

void GeoTIFFUtils::setVerticalCoordinateSystemCode(std::int32_t code)
{
    verticalCoordinateSystemCode_ = code;
}

bool GeoTIFFUtils::getRasterType(std::int32_t& out)
{
    if (!rasterType_)
        return false;
    out = *rasterType_;
    return true;
}

void GeoTIFFUtils::setRasterType(std::int32_t type)
{
    rasterType_ = type;
}

bool GeoTIFFUtils::getCitation(std::string& out)
{
    if (!citation_)
        return false;
    out = *citation_;
    return true;
}

void GeoTIFFUtils::setCitation(const std::string& citation)
{
    citation_ = citation.substr(0, kCitationLimit);
}

bool GeoTIFFUtils::getCoordinateSystemName(std::string& out)
{
    computeCoordinateSystem();
    if (!coordinateSystemName_)
        return false;
    out = *coordinateSystemName_;
    return true;
}

void GeoTIFFUtils::setOrigin(double x, double y, double z)
{
    origin_ = std::array<double, 3>{x, y, z};
}

bool GeoTIFFUtils::write()
{
    if (!writeMode_ || written_ || !tiff_)
        return true;
    written_ = true;
    if (!gtif_)
        return false;
    bool ok = true;

    if (origin_)
    {
        const double sx = scale_ ? (*scale_)[0] : 1.0;
        const double sy = scale_ ? (*scale_)[1] : 1.0;
        const double theta = rotation_.value_or(0.0);
        const auto [x, y, z] = *origin_;
        if (theta == 0.0)
        {
            // The lower-left tie point moved to raster (0, 0).
            double tie[6] = {0.0, 0.0, 0.0, x, y + height_ * sy, z};
            double scale[3] = {sx, sy, 0.0};
            ok = TIFFSetField(tiff_, kTiePointsTag, 6, tie) == 1 && ok;
            ok = TIFFSetField(tiff_, kPixelScaleTag, 3, scale) == 1 && ok;
        }
        else
        {
            // Columns run along theta, rows at right angles to them (down the
            // image), each at its own pixel size.
            const double c = std::cos(theta);
            const double s = std::sin(theta);
            const double x0 = x - s * height_ * sy;
            const double y0 = y + c * height_ * sy;
            double matrix[16] = {sx * c, sy * s, 0.0, x0, sx * s, -sy * c, 0.0, y0,
                                 0.0,    0.0,    1.0, z,  0.0,    0.0,     0.0, 1.0};
            ok = TIFFSetField(tiff_, kTransformationTag, 16, matrix) == 1 && ok;
        }
    }

    bool keys = false;
    auto setShort = [&](int key, int value) {
        keys = true;
        ok = GTIFKeySet(gtif_, static_cast<geokey_t>(key), TYPE_SHORT, 1, value) == 1 && ok;
    };
    if (rasterType_)
        setShort(GTRasterTypeGeoKey, *rasterType_ == kPixelIsPoint ? RasterPixelIsPoint : RasterPixelIsArea);
    const std::int32_t code = coordinateSystemCode_.value_or(0);
    if (coordinateSystemCode_)
    {
        if (isGeographicCode(code))
        {
            setShort(GTModelTypeGeoKey, ModelTypeGeographic);
            setShort(GeographicTypeGeoKey, code);
        }
        else if (isProjectedCode(code))
        {
            setShort(GTModelTypeGeoKey, ModelTypeProjected);
            setShort(ProjectedCSTypeGeoKey, code);
        }
    }
    if (verticalCoordinateSystemCode_)
        setShort(VerticalCSTypeGeoKey, *verticalCoordinateSystemCode_);
    if (citation_)
    {
        keys = true;
        ok = GTIFKeySet(gtif_, GTCitationGeoKey, TYPE_ASCII, 0, citation_->c_str()) == 1 && ok;
    }
    if (linearUnit_)
        setShort(isProjectedCode(code) ? ProjLinearUnitsGeoKey : GeogLinearUnitsGeoKey, epsgOfUnit(*linearUnit_));
    if (verticalUnit_)
        setShort(VerticalUnitsGeoKey, epsgOfUnit(*verticalUnit_));
    if (keys)
        ok = GTIFWriteKeys(gtif_) == 1 && ok;
    return ok;
}

} // namespace Omvi
