#pragma once
// What the RLC and IG4 property families share: the placement correlation,
// the density, the foreground colour and the raster edits, each a template
// over its family's texts and kind codes (RlcProperties.h and
// Ig4Properties.h name the classes). The kind code of a property is its
// first code.
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/properties/CompoundProperties.h"
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/rlc/ContainerRecords.h"
#include "imaging/models/ImagePixel.h"

#include <cmath>
#include <vector>

namespace Omvi
{

// The placement of a raster in model units (unit code 5).
template <typename Family>
class PlacementCorrelation : public FormatCodecCorrelation, public Family::Marker
{
public:
    static constexpr std::int32_t kPlacementUnit = 5;

    // Origin, pixel size 1 / resolution (1 when the resolution is 0 or not
    // a number), the scale factor on both axes; with `turned` the rotation
    // of the record, and the origin moved to the corner the turn brings to
    // the lower left (width and height give the extents).
    PlacementCorrelation(const ContainerRecords::Placement& record, bool turned, std::int32_t width,
                         std::int32_t height)
    {
        loadTexts(Family::kCorrelationName, Family::kCorrelationDescription);
        const double pixel = record.resolution != 0 && std::isfinite(record.resolution) ? 1 / record.resolution : 1;
        Point3d origin{record.x, record.y, 0};
        double rotation = 0;
        if (turned)
        {
            rotation = record.quarterTurns * (M_PI / 2) + record.degrees * (M_PI / 180);
            const double extentX = width * pixel * record.scale;
            const double extentY = height * pixel * record.scale;
            if (rotation == M_PI / 2)
                origin.x += extentY;
            else if (rotation == M_PI)
            {
                origin.x += extentX;
                origin.y += extentY;
            }
            else if (rotation == 3 * M_PI / 2)
                origin.y += extentX;
        }
        setOrigin(origin);
        setPixelSize(Vector2d(pixel, pixel));
        setScale(Vector2d(record.scale, record.scale));
        setRotation(rotation);
        setUnit(kPlacementUnit);
    }
};

// The scan resolution, on both axes, per inch.
template <typename Family>
class PlacementDensity : public FormatCodecDensity, public Family::Marker
{
public:
    explicit PlacementDensity(double resolution) : FormatCodecDensity(resolution, resolution, kPerInch)
    {
        setCodes(-1, 1);
        loadTexts(Family::kDensityName, Family::kDensityDescription);
    }
    // The unit stays per inch.
    bool setUnit(std::int32_t unit) override { return unit == kPerInch; }
    std::int32_t codecSpecificValue() const override { return 0; }
};

// The colour the set pixels are drawn in: a palette index.
template <typename Family>
class PlacementForeground : public FormatCodecColorProperty, public Family::Marker
{
public:
    explicit PlacementForeground(std::uint16_t code)
        : FormatCodecColorProperty(RgbColor(code), kPixelPalette), code_(code)
    {
        setCodes(Family::kForegroundKind, 1);
        loadTexts(Family::kForegroundName, Family::kForegroundDescription);
    }
    ImagePixel pixel() const { return ImagePixel(kPixelPalette, code_); }

private:
    std::uint16_t code_;
};

// One shape drawn (black) or erased over the raster.
template <typename Family>
class RasterEditBase : public FormatCodecPropertyInterface, public Family::Marker
{
public:
    std::int32_t shape() const { return edit_.shape; }
    bool draws() const { return edit_.draws; }
    const std::vector<double>& values() const { return edit_.values; }
    std::int32_t pointCount() const { return edit_.pointCount; }

protected:
    RasterEditBase(const ContainerRecords::Edit& edit, std::int32_t kind, std::int32_t nameId,
                   std::int32_t descriptionId)
        : FormatCodecPropertyInterface(kPrivate, kCompound), edit_(edit)
    {
        setCodes(kind, 1);
        loadTexts(nameId, descriptionId);
    }

private:
    ContainerRecords::Edit edit_;
};

// The edits of one type-5 entry.
template <typename Family>
class RasterEditSet : public FormatCodecInclusivePropertySetInterface, public Family::Marker
{
public:
    RasterEditSet() : FormatCodecInclusivePropertySetInterface(kPrivate)
    {
        setCodes(Family::kEditsKind, 1);
        loadTexts(Family::kEditsName, Family::kEditsDescription);
    }
};

} // namespace Omvi
