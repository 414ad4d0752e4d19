#pragma once
// The IG4 codec's properties, made from the records of a file's trailer:
// the placement of the raster (correlation, density, foreground colour) and
// the raster edits.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/ValueProperties.h"
#include "imaging/codecs/rlc/ContainerProperties.h"
#include "imaging/codecs/rlc/RlcStrings.h"

#include <string>

namespace Omvi
{

// Marks the properties of the IG4 family.
class Ig4Property
{
public:
    virtual ~Ig4Property() = default;
};

struct Ig4Family
{
    using Marker = Ig4Property;
    enum : std::int32_t
    {
        kCorrelationName = Ig4StringId::kCorrelationName,
        kCorrelationDescription = Ig4StringId::kCorrelationDescription,
        kDensityName = Ig4StringId::kDensityName,
        kDensityDescription = Ig4StringId::kDensityDescription,
        kForegroundName = Ig4StringId::kForegroundColorName,
        kForegroundDescription = Ig4StringId::kForegroundColorDescription,
        kEditsName = Ig4StringId::kRasterEditsName,
        kEditsDescription = Ig4StringId::kRasterEditsDescription,
        kForegroundKind = 1,
        kEditsKind = 2,
        kFirstEditKind = 3  // rectangle 3 ... arc 7
    };
};

class Ig4Correlation : public PlacementCorrelation<Ig4Family>
{
public:
    using PlacementCorrelation::PlacementCorrelation;
    FormatCodecPropertyInterface* clone() const override { return new Ig4Correlation(*this); }
};

class Ig4Density : public PlacementDensity<Ig4Family>
{
public:
    using PlacementDensity::PlacementDensity;
    FormatCodecPropertyInterface* clone() const override { return new Ig4Density(*this); }
};

class Ig4ForegroundColor : public PlacementForeground<Ig4Family>
{
public:
    using PlacementForeground::PlacementForeground;
    FormatCodecPropertyInterface* clone() const override { return new Ig4ForegroundColor(*this); }
};

class Ig4RasterEdit : public RasterEditBase<Ig4Family>
{
protected:
    using RasterEditBase::RasterEditBase;
};

class Ig4RectangleEdit : public Ig4RasterEdit
{
public:
    explicit Ig4RectangleEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new Ig4RectangleEdit(*this); }
};

class Ig4PolygonEdit : public Ig4RasterEdit
{
public:
    explicit Ig4PolygonEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new Ig4PolygonEdit(*this); }
};

class Ig4CircleEdit : public Ig4RasterEdit
{
public:
    explicit Ig4CircleEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new Ig4CircleEdit(*this); }
};

class Ig4DonutEdit : public Ig4RasterEdit
{
public:
    explicit Ig4DonutEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new Ig4DonutEdit(*this); }
};

class Ig4ArcEdit : public Ig4RasterEdit
{
public:
    explicit Ig4ArcEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new Ig4ArcEdit(*this); }
};

class Ig4RasterEdits : public RasterEditSet<Ig4Family>
{
public:
    // One edit property per edit.
    explicit Ig4RasterEdits(const std::vector<ContainerRecords::Edit>& edits);
    FormatCodecPropertyInterface* clone() const override { return new Ig4RasterEdits(*this); }
};

// The properties of an IG4 file: those of every placement record and the
// edits of every type-5 entry. A file without a readable IG4 trailer has
// none.
class Ig4PropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    Ig4PropertySetIterator() = default;
    explicit Ig4PropertySetIterator(const std::string& nativePath);
};

// Whether `name` is the name of the IG4 property of kind code 1-7.
bool isIg4PropertyName(const StringBuffer& name, std::int32_t kind);

} // namespace Omvi
