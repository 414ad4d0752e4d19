#include "imaging/codecs/tiff/properties/TiffSampleProperties.h"

#include "imaging/codecs/strings/CodecStrings.h"
#include "imaging/codecs/strings/FormatString.h"
#include "imaging/codecs/tiff/TiffStrings.h"
#include "imaging/codecs/tiff/properties/TiffValueProperties.h"

#include <tiffio.h>

namespace Omvi
{

using namespace TiffStringId;

TiffGrayResponseCurve::TiffGrayResponseCurve()
    : FormatCodecPropertyInterface(kPrivate, kNoValue), TiffProperty(kKindGrayResponse)
{
    setFlags(false, true);
    setCodes(2, 1);
    loadTexts(kGrayResponseName, kGrayResponseDescription);
}

FormatCodecPropertyInterface* TiffGrayResponseCurve::clone() const
{
    return new TiffGrayResponseCurve(*this);
}

std::int32_t TiffGrayResponseCurve::getCount() const
{
    return static_cast<std::int32_t>(curve_.size());
}

void TiffGrayResponseCurve::getCurve(float* out) const
{
    if (!out)
        return;
    for (std::size_t i = 0; i < curve_.size(); ++i)
        out[i] = static_cast<float>(curve_[i]) / static_cast<float>(divisor_);
}

void TiffGrayResponseCurve::setCurve(std::int32_t count, const std::uint16_t* values, std::uint32_t divisor)
{
    if (count > 0 && values)
        curve_.assign(values, values + count);
    else
        curve_.clear();
    divisor_ = divisor == 0 ? 1 : divisor;
}

std::uint32_t TiffGrayResponseCurve::getDivisor() const
{
    return divisor_;
}

const std::uint16_t* TiffGrayResponseCurve::curve() const
{
    return curve_.empty() ? nullptr : curve_.data();
}

std::optional<std::uint32_t> TiffGrayResponseCurve::divisorOfUnit(std::uint32_t unit)
{
    std::uint32_t divisor = 1;
    if (unit < 1 || unit > 5)
        return std::nullopt;
    for (std::uint32_t i = 0; i < unit; ++i)
        divisor *= 10;
    return divisor;
}

bool TiffGrayResponseCurve::writeTag(TIFF*) const
{
    return false;
}

TiffSampleRange::TiffSampleRange() : FormatCodecInclusivePropertySetInterface(kPrivate, 2), TiffProperty(kKindSampleRange)
{
    setCodes(2, 1);
    loadTexts(kSampleRangeName, kSampleRangeDescription);
    const TiffIntProperty minimum(kSampleMinimumName, kSampleMinimumDescription, 0, 65535, 0);
    const TiffIntProperty maximum(kSampleMaximumName, kSampleMaximumDescription, 0, 65535, 255);
    append(&minimum);
    append(&maximum);
}

FormatCodecPropertyInterface* TiffSampleRange::clone() const
{
    return new TiffSampleRange(*this);
}

void TiffSampleRange::getRange(std::int32_t* minimum, std::int32_t* maximum) const
{
    const auto* low = dynamic_cast<const TiffIntProperty*>(element(0));
    const auto* high = dynamic_cast<const TiffIntProperty*>(element(1));
    if (minimum)
        *minimum = low ? low->value() : 0;
    if (maximum)
        *maximum = high ? high->value() : 0;
}

bool TiffSampleRange::setRange(std::int32_t minimum, std::int32_t maximum)
{
    auto* low = dynamic_cast<TiffIntProperty*>(element(0));
    auto* high = dynamic_cast<TiffIntProperty*>(element(1));
    if (!low || !high || minimum < 0 || minimum > 65535 || maximum < 0 || maximum > 65535)
        return false;
    return low->setValue(minimum) && high->setValue(maximum);
}

bool TiffSampleRange::writeTag(TIFF* tiff) const
{
    if (!tiff)
        return false;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    getRange(&minimum, &maximum);
    return TIFFSetField(tiff, TIFFTAG_MINSAMPLEVALUE, static_cast<unsigned>(minimum)) == 1 &&
           TIFFSetField(tiff, TIFFTAG_MAXSAMPLEVALUE, static_cast<unsigned>(maximum)) == 1;
}

bool TiffSampleRange::valueAsText(StringBuffer& out) const
{
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    getRange(&minimum, &maximum);
    StringBuffer text;
    FormatString format;
    return loadCodecString(kSampleRangeTemplate, text) && format.setTemplate(text) &&
           format.formatInteger(1, static_cast<unsigned>(minimum)) &&
           format.formatInteger(2, static_cast<unsigned>(maximum)) && format.getText(out);
}

TiffPageInformation::TiffPageInformation(const Values& values)
    : FormatCodecInclusivePropertySetInterface(kPrivate, 6), TiffProperty(kKindPageInformation)
{
    setCodes(1, 1);
    loadTexts(kPageInformationName, kPageInformationDescription);
    TiffStringProperty documentName(kDocumentNameName, kDocumentNameDescription);
    TiffStringProperty pageName(kPageNameName, kPageNameDescription);
    TiffIntProperty pageNumber(kPageNumberName, kPageNumberDescription, 0, 32767, 0);
    TiffIntProperty pageCount(kPageCountName, kPageCountDescription, 0, 32767, 0);
    TiffDoubleProperty xPosition(kXPositionName, kXPositionDescription);
    TiffDoubleProperty yPosition(kYPositionName, kYPositionDescription);
    if (values.documentName)
        documentName.setText(*values.documentName);
    if (values.pageName)
        pageName.setText(*values.pageName);
    if (values.pageNumber)
        pageNumber.setValue(*values.pageNumber);
    if (values.pageCount)
        pageCount.setValue(*values.pageCount);
    if (values.xPosition)
        xPosition.setValue(*values.xPosition);
    if (values.yPosition)
        yPosition.setValue(*values.yPosition);
    append(&documentName);
    append(&pageName);
    append(&pageNumber);
    append(&pageCount);
    append(&xPosition);
    append(&yPosition);
}

FormatCodecPropertyInterface* TiffPageInformation::clone() const
{
    return new TiffPageInformation(*this);
}

bool TiffPageInformation::getDocumentName(StringBuffer& out) const
{
    const auto* name = dynamic_cast<const TiffStringProperty*>(element(0));
    if (!name)
        return false;
    out = name->text();
    return !name->text().isEmpty();
}

bool TiffPageInformation::getPageName(StringBuffer& out) const
{
    const auto* name = dynamic_cast<const TiffStringProperty*>(element(1));
    if (!name)
        return false;
    out = name->text();
    return !name->text().isEmpty();
}

bool TiffPageInformation::getPageNumber(std::int32_t& number, std::int32_t& count) const
{
    const auto* page = dynamic_cast<const TiffIntProperty*>(element(2));
    const auto* pages = dynamic_cast<const TiffIntProperty*>(element(3));
    if (!page || !pages)
        return false;
    number = page->value();
    count = pages->value();
    return number != page->defaultValue() || count != pages->defaultValue();
}

bool TiffPageInformation::getPosition(double& x, double& y) const
{
    const auto* left = dynamic_cast<const TiffDoubleProperty*>(element(4));
    const auto* top = dynamic_cast<const TiffDoubleProperty*>(element(5));
    if (!left || !top)
        return false;
    x = left->value();
    y = top->value();
    return x != left->defaultValue() || y != top->defaultValue();
}

bool TiffPageInformation::writeTag(TIFF*) const
{
    return false;
}

} // namespace Omvi
