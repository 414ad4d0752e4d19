#include "imaging/codecs/cals/CalsWriteFileFrame.h"

#include "imaging/codecs/cals/CalsStrings.h"
#include "imaging/codecs/codec/CodecErrors.h"
#include "imaging/codecs/correlation/CorrelationPropertySetIterator.h"
#include "imaging/codecs/correlation/FormatCodecCorrelation.h"
#include "imaging/codecs/correlation/FrameCorrelations.h"
#include "imaging/codecs/strings/CodecStrings.h"

namespace Omvi
{

CalsWriteFileFrame::CalsWriteFileFrame(std::unique_ptr<CorrelationPropertySetIterator> correlations)
    : offered_(std::move(correlations))
{
}

CalsWriteFileFrame::~CalsWriteFileFrame() = default;

void CalsWriteFileFrame::setSize(int height, int width)
{
    // The header stores six digits of each: larger sizes would be written
    // cut to their leading digits.
    if (!header_.setPelCount(width, height))
        throwFormatCodecException("Invalid image size", kCodecInvalidSize);
    lines_ = height;
    pels_ = width;
}

void CalsWriteFileFrame::setDataModelKind(int kind)
{
    if (kind != 4)
        throwFormatCodecException("Invalid Color Model", kCodecInvalidColorModel);
}

void CalsWriteFileFrame::setThirdValue(int value)
{
    if (value != 1)
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
}

void CalsWriteFileFrame::setBitsPerPixel(int bits)
{
    if (bits != 1)
        throwFormatCodecException("Invalid Bits Per Pixel", kCodecInvalidBitsPerPixel);
}

FormatCodecPropertySetIterator* CalsWriteFileFrame::getProperties()
{
    std::unique_ptr<CalsPropertySetIterator> set(newCalsHeaderProperties(header_, 9));
    const CalsCompatabilityProperty compatibility(compatibility_);
    set->append(&compatibility);
    appendCorrelations(offered_.get(), *set);
    properties_ = std::move(set);
    return properties_.get();
}

FormatCodecPropertyInterface* CalsWriteFileFrame::getProperty(const StringBuffer& name)
{
    if (equalsCodecString(name, CalsStringId::kCompatibilityName))
        return new CalsCompatabilityProperty(compatibility_);
    return newCalsHeaderProperty(header_, name);
}

FormatCodecPropertyInterface* CalsWriteFileFrame::getPropertyOfType(int propertyType)
{
    if (propertyType == FormatCodecPropertyInterface::kDensity)
        return new CalsDensityProperty(CalsDensityProperty::fromHeader(header_));
    return nullptr;
}

bool CalsWriteFileFrame::setProperty(const FormatCodecPropertyInterface* property)
{
    if (property == nullptr)
        return false;
    if (const auto* text = dynamic_cast<const CalsStringProperty*>(property))
    {
        const int record = CalsHeader::textRecordOfKey(text->name().text().c_str());
        if (record < 0)
            return false;
        header_.setText(record, text->value());
        return true;
    }
    if (const auto* density = dynamic_cast<const CalsDensityProperty*>(property))
        return header_.setDensity(density->density());
    if (const auto* compatibility = dynamic_cast<const CalsCompatabilityProperty*>(property))
    {
        compatibility_ = compatibility->value();
        return true;
    }
    if (const auto* correlation = dynamic_cast<const FormatCodecCorrelation*>(property))
    {
        if (!correlation->isValid())
            return false;
        setCorrelations_.append(correlation);
        return true;
    }
    return false;
}

void CalsWriteFileFrame::clearProperties()
{
    for (int record : {CalsHeader::kSourceDocument, CalsHeader::kDestinationDocument, CalsHeader::kTextFile,
                       CalsHeader::kFigure, CalsHeader::kSourceGraphics, CalsHeader::kDocumentClass,
                       CalsHeader::kNotes})
        header_.setText(record, "NONE");
    header_.setDensity(200);
}

} // namespace Omvi
