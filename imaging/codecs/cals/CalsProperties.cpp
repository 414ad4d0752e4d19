#include "imaging/codecs/cals/CalsProperties.h"

#include "imaging/codecs/cals/CalsStrings.h"
#include "imaging/codecs/strings/CodecStrings.h"

#include <cmath>
#include <memory>

namespace Omvi
{
namespace
{

std::int32_t descriptionOf(int record)
{
    using namespace CalsStringId;
    switch (record)
    {
    case CalsHeader::kSourceDocument: return kSourceDocumentDescription;
    case CalsHeader::kDestinationDocument: return kDestinationDocumentDescription;
    case CalsHeader::kTextFile: return kTextFileDescription;
    case CalsHeader::kFigure: return kFigureDescription;
    case CalsHeader::kSourceGraphics: return kSourceGraphicsDescription;
    case CalsHeader::kDocumentClass: return kDocumentClassDescription;
    default: return kNotesDescription;
    }
}

StringBuffer textBuffer(const std::string& text)
{
    return AsciiStringBuffer(text);
}

const int kTextRecords[] = {CalsHeader::kSourceDocument, CalsHeader::kDestinationDocument, CalsHeader::kTextFile,
                            CalsHeader::kFigure,         CalsHeader::kSourceGraphics,      CalsHeader::kDocumentClass,
                            CalsHeader::kNotes};

} // namespace

CalsStringProperty::CalsStringProperty(int record, const std::string& text)
    : FormatCodecStringProperty(kPrivate, textBuffer("NONE"), textBuffer(text), kMaximumLength), record_(record)
{
    setCodes(2, 1);
    setName(AsciiStringBuffer(CalsHeader::key(record) ? CalsHeader::key(record) : ""));
    StringBuffer description;
    loadCodecString(descriptionOf(record), description);
    setDescription(description);
}

FormatCodecPropertyInterface* CalsStringProperty::clone() const
{
    return new CalsStringProperty(*this);
}

std::string CalsStringProperty::value() const
{
    return text().text();
}

CalsDensityProperty::CalsDensityProperty(std::int32_t density)
    : FormatCodecDensity(density, density, kPerInch), density_(density)
{
    setCodes(2, 1);
    loadTexts(CalsStringId::kDensityName, CalsStringId::kDensityDescription);
}

CalsDensityProperty CalsDensityProperty::fromHeader(const CalsHeader& header)
{
    CalsDensityProperty property(200);
    const std::int32_t density = header.density();
    property.density_ = density;
    property.FormatCodecDensity::setDensity(density, density);
    property.setName(AsciiStringBuffer(CalsHeader::key(CalsHeader::kDensity)));
    return property;
}

FormatCodecPropertyInterface* CalsDensityProperty::clone() const
{
    return new CalsDensityProperty(*this);
}

bool CalsDensityProperty::setDensity(double x, double y)
{
    if (!(x == y) || std::trunc(x) != x || x < 0 || x > CalsHeader::kMaximumDensity)
        return false;
    density_ = static_cast<std::int32_t>(x);
    return FormatCodecDensity::setDensity(x, y);
}

bool CalsDensityProperty::setUnit(std::int32_t unit)
{
    return unit == kPerInch;
}

CalsCompatabilityProperty::CalsCompatabilityProperty(bool value) : FormatCodecBooleanProperty(kPrivate, value, false)
{
    setCodes(2, 1);
    loadTexts(CalsStringId::kCompatibilityName, CalsStringId::kCompatibilityDescription);
}

FormatCodecPropertyInterface* CalsCompatabilityProperty::clone() const
{
    return new CalsCompatabilityProperty(*this);
}

CalsPropertySetIterator* newCalsHeaderProperties(const CalsHeader& header, std::int32_t capacity)
{
    auto set = std::make_unique<CalsPropertySetIterator>(capacity);
    for (int record : kTextRecords)
    {
        const CalsStringProperty property(record, header.text(record));
        set->append(&property);
    }
    const CalsDensityProperty density = CalsDensityProperty::fromHeader(header);
    set->append(&density);
    return set.release();
}

FormatCodecPropertyInterface* newCalsHeaderProperty(const CalsHeader& header, const StringBuffer& name)
{
    for (int record : kTextRecords)
        if (stringBufferEquals(name, CalsHeader::key(record)))
            return new CalsStringProperty(record, header.text(record));
    if (stringBufferEquals(name, CalsHeader::key(CalsHeader::kDensity)))
        return new CalsDensityProperty(CalsDensityProperty::fromHeader(header));
    return nullptr;
}

} // namespace Omvi
