#pragma once
// The TIFF properties that describe sample values and pages: the grey
// response curve, the sample range (MinSampleValue, MaxSampleValue) and the
// page information (document and page names, page number and count,
// position on the page).
#include "imaging/codecs/properties/PropertySetProperties.h"
#include "imaging/codecs/tiff/properties/TiffProperty.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace Omvi
{

// The optical density of each grey level: the curve's values divided by
// the divisor (10 to 100000 by the file's GrayResponseUnit).
class TiffGrayResponseCurve : public FormatCodecPropertyInterface, public TiffProperty
{
public:
    TiffGrayResponseCurve();
    FormatCodecPropertyInterface* clone() const override;

    // 11-15
    virtual std::int32_t getCount() const;
    // Copies the curve's densities (each value divided by the divisor) into
    // `out`, which holds getCount() values.
    virtual void getCurve(float* out) const;
    // Replaces the curve by a copy; a divisor of 0 is taken as 1.
    virtual void setCurve(std::int32_t count, const std::uint16_t* values, std::uint32_t divisor);
    virtual std::uint32_t getDivisor() const;
    virtual const std::uint16_t* curve() const;

    // The divisor of a GrayResponseUnit value (1-5), or nothing.
    static std::optional<std::uint32_t> divisorOfUnit(std::uint32_t unit);
    // libtiff reads and writes neither GrayResponseUnit nor GrayResponseCurve,
    // so the curve cannot be stored: false.
    bool writeTag(TIFF* tiff) const override;

private:
    std::vector<std::uint16_t> curve_;
    std::uint32_t divisor_ = 1;
};

class TiffSampleRange : public FormatCodecInclusivePropertySetInterface, public TiffProperty
{
public:
    // Minimum 0, maximum 255, each 0-65535.
    TiffSampleRange();
    FormatCodecPropertyInterface* clone() const override;

    void getRange(std::int32_t* minimum, std::int32_t* maximum) const;
    // False (nothing changes) for a value outside 0-65535.
    bool setRange(std::int32_t minimum, std::int32_t maximum);
    // MinSampleValue (280) and MaxSampleValue (281).
    bool writeTag(TIFF* tiff) const override;
    bool valueAsText(StringBuffer& out) const override;
};

class TiffPageInformation : public FormatCodecInclusivePropertySetInterface, public TiffProperty
{
public:
    struct Values
    {
        std::optional<StringBuffer> documentName;
        std::optional<StringBuffer> pageName;
        std::optional<std::int32_t> pageNumber;
        std::optional<std::int32_t> pageCount;
        std::optional<double> xPosition;
        std::optional<double> yPosition;
    };

    // The six members hold what is given (the rest their defaults: empty
    // names, page 0 of 0, position 0, 0).
    explicit TiffPageInformation(const Values& values = Values());
    FormatCodecPropertyInterface* clone() const override;

    // Each copies its value out and answers whether it differs from the
    // member's default.
    virtual bool getDocumentName(StringBuffer& out) const;
    virtual bool getPageName(StringBuffer& out) const;
    virtual bool getPageNumber(std::int32_t& number, std::int32_t& count) const;
    virtual bool getPosition(double& x, double& y) const;

    // Page information is reported, never written: false.
    bool writeTag(TIFF* tiff) const override;
};

} // namespace Omvi
