#pragma once
// The RLC codec's properties, made from the records of a file's trailer:
// the placement of a raster (correlation, density, foreground colour), the
// name of a raster kept in another file, and the raster edits.
#include "imaging/codecs/properties/FormatCodecPropertySetIterator.h"
#include "imaging/codecs/properties/ValueProperties.h"
#include "imaging/codecs/rlc/ContainerProperties.h"
#include "imaging/codecs/rlc/RlcStrings.h"

#include <string>

namespace Omvi
{

// Marks the properties of the RLC family.
class RlcProperty
{
public:
    virtual ~RlcProperty() = default;
};

struct RlcFamily
{
    using Marker = RlcProperty;
    enum : std::int32_t
    {
        kCorrelationName = RlcStringId::kCorrelationName,
        kCorrelationDescription = RlcStringId::kCorrelationDescription,
        kDensityName = RlcStringId::kDensityName,
        kDensityDescription = RlcStringId::kDensityDescription,
        kForegroundName = RlcStringId::kForegroundColorName,
        kForegroundDescription = RlcStringId::kForegroundColorDescription,
        kEditsName = RlcStringId::kRasterEditsName,
        kEditsDescription = RlcStringId::kRasterEditsDescription,
        kForegroundKind = 1,
        kReferenceKind = 2,
        kEditsKind = 3,
        kFirstEditKind = 4  // rectangle 4 ... arc 8
    };
};

class RlcCorrelation : public PlacementCorrelation<RlcFamily>
{
public:
    using PlacementCorrelation::PlacementCorrelation;
    FormatCodecPropertyInterface* clone() const override { return new RlcCorrelation(*this); }
};

class RlcDensity : public PlacementDensity<RlcFamily>
{
public:
    using PlacementDensity::PlacementDensity;
    FormatCodecPropertyInterface* clone() const override { return new RlcDensity(*this); }
};

class RlcForegroundColor : public PlacementForeground<RlcFamily>
{
public:
    using PlacementForeground::PlacementForeground;
    FormatCodecPropertyInterface* clone() const override { return new RlcForegroundColor(*this); }
};

// The file name a reference record gives, as it stands in the record.
class RlcImageReference : public FormatCodecStringProperty, public RlcProperty
{
public:
    explicit RlcImageReference(const std::string& name);
    FormatCodecPropertyInterface* clone() const override { return new RlcImageReference(*this); }
};

class RlcRasterEdit : public RasterEditBase<RlcFamily>
{
protected:
    using RasterEditBase::RasterEditBase;
};

class RlcRectangleEdit : public RlcRasterEdit
{
public:
    explicit RlcRectangleEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new RlcRectangleEdit(*this); }
};

class RlcPolygonEdit : public RlcRasterEdit
{
public:
    explicit RlcPolygonEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new RlcPolygonEdit(*this); }
};

class RlcCircleEdit : public RlcRasterEdit
{
public:
    explicit RlcCircleEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new RlcCircleEdit(*this); }
};

class RlcDonutEdit : public RlcRasterEdit
{
public:
    explicit RlcDonutEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new RlcDonutEdit(*this); }
};

class RlcArcEdit : public RlcRasterEdit
{
public:
    explicit RlcArcEdit(const ContainerRecords::Edit& edit);
    FormatCodecPropertyInterface* clone() const override { return new RlcArcEdit(*this); }
};

class RlcRasterEdits : public RasterEditSet<RlcFamily>
{
public:
    // One edit property per edit.
    explicit RlcRasterEdits(const std::vector<ContainerRecords::Edit>& edits);
    FormatCodecPropertyInterface* clone() const override { return new RlcRasterEdits(*this); }
};

// The properties of raster `entryIndex` of an RLC file (its trailer entry):
// placement or reference properties, and with `withEdits` the edits of
// every type-5 entry. A file without a readable RLC trailer has none.
class RlcPropertySetIterator : public FormatCodecPropertySetIterator
{
public:
    RlcPropertySetIterator() = default;
    RlcPropertySetIterator(const std::string& nativePath, std::int32_t entryIndex, bool withEdits);
};

// Whether `name` is the name of the RLC property of kind code 1-8.
bool isRlcPropertyName(const StringBuffer& name, std::int32_t kind);

} // namespace Omvi
